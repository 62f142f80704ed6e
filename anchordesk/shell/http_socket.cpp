#include "shell/http_socket.h"

#include <ws2tcpip.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char kUserAgent[] = "Mozilla/4.0 (compatible; MSIE 5.00; Windows 98)";

// Appends to a fixed buffer; false once the text (with its NUL) would not fit.
bool Append(char* buffer, size_t capacity, size_t& used, const std::string& text)
{
    if (used + text.size() + 1 > capacity)
        return false;
    std::memcpy(buffer + used, text.data(), text.size());
    used += text.size();
    buffer[used] = '\0';
    return true;
}

} // namespace

bool SplitHttpUrl(const std::string& url, std::string& server, std::string& object)
{
    const std::string scheme = "http://";
    if (url.size() <= scheme.size() || _strnicmp(url.c_str(), scheme.c_str(), scheme.size()) != 0)
        return false;
    const size_t hostStart = scheme.size();
    const size_t pathStart = url.find('/', hostStart);
    std::string authority = url.substr(hostStart, pathStart == std::string::npos ? std::string::npos
                                                                                 : pathStart - hostStart);
    const size_t colon = authority.find(':');
    server = authority.substr(0, colon);
    object = pathStart == std::string::npos ? "/" : url.substr(pathStart);
    return !server.empty();
}

CHttpSocket::CHttpSocket()
    : m_requestHeader(), m_responseHeader(), m_port(80), m_ipAddress(), m_connected(FALSE),
      m_socket(0), m_hostEntry(nullptr), m_responseHeaderReceived(FALSE), m_responseHeaderLength(-1)
{
}

CHttpSocket::~CHttpSocket()
{
    CloseSocket();
}

const char* CHttpSocket::FormatRequestHeader(const char* server, const char* object, long& length,
                                             const char* cookie, const char* referer,
                                             long rangeStart, long rangeEnd)
{
    std::memset(m_requestHeader, 0, sizeof m_requestHeader);
    length = 0;

    std::string text = std::string("GET ") + (object ? object : "") + " HTTP/1.1\r\n";
    text += std::string("Host:") + (server ? server : "") + "\r\n";
    if (referer)
        text += std::string("Referer:") + referer + "\r\n";
    text += "Accept:*/*\r\n";
    text += std::string("User-Agent:") + kUserAgent + "\r\n";
    text += "Connection:Keep-Alive\r\n";
    if (cookie)
        text += std::string("Set Cookie:0") + cookie + "\r\n";
    if (rangeStart > 0) {
        text += "Range: bytes=" + std::to_string(rangeStart) + "-";
        if (rangeEnd > rangeStart)
            text += std::to_string(rangeEnd);
        text += "\r\n";
    }
    text += "\r\n";

    size_t used = 0;
    if (!Append(m_requestHeader, sizeof m_requestHeader, used, text)) {
        std::memset(m_requestHeader, 0, sizeof m_requestHeader);
        return nullptr;
    }
    length = static_cast<long>(used);
    return m_requestHeader;
}

bool CHttpSocket::Socket()
{
    if (m_connected)
        return false;
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return false;
    const protoent* protocol = getprotobyname("tcp");
    m_socket = socket(AF_INET, SOCK_STREAM, protocol ? protocol->p_proto : IPPROTO_TCP);
    if (m_socket == INVALID_SOCKET) {
        m_socket = 0;
        return false;
    }
    return true;
}

bool CHttpSocket::Connect(const char* host)
{
    if (!host)
        return false;
    if (m_connected)
        CloseSocket();
    if (m_socket == 0 && !Socket())
        return false;

    m_hostEntry = gethostbyname(host);
    if (!m_hostEntry || m_hostEntry->h_addrtype != AF_INET || !m_hostEntry->h_addr_list[0])
        return false;

    const auto* address = reinterpret_cast<const unsigned char*>(m_hostEntry->h_addr_list[0]);
    std::snprintf(m_ipAddress, sizeof m_ipAddress, "%d.%d.%d.%d", address[0], address[1], address[2],
                  address[3]);

    sockaddr_in target = {};
    target.sin_family = AF_INET;
    target.sin_port = htons(static_cast<u_short>(m_port));
    std::memcpy(&target.sin_addr, address, 4);
    if (connect(m_socket, reinterpret_cast<const sockaddr*>(&target), sizeof target) != 0)
        return false;
    m_connected = TRUE;
    return true;
}

bool CHttpSocket::SendRequest(const char* data, long length)
{
    if (!m_connected)
        return false;
    if (!data) {
        data = m_requestHeader;
        if (length == 0)
            length = static_cast<long>(std::strlen(m_requestHeader));
    }
    if (length <= 0 || send(m_socket, data, static_cast<int>(length), 0) != length)
        return false;
    if (m_responseHeaderReceived)
        return true;

    // The server gets the same bound for its header as for the body.
    SetTimeout(kDefaultTimeoutMs, 0);

    std::memset(m_responseHeader, 0, sizeof m_responseHeader);
    int count = 0;
    while (count < kHeaderSize) {
        char byte = 0;
        if (recv(m_socket, &byte, 1, 0) != 1)
            break; // closed, failed or timed out: keep what arrived
        m_responseHeader[count++] = byte;
        if (count >= 4 && std::memcmp(m_responseHeader + count - 4, "\r\n\r\n", 4) == 0)
            break;
    }
    m_responseHeaderLength = count;
    m_responseHeaderReceived = TRUE;
    return true;
}

bool CHttpSocket::SetTimeout(int milliseconds, int kind)
{
    const DWORD value = static_cast<DWORD>(milliseconds);
    return setsockopt(m_socket, SOL_SOCKET, kind == 0 ? SO_RCVTIMEO : SO_SNDTIMEO,
                      reinterpret_cast<const char*>(&value), sizeof value) == 0;
}

int CHttpSocket::GetField(const char* name, char* buffer, int size) const
{
    if (!m_responseHeaderReceived || !name || !*name)
        return -1;
    // The header may fill all 1,024 bytes without a NUL: search only what was read.
    const std::string header(m_responseHeader, static_cast<size_t>(m_responseHeaderLength));
    const size_t found = header.find(name);
    if (found == std::string::npos)
        return -1;
    size_t valueStart = found + std::strlen(name) + 2; // the colon and one space
    if (valueStart > header.size())
        valueStart = header.size();
    size_t valueEnd = header.find("\r\n", valueStart);
    if (valueEnd == std::string::npos)
        valueEnd = header.size();
    const std::string value = header.substr(valueStart, valueEnd - valueStart);

    if (buffer && size > 0) {
        const size_t copied = value.size() < static_cast<size_t>(size - 1) ? value.size() : size - 1;
        std::memcpy(buffer, value.data(), copied);
        buffer[copied] = '\0';
    }
    return static_cast<int>(value.size());
}

int CHttpSocket::Receive(char* buffer, int size)
{
    if (!m_connected)
        return 0;
    const int count = recv(m_socket, buffer, size, 0);
    if (count <= 0)
        CloseSocket();
    return count;
}

int CHttpSocket::StatusCode() const
{
    if (!m_responseHeaderReceived)
        return 0;
    const std::string header(m_responseHeader, static_cast<size_t>(m_responseHeaderLength));
    if (header.compare(0, 5, "HTTP/") != 0)
        return 0;
    const size_t space = header.find(' ');
    if (space == std::string::npos)
        return 0;
    return std::atoi(header.c_str() + space + 1);
}

bool CHttpSocket::CloseSocket()
{
    if (m_socket == 0)
        return true;
    if (closesocket(m_socket) != 0)
        return false;
    m_socket = 0;
    m_connected = FALSE;
    return true;
}
