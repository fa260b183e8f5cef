// Starting programs: the removal copy and the programs of E entries.
#pragma once

// Starts command (writable: the system may change it in place), inheriting
// handles, in the default error mode. With wait, waits without a time limit
// until the program's first thread has ended. False when it cannot start.
bool StartProgram(char* command, bool wait);
