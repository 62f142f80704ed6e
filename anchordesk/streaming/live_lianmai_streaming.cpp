// SDK start-up, room login and publishing, co-hosting, playing and mixing.
//
// The web command set and StopAll (live_lianmai.cpp) already call into these
// operations. Publishing itself is not in this build yet: the operations
// below refuse or report that plainly instead of pretending to stream.

#include "streaming/live_lianmai.h"

#include "shell/file_log.h"
#include "streaming/live_lianmai_callback.h"
#include "streaming/partner_store.h"

#include <string>

namespace {

void NotAvailable(const char* function, int line)
{
    const std::string text = std::string(function) + ": live streaming is not available in this build\n";
    OutputDebugStringA(text.c_str());
    WriteLog(LOG_INFO, function, line, text.c_str());
}

} // namespace

void CLiveLianmai::InitLiveSDK()
{
    std::lock_guard<std::recursive_mutex> guard(Lock());
    NotAvailable("CLiveLianmai::InitLiveSDK", __LINE__);
}

void CLiveLianmai::EnumAudioDeviceList()
{
    std::lock_guard<std::recursive_mutex> guard(Lock());
    m_audiodevices.clear();
}

void CLiveLianmai::EnumVideoDeviceList()
{
    std::lock_guard<std::recursive_mutex> guard(Lock());
    m_videodevices.clear();
}

bool CLiveLianmai::LoginLive(std::string text, std::string streamOverride, std::string secretOverride,
                             bool coHost)
{
    std::lock_guard<std::recursive_mutex> guard(Lock());
    (void)text;
    (void)streamOverride;
    (void)secretOverride;
    (void)coHost;
    NotAvailable("CLiveLianmai::LoginLive", __LINE__);
    return false; // the login request is not accepted
}

void CLiveLianmai::onStartPush(WPARAM, LPARAM)
{
    std::lock_guard<std::recursive_mutex> guard(Lock());
    NotAvailable("CLiveLianmai::onStartPush", __LINE__);
}

void CLiveLianmai::onPublishSuccess(WPARAM, LPARAM lParam)
{
    std::lock_guard<std::recursive_mutex> guard(Lock());
    ReleaseStreamID(lParam);
    NotAvailable("CLiveLianmai::onPublishSuccess", __LINE__);
}

void CLiveLianmai::onPublishFail(WPARAM, LPARAM lParam)
{
    std::lock_guard<std::recursive_mutex> guard(Lock());
    ReleaseStreamID(lParam);
    NotAvailable("CLiveLianmai::onPublishFail", __LINE__);
}

void CLiveLianmai::onPlayStreamSuccess(WPARAM, LPARAM lParam)
{
    std::lock_guard<std::recursive_mutex> guard(Lock());
    ReleaseStreamID(lParam);
    NotAvailable("CLiveLianmai::onPlayStreamSuccess", __LINE__);
}

void CLiveLianmai::onPlayStreamFail(WPARAM, LPARAM lParam)
{
    std::lock_guard<std::recursive_mutex> guard(Lock());
    ReleaseStreamID(lParam);
    NotAvailable("CLiveLianmai::onPlayStreamFail", __LINE__);
}

void CLiveLianmai::onDeletePublishTarget(WPARAM, LPARAM)
{
    std::lock_guard<std::recursive_mutex> guard(Lock());
    NotAvailable("CLiveLianmai::onDeletePublishTarget", __LINE__);
}

void CLiveLianmai::StartPlayPeerStream()
{
    std::lock_guard<std::recursive_mutex> guard(Lock());
    NotAvailable("CLiveLianmai::StartPlayPeerStream", __LINE__);
}

void CLiveLianmai::StartMixStream()
{
    std::lock_guard<std::recursive_mutex> guard(Lock());
    NotAvailable("CLiveLianmai::StartMixStream", __LINE__);
}

void CLiveLianmai::StartMixSignalStream()
{
    std::lock_guard<std::recursive_mutex> guard(Lock());
    NotAvailable("CLiveLianmai::StartMixSignalStream", __LINE__);
}

void CLiveLianmai::StopMixStream()
{
    std::lock_guard<std::recursive_mutex> guard(Lock());
    NotAvailable("CLiveLianmai::StopMixStream", __LINE__);
}

void CLiveLianmai::SavePKInfo(std::string partner)
{
    std::lock_guard<std::recursive_mutex> guard(Lock());
    StorePartnerNumber(partner);
}

void CALLBACK CLiveLianmai::PlayRetryTimerProc(HWND, UINT, UINT_PTR timerID, DWORD)
{
    std::lock_guard<std::recursive_mutex> guard(Lock());
    KillTimer(nullptr, timerID);
}
