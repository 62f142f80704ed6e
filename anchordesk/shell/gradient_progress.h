#pragma once

#include <afx/afx.h>

#include <string>

// A progress bar painted as a colour gradient from m_clrStart to m_clrEnd,
// with an optional percentage text, drawn off-screen without erasing first.
// At or beyond its bounds it shows an empty bar in the button-face colour.
class CGradientProgressCtrl : public CProgressCtrl {
 public:
  CGradientProgressCtrl();
  ~CGradientProgressCtrl() override;

  void SetRange(int lower, int upper);
  void SetPos(int position);
  void SetShowPercent(BOOL show) { m_bShowPercent = show; }

  // What a paint draws, onto any context, for a client rectangle `client`
  // whose left and top are 0.
  void DrawBar(CDC* dc, const CRect& client);
  // "%.0f%%" of position × 100 / upper.
  static std::string FormatPercent(int position, int upper);

  int m_nLower = 0;
  int m_nUpper = 100;
  int m_nStep = 10;
  int m_nCurrentPosition = 0;
  COLORREF m_clrStart = RGB(219, 253, 255);
  COLORREF m_clrEnd = RGB(0, 0, 205);
  COLORREF m_clrBkGround;
  COLORREF m_clrText = RGB(95, 60, 119);
  BOOL m_bShowPercent = FALSE;

 protected:
  void OnPaint();
  BOOL OnEraseBkgnd(CDC* dc);

 private:
  void DrawGradient(CDC* dc, const CRect& client, int filledWidth);

  DECLARE_MESSAGE_MAP()
};
