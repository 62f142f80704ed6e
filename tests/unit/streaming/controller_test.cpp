// The streaming controller against the real SDK DLL (not started, so
// nothing happens but the calls in its trace): the push and mix URLs at
// their edges, the play retries however many timers run, handlers whose
// replies fail, stream ID copies, and a "conf.ini" that cannot be read.

#include <gtest/gtest.h>

#include "streaming/live_lianmai.h"
#include "streaming/live_lianmai_callback.h"

#include "recording_bridge.h"
#include "streaming_support.h"

#include <LiveSDK.h>

#include <chrono>
#include <functional>
#include <thread>

namespace {

class ControllerTest : public testing::Test {
protected:
    void SetUp() override
    {
        const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
        m_trace = std::string("trace-") + info->name() + ".jsonl";
        DeleteFileA(m_trace.c_str());
        SetEnvironmentVariableA("LIVESDK_TRACE", m_trace.c_str());
        DeleteFileA("conf.ini");
        g_sentReplies.clear();
        g_failingReplies = 0;
        m_controller = std::make_unique<CLiveLianmai>(m_window.Handle());
        g_pLiveLianmai = m_controller.get();
    }

    void TearDown() override
    {
        g_pLiveLianmai = nullptr;
        EXPECT_EQ(StreamIDCopiesInFlight(), 0);
    }

    std::vector<Json::Value> Calls(const std::string& name) const { return TraceCallsNamed(m_trace, name); }

    // Handles the test thread's messages (the retry timers) until `done`;
    // gives up after a minute so that a fault cannot hang the run.
    void PumpUntil(const std::function<bool()>& done)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!done()) {
            ASSERT_LT(std::chrono::steady_clock::now(), end) << "gave up waiting";
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&msg);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    // A co-host broadcast in progress with partner 3003, as commands 1 and 4
    // leave it.
    void CoHosting()
    {
        CLiveLianmai& c = *m_controller;
        c.m_islianmai = true;
        c.m_uid = 1001;
        c.m_peeruid = 3003;
        c.m_siteid = "ChanNorth";
        c.m_stream = "co1";
        c.m_lianmaisecret = "mk";
        c.m_ownstreamid = "1001_3003";
        c.m_peerstreamid = "3003_1001";
    }

    CTestWindow m_window;
    std::string m_trace;
    std::unique_ptr<CLiveLianmai> m_controller;
};

std::string LoginText(const std::string& site, const std::string& channel, const std::string& stream,
                      const std::string& secret)
{
    Json::Value root;
    root["code"] = 1;
    root["serparm"]["siteid"] = site;
    root["serparm"]["channel"] = channel;
    root["serparm"]["uid"] = 1001;
    root["serparm"]["stream"] = stream;
    root["serparm"]["pushsecret"] = secret;
    return Json::FastWriter().write(root);
}

const std::string kIngest1 = "rtmp://ingest1.anchorlive.example/live/";

} // namespace

TEST_F(ControllerTest, PushUrlEdges)
{
    const std::string prefix = kIngest1 + "c1/"; // before the stream name
    const std::string longest(2047 - prefix.size(), 's');

    struct Case {
        const char* what;
        std::string site, channel, stream, secret, streamOverride, secretOverride;
        bool loggedIn;      // LoginRoom asked for
        std::string outpath; // m_outpath afterwards
    };
    const Case cases[] = {
        {"north", "ChanNorth", "c1", "s1", "k", "", "", true, kIngest1 + "c1/s1?pushSecret=k"},
        {"east", "ChanEast", "c1", "s1", "k", "", "", true, "rtmp://ingest2.anchorlive.example/live/c1/s1?pushSecret=k"},
        {"south", "ChanSouth", "c1", "s1", "k", "", "", true, "rtmp://ingest3.anchorlive.example/live/c1/s1?pushSecret=k"},
        {"west is south", "ChanWest", "c1", "s1", "k", "", "", true, "rtmp://ingest3.anchorlive.example/live/c1/s1?pushSecret=k"},
        {"unknown site", "ChanMars", "c1", "s1", "k", "", "", true, "?pushSecret=k"},
        {"empty secret", "ChanNorth", "c1", "s1", "", "", "", true, kIngest1 + "c1/s1?pushSecret="},
        {"overrides", "ChanNorth", "c1", "s1", "k", "s2", "k2", true, kIngest1 + "c1/s2?pushSecret=k2"},
        {"page text is no format", "ChanNorth", "%s%n%%", "%d", "%s", "", "", true, kIngest1 + "%s%n%%/%d?pushSecret=%s"},
        {"longest", "ChanNorth", "c1", longest, "k", "", "", true, prefix + longest + "?pushSecret=k"},
        {"one too long: refused", "ChanNorth", "c1", longest + "s", "k", "", "", false, "unchanged"},
        {"override too long: refused", "ChanNorth", "c1", "s1", "k", longest + "s", "", false, "unchanged"},
    };
    for (const Case& c : cases) {
        m_controller->m_outpath = "unchanged";
        m_controller->m_stream = "unchanged";
        const size_t logins = Calls("LoginRoom").size();
        const size_t mark = LogSize();
        m_controller->LoginLive(LoginText(c.site, c.channel, c.stream, c.secret), c.streamOverride, c.secretOverride,
                                false);
        EXPECT_EQ(m_controller->m_outpath, c.outpath) << c.what;
        EXPECT_EQ(Calls("LoginRoom").size(), logins + (c.loggedIn ? 1 : 0)) << c.what;
        if (!c.loggedIn) {
            EXPECT_EQ(m_controller->m_stream, "unchanged") << c.what;
            EXPECT_NE(LogSince(mark).find("push URL of 2048 characters (at most 2047 before the secret) for site ChanNorth: "
                                          "login refused, nothing changed"),
                      std::string::npos)
                << c.what;
        }
    }
    // The unknown key stays in the table, with an empty template.
    ASSERT_EQ(m_controller->m_pushurlmap.count("ChanMars"), 1u);
    EXPECT_EQ(m_controller->m_pushurlmap["ChanMars"], "");
    EXPECT_EQ(m_controller->m_pushurlmap.size(), 5u);
    // The solo stream ID and bit rate of the last login that went through.
    EXPECT_EQ(m_controller->m_streamid, "1001_1001");
}

TEST_F(ControllerTest, MixUrlEdges)
{
    CoHosting();
    const std::string prefix = kIngest1 + "1001/";
    const std::string suffix = "?pushSecret=mk";
    const std::string longest(511 - prefix.size() - suffix.size(), 'm');

    const std::string urlRefused = "mix URL of 512 characters (at most 511 with the secret, 1023 before it) for "
                                   "site ChanNorth: no mix URL, no mix request";
    const std::string idRefused = "stream ID of 512 characters does not fit the mix request (at most 511): nothing sent";

    struct Case {
        const char* what;
        std::string site, stream, ownStreamID;
        std::string mixurl;  // m_mixurl afterwards
        std::string refusal; // logged instead of a request; empty when the request goes out
    };
    const Case cases[] = {
        // User number and co-host secret, not channel and login secret.
        {"north", "ChanNorth", "co1", "1001_3003", prefix + "co1" + suffix, ""},
        {"unknown site", "ChanMars", "co1", "1001_3003", suffix, ""},
        {"longest that fits the request", "ChanNorth", longest, "1001_3003", prefix + longest + suffix, ""},
        {"one too long: refused", "ChanNorth", longest + "m", "1001_3003", "", urlRefused},
        {"stream ID that fits", "ChanNorth", "co1", std::string(511, '1'), prefix + "co1" + suffix, ""},
        {"stream ID too long: refused", "ChanNorth", "co1", std::string(512, '1'), prefix + "co1" + suffix, idRefused},
    };
    for (const Case& c : cases) {
        m_controller->m_siteid = c.site;
        m_controller->m_stream = c.stream;
        m_controller->m_ownstreamid = c.ownStreamID;
        const size_t requests = Calls("MixStreamEx").size();
        const size_t mark = LogSize();
        m_controller->StartMixStream();

        EXPECT_EQ(m_controller->m_mixurl, c.mixurl) << c.what;
        const std::vector<Json::Value> mixes = Calls("MixStreamEx");
        if (!c.refusal.empty()) {
            EXPECT_EQ(mixes.size(), requests) << c.what;
            EXPECT_NE(LogSince(mark).find(c.refusal), std::string::npos) << c.what << LogSince(mark);
            continue;
        }
        ASSERT_EQ(mixes.size(), requests + 1) << c.what;
        const Json::Value& config = mixes.back()["args"]["config"];
        EXPECT_EQ(config["outputs"][0]["target"].asString(), c.mixurl) << c.what;
        EXPECT_EQ(config["inputs"][0]["streamID"].asString(), c.ownStreamID) << c.what;
        EXPECT_EQ(LogSince(mark), LogEntry("CLiveLianmai::StartMixStream", "mix    " + c.mixurl + "\n")) << c.what;
    }
}

TEST_F(ControllerTest, StopBeforeAnyMixTargetsTheEmptyUrl)
{
    CoHosting();
    m_controller->StopMixStream();
    const std::vector<Json::Value> mixes = Calls("MixStreamEx");
    ASSERT_EQ(mixes.size(), 1u);
    EXPECT_EQ(mixes[0]["args"]["mixStreamID"].asString(), "mix_1001_3003");
    EXPECT_TRUE(mixes[0]["args"]["config"]["inputs"].isNull());
    EXPECT_EQ(mixes[0]["args"]["config"]["inputCount"].asInt(), 0);
    EXPECT_EQ(mixes[0]["args"]["config"]["outputs"][0]["target"].asString(), "");
}

TEST_F(ControllerTest, RetriesStopAtFiveHoweverManyTimersRun)
{
    CoHosting();
    // Two failures in a row: two timers, one counter.
    m_controller->onPlayStreamFail(1003, CopyStreamID("3003_1001"));
    m_controller->onPlayStreamFail(1003, CopyStreamID("3003_1001"));
    EXPECT_EQ(m_controller->m_retrytimers, 2);
    PumpUntil([&] { return m_controller->m_retrytimers == 0; });

    std::vector<Json::Value> plays = Calls("StartPlayingStream");
    ASSERT_EQ(plays.size(), 5u);
    for (const Json::Value& play : plays)
        EXPECT_EQ(play["args"]["streamID"].asString(), "3003_1001");
    EXPECT_EQ(m_controller->m_playretry, 7); // each timer stopped at its first tick past 5
    // Each failure mixed the own stream alone; nothing reached the page.
    EXPECT_EQ(Calls("MixStreamEx").size(), 2u);
    EXPECT_TRUE(g_sentReplies.empty());

    // Used up: the own-stream mix, then code 7 with operate 0 at once, no timer.
    m_controller->onPlayStreamFail(1003, CopyStreamID("3003_1001"));
    EXPECT_EQ(Calls("MixStreamEx").size(), 3u);
    EXPECT_EQ(g_sentReplies, (std::vector<SentReply>{{7, 0, "", 3003}}));
    EXPECT_EQ(m_controller->m_retrytimers, 0);
}

TEST_F(ControllerTest, APlaySuccessStopsRunningTimersWithoutAnotherPlay)
{
    CoHosting();
    m_controller->onPlayStreamFail(1003, CopyStreamID("3003_1001"));
    m_controller->onPlayStreamFail(1003, CopyStreamID("3003_1001"));
    m_controller->onPlayStreamSuccess(0, CopyStreamID("3003_1001"));
    EXPECT_TRUE(m_controller->m_peerplaying);
    PumpUntil([&] { return m_controller->m_retrytimers == 0; });
    EXPECT_TRUE(Calls("StartPlayingStream").empty());
    EXPECT_EQ(m_controller->m_playretry, 2);
}

TEST_F(ControllerTest, FailingRepliesInHandlersAreLoggedAndTheHandlerGoesOn)
{
    CoHosting();
    m_controller->m_reportsolo = false;

    // Code 4 fails; code 7 still goes, the partner is still played.
    g_failingReplies = 1;
    size_t mark = LogSize();
    EXPECT_NO_THROW(m_controller->onPublishSuccess(0, CopyStreamID("1001_3003")));
    EXPECT_EQ(g_sentReplies, (std::vector<SentReply>{{7, 1, "", 3003}}));
    EXPECT_TRUE(m_controller->m_mixpending);
    EXPECT_EQ(Calls("StartPlayingStream").size(), 1u);
    EXPECT_NE(LogSince(mark).find("reply code 4 operate 1 uid 3003 not sent: the bridge failed"), std::string::npos);

    // Every reply of every handler failing.
    g_failingReplies = 1000;
    mark = LogSize();
    EXPECT_NO_THROW(m_controller->onPublishFail(1005, CopyStreamID("1001_3003")));
    m_controller->m_playretry = 5;
    EXPECT_NO_THROW(m_controller->onPlayStreamFail(1003, CopyStreamID("3003_1001")));
    m_controller->m_islianmai = false;
    EXPECT_NO_THROW(m_controller->onPublishSuccess(0, CopyStreamID("1001_1001")));
    const std::string log = LogSince(mark);
    EXPECT_NE(log.find("reply code 1 operate 0 uid 0 not sent"), std::string::npos) << log;
    EXPECT_NE(log.find("reply code 7 operate 0 uid 3003 not sent"), std::string::npos) << log;
    EXPECT_NE(log.find("reply code 1 operate 1 uid 0 not sent"), std::string::npos) << log;
    EXPECT_EQ(g_sentReplies.size(), 1u);
}

TEST_F(ControllerTest, EveryHandlerReleasesItsCopyOnce)
{
    CoHosting();
    const std::pair<const char*, void (CLiveLianmai::*)(WPARAM, LPARAM)> handlers[] = {
        {"publish ok", &CLiveLianmai::onPublishSuccess},
        {"publish failed", &CLiveLianmai::onPublishFail},
        {"play ok", &CLiveLianmai::onPlayStreamSuccess},
        {"play failed", &CLiveLianmai::onPlayStreamFail},
    };
    for (const auto& handler : handlers) {
        for (int failing : {0, 1000}) {
            g_failingReplies = failing;
            const LPARAM copy = CopyStreamID("1001_3003");
            ASSERT_EQ(StreamIDCopiesInFlight(), 1);
            (m_controller.get()->*handler.second)(0, copy);
            EXPECT_EQ(StreamIDCopiesInFlight(), 0) << handler.first << (failing ? ", replies failing" : "");
        }
    }
    // The timers the play failures started.
    m_controller->m_peerplaying = true;
    PumpUntil([&] { return m_controller->m_retrytimers == 0; });
}

TEST_F(ControllerTest, UnreadableConfIniMeansNoPartner)
{
    WriteFileBytes("conf.ini", "[PKInfo]\nPK=2002\n[PKInfo]\nPK=3003\n");
    CLiveLianmai& c = *m_controller;
    c.m_islianmai = true;
    c.m_uid = 1001;

    EXPECT_NO_THROW(c.onStartPush(0, 0));
    const std::vector<Json::Value> publishes = Calls("StartPublishing");
    ASSERT_EQ(publishes.size(), 1u);
    EXPECT_EQ(publishes[0]["args"]["streamID"].asString(), "1001_");
    EXPECT_EQ(publishes[0]["args"]["flag"].asInt(), 2);
    EXPECT_EQ(c.m_peerstreamid, "_1001");

    // Storing a partner leaves such a file as it is.
    EXPECT_NO_THROW(c.SavePKInfo("4004"));
    EXPECT_EQ(ReadFileBytes("conf.ini"), "[PKInfo]\nPK=2002\n[PKInfo]\nPK=3003\n");
}

TEST_F(ControllerTest, StoredPartnerNamesTheStreamsOfACoHostStart)
{
    m_controller->SavePKInfo("2002");
    CLiveLianmai& c = *m_controller;
    c.m_islianmai = true;
    c.m_uid = 1001;
    c.onStartPush(0, 0);
    EXPECT_EQ(c.m_ownstreamid, "1001_2002");
    EXPECT_EQ(c.m_peerstreamid, "2002_1001");
    EXPECT_TRUE(Calls("SetCDNPublishTarget").empty());
}
