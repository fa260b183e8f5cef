// Wide paths as the removal walk uses them: full, with the \\?\ prefix that
// lifts the MAX_PATH limit and the system's parsing of names, so that any
// name the file system holds can be named, at any depth up to its limit.
#pragma once
#include "common/platform.h"

enum {
    WIDE_PATH_ROOM = 32768,  // the system's limit for a prefixed path
    ENTRY_PATH_ROOM = 1024,  // an entry's path made full (its text is at most 511 bytes)
};

int WideLength(const WCHAR* text);
// Index of the last backslash, or -1.
int LastBackslash(const WCHAR* text);

// The long form of a full path: «C:\a» becomes «\\?\C:\a», «\\server\share\a»
// becomes «\\?\UNC\server\share\a»; a path that has a prefix already, or is
// no drive or share path, stays as it is. False when it does not fit.
bool LongPathForm(const WCHAR* full, WCHAR* dest, int destSize);
// The path as the user knows it: the long form's prefix taken off again.
void ShownPathForm(const WCHAR* path, WCHAR* dest, int destSize);
// An entry's ANSI path (the log's code page) as a full long-form wide path,
// built once by the system; false when it cannot be built or does not fit.
bool BuildEntryPath(const char* path, WCHAR* dest, int destSize);
