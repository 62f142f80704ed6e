#pragma once

#include <afx/afx.h>
#include <shellapi.h>

#include "shell/caption.h"
#include "shell/my_button.h"
#include "shell/resource.h"

// The notification icon's callback message: a fixed number, as the shell
// sends it back with the icon's identifier in wParam.
constexpr UINT WM_TRAY_NOTIFY = 101;
constexpr UINT kTrayIconId = 100;
// Hides the window three seconds after it appeared.
constexpr UINT_PTR kHideTimerId = 100;
constexpr UINT kHideDelayMs = 3000;

// The main window: a small borderless skinned dialog with the version, a
// hide and a close button, and an icon in the notification area. It creates
// the streaming controller, hands it the SDK's events (posted to this window
// by the callback sink) on the user-interface thread, and hides itself after
// three seconds; from then on the program lives in the notification area.
// Closing it ends the program.
class CMyTavroToolDlg : public CDialogEx {
 public:
  enum { IDD = IDD_ANCHORDESK_DIALOG };

  explicit CMyTavroToolDlg(CWnd* parent = nullptr);
  ~CMyTavroToolDlg() override;

 protected:
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;

  void OnTimer(UINT_PTR id);
  LRESULT OnTrayNotify(WPARAM wParam, LPARAM lParam);
  void OnBnClickedClose();
  void OnBnClickedMin();
  LRESULT OnNcHitTest(CPoint point);
  HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT kind);
  void OnPaint();
  HCURSOR OnQueryDragIcon();
  void OnSysCommand(UINT command, LPARAM lParam);
  void OnDestroy();

  LRESULT OnLiveLoginOk(WPARAM wParam, LPARAM lParam);
  LRESULT OnLivePlayOk(WPARAM wParam, LPARAM lParam);
  LRESULT OnLivePublishOk(WPARAM wParam, LPARAM lParam);
  LRESULT OnLivePlayFail(WPARAM wParam, LPARAM lParam);
  LRESULT OnLivePublishFail(WPARAM wParam, LPARAM lParam);
  LRESULT OnLiveMixDone(WPARAM wParam, LPARAM lParam);

  // Right click on the notification icon: the menu with "退出".
  void ShowTrayMenu();

  HICON m_hIcon;
  HMENU m_hMenu = nullptr;
  CBrush m_brBack;
  NOTIFYICONDATAA m_nid;
  CCaption m_stcVersion;
  CMyButton m_btnClose;
  CMyButton m_btnMin;

  DECLARE_MESSAGE_MAP()
};
