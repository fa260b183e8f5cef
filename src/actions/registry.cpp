// J and K entries: registry values and keys, and shared-library references.
#include <windows.h>

#include "actions/actions.h"
#include "common/progress.h"
#include "common/report.h"
#include "actions/remove.h"
#include "guard/guard.h"
#include "common/globals.h"
#include "common/text.h"
#include "common/wtext.h"

static const char kSharedDlls[] = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

// Root key codes 0 to 3 of a J entry; any other code names no root.
static HKEY RootKey(int code)
{
    switch (code) {
    case 0:
        return HKEY_CLASSES_ROOT;
    case 1:
        return HKEY_CURRENT_USER;
    case 2:
        return HKEY_LOCAL_MACHINE;
    case 3:
        return HKEY_USERS;
    default:
        return 0;
    }
}

// J: root code, subkey, value name. An empty value name deletes the key
// itself (its subkeys are not removed first); "default" names the key's
// default value.
void RemoveRegistryEntry()
{
    char field[PATH_BUFFER];
    char subkey[PATH_BUFFER];
    char name[VALUE_NAME_BUFFER];
    ReadEntryField(field, 0, sizeof field);
    int code = ParseNumber(field) & CODE_MASK;
    HKEY root = RootKey(code);
    if (!root || !ReadEntryField(subkey, 1, sizeof subkey) ||
        !ReadEntryField(name, 2, sizeof name))
        return;
    if (!name[0]) {
        // a hive, its first-level keys and the keys many programs share are
        // never the log's to delete whole (a cut value name reads as none)
        if (SharedKeyReason(code, subkey) != KEY_ALLOWED)
            ReportOutcome(OUT_REFUSED_KEY);
        else if (RegDeleteKeyA(root, subkey) != ERROR_SUCCESS)
            ReportOutcome(OUT_NOT_FOUND);
        return;
    }
    HKEY key;
    if (RegOpenKeyExA(root, subkey, 0, KEY_WRITE, &key) != ERROR_SUCCESS) {
        ReportOutcome(OUT_NOT_FOUND);
        return;
    }
    if (SameText(name, "default"))
        name[0] = 0;
    if (RegDeleteValueA(key, name) != ERROR_SUCCESS)
        ReportOutcome(OUT_NOT_FOUND);
    RegCloseKey(key);
    PaceStep();
}

// K: gives back one reference to a shared library. The last reference
// deletes the count and offers the file in the leftover list; no later entry
// deletes or lists it.
void ReleaseSharedDll()
{
    HKEY key;
    int outcome = OUT_NOT_FOUND;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSharedDlls, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
        ReportOutcome(outcome);
        return;
    }
    char path[PATH_BUFFER];
    DWORD count = 0;
    DWORD type = 0;
    DWORD size = sizeof count;
    // only a count of exactly four bytes is a count; 0 has no reference to give
    if (ReadEntryField(path, 0, sizeof path) &&
        RegQueryValueExA(key, path, 0, &type, (BYTE*)&count, &size) == ERROR_SUCCESS &&
        size == sizeof count && count != 0) {
        outcome = OUT_COUNTED_DOWN;
        if (count == 1) {
            outcome = OUT_RELEASED;
            RegDeleteValueA(key, path);
            WCHAR file[ENTRY_PATH_ROOM];
            if (BuildEntryPath(path, file, ENTRY_PATH_ROOM)) {
                AddLeftover(file);
                ReportOutcome(OUT_OFFERED, file);
                MarkHandled(file);
            }
        } else {
            --count;
            RegSetValueExA(key, path, 0, type, (const BYTE*)&count, sizeof count);
        }
    }
    ReportOutcome(outcome);
    RegCloseKey(key);
    PaceStep();
}
