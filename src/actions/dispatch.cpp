#include "actions/actions.h"
#include "common/globals.h"
#include "common/text.h"

ActionEntry* g_cursor;
ActionEntry* g_lastEntry;
static DWORD s_paceCount;  // never reset during a run

void ResetCursor()
{
    g_cursor = g_entries;
    g_lastEntry = g_entries + g_entryCount - 1;
}

bool ReadEntryField(char* dest, int n, int destSize)
{
    return CopyField(dest, g_cursor->text + 1, n, destSize) < destSize;
}

void RunActions()
{
    while (g_cursor && g_cursor <= g_lastEntry) {
        int order = g_cursor->order;
        if (!g_dialog && order >= ORDER_DIALOG)
            return;
        if (order == ORDER_FIRST_REGISTRY)
            AddStatusLine(MSGID_STATUS_REGISTRY);
        if (order == ORDER_FIRST_PROFILE)
            AddStatusLine(MSGID_STATUS_PROFILE);
        if (order == ORDER_FIRST_FILES) {
            AddStatusLine(MSGID_STATUS_FILES);
            AddStatusLine(MSGID_STATUS_FILES2);
        }
        RunEntry(g_cursor->text[0]);
        ++g_cursor;
    }
}

void PaceStep()
{
    ++s_paceCount;
    if (s_paceCount < PACED_STEPS + 1)
        PlatSleep(PACE_DELAY);
}

void CompletePacing()
{
    for (++s_paceCount; s_paceCount < PACED_STEPS + 1; ++s_paceCount)
        PlatSleep(PACE_DELAY);
}
