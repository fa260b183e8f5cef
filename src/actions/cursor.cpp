// The entry under the cursor, which the dispatcher moves and the handlers read.
#include "actions/actions.h"
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
    return CopyField(dest, g_cursor->text + 1, n, destSize) < destSize;
}
