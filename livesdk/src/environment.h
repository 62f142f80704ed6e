#pragma once

// Test control is read from the process environment, through the Win32 copy
// of it so that a value set with SetEnvironmentVariable is seen too.

#include <string>

namespace livesdk_impl
{
    // The variable's value, or an empty text when it is not set.
    std::string ReadEnvironment(const char* name);

    // A file name as given in the environment. A Linux path (starting with
    // '/') is taken on drive Z:, which Wine maps to the Linux root, so that a
    // test driver on Linux can name its own files.
    std::string FileNameFromEnvironment(const std::string& value);
}
