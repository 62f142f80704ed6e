#include "shell/version_check.h"

#include "shell/app_paths.h"
#include "shell/file_log.h"
#include "shell/http_socket.h"
#include "streaming/ini_file.h"

#include <windows.h>

#include <cstdlib>
#include <sstream>

namespace {

const char kDefaultUpdateHost[] = "dl.anchorlive.example";
const char kVersionFilePath[] = "/zudodovide/vlver.ini";
// The installer's name on the server is the program's name in UTF-8, every
// byte percent-encoded.
const char kInstallerPath[] = "/quorapk/%61%6E%63%68%6F%72%64%65%73%6B.exe";

// A version file is a few bytes; refuse to hold more than this of any body.
const size_t kMaxBodyBytes = 1024 * 1024;

std::string UpdateSetting(const char* key, const std::string& fallback)
{
    try {
        INIFile ini("conf.ini");
        ini.Select("Update");
        const std::string value = ini.Get(key, std::string());
        return value.empty() ? fallback : value;
    } catch (const IniDuplicateError& error) {
        WriteLog(LOG_INFO, "CLiveToolApp::CheckUpdate", __LINE__,
                 (std::string(error.what()) + "; using the built-in download server").c_str());
        return fallback;
    }
}

} // namespace

std::string VersionFileUrl()
{
    return "http://" + UpdateSetting("Host", kDefaultUpdateHost) + kVersionFilePath;
}

std::string InstallerUrl()
{
    return UpdateSetting("InstallerUrl", std::string("http://") + kDefaultUpdateHost + kInstallerPath);
}

void ParseVersion(const std::string& text, int components[4])
{
    std::string accumulator;
    int index = 0;
    for (char c : text) {
        if (c != '.') {
            accumulator += c;
            continue;
        }
        if (index < 4)
            components[index] = std::atoi(accumulator.c_str());
        accumulator.clear();
        ++index;
    }
    if (index < 4)
        components[index] = std::atoi(accumulator.c_str());
}

bool IsUpdateOffered(const int current[4], const int server[4])
{
    for (int i = 0; i < 4; ++i) {
        if (current[i] < server[i])
            return true;
    }
    return false;
}

std::string HttpGet(const std::string& url)
{
    std::string server, object;
    if (!SplitHttpUrl(url, server, object))
        return std::string();

    CHttpSocket http;
    long requestLength = 0;
    if (!http.FormatRequestHeader(server.c_str(), object.c_str(), requestLength) || !http.Socket() ||
        !http.Connect(server.c_str()) || !http.SendRequest())
        return std::string();
    http.SetTimeout(CHttpSocket::kDefaultTimeoutMs, 0);

    char lengthText[30] = {};
    http.GetField("Content-Length", lengthText, sizeof lengthText);
    const long announced = std::atol(lengthText);
    if (announced <= 0)
        return std::string();
    const size_t wanted = static_cast<size_t>(announced) < kMaxBodyBytes ? announced : kMaxBodyBytes;

    std::string body;
    char piece[1024];
    while (body.size() < wanted) {
        const int count = http.Receive(piece, sizeof piece);
        if (count <= 0)
            break;
        body.append(piece, static_cast<size_t>(count));
    }
    if (body.size() > wanted)
        body.resize(wanted);
    // The body is text: it ends at its first NUL.
    return std::string(body.c_str());
}

bool CheckForNewerVersion(int currentVersion[4], int serverVersion[4], std::string& serverVersionText)
{
    const std::string running = GetFileVersionString();
    ParseVersion(running, currentVersion);

    serverVersionText = HttpGet(VersionFileUrl());
    if (!serverVersionText.empty())
        serverVersionText.pop_back(); // the line end
    ParseVersion(serverVersionText, serverVersion);

    std::ostringstream message;
    message << "curver     " << running << "     serverver   " << serverVersionText;
    WriteLog(LOG_INFO, "CLiveToolApp::CheckUpdate", __LINE__, message.str().c_str());

    return IsUpdateOffered(currentVersion, serverVersion);
}
