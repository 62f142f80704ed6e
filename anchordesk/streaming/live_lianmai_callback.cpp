#include "streaming/live_lianmai_callback.h"

#include "shell/file_log.h"

#include <cstring>
#include <sstream>
#include <string>

namespace {

std::atomic<long> g_streamIdCopies{0};

// SDK texts may be null; the log then shows nothing in their place.
const char* Text(const char* text)
{
    return text ? text : "";
}

constexpr int kCanvasWidth = 640;
constexpr int kCanvasHeight = 480;

} // namespace

LPARAM CopyStreamID(const char* streamID)
{
    const char* text = Text(streamID);
    const size_t length = std::strlen(text);
    char* copy = new char[length + 1];
    std::memcpy(copy, text, length + 1);
    ++g_streamIdCopies;
    return reinterpret_cast<LPARAM>(copy);
}

void ReleaseStreamID(LPARAM copy)
{
    if (!copy)
        return;
    --g_streamIdCopies;
    delete[] reinterpret_cast<char*>(copy);
}

const char* StreamIDText(LPARAM copy)
{
    return copy ? reinterpret_cast<const char*>(copy) : "";
}

long StreamIDCopiesInFlight()
{
    return g_streamIdCopies;
}

CLiveLianmaiCallBack::CLiveLianmaiCallBack(HWND hwnd)
    : m_hwnd(hwnd), m_canvas(std::make_unique<I420Frame>(kCanvasWidth, kCanvasHeight))
{
    m_canvas->FillBlack();
}

CLiveLianmaiCallBack::~CLiveLianmaiCallBack() = default;

void CLiveLianmaiCallBack::PostStreamEvent(UINT message, WPARAM wParam, const char* streamID)
{
    const LPARAM copy = CopyStreamID(streamID);
    if (!PostMessageA(m_hwnd, message, wParam, copy)) {
        ReleaseStreamID(copy);
        std::ostringstream text;
        text << "message 0x" << std::hex << message << " not posted, error " << std::dec << GetLastError()
             << "; stream " << Text(streamID) << " dropped\n";
        WriteLog(LOG_INFO, "CLiveLianmaiCallBack::PostStreamEvent", __LINE__, text.str().c_str());
    }
}

// The SDK calls everything below on its own threads. Nothing may escape to
// it: an event whose handling fails (out of memory) is lost, not the SDK's
// thread. None of these takes the controller's lock.

// --- frames: the frame producer comes with the virtual camera; until then
// every frame method returns at once.

void CLiveLianmaiCallBack::OnVideoDataCallback(const unsigned char*, int, const char*, int, int, int[4]) {}
void CLiveLianmaiCallBack::OnVideoDataCallback2(const unsigned char**, int*, const char*, int, int, int[4],
                                                EXTERNAL_RENDER::VideoPixelFormat) {}
void CLiveLianmaiCallBack::OnSetFlipMode(const char*, int) {}

void CLiveLianmaiCallBack::OnVideoDataCallback(const unsigned char**, int*, const char*, int, int, int[4],
                                               EXTERNAL_RENDER::VideoPixelFormat) {}
void CLiveLianmaiCallBack::OnVideoDecodeCallback(const unsigned char*, int, const char*, int, int, bool) {}

// --- room

void CLiveLianmaiCallBack::OnInitSDK(int) {}
void CLiveLianmaiCallBack::OnKickOut(int, const char*) {}
void CLiveLianmaiCallBack::OnDisconnect(int, const char*) {}

void CLiveLianmaiCallBack::OnLoginRoom(int nErrorCode, const char* pszRoomID, const LIVESDK::LiveStreamInfo*,
                                       unsigned int)
{
    try {
        std::ostringstream text;
        text << "OnLoginRoom   errorCode    " << nErrorCode << "      roomid    " << Text(pszRoomID) << "\n";
        WriteLog(LOG_INFO, "CLiveLianmaiCallBack::OnLoginRoom", __LINE__, text.str().c_str());
        // A failed login is only logged: nothing is published, nothing reported.
        if (nErrorCode == 0)
            PostMessageA(m_hwnd, WM_LIVE_LOGIN_OK, 0, 0);
    } catch (...) {
    }
}

void CLiveLianmaiCallBack::OnLogoutRoom(int nErrorCode, const char* pszRoomID)
{
    try {
        std::ostringstream text;
        text << "OnLogoutRoom   errorCode    " << nErrorCode << "      roomid    " << Text(pszRoomID) << "\n";
        WriteLog(LOG_INFO, "CLiveLianmaiCallBack::OnLogoutRoom", __LINE__, text.str().c_str());
    } catch (...) {
    }
}

void CLiveLianmaiCallBack::OnStreamUpdated(LIVESDK::AV_StreamUpdateType, const LIVESDK::LiveStreamInfo*,
                                           unsigned int, const char*) {}
void CLiveLianmaiCallBack::OnReconnect(int, const char*) {}

// --- publisher

void CLiveLianmaiCallBack::OnPublishStateUpdate(int nStateCode, const char* pszStreamID,
                                                const LIVESDK::LivePublishingStreamInfo&)
{
    try {
        std::ostringstream text;
        text << "OnPublishStateUpdate    " << nStateCode << "  pszStreamID   " << Text(pszStreamID);
        OutputDebugStringA(text.str().c_str());
        WriteLog(LOG_INFO, "CLiveLianmaiCallBack::OnPublishStateUpdate", __LINE__, text.str().c_str());
        // The state code travels sign-extended, so the handler reads it back
        // with a plain cast to int on every architecture.
        if (nStateCode == 0)
            PostStreamEvent(WM_LIVE_PUBLISH_OK, 0, pszStreamID);
        else
            PostStreamEvent(WM_LIVE_PUBLISH_FAIL, static_cast<WPARAM>(static_cast<INT_PTR>(nStateCode)),
                            pszStreamID);
    } catch (...) {
    }
}

void CLiveLianmaiCallBack::OnJoinLiveRequest(int, const char*, const char*, const char*) {}
void CLiveLianmaiCallBack::OnPublishQualityUpdate(const char*, int, double, double) {}
void CLiveLianmaiCallBack::OnCaptureVideoSizeChanged(int, int, LIVESDK::AV_PublishChannelIndex) {}

// --- messages of the room: not used

void CLiveLianmaiCallBack::OnUserUpdate(const LIVESDK::LiveUserInfo*, unsigned int, LIVESDK::AV_UserUpdateType) {}
void CLiveLianmaiCallBack::OnSendRoomMessage(int, const char*, int, unsigned long long) {}
void CLiveLianmaiCallBack::OnRecvRoomMessage(const char*, const char*, const char*, const char*) {}

// --- player

void CLiveLianmaiCallBack::OnPlayStateUpdate(int nStateCode, const char* pszStreamID)
{
    try {
        std::ostringstream text;
        text << "    OnPlayStateUpdate  stateCode   " << nStateCode << "    pszStreamID   " << Text(pszStreamID)
             << "\n";
        WriteLog(LOG_INFO, "CLiveLianmaiCallBack::OnPlayStateUpdate", __LINE__, text.str().c_str());
    } catch (...) {
    }
    // The split view follows the play state even when the post is lost.
    m_issplitview = nStateCode == 0;
    try {
        if (nStateCode == 0)
            PostStreamEvent(WM_LIVE_PLAY_OK, 0, pszStreamID);
        else
            PostStreamEvent(WM_LIVE_PLAY_FAIL, static_cast<WPARAM>(static_cast<INT_PTR>(nStateCode)),
                            pszStreamID);
    } catch (...) {
    }
}

void CLiveLianmaiCallBack::OnVideoSizeChanged(const char*, int, int) {}

void CLiveLianmaiCallBack::OnPlayQualityUpdate(const char*, int, double dVideoFPS, double dVideoKBS)
{
    // The partner's picture counts as there while it brings frames or data;
    // a figure that is not a number compares unequal to 0 and counts too.
    m_issplitview = dVideoFPS != 0 || dVideoKBS != 0;
}

void CLiveLianmaiCallBack::OnJoinLiveResponse(int, const char*, const char*, int) {}

// --- devices: not used

void CLiveLianmaiCallBack::OnAudioDeviceStateChanged(LIVESDK::AV_DeviceType, const LIVESDK::DeviceInfo&,
                                                     LIVESDK::AV_DeviceState) {}
void CLiveLianmaiCallBack::OnVideoDeviceStateChanged(const LIVESDK::DeviceInfo&, LIVESDK::AV_DeviceState) {}
void CLiveLianmaiCallBack::OnDeviceError(const char*, int) {}

// --- mixer

void CLiveLianmaiCallBack::OnMixStreamEx(const MIXSTREAM::LiveMixStreamResultEx& result, const char* pszMixStreamID,
                                         int nSeq)
{
    try {
        std::ostringstream text;
        text << "    OnMixStreamEx   mixStreamID   " << Text(pszMixStreamID) << "    seq    " << nSeq
             << "    result    " << result.uiErrorCode << "\n";
        OutputDebugStringA(text.str().c_str());
        WriteLog(LOG_INFO, "CLiveLianmaiCallBack::OnMixStreamEx", __LINE__, text.str().c_str());
        // 1 at byte offset 56: the mixed output reaches its targets, so the
        // solo stream's own CDN target can go.
        static_assert(offsetof(MIXSTREAM::LiveMixStreamResultEx, nOutputState) == 56, "output state at byte 56");
        if (result.nOutputState == 1)
            PostMessageA(m_hwnd, WM_LIVE_MIX_DONE, 1, 1);
    } catch (...) {
    }
}

void CLiveLianmaiCallBack::OnMixStreamRelayCDNStateUpdate(const char*, const char*, int, int) {}
