// Registry keys and profile sections that many programs share, and where
// the profile functions look for a file. Decisions on text alone, so the
// handlers and the log checker make the same ones.
#pragma once

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
