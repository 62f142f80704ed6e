#include "afx/gdi.h"

#include "afx/wnd.h"

CGdiObject::~CGdiObject() { DeleteObject(); }

void CGdiObject::Attach(HGDIOBJ handle) {
  DeleteObject();
  m_hObject = handle;
}

HGDIOBJ CGdiObject::Detach() {
  HGDIOBJ handle = m_hObject;
  m_hObject = nullptr;
  return handle;
}

BOOL CGdiObject::DeleteObject() {
  if (m_hObject == nullptr) return FALSE;
  BOOL ok = ::DeleteObject(m_hObject);
  m_hObject = nullptr;
  return ok;
}

BOOL CBrush::CreateSolidBrush(COLORREF color) {
  Attach(::CreateSolidBrush(color));
  return m_hObject != nullptr;
}

BOOL CBrush::CreatePatternBrush(HBITMAP bitmap) {
  Attach(bitmap ? ::CreatePatternBrush(bitmap) : nullptr);
  return m_hObject != nullptr;
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height) {
  Attach(dc && dc->m_hDC ? ::CreateCompatibleBitmap(dc->m_hDC, width, height) : nullptr);
  return m_hObject != nullptr;
}

BOOL CFont::CreateFont(int height, int width, int escapement, int orientation, int weight,
                       BYTE italic, BYTE underline, BYTE strikeOut, BYTE charSet,
                       BYTE outPrecision, BYTE clipPrecision, BYTE quality,
                       BYTE pitchAndFamily, const char* faceName) {
  Attach(::CreateFontA(height, width, escapement, orientation, weight, italic, underline,
                       strikeOut, charSet, outPrecision, clipPrecision, quality,
                       pitchAndFamily, faceName));
  return m_hObject != nullptr;
}

BOOL CFont::CreateFontIndirect(const LOGFONTA* logFont) {
  Attach(logFont ? ::CreateFontIndirectA(logFont) : nullptr);
  return m_hObject != nullptr;
}

CDC::~CDC() { DeleteDC(); }

BOOL CDC::CreateCompatibleDC(CDC* reference) {
  DeleteDC();
  m_hDC = ::CreateCompatibleDC(reference ? reference->m_hDC : nullptr);
  m_owned = m_hDC != nullptr;
  return m_hDC != nullptr;
}

BOOL CDC::DeleteDC() {
  if (m_hDC == nullptr || !m_owned) return FALSE;
  BOOL ok = ::DeleteDC(m_hDC);
  m_hDC = nullptr;
  m_owned = false;
  return ok;
}

void CDC::Attach(HDC borrowed) {
  DeleteDC();
  m_hDC = borrowed;
  m_owned = false;
}

HDC CDC::Detach() {
  HDC dc = m_hDC;
  m_hDC = nullptr;
  m_owned = false;
  return dc;
}

HGDIOBJ CDC::SelectObject(CGdiObject* object) {
  return object ? SelectObject(object->m_hObject) : nullptr;
}

HGDIOBJ CDC::SelectObject(HGDIOBJ object) {
  if (m_hDC == nullptr || object == nullptr) return nullptr;
  return ::SelectObject(m_hDC, object);
}

HGDIOBJ CDC::SelectStockObject(int index) { return SelectObject(::GetStockObject(index)); }

int CDC::SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }

COLORREF CDC::SetTextColor(COLORREF color) { return ::SetTextColor(m_hDC, color); }

COLORREF CDC::SetBkColor(COLORREF color) { return ::SetBkColor(m_hDC, color); }

int CDC::DrawText(const char* text, int length, RECT* rect, UINT format) {
  return ::DrawTextA(m_hDC, text, length, rect, format);
}

void CDC::FillSolidRect(const RECT& rect, COLORREF color) {
  // ExtTextOut with an opaque rectangle fills without creating a brush.
  COLORREF old = ::SetBkColor(m_hDC, color);
  ::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
  ::SetBkColor(m_hDC, old);
}

void CDC::FillSolidRect(int x, int y, int width, int height, COLORREF color) {
  RECT rect = {x, y, x + width, y + height};
  FillSolidRect(rect, color);
}

BOOL CDC::FillRect(const RECT& rect, HBRUSH brush) { return ::FillRect(m_hDC, &rect, brush) != 0; }

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc,
                 DWORD rop) {
  return ::BitBlt(m_hDC, x, y, width, height, source ? source->m_hDC : nullptr, xSrc, ySrc,
                  rop);
}

BOOL CDC::DrawIcon(int x, int y, HICON icon) { return ::DrawIcon(m_hDC, x, y, icon); }

int CDC::GetClipBox(RECT* rect) const { return ::GetClipBox(m_hDC, rect); }

CPoint CDC::SetWindowOrg(int x, int y) {
  POINT old = {0, 0};
  ::SetWindowOrgEx(m_hDC, x, y, &old);
  return CPoint(old.x, old.y);
}

COLORREF CDC::GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }

int CDC::GetDeviceCaps(int index) const { return ::GetDeviceCaps(m_hDC, index); }

bool CDC::IsPrinting() const {
  return m_hDC != nullptr && ::GetDeviceCaps(m_hDC, TECHNOLOGY) == DT_RASPRINTER;
}

CPaintDC::CPaintDC(CWnd* wnd) : m_hWnd(wnd->GetSafeHwnd()) {
  Attach(::BeginPaint(m_hWnd, &m_ps));
}

CPaintDC::~CPaintDC() {
  ::EndPaint(m_hWnd, &m_ps);
  Detach();
}

CClientDC::CClientDC(CWnd* wnd) : m_hWnd(wnd->GetSafeHwnd()) { Attach(::GetDC(m_hWnd)); }

CClientDC::~CClientDC() {
  if (m_hDC) ::ReleaseDC(m_hWnd, m_hDC);
  Detach();
}
