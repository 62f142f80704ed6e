#include "streaming/ini_file.h"
#include "streaming/partner_store.h"
#include "../support/file_helpers.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

const char kFile[] = "test.ini";

class IniFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        DeleteFileA(kFile);
        DeleteFileA("conf.ini");
    }
    void TearDown() override { SetUp(); }
};

TEST_F(IniFile, ReadingRules)
{
    struct Case {
        const char* name;
        std::string content; // as stored on disk, CR LF line ends
        const char* section;
        const char* key;
        const char* expected; // nullptr: the key is absent
    };
    const Case cases[] = {
        {"spaces around equals", "[PKInfo]\r\nPK = 12345\r\n", "PKInfo", "PK", "12345"},
        {"trailing semicolon", "[PKInfo]\r\nPK=12345;\r\n", "PKInfo", "PK", "12345"},
        {"tabs and form feeds trimmed", "\t[PKInfo] \r\n\f PK\t=\v7 \r\n", "PKInfo", "PK", "7"},
        {"semicolon note is no pair", ";note\r\n", "", "note", nullptr},
        {"semicolon before a pair", ";a=b\r\n", "", "a", "b"},
        {"hash is no comment", "#x=1\r\n", "", "#x", "1"},
        {"slashes are no comment", "//c=d\r\n", "", "//c", "d"},
        {"equals inside the value", "k=a=b\r\n", "", "k", "a=b"},
        {"last line without line end", "[S]\r\nk=v", "S", "k", "v"},
        {"LF-only line ends", "[S]\nk=v\n", "S", "k", "v"},
        {"keys before any header are unnamed", "k=1\r\n[S]\r\nk=2\r\n", "", "k", "1"},
        {"section name trimmed of brackets", "[[ S ]]\r\nk=v\r\n", "S", "k", "v"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFileBytes(kFile, c.content);
        INIFile ini(kFile);
        ini.Select(c.section);
        const std::string value = ini.Get(c.key, "<absent>");
        EXPECT_EQ(value, c.expected ? c.expected : "<absent>");
    }
}

TEST_F(IniFile, DuplicatesAreReportedWithTheirLineNumber)
{
    struct Case {
        std::string content;
        std::string error;
    };
    const Case cases[] = {
        {"[]\r\n", "Error: ini-reader: Duplicate section '':1"},
        {"k=v\r\n[ ]\r\n", "Error: ini-reader: Duplicate section '':2"},
        {"[PKInfo]\r\nPK=1\r\n\r\n[PKInfo]\r\nPK=2\r\n", "Error: ini-reader: Duplicate section 'PKInfo':4"},
        {"[S]\r\na=1\r\n;comment\r\na = 2\r\n", "Error: ini-reader: Duplicate key 'a':4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        WriteFileBytes(kFile, c.content);
        ::testing::internal::CaptureStderr();
        try {
            INIFile ini(kFile);
            ADD_FAILURE() << "no error raised";
        } catch (const IniDuplicateError& error) {
            EXPECT_EQ(std::string(error.what()), c.error);
        }
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), c.error + "\n");
    }
}

TEST_F(IniFile, SaveSortsAndDropsIgnoredLines)
{
    WriteFileBytes(kFile, "b=2\r\na=1\r\n;junk\r\n[Z]\r\nk=v\r\n[A]\r\n");
    INIFile ini(kFile);
    EXPECT_FALSE(ini.Select("PKInfo"));
    ini.Set("PK", "42");
    EXPECT_TRUE(ini.Select("Z"));
    ini.Set("k", "w");
    ASSERT_TRUE(ini.Save(kFile));
    EXPECT_EQ(ReadFileBytes(kFile), "a=1\r\nb=2\r\n[A]\r\n[PKInfo]\r\nPK=42\r\n[Z]\r\nk=w\r\n");
}

TEST_F(IniFile, MissingAndUnwritableFiles)
{
    INIFile missing("no-such-file.ini");
    missing.Select("PKInfo");
    EXPECT_EQ(missing.Get("PK", ""), "");

    // A folder where the file should be cannot be opened for writing.
    CreateDirectoryA("a-folder.ini", nullptr);
    missing.Set("PK", "1");
    EXPECT_FALSE(missing.Save("a-folder.ini"));
    EXPECT_FALSE(missing.Save("no\\such\\folder\\conf.ini"));
    RemoveDirectoryA("a-folder.ini");
}

TEST_F(IniFile, PartnerNumberRoundTripInConfIni)
{
    EXPECT_EQ(LoadPartnerNumber(), "");
    EXPECT_TRUE(StorePartnerNumber("12345"));
    EXPECT_EQ(ReadFileBytes("conf.ini"), "[PKInfo]\r\nPK=12345\r\n");
    EXPECT_EQ(LoadPartnerNumber(), "12345");

    // Other settings of the file survive a store.
    WriteFileBytes("conf.ini", "[Bridge]\r\nOrigins=https://a.example\r\n[PKInfo]\r\nPK=1\r\n");
    EXPECT_TRUE(StorePartnerNumber("2"));
    EXPECT_EQ(ReadFileBytes("conf.ini"), "[Bridge]\r\nOrigins=https://a.example\r\n[PKInfo]\r\nPK=2\r\n");
}

TEST_F(IniFile, DuplicateInConfIniNeitherEndsTheProgramNorDestroysTheFile)
{
    const std::string userFile = "[PKInfo]\r\nPK=1\r\n[PKInfo]\r\nPK=2\r\n[Other]\r\nkeep=me\r\n";
    WriteFileBytes("conf.ini", userFile);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(LoadPartnerNumber(), "");
    EXPECT_FALSE(StorePartnerNumber("3"));
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(ReadFileBytes("conf.ini"), userFile);
}

} // namespace
