#include "interim_window.h"

#include "shell/file_log.h"
#include "streaming/live_lianmai.h"
#include "streaming/live_lianmai_callback.h"

namespace {

const char kWindowClass[] = "AnchordeskInterimWindow";

LRESULT CALLBACK InterimWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CLiveLianmai* controller = g_pLiveLianmai;
    switch (message) {
    case WM_LIVE_LOGIN_OK:
        if (controller)
            controller->onStartPush(wParam, lParam);
        return 0;
    case WM_LIVE_PLAY_OK:
        if (controller)
            controller->onPlayStreamSuccess(wParam, lParam);
        else
            ReleaseStreamID(lParam);
        return 0;
    case WM_LIVE_PUBLISH_OK:
        if (controller)
            controller->onPublishSuccess(wParam, lParam);
        else
            ReleaseStreamID(lParam);
        return 0;
    case WM_LIVE_PLAY_FAIL:
        if (controller)
            controller->onPlayStreamFail(wParam, lParam);
        else
            ReleaseStreamID(lParam);
        return 0;
    case WM_LIVE_PUBLISH_FAIL:
        if (controller)
            controller->onPublishFail(wParam, lParam);
        else
            ReleaseStreamID(lParam);
        return 0;
    case WM_LIVE_MIX_DONE:
        if (controller)
            controller->onDeletePublishTarget(wParam, lParam);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

} // namespace

void RunInterimWindow(HINSTANCE instance)
{
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = InterimWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kWindowClass;
    RegisterClassExA(&windowClass);

    // Never shown.
    HWND hwnd = CreateWindowExA(0, kWindowClass, "anchordesk", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                                instance, nullptr);
    if (!hwnd) {
        WriteLog(LOG_INFO, "RunInterimWindow", __LINE__,
                 ("no window: error " + std::to_string(GetLastError()) + "\n").c_str());
        return;
    }

    auto* controller = new CLiveLianmai(hwnd); // lives until the process ends
    g_pLiveLianmai = controller;
    controller->InitLiveSDK();

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}
