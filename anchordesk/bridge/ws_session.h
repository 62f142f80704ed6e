#pragma once

#include "bridge/origin_allow_list.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl/context.hpp>
#include <boost/asio/ssl/stream.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http/message.hpp>
#include <boost/beast/http/string_body.hpp>
#include <boost/beast/websocket/stream.hpp>

#include <deque>
#include <memory>
#include <mutex>
#include <string>

// One connection of the page: TLS handshake, WebSocket upgrade, then every
// received message handed to CMsgBridge::WSMessage, one at a time.
//
// The session's thread is the only one that ever touches its stream. It runs
// an I/O context of its own on which the read loop, the outbound writes and
// the control frames (pongs, the closing handshake) all take turns. Other
// threads hand outbound messages over with Deliver() and return at once; the
// session writes them whole, one after the other, in the order they were
// handed over.
class CWSSession : public std::enable_shared_from_this<CWSSession> {
public:
    using Socket = boost::asio::ip::tcp::socket;

    CWSSession(std::shared_ptr<boost::asio::ssl::context> tls,
               std::shared_ptr<const COriginAllowList> origins);
    ~CWSSession();
    CWSSession(const CWSSession&) = delete;
    CWSSession& operator=(const CWSSession&) = delete;

    // The socket the server accepts the connection into.
    Socket& TcpSocket();

    // The session thread's body: returns when the connection has ended and
    // the end has been dealt with. The object must be owned by a shared_ptr.
    void Run();

    // Any thread: queues one text message for this connection. False when
    // the connection is not open (before the upgrade, or ended); the
    // message is then not queued.
    bool Deliver(std::string text);

private:
    enum class State { Handshaking, Registered, Open, Ended };
    enum class Ending { None, Network, Refused };

    void OnHandshake(const boost::system::error_code& ec);
    void OnRequest(const boost::system::error_code& ec);
    void Refuse(const std::string& origin);
    void StepDownAsCurrent();
    void OnAccept(const boost::system::error_code& ec);
    void ReadNext();
    void OnRead(const boost::system::error_code& ec);
    void OnKick();
    void WriteNext();
    void OnWrite(const boost::system::error_code& ec);
    void EndWith(Ending how, const boost::system::error_code& ec);
    size_t CloseOutbox();
    void HandleNetworkEnd(bool wasOpen);
    void HandleOtherError(const std::string& description);
    void CloseConnection();

    // Declared first, destroyed last: the stream below is built on it.
    boost::asio::io_context m_ioc;
    std::shared_ptr<boost::asio::ssl::context> m_tls;
    std::shared_ptr<const COriginAllowList> m_origins;
    boost::beast::websocket::stream<boost::asio::ssl::stream<Socket>> m_ws;

    boost::beast::flat_buffer m_requestBuffer;
    boost::beast::http::request<boost::beast::http::string_body> m_request;
    boost::beast::http::response<boost::beast::http::string_body> m_refusal;
    boost::beast::flat_buffer m_readBuffer;

    // Session thread only.
    std::deque<std::string> m_writeQueue;
    bool m_writing = false;
    Ending m_ending = Ending::None;
    boost::system::error_code m_endError;
    boost::system::error_code m_writeError;
    bool m_reachedOpen = false;
    std::weak_ptr<CWSSession> m_replaced; // the current connection before this one

    // Shared with the threads that call Deliver().
    std::mutex m_outboxMutex;
    State m_state = State::Handshaking;
    std::deque<std::string> m_outbox;
    bool m_kickPending = false;
};

// The thread function of one connection: runs the session to its end.
void WSSession(std::shared_ptr<CWSSession> session);

// The connection outbound messages go to: the session whose TLS handshake
// finished last, or null. Holding the returned pointer keeps the session
// object alive, never its connection.
std::shared_ptr<CWSSession> CurrentWebSession();
