// Message maps, modal dialogs, subclassing and data exchange, driven through
// the real dialog manager: every message here travels SendMessage/PostMessage
// → the system → the routing procedure → the map.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "afx/afx.h"
#include "afx_test_ids.h"

namespace {

constexpr UINT kMenuCommand = 310;
constexpr UINT WM_PROBE_NUMBERED = WM_APP + 5;
constexpr UINT WM_PROBE_BASE_ONLY = WM_APP + 6;
constexpr UINT WM_PROBE_BOTH = WM_APP + 7;
constexpr UINT WM_PROBE_SHOWN = WM_APP + 50;
UINT g_registeredMessage = ::RegisterWindowMessageA("afx_test.registered");

class CProbeButton : public CButton {
 public:
  void DrawItem(DRAWITEMSTRUCT* item) override {
    ++drawCount;
    drawnId = item->CtlID;
  }
  int drawCount = 0;
  UINT drawnId = 0;
};

class CProbeStatic : public CStatic {
 public:
  HBRUSH CtlColor(CDC*, UINT kind) {
    lastKind = kind;
    return brush;
  }
  HBRUSH brush = nullptr;
  UINT lastKind = 99;
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CProbeStatic, CStatic)
  ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

// A base class map, to see that a derived map is searched first and the
// base's entries still apply.
class CProbeBase : public CDialog {
 public:
  using CDialog::CDialog;
  std::vector<std::string> calls;

 protected:
  LRESULT OnBaseOnly(WPARAM, LPARAM) {
    calls.push_back("base-only");
    return 11;
  }
  LRESULT OnBothInBase(WPARAM, LPARAM) {
    calls.push_back("both:base");
    return 12;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CProbeBase, CDialog)
  ON_MESSAGE(WM_PROBE_BASE_ONLY, OnBaseOnly)
  ON_MESSAGE(WM_PROBE_BOTH, OnBothInBase)
END_MESSAGE_MAP()

class CProbeDialog : public CProbeBase {
 public:
  CProbeDialog() : CProbeBase(IDD_PROBE) { dialogBrush.CreateSolidBrush(RGB(1, 2, 3)); }

  BOOL OnInitDialog() override {
    CProbeBase::OnInitDialog();
    if (onInit) onInit(*this);
    PostMessage(WM_PROBE_SHOWN);
    return TRUE;
  }
  void DoDataExchange(CDataExchange* dx) override {
    DDX_Control(dx, IDC_PROBE_BUTTON, button);
    DDX_Control(dx, IDC_PROBE_STATIC, label);
    DDX_Control(dx, 399, missing);  // no such control in the template
  }

  std::function<void(CProbeDialog&)> onInit;
  std::function<void(CProbeDialog&)> onShown;
  CProbeButton button;
  CProbeStatic label;
  CWnd missing;
  CBrush dialogBrush;

 protected:
  void OnMenu() { calls.push_back("menu"); }
  void OnButtonClicked() { calls.push_back("clicked"); }
  void OnButtonDoubleClicked() { calls.push_back("double"); }
  void OnNotifyClick(NMHDR* header, LRESULT* result) {
    calls.push_back("notify:" + std::to_string(header->idFrom));
    *result = 42;
  }
  void OnTimer(UINT_PTR id) { calls.push_back("timer:" + std::to_string(id)); }
  LRESULT OnNumbered(WPARAM w, LPARAM l) {
    calls.push_back("numbered");
    return static_cast<LRESULT>(w) + l;
  }
  LRESULT OnRegistered(WPARAM, LPARAM) {
    calls.push_back("registered");
    return 99;
  }
  LRESULT OnBothInDerived(WPARAM, LPARAM) {
    calls.push_back("both:derived");
    return 13;
  }
  LRESULT OnShown(WPARAM, LPARAM) {
    if (onShown) onShown(*this);
    return 0;
  }
  HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT kind) {
    if (kind == CTLCOLOR_DLG) return dialogBrush;
    return CProbeBase::OnCtlColor(dc, control, kind);
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CProbeDialog, CProbeBase)
  ON_COMMAND(kMenuCommand, OnMenu)
  ON_BN_CLICKED(IDC_PROBE_BUTTON, OnButtonClicked)
  ON_CONTROL(BN_DOUBLECLICKED, IDC_PROBE_BUTTON, OnButtonDoubleClicked)
  ON_NOTIFY(NM_CLICK, IDC_PROBE_PROGRESS, OnNotifyClick)
  ON_WM_TIMER()
  ON_WM_CTLCOLOR()
  ON_MESSAGE(WM_PROBE_NUMBERED, OnNumbered)
  ON_REGISTERED_MESSAGE(g_registeredMessage, OnRegistered)
  ON_MESSAGE(WM_PROBE_BOTH, OnBothInDerived)
  ON_MESSAGE(WM_PROBE_SHOWN, OnShown)
END_MESSAGE_MAP()

TEST(AfxMessageMap, RoutesEachKindOfMessageToItsHandler) {
  CProbeDialog dialog;
  bool ran = false;
  dialog.onInit = [&](CProbeDialog& d) {
    ran = true;
    HWND button = d.GetDlgItem(IDC_PROBE_BUTTON);
    HWND progress = d.GetDlgItem(IDC_PROBE_PROGRESS);
    NMHDR click = {progress, IDC_PROBE_PROGRESS, static_cast<UINT>(NM_CLICK)};
    NMHDR rightClick = {progress, IDC_PROBE_PROGRESS, static_cast<UINT>(NM_RCLICK)};
    struct Case {
      const char* what;
      UINT message;
      WPARAM wParam;
      LPARAM lParam;
      const char* expectedCall;  // "" when nothing of ours may run
      LRESULT expectedResult;
    } cases[] = {
        {"menu command", WM_COMMAND, MAKEWPARAM(kMenuCommand, 0), 0, "menu", 0},
        {"accelerator", WM_COMMAND, MAKEWPARAM(kMenuCommand, 1), 0, "menu", 0},
        {"code 1 from a control is no command", WM_COMMAND, MAKEWPARAM(kMenuCommand, 1),
         reinterpret_cast<LPARAM>(button), "", 0},
        {"unknown command", WM_COMMAND, MAKEWPARAM(kMenuCommand + 1, 0), 0, "", 0},
        {"button click", WM_COMMAND, MAKEWPARAM(IDC_PROBE_BUTTON, BN_CLICKED),
         reinterpret_cast<LPARAM>(button), "clicked", 0},
        {"other control notification", WM_COMMAND,
         MAKEWPARAM(IDC_PROBE_BUTTON, BN_DOUBLECLICKED), reinterpret_cast<LPARAM>(button),
         "double", 0},
        {"notify", WM_NOTIFY, IDC_PROBE_PROGRESS, reinterpret_cast<LPARAM>(&click),
         "notify:303", 42},
        {"notify with another code", WM_NOTIFY, IDC_PROBE_PROGRESS,
         reinterpret_cast<LPARAM>(&rightClick), "", 0},
        {"timer", WM_TIMER, 7, 0, "timer:7", 0},
        {"numbered message", WM_PROBE_NUMBERED, 5, 6, "numbered", 11},
        {"registered message", g_registeredMessage, 0, 0, "registered", 99},
        {"entry of the base map", WM_PROBE_BASE_ONLY, 0, 0, "base-only", 11},
        {"derived entry wins", WM_PROBE_BOTH, 0, 0, "both:derived", 13},
        {"nothing mapped: the dialog's default", WM_GETTEXTLENGTH, 0, 0, "", 5},
    };
    for (const Case& c : cases) {
      SCOPED_TRACE(c.what);
      d.calls.clear();
      LRESULT result = d.SendMessage(c.message, c.wParam, c.lParam);
      std::vector<std::string> expected;
      if (*c.expectedCall) expected.push_back(c.expectedCall);
      EXPECT_EQ(expected, d.calls);
      EXPECT_EQ(c.expectedResult, result);
    }
    d.EndDialog(IDOK);
  };
  EXPECT_EQ(IDOK, dialog.DoModal());
  EXPECT_TRUE(ran);
}

TEST(AfxDialog, DataExchangeAttachesControlsThatGetTheirOwnerDrawAndColours) {
  CProbeDialog dialog;
  CBrush labelBrush;
  labelBrush.CreateSolidBrush(RGB(4, 5, 6));
  bool ran = false;
  dialog.onShown = [&](CProbeDialog& d) {
    ran = true;
    EXPECT_EQ(d.GetDlgItem(IDC_PROBE_BUTTON), d.button.m_hWnd);
    EXPECT_EQ(&d.button, CWnd::FromHandlePermanent(d.button.m_hWnd));
    EXPECT_EQ(nullptr, d.missing.m_hWnd);

    // A real repaint: the button asks its parent, the parent hands it back.
    ::RedrawWindow(d.button.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_GE(d.button.drawCount, 1);
    EXPECT_EQ(static_cast<UINT>(IDC_PROBE_BUTTON), d.button.drawnId);

    HDC dc = ::GetDC(d.m_hWnd);
    WPARAM dcParam = reinterpret_cast<WPARAM>(dc);
    LPARAM labelParam = reinterpret_cast<LPARAM>(d.label.m_hWnd);
    d.label.brush = labelBrush;
    EXPECT_EQ(reinterpret_cast<LRESULT>(static_cast<HBRUSH>(labelBrush)),
              d.SendMessage(WM_CTLCOLORSTATIC, dcParam, labelParam));
    EXPECT_EQ(static_cast<UINT>(CTLCOLOR_STATIC), d.label.lastKind);
    // No brush from the control: the parent's default answers.
    d.label.brush = nullptr;
    LRESULT fallback = d.SendMessage(WM_CTLCOLORSTATIC, dcParam, labelParam);
    EXPECT_NE(0, fallback);
    EXPECT_NE(reinterpret_cast<LRESULT>(static_cast<HBRUSH>(labelBrush)), fallback);
    EXPECT_EQ(reinterpret_cast<LRESULT>(static_cast<HBRUSH>(d.dialogBrush)),
              d.SendMessage(WM_CTLCOLORDLG, dcParam, reinterpret_cast<LPARAM>(d.m_hWnd)));
    ::ReleaseDC(d.m_hWnd, dc);
    d.EndDialog(IDOK);
  };
  EXPECT_EQ(IDOK, dialog.DoModal());
  EXPECT_TRUE(ran);
  // The windows are gone and the objects have let go of them.
  EXPECT_EQ(nullptr, dialog.m_hWnd);
  EXPECT_EQ(nullptr, dialog.button.m_hWnd);
  EXPECT_EQ(nullptr, dialog.label.m_hWnd);
}

TEST(AfxDialog, ModalLoopEndsWithTheResultOfHowItWasClosed) {
  struct Case {
    const char* what;
    std::function<void(CProbeDialog&)> close;
    INT_PTR expected;
  } cases[] = {
      {"OK command", [](CProbeDialog& d) { d.PostMessage(WM_COMMAND, IDOK); }, IDOK},
      {"Cancel command", [](CProbeDialog& d) { d.PostMessage(WM_COMMAND, IDCANCEL); }, IDCANCEL},
      {"Esc key",
       [](CProbeDialog& d) {
         ::PostMessageA(d.GetDlgItem(IDC_PROBE_BUTTON), WM_KEYDOWN, VK_ESCAPE, 0);
       },
       IDCANCEL},
      {"close box", [](CProbeDialog& d) { d.PostMessage(WM_CLOSE); }, IDCANCEL},
      {"EndDialog with a value", [](CProbeDialog& d) { d.EndDialog(77); }, 77},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CProbeDialog dialog;
    dialog.onShown = c.close;
    EXPECT_EQ(c.expected, dialog.DoModal());
  }
}

TEST(AfxDialog, MissingTemplateFailsWithoutRunning) {
  CDialog dialog(9999);
  EXPECT_EQ(-1, dialog.DoModal());
  EXPECT_EQ(nullptr, dialog.m_hWnd);
}

HWND CreatePlainWindow() {
  return ::CreateWindowExA(0, "STATIC", "plain", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr,
                           ::GetModuleHandleA(nullptr), nullptr);
}

TEST(AfxWnd, ObjectGoingFirstGivesTheWindowItsProcedureBack) {
  HWND hwnd = CreatePlainWindow();
  ASSERT_NE(nullptr, hwnd);
  LONG_PTR original = ::GetWindowLongPtrA(hwnd, GWLP_WNDPROC);
  {
    CWnd wnd;
    ASSERT_TRUE(wnd.SubclassWindow(hwnd));
    EXPECT_EQ(&wnd, CWnd::FromHandlePermanent(hwnd));
    EXPECT_NE(original, ::GetWindowLongPtrA(hwnd, GWLP_WNDPROC));
    CWnd second;
    EXPECT_FALSE(second.SubclassWindow(hwnd));  // one object per window
    wnd.SetWindowText("through the object");
    EXPECT_EQ("through the object", wnd.GetWindowText());
  }
  EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hwnd));
  EXPECT_EQ(original, ::GetWindowLongPtrA(hwnd, GWLP_WNDPROC));
  EXPECT_TRUE(::SetWindowTextA(hwnd, "still works"));
  ::DestroyWindow(hwnd);
}

TEST(AfxWnd, WindowGoingFirstLeavesTheObjectEmpty) {
  HWND hwnd = CreatePlainWindow();
  ASSERT_NE(nullptr, hwnd);
  CWnd wnd;
  ASSERT_TRUE(wnd.SubclassWindow(hwnd));
  ::DestroyWindow(hwnd);
  EXPECT_EQ(nullptr, wnd.m_hWnd);
  EXPECT_FALSE(wnd.SubclassWindow(nullptr));
}

}  // namespace

namespace {

// The one application object of this test program.
class CProbeApp : public CWinApp {
 public:
  BOOL InitInstance() override {
    CWinApp::InitInstance();
    ++initCount;
    if (!runLoop) return FALSE;
    ::PostQuitMessage(0);  // the loop runs until the quit message
    return TRUE;
  }
  int ExitInstance() override { return ++exitCount == 1 ? 5 : 6; }
  bool runLoop = false;
  int initCount = 0;
  int exitCount = 0;
};

TEST(AfxApp, EntryRunsInitInstanceAndTheLoopOnlyWhenAskedFor) {
  CProbeApp app;
  ASSERT_EQ(&app, AfxGetApp());
  CWnd main;
  app.m_pMainWnd = &main;
  EXPECT_EQ(&main, AfxGetMainWnd());

  // FALSE from InitInstance: no loop, the process ends with ExitInstance's code.
  EXPECT_EQ(5, AfxWinMain(::GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOW));
  EXPECT_EQ(1, app.initCount);
  EXPECT_EQ(::GetModuleHandleA(nullptr), app.m_hInstance);

  // TRUE: the message loop runs until WM_QUIT, then ExitInstance.
  app.runLoop = true;
  EXPECT_EQ(6, AfxWinMain(::GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOW));
  EXPECT_EQ(2, app.initCount);
  EXPECT_EQ(2, app.exitCount);
}

}  // namespace
