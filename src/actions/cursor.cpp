// The entry under the cursor, which the dispatcher moves and the handlers read.
#include "actions/actions.h"
#include "common/report.h"
#include "common/text.h"

ActionEntry* g_cursor;
ActionEntry* g_lastEntry;

void ResetCursor()
{
    g_cursor = g_entries;
    g_lastEntry = g_entries + g_entryCount - 1;
}

bool ReadEntryField(char* dest, int n, int destSize)
{
    if (CopyField(dest, g_cursor->text + 1, n, destSize) < destSize)
        return true;
    ReportOutcome(OUT_TOO_LONG);
    return false;
}
