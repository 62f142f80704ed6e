#pragma once

// Callback interfaces of the live-streaming SDK.
//
// The SDK calls these on its own threads, never on the thread of the call
// that caused the event and never before that call has returned. Texts and
// records passed to a callback are valid only until it returns. Several
// callbacks may run at the same time on different SDK threads.
//
// The order of the operations in each interface is part of the binary
// interface: new operations are only ever added at the end.

#include "LiveSDKDefines.h"

namespace LIVESDK
{
    class IRoomCallback
    {
    public:
        virtual void OnInitSDK(int nError) = 0;
        virtual void OnKickOut(int nReason, const char* pszRoomID) = 0;
        virtual void OnDisconnect(int nErrorCode, const char* pszRoomID) = 0;
        virtual void OnLoginRoom(int nErrorCode, const char* pszRoomID, const LiveStreamInfo* pStreamInfo,
                                 unsigned int uiStreamCount) = 0;
        virtual void OnLogoutRoom(int nErrorCode, const char* pszRoomID) = 0;
        virtual void OnStreamUpdated(AV_StreamUpdateType type, const LiveStreamInfo* pStreamInfo,
                                     unsigned int uiStreamCount, const char* pszRoomID) = 0;
        virtual void OnReconnect(int nErrorCode, const char* pszRoomID) = 0;

    protected:
        ~IRoomCallback() = default;
    };

    class ILivePublisherCallback
    {
    public:
        virtual void OnPublishStateUpdate(int nStateCode, const char* pszStreamID,
                                          const LivePublishingStreamInfo& oStreamInfo) = 0;
        virtual void OnJoinLiveRequest(int nSeq, const char* pszFromUserID, const char* pszFromUserName,
                                       const char* pszRoomID) = 0;
        virtual void OnPublishQualityUpdate(const char* pszStreamID, int nQuality, double dVideoFPS,
                                            double dVideoKBS) = 0;
        virtual void OnCaptureVideoSizeChanged(int nWidth, int nHeight, AV_PublishChannelIndex idx) = 0;

    protected:
        ~ILivePublisherCallback() = default;
    };

    class ILivePlayerCallback
    {
    public:
        virtual void OnPlayStateUpdate(int nStateCode, const char* pszStreamID) = 0;
        virtual void OnVideoSizeChanged(const char* pszStreamID, int nWidth, int nHeight) = 0;
        virtual void OnPlayQualityUpdate(const char* pszStreamID, int nQuality, double dVideoFPS,
                                         double dVideoKBS) = 0;
        virtual void OnJoinLiveResponse(int nResult, const char* pszFromUserID, const char* pszFromUserName,
                                        int nSeq) = 0;

    protected:
        ~ILivePlayerCallback() = default;
    };

    class IIMCallback
    {
    public:
        virtual void OnUserUpdate(const LiveUserInfo* pUserInfo, unsigned int uiUserCount,
                                  AV_UserUpdateType type) = 0;
        virtual void OnSendRoomMessage(int nErrorCode, const char* pszRoomID, int nSendSeq,
                                       unsigned long long ullMessageID) = 0;
        virtual void OnRecvRoomMessage(const char* pszRoomID, const char* pszFromUserID,
                                       const char* pszFromUserName, const char* pszContent) = 0;

    protected:
        ~IIMCallback() = default;
    };

    class ILiveDeviceStateCallback
    {
    public:
        virtual void OnAudioDeviceStateChanged(AV_DeviceType deviceType, const DeviceInfo& device,
                                               AV_DeviceState state) = 0;
        virtual void OnVideoDeviceStateChanged(const DeviceInfo& device, AV_DeviceState state) = 0;
        virtual void OnDeviceError(const char* pszDeviceName, int nErrorCode) = 0;

    protected:
        ~ILiveDeviceStateCallback() = default;
    };
}

namespace EXTERNAL_RENDER
{
    class ILiveExternalRenderCallback2
    {
    public:
        virtual void OnVideoDataCallback(const unsigned char* pData, int nDataLen, const char* pszStreamID,
                                         int nWidth, int nHeight, int nStrides[4]) = 0;
        virtual void OnVideoDataCallback2(const unsigned char** pData, int* pDataLen, const char* pszStreamID,
                                          int nWidth, int nHeight, int nStrides[4],
                                          VideoPixelFormat pixelFormat) = 0;
        virtual void OnSetFlipMode(const char* pszStreamID, int nMode) = 0;

    protected:
        ~ILiveExternalRenderCallback2() = default;
    };

    class ILiveVideoRenderCallback
    {
    public:
        // One video frame. Local capture frames carry an empty stream ID,
        // frames of played streams the ID of their stream. pData, pDataLen
        // and nStrides describe up to four planes; 32-bit formats use plane 0.
        virtual void OnVideoDataCallback(const unsigned char** pData, int* pDataLen, const char* pszStreamID,
                                         int nWidth, int nHeight, int nStrides[4],
                                         VideoPixelFormat pixelFormat) = 0;
        virtual void OnVideoDecodeCallback(const unsigned char* pData, int nDataLen, const char* pszStreamID,
                                           int nWidth, int nHeight, bool bKeyFrame) = 0;

    protected:
        ~ILiveVideoRenderCallback() = default;
    };
}

namespace MIXSTREAM
{
    class ILiveMixStreamExCallback
    {
    public:
        virtual void OnMixStreamEx(const LiveMixStreamResultEx& result, const char* pszMixStreamID, int nSeq) = 0;
        virtual void OnMixStreamRelayCDNStateUpdate(const char* pszMixStreamID, const char* pszURL, int nState,
                                                    int nReason) = 0;

    protected:
        ~ILiveMixStreamExCallback() = default;
    };
}
