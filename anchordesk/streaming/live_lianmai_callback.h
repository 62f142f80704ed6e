#pragma once

#include <LiveSDK.h>

#include <windows.h>

#include "streaming/i420_frame.h"

#include <atomic>
#include <memory>

// Window messages the callback sink posts to the main window; the
// controller's handlers run on the user-interface thread.
constexpr UINT WM_LIVE_LOGIN_OK = WM_USER + 300;     // 0x52C: wParam 0, lParam 0
constexpr UINT WM_LIVE_PLAY_OK = WM_USER + 305;      // 0x531: wParam 0, lParam stream ID copy
constexpr UINT WM_LIVE_PUBLISH_OK = WM_USER + 306;   // 0x532: wParam 0, lParam stream ID copy
constexpr UINT WM_LIVE_PLAY_FAIL = WM_USER + 307;    // 0x533: wParam state code, lParam stream ID copy
constexpr UINT WM_LIVE_PUBLISH_FAIL = WM_USER + 308; // 0x534: wParam state code, lParam stream ID copy
constexpr UINT WM_LIVE_MIX_DONE = WM_USER + 309;     // 0x535: wParam 1, lParam 1

// A stream ID travels in lParam as a copy of its own, since the SDK's text is
// gone once the callback returns. The handler that receives it releases it;
// when posting fails the poster does.
LPARAM CopyStreamID(const char* streamID);
// Releases a copy; 0 is ignored.
void ReleaseStreamID(LPARAM copy);
// The text of a copy ("" for 0).
const char* StreamIDText(LPARAM copy);
// Copies made and not yet released, process-wide: 0 whenever no message
// carrying one is queued or being handled. A leak makes it grow, a double
// release makes it fall below what is queued.
long StreamIDCopiesInFlight();

// The one object through which the SDK reports events. It logs them and
// posts them to m_hwnd, so that the controller reacts on the user-interface
// thread and never on the SDK's threads. Created by the controller, never
// destroyed.
//
// Its operations must never take the controller's lock (nor call the
// controller): StopAll holds that lock while the SDK's stop calls wait for
// running callbacks to return.
class CLiveLianmaiCallBack : public EXTERNAL_RENDER::ILiveExternalRenderCallback2,
                             public EXTERNAL_RENDER::ILiveVideoRenderCallback,
                             public LIVESDK::IRoomCallback,
                             public LIVESDK::ILivePublisherCallback,
                             public LIVESDK::IIMCallback,
                             public LIVESDK::ILivePlayerCallback,
                             public LIVESDK::ILiveDeviceStateCallback,
                             public MIXSTREAM::ILiveMixStreamExCallback {
public:
    explicit CLiveLianmaiCallBack(HWND hwnd);
    virtual ~CLiveLianmaiCallBack();
    CLiveLianmaiCallBack(const CLiveLianmaiCallBack&) = delete;
    CLiveLianmaiCallBack& operator=(const CLiveLianmaiCallBack&) = delete;

    // ILiveExternalRenderCallback2
    void OnVideoDataCallback(const unsigned char* pData, int nDataLen, const char* pszStreamID, int nWidth,
                             int nHeight, int nStrides[4]) override;
    void OnVideoDataCallback2(const unsigned char** pData, int* pDataLen, const char* pszStreamID, int nWidth,
                              int nHeight, int nStrides[4], EXTERNAL_RENDER::VideoPixelFormat pixelFormat) override;
    void OnSetFlipMode(const char* pszStreamID, int nMode) override;

    // ILiveVideoRenderCallback
    void OnVideoDataCallback(const unsigned char** pData, int* pDataLen, const char* pszStreamID, int nWidth,
                             int nHeight, int nStrides[4], EXTERNAL_RENDER::VideoPixelFormat pixelFormat) override;
    void OnVideoDecodeCallback(const unsigned char* pData, int nDataLen, const char* pszStreamID, int nWidth,
                               int nHeight, bool bKeyFrame) override;

    // IRoomCallback
    void OnInitSDK(int nError) override;
    void OnKickOut(int nReason, const char* pszRoomID) override;
    void OnDisconnect(int nErrorCode, const char* pszRoomID) override;
    void OnLoginRoom(int nErrorCode, const char* pszRoomID, const LIVESDK::LiveStreamInfo* pStreamInfo,
                     unsigned int uiStreamCount) override;
    void OnLogoutRoom(int nErrorCode, const char* pszRoomID) override;
    void OnStreamUpdated(LIVESDK::AV_StreamUpdateType type, const LIVESDK::LiveStreamInfo* pStreamInfo,
                         unsigned int uiStreamCount, const char* pszRoomID) override;
    void OnReconnect(int nErrorCode, const char* pszRoomID) override;

    // ILivePublisherCallback
    void OnPublishStateUpdate(int nStateCode, const char* pszStreamID,
                              const LIVESDK::LivePublishingStreamInfo& oStreamInfo) override;
    void OnJoinLiveRequest(int nSeq, const char* pszFromUserID, const char* pszFromUserName,
                           const char* pszRoomID) override;
    void OnPublishQualityUpdate(const char* pszStreamID, int nQuality, double dVideoFPS, double dVideoKBS) override;
    void OnCaptureVideoSizeChanged(int nWidth, int nHeight, LIVESDK::AV_PublishChannelIndex idx) override;

    // IIMCallback
    void OnUserUpdate(const LIVESDK::LiveUserInfo* pUserInfo, unsigned int uiUserCount,
                      LIVESDK::AV_UserUpdateType type) override;
    void OnSendRoomMessage(int nErrorCode, const char* pszRoomID, int nSendSeq,
                           unsigned long long ullMessageID) override;
    void OnRecvRoomMessage(const char* pszRoomID, const char* pszFromUserID, const char* pszFromUserName,
                           const char* pszContent) override;

    // ILivePlayerCallback
    void OnPlayStateUpdate(int nStateCode, const char* pszStreamID) override;
    void OnVideoSizeChanged(const char* pszStreamID, int nWidth, int nHeight) override;
    void OnPlayQualityUpdate(const char* pszStreamID, int nQuality, double dVideoFPS, double dVideoKBS) override;
    void OnJoinLiveResponse(int nResult, const char* pszFromUserID, const char* pszFromUserName, int nSeq) override;

    // ILiveDeviceStateCallback
    void OnAudioDeviceStateChanged(LIVESDK::AV_DeviceType deviceType, const LIVESDK::DeviceInfo& device,
                                   LIVESDK::AV_DeviceState state) override;
    void OnVideoDeviceStateChanged(const LIVESDK::DeviceInfo& device, LIVESDK::AV_DeviceState state) override;
    void OnDeviceError(const char* pszDeviceName, int nErrorCode) override;

    // ILiveMixStreamExCallback
    void OnMixStreamEx(const MIXSTREAM::LiveMixStreamResultEx& result, const char* pszMixStreamID,
                       int nSeq) override;
    void OnMixStreamRelayCDNStateUpdate(const char* pszMixStreamID, const char* pszURL, int nState,
                                        int nReason) override;

    // The main window that receives the posted messages; never changes.
    const HWND m_hwnd;
    // Composite picture of the split view, 640 x 480, black until the frame
    // producer draws into it.
    std::unique_ptr<I420Frame> m_canvas;
    // The partner's picture is shown beside the local one. Written by the
    // player callbacks and StopAll, read by the frame producer on the
    // SDK's render thread.
    std::atomic<bool> m_issplitview{false};

private:
    // Posts a message that carries a copy of `streamID`; the copy is
    // released at once when the post fails.
    void PostStreamEvent(UINT message, WPARAM wParam, const char* streamID);
};
