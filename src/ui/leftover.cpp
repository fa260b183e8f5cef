// The list of files left for the user, and deleting them from it. The list
// holds wide names as the user knows them; a name outside the code page
// shows as it is, and is deleted by that name.
#include "ui/dialog.h"
#include "guard/guard.h"
#include "common/erase.h"
#include "common/globals.h"
#include "common/message.h"
#include "common/report.h"
#include "common/text.h"
#include "common/wtext.h"
#include "log/log.h"
#include "resource.h"

enum { QUESTION_BUFFER = 2048 };

static WCHAR s_listed[WIDE_PATH_ROOM];  // the entry's text
static WCHAR s_path[WIDE_PATH_ROOM];    // its long form

// Removes the folders above a deleted file for as long as they are empty,
// stopping at a protected folder (an empty Documents folder stays) and
// before a drive's root.
static void RemoveEmptyParents(WCHAR* path)
{
    for (;;) {
        int cut = LastBackslash(path);
        if (cut <= 0 || path[cut - 1] == ':')
            return;
        path[cut] = 0;
        if (IsFolderRefusedW(path) || !RemoveDirectoryW(path))
            return;
    }
}

void DeleteListedFile(int index)
{
    if (index == LB_ERR)
        return;
    HWND list = GetDlgItem(g_dialog, IDC_LEFTOVER_LIST);
    s_listed[0] = 0;
    LRESULT length = SendMessageW(list, LB_GETTEXTLEN, (WPARAM)index, 0);
    if (length >= 0 && length < WIDE_PATH_ROOM)
        SendMessageW(list, LB_GETTEXT, (WPARAM)index, (LPARAM)s_listed);

    if (s_listed[0] && LongPathForm(s_listed, s_path, WIDE_PATH_ROOM) &&
        GetFileAttributesW(s_path) != INVALID_FILE_ATTRIBUTES && !IsFileRefusedW(s_path)) {
        char text[QUESTION_BUFFER];
        for (;;) {
            if (EraseFile(s_path)) {
                ReportOutcome(OUT_USER_DELETED, s_path);
                RemoveEmptyParents(s_path);
                break;
            }
            if (!WideCharToMultiByte(CP_ACP, 0, s_listed, -1, text, sizeof text, 0, 0) ||
                ShowMessage(MSG_QUESTION, GetMessageText(MSGID_RETRY_DELETE), text) != IDYES)
                break;
        }
    }

    SendMessageA(list, LB_DELETESTRING, (WPARAM)index, 0);
    if (SendMessageA(list, LB_GETCOUNT, 0, 0) == 0) {
        EnableWindow(GetDlgItem(g_dialog, IDC_DELETE_SELECTED), FALSE);
        EnableWindow(GetDlgItem(g_dialog, IDC_DELETE_ALL), FALSE);
    } else {
        SendMessageA(list, LB_SETCURSEL, 0, 0);
    }
}
