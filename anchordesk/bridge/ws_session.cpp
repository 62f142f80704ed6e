#include "bridge/ws_session.h"

#include "bridge/msg_bridge.h"
#include "shell/file_log.h"

#include <boost/asio/post.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/beast/core/buffers_to_string.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/websocket.hpp>
#include <boost/beast/websocket/ssl.hpp>

#include <windows.h>

#include <iostream>
#include <sstream>

namespace net = boost::asio;
namespace ssl = boost::asio::ssl;
namespace beast = boost::beast;
namespace http = boost::beast::http;
namespace websocket = boost::beast::websocket;
using boost::system::error_code;

namespace {

const char kServerHeader[] = "Boost.Beast/248 websocket-sync";
const std::size_t kMaxMessageBytes = 16 * 1024 * 1024;
const std::size_t kFragmentBytes = 4096;

const char kLostCaption[] = "错误";
const char kLostText[] = "WS连接已断开,请关闭并重新启动anchordesk";

// The connection outbound messages go to. A weak reference: it can name a
// session whose connection has ended (Deliver() then refuses), but never a
// stream that no longer exists.
std::mutex g_currentMutex;
std::weak_ptr<CWSSession> g_pCurrentWS;

void Log(const char* function, int line, const std::string& text)
{
    WriteLog(LOG_INFO, function, line, (text + "\n").c_str());
}

// "Error: ..." on the standard error stream, one whole line per session.
void ReportError(const std::string& description)
{
    static std::mutex lock;
    std::lock_guard<std::mutex> guard(lock);
    std::cerr << "Error: " << description << std::endl;
}

} // namespace

void WSSession(std::shared_ptr<CWSSession> session)
{
    session->Run();
}

std::shared_ptr<CWSSession> CurrentWebSession()
{
    std::lock_guard<std::mutex> lock(g_currentMutex);
    return g_pCurrentWS.lock();
}

CWSSession::CWSSession(std::shared_ptr<ssl::context> tls, std::shared_ptr<const COriginAllowList> origins)
    : m_ioc(1), m_tls(std::move(tls)), m_origins(std::move(origins)), m_ws(m_ioc, *m_tls)
{
}

CWSSession::~CWSSession() = default;

CWSSession::Socket& CWSSession::TcpSocket()
{
    return beast::get_lowest_layer(m_ws);
}

void CWSSession::Run()
{
    m_ws.next_layer().async_handshake(ssl::stream_base::server,
                                      [this](const error_code& ec) { OnHandshake(ec); });

    // Errors of the network carry an error code and come back through the
    // handlers (EndWith); anything else raised while a message is handled
    // (the JSON library's conversion errors above all) leaves run() here.
    std::string otherError;
    try {
        m_ioc.run();
    } catch (const std::exception& error) {
        otherError = error.what();
        if (otherError.empty())
            otherError = "unknown error";
    } catch (...) {
        otherError = "unknown error";
    }

    const size_t dropped = CloseOutbox();
    if (dropped > 0)
        Log("CWSSession::Run", __LINE__,
            std::to_string(dropped) + " outbound message(s) dropped: the connection has ended");

    if (!otherError.empty())
        HandleOtherError(otherError);
    else if (m_ending == Ending::Refused)
        return; // nothing of the program was touched; end quietly
    else
        HandleNetworkEnd(m_reachedOpen);
}

bool CWSSession::Deliver(std::string text)
{
    std::lock_guard<std::mutex> lock(m_outboxMutex);
    if (m_state != State::Open)
        return false;
    m_outbox.push_back(std::move(text));
    if (!m_kickPending) {
        m_kickPending = true;
        net::post(m_ioc, [this] { OnKick(); });
    }
    return true;
}

void CWSSession::OnHandshake(const error_code& ec)
{
    if (ec)
        return EndWith(Ending::Network, ec);

    {
        std::lock_guard<std::mutex> lock(m_outboxMutex);
        m_state = State::Registered;
    }
    // From here on this is the connection outbound messages go to, even
    // before (and whether or not) the upgrade succeeds.
    {
        std::lock_guard<std::mutex> lock(g_currentMutex);
        m_replaced = g_pCurrentWS;
        g_pCurrentWS = shared_from_this();
    }

    m_ws.set_option(websocket::stream_base::decorator(
        [](websocket::response_type& response) { response.set(http::field::server, kServerHeader); }));
    websocket::permessage_deflate deflate;
    deflate.server_enable = false;
    deflate.client_enable = false;
    m_ws.set_option(deflate);
    m_ws.read_message_max(kMaxMessageBytes);
    m_ws.auto_fragment(true);
    m_ws.write_buffer_bytes(kFragmentBytes);
    m_ws.text(true);

    // The upgrade request is read here rather than inside the accept, so
    // that its Origin can be looked at first.
    http::async_read(m_ws.next_layer(), m_requestBuffer, m_request,
                     [this](const error_code& readError, std::size_t) { OnRequest(readError); });
}

void CWSSession::OnRequest(const error_code& ec)
{
    if (ec)
        return EndWith(Ending::Network, ec);

    const auto origin = m_request.find(http::field::origin);
    if (origin != m_request.end()) {
        const std::string value(origin->value());
        if (!m_origins->Allows(value))
            return Refuse(value);
    }
    m_ws.async_accept(m_request, [this](const error_code& acceptError) { OnAccept(acceptError); });
}

void CWSSession::Refuse(const std::string& origin)
{
    Log("CWSSession::Refuse", __LINE__,
        "upgrade refused with 403: Origin \"" + origin + "\" is not an allowed page");

    StepDownAsCurrent();

    m_refusal = {};
    m_refusal.version(m_request.version());
    m_refusal.result(http::status::forbidden);
    m_refusal.set(http::field::server, kServerHeader);
    m_refusal.set(http::field::content_type, "text/plain");
    m_refusal.keep_alive(false);
    m_refusal.body() = "Origin not allowed\n";
    m_refusal.prepare_payload();
    http::async_write(m_ws.next_layer(), m_refusal, [this](const error_code&, std::size_t) {
        EndWith(Ending::Refused, error_code());
    });
}

// A connection that never became a WebSocket (a refused page, a stray
// request, a failed upgrade) gives the replies back to the connection it took
// them from, unless a newer one has taken them meanwhile.
void CWSSession::StepDownAsCurrent()
{
    std::lock_guard<std::mutex> lock(g_currentMutex);
    if (g_pCurrentWS.lock().get() == this)
        g_pCurrentWS = m_replaced;
}

void CWSSession::OnAccept(const error_code& ec)
{
    if (ec)
        return EndWith(Ending::Network, ec);
    {
        std::lock_guard<std::mutex> lock(m_outboxMutex);
        m_state = State::Open;
    }
    m_reachedOpen = true;
    ReadNext();
}

void CWSSession::ReadNext()
{
    // A fresh buffer per message: a big message does not keep its memory.
    m_readBuffer.consume(m_readBuffer.size());
    m_readBuffer.shrink_to_fit();
    m_ws.async_read(m_readBuffer, [this](const error_code& ec, std::size_t) { OnRead(ec); });
}

void CWSSession::OnRead(const error_code& ec)
{
    if (m_ending != Ending::None)
        return;
    if (ec)
        return EndWith(Ending::Network, ec);

    // Text and binary messages alike: only the bytes matter.
    std::string text = beast::buffers_to_string(m_readBuffer.data());
    m_readBuffer.consume(m_readBuffer.size());
    CMsgBridge::GetInstance()->WSMessage(std::move(text));
    ReadNext();
}

void CWSSession::OnKick()
{
    {
        std::lock_guard<std::mutex> lock(m_outboxMutex);
        m_kickPending = false;
        while (!m_outbox.empty()) {
            m_writeQueue.push_back(std::move(m_outbox.front()));
            m_outbox.pop_front();
        }
    }
    WriteNext();
}

void CWSSession::WriteNext()
{
    if (m_writing || m_writeQueue.empty() || m_ending != Ending::None || m_writeError)
        return;
    m_writing = true;
    m_ws.async_write(net::buffer(m_writeQueue.front()),
                     [this](const error_code& ec, std::size_t) { OnWrite(ec); });
}

void CWSSession::OnWrite(const error_code& ec)
{
    m_writing = false;
    if (ec) {
        m_writeError = ec;
        Log("CWSSession::OnWrite", __LINE__, "write failed: " + ec.message());
        // While the page's closing handshake (or a failed read) is under
        // way the stream refuses writes; the pending read then ends the
        // session itself. Any other write failure ends it here.
        if (ec != websocket::error::closed && ec != net::error::operation_aborted)
            EndWith(Ending::Network, ec);
        return;
    }
    m_writeQueue.pop_front();
    WriteNext();
}

void CWSSession::EndWith(Ending how, const error_code& ec)
{
    if (m_ending != Ending::None)
        return;
    m_ending = how;
    m_endError = ec;
    m_ioc.stop();
}

size_t CWSSession::CloseOutbox()
{
    std::lock_guard<std::mutex> lock(m_outboxMutex);
    m_state = State::Ended;
    const size_t pending = m_outbox.size() + m_writeQueue.size();
    m_outbox.clear();
    m_writeQueue.clear();
    return pending;
}

void CWSSession::HandleNetworkEnd(bool wasOpen)
{
    const bool normalClose = (m_endError == websocket::error::closed);

    // Streaming stops when the page's connection goes. A connection that
    // never became a WebSocket was never the page's: a stray request must
    // not stop a broadcast.
    if (wasOpen)
        CMsgBridge::GetInstance()->WSClose();
    else
        StepDownAsCurrent();

    if (!normalClose)
        ReportError(m_endError.message());

    const bool socketOpen = beast::get_lowest_layer(m_ws).is_open();
    const bool tellUser = wasOpen && !socketOpen;

    std::ostringstream text;
    text << "connection ended: " << (normalClose ? "closed by the page" : m_endError.message())
         << (wasOpen ? "; streaming stopped" : "; it never became a WebSocket")
         << (tellUser ? "; message box shown" : "");
    Log("CWSSession::Run", __LINE__, text.str());

    CloseConnection();
    if (tellUser)
        MessageBoxA(nullptr, kLostText, kLostCaption, MB_OK);
}

// The page learns at once that this connection is gone, however long the
// message box below waits for the user.
void CWSSession::CloseConnection()
{
    error_code ignored;
    beast::get_lowest_layer(m_ws).shutdown(net::socket_base::shutdown_both, ignored);
    beast::get_lowest_layer(m_ws).close(ignored);
}

void CWSSession::HandleOtherError(const std::string& description)
{
    ReportError(description);
    Log("CWSSession::Run", __LINE__,
        "connection ended: " + description + "; streaming not stopped; message box shown");
    CloseConnection();
    MessageBoxA(nullptr, kLostText, kLostCaption, MB_OK);
}
