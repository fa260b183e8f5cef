// Running the ordered entries of the log.
#pragma once
#include "log/log.h"

enum {
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

// The handlers; each reads the entry under the cursor.
void CallLibraryEntry();     // D
void RunProgram();           // E
void RemoveRegistryEntry();  // J
void ReleaseSharedDll();     // K
void RemoveProfileEntry();   // M
void RemoveFiles();          // P
void RemoveTree();           // U
