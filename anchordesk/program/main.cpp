#include "live_tool_app.h"

// The entry point hands over to the framework, which runs the application
// object's InitInstance.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand)
{
    return AfxWinMain(instance, previous, commandLine, showCommand);
}
