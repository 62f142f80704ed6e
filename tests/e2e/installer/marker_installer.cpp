// Stands in for a downloaded installer in the update tests: when the program
// starts it, it leaves "installer-ran.txt" beside itself and ends. Built
// without the C runtime so that it is a few kilobytes; the tests pad it to
// the download sizes they need (trailing bytes do not disturb a program).
#include <windows.h>

extern "C" void MarkerEntry()
{
    char path[MAX_PATH + 32];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    while (length > 0 && path[length - 1] != '\\')
        --length;
    lstrcpyA(path + length, "installer-ran.txt");

    HANDLE marker = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (marker != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(marker, "installed\n", 10, &written, nullptr);
        CloseHandle(marker);
    }
    ExitProcess(0);
}
