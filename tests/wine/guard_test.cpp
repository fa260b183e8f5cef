// Damaged logs aimed at the system's and the users' folders, registry keys
// and profile sections, end to end in the sealed prefix: every canary beside
// every target survives, and the application's own files, keys and sections
// beside them go as the log says.
#include "harness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

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

static std::string ReadHost(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A host link inside the sandbox to a folder of the same prefix (Wine shows
// it as a plain folder; never a link out of the prefix).
static void LinkTo(const Sandbox& box, const std::string& relative, const std::string& target)
{
    fs::remove_all(box.Host(relative));
    fs::create_directories(fs::path(box.Host(relative)).parent_path());
    fs::create_directory_symlink(HostPath(target + "\\"), box.Host(relative));
}

// Installs the program with this log in the sandbox's app folder, starts its
// removal stage with the sandbox's temporary folder and returns the first
// question it asks.
static Box StartRemoval(const Sandbox& box, Driver& driver, const std::string& log)
{
    std::string program = box.InstallProgram(StandardLog(log));
    box.UseTemp(driver);
    EXPECT_TRUE(driver.Start("\"" + program + "\" \"" + box.Win("app\\uninstal.ini") + "\"",
                             box.Win("app")));
    return driver.WaitBox(120000);
}

TEST(Guard, DamagedLogAimedAtProtectedFoldersTakesOnlyTheApplication)
{
    Sandbox box;
    Driver driver;
    const std::string me = "C:\\users\\" + ProfileName();
    ASSERT_NE(me, "C:\\users\\");
    const std::string canary = "canary-" + box.name + ".txt";
    // known folders the system reports (created if need be): programs and
    // Startup of the user and of all users, SendTo, Templates, Public Pictures
    std::vector<std::string> known;
    for (int csidl : {0x02, 0x07, 0x09, 0x15, 0x17, 0x18, 0x36}) {
        known.push_back(driver.Folder(csidl | 0x8000));
        ASSERT_NE(known.back(), "") << csidl;
    }
    std::vector<std::string> protectedFolders = {
        "C:", "C:\\windows", "C:\\windows\\system32", "C:\\windows\\syswow64",
        "C:\\windows\\Fonts", "C:\\windows\\system32\\drivers",
        "C:\\windows\\system32\\drivers\\etc", "C:\\windows\\winsxs\\e2e",
        "C:\\Program Files", "C:\\Program Files\\Common Files", "C:\\Program Files (x86)",
        "C:\\Program Files (x86)\\Common Files", "C:\\ProgramData", "C:\\users",
        "C:\\users\\Public", me, me + "\\Desktop", me + "\\Documents", me + "\\AppData\\Roaming",
        me + "\\AppData\\Local", me + "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu",
        me + "\\Pictures", me + "\\Music", me + "\\Videos", me + "\\Downloads",
        me + "\\Favorites", me + "\\Saved Games", me + "\\Contacts", me + "\\Links",
        me + "\\e2e-unnamed",  // directly inside a profile, named by no list
    };
    protectedFolders.insert(protectedFolders.end(), known.begin(), known.end());
    // 80 profiles that the registry lists outside the profiles folder
    const std::string profileList =
        "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\S-1-5-21-e2e-";
    for (int i = 0; i < 80; ++i) {
        std::string profile = box.Win("profiles\\p" + std::to_string(i));
        protectedFolders.push_back(profile);
        protectedFolders.push_back(profile + "\\Documents");
        driver.RegSet(profileList + std::to_string(i), "ProfileImagePath", "sz", profile);
    }
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
    LinkTo(box, "app\\tree\\winlink", "C:\\windows");
    LinkTo(box, "app\\links\\windows", "C:\\windows");
    LinkTo(box, "app\\links\\drivers", "C:\\windows\\system32\\drivers");
    LinkTo(box, "app\\links\\pictures", me + "\\Pictures");
    // the application's own folders beside protected ones: they go
    const std::vector<std::string> own = {
        "C:\\windows\\e2e-" + box.name, me + "\\Documents\\e2e-" + box.name,
        "C:\\Program Files\\e2e-" + box.name, me + "\\Pictures\\e2e-" + box.name,
        box.Win("profiles\\p79\\Documents\\Acme"), known[0] + "\\e2e-" + box.name,
    };
    for (auto& folder : own) {
        fs::create_directories(HostPath(folder + "\\sub\\"));
        std::ofstream(HostPath(folder + "\\sub\\own.txt")) << "own";
    }
    // files the log names in System32 as the program sees it (SysWOW64 for
    // the 32-bit program); for the 32-bit program, files of the same names in
    // the 64-bit System32, which it never reaches by that name, must stay
    const std::string systemFile = "C:\\windows\\system32\\e2e-" + box.name + ".dll";
    const std::string askedFile = "C:\\windows\\system32\\asked-" + box.name + ".dll";
    auto seen = [&](const std::string& path) {
        return HostPath(ProgramSystem32() + path.substr(std::string("C:\\windows\\system32").size()));
    };
    std::ofstream(seen(systemFile)) << "named";
    std::ofstream(seen(askedFile)) << "named";
    const bool wow64 = box.build == Build::Shipped32;
    if (wow64) {
        std::ofstream(HostPath(systemFile)) << "64-bit side";
        std::ofstream(HostPath(askedFile)) << "64-bit side";
    }
    // files whose folder becomes a link to a protected one before they go
    const std::string ask = "ask-" + box.name + ".txt", offer = "offer-" + box.name + ".txt";
    box.Write("app\\swap\\" + ask, "ask");
    box.Write("app\\swap2\\" + offer, "offer");
    std::ofstream(HostPath("C:\\windows\\system32\\" + ask)) << "canary";
    std::ofstream(HostPath("C:\\windows\\" + offer)) << "canary";

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
        "U0,\\\\.\\C:\\Windows\\Fonts,1\r\n"
        "U0,\\??\\C:\\windows,1\r\n"             // the NT prefix
        "U0,\\??\\C:\\users\\Public,1\r\n"
        "U0,\\??\\" + me + "\\Desktop,1\r\n"
        "P0,\\??\\C:\\windows\\*.*,0\r\n"
        "U0,C:\\,1\r\n"
        "P0,C:\\Windows\\*.*,0\r\n"              // a wildcard P entry
        "P0,C:\\*.txt,0\r\n"
        "P0," + me + "\\Documents\\*.txt,0\r\n"
        // links in the application's folder to protected folders
        "P0," + box.Win("app\\links\\windows") + "\\*.*,0\r\n"
        "U0," + box.Win("app\\links\\windows") + "\\system32\\*.*,1\r\n"
        "U0," + box.Win("app\\links\\drivers") + ",1\r\n"
        "U0," + box.Win("app\\links\\drivers") + "\\etc\\*.*,1\r\n"
        "U0," + box.Win("app\\links\\pictures") + "\\*.*,1\r\n"
        "U0," + box.Win("app\\links") + ",1\r\n"
        // known folders, a profile's own folders, the system's trees
        "U0," + me + "\\Pictures,1\r\n"
        "U0," + me + "\\Music\\*.*,1\r\n"
        "U0," + me + "\\Videos,1\r\n"
        "U0," + me + "\\Downloads,1\r\n"
        "U0," + me + "\\Favorites,1\r\n"
        "U0," + me + "\\Saved Games,1\r\n"
        "U0," + me + "\\Contacts,1\r\n"
        "U0," + me + "\\Links\\*.*,1\r\n"
        "U0," + me + "\\e2e-unnamed,1\r\n"
        "U0,C:\\windows\\system32\\drivers,1\r\n"
        "U0,C:\\windows\\system32\\drivers\\etc\\*.*,1\r\n"
        "U0,C:\\windows\\winsxs\\e2e,1\r\n"
        "P0," + profile + "\\left.txt,2\r\n"
        // the application's own, which goes
        "P0," + systemFile + ",0\r\n"
        "P0,\\\\?\\" + askedFile + ",1\r\n"  // named in System32 as it is: deleted
        "P0," + box.Win("app\\swap\\" + ask) + ",1\r\n"
        "P0," + box.Win("app\\swap2\\" + offer) + ",2\r\n";
    for (auto& folder : known)
        log += "U0," + folder + ",1\r\n";
    for (auto& folder : own)
        log += "U0," + folder + ",1\r\n";
    for (int i = 0; i < 80; ++i) {
        std::string p = box.Win("profiles\\p" + std::to_string(i));
        log += "U0," + p + "\\Documents,1\r\n";
        if (i >= 70)
            log += "U0," + p + "\\*.*,1\r\n";
    }
    log += "U0," + box.Win("profiles") + ",1\r\n";

    Box question = StartRemoval(box, driver, log);
    // asked with the path as the user knows it, without the long-form prefix
    EXPECT_EQ(question.text, "Delete " + askedFile + "?");
    driver.Answer(YES);
    // the question about the other mode 1 file: its folder becomes a link
    // to System32, which holds a file of the same name, before the answer
    // (a host link to the 64-bit System32: for the 32-bit program Sysnative)
    question = driver.WaitBox();
    EXPECT_EQ(question.text, "Delete " + box.Win("app\\swap\\" + ask) + "?");
    fs::rename(box.Host("app\\swap"), box.Host("app\\swap-was"));
    LinkTo(box, "app\\swap", "C:\\windows\\system32");
    driver.Answer(YES);
    DialogState d = WaitDone(driver, Title(), 120000);

    for (auto& folder : protectedFolders)
        EXPECT_TRUE(fs::exists(HostPath(folder + "\\" + canary))) << folder << " lost its canary";
    EXPECT_TRUE(fs::exists(HostPath("C:\\windows\\system32\\kernel32.dll")));
    EXPECT_TRUE(fs::exists(HostPath("C:\\windows\\system32\\" + ask)));
    EXPECT_TRUE(box.Exists("app\\swap-was\\" + ask));
    // the tree's own files went; the link in it stays, and so the tree
    EXPECT_FALSE(box.Exists("app\\tree\\a.txt"));
    EXPECT_FALSE(box.Exists("app\\tree\\sub"));
    EXPECT_TRUE(fs::is_symlink(box.Host("app\\tree\\winlink")));
    for (auto& folder : own)
        EXPECT_FALSE(fs::exists(HostPath(folder + "\\"))) << folder << " was not removed";
    EXPECT_FALSE(fs::exists(seen(systemFile)));
    EXPECT_FALSE(fs::exists(seen(askedFile)));
    if (wow64) {
        EXPECT_EQ(ReadHost(HostPath(systemFile)), "64-bit side");
        EXPECT_EQ(ReadHost(HostPath(askedFile)), "64-bit side");
    }
    EXPECT_EQ(d.items[LEFTOVER], (std::vector<std::string>{box.Win("app\\swap2\\" + offer),
                                                           profile + "\\left.txt"}));

    // deleting them from the list: the profile's file goes and the profile
    // stays; the other's folder has become a link to the Windows folder
    fs::rename(box.Host("app\\swap2"), box.Host("app\\swap2-was"));
    LinkTo(box, "app\\swap2", "C:\\windows");
    ASSERT_TRUE(driver.Click(Title(), DELETE_ALL));
    driver.Call({"sleep", "500"});
    EXPECT_FALSE(fs::exists(HostPath(profile + "\\left.txt")));
    EXPECT_TRUE(fs::is_directory(HostPath(profile + "\\")));
    EXPECT_TRUE(fs::exists(HostPath("C:\\windows\\" + offer)));
    EXPECT_TRUE(box.Exists("app\\swap2-was\\" + offer));
    ASSERT_TRUE(driver.Click(Title(), CLOSE));
    EXPECT_EQ(driver.Wait(), 0);

    for (int i = 0; i < 80; ++i)
        driver.RegDeleteTree(profileList + std::to_string(i));
    fs::remove_all(HostPath(profile + "\\"));
    fs::remove(HostPath("C:\\windows\\system32\\" + ask));
    fs::remove(HostPath(systemFile));
    fs::remove(HostPath(askedFile));
    fs::remove(HostPath("C:\\windows\\" + offer));
    fs::remove_all(HostPath(me + "\\e2e-unnamed\\"));
    fs::remove_all(HostPath("C:\\windows\\winsxs\\e2e\\"));
    for (auto& folder : protectedFolders)
        fs::remove(HostPath(folder + "\\" + canary));
    fs::remove_all(box.Host());  // the links go, never what they point to
}

// Key deletions of shared keys and section deletions of the system's
// sections, with canary values and keys in them; value and key deletions
// there, and the application's own keys and sections, still go.
TEST(Guard, SharedRegistryKeysAndSystemSectionsStay)
{
    Sandbox box;
    Driver driver;
    const std::string v = "e2e-" + box.name;
    const std::string cv = "Software\\Microsoft\\Windows\\CurrentVersion";
    struct Shared {
        std::string key;  // as the registry names it
        std::string line;  // the damaged J line
    } shared[] = {
        {"HKCU\\" + cv + "\\Run", "J0,1," + cv + "\\Run,\r\n"},  // a cut value name
        {"HKCU\\" + cv + "\\RunOnce", "J0,1," + cv + "\\\\RunOnce\\,\r\n"},
        {"HKLM\\" + cv + "\\SharedDLLs", "J0,2," + cv + "\\SharedDLLs,\r\n"},
        {"HKCU\\" + cv + "\\Explorer\\User Shell Folders",
         "J0,1," + cv + "\\Explorer\\User Shell Folders,\r\n"},
        {"HKCU\\Environment", "J0,1,Environment,\r\n"},
        {"HKCR\\txtfile\\shell\\open\\command", "J0,0,txtfile\\shell\\open\\command,\r\n"},
        {"HKCR\\.exe", "J0,0,.exe,\r\n"},
        {"HKU\\.DEFAULT\\Software", "J0,3,.DEFAULT\\Software,\r\n"},
    };
    std::string log;
    for (auto& s : shared) {
        driver.RegSet(s.key, v, "sz", "canary");
        log += s.line;
    }
    // the application's own: a value in a shared key, its own keys
    driver.RegSet("HKCU\\" + cv + "\\Run", v + "-own", "sz", "own");
    driver.RegSet("HKCU\\" + cv + "\\Uninstall\\" + v, "DisplayName", "sz", "own");
    driver.RegSet("HKCU\\Software\\" + v, "own", "sz", "own");
    log += "J0,1," + cv + "\\Run," + v + "-own\r\n"
           "J0,1," + cv + "\\Uninstall\\" + v + ",\r\n"
           "J0,1,Software\\" + v + ",\r\n";

    // sections of win.ini and system.ini, by the bare names the profile
    // functions give the Windows folder, and by the full path
    const std::string winIni = HostPath("C:\\windows\\win.ini");
    const std::string systemIni = HostPath("C:\\windows\\system.ini");
    const std::string winBefore = ReadHost(winIni), systemBefore = ReadHost(systemIni);
    std::ofstream(winIni, std::ios::app)
        << "\r\n[fonts]\r\n" << v << "=canary\r\n" << v << "-key=own\r\n"
        << "[windows]\r\n" << v << "=canary\r\n"
        << "[" << v << "]\r\nkey=own\r\n[" << v << "-whole]\r\na=1\r\n";
    std::ofstream(systemIni, std::ios::app) << "\r\n[drivers32]\r\n" << v << "=canary\r\n";
    log += "M0,win.ini,fonts,\r\n"
           "M0,C:\\windows\\WIN.INI,Windows,\r\n"
           "M0,system.ini,drivers32,\r\n"
           "M0,win.ini,fonts," + v + "-key\r\n"
           "M0,win.ini," + v + ",key\r\n"
           "M0,win.ini," + v + "-whole,\r\n";

    std::string program = box.InstallProgram(StandardLog(log));
    box.UseTemp(driver);
    ASSERT_TRUE(driver.Start("\"" + program + "\" \"" + box.Win("app\\uninstal.ini") + "\"",
                             box.Win("app")));
    ASSERT_TRUE(driver.WaitWindow(Title()));
    WaitDone(driver, Title(), 120000);
    ASSERT_TRUE(driver.Click(Title(), FINISH));
    EXPECT_EQ(driver.Wait(), 0);

    for (auto& s : shared)
        EXPECT_EQ(driver.RegGet(s.key, v), "canary") << s.key;
    EXPECT_EQ(driver.RegGet("HKCU\\" + cv + "\\Run", v + "-own"), "<missing>");
    EXPECT_EQ(driver.RegGet("HKCU\\" + cv + "\\Uninstall\\" + v), "<missing>");
    EXPECT_EQ(driver.RegGet("HKCU\\Software\\" + v), "<missing>");
    std::string win = ReadHost(winIni), system = ReadHost(systemIni);
    EXPECT_NE(win.find("[fonts]\r\n" + v + "=canary"), std::string::npos) << win;
    EXPECT_NE(win.find("[windows]\r\n" + v + "=canary"), std::string::npos) << win;
    EXPECT_EQ(win.find(v + "-key"), std::string::npos) << win;
    EXPECT_EQ(win.find("[" + v + "]"), std::string::npos) << win;
    EXPECT_EQ(win.find("[" + v + "-whole]"), std::string::npos) << win;
    EXPECT_NE(system.find(v + "=canary"), std::string::npos) << system;

    std::ofstream(winIni, std::ios::binary) << winBefore;
    std::ofstream(systemIni, std::ios::binary) << systemBefore;
    for (auto& s : shared)
        driver.RegDeleteValue(s.key, v);
}

// What another program finds when it tries to rename, remove or open for
// deletion a folder (the fixture's three lines).
static std::string TryMove(const Sandbox& box, const std::string& folder)
{
    static int run = 0;
    std::string exe = box.Win("trymove.exe");
    if (!box.Exists("trymove.exe"))
        box.InstallFixture("trymove.exe", "trymove.exe");
    std::string out = "trymove-" + std::to_string(++run) + ".txt";
    Driver other;
    if (!other.Start("\"" + exe + "\" \"" + folder + "\" \"" + box.Win(out) + "\"", box.Win()) ||
        other.Wait() != 0)
        return "<fixture did not run>";
    return box.Read(out);
}

// The walk holds the folder it lists: while a question about a file in it
// is open, no other program can rename it, remove it or open it for
// deletion (as a link put in its place needs); a folder beside it that the
// walk does not hold can be renamed. Answered, the walk finishes its tree.
// The entry names its file without wildcards, so that its search is closed
// and the hold alone keeps the folder (Wine's own searches share nothing
// for deletion; Windows' share it).
TEST(Guard, HeldFolderCannotBeRenamedWhileAQuestionIsOpenInIt)
{
    Sandbox box;
    Driver driver;
    box.Write("app\\tree\\held\\asked.txt", "a");
    box.Write("app\\tree\\held\\deeper\\d.txt", "d");
    box.Write("app\\tree\\beside\\b.txt", "b");
    box.MakeDir("free");
    std::string log = "P0," + box.Win("app\\tree\\held\\asked.txt") + ",1\r\n"
                      "U0," + box.Win("app\\tree") + ",1\r\n";
    Box question = StartRemoval(box, driver, log);
    ASSERT_EQ(question.text, "Delete " + box.Win("app\\tree\\held\\asked.txt") + "?");
    // ERROR_SHARING_VIOLATION for each; the folder beside it moves and back
    EXPECT_EQ(TryMove(box, box.Win("app\\tree\\held")), "move 32\r\nremove 32\r\nopen 32\r\n");
    EXPECT_EQ(TryMove(box, box.Win("free")), "move 0\r\nremove 0\r\nopen 2\r\n");
    EXPECT_TRUE(box.Exists("app\\tree\\held\\asked.txt"));
    driver.Answer(YES);
    WaitDone(driver, Title(), 120000);
    ASSERT_TRUE(driver.Click(Title(), FINISH));
    EXPECT_EQ(driver.Wait(), 0);
    EXPECT_FALSE(box.Exists("app\\tree"));
    EXPECT_FALSE(box.Exists("app\\tree\\held-moved"));
}

// Folders replaced from the host by links to protected folders after the
// log was read and before the walk reaches them: a tree's subfolder, and an
// entry's own folder. The walk judges what it opened, and leaves each alone
// with its canary; the rest of the tree goes.
TEST(Guard, FolderSwappedForALinkBeforeTheWalkIsRefused)
{
    Sandbox box;
    Driver driver;
    const std::string system = "C:\\windows\\system32\\e2e-" + box.name;
    const std::string winsxs = "C:\\windows\\winsxs\\e2e-" + box.name;
    for (auto& folder : {system, winsxs}) {
        fs::create_directories(HostPath(folder + "\\"));
        std::ofstream(HostPath(folder + "\\canary.txt")) << "canary";
    }
    box.Write("app\\ask.txt", "ask");
    box.Write("app\\tree\\a.txt", "a");
    box.Write("app\\tree\\sub\\s.txt", "s");
    box.Write("app\\own\\o.txt", "o");
    std::string log = "P0," + box.Win("app\\ask.txt") + ",1\r\n"
                      "U0," + box.Win("app\\tree") + ",1\r\n"
                      "U0," + box.Win("app\\own") + "\\*.*,1\r\n";
    Box question = StartRemoval(box, driver, log);
    ASSERT_EQ(question.text, "Delete " + box.Win("app\\ask.txt") + "?");
    LinkTo(box, "app\\tree\\sub", system);
    LinkTo(box, "app\\own", winsxs);
    driver.Answer(YES);
    WaitDone(driver, Title(), 120000);
    ASSERT_TRUE(driver.Click(Title(), FINISH));
    EXPECT_EQ(driver.Wait(), 0);

    EXPECT_TRUE(fs::exists(HostPath(system + "\\canary.txt")));
    EXPECT_TRUE(fs::exists(HostPath(winsxs + "\\canary.txt")));
    EXPECT_FALSE(box.Exists("app\\ask.txt"));
    EXPECT_FALSE(box.Exists("app\\tree\\a.txt"));
    EXPECT_TRUE(fs::is_symlink(box.Host("app\\tree\\sub")));
    fs::remove_all(box.Host());  // the links go, never what they point to
    fs::remove_all(HostPath(system + "\\"));
    fs::remove_all(HostPath(winsxs + "\\"));
}
