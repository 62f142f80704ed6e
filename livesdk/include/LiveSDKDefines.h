#pragma once

// Types shared by the live-streaming SDK's functions and callbacks.
//
// Records passed across the DLL boundary are plain C layouts; their sizes and
// member offsets are fixed per architecture and checked below, since an
// application compiled against another copy of this header must agree with
// the DLL byte for byte.

#include <cstddef>

#if defined(LIVESDK_EXPORTS)
#define LIVESDK_API __declspec(dllexport)
#else
#define LIVESDK_API __declspec(dllimport)
#endif

namespace LIVESDK
{
    enum AV_DeviceType
    {
        AV_DEVICE_INPUT = 0,   // microphones
        AV_DEVICE_OUTPUT = 1,  // speakers
    };

    enum AV_PublishChannelIndex
    {
        PUBLISH_CHN_MAIN = 0,
        PUBLISH_CHN_AUX = 1,
    };

    enum AV_ViewMode
    {
        VIEW_MODE_ASPECT_FIT = 0,
        VIEW_MODE_ASPECT_FILL = 1,
        VIEW_MODE_SCALE_TO_FILL = 2,
    };

    enum AV_RoomRole
    {
        ROOM_ROLE_ANCHOR = 1,
        ROOM_ROLE_AUDIENCE = 2,
    };

    // Flags of StartPublishing.
    enum AV_PublishFlag
    {
        PUBLISH_FLAG_JOIN = 0,           // joins another anchor's broadcast
        PUBLISH_FLAG_MIX_STREAM = 2,     // stream is meant for the stream mixer
        PUBLISH_FLAG_SINGLE_ANCHOR = 4,  // one anchor, relayed to its CDN target
    };

    enum AV_DeviceState
    {
        DEVICE_STATE_ADDED = 0,
        DEVICE_STATE_REMOVED = 1,
    };

    enum AV_StreamUpdateType
    {
        STREAM_UPDATE_ADDED = 2001,
        STREAM_UPDATE_DELETED = 2002,
    };

    enum AV_UserUpdateType
    {
        USER_UPDATE_TOTAL = 1,
        USER_UPDATE_INCREASE = 2,
    };

    // One entry of the arrays returned by GetAudioDeviceList and
    // GetVideoDeviceList. Both texts are NUL-terminated; the name is UTF-8.
    struct DeviceInfo
    {
        char szDeviceId[512];
        char szDeviceName[512];
    };

    struct LiveStreamInfo
    {
        char szUserId[64];
        char szUserName[256];
        char szStreamId[512];
        char szExtraInfo[1024];
    };

    struct LiveUserInfo
    {
        char szUserId[64];
        char szUserName[256];
        int nUpdateFlag;
        int nRole;
    };

    // Addresses under which a published stream can be watched; the pointers
    // are valid only during the callback that receives the record.
    struct LivePublishingStreamInfo
    {
        const char* arrRtmpURLs[10];
        unsigned int uiRtmpURLCount;
        const char* arrFlvURLs[10];
        unsigned int uiFlvURLCount;
        const char* arrHlsURLs[10];
        unsigned int uiHlsURLCount;
    };

    static_assert(sizeof(DeviceInfo) == 1024, "device entry: 512-byte ID, 512-byte name");
    static_assert(offsetof(DeviceInfo, szDeviceName) == 512, "device name follows the 512-byte ID");
}

namespace EXTERNAL_RENDER
{
    enum ExternalRenderType
    {
        // Decoded frames as 32-bit pixels, handed to ILiveVideoRenderCallback.
        EXTERNAL_RENDER_RGB = 0,
    };

    enum VideoPixelFormat
    {
        PIXEL_FORMAT_UNKNOWN = 0,
        PIXEL_FORMAT_I420 = 1,
        PIXEL_FORMAT_NV12 = 2,
        PIXEL_FORMAT_NV21 = 3,
        PIXEL_FORMAT_BGRA32 = 4,  // bytes blue, green, red, alpha
        PIXEL_FORMAT_RGBA32 = 5,
        PIXEL_FORMAT_ARGB32 = 6,
        PIXEL_FORMAT_ABGR32 = 7,
    };
}

namespace MIXSTREAM
{
    enum MixOutputTargetType : unsigned char
    {
        MIX_OUTPUT_STREAM_ID = 0,
        MIX_OUTPUT_URL = 1,
    };

    // Where an input stream is drawn in the mixed picture, in output pixels.
    struct LiveMixRect
    {
        int top;
        int left;
        int bottom;
        int right;
    };

    struct LiveMixInputStreamConfig
    {
        char szStreamID[512];
        LiveMixRect layout;
        int nSoundLevelID;
        int nContentControl;  // 0 audio and video, 1 audio only, 2 video only
    };

    struct LiveMixOutputTarget
    {
        MixOutputTargetType target_type;
        char szTarget[512];
    };

    // A mix request. Starts from its defaults; a request without inputs stops
    // the mix of that mix stream ID.
    struct LiveMixStreamConfig
    {
        int nOutputFps = 0;
        int nOutputRateControlMode = 0;  // 0 constant bit rate, 1 constant quality
        int nOutputBitrate = 0;          // bit/s
        int nOutputQuality = 23;         // used in constant-quality mode
        int nOutputAudioBitrate = 0;     // 0: the mixer's default
        int nOutputWidth = 0;
        int nOutputHeight = 0;
        int nOutputAudioConfig = 0;      // 0: the mixer's default codec
        LiveMixInputStreamConfig* pInputStreamList = nullptr;
        int nInputStreamCount = 0;
        LiveMixOutputTarget* pOutputList = nullptr;
        int nOutputListCount = 0;
        unsigned char* pUserData = nullptr;
        int nLenOfUserData = 0;
        int nChannels = 1;
        int nOutputBackgroundColor = 0;  // 0xRRGGBB00
        const char* pszOutputBackgroundImage = nullptr;
        bool bWithSoundLevel = false;
    };

    // Outcome of a mix request, reported by ILiveMixStreamExCallback.
    struct LiveMixStreamResultEx
    {
        unsigned int uiErrorCode;
        int nNonExistsStreamCount;
        int nInputStreamCount;
        int nOutputCount;
        int nOutputWidth;
        int nOutputHeight;
        int nOutputFps;
        int nOutputBitrate;
        int nOutputQuality;
        int nOutputRateControlMode;
        int nChannels;
        int nOutputBackgroundColor;
        int nRetryAfterMs;
        int nReserved;
        int nOutputState;  // 1: the mixed output is being pushed to its targets
        int nReserved2[3];
    };

    static_assert(sizeof(LiveMixInputStreamConfig) == 536, "input record size");
    static_assert(offsetof(LiveMixInputStreamConfig, layout) == 512, "rectangle follows the stream ID");
    static_assert(offsetof(LiveMixInputStreamConfig, nSoundLevelID) == 528, "input record layout");
    static_assert(offsetof(LiveMixInputStreamConfig, nContentControl) == 532, "input record layout");
    static_assert(offsetof(LiveMixRect, left) == 4 && offsetof(LiveMixRect, bottom) == 8 &&
                      offsetof(LiveMixRect, right) == 12,
                  "rectangle order: top, left, bottom, right");

    static_assert(sizeof(MixOutputTargetType) == 1, "output type is one byte");
    static_assert(sizeof(LiveMixOutputTarget) == 513, "output record size");
    static_assert(offsetof(LiveMixOutputTarget, szTarget) == 1, "target text follows the type byte");

    static_assert(sizeof(LiveMixStreamResultEx) == 72, "mix result size");
    static_assert(offsetof(LiveMixStreamResultEx, uiErrorCode) == 0, "error code first");
    static_assert(offsetof(LiveMixStreamResultEx, nOutputState) == 56, "output state at byte 56");

#if defined(__i386__)
    // 32-bit: the first sixteen members are 32 bits wide each.
    static_assert(offsetof(LiveMixStreamConfig, nOutputFps) == 0, "mix config layout");
    static_assert(offsetof(LiveMixStreamConfig, nOutputRateControlMode) == 4, "mix config layout");
    static_assert(offsetof(LiveMixStreamConfig, nOutputBitrate) == 8, "mix config layout");
    static_assert(offsetof(LiveMixStreamConfig, nOutputQuality) == 12, "mix config layout");
    static_assert(offsetof(LiveMixStreamConfig, nOutputAudioBitrate) == 16, "mix config layout");
    static_assert(offsetof(LiveMixStreamConfig, nOutputWidth) == 20, "mix config layout");
    static_assert(offsetof(LiveMixStreamConfig, nOutputHeight) == 24, "mix config layout");
    static_assert(offsetof(LiveMixStreamConfig, nOutputAudioConfig) == 28, "mix config layout");
    static_assert(offsetof(LiveMixStreamConfig, pInputStreamList) == 32, "mix config layout");
    static_assert(offsetof(LiveMixStreamConfig, nInputStreamCount) == 36, "mix config layout");
    static_assert(offsetof(LiveMixStreamConfig, pOutputList) == 40, "mix config layout");
    static_assert(offsetof(LiveMixStreamConfig, nOutputListCount) == 44, "mix config layout");
    static_assert(offsetof(LiveMixStreamConfig, pUserData) == 48, "mix config layout");
    static_assert(offsetof(LiveMixStreamConfig, nLenOfUserData) == 52, "mix config layout");
    static_assert(offsetof(LiveMixStreamConfig, nChannels) == 56, "mix config layout");
    static_assert(offsetof(LiveMixStreamConfig, nOutputBackgroundColor) == 60, "mix config layout");
    static_assert(offsetof(LiveMixStreamConfig, pszOutputBackgroundImage) == 64, "mix config layout");
    static_assert(offsetof(LiveMixStreamConfig, bWithSoundLevel) == 68, "mix config layout");
    static_assert(sizeof(LiveMixStreamConfig) == 72, "mix config size");

    static_assert(sizeof(LIVESDK::LivePublishingStreamInfo) == 132, "publishing info size");
#elif defined(__x86_64__)
    // 64-bit: the same members in their natural alignment.
    static_assert(offsetof(LiveMixStreamConfig, nOutputAudioConfig) == 28, "mix config layout");
    static_assert(offsetof(LiveMixStreamConfig, pInputStreamList) == 32, "mix config layout");
    static_assert(offsetof(LiveMixStreamConfig, nInputStreamCount) == 40, "mix config layout");
    static_assert(offsetof(LiveMixStreamConfig, pOutputList) == 48, "mix config layout");
    static_assert(offsetof(LiveMixStreamConfig, nOutputListCount) == 56, "mix config layout");
    static_assert(offsetof(LiveMixStreamConfig, pUserData) == 64, "mix config layout");
    static_assert(offsetof(LiveMixStreamConfig, nLenOfUserData) == 72, "mix config layout");
    static_assert(offsetof(LiveMixStreamConfig, nChannels) == 76, "mix config layout");
    static_assert(offsetof(LiveMixStreamConfig, nOutputBackgroundColor) == 80, "mix config layout");
    static_assert(offsetof(LiveMixStreamConfig, pszOutputBackgroundImage) == 88, "mix config layout");
    static_assert(offsetof(LiveMixStreamConfig, bWithSoundLevel) == 96, "mix config layout");
    static_assert(sizeof(LiveMixStreamConfig) == 104, "mix config size");

    static_assert(sizeof(LIVESDK::LivePublishingStreamInfo) == 264, "publishing info size");
#endif
}
