#pragma once

// Command targets and windows.
//
// A CWnd is attached to an existing window by subclassing: its window
// procedure is replaced by one that routes every message through the
// object's message map and passes unhandled ones to the procedure it
// replaced ("the platform's default"). The object finds itself from the
// handle through a window property, so any number of windows and threads
// can use it without a shared table. When the window is destroyed the object
// lets go of it; when the object goes first, the old procedure is put back.

#include <windows.h>

#include <string>

#include "afx/gdi.h"
#include "afx/message_map.h"
#include "afx/types.h"

// Run-time class information: the class name and the base's record.
struct CRuntimeClass {
  const char* m_lpszClassName;
  const CRuntimeClass* m_pBaseClass;
  bool IsDerivedFrom(const CRuntimeClass* base) const;
};

#define RUNTIME_CLASS(theClass) (&theClass::class##theClass)
#define DECLARE_DYNAMIC(theClass)                           \
 public:                                                    \
  static const CRuntimeClass class##theClass;               \
  const CRuntimeClass* GetRuntimeClass() const override;    \
                                                            \
 private:
#define IMPLEMENT_DYNAMIC(theClass, baseClass)                                     \
  const CRuntimeClass theClass::class##theClass = {#theClass, RUNTIME_CLASS(baseClass)}; \
  const CRuntimeClass* theClass::GetRuntimeClass() const { return RUNTIME_CLASS(theClass); }

// Anything with a message map.
class CCmdTarget {
 public:
  CCmdTarget() = default;
  virtual ~CCmdTarget() = default;
  CCmdTarget(const CCmdTarget&) = delete;
  CCmdTarget& operator=(const CCmdTarget&) = delete;

  static const CRuntimeClass classCCmdTarget;
  virtual const CRuntimeClass* GetRuntimeClass() const;
  bool IsKindOf(const CRuntimeClass* runtimeClass) const;

  static const afx::MessageMap* GetThisMessageMap();
  virtual const afx::MessageMap* GetMessageMap() const;

  // Runs the map's handler for the message, if there is one.
  bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
};

class CDataExchange;

class CWnd : public CCmdTarget {
  DECLARE_DYNAMIC(CWnd)

 public:
  CWnd() = default;
  ~CWnd() override;

  HWND m_hWnd = nullptr;
  HWND GetSafeHwnd() const { return m_hWnd; }
  operator HWND() const { return m_hWnd; }

  // The object subclassing `hwnd`, or null.
  static CWnd* FromHandlePermanent(HWND hwnd);

  // Routes the window's messages through this object from now on.
  // FALSE when the handle is not a window or is already attached.
  BOOL SubclassWindow(HWND hwnd);
  BOOL SubclassDlgItem(UINT id, CWnd* parent);
  // Gives the window back its own procedure; returns the handle.
  HWND UnsubclassWindow();

  // Thin forms of the window functions.
  BOOL ShowWindow(int command);
  BOOL MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
  void SetWindowText(const char* text);
  std::string GetWindowText() const;
  void GetClientRect(RECT* rect) const;
  void GetWindowRect(RECT* rect) const;
  void ClientToScreen(POINT* point) const;
  void ScreenToClient(POINT* point) const;
  void Invalidate(BOOL erase = TRUE);
  void UpdateWindow();
  BOOL IsWindowVisible() const;
  BOOL IsIconic() const;
  HWND GetDlgItem(int id) const;
  CWnd* GetParent() const;
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  UINT_PTR SetTimer(UINT_PTR id, UINT elapse);
  BOOL KillTimer(UINT_PTR id);
  HICON SetIcon(HICON icon, BOOL big);
  DWORD GetStyle() const;
  BOOL SetForegroundWindow();

  // Data exchange with the window's controls: FALSE shows values, TRUE saves.
  BOOL UpdateData(BOOL saveAndValidate = TRUE);

  // The message being handled, and its platform default result. Handlers
  // that want "what the system would do" call their base-class handler,
  // which ends up here.
  const MSG* GetCurrentMessage() const { return &m_msgCur; }
  LRESULT Default();

  // The whole route of one message. Public so that tests and owners can
  // drive a window without the system's dispatch in between.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

 protected:
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // A message the parent handed back to this control (owner draw, colours):
  // the control's map sees it at kReflectBase + message. TRUE if handled.
  virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  virtual void DoDataExchange(CDataExchange* /*dx*/) {}
  virtual void PreSubclassWindow() {}
  // After WM_NCDESTROY, once the object has let go of the window.
  virtual void PostNcDestroy() {}

  // Base handlers: each gives the platform's default for its message.
  LRESULT OnNcHitTest(CPoint point);
  HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT kind);
  void OnTimer(UINT_PTR id);
  void OnPaint();
  void OnDestroy();
  void OnSysCommand(UINT command, LPARAM lParam);
  HCURSOR OnQueryDragIcon();
  void OnMouseMove(UINT flags, CPoint point);
  void OnMouseHover(UINT flags, CPoint point);
  void OnMouseLeave();
  BOOL OnEraseBkgnd(CDC* dc);

  // Hands an owner-draw or colour request to the child control it concerns.
  BOOL ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  // Wires the object to `hwnd` without replacing its procedure (dialogs:
  // their procedure is replaced by the dialog code itself).
  void AttachHandle(HWND hwnd);

  static LRESULT CALLBACK RoutingWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  WNDPROC m_pfnSuper = nullptr;

 private:
  void DetachHandle();

  MSG m_msgCur{};
};

// Data exchange between a dialog and its members.
class CDataExchange {
 public:
  CDataExchange(CWnd* dialog, BOOL saveAndValidate)
      : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}
  BOOL m_bSaveAndValidate;
  CWnd* m_pDlgWnd;
};

// Attaches `control` to the dialog's control `id` the first time it runs.
// A missing control is reported to the debugger and left unattached.
void DDX_Control(CDataExchange* dx, int id, CWnd& control);

// Thunks that need the complete CDC and CWnd.
namespace afx {

template <auto Pmf>
LRESULT Bind<Pmf>::CtlColor(CCmdTarget* t, UINT m, WPARAM w, LPARAM l) {
  CDC dc(reinterpret_cast<HDC>(w));
  HWND controlHwnd = reinterpret_cast<HWND>(l);
  CWnd* control = CWnd::FromHandlePermanent(controlHwnd);
  CWnd temporary;  // stands for a control nobody subclassed; never owns it
  if (control == nullptr) {
    temporary.m_hWnd = controlHwnd;
    control = &temporary;
  }
  LRESULT result = reinterpret_cast<LRESULT>(
      (Self(t)->*Pmf)(&dc, control, m - WM_CTLCOLORMSGBOX));
  temporary.m_hWnd = nullptr;
  return result;
}

template <auto Pmf>
LRESULT Bind<Pmf>::CtlColorReflect(CCmdTarget* t, UINT m, WPARAM w, LPARAM) {
  CDC dc(reinterpret_cast<HDC>(w));
  return reinterpret_cast<LRESULT>((Self(t)->*Pmf)(&dc, m - kReflectBase - WM_CTLCOLORMSGBOX));
}

template <auto Pmf>
LRESULT Bind<Pmf>::EraseBkgnd(CCmdTarget* t, UINT, WPARAM w, LPARAM) {
  CDC dc(reinterpret_cast<HDC>(w));
  return (Self(t)->*Pmf)(&dc);
}

}  // namespace afx
