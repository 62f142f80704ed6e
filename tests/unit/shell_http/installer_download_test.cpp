#include "shell/installer_download.h"
#include "../../support/file_helpers.h"
#include "../../support/scripted_http_server.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

namespace {

const char kUrl[] = "http://127.0.0.1/quorapk/installer.exe";
const std::string kTarget = "download-test\\setup.exe";

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Body(size_t size)
{
    std::string body(size, '\0');
    for (size_t i = 0; i < size; ++i)
        body[i] = static_cast<char>('a' + i % 26);
    return body;
}

class InstallerDownload : public ::testing::Test {
protected:
    void SetUp() override
    {
        DeleteFileA(kTarget.c_str());
        RemoveDirectoryA("download-test");
    }
    void TearDown() override { SetUp(); }
};

TEST_F(InstallerDownload, CompleteDownloadReportsEveryTenthChunkAndCreatesTheFolder)
{
    const std::string body = Body(5000);
    ScriptedServer server("HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n" + body);
    ASSERT_TRUE(server.Ready());

    std::vector<int> positions;
    CInstallerDownload download;
    const auto outcome = download.Run(kUrl, kTarget, [&](int position) { positions.push_back(position); });

    EXPECT_TRUE(outcome.complete) << outcome.failure;
    EXPECT_EQ(positions, std::vector<int>({20})) << "first of five 1,024-byte chunks only";
    EXPECT_EQ(ReadFileBytes(kTarget), body);
    EXPECT_EQ(server.Request().substr(0, 40), "GET /quorapk/installer.exe HTTP/1.1\r\nHos");
}

TEST_F(InstallerDownload, NothingIsKeptUnlessEveryAnnouncedByteArrived)
{
    struct Case {
        const char* name;
        std::string reply;
    };
    const Case cases[] = {
        {"error page", "HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot found"},
        {"zero length", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n"},
        {"no length", "HTTP/1.1 200 OK\r\n\r\n" + Body(3000)},
        {"cut transfer", "HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n" + Body(3000)},
        {"no header at all", "garbage"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFileBytes("stale.exe", "old");
        ScriptedServer server(c.reply);
        ASSERT_TRUE(server.Ready());
        CInstallerDownload download;
        const auto outcome = download.Run(kUrl, kTarget, nullptr);
        EXPECT_FALSE(outcome.complete);
        EXPECT_FALSE(outcome.failure.empty());
        EXPECT_FALSE(FileExists(kTarget)) << "a partial or wrong file was left behind";
    }
    DeleteFileA("stale.exe");
}

TEST_F(InstallerDownload, AnEarlierInstallerIsReplaced)
{
    CreateDirectoryA("download-test", nullptr);
    WriteFileBytes(kTarget, "an installer from an earlier run");
    ScriptedServer server("HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\nnew");
    ASSERT_TRUE(server.Ready());
    CInstallerDownload download;
    EXPECT_TRUE(download.Run(kUrl, kTarget, nullptr).complete);
    EXPECT_EQ(ReadFileBytes(kTarget), "new");
}

TEST_F(InstallerDownload, CancelEndsAStalledTransferAndRemovesThePart)
{
    // The server announces more than it sends and then holds the connection.
    ScriptedServer server("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" + Body(2048),
                          /*silent=*/false, /*closeAfterReply=*/false);
    ASSERT_TRUE(server.Ready());
    CInstallerDownload download;
    std::thread canceller([&] {
        Sleep(500);
        download.Cancel();
    });
    const auto outcome = download.Run(kUrl, kTarget, nullptr);
    canceller.join();

    EXPECT_FALSE(outcome.complete);
    EXPECT_EQ(outcome.failure, "cancelled");
    EXPECT_FALSE(FileExists(kTarget));
}

TEST_F(InstallerDownload, TargetIsTheDownloadFolderOfTheCurrentDirectory)
{
    char folder[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, folder);
    EXPECT_EQ(CInstallerDownload::TargetPath(), std::string(folder) + "\\download\\anchordesk安裝包.exe");
}

} // namespace
