#include "bridge/text_codec.h"

#include <windows.h>

#include <vector>

std::string ConvertUtf8ToAnsi(const std::string& utf8)
{
    // -1: the input counts as NUL-terminated, so conversion stops at the
    // first NUL and the lengths reported include the terminator.
    const int wideLength = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    if (wideLength <= 0)
        return std::string();
    std::vector<wchar_t> wide(static_cast<size_t>(wideLength) + 1, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide.data(), wideLength);

    const int ansiLength = WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, nullptr, 0, nullptr, nullptr);
    if (ansiLength <= 0)
        return std::string();
    std::vector<char> ansi(static_cast<size_t>(ansiLength) + 1, '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, ansi.data(), ansiLength, nullptr, nullptr);
    return std::string(ansi.data()); // up to the first NUL
}
