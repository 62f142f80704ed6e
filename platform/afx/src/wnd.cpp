#include "afx/wnd.h"

namespace {

// The window property that leads from a handle to its CWnd.
constexpr char kWndProperty[] = "afx.CWnd";

bool IsCtlColorMessage(UINT message) {
  return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}

bool EntryMatches(const afx::MessageMapEntry& e, UINT message, WPARAM wParam, LPARAM lParam) {
  if (e.registered != nullptr) return *e.registered != 0 && *e.registered == message;
  if (message < e.message || message > e.messageLast) return false;
  if (message == WM_COMMAND) {
    UINT code = HIWORD(wParam);
    UINT id = LOWORD(wParam);
    if (id < e.idFirst || id > e.idLast) return false;
    if (code == e.code) return true;
    // An accelerator (code 1, no control) is a command like a menu item.
    return e.code == afx::kCommandCode && code == 1 && lParam == 0;
  }
  if (message == WM_NOTIFY) {
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header == nullptr) return false;
    return header->code == e.code && header->idFrom >= e.idFirst && header->idFrom <= e.idLast;
  }
  return true;
}

}  // namespace

namespace afx {

const MessageMapEntry* FindEntry(const MessageMap* map, UINT message, WPARAM wParam,
                                 LPARAM lParam) {
  for (; map != nullptr; map = map->base ? map->base() : nullptr) {
    for (const MessageMapEntry* e = map->entries; e->thunk != nullptr; ++e) {
      if (EntryMatches(*e, message, wParam, lParam)) return e;
    }
  }
  return nullptr;
}

}  // namespace afx

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const {
  for (const CRuntimeClass* c = this; c != nullptr; c = c->m_pBaseClass) {
    if (c == base) return true;
  }
  return false;
}

const CRuntimeClass CCmdTarget::classCCmdTarget = {"CCmdTarget", nullptr};

const CRuntimeClass* CCmdTarget::GetRuntimeClass() const { return &classCCmdTarget; }

bool CCmdTarget::IsKindOf(const CRuntimeClass* runtimeClass) const {
  return GetRuntimeClass()->IsDerivedFrom(runtimeClass);
}

const afx::MessageMap* CCmdTarget::GetThisMessageMap() {
  static const afx::MessageMapEntry entries[] = {{0, 0, 0, 0, 0, nullptr, nullptr}};
  static const afx::MessageMap map = {nullptr, entries};
  return &map;
}

const afx::MessageMap* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

bool CCmdTarget::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  const afx::MessageMapEntry* entry = afx::FindEntry(GetMessageMap(), message, wParam, lParam);
  if (entry == nullptr) return false;
  *result = entry->thunk(this, message, wParam, lParam);
  return true;
}

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

CWnd::~CWnd() {
  // The window outlives its object: hand it back its own procedure so that
  // no message ever reaches a destroyed object.
  if (m_hWnd != nullptr && FromHandlePermanent(m_hWnd) == this) UnsubclassWindow();
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
  if (hwnd == nullptr) return nullptr;
  return static_cast<CWnd*>(::GetPropA(hwnd, kWndProperty));
}

void CWnd::AttachHandle(HWND hwnd) {
  m_hWnd = hwnd;
  ::SetPropA(hwnd, kWndProperty, this);
}

void CWnd::DetachHandle() {
  if (m_hWnd != nullptr) ::RemovePropA(m_hWnd, kWndProperty);
  m_hWnd = nullptr;
  m_pfnSuper = nullptr;
}

BOOL CWnd::SubclassWindow(HWND hwnd) {
  if (m_hWnd != nullptr || !::IsWindow(hwnd) || FromHandlePermanent(hwnd) != nullptr) {
    return FALSE;
  }
  AttachHandle(hwnd);
  PreSubclassWindow();
  m_pfnSuper = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
      hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::RoutingWndProc)));
  return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
  if (parent == nullptr || parent->m_hWnd == nullptr) return FALSE;
  return SubclassWindow(::GetDlgItem(parent->m_hWnd, static_cast<int>(id)));
}

HWND CWnd::UnsubclassWindow() {
  HWND hwnd = m_hWnd;
  if (hwnd != nullptr && m_pfnSuper != nullptr) {
    ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
  }
  DetachHandle();
  return hwnd;
}

LRESULT CALLBACK CWnd::RoutingWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CWnd* wnd = FromHandlePermanent(hwnd);
  if (wnd == nullptr) return ::DefWindowProcA(hwnd, message, wParam, lParam);

  // Messages nest (a handler may send another one): keep the outer one.
  MSG outer = wnd->m_msgCur;
  wnd->m_msgCur.hwnd = hwnd;
  wnd->m_msgCur.message = message;
  wnd->m_msgCur.wParam = wParam;
  wnd->m_msgCur.lParam = lParam;
  LRESULT result = wnd->WindowProc(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    // The window is gone: let go of it, after its own procedure has seen it.
    wnd->DetachHandle();
    wnd->PostNcDestroy();
    return result;
  }
  wnd->m_msgCur = outer;
  return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (OnWndMsg(message, wParam, lParam, &result)) return result;
  return DefWindowProc(message, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (ReflectToChild(message, wParam, lParam, &result)) return result;
  if (m_pfnSuper != nullptr) return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
  return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
  return DefWindowProc(m_msgCur.message, m_msgCur.wParam, m_msgCur.lParam);
}

BOOL CWnd::ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  HWND child = nullptr;
  if (message == WM_DRAWITEM) {
    const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (item != nullptr && item->CtlType != ODT_MENU) child = item->hwndItem;
  } else if (IsCtlColorMessage(message) && message != WM_CTLCOLORDLG) {
    child = reinterpret_cast<HWND>(lParam);
  }
  if (child == nullptr || child == m_hWnd) return FALSE;
  CWnd* control = FromHandlePermanent(child);
  if (control == nullptr) return FALSE;
  return control->OnChildNotify(message, wParam, lParam, result);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  LRESULT reflected = 0;
  if (!OnWndMsg(afx::kReflectBase + message, wParam, lParam, &reflected)) return FALSE;
  // A control that answers a colour request with no brush leaves it to the parent.
  if (IsCtlColorMessage(message) && reflected == 0) return FALSE;
  *result = message == WM_DRAWITEM ? TRUE : reflected;
  return TRUE;
}

BOOL CWnd::ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }

BOOL CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint) {
  return ::MoveWindow(m_hWnd, x, y, width, height, repaint);
}

void CWnd::SetWindowText(const char* text) { ::SetWindowTextA(m_hWnd, text ? text : ""); }

std::string CWnd::GetWindowText() const {
  int length = ::GetWindowTextLengthA(m_hWnd);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  int copied = ::GetWindowTextA(m_hWnd, &text[0], length + 1);
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}

void CWnd::GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }

void CWnd::GetWindowRect(RECT* rect) const { ::GetWindowRect(m_hWnd, rect); }

void CWnd::ClientToScreen(POINT* point) const { ::ClientToScreen(m_hWnd, point); }

void CWnd::ScreenToClient(POINT* point) const { ::ScreenToClient(m_hWnd, point); }

void CWnd::Invalidate(BOOL erase) { ::InvalidateRect(m_hWnd, nullptr, erase); }

void CWnd::UpdateWindow() { ::UpdateWindow(m_hWnd); }

BOOL CWnd::IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }

BOOL CWnd::IsIconic() const { return ::IsIconic(m_hWnd); }

HWND CWnd::GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }

CWnd* CWnd::GetParent() const { return FromHandlePermanent(::GetParent(m_hWnd)); }

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::PostMessageA(m_hWnd, message, wParam, lParam);
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapse) {
  return ::SetTimer(m_hWnd, id, elapse, nullptr);
}

BOOL CWnd::KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }

HICON CWnd::SetIcon(HICON icon, BOOL big) {
  return reinterpret_cast<HICON>(
      SendMessage(WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
}

DWORD CWnd::GetStyle() const {
  return static_cast<DWORD>(::GetWindowLongPtrA(m_hWnd, GWL_STYLE));
}

BOOL CWnd::SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }

BOOL CWnd::UpdateData(BOOL saveAndValidate) {
  CDataExchange dx(this, saveAndValidate);
  DoDataExchange(&dx);
  return TRUE;
}

LRESULT CWnd::OnNcHitTest(CPoint) { return Default(); }
HBRUSH CWnd::OnCtlColor(CDC*, CWnd*, UINT) { return reinterpret_cast<HBRUSH>(Default()); }
void CWnd::OnTimer(UINT_PTR) { Default(); }
void CWnd::OnPaint() { Default(); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnSysCommand(UINT, LPARAM) { Default(); }
HCURSOR CWnd::OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(Default()); }
void CWnd::OnMouseMove(UINT, CPoint) { Default(); }
void CWnd::OnMouseHover(UINT, CPoint) { Default(); }
void CWnd::OnMouseLeave() { Default(); }
BOOL CWnd::OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
  if (dx == nullptr || dx->m_pDlgWnd == nullptr || control.m_hWnd != nullptr) return;
  HWND item = dx->m_pDlgWnd->GetDlgItem(id);
  if (item == nullptr || !control.SubclassWindow(item)) {
    char text[96];
    wsprintfA(text, "DDX_Control: control %d cannot be attached\n", id);
    ::OutputDebugStringA(text);
  }
}
