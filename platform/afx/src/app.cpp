#include "afx/app.h"

namespace {
CWinApp* g_theApp = nullptr;
}

IMPLEMENT_DYNAMIC(CWinApp, CCmdTarget)

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

CWinApp::CWinApp() {
  // One application object per program; a second one would be a program
  // error, and the first stays the one that runs.
  if (g_theApp == nullptr) g_theApp = this;
}

CWinApp::~CWinApp() {
  if (g_theApp == this) g_theApp = nullptr;
}

BOOL CWinApp::InitInstance() {
  if (m_hInstance == nullptr) m_hInstance = ::GetModuleHandleA(nullptr);
  if (m_dwRestartManagerSupportFlags & AFX_RESTART_MANAGER_SUPPORT_RESTART) {
    ::RegisterApplicationRestart(L"", 0);
  }
  return TRUE;
}

int CWinApp::ExitInstance() { return 0; }

int CWinApp::Run() {
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  return ExitInstance();
}

void CWinApp::SetRegistryKey(const char* company) { m_strRegistryKey = company ? company : ""; }

void CWinApp::OnHelp() { ::OutputDebugStringA("CWinApp::OnHelp: no help file\n"); }

CWinApp* AfxGetApp() { return g_theApp; }

CWnd* AfxGetMainWnd() { return g_theApp ? g_theApp->m_pMainWnd : nullptr; }

HINSTANCE AfxGetInstanceHandle() {
  if (g_theApp && g_theApp->m_hInstance) return g_theApp->m_hInstance;
  return ::GetModuleHandleA(nullptr);
}

HINSTANCE AfxGetResourceHandle() { return AfxGetInstanceHandle(); }

void AfxEnableControlContainer() {}

int AfxWinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  CWinApp* app = AfxGetApp();
  if (app == nullptr) return -1;
  app->m_hInstance = instance;
  if (!app->InitInstance()) return app->ExitInstance();
  return app->Run();
}
