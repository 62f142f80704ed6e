#include "afx/image.h"

#include <cstring>
#include <string>

#include "gdiplus_flat.h"

namespace gp = gdiplus_flat;

namespace {

// GDI+ is started once for the process, on first use, and never shut down:
// images may be loaded until the very end and the process end releases it.
bool EnsureGdiplus() {
  static const bool started = [] {
    gp::StartupInput input = {1, nullptr, FALSE, FALSE};
    ULONG_PTR token = 0;
    return GdiplusStartup(&token, &input, nullptr) == gp::Ok;
  }();
  return started;
}

std::wstring ToWide(const char* text) {
  int length = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], length);
  wide.resize(static_cast<size_t>(length) - 1);
  return wide;
}

// Closes the GDI+ bitmap on every path out of Load.
struct GpBitmapHolder {
  gp::GpBitmap* bitmap = nullptr;
  ~GpBitmapHolder() {
    if (bitmap) GdipDisposeImage(bitmap);
  }
};

}  // namespace

CImage::~CImage() { Destroy(); }

void CImage::Destroy() {
  if (m_hBitmap) ::DeleteObject(m_hBitmap);
  m_hBitmap = nullptr;
  m_bits = nullptr;
  m_width = m_height = m_bpp = m_pitch = 0;
  m_hasAlpha = false;
}

HRESULT CImage::Load(const char* path) {
  Destroy();
  if (path == nullptr || *path == '\0' || !EnsureGdiplus()) return E_FAIL;
  std::wstring widePath = ToWide(path);
  if (widePath.empty()) return E_FAIL;

  GpBitmapHolder source;
  if (GdipCreateBitmapFromFile(widePath.c_str(), &source.bitmap) != gp::Ok || !source.bitmap) {
    return E_FAIL;
  }
  UINT width = 0, height = 0, flags = 0;
  INT format = 0;
  if (GdipGetImageWidth(source.bitmap, &width) != gp::Ok ||
      GdipGetImageHeight(source.bitmap, &height) != gp::Ok ||
      GdipGetImagePixelFormat(source.bitmap, &format) != gp::Ok ||
      GdipGetImageFlags(source.bitmap, &flags) != gp::Ok) {
    return E_FAIL;
  }
  // Keep sizes where a 32-bit row and the whole picture stay far from overflow.
  if (width == 0 || height == 0 || width > 32768 || height > 32768) return E_FAIL;

  const bool alpha = (format & (gp::PixelFormatAlpha | gp::PixelFormatPAlpha)) != 0 ||
                     (flags & gp::ImageFlagsHasAlpha) != 0;
  const int bpp = alpha ? 32 : 24;
  const int pitch = ((static_cast<int>(width) * bpp / 8) + 3) & ~3;

  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = static_cast<LONG>(width);
  info.bmiHeader.biHeight = -static_cast<LONG>(height);  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = static_cast<WORD>(bpp);
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP dib = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (dib == nullptr || bits == nullptr) {
    if (dib) ::DeleteObject(dib);
    return E_FAIL;
  }

  // Non-premultiplied ARGB is laid out in memory as blue, green, red, alpha:
  // exactly a 32-bit DIB pixel. 24-bit RGB is blue, green, red likewise.
  gp::Rect rect = {0, 0, static_cast<INT>(width), static_cast<INT>(height)};
  gp::BitmapData data = {};
  if (GdipBitmapLockBits(source.bitmap, &rect, gp::ImageLockModeRead,
                         alpha ? gp::PixelFormat32bppARGB : gp::PixelFormat24bppRGB,
                         &data) != gp::Ok) {
    ::DeleteObject(dib);
    return E_FAIL;
  }
  const size_t rowBytes = static_cast<size_t>(width) * static_cast<size_t>(bpp / 8);
  for (UINT y = 0; y < height; ++y) {
    const BYTE* from = static_cast<const BYTE*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride;
    BYTE* to = static_cast<BYTE*>(bits) + static_cast<size_t>(y) * static_cast<size_t>(pitch);
    std::memcpy(to, from, rowBytes);
  }
  GdipBitmapUnlockBits(source.bitmap, &data);

  m_hBitmap = dib;
  m_bits = static_cast<BYTE*>(bits);
  m_width = static_cast<int>(width);
  m_height = static_cast<int>(height);
  m_bpp = bpp;
  m_pitch = pitch;
  m_hasAlpha = alpha;
  return S_OK;
}

BYTE* CImage::GetPixelAddress(int x, int y) {
  if (m_bits == nullptr || x < 0 || y < 0 || x >= m_width || y >= m_height) return nullptr;
  return m_bits + static_cast<size_t>(y) * static_cast<size_t>(m_pitch) +
         static_cast<size_t>(x) * static_cast<size_t>(m_bpp / 8);
}

BOOL CImage::Draw(HDC destination, int xDst, int yDst, int wDst, int hDst, int xSrc, int ySrc,
                  int wSrc, int hSrc) const {
  if (m_hasAlpha) {
    return AlphaBlend(destination, xDst, yDst, wDst, hDst, xSrc, ySrc, wSrc, hSrc);
  }
  if (m_hBitmap == nullptr || destination == nullptr) return FALSE;
  HDC source = ::CreateCompatibleDC(destination);
  if (source == nullptr) return FALSE;
  HGDIOBJ old = ::SelectObject(source, m_hBitmap);
  int oldMode = ::SetStretchBltMode(destination, COLORONCOLOR);
  BOOL ok = ::StretchBlt(destination, xDst, yDst, wDst, hDst, source, xSrc, ySrc, wSrc, hSrc,
                         SRCCOPY);
  ::SetStretchBltMode(destination, oldMode);
  ::SelectObject(source, old);
  ::DeleteDC(source);
  return ok;
}

BOOL CImage::AlphaBlend(HDC destination, int xDst, int yDst, int wDst, int hDst, int xSrc,
                        int ySrc, int wSrc, int hSrc, BYTE sourceAlpha, BYTE op) const {
  if (m_hBitmap == nullptr || destination == nullptr) return FALSE;
  HDC source = ::CreateCompatibleDC(destination);
  if (source == nullptr) return FALSE;
  HGDIOBJ old = ::SelectObject(source, m_hBitmap);
  BLENDFUNCTION blend = {op, 0, sourceAlpha, static_cast<BYTE>(m_hasAlpha ? AC_SRC_ALPHA : 0)};
  BOOL ok = ::AlphaBlend(destination, xDst, yDst, wDst, hDst, source, xSrc, ySrc, wSrc, hSrc,
                         blend);
  ::SelectObject(source, old);
  ::DeleteDC(source);
  return ok;
}
