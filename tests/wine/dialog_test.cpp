// The removal stage and its progress dialog, end to end.
#include "harness.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace e2e;


// Starts the removal stage by hand: the program with the log's path.
static std::string StartRemoval(const Sandbox& box, Driver& driver, const std::string& log)
{
    std::string program = box.InstallProgram(log);
    box.UseTemp(driver);
    EXPECT_TRUE(driver.Start("\"" + program + "\" \"" + box.Win("app\\uninstal.ini") + "\"",
                             box.Win("app")));
    return program;
}

TEST(Dialog, NothingLeftLayout)
{
    Sandbox box;
    Driver driver;
    auto start = std::chrono::steady_clock::now();
    std::string program = StartRemoval(box, driver, StandardLog());
    ASSERT_TRUE(driver.WaitWindow(Title()));
    DialogState d = WaitDone(driver, Title());
    // a removal stage always waits out its 29 paced steps
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2900));

    EXPECT_EQ(d.items[STATUS], (std::vector<std::string>{"Uninstall complete.",
                                                        "Uninstall program: " + program}));
    EXPECT_EQ(d.selected[STATUS], 1);
    const Control& finish = d.Get(FINISH);
    EXPECT_TRUE(finish.visible);
    EXPECT_TRUE(finish.enabled);
    EXPECT_EQ(finish.text, "&Finish");
    EXPECT_FALSE(d.Get(LABEL).visible);
    EXPECT_FALSE(d.Get(LEFTOVER).visible);
    EXPECT_FALSE(d.Get(CLOSE).enabled);
    // the dialog ends three quarters of the button's height below it
    EXPECT_EQ(d.y + d.h, finish.y + finish.h + 3 * finish.h / 4);
    EXPECT_GT(d.Get(CLOSE).y, d.y + d.h) << "close button outside the visible area";
    Screenshot("dialog-nothing-left");

    // neither Escape nor the close box ends the dialog
    driver.Key(Title(), "escape");
    driver.Key(Title(), "close");
    driver.Call({"sleep", "500"});
    EXPECT_TRUE(driver.Dump(Title()).ok);
    EXPECT_TRUE(driver.Running(program));

    ASSERT_TRUE(driver.Click(Title(), FINISH));
    EXPECT_EQ(driver.Wait(), 0);
}

TEST(Dialog, StatusLinesInOrder)
{
    Sandbox box;
    Driver driver;
    std::string program = StartRemoval(
        box, driver,
        StandardLog("P0," + box.Win("app\\x.txt") + ",0\r\n"
                    "M0," + box.Win("none.ini") + ",s,k\r\n"
                    "J0,1,Software\\NoSuchKey1,v\r\n"
                    "J0,1,Software\\NoSuchKey2,v\r\n"));
    ASSERT_TRUE(driver.WaitWindow(Title()));
    DialogState d = WaitDone(driver, Title());
    // registry lines come before the last J entry, then profiles, then files
    EXPECT_EQ(d.items[STATUS],
              (std::vector<std::string>{"Removing registry entries...", "Removing profile entries...",
                                        "Deleting files...", "Please wait.", "Uninstall complete.",
                                        "Uninstall program: " + program}));
    ASSERT_TRUE(driver.Click(Title(), FINISH));
    EXPECT_EQ(driver.Wait(), 0);
}

TEST(Dialog, MissingMessagesShowAsEmptyTexts)
{
    Sandbox box;
    Driver driver;
    StartRemoval(box, driver, "P0," + box.Win("app\\x.txt") + ",0\r\n");
    ASSERT_TRUE(driver.WaitWindow(" "));  // the caption is "%s %s" of two empty texts
    DialogState d = WaitDone(driver, " ");
    EXPECT_EQ(d.items[STATUS], (std::vector<std::string>{"", "", "", ""}));
    EXPECT_EQ(d.Get(FINISH).text, "");
    ASSERT_TRUE(driver.Click(" ", FINISH));
    EXPECT_EQ(driver.Wait(), 0);
}

TEST(Dialog, EntriesBelow15000RunBeforeTheDialog)
{
    Sandbox box;
    Driver driver;
    box.Write("app\\early.txt", "e");
    box.Write("app\\offered.txt", "o");
    StartRemoval(box, driver,
                 StandardLog("P14000," + box.Win("app\\early.txt") + ",0\r\n"
                             "P14001," + box.Win("app\\offered.txt") + ",2\r\n"
                             "P30001," + box.Win("app\\offered.txt") + ",0\r\n"));
    ASSERT_TRUE(driver.WaitWindow(Title()));
    DialogState d = WaitDone(driver, Title());
    EXPECT_FALSE(box.Exists("app\\early.txt"));
    // offered before the dialog existed: shown nowhere, and no later entry takes it on
    EXPECT_TRUE(box.Exists("app\\offered.txt"));
    EXPECT_TRUE(d.items[LEFTOVER].empty());
    EXPECT_TRUE(d.Get(FINISH).visible);
    ASSERT_TRUE(driver.Click(Title(), FINISH));
    EXPECT_EQ(driver.Wait(), 0);
}

TEST(Dialog, RunningCopyIsDeletedAtTheNextRestart)
{
    Sandbox box;
    Driver driver;
    std::string program = StartRemoval(box, driver, StandardLog());
    ASSERT_TRUE(driver.WaitWindow(Title()));
    DialogState d = WaitDone(driver, Title());
    std::string pending = driver.RegGet(
        "HKLM\\System\\CurrentControlSet\\Control\\Session Manager", "PendingFileRenameOperations");
    EXPECT_NE(pending.find(program), std::string::npos) << pending;
    ASSERT_TRUE(driver.Click(Title(), FINISH));
    EXPECT_EQ(driver.Wait(), 0);
    EXPECT_TRUE(box.Exists("app\\unins.exe"));
    RestartWine();
    EXPECT_FALSE(box.Exists("app\\unins.exe"));
}
