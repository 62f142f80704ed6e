// The bridge's outbound half as the streaming tests need it: replies are
// recorded instead of sent, and can be made to fail the way a failing bridge
// does, by raising.

#include "recording_bridge.h"

#include "bridge/msg_bridge.h"

#include <stdexcept>

std::vector<SentReply> g_sentReplies;
int g_failingReplies = 0;

CMsgBridge* CMsgBridge::GetInstance()
{
    static CMsgBridge bridge;
    return &bridge;
}

void CMsgBridge::SendWebMsg(int code, int operate, std::string msg, int uid)
{
    if (g_failingReplies > 0) {
        --g_failingReplies;
        throw std::runtime_error("the bridge failed");
    }
    g_sentReplies.push_back({code, operate, msg, uid});
}
