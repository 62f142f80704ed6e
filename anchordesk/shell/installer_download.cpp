#include "shell/installer_download.h"

#include "shell/http_socket.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

void EnsureParentFolder(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/");
    if (slash != std::string::npos && slash > 0)
        CreateDirectoryA(path.substr(0, slash).c_str(), nullptr);
}

} // namespace

std::string CInstallerDownload::TargetPath()
{
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, folder);
    return std::string(folder) + "\\download\\anchordesk安裝包.exe";
}

void CInstallerDownload::Cancel()
{
    m_cancelled = true;
    std::lock_guard<std::mutex> lock(m_socketMutex);
    if (m_socket != INVALID_SOCKET)
        shutdown(m_socket, SD_BOTH);
}

CInstallerDownload::Outcome CInstallerDownload::Run(const std::string& url, const std::string& targetPath,
                                                    const Progress& progress)
{
    Outcome outcome;
    DeleteFileA(targetPath.c_str());

    std::string server, object;
    if (!SplitHttpUrl(url, server, object)) {
        outcome.failure = "not an http URL: " + url;
        return outcome;
    }

    CHttpSocket http;
    long requestLength = 0;
    if (!http.FormatRequestHeader(server.c_str(), object.c_str(), requestLength)) {
        outcome.failure = "request too long for " + url;
        return outcome;
    }
    if (!http.Socket() || !http.Connect(server.c_str())) {
        outcome.failure = "cannot connect to " + server + ":80";
        return outcome;
    }
    {
        std::lock_guard<std::mutex> lock(m_socketMutex);
        m_socket = http.Handle();
    }
    struct ForgetSocket {
        CInstallerDownload* self;
        ~ForgetSocket()
        {
            std::lock_guard<std::mutex> lock(self->m_socketMutex);
            self->m_socket = INVALID_SOCKET;
        }
    } forget{this};

    if (m_cancelled || !http.SendRequest()) {
        outcome.failure = m_cancelled ? "cancelled" : "the request could not be sent";
        return outcome;
    }
    http.SetTimeout(CHttpSocket::kDefaultTimeoutMs, 0);

    const int status = http.StatusCode();
    char lengthText[30] = {};
    http.GetField("Content-Length", lengthText, sizeof lengthText);
    const long long total = std::atoll(lengthText);
    if (status != 200) {
        outcome.failure = "HTTP status " + std::to_string(status);
        return outcome;
    }
    if (total <= 0) {
        outcome.failure = "no usable Content-Length (" + std::string(lengthText) + ")";
        return outcome;
    }

    EnsureParentFolder(targetPath);
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(targetPath.c_str(), "wb"));
    if (!file) {
        outcome.failure = "cannot create " + targetPath;
        return outcome;
    }

    long long received = 0;
    int chunk = 0;
    char buffer[1024];
    while (received < total && !m_cancelled) {
        const long long left = total - received;
        const int count = http.Receive(buffer, left < static_cast<long long>(sizeof buffer)
                                                   ? static_cast<int>(left)
                                                   : static_cast<int>(sizeof buffer));
        if (count <= 0)
            break;
        if (std::fwrite(buffer, 1, static_cast<size_t>(count), file.get()) != static_cast<size_t>(count)) {
            outcome.failure = "cannot write " + targetPath;
            break;
        }
        received += count;
        if (chunk % 10 == 0) {
            outcome.lastPosition = static_cast<int>(received * 100 / total);
            if (progress)
                progress(outcome.lastPosition);
        }
        ++chunk;
    }
    const bool closed = std::fclose(file.release()) == 0;

    if (outcome.failure.empty()) {
        if (m_cancelled)
            outcome.failure = "cancelled";
        else if (received < total)
            outcome.failure = "the transfer ended after " + std::to_string(received) + " of " +
                              std::to_string(total) + " bytes";
        else if (!closed)
            outcome.failure = "cannot finish writing " + targetPath;
    }
    if (!outcome.failure.empty()) {
        DeleteFileA(targetPath.c_str());
        return outcome;
    }
    outcome.complete = true;
    return outcome;
}
