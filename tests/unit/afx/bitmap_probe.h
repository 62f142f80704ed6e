#pragma once

// A 32-bit DIB section selected into a memory context, for reading back
// exactly what was drawn.

#include <windows.h>

#include <cstdint>

class BitmapProbe {
 public:
  BitmapProbe(int width, int height) : m_width(width), m_height(height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    m_dc = ::CreateCompatibleDC(nullptr);
    m_bitmap = ::CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_bits),
                                  nullptr, 0);
    m_old = ::SelectObject(m_dc, m_bitmap);
  }
  ~BitmapProbe() {
    ::SelectObject(m_dc, m_old);
    ::DeleteObject(m_bitmap);
    ::DeleteDC(m_dc);
  }
  BitmapProbe(const BitmapProbe&) = delete;
  BitmapProbe& operator=(const BitmapProbe&) = delete;

  HDC dc() const { return m_dc; }
  void Fill(COLORREF color) {
    ::GdiFlush();
    for (int i = 0; i < m_width * m_height; ++i) {
      m_bits[i] = (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
    }
  }
  // The pixel as 0x00BBGGRR, like GetPixel, read straight from memory.
  COLORREF At(int x, int y) const {
    ::GdiFlush();
    uint32_t v = m_bits[y * m_width + x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
  }

 private:
  int m_width, m_height;
  HDC m_dc = nullptr;
  HBITMAP m_bitmap = nullptr;
  HGDIOBJ m_old = nullptr;
  uint32_t* m_bits = nullptr;
};
