// Stands in for the streaming controller in the main window's tests: each
// operation the window uses only records that it was called, and with what.

#include "recording_controller.h"

#include "streaming/live_lianmai.h"
#include "streaming/live_lianmai_callback.h"

std::atomic<CLiveLianmai*> g_pLiveLianmai{nullptr};
std::vector<ControllerCall> g_controllerCalls;

namespace {
void Record(const char* name, WPARAM w = 0, LPARAM l = 0) {
  g_controllerCalls.push_back({name, w, l});
}
}  // namespace

CLiveLianmai::CLiveLianmai(HWND hwnd) { Record("construct", reinterpret_cast<WPARAM>(hwnd)); }
CLiveLianmai::~CLiveLianmai() = default;
void CLiveLianmai::InitLiveSDK() { Record("InitLiveSDK"); }
void CLiveLianmai::StopAll() { Record("StopAll"); }
void CLiveLianmai::onStartPush(WPARAM w, LPARAM l) { Record("onStartPush", w, l); }
void CLiveLianmai::onPlayStreamSuccess(WPARAM w, LPARAM l) { Record("onPlayStreamSuccess", w, l); }
void CLiveLianmai::onPublishSuccess(WPARAM w, LPARAM l) { Record("onPublishSuccess", w, l); }
void CLiveLianmai::onPlayStreamFail(WPARAM w, LPARAM l) { Record("onPlayStreamFail", w, l); }
void CLiveLianmai::onPublishFail(WPARAM w, LPARAM l) { Record("onPublishFail", w, l); }
void CLiveLianmai::onDeletePublishTarget(WPARAM w, LPARAM l) { Record("onDeletePublishTarget", w, l); }
void ReleaseStreamID(LPARAM copy) { Record("ReleaseStreamID", 0, copy); }
