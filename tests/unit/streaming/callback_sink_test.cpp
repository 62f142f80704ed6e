// The SDK callback sink: what each event writes to the log, byte for byte,
// and which window message it posts with which wParam and lParam; stream ID
// copies that are never lost; the split-view flag; the black canvas.

#include <gtest/gtest.h>

#include "streaming/live_lianmai_callback.h"

#include "streaming_support.h"

#include <cmath>
#include <functional>
#include <limits>
#include <optional>

namespace {

struct PostedMessage {
    UINT message;
    WPARAM wParam;
    std::string streamID; // text of the copy in lParam, if the message carries one
    LPARAM lParam;        // for messages without a copy
};

// Takes every streaming message waiting for `hwnd`, releasing the copies as
// the controller's handlers do.
std::vector<PostedMessage> TakePosted(HWND hwnd)
{
    std::vector<PostedMessage> posted;
    MSG msg;
    while (PeekMessageA(&msg, hwnd, WM_LIVE_LOGIN_OK, WM_LIVE_MIX_DONE, PM_REMOVE)) {
        const bool carriesCopy = msg.message != WM_LIVE_LOGIN_OK && msg.message != WM_LIVE_MIX_DONE;
        posted.push_back({msg.message, msg.wParam, carriesCopy ? StreamIDText(msg.lParam) : "",
                          carriesCopy ? 0 : msg.lParam});
        if (carriesCopy)
            ReleaseStreamID(msg.lParam);
    }
    return posted;
}

MIXSTREAM::LiveMixStreamResultEx MixResult(unsigned int errorCode, int outputState)
{
    MIXSTREAM::LiveMixStreamResultEx result = {};
    result.uiErrorCode = errorCode;
    result.nOutputState = outputState;
    return result;
}

const LIVESDK::LivePublishingStreamInfo kNoUrls = {};

} // namespace

TEST(CallbackSink, EventsAreLoggedAndPostedWithTheirValues)
{
    CTestWindow window;
    ASSERT_NE(window.Handle(), nullptr);
    CLiveLianmaiCallBack sink(window.Handle());
    const WPARAM minusThree = static_cast<WPARAM>(static_cast<INT_PTR>(-3));

    struct Case {
        const char* what;
        std::function<void()> event;
        std::string log;
        std::vector<PostedMessage> posted;
    };
    const Case cases[] = {
        {"login", [&] { sink.OnLoginRoom(0, "1001", nullptr, 0); },
         LogEntry("CLiveLianmaiCallBack::OnLoginRoom", "OnLoginRoom   errorCode    0      roomid    1001\n"),
         {{WM_LIVE_LOGIN_OK, 0, "", 0}}},
        {"failed login", [&] { sink.OnLoginRoom(1002, "1001", nullptr, 0); },
         LogEntry("CLiveLianmaiCallBack::OnLoginRoom", "OnLoginRoom   errorCode    1002      roomid    1001\n"), {}},
        {"logout", [&] { sink.OnLogoutRoom(-1, "1001"); },
         LogEntry("CLiveLianmaiCallBack::OnLogoutRoom", "OnLogoutRoom   errorCode    -1      roomid    1001\n"), {}},
        {"published", [&] { sink.OnPublishStateUpdate(0, "1001_1001", kNoUrls); },
         LogEntry("CLiveLianmaiCallBack::OnPublishStateUpdate", "OnPublishStateUpdate    0  pszStreamID   1001_1001"),
         {{WM_LIVE_PUBLISH_OK, 0, "1001_1001", 0}}},
        {"publish failed", [&] { sink.OnPublishStateUpdate(1005, "1001_2002", kNoUrls); },
         LogEntry("CLiveLianmaiCallBack::OnPublishStateUpdate", "OnPublishStateUpdate    1005  pszStreamID   1001_2002"),
         {{WM_LIVE_PUBLISH_FAIL, 1005, "1001_2002", 0}}},
        {"publish failed, negative code", [&] { sink.OnPublishStateUpdate(-3, "s", kNoUrls); },
         LogEntry("CLiveLianmaiCallBack::OnPublishStateUpdate", "OnPublishStateUpdate    -3  pszStreamID   s"),
         {{WM_LIVE_PUBLISH_FAIL, minusThree, "s", 0}}},
        {"playing", [&] { sink.OnPlayStateUpdate(0, "2002_1001"); },
         LogEntry("CLiveLianmaiCallBack::OnPlayStateUpdate", "    OnPlayStateUpdate  stateCode   0    pszStreamID   2002_1001\n"),
         {{WM_LIVE_PLAY_OK, 0, "2002_1001", 0}}},
        {"play failed", [&] { sink.OnPlayStateUpdate(1003, "2002_1001"); },
         LogEntry("CLiveLianmaiCallBack::OnPlayStateUpdate", "    OnPlayStateUpdate  stateCode   1003    pszStreamID   2002_1001\n"),
         {{WM_LIVE_PLAY_FAIL, 1003, "2002_1001", 0}}},
        {"mix pushing", [&] { sink.OnMixStreamEx(MixResult(0xFFFFFFFFu, 1), "mix_1001_2002", 3); },
         LogEntry("CLiveLianmaiCallBack::OnMixStreamEx",
                  "    OnMixStreamEx   mixStreamID   mix_1001_2002    seq    3    result    4294967295\n"),
         {{WM_LIVE_MIX_DONE, 1, "", 1}}},
        {"mix stopped", [&] { sink.OnMixStreamEx(MixResult(0, 0), "mix_1001_2002", 4); },
         LogEntry("CLiveLianmaiCallBack::OnMixStreamEx",
                  "    OnMixStreamEx   mixStreamID   mix_1001_2002    seq    4    result    0\n"), {}},
        {"mix state 2", [&] { sink.OnMixStreamEx(MixResult(7, 2), "mix_1_2", 5); },
         LogEntry("CLiveLianmaiCallBack::OnMixStreamEx",
                  "    OnMixStreamEx   mixStreamID   mix_1_2    seq    5    result    7\n"), {}},
        {"events without behaviour", [&] {
             sink.OnInitSDK(0);
             sink.OnDisconnect(1, "1001");
             sink.OnPublishQualityUpdate("1001_1001", 0, 15, 800);
             sink.OnDeviceError("camera", 1101);
             sink.OnMixStreamRelayCDNStateUpdate("mix_1_2", "rtmp://x", 1, 0);
         }, "", {}},
    };

    for (const Case& c : cases) {
        const size_t mark = LogSize();
        c.event();
        EXPECT_EQ(LogSince(mark), c.log) << c.what;
        const std::vector<PostedMessage> posted = TakePosted(window.Handle());
        ASSERT_EQ(posted.size(), c.posted.size()) << c.what;
        for (size_t i = 0; i < posted.size(); ++i) {
            EXPECT_EQ(posted[i].message, c.posted[i].message) << c.what;
            EXPECT_EQ(posted[i].wParam, c.posted[i].wParam) << c.what;
            EXPECT_EQ(posted[i].streamID, c.posted[i].streamID) << c.what;
            EXPECT_EQ(posted[i].lParam, c.posted[i].lParam) << c.what;
        }
        EXPECT_EQ(StreamIDCopiesInFlight(), 0) << c.what;
    }
    // A failed publish's code reads back as the SDK gave it.
    EXPECT_EQ(static_cast<int>(minusThree), -3);
}

TEST(CallbackSink, CopyOutlivesTheSdkTextAndIsReleasedOnceByTheHandler)
{
    CTestWindow window;
    CLiveLianmaiCallBack sink(window.Handle());
    {
        std::string sdkText = "1001_2002";
        sink.OnPublishStateUpdate(0, sdkText.c_str(), kNoUrls);
        sdkText.assign(sdkText.size(), 'x'); // the SDK reuses its text
    }
    EXPECT_EQ(StreamIDCopiesInFlight(), 1);
    const std::vector<PostedMessage> posted = TakePosted(window.Handle());
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].streamID, "1001_2002");
    EXPECT_EQ(StreamIDCopiesInFlight(), 0);
}

TEST(CallbackSink, WhenPostingFailsTheCopyIsReleasedAtOnce)
{
    HWND gone;
    {
        CTestWindow window;
        gone = window.Handle();
    }
    CLiveLianmaiCallBack sink(gone);
    const size_t mark = LogSize();
    sink.OnPublishStateUpdate(0, "1001_1001", kNoUrls);
    sink.OnPublishStateUpdate(9, "1001_1001", kNoUrls);
    sink.OnPlayStateUpdate(0, "2002_1001");
    sink.OnPlayStateUpdate(9, "2002_1001");
    EXPECT_EQ(StreamIDCopiesInFlight(), 0);
    const std::string log = LogSince(mark);
    EXPECT_NE(log.find("message 0x532 not posted, error 1400; stream 1001_1001 dropped"), std::string::npos) << log;
    EXPECT_NE(log.find("message 0x533 not posted, error 1400; stream 2002_1001 dropped"), std::string::npos) << log;
}

TEST(CallbackSink, SplitViewFollowsPlayStateAndQualityReports)
{
    CTestWindow window;
    CLiveLianmaiCallBack sink(window.Handle());
    EXPECT_FALSE(sink.m_issplitview);
    static_assert(sizeof sink.m_issplitview == 1, "a single byte, read by the frame producer without a lock");

    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Step {
        std::function<void()> event;
        bool splitView;
    };
    const Step steps[] = {
        {[&] { sink.OnPlayStateUpdate(0, "2002_1001"); }, true}, // before any frame
        {[&] { sink.OnPlayQualityUpdate("2002_1001", 0, 0, 0); }, false},
        {[&] { sink.OnPlayQualityUpdate("2002_1001", 0, 15, 0); }, true},
        {[&] { sink.OnPlayQualityUpdate("2002_1001", 0, 0, 0); }, false},
        {[&] { sink.OnPlayQualityUpdate("2002_1001", 0, 0, 800); }, true},
        {[&] { sink.OnPlayStateUpdate(1003, "2002_1001"); }, false},
        {[&] { sink.OnPlayQualityUpdate("2002_1001", 0, nan, 0); }, true},
        {[&] { sink.OnPlayQualityUpdate("2002_1001", 0, -0.0, 0.0); }, false},
    };
    int i = 0;
    for (const Step& step : steps) {
        step.event();
        EXPECT_EQ(sink.m_issplitview, step.splitView) << "step " << i++;
    }
    TakePosted(window.Handle());
    EXPECT_EQ(StreamIDCopiesInFlight(), 0);
}

TEST(CallbackSink, CanvasStartsBlack)
{
    CLiveLianmaiCallBack sink(nullptr);
    ASSERT_NE(sink.m_canvas, nullptr);
    const I420Frame& canvas = *sink.m_canvas;
    EXPECT_EQ(canvas.width, 640);
    EXPECT_EQ(canvas.height, 480);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(canvas.y), 307200), std::string(307200, '\0'));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(canvas.u), 76800), std::string(76800, '\x80'));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(canvas.v), 76800), std::string(76800, '\x80'));
}
