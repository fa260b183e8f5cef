// The folders no log may have walked, emptied or removed: every drive's
// root, the system's folders and trees and the users' folders. The program
// judges a folder by what the file system says it is (protect.cpp); the
// text decision here is its quick first step and the checker's decision.
#pragma once
#include "common/platform.h"

// How a folder is protected. Every folder above a protected one is refused
// as well.
enum {
    PROTECT_SELF = 1,      // the folder itself
    PROTECT_TREE = 2,      // and everything below it, at any depth
    PROTECT_CHILDREN = 4,  // and every folder directly inside it (a profile)
};

// The folders Windows itself keeps inside the Windows folder, each a tree
// no log may touch at any depth; one name after another, each ended by a
// zero, the list by an empty name. Other folders there (an application's
// own) stay removable.
extern const char kSystemTrees[];

// A path put into one spelling: backslashes only, no empty, "." or ".."
// components, no trailing backslash; a drive root becomes "C:". Input is a
// full path ("C:\...", "\\server\share\..."); the system has already
// resolved relative and short names. Returns false when it does not fit.
bool CanonicalPath(const char* path, char* dest, int destSize);

// The text table of protected folders (the checker's): no fixed limit.
void ClearProtectedFolders();
// Adds a folder (any spelling of a full path); false when memory is out.
bool AddProtectedFolder(const char* path, int kinds = PROTECT_SELF);
int ProtectedFolderCount();

// True when a folder in canonical form must not be walked, emptied or
// removed: a drive or share root, a protected folder, one that holds a
// protected folder at any depth, one inside a protected tree, or one
// directly inside a profile.
bool IsProtectedCanonical(const char* canonical);

#ifdef _WIN32
// The Windows side (protect.cpp): the identities (volume serial number and
// file index) of every protected folder and every folder above one, taken
// once before the first entry runs. A table that cannot be filled refuses
// everything.
void LoadProtectedFolders();
// True when the walk must not list, enter or remove this folder. path is a
// full wide path as the walk builds it (with the \\?\ prefix or without).
bool IsFolderRefusedW(const WCHAR* path);
// True when a file must not be deleted now: its folder cannot be judged, or
// its spelling leads into a protected folder that it does not name (a
// folder swapped for a link since the file was listed).
bool IsFileRefusedW(const WCHAR* path);
#endif
