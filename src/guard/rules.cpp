// The guard's rules, one table for the program and the log checker: the
// protected folders by where they lie, the registry keys many programs
// share, and the system's own profile sections; and the decisions on keys
// and sections, which need nothing but text.
#include "guard/guard.h"
#include "common/globals.h"
#include "common/text.h"

// Windows' own folders inside the Windows folder are the system's at any
// depth: what an installer put there is named file by file. Sysnative is
// how a 32-bit program reaches the 64-bit System32. Other folders there (an
// application's own) stay removable. A profile's own folders that lie deeper
// than its first level are named one by one; the system names the current
// user's (protect.cpp), these rules every profile's.
//
// One row: a byte with the base (high four bits) and the kinds (low four
// bits), then the folder below the base, ended by its zero; an empty row
// ends the table.
#define DRIVE_SELF "\x01"
#define DRIVE_PROFILES "\x0C"
#define WINDOWS_SELF "\x11"
#define WINDOWS_TREE "\x12"
#define PROFILE_CHILDREN "\x24"
#define PROFILE_SELF "\x21"
const char kFolderRules[] =
    DRIVE_SELF "Program Files\0"
    DRIVE_SELF "Program Files (x86)\0"
    DRIVE_SELF "Program Files\\Common Files\0"
    DRIVE_SELF "Program Files (x86)\\Common Files\0"
    DRIVE_SELF "ProgramData\0"
    DRIVE_SELF "ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Startup\0"
    DRIVE_SELF "ProgramData\\Microsoft\\Windows\\Templates\0"
    DRIVE_PROFILES "Users\0"
    DRIVE_PROFILES "Documents and Settings\0"
    WINDOWS_SELF "\0"
    WINDOWS_TREE "System32\0"
    WINDOWS_TREE "Sysnative\0"
    WINDOWS_TREE "SysWOW64\0"
    WINDOWS_TREE "SysArm32\0"
    WINDOWS_TREE "system\0"
    WINDOWS_TREE "WinSxS\0"
    WINDOWS_TREE "Fonts\0"
    WINDOWS_TREE "assembly\0"
    WINDOWS_TREE "Microsoft.NET\0"
    WINDOWS_TREE "servicing\0"
    WINDOWS_TREE "inf\0"
    WINDOWS_TREE "Boot\0"
    WINDOWS_TREE "Globalization\0"
    WINDOWS_TREE "IME\0"
    WINDOWS_TREE "Installer\0"
    WINDOWS_TREE "Media\0"
    WINDOWS_TREE "Help\0"
    WINDOWS_TREE "Cursors\0"
    WINDOWS_TREE "Resources\0"
    WINDOWS_TREE "security\0"
    WINDOWS_TREE "Speech\0"
    WINDOWS_TREE "SystemApps\0"
    WINDOWS_TREE "SystemResources\0"
    WINDOWS_TREE "PolicyDefinitions\0"
    WINDOWS_TREE "Registration\0"
    WINDOWS_TREE "schemas\0"
    WINDOWS_TREE "Tasks\0"
    WINDOWS_TREE "Web\0"
    WINDOWS_TREE "Logs\0"
    WINDOWS_TREE "Setup\0"
    WINDOWS_TREE "apppatch\0"
    PROFILE_CHILDREN "\0"
    PROFILE_SELF "AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Startup\0"
    PROFILE_SELF "AppData\\Roaming\\Microsoft\\Windows\\SendTo\0"
    PROFILE_SELF "AppData\\Roaming\\Microsoft\\Windows\\Templates\0"
    PROFILE_SELF "AppData\\Local\\Programs\0"
    PROFILE_SELF "AppData\\LocalLow\0"
    PROFILE_SELF "Pictures\\Screenshots\0"
    PROFILE_SELF "Pictures\\Camera Roll\0"
    PROFILE_SELF "Pictures\\Saved Pictures\0"
    PROFILE_SELF "Local Settings\\Application Data\0"
    PROFILE_SELF "Start Menu\\Programs\\Startup\0";

// Keys where many programs keep values, by the last component of the key's
// name: Run of Software\Microsoft\Windows\CurrentVersion, Winlogon of
// Software\Microsoft\Windows NT\CurrentVersion, Services and Environment
// of SYSTEM\CurrentControlSet, a class's DefaultIcon and shell command keys.
// An application's own key of such a name stays too: a key left behind is
// the lesser harm.
static const char kSharedNames[] =
    "Run\0RunOnce\0RunOnceEx\0RunServices\0RunServicesOnce\0Uninstall\0App Paths\0SharedDLLs\0"
    "Shell Folders\0User Shell Folders\0Environment\0Winlogon\0Image File Execution Options\0"
    "Services\0Classes\0CLSID\0Interface\0TypeLib\0AppID\0Policies\0Fonts\0FontSubstitutes\0"
    "CurrentVersion\0shell\0shellex\0command\0DefaultIcon\0";

// The system's file classes, first-level keys of HKEY_CLASSES_ROOT (and of
// Software\Classes) that the system keeps.
static const char kFileClasses[] =
    "*\0Directory\0Drive\0Folder\0AllFilesystemObjects\0exefile\0txtfile\0lnkfile\0.exe\0.txt\0"
    ".lnk\0.dll\0.bat\0.cmd\0.ini\0";

// The system's own sections of win.ini and system.ini (on Windows NT some
// of them are the registry's: [fonts] is the font list).
static const char kSystemSections[] =
    "windows\0desktop\0intl\0devices\0ports\0extensions\0fonts\0FontSubstitutes\0"
    "PrinterPorts\0colors\0sounds\0mci\0mci32\0boot\0drivers\0drivers32\0" "386enh\0";

// True when folder is inner or lies below it (ignoring case); every folder
// lies below "". Only as many bytes as inner has are copied.
static bool SameOrBelow(const char* folder, const char* inner)
{
    int length = TextLength(inner);
    if (!length)
        return true;
    if (length >= PATH_BUFFER || TextLength(folder) < length ||
        (folder[length] && folder[length] != '\\'))
        return false;
    char head[PATH_BUFFER];
    CopyText(head, folder, length + 1);
    return SameText(head, inner);
}

bool RulesRefuse(int base, const char* below)
{
    for (const char* row = kFolderRules; *row; row += TextLength(row) + 1) {
        const char* path = row + 1;
        int kinds = RuleKinds(row);
        if (RuleBase(row) != base)
            continue;
        if (SameOrBelow(path, below))
            return true;  // the folder, or one that holds it
        if (!SameOrBelow(below, path))
            continue;
        if (kinds & PROTECT_TREE)
            return true;
        const char* rest = below + TextLength(path);
        if (*rest == '\\')
            ++rest;
        const char* inside = rest;  // past the first component
        while (*inside && *inside != '\\')
            inside = NextChar(inside);
        if (!*inside && (kinds & PROTECT_CHILDREN))
            return true;  // directly inside
        if ((kinds & PROTECT_PROFILES) && RulesRefuse(BASE_PROFILE, *inside ? inside + 1 : ""))
            return true;
    }
    return false;
}

static bool InList(const char* list, const char* name)
{
    for (; *list; list += TextLength(list) + 1)
        if (SameText(list, name))
            return true;
    return false;
}

int SharedKeyReason(int rootCode, const char* subkey)
{
    // the components, empty ones skipped: how many, the second and the last.
    // A component longer than a buffer is cut: no name of the lists is that
    // long, so it still matches none.
    char parts[3][PATH_BUFFER];
    int count = 0;
    for (const char* p = subkey; *p;) {
        if (*p == '\\') {
            ++p;
            continue;
        }
        const char* start = p;
        while (*p && *p != '\\')
            p = NextChar(p);
        int length = int(p - start) + 1;
        char* part = parts[count < 2 ? count : 2];
        CopyText(part, start, length < PATH_BUFFER ? length : PATH_BUFFER);
        if (count++ >= 2)
            continue;
        CopyText(parts[2], part, PATH_BUFFER);
    }
    if (!count)
        return KEY_HIVE;
    // a user's hive and its first-level keys (HKEY_USERS), a first-level
    // key of HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE
    if (rootCode != 0 && count <= 1 + (rootCode == 3))
        return KEY_FIRST_LEVEL;
    // a class: first level of HKEY_CLASSES_ROOT, third of Software\Classes
    if ((rootCode == 0 && count == 1) ||
        (count == 3 && SameText(parts[0], "Software") && SameText(parts[1], "Classes")))
        if (InList(kFileClasses, parts[2]))
            return KEY_CLASS;
    return InList(kSharedNames, parts[2]) ? KEY_SHARED : KEY_ALLOWED;
}

bool IsSystemSection(const char* file, const char* section)
{
    char name[PATH_BUFFER];
    LastComponent(file, name, sizeof name);
    if (!SameText(name, "win.ini") && !SameText(name, "system.ini"))
        return false;
    // the profile functions ignore spaces around a section's name
    while (*section == ' ' || *section == '\t')
        ++section;
    CopyText(name, section, sizeof name);
    int length = TextLength(name);
    while (length && (name[length - 1] == ' ' || name[length - 1] == '\t'))
        name[--length] = 0;
    return InList(kSystemSections, name);
}

bool ProfileFileToCheck(const char* file, const char* windowsDir, char* dest, int destSize)
{
    for (const char* p = file; *p; p = NextChar(p))
        if (*p == '\\' || *p == '/') {
            CopyText(dest, file, destSize);
            return true;
        }
    if (TextLength(windowsDir) + 1 + TextLength(file) >= destSize)
        return false;
    JoinPath(dest, windowsDir, file, destSize);
    return true;
}
