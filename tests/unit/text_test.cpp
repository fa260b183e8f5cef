// Text, field and path helpers, numbers and log-text formatting.
#include "common/text.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

namespace {

// A buffer with guard bytes behind the part a routine is allowed to write.
struct Guarded {
    enum { SIZE = 96 };
    char bytes[SIZE];
    Guarded() { memset(bytes, '#', SIZE); }
    bool IntactFrom(int start) const
    {
        for (int i = start; i < SIZE; ++i)
            if (bytes[i] != '#')
                return false;
        return true;
    }
};

std::string Field(const char* text, int n)
{
    char dest[256];
    EXPECT_EQ(dest, GetField(dest, text, n, sizeof dest));
    return dest;
}

std::string Join(const char* dir, const char* name)
{
    char dest[256];
    EXPECT_EQ(dest, JoinPath(dest, dir, name, sizeof dest));
    return dest;
}

std::string Strip(const char* path)
{
    char buf[256];
    strcpy(buf, path);
    StripLastComponent(buf);
    return buf;
}

std::string Last(const char* path)
{
    char dest[256];
    LastComponent(path, dest, sizeof dest);
    return dest;
}

std::string Format(const char* format, std::initializer_list<const char*> args, int size = 512)
{
    char dest[512];
    const char* list[4] = {};
    int n = 0;
    for (const char* a : args)
        list[n++] = a;
    FormatText(dest, size, format, list, n);
    return dest;
}

}  // namespace

TEST(CopyText, CopiesAndCutsToTheBuffer)
{
    char dest[16];
    CopyText(dest, "hello", sizeof dest);
    EXPECT_STREQ("hello", dest);
    EXPECT_EQ(5, TextLength(dest));
    EXPECT_EQ(0, TextLength(""));

    Guarded g;
    CopyText(g.bytes, "hello world", 6);
    EXPECT_STREQ("hello", g.bytes);
    EXPECT_TRUE(g.IntactFrom(6));

    Guarded one;
    CopyText(one.bytes, "abc", 1);
    EXPECT_STREQ("", one.bytes);
    EXPECT_TRUE(one.IntactFrom(1));
}

TEST(AppendText, AppendsWithinTheBuffer)
{
    char dest[16] = "ab";
    AppendText(dest, "cd", sizeof dest);
    EXPECT_STREQ("abcd", dest);

    Guarded g;
    strcpy(g.bytes, "ab");
    AppendText(g.bytes, "cdefgh", 5);
    EXPECT_STREQ("abcd", g.bytes);
    EXPECT_TRUE(g.IntactFrom(5));

    // Already full: nothing more goes in.
    AppendText(g.bytes, "xyz", 5);
    EXPECT_STREQ("abcd", g.bytes);
    EXPECT_TRUE(g.IntactFrom(5));
}

TEST(GetField, SplitsAtCommasOutsideQuotes)
{
    EXPECT_EQ("a", Field("a,\"b,c\",d", 0));
    EXPECT_EQ("\"b,c\"", Field("a,\"b,c\",d", 1));
    EXPECT_EQ("d", Field("a,\"b,c\",d", 2));
    EXPECT_EQ("C:\\App\\a.txt", Field("C:\\App\\a.txt,0", 0));
    EXPECT_EQ("0", Field("C:\\App\\a.txt,0", 1));
    EXPECT_EQ("", Field("a,,c", 1));
    EXPECT_EQ("c", Field("a,,c", 2));
    EXPECT_EQ("", Field(",x", 0));
}

TEST(GetField, QuotesInEarlierFieldsCount)
{
    // The quoted comma in field 0 is not a separator.
    EXPECT_EQ("z", Field("\"x,y\",z", 1));
    EXPECT_EQ("\"x,y\"", Field("\"x,y\",z", 0));
    // A quote left open hides every later comma.
    EXPECT_EQ("a\"b,c,d", Field("a\"b,c,d", 1));
    // Quotes in the middle of a field toggle too.
    EXPECT_EQ("b\"c,d\"e", Field("a,b\"c,d\"e,f", 1));
    EXPECT_EQ("f", Field("a,b\"c,d\"e,f", 2));
}

TEST(GetField, MissingFieldGivesTheWholeText)
{
    EXPECT_EQ("a,b", Field("a,b", 2));
    EXPECT_EQ("a,b", Field("a,b", 5));
    EXPECT_EQ("a", Field("a", 1));
    EXPECT_EQ("", Field("a,b,", 2));
    EXPECT_EQ("", Field("", 0));
    EXPECT_EQ("", Field("", 3));
}

TEST(GetField, CutsALongFieldToTheBuffer)
{
    Guarded g;
    GetField(g.bytes, "x,0123456789abcdef,y", 1, 8);
    EXPECT_STREQ("0123456", g.bytes);
    EXPECT_TRUE(g.IntactFrom(8));

    // The whole-text case is cut as well.
    Guarded w;
    GetField(w.bytes, "0123456789abcdef", 3, 5);
    EXPECT_STREQ("0123", w.bytes);
    EXPECT_TRUE(w.IntactFrom(5));

    std::string huge(5000, 'q');
    char small[10];
    GetField(small, ("a," + huge + ",b").c_str(), 1, sizeof small);
    EXPECT_STREQ("qqqqqqqqq", small);
}

// CopyField tells a field that fits from one that was cut, so that callers
// never act on a cut name.
TEST(GetField, CopyFieldGivesTheWholeLength)
{
    struct Row {
        const char* text;
        int n, size, length;
        const char* copied;
    } rows[] = {
        {"a,bcd,e", 1, 4, 3, "bcd"},          // fits exactly
        {"a,bcde,e", 1, 4, 4, "bcd"},         // one too long
        {"a,\"b,c\",d", 1, 64, 5, "\"b,c\""},  // quotes count
        {"a,b", 2, 64, 3, "a,b"},             // missing field: the whole text
        {"a,b", 2, 3, 3, "a,"},
        {"a,b,", 2, 1, 0, ""},
    };
    for (auto& r : rows) {
        Guarded g;
        EXPECT_EQ(r.length, CopyField(g.bytes, r.text, r.n, r.size)) << r.text;
        EXPECT_STREQ(r.copied, g.bytes) << r.text;
        EXPECT_TRUE(g.IntactFrom(r.size)) << r.text;
    }
}

TEST(JoinPath, PutsExactlyOneBackslash)
{
    EXPECT_EQ("c:\\x.exe", Join("c:\\", "x.exe"));
    EXPECT_EQ("C:\\App\\x.exe", Join("C:\\App", "\\x.exe"));
    EXPECT_EQ("C:\\App\\x.exe", Join("C:\\App", "x.exe"));
    EXPECT_EQ("C:\\App\\x.exe", Join("C:\\App\\", "\\x.exe"));
    // Only one leading backslash of the name is dropped.
    EXPECT_EQ("C:\\App\\\\x", Join("C:\\App", "\\\\x"));
    EXPECT_EQ("C:\\App\\", Join("C:\\App", ""));
    // Conversion characters in either part are plain text.
    EXPECT_EQ("C:\\100%s\\%d.txt", Join("C:\\100%s", "%d.txt"));
}

TEST(JoinPath, CutsToTheBuffer)
{
    Guarded g;
    EXPECT_EQ(g.bytes, JoinPath(g.bytes, "C:\\App", "file.txt", 8));
    EXPECT_STREQ("C:\\App\\", g.bytes);
    EXPECT_TRUE(g.IntactFrom(8));

    std::string longDir(3000, 'd');
    char dest[64];
    JoinPath(dest, longDir.c_str(), "n", sizeof dest);
    EXPECT_EQ(std::string(63, 'd'), dest);
}

TEST(StripLastComponent, CutsAtTheLastBackslash)
{
    EXPECT_EQ("C:\\App", Strip("C:\\App\\a.txt"));
    EXPECT_EQ("C:", Strip("C:\\a.txt"));
    EXPECT_EQ("", Strip("a.txt"));
    EXPECT_EQ("", Strip(""));
    EXPECT_EQ("C:\\App", Strip("C:\\App\\"));
    EXPECT_EQ("a\\b", Strip("a\\b\\c"));
    // A backslash in the first place does not count.
    EXPECT_EQ("", Strip("\\a"));
    EXPECT_EQ("\\\\srv", Strip("\\\\srv\\share"));
}

TEST(LastComponent, TakesTheTextAfterTheLastBackslash)
{
    EXPECT_EQ("a.txt", Last("C:\\App\\a.txt"));
    EXPECT_EQ("a.txt", Last("a.txt"));
    EXPECT_EQ("", Last("C:\\App\\"));
    EXPECT_EQ("", Last(""));

    Guarded g;
    LastComponent("C:\\App\\verylongname.txt", g.bytes, 5);
    EXPECT_STREQ("very", g.bytes);
    EXPECT_TRUE(g.IntactFrom(5));
}

TEST(SplitExtension, SplitsAtTheLastDot)
{
    char base[64], ext[64];
    EXPECT_EQ(11, SplitExtension("archive.tar.gz", base, ext, 64));
    EXPECT_STREQ("archive.tar", base);
    EXPECT_STREQ("gz", ext);

    EXPECT_EQ(0, SplitExtension(".profile", base, ext, 64));
    EXPECT_STREQ("", base);
    EXPECT_STREQ("profile", ext);

    EXPECT_EQ(-1, SplitExtension("README", base, ext, 64));
    EXPECT_STREQ("README", base);
    EXPECT_STREQ("", ext);

    EXPECT_EQ(1, SplitExtension("a.", base, ext, 64));
    EXPECT_STREQ("a", base);
    EXPECT_STREQ("", ext);

    // Separators are not considered.
    EXPECT_EQ(4, SplitExtension("C:\\a.b\\file", base, ext, 64));
    EXPECT_STREQ("C:\\a", base);
    EXPECT_STREQ("b\\file", ext);

    EXPECT_EQ(-1, SplitExtension("", base, ext, 64));
    EXPECT_STREQ("", base);
    EXPECT_STREQ("", ext);
}

TEST(SplitExtension, LeavesTheNameAndCutsBothParts)
{
    const char name[] = "longbasename.longextension";
    Guarded base, ext;
    EXPECT_EQ(12, SplitExtension(name, base.bytes, ext.bytes, 6));
    EXPECT_STREQ("longb", base.bytes);
    EXPECT_STREQ("longe", ext.bytes);
    EXPECT_TRUE(base.IntactFrom(6));
    EXPECT_TRUE(ext.IntactFrom(6));
    EXPECT_STREQ("longbasename.longextension", name);

    Guarded whole;
    EXPECT_EQ(-1, SplitExtension("abcdefghij", whole.bytes, ext.bytes, 4));
    EXPECT_STREQ("abc", whole.bytes);
    EXPECT_TRUE(whole.IntactFrom(4));
}

TEST(ParseNumber, SignAndDigits)
{
    EXPECT_EQ(-12, ParseNumber("-12x"));
    EXPECT_EQ(0, ParseNumber("x12"));
    EXPECT_EQ(0, ParseNumber(""));
    EXPECT_EQ(0, ParseNumber("-"));
    EXPECT_EQ(0, ParseNumber("-x5"));
    EXPECT_EQ(30500, ParseNumber("30500"));
    EXPECT_EQ(1, ParseNumber("1=abc"));
    EXPECT_EQ(7, ParseNumber("007"));
    EXPECT_EQ(0, ParseNumber("--5"));
}

TEST(ParseNumber, LeadingSpaceOrPlusGiveZero)
{
    EXPECT_EQ(0, ParseNumber(" 5"));
    EXPECT_EQ(0, ParseNumber("+5"));
    EXPECT_EQ(0, ParseNumber("\t5"));
    EXPECT_EQ(0, ParseNumber("- 5"));
}

TEST(ParseNumber, WrapsIn32Bits)
{
    EXPECT_EQ(INT_MAX, ParseNumber("2147483647"));
    EXPECT_EQ(INT_MIN, ParseNumber("2147483648"));
    EXPECT_EQ(INT_MIN, ParseNumber("-2147483648"));
    EXPECT_EQ(-1, ParseNumber("4294967295"));
    EXPECT_EQ(0, ParseNumber("4294967296"));
    EXPECT_EQ(10, ParseNumber("4294967306"));
    EXPECT_EQ(1410065407, ParseNumber("9999999999"));
    EXPECT_EQ(-1410065407, ParseNumber("-9999999999"));
}

TEST(ParseNumber, ReadsAtMost63Characters)
{
    EXPECT_EQ(7, ParseNumber((std::string(62, '0') + "7").c_str()));
    EXPECT_EQ(0, ParseNumber((std::string(63, '0') + "7").c_str()));
    EXPECT_EQ(1, ParseNumber((std::string(62, '0') + "12").c_str()));
    // A very long digit run is read without trouble.
    std::string digits(100000, '9');
    ParseNumber(digits.c_str());
    ParseNumber(("-" + digits).c_str());
}

TEST(SameText, IgnoresCase)
{
    EXPECT_TRUE(SameText("README.txt", "Readme.TXT"));
    EXPECT_TRUE(SameText("", ""));
    EXPECT_TRUE(SameText("C:\\App", "c:\\app"));
    EXPECT_FALSE(SameText("a", "b"));
    EXPECT_FALSE(SameText("a", "ab"));
    EXPECT_FALSE(SameText("ab", "a"));
    EXPECT_FALSE(SameText("", "a"));
}

TEST(FormatText, FillsTextConversions)
{
    EXPECT_EQ("Remove C:\\a.txt?", Format("Remove %s?", {"C:\\a.txt"}));
    EXPECT_EQ("a and b", Format("%s and %s", {"a", "b"}));
    EXPECT_EQ("no conversions", Format("no conversions", {"unused"}));
    EXPECT_EQ("", Format("", {}));
    // Flags, width and precision of %s are honoured.
    EXPECT_EQ("[ab   ]", Format("[%-5s]", {"ab"}));
    EXPECT_EQ("[   ab]", Format("[%5s]", {"ab"}));
    EXPECT_EQ("[abc]", Format("[%.3s]", {"abcdef"}));
    // Arguments are plain text, never formats.
    EXPECT_EQ("x %d %s y", Format("x %s y", {"%d %s"}));
}

TEST(FormatText, WritesUnusableConversionsLiterally)
{
    EXPECT_EQ("a and %s", Format("%s and %s", {"a"}));
    EXPECT_EQ("%s", Format("%s", {}));
    EXPECT_EQ("%d x %s", Format("%d %s %s", {"x"}));
    EXPECT_EQ("%5d|%x|%p|%n|%c", Format("%5d|%x|%p|%n|%c", {"a", "b"}));
    EXPECT_EQ("%-08.3ld", Format("%-08.3ld", {"a"}));
    EXPECT_EQ("100%", Format("100%%", {"a"}));
    EXPECT_EQ("50% of a", Format("50%% of %s", {"a"}));
    EXPECT_EQ("ends with %", Format("ends with %", {}));
}

TEST(FormatText, CutsToTheBuffer)
{
    char dest[512];
    memset(dest, '#', sizeof dest);
    const char* args[1] = {"0123456789"};
    FormatText(dest, 6, "<%s>", args, 1);
    EXPECT_STREQ("<0123", dest);
    EXPECT_EQ('#', dest[6]);

    std::string big(5000, 'z');
    const char* bigArg[1] = {big.c_str()};
    char out[2048];
    FormatText(out, sizeof out, "%s|%s", bigArg, 1);
    EXPECT_LT(TextLength(out), 2048);
    EXPECT_EQ(std::string(out), std::string(TextLength(out), 'z'));

    // a width or precision beyond the buffer fills it and no more, at once
    const char* two[2] = {"a", "b"};
    FormatText(out, sizeof out, "%2147483647s|%s", two, 2);
    EXPECT_EQ(std::string(1022, ' ') + "a", out);
    EXPECT_EQ("a|b", Format("%.99999999999999999999s|%s", {"a", "b"}));
}
