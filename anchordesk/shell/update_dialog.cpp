#include "shell/update_dialog.h"

#include <shellapi.h>

#include "shell/file_log.h"
#include "shell/minimised_icon.h"
#include "shell/version_check.h"

namespace {

void Log(int line, const std::string& text)
{
    WriteLog(LOG_INFO, "CUpdateDlg", line, (text + "\n").c_str());
}

} // namespace

BEGIN_MESSAGE_MAP(CUpdateDlg, CDialogEx)
  ON_BN_CLICKED(IDC_BTN_UPDATE_CLOSE, OnBnClickedClose)
  ON_BN_CLICKED(IDC_BTN_NOUPDATE, OnBnClickedClose)
  ON_BN_CLICKED(IDC_BTN_UPDATE, OnBnClickedUpdate)
  ON_MESSAGE(WM_UPDATE_PROGRESS, OnDownloadProgress)
  ON_MESSAGE(WM_UPDATE_FINISHED, OnDownloadFinished)
  ON_WM_CTLCOLOR()
  ON_WM_PAINT()
  ON_WM_QUERYDRAGICON()
  ON_WM_DESTROY()
END_MESSAGE_MAP()

CUpdateDlg::CUpdateDlg(CWnd* parent)
    : CDialogEx(IDD, parent),
      m_hIcon(::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME))) {}

CUpdateDlg::~CUpdateDlg() { StopDownload(); }

void CUpdateDlg::SetVersionTip(const std::string& version) { m_strTip = "发现新版本  " + version; }

void CUpdateDlg::DoDataExchange(CDataExchange* dx) {
  CDialogEx::DoDataExchange(dx);
  DDX_Control(dx, IDC_BTN_UPDATE_CLOSE, m_btnClose);
  DDX_Control(dx, IDC_BTN_UPDATE, m_btnUpdate);
  DDX_Control(dx, IDC_BTN_NOUPDATE, m_btnNoUpdate);
  DDX_Control(dx, IDC_STC_TIP, m_stcTip);
  DDX_Control(dx, IDC_PROGRESS_DOWNLOAD, m_progress);
}

BOOL CUpdateDlg::OnInitDialog() {
  CDialogEx::OnInitDialog();
  SetIcon(m_hIcon, TRUE);
  SetIcon(m_hIcon, FALSE);

  MoveWindow(0, 0, 360, 240, TRUE);

  {
    CImage background;
    if (SUCCEEDED(background.Load(".\\res\\Update.png")))
      m_brBack.CreatePatternBrush(background);
    else
      Log(__LINE__, "cannot load .\\res\\Update.png: no background");
  }

  m_btnClose.SetImages("./res/CloseNormal.png", "./res/ClosePress.png", "./res/CloseFloat.png");
  m_btnClose.InitButton(310, 0, 35, 35, true);
  m_btnClose.SetBackImage(".\\res\\Update.png");

  m_btnUpdate.SetImages("./res/btn_update_nor.png", "./res/btn_update_click.png",
                        "./res/btn_update_float.png");
  m_btnUpdate.InitButton(180, 180, 139, 46, true);
  m_btnUpdate.SetBackImage(".\\res\\Update.png");

  m_btnNoUpdate.SetImages("./res/btn_noupdate_nor.png", "./res/btn_noupdate_click.png",
                          "./res/btn_noupdate_float.png");
  m_btnNoUpdate.InitButton(20, 180, 139, 46, true);
  m_btnNoUpdate.SetBackImage(".\\res\\Update.png");

  m_stcTip.MoveWindow(20, 8, 300, 46);
  m_stcTip.SetWindowText(m_strTip.c_str());

  m_progress.MoveWindow(10, 140, 340, 12);
  m_progress.ShowWindow(SW_HIDE);  // shown when the download starts
  m_progress.SetRange(0, 100);
  m_progress.SetShowPercent(TRUE);

  Log(__LINE__, "update offered: " + m_strTip);
  return TRUE;
}

void CUpdateDlg::OnBnClickedUpdate() {
  m_progress.ShowWindow(SW_SHOW);
  DownloadInstaller(InstallerUrl());
}

bool CUpdateDlg::DownloadInstaller(const std::string& url) {
  if (IsDownloading()) return false;
  m_target = CInstallerDownload::TargetPath();
  m_outcome = CInstallerDownload::Outcome();
  Log(__LINE__, "download started: " + url);

  const HWND window = m_hWnd;
  m_worker = std::thread([this, url, window] {
    m_outcome = m_download.Run(url, m_target, [window](int position) {
      ::PostMessageA(window, WM_UPDATE_PROGRESS, static_cast<WPARAM>(position), 0);
    });
    ::PostMessageA(window, WM_UPDATE_FINISHED, 0, 0);
  });
  return true;
}

LRESULT CUpdateDlg::OnDownloadProgress(WPARAM position, LPARAM) {
  m_progress.SetPos(static_cast<int>(position));
  Log(__LINE__, "download progress " + std::to_string(position));
  return 0;
}

LRESULT CUpdateDlg::OnDownloadFinished(WPARAM, LPARAM) {
  if (!IsDownloading()) return 0;
  m_worker.join();
  if (!m_outcome.complete) {
    // The bar stays where it stopped; pressing the button again starts over.
    Log(__LINE__, "download failed, nothing started: " + m_outcome.failure);
    return 0;
  }

  m_progress.SetPos(100);
  Log(__LINE__, "download progress 100");
  const HINSTANCE result = ::ShellExecuteA(nullptr, "open", m_target.c_str(), nullptr, nullptr, SW_SHOW);
  const INT_PTR code = reinterpret_cast<INT_PTR>(result);
  if (code <= 32)
    Log(__LINE__, "the installer could not be started (shell error " + std::to_string(code) + ")");
  else
    Log(__LINE__, "installer started: " + m_target);
  EndDialog(IDCANCEL);
  return 0;
}

void CUpdateDlg::OnBnClickedClose() { OnCancel(); }

void CUpdateDlg::OnCancel() {
  StopDownload();
  CDialogEx::OnCancel();
}

void CUpdateDlg::StopDownload() {
  if (!IsDownloading()) return;
  m_download.Cancel();
  m_worker.join();  // the partial file is removed by the cancelled download
  Log(__LINE__, "download cancelled: the window was closed");
}

HBRUSH CUpdateDlg::OnCtlColor(CDC* dc, CWnd* control, UINT kind) {
  HBRUSH brush = CDialogEx::OnCtlColor(dc, control, kind);
  if (kind == CTLCOLOR_DLG && m_brBack.GetSafeHandle() != nullptr) return m_brBack;
  return brush;
}

void CUpdateDlg::OnPaint() {
  if (IsIconic())
    PaintMinimisedIcon(*this, m_hIcon);
  else
    CDialogEx::OnPaint();
}

HCURSOR CUpdateDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }

void CUpdateDlg::OnDestroy() {
  StopDownload();
  CDialogEx::OnDestroy();
}
