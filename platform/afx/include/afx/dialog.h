#pragma once

// Modal dialogs from resource templates.
//
// DoModal runs the system's modal dialog loop on the template. When the
// dialog receives WM_INITDIALOG the object takes over the window's procedure
// (see CWnd), so from then on every message passes the object's message map
// first and the system's dialog procedure second. IDOK and IDCANCEL commands
// (Enter, Esc, the close box) end the dialog through OnOK and OnCancel.

#include "afx/wnd.h"

class CDialog : public CWnd {
  DECLARE_DYNAMIC(CDialog)

 public:
  explicit CDialog(UINT templateId, CWnd* parent = nullptr);

  // The dialog's result (EndDialog's value), or -1 when the template cannot
  // be loaded or the dialog cannot be created.
  virtual INT_PTR DoModal();
  void EndDialog(int result);

  // Runs data exchange to show the members' values; TRUE lets the system
  // give the default control the focus.
  virtual BOOL OnInitDialog();

  UINT m_nIDTemplate;
  CWnd* m_pParentWnd;

 protected:
  virtual void OnOK();
  virtual void OnCancel();

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  DECLARE_MESSAGE_MAP()
};

// The extended dialog: the same frame; the dialogs here paint their own
// backgrounds through WM_CTLCOLORDLG.
class CDialogEx : public CDialog {
  DECLARE_DYNAMIC(CDialogEx)

 public:
  explicit CDialogEx(UINT templateId, CWnd* parent = nullptr) : CDialog(templateId, parent) {}
};
