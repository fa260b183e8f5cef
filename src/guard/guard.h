// The guard: what no log may remove. The rules (rules.cpp) are one table of
// text, the same for the program and the log checker: the folders relative
// to the Windows folder, the system drive and every profile, the registry
// keys many programs share and the system's own profile sections. The
// program finds the folders the rules name on the system and judges a folder
// by what the file system says it is (protect.cpp); the checker reads a
// log's text against the same rules in the usual layout.
#pragma once
#include "common/platform.h"

// ---- folders ----

// How a folder is protected. Every folder above a protected one is refused
// as well.
enum {
    PROTECT_SELF = 1,      // the folder itself
    PROTECT_TREE = 2,      // and everything below it, at any depth
    PROTECT_CHILDREN = 4,  // and every folder directly inside it (a profile)
    PROTECT_PROFILES = 8,  // every folder directly inside it is a profile
};

// Where a rule's folder lies.
enum {
    BASE_DRIVE,    // the root of the drive that holds the Windows folder
    BASE_WINDOWS,  // the Windows folder
    BASE_PROFILE,  // every profile: the registry's, and those of a profiles folder
};

// The folder rules, one after another: a byte of the base and the kinds,
// the folder below the base ("" for the base itself) and its zero; an empty
// row ends them.
extern const char kFolderRules[];
inline int RuleBase(const char* row)
{
    return (unsigned char)row[0] >> 4;
}
inline int RuleKinds(const char* row)
{
    return row[0] & 15;
}

// True when the rules refuse a folder given below a base: below is "" for
// the base itself, otherwise its components under the base, one backslash
// between them. Refused are a rule's folder, every folder that holds one,
// one inside a protected tree, one directly inside a profile, and, inside a
// profiles folder, what the profile rules refuse.
bool RulesRefuse(int base, const char* below);

// A path put into one spelling: backslashes only, no empty, "." or ".."
// components, no trailing backslash; a drive root becomes "C:". Input is a
// full path ("C:\...", "\\server\share\..."); the system has already
// resolved relative and short names. Returns false when it does not fit.
// This is how the checker reads a log's path.
bool CanonicalPath(const char* path, char* dest, int destSize);

// The checker's verdict on a folder in canonical form: the rules with the
// usual layout, the Windows folder C:\Windows. Roots and paths without a
// drive or share are refused.
bool UsualLayoutRefuses(const char* canonical);

// ---- registry keys and profile sections ----

// Why a J entry's key deletion (an empty value name) is refused, or
// KEY_ALLOWED. rootCode is the entry's root key code (0 to 3).
enum {
    KEY_ALLOWED,
    KEY_HIVE,         // an empty subkey: the root itself
    KEY_FIRST_LEVEL,  // a hive's first-level key (Software, SYSTEM, a user's hive)
    KEY_SHARED,       // a key where many programs keep values
    KEY_CLASS,        // one of the system's file classes
};
int SharedKeyReason(int rootCode, const char* subkey);

// True when an M entry's section deletion (an empty key) would remove one
// of the system's own sections of win.ini or system.ini.
bool IsSystemSection(const char* file, const char* section);

// The file the profile functions edit for file: a name without a folder
// lies in the Windows folder. False when it does not fit.
bool ProfileFileToCheck(const char* file, const char* windowsDir, char* dest, int destSize);

#ifdef _WIN32
// ---- the Windows side (protect.cpp) ----

// The identities (volume serial number and file index) of every folder the
// rules and the system name, and of every folder above one, taken once
// before the first entry runs; where the system has it, the process is also
// told not to follow junctions that a non-administrator made. A table that
// cannot be filled refuses everything.
void LoadProtectedFolders();

// A folder the walk lists or enters, opened without following a link at its
// end: by its path, or by its name inside a held parent. While the handle
// is open, the folder is not shared for deletion: neither it nor a folder
// above it can be renamed, removed or replaced by a link.
enum { HELD_FOLDER, HELD_LINK, HELD_NONE };
int HoldFolder(const WCHAR* path, HANDLE parent, const WCHAR* name, HANDLE* held);
// False when a held folder has become a link in its place (an emptied
// folder can be made one while open): it is then not listed.
bool IsHeldFolderStill(HANDLE held);
// True when the walk must not list, enter or remove a held folder (path
// is how the walk named it).
bool IsHeldFolderRefused(HANDLE held, const WCHAR* path);
// The same for a folder named by a path alone (the leftover list's).
bool IsFolderRefusedW(const WCHAR* path);
// True when a file must not be deleted now: its folder cannot be judged, or
// its spelling leads into a protected folder that it does not name (a
// folder swapped for a link since the file was listed).
bool IsFileRefusedW(const WCHAR* path);
#endif
