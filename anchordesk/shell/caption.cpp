#include "shell/caption.h"

IMPLEMENT_DYNAMIC(CCaption, CStatic)

BEGIN_MESSAGE_MAP(CCaption, CStatic)
  ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

CCaption::~CCaption() = default;

HFONT CCaption::Font() {
  // Made once and kept for the life of the process, so it stays valid for
  // as long as any caption paints with it.
  static const HFONT font = ::CreateFontA(22, 0, 0, 0, 37, FALSE, FALSE, FALSE, 0,
                                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                          DEFAULT_QUALITY, DEFAULT_PITCH, "宋体");
  return font;
}

HBRUSH CCaption::CtlColor(CDC* dc, UINT) {
  if (dc == nullptr || dc->m_hDC == nullptr) return nullptr;
  dc->SetBkMode(TRANSPARENT);
  dc->SetTextColor(RGB(0, 0, 0));
  dc->SelectObject(Font());
  return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}
