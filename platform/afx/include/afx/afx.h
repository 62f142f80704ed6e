#pragma once

// Everything of the dialog-application layer in one include.

#include "afx/app.h"
#include "afx/controls.h"
#include "afx/dialog.h"
#include "afx/gdi.h"
#include "afx/image.h"
#include "afx/message_map.h"
#include "afx/types.h"
#include "afx/wnd.h"
