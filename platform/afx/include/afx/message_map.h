#pragma once

// Message maps: static tables that route window messages to member functions.
//
// A class declares DECLARE_MESSAGE_MAP() and lists its entries between
// BEGIN_MESSAGE_MAP(Class, Base) and END_MESSAGE_MAP(). Dispatch searches the
// class's own table first, then its base's, and so on; the first entry that
// matches handles the message. Each entry stores a small "thunk" made from
// the member-function pointer at compile time, which unpacks wParam/lParam
// into the handler's typed parameters: a handler with the wrong signature
// for its macro does not compile.

#include <windows.h>

#include "afx/types.h"

class CCmdTarget;
class CWnd;
class CDC;

namespace afx {

using Thunk = LRESULT (*)(CCmdTarget* self, UINT message, WPARAM wParam, LPARAM lParam);

// Messages a parent hands back to the child control they concern (owner
// draw, control colours) arrive in the child's map at this offset, the same
// convention the system's control-reflection uses.
constexpr UINT kReflectBase = WM_USER + 0x1C00;

// Notification code of ON_COMMAND: menu items and buttons (BN_CLICKED is 0)
// send 0; accelerators send 1 with no control handle.
constexpr UINT kCommandCode = 0;

struct MessageMapEntry {
  UINT message;            // first message number (WM_COMMAND and WM_NOTIFY included)
  UINT messageLast;        // last message number; equal to `message` for one message
  UINT code;               // notification code for WM_COMMAND and WM_NOTIFY
  UINT idFirst;            // command or control identifiers, for WM_COMMAND and WM_NOTIFY
  UINT idLast;
  const UINT* registered;  // for registered messages: where the number was stored
  Thunk thunk;
};

struct MessageMap {
  const MessageMap* (*base)();
  const MessageMapEntry* entries;  // ends with an entry whose thunk is null
};

// Finds the entry that handles a message in `map` or its bases; null if none.
const MessageMapEntry* FindEntry(const MessageMap* map, UINT message, WPARAM wParam,
                                 LPARAM lParam);

template <typename T>
struct MemberOf;
template <typename C, typename R, typename... A>
struct MemberOf<R (C::*)(A...)> {
  using Class = C;
};

// Thunks, one per handler shape. `Pmf` is the handler; its class is where
// it was declared, which the dispatching object derives from.
template <auto Pmf>
struct Bind {
  using C = typename MemberOf<decltype(Pmf)>::Class;
  static C* Self(CCmdTarget* target) { return static_cast<C*>(target); }

  // void f()
  static LRESULT Void(CCmdTarget* t, UINT, WPARAM, LPARAM) {
    (Self(t)->*Pmf)();
    return 0;
  }
  // LRESULT f(WPARAM, LPARAM)
  static LRESULT Message(CCmdTarget* t, UINT, WPARAM w, LPARAM l) {
    return (Self(t)->*Pmf)(w, l);
  }
  // void f(UINT_PTR timerId)
  static LRESULT Timer(CCmdTarget* t, UINT, WPARAM w, LPARAM) {
    (Self(t)->*Pmf)(static_cast<UINT_PTR>(w));
    return 0;
  }
  // void f(NMHDR*, LRESULT*): the handler writes the notification's result
  static LRESULT Notify(CCmdTarget* t, UINT, WPARAM, LPARAM l) {
    LRESULT result = 0;
    (Self(t)->*Pmf)(reinterpret_cast<NMHDR*>(l), &result);
    return result;
  }
  // LRESULT f(CPoint screenPoint)
  static LRESULT Point(CCmdTarget* t, UINT, WPARAM, LPARAM l) {
    return (Self(t)->*Pmf)(CPoint(l));
  }
  // void f(UINT flags, CPoint clientPoint)
  static LRESULT FlagsPoint(CCmdTarget* t, UINT, WPARAM w, LPARAM l) {
    (Self(t)->*Pmf)(static_cast<UINT>(w), CPoint(l));
    return 0;
  }
  // void f(UINT command, LPARAM)
  static LRESULT SysCommand(CCmdTarget* t, UINT, WPARAM w, LPARAM l) {
    (Self(t)->*Pmf)(static_cast<UINT>(w), l);
    return 0;
  }
  // HCURSOR f()
  static LRESULT Cursor(CCmdTarget* t, UINT, WPARAM, LPARAM) {
    return reinterpret_cast<LRESULT>((Self(t)->*Pmf)());
  }
  // void f(DRAWITEMSTRUCT*), owner draw reflected to the control
  static LRESULT DrawItem(CCmdTarget* t, UINT, WPARAM, LPARAM l) {
    (Self(t)->*Pmf)(reinterpret_cast<DRAWITEMSTRUCT*>(l));
    return TRUE;
  }
  // HBRUSH f(CDC*, CWnd* control, UINT kind) for the WM_CTLCOLOR* messages
  static LRESULT CtlColor(CCmdTarget* t, UINT m, WPARAM w, LPARAM l);
  // HBRUSH f(CDC*, UINT kind), reflected to the control itself
  static LRESULT CtlColorReflect(CCmdTarget* t, UINT m, WPARAM w, LPARAM l);
  // BOOL f(CDC*)
  static LRESULT EraseBkgnd(CCmdTarget* t, UINT m, WPARAM w, LPARAM l);
};

}  // namespace afx

#define DECLARE_MESSAGE_MAP()                                  \
 public:                                                       \
  static const ::afx::MessageMap* GetThisMessageMap();         \
  const ::afx::MessageMap* GetMessageMap() const override;     \
                                                               \
 protected:

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                     \
  const ::afx::MessageMap* theClass::GetMessageMap() const {                       \
    return GetThisMessageMap();                                                    \
  }                                                                                \
  const ::afx::MessageMap* theClass::GetThisMessageMap() {                         \
    using ThisClass [[maybe_unused]] = theClass;                                   \
    using TheBaseClass = baseClass;                                                \
    static const ::afx::MessageMapEntry entries[] = {
#define END_MESSAGE_MAP()                                                          \
      {0, 0, 0, 0, 0, nullptr, nullptr}};                                          \
    static const ::afx::MessageMap map = {&TheBaseClass::GetThisMessageMap, entries}; \
    return &map;                                                                   \
  }

#define AFX_ENTRY(msg, last, code, first, idLast, reg, thunk) \
  {static_cast<UINT>(msg), static_cast<UINT>(last), static_cast<UINT>(code), \
   static_cast<UINT>(first), static_cast<UINT>(idLast), reg, thunk},

// Commands and control notifications (WM_COMMAND).
#define ON_COMMAND(id, fn) \
  AFX_ENTRY(WM_COMMAND, WM_COMMAND, ::afx::kCommandCode, id, id, nullptr, &::afx::Bind<&ThisClass::fn>::Void)
#define ON_CONTROL(code, id, fn) \
  AFX_ENTRY(WM_COMMAND, WM_COMMAND, code, id, id, nullptr, &::afx::Bind<&ThisClass::fn>::Void)
#define ON_BN_CLICKED(id, fn) ON_CONTROL(BN_CLICKED, id, fn)

// Common-control notifications (WM_NOTIFY): void fn(NMHDR*, LRESULT*).
#define ON_NOTIFY(code, id, fn) \
  AFX_ENTRY(WM_NOTIFY, WM_NOTIFY, code, id, id, nullptr, &::afx::Bind<&ThisClass::fn>::Notify)

// Any numbered message: LRESULT fn(WPARAM, LPARAM).
#define ON_MESSAGE(msg, fn) \
  AFX_ENTRY(msg, msg, 0, 0, 0, nullptr, &::afx::Bind<&ThisClass::fn>::Message)
// A message whose number RegisterWindowMessage stored in the UINT `var`.
#define ON_REGISTERED_MESSAGE(var, fn) \
  AFX_ENTRY(0, 0, 0, 0, 0, &(var), &::afx::Bind<&ThisClass::fn>::Message)

// Standard messages with their customary handler names.
#define ON_WM_TIMER() \
  AFX_ENTRY(WM_TIMER, WM_TIMER, 0, 0, 0, nullptr, &::afx::Bind<&ThisClass::OnTimer>::Timer)
#define ON_WM_PAINT() \
  AFX_ENTRY(WM_PAINT, WM_PAINT, 0, 0, 0, nullptr, &::afx::Bind<&ThisClass::OnPaint>::Void)
#define ON_WM_DESTROY() \
  AFX_ENTRY(WM_DESTROY, WM_DESTROY, 0, 0, 0, nullptr, &::afx::Bind<&ThisClass::OnDestroy>::Void)
#define ON_WM_NCHITTEST() \
  AFX_ENTRY(WM_NCHITTEST, WM_NCHITTEST, 0, 0, 0, nullptr, &::afx::Bind<&ThisClass::OnNcHitTest>::Point)
#define ON_WM_QUERYDRAGICON() \
  AFX_ENTRY(WM_QUERYDRAGICON, WM_QUERYDRAGICON, 0, 0, 0, nullptr, &::afx::Bind<&ThisClass::OnQueryDragIcon>::Cursor)
#define ON_WM_SYSCOMMAND() \
  AFX_ENTRY(WM_SYSCOMMAND, WM_SYSCOMMAND, 0, 0, 0, nullptr, &::afx::Bind<&ThisClass::OnSysCommand>::SysCommand)
#define ON_WM_MOUSEMOVE() \
  AFX_ENTRY(WM_MOUSEMOVE, WM_MOUSEMOVE, 0, 0, 0, nullptr, &::afx::Bind<&ThisClass::OnMouseMove>::FlagsPoint)
#define ON_WM_MOUSEHOVER() \
  AFX_ENTRY(WM_MOUSEHOVER, WM_MOUSEHOVER, 0, 0, 0, nullptr, &::afx::Bind<&ThisClass::OnMouseHover>::FlagsPoint)
#define ON_WM_MOUSELEAVE() \
  AFX_ENTRY(WM_MOUSELEAVE, WM_MOUSELEAVE, 0, 0, 0, nullptr, &::afx::Bind<&ThisClass::OnMouseLeave>::Void)
#define ON_WM_ERASEBKGND() \
  AFX_ENTRY(WM_ERASEBKGND, WM_ERASEBKGND, 0, 0, 0, nullptr, &::afx::Bind<&ThisClass::OnEraseBkgnd>::EraseBkgnd)
// All WM_CTLCOLOR* messages: HBRUSH OnCtlColor(CDC*, CWnd*, UINT kind),
// kind being CTLCOLOR_MSGBOX ... CTLCOLOR_STATIC.
#define ON_WM_CTLCOLOR() \
  AFX_ENTRY(WM_CTLCOLORMSGBOX, WM_CTLCOLORSTATIC, 0, 0, 0, nullptr, &::afx::Bind<&ThisClass::OnCtlColor>::CtlColor)
// In a control: the parent's colour request for this control,
// HBRUSH CtlColor(CDC*, UINT kind). A null brush lets the parent decide.
#define ON_WM_CTLCOLOR_REFLECT() \
  AFX_ENTRY(::afx::kReflectBase + WM_CTLCOLORMSGBOX, ::afx::kReflectBase + WM_CTLCOLORSTATIC, 0, 0, 0, nullptr, &::afx::Bind<&ThisClass::CtlColor>::CtlColorReflect)
// In a control: the parent's owner-draw request for this control,
// void DrawItem(DRAWITEMSTRUCT*).
#define ON_WM_DRAWITEM_REFLECT() \
  AFX_ENTRY(::afx::kReflectBase + WM_DRAWITEM, ::afx::kReflectBase + WM_DRAWITEM, 0, 0, 0, nullptr, &::afx::Bind<&ThisClass::DrawItem>::DrawItem)
