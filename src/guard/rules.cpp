#include "actions/shared.h"
#include "common/globals.h"
#include "common/text.h"

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

static bool InList(const char* list, const char* name)
{
    for (; *list; list += TextLength(list) + 1)
        if (SameText(list, name))
            return true;
    return false;
}

int SharedKeyReason(int rootCode, const char* subkey)
{
    // the components, empty ones skipped: how many, the second and the last
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
        char* part = parts[count < 2 ? count : 2];
        CopyText(part, start, int(p - start) + 1);
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
