#include "shell/file_log.h"

#include "shell/app_paths.h"

#include <windows.h>

#include <cstdio>
#include <ctime>
#include <mutex>
#include <share.h>

namespace {

const char* LevelWord(int level)
{
    switch (level) {
    case LOG_WARNING: return "warning:\t";
    case LOG_ERROR:   return "error:\t";
    case LOG_FATAL:   return "fatal:\t";
    default:          return "info:\t";
    }
}

// Text mode: every "\n" written becomes CR LF on disk. Deny-none sharing lets
// other handles (a viewer, another process) read and write the file meanwhile.
FILE* OpenForAppend(const char* path) { return _fsopen(path, "at", _SH_DENYNO); }
FILE* OpenTruncated(const char* path) { return _fsopen(path, "wt", _SH_DENYNO); }

// One lock for the whole process: lines from different threads never
// interleave, and emptying the file never cuts another thread's line in half.
std::mutex& LogMutex()
{
    static std::mutex mutex;
    return mutex;
}

} // namespace

void WriteLog(int level, std::string functionName, int line, const char* message)
{
    try {
        std::lock_guard<std::mutex> lock(LogMutex());

        char path[MAX_PATH];
        GetLogFilePath(path);

        FILE* file = OpenForAppend(path);
        long size = -1; // unknown counts as over the limit
        if (file && std::fseek(file, 0, SEEK_END) == 0)
            size = std::ftell(file);
        if (size < 0 || size > kLogFileSizeLimit) {
            if (file)
                std::fclose(file);
            file = OpenTruncated(path);
        }
        if (!file)
            return;

        char timestamp[30] = {};
        const std::time_t now = std::time(nullptr);
        if (const std::tm* local = std::localtime(&now))
            std::strftime(timestamp, sizeof timestamp, "[%Y-%m-%d %H:%M:%S] ", local);
        std::fprintf(file, "%s%s\tline:%d\t%s", timestamp, functionName.c_str(), line, LevelWord(level));
        std::fclose(file);

        if ((file = OpenForAppend(path))) {
            std::fprintf(file, "%s ", message ? message : "");
            std::fclose(file);
        }
        if ((file = OpenForAppend(path))) {
            std::fputs("\n", file);
            std::fflush(file);
            std::fclose(file);
        }
    } catch (...) {
        // Logging must never take the caller down.
    }
}
