#include "common/message.h"
#include "common/globals.h"
#include "common/report.h"
#include "common/text.h"

enum { MESSAGE_BUFFER = 2048 };

unsigned g_switches;
unsigned g_exitCode;

static unsigned BoxStyle(unsigned kind)
{
    switch (kind) {
    case MSG_ERROR:
        return MB_ICONERROR | MB_OK;
    case MSG_QUESTION:
        return MB_ICONQUESTION | MB_YESNO;
    case MSG_OKCANCEL:
        return MB_ICONINFORMATION | MB_OKCANCEL;
    default:  // MSG_INFO, MSG_NOTE and kinds nobody passes
        return MB_ICONINFORMATION | MB_OK;
    }
}

int ShowMessage(unsigned flags, const char* format, const char* arg1, const char* arg2)
{
    static char text[MESSAGE_BUFFER];
    const char* args[2] = {arg1, arg2};
    int argCount = arg2 ? 2 : (arg1 ? 1 : 0);
    FormatText(text, sizeof text, format, args, argCount);

    int answer = IDNO;
    if (!(g_switches & SWITCH_NO_BOXES))
        answer = PlatMessageBox(g_dialog, text, g_caption, BoxStyle(flags & MSG_KIND));
    ReportMessage(text, (flags & MSG_KIND) == MSG_QUESTION ? answer : 0);
    if (flags & MSG_EXIT)
        EndRun(flags & MSG_NOT_INSTALLED ? EXIT_NOT_INSTALLED : EXIT_FATAL);
    return answer;
}

void EndRun(unsigned code)
{
    ReportEnd(code);
    PlatExitProcess(code);
}
