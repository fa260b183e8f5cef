// The entry point and the two stages of a run.
//
// Launcher stage (no argument): find the log named by the program file's
// trailer, ask, copy this program into a new folder of its own in the
// temporary directory and start the copy with the log's full path. Removal
// stage (the log path as argument): load and order the log, run the entries
// that come before the progress dialog, then open the dialog, which runs the
// rest.
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
static char s_copyCommand[SCRATCH_BUFFER];
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
    const char* args[2] = {s_copyPath, g_logPath};
    FormatText(s_copyCommand, sizeof s_copyCommand, "\"%s\" \"%s\"", args, 2);

    if (!StartProgram(s_copyCommand, false))
        ShowMessage(MSG_FATAL, GetMessageText(MSGID_START_FAILED), s_copyCommand);
}

static void RunLauncherStage()
{
    if (ShowMessage(MSG_QUESTION, GetMessageText(MSGID_CONFIRM), g_productTitle) == IDYES)
        StartRemovalCopy();

    // the copy that was started, if any
    if (s_copyPath[0])
        SHChangeNotify(SHCNE_DELETE, SHCNF_PATHA, s_copyPath, 0);
    SHChangeNotify(SHCNE_RMDIR, SHCNF_PATHA, g_programFolder, 0);
    SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHA | SHCNF_FLUSH, g_programFolder, 0);
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

    SetCurrentDirectoryA(g_tempDir);
    LoadProtectedFolders();  // before any entry can change what they are
    ResetCursor();
    RunActions();  // no dialog yet: only the entries numbered below 15000
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
        ExitProcess(0);
    }

    GetModuleFileNameA(0, g_programPath, sizeof g_programPath);
    // a log path too long for its buffer is never opened cut short
    if (!ParseCommandLine(GetCommandLineA(), g_programPath, s_argument, sizeof s_argument))
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
    // Running from inside the temporary directory: the copy goes elsewhere.
    if (SameText(current, g_tempDir))
        CopyText(g_tempDir, "c:\\", sizeof g_tempDir);

    s_removalStage = s_argument[0] != 0;
    if (s_removalStage)
        CopyText(g_logPath, s_argument, sizeof g_logPath);
    else
        FindLauncherLog();

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
    ExitProcess(0);
}
