// Checks that the Windows environment the product runs in is the one it is
// built for, and that each cross-compiled library works as the product uses it.

#include <gtest/gtest.h>

#include <windows.h>

#include <boost/asio/ip/address.hpp>
#include <json/json.h>
#include <libyuv.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>

#include <cstdint>
#include <memory>
#include <string>

TEST(Environment, AnsiCodePageIsGbk)
{
    // Every narrow text of the program is GBK; a Wine started without the
    // Chinese locale would silently produce other bytes.
    ASSERT_EQ(GetACP(), 936u) << "start Wine with LANG=zh_CN.UTF-8";
}

TEST(Environment, NarrowLiteralsAreCompiledAsGbk)
{
    const std::string text = "发现新版本  ";
    EXPECT_EQ(text.size(), 12u);
    EXPECT_EQ(text.substr(0, 2), "\xB7\xA2");

    wchar_t wide[16] = {};
    ASSERT_GT(MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, 16), 0);
    EXPECT_EQ(std::wstring(wide), L"发现新版本  ");
}

TEST(Dependencies, JsoncppRoundTrip)
{
    Json::Value value;
    value["code"] = 50;
    value["msg"] = "1.0.0.1";
    const std::string text = Json::FastWriter().write(value);

    Json::Value parsed;
    ASSERT_TRUE(Json::Reader().parse(text, parsed));
    EXPECT_EQ(parsed["code"].asInt(), 50);
    EXPECT_EQ(parsed["msg"].asString(), "1.0.0.1");
}

TEST(Dependencies, OpenSslSha256AndTlsContext)
{
    const std::string text = "abc";
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    ASSERT_EQ(EVP_Digest(text.data(), text.size(), digest, &length, EVP_sha256(), nullptr), 1);
    ASSERT_EQ(length, 32u);
    static const unsigned char expected[32] = {
        0xba, 0x78, 0x16, 0xbf, 0x8f, 0x01, 0xcf, 0xea, 0x41, 0x41, 0x40, 0xde, 0x5d, 0xae, 0x22, 0x23,
        0xb0, 0x03, 0x61, 0xa3, 0x96, 0x17, 0x7a, 0x9c, 0xb4, 0x10, 0xff, 0x61, 0xf2, 0x00, 0x15, 0xad};
    EXPECT_EQ(0, memcmp(digest, expected, 32));

    std::unique_ptr<SSL_CTX, decltype(&SSL_CTX_free)> context(SSL_CTX_new(TLS_server_method()), SSL_CTX_free);
    EXPECT_NE(context.get(), nullptr);
}

TEST(Dependencies, LibyuvArgbToI420OfPureWhite)
{
    // 2 x 2 white pixels (B, G, R, A) give full-range-limited luma 235 and neutral chroma.
    uint8_t argb[16];
    memset(argb, 0xFF, sizeof argb);
    uint8_t y[4] = {}, u[1] = {}, v[1] = {};
    ASSERT_EQ(libyuv::ARGBToI420(argb, 8, y, 2, u, 1, v, 1, 2, 2), 0);
    for (uint8_t luma : y)
        EXPECT_EQ(luma, 235);
    EXPECT_EQ(u[0], 128);
    EXPECT_EQ(v[0], 128);
}

TEST(Dependencies, BoostAsioParsesLoopback)
{
    const auto address = boost::asio::ip::make_address("127.0.0.1");
    EXPECT_TRUE(address.is_loopback());
}
