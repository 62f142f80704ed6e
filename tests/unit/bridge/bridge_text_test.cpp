#include "bridge/origin_allow_list.h"
#include "bridge/text_codec.h"
#include "bridge/web_envelope.h"
#include "../../support/file_helpers.h"

#include <gtest/gtest.h>
#include <json/json.h>

#include <climits>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// The lines every envelope is made of, with `msg` already quoted.
std::string Envelope(const std::string& code, const std::string& quotedMsg, const std::string& operate,
                     const std::string& uid)
{
    return "{\n   \"code\" : " + code + ",\n   \"msg\" : " + quotedMsg + ",\n   \"operate\" : " + operate +
           ",\n   \"uid\" : " + uid + "\n}\n";
}

TEST(WebEnvelope, JsonErrorReplyByteForByte)
{
    EXPECT_EQ(BuildWebEnvelope(0, 0, "Json error", 0),
              "{\n"
              "   \"code\" : 0,\n"
              "   \"msg\" : \"Json error\",\n"
              "   \"operate\" : 0,\n"
              "   \"uid\" : 0\n"
              "}\n");
}

TEST(WebEnvelope, NumbersArePlainDecimal)
{
    EXPECT_EQ(BuildWebEnvelope(50, 1, "1.0.0.1", 0), Envelope("50", "\"1.0.0.1\"", "1", "0"));
    EXPECT_EQ(BuildWebEnvelope(-7, 0, "", INT_MIN), Envelope("-7", "\"\"", "0", "-2147483648"));
    EXPECT_EQ(BuildWebEnvelope(INT_MAX, 1, "", 123456), Envelope("2147483647", "\"\"", "1", "123456"));
}

TEST(WebEnvelope, MsgEscaping)
{
    struct Case {
        std::string msg;
        std::string quoted;
    };
    const std::vector<Case> cases = {
        {"line\nbreak", "\"line\\nbreak\""},
        {"\"quoted\" back\\slash", "\"\\\"quoted\\\" back\\\\slash\""},
        {"\b\f\r\t", "\"\\b\\f\\r\\t\""},
        {"unit\x1Fsep", "\"unit\\u001Fsep\""},
        {"\x01\x1B", "\"\\u0001\\u001B\""},
        {std::string("a\0b", 3), "\"a\\u0000b\""},
        // GBK, UTF-8 and lone high bytes all pass unchanged, as does DEL.
        {"\xD6\xD0\xCE\xC4", "\"\xD6\xD0\xCE\xC4\""},
        {"\xE4\xB8\xAD", "\"\xE4\xB8\xAD\""},
        {"\x80\xFF\x7F", "\"\x80\xFF\x7F\""},
        {"/ slash stays", "\"/ slash stays\""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(QuoteJsonText(c.msg), c.quoted);
        EXPECT_EQ(BuildWebEnvelope(1, 1, c.msg, 0), Envelope("1", c.quoted, "1", "0"));
    }
}

TEST(WebEnvelope, PageParsesWhatWasSent)
{
    const std::string msg = std::string("x\n\"\\\x1F\0y", 7);
    Json::Value root;
    ASSERT_TRUE(ParseLenientJson(BuildWebEnvelope(7, 0, msg, 42), root));
    EXPECT_EQ(root["code"].asInt(), 7);
    EXPECT_EQ(root["operate"].asInt(), 0);
    EXPECT_EQ(root["uid"].asInt(), 42);
    EXPECT_EQ(root["msg"].asString(), msg);
}

TEST(CommandCode, ReadFromLenientlyParsedText)
{
    struct Case {
        const char* text;
        int code;
    };
    const Case cases[] = {
        {"{\"code\":3}", 3},
        {"{\"code\":3.9}", 3},
        {"{\"code\":-3.9}", -3},
        {"{\"code\":true}", 1},
        {"{\"code\":false}", 0},
        {"{\"code\":null}", 0},
        {"{}", 0},
        {"null", 0},
        {"{\"other\":5}", 0},
        {"{\"code\":2147483647}", INT_MAX},
        {"{\"code\":-2147483648}", INT_MIN},
        {"{\"code\":3} and stray text after it", 3},
        {"/* comment */ {\"code\":50} // trailing", 50},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Json::Value root;
        ASSERT_TRUE(ParseLenientJson(c.text, root));
        EXPECT_EQ(ReadCommandCode(root), c.code);
    }
}

TEST(CommandCode, UnusableCodeRaises)
{
    const char* const cases[] = {
        "{\"code\":\"3\"}",       // string
        "{\"code\":[3]}",         // array
        "{\"code\":{}}",          // object
        "{\"code\":2147483648}",  // out of range
        "{\"code\":-2147483649}", // out of range
        "{\"code\":1e10}",        // fraction out of range
        "[3]",                    // root not an object
        "5",
        "\"text\"",
    };
    for (const char* text : cases) {
        SCOPED_TRACE(text);
        Json::Value root;
        ASSERT_TRUE(ParseLenientJson(text, root));
        EXPECT_THROW(ReadCommandCode(root), Json::LogicError);
    }

    Json::Value array;
    ASSERT_TRUE(ParseLenientJson("[1]", array));
    try {
        ReadCommandCode(array);
        FAIL() << "no error for an array root";
    } catch (const Json::LogicError& error) {
        EXPECT_STREQ(error.what(), "in Json::Value::resolveReference(key, end): requires objectValue");
    }
}

TEST(CommandCode, NotJson)
{
    for (const char* text : {"", "   ", "{code:3}", "{\"code\":3", "hello"}) {
        SCOPED_TRACE(text);
        Json::Value root;
        EXPECT_FALSE(ParseLenientJson(text, root));
    }
}

TEST(Utf8ToAnsi, ConvertsToGbk)
{
    struct Case {
        std::string utf8;
        std::string ansi;
    };
    const std::vector<Case> cases = {
        {"{\"code\":2}", "{\"code\":2}"},
        {u8"中文", "\xD6\xD0\xCE\xC4"},
        {u8"{\"devicename\":\"摄像头\"}", "{\"devicename\":\"\xC9\xE3\xCF\xF1\xCD\xB7\"}"},
        {u8"a\u0E01b", "a?b"},              // Thai: not in GBK
        {u8"\u0E01\u0E02", "??"},
        {"a\xFF" "b", "a?b"},               // not UTF-8 at all
        {std::string("ab\0cd", 5), "ab"},   // ends at the first NUL
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ansi);
        EXPECT_EQ(ConvertUtf8ToAnsi(c.utf8), c.ansi);
    }
}

TEST(OriginAllowList, SiteOriginsAndConfiguredOnes)
{
    const COriginAllowList list({"https://test.example.org", " http://LOCALHOST:8080/ "});
    EXPECT_TRUE(list.Allows("https://www.anchorlive.example"));
    EXPECT_TRUE(list.Allows("HTTPS://Live.AnchorLive.example"));
    EXPECT_TRUE(list.Allows("https://test.example.org"));
    EXPECT_TRUE(list.Allows("http://localhost:8080"));

    EXPECT_FALSE(list.Allows("https://evil.example"));
    EXPECT_FALSE(list.Allows("http://www.anchorlive.example"));      // other scheme
    EXPECT_FALSE(list.Allows("https://www.anchorlive.example:444")); // other port
    EXPECT_FALSE(list.Allows("https://www.anchorlive.example.evil")); // suffix
    EXPECT_FALSE(list.Allows("null"));
    EXPECT_FALSE(list.Allows(""));
}

TEST(OriginAllowList, SplitsTheConfiguredList)
{
    EXPECT_EQ(COriginAllowList::Split(" https://a.example , ,https://b.example,"),
              (std::vector<std::string>{"https://a.example", "https://b.example"}));
    EXPECT_TRUE(COriginAllowList::Split("").empty());
}

TEST(OriginAllowList, ReadsConfIni)
{
    WriteFileBytes("conf.ini", "[PKInfo]\r\nPK=7\r\n[Bridge]\r\nOrigins=https://a.example, https://b.example:8443\r\n");
    const COriginAllowList list = COriginAllowList::FromConfig("conf.ini");
    EXPECT_TRUE(list.Allows("https://a.example"));
    EXPECT_TRUE(list.Allows("https://b.example:8443"));
    EXPECT_TRUE(list.Allows("https://www.anchorlive.example"));
    EXPECT_FALSE(list.Allows("https://c.example"));

    // A file the INI reader refuses adds nothing, and takes nothing away.
    WriteFileBytes("conf.ini", "[Bridge]\r\nOrigins=https://a.example\r\n[Bridge]\r\n");
    const COriginAllowList refused = COriginAllowList::FromConfig("conf.ini");
    EXPECT_FALSE(refused.Allows("https://a.example"));
    EXPECT_TRUE(refused.Allows("https://www.anchorlive.example"));
    std::remove("conf.ini");
}

} // namespace
