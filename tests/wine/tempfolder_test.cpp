// Running from the temporary folder without trusting it: libraries and
// programs left in the application's folder or in the temporary folder never
// run, and every run copies the program into a folder of its own.
#include "harness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

using namespace e2e;

// Both stages under a search order that prefers a library beside the program
// (uxtheme native first: Wine then takes uxtheme.dll from the program's
// folder when one lies there, as Windows does for a library that is not a
// known one; both stages load it for their first window). The canary is a
// library that writes canary.txt beside itself when loaded: it lies beside
// the program, and in the temporary folder under the theme library's name and
// under the names of libraries that D entries name without a folder or by a
// relative path. Programs of the names E entries give lie in the temporary
// folder too. The real library and program lie in a folder on PATH.
TEST(TempFolder, PlantedLibrariesAndProgramsNeverRun)
{
    Sandbox box;
    Driver driver;
    box.InstallFixture("canary.dll", "app\\uxtheme.dll");
    box.InstallFixture("canary.dll", "tmp\\uxtheme.dll");
    box.InstallFixture("canary.dll", "tmp\\record.dll");
    box.InstallFixture("canary.dll", "tmp\\planted.dll");
    box.InstallFixture("record.dll", "tmp\\sub\\record.dll");
    box.InstallFixture("recorder.exe", "tmp\\recorder.exe");
    box.InstallFixture("recorder.exe", "tmp\\planted.exe");
    box.InstallFixture("record.dll", "bin\\record.dll");
    std::string real = box.InstallFixture("recorder.exe", "bin\\recorder.exe");
    // a library that needs the second one beside it
    std::string needy = box.InstallFixture("needy.dll", "app\\My Tools\\needy.dll");
    box.InstallFixture("record.dll", "app\\My Tools\\record.dll");

    std::string temp = box.Win("tmp");
    struct Row {
        std::string entry;
        std::string recorded;  // the line it adds to the record, or "" for none
    } rows[] = {
        {"D0,record.dll,Args1,1,by name", "Args1|by name"},
        {"D0," + needy + ",Needy,0", "Args1|needy"},
        {"D0,planted.dll,Args0,0", ""},
        {"D0,sub\\record.dll,Args1,1,relative", ""},  // from the temporary folder
        // the program found, under its short path, and no other
        {"E0,recorder where", "start|" + driver.ShortPath(real) + " where|" + temp + "|" + real},
        {"E0,\"recorder\" where", "start|" + driver.ShortPath(real) + " where|" + temp + "|" + real},
        {"E0,planted where", ""},
    };
    std::string log;
    std::vector<std::string> expected;
    for (auto& r : rows) {
        log += r.entry + "\r\n";
        if (!r.recorded.empty())
            expected.push_back(r.recorded);
    }
    log += "P0," + box.Win("app\\data.txt") + ",0\r\n";
    box.Write("app\\data.txt", "data");
    // a name of its own, so that Wine's setting for it touches no other test
    const std::string name = "unins-trust.exe";
    std::string program = box.InstallProgram(StandardLog(log), name);
    const std::string overrides = "HKCU\\Software\\Wine\\AppDefaults\\" + name + "\\DllOverrides";
    driver.RegSet(overrides, "uxtheme", "sz", "native,builtin");

    box.UseTemp(driver);
    driver.Env("PATH", "C:\\windows\\system32;C:\\windows;" + box.Win("bin"));
    ASSERT_TRUE(driver.Start("\"" + program + "\"", box.Win("app")));
    ASSERT_TRUE(driver.WaitBox().found);
    ASSERT_TRUE(driver.Answer(YES));
    std::vector<std::string> copies = WaitCopies(temp, 1, name);
    ASSERT_EQ(copies.size(), 1u);
    ASSERT_TRUE(driver.Find(copies[0]));
    ASSERT_TRUE(driver.WaitWindow(Title()));
    DialogState d = WaitDone(driver, Title());
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.items[STATUS].back(), "Uninstall program: " + copies[0]);
    EXPECT_FALSE(box.Exists("app\\data.txt"));
    ASSERT_TRUE(driver.Click(Title(), FINISH));
    EXPECT_EQ(driver.WaitFound(), 0);
    EXPECT_EQ(driver.Wait(), 0);  // the launcher waited for it
    driver.RegDeleteTree(overrides.substr(0, overrides.rfind('\\')));

    EXPECT_EQ(Lines(box.Read("tmp\\record.txt")), expected);
    EXPECT_FALSE(box.Exists("app\\canary.txt")) << box.Read("app\\canary.txt");
    EXPECT_FALSE(box.Exists("tmp\\canary.txt")) << box.Read("tmp\\canary.txt");
}

// Two applications' uninstallers with the same temporary folder, the first
// still at its end dialog while the second runs, and a file of the copy's
// name in the way, held open: each copy runs from a folder of its own, both
// finish, and the restart takes the copies and their folders and leaves what
// others left.
TEST(TempFolder, TwoUninstallersAtOnceAndNothingOfThemAfterTheRestart)
{
    Sandbox box;
    Driver driver;
    std::string first = box.InstallProgram(StandardLog("P0," + box.Win("app\\one.txt") + ",0\r\n"));
    box.Write("app\\one.txt", "one");
    std::string otherProduct = Product() + " Two";
    std::string otherTitle = "Uninstall " + otherProduct;
    std::string otherLog = StandardLog("P0," + box.Win("app2\\two.txt") + ",0\r\n");
    otherLog.replace(otherLog.find("A10," + Product()), 4 + Product().size(), "A10," + otherProduct);
    box.MakeDir("app2");
    std::filesystem::copy_file(ProgramFile(box.build), box.Host("app2\\unins.exe"));
    box.Write("app2\\uninstal.ini", otherLog);
    box.Write("app2\\two.txt", "two");
    std::string second = box.Win("app2\\unins.exe");

    box.UseTemp(driver);
    box.Write("tmp\\unins.exe", "in the way");
    ASSERT_TRUE(driver.Hold(box.Win("tmp\\unins.exe"), true));

    ASSERT_TRUE(driver.Start("\"" + first + "\"", box.Win("app")));
    ASSERT_TRUE(driver.WaitBox().found);
    ASSERT_TRUE(driver.Answer(YES));
    std::vector<std::string> copies = WaitCopies(box.Win("tmp"));
    ASSERT_EQ(copies.size(), 1u);
    std::string firstCopy = copies[0];
    ASSERT_TRUE(driver.WaitWindow(Title()));
    ASSERT_TRUE(WaitDone(driver, Title()).ok);  // and there it stays for now

    ASSERT_TRUE(driver.Start("\"" + second + "\"", box.Win("app2")));
    Box question = driver.WaitBoxCaptioned(otherTitle);
    ASSERT_TRUE(question.found);
    ASSERT_TRUE(driver.Answer(YES));
    copies = WaitCopies(box.Win("tmp"), 2);
    ASSERT_EQ(copies.size(), 2u);
    std::string secondCopy = copies[0] == firstCopy ? copies[1] : copies[0];
    ASSERT_TRUE(driver.Find(secondCopy));
    ASSERT_TRUE(driver.WaitWindow(otherTitle));
    DialogState d = WaitDone(driver, otherTitle);
    EXPECT_EQ(d.items[STATUS].back(), "Uninstall program: " + secondCopy);
    ASSERT_TRUE(driver.Click(otherTitle, FINISH));
    EXPECT_EQ(driver.WaitFound(), 0);

    ASSERT_TRUE(driver.Find(firstCopy));
    ASSERT_TRUE(driver.Click(Title(), FINISH));
    EXPECT_EQ(driver.WaitFound(), 0);
    EXPECT_FALSE(box.Exists("app\\one.txt"));
    EXPECT_FALSE(box.Exists("app2\\two.txt"));

    // each copy, then its folder
    std::string pending = driver.RegGet(
        "HKLM\\System\\CurrentControlSet\\Control\\Session Manager", "PendingFileRenameOperations");
    for (auto& copy : {firstCopy, secondCopy}) {
        std::string folder = copy.substr(0, copy.rfind('\\'));
        size_t file = pending.find("\\??\\" + copy + "|");
        size_t after = pending.find("\\??\\" + folder + "|");
        EXPECT_NE(file, std::string::npos) << pending;
        EXPECT_NE(after, std::string::npos) << pending;
        EXPECT_LT(file, after) << pending;
    }
    driver.Release(box.Win("tmp\\unins.exe"));
    RestartWine();
    EXPECT_EQ(HostTree(box.Host("tmp")), std::set<std::string>{"unins.exe"});
    EXPECT_EQ(box.Read("tmp\\unins.exe"), "in the way");
}
