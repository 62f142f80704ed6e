// The main window, run modally on its real template and skin (copied to
// .\res), in front of a recording stand-in for the streaming controller.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "recording_controller.h"
#include "shell/main_dialog.h"
#include "streaming/live_lianmai.h"
#include "streaming/live_lianmai_callback.h"

namespace {

constexpr UINT WM_TEST_SHOWN = WM_APP + 70;
constexpr UINT_PTR kPollTimer = 901;
constexpr UINT_PTR kWatchdogTimer = 902;
// Generous upper bound for a run that waits for the 3-second timer; only
// there so that a broken window fails the test instead of hanging it.
constexpr UINT kWatchdogMs = 30000;
constexpr INT_PTR kWatchdogResult = -2;

class CTestMainDialog : public CMyTavroToolDlg {
 public:
  using CMyTavroToolDlg::m_brBack;
  using CMyTavroToolDlg::m_btnClose;
  using CMyTavroToolDlg::m_btnMin;
  using CMyTavroToolDlg::m_hIcon;
  using CMyTavroToolDlg::m_hMenu;
  using CMyTavroToolDlg::m_nid;
  using CMyTavroToolDlg::m_stcVersion;

  // Runs once the dialog is up, inside its modal loop.
  std::function<void(CTestMainDialog&)> onShown;
  // Runs every 50 ms once started with StartPolling; returns true to stop.
  std::function<bool(CTestMainDialog&)> onPoll;

  void StartPolling() { SetTimer(kPollTimer, 50); }

 protected:
  BOOL OnInitDialog() override {
    BOOL result = CMyTavroToolDlg::OnInitDialog();
    SetTimer(kWatchdogTimer, kWatchdogMs);
    PostMessage(WM_TEST_SHOWN);
    return result;
  }
  LRESULT OnShown(WPARAM, LPARAM) {
    if (onShown) onShown(*this);
    return 0;
  }
  void OnTimer(UINT_PTR id) {
    if (id == kWatchdogTimer) {
      ADD_FAILURE() << "the dialog did not finish in time";
      EndDialog(static_cast<int>(kWatchdogResult));
    } else if (id == kPollTimer) {
      if (onPoll && onPoll(*this)) KillTimer(kPollTimer);
    } else {
      CMyTavroToolDlg::OnTimer(id);
    }
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestMainDialog, CMyTavroToolDlg)
  ON_MESSAGE(WM_TEST_SHOWN, OnShown)
  ON_WM_TIMER()
END_MESSAGE_MAP()

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    delete g_pLiveLianmai.exchange(nullptr);
    g_controllerCalls.clear();
  }
  void TearDown() override { delete g_pLiveLianmai.exchange(nullptr); }

  static CRect RectInParent(HWND child) {
    CRect rect;
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }
  static int CountCalls(const char* name) {
    int n = 0;
    for (const ControllerCall& c : g_controllerCalls) n += c.name == name;
    return n;
  }
};

TEST_F(MainWindowTest, StartsAtTopLeftWithTrayIconMenuSkinAndController) {
  CTestMainDialog dialog;
  dialog.onShown = [](CTestMainDialog& d) {
    CRect window;
    d.GetWindowRect(&window);
    EXPECT_EQ(CRect(0, 0, 360, 240), window);
    EXPECT_TRUE(d.IsWindowVisible());
    EXPECT_TRUE(::GetWindowLongPtrA(d.m_hWnd, GWL_EXSTYLE) & WS_EX_APPWINDOW);
    EXPECT_FALSE(d.GetStyle() & (WS_CAPTION | WS_BORDER | WS_THICKFRAME));
    LOGFONTA dialogFont = {};
    ::GetObjectA(reinterpret_cast<HFONT>(d.SendMessage(WM_GETFONT)), sizeof dialogFont,
                 &dialogFont);
    EXPECT_STREQ("宋体", dialogFont.lfFaceName);

    // The controller was made for this window and started, once.
    ASSERT_EQ(2u, g_controllerCalls.size());
    EXPECT_EQ((ControllerCall{"construct", reinterpret_cast<WPARAM>(d.m_hWnd), 0}),
              g_controllerCalls[0]);
    EXPECT_EQ("InitLiveSDK", g_controllerCalls[1].name);
    EXPECT_NE(nullptr, g_pLiveLianmai.load());

    // Notification icon and its menu.
    EXPECT_EQ(d.m_hWnd, d.m_nid.hWnd);
    EXPECT_EQ(100u, d.m_nid.uID);
    EXPECT_EQ(7u, d.m_nid.uFlags);
    EXPECT_EQ(101u, d.m_nid.uCallbackMessage);
    EXPECT_NE(nullptr, d.m_nid.hIcon);
    EXPECT_STREQ("anchordesk", d.m_nid.szTip);
    ASSERT_NE(nullptr, d.m_hMenu);
    EXPECT_EQ(1, ::GetMenuItemCount(d.m_hMenu));
    EXPECT_EQ(1124u, ::GetMenuItemID(d.m_hMenu, 0));
    char item[32] = {};
    ::GetMenuStringA(d.m_hMenu, 0, item, sizeof item, MF_BYPOSITION);
    EXPECT_STREQ("退出", item);

    // Skin: the controls where the window put them, the images loaded.
    EXPECT_EQ(CRect(285, 8, 320, 43), RectInParent(d.m_btnMin.m_hWnd));
    EXPECT_EQ(CRect(320, 8, 355, 43), RectInParent(d.m_btnClose.m_hWnd));
    EXPECT_EQ(CRect(4, 8, 109, 38), RectInParent(d.m_stcVersion.m_hWnd));
    for (const CMyButton* button : {&d.m_btnMin, &d.m_btnClose}) {
      EXPECT_FALSE(button->NormalImage().IsNull());
      EXPECT_FALSE(button->PressImage().IsNull());
      EXPECT_FALSE(button->HoverImage().IsNull());
    }

    // Background: the logo brush for the dialog itself.
    HDC dc = ::GetDC(d.m_hWnd);
    EXPECT_NE(nullptr, d.m_brBack.GetSafeHandle());
    EXPECT_EQ(reinterpret_cast<LRESULT>(d.m_brBack.GetSafeHandle()),
              d.SendMessage(WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc),
                            reinterpret_cast<LPARAM>(d.m_hWnd)));
    ::ReleaseDC(d.m_hWnd, dc);
    EXPECT_EQ(reinterpret_cast<LRESULT>(d.m_hIcon), d.SendMessage(WM_QUERYDRAGICON));

    // Dragging by the background; the buttons still take their clicks.
    struct HitCase {
      POINT screen;
      LRESULT expected;
    } hits[] = {{{180, 120}, HTCAPTION}, {{5, 230}, HTCAPTION}, {{500, 500}, HTNOWHERE}};
    for (const HitCase& h : hits) {
      EXPECT_EQ(h.expected, d.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(h.screen.x, h.screen.y)))
          << h.screen.x << "," << h.screen.y;
    }
    EXPECT_EQ(d.m_btnClose.m_hWnd, ::ChildWindowFromPoint(d.m_hWnd, POINT{337, 25}));

    // A timer of somebody else changes nothing.
    d.SendMessage(WM_TIMER, 5);
    EXPECT_TRUE(d.IsWindowVisible());
    d.EndDialog(IDOK);
  };
  EXPECT_EQ(IDOK, dialog.DoModal());
}

TEST_F(MainWindowTest, TrayNotificationsFollowTheirTable) {
  CTestMainDialog dialog;
  dialog.onShown = [](CTestMainDialog& d) {
    d.ShowWindow(SW_HIDE);
    g_controllerCalls.clear();
    struct Case {
      WPARAM icon;
      LPARAM event;
      LRESULT expected;
      bool visibleAfter;
    } cases[] = {
        {99, WM_LBUTTONDBLCLK, 1, false},  // not our icon: answered 1, nothing done
        {99, ID_TRAY_EXIT, 1, false},
        {100, WM_LBUTTONDOWN, 0, false},   // a single click does nothing
        {100, WM_LBUTTONUP, 0, false},
        {100, WM_MOUSEMOVE, 0, false},
        {100, WM_LBUTTONDBLCLK, 0, true},  // a double click shows the window
    };
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << "icon " << c.icon << " event " << c.event);
      EXPECT_EQ(c.expected, d.SendMessage(WM_TRAY_NOTIFY, c.icon, c.event));
      EXPECT_EQ(c.visibleAfter, d.IsWindowVisible() != FALSE);
    }
    EXPECT_TRUE(g_controllerCalls.empty());
    d.EndDialog(IDOK);
  };
  EXPECT_EQ(IDOK, dialog.DoModal());
}

TEST_F(MainWindowTest, HidesItselfWhenItsTimerFiresAndTheTimerEnds) {
  CTestMainDialog dialog;
  bool seenVisible = false;
  bool timerGone = false;
  dialog.onShown = [&](CTestMainDialog& d) { d.StartPolling(); };
  dialog.onPoll = [&](CTestMainDialog& d) {
    if (d.IsWindowVisible()) {
      seenVisible = true;
      return false;
    }
    // Hidden by timer 100, which also killed itself: killing it again fails.
    timerGone = !::KillTimer(d.m_hWnd, kHideTimerId);
    d.EndDialog(IDOK);
    return true;
  };
  EXPECT_EQ(IDOK, dialog.DoModal());
  EXPECT_TRUE(seenVisible);
  EXPECT_TRUE(timerGone);
}

TEST_F(MainWindowTest, EndsTheModalLoopAndCallsStopAllOnlyFromTheTrayExit) {
  struct Case {
    const char* what;
    std::function<void(CTestMainDialog&)> act;
    int stopAllCalls;
  } cases[] = {
      {"close button", [](CTestMainDialog& d) { d.m_btnClose.PostMessage(BM_CLICK); }, 0},
      {"Esc key",
       [](CTestMainDialog& d) { d.m_btnMin.PostMessage(WM_KEYDOWN, VK_ESCAPE, 0); }, 0},
      {"tray exit",
       [](CTestMainDialog& d) { d.PostMessage(WM_TRAY_NOTIFY, kTrayIconId, ID_TRAY_EXIT); },
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    CTestMainDialog dialog;
    NOTIFYICONDATAA icon = {};
    bool iconWhileRunning = false;
    dialog.onShown = [&](CTestMainDialog& d) {
      icon = d.m_nid;
      iconWhileRunning = ::Shell_NotifyIconA(NIM_MODIFY, &icon) != FALSE;
      c.act(d);
    };
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    EXPECT_EQ(c.stopAllCalls, CountCalls("StopAll"));
    if (iconWhileRunning) {
      EXPECT_FALSE(::Shell_NotifyIconA(NIM_MODIFY, &icon)) << "icon left behind";
    }
  }
}

TEST_F(MainWindowTest, HideButtonHidesTheWindowAndKeepsItRunning) {
  CTestMainDialog dialog;
  dialog.onShown = [](CTestMainDialog& d) {
    d.m_btnMin.PostMessage(BM_CLICK);
    d.StartPolling();
  };
  dialog.onPoll = [](CTestMainDialog& d) {
    if (d.IsWindowVisible()) return false;
    d.EndDialog(IDOK);  // still in the modal loop, only hidden
    return true;
  };
  EXPECT_EQ(IDOK, dialog.DoModal());
  EXPECT_EQ(0, CountCalls("StopAll"));
}

// Picks the first item of whatever popup menu is open on this thread.
VOID CALLBACK ChooseFirstMenuItem(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND menu = ::FindWindowA("#32768", nullptr);
  if (menu == nullptr || !::IsWindowVisible(menu)) return;
  ::KillTimer(nullptr, timer);
  ::PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
  ::PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
}

TEST_F(MainWindowTest, RightClickOnTheTrayIconOffersExitWhichStopsAndEnds) {
  CTestMainDialog dialog;
  dialog.onShown = [](CTestMainDialog& d) {
    ::SetTimer(nullptr, 0, 100, &ChooseFirstMenuItem);
    d.PostMessage(WM_TRAY_NOTIFY, kTrayIconId, WM_RBUTTONUP);
  };
  EXPECT_EQ(IDCANCEL, dialog.DoModal());
  EXPECT_EQ(1, CountCalls("StopAll"));
}

TEST_F(MainWindowTest, StreamingEventsReachTheControllerWithTheirParameters) {
  CTestMainDialog dialog;
  dialog.onShown = [](CTestMainDialog& d) {
    static char streamId[] = "100_200";
    const LPARAM text = reinterpret_cast<LPARAM>(streamId);
    struct Case {
      UINT message;
      WPARAM wParam;
      LPARAM lParam;
      const char* handler;
    } cases[] = {
        {WM_LIVE_LOGIN_OK, 0, 0, "onStartPush"},
        {WM_LIVE_PLAY_OK, 0, text, "onPlayStreamSuccess"},
        {WM_LIVE_PUBLISH_OK, 0, text, "onPublishSuccess"},
        {WM_LIVE_PLAY_FAIL, 7, text, "onPlayStreamFail"},
        {WM_LIVE_PUBLISH_FAIL, 9, text, "onPublishFail"},
        {WM_LIVE_MIX_DONE, 1, 1, "onDeletePublishTarget"},
    };
    for (const Case& c : cases) {
      SCOPED_TRACE(c.handler);
      g_controllerCalls.clear();
      EXPECT_EQ(0, d.SendMessage(c.message, c.wParam, c.lParam));
      ASSERT_EQ(1u, g_controllerCalls.size());
      EXPECT_EQ((ControllerCall{c.handler, c.wParam, c.lParam}), g_controllerCalls[0]);
    }

    // Without a controller a stream ID copy is released, not leaked, and
    // nothing else happens.
    CLiveLianmai* controller = g_pLiveLianmai.exchange(nullptr);
    g_controllerCalls.clear();
    EXPECT_EQ(0, d.SendMessage(WM_LIVE_PLAY_FAIL, 7, text));
    EXPECT_EQ(0, d.SendMessage(WM_LIVE_LOGIN_OK, 0, 0));
    ASSERT_EQ(1u, g_controllerCalls.size());
    EXPECT_EQ((ControllerCall{"ReleaseStreamID", 0, text}), g_controllerCalls[0]);
    g_pLiveLianmai = controller;
    d.EndDialog(IDOK);
  };
  EXPECT_EQ(IDOK, dialog.DoModal());
}

}  // namespace
