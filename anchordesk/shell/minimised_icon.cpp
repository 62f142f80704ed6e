#include "shell/minimised_icon.h"

void PaintMinimisedIcon(CWnd& dialog, HICON icon) {
  CPaintDC dc(&dialog);
  dialog.SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
  CRect client;
  dialog.GetClientRect(&client);
  int x = (client.Width() - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
  int y = (client.Height() - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
  dc.DrawIcon(x, y, icon);
}
