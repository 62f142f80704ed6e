#pragma once

#include <string>

namespace Json {
class Value;
}

// The JSON that crosses between the page and the program.
//
// Outbound, every message is the same four-member object, laid out exactly
// as the page's parser has always seen it:
//
//   {
//      "code" : 2,
//      "msg" : "",
//      "operate" : 1,
//      "uid" : 0
//   }
//
// Members in byte order of their keys, three spaces of indent, " : " between
// key and value, a line feed after the closing brace. `msg` bytes are copied
// unchanged except for the quote, the backslash and the control bytes below
// 0x20, which are escaped; bytes of 0x80 and above pass as they are, so text
// meant for the page must already be UTF-8.
std::string BuildWebEnvelope(int code, int operate, const std::string& msg, int uid);

// `text` as a quoted JSON string with the escaping described above.
std::string QuoteJsonText(const std::string& text);

// The lenient reading every inbound message gets: comments allowed, any JSON
// value as the root, anything after the first complete value ignored.
// Returns false when `text` does not start with a JSON value.
bool ParseLenientJson(const std::string& text, Json::Value& root);

// The command number of an inbound message: its member "code" as a 32-bit
// signed integer. Absent or null reads 0, true and false 1 and 0, a fraction
// within range is cut toward zero. A string, array, object or out-of-range
// number, or a root that is neither an object nor null, raises the JSON
// library's error (Json::LogicError), which ends the session that sent it.
int ReadCommandCode(Json::Value& root);
