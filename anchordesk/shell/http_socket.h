#pragma once

#include <winsock2.h>

#include <string>

// Splits "http://server[:port]/object" into the server name and the object
// path as written (still percent-encoded). The port is ignored: every
// connection goes to port 80. Returns false when the text is no http URL.
bool SplitHttpUrl(const std::string& url, std::string& server, std::string& object);

// A minimal blocking HTTP/1.1 GET client over one IPv4 TCP connection on
// port 80: builds the request header, reads the response header up to its
// empty line, and hands out the body as it arrives. One object per fetch.
class CHttpSocket {
public:
    static constexpr int kHeaderSize = 1024;
    // Bound on every wait for the server, the response header included, so a
    // server that accepts and never answers cannot hang the caller.
    static constexpr int kDefaultTimeoutMs = 10000;

    CHttpSocket();
    virtual ~CHttpSocket();

    CHttpSocket(const CHttpSocket&) = delete;
    CHttpSocket& operator=(const CHttpSocket&) = delete;

    // Builds the GET request. Returns null (and length 0) when the request
    // would not fit into kHeaderSize bytes with its terminating NUL.
    const char* FormatRequestHeader(const char* server, const char* object, long& length,
                                    const char* cookie = nullptr, const char* referer = nullptr,
                                    long rangeStart = 0, long rangeEnd = 0);
    bool Socket();
    bool Connect(const char* host);
    // Sends `data` (the request header when null) and reads the response header.
    bool SendRequest(const char* data = nullptr, long length = 0);
    bool SetTimeout(int milliseconds, int kind = 0);
    // Copies the value of the response header field `name` into `buffer`
    // (at most size - 1 bytes and a NUL); returns the value's full length,
    // or -1 when there is no header or no such field.
    int GetField(const char* name, char* buffer, int size) const;
    // Receives up to `size` body bytes; 0 or less closes the connection.
    int Receive(char* buffer, int size);

    // For cancelling from another thread: shutting the socket down makes a
    // blocked receive return at once.
    SOCKET Handle() const { return m_socket; }

    const char* ResponseHeader() const { return m_responseHeader; }
    int ResponseHeaderLength() const { return m_responseHeaderLength; }
    const char* RequestHeader() const { return m_requestHeader; }
    // The status code of the response ("HTTP/1.1 200 OK" gives 200), 0 when unknown.
    int StatusCode() const;

private:
    bool CloseSocket();

    char m_requestHeader[kHeaderSize];
    char m_responseHeader[kHeaderSize];
    int m_port;
    char m_ipAddress[256];
    BOOL m_connected;
    SOCKET m_socket;
    hostent* m_hostEntry;
    BOOL m_responseHeaderReceived;
    int m_responseHeaderLength;
};
