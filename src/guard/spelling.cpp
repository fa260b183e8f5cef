#include "actions/guard.h"
#include "common/bytes.h"
#include "common/globals.h"
#include "common/text.h"

// Windows' own folders inside the Windows folder. Each is the system's at
// any depth: what an installer put there is named file by file. Sysnative
// is how a 32-bit program reaches the 64-bit System32.
const char kSystemTrees[] =
    "System32\0Sysnative\0SysWOW64\0SysArm32\0system\0WinSxS\0Fonts\0assembly\0Microsoft.NET\0"
    "servicing\0inf\0Boot\0Globalization\0IME\0Installer\0Media\0Help\0Cursors\0"
    "Resources\0security\0Speech\0SystemApps\0SystemResources\0PolicyDefinitions\0"
    "Registration\0schemas\0Tasks\0Web\0Logs\0Setup\0apppatch\0";

// The checker's table: records of one kinds byte and a canonical text with
// its zero, one after another in page memory that grows as needed.
static char* s_table;
static int s_tableUsed;
static int s_tableSize;
static int s_protectedCount;

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

void ClearProtectedFolders()
{
    s_tableUsed = 0;
    s_protectedCount = 0;
}

bool AddProtectedFolder(const char* path, int kinds)
{
    char canonical[PATH_BUFFER];
    if (!path[0] || !CanonicalPath(path, canonical, sizeof canonical))
        return true;  // nothing to protect
    int need = TextLength(canonical) + 2;
    if (s_tableUsed + need > s_tableSize) {
        int size = s_tableSize ? s_tableSize * 2 : 16384;
        char* table = static_cast<char*>(PlatAllocPages(DWORD(size)));
        if (!table)
            return false;
        MoveBytes(table, s_table, DWORD(s_tableUsed));
        PlatFreePages(s_table);
        s_table = table;
        s_tableSize = size;
    }
    s_table[s_tableUsed] = char(kinds);
    CopyText(s_table + s_tableUsed + 1, canonical, need - 1);
    s_tableUsed += need;
    ++s_protectedCount;
    return true;
}

int ProtectedFolderCount()
{
    return s_protectedCount;
}

// True when folder is inner or lies below it (ignoring case).
static bool SameOrBelow(const char* folder, const char* inner)
{
    int length = TextLength(inner);
    if (TextLength(folder) < length || (folder[length] && folder[length] != '\\'))
        return false;
    char head[PATH_BUFFER];
    CopyText(head, folder, length + 1);
    return SameText(head, inner);
}

bool IsProtectedCanonical(const char* canonical)
{
    int root = RootLength(canonical);
    if (!canonical[0] || root == 0 || !canonical[root])
        return true;  // a root, or nothing the system can name
    for (int at = 0; at < s_tableUsed; at += TextLength(s_table + at + 1) + 2) {
        int kinds = s_table[at];
        const char* folder = s_table + at + 1;
        if (SameOrBelow(folder, canonical))
            return true;  // the folder, or one that holds it
        if (!SameOrBelow(canonical, folder))
            continue;
        if (kinds & PROTECT_TREE)
            return true;
        // directly inside: its last backslash ends the protected folder
        if ((kinds & PROTECT_CHILDREN) && FindLastChar(canonical, '\\') == TextLength(folder))
            return true;
    }
    return false;
}
