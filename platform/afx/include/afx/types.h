#pragma once

// Point and rectangle helpers: thin layers over the Win32 POINT and RECT, so
// they can be handed to any API that takes those.

#include <windows.h>

class CPoint : public POINT {
 public:
  CPoint() { x = 0; y = 0; }
  CPoint(int initX, int initY) { x = initX; y = initY; }
  // From the packed coordinates of a mouse message (signed 16-bit halves).
  explicit CPoint(LPARAM packed) {
    x = static_cast<short>(LOWORD(packed));
    y = static_cast<short>(HIWORD(packed));
  }
  bool operator==(const CPoint& other) const { return x == other.x && y == other.y; }
};

class CRect : public RECT {
 public:
  CRect() { SetRectEmpty(this); }
  CRect(int l, int t, int r, int b) { ::SetRect(this, l, t, r, b); }
  CRect(const RECT& rc) { ::CopyRect(this, &rc); }

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  CPoint TopLeft() const { return CPoint(left, top); }
  CPoint BottomRight() const { return CPoint(right, bottom); }
  bool PtInRect(POINT pt) const { return ::PtInRect(this, pt) != FALSE; }
  bool IsRectEmpty() const { return ::IsRectEmpty(this) != FALSE; }
  bool operator==(const RECT& other) const { return ::EqualRect(this, &other) != FALSE; }

  operator RECT*() { return this; }
  operator const RECT*() const { return this; }
};
