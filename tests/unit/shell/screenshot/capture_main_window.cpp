// Photographs the running program's main window and checks what it shows.
//
//   capture_main_window.exe <program folder> <picture.png>
//
// Waits for a visible top-level window at (0, 0) sized 360 × 240, copies
// that part of the screen into <picture.png> and compares it with the skin
// in <program folder>\res: the logo everywhere below the title row, the
// version text drawn at the top left, both buttons drawn at the top right.
// Exit code 0 when all of that holds; the reasons otherwise on stderr.

#include <windows.h>

#include "bitmap_probe.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "afx/image.h"
#include "png_writer.h"

namespace {

constexpr int kWidth = 360;
constexpr int kHeight = 240;

HWND g_found = nullptr;

BOOL CALLBACK FindMainWindow(HWND hwnd, LPARAM) {
  RECT rect;
  if (::IsWindowVisible(hwnd) && ::GetWindowRect(hwnd, &rect) && rect.left == 0 &&
      rect.top == 0 && rect.right == kWidth && rect.bottom == kHeight) {
    g_found = hwnd;
    return FALSE;
  }
  return TRUE;
}

struct Pixel {
  int r, g, b;
};

int Distance(Pixel a, Pixel b) { return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b); }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: capture_main_window <program folder> <picture.png>\n");
    return 2;
  }
  const std::string folder = argv[1];

  // The program needs a while to start under Wine; give up after a minute.
  for (int i = 0; i < 600 && g_found == nullptr; ++i) {
    ::EnumWindows(&FindMainWindow, 0);
    if (g_found == nullptr) ::Sleep(100);
  }
  if (g_found == nullptr) {
    std::fprintf(stderr, "no window at (0, 0) sized 360 x 240 appeared\n");
    return 1;
  }
  ::Sleep(700);  // let it finish painting; it hides itself only after 3 s

  // The screen's top-left corner, read back through a 32-bit DIB.
  BitmapProbe shot(kWidth, kHeight);
  HDC screen = ::GetDC(nullptr);
  ::BitBlt(shot.dc(), 0, 0, kWidth, kHeight, screen, 0, 0, SRCCOPY);
  ::ReleaseDC(nullptr, screen);

  std::vector<Pixel> taken(kWidth * kHeight);
  std::vector<uint8_t> rgb;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const COLORREF c = shot.At(x, y);
      const uint8_t r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
      taken[y * kWidth + x] = {r, g, b};
      rgb.insert(rgb.end(), {r, g, b});
    }
  }
  if (!test_png::WritePng(argv[2], kWidth, kHeight, false, rgb)) {
    std::fprintf(stderr, "cannot write %s\n", argv[2]);
    return 1;
  }

  CImage logo;
  if (FAILED(logo.Load((folder + "\\res\\Logo.png").c_str())) || logo.GetWidth() != kWidth ||
      logo.GetHeight() != kHeight || logo.GetBPP() != 24) {
    std::fprintf(stderr, "cannot read the logo of %s\n", folder.c_str());
    return 1;
  }
  auto logoAt = [&](int x, int y) {
    const BYTE* p = logo.GetPixelAddress(x, y);
    return Pixel{p[2], p[1], p[0]};
  };
  auto at = [&](int x, int y) { return taken[y * kWidth + x]; };

  int failures = 0;
  // Below the title row the window shows the logo and nothing else.
  int off = 0;
  for (int y = 50; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) off += Distance(at(x, y), logoAt(x, y)) > 6;
  }
  if (off > 0) {
    std::fprintf(stderr, "%d pixels of the background differ from the logo\n", off);
    ++failures;
  }
  // Something drawn over the logo where the version text and each button sit.
  struct Area {
    const char* what;
    int x0, y0, x1, y1;
  } areas[] = {{"version text", 4, 8, 109, 38},
               {"hide button", 285, 8, 320, 43},
               {"close button", 320, 8, 355, 43}};
  for (const Area& a : areas) {
    int drawn = 0;
    for (int y = a.y0; y < a.y1; ++y) {
      for (int x = a.x0; x < a.x1; ++x) {
        drawn += Distance(at(x, y), logoAt(x, y)) > 60;
      }
    }
    std::printf("%s: %d pixels drawn\n", a.what, drawn);
    if (drawn < 10) {
      std::fprintf(stderr, "the %s is not visible\n", a.what);
      ++failures;
    }
  }
  return failures == 0 ? 0 : 1;
}
