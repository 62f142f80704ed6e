// Drives livesdk.dll as the host program does: callbacks registered, InitSDK,
// device lists, room, publish, play, mix and the video frames, with outcomes
// set through the test script and calls checked through the trace.

#include <gtest/gtest.h>

#include <windows.h>

#include <json/json.h>

#include "LiveSDK.h"

#include "../../support/file_helpers.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

using namespace std::chrono_literals;

namespace
{
    const unsigned char kSignature[32] = {0x01, 0x7f, 0x80, 0xff, 'a', 'p', 'p', 0x00, 0x22, 0x5c};

    // Bumped by a test right after a call returns; every event notes the
    // value it saw, which tells whether it arrived before its call returned.
    std::atomic<int> g_returned{0};

    struct CEventRecord
    {
        explicit CEventRecord(std::string name, int code = 0, const char* text = "", double first = 0,
                              double second = 0)
            : name(std::move(name)), code(code), text(text ? text : ""), first(first), second(second)
        {
        }

        std::string name;
        DWORD thread = 0;
        int code = 0;
        std::string text;  // stream, room or mix stream ID
        double first = 0;
        double second = 0;
        int seq = 0;
        int atOffset56 = 0;
        std::vector<std::string> urls;
        int returned = 0;
    };

    struct CFrameRecord
    {
        DWORD thread = 0;
        std::string streamID;
        int width = 0;
        int height = 0;
        int stride = 0;
        int length = 0;
        int format = 0;
        bool otherPlanes = false;
        uint32_t number = 0;  // read from the picture's bit band
        int marker = -1;      // position of the moving block
        uint32_t topLeft = 0;
    };

    uint32_t PixelAt(const unsigned char* pixels, int stride, int x, int y)
    {
        uint32_t value;
        memcpy(&value, pixels + static_cast<size_t>(y) * stride + x * 4, 4);
        return value;  // little-endian: 0xAARRGGBB
    }

    const uint32_t kWhite = 0xFFFFFFFF, kBlack = 0xFF000000, kGrey = 0xFF808080;
    const uint32_t kOrange = 0xFFFF8000, kViolet = 0xFF8000FF;
    const uint32_t kBars[8] = {0xFFFFFFFF, 0xFFFFFF00, 0xFF00FFFF, 0xFF00FF00,
                               0xFFFF00FF, 0xFFFF0000, 0xFF0000FF, 0xFF000000};

    // Sink for every callback interface, like the host's one object.
    class CRecorder : public LIVESDK::IRoomCallback,
                      public LIVESDK::ILivePublisherCallback,
                      public LIVESDK::ILivePlayerCallback,
                      public LIVESDK::IIMCallback,
                      public LIVESDK::ILiveDeviceStateCallback,
                      public EXTERNAL_RENDER::ILiveExternalRenderCallback2,
                      public EXTERNAL_RENDER::ILiveVideoRenderCallback,
                      public MIXSTREAM::ILiveMixStreamExCallback
    {
    public:
        // Run on the SDK's thread inside the callback; set before starting.
        std::function<void(const CFrameRecord&)> onFrame;
        std::function<void(const CEventRecord&)> onEvent;
        std::atomic<int> frameSleepMs{0};

        bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 10s)
        {
            std::unique_lock<std::mutex> lock(m_lock);
            return m_changed.wait_for(lock, limit, [&] {
                lock.unlock();
                const bool result = done();
                lock.lock();
                return result;
            });
        }

        std::vector<CEventRecord> Events(const std::string& name = "")
        {
            std::lock_guard<std::mutex> guard(m_lock);
            std::vector<CEventRecord> found;
            for (const CEventRecord& event : m_events)
            {
                if (name.empty() || event.name == name)
                    found.push_back(event);
            }
            return found;
        }

        bool WaitEvents(const std::string& name, size_t count)
        {
            return WaitUntil([&] { return Events(name).size() >= count; });
        }

        std::vector<CFrameRecord> Frames(const std::string& streamID)
        {
            std::lock_guard<std::mutex> guard(m_lock);
            std::vector<CFrameRecord> found;
            for (const CFrameRecord& frame : m_frames)
            {
                if (frame.streamID == streamID)
                    found.push_back(frame);
            }
            return found;
        }

        bool WaitFrames(const std::string& streamID, size_t count)
        {
            return WaitUntil([&] { return Frames(streamID).size() >= count; });
        }

        int Inside(const std::string& streamID)
        {
            std::lock_guard<std::mutex> guard(m_lock);
            return m_inside[streamID];
        }

        int InsideEvents()
        {
            std::lock_guard<std::mutex> guard(m_lock);
            return m_insideEvents;
        }

        std::vector<uint8_t> FirstPicture(const std::string& streamID)
        {
            std::lock_guard<std::mutex> guard(m_lock);
            return m_firstPicture[streamID];
        }

        // IRoomCallback
        void OnInitSDK(int nError) override { Add(CEventRecord("OnInitSDK", nError)); }
        void OnKickOut(int, const char*) override { Add(CEventRecord("OnKickOut")); }
        void OnDisconnect(int, const char*) override { Add(CEventRecord("OnDisconnect")); }
        void OnLoginRoom(int nErrorCode, const char* pszRoomID, const LIVESDK::LiveStreamInfo*, unsigned int) override
        {
            Add(CEventRecord("OnLoginRoom", nErrorCode, pszRoomID));
        }
        void OnLogoutRoom(int nErrorCode, const char* pszRoomID) override
        {
            Add(CEventRecord("OnLogoutRoom", nErrorCode, pszRoomID));
        }
        void OnStreamUpdated(LIVESDK::AV_StreamUpdateType, const LIVESDK::LiveStreamInfo*, unsigned int,
                             const char*) override
        {
            Add(CEventRecord("OnStreamUpdated"));
        }
        void OnReconnect(int, const char*) override { Add(CEventRecord("OnReconnect")); }

        // ILivePublisherCallback
        void OnPublishStateUpdate(int nStateCode, const char* pszStreamID,
                                  const LIVESDK::LivePublishingStreamInfo& info) override
        {
            CEventRecord event("OnPublishStateUpdate", nStateCode, pszStreamID);
            for (unsigned i = 0; i < info.uiRtmpURLCount; ++i)
                event.urls.push_back(info.arrRtmpURLs[i]);
            Add(event);
        }
        void OnJoinLiveRequest(int, const char*, const char*, const char*) override { Add(CEventRecord("OnJoinLiveRequest")); }
        void OnPublishQualityUpdate(const char* pszStreamID, int, double fps, double kbps) override
        {
            Add(CEventRecord("OnPublishQualityUpdate", 0, pszStreamID, fps, kbps));
        }
        void OnCaptureVideoSizeChanged(int, int, LIVESDK::AV_PublishChannelIndex) override
        {
            Add(CEventRecord("OnCaptureVideoSizeChanged"));
        }

        // ILivePlayerCallback
        void OnPlayStateUpdate(int nStateCode, const char* pszStreamID) override
        {
            Add(CEventRecord("OnPlayStateUpdate", nStateCode, pszStreamID));
        }
        void OnVideoSizeChanged(const char* pszStreamID, int nWidth, int nHeight) override
        {
            Add(CEventRecord("OnVideoSizeChanged", 0, pszStreamID, double(nWidth), double(nHeight)));
        }
        void OnPlayQualityUpdate(const char* pszStreamID, int, double fps, double kbps) override
        {
            Add(CEventRecord("OnPlayQualityUpdate", 0, pszStreamID, fps, kbps));
        }
        void OnJoinLiveResponse(int, const char*, const char*, int) override { Add(CEventRecord("OnJoinLiveResponse")); }

        // IIMCallback, ILiveDeviceStateCallback
        void OnUserUpdate(const LIVESDK::LiveUserInfo*, unsigned int, LIVESDK::AV_UserUpdateType) override
        {
            Add(CEventRecord("OnUserUpdate"));
        }
        void OnSendRoomMessage(int, const char*, int, unsigned long long) override { Add(CEventRecord("OnSendRoomMessage")); }
        void OnRecvRoomMessage(const char*, const char*, const char*, const char*) override
        {
            Add(CEventRecord("OnRecvRoomMessage"));
        }
        void OnAudioDeviceStateChanged(LIVESDK::AV_DeviceType, const LIVESDK::DeviceInfo&,
                                       LIVESDK::AV_DeviceState) override
        {
            Add(CEventRecord("OnAudioDeviceStateChanged"));
        }
        void OnVideoDeviceStateChanged(const LIVESDK::DeviceInfo&, LIVESDK::AV_DeviceState) override
        {
            Add(CEventRecord("OnVideoDeviceStateChanged"));
        }
        void OnDeviceError(const char* pszDeviceName, int nErrorCode) override
        {
            Add(CEventRecord("OnDeviceError", nErrorCode, pszDeviceName));
        }

        // ILiveExternalRenderCallback2: frames go to the video render callback.
        void OnVideoDataCallback(const unsigned char*, int, const char*, int, int, int[4]) override
        {
            Add(CEventRecord("ExternalRender.OnVideoDataCallback"));
        }
        void OnVideoDataCallback2(const unsigned char**, int*, const char*, int, int, int[4],
                                  EXTERNAL_RENDER::VideoPixelFormat) override
        {
            Add(CEventRecord("ExternalRender.OnVideoDataCallback2"));
        }
        void OnSetFlipMode(const char*, int) override { Add(CEventRecord("ExternalRender.OnSetFlipMode")); }

        // ILiveVideoRenderCallback
        void OnVideoDataCallback(const unsigned char** pData, int* pDataLen, const char* pszStreamID, int nWidth,
                                 int nHeight, int nStrides[4], EXTERNAL_RENDER::VideoPixelFormat format) override
        {
            CFrameRecord frame;
            frame.thread = GetCurrentThreadId();
            frame.streamID = pszStreamID;
            frame.width = nWidth;
            frame.height = nHeight;
            frame.stride = nStrides[0];
            frame.length = pDataLen[0];
            frame.format = format;
            frame.otherPlanes = pData[1] || pData[2] || pData[3];
            Decode(pData[0], frame);
            {
                std::lock_guard<std::mutex> guard(m_lock);
                ++m_inside[frame.streamID];
                if (!m_firstPicture.count(frame.streamID))
                    m_firstPicture[frame.streamID].assign(pData[0], pData[0] + frame.length);
            }
            if (onFrame)
                onFrame(frame);
            if (frameSleepMs)
                std::this_thread::sleep_for(std::chrono::milliseconds(frameSleepMs.load()));
            std::lock_guard<std::mutex> guard(m_lock);
            --m_inside[frame.streamID];
            m_frames.push_back(frame);
            m_changed.notify_all();
        }
        void OnVideoDecodeCallback(const unsigned char*, int, const char*, int, int, bool) override
        {
            Add(CEventRecord("OnVideoDecodeCallback"));
        }

        // ILiveMixStreamExCallback
        void OnMixStreamEx(const MIXSTREAM::LiveMixStreamResultEx& result, const char* pszMixStreamID,
                           int nSeq) override
        {
            CEventRecord event("OnMixStreamEx", static_cast<int>(result.uiErrorCode), pszMixStreamID);
            event.seq = nSeq;
            // Read the way the host reads it: the 32 bits at byte offset 56.
            memcpy(&event.atOffset56, reinterpret_cast<const char*>(&result) + 56, 4);
            Add(event);
        }
        void OnMixStreamRelayCDNStateUpdate(const char*, const char*, int, int) override
        {
            Add(CEventRecord("OnMixStreamRelayCDNStateUpdate"));
        }

    private:
        void Add(CEventRecord event)
        {
            event.thread = GetCurrentThreadId();
            event.returned = g_returned.load();
            {
                std::lock_guard<std::mutex> guard(m_lock);
                ++m_insideEvents;
                m_changed.notify_all();
            }
            if (onEvent)
                onEvent(event);
            std::lock_guard<std::mutex> guard(m_lock);
            --m_insideEvents;
            m_events.push_back(event);
            m_changed.notify_all();
        }

        // Reads the frame number, the corner and the moving block back out of
        // the test picture.
        static void Decode(const unsigned char* pixels, CFrameRecord& frame)
        {
            const int w = frame.width, h = frame.height, stride = frame.stride;
            for (int i = 0; i < 24; ++i)
            {
                const int x = (i * w / 24 + (i + 1) * w / 24) / 2;
                frame.number = (frame.number << 1) | (PixelAt(pixels, stride, x, h - 1) == kWhite ? 1u : 0u);
            }
            frame.topLeft = PixelAt(pixels, stride, 0, 0);
            const bool camera = frame.streamID.empty();
            const int length = camera ? w : h;
            for (int i = 0; i < length && frame.marker < 0; ++i)
            {
                if (PixelAt(pixels, stride, camera ? i : w / 2, camera ? h / 2 : i) == kGrey)
                    frame.marker = i;
            }
        }

        std::mutex m_lock;
        std::condition_variable m_changed;
        std::vector<CEventRecord> m_events;
        std::vector<CFrameRecord> m_frames;
        std::map<std::string, int> m_inside;
        int m_insideEvents = 0;
        std::map<std::string, std::vector<uint8_t>> m_firstPicture;
    };

    // The trace writes every byte above 0x7E (and controls) as \u00XX: take
    // each code point jsoncpp decoded back as one byte.
    std::string TraceBytes(const Json::Value& value)
    {
        const std::string utf8 = value.asString();
        std::string bytes;
        for (size_t i = 0; i < utf8.size(); ++i)
        {
            const unsigned char c = static_cast<unsigned char>(utf8[i]);
            if (c < 0x80)
                bytes += static_cast<char>(c);
            else
                bytes += static_cast<char>(((c & 0x03) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
        }
        return bytes;
    }

    std::string Escaped(const std::string& bytes)
    {
        std::ostringstream out;
        for (unsigned char c : bytes)
        {
            char cell[8];
            snprintf(cell, sizeof cell, c >= 0x20 && c < 0x7F ? "%c" : "\\u%04x", c);
            out << cell;
        }
        return out.str();
    }

    bool ValidUtf8WithChinese(const char* text)
    {
        wchar_t wide[512];
        const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, wide, 512);
        for (int i = 0; i < length; ++i)
        {
            if (wide[i] >= 0x4E00 && wide[i] <= 0x9FFF)
                return true;
        }
        return false;
    }

    LIVESDK::DeviceInfo* CameraList(int& count)
    {
        count = -1;
        return LIVESDK::GetVideoDeviceList(count);
    }

    class LiveSdk : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            m_name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
            for (char& c : m_name)
            {
                if (c == '/')
                    c = '_';
            }
            m_trace = m_name + ".trace.jsonl";
            DeleteFileA(m_trace.c_str());
            SetEnvironmentVariableA("LIVESDK_TRACE", m_trace.c_str());
            SetEnvironmentVariableA("LIVESDK_SCRIPT", nullptr);
            m_testThread = GetCurrentThreadId();
        }

        void TearDown() override { LIVESDK::UnInitSDK(); }

        void UseScript(const std::string& json)
        {
            const std::string name = m_name + ".script.json";
            WriteFileBytes(name, json);
            SetEnvironmentVariableA("LIVESDK_SCRIPT", name.c_str());
        }

        // The host's start-up order: callbacks, then InitSDK.
        void Init()
        {
            ASSERT_TRUE(EXTERNAL_RENDER::EnableExternalRender(true, EXTERNAL_RENDER::EXTERNAL_RENDER_RGB));
            LIVESDK::SetLivePublisherCallback(&m_sink);
            LIVESDK::SetLivePlayerCallback(&m_sink);
            LIVESDK::SetRoomCallback(&m_sink);
            LIVESDK::SetIMCallback(&m_sink);
            LIVESDK::SetDeviceStateCallback(&m_sink);
            EXTERNAL_RENDER::SetExternalRenderCallback(&m_sink);
            EXTERNAL_RENDER::SetVideoRenderCallback(&m_sink);
            MIXSTREAM::SetMixStreamExCallback(&m_sink);
            const size_t before = m_sink.Events("OnInitSDK").size();
            ASSERT_TRUE(LIVESDK::InitSDK(3000123, kSignature, 32));
            ASSERT_TRUE(m_sink.WaitEvents("OnInitSDK", before + 1));
        }

        void Login(const char* room = "1001")
        {
            ASSERT_TRUE(LIVESDK::SetUser(room, room));
            const size_t before = m_sink.Events("OnLoginRoom").size();
            ASSERT_TRUE(LIVESDK::LoginRoom(room, LIVESDK::ROOM_ROLE_ANCHOR, room));
            ASSERT_TRUE(m_sink.WaitEvents("OnLoginRoom", before + 1));
            ASSERT_EQ(m_sink.Events("OnLoginRoom").back().code, 0);
        }

        void Play(const char* streamID)
        {
            ASSERT_TRUE(LIVESDK::StartPlayingStream(streamID, nullptr, nullptr));
        }

        std::vector<Json::Value> Trace()
        {
            std::vector<Json::Value> lines;
            std::istringstream text(ReadFileBytes(m_trace));
            std::string line;
            while (std::getline(text, line))
            {
                Json::Value value;
                std::string error;
                std::unique_ptr<Json::CharReader> reader(Json::CharReaderBuilder().newCharReader());
                EXPECT_TRUE(reader->parse(line.data(), line.data() + line.size(), &value, &error)) << line;
                lines.push_back(value);
            }
            return lines;
        }

        Json::Value TraceCall(const std::string& name, int nth = 0)
        {
            for (const Json::Value& line : Trace())
            {
                if (line["call"].asString() == name && nth-- == 0)
                    return line;
            }
            ADD_FAILURE() << "no call " << name << " in the trace";
            return Json::Value();
        }

        std::string TraceLineText(const std::string& name)
        {
            std::istringstream text(ReadFileBytes(m_trace));
            std::string line;
            while (std::getline(text, line))
            {
                if (line.find("\"call\":\"" + name + "\"") != std::string::npos)
                    return line;
            }
            return std::string();
        }

        CRecorder m_sink;
        std::string m_name;
        std::string m_trace;
        DWORD m_testThread = 0;
    };

    // --- start-up and devices ---

    TEST_F(LiveSdk, CallsBeforeInitSdkFailWithoutEvents)
    {
        LIVESDK::SetRoomCallback(&m_sink);
        LIVESDK::SetLivePlayerCallback(&m_sink);
        MIXSTREAM::SetMixStreamExCallback(&m_sink);
        EXTERNAL_RENDER::SetVideoRenderCallback(&m_sink);
        EXTERNAL_RENDER::EnableExternalRender(true);
        EXPECT_TRUE(LIVESDK::SetUser("1001", "1001"));

        EXPECT_FALSE(LIVESDK::LoginRoom("1001", 1, "1001"));
        EXPECT_FALSE(LIVESDK::StartPreview());
        EXPECT_FALSE(LIVESDK::StartPublishing("1001", "1001_1001", 4, ""));
        EXPECT_FALSE(LIVESDK::StartPlayingStream("2002_1001", nullptr));
        EXPECT_EQ(MIXSTREAM::MixStreamEx("mix_1001_2002", MIXSTREAM::LiveMixStreamConfig()), -1);
        int count = -1;
        EXPECT_EQ(CameraList(count), nullptr);
        EXPECT_EQ(count, 0);
        // A signature of another length is refused too.
        EXPECT_FALSE(LIVESDK::InitSDK(1, kSignature, 16));

        std::this_thread::sleep_for(500ms);
        EXPECT_TRUE(m_sink.Events().empty());
        EXPECT_TRUE(m_sink.Frames("").empty());
    }

    TEST_F(LiveSdk, DefaultDevicesHaveChineseUtf8NamesAndListsAreHandedBack)
    {
        Init();
        int microphones = -1, cameras = -1;
        LIVESDK::DeviceInfo* micList = LIVESDK::GetAudioDeviceList(LIVESDK::AV_DEVICE_INPUT, microphones);
        LIVESDK::DeviceInfo* camList = CameraList(cameras);
        ASSERT_NE(micList, nullptr);
        ASSERT_NE(camList, nullptr);
        ASSERT_GE(microphones, 1);
        ASSERT_GE(cameras, 1);
        for (auto list : {std::make_pair(micList, microphones), std::make_pair(camList, cameras)})
        {
            for (int i = 0; i < list.second; ++i)
            {
                EXPECT_NE(list.first[i].szDeviceId[0], '\0');
                EXPECT_TRUE(ValidUtf8WithChinese(list.first[i].szDeviceName)) << list.first[i].szDeviceName;
            }
        }
        EXPECT_TRUE(LIVESDK::SetVideoDevice(camList[cameras - 1].szDeviceId, LIVESDK::PUBLISH_CHN_MAIN));
        EXPECT_TRUE(LIVESDK::SetAudioDevice(LIVESDK::AV_DEVICE_INPUT, micList[0].szDeviceId));
        const std::string firstCameraName = camList[0].szDeviceName;

        LIVESDK::FreeDeviceList(micList);
        LIVESDK::FreeDeviceList(camList);
        LIVESDK::FreeDeviceList(camList);  // a second release is ignored

        // The trace names the lists handed out and shows each released once,
        // with the UTF-8 names byte for byte.
        const Json::Value micCall = TraceCall("GetAudioDeviceList");
        const Json::Value camCall = TraceCall("GetVideoDeviceList");
        EXPECT_EQ(micCall["args"]["deviceType"].asInt(), 0);
        EXPECT_EQ(camCall["result"]["count"].asInt(), cameras);
        EXPECT_EQ(TraceBytes(camCall["result"]["devices"][0]["name"]), firstCameraName);
        EXPECT_EQ(TraceCall("FreeDeviceList", 0)["args"]["list"], micCall["result"]["list"]);
        EXPECT_EQ(TraceCall("FreeDeviceList", 1)["args"]["list"], camCall["result"]["list"]);
        EXPECT_TRUE(TraceCall("FreeDeviceList", 1)["result"].asBool());
        EXPECT_FALSE(TraceCall("FreeDeviceList", 2)["result"].asBool());
    }

    TEST_F(LiveSdk, ScriptedDevicesWithDuplicateNamesOrNone)
    {
        // The script is UTF-8, like the names the SDK hands out.
        UseScript(u8R"({"cameras": [{"id": "cam-a", "name": "摄像头"}, {"id": "cam-b", "name": "摄像头"}],
                        "microphones": []})");
        Init();
        int cameras = -1, microphones = -1;
        LIVESDK::DeviceInfo* camList = CameraList(cameras);
        LIVESDK::DeviceInfo* micList = LIVESDK::GetAudioDeviceList(LIVESDK::AV_DEVICE_INPUT, microphones);
        ASSERT_EQ(cameras, 2);
        EXPECT_STREQ(camList[0].szDeviceId, "cam-a");
        EXPECT_STREQ(camList[1].szDeviceId, "cam-b");
        EXPECT_STREQ(camList[0].szDeviceName, u8"摄像头");
        EXPECT_STREQ(camList[1].szDeviceName, u8"摄像头");
        EXPECT_EQ(microphones, 0);
        EXPECT_NE(micList, nullptr) << "an empty list is still an array to hand back";

        EXPECT_TRUE(LIVESDK::SetVideoDevice("cam-b"));
        EXPECT_FALSE(LIVESDK::SetVideoDevice("cam-c"));
        EXPECT_FALSE(LIVESDK::SetAudioDevice(LIVESDK::AV_DEVICE_INPUT, "cam-a"));
        LIVESDK::FreeDeviceList(camList);
        LIVESDK::FreeDeviceList(micList);
        EXPECT_TRUE(TraceCall("FreeDeviceList", 1)["result"].asBool());
    }

    // --- events ---

    TEST_F(LiveSdk, SoloBroadcastEventsArriveInOrderOnSdkThreadsAfterTheirCall)
    {
        Init();
        ASSERT_TRUE(LIVESDK::SetUser("1001", "1001"));
        ASSERT_TRUE(LIVESDK::LoginRoom("1001", 1, "1001"));
        const int loginReturned = ++g_returned;
        ASSERT_TRUE(m_sink.WaitEvents("OnLoginRoom", 1));

        ASSERT_TRUE(LIVESDK::SetCDNPublishTarget("rtmp://ingest.example/live/c1/s1?pushSecret=k"));
        ASSERT_TRUE(LIVESDK::StartPublishing("1001", "1001_1001", LIVESDK::PUBLISH_FLAG_SINGLE_ANCHOR, ""));
        const int publishReturned = ++g_returned;
        ASSERT_TRUE(m_sink.WaitEvents("OnPublishStateUpdate", 1));
        EXPECT_FALSE(LIVESDK::StartPublishing("1001", "other", 4, "")) << "the channel already publishes";

        ASSERT_TRUE(LIVESDK::StopPublishing(0, nullptr, LIVESDK::PUBLISH_CHN_MAIN));
        ASSERT_TRUE(LIVESDK::LogoutRoom());
        const int logoutReturned = ++g_returned;
        ASSERT_TRUE(m_sink.WaitEvents("OnLogoutRoom", 1));
        EXPECT_FALSE(LIVESDK::LogoutRoom()) << "no room to leave";

        std::vector<std::string> order;
        for (const CEventRecord& event : m_sink.Events())
        {
            if (event.name != "OnPublishQualityUpdate")
                order.push_back(event.name);
            EXPECT_NE(event.thread, m_testThread) << event.name;
        }
        EXPECT_EQ(order, (std::vector<std::string>{"OnInitSDK", "OnLoginRoom", "OnPublishStateUpdate",
                                                   "OnLogoutRoom"}));

        const CEventRecord login = m_sink.Events("OnLoginRoom")[0];
        EXPECT_EQ(login.code, 0);
        EXPECT_EQ(login.text, "1001");
        EXPECT_GE(login.returned, loginReturned) << "OnLoginRoom came before LoginRoom returned";
        const CEventRecord publish = m_sink.Events("OnPublishStateUpdate")[0];
        EXPECT_EQ(publish.code, 0);
        EXPECT_EQ(publish.text, "1001_1001");
        EXPECT_EQ(publish.urls, std::vector<std::string>{"rtmp://ingest.example/live/c1/s1?pushSecret=k"});
        EXPECT_GE(publish.returned, publishReturned);
        const CEventRecord logout = m_sink.Events("OnLogoutRoom")[0];
        EXPECT_EQ(logout.text, "1001");
        EXPECT_GE(logout.returned, logoutReturned);

        // The solo target is known to the stream it was published with.
        EXPECT_TRUE(LIVESDK::DeletePublishTarget("rtmp://ingest.example/live/c1/s1?pushSecret=k", "1001_1001"));
        EXPECT_FALSE(LIVESDK::DeletePublishTarget("rtmp://ingest.example/live/c1/s1?pushSecret=k", "1001_1001"));
    }

    TEST_F(LiveSdk, PlayReportsStateThenSizeThenQualityAboutOnceASecondUntilStopped)
    {
        Init();
        Login();
        Play("2002_1001");
        EXPECT_FALSE(LIVESDK::StartPlayingStream("2002_1001", nullptr)) << "already playing";
        std::this_thread::sleep_for(3500ms);

        std::vector<CEventRecord> events = m_sink.Events();
        ASSERT_GE(events.size(), 4u);
        EXPECT_EQ(events[2].name, "OnPlayStateUpdate");
        EXPECT_EQ(events[2].code, 0);
        EXPECT_EQ(events[2].text, "2002_1001");
        EXPECT_EQ(events[3].name, "OnVideoSizeChanged");
        const size_t reports = m_sink.Events("OnPlayQualityUpdate").size();
        EXPECT_GE(reports, 2u);
        EXPECT_LE(reports, 5u);
        for (const CEventRecord& report : m_sink.Events("OnPlayQualityUpdate"))
        {
            EXPECT_EQ(report.text, "2002_1001");
            EXPECT_TRUE(report.first != 0 || report.second != 0);
        }

        ASSERT_TRUE(LIVESDK::StopPlayingStream("2002_1001"));
        const size_t eventsAtStop = m_sink.Events().size();
        const size_t framesAtStop = m_sink.Frames("2002_1001").size();
        std::this_thread::sleep_for(1500ms);
        EXPECT_EQ(m_sink.Events().size(), eventsAtStop);
        EXPECT_EQ(m_sink.Frames("2002_1001").size(), framesAtStop);
        EXPECT_FALSE(LIVESDK::StopPlayingStream("2002_1001"));
    }

    // --- scripted outcomes ---

    TEST_F(LiveSdk, ScriptRefusesLoginOrFailsIt)
    {
        UseScript(R"({"loginRefused": true})");
        Init();
        ASSERT_TRUE(LIVESDK::SetUser("1001", "1001"));
        EXPECT_FALSE(LIVESDK::LoginRoom("1001", 1, "1001"));
        LIVESDK::UnInitSDK();

        UseScript(R"({"loginError": 52000101})");
        Init();
        ASSERT_TRUE(LIVESDK::SetUser("1001", "1001"));
        ASSERT_TRUE(LIVESDK::LoginRoom("1001", 1, "1001"));
        ASSERT_TRUE(m_sink.WaitEvents("OnLoginRoom", 1));
        EXPECT_EQ(m_sink.Events("OnLoginRoom")[0].code, 52000101);
        EXPECT_FALSE(LIVESDK::StartPublishing("1001", "1001_1001", 4, "")) << "not logged in";
        EXPECT_FALSE(LIVESDK::LogoutRoom());
    }

    TEST_F(LiveSdk, ScriptSetsPublishStatePerStream)
    {
        UseScript(R"({"publishState": {"1001_2002": 1003, "*": 0}})");
        Init();
        Login();
        ASSERT_TRUE(LIVESDK::StartPublishing("1001", "1001_2002", LIVESDK::PUBLISH_FLAG_MIX_STREAM, ""));
        ASSERT_TRUE(m_sink.WaitEvents("OnPublishStateUpdate", 1));
        // The failed publish has left the channel free.
        ASSERT_TRUE(LIVESDK::StartPublishing("1001", "1001_1001", LIVESDK::PUBLISH_FLAG_SINGLE_ANCHOR, ""));
        ASSERT_TRUE(m_sink.WaitEvents("OnPublishStateUpdate", 2));
        const auto events = m_sink.Events("OnPublishStateUpdate");
        EXPECT_EQ(events[0].code, 1003);
        EXPECT_EQ(events[0].text, "1001_2002");
        EXPECT_EQ(events[1].code, 0);
        EXPECT_EQ(events[1].text, "1001_1001");
    }

    TEST_F(LiveSdk, ScriptRefusesPlaysAndSequencesPlayStates)
    {
        UseScript(R"({"playRefused": ["3003_1001"], "playStates": {"2002_1001": [1003, 1003, 1003, 0]}})");
        Init();
        Login();
        EXPECT_FALSE(LIVESDK::StartPlayingStream("3003_1001", nullptr));

        // Each failed play ends the play, so it can be asked for again.
        for (size_t attempt = 1; attempt <= 4; ++attempt)
        {
            Play("2002_1001");
            ASSERT_TRUE(m_sink.WaitEvents("OnPlayStateUpdate", attempt));
        }
        std::vector<int> states;
        for (const CEventRecord& event : m_sink.Events("OnPlayStateUpdate"))
            states.push_back(event.code);
        EXPECT_EQ(states, (std::vector<int>{1003, 1003, 1003, 0}));
        EXPECT_TRUE(m_sink.WaitFrames("2002_1001", 1)) << "only the successful play delivers frames";
    }

    TEST_F(LiveSdk, ScriptFailsInitSoLaterCallsFail)
    {
        UseScript(R"({"initError": 10001})");
        Init();
        EXPECT_EQ(m_sink.Events("OnInitSDK")[0].code, 10001);
        int count = -1;
        EXPECT_EQ(CameraList(count), nullptr);
        ASSERT_TRUE(LIVESDK::SetUser("1001", "1001"));
        EXPECT_FALSE(LIVESDK::LoginRoom("1001", 1, "1001"));
    }

    TEST_F(LiveSdk, BadScriptFailsInitLoudly)
    {
        UseScript(R"({"loginEror": 5})");
        EXPECT_FALSE(LIVESDK::InitSDK(1, kSignature, 32));
        bool reported = false;
        for (const Json::Value& line : Trace())
            reported = reported || line["info"].asString() == "scriptError";
        EXPECT_TRUE(reported);
    }

    // --- mixing ---

    TEST_F(LiveSdk, MixRequestsAreNumberedDecodedInTheTraceAndAnswered)
    {
        Init();
        Login();
        MIXSTREAM::LiveMixStreamConfig config;
        EXPECT_EQ(config.nOutputQuality, 23);
        EXPECT_EQ(config.nChannels, 1);

        MIXSTREAM::LiveMixInputStreamConfig inputs[2] = {};
        strcpy(inputs[0].szStreamID, "1001_2002");
        inputs[0].layout = {0, 0, 480, 320};
        strcpy(inputs[1].szStreamID, "2002_1001");
        inputs[1].layout = {0, 320, 480, 640};
        MIXSTREAM::LiveMixOutputTarget output = {};
        output.target_type = MIXSTREAM::MIX_OUTPUT_URL;
        strcpy(output.szTarget, "rtmp://ingest.example/live/1001/s1?pushSecret=k");
        config.nOutputFps = 15;
        config.nOutputRateControlMode = 1;
        config.nOutputBitrate = 1500000;
        config.nOutputQuality = 17;
        config.nOutputWidth = 640;
        config.nOutputHeight = 480;
        config.pInputStreamList = inputs;
        config.nInputStreamCount = 2;
        config.pOutputList = &output;
        config.nOutputListCount = 1;

        const int first = MIXSTREAM::MixStreamEx("mix_1001_2002", config);
        config.nInputStreamCount = 0;  // the stop request
        const int second = MIXSTREAM::MixStreamEx("mix_1001_2002", config);
        EXPECT_GE(first, 1);
        EXPECT_GT(second, first);

        ASSERT_TRUE(m_sink.WaitEvents("OnMixStreamEx", 2));
        const auto results = m_sink.Events("OnMixStreamEx");
        EXPECT_EQ(results[0].seq, first);
        EXPECT_EQ(results[0].text, "mix_1001_2002");
        EXPECT_EQ(results[0].code, 0);
        EXPECT_EQ(results[0].atOffset56, 1) << "a running mix pushes its output";
        EXPECT_EQ(results[1].seq, second);
        EXPECT_EQ(results[1].atOffset56, 0) << "a stopped mix does not";

        const Json::Value traced = TraceCall("MixStreamEx")["args"];
        EXPECT_EQ(traced["mixStreamID"].asString(), "mix_1001_2002");
        const Json::Value& decoded = traced["config"];
        EXPECT_EQ(decoded["outputFps"].asInt(), 15);
        EXPECT_EQ(decoded["outputRateControlMode"].asInt(), 1);
        EXPECT_EQ(decoded["outputBitrate"].asInt(), 1500000);
        EXPECT_EQ(decoded["outputQuality"].asInt(), 17);
        EXPECT_EQ(decoded["outputWidth"].asInt(), 640);
        EXPECT_EQ(decoded["channels"].asInt(), 1);
        EXPECT_EQ(decoded["inputCount"].asInt(), 2);
        ASSERT_EQ(decoded["inputs"].size(), 2u);
        EXPECT_EQ(decoded["inputs"][1]["streamID"].asString(), "2002_1001");
        EXPECT_EQ(decoded["inputs"][1]["top"].asInt(), 0);
        EXPECT_EQ(decoded["inputs"][1]["left"].asInt(), 320);
        EXPECT_EQ(decoded["inputs"][1]["bottom"].asInt(), 480);
        EXPECT_EQ(decoded["inputs"][1]["right"].asInt(), 640);
        EXPECT_EQ(decoded["outputs"][0]["type"].asInt(), 1);
        EXPECT_EQ(decoded["outputs"][0]["target"].asString(), "rtmp://ingest.example/live/1001/s1?pushSecret=k");
        EXPECT_EQ(TraceCall("MixStreamEx", 1)["args"]["config"]["inputs"].size(), 0u);
        EXPECT_EQ(TraceCall("MixStreamEx", 1)["result"].asInt(), second);
    }

    TEST_F(LiveSdk, ScriptSetsMixResultMemberAndError)
    {
        UseScript(R"({"mixResultState": [2, 1], "mixError": [0, 150]})");
        Init();
        MIXSTREAM::LiveMixStreamConfig config;
        MIXSTREAM::MixStreamEx("mix_a", config);
        MIXSTREAM::MixStreamEx("mix_a", config);
        MIXSTREAM::MixStreamEx("mix_a", config);
        ASSERT_TRUE(m_sink.WaitEvents("OnMixStreamEx", 3));
        const auto results = m_sink.Events("OnMixStreamEx");
        EXPECT_EQ(results[0].atOffset56, 2);
        EXPECT_EQ(results[1].atOffset56, 1);
        EXPECT_EQ(results[2].atOffset56, 1) << "the last scripted value repeats";
        EXPECT_EQ(results[0].code, 0);
        EXPECT_EQ(results[1].code, 150);
    }

    // --- frames ---

    struct CCaptureCase
    {
        const char* name;
        int setWidth, setHeight, setFps;  // 0: left at the default
        int width, height;
        size_t minFrames, maxFrames;      // over two seconds
    };

    class LiveSdkCapture : public LiveSdk, public ::testing::WithParamInterface<CCaptureCase>
    {
    };

    TEST_P(LiveSdkCapture, DeliversTheTestPatternAtTheSetSizeAndRate)
    {
        const CCaptureCase& c = GetParam();
        Init();
        if (c.setWidth)
        {
            ASSERT_TRUE(LIVESDK::SetVideoCaptureResolution(c.setWidth, c.setHeight));
        }
        if (c.setFps)
        {
            ASSERT_TRUE(LIVESDK::SetVideoFPS(c.setFps));
        }
        ASSERT_TRUE(LIVESDK::StartPreview());
        std::this_thread::sleep_for(2s);
        ASSERT_TRUE(LIVESDK::StopPreview());

        const auto frames = m_sink.Frames("");
        EXPECT_GE(frames.size(), c.minFrames);
        EXPECT_LE(frames.size(), c.maxFrames);
        ASSERT_GE(frames.size(), 2u);
        for (size_t i = 0; i < frames.size(); ++i)
        {
            const CFrameRecord& frame = frames[i];
            EXPECT_NE(frame.thread, m_testThread);
            EXPECT_EQ(frame.width, c.width);
            EXPECT_EQ(frame.height, c.height);
            EXPECT_EQ(frame.stride, c.width * 4);
            EXPECT_EQ(frame.length, c.width * c.height * 4);
            EXPECT_EQ(frame.format, EXTERNAL_RENDER::PIXEL_FORMAT_BGRA32);
            EXPECT_FALSE(frame.otherPlanes);
            EXPECT_EQ(frame.topLeft, kOrange) << "the orange corner is top left, in B, G, R, A order";
            EXPECT_EQ(frame.number, i) << "frames are numbered from 0 without gaps";
            if (i > 0)
            {
                EXPECT_NE(frame.marker, frames[i - 1].marker) << "the block moves";
            }
        }

        // Frame 0: the eight bars left to right below the corner, its bit band all black.
        const auto picture = m_sink.FirstPicture("");
        for (int bar = 0; bar < 8; ++bar)
            EXPECT_EQ(PixelAt(picture.data(), c.width * 4, (2 * bar + 1) * c.width / 16, c.height / 4), kBars[bar]);
        EXPECT_EQ(PixelAt(picture.data(), c.width * 4, c.width - 1, c.height - 1), kBlack);
        EXPECT_EQ(PixelAt(picture.data(), c.width * 4, 0, c.height - 1), kBlack);
    }

    INSTANTIATE_TEST_SUITE_P(Sizes, LiveSdkCapture,
                             ::testing::Values(CCaptureCase{"Defaults", 0, 0, 0, 640, 480, 15, 45},
                                               CCaptureCase{"Set320x240At5", 320, 240, 5, 320, 240, 4, 15}),
                             [](const ::testing::TestParamInfo<CCaptureCase>& info) { return info.param.name; });

    TEST_F(LiveSdk, PlayedStreamsDeliverTheirOwnFramesWithTheirIdAndSize)
    {
        UseScript(R"({"playFrameSize": {"3003_1001": [640, 360]}})");
        Init();
        Login();
        Play("2002_1001");
        Play("3003_1001");
        ASSERT_TRUE(m_sink.WaitFrames("2002_1001", 3));
        ASSERT_TRUE(m_sink.WaitFrames("3003_1001", 3));
        EXPECT_TRUE(m_sink.Frames("").empty()) << "no camera frames without a preview";

        for (const auto& expected : {std::make_tuple("2002_1001", 1280, 720), std::make_tuple("3003_1001", 640, 360)})
        {
            const std::string id = std::get<0>(expected);
            const int w = std::get<1>(expected), h = std::get<2>(expected);
            const CFrameRecord frame = m_sink.Frames(id)[0];
            EXPECT_EQ(frame.width, w);
            EXPECT_EQ(frame.height, h);
            EXPECT_EQ(frame.stride, w * 4);
            EXPECT_EQ(frame.topLeft, kViolet);
            EXPECT_NE(frame.thread, m_testThread);
            // Horizontal bands top to bottom, read at the right edge.
            const auto picture = m_sink.FirstPicture(id);
            for (int band = 0; band < 7; ++band)
                EXPECT_EQ(PixelAt(picture.data(), w * 4, w - 1, (2 * band + 1) * h / 16), kBars[band]) << id;
        }
        const auto sizes = m_sink.Events("OnVideoSizeChanged");
        ASSERT_EQ(sizes.size(), 2u);
        EXPECT_EQ(sizes[0].first, 1280);
        EXPECT_EQ(sizes[0].second, 720);
    }

    // Each case starts the camera and one played stream, makes frame
    // callbacks slow so that a stop call meets one in flight, stops, and
    // then requires that nothing of what it ended runs or arrives any more.
    struct CStopCase
    {
        const char* name;
        std::function<bool()> stop;
        bool stopsCamera;
        bool stopsPlayFrames;
        bool stopsPlayEvents;
    };

    class LiveSdkStop : public LiveSdk, public ::testing::WithParamInterface<CStopCase>
    {
    };

    TEST_P(LiveSdkStop, NothingIsDeliveredAfterTheStoppingCallReturns)
    {
        const CStopCase& c = GetParam();
        Init();
        Login();
        m_sink.frameSleepMs = 25;
        ASSERT_TRUE(LIVESDK::StartPreview());
        Play("2002_1001");
        ASSERT_TRUE(m_sink.WaitFrames("", 3));
        ASSERT_TRUE(m_sink.WaitFrames("2002_1001", 3));

        ASSERT_TRUE(c.stop());
        if (c.stopsCamera)
        {
            EXPECT_EQ(m_sink.Inside(""), 0) << "a camera frame callback still runs";
        }
        if (c.stopsPlayFrames)
        {
            EXPECT_EQ(m_sink.Inside("2002_1001"), 0) << "a played frame callback still runs";
        }
        const size_t camera = m_sink.Frames("").size();
        const size_t played = m_sink.Frames("2002_1001").size();
        const size_t qualityReports = m_sink.Events("OnPlayQualityUpdate").size();

        std::this_thread::sleep_for(1500ms);
        if (c.stopsCamera)
        {
            EXPECT_EQ(m_sink.Frames("").size(), camera);
        }
        else
        {
            EXPECT_GT(m_sink.Frames("").size(), camera) << "the camera goes on";
        }
        if (c.stopsPlayFrames)
        {
            EXPECT_EQ(m_sink.Frames("2002_1001").size(), played);
        }
        if (c.stopsPlayEvents)
        {
            EXPECT_EQ(m_sink.Events("OnPlayQualityUpdate").size(), qualityReports);
        }
    }

    INSTANTIATE_TEST_SUITE_P(
        Stops, LiveSdkStop,
        ::testing::Values(
            CStopCase{"StopPreview", [] { return LIVESDK::StopPreview(); }, true, false, false},
            CStopCase{"StopPlayingStream", [] { return LIVESDK::StopPlayingStream("2002_1001"); }, false, true, true},
            CStopCase{"LogoutRoom", [] { return LIVESDK::LogoutRoom(); }, false, true, true},
            CStopCase{"ExternalRenderOff", [] { return EXTERNAL_RENDER::EnableExternalRender(false); }, true, true,
                      false},
            CStopCase{"RenderCallbackCleared", [] { return EXTERNAL_RENDER::SetVideoRenderCallback(nullptr); }, true,
                      true, false},
            CStopCase{"UnInitSDK", [] { return LIVESDK::UnInitSDK(); }, true, true, true}),
        [](const ::testing::TestParamInfo<CStopCase>& info) { return info.param.name; });

    TEST_F(LiveSdk, StopWaitsForAnEventCallbackInFlight)
    {
        Init();
        Login();
        m_sink.onEvent = [](const CEventRecord& event) {
            if (event.name == "OnPlayStateUpdate")
                std::this_thread::sleep_for(300ms);
        };
        Play("2002_1001");
        ASSERT_TRUE(m_sink.WaitUntil([&] { return m_sink.InsideEvents() == 1; }));
        ASSERT_TRUE(LIVESDK::StopPlayingStream("2002_1001"));
        EXPECT_EQ(m_sink.InsideEvents(), 0) << "StopPlayingStream returned while OnPlayStateUpdate ran";
        std::this_thread::sleep_for(500ms);
        EXPECT_TRUE(m_sink.Events("OnVideoSizeChanged").empty());
        EXPECT_TRUE(m_sink.Frames("2002_1001").empty());
    }

    TEST_F(LiveSdk, StopsCalledFromInsideCallbacksReturnAndEndDelivery)
    {
        Init();
        Login();
        std::atomic<int> stopsFromCallbacks{0};
        m_sink.onFrame = [&](const CFrameRecord& frame) {
            if (frame.number != 2)
                return;
            const bool stopped =
                frame.streamID.empty() ? LIVESDK::StopPreview() : LIVESDK::StopPlayingStream(frame.streamID.c_str());
            if (stopped)
                ++stopsFromCallbacks;
        };
        m_sink.onEvent = [&](const CEventRecord& event) {
            if (event.name == "OnPlayStateUpdate" && event.text == "3003_1001" && LIVESDK::StopPlayingStream("3003_1001"))
                ++stopsFromCallbacks;
        };
        ASSERT_TRUE(LIVESDK::StartPreview());
        Play("2002_1001");
        Play("3003_1001");
        ASSERT_TRUE(m_sink.WaitUntil([&] { return stopsFromCallbacks == 3; }));

        std::this_thread::sleep_for(1s);
        EXPECT_EQ(m_sink.Frames("").size(), 3u);
        EXPECT_EQ(m_sink.Frames("2002_1001").size(), 3u);
        EXPECT_TRUE(m_sink.Frames("3003_1001").empty());
        EXPECT_TRUE(m_sink.Events("OnVideoSizeChanged").size() == 1u) << "only 2002_1001 got as far";
    }

    // --- trace ---

    TEST_F(LiveSdk, TraceRecordsHostTextsByteForByteAndTheCallingThreads)
    {
        Init();
        // The host passes GBK texts ("主播" is D6 F7 B2 A5).
        const std::string user = "主播";
        ASSERT_EQ(user, "\xD6\xF7\xB2\xA5");
        ASSERT_TRUE(LIVESDK::SetUser("1001", user.c_str()));
        ASSERT_TRUE(LIVESDK::LoginRoom("1001", 1, "房间\"1\"\\"));
        ASSERT_TRUE(m_sink.WaitEvents("OnLoginRoom", 1));

        EXPECT_NE(TraceLineText("SetUser").find("\"userName\":\"" + Escaped(user) + "\""), std::string::npos)
            << TraceLineText("SetUser");
        const Json::Value login = TraceCall("LoginRoom");
        EXPECT_EQ(TraceBytes(login["args"]["roomName"]), "房间\"1\"\\");
        EXPECT_EQ(login["args"]["role"].asInt(), 1);
        EXPECT_TRUE(login["result"].asBool());
        EXPECT_EQ(login["thread"].asUInt(), m_testThread);

        // Events follow their call and name the SDK thread that delivered them.
        const std::vector<Json::Value> lines = Trace();
        int loginCall = -1, loginEvent = -1;
        for (size_t i = 0; i < lines.size(); ++i)
        {
            if (lines[i]["call"].asString() == "LoginRoom")
                loginCall = static_cast<int>(i);
            if (lines[i]["event"].asString() == "OnLoginRoom")
                loginEvent = static_cast<int>(i);
        }
        ASSERT_GE(loginCall, 0);
        ASSERT_GT(loginEvent, loginCall);
        EXPECT_TRUE(lines[loginEvent]["delivered"].asBool());
        EXPECT_EQ(lines[loginEvent]["thread"].asUInt(), m_sink.Events("OnLoginRoom")[0].thread);
        EXPECT_EQ(lines[loginEvent]["args"]["errorCode"].asInt(), 0);
        EXPECT_EQ(lines[loginEvent]["seq"].asInt(), lines[loginEvent - 1]["seq"].asInt() + 1);
    }
}
