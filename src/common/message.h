// Message boxes: the one way of telling the user something outside the
// progress dialog; the switches that keep them away; and how a run ends.
#pragma once
#include "common/platform.h"

enum {
    MSG_INFO = 0,           // information, OK
    MSG_ERROR = 1,          // error, OK
    MSG_QUESTION = 2,       // question, Yes and No
    MSG_OKCANCEL = 4,       // information, OK and Cancel
    MSG_NOTE = 8,           // information, OK
    MSG_KIND = 0xFF,        // the kind of box; the flags lie above it
    MSG_EXIT = 0x1000,      // end the run (exit code EXIT_FATAL) after the box
    MSG_CONTINUE = 0x2000,  // carried by the read-error box; no effect
    MSG_NOT_INSTALLED = 0x4000,  // with MSG_EXIT: exit code EXIT_NOT_INSTALLED
    MSG_FATAL = MSG_EXIT | MSG_ERROR,
    MSG_READ_ERROR = MSG_CONTINUE | MSG_ERROR,
};

// The command-line switches (case-insensitive).
enum {
    SWITCH_SILENT = 1,            // /SILENT: no question; the dialog closes itself
    SWITCH_VERYSILENT = 2,        // /VERYSILENT: nothing is shown
    SWITCH_SUPPRESSMSGBOXES = 4,  // /SUPPRESSMSGBOXES: no box; the dialog waits
    SWITCH_NORESTART = 8,         // /NORESTART: accepted; the program never restarts
    SWITCH_LOG = 16,              // /LOG or /LOG="file": the run's report
    SWITCH_NO_BOXES = SWITCH_SILENT | SWITCH_VERYSILENT | SWITCH_SUPPRESSMSGBOXES,
};

// The exit codes of a run, those deployment tools read.
enum {
    EXIT_DONE = 0,              // removed (the user may have kept listed files)
    EXIT_CANCELLED = 1602,      // the user answered No
    EXIT_FATAL = 1603,          // program file, log, copy, start or memory failed
    EXIT_NOT_INSTALLED = 1605,  // the log does not exist
    EXIT_BUSY = 1618,           // another run of this program file is in progress
    EXIT_RESTART = 3010,        // removed; files wait for the next restart
};

extern unsigned g_switches;  // SWITCH_ flags of this run
extern unsigned g_exitCode;  // what the run ends with unless a fatal error comes

// The fatal error when the tables of a run cannot be had; %s is the log.
#define NO_MEMORY_FORMAT "Not enough memory for %s"

// Formats format with up to two text arguments (FormatText: a log text never
// reads arguments that were not passed), shows it owned by the progress
// dialog once it exists, captioned with the caption, and returns the box's
// answer (IDYES is 6). In a run without boxes (SWITCH_NO_BOXES) nothing is
// shown and the answer is No: a file of the ask mode is kept, a failed
// deletion is not retried. Either way the text goes to the report. With
// MSG_EXIT it never returns.
int ShowMessage(unsigned flags, const char* format, const char* arg1 = 0,
                const char* arg2 = 0);

// Ends the run with code: the report gets its closing lines first.
[[noreturn]] void EndRun(unsigned code);
