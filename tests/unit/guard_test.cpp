// The protected-folder decision: one spelling for every path, and a folder
// refused when it is, or holds, a protected one.
#include "actions/guard.h"

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

    ClearProtectedFolders();
    ASSERT_TRUE(AddProtectedFolder("\\\\server\\share\\profiles"));
    EXPECT_TRUE(IsProtectedCanonical(Canonical("\\\\server\\\\share\\profiles").c_str()));
    EXPECT_TRUE(IsProtectedCanonical(Canonical("\\\\server\\\\share").c_str()));
    ClearProtectedFolders();
}

TEST(Guard, RefusesProtectedFoldersTheirParentsAndRoots)
{
    ClearProtectedFolders();
    for (auto folder : {"C:\\windows", "C:\\windows\\system32", "C:\\users\\bob\\Documents",
                        "C:\\users\\bob", "C:\\Program Files\\", "D:\\Data\\Shared"})
        ASSERT_TRUE(AddProtectedFolder(folder));
    EXPECT_EQ(6, ProtectedFolderCount());

    struct Row {
        const char* canonical;
        bool refused;
    } rows[] = {
        {"C:", true},                           // every drive's root
        {"E:", true},
        {"\\\\server\\share", true},
        {"C:\\Windows", true},                  // any case
        {"C:\\WINDOWS\\SYSTEM32", true},
        {"C:\\Users", true},                    // holds a profile
        {"C:\\users\\Bob", true},
        {"C:\\Users\\bob\\Documents", true},
        {"D:\\Data", true},                     // holds one at depth two
        {"C:\\Windows\\MyApp", false},          // inside, but holds none
        {"C:\\Users\\bob\\Documents\\My App", false},
        {"C:\\Users\\bobby", false},            // a longer name is another folder
        {"C:\\Program Files\\App", false},
        {"C:\\Program", false},
        {"D:\\Data\\Other", false},
        {"relative\\dir", true},                // nothing the guard can judge
        {"", true},
    };
    for (auto& r : rows)
        EXPECT_EQ(r.refused, IsProtectedCanonical(r.canonical)) << r.canonical;
}

// A tree is refused at any depth, a profile's own folders directly inside
// it; the table has no fixed limit, so the last of thousands of profiles is
// protected as the first.
TEST(Guard, TreesProfilesAndAnyNumberOfFolders)
{
    ClearProtectedFolders();
    ASSERT_TRUE(AddProtectedFolder("C:\\Windows"));
    int trees = 0;
    for (const char* name = kSystemTrees; *name; name += strlen(name) + 1, ++trees)
        ASSERT_TRUE(AddProtectedFolder(("C:\\Windows\\" + std::string(name)).c_str(), PROTECT_TREE));
    for (int i = 0; i < 5000; ++i)
        ASSERT_TRUE(AddProtectedFolder(("C:\\Users\\user" + std::to_string(i)).c_str(),
                                       PROTECT_CHILDREN));
    struct Row {
        const char* canonical;
        bool refused;
    } rows[] = {
        {"C:\\Windows\\System32\\drivers", true},
        {"C:\\Windows\\System32\\drivers\\etc\\x", true},
        {"C:\\Windows\\WinSxS\\amd64_x", true},
        {"C:\\Windows\\Fonts\\Acme", true},
        {"C:\\WINDOWS\\SYSWOW64\\a\\b", true},
        {"C:\\Windows\\Acme", false},  // an application's own folder there
        {"C:\\Windows\\Acme\\System32", false},
        {"C:\\Windows\\System320", false},
        {"C:\\Users\\user0\\Pictures", true},
        {"C:\\Users\\user4999\\Saved Games", true},
        {"C:\\Users\\user4999\\Anything", true},  // named or not
        {"C:\\Users\\user4999\\Pictures\\Acme", false},
        {"C:\\Users\\user4999\\AppData\\Acme", false},
        {"C:\\Users\\user5000\\Pictures", false},
    };
    for (auto& r : rows)
        EXPECT_EQ(r.refused, IsProtectedCanonical(r.canonical)) << r.canonical;
    EXPECT_EQ(1 + trees + 5000, ProtectedFolderCount());
    ClearProtectedFolders();
    EXPECT_FALSE(IsProtectedCanonical("C:\\Users\\user4999\\Pictures"));
}
