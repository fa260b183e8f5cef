// Start-up and the launcher stage, end to end.
#include "harness.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

using namespace e2e;


// Runs the launcher in app\, answers Yes and finishes the removal stage of
// the copy that appears in a folder of its own in the given temporary folder.
static void RunLauncherToTheEnd(const Sandbox& box, Driver& driver, const std::string& temp)
{
    // the shipped 32-bit program is emulated on machines without 32-bit support
    const int slow = Emulated(box.build) ? 15 : 1;
    std::string program = box.InstallProgram(StandardLog("P0," + box.Win("app\\data.txt") + ",0\r\n"));
    box.Write("app\\data.txt", "data");
    box.UseTemp(driver, temp);
    ASSERT_TRUE(driver.Start("\"" + program + "\"", box.Win("app")));

    Box question = driver.WaitBox(30000 * slow);
    ASSERT_TRUE(question.found);
    EXPECT_EQ(question.caption, Title());
    EXPECT_EQ(question.text, "Remove " + Product() + " and all of its components?");
    EXPECT_EQ(question.buttons, "Yes,No");
    EXPECT_EQ(question.owner, "-");
    ASSERT_TRUE(driver.Answer(YES));

    std::vector<std::string> copies = WaitCopies(box.Win(temp));
    ASSERT_EQ(copies.size(), 1u);
    std::string copy = copies[0];
    EXPECT_FALSE(box.Exists(temp + "\\unins.exe"));
    ASSERT_TRUE(driver.Find(copy, 60000 * slow));
    ASSERT_TRUE(driver.WaitWindow(Title(), 60000 * slow));
    DialogState dialog = WaitDone(driver, Title(), 60000 * slow);
    ASSERT_TRUE(dialog.ok);
    ASSERT_FALSE(dialog.items[STATUS].empty());
    EXPECT_EQ(dialog.items[STATUS].back(), "Uninstall program: " + copy);
    // the copy read the log given on its command line and did its work
    EXPECT_FALSE(box.Exists("app\\data.txt"));
    ASSERT_TRUE(driver.Click(Title(), FINISH));
    EXPECT_EQ(driver.WaitFound(60000 * slow), 0);
    // the launcher waited for its copy, and ends with its exit code
    EXPECT_EQ(driver.Wait(60000 * slow), 0);
}

TEST(Launcher, YesCopiesItselfIntoATempFolderWithASpaceAndRunsTheLog)
{
    Sandbox box;
    Driver driver;
    RunLauncherToTheEnd(box, driver, "temp dir");
}

TEST(Launcher, NoCopiesAndStartsNothing)
{
    Sandbox box;
    Driver driver;
    std::string program = box.InstallProgram(StandardLog());
    box.UseTemp(driver);
    ASSERT_TRUE(driver.Start("\"" + program + "\"", box.Win("app")));
    Box question = driver.WaitBox();
    ASSERT_TRUE(question.found);
    ASSERT_TRUE(driver.Answer(NO));
    EXPECT_EQ(driver.Wait(), 1602);  // the user answered No
    EXPECT_TRUE(HostTree(box.Host("tmp")).empty()) << "no folder, no copy";
}

TEST(Launcher, UnquotedProgramPathWithSpacesIsStillTheLauncher)
{
    Sandbox box;
    Driver driver;
    box.MakeDir("app dir");
    std::filesystem::copy_file(ProgramFile(box.build), box.Host("app dir\\unins.exe"));
    box.Write("app dir\\uninstal.ini", StandardLog());
    box.UseTemp(driver);
    ASSERT_TRUE(driver.Start(box.Win("app dir\\unins.exe"), box.Win("app dir")));
    Box question = driver.WaitBox();
    ASSERT_TRUE(question.found) << "the unquoted path was taken for a log argument";
    EXPECT_EQ(question.text, "Remove " + Product() + " and all of its components?");
    ASSERT_TRUE(driver.Answer(NO));
    EXPECT_EQ(driver.Wait(), 1602);  // the user answered No
}

TEST(Launcher, MissingLogIsAFatalError)
{
    Sandbox box;
    Driver driver;
    std::string program = box.InstallProgram("");
    std::filesystem::remove(box.Host("app\\uninstal.ini"));
    box.UseTemp(driver);
    ASSERT_TRUE(driver.Start("\"" + program + "\"", box.Win("app")));
    Box error = driver.WaitBoxCaptioned("");
    ASSERT_TRUE(error.found);
    EXPECT_EQ(error.text, "Can't open uninstal log file " + box.Win("app\\uninstal.ini") + "!");
    EXPECT_EQ(error.buttons, "OK");
    ASSERT_TRUE(driver.Answer(OK));
    EXPECT_EQ(driver.Wait(), 1605);  // not installed

    // the removal stage given a log that does not exist ends the same way
    ASSERT_TRUE(driver.Start("\"" + program + "\" \"" + box.Win("nope.ini") + "\""));
    error = driver.WaitBoxCaptioned("");
    EXPECT_EQ(error.text, "Can't open uninstal log file " + box.Win("nope.ini") + "!");
    ASSERT_TRUE(driver.Answer(OK));
    EXPECT_EQ(driver.Wait(), 1605);  // not installed
}

TEST(Launcher, TrailerNamesTheLog)
{
    Sandbox box;
    Driver driver;
    std::string program = box.InstallProgram(StandardLog());
    {
        std::ofstream file(box.Host("app\\unins.exe"), std::ios::binary | std::ios::app);
        file.write("other.ini\0", 10);
    }
    box.Write("app\\other.ini", "A10,Other App\r\nA43,Remove %s now?\r\n");
    box.UseTemp(driver);
    ASSERT_TRUE(driver.Start("\"" + program + "\"", box.Win("app")));
    Box question = driver.WaitBoxCaptioned(" Other App");
    EXPECT_EQ(question.text, "Remove Other App now?");
    EXPECT_EQ(question.caption, " Other App");  // no message 48 in that log
    ASSERT_TRUE(driver.Answer(NO));
    EXPECT_EQ(driver.Wait(), 1602);

    // a NUL in byte 254 of the trailer means the default name
    {
        std::ofstream file(box.Host("app\\unins.exe"), std::ios::binary | std::ios::app);
        file.write("\0\0", 2);
    }
    ASSERT_TRUE(driver.Start("\"" + program + "\"", box.Win("app")));
    question = driver.WaitBox();
    EXPECT_EQ(question.text, "Remove " + Product() + " and all of its components?");
    ASSERT_TRUE(driver.Answer(NO));
    EXPECT_EQ(driver.Wait(), 1602);
}

TEST(Launcher, SecondInstanceOfTheSameFileEndsAtOnce)
{
    Sandbox box;
    Driver driver;
    std::string program = box.InstallProgram(StandardLog());
    box.UseTemp(driver);
    ASSERT_TRUE(driver.Start("\"" + program + "\"", box.Win("app")));
    ASSERT_TRUE(driver.WaitBox().found);

    // the second start must not even read its log: take it away first
    std::filesystem::rename(box.Host("app\\uninstal.ini"), box.Host("app\\gone.ini"));
    ASSERT_EQ(driver.Call({"makewindow", "Uninstall"}).back(), "ok");
    ASSERT_TRUE(driver.Start("\"" + program + "\"", box.Win("app")));
    EXPECT_EQ(driver.Wait(), 1618);  // another run of this file is in progress
    // it brought the window titled "Uninstall" forward: minimised, then restored
    EXPECT_EQ(driver.Call({"windowevents"}).back(), "ok\t1\t1");
    Box still = driver.WaitBox(2000);
    EXPECT_EQ(still.text, "Remove " + Product() + " and all of its components?") << "no error box";

    ASSERT_TRUE(driver.Find(program));
    ASSERT_TRUE(driver.Answer(NO));
    EXPECT_EQ(driver.WaitFound(), 1602);
}

TEST(Launcher, CurrentFolderIsTheTempFolderSoTheCopyGoesToDriveC)
{
    Sandbox box;
    Driver driver;
    std::string program = box.InstallProgram(StandardLog(), "cwdtest.exe");
    box.MakeDir("tmp");
    // differs from the current folder only in case and a trailing backslash
    driver.Env("TMP", box.Win("TMP\\"));
    driver.Env("TEMP", box.Win("TMP\\"));
    for (auto& old : CopiesIn("C:\\", "cwdtest.exe"))
        std::filesystem::remove_all(std::filesystem::path(HostPath(old)).parent_path());
    ASSERT_TRUE(driver.Start("\"" + program + "\"", box.Win("tmp")));
    ASSERT_TRUE(driver.WaitBox().found);
    ASSERT_TRUE(driver.Answer(YES));
    // the launcher waits for its copy: the copy is running now
    std::vector<std::string> copies = WaitCopies("C:\\", 1, "cwdtest.exe");
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_TRUE(HostTree(box.Host("tmp")).empty());
    ASSERT_TRUE(driver.Find(copies[0]));
    ASSERT_TRUE(driver.WaitWindow(Title()));
    WaitDone(driver, Title());
    ASSERT_TRUE(driver.Click(Title(), FINISH));
    EXPECT_EQ(driver.WaitFound(), 0);
    EXPECT_EQ(driver.Wait(), 0);
    std::filesystem::remove_all(std::filesystem::path(HostPath(copies[0])).parent_path());
}

TEST(Launcher, CopyThatFailsShowsMessage36)
{
    Sandbox box;
    Driver driver;
    std::string program = box.InstallProgram(StandardLog());
    // a temporary folder that does not exist: no folder of the copy's own
    // can be made in it
    driver.Env("TMP", box.Win("gone"));
    driver.Env("TEMP", box.Win("gone"));
    ASSERT_TRUE(driver.Start("\"" + program + "\"", box.Win("app")));
    ASSERT_TRUE(driver.WaitBox().found);
    ASSERT_TRUE(driver.Answer(YES));
    Box error = driver.WaitBox();
    std::string start = "Cannot copy " + program + " to " + box.Win("gone") + "\\";
    ASSERT_EQ(error.text.size(), start.size() + 16 + 10) << error.text;
    EXPECT_EQ(error.text.substr(0, start.size()), start);
    EXPECT_EQ(error.text.substr(start.size(), 16).find_first_not_of("0123456789abcdef"),
              std::string::npos) << error.text;
    EXPECT_EQ(error.text.substr(start.size() + 16), "\\unins.exe");
    EXPECT_EQ(error.buttons, "OK");
    ASSERT_TRUE(driver.Answer(OK));
    EXPECT_EQ(driver.Wait(), 1603);  // a fatal error
    EXPECT_FALSE(box.Exists("gone"));
}

// The shipped 32-bit program, once through the whole run, also where the
// rest of the suite runs the 64-bit twin on purpose (UNINS_ALLOW_TWIN=1).
// Without 32-bit Wine it fails: nothing else would show the shipped file runs.
TEST(Shipped32, LauncherAndRemovalStageRunTheLog)
{
    if (!Wine32Installed()) {
        const char* allow = getenv("UNINS_ALLOW_TWIN");
        if (allow && std::string(allow) == "1")
            GTEST_SKIP() << "32-bit Wine is not installed; UNINS_ALLOW_TWIN=1 ran the 64-bit twin";
        FAIL() << "32-bit Wine is not installed on this machine (scripts/setup says why): "
                  "the shipped program cannot run";
    }
    Sandbox box(Build::Shipped32);
    Driver driver;
    RunLauncherToTheEnd(box, driver, "tmp");
}

// The delivered file: a PE32 GUI program for i386 that imports only system
// libraries and ends with the 26-byte trailer naming the log.
TEST(Delivered, ImportsAndTrailer)
{
    std::string file = ProgramFile(Build::Shipped32);
    std::string command = "i686-w64-mingw32-objdump -p '" + file + "'";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_TRUE(pipe);
    std::string dump;
    char line[512];
    while (fgets(line, sizeof line, pipe))
        dump += line;
    pclose(pipe);
    EXPECT_NE(dump.find("(PE32)"), std::string::npos);
    EXPECT_NE(dump.find("(Windows GUI)"), std::string::npos);
    std::set<std::string> dlls;
    for (size_t at = dump.find("DLL Name: "); at != std::string::npos;
         at = dump.find("DLL Name: ", at + 1))
        dlls.insert(dump.substr(at + 10, dump.find('\n', at) - at - 10));
    std::set<std::string> allowed = {"KERNEL32.dll", "USER32.dll", "GDI32.dll", "ADVAPI32.dll",
                                     "SHELL32.dll"};
    for (auto& dll : dlls)
        EXPECT_TRUE(allowed.count(dll)) << dll;
    EXPECT_TRUE(dlls.count("KERNEL32.dll"));

    std::ifstream in(file, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 26u);
    // the whole delivered file, icon, manifest, version resource and trailer
    // included, travels in every installer
    EXPECT_LE(bytes.size(), 32768u) << "unins.exe is over its 32 KiB budget";
    EXPECT_EQ(bytes.substr(bytes.size() - 26), std::string("uninstal.ini\0uninstal.ini\0", 26));
}
