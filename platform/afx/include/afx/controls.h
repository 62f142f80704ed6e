#pragma once

// The standard controls the dialogs subclass.

#include <windows.h>

#include <commctrl.h>

#include "afx/wnd.h"

class CButton : public CWnd {
  DECLARE_DYNAMIC(CButton)

 public:
  // Owner-drawn buttons (BS_OWNERDRAW) are drawn here; the parent's
  // WM_DRAWITEM for the button is handed to it.
  virtual void DrawItem(DRAWITEMSTRUCT* item);

  DECLARE_MESSAGE_MAP()
};

class CStatic : public CWnd {
  DECLARE_DYNAMIC(CStatic)
};

class CProgressCtrl : public CWnd {
  DECLARE_DYNAMIC(CProgressCtrl)

 public:
  // The range travels in 16-bit halves, as PBM_SETRANGE defines it.
  void SetRange(short lower, short upper);
  int SetPos(int position);
  int GetPos();
};
