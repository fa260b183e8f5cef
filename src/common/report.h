// The run's report (/LOG): what the run did, written as it goes. The
// actions and the message boxes hand their news to the report sink, which
// the program fills in when the report file is open (the host tests fill it
// in with recorders); without a report, the news goes nowhere.
#pragma once
#include "common/platform.h"

// What became of an entry (path 0) or of one name it reached.
enum Outcome {
    OUT_DONE,             // the entry did what it says
    OUT_NOT_FOUND,        // what it names does not exist, or would not start or load
    OUT_TOO_LONG,         // a field longer than the program takes: skipped
    OUT_REFUSED_DAMAGED,  // refused: the pattern holds the system's other wildcards
    OUT_REFUSED_ROOT,     // refused: a wildcard in a drive's root
    OUT_REFUSED_GUARDED,  // refused: a wildcard in a protected folder
    OUT_REFUSED_FOLDER,   // (path) a protected folder, left alone
    OUT_REFUSED_KEY,      // refused: a hive, a first-level key or a shared key
    OUT_REFUSED_SECTION,  // refused: a section of the system's own
    OUT_DELETED,          // (path) deleted
    OUT_KEPT,             // (path) the entry's mode leaves it
    OUT_KEPT_ASKED,       // (path) asked and kept (No; in a silent run, not asked)
    OUT_OFFERED,          // (path) listed for the user; kept in a silent run
    OUT_SCHEDULED,        // (path) could not be deleted; goes at the next restart
    OUT_FAILED,           // (path) could not be deleted, and stays
    OUT_USER_DELETED,     // (path) deleted by the user from the list
    OUT_RELEASED,         // the last reference went; the library is offered
    OUT_COUNTED_DOWN,     // one reference fewer
    OUT_COUNT
};

struct ReportSink {
    void (*entry)(int order, const char* text);        // an entry starts
    void (*outcome)(int outcome, const WCHAR* path);   // path: long form, or 0
    void (*message)(const char* text, int answer);     // a box, shown or not (answer 0: no question)
    void (*end)(unsigned exitCode);                    // the run ends
};

extern ReportSink g_report;

void ReportEntry(int order, const char* text);
void ReportOutcome(int outcome, const WCHAR* path = 0);
void ReportMessage(const char* text, int answer);
void ReportEnd(unsigned exitCode);
