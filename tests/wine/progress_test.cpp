// The progress dialog while the work runs: it answers and paints throughout
// a large removal, its bar rises to full, no input reaches the work, and a
// hung window elsewhere does not hold the removal of fonts.
#include "harness.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace e2e;

namespace {

enum { BAR = IDC_PROGRESS_BAR, BAR_FULL = 1000 };

struct Watch {
    double longest = 0;  // ms
    int samples = 0;
    std::vector<int> positions;
    bool done = false;
};

// The driver's samples of the dialog until the bar stands at until or more,
// or the work is done.
Watch WatchDialog(Driver& driver, int until)
{
    Watch w;
    auto answer = driver.Call({"watch", Title(), std::to_string(until), "300000"}, 320);
    std::stringstream line(answer.empty() ? "" : answer.back());
    std::string ok, positions;
    int done = 0;
    line >> ok >> w.longest >> w.samples >> positions >> done;
    EXPECT_EQ(ok, "ok") << testing::PrintToString(answer);
    std::stringstream list(positions);
    for (std::string p; std::getline(list, p, ',');)
        w.positions.push_back(std::stoi(p));
    w.done = done == 1;
    return w;
}

// Ends the process a driver started when the test ends, passed or failed: a
// failed test leaves no program behind (one held by a hung window would
// otherwise stay).
struct EndStarted {
    Driver& driver;
    ~EndStarted() { driver.Call({"kill"}); }
};

int Count(const std::string& hostRoot)
{
    int files = 0;
    for (auto& e : std::filesystem::recursive_directory_iterator(hostRoot))
        files += e.is_regular_file();
    return files;
}

}  // namespace

// A single file and four trees of 2,000 files, which run after it as trees
// do (UNINS_LARGE_TREE=30000 gives 30,000 files in all, for a measurement by
// hand): five entries, a fifth of the bar each. The driver samples the dialog
// during the work: every WM_NULL is answered within half a second, the
// status lines and the bar show, the bar only rises and ends full, and
// neither a disabled button's command nor Escape nor the close box ends the
// dialog or the work.
TEST(Progress, AnswersThroughoutALargeRemoval)
{
    Sandbox box;
    Driver driver;
    const char* wanted = getenv("UNINS_LARGE_TREE");
    enum { TREES = 4, FILES = 100 };
    int folders = (wanted ? atoi(wanted) : 8000) / (TREES * FILES);
    std::string log;
    for (int t = 0; t < TREES; ++t) {
        std::string tree = "app\\tree" + std::to_string(t);
        for (int d = 0; d < folders; ++d) {
            std::string folder = tree + "\\folder" + std::to_string(d);
            box.MakeDir(folder);
            for (int f = 0; f < FILES; ++f)
                std::ofstream(box.Host(folder + "\\file" + std::to_string(f) + ".dat")) << "x";
        }
        log += "U0," + box.Win(tree) + ",1\r\n";
    }
    box.Write("app\\last.txt", "l");
    log += "P0," + box.Win("app\\last.txt") + ",0\r\n";
    int files = Count(box.Host("app"));
    ASSERT_EQ(files, TREES * folders * FILES + 1);

    std::string program = box.InstallProgram(StandardLog(log));
    box.UseTemp(driver);
    auto started = std::chrono::steady_clock::now();
    EndStarted end{driver};
    ASSERT_TRUE(driver.Start("\"" + program + "\" \"" + box.Win("app\\uninstal.ini") + "\"",
                             box.Win("app")));
    ASSERT_TRUE(driver.WaitWindow(Title()));

    // the file done, and the first tree half its share
    Watch first = WatchDialog(driver, 3 * BAR_FULL / 10);
    ASSERT_FALSE(first.done) << "the work ended before it could be watched";
    Screenshot("progress-working");
    DialogState d = driver.Dump(Title());
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.items[STATUS], (std::vector<std::string>{"Deleting files...", "Please wait."}));
    const Control& bar = d.Get(BAR);
    EXPECT_TRUE(bar.visible);
    EXPECT_EQ(bar.cls, "Static");
    const Control& status = d.Get(STATUS);
    EXPECT_GE(bar.y, status.y + status.h) << "the bar lies under the status list";
    EXPECT_LE(bar.y + bar.h, d.y + d.h);
    for (int id : {CLOSE, FINISH, DELETE_SELECTED, DELETE_ALL})
        EXPECT_FALSE(d.Get(id).enabled) << id;
    EXPECT_FALSE(d.Get(LABEL).visible);
    // no input reaches the work: Escape, the close box, and the commands of
    // the disabled buttons posted as another program could
    driver.Key(Title(), "escape");
    driver.Key(Title(), "close");
    for (int id : {int(CLOSE), int(FINISH), int(DELETE_ALL), int(DELETE_SELECTED), CMD_START_WORK})
        driver.Call({"key", Title(), "command", std::to_string(id)});

    Watch rest = WatchDialog(driver, BAR_FULL + 1);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    EXPECT_TRUE(rest.done);
    std::vector<int> positions = first.positions;
    positions.insert(positions.end(), rest.positions.begin(), rest.positions.end());
    double longest = std::max(first.longest, rest.longest);
    printf("%d files: %.1f s, %d samples, longest wait for an answer %.1f ms, %zu bar positions\n",
           files, seconds, first.samples + rest.samples, longest, positions.size());
    EXPECT_LT(longest, 500.0);
    EXPECT_GE(first.samples + rest.samples, 20);
    // the bar rises, in many steps, to full
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()))
        << testing::PrintToString(positions);
    EXPECT_GE(positions.size(), 10u) << testing::PrintToString(positions);
    ASSERT_FALSE(positions.empty());
    EXPECT_EQ(positions.back(), BAR_FULL);

    d = WaitDone(driver, Title());
    EXPECT_EQ(d.items[STATUS], (std::vector<std::string>{"Deleting files...", "Please wait.",
                                                        "Uninstall complete.",
                                                        "Uninstall program: " + program}));
    EXPECT_FALSE(d.Get(BAR).visible);
    EXPECT_TRUE(d.Get(FINISH).visible);
    EXPECT_TRUE(d.items[LEFTOVER].empty());
    for (int t = 0; t < TREES; ++t)
        EXPECT_FALSE(box.Exists("app\\tree" + std::to_string(t))) << t;
    EXPECT_FALSE(box.Exists("app\\last.txt"));
    EXPECT_TRUE(driver.Running(program)) << "the dialog stays until it is finished";
    ASSERT_TRUE(driver.Click(Title(), FINISH));
    EXPECT_EQ(driver.Wait(), 0);
}

// A top-level window whose thread takes no messages is on the desktop while
// a font is removed by the work and another from the leftover list: neither
// waits for it, and a window that takes its messages hears of both.
TEST(Progress, HungWindowDoesNotHoldTheRemovalOfFonts)
{
    Sandbox box;
    Driver hung;
    std::string fixture = box.InstallFixture("hung.exe", "hung\\hung.exe");
    EndStarted endHung{hung};
    ASSERT_TRUE(hung.Start("\"" + fixture + "\" 120", box.Win("hung")));
    for (int i = 0; i < 300 && !box.Exists("hung\\hung.txt"); ++i)
        usleep(100000);
    ASSERT_TRUE(box.Exists("hung\\hung.txt")) << "the hung window did not open";

    Driver driver;
    ASSERT_EQ(driver.Call({"makewindow", "Font listener"}).back(), "ok");
    box.Write("app\\fonts\\removed.ttf", "not really a font");
    box.Write("app\\fonts\\offered.ttf", "not really a font");
    std::string program = box.InstallProgram(
        StandardLog("P0," + box.Win("app\\fonts\\removed.ttf") + ",0\r\n"
                    "P0," + box.Win("app\\fonts\\offered.ttf") + ",2\r\n"));
    box.UseTemp(driver);
    EndStarted end{driver};
    ASSERT_TRUE(driver.Start("\"" + program + "\" \"" + box.Win("app\\uninstal.ini") + "\"",
                             box.Win("app")));
    ASSERT_TRUE(driver.WaitWindow(Title()));
    DialogState d = WaitDone(driver, Title(), 30000);
    ASSERT_TRUE(d.Get(CLOSE).enabled);
    EXPECT_FALSE(box.Exists("app\\fonts\\removed.ttf"));
    EXPECT_EQ(d.items[LEFTOVER], (std::vector<std::string>{box.Win("app\\fonts\\offered.ttf")}));
    auto heard = [&] { return std::stoi(driver.Call({"fontchanges"}).back().substr(3)); };
    int afterWork = heard();
    EXPECT_GE(afterWork, 1);

    ASSERT_TRUE(driver.Click(Title(), DELETE_SELECTED));
    for (int i = 0; i < 100 && box.Exists("app\\fonts\\offered.ttf"); ++i)
        usleep(100000);
    EXPECT_FALSE(box.Exists("app\\fonts\\offered.ttf")) << "the deletion is held";
    d = driver.Dump(Title());
    EXPECT_TRUE(d.ok) << "the dialog answers after the deletion";
    EXPECT_TRUE(d.items[LEFTOVER].empty());
    // the broadcast is posted: the listener takes it in its own time
    for (int i = 0; i < 50 && heard() <= afterWork; ++i)
        usleep(100000);
    EXPECT_GT(heard(), afterWork);

    // the hung window was there throughout
    EXPECT_TRUE(hung.Running(fixture));
    ASSERT_TRUE(driver.Click(Title(), CLOSE));
    EXPECT_EQ(driver.Wait(), 0);
}
