// SDK start-up and device lists, room login and publishing, co-hosting with
// playing and mixing: the operations behind the page's commands
// (live_lianmai.cpp) and the handlers of the SDK's events, which the main
// window calls on the user-interface thread.

#include "streaming/live_lianmai.h"

#include "bridge/text_codec.h"
#include "bridge/web_envelope.h"
#include "shell/file_log.h"
#include "streaming/live_lianmai_callback.h"
#include "streaming/partner_store.h"

#include <LiveSDK.h>
#include <json/json.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <exception>
#include <sstream>
#include <string>

namespace {

// Credentials issued with the SDK account, and the SDK's configuration host.
constexpr unsigned int kAppID = 3150218406u;
constexpr unsigned char kAppSignature[32] = {
    0x5d, 0x0e, 0xa1, 0x37, 0xc4, 0x62, 0x9b, 0xf0, 0x18, 0x7a, 0xe3, 0x4c, 0x91, 0x2f, 0xd6, 0x05,
    0xb8, 0x43, 0x6e, 0xfa, 0x27, 0x8c, 0x50, 0x19, 0xee, 0x73, 0x0b, 0xc9, 0x34, 0xa5, 0x6d, 0x82,
};
const char kSdkConfig[] = "init_domain_name=sdkconf.anchorlive.example";

constexpr UINT kPlayRetryPeriodMs = 1000;
constexpr int kPlayRetryLimit = 5;

// The canvas of the mixed output: own stream left, partner right.
constexpr int kMixWidth = 640;
constexpr int kMixHeight = 480;
const std::array<int, 4> kOwnCell = {0, 0, kMixHeight, kMixWidth / 2};          // top, left, bottom, right
const std::array<int, 4> kPeerCell = {0, kMixWidth / 2, kMixHeight, kMixWidth}; // top, left, bottom, right

// To the debugger output and the file log.
void Trace(const char* function, int line, const std::string& text)
{
    OutputDebugStringA(text.c_str());
    WriteLog(LOG_INFO, function, line, text.c_str());
}

// A URL template filled in the way printf fills "%s": the first "%s" takes
// `first`, the second `second` (any further one nothing), "%%" is a percent
// sign, everything else is copied. Only the template is ever read as a
// format, so no text from the page can act as one.
std::string FormatUrlTemplate(const std::string& pattern, const std::string& first, const std::string& second)
{
    std::string out;
    int argument = 0;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size()) {
            if (pattern[i + 1] == 's') {
                out += argument == 0 ? first : argument == 1 ? second : std::string();
                ++argument;
                ++i;
                continue;
            }
            if (pattern[i + 1] == '%') {
                out += '%';
                ++i;
                continue;
            }
        }
        out += pattern[i];
    }
    return out;
}

// A NUL-terminated text of an SDK record, read no further than its field.
std::string FieldText(const char* field, size_t size)
{
    return std::string(field, strnlen(field, size));
}

// A stream ID copy carried by a window message, released when the handler
// returns, however it returns.
class CStreamIDCopy {
public:
    explicit CStreamIDCopy(LPARAM copy) : m_copy(copy) {}
    ~CStreamIDCopy() { ReleaseStreamID(m_copy); }
    CStreamIDCopy(const CStreamIDCopy&) = delete;
    CStreamIDCopy& operator=(const CStreamIDCopy&) = delete;
    const char* Text() const { return StreamIDText(m_copy); }

private:
    LPARAM m_copy;
};

// Runs a handler's body on the user-interface thread: whatever it raises is
// logged here, since an error that reached the message loop would end the
// program.
template <class Body>
void RunHandler(const char* function, Body body)
{
    try {
        body();
    } catch (const std::exception& error) {
        Trace(function, __LINE__, std::string("failed: ") + error.what() + "\n");
    } catch (...) {
        Trace(function, __LINE__, "failed: unknown error\n");
    }
}

} // namespace

std::string Utf8ToAnsi(const std::string& text)
{
    return ConvertUtf8ToAnsi(text);
}

// --- SDK start-up and device lists

void CLiveLianmai::InitLiveSDK()
{
    std::lock_guard<std::recursive_mutex> guard(Lock());

    LIVESDK::SetLogDir(nullptr, nullptr);
    LIVESDK::SetUseTestEnv(false);
    EXTERNAL_RENDER::EnableExternalRender(true, EXTERNAL_RENDER::EXTERNAL_RENDER_RGB);

    CLiveLianmaiCallBack* sink = m_callback.get();
    LIVESDK::SetLivePublisherCallback(sink);
    LIVESDK::SetLivePlayerCallback(sink);
    LIVESDK::SetRoomCallback(sink);
    LIVESDK::SetIMCallback(sink);
    LIVESDK::SetDeviceStateCallback(sink);
    EXTERNAL_RENDER::SetExternalRenderCallback(sink);
    EXTERNAL_RENDER::SetVideoRenderCallback(sink);
    MIXSTREAM::SetMixStreamExCallback(sink);

    LIVESDK::SetConfig(kSdkConfig);
    // A failed start shows later, as failed logins and plays.
    LIVESDK::InitSDK(kAppID, kAppSignature, static_cast<int>(sizeof kAppSignature));

    EnumAudioDeviceList();
    EnumVideoDeviceList();

    SOUNDLEVEL::SetSoundLevelMonitorCycle(200);
    SOUNDLEVEL::StartSoundLevelMonitor();
}

void CLiveLianmai::EnumAudioDeviceList()
{
    std::lock_guard<std::recursive_mutex> guard(Lock());
    m_audiodevices.clear();
    int count = 0;
    LIVESDK::DeviceInfo* list = LIVESDK::GetAudioDeviceList(LIVESDK::AV_DEVICE_INPUT, count);
    for (int i = 0; list && i < count; ++i) {
        const std::string name = Utf8ToAnsi(FieldText(list[i].szDeviceName, sizeof list[i].szDeviceName));
        WriteLog(LOG_INFO, "CLiveLianmai::EnumAudioDeviceList", __LINE__, name.c_str());
        m_audiodevices.emplace_back(FieldText(list[i].szDeviceId, sizeof list[i].szDeviceId), name);
    }
    // The array is the SDK's, empty or not.
    if (list)
        LIVESDK::FreeDeviceList(list);
}

void CLiveLianmai::EnumVideoDeviceList()
{
    std::lock_guard<std::recursive_mutex> guard(Lock());
    m_videodevices.clear();
    int count = 0;
    LIVESDK::DeviceInfo* list = LIVESDK::GetVideoDeviceList(count);
    for (int i = 0; list && i < count; ++i) {
        const std::string name = Utf8ToAnsi(FieldText(list[i].szDeviceName, sizeof list[i].szDeviceName));
        WriteLog(LOG_INFO, "CLiveLianmai::EnumVideoDeviceList", __LINE__, name.c_str());
        m_videodevices.emplace_back(FieldText(list[i].szDeviceId, sizeof list[i].szDeviceId), name);
    }
    if (list)
        LIVESDK::FreeDeviceList(list);
}

// --- room login and publishing

bool CLiveLianmai::LoginLive(std::string text, std::string streamOverride, std::string secretOverride,
                             bool coHost)
{
    std::lock_guard<std::recursive_mutex> guard(Lock());

    Json::Value root;
    if (!ParseLenientJson(text, root))
        return false;
    const CLoginParams params = CLoginParams::Read(root);

    const std::string stream = streamOverride.empty() ? params.stream : streamOverride;
    const std::string secret = secretOverride.empty() ? params.pushSecret : secretOverride;
    // An unknown site key gets (and keeps) an empty template.
    const std::string pushUrl = FormatUrlTemplate(m_pushurlmap[params.siteId], params.channel, stream);
    if (pushUrl.size() > kPushUrlFormattedMax) {
        std::ostringstream refusal;
        refusal << "push URL of " << pushUrl.size() << " characters (at most " << kPushUrlFormattedMax
                << " before the secret) for site " << params.siteId << ": login refused, nothing changed\n";
        Trace("CLiveLianmai::LoginLive", __LINE__, refusal.str());
        return false;
    }

    m_loginjson = text;
    m_fps = params.fps;
    m_bitrate = params.kbps * 1000;
    m_width = params.width;
    m_height = params.height;
    m_islianmai = coHost;
    m_siteid = params.siteId;
    m_uid = params.uid;
    m_stream = stream;
    m_outpath = pushUrl + "?pushSecret=" + secret;
    OutputDebugStringA(("outpath   " + m_outpath + "\n").c_str());

    const std::string user = std::to_string(params.uid);
    m_streamid = user + "_" + user;
    LIVESDK::SetUser(user.c_str(), user.c_str());

    // Devices by display name, both sides in the ANSI code page; the first
    // of equal names wins, and an unknown name leaves the SDK's choice.
    for (const auto& device : m_audiodevices) {
        if (device.second == params.microphoneName) {
            LIVESDK::SetAudioDevice(LIVESDK::AV_DEVICE_INPUT, device.first.c_str());
            break;
        }
    }
    for (const auto& device : m_videodevices) {
        if (device.second == params.cameraName) {
            LIVESDK::SetVideoDevice(device.first.c_str(), LIVESDK::PUBLISH_CHN_MAIN);
            break;
        }
    }
    return LIVESDK::LoginRoom(user.c_str(), LIVESDK::ROOM_ROLE_ANCHOR, user.c_str());
}

void CLiveLianmai::onStartPush(WPARAM, LPARAM)
{
    RunHandler("CLiveLianmai::onStartPush", [this] {
        std::lock_guard<std::recursive_mutex> guard(Lock());

        LIVESDK::SetVideoFPS(m_fps, LIVESDK::PUBLISH_CHN_MAIN);
        LIVESDK::SetVideoBitrate(m_bitrate, LIVESDK::PUBLISH_CHN_MAIN);
        LIVESDK::SetVideoCaptureResolution(m_width, m_height, LIVESDK::PUBLISH_CHN_MAIN);
        LIVESDK::SetVideoEncodeResolution(m_width, m_height, LIVESDK::PUBLISH_CHN_MAIN);

        LIVESDK::SetPreviewView(nullptr, LIVESDK::PUBLISH_CHN_MAIN);
        LIVESDK::SetPreviewViewMode(LIVESDK::VIEW_MODE_ASPECT_FIT, LIVESDK::PUBLISH_CHN_MAIN);
        LIVESDK::StartPreview(LIVESDK::PUBLISH_CHN_MAIN);
        // What the computer plays goes out with the microphone.
        LIVESDK::EnableMixSystemPlayout(true);

        std::ostringstream line;
        line << "m_islianmai   " << (m_islianmai ? 1 : 0) << " pushoutpath     " << m_outpath << "\n";
        WriteLog(LOG_INFO, "CLiveLianmai::onStartPush", __LINE__, line.str().c_str());

        const std::string title = std::to_string(m_uid);
        if (!m_islianmai) {
            m_cdntarget = m_outpath;
            LIVESDK::SetCDNPublishTarget(m_outpath.c_str(), LIVESDK::PUBLISH_CHN_MAIN);
            LIVESDK::StartPublishing(title.c_str(), m_streamid.c_str(), LIVESDK::PUBLISH_FLAG_SINGLE_ANCHOR, "");
            return;
        }
        // Co-hosting without a partner named in this run: the last one
        // stored. A "conf.ini" that cannot be read gives no partner.
        if (m_ownstreamid.empty()) {
            const std::string partner = LoadPartnerNumber();
            m_ownstreamid = title + "_" + partner;
            m_peerstreamid = partner + "_" + title;
        }
        // No CDN target: the site gets this stream only through the mix.
        LIVESDK::StartPublishing(title.c_str(), m_ownstreamid.c_str(), LIVESDK::PUBLISH_FLAG_MIX_STREAM, "");
    });
}

void CLiveLianmai::onPublishSuccess(WPARAM, LPARAM lParam)
{
    const CStreamIDCopy streamID(lParam);
    RunHandler("CLiveLianmai::onPublishSuccess", [this, &streamID] {
        std::lock_guard<std::recursive_mutex> guard(Lock());

        // The in-process camera source switches to live pictures here once
        // it exists (CVCam::StartLive).
        if (m_islianmai && !m_reportsolo) {
            ReportToWeb(4, 1, std::string(), m_peeruid);
        } else {
            ReportToWeb(1, 1, std::string(), 0);
            m_reportsolo = false;
        }

        if (m_islianmai && m_ownstreamid == streamID.Text()) {
            ReportToWeb(7, 1, std::string(), m_peeruid);
            m_mixpending = true;
            if (m_peerplaying)
                StartMixStream();
            else
                StartPlayPeerStream();
        }
    });
}

void CLiveLianmai::onPublishFail(WPARAM wParam, LPARAM lParam)
{
    const CStreamIDCopy streamID(lParam);
    RunHandler("CLiveLianmai::onPublishFail", [this, wParam] {
        std::lock_guard<std::recursive_mutex> guard(Lock());
        // The state code was posted sign-extended; no retry follows.
        ReportToWeb(1, 0, std::to_string(static_cast<int>(wParam)), 0);
    });
}

// --- co-hosting, playing and mixing

void CLiveLianmai::onPlayStreamSuccess(WPARAM, LPARAM lParam)
{
    const CStreamIDCopy streamID(lParam);
    RunHandler("CLiveLianmai::onPlayStreamSuccess", [this] {
        std::lock_guard<std::recursive_mutex> guard(Lock());
        m_peerplaying = true;
        m_playretry = 0;
        if (m_mixpending)
            StartMixStream();
    });
}

void CLiveLianmai::onPlayStreamFail(WPARAM, LPARAM lParam)
{
    const CStreamIDCopy streamID(lParam);
    RunHandler("CLiveLianmai::onPlayStreamFail", [this] {
        std::lock_guard<std::recursive_mutex> guard(Lock());

        ComputeMixUrl("CLiveLianmai::onPlayStreamFail");
        Trace("CLiveLianmai::onPlayStreamFail", __LINE__, "onPlayStreamFail    " + m_mixurl + "\n");
        // Meanwhile the output carries the own stream alone.
        StartMixSignalStream();

        if (m_playretry >= kPlayRetryLimit) {
            ReportToWeb(7, 0, std::string(), m_peeruid);
            return;
        }
        // A thread timer of this (the user-interface) thread; the system
        // chooses its identifier, so every failure adds a timer of its own.
        if (SetTimer(nullptr, 1, kPlayRetryPeriodMs, PlayRetryTimerProc))
            ++m_retrytimers;
        else
            Trace("CLiveLianmai::onPlayStreamFail", __LINE__,
                  "no retry timer, error " + std::to_string(GetLastError()) + "\n");
    });
}

void CALLBACK CLiveLianmai::PlayRetryTimerProc(HWND, UINT, UINT_PTR timerID, DWORD)
{
    RunHandler("CLiveLianmai::PlayRetryTimerProc", [timerID] {
        CLiveLianmai* controller = g_pLiveLianmai;
        if (!controller) {
            KillTimer(nullptr, timerID);
            return;
        }
        std::lock_guard<std::recursive_mutex> guard(Lock());
        // All timers count on the one counter, so the partner is tried for
        // the counts 1 to 5 only, however many timers run.
        ++controller->m_playretry;
        if (controller->m_playretry > kPlayRetryLimit || controller->m_peerplaying) {
            if (KillTimer(nullptr, timerID))
                --controller->m_retrytimers;
            return;
        }
        controller->StartPlayPeerStream();
    });
}

void CLiveLianmai::onDeletePublishTarget(WPARAM, LPARAM)
{
    RunHandler("CLiveLianmai::onDeletePublishTarget", [this] {
        std::lock_guard<std::recursive_mutex> guard(Lock());
        // The mixed output is on air: the solo stream's CDN target goes.
        LIVESDK::DeletePublishTarget(m_cdntarget.c_str(), m_streamid.c_str());
    });
}

void CLiveLianmai::StartPlayPeerStream()
{
    std::lock_guard<std::recursive_mutex> guard(Lock());
    // A refusal brings no event, and so no retry.
    if (!LIVESDK::StartPlayingStream(m_peerstreamid.c_str(), nullptr, nullptr))
        OutputDebugStringA(("StartPlayingStream   " + std::to_string(m_peeruid) + " failed \n").c_str());
}

bool CLiveLianmai::ComputeMixUrl(const char* function)
{
    std::lock_guard<std::recursive_mutex> guard(Lock());
    const std::string mixUrl = FormatUrlTemplate(m_pushurlmap[m_siteid], std::to_string(m_uid), m_stream);
    const std::string whole = mixUrl + "?pushSecret=" + m_lianmaisecret;
    if (mixUrl.size() > kMixUrlFormattedMax || whole.size() > kMixRecordTextMax) {
        m_mixurl.clear();
        std::ostringstream refusal;
        refusal << "mix URL of " << whole.size() << " characters (at most " << kMixRecordTextMax
                << " with the secret, " << kMixUrlFormattedMax << " before it) for site " << m_siteid
                << ": no mix URL, no mix request\n";
        Trace(function, __LINE__, refusal.str());
        return false;
    }
    m_mixurl = whole;
    return true;
}

int CLiveLianmai::SendMixRequest(const char* function,
                                 const std::vector<std::pair<std::string, std::array<int, 4>>>& inputs)
{
    std::lock_guard<std::recursive_mutex> guard(Lock());

    // The records live on this frame until MixStreamEx, which copies them,
    // has returned.
    std::vector<MIXSTREAM::LiveMixInputStreamConfig> inputRecords(inputs.size());
    for (size_t i = 0; i < inputs.size(); ++i) {
        MIXSTREAM::LiveMixInputStreamConfig& record = inputRecords[i];
        std::memset(&record, 0, sizeof record);
        const std::string& streamID = inputs[i].first;
        if (streamID.size() > kMixRecordTextMax) {
            Trace(function, __LINE__,
                  "stream ID of " + std::to_string(streamID.size()) + " characters does not fit the mix request (at most " +
                      std::to_string(kMixRecordTextMax) + "): nothing sent\n");
            return -1;
        }
        std::memcpy(record.szStreamID, streamID.c_str(), streamID.size() + 1);
        record.layout.top = inputs[i].second[0];
        record.layout.left = inputs[i].second[1];
        record.layout.bottom = inputs[i].second[2];
        record.layout.right = inputs[i].second[3];
    }

    MIXSTREAM::LiveMixOutputTarget output;
    std::memset(&output, 0, sizeof output);
    output.target_type = MIXSTREAM::MIX_OUTPUT_URL;
    // m_mixurl never exceeds the field: ComputeMixUrl refuses longer ones.
    const size_t urlLength = std::min(m_mixurl.size(), kMixRecordTextMax);
    std::memcpy(output.szTarget, m_mixurl.c_str(), urlLength);

    MIXSTREAM::LiveMixStreamConfig config; // the record's own defaults
    config.nOutputFps = m_fps;
    config.nOutputRateControlMode = 1;
    config.nOutputBitrate = m_bitrate;
    config.nOutputQuality = 17;
    config.nOutputWidth = kMixWidth;
    config.nOutputHeight = kMixHeight;
    config.pInputStreamList = inputRecords.empty() ? nullptr : inputRecords.data();
    config.nInputStreamCount = static_cast<int>(inputRecords.size());
    config.pOutputList = &output;
    config.nOutputListCount = 1;
    config.nChannels = 1;
    config.nOutputBackgroundColor = 0;

    const std::string mixStreamID = "mix_" + m_ownstreamid;
    return MIXSTREAM::MixStreamEx(mixStreamID.c_str(), config);
}

void CLiveLianmai::StartMixStream()
{
    std::lock_guard<std::recursive_mutex> guard(Lock());
    const std::vector<std::pair<std::string, std::array<int, 4>>> inputs = {{m_ownstreamid, kOwnCell},
                                                                            {m_peerstreamid, kPeerCell}};
    if (!ComputeMixUrl("CLiveLianmai::StartMixStream"))
        return;
    Trace("CLiveLianmai::StartMixStream", __LINE__, "mix    " + m_mixurl + "\n");
    SendMixRequest("CLiveLianmai::StartMixStream", inputs);
}

void CLiveLianmai::StartMixSignalStream()
{
    std::lock_guard<std::recursive_mutex> guard(Lock());
    const std::vector<std::pair<std::string, std::array<int, 4>>> inputs = {{m_ownstreamid, kOwnCell}};
    if (!ComputeMixUrl("CLiveLianmai::StartMixSignalStream"))
        return;
    Trace("CLiveLianmai::StartMixSignalStream", __LINE__, "StartMixSignalStream    " + m_mixurl + "\n");
    SendMixRequest("CLiveLianmai::StartMixSignalStream", inputs);
}

void CLiveLianmai::StopMixStream()
{
    std::lock_guard<std::recursive_mutex> guard(Lock());
    // No inputs ends the mix; the target is the URL last computed.
    const int seq = SendMixRequest("CLiveLianmai::StopMixStream", {});
    Trace("CLiveLianmai::StopMixStream", __LINE__, "stopMixStream   ret   " + std::to_string(seq) + "\n");
}

void CLiveLianmai::SavePKInfo(std::string partner)
{
    std::lock_guard<std::recursive_mutex> guard(Lock());
    // A "conf.ini" that cannot be read is left alone (logged there).
    StorePartnerNumber(partner);
}

void CLiveLianmai::ReportToWeb(int code, int operate, std::string msg, int uid)
{
    try {
        SendToWeb(code, operate, std::move(msg), uid);
    } catch (const std::exception& error) {
        std::ostringstream text;
        text << "reply code " << code << " operate " << operate << " uid " << uid << " not sent: " << error.what()
             << "\n";
        Trace("CLiveLianmai::ReportToWeb", __LINE__, text.str());
    } catch (...) {
        std::ostringstream text;
        text << "reply code " << code << " operate " << operate << " uid " << uid << " not sent: unknown error\n";
        Trace("CLiveLianmai::ReportToWeb", __LINE__, text.str());
    }
}
