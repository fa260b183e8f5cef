// The log loader: line splitting, entry shape, numbering in both stages,
// messages, limits, and logs that are broken or hostile.
#include "log/log.h"
#include "common/files.h"
#include "common/message.h"
#include "common/platform_host.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

const bool LAUNCHER = false;
const bool REMOVAL = true;

typedef std::pair<int, std::string> Entry;

std::string EscapeRegex(const std::string& s)
{
    std::string out;
    for (char c : s) {
        if (std::string(".[]()*+?{}|^$\\").find(c) != std::string::npos)
            out += '\\';
        out += c;
    }
    return out;
}

class LogTest : public ::testing::Test {
protected:
    fs::path dir;
    std::string path;
    bool loaded = false;

    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "unins-log-XXXXXX").string();
        ASSERT_NE(nullptr, mkdtemp(&pattern[0]));
        dir = pattern;
        path = (dir / "uninstal.ini").string();
        HostResetMessageBoxes();
        FreeLog();
        ASSERT_TRUE(NameSetCreate(&g_logLines, LOG_LINE_ROOM));
    }

    void TearDown() override
    {
        FreeLog();
        NameSetFree(&g_logLines);
        fs::remove_all(dir);
    }

    // Writes the log and loads it as the program does: a fresh log-line set
    // and no tables left from an earlier load.
    void Load(const std::string& content, bool removal)
    {
        if (loaded) {
            FreeLog();
            NameSetFree(&g_logLines);
            ASSERT_TRUE(NameSetCreate(&g_logLines, LOG_LINE_ROOM));
            HostResetMessageBoxes();
        }
        std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
        LoadLog(path.c_str(), removal);
        loaded = true;
    }

    static std::string Msg(int id) { return GetMessageText(id); }
    static bool Defined(int id) { return FindMessage(id) != NO_MESSAGE; }

    // The entries in array order.
    static std::vector<Entry> List()
    {
        std::vector<Entry> v;
        for (int i = 0; i < g_entryCount; ++i)
            v.push_back(Entry(g_entries[i].order, g_entries[i].text));
        return v;
    }
    static std::multiset<Entry> Set()
    {
        std::vector<Entry> v = List();
        return std::multiset<Entry>(v.begin(), v.end());
    }
    static int Counter(int letter) { return g_counters[letter]; }
};

}  // namespace

TEST_F(LogTest, LinesEndWithCrLfOrAnyRunOfThem)
{
    Load("A1,one\rA2,two\nA3,three\r\nA4,four\n\r\n\r\rA5,five\n", LAUNCHER);
    EXPECT_EQ("one", Msg(1));
    EXPECT_EQ("two", Msg(2));
    EXPECT_EQ("three", Msg(3));
    EXPECT_EQ("four", Msg(4));
    EXPECT_EQ("five", Msg(5));
    EXPECT_EQ(5, g_messages.count);
    EXPECT_EQ(0, HostMessageBoxCount());
}

TEST_F(LogTest, LastLineWithoutLineEndIsLost)
{
    Load("A1,one\nA2,two", LAUNCHER);
    EXPECT_EQ("one", Msg(1));
    EXPECT_FALSE(Defined(2));

    Load("P0,C:\\App\\a.txt,0\r\nP0,C:\\App\\b.txt,0", REMOVAL);
    EXPECT_EQ((std::vector<Entry>{{30001, "PC:\\App\\a.txt,0"}}), List());
}

TEST_F(LogTest, OnlyLetterDigitLinesAreEntries)
{
    Load("[Files]\n1=abc\n\nX\nXy,no\n12,x\n A3,space\n\tA4,tab\nA7,seven\nA10,My Product,with,commas\n",
         LAUNCHER);
    EXPECT_EQ("seven", Msg(7));
    EXPECT_EQ("My Product,with,commas", Msg(10));
    EXPECT_FALSE(Defined(1));
    EXPECT_FALSE(Defined(3));
    EXPECT_FALSE(Defined(4));
    EXPECT_FALSE(Defined(12));
    EXPECT_EQ(2, g_messages.count);

    Load("[Files]\n1=abc\n\nX\nXy,no\n12,x\nP,x\n", REMOVAL);
    EXPECT_EQ(0, g_entryCount);
    EXPECT_EQ(0, g_messages.count);
}

TEST_F(LogTest, LineWithoutCommaHasAnEmptyRest)
{
    // «F1=abc» and «;2 note» define messages 1 and 2 with empty texts; nothing
    // of the following lines runs into them.
    Load("F1=abc\n;2 note\nA3,three\n", LAUNCHER);
    ASSERT_TRUE(Defined(1));
    ASSERT_TRUE(Defined(2));
    EXPECT_EQ("", Msg(1));
    EXPECT_EQ("", Msg(2));
    EXPECT_EQ("three", Msg(3));

    // As an action the entry text is the letter alone; it still advances its
    // letter's counter when new.
    Load("P30500\nP0,x\nP0\n", REMOVAL);
    EXPECT_EQ((std::multiset<Entry>{{30500, "P"}, {30002, "Px"}}), Set());
    EXPECT_EQ(2, Counter(COUNT_P));
}

TEST_F(LogTest, AssignOrderRewritesTheLineInPlace)
{
    char line[] = "P0,C:\\App\\a.txt,0";
    char* p = line;
    EXPECT_EQ(30001, AssignOrder(&p, REMOVAL));
    EXPECT_STREQ("PC:\\App\\a.txt,0", p);
    EXPECT_EQ(line + 2, p);

    char message[] = "A10,My Product";
    p = message;
    EXPECT_EQ(10, AssignOrder(&p, LAUNCHER));
    EXPECT_STREQ("AMy Product", p);

    char bare[] = "F1=abc\0ZZZ";
    p = bare;
    EXPECT_EQ(1, AssignOrder(&p, LAUNCHER));
    EXPECT_STREQ("F", p);
    EXPECT_EQ(0, memcmp(bare + 7, "ZZZ", 4)) << "wrote past the line";

    char action[] = "P0,x";
    p = action;
    EXPECT_EQ(ORDER_DROP, AssignOrder(&p, LAUNCHER));
    char big[] = "P1001,x";
    p = big;
    EXPECT_EQ(ORDER_DROP, AssignOrder(&p, LAUNCHER));
    char small[] = "P500,x";
    p = small;
    EXPECT_EQ(500, AssignOrder(&p, LAUNCHER));
}

TEST_F(LogTest, AutomaticNumberingPerLetter)
{
    Load("D0,a.dll,Fn\n"
         "J0,key1\n"
         "D0,b.dll,Fn\n"
         "E0,setup.exe\n"
         "U0,C:\\App\\x\n"
         "J0,key2\n"
         "K0,shared.dll\n"
         "M0,win.ini,sec,key\n"
         "P0,C:\\App\\a.txt,0\n"
         "U0,C:\\App\\y\n"
         "A0,never numbered\n"
         "X0,other letter\n",
         REMOVAL);
    std::vector<Entry> expected = {
        {5001, "Da.dll,Fn"},   {5002, "Db.dll,Fn"},         {7001, "Esetup.exe"},
        {19998, "Jkey2"},      {19999, "Jkey1"},            {20001, "Kshared.dll"},
        {21001, "Mwin.ini,sec,key"}, {30001, "PC:\\App\\a.txt,0"},
        {64998, "UC:\\App\\y"}, {64999, "UC:\\App\\x"},
    };
    EXPECT_EQ(expected, List());
    EXPECT_EQ(2, Counter(COUNT_D));
    EXPECT_EQ(1, Counter(COUNT_E));
    EXPECT_EQ(2, Counter(COUNT_J));
    EXPECT_EQ(1, Counter(COUNT_K));
    EXPECT_EQ(1, Counter(COUNT_M));
    EXPECT_EQ(1, Counter(COUNT_P));
    EXPECT_EQ(2, Counter(COUNT_U));
    // A and other letters get 0: message 0, the later line replacing the earlier.
    EXPECT_EQ("other letter", Msg(0));
    // Entry texts point into the log buffer.
    for (int i = 0; i < g_entryCount; ++i) {
        EXPECT_GE(g_entries[i].text, g_logBuffer);
        EXPECT_LT(g_entries[i].text, g_logBuffer + g_logSize);
    }
}

TEST_F(LogTest, LauncherStageKeepsOnlyMessagesOneToThousand)
{
    Load("A10,My Product\n"
         "P0,C:\\App\\a.txt,0\n"
         "P30500,x\n"
         "A0,zero\n"
         "B1001,x\n"
         "P5,five\n"
         "A1000,last\n"
         "D0,x.dll,Fn\n",
         LAUNCHER);
    EXPECT_EQ(0, g_entryCount);
    EXPECT_EQ("My Product", Msg(10));
    EXPECT_EQ("five", Msg(5));
    EXPECT_EQ("last", Msg(1000));
    EXPECT_FALSE(Defined(0));
    EXPECT_EQ(3, g_messages.count);
    EXPECT_EQ(0, g_logLines.count) << "the log-line set is for the removal stage";

    Load("A10,My Product\nP0,C:\\App\\a.txt,0\n", REMOVAL);
    EXPECT_EQ("My Product", Msg(10));
    EXPECT_EQ((std::vector<Entry>{{30001, "PC:\\App\\a.txt,0"}}), List());
}

TEST_F(LogTest, ExplicitNumbersWinAndStillAdvanceTheCounter)
{
    Load("P30500,C:\\App\\a.txt,0\nP0,C:\\App\\b.txt,0\n", REMOVAL);
    EXPECT_EQ((std::multiset<Entry>{{30500, "PC:\\App\\a.txt,0"}, {30002, "PC:\\App\\b.txt,0"}}), Set());

    Load("P0,C:\\App\\a.txt,0\nP30500,C:\\App\\a.txt,0\nP0,C:\\App\\b.txt,0\n", REMOVAL);
    EXPECT_EQ((std::vector<Entry>{{30001, "PC:\\App\\a.txt,0"},
                                  {30002, "PC:\\App\\b.txt,0"},
                                  {30500, "PC:\\App\\a.txt,0"}}),
              List());

    // The explicitly numbered line takes the text's place in the set first.
    Load("P30500,C:\\App\\a.txt,0\nP0,C:\\App\\a.txt,0\n", REMOVAL);
    EXPECT_EQ((std::vector<Entry>{{30500, "PC:\\App\\a.txt,0"}}), List());

    // Repeated explicit lines are all kept; numbers above 65535 run last;
    // A lines with explicit numbers are actions.
    Load("P70000,C:\\App\\x.txt,0\nU0,C:\\App\\d\nP2000,r\nP2000,r\nA1500,x\n", REMOVAL);
    EXPECT_EQ((std::vector<Entry>{{1500, "Ax"}, {2000, "Pr"}, {2000, "Pr"},
                                  {64999, "UC:\\App\\d"}, {70000, "PC:\\App\\x.txt,0"}}),
              List());
}

TEST_F(LogTest, RepeatedLinesAreDroppedIgnoringCase)
{
    Load("P0,C:\\App\\a.txt,0\nP0,c:\\app\\A.TXT,0\nP00,C:\\App\\a.txt,0\n", REMOVAL);
    EXPECT_EQ((std::vector<Entry>{{30001, "PC:\\App\\a.txt,0"}}), List());
    EXPECT_EQ(1, Counter(COUNT_P));

    // The letter is part of the text.
    Load("P0,C:\\App\\a.txt,0\nU0,C:\\App\\a.txt,0\n", REMOVAL);
    EXPECT_EQ((std::multiset<Entry>{{30001, "PC:\\App\\a.txt,0"}, {64999, "UC:\\App\\a.txt,0"}}),
              Set());
}

TEST_F(LogTest, LowerCaseLettersAreNoActionsButFillTheSet)
{
    Load("p0,C:\\App\\a.txt,0\nP0,C:\\App\\a.txt,0\n", REMOVAL);
    EXPECT_EQ(0, g_entryCount) << "the lower-case line came first";
    EXPECT_EQ(0, Counter(COUNT_P));

    Load("P0,C:\\App\\a.txt,0\np0,C:\\App\\a.txt,0\nd0,x.dll,Fn\n", REMOVAL);
    EXPECT_EQ((std::vector<Entry>{{30001, "PC:\\App\\a.txt,0"}}), List());
    EXPECT_EQ(0, Counter(COUNT_D));
    EXPECT_EQ("x.dll,Fn", Msg(0));
}

TEST_F(LogTest, RangesOverlapWhenALetterHasManyLines)
{
    std::string log;
    for (int i = 1; i <= 2001; ++i)
        log += "D0,lib" + std::to_string(i) + ".dll,Fn\n";
    log += "E0,setup.exe\n";
    for (int i = 1; i <= 5001; ++i)
        log += "J0,key" + std::to_string(i) + "\n";
    for (int i = 1; i <= 1001; ++i)
        log += "K0,shared" + std::to_string(i) + ".dll\n";
    log += "M0,win.ini,s,k\n";
    Load(log, REMOVAL);
    ASSERT_EQ(2001 + 1 + 5001 + 1001 + 1, g_entryCount);

    std::multimap<int, std::string> byOrder;
    for (const Entry& e : List())
        byOrder.insert(e);
    auto texts = [&](int order) {
        std::multiset<std::string> s;
        auto range = byOrder.equal_range(order);
        for (auto it = range.first; it != range.second; ++it)
            s.insert(it->second);
        return s;
    };
    EXPECT_EQ((std::multiset<std::string>{"Dlib2001.dll,Fn", "Esetup.exe"}), texts(7001));
    EXPECT_EQ((std::multiset<std::string>{"Jkey5001"}), texts(14999));
    EXPECT_EQ((std::multiset<std::string>{"Kshared1001.dll", "Mwin.ini,s,k"}), texts(21001));
}

TEST_F(LogTest, EqualNumbersFromTheLogAreOrderedBySortEntries)
{
    // Two records with the same number: the pair ends swapped.
    Load("P0,C:\\App\\a.txt,0\nP30001,C:\\App\\b.txt,0\n", REMOVAL);
    EXPECT_EQ((std::vector<Entry>{{30001, "PC:\\App\\b.txt,0"}, {30001, "PC:\\App\\a.txt,0"}}),
              List());
}

TEST_F(LogTest, LaterMessageLineReplacesTheText)
{
    Load("A5,first\nA7,x\nB5,second\n", LAUNCHER);
    EXPECT_EQ("second", Msg(5));
    EXPECT_EQ("x", Msg(7));
    EXPECT_EQ(2, g_messages.count);
    // Pairs stand in the order their ids first occur.
    EXPECT_EQ(0, FindMessage(5));
    EXPECT_EQ(1, FindMessage(7));
    EXPECT_EQ(int(NO_MESSAGE), FindMessage(6));
}

TEST_F(LogTest, UndefinedIdGivesEmptyText)
{
    Load("A1,one\n", LAUNCHER);
    EXPECT_EQ("one", Msg(1));
    EXPECT_EQ("", Msg(99)) << "the lookup buffer must be cleared";
    EXPECT_EQ("", Msg(0));
    EXPECT_EQ("", Msg(1001));
}

TEST_F(LogTest, AllThousandAndOneIdsFit)
{
    std::string log;
    for (int id = 1000; id >= 0; --id)
        log += "A" + std::to_string(id) + ",t" + std::to_string(id) + "\n";
    Load(log, REMOVAL);
    EXPECT_EQ(1001, g_messages.count);
    for (int id = 0; id <= 1000; ++id)
        ASSERT_EQ("t" + std::to_string(id), Msg(id)) << id;
    EXPECT_EQ(0, g_entryCount);

    // The launcher stage has no message 0.
    Load(log, LAUNCHER);
    EXPECT_EQ(1000, g_messages.count);
    EXPECT_EQ("t1000", Msg(1000));
    EXPECT_EQ("t1", Msg(1));
    EXPECT_FALSE(Defined(0));
}

TEST_F(LogTest, MessageTextIsCutAt511)
{
    Load("A1," + std::string(600, 'x') + "\nA2," + std::string(511, 'y') + "\nA3," +
             std::string(510, 'z') + "\n",
         LAUNCHER);
    EXPECT_EQ(std::string(511, 'x'), Msg(1));
    EXPECT_EQ(std::string(511, 'y'), Msg(2));
    EXPECT_EQ(std::string(510, 'z'), Msg(3));
}

TEST_F(LogTest, AtMost19999EntriesAndTheSetGrows)
{
    const int lines = MAX_ENTRIES + 1006;  // 21005 distinct texts: more than the set's first room
    std::string log;
    char line[64];
    for (int i = 0; i < lines; ++i) {
        snprintf(line, sizeof line, "P0,C:\\f%05d\n", i);
        log += line;
    }
    log += "P0,C:\\F21003\n";      // repeats a text added after the set grew
    log += "P0,c:\\f00007\n";      // repeats one of the first texts
    log += "P0,C:\\g\n";           // new
    log += "P2000,C:\\explicit\n"; // beyond the limit even with its own number
    log += "A10,Title\n";          // messages still load
    Load(log, REMOVAL);

    ASSERT_EQ(MAX_ENTRIES, g_entryCount);
    for (int i = 0; i < g_entryCount; ++i) {
        snprintf(line, sizeof line, "PC:\\f%05d", i);
        ASSERT_EQ(30001 + i, g_entries[i].order) << i;
        ASSERT_STREQ(line, g_entries[i].text) << i;
    }
    // New texts advance the counter, the explicitly numbered one too.
    EXPECT_EQ(lines + 2, Counter(COUNT_P));
    EXPECT_EQ(lines + 2, g_logLines.count);
    EXPECT_GT(g_logLines.capacity, LOG_LINE_ROOM);
    EXPECT_EQ("Title", Msg(10));
}

TEST_F(LogTest, Number65535IsDropped)
{
    Load("P65535,x\nA65535,y\nP65536,z\nP65534,w\n", REMOVAL);
    EXPECT_EQ((std::vector<Entry>{{65534, "Pw"}, {65536, "Pz"}}), List());
    EXPECT_EQ(0, g_messages.count);

    Load("A65535,y\nA10,t\n", LAUNCHER);
    EXPECT_EQ(1, g_messages.count);
    EXPECT_EQ("t", Msg(10));
}

TEST_F(LogTest, NegativeNumbersAreDropped)
{
    const char* log = "P-5,x\nA-1,y\nA4294967295,z\nP-2147483648,q\nA4294967306,ten\n";
    Load(log, REMOVAL);
    EXPECT_EQ(0, g_entryCount);
    EXPECT_EQ(1, g_messages.count);
    EXPECT_EQ("ten", Msg(10));  // wrapped to 10

    Load(log, LAUNCHER);
    EXPECT_EQ(1, g_messages.count);
    EXPECT_EQ("ten", Msg(10));
}

TEST_F(LogTest, NumberTextIsReadUpTo63Characters)
{
    Load("A" + std::string(62, '0') + "5,five\n" +
             "A" + std::string(63, '0') + "6,six\n" +
             "A" + std::string(100000, '1') + ",long\n" +
             "B" + std::string(100000, '2') + "\n" +
             "A7,seven\n",
         LAUNCHER);
    EXPECT_EQ("five", Msg(5));
    EXPECT_FALSE(Defined(6));
    EXPECT_EQ("seven", Msg(7));
}

TEST_F(LogTest, EmptyLogLoadsQuietly)
{
    Load("", REMOVAL);
    EXPECT_EQ(0, g_entryCount);
    EXPECT_EQ(0, g_messages.count);
    EXPECT_EQ(0, HostMessageBoxCount());
    EXPECT_EQ("", Msg(10));

    Load("A1,no line end", LAUNCHER);
    EXPECT_EQ(0, g_messages.count);
}

// A NUL byte would cut a line short, and the cut path or mode would name
// what the log does not: such a line is no entry, whatever its kind. It
// takes no number and no place in the log-line set.
TEST_F(LogTest, LinesHoldingANulByteAreDropped)
{
    static const char raw[] = "A1,ab\0cd\nA2,two\nP0,x\0y\nP0,x\nA3\0,z\nA4,four\n"
                              "P0,C:\\App\\data\0\\keep.txt,0\r\n"
                              "P0,C:\\App\\a.txt,\0\x31\r\n"
                              "U0,C:\\App\0\\sub,1\r\n"
                              "P0,C:\\App\\data\r\n";
    Load(std::string(raw, sizeof raw - 1), REMOVAL);
    EXPECT_FALSE(Defined(1));
    EXPECT_EQ("two", Msg(2));
    EXPECT_FALSE(Defined(3));
    EXPECT_EQ("four", Msg(4));
    EXPECT_EQ((std::vector<Entry>{{30001, "Px"}, {30002, "PC:\\App\\data"}}), List());
    EXPECT_EQ(2, Counter(COUNT_P));
    EXPECT_EQ(0, Counter(COUNT_U));

    Load(std::string(raw, sizeof raw - 1), LAUNCHER);
    EXPECT_FALSE(Defined(1));
    EXPECT_EQ("four", Msg(4));
}

TEST_F(LogTest, HugeLinesLoad)
{
    std::string huge(4 << 20, 'h');
    Load("A1," + huge + "\nP0," + huge + "\nA2,after\n", REMOVAL);
    EXPECT_EQ(std::string(511, 'h'), Msg(1));
    EXPECT_EQ("after", Msg(2));
    ASSERT_EQ(1, g_entryCount);
    EXPECT_EQ(30001, g_entries[0].order);
    EXPECT_EQ(huge.size() + 1, strlen(g_entries[0].text));

    // A huge number text without a comma: message 1 with an empty text.
    Load("A1" + huge + "\nA2,after\n", LAUNCHER);
    EXPECT_EQ("", Msg(1));
    EXPECT_TRUE(Defined(1));
    EXPECT_EQ("after", Msg(2));
}

TEST_F(LogTest, BinaryGarbageLoadsWithoutHarm)
{
    std::mt19937 rng(4242);
    for (int round = 0; round < 4; ++round) {
        std::string bytes(1 << 18, '\0');
        for (char& c : bytes) {
            unsigned r = rng() % 16;
            // Plenty of line ends, digits, commas and letters among the noise.
            c = r == 0 ? '\n' : r == 1 ? '\r' : r < 5 ? char('0' + rng() % 10)
              : r == 5 ? ',' : r < 8 ? char('A' + rng() % 26) : char(rng());
        }
        Load(bytes, round % 2 ? REMOVAL : LAUNCHER);
        ASSERT_LE(g_entryCount, MAX_ENTRIES);
        ASSERT_LE(g_messages.count, int(MESSAGE_ROOM));
        for (int i = 0; i < g_entryCount; ++i) {
            ASSERT_GE(g_entries[i].order, 1001);
            ASSERT_NE(int(ORDER_DROP), g_entries[i].order);
            if (i > 0)
                ASSERT_LE(g_entries[i - 1].order, g_entries[i].order);
        }
        for (int id = 0; id <= 1000; ++id)
            ASSERT_LE(strlen(GetMessageText(id)), 511u);
    }
}

TEST_F(LogTest, ShortReadShowsAnErrorAndLoadingGoesOn)
{
    // Kernel files report a page as their size but hold less: a short read.
    const char* candidates[] = {"/sys/kernel/mm/transparent_hugepage/enabled",
                                "/sys/kernel/mm/transparent_hugepage/defrag",
                                "/sys/power/state", "/sys/kernel/profiling"};
    const char* file = nullptr;
    for (const char* c : candidates) {
        struct stat st;
        std::ifstream in(c, std::ios::binary);
        std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (stat(c, &st) == 0 && in && size_t(st.st_size) > content.size()) {
            file = c;
            break;
        }
    }
    if (!file)
        GTEST_SKIP() << "no file that reads shorter than its size";
    LoadLog(file, REMOVAL);
    loaded = true;
    ASSERT_EQ(1, HostMessageBoxCount());
    EXPECT_EQ(std::string("Error reading file ") + file, HostLastMessageText());
    EXPECT_EQ(unsigned(MB_OK | MB_ICONERROR), HostLastMessageStyle());
    EXPECT_LE(g_entryCount, MAX_ENTRIES);
}

TEST_F(LogTest, MissingLogEndsTheProcess)
{
    // a missing log means not installed (1605), any other failure is fatal
    // (1603); a POSIX exit status keeps the low byte
    std::string missing = (dir / "missing.ini").string();
    EXPECT_EXIT(LoadLog(missing.c_str(), LAUNCHER), ::testing::ExitedWithCode(EXIT_NOT_INSTALLED & 0xFF),
                EscapeRegex("Can't open uninstal log file " + missing + "!"));
    EXPECT_EXIT(LoadLog(dir.string().c_str(), REMOVAL), ::testing::ExitedWithCode(EXIT_FATAL & 0xFF),
                EscapeRegex("Can't open uninstal log file " + dir.string() + "!"));
    // a table that cannot be had is said as such, not as a read error
    std::ofstream(path, std::ios::binary | std::ios::trunc) << "10,Product\r\n";
    EXPECT_EXIT((HostSetAllocationLimit(4096), LoadLog(path.c_str(), REMOVAL)),
                ::testing::ExitedWithCode(EXIT_FATAL & 0xFF), EscapeRegex("Not enough memory for " + path));
}
