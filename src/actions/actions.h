// Running the ordered entries of the log.
#pragma once
#include "log/log.h"

enum {
    ORDER_DIALOG = 15000,        // entries from here on wait for the progress dialog
    ORDER_FIRST_REGISTRY = 19999,
    ORDER_FIRST_PROFILE = 21001,
    ORDER_FIRST_FILES = 30001,
    PACED_STEPS = 29,            // operations delayed by PACE_DELAY each
    PACE_DELAY = 100,
};

extern ActionEntry* g_cursor;     // next entry to run
extern ActionEntry* g_lastEntry;  // last entry of the array

// Points the cursor at the first entry and the last-entry pointer at the last.
void ResetCursor();

// Runs entries from the cursor to the last one. While the progress dialog
// does not exist yet it stops at the first entry numbered ORDER_DIALOG or
// more, leaving the cursor on it.
void RunActions();

// One step of the process-wide delay counter: the first PACED_STEPS steps of
// a run sleep PACE_DELAY ms each.
void PaceStep();
// Sleeps the steps not yet taken, so that a run always waits PACED_STEPS
// delays in all.
void CompletePacing();

// Field n of the entry under the cursor into dest. False when the field is
// longer than the buffer: dest then holds it cut, and a cut name would name
// something else, so callers skip the entry.
bool ReadEntryField(char* dest, int n, int destSize);

// Hands the entry under the cursor to the handler of its type letter.
void RunEntry(char letter);
// Provided by the progress dialog: adds a message to the status list and
// selects it; adds a path (wide, long form) to the leftover list, shown as
// the user knows it (nothing happens before the dialog exists).
void AddStatusLine(int messageId);
void AddLeftover(const WCHAR* path);

// The handlers; each reads the entry under the cursor.
void CallLibraryEntry();     // D
void RunProgram();           // E
void RemoveRegistryEntry();  // J
void ReleaseSharedDll();     // K
void RemoveProfileEntry();   // M
void RemoveFiles();          // P
void RemoveTree();           // U
