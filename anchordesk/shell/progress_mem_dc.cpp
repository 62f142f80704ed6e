#include "shell/progress_mem_dc.h"

CProgressMemDC::CProgressMemDC(CDC* target) : m_pDC(target) {
  if (target == nullptr || target->m_hDC == nullptr) return;
  if (!target->IsPrinting()) {
    target->GetClipBox(&m_rect);
    if (!m_rect.IsRectEmpty() && CreateCompatibleDC(target) &&
        m_bitmap.CreateCompatibleBitmap(target, m_rect.Width(), m_rect.Height())) {
      m_oldBitmap = SelectObject(&m_bitmap);
      SetWindowOrg(m_rect.left, m_rect.top);
      m_bMemDC = true;
      return;
    }
    DeleteDC();
  }
  Attach(target->m_hDC);  // draw straight onto the target
}

CProgressMemDC::~CProgressMemDC() {
  if (m_bMemDC) {
    m_pDC->BitBlt(m_rect.left, m_rect.top, m_rect.Width(), m_rect.Height(), this, m_rect.left,
                  m_rect.top, SRCCOPY);
    SelectObject(m_oldBitmap);
  } else {
    Detach();
  }
}
