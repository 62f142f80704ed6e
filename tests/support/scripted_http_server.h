#pragma once

// A one-connection HTTP server on 127.0.0.1:80 for the tests: it reads the
// request header and answers with fixed bytes, optionally holding the
// connection open afterwards (silent) instead of closing it.

#include <winsock2.h>

#include <string>
#include <thread>

namespace {

class ScriptedServer {
public:
    explicit ScriptedServer(std::string reply, bool silent = false, bool closeAfterReply = true)
        : m_reply(std::move(reply)), m_silent(silent), m_closeAfterReply(closeAfterReply)
    {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        m_listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        BOOL reuse = TRUE;
        setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof reuse);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_port = htons(80);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_ready = bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                  listen(m_listener, 1) == 0;
        if (m_ready)
            m_thread = std::thread([this] { Serve(); });
    }
    ~ScriptedServer()
    {
        closesocket(m_listener);
        if (m_thread.joinable())
            m_thread.join();
    }
    bool Ready() const { return m_ready; }
    std::string Request() const { return m_request; }

private:
    void Serve()
    {
        SOCKET client = accept(m_listener, nullptr, nullptr);
        if (client == INVALID_SOCKET)
            return;
        char byte;
        while (m_request.find("\r\n\r\n") == std::string::npos && recv(client, &byte, 1, 0) == 1)
            m_request += byte;
        if (!m_silent && !m_reply.empty())
            send(client, m_reply.data(), static_cast<int>(m_reply.size()), 0);
        if (m_silent || !m_closeAfterReply) {
            // Hold the connection open until the client gives up or closes.
            char ignored[16];
            recv(client, ignored, sizeof ignored, 0);
        }
        shutdown(client, SD_BOTH);
        closesocket(client);
    }

    std::string m_reply;
    bool m_silent;
    bool m_closeAfterReply;
    SOCKET m_listener = INVALID_SOCKET;
    bool m_ready = false;
    std::thread m_thread;
    std::string m_request;
};

} // namespace
