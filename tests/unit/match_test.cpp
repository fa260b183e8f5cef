// The wildcard patterns of file entries: which names are wildcards at all,
// and which found names a pattern takes.
#include "actions/match.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

typedef std::vector<std::string> Names;

// The flags as three letters: B any base, E any extension, W wildcard.
std::string FlagsOf(const char* name)
{
    FilePattern p;
    ParsePattern(name, &p);
    return std::string(p.anyBase ? "B" : "-") + (p.anyExt ? "E" : "-") + (p.wildcard ? "W" : "-");
}

// The found names that the pattern takes.
Names Taken(const std::string& name, const Names& found)
{
    FilePattern p;
    ParsePattern(name.c_str(), &p);
    Names taken;
    for (auto& f : found)
        if (PatternMatches(&p, f.c_str()))
            taken.push_back(f);
    return taken;
}

const Names FOUND = {".",     "..",          "a.txt",   "README.TXT", "readme.md", "readme",
                     "readme.", "readme2.txt", "abc.txt", "x.abc.txt",  "a.txt.bak", "atxt",
                     ".profile", "profile",    "a.tmp",   "notes",      "a.tx",      "a.txta"};

}  // namespace

TEST(ParsePatternTest, OnlyLeadingAsterisksMakeWildcards)
{
    EXPECT_EQ("B-W", FlagsOf("*.txt"));
    EXPECT_EQ("-EW", FlagsOf("readme.*"));
    EXPECT_EQ("B-W", FlagsOf("*abc.txt"));
    EXPECT_EQ("BEW", FlagsOf("*.*"));
    EXPECT_EQ("BEW", FlagsOf("*"));
    EXPECT_EQ("-EW", FlagsOf("x.*t"));
    EXPECT_EQ("B-W", FlagsOf("*.tar.gz"));  // the last dot splits
    // These go to the operating system as they are.
    EXPECT_EQ("---", FlagsOf("a*.tmp"));
    EXPECT_EQ("---", FlagsOf("a.t*"));
    EXPECT_EQ("---", FlagsOf("a.*.gz"));
    EXPECT_EQ("---", FlagsOf(".profile"));
    // Without a dot every extension is taken, but that alone is no wildcard.
    EXPECT_EQ("-E-", FlagsOf("readme"));
    EXPECT_EQ("-E-", FlagsOf("a*"));
}

TEST(PatternMatchesTest, AnyBaseWithExtension)
{
    EXPECT_EQ((Names{"a.txt", "README.TXT", "readme2.txt", "abc.txt", "x.abc.txt"}),
              Taken("*.txt", FOUND));
    EXPECT_EQ(Taken("*.txt", FOUND), Taken("*abc.txt", FOUND));  // the rest of *abc is ignored
    EXPECT_EQ(Taken("*.txt", FOUND), Taken("*.TXT", FOUND));
    EXPECT_EQ((Names{".profile"}), Taken("*.profile", FOUND));
    EXPECT_EQ((Names{"x.abc.txt"}), Taken("*.tar.txt", {"x.abc.txt", "abc.tar"}));
}

TEST(PatternMatchesTest, BaseWithAnyExtension)
{
    EXPECT_EQ((Names{"README.TXT", "readme.md", "readme", "readme."}), Taken("readme.*", FOUND));
    EXPECT_EQ(Taken("readme.*", FOUND), Taken("ReadMe.*xyz", FOUND));
    EXPECT_EQ((Names{"a.txt", "a.tmp", "a.tx", "a.txta"}), Taken("a.*", FOUND));
    EXPECT_EQ(Names{}, Taken("profile.*", {".profile"}));
}

TEST(PatternMatchesTest, EverythingAndEmptyExtension)
{
    EXPECT_EQ(FOUND, Taken("*.*", FOUND));
    EXPECT_EQ(FOUND, Taken("*", FOUND));
    EXPECT_EQ(FOUND, Taken("*x", FOUND));
    // A trailing dot asks for an empty extension, which names without a dot have.
    EXPECT_EQ((Names{".", "..", "readme", "readme.", "atxt", "profile", "notes"}), Taken("*.", FOUND));
}

TEST(PatternMatchesTest, LongNamesAreCutNotOverrun)
{
    std::string longBase(400, 'b'), longExt = "a." + std::string(400, 'e');
    EXPECT_EQ((Names{longBase + ".txt"}), Taken("*.txt", {longBase + ".txt", longBase + ".doc"}));
    EXPECT_EQ((Names{longBase + ".x"}), Taken(longBase + ".*", {"b.x", longBase + ".x"}));
    EXPECT_EQ(Names{}, Taken("*.txt", {longExt}));
    EXPECT_EQ((Names{longExt}), Taken("a.*", {longExt}));
}
