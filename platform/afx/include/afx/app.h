#pragma once

// The application object.
//
// A program defines exactly one static object derived from CWinApp; its
// constructor registers it, so it exists before the entry point runs. The
// entry point calls AfxWinMain, which runs InitInstance and, only when that
// returns TRUE, a message loop. A dialog program runs its dialog inside
// InitInstance and returns FALSE, which ends the process when the dialog
// closes.

#include <string>

#include "afx/wnd.h"

class CWinApp : public CCmdTarget {
  DECLARE_DYNAMIC(CWinApp)

 public:
  CWinApp();
  ~CWinApp() override;

  // The base initialisation: records the instance and, when the restart
  // flag is set, registers the process for restart after a crash or update.
  virtual BOOL InitInstance();
  virtual int ExitInstance();
  // The message loop; returns ExitInstance's result.
  virtual int Run();

  // Names the registry key settings would go under. The key is only
  // remembered: nothing here writes settings.
  void SetRegistryKey(const char* company);

  // The standard help command. The programs built on this layer ship no help
  // file, so there is nothing to open; the request is logged to the debugger.
  void OnHelp();

  HINSTANCE m_hInstance = nullptr;
  CWnd* m_pMainWnd = nullptr;
  std::string m_strRegistryKey;
  // AFX_RESTART_MANAGER_SUPPORT_RESTART (1): register for automatic restart.
  DWORD m_dwRestartManagerSupportFlags = 0;

  DECLARE_MESSAGE_MAP()
};

constexpr DWORD AFX_RESTART_MANAGER_SUPPORT_RESTART = 0x01;

// The one application object, or null before it is constructed.
CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
// Where dialog templates, icons and menus are loaded from: the program's own module.
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
// ActiveX containment. No control on these dialogs is an ActiveX control,
// so there is nothing to set up; kept so an application reads as it should.
void AfxEnableControlContainer();

// The body of the entry point: InitInstance, then the loop if it asked for one.
int AfxWinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);
