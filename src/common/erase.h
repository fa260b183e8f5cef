// Deleting one file the way the program deletes files, for the removal and
// for the leftover list alike.
#pragma once
#include "common/platform.h"

// For a font, removes the font resource and tells every window; then
// deletes the file, clearing its attributes first where they keep it (a
// read-only file). True when it is gone.
bool EraseFile(const WCHAR* path);  // a long-form path
// The same for a file of a folder the walk holds, named inside that folder
// by the handle: whatever became of the path since, only that folder's own
// entry goes. path names it for the font calls.
bool EraseFileIn(HANDLE folder, const WCHAR* name, const WCHAR* path);
// Removes an empty folder (or a link) of a held folder by its name there.
bool RemoveFolderIn(HANDLE folder, const WCHAR* name);
// Opens an entry of a held folder by its name there, never following a link
// at it; INVALID_HANDLE_VALUE when it cannot be opened. options are the
// system's FILE_DIRECTORY_FILE or FILE_NON_DIRECTORY_FILE, or 0.
HANDLE OpenInFolder(HANDLE folder, const WCHAR* name, DWORD access, DWORD share, DWORD options);
