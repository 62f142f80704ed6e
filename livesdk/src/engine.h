#pragma once

// The simulated SDK's state and threads.
//
// One lock guards everything. Work that ends (a login attempt, a publish, a
// play, the capture, the SDK session itself) is an "activity" with a number;
// every queued event and every callback in flight is tagged with one. Ending
// an activity drops its queued events and waits until none of its callbacks
// is still running on another thread, which is what lets a stop call promise
// that nothing arrives for what it stopped once it has returned.
//
// Events are delivered by one dispatcher thread, in the order of their due
// time and, for equal times, the order they were posted. Video frames come
// from one thread per frame source (the camera, each played stream).

#include "LiveSDK.h"
#include "script.h"
#include "trace.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace livesdk_impl
{
    using Clock = std::chrono::steady_clock;

    enum CallbackKind
    {
        CB_PUBLISHER,
        CB_PLAYER,
        CB_ROOM,
        CB_IM,
        CB_DEVICE,
        CB_EXTERNAL_RENDER,
        CB_VIDEO_RENDER,
        CB_MIX,
        CB_COUNT,
    };

    // What an event hands to the dispatcher once it is due: the callback
    // interface it calls and the call itself (which traces, then calls).
    struct CDelivery
    {
        int callback = -1;
        std::function<void()> run;
    };

    // Runs under the lock when the event is due and its activity still lives:
    // applies the event's state change and returns what to deliver.
    using CPrepare = std::function<CDelivery()>;

    struct CFrameSource
    {
        uint64_t activity = 0;
        bool camera = true;
        std::string streamID;  // empty for the camera
        int width = 0;         // played streams; the camera follows the settings
        int height = 0;
        uint32_t delivered = 0;
        std::thread thread;
    };
    using CFrameSources = std::vector<std::shared_ptr<CFrameSource>>;

    struct CPublish
    {
        uint64_t activity = 0;  // 0: the channel does not publish
        std::string streamID;
        bool live = false;
    };

    struct CPlay
    {
        uint64_t activity = 0;
        bool live = false;
        int width = 0;
        int height = 0;
        std::shared_ptr<CFrameSource> frames;
    };

    struct CRoom
    {
        uint64_t activity = 0;  // 0: not in a room
        std::string roomID;
        bool loggedIn = false;  // the login event reported success
    };

    class CLiveEngine
    {
    public:
        static CLiveEngine& Instance();

        // --- state, guarded by m_lock ---
        std::mutex m_lock;
        std::condition_variable m_cv;  // any change: queue, activities, callbacks in flight

        CScript m_script;
        uint64_t m_session = 0;  // activity of InitSDK until UnInitSDK
        bool m_initialised = false;

        LIVESDK::ILivePublisherCallback* m_publisherCallback = nullptr;
        LIVESDK::ILivePlayerCallback* m_playerCallback = nullptr;
        LIVESDK::IRoomCallback* m_roomCallback = nullptr;
        LIVESDK::IIMCallback* m_imCallback = nullptr;
        LIVESDK::ILiveDeviceStateCallback* m_deviceCallback = nullptr;
        EXTERNAL_RENDER::ILiveExternalRenderCallback2* m_externalRenderCallback = nullptr;
        EXTERNAL_RENDER::ILiveVideoRenderCallback* m_videoRenderCallback = nullptr;
        MIXSTREAM::ILiveMixStreamExCallback* m_mixCallback = nullptr;

        // Settings; UnInitSDK restores these defaults.
        struct CSettings
        {
            bool externalRender = false;
            int fps[2] = {15, 15};
            int bitrate[2] = {800000, 800000};
            int captureWidth[2] = {640, 640};
            int captureHeight[2] = {480, 480};
            int encodeWidth[2] = {640, 640};
            int encodeHeight[2] = {480, 480};
            std::string cdnTarget[2];
            std::string userID;
            std::string userName;
            std::string microphoneID;
            std::string cameraID;
            unsigned soundLevelCycleMs = 200;
            bool soundLevelMonitor = false;
            bool mixSystemPlayout = false;
        } m_settings;

        CRoom m_room;
        CPublish m_publish[2];
        std::map<std::string, std::vector<std::string>> m_publishTargets;  // stream ID -> CDN URLs
        std::map<std::string, CPlay> m_plays;
        std::shared_ptr<CFrameSource> m_capture;
        std::map<const LIVESDK::DeviceInfo*, uint64_t> m_deviceLists;  // handed out -> list number
        uint64_t m_nextDeviceList = 0;
        int m_nextMixSeq = 0;

        // --- activities and events, m_lock held ---
        uint64_t NewActivityLocked();
        bool AliveLocked(uint64_t activity) const { return m_live.count(activity) != 0; }
        void PostLocked(uint64_t activity, int delayMs, CPrepare prepare);
        int EventDelayLocked() const { return m_script.m_eventDelayMs; }
        // True when the calling thread is inside one of our callbacks: then
        // nothing waits, which keeps stop calls from callbacks deadlock-free.
        bool CallerInCallbackLocked() const;
        // Drops the activity's queued events without waiting: for an event
        // that ends its own activity on the dispatcher thread.
        void ForgetActivityLocked(uint64_t activity);
        // Drops the activities' queued events and waits for their callbacks.
        void EndActivitiesLocked(std::unique_lock<std::mutex>& lock, const std::vector<uint64_t>& activities);
        void WaitCallbackIdleLocked(std::unique_lock<std::mutex>& lock, int callback);
        void WaitAllIdleLocked(std::unique_lock<std::mutex>& lock);

        // Starts a frame thread for the source; the source must be alive.
        void StartFramesLocked(const std::shared_ptr<CFrameSource>& source);
        // For a source whose activity has ended: writes its frame count to
        // the trace and hands its thread to JoinFrames.
        void FinishFramesLocked(const std::shared_ptr<CFrameSource>& source, CFrameSources& finished);
        // Without the lock: joins finished frame threads, or lets them end on
        // their own when joining could wait on a callback.
        static void JoinFrames(CFrameSources& finished, bool callerInCallback);

    private:
        CLiveEngine();
        void RunDispatcher();
        void RunFrames(std::shared_ptr<CFrameSource> source);
        void TraceFirstFrame(const CFrameSource& source, uint32_t frame, int width, int height, int stride);

        struct CEvent
        {
            uint64_t activity;
            CPrepare prepare;
        };
        struct CInFlight
        {
            unsigned long thread;
            uint64_t activity;
            int callback;
        };

        std::set<uint64_t> m_live;
        uint64_t m_nextActivity = 0;
        uint64_t m_nextOrder = 0;
        std::map<std::pair<Clock::time_point, uint64_t>, CEvent> m_queue;
        std::list<CInFlight> m_inFlight;
        std::thread m_dispatcher;
    };
}
