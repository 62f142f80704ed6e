#pragma once

#include <afx/afx.h>

#include <string>
#include <thread>

#include "shell/caption.h"
#include "shell/gradient_progress.h"
#include "shell/installer_download.h"
#include "shell/my_button.h"
#include "shell/resource.h"

// Posted by the download worker: the progress position (wParam), and the end
// of the download (the outcome is read once the worker has been joined).
constexpr UINT WM_UPDATE_PROGRESS = WM_APP + 1;
constexpr UINT WM_UPDATE_FINISHED = WM_APP + 2;

// The update offer: names the newer version and offers to download and run
// its installer. The download runs on a worker thread, so the window stays
// responsive; closing the window cancels it. Closing the dialog in any way
// ends the program (the main window is not shown in such a run).
class CUpdateDlg : public CDialogEx {
 public:
  enum { IDD = IDD_UPDATE_DIALOG };

  explicit CUpdateDlg(CWnd* parent = nullptr);
  ~CUpdateDlg() override;

  // "发现新版本  " and the version text from the server.
  void SetVersionTip(const std::string& version);
  const std::string& VersionTip() const { return m_strTip; }

  // Starts downloading the installer from `url` in the background; false
  // when a download is already running. A complete download is started with
  // the shell and ends the dialog; a failed one leaves the dialog open with
  // the bar where it stopped.
  bool DownloadInstaller(const std::string& url);
  bool IsDownloading() const { return m_worker.joinable(); }

 protected:
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;
  void OnCancel() override;

  void OnBnClickedUpdate();
  void OnBnClickedClose();
  LRESULT OnDownloadProgress(WPARAM position, LPARAM);
  LRESULT OnDownloadFinished(WPARAM, LPARAM);
  HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT kind);
  void OnPaint();
  HCURSOR OnQueryDragIcon();
  void OnDestroy();

  HICON m_hIcon;
  CBrush m_brBack;
  CMyButton m_btnClose;
  CMyButton m_btnUpdate;
  CMyButton m_btnNoUpdate;
  CCaption m_stcTip;
  CGradientProgressCtrl m_progress;
  std::string m_strTip;

 private:
  void StopDownload();

  CInstallerDownload m_download;
  CInstallerDownload::Outcome m_outcome;
  std::string m_target;
  std::thread m_worker;

  DECLARE_MESSAGE_MAP()
};
