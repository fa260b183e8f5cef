// The handled-path set: every path is taken on once per run, whatever its
// case, and the texts it remembers stay intact however many there are.
#include "actions/remove.h"
#include "common/platform.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

class HandledTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(CreateHandledPaths()); }
    void TearDown() override { FreeHandledPaths(); }

    // the members: upper-cased, UTF-8 of their UTF-16 units
    static std::vector<std::string> Items()
    {
        return std::vector<std::string>(g_handledPaths.items,
                                        g_handledPaths.items + g_handledPaths.count);
    }
};

// MarkHandled of a UTF-8 text
bool MarkHandled(const std::string& path)
{
    std::vector<WCHAR> wide(path.size() + 1);
    return PlatAnsiToWide(path.c_str(), wide.data(), int(wide.size())) && ::MarkHandled(wide.data());
}

std::string Cased(std::string s, bool upper)
{
    for (char& c : s)
        c = char(upper ? toupper((unsigned char)c) : tolower((unsigned char)c));
    return s;
}

// Path number key, length characters long; odd numbers in upper case, so
// that only a comparison without regard to case keeps them in key order.
std::string LongPath(int key, size_t length)
{
    char head[64];
    snprintf(head, sizeof head, "C:\\Program Files\\Application\\data%05d\\", key);
    std::string path = head + std::string(length - strlen(head) - 4, 'd') + ".dat";
    return Cased(path, key % 2);
}

}  // namespace

TEST_F(HandledTest, EachPathOnceIgnoringCase)
{
    EXPECT_TRUE(MarkHandled("C:\\App\\a.txt"));
    EXPECT_FALSE(MarkHandled("C:\\App\\a.txt"));
    EXPECT_FALSE(MarkHandled("c:\\APP\\A.TXT"));
    EXPECT_TRUE(MarkHandled("C:\\App\\b.txt"));
    EXPECT_TRUE(MarkHandled("C:\\App\\a.txt2"));
    EXPECT_TRUE(MarkHandled("C:\\App"));
    EXPECT_FALSE(MarkHandled("C:\\App\\B.TXT"));
    // folded as the system folds names: Greek, Cyrillic and Latin-1 too
    EXPECT_TRUE(MarkHandled(u8"C:\\App\\αжé.txt"));
    EXPECT_FALSE(MarkHandled(u8"C:\\APP\\ΑЖÉ.TXT"));
    EXPECT_TRUE(MarkHandled(u8"C:\\App\\😀.txt"));
    EXPECT_FALSE(MarkHandled(u8"C:\\App\\😀.TXT"));
    std::vector<std::string> items = Items();
    EXPECT_EQ((std::vector<std::string>{"C:\\APP", "C:\\APP\\A.TXT", "C:\\APP\\A.TXT2",
                                        "C:\\APP\\B.TXT", u8"C:\\APP\\ΑЖÉ.TXT",
                                        "C:\\APP\\\xed\xa0\xbd\xed\xb8\x80.TXT"}),
              items);
}

TEST_F(HandledTest, KeepsItsOwnCopyOfThePath)
{
    WCHAR path[64];
    PlatAnsiToWide("C:\\App\\x.txt", path, 64);
    EXPECT_TRUE(MarkHandled(path));
    PlatAnsiToWide("C:\\App\\y.txt", path, 64);  // the caller reuses its buffer
    EXPECT_TRUE(MarkHandled(path));
    path[0] = 0;
    EXPECT_FALSE(MarkHandled("C:\\App\\x.txt"));
    EXPECT_FALSE(MarkHandled("C:\\App\\y.txt"));
    EXPECT_EQ((std::vector<std::string>{"C:\\APP\\X.TXT", "C:\\APP\\Y.TXT"}), Items());
}

TEST_F(HandledTest, FiftyThousandLongPathsEachOnce)
{
    // 50,000 paths of about 200 characters: ten megabytes of text, far more
    // than the first pool block and set hold. Within each run of 50 the keys
    // go in descending order, so the set has to sort. Paths of 199 and of
    // 200 characters: blocks end at every offset.
    const int COUNT = 50000, RUN = 50, SHORTER = 24999;
    std::vector<int> keys;
    for (int run = 0; run < COUNT; run += RUN)
        for (int key = run + RUN - 1; key >= run; --key)
            keys.push_back(key);
    std::vector<std::string> byKey(COUNT);
    for (int i = 0; i < COUNT; ++i)
        byKey[keys[i]] = LongPath(keys[i], i < SHORTER ? 199 : 200);

    int firstNotNew = -1, firstNotRefused = -1;
    for (int key : keys) {
        if (!MarkHandled(byKey[key]) && firstNotNew < 0)
            firstNotNew = key;
        if (MarkHandled(byKey[key]) && firstNotRefused < 0)
            firstNotRefused = key;
    }
    EXPECT_EQ(-1, firstNotNew);
    EXPECT_EQ(-1, firstNotRefused);

    // Marking every path again finds each one, also in the other case.
    int firstFound = -1;
    for (int key = 0; key < COUNT; ++key) {
        const std::string& path = byKey[key];
        bool marked = MarkHandled(path);
        if (key % 7 == 0)
            marked = marked || MarkHandled(Cased(path, key % 2 == 0));
        if (marked && firstFound < 0)
            firstFound = key;
    }
    EXPECT_EQ(-1, firstFound);

    // The set holds every text, upper-cased, in order.
    ASSERT_EQ(COUNT, g_handledPaths.count);
    std::vector<std::string> items = Items();
    int firstWrong = -1;
    for (int key = 0; key < COUNT; ++key)
        if (items[key] != Cased(byKey[key], true) && firstWrong < 0)
            firstWrong = key;
    EXPECT_EQ(-1, firstWrong) << "item " << firstWrong << ": " << items[firstWrong];
}
