#include "live_tool_app.h"

#include "bridge/msg_bridge.h"
#include "bridge/ws_server.h"
#include "interim_window.h"
#include "shell/file_log.h"

#include <commctrl.h>

#include <system_error>
#include <thread>

CLiveToolApp theApp;

CLiveToolApp::CLiveToolApp() = default;

CLiveToolApp::~CLiveToolApp() = default;

BOOL CLiveToolApp::InitInstance()
{
    // 1. Common controls of the Windows 95 set.
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_WIN95_CLASSES;
    InitCommonControlsEx(&controls);

    // 2. Restart after a crash or an update, nothing else.
    RegisterApplicationRestart(nullptr, 0);

    // 3. One copy at a time: a second one ends here, silently. The handle is
    // never closed, so the mutex lives exactly as long as this process.
    CreateMutexA(nullptr, TRUE, "anchordesk.exe");
    if (GetLastError() == ERROR_ALREADY_EXISTS)
        return FALSE;

    // 4. The bridge object (the in-process camera source and its capture
    // graph are set up here too, once they exist).
    CMsgBridge::GetInstance();

    // 5. The WebSocket server, on a thread of its own that nobody joins.
    try {
        std::thread(WSServerThread).detach();
    } catch (const std::system_error& error) {
        WriteLog(LOG_INFO, "CLiveToolApp::InitInstance", __LINE__,
                 (std::string("no web bridge: the server thread cannot start: ") + error.what() + "\n").c_str());
    }

    // 6. and 7. The version check and the one window of the run come here;
    // until then the interim window keeps the program and its controller.
    RunInterimWindow(GetModuleHandleA(nullptr));

    return FALSE;
}
