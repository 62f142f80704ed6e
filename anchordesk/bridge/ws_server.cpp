#include "bridge/ws_server.h"

#include "bridge/origin_allow_list.h"
#include "bridge/ws_session.h"
#include "shell/file_log.h"

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl.hpp>

#include <iostream>
#include <memory>
#include <thread>

namespace net = boost::asio;
namespace ssl = boost::asio::ssl;
using tcp = boost::asio::ip::tcp;
using boost::system::error_code;
using boost::system::system_error;

namespace {

// Errors of each step carry the step's name: "bind: ...".
void Check(const error_code& ec, const char* step)
{
    if (ec)
        throw system_error(ec, step);
}

// A peer that gives up between the system's accept and ours costs that one
// connection, not the server.
bool IsTransientAcceptError(const error_code& ec)
{
    return ec == net::error::connection_aborted || ec == net::error::connection_reset ||
           ec == net::error::try_again || ec == net::error::would_block;
}

void RunServer()
{
    error_code ec;
    const auto address = net::ip::make_address_v4(kBridgeAddress, ec);
    Check(ec, "make_address");

    // Sessions run I/O contexts of their own; this one only serves the
    // blocking calls of the listener.
    std::unique_ptr<net::io_context> ioc;
    try {
        ioc = std::make_unique<net::io_context>(1);
    } catch (const system_error& error) {
        throw system_error(error.code(), "winsock");
    }

    // Shared with every session, so that it outlives them all.
    std::shared_ptr<ssl::context> tls;
    try {
        tls = std::make_shared<ssl::context>(ssl::context::tls_server);
    } catch (const system_error& error) {
        throw system_error(error.code(), "context");
    }
    tls->set_options(ssl::context::no_compression, ec);
    Check(ec, "context");
    tls->use_certificate_chain_file("plugin.pem", ec);
    Check(ec, "use_certificate_chain_file");
    tls->use_private_key_file("plugin.key", ssl::context::pem, ec);
    Check(ec, "use_private_key_file");

    const tcp::endpoint endpoint(address, kBridgePort);
    tcp::acceptor acceptor(*ioc);
    acceptor.open(endpoint.protocol(), ec);
    Check(ec, "open");
    acceptor.set_option(net::socket_base::reuse_address(true), ec);
    Check(ec, "set_option");
    acceptor.bind(endpoint, ec);
    Check(ec, "bind");
    acceptor.listen(net::socket_base::max_listen_connections, ec);
    Check(ec, "listen");

    const auto origins =
        std::make_shared<const COriginAllowList>(COriginAllowList::FromConfig("conf.ini"));
    std::string allowed;
    for (const std::string& origin : origins->Origins())
        allowed += " " + origin;
    WriteLog(LOG_INFO, "WSServerThread", __LINE__,
             ("listening on wss://127.0.0.1:23233, pages allowed:" + allowed + "\n").c_str());

    for (;;) {
        auto session = std::make_shared<CWSSession>(tls, origins);
        acceptor.accept(session->TcpSocket(), ec);
        if (ec) {
            if (IsTransientAcceptError(ec)) {
                WriteLog(LOG_INFO, "WSServerThread", __LINE__,
                         ("accept: " + ec.message() + "; still listening\n").c_str());
                continue;
            }
            Check(ec, "accept");
        }
        std::thread(WSSession, session).detach();
    }
}

} // namespace

void WSServerThread()
{
    try {
        RunServer();
    } catch (const std::exception& error) {
        std::cerr << "Error: " << error.what() << std::endl;
        WriteLog(LOG_INFO, "WSServerThread", __LINE__,
                 (std::string("no web bridge: ") + error.what() + "\n").c_str());
    }
}
