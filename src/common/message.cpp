#include "common/message.h"
#include "common/globals.h"
#include "common/text.h"

enum { MESSAGE_BUFFER = 2048 };

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

    int answer = PlatMessageBox(g_dialog, text, g_caption, BoxStyle(flags & MSG_KIND));
    if (flags & MSG_EXIT)
        PlatExitProcess(0);
    return answer;
}
