// File and directory removal and the leftover list, end to end.
#include "harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace e2e;


// Runs the removal stage on the entries and waits until the work is done
// (a button to end the dialog is enabled), answering questions by answers.
static DialogState RunRemoval(const Sandbox& box, Driver& driver, const std::string& entries,
                              std::vector<std::pair<std::string, int>> answers = {})
{
    std::string program = box.InstallProgram(StandardLog(entries));
    box.UseTemp(driver);
    EXPECT_TRUE(driver.Start("\"" + program + "\" \"" + box.Win("app\\uninstal.ini") + "\"",
                             box.Win("app")));
    for (auto& [text, button] : answers) {
        Box question = driver.WaitBox();
        EXPECT_EQ(question.text, text);
        EXPECT_EQ(question.owner, Title());
        driver.Answer(button);
    }
    EXPECT_TRUE(driver.WaitWindow(Title()));
    return WaitDone(driver, Title(), 120000);
}

static void Finish(Driver& driver, const DialogState& d)
{
    EXPECT_TRUE(driver.Click(Title(), d.Get(FINISH).visible ? FINISH : CLOSE));
    EXPECT_EQ(driver.Wait(), 0);
}

TEST(Files, ModesOfFileEntries)
{
    Sandbox box;
    Driver driver;
    for (auto name : {"del.txt", "ask-yes.txt", "ask-no.txt", "offer.txt", "other.txt"})
        box.Write(std::string("app\\") + name, name);
    std::string w = box.Win("app\\");
    DialogState d = RunRemoval(box, driver,
                               "P0," + w + "del.txt,0\r\n"
                               "P0," + w + "ask-yes.txt,1\r\n"
                               "P0," + w + "ask-no.txt,1\r\n"
                               "P0," + w + "offer.txt,2\r\n"
                               "P0," + w + "other.txt,7\r\n"
                               "P0," + w + "missing.txt,0\r\n",
                               {{"Delete " + w + "ask-yes.txt?", YES},
                                {"Delete " + w + "ask-no.txt?", NO}});
    EXPECT_FALSE(box.Exists("app\\del.txt"));
    EXPECT_FALSE(box.Exists("app\\ask-yes.txt"));
    EXPECT_TRUE(box.Exists("app\\ask-no.txt"));
    EXPECT_TRUE(box.Exists("app\\offer.txt"));
    EXPECT_TRUE(box.Exists("app\\other.txt"));
    EXPECT_EQ(d.items[LEFTOVER], (std::vector<std::string>{w + "offer.txt"}));
    Finish(driver, d);
}

TEST(Files, TreeModes)
{
    Sandbox box;
    Driver driver;
    for (auto tree : {"t0", "t1", "t2", "t2empty\\x", "t3"}) {
        box.MakeDir(tree);
        if (std::string(tree) != "t2empty\\x") {
            box.Write(std::string(tree) + "\\a.txt", "a");
            box.Write(std::string(tree) + "\\sub\\b.txt", "b");
            box.MakeDir(std::string(tree) + "\\empty\\deeper");
        }
    }
    std::string w = box.Win();
    DialogState d = RunRemoval(box, driver,
                               "U0," + w + "\\t0,0\r\n"
                               "U0," + w + "\\t1,1\r\n"
                               "U0," + w + "\\t2,2\r\n"
                               "U0," + w + "\\t2empty\\x,2\r\n"
                               "U0," + w + "\\t3,3\r\n");
    // mode 0: files offered, folders without files removed from the bottom up
    EXPECT_TRUE(box.Exists("t0\\a.txt"));
    EXPECT_TRUE(box.Exists("t0\\sub\\b.txt"));
    EXPECT_FALSE(box.Exists("t0\\empty"));
    // mode 1: the whole tree goes
    EXPECT_FALSE(box.Exists("t1"));
    // mode 2: only an empty folder is removed, nothing is descended into
    EXPECT_TRUE(box.Exists("t2\\empty\\deeper"));
    EXPECT_FALSE(box.Exists("t2empty\\x"));
    // another mode: files are left alone and not offered, empty folders still go
    EXPECT_TRUE(box.Exists("t3\\sub\\b.txt"));
    EXPECT_FALSE(box.Exists("t3\\empty"));
    EXPECT_EQ(d.items[LEFTOVER],
              (std::vector<std::string>{w + "\\t0\\a.txt", w + "\\t0\\sub\\b.txt"}));
    Finish(driver, d);
}

TEST(Files, Patterns)
{
    Sandbox box;
    Driver driver;
    for (auto name : {"p1\\a.txt", "p1\\b.TXT", "p1\\c.log", "p2\\readme.md", "p2\\readme",
                      "p2\\other.md", "p3\\xabc.txt", "p3\\q.doc", "p4\\a.tmp", "p4\\ab.tmp",
                      "p4\\b.tmp", "p5\\k.tmp", "p5\\d.tmp\\inner.bin", "p5\\e\\keep.tmp",
                      "p6\\f.bin", "p6\\sub\\g.bin"})
        box.Write(name, "x");
    std::string w = box.Win();
    DialogState d = RunRemoval(box, driver,
                               "P0," + w + "\\p1\\*.txt,0\r\n"
                               "P0," + w + "\\p2\\readme.*,0\r\n"
                               "P0," + w + "\\p3\\*abc.txt,0\r\n"
                               "P0," + w + "\\p4\\a*.tmp,0\r\n"
                               "U0," + w + "\\p5\\*.tmp,1\r\n"
                               "U0," + w + "\\p6\\*.*,1\r\n");
    EXPECT_FALSE(box.Exists("p1\\a.txt"));
    EXPECT_FALSE(box.Exists("p1\\b.TXT"));
    EXPECT_TRUE(box.Exists("p1\\c.log"));
    EXPECT_FALSE(box.Exists("p2\\readme.md"));
    EXPECT_FALSE(box.Exists("p2\\readme"));  // no dot: base readme, empty extension
    EXPECT_TRUE(box.Exists("p2\\other.md"));
    EXPECT_FALSE(box.Exists("p3\\xabc.txt"));  // *abc.txt means every .txt
    EXPECT_TRUE(box.Exists("p3\\q.doc"));
    EXPECT_FALSE(box.Exists("p4\\a.tmp"));  // a*.tmp goes to the system as it is
    EXPECT_FALSE(box.Exists("p4\\ab.tmp"));
    EXPECT_TRUE(box.Exists("p4\\b.tmp"));
    // a U pattern filters the first level only: d.tmp is walked whole, e is not entered
    EXPECT_FALSE(box.Exists("p5\\k.tmp"));
    EXPECT_FALSE(box.Exists("p5\\d.tmp"));
    EXPECT_TRUE(box.Exists("p5\\e\\keep.tmp"));
    // «U…\*.*,1» empties the folder but keeps it
    EXPECT_TRUE(box.Exists("p6"));
    EXPECT_TRUE(std::filesystem::is_empty(box.Host("p6")));
    EXPECT_TRUE(d.items[LEFTOVER].empty());
    Finish(driver, d);
}

TEST(Files, WildcardInADriveRootIsRefused)
{
    Sandbox box;
    Driver driver;
    std::string marker = HostPath("C:\\e2e_root_marker.e2eroot");
    { std::ofstream(marker) << "x"; }
    DialogState d = RunRemoval(box, driver, "P0,C:\\*.e2eroot,0\r\nP0,C:*.e2eroot,0\r\n");
    EXPECT_TRUE(std::filesystem::exists(marker));
    std::filesystem::remove(marker);
    Finish(driver, d);
}

TEST(Files, EachPathIsHandledOnce)
{
    Sandbox box;
    Driver driver;
    box.Write("app\\tree\\a.txt", "a");
    box.Write("app\\tree\\b.txt", "b");
    std::string w = box.Win("app\\tree\\");
    // the P entry offers a.txt; the later U walk must neither delete nor list it again
    DialogState d = RunRemoval(box, driver, "P0," + w + "a.txt,2\r\nU0," + w.substr(0, w.size() - 1) + ",1\r\n");
    EXPECT_TRUE(box.Exists("app\\tree\\a.txt"));
    EXPECT_FALSE(box.Exists("app\\tree\\b.txt"));
    EXPECT_EQ(d.items[LEFTOVER], (std::vector<std::string>{w + "a.txt"}));
    Finish(driver, d);
}

TEST(Files, ProtectedFoldersAreNotWalked)
{
    Sandbox box;
    Driver driver;
    // mode 0 would offer every file of these trees
    DialogState d = RunRemoval(box, driver,
                               "U0,C:\\users\\root,0\r\n"
                               "U0,C:\\windows\\system32\\,0\r\n"
                               "U0,C:\\windows\\*.*,0\r\n"
                               "U0,C:\\Program Files,0\r\n");
    EXPECT_TRUE(d.items[LEFTOVER].empty()) << d.items[LEFTOVER].size() << " files offered";
    Finish(driver, d);
}

// A file the system will not delete is offered; the user deletes it from the
// list later, after a retry, and its emptied folders go with it.
TEST(Leftover, FilesLeftLayoutAndDeletingFromTheList)
{
    Sandbox box;
    Driver driver;
    box.Write("app\\data\\deep\\locked.txt", "l");
    box.Write("app\\data\\keep.txt", "k");
    box.Write("app\\z-offered.txt", "z");
    box.Write("app\\gone.txt", "g");
    std::string locked = box.Win("app\\data\\deep\\locked.txt");
    ASSERT_TRUE(driver.Hold(locked));
    std::string w = box.Win("app\\");
    DialogState d = RunRemoval(box, driver,
                               "P0," + locked + ",0\r\n"
                               "P0," + w + "z-offered.txt,2\r\n"
                               "P0," + w + "gone.txt,2\r\n");
    // sorted, first selected; label, both delete buttons and close; no finish
    EXPECT_EQ(d.items[LEFTOVER], (std::vector<std::string>{locked, w + "gone.txt",
                                                            w + "z-offered.txt"}));
    EXPECT_EQ(d.selected[LEFTOVER], 0);
    EXPECT_EQ(d.Get(LABEL).text, "These files were not removed:");
    EXPECT_TRUE(d.Get(LABEL).visible);
    EXPECT_EQ(d.Get(CLOSE).text, "&Close");
    EXPECT_EQ(d.Get(DELETE_SELECTED).text, "Delete &selected");
    EXPECT_EQ(d.Get(DELETE_ALL).text, "Delete &all");
    EXPECT_TRUE(d.Get(CLOSE).enabled && d.Get(DELETE_SELECTED).enabled && d.Get(DELETE_ALL).enabled);
    EXPECT_FALSE(d.Get(FINISH).visible);
    EXPECT_EQ(d.y + d.h, d.Get(CLOSE).y + d.Get(CLOSE).h + 3 * d.Get(CLOSE).h / 4);
    Screenshot("dialog-files-left");

    // the locked file: No keeps it and takes it off the list
    ASSERT_TRUE(driver.Click(Title(), DELETE_SELECTED));
    Box retry = driver.WaitBox();
    EXPECT_EQ(retry.text, "Cannot delete " + locked + ". Try again?");
    EXPECT_EQ(retry.owner, Title());
    driver.Answer(NO);
    d = driver.Dump(Title());
    EXPECT_TRUE(box.Exists("app\\data\\deep\\locked.txt"));
    EXPECT_EQ(d.items[LEFTOVER], (std::vector<std::string>{w + "gone.txt", w + "z-offered.txt"}));
    EXPECT_EQ(d.selected[LEFTOVER], 0);

    // a listed file that vanished is simply taken off; then delete all
    std::filesystem::remove(box.Host("app\\gone.txt"));
    ASSERT_TRUE(driver.Click(Title(), DELETE_ALL));
    driver.Call({"sleep", "500"});
    d = driver.Dump(Title());
    EXPECT_TRUE(d.items[LEFTOVER].empty());
    EXPECT_FALSE(box.Exists("app\\z-offered.txt"));
    EXPECT_FALSE(d.Get(DELETE_SELECTED).enabled);
    EXPECT_FALSE(d.Get(DELETE_ALL).enabled);
    EXPECT_TRUE(d.Get(CLOSE).enabled);
    Finish(driver, d);
    driver.Release(locked);
}

TEST(Leftover, RetryAfterTheFileIsReleasedAndEmptyFoldersGo)
{
    Sandbox box;
    Driver driver;
    box.Write("app\\data\\deep\\locked.txt", "l");
    box.Write("app\\data\\keep.txt", "k");
    std::string locked = box.Win("app\\data\\deep\\locked.txt");
    ASSERT_TRUE(driver.Hold(locked));
    DialogState d = RunRemoval(box, driver, "P0," + locked + ",0\r\n");
    ASSERT_EQ(d.items[LEFTOVER], (std::vector<std::string>{locked}));
    ASSERT_TRUE(driver.Click(Title(), DELETE_SELECTED));
    ASSERT_TRUE(driver.WaitBox().found);
    driver.Release(locked);
    driver.Answer(YES);
    driver.Call({"sleep", "500"});
    d = driver.Dump(Title());
    EXPECT_FALSE(box.Exists("app\\data\\deep"));  // emptied: removed
    EXPECT_TRUE(box.Exists("app\\data\\keep.txt"));  // the walk up stops here
    EXPECT_TRUE(d.items[LEFTOVER].empty());
    EXPECT_FALSE(d.Get(DELETE_ALL).enabled);
    Finish(driver, d);
}

// The stress run: a log at the limit of 19,999 entries over a tree of 50,000
// files with long paths (far more than the first sizes of the handled-path
// set and its pool). Trees and single files are named by several entries at
// once; every named file is handled exactly once, the 20,000th entry is
// dropped, and nothing else is touched. Prints the time the work took and the
// memory the process held at its peak.
TEST(Files, StressLogAtTheLimitOverALargeTree)
{
    Sandbox box;
    Driver driver;
    enum { FOLDERS = 100, SUBFOLDERS = 5, FILES = 100 };
    const std::string longName(40, 'n');
    auto folder = [](int d) { return "big\\folder_with_a_rather_long_name_" + std::to_string(d); };
    auto file = [&](int d, int s, int f) {
        return folder(d) + "\\sub" + std::to_string(s) + "\\" + longName + "_" + std::to_string(f) +
               ".dat";
    };
    for (int d = 0; d < FOLDERS; ++d)
        for (int s = 0; s < SUBFOLDERS; ++s) {
            std::filesystem::create_directories(box.Host(folder(d) + "\\sub" + std::to_string(s)));
            for (int f = 0; f < FILES; ++f)
                std::ofstream(box.Host(file(d, s, f))) << "x";
        }

    // folders 0-39: whole trees (mode 1), their first 100 files also by P
    // entries that come first; 40-69: every file by its own P entry; 70: 100
    // files offered (mode 2), then the whole tree; 80: the 19,999th entry;
    // 81: the 20,000th, dropped; the rest: not named, only missing files
    // beside them
    std::vector<std::string> entries;
    for (int d = 0; d < 40; ++d)
        entries.push_back("U0," + box.Win(folder(d)) + ",1");
    for (int d = 40; d < 70; ++d)
        for (int s = 0; s < SUBFOLDERS; ++s)
            for (int f = 0; f < FILES; ++f)
                entries.push_back("P0," + box.Win(file(d, s, f)) + ",0");
    std::vector<std::string> offered;
    for (int f = 0; f < FILES; ++f) {
        entries.push_back("P0," + box.Win(file(70, 0, f)) + ",2");
        entries.push_back("P0," + box.Win(file(0, 0, f)) + ",0");
        offered.push_back(box.Win(file(70, 0, f)));
    }
    entries.push_back("U0," + box.Win(folder(70)) + ",1");
    while (entries.size() < 19998)
        entries.push_back("P0," + box.Win(folder(99) + "\\sub9\\missing" +
                                          std::to_string(entries.size()) + ".dat") + ",0");
    entries.push_back("U0," + box.Win(folder(80)) + ",1");
    entries.push_back("U0," + box.Win(folder(81)) + ",1");
    std::string log;
    for (auto& e : entries)
        log += e + "\r\n";

    auto started = std::chrono::steady_clock::now();
    std::string program = box.InstallProgram(StandardLog(log));
    box.UseTemp(driver);
    ASSERT_TRUE(driver.Start("\"" + program + "\" \"" + box.Win("app\\uninstal.ini") + "\"",
                             box.Win("app")));
    ASSERT_TRUE(driver.WaitWindow(Title(), 120000));
    DialogState d = WaitDone(driver, Title(), 480000);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    auto memory = driver.Call({"memory"});
    ASSERT_FALSE(memory.empty());
    std::stringstream fields(memory.back());
    std::string ok;
    unsigned long long peakWorkingSet = 0, peakCommitted = 0;
    fields >> ok >> peakWorkingSet >> peakCommitted;
    EXPECT_EQ(ok, "ok");
    printf("stress: %zu entries over %d files: %.1f s from start to the end of the work; "
           "peak working set %.1f MB, peak committed %.1f MB\n",
           entries.size() - 1, FOLDERS * SUBFOLDERS * FILES, seconds, peakWorkingSet / 1048576.0,
           peakCommitted / 1048576.0);
    RecordProperty("seconds", std::to_string(seconds));
    RecordProperty("peak_working_set", std::to_string(peakWorkingSet));
    RecordProperty("peak_committed", std::to_string(peakCommitted));

    // each offered file listed once, nothing else (in the list's own order)
    std::vector<std::string> listed = d.items[LEFTOVER];
    std::sort(listed.begin(), listed.end());
    std::sort(offered.begin(), offered.end());
    EXPECT_EQ(listed, offered);
    for (int n = 0; n < FOLDERS; ++n) {
        bool tree = n < 40 || n == 70 || n == 80;
        if (tree && n != 70) {
            EXPECT_FALSE(box.Exists(folder(n))) << folder(n);
            continue;
        }
        int left = 0;
        for (int s = 0; s < SUBFOLDERS; ++s)
            for (int f = 0; f < FILES; ++f)
                left += box.Exists(file(n, s, f));
        int expected = n == 70 ? FILES : (n >= 40 && n < 70) ? 0 : SUBFOLDERS * FILES;
        EXPECT_EQ(left, expected) << folder(n);
    }
    EXPECT_TRUE(box.Exists(folder(40) + "\\sub0"));  // P entries leave the folders
    Finish(driver, d);
}
