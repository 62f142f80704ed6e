#include "shell/app_paths.h"
#include "shell/file_log.h"
#include "../support/file_helpers.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <regex>
#include <set>
#include <thread>
#include <vector>

namespace {

std::string LogPath()
{
    char path[MAX_PATH];
    GetLogFilePath(path);
    return path;
}

const std::string kTimestamp = R"(\[\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\] )";

class FileLog : public ::testing::Test {
protected:
    void SetUp() override { DeleteFileA(LogPath().c_str()); }
    void TearDown() override { DeleteFileA(LogPath().c_str()); }
};

TEST_F(FileLog, PathIsBesideTheExecutableWhateverTheCurrentDirectory)
{
    char module[MAX_PATH];
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string folder(module);
    folder.resize(folder.rfind('\\'));

    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    SetCurrentDirectoryA("C:\\");
    const std::string path = LogPath();
    SetCurrentDirectoryA(previous);

    EXPECT_EQ(path, folder + "\\log.txt");
}

TEST_F(FileLog, LineLayout)
{
    struct Case {
        int level;
        const char* function;
        int line;
        const char* message;
        std::string expectedAfterTimestamp;
    };
    const Case cases[] = {
        {0, "CMsgBridge::WSMessage", 42, "hello", "CMsgBridge::WSMessage\tline:42\tinfo:\thello \r\n"},
        {1, "A::B", 7, "w", "A::B\tline:7\twarning:\tw \r\n"},
        {2, "A::B", 0, "e", "A::B\tline:0\terror:\te \r\n"},
        {3, "A::B", -12, "f", "A::B\tline:-12\tfatal:\tf \r\n"},
        {4, "A::B", 1, "out of range", "A::B\tline:1\tinfo:\tout of range \r\n"},
        {-1, "A::B", 1, "negative level", "A::B\tline:1\tinfo:\tnegative level \r\n"},
        {0, "A::B", 1, "two\nparts", "A::B\tline:1\tinfo:\ttwo\r\nparts \r\n"},
        {0, "A::B", 1, "cut\0here", "A::B\tline:1\tinfo:\tcut \r\n"},
        {0, "A::B", 1, "", "A::B\tline:1\tinfo:\t \r\n"},
        {0, "CLiveLianmai::onStartPush", 1, "中文", "CLiveLianmai::onStartPush\tline:1\tinfo:\t中文 \r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expectedAfterTimestamp);
        DeleteFileA(LogPath().c_str());
        WriteLog(c.level, c.function, c.line, c.message);
        const std::string content = ReadFileBytes(LogPath());
        ASSERT_TRUE(std::regex_match(content.substr(0, 22), std::regex(kTimestamp))) << content;
        EXPECT_EQ(content.substr(22), c.expectedAfterTimestamp);
    }
}

TEST_F(FileLog, AppendsUpToTheLimitAndEmptiesBeyondIt)
{
    // A file of exactly the limit is appended to.
    WriteFileBytes(LogPath(), std::string(kLogFileSizeLimit, 'x'));
    WriteLog(0, "A::B", 1, "kept");
    std::string content = ReadFileBytes(LogPath());
    ASSERT_GT(content.size(), static_cast<size_t>(kLogFileSizeLimit));
    EXPECT_EQ(content.substr(0, kLogFileSizeLimit), std::string(kLogFileSizeLimit, 'x'));
    EXPECT_EQ(content.substr(content.size() - 7), "kept \r\n");

    // One byte more and the next line starts a new file.
    WriteFileBytes(LogPath(), std::string(kLogFileSizeLimit + 1, 'x'));
    WriteLog(0, "A::B", 1, "fresh");
    content = ReadFileBytes(LogPath());
    EXPECT_TRUE(std::regex_match(content, std::regex(kTimestamp + "A::B\tline:1\tinfo:\tfresh \r\n")))
        << content.substr(0, 80);
}

TEST_F(FileLog, ConcurrentWritersProduceOnlyWholeLines)
{
    constexpr int kThreads = 6;
    constexpr int kLinesEach = 150;
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([t] {
            for (int i = 0; i < kLinesEach; ++i) {
                const std::string message = "writer " + std::to_string(t) + " line " + std::to_string(i);
                WriteLog(0, "Test::Writer", t, message.c_str());
            }
        });
    }
    for (std::thread& writer : writers)
        writer.join();

    const std::string content = ReadFileBytes(LogPath());
    const std::regex wholeLine(kTimestamp + R"(Test::Writer\tline:(\d+)\tinfo:\twriter (\d+) line (\d+) )");
    std::set<std::string> seen;
    size_t start = 0;
    while (start < content.size()) {
        const size_t end = content.find("\r\n", start);
        ASSERT_NE(end, std::string::npos) << "unterminated last line";
        const std::string line = content.substr(start, end - start);
        std::smatch match;
        ASSERT_TRUE(std::regex_match(line, match, wholeLine)) << "torn line: " << line;
        EXPECT_EQ(match[1], match[2]);
        EXPECT_TRUE(seen.insert(match[2].str() + "/" + match[3].str()).second) << line;
        start = end + 2;
    }
    EXPECT_EQ(seen.size(), static_cast<size_t>(kThreads * kLinesEach));
}

} // namespace
