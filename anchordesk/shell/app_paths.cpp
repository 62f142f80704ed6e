#include "shell/app_paths.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

void GetLogFilePath(char* buffer)
{
    std::memset(buffer, 0, MAX_PATH);
    GetModuleFileNameA(nullptr, buffer, MAX_PATH - 1);
    if (char* lastSlash = std::strrchr(buffer, '\\'))
        std::memset(lastSlash, 0, MAX_PATH - (lastSlash - buffer));
    // Leave room for "\log.txt" even for an executable path near MAX_PATH.
    const size_t used = std::strlen(buffer);
    std::snprintf(buffer + used, MAX_PATH - used, "\\log.txt");
}

std::string GetFileVersionString()
{
    char path[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, path);
    std::strncat(path, "\\anchordesk.exe", MAX_PATH - std::strlen(path) - 1);

    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    if (size == 0)
        return std::string();

    std::vector<char> block(size);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT infoLength = 0;
    if (!GetFileVersionInfoA(path, 0, size, block.data()) ||
        !VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&info), &infoLength) ||
        info == nullptr)
        return std::string();

    char text[64];
    std::snprintf(text, sizeof text, "%d.%d.%d.%d",
                  static_cast<int>(HIWORD(info->dwFileVersionMS)),
                  static_cast<int>(LOWORD(info->dwFileVersionMS)),
                  static_cast<int>(HIWORD(info->dwFileVersionLS)),
                  static_cast<int>(LOWORD(info->dwFileVersionLS)));
    return text;
}
