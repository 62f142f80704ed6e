#include "shell/main_dialog.h"

#include <sstream>

#include "shell/app_paths.h"
#include "shell/file_log.h"
#include "shell/minimised_icon.h"
#include "streaming/live_lianmai.h"
#include "streaming/live_lianmai_callback.h"

// The structure the 32-bit program hands the shell is the full current one.
static_assert(sizeof(void*) != 4 || sizeof(NOTIFYICONDATAA) == 508,
              "notification icon data of the current size");

BEGIN_MESSAGE_MAP(CMyTavroToolDlg, CDialogEx)
  ON_WM_TIMER()
  ON_MESSAGE(WM_TRAY_NOTIFY, OnTrayNotify)
  ON_BN_CLICKED(IDC_BTN_CLOSE, OnBnClickedClose)
  ON_BN_CLICKED(IDC_BTN_MIN, OnBnClickedMin)
  ON_WM_NCHITTEST()
  ON_WM_CTLCOLOR()
  ON_WM_PAINT()
  ON_WM_QUERYDRAGICON()
  ON_WM_SYSCOMMAND()
  ON_WM_DESTROY()
  ON_MESSAGE(WM_LIVE_LOGIN_OK, OnLiveLoginOk)
  ON_MESSAGE(WM_LIVE_PLAY_OK, OnLivePlayOk)
  ON_MESSAGE(WM_LIVE_PUBLISH_OK, OnLivePublishOk)
  ON_MESSAGE(WM_LIVE_PLAY_FAIL, OnLivePlayFail)
  ON_MESSAGE(WM_LIVE_PUBLISH_FAIL, OnLivePublishFail)
  ON_MESSAGE(WM_LIVE_MIX_DONE, OnLiveMixDone)
END_MESSAGE_MAP()

CMyTavroToolDlg::CMyTavroToolDlg(CWnd* parent)
    : CDialogEx(IDD, parent),
      m_hIcon(::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME))),
      m_nid() {}

CMyTavroToolDlg::~CMyTavroToolDlg() {
  if (m_hMenu) ::DestroyMenu(m_hMenu);
}

void CMyTavroToolDlg::DoDataExchange(CDataExchange* dx) {
  CDialogEx::DoDataExchange(dx);
  DDX_Control(dx, IDC_BTN_CLOSE, m_btnClose);
  DDX_Control(dx, IDC_BTN_MIN, m_btnMin);
  DDX_Control(dx, IDC_STC_VERSION, m_stcVersion);
}

BOOL CMyTavroToolDlg::OnInitDialog() {
  CDialogEx::OnInitDialog();

  m_nid.cbSize = sizeof(NOTIFYICONDATAA);
  m_nid.hWnd = m_hWnd;
  m_nid.uID = kTrayIconId;
  m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  m_nid.uCallbackMessage = WM_TRAY_NOTIFY;
  m_nid.hIcon = ::LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
  ::lstrcpynA(m_nid.szTip, "anchordesk", sizeof m_nid.szTip);

  m_hMenu = ::CreatePopupMenu();
  ::AppendMenuA(m_hMenu, MF_STRING, ID_TRAY_EXIT, "退出");

  if (!::Shell_NotifyIconA(NIM_ADD, &m_nid)) {
    WriteLog(LOG_INFO, "CMyTavroToolDlg::OnInitDialog", __LINE__,
             "the notification icon could not be added\n");
  }

  SetIcon(m_hIcon, TRUE);
  SetIcon(m_hIcon, FALSE);

  // Top-left corner of the primary screen, the size of the logo.
  MoveWindow(0, 0, 360, 240, TRUE);

  {
    CImage logo;
    if (SUCCEEDED(logo.Load(".\\res\\Logo.png"))) {
      m_brBack.CreatePatternBrush(logo);  // the brush keeps its own copy
    } else {
      WriteLog(LOG_INFO, "CMyTavroToolDlg::OnInitDialog", __LINE__,
               "cannot load .\\res\\Logo.png: no background\n");
    }
  }

  m_btnMin.SetImages("./res/MinNormal.png", "./res/MinPress.png", "./res/MinFloat.png");
  m_btnMin.InitButton(285, 8, 35, 35, true);
  m_btnMin.SetBackImage(".\\res\\Logo.png");

  m_stcVersion.SetWindowText(GetFileVersionString().c_str());
  m_stcVersion.MoveWindow(4, 8, 105, 30);

  m_btnClose.SetImages("./res/CloseNormal.png", "./res/ClosePress.png", "./res/CloseFloat.png");
  m_btnClose.InitButton(320, 8, 35, 35, true);
  m_btnClose.SetBackImage(".\\res\\Logo.png");

  // The controller lives until the process ends; the SDK's callback sink
  // posts its events to this window from now on.
  CLiveLianmai* controller = new CLiveLianmai(m_hWnd);
  g_pLiveLianmai = controller;
  controller->InitLiveSDK();

  SetTimer(kHideTimerId, kHideDelayMs);
  WriteLog(LOG_INFO, "CMyTavroToolDlg::OnInitDialog", __LINE__, "main window shown\n");
  return TRUE;
}

void CMyTavroToolDlg::OnTimer(UINT_PTR id) {
  if (id != kHideTimerId) return;
  ShowWindow(SW_HIDE);
  KillTimer(kHideTimerId);
}

LRESULT CMyTavroToolDlg::OnTrayNotify(WPARAM wParam, LPARAM lParam) {
  if (wParam != kTrayIconId) return 1;
  switch (lParam) {
    case WM_LBUTTONDBLCLK:
      ShowWindow(SW_SHOWNORMAL);
      break;
    case WM_RBUTTONUP:
      ShowTrayMenu();
      break;
    case ID_TRAY_EXIT:
      if (CLiveLianmai* controller = g_pLiveLianmai) controller->StopAll();
      EndDialog(IDCANCEL);
      ShowWindow(SW_SHOWNORMAL);
      break;
    default:
      break;
  }
  return 0;
}

void CMyTavroToolDlg::ShowTrayMenu() {
  if (m_hMenu == nullptr) return;
  POINT at = {0, 0};
  ::GetCursorPos(&at);
  // A menu opened for a notification icon only closes on a click elsewhere
  // when its owner is the foreground window, and only after one more
  // message has reached that window.
  SetForegroundWindow();
  UINT command = static_cast<UINT>(::TrackPopupMenu(
      m_hMenu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0, m_hWnd, nullptr));
  PostMessage(WM_NULL);
  if (command == ID_TRAY_EXIT) {
    WriteLog(LOG_INFO, "CMyTavroToolDlg::ShowTrayMenu", __LINE__, "exit chosen in the tray menu\n");
    SendMessage(WM_TRAY_NOTIFY, kTrayIconId, ID_TRAY_EXIT);
  }
}

void CMyTavroToolDlg::OnBnClickedClose() { EndDialog(IDCANCEL); }

void CMyTavroToolDlg::OnBnClickedMin() { ShowWindow(SW_HIDE); }

LRESULT CMyTavroToolDlg::OnNcHitTest(CPoint point) {
  // The background acts as a caption: the window is dragged by any point of it.
  LRESULT hit = CDialogEx::OnNcHitTest(point);
  return hit == HTCLIENT ? HTCAPTION : hit;
}

HBRUSH CMyTavroToolDlg::OnCtlColor(CDC* dc, CWnd* control, UINT kind) {
  HBRUSH brush = CDialogEx::OnCtlColor(dc, control, kind);
  // The dialog's own background is the logo, tiled from its top-left corner.
  // Without a logo the system's background stays.
  if (kind == CTLCOLOR_DLG && m_brBack.GetSafeHandle() != nullptr) return m_brBack;
  return brush;
}

void CMyTavroToolDlg::OnPaint() {
  if (IsIconic())
    PaintMinimisedIcon(*this, m_hIcon);
  else
    CDialogEx::OnPaint();
}

HCURSOR CMyTavroToolDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }

void CMyTavroToolDlg::OnSysCommand(UINT command, LPARAM lParam) {
  CDialogEx::OnSysCommand(command, lParam);
}

void CMyTavroToolDlg::OnDestroy() {
  // The icon goes with the window rather than lingering until the mouse
  // passes over it.
  ::Shell_NotifyIconA(NIM_DELETE, &m_nid);
  KillTimer(kHideTimerId);
  CDialogEx::OnDestroy();
}

// The SDK's events reach the controller here, on the user-interface thread,
// in the order they were posted. They come only after OnInitDialog created
// the controller; should one arrive without it, a stream ID copy it carries
// is released so that nothing leaks.
namespace {

CLiveLianmai* Controller(LPARAM streamIdCopy, bool carriesStreamId) {
  CLiveLianmai* controller = g_pLiveLianmai;
  if (controller == nullptr) {
    WriteLog(LOG_INFO, "CMyTavroToolDlg", __LINE__, "streaming event without a controller\n");
    if (carriesStreamId) ReleaseStreamID(streamIdCopy);
  }
  return controller;
}

}  // namespace

LRESULT CMyTavroToolDlg::OnLiveLoginOk(WPARAM wParam, LPARAM lParam) {
  if (CLiveLianmai* c = Controller(lParam, false)) c->onStartPush(wParam, lParam);
  return 0;
}

LRESULT CMyTavroToolDlg::OnLivePlayOk(WPARAM wParam, LPARAM lParam) {
  if (CLiveLianmai* c = Controller(lParam, true)) c->onPlayStreamSuccess(wParam, lParam);
  return 0;
}

LRESULT CMyTavroToolDlg::OnLivePublishOk(WPARAM wParam, LPARAM lParam) {
  if (CLiveLianmai* c = Controller(lParam, true)) c->onPublishSuccess(wParam, lParam);
  return 0;
}

LRESULT CMyTavroToolDlg::OnLivePlayFail(WPARAM wParam, LPARAM lParam) {
  if (CLiveLianmai* c = Controller(lParam, true)) c->onPlayStreamFail(wParam, lParam);
  return 0;
}

LRESULT CMyTavroToolDlg::OnLivePublishFail(WPARAM wParam, LPARAM lParam) {
  if (CLiveLianmai* c = Controller(lParam, true)) c->onPublishFail(wParam, lParam);
  return 0;
}

LRESULT CMyTavroToolDlg::OnLiveMixDone(WPARAM wParam, LPARAM lParam) {
  if (CLiveLianmai* c = Controller(lParam, false)) c->onDeletePublishTarget(wParam, lParam);
  return 0;
}
