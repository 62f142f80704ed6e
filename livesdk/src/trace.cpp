#include "trace.h"

#include "environment.h"

#include <windows.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace livesdk_impl
{
    namespace
    {
        const char kTraceVariable[] = "LIVESDK_TRACE";

        const std::chrono::steady_clock::time_point g_loaded = std::chrono::steady_clock::now();
    }

    void AppendJsonText(std::string& out, const char* bytes, size_t length)
    {
        static const char hex[] = "0123456789abcdef";
        out += '"';
        for (size_t i = 0; i < length; ++i)
        {
            const unsigned char c = static_cast<unsigned char>(bytes[i]);
            if (c == '"' || c == '\\')
            {
                out += '\\';
                out += static_cast<char>(c);
            }
            else if (c >= 0x20 && c < 0x7F)
            {
                out += static_cast<char>(c);
            }
            else
            {
                out += "\\u00";
                out += hex[c >> 4];
                out += hex[c & 0xF];
            }
        }
        out += '"';
    }

    std::string JsonBool(bool value)
    {
        return value ? "true" : "false";
    }

    std::string JsonInt(long long value)
    {
        return std::to_string(value);
    }

    std::string& CJsonObject::Key(const char* key)
    {
        if (!m_body.empty())
            m_body += ',';
        AppendJsonText(m_body, key, strlen(key));
        m_body += ':';
        return m_body;
    }

    CJsonObject& CJsonObject::Text(const char* key, const char* bytes)
    {
        if (!bytes)
            return Null(key);
        AppendJsonText(Key(key), bytes, strlen(bytes));
        return *this;
    }

    CJsonObject& CJsonObject::Text(const char* key, const std::string& bytes)
    {
        AppendJsonText(Key(key), bytes.data(), bytes.size());
        return *this;
    }

    CJsonObject& CJsonObject::Field(const char* key, const char* field, size_t size)
    {
        AppendJsonText(Key(key), field, strnlen(field, size));
        return *this;
    }

    CJsonObject& CJsonObject::Bytes(const char* key, const void* bytes, size_t length)
    {
        if (!bytes)
            return Null(key);
        AppendJsonText(Key(key), static_cast<const char*>(bytes), length);
        return *this;
    }

    CJsonObject& CJsonObject::Int(const char* key, long long value)
    {
        Key(key) += JsonInt(value);
        return *this;
    }

    CJsonObject& CJsonObject::Number(const char* key, double value)
    {
        if (!std::isfinite(value))
            return Null(key);
        char text[64];
        snprintf(text, sizeof text, "%.17g", value);
        Key(key) += text;
        return *this;
    }

    CJsonObject& CJsonObject::Bool(const char* key, bool value)
    {
        Key(key) += JsonBool(value);
        return *this;
    }

    CJsonObject& CJsonObject::Null(const char* key)
    {
        Key(key) += "null";
        return *this;
    }

    CJsonObject& CJsonObject::Pointer(const char* key, const void* value)
    {
        if (!value)
            return Null(key);
        char text[32];
        snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(value)));
        return Text(key, text);
    }

    CJsonObject& CJsonObject::Object(const char* key, const CJsonObject& value)
    {
        Key(key) += value.Json();
        return *this;
    }

    CJsonObject& CJsonObject::Array(const char* key, const CJsonArray& value)
    {
        Key(key) += value.Json();
        return *this;
    }

    void CJsonArray::Separate()
    {
        if (!m_body.empty())
            m_body += ',';
    }

    CJsonArray& CJsonArray::Add(const CJsonObject& value)
    {
        Separate();
        m_body += value.Json();
        return *this;
    }

    CJsonArray& CJsonArray::AddText(const std::string& bytes)
    {
        Separate();
        AppendJsonText(m_body, bytes.data(), bytes.size());
        return *this;
    }

    CTrace& CTrace::Instance()
    {
        // Never destroyed: SDK threads may still write while the process ends.
        static CTrace* trace = new CTrace();
        return *trace;
    }

    CTrace::CTrace() = default;

    void CTrace::Call(const char* name, const CJsonObject& args, const std::string& resultJson)
    {
        Write("call", name, ",\"args\":" + args.Json() + ",\"result\":" + resultJson);
    }

    void CTrace::Event(const char* name, bool delivered, const CJsonObject& args)
    {
        Write("event", name, ",\"delivered\":" + JsonBool(delivered) + ",\"args\":" + args.Json());
    }

    void CTrace::Info(const char* what, const CJsonObject& fields)
    {
        const std::string body = fields.Json();
        Write("info", what, body.size() > 2 ? "," + body.substr(1, body.size() - 2) : std::string());
    }

    void CTrace::OpenIfNeeded()
    {
        // The variable is looked at on every line, so a test may point the
        // trace at a new file between its cases.
        const std::string path = ReadEnvironment(kTraceVariable);
        if (path == m_path && (m_file || path.empty()))
            return;
        if (m_file)
            CloseHandle(m_file);
        m_file = nullptr;
        m_path = path;
        m_seq = 0;
        if (path.empty())
            return;
        HANDLE file = CreateFileA(FileNameFromEnvironment(path).c_str(), FILE_APPEND_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            m_file = file;
    }

    void CTrace::Write(const std::string& kindKey, const char* name, const std::string& rest)
    {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                              g_loaded)
                            .count();
        std::lock_guard<std::mutex> guard(m_lock);
        OpenIfNeeded();
        if (!m_file)
            return;
        std::string line = "{\"seq\":" + JsonInt(static_cast<long long>(++m_seq)) + ",\"ms\":" + JsonInt(ms) +
                           ",\"thread\":" + JsonInt(GetCurrentThreadId()) + ",\"" + kindKey + "\":";
        AppendJsonText(line, name, strlen(name));
        line += rest;
        line += "}\n";
        // One unbuffered write per line: a reader sees whole lines at once.
        DWORD written = 0;
        WriteFile(m_file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    }
}
