#include "shell/gradient_progress.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "shell/progress_mem_dc.h"

BEGIN_MESSAGE_MAP(CGradientProgressCtrl, CProgressCtrl)
  ON_WM_PAINT()
  ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CGradientProgressCtrl::CGradientProgressCtrl() : m_clrBkGround(::GetSysColor(COLOR_BTNFACE)) {}

CGradientProgressCtrl::~CGradientProgressCtrl() = default;

void CGradientProgressCtrl::SetRange(int lower, int upper) {
  m_nUpper = upper;
  m_nLower = lower;
  m_nCurrentPosition = lower;
  CProgressCtrl::SetRange(static_cast<short>(lower), static_cast<short>(upper));
}

void CGradientProgressCtrl::SetPos(int position) {
  m_nCurrentPosition = position;
  CProgressCtrl::SetPos(position);
}

std::string CGradientProgressCtrl::FormatPercent(int position, int upper) {
  if (upper == 0) return std::string();
  float percent = static_cast<float>(position) * 100.0f / static_cast<float>(upper);
  char text[32];
  std::snprintf(text, sizeof text, "%.0f%%", static_cast<double>(percent));
  return text;
}

void CGradientProgressCtrl::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  DrawBar(&dc, client);
}

BOOL CGradientProgressCtrl::OnEraseBkgnd(CDC*) {
  return TRUE;  // the paint covers everything; erasing first would flicker
}

void CGradientProgressCtrl::DrawBar(CDC* dc, const CRect& client) {
  if (dc == nullptr) return;
  if (m_nLower < m_nCurrentPosition && m_nCurrentPosition < m_nUpper && m_nUpper != 0) {
    // The filled part is position / upper of the width; the lower bound does
    // not enter. Kept within the bar, whatever odd range the owner set.
    float filled = static_cast<float>(m_nCurrentPosition) / static_cast<float>(m_nUpper) *
                   static_cast<float>(client.right);
    filled = std::max(0.0f, std::min(filled, static_cast<float>(client.right)));
    {
      CProgressMemDC memory(dc);
      DrawGradient(&memory, client, static_cast<int>(filled));
    }
    if (m_bShowPercent) {
      std::string text = FormatPercent(m_nCurrentPosition, m_nUpper);
      dc->SetTextColor(m_clrText);
      dc->SetBkMode(TRANSPARENT);
      CRect area = client;
      dc->DrawText(text.c_str(), -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
  } else {
    dc->FillSolidRect(client, ::GetSysColor(COLOR_BTNFACE));
  }
}

void CGradientProgressCtrl::DrawGradient(CDC* dc, const CRect& client, int filledWidth) {
  const int startRed = GetRValue(m_clrStart);
  const int startGreen = GetGValue(m_clrStart);
  const int startBlue = GetBValue(m_clrStart);
  const int diffRed = GetRValue(m_clrEnd) - startRed;
  const int diffGreen = GetGValue(m_clrEnd) - startGreen;
  const int diffBlue = GetBValue(m_clrEnd) - startBlue;

  // One band per step of the channel that changes most.
  const int bands = std::max({std::abs(diffRed), std::abs(diffGreen), std::abs(diffBlue)});
  if (bands == 0) return;
  const float bandWidth = static_cast<float>(client.right) / static_cast<float>(bands);
  const float stepRed = static_cast<float>(diffRed) / static_cast<float>(bands);
  const float stepGreen = static_cast<float>(diffGreen) / static_cast<float>(bands);
  const float stepBlue = static_cast<float>(diffBlue) / static_cast<float>(bands);

  for (int i = 0; i < bands; ++i) {
    const float at = static_cast<float>(i);
    CRect band(static_cast<int>(at * bandWidth), 0, static_cast<int>((at + 1.0f) * bandWidth),
               client.bottom + 1);
    const COLORREF color =
        RGB(static_cast<BYTE>(static_cast<int>(static_cast<float>(startRed) + at * stepRed)),
            static_cast<BYTE>(static_cast<int>(static_cast<float>(startGreen) + at * stepGreen)),
            static_cast<BYTE>(static_cast<int>(static_cast<float>(startBlue) + at * stepBlue)));
    CBrush brush;
    brush.CreateSolidBrush(color);
    dc->FillRect(band, brush);
    if (band.right > filledWidth) {
      CRect rest(band.right, 0, client.right, client.bottom);
      CBrush background;
      background.CreateSolidBrush(m_clrBkGround);
      dc->FillRect(rest, background);
      break;
    }
  }
}
