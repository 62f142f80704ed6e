#include "afx/dialog.h"

#include "afx/app.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)
IMPLEMENT_DYNAMIC(CDialogEx, CDialog)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
  ON_COMMAND(IDOK, OnOK)
  ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT templateId, CWnd* parent)
    : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

INT_PTR CDialog::DoModal() {
  if (m_hWnd != nullptr) return -1;  // already running
  HWND parent = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
  INT_PTR result = ::DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate),
                                     parent, &CDialog::DialogProc,
                                     reinterpret_cast<LPARAM>(this));
  if (result == -1) {
    char text[96];
    wsprintfA(text, "CDialog::DoModal: template %u failed, error %lu\n", m_nIDTemplate,
              ::GetLastError());
    ::OutputDebugStringA(text);
  }
  return result;
}

void CDialog::EndDialog(int result) {
  if (m_hWnd != nullptr) ::EndDialog(m_hWnd, result);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM, LPARAM lParam) {
  // Only the first message is ours to take here; afterwards the routing
  // procedure sees every message before the system's dialog code calls us,
  // and we answer "not handled" so that the system does its default.
  if (message != WM_INITDIALOG) return FALSE;
  CDialog* dialog = reinterpret_cast<CDialog*>(lParam);
  dialog->AttachHandle(hwnd);
  dialog->m_pfnSuper = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
      hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::RoutingWndProc)));
  return dialog->OnInitDialog();
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  if (!UpdateData(TRUE)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }
