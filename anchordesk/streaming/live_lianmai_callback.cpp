#include "streaming/live_lianmai_callback.h"

#include <cstring>

LPARAM CopyStreamID(const char* streamID)
{
    const char* text = streamID ? streamID : "";
    const size_t length = std::strlen(text);
    char* copy = new char[length + 1];
    std::memcpy(copy, text, length + 1);
    return reinterpret_cast<LPARAM>(copy);
}

void ReleaseStreamID(LPARAM copy)
{
    delete[] reinterpret_cast<char*>(copy);
}

const char* StreamIDText(LPARAM copy)
{
    return copy ? reinterpret_cast<const char*>(copy) : "";
}

CLiveLianmaiCallBack::CLiveLianmaiCallBack(HWND hwnd) : m_hwnd(hwnd) {}

CLiveLianmaiCallBack::~CLiveLianmaiCallBack() = default;

// Events that the program reacts to are logged and posted to m_hwnd by the
// operations below once publishing is part of the build; until then the SDK
// reports into an object that ignores them.

void CLiveLianmaiCallBack::OnVideoDataCallback(const unsigned char*, int, const char*, int, int, int[4]) {}
void CLiveLianmaiCallBack::OnVideoDataCallback2(const unsigned char**, int*, const char*, int, int, int[4],
                                                EXTERNAL_RENDER::VideoPixelFormat) {}
void CLiveLianmaiCallBack::OnSetFlipMode(const char*, int) {}

void CLiveLianmaiCallBack::OnVideoDataCallback(const unsigned char**, int*, const char*, int, int, int[4],
                                               EXTERNAL_RENDER::VideoPixelFormat) {}
void CLiveLianmaiCallBack::OnVideoDecodeCallback(const unsigned char*, int, const char*, int, int, bool) {}

void CLiveLianmaiCallBack::OnInitSDK(int) {}
void CLiveLianmaiCallBack::OnKickOut(int, const char*) {}
void CLiveLianmaiCallBack::OnDisconnect(int, const char*) {}
void CLiveLianmaiCallBack::OnLoginRoom(int, const char*, const LIVESDK::LiveStreamInfo*, unsigned int) {}
void CLiveLianmaiCallBack::OnLogoutRoom(int, const char*) {}
void CLiveLianmaiCallBack::OnStreamUpdated(LIVESDK::AV_StreamUpdateType, const LIVESDK::LiveStreamInfo*,
                                           unsigned int, const char*) {}
void CLiveLianmaiCallBack::OnReconnect(int, const char*) {}

void CLiveLianmaiCallBack::OnPublishStateUpdate(int, const char*, const LIVESDK::LivePublishingStreamInfo&) {}
void CLiveLianmaiCallBack::OnJoinLiveRequest(int, const char*, const char*, const char*) {}
void CLiveLianmaiCallBack::OnPublishQualityUpdate(const char*, int, double, double) {}
void CLiveLianmaiCallBack::OnCaptureVideoSizeChanged(int, int, LIVESDK::AV_PublishChannelIndex) {}

void CLiveLianmaiCallBack::OnUserUpdate(const LIVESDK::LiveUserInfo*, unsigned int, LIVESDK::AV_UserUpdateType) {}
void CLiveLianmaiCallBack::OnSendRoomMessage(int, const char*, int, unsigned long long) {}
void CLiveLianmaiCallBack::OnRecvRoomMessage(const char*, const char*, const char*, const char*) {}

void CLiveLianmaiCallBack::OnPlayStateUpdate(int, const char*) {}
void CLiveLianmaiCallBack::OnVideoSizeChanged(const char*, int, int) {}
void CLiveLianmaiCallBack::OnPlayQualityUpdate(const char*, int, double, double) {}
void CLiveLianmaiCallBack::OnJoinLiveResponse(int, const char*, const char*, int) {}

void CLiveLianmaiCallBack::OnAudioDeviceStateChanged(LIVESDK::AV_DeviceType, const LIVESDK::DeviceInfo&,
                                                     LIVESDK::AV_DeviceState) {}
void CLiveLianmaiCallBack::OnVideoDeviceStateChanged(const LIVESDK::DeviceInfo&, LIVESDK::AV_DeviceState) {}
void CLiveLianmaiCallBack::OnDeviceError(const char*, int) {}

void CLiveLianmaiCallBack::OnMixStreamEx(const MIXSTREAM::LiveMixStreamResultEx&, const char*, int) {}
void CLiveLianmaiCallBack::OnMixStreamRelayCDNStateUpdate(const char*, const char*, int, int) {}
