#pragma once

#include <afx/afx.h>

// Off-screen drawing for a target context: everything drawn on this object
// lands in a bitmap the size of the target's clip box, in the target's own
// coordinates, and is copied back to the target in one block when the object
// goes away. A printer context is drawn on directly; so is any target for
// which the off-screen bitmap cannot be made.
class CProgressMemDC : public CDC {
 public:
  explicit CProgressMemDC(CDC* target);
  ~CProgressMemDC() override;
  CProgressMemDC(const CProgressMemDC&) = delete;
  CProgressMemDC& operator=(const CProgressMemDC&) = delete;

  bool IsOffScreen() const { return m_bMemDC; }

 private:
  CBitmap m_bitmap;
  HGDIOBJ m_oldBitmap = nullptr;
  CDC* m_pDC;
  CRect m_rect;
  bool m_bMemDC = false;
};
