// The SDK's exported functions. Each one works under the engine's lock and
// writes its trace line before the lock is released, so that the line of a
// call always comes before the lines of the events it causes. Stop calls
// write theirs after waiting for the callbacks they end.

#include "LiveSDK.h"

#include "engine.h"
#include "environment.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

using namespace livesdk_impl;

namespace
{
    const char kScriptVariable[] = "LIVESDK_SCRIPT";
    const int kSignatureSize = 32;
    const int kMaxMixInputs = 12;
    const int kMaxMixOutputs = 3;
    const int kQualityPeriodMs = 1000;
    const int kPlayedFps = 15;
    const int kErrorNoCamera = 1101;

    CLiveEngine& Engine()
    {
        return CLiveEngine::Instance();
    }

    bool ValidChannel(int idx)
    {
        return idx == LIVESDK::PUBLISH_CHN_MAIN || idx == LIVESDK::PUBLISH_CHN_AUX;
    }

    bool NonEmpty(const char* text)
    {
        return text && *text;
    }

    bool Traced(const char* name, const CJsonObject& args, bool result)
    {
        CTrace::Instance().Call(name, args, JsonBool(result));
        return result;
    }

    // Traces the event now, while its state change is made under the lock,
    // and returns the call of the callback, if one is set.
    template <typename Callback, typename Call>
    CDelivery Deliver(int kind, Callback* callback, const char* name, const CJsonObject& args, Call call)
    {
        CTrace::Instance().Event(name, callback != nullptr, args);
        return {kind, [=] {
                    if (callback)
                        call(callback);
                }};
    }

    template <typename Callback>
    bool SetCallback(const char* name, Callback*& slot, int kind, Callback* callback)
    {
        CLiveEngine& engine = Engine();
        std::unique_lock<std::mutex> lock(engine.m_lock);
        slot = callback;
        engine.WaitCallbackIdleLocked(lock, kind);
        return Traced(name, CJsonObject().Pointer("callback", callback), true);
    }

    // --- device lists ---

    LIVESDK::DeviceInfo* HandOutDevicesLocked(const std::vector<CDevice>& devices, int& count, CJsonObject& result)
    {
        CLiveEngine& engine = Engine();
        // An empty list still hands out an array, which is handed back too.
        auto* list = new LIVESDK::DeviceInfo[devices.empty() ? 1 : devices.size()]();
        CJsonArray traced;
        for (size_t i = 0; i < devices.size(); ++i)
        {
            strncpy(list[i].szDeviceId, devices[i].id.c_str(), sizeof list[i].szDeviceId - 1);
            strncpy(list[i].szDeviceName, devices[i].name.c_str(), sizeof list[i].szDeviceName - 1);
            traced.Add(CJsonObject()
                           .Field("id", list[i].szDeviceId, sizeof list[i].szDeviceId)
                           .Field("name", list[i].szDeviceName, sizeof list[i].szDeviceName));
        }
        count = static_cast<int>(devices.size());
        const uint64_t number = ++engine.m_nextDeviceList;
        engine.m_deviceLists[list] = number;
        result.Int("list", static_cast<long long>(number)).Int("count", count).Array("devices", traced);
        return list;
    }

    LIVESDK::DeviceInfo* NoDevices(const char* name, const CJsonObject& args, int& count)
    {
        count = 0;
        CTrace::Instance().Call(name, args, CJsonObject().Null("list").Int("count", 0).Json());
        return nullptr;
    }

    bool KnownDevice(const std::vector<CDevice>& devices, const char* id)
    {
        if (!id)
            return false;
        for (const CDevice& device : devices)
        {
            if (device.id == id)
                return true;
        }
        return false;
    }

    // --- room, publish, play ---

    // Ends the room with everything in it. The room, its publishes and plays
    // are taken out of the state before waiting, so that nothing started
    // meanwhile is ended by mistake.
    void LeaveRoomLocked(std::unique_lock<std::mutex>& lock, CFrameSources& finished)
    {
        CLiveEngine& engine = Engine();
        std::vector<uint64_t> ended{engine.m_room.activity};
        engine.m_room = CRoom();
        for (CPublish& publish : engine.m_publish)
        {
            if (publish.activity)
                ended.push_back(publish.activity);
            publish = CPublish();
        }
        std::map<std::string, CPlay> plays;
        plays.swap(engine.m_plays);
        for (const auto& play : plays)
            ended.push_back(play.second.activity);
        engine.EndActivitiesLocked(lock, ended);
        for (const auto& play : plays)
        {
            if (play.second.frames)
                engine.FinishFramesLocked(play.second.frames, finished);
        }
    }

    CPrepare PublishQuality(uint64_t activity, const std::string& streamID)
    {
        return [activity, streamID]() -> CDelivery {
            CLiveEngine& engine = Engine();
            engine.PostLocked(activity, kQualityPeriodMs, PublishQuality(activity, streamID));
            const double fps = engine.m_settings.fps[0];
            const double kbps = engine.m_settings.bitrate[0] / 1000.0;
            return Deliver(CB_PUBLISHER, engine.m_publisherCallback, "OnPublishQualityUpdate",
                           CJsonObject()
                               .Text("streamID", streamID)
                               .Int("quality", 0)
                               .Number("videoFPS", fps)
                               .Number("videoKBS", kbps),
                           [=](LIVESDK::ILivePublisherCallback* callback) {
                               callback->OnPublishQualityUpdate(streamID.c_str(), 0, fps, kbps);
                           });
        };
    }

    CPrepare PlayQuality(uint64_t activity, const std::string& streamID)
    {
        return [activity, streamID]() -> CDelivery {
            CLiveEngine& engine = Engine();
            engine.PostLocked(activity, kQualityPeriodMs, PlayQuality(activity, streamID));
            const auto figures =
                engine.m_script.m_playQuality.Get(streamID, std::make_pair(double(kPlayedFps), 800.0));
            return Deliver(CB_PLAYER, engine.m_playerCallback, "OnPlayQualityUpdate",
                           CJsonObject()
                               .Text("streamID", streamID)
                               .Int("quality", 0)
                               .Number("videoFPS", figures.first)
                               .Number("videoKBS", figures.second),
                           [=](LIVESDK::ILivePlayerCallback* callback) {
                               callback->OnPlayQualityUpdate(streamID.c_str(), 0, figures.first, figures.second);
                           });
        };
    }

    // The played stream's size is announced first; its frames start once
    // that callback has returned.
    CPrepare PlayVideoSize(uint64_t activity, const std::string& streamID)
    {
        return [activity, streamID]() -> CDelivery {
            CLiveEngine& engine = Engine();
            const auto play = engine.m_plays.find(streamID);
            if (play == engine.m_plays.end())
                return CDelivery();
            const int width = play->second.width;
            const int height = play->second.height;
            LIVESDK::ILivePlayerCallback* callback = engine.m_playerCallback;
            CTrace::Instance().Event("OnVideoSizeChanged", callback != nullptr,
                                     CJsonObject().Text("streamID", streamID).Int("width", width).Int("height", height));
            return {CB_PLAYER, [=] {
                        if (callback)
                            callback->OnVideoSizeChanged(streamID.c_str(), width, height);

                        CLiveEngine& engine = Engine();
                        std::lock_guard<std::mutex> guard(engine.m_lock);
                        const auto it = engine.m_plays.find(streamID);
                        if (!engine.AliveLocked(activity) || it == engine.m_plays.end() ||
                            it->second.activity != activity || it->second.frames)
                            return;
                        auto source = std::make_shared<CFrameSource>();
                        source->activity = activity;
                        source->camera = false;
                        source->streamID = streamID;
                        source->width = width;
                        source->height = height;
                        it->second.frames = source;
                        engine.StartFramesLocked(source);
                    }};
        };
    }

    CJsonObject TraceMixConfig(const MIXSTREAM::LiveMixStreamConfig& config)
    {
        CJsonArray inputs;
        if (config.pInputStreamList)
        {
            for (int i = 0; i < config.nInputStreamCount && i <= kMaxMixInputs; ++i)
            {
                const MIXSTREAM::LiveMixInputStreamConfig& input = config.pInputStreamList[i];
                inputs.Add(CJsonObject()
                               .Field("streamID", input.szStreamID, sizeof input.szStreamID)
                               .Int("top", input.layout.top)
                               .Int("left", input.layout.left)
                               .Int("bottom", input.layout.bottom)
                               .Int("right", input.layout.right)
                               .Int("soundLevelID", input.nSoundLevelID)
                               .Int("contentControl", input.nContentControl));
            }
        }
        CJsonArray outputs;
        if (config.pOutputList)
        {
            for (int i = 0; i < config.nOutputListCount && i <= kMaxMixOutputs; ++i)
            {
                const MIXSTREAM::LiveMixOutputTarget& output = config.pOutputList[i];
                outputs.Add(CJsonObject()
                                .Int("type", output.target_type)
                                .Field("target", output.szTarget, sizeof output.szTarget));
            }
        }
        CJsonObject traced;
        traced.Int("outputFps", config.nOutputFps)
            .Int("outputRateControlMode", config.nOutputRateControlMode)
            .Int("outputBitrate", config.nOutputBitrate)
            .Int("outputQuality", config.nOutputQuality)
            .Int("outputAudioBitrate", config.nOutputAudioBitrate)
            .Int("outputWidth", config.nOutputWidth)
            .Int("outputHeight", config.nOutputHeight)
            .Int("outputAudioConfig", config.nOutputAudioConfig);
        if (config.pInputStreamList)
            traced.Array("inputs", inputs);
        else
            traced.Null("inputs");
        traced.Int("inputCount", config.nInputStreamCount);
        if (config.pOutputList)
            traced.Array("outputs", outputs);
        else
            traced.Null("outputs");
        traced.Int("outputCount", config.nOutputListCount);
        if (config.pUserData && config.nLenOfUserData > 0 && config.nLenOfUserData <= 1024)
            traced.Bytes("userData", config.pUserData, static_cast<size_t>(config.nLenOfUserData));
        else
            traced.Null("userData");
        traced.Int("userDataLength", config.nLenOfUserData)
            .Int("channels", config.nChannels)
            .Int("outputBackgroundColor", config.nOutputBackgroundColor)
            .Text("outputBackgroundImage", config.pszOutputBackgroundImage)
            .Bool("withSoundLevel", config.bWithSoundLevel);
        return traced;
    }

    bool ValidMixConfig(const MIXSTREAM::LiveMixStreamConfig& config)
    {
        return config.nInputStreamCount >= 0 && config.nInputStreamCount <= kMaxMixInputs &&
               (config.nInputStreamCount == 0 || config.pInputStreamList) && config.nOutputListCount >= 0 &&
               config.nOutputListCount <= kMaxMixOutputs && (config.nOutputListCount == 0 || config.pOutputList) &&
               config.nLenOfUserData >= 0 && (config.nLenOfUserData == 0 || config.pUserData) &&
               config.nOutputFps >= 0 && config.nOutputBitrate >= 0 && config.nOutputWidth >= 0 &&
               config.nOutputHeight >= 0;
    }

    CJsonObject TraceMixResult(const MIXSTREAM::LiveMixStreamResultEx& result)
    {
        return CJsonObject()
            .Int("errorCode", result.uiErrorCode)
            .Int("nonExistsStreamCount", result.nNonExistsStreamCount)
            .Int("inputStreamCount", result.nInputStreamCount)
            .Int("outputCount", result.nOutputCount)
            .Int("outputWidth", result.nOutputWidth)
            .Int("outputHeight", result.nOutputHeight)
            .Int("outputFps", result.nOutputFps)
            .Int("outputBitrate", result.nOutputBitrate)
            .Int("outputQuality", result.nOutputQuality)
            .Int("outputRateControlMode", result.nOutputRateControlMode)
            .Int("channels", result.nChannels)
            .Int("outputBackgroundColor", result.nOutputBackgroundColor)
            .Int("retryAfterMs", result.nRetryAfterMs)
            .Int("outputState", result.nOutputState);
    }
}

namespace LIVESDK
{
    bool SetLogDir(const char* pszLogDir, const char* pszLogFileName)
    {
        std::lock_guard<std::mutex> guard(Engine().m_lock);
        return Traced("SetLogDir", CJsonObject().Text("logDir", pszLogDir).Text("logFileName", pszLogFileName), true);
    }

    void SetUseTestEnv(bool bTestEnv)
    {
        std::lock_guard<std::mutex> guard(Engine().m_lock);
        CTrace::Instance().Call("SetUseTestEnv", CJsonObject().Bool("testEnv", bTestEnv), "null");
    }

    bool SetConfig(const char* pszConfig)
    {
        std::lock_guard<std::mutex> guard(Engine().m_lock);
        const bool ok = pszConfig && strchr(pszConfig, '=') && *pszConfig != '=';
        return Traced("SetConfig", CJsonObject().Text("config", pszConfig), ok);
    }

    bool InitSDK(unsigned int uiAppID, const unsigned char* pBufAppSignature, int nSignatureSize)
    {
        CLiveEngine& engine = Engine();
        std::unique_lock<std::mutex> lock(engine.m_lock);
        CJsonObject args;
        args.Int("appID", uiAppID);
        if (pBufAppSignature && nSignatureSize > 0 && nSignatureSize <= 1024)
            args.Bytes("signature", pBufAppSignature, static_cast<size_t>(nSignatureSize));
        else
            args.Null("signature");
        args.Int("signatureSize", nSignatureSize);

        if (!pBufAppSignature || nSignatureSize != kSignatureSize)
            return Traced("InitSDK", args, false);
        if (engine.m_initialised)
            return Traced("InitSDK", args, true);

        CScript script;
        const std::string scriptName = ReadEnvironment(kScriptVariable);
        if (!scriptName.empty())
        {
            std::string error;
            if (!script.Load(FileNameFromEnvironment(scriptName), error))
            {
                CTrace::Instance().Info("scriptError", CJsonObject().Text("script", scriptName).Text("error", error));
                OutputDebugStringA(("livesdk: script " + scriptName + ": " + error + "\n").c_str());
                return Traced("InitSDK", args, false);
            }
            CTrace::Instance().Info("script", CJsonObject().Text("script", scriptName));
        }
        engine.m_script = script;

        // A session whose initialisation failed is replaced by the new one.
        if (engine.m_session)
            engine.EndActivitiesLocked(lock, {engine.m_session});
        engine.m_session = engine.NewActivityLocked();
        const int error = engine.m_script.m_initError;
        engine.m_initialised = error == 0;
        engine.PostLocked(engine.m_session, engine.EventDelayLocked(), [error]() -> CDelivery {
            return Deliver(CB_ROOM, Engine().m_roomCallback, "OnInitSDK", CJsonObject().Int("error", error),
                           [=](IRoomCallback* callback) { callback->OnInitSDK(error); });
        });
        return Traced("InitSDK", args, true);
    }

    bool UnInitSDK()
    {
        CLiveEngine& engine = Engine();
        std::unique_lock<std::mutex> lock(engine.m_lock);
        if (!engine.m_session)
            return Traced("UnInitSDK", CJsonObject(), false);

        CFrameSources finished;
        LeaveRoomLocked(lock, finished);
        if (engine.m_capture)
        {
            std::shared_ptr<CFrameSource> capture;
            capture.swap(engine.m_capture);
            engine.EndActivitiesLocked(lock, {capture->activity});
            engine.FinishFramesLocked(capture, finished);
        }
        const uint64_t session = engine.m_session;
        engine.m_session = 0;
        engine.m_initialised = false;
        engine.EndActivitiesLocked(lock, {session});
        engine.WaitAllIdleLocked(lock);

        engine.m_publisherCallback = nullptr;
        engine.m_playerCallback = nullptr;
        engine.m_roomCallback = nullptr;
        engine.m_imCallback = nullptr;
        engine.m_deviceCallback = nullptr;
        engine.m_externalRenderCallback = nullptr;
        engine.m_videoRenderCallback = nullptr;
        engine.m_mixCallback = nullptr;
        engine.m_settings = CLiveEngine::CSettings();
        engine.m_script = CScript();
        engine.m_publishTargets.clear();
        engine.m_nextMixSeq = 0;

        const bool inCallback = engine.CallerInCallbackLocked();
        Traced("UnInitSDK", CJsonObject(), true);
        lock.unlock();
        CLiveEngine::JoinFrames(finished, inCallback);
        return true;
    }

    bool SetLivePublisherCallback(ILivePublisherCallback* pCB)
    {
        return SetCallback("SetLivePublisherCallback", Engine().m_publisherCallback, CB_PUBLISHER, pCB);
    }

    bool SetLivePlayerCallback(ILivePlayerCallback* pCB)
    {
        return SetCallback("SetLivePlayerCallback", Engine().m_playerCallback, CB_PLAYER, pCB);
    }

    bool SetRoomCallback(IRoomCallback* pCB)
    {
        return SetCallback("SetRoomCallback", Engine().m_roomCallback, CB_ROOM, pCB);
    }

    bool SetIMCallback(IIMCallback* pCB)
    {
        return SetCallback("SetIMCallback", Engine().m_imCallback, CB_IM, pCB);
    }

    bool SetDeviceStateCallback(ILiveDeviceStateCallback* pCB)
    {
        return SetCallback("SetDeviceStateCallback", Engine().m_deviceCallback, CB_DEVICE, pCB);
    }

    DeviceInfo* GetAudioDeviceList(AV_DeviceType deviceType, int& nDeviceCount)
    {
        CLiveEngine& engine = Engine();
        std::lock_guard<std::mutex> guard(engine.m_lock);
        const CJsonObject args = CJsonObject().Int("deviceType", deviceType);
        if (!engine.m_initialised || (deviceType != AV_DEVICE_INPUT && deviceType != AV_DEVICE_OUTPUT))
            return NoDevices("GetAudioDeviceList", args, nDeviceCount);
        CJsonObject result;
        DeviceInfo* list = HandOutDevicesLocked(
            deviceType == AV_DEVICE_INPUT ? engine.m_script.m_microphones : engine.m_script.m_speakers, nDeviceCount,
            result);
        CTrace::Instance().Call("GetAudioDeviceList", args, result.Json());
        return list;
    }

    DeviceInfo* GetVideoDeviceList(int& nDeviceCount)
    {
        CLiveEngine& engine = Engine();
        std::lock_guard<std::mutex> guard(engine.m_lock);
        if (!engine.m_initialised)
            return NoDevices("GetVideoDeviceList", CJsonObject(), nDeviceCount);
        CJsonObject result;
        DeviceInfo* list = HandOutDevicesLocked(engine.m_script.m_cameras, nDeviceCount, result);
        CTrace::Instance().Call("GetVideoDeviceList", CJsonObject(), result.Json());
        return list;
    }

    void FreeDeviceList(DeviceInfo* parrDeviceList)
    {
        CLiveEngine& engine = Engine();
        std::lock_guard<std::mutex> guard(engine.m_lock);
        // Only arrays this SDK handed out and has not taken back are released;
        // anything else (a second release, a foreign pointer) is ignored.
        const auto it = engine.m_deviceLists.find(parrDeviceList);
        CJsonObject args;
        if (it == engine.m_deviceLists.end())
        {
            args.Null("list").Pointer("pointer", parrDeviceList);
            Traced("FreeDeviceList", args, false);
            return;
        }
        args.Int("list", static_cast<long long>(it->second));
        engine.m_deviceLists.erase(it);
        delete[] parrDeviceList;
        Traced("FreeDeviceList", args, true);
    }

    bool SetAudioDevice(AV_DeviceType deviceType, const char* pszDeviceID)
    {
        CLiveEngine& engine = Engine();
        std::lock_guard<std::mutex> guard(engine.m_lock);
        const CJsonObject args = CJsonObject().Int("deviceType", deviceType).Text("deviceID", pszDeviceID);
        const bool ok = engine.m_initialised &&
                        ((deviceType == AV_DEVICE_INPUT && KnownDevice(engine.m_script.m_microphones, pszDeviceID)) ||
                         (deviceType == AV_DEVICE_OUTPUT && KnownDevice(engine.m_script.m_speakers, pszDeviceID)));
        if (ok && deviceType == AV_DEVICE_INPUT)
            engine.m_settings.microphoneID = pszDeviceID;
        return Traced("SetAudioDevice", args, ok);
    }

    bool SetVideoDevice(const char* pszDeviceID, AV_PublishChannelIndex idx)
    {
        CLiveEngine& engine = Engine();
        std::lock_guard<std::mutex> guard(engine.m_lock);
        const CJsonObject args = CJsonObject().Text("deviceID", pszDeviceID).Int("channel", idx);
        const bool ok = engine.m_initialised && idx == PUBLISH_CHN_MAIN &&
                        KnownDevice(engine.m_script.m_cameras, pszDeviceID);
        if (ok)
            engine.m_settings.cameraID = pszDeviceID;
        return Traced("SetVideoDevice", args, ok);
    }

    bool SetUser(const char* pszUserID, const char* pszUserName)
    {
        CLiveEngine& engine = Engine();
        std::lock_guard<std::mutex> guard(engine.m_lock);
        const CJsonObject args = CJsonObject().Text("userID", pszUserID).Text("userName", pszUserName);
        const bool ok = NonEmpty(pszUserID) && strlen(pszUserID) < 64 && pszUserName && strlen(pszUserName) < 256;
        if (ok)
        {
            engine.m_settings.userID = pszUserID;
            engine.m_settings.userName = pszUserName;
        }
        return Traced("SetUser", args, ok);
    }

    bool LoginRoom(const char* pszRoomID, int role, const char* pszRoomName)
    {
        CLiveEngine& engine = Engine();
        std::unique_lock<std::mutex> lock(engine.m_lock);
        const CJsonObject args =
            CJsonObject().Text("roomID", pszRoomID).Int("role", role).Text("roomName", pszRoomName);
        if (!engine.m_initialised || !NonEmpty(pszRoomID) || strlen(pszRoomID) >= 512 ||
            (role != ROOM_ROLE_ANCHOR && role != ROOM_ROLE_AUDIENCE) || engine.m_settings.userID.empty() ||
            engine.m_script.m_loginRefused)
            return Traced("LoginRoom", args, false);

        // Logging in again leaves the current room first, without an event.
        CFrameSources finished;
        if (engine.m_room.activity)
            LeaveRoomLocked(lock, finished);

        const uint64_t activity = engine.NewActivityLocked();
        const std::string roomID = pszRoomID;
        engine.m_room.activity = activity;
        engine.m_room.roomID = roomID;
        const int error = engine.m_script.m_loginError.Next(0);
        engine.PostLocked(activity, engine.EventDelayLocked(), [activity, roomID, error]() -> CDelivery {
            CLiveEngine& engine = Engine();
            if (error == 0)
            {
                engine.m_room.loggedIn = true;
            }
            else
            {
                engine.m_room = CRoom();
                engine.ForgetActivityLocked(activity);
            }
            return Deliver(CB_ROOM, engine.m_roomCallback, "OnLoginRoom",
                           CJsonObject().Int("errorCode", error).Text("roomID", roomID).Int("streamCount", 0),
                           [=](IRoomCallback* callback) { callback->OnLoginRoom(error, roomID.c_str(), nullptr, 0); });
        });
        const bool inCallback = engine.CallerInCallbackLocked();
        Traced("LoginRoom", args, true);
        lock.unlock();
        CLiveEngine::JoinFrames(finished, inCallback);
        return true;
    }

    bool LogoutRoom()
    {
        CLiveEngine& engine = Engine();
        std::unique_lock<std::mutex> lock(engine.m_lock);
        if (!engine.m_initialised || !engine.m_room.activity)
            return Traced("LogoutRoom", CJsonObject(), false);

        const std::string roomID = engine.m_room.roomID;
        CFrameSources finished;
        LeaveRoomLocked(lock, finished);
        engine.PostLocked(engine.m_session, engine.EventDelayLocked(), [roomID]() -> CDelivery {
            return Deliver(CB_ROOM, Engine().m_roomCallback, "OnLogoutRoom",
                           CJsonObject().Int("errorCode", 0).Text("roomID", roomID),
                           [=](IRoomCallback* callback) { callback->OnLogoutRoom(0, roomID.c_str()); });
        });
        const bool inCallback = engine.CallerInCallbackLocked();
        Traced("LogoutRoom", CJsonObject(), true);
        lock.unlock();
        CLiveEngine::JoinFrames(finished, inCallback);
        return true;
    }

    bool SetVideoFPS(int nFps, AV_PublishChannelIndex idx)
    {
        CLiveEngine& engine = Engine();
        std::lock_guard<std::mutex> guard(engine.m_lock);
        const bool ok = ValidChannel(idx) && nFps >= 1 && nFps <= 60;
        if (ok)
            engine.m_settings.fps[idx] = nFps;
        return Traced("SetVideoFPS", CJsonObject().Int("fps", nFps).Int("channel", idx), ok);
    }

    bool SetVideoBitrate(int nBitrate, AV_PublishChannelIndex idx)
    {
        CLiveEngine& engine = Engine();
        std::lock_guard<std::mutex> guard(engine.m_lock);
        const bool ok = ValidChannel(idx) && nBitrate > 0;
        if (ok)
            engine.m_settings.bitrate[idx] = nBitrate;
        return Traced("SetVideoBitrate", CJsonObject().Int("bitrate", nBitrate).Int("channel", idx), ok);
    }

    bool SetVideoCaptureResolution(int nWidth, int nHeight, AV_PublishChannelIndex idx)
    {
        CLiveEngine& engine = Engine();
        std::lock_guard<std::mutex> guard(engine.m_lock);
        const bool ok = ValidChannel(idx) && nWidth >= 32 && nHeight >= 32 && nWidth <= 4096 && nHeight <= 4096;
        if (ok)
        {
            engine.m_settings.captureWidth[idx] = nWidth;
            engine.m_settings.captureHeight[idx] = nHeight;
        }
        return Traced("SetVideoCaptureResolution",
                      CJsonObject().Int("width", nWidth).Int("height", nHeight).Int("channel", idx), ok);
    }

    bool SetVideoEncodeResolution(int nWidth, int nHeight, AV_PublishChannelIndex idx)
    {
        CLiveEngine& engine = Engine();
        std::lock_guard<std::mutex> guard(engine.m_lock);
        const bool ok = ValidChannel(idx) && nWidth >= 32 && nHeight >= 32 && nWidth <= 4096 && nHeight <= 4096;
        if (ok)
        {
            engine.m_settings.encodeWidth[idx] = nWidth;
            engine.m_settings.encodeHeight[idx] = nHeight;
        }
        return Traced("SetVideoEncodeResolution",
                      CJsonObject().Int("width", nWidth).Int("height", nHeight).Int("channel", idx), ok);
    }

    bool SetPreviewView(void* pView, AV_PublishChannelIndex idx)
    {
        std::lock_guard<std::mutex> guard(Engine().m_lock);
        return Traced("SetPreviewView", CJsonObject().Pointer("view", pView).Int("channel", idx), ValidChannel(idx));
    }

    bool SetPreviewViewMode(AV_ViewMode mode, AV_PublishChannelIndex idx)
    {
        std::lock_guard<std::mutex> guard(Engine().m_lock);
        const bool ok = ValidChannel(idx) && mode >= VIEW_MODE_ASPECT_FIT && mode <= VIEW_MODE_SCALE_TO_FILL;
        return Traced("SetPreviewViewMode", CJsonObject().Int("mode", mode).Int("channel", idx), ok);
    }

    // Only the main channel has a camera.
    bool StartPreview(AV_PublishChannelIndex idx)
    {
        CLiveEngine& engine = Engine();
        std::lock_guard<std::mutex> guard(engine.m_lock);
        const CJsonObject args = CJsonObject().Int("channel", idx);
        if (!engine.m_initialised || idx != PUBLISH_CHN_MAIN)
            return Traced("StartPreview", args, false);
        if (engine.m_capture)
            return Traced("StartPreview", args, true);

        if (engine.m_script.m_cameras.empty())
        {
            // The request stands, but without a camera there is nothing to
            // capture: the device error is the only outcome.
            engine.PostLocked(engine.m_session, engine.EventDelayLocked(), []() -> CDelivery {
                return Deliver(CB_DEVICE, Engine().m_deviceCallback, "OnDeviceError",
                               CJsonObject().Text("deviceName", "camera").Int("errorCode", kErrorNoCamera),
                               [](ILiveDeviceStateCallback* callback) {
                                   callback->OnDeviceError("camera", kErrorNoCamera);
                               });
            });
            return Traced("StartPreview", args, true);
        }

        auto source = std::make_shared<CFrameSource>();
        source->activity = engine.NewActivityLocked();
        source->camera = true;
        engine.m_capture = source;
        engine.StartFramesLocked(source);
        return Traced("StartPreview", args, true);
    }

    bool StopPreview(AV_PublishChannelIndex idx)
    {
        CLiveEngine& engine = Engine();
        std::unique_lock<std::mutex> lock(engine.m_lock);
        const CJsonObject args = CJsonObject().Int("channel", idx);
        if (idx != PUBLISH_CHN_MAIN || !engine.m_capture)
            return Traced("StopPreview", args, false);

        std::shared_ptr<CFrameSource> capture;
        capture.swap(engine.m_capture);
        CFrameSources finished;
        engine.EndActivitiesLocked(lock, {capture->activity});
        engine.FinishFramesLocked(capture, finished);
        const bool inCallback = engine.CallerInCallbackLocked();
        Traced("StopPreview", args, true);
        lock.unlock();
        CLiveEngine::JoinFrames(finished, inCallback);
        return true;
    }

    void EnableMixSystemPlayout(bool bEnable)
    {
        CLiveEngine& engine = Engine();
        std::lock_guard<std::mutex> guard(engine.m_lock);
        engine.m_settings.mixSystemPlayout = bEnable;
        CTrace::Instance().Call("EnableMixSystemPlayout", CJsonObject().Bool("enable", bEnable), "null");
    }

    bool SetCDNPublishTarget(const char* pszURL, AV_PublishChannelIndex idx)
    {
        CLiveEngine& engine = Engine();
        std::lock_guard<std::mutex> guard(engine.m_lock);
        const bool ok = ValidChannel(idx) && pszURL && strlen(pszURL) < 1024;
        if (ok)
            engine.m_settings.cdnTarget[idx] = pszURL;
        return Traced("SetCDNPublishTarget", CJsonObject().Text("url", pszURL).Int("channel", idx), ok);
    }

    bool DeletePublishTarget(const char* pszURL, const char* pszStreamID)
    {
        CLiveEngine& engine = Engine();
        std::lock_guard<std::mutex> guard(engine.m_lock);
        const CJsonObject args = CJsonObject().Text("url", pszURL).Text("streamID", pszStreamID);
        if (!engine.m_initialised || !pszURL || !pszStreamID)
            return Traced("DeletePublishTarget", args, false);
        auto it = engine.m_publishTargets.find(pszStreamID);
        if (it == engine.m_publishTargets.end())
            return Traced("DeletePublishTarget", args, false);
        std::vector<std::string>& targets = it->second;
        const auto target = std::find(targets.begin(), targets.end(), std::string(pszURL));
        if (target == targets.end())
            return Traced("DeletePublishTarget", args, false);
        targets.erase(target);
        return Traced("DeletePublishTarget", args, true);
    }

    bool StartPublishing(const char* pszTitle, const char* pszStreamID, int flag, const char* pszParams)
    {
        CLiveEngine& engine = Engine();
        std::lock_guard<std::mutex> guard(engine.m_lock);
        const CJsonObject args = CJsonObject()
                                     .Text("title", pszTitle)
                                     .Text("streamID", pszStreamID)
                                     .Int("flag", flag)
                                     .Text("params", pszParams);
        CPublish& publish = engine.m_publish[PUBLISH_CHN_MAIN];
        if (!engine.m_initialised || !engine.m_room.loggedIn || !NonEmpty(pszStreamID) ||
            strlen(pszStreamID) >= 512 ||
            (flag != PUBLISH_FLAG_JOIN && flag != PUBLISH_FLAG_MIX_STREAM && flag != PUBLISH_FLAG_SINGLE_ANCHOR) ||
            publish.activity)
            return Traced("StartPublishing", args, false);

        const uint64_t activity = engine.NewActivityLocked();
        const std::string streamID = pszStreamID;
        publish.activity = activity;
        publish.streamID = streamID;
        // The CDN target applies to this publish only.
        std::string& target = engine.m_settings.cdnTarget[PUBLISH_CHN_MAIN];
        if (!target.empty())
            engine.m_publishTargets[streamID].push_back(target);
        target.clear();

        const int state = engine.m_script.m_publishState.Next(streamID, 0);
        engine.PostLocked(activity, engine.EventDelayLocked(), [activity, streamID, state]() -> CDelivery {
            CLiveEngine& engine = Engine();
            CPublish& publish = engine.m_publish[PUBLISH_CHN_MAIN];
            if (state == 0)
            {
                publish.live = true;
                engine.PostLocked(activity, kQualityPeriodMs, PublishQuality(activity, streamID));
            }
            else
            {
                publish = CPublish();
                engine.ForgetActivityLocked(activity);
            }
            const std::vector<std::string> urls = engine.m_publishTargets[streamID];
            CJsonArray traced;
            for (const std::string& url : urls)
                traced.AddText(url);
            return Deliver(CB_PUBLISHER, engine.m_publisherCallback, "OnPublishStateUpdate",
                           CJsonObject().Int("stateCode", state).Text("streamID", streamID).Array("rtmpURLs", traced),
                           [=](ILivePublisherCallback* callback) {
                               LivePublishingStreamInfo info = {};
                               for (const std::string& url : urls)
                               {
                                   if (info.uiRtmpURLCount < 10)
                                       info.arrRtmpURLs[info.uiRtmpURLCount++] = url.c_str();
                               }
                               callback->OnPublishStateUpdate(state, streamID.c_str(), info);
                           });
        });
        return Traced("StartPublishing", args, true);
    }

    bool StopPublishing(int flag, const char* pszMsg, AV_PublishChannelIndex idx)
    {
        CLiveEngine& engine = Engine();
        std::unique_lock<std::mutex> lock(engine.m_lock);
        const CJsonObject args = CJsonObject().Int("flag", flag).Text("msg", pszMsg).Int("channel", idx);
        if (!ValidChannel(idx) || !engine.m_publish[idx].activity)
            return Traced("StopPublishing", args, false);
        const uint64_t activity = engine.m_publish[idx].activity;
        engine.m_publish[idx] = CPublish();
        engine.EndActivitiesLocked(lock, {activity});
        return Traced("StopPublishing", args, true);
    }

    bool SetViewMode(AV_ViewMode mode, const char* pszStreamID)
    {
        std::lock_guard<std::mutex> guard(Engine().m_lock);
        const bool ok = pszStreamID && mode >= VIEW_MODE_ASPECT_FIT && mode <= VIEW_MODE_SCALE_TO_FILL;
        return Traced("SetViewMode", CJsonObject().Int("mode", mode).Text("streamID", pszStreamID), ok);
    }

    bool StartPlayingStream(const char* pszStreamID, void* pView, const char* pszParams)
    {
        CLiveEngine& engine = Engine();
        std::lock_guard<std::mutex> guard(engine.m_lock);
        const CJsonObject args =
            CJsonObject().Text("streamID", pszStreamID).Pointer("view", pView).Text("params", pszParams);
        const CScript& script = engine.m_script;
        if (!engine.m_initialised || !engine.m_room.loggedIn || !NonEmpty(pszStreamID) ||
            strlen(pszStreamID) >= 512 || engine.m_plays.count(pszStreamID) || script.m_playRefusedAll ||
            std::find(script.m_playRefused.begin(), script.m_playRefused.end(), std::string(pszStreamID)) !=
                script.m_playRefused.end())
            return Traced("StartPlayingStream", args, false);

        const std::string streamID = pszStreamID;
        const auto size = script.m_playFrameSize.Get(streamID, std::make_pair(1280, 720));
        CPlay& play = engine.m_plays[streamID];
        play.activity = engine.NewActivityLocked();
        play.width = size.first;
        play.height = size.second;

        const uint64_t activity = play.activity;
        const int state = engine.m_script.m_playStates.Next(streamID, 0);
        engine.PostLocked(activity, engine.EventDelayLocked(), [activity, streamID, state]() -> CDelivery {
            CLiveEngine& engine = Engine();
            if (state == 0)
            {
                engine.m_plays[streamID].live = true;
                engine.PostLocked(activity, engine.EventDelayLocked(), PlayVideoSize(activity, streamID));
                engine.PostLocked(activity, kQualityPeriodMs, PlayQuality(activity, streamID));
            }
            else
            {
                // A failed play is over: the stream may be asked for again.
                engine.m_plays.erase(streamID);
                engine.ForgetActivityLocked(activity);
            }
            return Deliver(CB_PLAYER, engine.m_playerCallback, "OnPlayStateUpdate",
                           CJsonObject().Int("stateCode", state).Text("streamID", streamID),
                           [=](ILivePlayerCallback* callback) { callback->OnPlayStateUpdate(state, streamID.c_str()); });
        });
        return Traced("StartPlayingStream", args, true);
    }

    bool StopPlayingStream(const char* pszStreamID)
    {
        CLiveEngine& engine = Engine();
        std::unique_lock<std::mutex> lock(engine.m_lock);
        const CJsonObject args = CJsonObject().Text("streamID", pszStreamID);
        const auto it = pszStreamID ? engine.m_plays.find(pszStreamID) : engine.m_plays.end();
        if (it == engine.m_plays.end())
            return Traced("StopPlayingStream", args, false);

        const CPlay play = it->second;
        engine.m_plays.erase(it);
        CFrameSources finished;
        engine.EndActivitiesLocked(lock, {play.activity});
        if (play.frames)
            engine.FinishFramesLocked(play.frames, finished);
        const bool inCallback = engine.CallerInCallbackLocked();
        Traced("StopPlayingStream", args, true);
        lock.unlock();
        CLiveEngine::JoinFrames(finished, inCallback);
        return true;
    }
}

namespace SOUNDLEVEL
{
    bool SetSoundLevelMonitorCycle(unsigned int uiCycleMs)
    {
        CLiveEngine& engine = Engine();
        std::lock_guard<std::mutex> guard(engine.m_lock);
        const bool ok = uiCycleMs >= 100 && uiCycleMs <= 3000;
        if (ok)
            engine.m_settings.soundLevelCycleMs = uiCycleMs;
        return Traced("SetSoundLevelMonitorCycle", CJsonObject().Int("cycleMs", uiCycleMs), ok);
    }

    bool StartSoundLevelMonitor()
    {
        CLiveEngine& engine = Engine();
        std::lock_guard<std::mutex> guard(engine.m_lock);
        const bool ok = engine.m_initialised;
        if (ok)
            engine.m_settings.soundLevelMonitor = true;
        return Traced("StartSoundLevelMonitor", CJsonObject(), ok);
    }

    bool StopSoundLevelMonitor()
    {
        CLiveEngine& engine = Engine();
        std::lock_guard<std::mutex> guard(engine.m_lock);
        const bool ok = engine.m_settings.soundLevelMonitor;
        engine.m_settings.soundLevelMonitor = false;
        return Traced("StopSoundLevelMonitor", CJsonObject(), ok);
    }
}

namespace MIXSTREAM
{
    bool SetMixStreamExCallback(ILiveMixStreamExCallback* pCB)
    {
        return SetCallback("SetMixStreamExCallback", Engine().m_mixCallback, CB_MIX, pCB);
    }

    int MixStreamEx(const char* pszMixStreamID, const LiveMixStreamConfig& config)
    {
        CLiveEngine& engine = Engine();
        std::lock_guard<std::mutex> guard(engine.m_lock);
        const bool valid = ValidMixConfig(config);
        CJsonObject args;
        args.Text("mixStreamID", pszMixStreamID);
        if (valid)
            args.Object("config", TraceMixConfig(config));
        else
            args.Null("config");
        if (!engine.m_initialised || !NonEmpty(pszMixStreamID) || strlen(pszMixStreamID) >= 512 || !valid)
        {
            CTrace::Instance().Call("MixStreamEx", args, JsonInt(-1));
            return -1;
        }

        const int seq = ++engine.m_nextMixSeq;
        LiveMixStreamResultEx result = {};
        result.uiErrorCode = static_cast<unsigned>(engine.m_script.m_mixError.Next(0));
        result.nInputStreamCount = config.nInputStreamCount;
        result.nOutputCount = config.nOutputListCount;
        result.nOutputWidth = config.nOutputWidth;
        result.nOutputHeight = config.nOutputHeight;
        result.nOutputFps = config.nOutputFps;
        result.nOutputBitrate = config.nOutputBitrate;
        result.nOutputQuality = config.nOutputQuality;
        result.nOutputRateControlMode = config.nOutputRateControlMode;
        result.nChannels = config.nChannels;
        result.nOutputBackgroundColor = config.nOutputBackgroundColor;
        // A mix with inputs that went through is pushing; a stop (no inputs)
        // or a failed request is not.
        result.nOutputState = engine.m_script.m_mixResultState.Next(
            result.uiErrorCode == 0 && config.nInputStreamCount > 0 ? 1 : 0);

        const std::string mixStreamID = pszMixStreamID;
        engine.PostLocked(engine.m_session, engine.EventDelayLocked(), [result, mixStreamID, seq]() -> CDelivery {
            return Deliver(CB_MIX, Engine().m_mixCallback, "OnMixStreamEx",
                           CJsonObject()
                               .Object("result", TraceMixResult(result))
                               .Text("mixStreamID", mixStreamID)
                               .Int("seq", seq),
                           [=](ILiveMixStreamExCallback* callback) {
                               callback->OnMixStreamEx(result, mixStreamID.c_str(), seq);
                           });
        });
        CTrace::Instance().Call("MixStreamEx", args, JsonInt(seq));
        return seq;
    }
}

namespace EXTERNAL_RENDER
{
    bool EnableExternalRender(bool bEnable, ExternalRenderType type)
    {
        CLiveEngine& engine = Engine();
        std::unique_lock<std::mutex> lock(engine.m_lock);
        const bool ok = type == EXTERNAL_RENDER_RGB;
        if (ok)
        {
            engine.m_settings.externalRender = bEnable;
            // Switching off ends frame delivery like a stop call does.
            if (!bEnable)
                engine.WaitCallbackIdleLocked(lock, CB_VIDEO_RENDER);
        }
        return Traced("EnableExternalRender", CJsonObject().Bool("enable", bEnable).Int("type", type), ok);
    }

    bool SetExternalRenderCallback(ILiveExternalRenderCallback2* pCB)
    {
        return SetCallback("SetExternalRenderCallback", Engine().m_externalRenderCallback, CB_EXTERNAL_RENDER, pCB);
    }

    bool SetVideoRenderCallback(ILiveVideoRenderCallback* pCB)
    {
        return SetCallback("SetVideoRenderCallback", Engine().m_videoRenderCallback, CB_VIDEO_RENDER, pCB);
    }
}
