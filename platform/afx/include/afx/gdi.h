#pragma once

// Device contexts and GDI objects with owned lifetimes.
//
// A CGdiObject deletes the handle it holds when it goes away; a CDC deletes
// the memory context it created. Wrappers built around a handle that belongs
// to somebody else (Attach) never delete it. None of these is copyable.

#include <windows.h>

#include "afx/types.h"

class CWnd;
class CDC;

class CGdiObject {
 public:
  CGdiObject() = default;
  virtual ~CGdiObject();
  CGdiObject(const CGdiObject&) = delete;
  CGdiObject& operator=(const CGdiObject&) = delete;

  // Takes ownership of a handle; any handle held before is deleted.
  void Attach(HGDIOBJ handle);
  // Gives up ownership without deleting.
  HGDIOBJ Detach();
  // Deletes the held handle (if any). FALSE when there was none or GDI refused.
  BOOL DeleteObject();
  HGDIOBJ GetSafeHandle() const { return m_hObject; }

  HGDIOBJ m_hObject = nullptr;
};

class CBrush : public CGdiObject {
 public:
  BOOL CreateSolidBrush(COLORREF color);
  // The brush keeps its own copy of the bitmap's pixels.
  BOOL CreatePatternBrush(HBITMAP bitmap);
  operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
};

class CBitmap : public CGdiObject {
 public:
  BOOL CreateCompatibleBitmap(CDC* dc, int width, int height);
  operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
};

class CFont : public CGdiObject {
 public:
  // The LOGFONT fields in their usual order.
  BOOL CreateFont(int height, int width, int escapement, int orientation, int weight,
                  BYTE italic, BYTE underline, BYTE strikeOut, BYTE charSet,
                  BYTE outPrecision, BYTE clipPrecision, BYTE quality,
                  BYTE pitchAndFamily, const char* faceName);
  BOOL CreateFontIndirect(const LOGFONTA* logFont);
  operator HFONT() const { return static_cast<HFONT>(m_hObject); }
};

class CDC {
 public:
  CDC() = default;
  // Non-owning wrapper around a context that belongs to somebody else.
  explicit CDC(HDC borrowed) : m_hDC(borrowed) {}
  virtual ~CDC();
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;

  // A memory context compatible with `reference` (or the screen when null);
  // owned and deleted by this object.
  BOOL CreateCompatibleDC(CDC* reference);
  BOOL DeleteDC();
  void Attach(HDC borrowed);
  HDC Detach();
  HDC GetSafeHdc() const { return m_hDC; }
  operator HDC() const { return m_hDC; }

  // Selecting returns the displaced object so that it can be put back.
  HGDIOBJ SelectObject(CGdiObject* object);
  HGDIOBJ SelectObject(HGDIOBJ object);
  HGDIOBJ SelectStockObject(int index);

  int SetBkMode(int mode);
  COLORREF SetTextColor(COLORREF color);
  COLORREF SetBkColor(COLORREF color);
  int DrawText(const char* text, int length, RECT* rect, UINT format);
  void FillSolidRect(const RECT& rect, COLORREF color);
  void FillSolidRect(int x, int y, int width, int height, COLORREF color);
  BOOL FillRect(const RECT& rect, HBRUSH brush);
  BOOL BitBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc, DWORD rop);
  BOOL DrawIcon(int x, int y, HICON icon);
  int GetClipBox(RECT* rect) const;
  CPoint SetWindowOrg(int x, int y);
  COLORREF GetPixel(int x, int y) const;
  int GetDeviceCaps(int index) const;
  // True when the context draws on a printer.
  bool IsPrinting() const;

  HDC m_hDC = nullptr;

 private:
  bool m_owned = false;
};

// BeginPaint / EndPaint for one WM_PAINT.
class CPaintDC : public CDC {
 public:
  explicit CPaintDC(CWnd* wnd);
  ~CPaintDC() override;
  PAINTSTRUCT m_ps{};

 private:
  HWND m_hWnd;
};

// GetDC / ReleaseDC on a window's client area.
class CClientDC : public CDC {
 public:
  explicit CClientDC(CWnd* wnd);
  ~CClientDC() override;

 private:
  HWND m_hWnd;
};
