#pragma once

// What the streaming tests share: a window that receives the sink's posts,
// the file log read back, and the SDK's trace read back.

#include "shell/app_paths.h"

#include "../../support/file_helpers.h"

#include <json/json.h>
#include <windows.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

// A message-only window of the test's thread; posts to it wait in the queue
// until the test takes them.
class CTestWindow {
public:
    CTestWindow() : m_hwnd(CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {}
    ~CTestWindow()
    {
        if (m_hwnd)
            DestroyWindow(m_hwnd);
    }
    CTestWindow(const CTestWindow&) = delete;
    CTestWindow& operator=(const CTestWindow&) = delete;
    HWND Handle() const { return m_hwnd; }

private:
    HWND m_hwnd;
};

// The log file beside the test program.
inline std::string LogPath()
{
    char path[MAX_PATH] = {};
    GetLogFilePath(path);
    return path;
}

inline size_t LogSize()
{
    return ReadFileBytes(LogPath()).size();
}

// Log text written since `mark`, each line's time stamp removed and its
// source line number replaced by N, so that lines compare byte for byte.
inline std::string LogSince(size_t mark)
{
    const std::string all = ReadFileBytes(LogPath());
    std::string text = mark <= all.size() ? all.substr(mark) : all;
    text = std::regex_replace(text, std::regex("\\[\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\] "), "");
    return std::regex_replace(text, std::regex("\tline:\\d+\t"), "\tline:N\t");
}

// A log entry as LogSince shows it: the message is followed by a space and
// a line end, and every line feed of the message is a CR LF in the file.
inline std::string LogEntry(const std::string& function, const std::string& message)
{
    std::string crlf;
    for (char c : message)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return function + "\tline:N\tinfo:\t" + crlf + " \r\n";
}

// The SDK's trace: every call of the file `path` in order.
inline std::vector<Json::Value> TraceCalls(const std::string& path)
{
    std::vector<Json::Value> calls;
    std::istringstream lines(ReadFileBytes(path));
    std::string line;
    Json::Reader reader;
    while (std::getline(lines, line)) {
        Json::Value record;
        if (reader.parse(line, record) && record.isMember("call"))
            calls.push_back(record);
    }
    return calls;
}

inline std::vector<Json::Value> TraceCallsNamed(const std::string& path, const std::string& name)
{
    std::vector<Json::Value> named;
    for (const Json::Value& call : TraceCalls(path))
        if (call["call"].asString() == name)
            named.push_back(call);
    return named;
}
