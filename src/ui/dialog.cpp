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

// Ends the dialog three quarters of a control's height below the control.
static void EndDialogBelow(HWND window, int id)
{
    RECT r = ItemRect(window, id);
    SetDialogBottom(window, r.bottom + (3 * (r.bottom - r.top)) / 4);
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

enum {
    BAR_FULL = 1000,      // the bar's positions: thousandths of the work
    TREE_STEPS = 1000,    // an entry of this many steps fills half its share
    STEP_CAP = 1 << 20,   // more steps fill no more of it
    PUMP_INTERVAL = 50,   // ms between two looks at the dialog's messages
};

static ActionEntry* s_firstEntry;  // the first entry the dialog runs
static ActionEntry* s_stepEntry;   // the entry whose steps are counted
static DWORD s_steps;
static DWORD s_lastPump;

// The bar keeps its position in its user data, where it is drawn from
// (and where a test reads it).
static void ShowProgress(int position)
{
    HWND bar = GetDlgItem(g_dialog, IDC_PROGRESS_BAR);
    if (GetWindowLongPtrA(bar, GWLP_USERDATA) != position) {
        SetWindowLongPtrA(bar, GWLP_USERDATA, position);
        InvalidateRect(bar, 0, FALSE);
    }
}

static void DrawProgress(const DRAWITEMSTRUCT* item)
{
    RECT part = item->rcItem;
    int position = (int)GetWindowLongPtrA(item->hwndItem, GWLP_USERDATA);
    part.right = part.left + (part.right - part.left) * position / BAR_FULL;
    FillRect(item->hDC, &part, (HBRUSH)(COLOR_HIGHLIGHT + 1));
    part.left = part.right;
    part.right = item->rcItem.right;
    FillRect(item->hDC, &part, (HBRUSH)(COLOR_BTNFACE + 1));
}

// The work's position: the entries done of those the dialog runs, and a
// share of the entry under way. How much a tree holds is not known before
// it is walked, so its steps fill its share ever more slowly, never whole.
static int WorkPosition()
{
    int total = (int)(g_lastEntry - s_firstEntry) + 1;
    int done = (int)(g_cursor - s_firstEntry);
    if (done >= total)
        return BAR_FULL;  // the pacing that may follow the last entry adds nothing
    int share = (int)(s_steps * BAR_FULL / (s_steps + TREE_STEPS));
    return (done * BAR_FULL + share) / total;
}

// The progress sink's pump, called between steps of the work. The work
// runs inside the dialog's own command; here the dialog paints and answers
// at least every PUMP_INTERVAL ms, and through the pacing delays. No input
// reaches the work: its buttons are disabled and OnCommand takes no command
// while the work runs. A WM_QUIT taken here is dropped: nothing in the
// program posts one, and the work must not end midway.
static void TakeDialogMessages(DWORD waitMs)
{
    if (s_stepEntry != g_cursor) {
        s_stepEntry = g_cursor;
        s_steps = 0;
    }
    if (s_steps < STEP_CAP)
        ++s_steps;
    DWORD start = GetTickCount();
    if (!waitMs && start - s_lastPump < PUMP_INTERVAL)
        return;
    s_lastPump = start;
    ShowProgress(WorkPosition());
    for (;;) {
        MSG message;
        // the dialog's own keys are translated by IsDialogMessage
        while (PeekMessageA(&message, 0, 0, 0, PM_REMOVE))
            if (!IsDialogMessageA(g_dialog, &message))
                DispatchMessageA(&message);
        DWORD spent = GetTickCount() - start;
        if (spent >= waitMs)
            return;
        MsgWaitForMultipleObjects(0, 0, FALSE, waitMs - spent, QS_ALLINPUT);
    }
}

void OnInitDialog(HWND window)
{
    // (the Ptr forms are GetWindowLongA and SetClassLongA in the 32-bit program)
    HINSTANCE instance = (HINSTANCE)GetWindowLongPtrA(window, GWLP_HINSTANCE);
    SetClassLongPtrA(window, GCLP_HICON, (LONG_PTR)LoadIconA(instance, MAKEINTRESOURCEA(IDI_MAIN)));
    SetWindowTextA(window, g_caption);

    // Only the status list and the progress bar show while the work runs.
    EndDialogBelow(window, IDC_PROGRESS_BAR);

    SetDlgItemTextA(window, IDC_FINISH, GetMessageText(MSGID_FINISH));
    EnableItem(window, IDC_CLOSE, FALSE);
    EnableItem(window, IDC_FINISH, FALSE);
    EnableItem(window, IDC_DELETE_SELECTED, FALSE);
    EnableItem(window, IDC_DELETE_ALL, FALSE);

    g_dialog = window;
    g_progress.statusLine = ShowStatusLine;
    g_progress.leftover = ListLeftover;
    g_progress.takeMessages = TakeDialogMessages;
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
    ShowItem(window, IDC_LEFTOVER_LABEL, SW_SHOW);
    EnableItem(window, IDC_CLOSE, TRUE);
    EndDialogBelow(window, IDC_CLOSE);
    SendDlgItemMessageA(window, IDC_LEFTOVER_LIST, LB_SETCURSEL, 0, 0);
}

static void LayOutNothingLeft(HWND window)
{
    ShowItem(window, IDC_LEFTOVER_LIST, SW_HIDE);
    EnableItem(window, IDC_FINISH, TRUE);
    ShowItem(window, IDC_FINISH, SW_SHOW);
    EndDialogBelow(window, IDC_FINISH);
}

// Asks the system to delete the running copy, and then its own folder, at
// the next restart; where the request is refused, the copy through the
// [rename] section of wininit.ini instead.
void ScheduleSelfDelete()
{
    if (MoveFileExA(g_programPath, 0, MOVEFILE_DELAY_UNTIL_REBOOT)) {
        // the copy's own folder after it: the restart empties it first
        if (g_copyFolder[0])
            MoveFileExA(g_copyFolder, 0, MOVEFILE_DELAY_UNTIL_REBOOT);
        return;
    }
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
    s_firstEntry = g_cursor;
    RunActions();
    ShowProgress(BAR_FULL);
    CompletePacing();

    SendDlgItemMessageA(window, IDC_STATUS_LIST, LB_ADDSTRING, 0,
                        (LPARAM)GetMessageText(MSGID_STATUS_END));
    const char* args[1] = {g_programPath};
    char done[SCRATCH_BUFFER];
    FormatText(done, sizeof done, GetMessageText(MSGID_DONE), args, 1);
    LRESULT last = SendDlgItemMessageA(window, IDC_STATUS_LIST, LB_ADDSTRING, 0, (LPARAM)done);
    SendDlgItemMessageA(window, IDC_STATUS_LIST, LB_SETCURSEL, (WPARAM)last, 0);

    // the end layouts have no bar: the finish button or the label takes its place
    ShowItem(window, IDC_PROGRESS_BAR, SW_HIDE);
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
    // No command enters the work or a deletion while it runs: both take
    // messages (the work's pump, a deletion's question), and a command
    // posted or sent meanwhile, by another program too, is dropped.
    static bool busy;
    if (busy)
        return;
    busy = true;
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
    busy = false;
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
    case WM_DRAWITEM:
        DrawProgress((const DRAWITEMSTRUCT*)lParam);
        return TRUE;
    default:
        return FALSE;
    }
}
