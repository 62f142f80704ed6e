#include "engine.h"

#include "pattern.h"

#include <windows.h>

#include <algorithm>

namespace livesdk_impl
{
    CLiveEngine& CLiveEngine::Instance()
    {
        // Never destroyed: its threads live until the process ends.
        static CLiveEngine* engine = new CLiveEngine();
        return *engine;
    }

    CLiveEngine::CLiveEngine()
    {
        m_dispatcher = std::thread([this] { RunDispatcher(); });
    }

    uint64_t CLiveEngine::NewActivityLocked()
    {
        const uint64_t activity = ++m_nextActivity;
        m_live.insert(activity);
        return activity;
    }

    void CLiveEngine::PostLocked(uint64_t activity, int delayMs, CPrepare prepare)
    {
        const auto due = Clock::now() + std::chrono::milliseconds(delayMs);
        m_queue.emplace(std::make_pair(due, ++m_nextOrder), CEvent{activity, std::move(prepare)});
        m_cv.notify_all();
    }

    bool CLiveEngine::CallerInCallbackLocked() const
    {
        const DWORD self = GetCurrentThreadId();
        return std::any_of(m_inFlight.begin(), m_inFlight.end(),
                           [self](const CInFlight& call) { return call.thread == self; });
    }

    void CLiveEngine::ForgetActivityLocked(uint64_t activity)
    {
        m_live.erase(activity);
        for (auto it = m_queue.begin(); it != m_queue.end();)
            it = it->second.activity == activity ? m_queue.erase(it) : std::next(it);
        m_cv.notify_all();
    }

    void CLiveEngine::EndActivitiesLocked(std::unique_lock<std::mutex>& lock, const std::vector<uint64_t>& activities)
    {
        auto ended = [&activities](uint64_t activity) {
            return std::find(activities.begin(), activities.end(), activity) != activities.end();
        };
        for (uint64_t activity : activities)
            m_live.erase(activity);
        for (auto it = m_queue.begin(); it != m_queue.end();)
            it = ended(it->second.activity) ? m_queue.erase(it) : std::next(it);
        m_cv.notify_all();
        if (CallerInCallbackLocked())
            return;
        m_cv.wait(lock, [&] {
            return std::none_of(m_inFlight.begin(), m_inFlight.end(),
                                [&](const CInFlight& call) { return ended(call.activity); });
        });
    }

    void CLiveEngine::WaitCallbackIdleLocked(std::unique_lock<std::mutex>& lock, int callback)
    {
        if (CallerInCallbackLocked())
            return;
        m_cv.wait(lock, [&] {
            return std::none_of(m_inFlight.begin(), m_inFlight.end(),
                                [&](const CInFlight& call) { return call.callback == callback; });
        });
    }

    void CLiveEngine::WaitAllIdleLocked(std::unique_lock<std::mutex>& lock)
    {
        if (CallerInCallbackLocked())
            return;
        m_cv.wait(lock, [&] { return m_inFlight.empty(); });
    }

    void CLiveEngine::RunDispatcher()
    {
        std::unique_lock<std::mutex> lock(m_lock);
        for (;;)
        {
            if (m_queue.empty())
            {
                m_cv.wait(lock);
                continue;
            }
            const auto first = m_queue.begin();
            if (first->first.first > Clock::now())
            {
                m_cv.wait_until(lock, first->first.first);
                continue;
            }
            CEvent event = std::move(first->second);
            m_queue.erase(first);
            if (!AliveLocked(event.activity))
                continue;
            CDelivery delivery = event.prepare();
            if (!delivery.run)
                continue;

            const auto call =
                m_inFlight.insert(m_inFlight.end(), CInFlight{GetCurrentThreadId(), event.activity, delivery.callback});
            lock.unlock();
            delivery.run();
            lock.lock();
            m_inFlight.erase(call);
            m_cv.notify_all();
        }
    }

    void CLiveEngine::StartFramesLocked(const std::shared_ptr<CFrameSource>& source)
    {
        source->thread = std::thread([this, source] { RunFrames(source); });
    }

    void CLiveEngine::FinishFramesLocked(const std::shared_ptr<CFrameSource>& source, CFrameSources& finished)
    {
        CTrace::Instance().Info("frames", CJsonObject()
                                              .Text("streamID", source->streamID)
                                              .Int("delivered", source->delivered));
        finished.push_back(source);
    }

    void CLiveEngine::JoinFrames(CFrameSources& finished, bool callerInCallback)
    {
        for (const auto& source : finished)
        {
            if (!source->thread.joinable())
                continue;
            if (callerInCallback || source->thread.get_id() == std::this_thread::get_id())
                source->thread.detach();
            else
                source->thread.join();
        }
        finished.clear();
    }

    void CLiveEngine::TraceFirstFrame(const CFrameSource& source, uint32_t frame, int width, int height, int stride)
    {
        CTrace::Instance().Event("OnVideoDataCallback", true,
                                 CJsonObject()
                                     .Text("streamID", source.streamID)
                                     .Int("width", width)
                                     .Int("height", height)
                                     .Int("stride", stride)
                                     .Int("dataLength", static_cast<long long>(stride) * height)
                                     .Int("pixelFormat", EXTERNAL_RENDER::PIXEL_FORMAT_BGRA32)
                                     .Int("frame", frame));
    }

    void CLiveEngine::RunFrames(std::shared_ptr<CFrameSource> source)
    {
        CTestPattern pattern(source->camera ? CTestPattern::CAMERA : CTestPattern::PLAYED);
        std::vector<uint8_t> pixels;
        uint32_t frame = 0;
        auto due = Clock::now();

        std::unique_lock<std::mutex> lock(m_lock);
        for (;;)
        {
            // The camera follows the settings as they are at each frame.
            const int fps = source->camera ? m_settings.fps[0] : 15;
            const int width = source->camera ? m_settings.captureWidth[0] : source->width;
            const int height = source->camera ? m_settings.captureHeight[0] : source->height;
            const auto period = std::chrono::microseconds(1000000 / fps);
            due += period;
            if (m_cv.wait_until(lock, due, [&] { return !AliveLocked(source->activity); }))
                break;
            const uint32_t number = frame++;
            // A frame that is late by a whole period is not made up for.
            if (Clock::now() > due + period)
                due = Clock::now();

            EXTERNAL_RENDER::ILiveVideoRenderCallback* callback =
                m_settings.externalRender ? m_videoRenderCallback : nullptr;
            if (!callback)
                continue;
            const bool first = source->delivered++ == 0;
            const auto call =
                m_inFlight.insert(m_inFlight.end(), CInFlight{GetCurrentThreadId(), source->activity, CB_VIDEO_RENDER});
            lock.unlock();

            pattern.Draw(pixels, width, height, number);
            const unsigned char* planes[4] = {pixels.data(), nullptr, nullptr, nullptr};
            int lengths[4] = {static_cast<int>(pixels.size()), 0, 0, 0};
            int strides[4] = {width * 4, 0, 0, 0};
            if (first)
                TraceFirstFrame(*source, number, width, height, strides[0]);
            callback->OnVideoDataCallback(planes, lengths, source->streamID.c_str(), width, height, strides,
                                          EXTERNAL_RENDER::PIXEL_FORMAT_BGRA32);

            lock.lock();
            m_inFlight.erase(call);
            m_cv.notify_all();
        }
    }
}
