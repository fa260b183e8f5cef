// The program's own byte routines.
#include "common/bytes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(MoveBytes, CopiesSeparateAreas)
{
    char src[] = "abcdef";
    char dest[] = "------";
    MoveBytes(dest, src, 4);
    EXPECT_STREQ("abcd--", dest);
    MoveBytes(dest, src, 0);
    EXPECT_STREQ("abcd--", dest);
}

TEST(MoveBytes, OverlapUpward)
{
    // dest lies inside the source above its start: copied from the top down.
    char buf[] = "0123456789";
    MoveBytes(buf + 2, buf, 6);
    EXPECT_STREQ("0101234589", buf);

    char one[] = "0123456789";
    MoveBytes(one + 1, one, 9);
    EXPECT_STREQ("0012345678", one);
}

TEST(MoveBytes, OverlapDownward)
{
    char buf[] = "0123456789";
    MoveBytes(buf, buf + 2, 6);
    EXPECT_STREQ("2345676789", buf);

    char one[] = "0123456789";
    MoveBytes(one, one + 1, 9);
    EXPECT_STREQ("1234567899", one);
}

// Aligned areas move by words, the rest by bytes; every case against memmove.
TEST(MoveBytes, WordAndByteMovesAgreeWithMemmove)
{
    const int shifts[] = {-16, -8, -3, -1, 1, 3, 8, 16};
    const int offsets[] = {0, 1, 8};
    const int counts[] = {0, 1, 7, 8, 24, 33, 40};
    for (int shift : shifts)
        for (int offset : offsets)
            for (int count : counts) {
                alignas(16) unsigned char ours[96], theirs[96];
                for (int i = 0; i < 96; ++i)
                    ours[i] = theirs[i] = (unsigned char)(i * 7 + 1);
                int from = 24 + offset;
                MoveBytes(ours + from + shift, ours + from, count);
                memmove(theirs + from + shift, theirs + from, count);
                ASSERT_EQ(0, memcmp(ours, theirs, sizeof ours))
                    << "shift " << shift << " offset " << offset << " count " << count;
            }
}

TEST(ZeroBytes, ClearsExactlyTheArea)
{
    char buf[] = "abcdef";
    ZeroBytes(buf + 1, 3);
    EXPECT_EQ(0, memcmp(buf, "a\0\0\0ef", 7));
    ZeroBytes(buf, 0);
    EXPECT_EQ('a', buf[0]);
}

TEST(SwapBytes, ExchangesTwoAreas)
{
    char a[] = "abcdefgh";
    char b[] = "12345678";
    SwapBytes(a, b, 5);
    EXPECT_STREQ("12345fgh", a);
    EXPECT_STREQ("abcde678", b);
    SwapBytes(a, b, 0);
    EXPECT_STREQ("12345fgh", a);
}

TEST(SwapBytes, SameAreaIsLeftAlone)
{
    char a[] = "abcdefgh";
    SwapBytes(a, a, 8);
    EXPECT_STREQ("abcdefgh", a);
    SwapBytes(a + 3, a + 3, 4);
    EXPECT_STREQ("abcdefgh", a);
}
