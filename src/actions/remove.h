// File and directory removal, and the set of paths already taken on.
#pragma once
#include "common/nameset.h"

enum {
    HANDLED_ROOM = 20000,   // first size of the handled-path set
    POOL_BLOCK = 200000,    // bytes of one block of the path pool
};

extern NameSet g_handledPaths;

// The handled-path set and the pool that holds its texts (removal stage).
bool CreateHandledPaths();
void FreeHandledPaths();
// True when the path was new and is now marked; false when it was taken on
// before (ignoring case), or when no memory was left to remember it. The
// path is a full wide one in the long form (BuildEntryPath).
bool MarkHandled(const WCHAR* path);

// Removes what a P or U entry's path or pattern names.
void RemoveMatching(const char* path, bool recursive, int mode);
// Deletes, offers, asks about or only marks one file (a PLAN_ file
// action), once per run; a file to delete is named inside its held folder.
void RemoveOneFile(const WCHAR* path, int action, HANDLE folder, const WCHAR* name);
