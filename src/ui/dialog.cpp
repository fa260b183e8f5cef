#include "ui/dialog.h"
#include "actions/actions.h"
#include "common/globals.h"
#include "common/message.h"
#include "common/progress.h"
#include "common/text.h"
#include "common/wtext.h"
#include "log/log.h"
#include "resource.h"

// Sets the dialog's height so that its bottom edge lies at bottom (screen
// coordinates), keeping its place, width and z-order.
static void SetDialogBottom(HWND window, int bottom)
{
    RECT frame;
    GetWindowRect(window, &frame);
    SetWindowPos(window, 0, 0, 0, frame.right - frame.left, bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER);
}

static RECT ItemRect(HWND window, int id)
{
    RECT r;
    GetWindowRect(GetDlgItem(window, id), &r);
    return r;
}

static void EnableItem(HWND window, int id, BOOL enable)
{
    EnableWindow(GetDlgItem(window, id), enable);
}

static void ShowItem(HWND window, int id, int show)
{
    ShowWindow(GetDlgItem(window, id), show);
}

// The progress sink: the status list shows each message selected, the
// leftover list each path.
static void ShowStatusLine(int messageId)
{
    LRESULT index = SendDlgItemMessageA(g_dialog, IDC_STATUS_LIST, LB_ADDSTRING, 0,
                                        (LPARAM)GetMessageText(messageId));
    SendDlgItemMessageA(g_dialog, IDC_STATUS_LIST, LB_SETCURSEL, (WPARAM)index, 0);
}

static void ListLeftover(const WCHAR* path)
{
    static WCHAR shown[WIDE_PATH_ROOM];
    ShownPathForm(path, shown, WIDE_PATH_ROOM);
    SendDlgItemMessageW(g_dialog, IDC_LEFTOVER_LIST, LB_ADDSTRING, 0, (LPARAM)shown);
}

void OnInitDialog(HWND window)
{
    // (the Ptr forms are GetWindowLongA and SetClassLongA in the 32-bit program)
    HINSTANCE instance = (HINSTANCE)GetWindowLongPtrA(window, GWLP_HINSTANCE);
    SetClassLongPtrA(window, GCLP_HICON, (LONG_PTR)LoadIconA(instance, MAKEINTRESOURCEA(IDI_MAIN)));
    SetWindowTextA(window, g_caption);

    // Only the status list and the upper half of the label's area show
    // while the work runs.
    RECT label = ItemRect(window, IDC_LEFTOVER_LABEL);
    SetDialogBottom(window, label.top + (label.bottom - label.top) / 2);

    SetDlgItemTextA(window, IDC_FINISH, GetMessageText(MSGID_FINISH));
    EnableItem(window, IDC_CLOSE, FALSE);
    EnableItem(window, IDC_FINISH, FALSE);
    EnableItem(window, IDC_DELETE_SELECTED, FALSE);
    EnableItem(window, IDC_DELETE_ALL, FALSE);

    g_dialog = window;
    g_progress.statusLine = ShowStatusLine;
    g_progress.leftover = ListLeftover;
    PostMessageA(window, WM_COMMAND, CMD_START_WORK, 0);
}

static void LayOutFilesLeft(HWND window)
{
    EnableItem(window, IDC_DELETE_SELECTED, TRUE);
    EnableItem(window, IDC_DELETE_ALL, TRUE);
    SetDlgItemTextA(window, IDC_LEFTOVER_LABEL, GetMessageText(MSGID_LEFTOVER));
    SetDlgItemTextA(window, IDC_CLOSE, GetMessageText(MSGID_CLOSE));
    SetDlgItemTextA(window, IDC_DELETE_SELECTED, GetMessageText(MSGID_DELETE_SELECTED));
    SetDlgItemTextA(window, IDC_DELETE_ALL, GetMessageText(MSGID_DELETE_ALL));
    ShowItem(window, IDC_FINISH, SW_HIDE);
    RECT close = ItemRect(window, IDC_CLOSE);
    int bottom = close.bottom + (3 * (close.bottom - close.top)) / 4;
    EnableItem(window, IDC_CLOSE, TRUE);
    SetDialogBottom(window, bottom);
    SendDlgItemMessageA(window, IDC_LEFTOVER_LIST, LB_SETCURSEL, 0, 0);
}

static void LayOutNothingLeft(HWND window)
{
    ShowItem(window, IDC_LEFTOVER_LABEL, SW_HIDE);
    ShowItem(window, IDC_LEFTOVER_LIST, SW_HIDE);
    RECT finish = ItemRect(window, IDC_FINISH);
    int bottom = finish.bottom + (3 * (finish.bottom - finish.top)) / 4;
    EnableItem(window, IDC_FINISH, TRUE);
    ShowItem(window, IDC_FINISH, SW_SHOW);
    SetDialogBottom(window, bottom);
}

// Asks the system to delete the running copy at the next restart; where the
// request is refused, through the [rename] section of wininit.ini instead.
void ScheduleSelfDelete()
{
    if (MoveFileExA(g_programPath, 0, MOVEFILE_DELAY_UNTIL_REBOOT))
        return;
    char wininit[PATH_BUFFER];
    JoinPath(wininit, g_windowsDir, "wininit.ini", sizeof wininit);
    char shortPath[PATH_BUFFER];
    shortPath[0] = 0;
    GetShortPathNameA(g_programPath, shortPath, sizeof shortPath);
    char oemPath[PATH_BUFFER];
    CharToOemA(shortPath, oemPath);
    WritePrivateProfileStringA("rename", "NUL", oemPath, wininit);
}

static void DoWork(HWND window)
{
    static bool started;
    if (started)
        return;
    started = true;

    ShowWindow(window, SW_SHOW);
    RunActions();
    CompletePacing();

    SendDlgItemMessageA(window, IDC_STATUS_LIST, LB_ADDSTRING, 0,
                        (LPARAM)GetMessageText(MSGID_STATUS_END));
    const char* args[1] = {g_programPath};
    char done[SCRATCH_BUFFER];
    FormatText(done, sizeof done, GetMessageText(MSGID_DONE), args, 1);
    LRESULT last = SendDlgItemMessageA(window, IDC_STATUS_LIST, LB_ADDSTRING, 0, (LPARAM)done);
    SendDlgItemMessageA(window, IDC_STATUS_LIST, LB_SETCURSEL, (WPARAM)last, 0);

    if (SendDlgItemMessageA(window, IDC_LEFTOVER_LIST, LB_GETCOUNT, 0, 0) != 0)
        LayOutFilesLeft(window);
    else
        LayOutNothingLeft(window);

    ScheduleSelfDelete();
    // a silent run has nobody to click: the dialog closes itself
    if (g_switches & SWITCH_SILENT)
        EndDialog(window, 1);
}

void OnCommand(HWND window, int id)
{
    switch (id) {
    case IDC_CLOSE:
    case IDC_FINISH:
        EndDialog(window, 1);
        break;
    case IDC_DELETE_SELECTED:
        DeleteListedFile((int)SendDlgItemMessageA(window, IDC_LEFTOVER_LIST, LB_GETCURSEL, 0, 0));
        break;
    case IDC_DELETE_ALL:
        while (SendDlgItemMessageA(window, IDC_LEFTOVER_LIST, LB_GETCOUNT, 0, 0) > 0) {
            int selected = (int)SendDlgItemMessageA(window, IDC_LEFTOVER_LIST, LB_GETCURSEL, 0, 0);
            // without a selection take the first entry, so the loop always advances
            DeleteListedFile(selected == LB_ERR ? 0 : selected);
        }
        break;
    case CMD_START_WORK:
        DoWork(window);
        break;
    default:  // IDCANCEL too: Escape and the close box do not end the dialog
        break;
    }
}

INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(window);
        return TRUE;
    case WM_COMMAND:
        OnCommand(window, LOWORD(wParam));
        return FALSE;
    default:
        return FALSE;
    }
}
