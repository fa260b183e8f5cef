// The folders no log may have walked, emptied or removed: every drive's
// root, the system's folders and the users' folders. The table is filled
// from the system once per run (protect.cpp); the decision is pure text.
#pragma once
#include "common/platform.h"

enum { PROTECTED_ROOM = 96 };

// A path put into one spelling: backslashes only, no empty, "." or ".."
// components, no trailing backslash; a drive root becomes "C:". Input is a
// full path ("C:\...", "\\server\share\..."); the system has already
// resolved relative and short names. Returns false when it does not fit.
bool CanonicalPath(const char* path, char* dest, int destSize);

// Empties the table of protected folders.
void ClearProtectedFolders();
// Adds a folder (any spelling of a full path); false when the table is full.
bool AddProtectedFolder(const char* path);
int ProtectedFolderCount();

// True when a folder in canonical form must not be walked, emptied or
// removed: a drive or share root, a protected folder, or one that holds a
// protected folder at any depth.
bool IsProtectedCanonical(const char* canonical);

// The Windows side (protect.cpp). True when a folder must not be walked,
// emptied or removed: in the system's spelling of it, a drive's root, a
// protected folder, or one that holds one. The protected folders are read
// from the system at the first call.
bool IsFolderRefused(const char* folder);
// True when the walk must not list, enter or remove this folder. path is a
// full wide path as the walk builds it (with the \\?\ prefix or without).
bool IsFolderRefusedW(const WCHAR* path);
// The system's spelling of a path: full, long names, canonical form.
bool SystemCanonical(const char* path, char* dest, int destSize);
