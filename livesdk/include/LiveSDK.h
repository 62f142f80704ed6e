#pragma once

// The live-streaming SDK: capture and preview, room login, publishing with a
// CDN target, playing, stream mixing, sound-level monitoring and external
// rendering.
//
// InitSDK comes first: device, room, preview, publish, play and mix calls
// made before it fail. Settings (log folder, configuration, callbacks, video
// parameters) may be given before it. Outcomes of room, publish, play and mix
// requests arrive later through the callbacks of LiveSDKCallback.h.
//
// All texts are NUL-terminated narrow strings and are taken byte for byte;
// device names handed out by the SDK are UTF-8.
//
// A stop call (StopPreview, StopPlayingStream, StopPublishing, LogoutRoom,
// UnInitSDK) and a callback setter return only when no callback they end is
// still running, unless they are called from inside an SDK callback; after
// they have returned, nothing more is delivered for what they ended.

#include "LiveSDKCallback.h"
#include "LiveSDKDefines.h"

namespace LIVESDK
{
    LIVESDK_API bool SetLogDir(const char* pszLogDir, const char* pszLogFileName = nullptr);
    LIVESDK_API void SetUseTestEnv(bool bTestEnv);
    // "key=value", for example "init_domain_name=" + the configuration host.
    LIVESDK_API bool SetConfig(const char* pszConfig);

    // uiAppID and the 32-byte signature come with the SDK account. The
    // outcome arrives in IRoomCallback::OnInitSDK.
    LIVESDK_API bool InitSDK(unsigned int uiAppID, const unsigned char* pBufAppSignature, int nSignatureSize = 32);
    // Stops everything, forgets callbacks and settings.
    LIVESDK_API bool UnInitSDK();

    LIVESDK_API bool SetLivePublisherCallback(ILivePublisherCallback* pCB);
    LIVESDK_API bool SetLivePlayerCallback(ILivePlayerCallback* pCB);
    LIVESDK_API bool SetRoomCallback(IRoomCallback* pCB);
    LIVESDK_API bool SetIMCallback(IIMCallback* pCB);
    LIVESDK_API bool SetDeviceStateCallback(ILiveDeviceStateCallback* pCB);

    // The returned array belongs to the SDK: hand it back with FreeDeviceList,
    // also when nDeviceCount is 0.
    LIVESDK_API DeviceInfo* GetAudioDeviceList(AV_DeviceType deviceType, int& nDeviceCount);
    LIVESDK_API DeviceInfo* GetVideoDeviceList(int& nDeviceCount);
    LIVESDK_API void FreeDeviceList(DeviceInfo* parrDeviceList);
    LIVESDK_API bool SetAudioDevice(AV_DeviceType deviceType, const char* pszDeviceID);
    LIVESDK_API bool SetVideoDevice(const char* pszDeviceID, AV_PublishChannelIndex idx = PUBLISH_CHN_MAIN);

    // SetUser must come before LoginRoom. The outcome of a login arrives in
    // IRoomCallback::OnLoginRoom; logging in again first leaves the current
    // room.
    LIVESDK_API bool SetUser(const char* pszUserID, const char* pszUserName);
    LIVESDK_API bool LoginRoom(const char* pszRoomID, int role, const char* pszRoomName = "");
    // Leaves the room: publishing and playing end with it; the preview goes on.
    LIVESDK_API bool LogoutRoom();

    LIVESDK_API bool SetVideoFPS(int nFps, AV_PublishChannelIndex idx = PUBLISH_CHN_MAIN);
    LIVESDK_API bool SetVideoBitrate(int nBitrate, AV_PublishChannelIndex idx = PUBLISH_CHN_MAIN);
    LIVESDK_API bool SetVideoCaptureResolution(int nWidth, int nHeight, AV_PublishChannelIndex idx = PUBLISH_CHN_MAIN);
    LIVESDK_API bool SetVideoEncodeResolution(int nWidth, int nHeight, AV_PublishChannelIndex idx = PUBLISH_CHN_MAIN);

    LIVESDK_API bool SetPreviewView(void* pView, AV_PublishChannelIndex idx = PUBLISH_CHN_MAIN);
    LIVESDK_API bool SetPreviewViewMode(AV_ViewMode mode, AV_PublishChannelIndex idx = PUBLISH_CHN_MAIN);
    LIVESDK_API bool StartPreview(AV_PublishChannelIndex idx = PUBLISH_CHN_MAIN);
    LIVESDK_API bool StopPreview(AV_PublishChannelIndex idx = PUBLISH_CHN_MAIN);

    LIVESDK_API void EnableMixSystemPlayout(bool bEnable);

    // The target applies to the next StartPublishing on that channel.
    LIVESDK_API bool SetCDNPublishTarget(const char* pszURL, AV_PublishChannelIndex idx = PUBLISH_CHN_MAIN);
    LIVESDK_API bool DeletePublishTarget(const char* pszURL, const char* pszStreamID);

    // Publishes the main channel. The outcome arrives in
    // ILivePublisherCallback::OnPublishStateUpdate (state code 0: published).
    LIVESDK_API bool StartPublishing(const char* pszTitle, const char* pszStreamID, int flag,
                                     const char* pszParams = nullptr);
    LIVESDK_API bool StopPublishing(int flag = 0, const char* pszMsg = nullptr,
                                    AV_PublishChannelIndex idx = PUBLISH_CHN_MAIN);

    LIVESDK_API bool SetViewMode(AV_ViewMode mode, const char* pszStreamID);
    // false: refused now, no event follows. Otherwise the outcome arrives in
    // ILivePlayerCallback::OnPlayStateUpdate (state code 0: playing).
    LIVESDK_API bool StartPlayingStream(const char* pszStreamID, void* pView, const char* pszParams = nullptr);
    LIVESDK_API bool StopPlayingStream(const char* pszStreamID);
}

namespace SOUNDLEVEL
{
    LIVESDK_API bool SetSoundLevelMonitorCycle(unsigned int uiCycleMs);
    LIVESDK_API bool StartSoundLevelMonitor();
    LIVESDK_API bool StopSoundLevelMonitor();
}

namespace MIXSTREAM
{
    LIVESDK_API bool SetMixStreamExCallback(ILiveMixStreamExCallback* pCB);
    // Returns the request's sequence number (rising, from 1), or -1 when the
    // request is refused. The outcome arrives in
    // ILiveMixStreamExCallback::OnMixStreamEx with the same number. The
    // configuration is copied before the call returns.
    LIVESDK_API int MixStreamEx(const char* pszMixStreamID, const LiveMixStreamConfig& config);
}

namespace EXTERNAL_RENDER
{
    // With external rendering on, video frames are handed to the video
    // render callback instead of being drawn into a view.
    LIVESDK_API bool EnableExternalRender(bool bEnable, ExternalRenderType type = EXTERNAL_RENDER_RGB);
    LIVESDK_API bool SetExternalRenderCallback(ILiveExternalRenderCallback2* pCB);
    LIVESDK_API bool SetVideoRenderCallback(ILiveVideoRenderCallback* pCB);
}
