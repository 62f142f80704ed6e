#include "live_tool_app.h"

#include "bridge/msg_bridge.h"
#include "bridge/ws_server.h"
#include "shell/file_log.h"
#include "shell/main_dialog.h"
#include "shell/update_dialog.h"
#include "shell/version_check.h"

#include <commctrl.h>

#include <system_error>
#include <thread>

namespace {
// The framework's standard help command.
constexpr UINT kHelpCommand = 0xE146;
} // namespace

BEGIN_MESSAGE_MAP(CLiveToolApp, CWinApp)
    ON_COMMAND(kHelpCommand, OnHelp)
END_MESSAGE_MAP()

CLiveToolApp theApp;

CLiveToolApp::CLiveToolApp()
{
    // Restart after a crash or an update, nothing else.
    m_dwRestartManagerSupportFlags = AFX_RESTART_MANAGER_SUPPORT_RESTART;
}

CLiveToolApp::~CLiveToolApp() = default;

BOOL CLiveToolApp::InitInstance()
{
    // 1. Common controls of the Windows 95 set.
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_WIN95_CLASSES;
    InitCommonControlsEx(&controls);

    // 2. The framework's own start. The registry key is only named: the
    // program keeps nothing of its own there.
    CWinApp::InitInstance();
    AfxEnableControlContainer();
    SetRegistryKey("应用程序向导生成的本地应用程序");

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

    // 6. The version check, before any window exists.
    // 7. Exactly one dialog per run: the update offer or the main window.
    if (CheckUpdate()) {
        CUpdateDlg dialog;
        dialog.SetVersionTip(m_strServerVer);
        m_pMainWnd = &dialog;
        dialog.DoModal();
    } else {
        CMyTavroToolDlg dialog;
        m_pMainWnd = &dialog;
        dialog.DoModal();
    }
    m_pMainWnd = nullptr;

    // 8. The window has closed: the process ends.
    return FALSE;
}

bool CLiveToolApp::CheckUpdate()
{
    return CheckForNewerVersion(m_curVer, m_serverVer, m_strServerVer);
}
