#include "common/progress.h"

ProgressSink g_progress;

void AddStatusLine(int messageId)
{
    if (g_progress.statusLine)
        g_progress.statusLine(messageId);
}

void AddLeftover(const WCHAR* path)
{
    if (g_progress.leftover)
        g_progress.leftover(path);
}
