#pragma once

// The call and event trace: one JSON object per line in the file named by
// LIVESDK_TRACE. Texts are written byte for byte (see CJsonObject::Text), so
// GBK bytes from the host and UTF-8 device names appear exactly as passed.

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

namespace livesdk_impl
{
    // Appends a JSON string literal: printable ASCII as itself, quote and
    // backslash escaped, every other byte as \u00XX. A reader recovers the
    // bytes by taking each code point (all below 256) as one byte.
    void AppendJsonText(std::string& out, const char* bytes, size_t length);

    class CJsonArray;

    // Builds one JSON object member by member, in the order written.
    class CJsonObject
    {
    public:
        CJsonObject& Text(const char* key, const char* bytes);  // null gives null
        CJsonObject& Text(const char* key, const std::string& bytes);
        // A fixed-size text field: up to its first NUL, never beyond size.
        CJsonObject& Field(const char* key, const char* field, size_t size);
        // Exactly length bytes, NULs included.
        CJsonObject& Bytes(const char* key, const void* bytes, size_t length);
        CJsonObject& Int(const char* key, long long value);
        CJsonObject& Number(const char* key, double value);
        CJsonObject& Bool(const char* key, bool value);
        CJsonObject& Null(const char* key);
        CJsonObject& Pointer(const char* key, const void* value);  // null or "0x..."
        CJsonObject& Object(const char* key, const CJsonObject& value);
        CJsonObject& Array(const char* key, const CJsonArray& value);

        std::string Json() const { return "{" + m_body + "}"; }

    private:
        std::string& Key(const char* key);
        std::string m_body;
    };

    class CJsonArray
    {
    public:
        CJsonArray& Add(const CJsonObject& value);
        CJsonArray& AddText(const std::string& bytes);
        std::string Json() const { return "[" + m_body + "]"; }

    private:
        void Separate();
        std::string m_body;
    };

    class CTrace
    {
    public:
        static CTrace& Instance();

        // {"seq":..,"ms":..,"thread":..,"call":name,"args":{..},"result":..}
        void Call(const char* name, const CJsonObject& args, const std::string& resultJson);
        // {"seq":..,"ms":..,"thread":..,"event":name,"delivered":..,"args":{..}}
        void Event(const char* name, bool delivered, const CJsonObject& args);
        // {"seq":..,"ms":..,"thread":..,"info":what, ...fields}
        void Info(const char* what, const CJsonObject& fields);

    private:
        CTrace();
        void Write(const std::string& kindKey, const char* name, const std::string& rest);
        void OpenIfNeeded();

        std::mutex m_lock;
        std::string m_path;  // the variable's value the open file belongs to
        void* m_file = nullptr;
        uint64_t m_seq = 0;
    };

    std::string JsonBool(bool value);
    std::string JsonInt(long long value);
}
