// The list of files left for the user, and deleting them from it.
#include "ui/dialog.h"
#include "actions/guard.h"
#include "common/erase.h"
#include "common/files.h"
#include "common/globals.h"
#include "common/message.h"
#include "common/text.h"
#include "log/log.h"
#include "resource.h"

// Removes the folders above a deleted file for as long as they are empty,
// stopping at a protected folder (an empty Documents folder stays).
static void RemoveEmptyParents(const char* path)
{
    char folder[SCRATCH_BUFFER];
    CopyText(folder, path, sizeof folder);
    for (;;) {
        StripLastComponent(folder);
        if (!folder[0] || IsFolderRefused(folder) || !RemoveDirectoryA(folder))
            return;
    }
}

void DeleteListedFile(int index)
{
    if (index == LB_ERR)
        return;
    HWND list = GetDlgItem(g_dialog, IDC_LEFTOVER_LIST);
    char* path = g_scratchPath;
    path[0] = 0;
    LRESULT length = SendMessageA(list, LB_GETTEXTLEN, (WPARAM)index, 0);
    if (length >= 0 && length < (LRESULT)sizeof g_scratchPath)
        SendMessageA(list, LB_GETTEXT, (WPARAM)index, (LPARAM)path);

    if (path[0] && FileExists(path) && !IsFileRefused(path)) {
        for (;;) {
            if (EraseFile(path)) {
                RemoveEmptyParents(path);
                break;
            }
            if (ShowMessage(MSG_QUESTION, GetMessageText(MSGID_RETRY_DELETE), path) != IDYES)
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
