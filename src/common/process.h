// Starting programs: the removal copy and the programs of E entries.
#pragma once
#include "common/platform.h"

// Starts command (writable: the system may change it in place), inheriting
// handles, in the default error mode. With wait, waits without a time limit
// until the program's first thread has ended. With exitCode, waits until
// the whole process has ended and gives its exit code. False when it cannot
// start.
bool StartProgram(char* command, bool wait, DWORD* exitCode = 0);
