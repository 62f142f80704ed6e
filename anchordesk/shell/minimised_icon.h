#pragma once

#include <afx/afx.h>

// Paints a minimised dialog: the icon background, then `icon` centred in the
// client area. Call from the dialog's paint handler while IsIconic().
void PaintMinimisedIcon(CWnd& dialog, HICON icon);
