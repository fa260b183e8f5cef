// The run's report file (/LOG). UTF-8 with a byte order mark, so that
// Notepad shows every name as the file system holds it, code page or not.
// Each line is written when it happens and the file is opened for appending
// only: a run that dies leaves what it did, and the launcher and its copy
// write one report between them.
#include <windows.h>

#include "common/globals.h"
#include "common/message.h"
#include "common/report.h"
#include "common/text.h"
#include "common/wtext.h"
#include "startup/startup.h"

enum {
    TEXT_ROOM = 4096,   // the ANSI part of a line, as wide characters
    LEFT_ROOM = 65536,  // the files left, one after the other
};

char g_reportPath[PATH_BUFFER];

static HANDLE s_file;  // none until the report opens (zeroed data costs no file space)
static WCHAR s_line[TEXT_ROOM + WIDE_PATH_ROOM + 2];
static char s_bytes[3 * (TEXT_ROOM + WIDE_PATH_ROOM + 2)];
static WCHAR s_shown[WIDE_PATH_ROOM];
// What the run left: for each file its outcome, then its long form.
static WCHAR s_left[LEFT_ROOM];
static int s_leftEnd;
static bool s_entryOpen;  // an entry has begun and nothing was said of it yet

// The outcomes' words, in their order, one after another, each ended by a
// zero (a table of pointers would cost a relocation each).
static const char s_words[] =
    "done\0"
    "not found\0"
    "skipped: a field too long\0"
    "refused: <, > or \" in the pattern\0"
    "refused: wildcard in a drive's root\0"
    "refused: wildcard in a protected folder\0"
    "refused: protected folder\0"
    "refused: shared key\0"
    "refused: system section\0"
    "deleted\0"
    "kept (mode)\0"
    "kept (ask mode)\0"
    "offered\0"
    "goes at the next restart\0"
    "not deleted\0"
    "deleted by the user\0"
    "last reference released\0"
    "reference released\0";

static const char* OutcomeWord(int outcome)
{
    const char* word = s_words;
    while (outcome-- > 0)
        word += TextLength(word) + 1;
    return word;
}

// One line: the ANSI texts head and text (either may be 0), then the wide
// text wide, as UTF-8.
static void WriteLine(const char* head, const char* text = 0, const WCHAR* wide = 0)
{
    if (!s_file)
        return;
    int n = 0;
    const char* parts[2] = {head, text};
    for (const char* part : parts)
        if (part) {
            int got = MultiByteToWideChar(CP_ACP, 0, part, -1, s_line + n, TEXT_ROOM - n);
            if (got)
                n += got - 1;
        }
    for (int i = 0; wide && wide[i] && i < WIDE_PATH_ROOM - 1; ++i)
        s_line[n++] = wide[i];
    s_line[n++] = '\r';
    s_line[n++] = '\n';
    DWORD written;
    int bytes = WideCharToMultiByte(CP_UTF8, 0, s_line, n, s_bytes, sizeof s_bytes, 0, 0);
    WriteFile(s_file, s_bytes, bytes, &written, 0);
}

static void WriteTime(const char* label)
{
    SYSTEMTIME t;
    GetLocalTime(&t);
    char text[64];
    wsprintfA(text, "%s %04u-%02u-%02u %02u:%02u:%02u", label, t.wYear, t.wMonth, t.wDay,
              t.wHour, t.wMinute, t.wSecond);
    WriteLine(text);
}

// An entry that ran without news did what it says.
static void CloseEntry()
{
    if (s_entryOpen)
        WriteLine("    done");
    s_entryOpen = false;
}

static void OnEntry(int order, const char* text)
{
    CloseEntry();
    char head[32];
    wsprintfA(head, "Entry %d %c ", order, text[0]);
    WriteLine(head, text + 1);
    s_entryOpen = true;
}

// "    outcome: path", the path as the user knows it.
static void WritePath(int outcome, const WCHAR* path)
{
    char head[64];
    wsprintfA(head, "    %s: ", OutcomeWord(outcome));
    ShownPathForm(path, s_shown, WIDE_PATH_ROOM);
    WriteLine(head, 0, s_shown);
}

static void OnOutcome(int outcome, const WCHAR* path)
{
    s_entryOpen = false;
    if (!path) {
        WriteLine("    ", OutcomeWord(outcome));
        return;
    }
    WritePath(outcome, path);
    // a file that stays, or may, is looked at again at the end
    int length = WideLength(path) + 2;
    if ((outcome == OUT_KEPT || outcome == OUT_KEPT_ASKED || outcome == OUT_OFFERED ||
         outcome == OUT_SCHEDULED || outcome == OUT_FAILED) &&
        s_leftEnd + length <= LEFT_ROOM) {
        s_left[s_leftEnd] = WCHAR(outcome);
        for (int i = 1; i < length; ++i)
            s_left[s_leftEnd + i] = path[i - 1];
        s_leftEnd += length;
    }
}

static void OnMessage(const char* text, int answer)
{
    WriteLine(g_switches & SWITCH_NO_BOXES ? "    not shown: " : "    box: ", text);
    if (answer)
        WriteLine(answer == IDYES ? "    answer: Yes" : "    answer: No");
}

static void OnEnd(unsigned exitCode)
{
    CloseEntry();
    // the files of the run that are still there, the user's deletions and
    // what went meanwhile no longer among them
    bool heading = false;
    for (int at = 0; at < s_leftEnd; at += WideLength(s_left + at) + 1) {
        const WCHAR* path = s_left + at + 1;
        if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES)
            continue;
        if (!heading)
            WriteLine("Files left:");
        heading = true;
        WritePath(s_left[at], path);
    }
    char text[32];
    wsprintfA(text, "Exit code: %u", exitCode);
    WriteLine(text);
    WriteTime("Ended");
}

bool OpenReport(bool removalStage)
{
    char full[SCRATCH_BUFFER];
    SYSTEMTIME t;
    GetLocalTime(&t);
    if (!g_reportPath[0]) {
        // a new file in the temporary folder, named by the application's
        // folder and the time
        char folder[PATH_BUFFER], name[PATH_BUFFER];
        CopyText(folder, g_logPath, sizeof folder);
        StripLastComponent(folder);
        LastComponent(folder, name, sizeof name);
        wsprintfA(full, "%s\\Uninstall %s %04u-%02u-%02u %02u%02u%02u.log", g_tempDir, name,
                  t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    } else if (!GetFullPathNameA(g_reportPath, sizeof full, full, 0)) {
        return false;
    }
    if (TextLength(full) >= PATH_BUFFER)
        return false;
    CopyText(g_reportPath, full, sizeof g_reportPath);

    // the launcher starts the report; its copy adds to it
    s_file = CreateFileA(g_reportPath, FILE_APPEND_DATA | FILE_READ_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, 0,
                         removalStage ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0);
    if (s_file == INVALID_HANDLE_VALUE) {
        s_file = 0;
        return false;
    }
    DWORD written;
    if (GetFileSize(s_file, 0) == 0)
        WriteFile(s_file, "\xEF\xBB\xBF", 3, &written, 0);

    g_report.entry = OnEntry;
    g_report.outcome = OnOutcome;
    g_report.message = OnMessage;
    g_report.end = OnEnd;
    WriteTime(removalStage ? "Removal started" : "Uninstall started");
    WriteLine("Command line: ", 0, GetCommandLineW());
    WriteLine("Log: ", g_logPath);
    return true;
}

void ReportText(const char* head, const char* text)
{
    WriteLine(head, text);
}
