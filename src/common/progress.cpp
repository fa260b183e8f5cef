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

void TakeMessages(DWORD waitMs)
{
    if (g_progress.takeMessages)
        g_progress.takeMessages(waitMs);
    else if (waitMs)
        PlatSleep(waitMs);
}
