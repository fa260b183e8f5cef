// Where the actions report their progress. The progress dialog fills in the
// sink when it opens (the host tests fill it in with recorders); before
// that, reports go nowhere. The actions know nothing of the dialog.
#pragma once
#include "common/platform.h"

struct ProgressSink {
    void (*statusLine)(int messageId);  // a message for the status list
    void (*leftover)(const WCHAR* path);  // a file left for the user to delete (long form)
    // Between two steps of the work: the dialog paints and answers, and
    // waits waitMs ms meanwhile (0: no wait). Each call is a step of the
    // entry under the cursor, which moves the progress bar within it.
    void (*takeMessages)(DWORD waitMs);
};

extern ProgressSink g_progress;

// Hand a report to the sink, if there is one.
void AddStatusLine(int messageId);
void AddLeftover(const WCHAR* path);
// A step of the work: the sink takes the dialog's messages; without one
// this only sleeps waitMs.
void TakeMessages(DWORD waitMs);
