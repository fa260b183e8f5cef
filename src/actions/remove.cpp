// P and U entries: files and directory trees.
#include <windows.h>
#include <shlobj.h>

#include "actions/actions.h"
#include "actions/match.h"
#include "actions/remove.h"
#include "common/globals.h"
#include "common/message.h"
#include "common/text.h"
#include "common/files.h"
#include "log/log.h"
#include "ui/dialog.h"

enum { MODE_DELETE = 0, MODE_ASK = 1, MODE_OFFER = 2 };

void ReleaseFileForDeletion(const char* path)
{
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    int length = TextLength(path);
    if (length >= 4 && SameText(path + length - 4, ".ttf")) {
        RemoveFontResourceA(path);
        SendMessageA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0);
    }
}

void RemoveOneFile(const char* path, int mode)
{
    if (!FileExists(path) || !MarkHandled(path))
        return;
    PaceStep();
    if (mode == MODE_ASK &&
        ShowMessage(MSG_QUESTION, GetMessageText(MSGID_ASK_DELETE), path) == IDYES)
        mode = MODE_DELETE;
    if (mode == MODE_DELETE) {
        ReleaseFileForDeletion(path);
        if (!DeleteFileA(path))
            mode = MODE_OFFER;
    }
    if (mode == MODE_OFFER)
        AddLeftover(path);
}

static bool SamePath(const char* a, const char* b)
{
    char x[PATH_BUFFER];
    char y[PATH_BUFFER];
    CopyText(x, a, sizeof x);
    CopyText(y, b, sizeof y);
    CutTrailingBackslash(x);
    CutTrailingBackslash(y);
    return x[0] && SameText(x, y);
}

// A tree walk never takes on a drive's root or one of the folders the system
// and every user depend on, whatever a damaged log says.
static bool IsProtectedFolder(const char* folder)
{
    int length = TextLength(folder);
    if (length <= 3 && length >= 2 && folder[1] == ':')
        return true;
    if (SamePath(folder, g_windowsDir))
        return true;
    char known[MAX_PATH];
    if (GetSystemDirectoryA(known, sizeof known) && SamePath(folder, known))
        return true;
    static const int shellFolders[] = {CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86,
                                       CSIDL_PROFILE};
    for (int csidl : shellFolders) {
        known[0] = 0;
        if (SHGetFolderPathA(0, csidl, 0, SHGFP_TYPE_CURRENT, known) == S_OK &&
            SamePath(folder, known))
            return true;
    }
    // A 32-bit program on 64-bit Windows is shown only the 32-bit Program
    // Files; the 64-bit one is named in the registry's 64-bit view.
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", 0,
                      KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key) == ERROR_SUCCESS) {
        DWORD size = sizeof known - 1;
        known[0] = 0;
        bool found = RegQueryValueExA(key, "ProgramFilesDir", 0, 0, (BYTE*)known, &size) ==
                     ERROR_SUCCESS;
        RegCloseKey(key);
        known[found && size < sizeof known ? size : 0] = 0;
        if (found && SamePath(folder, known))
            return true;
    }
    return false;
}

void RemoveMatching(const char* path, bool recursive, int mode)
{
    char dir[PATH_BUFFER];
    char name[PATH_BUFFER];
    CopyText(dir, path, sizeof dir);
    StripLastComponent(dir);
    LastComponent(path, name, sizeof name);
    FilePattern pattern;
    ParsePattern(name, &pattern);
    if (TextLength(dir) == 2 && dir[1] == ':')
        AppendText(dir, "\\", sizeof dir);

    char search[PATH_BUFFER];
    if (pattern.wildcard) {
        // never a wildcard in a drive's root or in a path without folder
        if (TextLength(dir) <= 3)
            return;
        JoinPath(search, dir, "*.*", sizeof search);
    } else {
        CopyText(search, path, sizeof search);
    }

    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(search, &found);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        if (pattern.wildcard && !PatternMatches(&pattern, found.cFileName))
            continue;
        // a path that would not fit is skipped: cut, it would name another file
        if (TextLength(dir) + 1 + TextLength(found.cFileName) >= PATH_BUFFER)
            continue;
        char full[PATH_BUFFER];
        JoinPath(full, dir, found.cFileName, sizeof full);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!recursive || SameText(found.cFileName, ".") || SameText(found.cFileName, ".."))
                continue;
            if (mode != MODE_OFFER) {
                JoinPath(search, full, "\\*.*", sizeof search);
                if (TextLength(full) + 4 < PATH_BUFFER)
                    RemoveMatching(search, recursive, mode);
            }
            RemoveDirectoryA(full);
        } else if (!recursive) {
            RemoveOneFile(full, mode);
        } else if (mode == MODE_DELETE) {
            RemoveOneFile(full, MODE_OFFER);  // a tree's files are offered, not deleted
        } else if (mode == MODE_ASK) {
            RemoveOneFile(full, MODE_DELETE);
        }
    } while (FindNextFileA(find, &found));
    FindClose(find);
}

// Reads the path and the mode of the entry under the cursor. False when the
// path does not fit its buffer.
static bool ReadFileEntry(char* path, int* mode)
{
    char field[64];
    if (!ReadEntryField(path, 0, PATH_BUFFER))
        return false;
    ReadEntryField(field, 1, sizeof field);
    *mode = ParseNumber(field) & 0xFF;
    return true;
}

void RemoveFiles()
{
    char path[PATH_BUFFER];
    int mode;
    if (ReadFileEntry(path, &mode))
        RemoveMatching(path, false, mode);
}

void RemoveTree()
{
    char path[PATH_BUFFER];
    int mode;
    if (!ReadFileEntry(path, &mode))
        return;
    // the folder the walk would take on: the named one, or a pattern's folder
    char name[PATH_BUFFER];
    FilePattern pattern;
    LastComponent(path, name, sizeof name);
    ParsePattern(name, &pattern);
    char folder[PATH_BUFFER];
    CopyText(folder, path, sizeof folder);
    if (pattern.wildcard)
        StripLastComponent(folder);
    if (IsProtectedFolder(folder))
        return;
    RemoveMatching(path, true, mode);
}
