// The PNG image class: what GDI+ decodes, in the DIB form the skinned
// controls rely on (32-bit, not premultiplied, alpha flag; or 24-bit).

#include <gtest/gtest.h>

#include <cstdio>

#include "afx/image.h"
#include "bitmap_probe.h"
#include "png_writer.h"

namespace {

TEST(AfxImage, AlphaPngBecomes32BitDibWithStraightColours) {
  // R, G, B, A per pixel, 2 × 2.
  const std::vector<uint8_t> pixels = {200, 100, 50, 128,  10, 20, 30, 0,
                                       255, 255, 255, 255, 1,  2,  3,  4};
  ASSERT_TRUE(test_png::WritePng("alpha.png", 2, 2, true, pixels));
  CImage image;
  ASSERT_EQ(S_OK, image.Load("alpha.png"));
  EXPECT_EQ(2, image.GetWidth());
  EXPECT_EQ(2, image.GetHeight());
  EXPECT_EQ(32, image.GetBPP());
  EXPECT_TRUE(image.HasAlphaChannel());
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    const BYTE* p = image.GetPixelAddress(i % 2, i / 2);
    ASSERT_NE(nullptr, p);
    EXPECT_EQ(pixels[i * 4 + 2], p[0]);  // blue
    EXPECT_EQ(pixels[i * 4 + 1], p[1]);  // green
    EXPECT_EQ(pixels[i * 4 + 0], p[2]);  // red
    EXPECT_EQ(pixels[i * 4 + 3], p[3]);  // alpha, colours not premultiplied
  }
  EXPECT_EQ(nullptr, image.GetPixelAddress(2, 0));
  EXPECT_EQ(nullptr, image.GetPixelAddress(0, -1));
}

TEST(AfxImage, OpaquePngBecomes24BitDibWithoutAlpha) {
  const std::vector<uint8_t> pixels = {1, 2, 3, 40, 50, 60, 250, 251, 252};
  ASSERT_TRUE(test_png::WritePng("opaque.png", 3, 1, false, pixels));
  CImage image;
  ASSERT_EQ(S_OK, image.Load("opaque.png"));
  EXPECT_EQ(24, image.GetBPP());
  EXPECT_FALSE(image.HasAlphaChannel());
  EXPECT_EQ(12, image.GetPitch());  // 9 bytes rounded up to whole 32-bit words
  const BYTE* p = image.GetPixelAddress(2, 0);
  ASSERT_NE(nullptr, p);
  EXPECT_EQ(252, p[0]);
  EXPECT_EQ(251, p[1]);
  EXPECT_EQ(250, p[2]);
}

TEST(AfxImage, UnreadableFilesAreRefusedAndLeaveNoImage) {
  ASSERT_TRUE(test_png::WriteSolidPng("good.png", 4, 4, 9, 9, 9));
  FILE* f = std::fopen("text.png", "wb");
  ASSERT_NE(nullptr, f);
  std::fputs("not a picture", f);
  std::fclose(f);
  // The first 40 bytes of a valid file: header and part of IHDR only.
  f = std::fopen("good.png", "rb");
  ASSERT_NE(nullptr, f);
  char head[40];
  size_t n = std::fread(head, 1, sizeof head, f);
  std::fclose(f);
  f = std::fopen("truncated.png", "wb");
  std::fwrite(head, 1, n, f);
  std::fclose(f);

  const char* refused[] = {"missing.png", "", nullptr, "text.png", "truncated.png"};
  for (const char* path : refused) {
    SCOPED_TRACE(path ? path : "(null)");
    CImage image;
    ASSERT_EQ(S_OK, image.Load("good.png"));
    EXPECT_EQ(E_FAIL, image.Load(path));  // replaces the loaded picture
    EXPECT_TRUE(image.IsNull());
    EXPECT_EQ(0, image.GetWidth());
    EXPECT_FALSE(image.Draw(nullptr, 0, 0, 1, 1, 0, 0, 1, 1));
  }
}

TEST(AfxImage, DrawCopiesOpaqueImagesAndBlendsPerPixelAlpha) {
  // Left pixel fully transparent (and, premultiplied, black); right opaque.
  ASSERT_TRUE(test_png::WritePng("blend.png", 2, 1, true, {0, 0, 0, 0, 40, 80, 120, 255}));
  ASSERT_TRUE(test_png::WritePng("copy.png", 2, 1, false, {0, 0, 0, 40, 80, 120}));
  struct Case {
    const char* file;
    COLORREF left;
  } cases[] = {{"blend.png", RGB(9, 9, 9)}, {"copy.png", RGB(0, 0, 0)}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    CImage image;
    ASSERT_EQ(S_OK, image.Load(c.file));
    BitmapProbe probe(2, 1);
    probe.Fill(RGB(9, 9, 9));
    ASSERT_TRUE(image.Draw(probe.dc(), 0, 0, 2, 1, 0, 0, 2, 1));
    EXPECT_EQ(c.left, probe.At(0, 0));
    EXPECT_EQ(RGB(40, 80, 120), probe.At(1, 0));
  }
}

}  // namespace
