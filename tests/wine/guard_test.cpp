// A damaged log aimed at the system's and the users' folders, end to end, in
// the sealed prefix: every canary in every protected folder survives, and the
// application's own tree beside them goes as the log says.
#include "harness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace e2e;
namespace fs = std::filesystem;

// The profile folder's name in the prefix (the user Wine made it for).
static std::string ProfileName()
{
    for (auto& e : fs::directory_iterator(HostPath("C:\\users\\")))
        if (e.is_directory() && e.path().filename() != "Public")
            return e.path().filename().string();
    return "";
}

TEST(Guard, DamagedLogAimedAtProtectedFoldersTakesOnlyTheApplication)
{
    Sandbox box;
    Driver driver;
    const std::string me = "C:\\users\\" + ProfileName();
    ASSERT_NE(me, "C:\\users\\");
    const std::string canary = "canary-" + box.name + ".txt";
    const std::vector<std::string> protectedFolders = {
        "C:",
        "C:\\windows",
        "C:\\windows\\system32",
        "C:\\windows\\syswow64",
        "C:\\windows\\Fonts",
        "C:\\Program Files",
        "C:\\Program Files\\Common Files",
        "C:\\Program Files (x86)",
        "C:\\Program Files (x86)\\Common Files",
        "C:\\ProgramData",
        "C:\\users",
        "C:\\users\\Public",
        me,
        me + "\\Desktop",
        me + "\\Documents",
        me + "\\AppData\\Roaming",
        me + "\\AppData\\Local",
        me + "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu",
    };
    for (auto& folder : protectedFolders) {
        fs::create_directories(HostPath(folder + "\\"));
        std::ofstream(HostPath(folder + "\\" + canary)) << "canary";
    }
    // a profile of its own, holding one file that the user deletes from the list
    const std::string profile = "C:\\users\\e2e-" + box.name;
    fs::remove_all(HostPath(profile + "\\"));
    fs::create_directories(HostPath(profile + "\\"));
    std::ofstream(HostPath(profile + "\\left.txt")) << "left";
    box.Write("app\\tree\\a.txt", "a");
    box.Write("app\\tree\\sub\\b.txt", "b");
    box.Write("app\\tree\\sub\\deeper\\c.txt", "c");

    // every way of spelling a protected folder or a parent of one; mode 1
    // deletes a tree's files, mode 0 of a P entry deletes matching files
    std::string log =
        "U0," + box.Win("app\\tree") + ",1\r\n"
        "U0,C:\\Windows\\..\\*.*,1\r\n"          // the whole drive through ..
        "U0,C:\\Win*,1\r\n"                      // the system's own wildcard
        "U0,\\Windows,1\r\n"                     // drive-relative
        "U0,..\\..\\..\\Windows\\*.*,1\r\n"      // relative to the temporary folder
        "U0,C:..\\..\\..\\Windows,1\r\n"         // relative on drive C:
        "U0,C:/Windows/System32,1\r\n"           // forward slashes
        "U0,c:\\WINDOWS\\SYSWOW64\\,1\r\n"       // any case, trailing backslash
        "U0,C:\\windows\\Fonts\\*.*,1\r\n"
        "U0,C:\\PROGRA~1,1\r\n"                  // a short name
        "U0,C:\\PROGRA~2\\*.*,1\r\n"
        "U0,C:\\Program Files\\Common Files,1\r\n"
        "U0,C:\\Program Files (x86)\\Common Files\\*.*,1\r\n"
        "U0,C:\\ProgramData,1\r\n"
        "U0,C:\\Users\\*.*,1\r\n"                // every profile
        "U0,C:\\Users,1\r\n"
        "U0,C:\\users\\Public,1\r\n"
        "U0," + me + "\\..\\" + ProfileName() + ",1\r\n"  // a profile through its parent
        "U0," + me + "\\AppData,1\r\n"          // holds protected folders
        "U0," + me + "\\Desktop,1\r\n"
        "U0," + me + "\\Documents\\*.*,1\r\n"
        "U0," + me + "\\AppData\\Local\\.,1\r\n"
        "U0," + me + "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu,1\r\n"
        "U0,\\\\?\\C:\\Windows,1\r\n"
        "U0,C:\\,1\r\n"
        "P0,C:\\Windows\\*.*,0\r\n"              // a wildcard P entry
        "P0,C:\\Windows\\ca*.txt,0\r\n"          // the system's wildcard, not narrow
        "P0,C:\\*.txt,0\r\n"
        "P0," + me + "\\Documents\\*.txt,0\r\n"
        "P0," + profile + "\\left.txt,2\r\n";
    std::string program = box.InstallProgram(StandardLog(log));
    box.UseTemp(driver);
    ASSERT_TRUE(driver.Start("\"" + program + "\" \"" + box.Win("app\\uninstal.ini") + "\"",
                             box.Win("app")));
    ASSERT_TRUE(driver.WaitWindow(Title()));
    DialogState d = WaitDone(driver, Title(), 120000);

    for (auto& folder : protectedFolders)
        EXPECT_TRUE(fs::exists(HostPath(folder + "\\" + canary))) << folder << " lost its canary";
    EXPECT_TRUE(fs::exists(HostPath("C:\\windows\\system32\\kernel32.dll")));
    EXPECT_FALSE(box.Exists("app\\tree"));
    EXPECT_EQ(d.items[1002], (std::vector<std::string>{profile + "\\left.txt"}));

    // deleting it from the list empties the profile, which stays all the same
    ASSERT_TRUE(driver.Click(Title(), 1004));
    driver.Call({"sleep", "500"});
    EXPECT_FALSE(fs::exists(HostPath(profile + "\\left.txt")));
    EXPECT_TRUE(fs::is_directory(HostPath(profile + "\\")));
    ASSERT_TRUE(driver.Click(Title(), 1000));
    EXPECT_EQ(driver.Wait(), 0);
    fs::remove_all(HostPath(profile + "\\"));
    for (auto& folder : protectedFolders)
        fs::remove(HostPath(folder + "\\" + canary));
}
