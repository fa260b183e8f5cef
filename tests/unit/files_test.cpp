// File and page-memory helpers on real files.
#include "common/files.h"
#include "common/platform_host.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

class FilesTest : public ::testing::Test {
protected:
    fs::path dir;

    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "unins-files-XXXXXX").string();
        ASSERT_NE(nullptr, mkdtemp(&pattern[0]));
        dir = pattern;
        HostResetMessageBoxes();
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string Write(const char* name, const std::string& content)
    {
        fs::path p = dir / name;
        std::ofstream(p, std::ios::binary) << content;
        return p.string();
    }
};

}  // namespace

TEST_F(FilesTest, FileExistsForFilesAndDirectories)
{
    std::string file = Write("a.txt", "x");
    EXPECT_TRUE(FileExists(file.c_str()));
    EXPECT_TRUE(FileExists(dir.string().c_str()));
    EXPECT_FALSE(FileExists((dir / "missing.txt").string().c_str()));
    EXPECT_FALSE(FileExists((dir / "missing" / "a.txt").string().c_str()));
}

TEST_F(FilesTest, OpenForReadGivesTheSize)
{
    std::string file = Write("log.ini", std::string(1234, 'L'));
    DWORD size = 7;
    HANDLE h = OpenForRead(file.c_str(), &size);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    EXPECT_EQ(1234u, size);
    PlatCloseFile(h);

    std::string empty = Write("empty.ini", "");
    size = 7;
    h = OpenForRead(empty.c_str(), &size);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    EXPECT_EQ(0u, size);
    PlatCloseFile(h);
}

TEST_F(FilesTest, OpenForReadFailureLeavesTheSize)
{
    DWORD size = 777;
    EXPECT_EQ(INVALID_HANDLE_VALUE, OpenForRead((dir / "nope.ini").string().c_str(), &size));
    EXPECT_EQ(777u, size);
    EXPECT_EQ(0, HostMessageBoxCount());
}

TEST_F(FilesTest, ReadExactReadsTheWholeFileQuietly)
{
    std::string file = Write("data.bin", std::string("ab\0cd\r\nef", 9));
    DWORD size = 0;
    HANDLE h = OpenForRead(file.c_str(), &size);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    char buf[16] = {};
    EXPECT_EQ(9u, ReadExact(h, buf, size, file.c_str()));
    EXPECT_EQ(0, memcmp(buf, "ab\0cd\r\nef", 9));
    EXPECT_EQ(0, HostMessageBoxCount());
    PlatCloseFile(h);
}

TEST_F(FilesTest, ShortReadShowsAnErrorBoxAndGoesOn)
{
    std::string file = Write("short.ini", "0123456789");
    DWORD size = 0;
    HANDLE h = OpenForRead(file.c_str(), &size);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    char buf[32] = {};
    EXPECT_EQ(10u, ReadExact(h, buf, 20, file.c_str()));
    EXPECT_EQ(0, memcmp(buf, "0123456789", 10));
    ASSERT_EQ(1, HostMessageBoxCount());
    EXPECT_EQ("Error reading file " + file, HostLastMessageText());
    EXPECT_EQ(unsigned(MB_OK | MB_ICONERROR), HostLastMessageStyle());

    // Nothing left: a read of zero bytes where some were asked for.
    EXPECT_EQ(0u, ReadExact(h, buf, 5, file.c_str()));
    EXPECT_EQ(2, HostMessageBoxCount());
    PlatCloseFile(h);
}

TEST(AllocPages, ZeroFilledAndFreedToNull)
{
    char* pages = static_cast<char*>(AllocPages(160000));
    ASSERT_NE(nullptr, pages);
    for (int i = 0; i < 160000; ++i)
        ASSERT_EQ(0, pages[i]) << "at " << i;
    pages[159999] = 1;
    FreePages(&pages);
    EXPECT_EQ(nullptr, pages);

    void* one = AllocPages(1);
    ASSERT_NE(nullptr, one);
    FreePages(&one);
    EXPECT_EQ(nullptr, one);
}
