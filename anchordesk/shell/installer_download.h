#pragma once

#include <winsock2.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>

// Downloads the installer over HTTP into a file. Only a complete download
// counts: the status must be 200, the length known and above zero, and
// every announced byte must arrive; otherwise the partial file is removed
// and nothing is left that could be started by mistake.
class CInstallerDownload {
public:
    struct Outcome {
        bool complete = false;
        int lastPosition = 0;  // the last progress position reported
        std::string failure;   // why it is not complete, for the log
    };

    // Called with the progress position (0 to 100) on the first chunk and on
    // every tenth chunk after it, from the thread that runs Run.
    using Progress = std::function<void(int position)>;

    // "<current directory>\download\anchordesk安裝包.exe"
    static std::string TargetPath();

    // Runs the whole download on the calling thread. The folder of
    // `targetPath` is created when missing; an existing file there is
    // deleted first.
    Outcome Run(const std::string& url, const std::string& targetPath, const Progress& progress);

    // Any thread: makes a running download end soon as a failure.
    void Cancel();

private:
    std::atomic<bool> m_cancelled{false};
    std::mutex m_socketMutex;
    SOCKET m_socket = INVALID_SOCKET;
};
