#pragma once

#include <string>

// UTF-8 to the system's ANSI code page (GBK on Chinese Windows), through
// UTF-16. Never fails: malformed UTF-8 and characters the code page lacks
// become its default character ("?"), and the text ends at its first NUL.
std::string ConvertUtf8ToAnsi(const std::string& utf8);
