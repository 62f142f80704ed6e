#include "bridge/msg_bridge.h"
#include "shell/app_paths.h"
#include "streaming/live_lianmai.h"

#include <gtest/gtest.h>
#include <json/json.h>

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

// What the bridge wrote to log.txt while `action` ran.
template <typename Action>
std::string LogDuring(Action action)
{
    char path[MAX_PATH];
    GetLogFilePath(path);
    auto read = [&] {
        std::ifstream file(path, std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    };
    const std::string before = read();
    action();
    const std::string after = read();
    return after.size() >= before.size() ? after.substr(before.size()) : after;
}

// No page has connected and the main window has not created the controller:
// the bridge logs and drops, and never crashes.
TEST(MsgBridge, BeforeControllerAndConnectionExist)
{
    ASSERT_EQ(g_pLiveLianmai.load(), nullptr);
    CMsgBridge* bridge = CMsgBridge::GetInstance();
    EXPECT_EQ(bridge, CMsgBridge::GetInstance());

    std::string log = LogDuring([&] { bridge->WSMessage(u8"{\"code\":2,\"name\":\"中文\"}"); });
    // Converted to GBK before it is logged and parsed.
    EXPECT_NE(log.find("msg     {\"code\":2,\"name\":\"\xD6\xD0\xCE\xC4\"}"), std::string::npos) << log;
    EXPECT_NE(log.find("command 2 dropped: the streaming controller does not exist yet"), std::string::npos) << log;

    log = LogDuring([&] { bridge->WSMessage("{code:2}"); });
    EXPECT_NE(log.find("SendWebMsg   code  0 operate  0   msg  Json error"), std::string::npos) << log;
    EXPECT_NE(log.find("no open connection: message with code 0 dropped"), std::string::npos) << log;

    // An unusable "code" still raises to the session.
    EXPECT_THROW(bridge->WSMessage("{\"code\":\"3\"}"), Json::LogicError);

    log = LogDuring([&] { bridge->WSClose(); });
    EXPECT_EQ(log, "");
}

} // namespace
