#pragma once

#include <string>

// Fills a 260-byte buffer with the folder of the running executable, a
// backslash and "log.txt".
void GetLogFilePath(char* buffer);

// The file version of "anchordesk.exe" in the current directory as
// "a.b.c.d"; empty when the file or its version resource cannot be read.
std::string GetFileVersionString();
