#pragma once

#include <windows.h>

// Until the main window exists, a hidden window of this kind stands in for
// it on the user-interface thread: it creates the streaming controller with
// its handle, stores it in g_pLiveLianmai, starts the SDK and routes the
// SDK's posted messages to the controller, then runs the message loop until
// the window is closed. The main window takes all of this over.
void RunInterimWindow(HINSTANCE instance);
