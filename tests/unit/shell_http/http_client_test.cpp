#include "shell/http_socket.h"
#include "shell/version_check.h"
#include "../../support/file_helpers.h"
#include "../../support/scripted_http_server.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string Fetch(CHttpSocket& http)
{
    long length = 0;
    http.FormatRequestHeader("127.0.0.1", "/x/y.ini", length);
    EXPECT_TRUE(http.Socket());
    EXPECT_TRUE(http.Connect("127.0.0.1"));
    EXPECT_TRUE(http.SendRequest());
    return http.ResponseHeader();
}

const char kCommonLines[] =
    "Accept:*/*\r\nUser-Agent:Mozilla/4.0 (compatible; MSIE 5.00; Windows 98)\r\nConnection:Keep-Alive\r\n";

TEST(HttpClient, RequestHeaderTexts)
{
    struct Case {
        const char* cookie;
        const char* referer;
        long start, end;
        std::string expected;
    };
    const std::string get = "GET /x/y.ini HTTP/1.1\r\nHost:dl.example\r\n";
    const Case cases[] = {
        {nullptr, nullptr, 0, 0, get + kCommonLines + "\r\n"},
        {nullptr, nullptr, 100, 0, get + kCommonLines + "Range: bytes=100-\r\n\r\n"},
        {nullptr, nullptr, 100, 200, get + kCommonLines + "Range: bytes=100-200\r\n\r\n"},
        {nullptr, nullptr, 0, 200, get + kCommonLines + "\r\n"},
        {"c=1", "http://r/", 0, 0,
         get + "Referer:http://r/\r\n" + kCommonLines + "Set Cookie:0c=1\r\n\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        CHttpSocket http;
        long length = -1;
        const char* text = http.FormatRequestHeader("dl.example", "/x/y.ini", length, c.cookie, c.referer,
                                                    c.start, c.end);
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(std::string(text), c.expected);
        EXPECT_EQ(length, static_cast<long>(c.expected.size()));
    }

    // A request that would not fit the 1,024-byte header is refused, not overrun.
    CHttpSocket http;
    long length = -1;
    EXPECT_EQ(http.FormatRequestHeader("dl.example", ("/" + std::string(1000, 'a')).c_str(), length), nullptr);
    EXPECT_EQ(length, 0);
}

TEST(HttpClient, GetFieldCases)
{
    struct Case {
        std::string header;
        const char* name;
        int expectedLength;
        std::string expectedValue;
    };
    const std::string longValue(100, 'v');
    const Case cases[] = {
        {"HTTP/1.1 200 OK\r\nContent-Length: 7\r\n\r\n", "Content-Length", 1, "7"},
        {"HTTP/1.1 200 OK\r\nContent-Length:17\r\n\r\n", "Content-Length", 1, "7"},
        {"HTTP/1.1 200 OK\r\n\r\n", "Content-Length", -1, ""},
        {"HTTP/1.1 200 OK\r\ncontent-length: 7\r\n\r\n", "Content-Length", -1, ""},
        {"HTTP/1.1 200 OK\r\nX-Long: " + longValue + "\r\n\r\n", "X-Long", 100, longValue.substr(0, 29)},
        // 1,024 header bytes without an empty line: the value runs to the end of what was read.
        {"HTTP/1.1 200 OK\r\n" + std::string(1024 - 17 - 11, 'p') + "X-Tail: abc", "X-Tail", 3, "abc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.header.substr(0, 60));
        ScriptedServer server(c.header + "rest of the stream");
        ASSERT_TRUE(server.Ready()) << "port 80 is taken";
        CHttpSocket http;
        Fetch(http);

        char buffer[40];
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(http.GetField(c.name, buffer, 30), c.expectedLength);
        if (c.expectedLength >= 0) {
            EXPECT_EQ(std::string(buffer), c.expectedValue);
        }
        EXPECT_EQ(std::string(buffer + 30, 10), std::string(10, '#')) << "wrote past the buffer";
    }
}

TEST(HttpClient, HeaderCutAt1024BytesLeavesTheRestAsBody)
{
    const std::string header = "HTTP/1.1 200 OK\r\n" + std::string(1100, 'h') + "\r\n\r\n";
    ScriptedServer server(header);
    ASSERT_TRUE(server.Ready());
    CHttpSocket http;
    Fetch(http);
    EXPECT_EQ(http.ResponseHeaderLength(), 1024);

    std::string rest;
    char piece[256];
    int count;
    while ((count = http.Receive(piece, sizeof piece)) > 0)
        rest.append(piece, count);
    EXPECT_EQ(rest, header.substr(1024));
    EXPECT_EQ(http.Receive(piece, sizeof piece), 0) << "a closed connection keeps returning 0";
}

TEST(HttpClient, SilentServerDoesNotHangTheHeaderRead)
{
    ScriptedServer server("", /*silent=*/true);
    ASSERT_TRUE(server.Ready());
    CHttpSocket http;
    EXPECT_EQ(Fetch(http), "");
    char buffer[30];
    EXPECT_EQ(http.GetField("Content-Length", buffer, sizeof buffer), -1);
}

TEST(HttpClient, HttpGetKeepsTheWholeBody)
{
    std::string body;
    for (int i = 0; body.size() < 3000; ++i)
        body += std::to_string(i) + ",";
    body.resize(3000);
    ScriptedServer server("HTTP/1.1 200 OK\r\nContent-Length: 3000\r\n\r\n" + body);
    ASSERT_TRUE(server.Ready());
    EXPECT_EQ(HttpGet("http://127.0.0.1/zudodovide/vlver.ini"), body);
    EXPECT_EQ(server.Request().substr(0, 44), "GET /zudodovide/vlver.ini HTTP/1.1\r\nHost:127");
}

TEST(HttpClient, HttpGetWithoutServerIsEmpty)
{
    EXPECT_EQ(HttpGet("http://127.0.0.1/zudodovide/vlver.ini"), "");
    EXPECT_EQ(HttpGet("not a url"), "");
}

TEST(VersionCheck, ParseVersion)
{
    struct Case {
        std::string text;
        int expected[4];
    };
    const Case cases[] = {
        {"1.0.0.10", {1, 0, 0, 10}},
        {"1.0.0.", {1, 0, 0, 0}},
        {"1.0.0.10\r", {1, 0, 0, 10}},
        {"1.2", {1, 2, 0, 0}},
        {"", {0, 0, 0, 0}},
        {"9a.a9. 3.-4", {9, 0, 3, -4}},
        {"1.2.3.4.5.6", {1, 2, 3, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        int parts[4] = {0, 0, 0, 0};
        ParseVersion(c.text, parts);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(parts[i], c.expected[i]) << "component " << i;
    }
}

TEST(VersionCheck, ComponentWiseComparison)
{
    struct Case {
        const char* running;
        const char* server; // as fetched, line end included
        bool offered;
    };
    const Case cases[] = {
        {"1.0.0.9", "1.0.0.10\n", true},
        {"1.0.0.9", "1.0.0.9", false},   // no line end: the last digit is lost
        {"1.0.0.9", "1.0.0.9\r\n", false},
        {"1.0.0.9", "1.0.0.10\r\n", true},
        {"1.1.0.0", "1.0.5.0\n", true},  // per component, on purpose
        {"2.0.0.0", "1.9.9.9\n", true},
        {"1.0.0.1", "1.0.0.1\n", false},
        {"", "0.0.0.1\n", true},         // unreadable running version counts as 0.0.0.0
        {"1.0.0.1", "", false},          // server unreachable
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.running) + " vs " + c.server);
        int running[4] = {0, 0, 0, 0}, server[4] = {0, 0, 0, 0};
        std::string fetched = c.server;
        if (!fetched.empty())
            fetched.pop_back();
        ParseVersion(c.running, running);
        ParseVersion(fetched, server);
        EXPECT_EQ(IsUpdateOffered(running, server), c.offered);
    }
}

TEST(VersionCheck, DownloadServerFromConfIni)
{
    DeleteFileA("conf.ini");
    EXPECT_EQ(VersionFileUrl(), "http://dl.anchorlive.example/zudodovide/vlver.ini");
    EXPECT_EQ(InstallerUrl(), "http://dl.anchorlive.example/quorapk/%61%6E%63%68%6F%72%64%65%73%6B.exe");

    WriteFileBytes("conf.ini", "[Update]\r\nHost=127.0.0.1\r\nInstallerUrl=http://127.0.0.1/quorapk/a.exe\r\n");
    EXPECT_EQ(VersionFileUrl(), "http://127.0.0.1/zudodovide/vlver.ini");
    EXPECT_EQ(InstallerUrl(), "http://127.0.0.1/quorapk/a.exe");
    DeleteFileA("conf.ini");
}

} // namespace
