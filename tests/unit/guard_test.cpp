// The protected-folder decision: one spelling for every path, and a folder
// refused when it is, or holds, a protected one.
#include "guard/guard.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>

static std::string Canonical(const char* path)
{
    char out[512];
    return CanonicalPath(path, out, sizeof out) ? out : "<too long>";
}

TEST(Guard, CanonicalSpellings)
{
    struct Row {
        const char* path;
        const char* canonical;
    } rows[] = {
        {"C:\\Windows", "C:\\Windows"},
        {"C:\\Windows\\", "C:\\Windows"},
        {"c:/windows/", "c:\\windows"},
        {"C:\\\\Windows\\\\\\System32", "C:\\Windows\\System32"},
        {"C:\\Windows\\.\\System32\\.", "C:\\Windows\\System32"},
        {"C:\\Windows\\..", "C:"},
        {"C:\\Windows\\..\\..\\..", "C:"},
        {"C:\\", "C:"},
        {"C:", "C:"},
        {"C:\\Program Files\\App\\..\\..\\Users\\bob", "C:\\Users\\bob"},
        {"\\\\?\\C:\\Windows\\", "C:\\Windows"},
        {"\\\\.\\C:\\Windows", "C:\\Windows"},
        {"\\\\?\\UNC\\server\\share\\dir", "\\\\server\\share\\dir"},
        {"\\\\server\\share\\dir\\..\\", "\\\\server\\share"},
        {"\\\\server\\share\\..\\..", "\\\\server\\share"},
        {"C:\\App\\...\\x", "C:\\App\\...\\x"},  // three dots are a name
    };
    for (auto& r : rows)
        EXPECT_EQ(r.canonical, Canonical(r.path)) << r.path;

    std::string huge = "C:\\" + std::string(600, 'a');
    EXPECT_EQ("<too long>", Canonical(huge.c_str()));
    char small[8];
    EXPECT_FALSE(CanonicalPath("C:\\Windows", small, sizeof small));
}

// Spellings that name no drive or share are not put into one spelling, so
// the guard refuses them; a share's root has one spelling however it was
// written, so a protected folder on a share cannot be reached around it.
TEST(Guard, PathsWithoutAProperRootAreNotJudged)
{
    for (auto path : {"relative\\dir", ":x\\y", "\\:x", "", "\\\\server", "\\\\server\\",
                      "\\\\s\\.\\C:\\Windows", "\\\\s\\..\\x",
                      "\\\\.\\share\\x", "\\\\..\\share\\x", "\\\\\\\\?\\UNCx\\share\\x"}) {
        char out[512];
        EXPECT_FALSE(CanonicalPath(path, out, sizeof out)) << path << " gave " << out;
    }
    EXPECT_EQ("\\\\server\\share\\dir", Canonical("\\\\server\\\\share\\dir"));
    EXPECT_EQ("\\\\server\\share\\dir", Canonical("//server//share//dir//"));
    EXPECT_EQ("\\\\x\\y", Canonical("\\\\\\x\\y"));

    EXPECT_TRUE(UsualLayoutRefuses(Canonical("\\\\server\\\\share").c_str()));
}

// The rules read in the usual layout, as the checker reads a log: the
// folders themselves in any case, every folder above one, roots, the
// system's trees at any depth, profiles and what lies directly in them.
TEST(Guard, UsualLayoutRefusesRuleFoldersTheirParentsAndRoots)
{
    struct Row {
        const char* canonical;
        bool refused;
    } rows[] = {
        {"C:", true},  // every drive's root
        {"E:", true},
        {"\\\\server\\share", true},
        {"C:\\Windows", true},  // any case
        {"C:\\WINDOWS\\SYSTEM32", true},
        {"C:\\Windows\\System32\\drivers", true},
        {"C:\\Windows\\System32\\drivers\\etc\\x", true},
        {"C:\\Windows\\WinSxS\\amd64_x", true},
        {"C:\\Windows\\Fonts\\Acme", true},
        {"C:\\WINDOWS\\SYSWOW64\\a\\b", true},
        {"C:\\Windows\\Acme", false},  // an application's own folder there
        {"C:\\Windows\\Acme\\System32", false},
        {"C:\\Windows\\System320", false},
        {"C:\\Windows\\Web", true},  // the last of the trees
        {"C:\\Windows\\apppatch\\x", true},
        {"C:\\Program Files", true},
        {"C:\\program files (x86)\\Common Files", true},
        {"C:\\Program Files\\App", false},
        {"C:\\Program", false},
        {"C:\\ProgramData\\Microsoft", true},  // holds Startup and Templates
        {"C:\\ProgramData\\Microsoft\\Windows\\Templates", true},
        {"C:\\ProgramData\\Acme", false},
        {"C:\\Users", true},  // profiles
        {"C:\\users\\Bob", true},
        {"C:\\Users\\bob\\Documents", true},  // directly in a profile, named or not
        {"C:\\Users\\bob\\Anything", true},
        {"C:\\Users\\bob\\Documents\\My App", false},
        {"C:\\Users\\bob\\AppData\\Acme", false},
        {"C:\\Users\\bob\\AppData\\Local\\Programs", true},  // deeper, by name
        {"C:\\Users\\bob\\AppData\\Local", true},              // holds one
        {"C:\\Users\\bob\\AppData\\Local\\Programs\\Acme", false},
        {"C:\\Users\\bob\\AppData\\Roaming\\Microsoft\\Windows\\SendTo", true},
        {"C:\\Users\\bob\\Pictures\\Screenshots", true},
        {"C:\\Documents and Settings\\All Users\\Start Menu\\Programs\\Startup", true},
        {"C:\\Documents and Settings\\bob\\Local Settings\\Application Data", true},
        {"C:\\Documents and Settings\\bob\\Local Settings\\Application Data\\Acme", false},
        {"D:\\Windows", false},  // the usual layout lies on drive C
        {"D:\\Data\\Other", false},
        {"\\\\server\\share\\dir", false},
        {"relative\\dir", true},  // nothing the guard can judge
        {"", true},
    };
    for (auto& r : rows)
        EXPECT_EQ(r.refused, UsualLayoutRefuses(r.canonical)) << r.canonical;
}

// The rules below each base, as the program applies them to the folders it
// finds: a rule's folder and what holds it, a tree at any depth, a profile's
// children, and a profiles folder's profiles. Every base is refused itself.
TEST(Guard, RuleRowsBelowEachBase)
{
    struct Row {
        int base;
        const char* below;
        bool refused;
    } rows[] = {
        {BASE_WINDOWS, "", true},
        {BASE_WINDOWS, "system32", true},
        {BASE_WINDOWS, "Installer\\{guid}\\x", true},
        {BASE_WINDOWS, "Sysnative\\drivers", true},
        {BASE_WINDOWS, "Acme", false},
        {BASE_DRIVE, "", true},
        {BASE_DRIVE, "Users\\Public", true},
        {BASE_DRIVE, "Users\\Public\\Documents", true},
        {BASE_DRIVE, "Users\\Public\\Documents\\Acme", false},
        {BASE_DRIVE, "Users\\x\\AppData\\LocalLow", true},
        {BASE_DRIVE, "Users\\x\\AppData\\LocalLow\\Acme", false},
        {BASE_DRIVE, "Windows", false},  // the Windows folder is a base of its own
        {BASE_DRIVE, "Acme", false},
        {BASE_PROFILE, "", true},
        {BASE_PROFILE, "Desktop", true},
        {BASE_PROFILE, "AppData\\Roaming\\Microsoft", true},
        {BASE_PROFILE, "AppData\\Roaming\\Acme", false},
        {BASE_PROFILE, "Start Menu\\Programs\\Startup", true},
        {BASE_PROFILE, "Start Menu\\Programs\\Acme", false},
    };
    for (auto& r : rows)
        EXPECT_EQ(r.refused, RulesRefuse(r.base, r.below)) << r.base << " " << r.below;
    // every row of the table is refused below its base, and the folders of
    // a tree or a profiles folder one level deeper too
    int count = 0;
    for (const char* row = kFolderRules; *row; row += strlen(row) + 1, ++count) {
        const char* path = row + 1;
        EXPECT_TRUE(RulesRefuse(RuleBase(row), path)) << path;
        std::string inside = std::string(path) + (path[0] ? "\\" : "") + "e2e";
        EXPECT_EQ((RuleKinds(row) & ~PROTECT_SELF) != 0, RulesRefuse(RuleBase(row), inside.c_str()))
            << inside;
    }
    EXPECT_EQ(52, count);  // the table is read to its end
}
