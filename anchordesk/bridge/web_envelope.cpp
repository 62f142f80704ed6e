#include "bridge/web_envelope.h"

#include <json/json.h>

#include <cstdio>

std::string QuoteJsonText(const std::string& text)
{
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted += '"';
    for (const char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"':  quoted += "\\\""; break;
        case '\\': quoted += "\\\\"; break;
        case '\b': quoted += "\\b"; break;
        case '\f': quoted += "\\f"; break;
        case '\n': quoted += "\\n"; break;
        case '\r': quoted += "\\r"; break;
        case '\t': quoted += "\\t"; break;
        default:
            if (byte < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(byte));
                quoted += escape;
            } else {
                quoted += c;
            }
        }
    }
    quoted += '"';
    return quoted;
}

std::string BuildWebEnvelope(int code, int operate, const std::string& msg, int uid)
{
    std::string text = "{\n";
    text += "   \"code\" : " + std::to_string(code) + ",\n";
    text += "   \"msg\" : " + QuoteJsonText(msg) + ",\n";
    text += "   \"operate\" : " + std::to_string(operate) + ",\n";
    text += "   \"uid\" : " + std::to_string(uid) + "\n";
    text += "}\n";
    return text;
}

bool ParseLenientJson(const std::string& text, Json::Value& root)
{
    // The classic reader is the one with exactly this leniency (trailing text
    // ignored); the library marks it deprecated in favour of its builder.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    Json::Reader reader(Json::Features::all());
    return reader.parse(text, root, true);
#pragma GCC diagnostic pop
}

int ReadCommandCode(Json::Value& root)
{
    return root["code"].asInt();
}
