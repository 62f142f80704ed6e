#pragma once

#include <afx/afx.h>

#include <string>

// An owner-drawn push button painted from three PNG images (normal, pressed,
// hover), alpha-blended over the part of the parent's background image that
// lies under it. The dialog control must have the BS_OWNERDRAW style.
class CMyButton : public CButton {
  DECLARE_DYNAMIC(CMyButton)

 public:
  CMyButton() = default;
  ~CMyButton() override;

  void SetImages(const char* normal, const char* press, const char* hover);
  // Loads the three images, premultiplies the 32-bit ones when asked (once,
  // here, never per paint) and moves the button to (x, y) with the given
  // size. False, with the button left where it was, when a path is empty or
  // an image cannot be loaded.
  bool InitButton(int x, int y, int width, int height, bool premultiply);
  // The parent's background image; an empty path or a failed load leaves none.
  void SetBackImage(const char* path);

  void DrawItem(DRAWITEMSTRUCT* item) override;

  const CImage& NormalImage() const { return m_imgNormal; }
  const CImage& PressImage() const { return m_imgPress; }
  const CImage& HoverImage() const { return m_imgHover; }

 protected:
  void OnMouseMove(UINT flags, CPoint point);
  void OnMouseHover(UINT flags, CPoint point);
  void OnMouseLeave();

 private:
  // Paints background region and state image into an off-screen bitmap of
  // width × height and copies it to `target` at (0, 0) in one block.
  void Compose(CDC* target, int width, int height, const CImage& state);

  std::string m_strNormal;
  std::string m_strPress;
  std::string m_strHover;
  CImage m_imgNormal;
  CImage m_imgPress;
  CImage m_imgHover;
  CImage m_imgBack;
  BOOL m_bTracking = FALSE;

  DECLARE_MESSAGE_MAP()
};

// Replaces blue, green and red of every pixel of a 32-bit image by
// floor(channel × alpha / 255), alpha unchanged. Other depths are left alone.
void PremultiplyAlpha(CImage& image);
