// M entries: keys and sections of profile (INI) files.
#include <windows.h>

#include "actions/actions.h"
#include "guard/guard.h"
#include "common/files.h"
#include "common/globals.h"
#include "common/report.h"

// M: file, section, key. An empty key deletes the whole section; a section
// whose last key went is deleted too. A file that does not exist is never
// created.
void RemoveProfileEntry()
{
    char file[PATH_BUFFER];
    char section[PATH_BUFFER];
    char key[KEY_NAME_BUFFER];
    if (!ReadEntryField(file, 0, sizeof file) || !ReadEntryField(section, 1, sizeof section) ||
        !ReadEntryField(key, 2, sizeof key))
        return;
    // checked where the profile functions look: a bare name is the Windows
    // folder's; the system's own sections are never deleted whole
    char checked[PATH_BUFFER];
    if (!ProfileFileToCheck(file, g_windowsDir, checked, sizeof checked) || !FileExists(checked)) {
        ReportOutcome(OUT_NOT_FOUND);
        return;
    }
    if (!key[0] && IsSystemSection(file, section)) {
        ReportOutcome(OUT_REFUSED_SECTION);
        return;
    }
    WritePrivateProfileStringA(section, key[0] ? key : 0, 0, file);
    if (!key[0])
        return;
    char left[KEY_LIST_BUFFER];
    left[0] = 0;
    GetPrivateProfileStringA(section, 0, "", left, sizeof left, file);
    if (!left[0])
        WritePrivateProfileStringA(section, 0, 0, file);
}
