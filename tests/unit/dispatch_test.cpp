// The dispatcher (the 15000 rule, the cursor kept between calls, the status
// lines, the letters handed on) and the pacing of the first 29 operations.
#include "actions/actions.h"
#include "common/progress.h"
#include "common/globals.h"
#include "common/platform_host.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;
typedef std::vector<std::string> Events;

// What the dispatcher did, in order: "P@3" is RunEntry('P') with the cursor
// on entry 3, "#54" a status line with message 54.
static Events s_events;

// The Windows program's handlers and status list; here they only record.
void RunEntry(char letter)
{
    s_events.push_back(std::string(1, letter) + "@" + std::to_string(g_cursor - g_entries));
}

static void RecordStatusLine(int messageId)
{
    s_events.push_back("#" + std::to_string(messageId));
}

namespace {

int s_window;
HWND const SOME_DIALOG = &s_window;

class DispatchTest : public ::testing::Test {
protected:
    std::deque<std::string> texts;
    std::vector<ActionEntry> records;
    fs::path dir;

    void SetUp() override
    {
        g_dialog = 0;
        g_progress.statusLine = RecordStatusLine;
    }
    void TearDown() override
    {
        if (!dir.empty()) {
            FreeLog();
            fs::remove_all(dir);
        }
        g_entries = 0;
        g_entryCount = 0;
        g_dialog = 0;
    }

    // The sorted array as it is handed to the dispatcher: order and text.
    void Entries(const std::vector<std::pair<int, std::string>>& list)
    {
        for (auto& e : list) {
            texts.push_back(e.second);
            records.push_back(ActionEntry{e.first, &texts.back()[0]});
        }
        g_entries = records.data();
        g_entryCount = int(records.size());
        ResetCursor();
    }

    // A log loaded in the removal stage, numbered and sorted by the loader.
    void Load(const std::string& content)
    {
        std::string pattern = (fs::temp_directory_path() / "unins-run-XXXXXX").string();
        ASSERT_NE(nullptr, mkdtemp(&pattern[0]));
        dir = pattern;
        std::ofstream((dir / "uninstal.ini").string(), std::ios::binary) << content;
        ASSERT_TRUE(NameSetCreate(&g_logLines, LOG_LINE_ROOM));
        LoadLog((dir / "uninstal.ini").string().c_str(), true);
        ResetCursor();
    }

    static Events Run()
    {
        s_events.clear();
        RunActions();
        return s_events;
    }
};

}  // namespace

TEST_F(DispatchTest, NoEntriesRunNothing)
{
    Load("A10,My Product\r\nA54,Registry\r\n");
    ASSERT_EQ(0, g_entryCount);
    EXPECT_EQ(Events{}, Run());
    g_dialog = SOME_DIALOG;
    EXPECT_EQ(Events{}, Run());
}

TEST_F(DispatchTest, WithoutDialogRunStopsAt15000AndResumesThere)
{
    Entries({{1001, "Dx"}, {5001, "Dy"}, {7001, "Ez"}, {14999, "Pw"}, {15000, "Da"},
             {19999, "Jb"}, {20001, "Kc"}, {30001, "Pd"}, {64999, "Ue"}});
    EXPECT_EQ((Events{"D@0", "D@1", "E@2", "P@3"}), Run());
    EXPECT_EQ(g_entries + 4, g_cursor);
    EXPECT_EQ(Events{}, Run());  // still no dialog: the cursor rests
    g_dialog = SOME_DIALOG;
    EXPECT_EQ((Events{"D@4", "#54", "J@5", "K@6", "#42", "#58", "P@7", "U@8"}), Run());
    EXPECT_EQ(Events{}, Run());
}

TEST_F(DispatchTest, WithDialogEverythingRunsInOneCall)
{
    Entries({{5001, "Dx"}, {15000, "Da"}, {19999, "Jb"}, {21001, "Mc"}, {30001, "Pd"}});
    g_dialog = SOME_DIALOG;
    EXPECT_EQ((Events{"D@0", "D@1", "#54", "J@2", "#55", "M@3", "#42", "#58", "P@4"}), Run());
}

TEST_F(DispatchTest, StatusLinesOnlyForExactNumbersButForEachSuchEntry)
{
    Entries({{19998, "J"}, {19999, "J"}, {19999, "J"}, {20000, "J"}, {21000, "M"}, {21001, "M"},
             {21001, "M"}, {21002, "M"}, {30000, "P"}, {30002, "P"}});
    g_dialog = SOME_DIALOG;
    EXPECT_EQ((Events{"J@0", "#54", "J@1", "#54", "J@2", "J@3", "M@4", "#55", "M@5", "#55", "M@6",
                      "M@7", "P@8", "P@9"}),
              Run());
}

TEST_F(DispatchTest, AutomaticAndExplicit30001BothGetTheFilesLines)
{
    Load("P0,C:\\App\\a.txt,0\r\nP30001,C:\\App\\b.txt,0\r\n");
    g_dialog = SOME_DIALOG;
    EXPECT_EQ((Events{"#42", "#58", "P@0", "#42", "#58", "P@1"}), Run());
}

TEST_F(DispatchTest, ExplicitLineFirstLeavesNoTie)
{
    Load("P30001,C:\\App\\b.txt,0\r\nP0,C:\\App\\a.txt,0\r\n");
    g_dialog = SOME_DIALOG;
    EXPECT_EQ((Events{"#42", "#58", "P@0", "P@1"}), Run());
}

TEST_F(DispatchTest, RegistryLineComesBeforeTheLogsFirstJ)
{
    Load("J0,HKLM,Software\\A,x\r\nJ0,HKLM,Software\\B,y\r\nJ0,HKLM,Software\\C,z\r\n");
    g_dialog = SOME_DIALOG;
    EXPECT_EQ((Events{"J@0", "J@1", "#54", "J@2"}), Run());
    EXPECT_STREQ("JHKLM,Software\\A,x", g_entries[2].text);
}

TEST_F(DispatchTest, ExplicitNumbersBelow15000RunBeforeTheDialog)
{
    Load("P14999,C:\\App\\a.txt,0\r\nU1001,C:\\App,1\r\nJ5000,HKLM,Software\\A,x\r\n"
         "M14000,win.ini,Section,Key\r\nK2000,C:\\Shared\\x.dll\r\nD0,C:\\App\\lib.dll,Unregister\r\n"
         "E0,C:\\App\\setup.exe,-u\r\nD15000,C:\\App\\lib.dll,Late\r\nP0,C:\\App\\b.txt,0\r\n");
    EXPECT_EQ((Events{"U@0", "K@1", "J@2", "D@3", "E@4", "M@5", "P@6"}), Run());
    g_dialog = SOME_DIALOG;
    // P14999 took the first P number, so the automatic P line is 30002.
    EXPECT_EQ((Events{"D@7", "P@8"}), Run());
}

TEST_F(DispatchTest, OnlyLibraryCallsAndProgramsAllRunBeforeTheDialog)
{
    Load("D0,a.dll,F\r\nE0,a.exe\r\nD0,b.dll,G\r\nE0,b.exe\r\nD0,c.dll,H\r\n");
    EXPECT_EQ((Events{"D@0", "D@1", "D@2", "E@3", "E@4"}), Run());
    g_dialog = SOME_DIALOG;
    EXPECT_EQ(Events{}, Run());
}

TEST_F(DispatchTest, LetterIsHandedOnExactly)
{
    // The handler table knows D E J K M P U; anything else must reach it
    // unchanged so that it is passed over.
    Entries({{1001, "D"}, {1002, "E"}, {1003, "J"}, {1004, "K"}, {1005, "M"}, {1006, "P"},
             {1007, "U"}, {1008, "p"}, {1009, "d"}, {1010, "A"}, {1011, "?"}});
    EXPECT_EQ((Events{"D@0", "E@1", "J@2", "K@3", "M@4", "P@5", "U@6", "p@7", "d@8", "A@9", "?@10"}),
              Run());
}

// In a child process, whose delay counter is fresh: paced steps, then the
// completion; the sleeps are reported on stderr.
[[noreturn]] static void PaceAndReport(int steps)
{
    HostResetSleeps();
    for (int i = 0; i < steps; ++i)
        PaceStep();
    long afterSteps = HostSleepCount();
    CompletePacing();
    fprintf(stderr, "%d steps: %ld then %ld sleeps, %lu ms\n", steps, afterSteps, HostSleepCount(),
            HostSleepTotal());
    fflush(stderr);
    _exit(0);
}

TEST(PacingDeathTest, RunSleepsExactly29Times)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");  // a new process per case
    using ::testing::ExitedWithCode;
    EXPECT_EXIT(PaceAndReport(0), ExitedWithCode(0), "0 steps: 0 then 29 sleeps, 2900 ms");
    EXPECT_EXIT(PaceAndReport(1), ExitedWithCode(0), "1 steps: 1 then 29 sleeps, 2900 ms");
    EXPECT_EXIT(PaceAndReport(28), ExitedWithCode(0), "28 steps: 28 then 29 sleeps, 2900 ms");
    EXPECT_EXIT(PaceAndReport(29), ExitedWithCode(0), "29 steps: 29 then 29 sleeps, 2900 ms");
    EXPECT_EXIT(PaceAndReport(30), ExitedWithCode(0), "30 steps: 29 then 29 sleeps, 2900 ms");
    EXPECT_EXIT(PaceAndReport(500), ExitedWithCode(0), "500 steps: 29 then 29 sleeps, 2900 ms");
}

static void RecordTakeMessages(DWORD waitMs)
{
    s_events.push_back("~" + std::to_string(waitMs) + "@" + std::to_string(g_cursor - g_entries));
}

// The dialog takes its messages after every entry, with the cursor already
// on the next one (so that the entry counts as done), and before the dialog
// exists nothing is handed to it.
TEST_F(DispatchTest, DialogTakesItsMessagesAfterEachEntry)
{
    Entries({{1001, "Dx"}, {15000, "Da"}, {19999, "Jb"}, {30001, "Pc"}});
    g_progress.takeMessages = RecordTakeMessages;
    EXPECT_EQ((Events{"D@0", "~0@1"}), Run());
    g_dialog = SOME_DIALOG;
    EXPECT_EQ((Events{"D@1", "~0@2", "#54", "J@2", "~0@3", "#42", "#58", "P@3", "~0@4"}), Run());
    g_progress.takeMessages = 0;
}

static unsigned long s_sinkWaits, s_sinkTotal;

static void CountTakeMessages(DWORD waitMs)
{
    ++s_sinkWaits;
    s_sinkTotal += waitMs;
}

// With the dialog's pump in the sink, the same delays are its waits, and
// nothing sleeps without taking messages.
[[noreturn]] static void PaceThroughSinkAndReport(int steps)
{
    HostResetSleeps();
    g_progress.takeMessages = CountTakeMessages;
    for (int i = 0; i < steps; ++i)
        PaceStep();
    unsigned long afterSteps = s_sinkWaits;
    CompletePacing();
    fprintf(stderr, "%d steps: %lu then %lu waits, %lu ms, %ld sleeps\n", steps, afterSteps,
            s_sinkWaits, s_sinkTotal, HostSleepCount());
    fflush(stderr);
    _exit(0);
}

TEST(PacingDeathTest, DelaysAreTheDialogsWaits)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    using ::testing::ExitedWithCode;
    EXPECT_EXIT(PaceThroughSinkAndReport(0), ExitedWithCode(0), "0 steps: 0 then 29 waits, 2900 ms, 0 sleeps");
    EXPECT_EXIT(PaceThroughSinkAndReport(5), ExitedWithCode(0), "5 steps: 5 then 29 waits, 2900 ms, 0 sleeps");
    EXPECT_EXIT(PaceThroughSinkAndReport(40), ExitedWithCode(0), "40 steps: 29 then 29 waits, 2900 ms, 0 sleeps");
}
