#pragma once

#include <afx/afx.h>

// A static text in black "宋体" on a transparent background: the parent's
// background shows through. Answers the colour request the parent hands
// back to it.
class CCaption : public CStatic {
  DECLARE_DYNAMIC(CCaption)

 public:
  CCaption() = default;
  ~CCaption() override;

  // The font every caption draws with.
  static HFONT Font();

 protected:
  HBRUSH CtlColor(CDC* dc, UINT kind);

  DECLARE_MESSAGE_MAP()
};
