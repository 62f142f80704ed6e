// The skinned controls: image button, caption and gradient progress bar,
// drawn into memory bitmaps and read back pixel by pixel.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bitmap_probe.h"
#include "png_writer.h"
#include "shell/caption.h"
#include "shell/gradient_progress.h"
#include "shell/my_button.h"
#include "shell/progress_mem_dc.h"

namespace {

// A parent window with one child control, both real windows.
struct Host {
  Host(const char* childClass, DWORD childStyle, RECT place) {
    parent = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 120, 100, nullptr, nullptr,
                               ::GetModuleHandleA(nullptr), nullptr);
    child = ::CreateWindowExA(0, childClass, "", WS_CHILD | WS_VISIBLE | childStyle, place.left,
                              place.top, place.right - place.left, place.bottom - place.top,
                              parent, nullptr, ::GetModuleHandleA(nullptr), nullptr);
  }
  ~Host() { ::DestroyWindow(parent); }
  RECT ChildRect() const {
    RECT rect;
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }
  HWND parent = nullptr;
  HWND child = nullptr;
};

std::vector<uint8_t> Repeat(std::vector<uint8_t> pixel, int count) {
  std::vector<uint8_t> out;
  for (int i = 0; i < count; ++i) out.insert(out.end(), pixel.begin(), pixel.end());
  return out;
}

TEST(MyButton, PremultipliesThirtyTwoBitImagesOnceAtSetUp) {
  // R, G, B, A: alpha 0, 128 (twice) and 255.
  const std::vector<uint8_t> pixels = {200, 100, 50, 0,   255, 1,   128, 128,
                                       200, 100, 50, 128, 200, 100, 50,  255};
  ASSERT_TRUE(test_png::WritePng("pm.png", 4, 1, true, pixels));
  ASSERT_TRUE(test_png::WritePng("pm_rgb.png", 4, 1, false, Repeat({200, 100, 50}, 4)));
  struct Expected {
    BYTE r, g, b, a;
  };
  const Expected premultiplied[] = {{0, 0, 0, 0}, {128, 0, 64, 128}, {100, 50, 25, 128},
                                    {200, 100, 50, 255}};
  const Expected straight[] = {{200, 100, 50, 0}, {255, 1, 128, 128}, {200, 100, 50, 128},
                               {200, 100, 50, 255}};
  for (bool premultiply : {true, false}) {
    SCOPED_TRACE(premultiply ? "premultiplied" : "left alone");
    CMyButton button;
    button.SetImages("pm.png", "pm.png", "pm_rgb.png");
    ASSERT_TRUE(button.InitButton(0, 0, 4, 1, premultiply));
    for (const CImage* image : {&button.NormalImage(), &button.PressImage()}) {
      for (int x = 0; x < 4; ++x) {
        const Expected& e = premultiply ? premultiplied[x] : straight[x];
        const BYTE* p = const_cast<CImage*>(image)->GetPixelAddress(x, 0);
        ASSERT_NE(nullptr, p);
        EXPECT_EQ(e.b, p[0]) << "pixel " << x;
        EXPECT_EQ(e.g, p[1]) << "pixel " << x;
        EXPECT_EQ(e.r, p[2]) << "pixel " << x;
        EXPECT_EQ(e.a, p[3]) << "pixel " << x;
      }
    }
    // A 24-bit image has no alpha to apply.
    const BYTE* rgb = const_cast<CImage&>(button.HoverImage()).GetPixelAddress(0, 0);
    EXPECT_EQ(24, button.HoverImage().GetBPP());
    EXPECT_EQ(50, rgb[0]);
    EXPECT_EQ(100, rgb[1]);
    EXPECT_EQ(200, rgb[2]);
  }
}

TEST(MyButton, SetUpFailsAndLeavesTheButtonInPlaceWithoutAllThreeImages) {
  ASSERT_TRUE(test_png::WriteSolidPng("one.png", 35, 35, 1, 2, 3, 255));
  struct Case {
    const char* normal;
    const char* press;
    const char* hover;
    bool ok;
  } cases[] = {
      {"", "one.png", "one.png", false},
      {"one.png", "", "one.png", false},
      {"one.png", "one.png", "", false},
      {"one.png", "missing.png", "one.png", false},
      {"one.png", "one.png", "missing.png", false},
      {"one.png", "one.png", "one.png", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.normal << "|" << c.press << "|" << c.hover);
    Host host("BUTTON", BS_OWNERDRAW, {10, 20, 30, 40});
    CMyButton button;
    ASSERT_TRUE(button.SubclassWindow(host.child));
    button.SetImages(c.normal, c.press, c.hover);
    EXPECT_EQ(c.ok, button.InitButton(50, 60, 35, 35, true));
    RECT expected = c.ok ? RECT{50, 60, 85, 95} : RECT{10, 20, 30, 40};
    EXPECT_TRUE(::EqualRect(&expected, &static_cast<const RECT&>(host.ChildRect())));
  }
}

// The background under the button: a picture where every pixel differs.
COLORREF BackgroundAt(int x, int y) { return RGB(x * 4, y * 4, 77); }

void WriteBackground() {
  std::vector<uint8_t> pixels;
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 60; ++x) {
      COLORREF c = BackgroundAt(x, y);
      pixels.insert(pixels.end(), {GetRValue(c), GetGValue(c), GetBValue(c)});
    }
  }
  ASSERT_TRUE(test_png::WritePng("back.png", 60, 60, false, pixels));
}

TEST(MyButton, DrawsTheStateImageOverTheParentsBackgroundRegion) {
  WriteBackground();
  // Normal: left half fully transparent, right half opaque red.
  std::vector<uint8_t> half;
  for (int y = 0; y < 35; ++y) {
    for (int x = 0; x < 35; ++x) {
      std::vector<uint8_t> p = x < 17 ? std::vector<uint8_t>{90, 90, 90, 0}
                                      : std::vector<uint8_t>{255, 0, 0, 255};
      half.insert(half.end(), p.begin(), p.end());
    }
  }
  ASSERT_TRUE(test_png::WritePng("half.png", 35, 35, true, half));
  ASSERT_TRUE(test_png::WriteSolidPng("blue.png", 35, 35, 0, 0, 255, 255));
  ASSERT_TRUE(test_png::WriteSolidPng("small.png", 20, 20, 255, 0, 0, 255));

  // The button sits at (10, 20) in its parent; its pixel (x, y) lies over
  // background pixel (10 + x, 20 + y).
  const COLORREF red = RGB(255, 0, 0), blue = RGB(0, 0, 255);
  struct Case {
    const char* what;
    const char* normal;
    UINT state;
    POINT at;
    COLORREF expected;
  } cases[] = {
      {"transparent part shows the background", "half.png", 0, {5, 5}, BackgroundAt(15, 25)},
      {"opaque part shows the image", "half.png", 0, {30, 5}, red},
      {"focus is drawn like normal", "half.png", ODS_FOCUS, {5, 30}, BackgroundAt(15, 50)},
      {"selected shows the pressed image", "half.png", ODS_SELECTED, {5, 5}, blue},
      {"image smaller than the button still draws", "small.png", 0, {5, 5}, red},
      {"beyond the smaller image: background", "small.png", 0, {30, 30}, BackgroundAt(40, 50)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Host host("BUTTON", BS_OWNERDRAW, {10, 20, 45, 55});
    CMyButton button;
    ASSERT_TRUE(button.SubclassWindow(host.child));
    button.SetImages(c.normal, "blue.png", "blue.png");
    ASSERT_TRUE(button.InitButton(10, 20, 35, 35, true));
    button.SetBackImage("back.png");

    BitmapProbe probe(35, 35);
    probe.Fill(RGB(1, 1, 1));
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_BUTTON;
    item.hwndItem = host.child;
    item.hDC = probe.dc();
    item.rcItem = {0, 0, 35, 35};
    item.itemState = c.state;
    button.DrawItem(&item);
    EXPECT_EQ(c.expected, probe.At(c.at.x, c.at.y));
  }
}

TEST(MyButton, HoverShowsTheHoverImageAtOnceAndLeavingRestoresTheNormalOne) {
  ASSERT_TRUE(test_png::WriteSolidPng("red.png", 35, 35, 255, 0, 0, 255));
  ASSERT_TRUE(test_png::WriteSolidPng("green.png", 35, 35, 0, 255, 0, 255));
  ASSERT_TRUE(test_png::WriteSolidPng("blue.png", 35, 35, 0, 0, 255, 255));
  Host host("BUTTON", BS_OWNERDRAW, {10, 20, 45, 55});
  CWnd parent;  // hands the owner-draw request back to the button
  CMyButton button;
  ASSERT_TRUE(parent.SubclassWindow(host.parent));
  ASSERT_TRUE(button.SubclassWindow(host.child));
  button.SetImages("red.png", "blue.png", "green.png");
  ASSERT_TRUE(button.InitButton(10, 20, 35, 35, true));
  ::ShowWindow(host.parent, SW_SHOWNOACTIVATE);

  auto shown = [&] {
    ::UpdateWindow(host.parent);
    HDC dc = ::GetDC(host.child);
    COLORREF c = ::GetPixel(dc, 17, 17);
    ::ReleaseDC(host.child, dc);
    return c;
  };
  EXPECT_EQ(RGB(255, 0, 0), shown());
  button.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(17, 17));
  button.SendMessage(WM_MOUSEHOVER, 0, MAKELPARAM(17, 17));
  EXPECT_EQ(RGB(0, 255, 0), shown());
  button.SendMessage(WM_MOUSELEAVE);
  EXPECT_EQ(RGB(255, 0, 0), shown());
}

TEST(Caption, AnswersItsColourRequestTransparentBlackInItsFont) {
  Host host("STATIC", SS_LEFT, {4, 8, 109, 38});
  CWnd parent;  // passes the request on to the control
  CCaption caption;
  ASSERT_TRUE(parent.SubclassWindow(host.parent));
  ASSERT_TRUE(caption.SubclassWindow(host.child));

  BitmapProbe probe(8, 8);
  ::SetBkMode(probe.dc(), OPAQUE);
  ::SetTextColor(probe.dc(), RGB(1, 2, 3));
  LRESULT brush = ::SendMessageA(host.parent, WM_CTLCOLORSTATIC,
                                 reinterpret_cast<WPARAM>(probe.dc()),
                                 reinterpret_cast<LPARAM>(host.child));
  EXPECT_EQ(reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH)), brush);
  EXPECT_EQ(TRANSPARENT, ::GetBkMode(probe.dc()));
  EXPECT_EQ(RGB(0, 0, 0), ::GetTextColor(probe.dc()));
  HGDIOBJ font = ::GetCurrentObject(probe.dc(), OBJ_FONT);
  EXPECT_EQ(CCaption::Font(), font);
  LOGFONTA logFont = {};
  ASSERT_TRUE(::GetObjectA(font, sizeof logFont, &logFont));
  EXPECT_EQ(22, logFont.lfHeight);
  EXPECT_EQ(37, logFont.lfWeight);
  EXPECT_EQ(0, logFont.lfCharSet);
  EXPECT_STREQ("宋体", logFont.lfFaceName);

  // Without a device context the control gives no brush and the parent's
  // own answer stands.
  LRESULT fallback = ::SendMessageA(host.parent, WM_CTLCOLORSTATIC, 0,
                                    reinterpret_cast<LPARAM>(host.child));
  EXPECT_NE(reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH)), fallback);
}

TEST(GradientProgress, PercentTextIsRoundedPositionOverUpper) {
  struct Case {
    int position, upper;
    const char* text;
  } cases[] = {{1, 100, "1%"},  {50, 100, "50%"}, {99, 100, "99%"},
               {1, 3, "33%"},   {2, 3, "67%"},    {0, 0, ""}};
  for (const Case& c : cases) {
    EXPECT_EQ(c.text, CGradientProgressCtrl::FormatPercent(c.position, c.upper))
        << c.position << "/" << c.upper;
  }
}

constexpr int kBarWidth = 340;
constexpr int kBarHeight = 12;
constexpr COLORREF kSentinel = RGB(255, 0, 255);

// Runs of equal colour along a row, up to (not including) `end`.
std::vector<COLORREF> Runs(const BitmapProbe& probe, int y, int end) {
  std::vector<COLORREF> runs;
  for (int x = 0; x < end; ++x) {
    COLORREF c = probe.At(x, y);
    if (runs.empty() || runs.back() != c) runs.push_back(c);
  }
  return runs;
}

TEST(GradientProgress, FillsTheBandsUpToTheFirstOnePastThePosition) {
  // With the default colours green falls by exactly one per band (253 bands),
  // so every band is one run of its own colour; the width is 340 pixels.
  struct Case {
    int position, upper;
    int bands;      // bands drawn before the rest is background; 0: empty bar
    int filledTo;   // x where the background begins
  } cases[] = {
      {1, 100, 3, 4},       // 1 % is 3.4 px: the third band (2..4) passes it
      {50, 100, 128, 172},
      {99, 100, 251, 337},
      {999, 1000, 253, 340},  // the whole gradient
      {100, 100, 0, 0},      // at the upper bound: empty bar
      {0, 100, 0, 0},        // at the lower bound: empty bar
  };
  const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.position << " of " << c.upper);
    CGradientProgressCtrl bar;
    bar.m_nUpper = c.upper;
    bar.m_nCurrentPosition = c.position;
    BitmapProbe probe(kBarWidth, kBarHeight);
    probe.Fill(kSentinel);
    CDC dc(probe.dc());
    bar.DrawBar(&dc, CRect(0, 0, kBarWidth, kBarHeight));

    if (c.bands == 0) {
      EXPECT_EQ(std::vector<COLORREF>{face}, Runs(probe, 0, kBarWidth));
      EXPECT_EQ(std::vector<COLORREF>{face}, Runs(probe, kBarHeight - 1, kBarWidth));
      continue;
    }
    for (int y : {0, kBarHeight / 2, kBarHeight - 1}) {
      std::vector<COLORREF> runs = Runs(probe, y, c.filledTo);
      ASSERT_EQ(static_cast<size_t>(c.bands), runs.size()) << "row " << y;
      EXPECT_EQ(RGB(219, 253, 255), runs.front());
      for (int i = 0; i < c.bands; ++i) {
        EXPECT_EQ(253 - i, GetGValue(runs[i])) << "band " << i;
      }
      for (int x = c.filledTo; x < kBarWidth; ++x) {
        ASSERT_EQ(bar.m_clrBkGround, probe.At(x, y)) << "x " << x << " row " << y;
      }
    }
  }
}

TEST(GradientProgress, PercentTextIsDrawnOnlyWhenAskedFor) {
  for (BOOL show : {FALSE, TRUE}) {
    CGradientProgressCtrl bar;
    bar.m_nCurrentPosition = 50;
    bar.SetShowPercent(show);
    BitmapProbe probe(kBarWidth, 20);
    CDC dc(probe.dc());
    bar.DrawBar(&dc, CRect(0, 0, kBarWidth, 20));
    // Text pixels: near the text colour, which no band comes close to.
    int textPixels = 0;
    for (int y = 0; y < 20; ++y) {
      for (int x = 120; x < 220; ++x) {
        COLORREF p = probe.At(x, y);
        int d = std::abs(GetRValue(p) - 95) + std::abs(GetGValue(p) - 60) +
                std::abs(GetBValue(p) - 119);
        textPixels += d < 60;
      }
    }
    if (show) {
      EXPECT_GT(textPixels, 5);
    } else {
      EXPECT_EQ(0, textPixels);
    }
  }
}

TEST(GradientProgress, OddRangesStayInsideTheBar) {
  struct Case {
    int lower, position, upper;
  } cases[] = {{-10, -5, 0}, {-10, -5, -1}, {-100, 50, 60}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.lower << " < " << c.position << " < " << c.upper);
    CGradientProgressCtrl bar;
    bar.m_nLower = c.lower;
    bar.m_nCurrentPosition = c.position;
    bar.m_nUpper = c.upper;
    bar.SetShowPercent(TRUE);
    BitmapProbe probe(kBarWidth, kBarHeight);
    probe.Fill(kSentinel);
    CDC dc(probe.dc());
    bar.DrawBar(&dc, CRect(0, 0, kBarWidth, kBarHeight));
    for (int x = 0; x < kBarWidth; ++x) ASSERT_NE(kSentinel, probe.At(x, 0)) << "x " << x;
  }
}

TEST(ProgressMemDC, DrawsInTargetCoordinatesAndCopiesOnlyTheClipBox) {
  BitmapProbe probe(20, 10);
  probe.Fill(kSentinel);
  CDC target(probe.dc());
  ::IntersectClipRect(probe.dc(), 5, 2, 15, 8);
  {
    CProgressMemDC memory(&target);
    EXPECT_TRUE(memory.IsOffScreen());
    memory.FillSolidRect(0, 0, 20, 10, RGB(0, 200, 0));
    memory.FillSolidRect(5, 2, 1, 1, RGB(200, 0, 0));
    EXPECT_EQ(kSentinel, probe.At(7, 4));  // nothing reaches the target early
  }
  struct Case {
    int x, y;
    COLORREF expected;
  } cases[] = {{5, 2, RGB(200, 0, 0)}, {6, 2, RGB(0, 200, 0)}, {14, 7, RGB(0, 200, 0)},
               {4, 2, kSentinel},      {15, 7, kSentinel},     {5, 8, kSentinel}};
  for (const Case& c : cases) EXPECT_EQ(c.expected, probe.At(c.x, c.y)) << c.x << "," << c.y;
}

}  // namespace
