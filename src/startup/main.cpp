// The entry point and the two stages of a run.
//
// Launcher stage (no argument): find the log named by the program file's
// trailer, ask, copy this program into a new folder of its own in the
// temporary directory, start the copy with the switches and the log's full
// path, and wait for it: the copy's exit code is the run's. Removal stage
// (the log path as argument): load and order the log, run the entries that
// come before the progress dialog, then open the dialog, which runs the
// rest; nothing shown (/VERYSILENT), every entry runs at once without a
// dialog.
#include <windows.h>
#include <shlobj.h>

#include "actions/actions.h"
#include "guard/guard.h"
#include "actions/remove.h"
#include "common/bytes.h"
#include "common/files.h"
#include "common/globals.h"
#include "common/message.h"
#include "common/process.h"
#include "common/text.h"
#include "log/log.h"
#include "resource.h"
#include "startup/startup.h"
#include "ui/dialog.h"

// One counter for every process running this program file.
__attribute__((section(".Shared"), shared)) volatile LONG g_instanceCount = -1;

static HINSTANCE s_module;
static char s_argument[PATH_BUFFER];
static char s_copyCommand[SCRATCH_BUFFER + PATH_BUFFER];
static char s_copyPath[PATH_BUFFER];
static bool s_removalStage;

// The log beside the program, named by the program file's trailer.
static void FindLauncherLog()
{
    DWORD size = 0;
    HANDLE file = OpenForRead(g_programPath, &size);
    if (file == INVALID_HANDLE_VALUE)
        ShowMessage(MSG_FATAL, "Don't open %s", g_programPath);

    // a signed file carries its signature after the trailer
    DWORD end = TrailerEnd(reinterpret_cast<const unsigned char*>(s_module), size);
    char block[TRAILER_SIZE];
    ZeroBytes(block, sizeof block);
    if (end < TRAILER_SIZE) {
        ShowMessage(MSG_READ_ERROR, "Error reading file %s", g_programPath);
    } else {
        SetFilePointer(file, LONG(end - TRAILER_SIZE), 0, FILE_BEGIN);
        ReadExact(file, block, TRAILER_SIZE, g_programPath);
    }
    char name[PATH_BUFFER];
    LogNameFromTrailer(block, name, sizeof name);
    JoinPath(g_logPath, g_programFolder, name, sizeof g_logPath);
    CloseHandle(file);
}

// Copies the program into a new folder of its own in the temporary
// directory, keeping its file name, and starts the copy with the log path.
// Failures end the process.
static void StartRemovalCopy()
{
    bool made = MakeCopyFolder(g_copyFolder);
    JoinPath(s_copyPath, g_copyFolder, g_programPath + TextLength(g_programFolder),
             sizeof s_copyPath);
    if (!made || !CopyFileA(g_programPath, s_copyPath, TRUE)) {
        if (made)
            RemoveDirectoryA(g_copyFolder);
        ShowMessage(MSG_FATAL, GetMessageText(MSGID_COPY_FAILED), g_programPath, s_copyPath);
    }

    // Both paths are quoted: a temporary directory with a space in its path
    // would otherwise cut the copy's name short.
    char switches[PATH_BUFFER + 64];
    WriteSwitches(g_switches, g_reportPath, switches, sizeof switches);
    const char* args[3] = {s_copyPath, switches, g_logPath};
    FormatText(s_copyCommand, sizeof s_copyCommand, "\"%s\"%s \"%s\"", args, 3);
    ReportText("Copy: ", s_copyCommand);

    // The copy's and the launcher's current folder is the temporary one:
    // neither keeps the application's folder from going.
    SetCurrentDirectoryA(g_tempDir);
    // the run ends when the copy's work ends, with its exit code
    DWORD exitCode = EXIT_FATAL;
    if (!StartProgram(s_copyCommand, false, &exitCode))
        ShowMessage(MSG_FATAL, GetMessageText(MSGID_START_FAILED), s_copyCommand);
    // a copy that died (an exception's code) failed
    if (exitCode != EXIT_DONE && exitCode != EXIT_RESTART && exitCode != EXIT_NOT_INSTALLED)
        exitCode = EXIT_FATAL;
    g_exitCode = exitCode;
}

static void RunLauncherStage()
{
    // a run without boxes takes Yes for the answer
    if ((g_switches & SWITCH_NO_BOXES) ||
        ShowMessage(MSG_QUESTION, GetMessageText(MSGID_CONFIRM), g_productTitle) == IDYES)
        StartRemovalCopy();
    else
        g_exitCode = EXIT_CANCELLED;

    // the copy that was started, if any
    if (s_copyPath[0])
        SHChangeNotify(SHCNE_DELETE, SHCNF_PATHA, s_copyPath, 0);
    SHChangeNotify(SHCNE_RMDIR, SHCNF_PATHA, g_programFolder, 0);
    SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHA | SHCNF_FLUSH, g_programFolder, 0);
}

// The launcher waits for this copy in the application's folder, and its
// file, which cannot be deleted while it runs, would keep that folder: it
// goes into the copy's own folder (renaming a running program is allowed)
// and from there at the restart, before the copy and the folder. Only a
// copy in a folder a launcher made does this, and only with the file of its
// own name beside the log, where the launcher found the log. On another
// volume the rename fails and the file stays for the walk: a silent run
// leaves it, and its folder, to the restart (3010); the list offers it.
static void MoveLauncherAway()
{
    char launcher[PATH_BUFFER], moved[PATH_BUFFER];
    CopyText(launcher, g_logPath, sizeof launcher);
    StripLastComponent(launcher);
    AppendText(launcher, g_programPath + TextLength(g_programFolder), sizeof launcher);
    JoinPath(moved, g_copyFolder, "launcher", sizeof moved);
    if (g_copyFolder[0] && MoveFileExA(launcher, moved, 0)) {
        MoveFileExA(moved, 0, MOVEFILE_DELAY_UNTIL_REBOOT);
        ReportText("Launcher moved to ", moved);
    }
}

static void RunRemovalStage()
{
    // A copy the launcher made lies in a folder of its own directly in the
    // temporary directory; the folder goes with the copy at the restart.
    char parent[PATH_BUFFER], temp[PATH_BUFFER];
    CopyText(parent, g_programFolder, sizeof parent);
    StripLastComponent(parent);
    CopyText(temp, g_tempDir, sizeof temp);
    CutTrailingBackslash(temp);
    if (SameText(parent, temp))
        CopyText(g_copyFolder, g_programFolder, sizeof g_copyFolder);

    MoveLauncherAway();

    SetCurrentDirectoryA(g_tempDir);
    LoadProtectedFolders();  // before any entry can change what they are
    ResetCursor();
    RunActions();  // no dialog yet: only the entries numbered below 15000
    // Nothing shown: the dialog is never made, RunActions above ran every
    // entry, and the reports went to the report alone.
    if (g_switches & SWITCH_VERYSILENT)
        ScheduleSelfDelete();
    else
        DialogBoxParamA(s_module, MAKEINTRESOURCEA(IDD_PROGRESS), 0, DialogProc, 0);
}

extern "C" void WINAPI ProgramStart()
{
    LockLibrarySearch();
    s_module = GetModuleHandleA(0);

    if (InterlockedIncrement(&g_instanceCount) != 0) {
        // Another process of this program file is running: bring forward a
        // window titled "Uninstall", if there is one, and leave.
        HWND other = FindWindowA(0, "Uninstall");
        ShowWindow(other, SW_MINIMIZE);
        ShowWindow(other, SW_SHOWDEFAULT);
        ExitProcess(EXIT_BUSY);
    }

    GetModuleFileNameA(0, g_programPath, sizeof g_programPath);
    // a log path too long for its buffer is never opened cut short
    if (!ParseCommandLine(GetCommandLineA(), g_programPath, s_argument, sizeof s_argument,
                          &g_switches, g_reportPath))
        ShowMessage(MSG_FATAL, "Can't open uninstal log file %s!", s_argument);
    CopyText(g_programFolder, g_programPath, sizeof g_programFolder);
    StripLastComponent(g_programFolder);

    char current[PATH_BUFFER];
    GetTempPathA(sizeof g_tempDir, g_tempDir);
    GetCurrentDirectoryA(sizeof current, current);
    // where the profile functions take a bare file name from: marked
    // terminal-server aware, the program gets the shared folder here too
    GetWindowsDirectoryA(g_windowsDir, sizeof g_windowsDir);
    CutTrailingBackslash(g_tempDir);
    CutTrailingBackslash(current);
    // A launcher running from inside the temporary directory sends its copy
    // elsewhere. (The copy itself starts there: its launcher put it there.)
    if (!s_argument[0] && SameText(current, g_tempDir))
        CopyText(g_tempDir, "c:\\", sizeof g_tempDir);

    s_removalStage = s_argument[0] != 0;
    if (s_removalStage)
        CopyText(g_logPath, s_argument, sizeof g_logPath);
    else
        FindLauncherLog();

    // the report begins before anything can fail
    if ((g_switches & SWITCH_LOG) && !OpenReport(s_removalStage))
        ShowMessage(MSG_FATAL, "Can't write the report %s", g_reportPath);

    if (!NameSetCreate(&g_logLines, LOG_LINE_ROOM) ||
        (s_removalStage && !CreateHandledPaths()))
        ShowMessage(MSG_FATAL, NO_MEMORY_FORMAT, g_logPath);
    LoadLog(g_logPath, s_removalStage);

    CopyText(g_productTitle, GetMessageText(MSGID_PRODUCT), sizeof g_productTitle);
    const char* captionParts[2] = {GetMessageText(MSGID_CAPTION), g_productTitle};
    FormatText(g_caption, sizeof g_caption, "%s %s", captionParts, 2);

    if (s_removalStage) {
        RunRemovalStage();
        FreeHandledPaths();
    } else {
        RunLauncherStage();
    }
    FreeLog();
    EndRun(g_exitCode);
}
