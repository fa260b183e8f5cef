// Starting programs: the removal copy and the programs of E entries; and
// finding the programs and libraries that entries name without a folder.
#pragma once
#include "common/platform.h"

// Starts command (writable: the system may change it in place), inheriting
// handles, in the default error mode. With wait, waits without a time limit
// until the program's first thread has ended. With exitCode, waits until
// the whole process has ended and gives its exit code. False when it cannot
// start.
bool StartProgram(char* command, bool wait, DWORD* exitCode = 0);

// True when path names a folder (a backslash, slash or drive colon).
bool NamesFolder(const char* path);

// True when path begins with a drive and a backslash, or two backslashes.
bool IsFullPath(const char* path);

// A file named without a folder, looked for where the system keeps its own:
// the system folder, the Windows folder, then every absolute folder of PATH;
// never the program's folder or the current folder. extension is added to a
// name without one. found (PATH_BUFFER bytes) receives its full path.
bool FindSystemFile(const char* name, const char* extension, char* found);
