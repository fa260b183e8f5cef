// The process-wide delay counter that paces a run.
#include "actions/actions.h"

static DWORD s_paceCount;  // never reset during a run

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
