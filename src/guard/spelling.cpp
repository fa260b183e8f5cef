// How the log checker reads a folder's spelling: the program asks the file
// system instead (protect.cpp).
#include "guard/guard.h"
#include "common/globals.h"
#include "common/text.h"

// Length of the root: "C:" of a drive path (a letter), "\\server\share" of a share,
// 0 for anything else.
static int RootLength(const char* path)
{
    char drive = char(path[0] | 0x20);
    if (drive >= 'a' && drive <= 'z' && path[1] == ':')
        return 2;
    if (path[0] == '\\' && path[1] == '\\') {
        int i = 2;
        for (int parts = 0; parts < 2; ++parts) {
            while (path[i] == '\\')
                ++i;
            while (path[i] && path[i] != '\\')
                i = int(NextChar(path + i) - path);
        }
        return i;
    }
    return 0;
}

// A component that names something: not empty, not "." or "..".
static bool IsName(const char* part, int length)
{
    return length > 0 && !(length == 1 && part[0] == '.') &&
           !(length == 2 && part[0] == '.' && part[1] == '.');
}

bool CanonicalPath(const char* path, char* dest, int destSize)
{
    char work[SCRATCH_BUFFER];
    if (TextLength(path) >= (int)sizeof work || destSize < 3)
        return false;
    CopyText(work, path, sizeof work);
    UseBackslashes(work);
    // "\\?\C:\..." and "\\.\C:\..." name what "C:\..." names, and
    // "\\?\UNC\server\share" what "\\server\share" names
    if (work[0] == '\\' && work[1] == '\\' && (work[2] == '?' || work[2] == '.') &&
        work[3] == '\\') {
        int skip = 4;
        if ((work[4] == 'U' || work[4] == 'u') && (work[5] == 'N' || work[5] == 'n') &&
            (work[6] == 'C' || work[6] == 'c') && work[7] == '\\')
            skip = 6;  // keeps "\\" before the server: "C\" becomes "\\"
        int i = 0;
        for (; work[i + skip]; ++i)
            work[i] = work[i + skip];
        work[i] = 0;
        if (skip == 6)
            work[0] = '\\';
    }
    // without a drive or a share nothing can be judged (and the result
    // could read as a root in a second pass: ":x" would become "\:x")
    int root = RootLength(work);
    if (root == 0 || root + 1 > destSize)
        return false;
    // a share's root in one spelling, "\\server\share"; a server or share
    // that is empty, "." or "..", or a server "?...", names nothing that can
    // be judged
    int used = 0;
    for (int i = 0; i < root; ++i)
        if (i < 2 || work[i] != '\\' || work[i - 1] != '\\')
            dest[used++] = work[i];
    if (root > 2) {
        dest[used] = 0;
        const char* share = dest + 2;
        while (*share && *share != '\\')
            share = NextChar(share);
        if (!IsName(dest + 2, int(share - dest - 2)) || dest[2] == '?' || !*share ||
            !IsName(share + 1, TextLength(share + 1)))
            return false;
    }
    const char* p = work + root;
    root = used;
    // component by component: "." is dropped, ".." takes back the last one
    while (*p) {
        while (*p == '\\')
            ++p;
        const char* start = p;
        while (*p && *p != '\\')
            p = NextChar(p);
        int length = int(p - start);
        if (length == 0 || (length == 1 && start[0] == '.'))
            continue;
        if (length == 2 && start[0] == '.' && start[1] == '.') {
            // back to the last backslash, found from the front: looking
            // back, a trail byte 0x5C would pass for one
            dest[used] = 0;
            used = root + FindLastChar(dest + root, '\\');
            if (used < root)
                used = root;
            continue;
        }
        if (used + 1 + length + 1 > destSize)
            return false;
        dest[used++] = '\\';
        for (int i = 0; i < length; ++i)
            dest[used++] = start[i];
    }
    dest[used] = 0;
    return true;
}

bool UsualLayoutRefuses(const char* canonical)
{
    int root = RootLength(canonical);
    if (root == 0 || !canonical[root])
        return true;  // a root, or nothing the system can name
    if (root != 2 || (canonical[0] | 0x20) != 'c')
        return false;  // the usual layout lies on drive C
    const char* below = canonical + 3;
    // the first component: the Windows folder, or one of the drive's
    char first[PATH_BUFFER];
    int length = 0;
    while (below[length] && below[length] != '\\')
        length = int(NextChar(below + length) - below);
    CopyText(first, below, length + 1 < PATH_BUFFER ? length + 1 : PATH_BUFFER);
    if (SameText(first, "Windows"))
        return RulesRefuse(BASE_WINDOWS, below[length] ? below + length + 1 : "");
    return RulesRefuse(BASE_DRIVE, below);
}
