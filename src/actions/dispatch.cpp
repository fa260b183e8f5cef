// Running the ordered entries, with the status lines that open each group.
#include "actions/actions.h"
#include "common/globals.h"
#include "common/message.h"
#include "common/progress.h"
#include "common/report.h"

void RunActions()
{
    while (g_cursor && g_cursor <= g_lastEntry) {
        int order = g_cursor->order;
        // without a dialog to wait for (nothing is shown), every entry runs now
        if (!g_dialog && !(g_switches & SWITCH_VERYSILENT) && order >= ORDER_DIALOG)
            return;
        if (order == ORDER_FIRST_REGISTRY)
            AddStatusLine(MSGID_STATUS_REGISTRY);
        if (order == ORDER_FIRST_PROFILE)
            AddStatusLine(MSGID_STATUS_PROFILE);
        if (order == ORDER_FIRST_FILES) {
            AddStatusLine(MSGID_STATUS_FILES);
            AddStatusLine(MSGID_STATUS_FILES2);
        }
        ReportEntry(order, g_cursor->text);
        RunEntry(g_cursor->text[0]);
        ++g_cursor;
        TakeMessages(0);
    }
}
