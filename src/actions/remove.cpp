// P and U entries: files and directory trees.
#include <windows.h>

#include "actions/actions.h"
#include "actions/guard.h"
#include "actions/match.h"
#include "actions/remove.h"
#include "common/globals.h"
#include "common/message.h"
#include "common/text.h"
#include "common/erase.h"
#include "common/files.h"
#include "log/log.h"

enum { MODE_DELETE = 0, MODE_ASK = 1, MODE_OFFER = 2 };

void RemoveOneFile(const char* path, int mode)
{
    if (!FileExists(path) || !MarkHandled(path))
        return;
    PaceStep();
    if (mode == MODE_ASK &&
        ShowMessage(MSG_QUESTION, GetMessageText(MSGID_ASK_DELETE), path) == IDYES &&
        !IsFileRefused(path))
        mode = MODE_DELETE;
    if (mode == MODE_DELETE && !EraseFile(path))
        mode = MODE_OFFER;
    if (mode == MODE_OFFER)
        AddLeftover(path);
}

// The walk judges every folder before it lists files in it, enters it or
// removes it, by the system's spelling of it: a protected folder, or one
// that holds one, is left alone, and the rest of the entry goes on. A
// junction or symbolic link is never followed: at most the link goes.
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

    // Files are listed in dir for our own wildcards and for the system's
    // ("a*.tmp" goes to the system unchanged): either way dir is emptied.
    bool systemWildcard = false;
    for (const char* p = name; *p; p = NextChar(p))
        if (*p == '*' || *p == '?')
            systemWildcard = true;
    if ((pattern.wildcard || systemWildcard) && IsFolderRefused(dir[0] ? dir : "."))
        return;
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
        if (dir[0])
            JoinPath(full, dir, found.cFileName, sizeof full);
        else
            CopyText(full, found.cFileName, sizeof full);  // relative, as the log wrote it
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!recursive || SameText(found.cFileName, ".") || SameText(found.cFileName, "..") ||
                IsFolderRefused(full))
                continue;
            bool link = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
            if (mode != MODE_OFFER && !link) {
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
    // either slash separates, as everywhere in the system
    UseBackslashes(path);
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
    if (ReadFileEntry(path, &mode))
        RemoveMatching(path, true, mode);
}
