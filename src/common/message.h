// Message boxes: the one way of telling the user something outside the
// progress dialog.
#pragma once
#include "common/platform.h"

enum {
    MSG_INFO = 0,           // information, OK
    MSG_ERROR = 1,          // error, OK
    MSG_QUESTION = 2,       // question, Yes and No
    MSG_OKCANCEL = 4,       // information, OK and Cancel
    MSG_NOTE = 8,           // information, OK
    MSG_KIND = 0xFF,        // the kind of box; the flags lie above it
    MSG_EXIT = 0x1000,      // end the process (exit code 0) after the box
    MSG_CONTINUE = 0x2000,  // carried by the read-error box; no effect
    MSG_FATAL = MSG_EXIT | MSG_ERROR,
    MSG_READ_ERROR = MSG_CONTINUE | MSG_ERROR,
};

// The fatal error when the tables of a run cannot be had; %s is the log.
#define NO_MEMORY_FORMAT "Not enough memory for %s"

// Formats format with up to two text arguments (FormatText: a log text never
// reads arguments that were not passed), shows it owned by the progress
// dialog once it exists, captioned with the caption, and returns the box's
// answer (IDYES is 6). With MSG_EXIT it never returns.
int ShowMessage(unsigned flags, const char* format, const char* arg1 = 0,
                const char* arg2 = 0);
