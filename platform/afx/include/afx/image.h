#pragma once

// Images loaded from files through GDI+, held as GDI DIB sections.
//
// A file with an alpha channel becomes a 32-bit DIB section whose colour
// channels are NOT premultiplied and which is flagged as having alpha; any
// other file becomes a 24-bit DIB section without the flag. Rows are stored
// top row first, GetPitch bytes apart. Drawing blends per pixel when the
// flag is set (the system's AlphaBlend expects premultiplied colours, so an
// owner that wants exact blending premultiplies the pixels itself) and
// copies otherwise.

#include <windows.h>

class CImage {
 public:
  CImage() = default;
  ~CImage();
  CImage(const CImage&) = delete;
  CImage& operator=(const CImage&) = delete;

  // S_OK, or E_FAIL when the file is missing or cannot be decoded (the
  // image is then empty). A loaded image is replaced.
  HRESULT Load(const char* path);
  void Destroy();

  bool IsNull() const { return m_hBitmap == nullptr; }
  int GetWidth() const { return m_width; }
  int GetHeight() const { return m_height; }
  int GetBPP() const { return m_bpp; }
  int GetPitch() const { return m_pitch; }
  bool HasAlphaChannel() const { return m_hasAlpha; }
  BYTE* GetBits() { return m_bits; }
  const BYTE* GetBits() const { return m_bits; }
  // Address of pixel (x, y); null outside the image.
  BYTE* GetPixelAddress(int x, int y);
  operator HBITMAP() const { return m_hBitmap; }

  // Draws the source rectangle into the destination one: blended per pixel
  // when the image has alpha, a plain stretched copy otherwise.
  BOOL Draw(HDC destination, int xDst, int yDst, int wDst, int hDst, int xSrc, int ySrc,
            int wSrc, int hSrc) const;
  // The system's alpha blend with a constant alpha, using the per-pixel
  // alpha when the image has it.
  BOOL AlphaBlend(HDC destination, int xDst, int yDst, int wDst, int hDst, int xSrc, int ySrc,
                  int wSrc, int hSrc, BYTE sourceAlpha = 0xFF, BYTE op = AC_SRC_OVER) const;

 private:
  HBITMAP m_hBitmap = nullptr;
  BYTE* m_bits = nullptr;
  int m_width = 0;
  int m_height = 0;
  int m_bpp = 0;
  int m_pitch = 0;
  bool m_hasAlpha = false;
};
