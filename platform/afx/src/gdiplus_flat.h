#pragma once

// The few functions of the GDI+ flat interface the image class uses,
// declared as gdiplus.dll exports them.

#include <windows.h>

namespace gdiplus_flat {

using GpStatus = int;  // 0 is Ok
struct GpBitmap;       // opaque; a bitmap is also an image
constexpr GpStatus Ok = 0;

struct StartupInput {
  UINT32 GdiplusVersion;
  void* DebugEventCallback;
  BOOL SuppressBackgroundThread;
  BOOL SuppressExternalCodecs;
};

struct Rect {
  INT X, Y, Width, Height;
};

struct BitmapData {
  UINT Width;
  UINT Height;
  INT Stride;
  INT PixelFormat;
  void* Scan0;
  UINT_PTR Reserved;
};

constexpr INT PixelFormatAlpha = 0x00040000;
constexpr INT PixelFormatPAlpha = 0x00080000;
constexpr INT PixelFormat24bppRGB = 0x00021808;
constexpr INT PixelFormat32bppARGB = 0x0026200A;
constexpr UINT ImageFlagsHasAlpha = 0x0002;
constexpr UINT ImageLockModeRead = 0x0001;

}  // namespace gdiplus_flat

extern "C" {
gdiplus_flat::GpStatus WINAPI GdiplusStartup(ULONG_PTR* token,
                                             const gdiplus_flat::StartupInput* input,
                                             void* output);
gdiplus_flat::GpStatus WINAPI GdipCreateBitmapFromFile(const WCHAR* file,
                                                       gdiplus_flat::GpBitmap** bitmap);
gdiplus_flat::GpStatus WINAPI GdipGetImageWidth(gdiplus_flat::GpBitmap* image, UINT* width);
gdiplus_flat::GpStatus WINAPI GdipGetImageHeight(gdiplus_flat::GpBitmap* image, UINT* height);
gdiplus_flat::GpStatus WINAPI GdipGetImagePixelFormat(gdiplus_flat::GpBitmap* image,
                                                      INT* format);
gdiplus_flat::GpStatus WINAPI GdipGetImageFlags(gdiplus_flat::GpBitmap* image, UINT* flags);
gdiplus_flat::GpStatus WINAPI GdipBitmapLockBits(gdiplus_flat::GpBitmap* bitmap,
                                                 const gdiplus_flat::Rect* rect, UINT flags,
                                                 INT format, gdiplus_flat::BitmapData* data);
gdiplus_flat::GpStatus WINAPI GdipBitmapUnlockBits(gdiplus_flat::GpBitmap* bitmap,
                                                   gdiplus_flat::BitmapData* data);
gdiplus_flat::GpStatus WINAPI GdipDisposeImage(gdiplus_flat::GpBitmap* image);
}
