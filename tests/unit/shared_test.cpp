// The registry keys and profile sections no log deletes whole, and the
// profile file a bare name stands for.
#include "guard/guard.h"

#include <gtest/gtest.h>

#include <string>

TEST(Shared, KeyDeletions)
{
    struct Row {
        int root;
        const char* subkey;
        int reason;
    } rows[] = {
        {2, "", KEY_HIVE},
        {1, "\\\\", KEY_HIVE},
        {2, "\\SYSTEM\\", KEY_FIRST_LEVEL},
        {1, "Environment", KEY_FIRST_LEVEL},
        {3, "S-1-5-21-1\\Software", KEY_FIRST_LEVEL},
        {2, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", KEY_SHARED},  // a cut value name
        {1, "Software\\\\Microsoft\\Windows\\CurrentVersion\\\\RunOnce\\", KEY_SHARED},
        {2, "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\App Paths", KEY_SHARED},
        {1, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders", KEY_SHARED},
        {2, "SYSTEM\\ControlSet001\\Services", KEY_SHARED},
        {2, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options", KEY_SHARED},
        {3, "S-1-5-21-1\\Software\\Microsoft\\Windows\\CurrentVersion\\run", KEY_SHARED},
        {0, "CLSID", KEY_SHARED},
        {0, "txtfile\\shell\\open\\command", KEY_SHARED},
        {0, ".exe", KEY_CLASS},
        {2, "Software\\Classes\\Directory", KEY_CLASS},
        // an application's own keys go
        {2, "Software\\Acme", KEY_ALLOWED},
        {2, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Acme", KEY_ALLOWED},
        {0, ".acme", KEY_ALLOWED},
        {0, "CLSID\\{01234567-89AB-CDEF-0123-456789ABCDEF}", KEY_ALLOWED},
        {2, "Software\\Classes\\AcmeDoc", KEY_ALLOWED},
        {3, "S-1-5-21-1\\Software\\Acme", KEY_ALLOWED},
        {2, "SYSTEM\\CurrentControlSet\\Services\\AcmeSvc", KEY_ALLOWED},
    };
    for (auto& r : rows)
        EXPECT_EQ(r.reason, SharedKeyReason(r.root, r.subkey)) << r.root << " " << r.subkey;
    // components longer than the program's buffers, as the checker passes
    // them: cut, they still match no shared name, and the count stays
    const std::string longPart(5000, 'x');
    EXPECT_EQ(KEY_ALLOWED, SharedKeyReason(2, ("Software\\" + longPart + "\\Run2").c_str()));
    EXPECT_EQ(KEY_SHARED, SharedKeyReason(2, (longPart + "\\" + longPart + "\\Run").c_str()));
    EXPECT_EQ(KEY_FIRST_LEVEL, SharedKeyReason(1, longPart.c_str()));
    EXPECT_EQ(KEY_ALLOWED, SharedKeyReason(0, (longPart + "\\x\\" + longPart).c_str()));
}

TEST(Shared, ProfileSectionsAndFiles)
{
    struct Row {
        const char* file;
        const char* section;
        bool system;
    } rows[] = {
        {"win.ini", "fonts", true},
        {"C:\\Windows\\WIN.INI", "Windows", true},
        {"system.ini", " drivers32 ", true},
        {"system.ini", "386Enh", true},
        {"win.ini", "Acme", false},
        {"acme.ini", "fonts", false},
        {"C:\\App\\win.ini.bak", "fonts", false},
    };
    for (auto& r : rows)
        EXPECT_EQ(r.system, IsSystemSection(r.file, r.section)) << r.file << " " << r.section;

    struct File {
        const char* file;
        const char* checked;
    } files[] = {
        {"win.ini", "C:\\Windows\\win.ini"},
        {"acme.ini", "C:\\Windows\\acme.ini"},
        {"C:\\App\\acme.ini", "C:\\App\\acme.ini"},
        {"sub\\acme.ini", "sub\\acme.ini"},
        {"C:/App/acme.ini", "C:/App/acme.ini"},
    };
    for (auto& f : files) {
        char out[512];
        ASSERT_TRUE(ProfileFileToCheck(f.file, "C:\\Windows", out, sizeof out));
        EXPECT_EQ(std::string(f.checked), out);
    }
    char small[16];
    EXPECT_FALSE(ProfileFileToCheck("acme.ini", "C:\\Windows", small, sizeof small));
}
