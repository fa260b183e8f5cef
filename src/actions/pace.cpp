// The process-wide delay counter that paces a run. Once the dialog is open
// it takes its messages during the delays.
#include "actions/actions.h"
#include "common/progress.h"

static DWORD s_paceCount;  // never reset during a run

void PaceStep()
{
    ++s_paceCount;
    if (s_paceCount < PACED_STEPS + 1)
        TakeMessages(PACE_DELAY);
}

void CompletePacing()
{
    for (++s_paceCount; s_paceCount < PACED_STEPS + 1; ++s_paceCount)
        TakeMessages(PACE_DELAY);
}
