#include "environment.h"

#include <windows.h>

#include <vector>

namespace livesdk_impl
{
    std::string ReadEnvironment(const char* name)
    {
        std::vector<char> buffer(512);
        for (;;)
        {
            const DWORD length = GetEnvironmentVariableA(name, buffer.data(), static_cast<DWORD>(buffer.size()));
            if (length == 0)
                return std::string();
            if (length < buffer.size())
                return std::string(buffer.data(), length);
            buffer.resize(length + 1);
        }
    }

    std::string FileNameFromEnvironment(const std::string& value)
    {
        if (value.empty() || value[0] != '/')
            return value;
        std::string name = "Z:" + value;
        for (char& c : name)
        {
            if (c == '/')
                c = '\\';
        }
        return name;
    }
}
