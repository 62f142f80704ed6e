#pragma once

#include <string>
#include <vector>

// Stands in for the web bridge in the streaming tests: every reply the
// controller hands over is recorded, or refused with an error on demand.
struct SentReply {
    int code;
    int operate;
    std::string msg;
    int uid;
    bool operator==(const SentReply& o) const
    {
        return code == o.code && operate == o.operate && msg == o.msg && uid == o.uid;
    }
};

extern std::vector<SentReply> g_sentReplies;
// The next this many replies raise instead of being recorded.
extern int g_failingReplies;
