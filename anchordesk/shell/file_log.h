#pragma once

#include <string>

enum LogLevel { LOG_INFO = 0, LOG_WARNING = 1, LOG_ERROR = 2, LOG_FATAL = 3 };

// Largest "log.txt" that is still appended to; a bigger file is emptied by the
// next call before it writes its own line.
constexpr long kLogFileSizeLimit = 5 * 1024 * 1024;

// Appends one line to "log.txt" beside the executable:
//   "[YYYY-mm-dd HH:MM:SS] " function "\tline:" line "\t" level-word message " " CR LF
// Safe from any thread; never reports a failure to the caller.
void WriteLog(int level, std::string functionName, int line, const char* message);
