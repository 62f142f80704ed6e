#include "live_tool_app.h"

// The dialog framework's entry point, until the program is built on it:
// everything happens in the application object's InitInstance.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    theApp.InitInstance();
    return 0;
}
