// P and U entries: files and directory trees. The walk works on wide names
// in the long path form, so that it finds, matches and removes any name the
// file system holds at any depth; what it does with each name is the plan's.
#include <windows.h>

#include "actions/actions.h"
#include "common/progress.h"
#include "common/report.h"
#include "actions/match.h"
#include "actions/plan.h"
#include "actions/remove.h"
#include "common/erase.h"
#include "common/globals.h"
#include "common/message.h"
#include "common/text.h"
#include "common/wtext.h"
#include "guard/guard.h"
#include "log/log.h"

enum { WALK_DEPTH = WIDE_PATH_ROOM / 2, QUESTION_BUFFER = 2048 };

// One path buffer for the whole walk: each level appends its names to it.
// The levels' searches are kept here, not on the stack, so that no depth the
// system allows can overrun the stack.
static WCHAR s_path[WIDE_PATH_ROOM];
static WCHAR s_shown[WIDE_PATH_ROOM];
struct WalkLevels {
    HANDLE finds[WALK_DEPTH];
    HANDLE held[WALK_DEPTH];  // each level's folder, held while it is walked
    int ends[WALK_DEPTH];     // where the names of each level start in s_path
    int scheduledBefore[WALK_DEPTH];  // s_scheduled when the walk entered each level
    WIN32_FIND_DATAW found;
};
static WalkLevels s_walk;
static int s_scheduled;  // files of the run left to the next restart

static_assert(OUT_REFUSED_FOLDER - OUT_REFUSED_DAMAGED == PLAN_GUARDED_FOLDER - PLAN_REFUSED_DAMAGED,
              "the refusals are reported in the plan's order");

// A run without boxes leaves no file for a person to retry: one that cannot
// be deleted goes at the next restart, and the run says so by its exit code.
static bool DeleteAtRestart(const WCHAR* path)
{
    if (!(g_switches & SWITCH_NO_BOXES) || !MoveFileExW(path, 0, MOVEFILE_DELAY_UNTIL_REBOOT))
        return false;
    ++s_scheduled;
    g_exitCode = EXIT_RESTART;
    return true;
}

void RemoveOneFile(const WCHAR* path, int action, HANDLE folder, const WCHAR* name)
{
    if (!MarkHandled(path))
        return;
    PaceStep();
    int outcome = OUT_KEPT;
    if (action == PLAN_ASK) {
        // a question that cannot name the file is not asked: the file is listed
        char text[QUESTION_BUFFER];
        ShownPathForm(path, s_shown, WIDE_PATH_ROOM);
        action = PLAN_OFFER;
        if (WideCharToMultiByte(CP_ACP, 0, s_shown, -1, text, sizeof text, 0, 0))
            action = ShowMessage(MSG_QUESTION, GetMessageText(MSGID_ASK_DELETE), text) == IDYES &&
                             !IsFileRefusedW(path)
                         ? PLAN_DELETE : PLAN_KEEP;
        outcome = OUT_KEPT_ASKED;
    }
    if (action == PLAN_OFFER)
        outcome = OUT_OFFERED;
    if (action == PLAN_DELETE) {
        outcome = OUT_DELETED;
        if (!EraseFileIn(folder, name, path)) {
            outcome = OUT_SCHEDULED;
            if (!DeleteAtRestart(path)) {
                outcome = OUT_FAILED;
                action = PLAN_OFFER;
            }
        }
    }
    if (action == PLAN_OFFER)
        AddLeftover(path);
    ReportOutcome(outcome, path);
}

// The walk holds every folder it lists or enters, from the entry's own
// folder down to the one it is in, opened without following a link and not
// shared for deletion: what the guard judged by that handle is what the
// walk lists and empties, and no folder on its way can be swapped for a
// link until the walk leaves it. A protected folder, or one that holds one,
// is left alone, and the rest of the entry goes on. A link is never
// entered: at most the link goes. Below the entry's own folder, each folder
// is opened, and each file and folder deleted, by its name inside its held
// parent, never by its path: only the held folder's own entries go.
void RemoveMatching(const char* entryPath, bool recursive, int mode)
{
    // the levels are reached through one address, not each by its own
    // (every absolute address in the code costs the image a relocation)
    WalkLevels* w = &s_walk;
    __asm__("" : "+r"(w));
    WCHAR* path = s_path;
    if (!BuildEntryPath(entryPath, path, WIDE_PATH_ROOM))
        return;
    int slash = LastBackslash(path);
    WCHAR pattern[PATTERN_PART];
    int patternLength = slash < 0 ? PATTERN_PART : WideLength(path + slash + 1);
    if (patternLength >= PATTERN_PART)
        return;  // no folder to search, or a name longer than any name
    for (int i = 0; i <= patternLength; ++i)
        pattern[i] = path[slash + 1 + i];

    char kind = recursive ? 'U' : 'P';
    unsigned traits = PatternTraitsW(pattern);
    unsigned where = 0;
    int folderEnd = slash;
    if (slash > 0 && path[slash - 1] == ':') {
        where |= PLAN_IN_ROOT;
        folderEnd = slash + 1;  // a drive's root keeps its backslash
    }
    // as the log wrote it: no folder of its own («*.tmp», «\*.tmp», «C:*.tmp»)
    char folder[PATH_BUFFER];
    CopyText(folder, entryPath, sizeof folder);
    StripLastComponent(folder);
    if (TextLength(folder) <= 3)
        where |= PLAN_IN_ROOT;
    // the entry's own folder: held for the whole entry, never a link
    WCHAR kept = path[folderEnd];
    path[folderEnd] = 0;
    HANDLE held;
    if (HoldFolder(path, 0, 0, &held) != HELD_FOLDER) {
        ReportOutcome(OUT_NOT_FOUND);
        return;
    }
    if ((traits & PATTERN_SYSTEM) && IsHeldFolderRefused(held, path))
        where |= PLAN_IN_GUARDED;
    path[folderEnd] = kept;
    w->held[0] = held;
    int plan = PlanFound(kind, mode, where, traits);
    if (plan >= PLAN_REFUSED_DAMAGED) {
        ReportOutcome(OUT_REFUSED_DAMAGED + plan - PLAN_REFUSED_DAMAGED);
        CloseHandle(held);
        return;
    }
    // our own wildcards list the folder and match here; the system's go to
    // the system with the name
    WidePattern wide;
    if (traits & PATTERN_OURS) {
        ParseWidePattern(pattern, &wide);
        path[slash + 1] = '*';
        path[slash + 2] = 0;
    }
    HANDLE find = FindFirstFileW(path, &w->found);
    if (find != INVALID_HANDLE_VALUE && !IsHeldFolderStill(held)) {
        FindClose(find);
        find = INVALID_HANDLE_VALUE;
    }
    if (find == INVALID_HANDLE_VALUE) {
        ReportOutcome(OUT_NOT_FOUND);
        CloseHandle(held);
        return;
    }
    // a name without wildcards finds itself alone: its search ends here,
    // and only the hold keeps its folder
    if (!(traits & PATTERN_SYSTEM)) {
        FindClose(find);
        find = 0;
    }
    int depth = 0;
    w->finds[0] = find;
    w->ends[0] = slash + 1;
    bool more = true;
    for (;;) {
        TakeMessages(0);  // a long walk keeps the dialog answering
        if (!more) {
            if (w->finds[depth])
                FindClose(w->finds[depth]);
            CloseHandle(w->held[depth]);
            if (depth == 0)
                return;
            path[w->ends[depth] - 1] = 0;  // the folder just walked
            int walked = depth--;
            // a folder kept by files left to the restart goes after them
            if (!RemoveFolderIn(w->held[depth], path + w->ends[depth]) &&
                s_scheduled > w->scheduledBefore[walked])
                MoveFileExW(path, 0, MOVEFILE_DELAY_UNTIL_REBOOT);
            more = w->finds[depth] && FindNextFileW(w->finds[depth], &w->found) != 0;
            continue;
        }
        const WCHAR* name = w->found.cFileName;
        int end = w->ends[depth];
        int length = WideLength(name);
        bool dots = name[0] == '.' && (!name[1] || (name[1] == '.' && !name[2]));
        if (!dots && end + length + 2 < WIDE_PATH_ROOM &&
            (depth || !(traits & PATTERN_OURS) || WidePatternMatches(&wide, name))) {
            for (int i = 0; i <= length; ++i)
                path[end + i] = name[i];
            unsigned flags = depth ? 0 : where;
            held = INVALID_HANDLE_VALUE;
            if (w->found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                flags |= PLAN_FOLDER;
                // what it is now, not what the listing said: a folder that
                // cannot be opened cannot be judged, and is left alone
                int what = recursive ? HoldFolder(path, w->held[depth], path + end, &held) : HELD_NONE;
                if (what == HELD_LINK)
                    flags |= PLAN_LINK;
                else if (recursive && (what == HELD_NONE || IsHeldFolderRefused(held, path)))
                    flags |= PLAN_GUARDED;
            }
            int action = PlanFound(kind, mode, flags, depth ? 0 : traits);
            if (action == PLAN_DESCEND) {
                path[end + length] = '\\';
                path[end + length + 1] = '*';
                path[end + length + 2] = 0;
                find = FindFirstFileW(path, &w->found);
                if (find != INVALID_HANDLE_VALUE && IsHeldFolderStill(held)) {
                    w->finds[++depth] = find;
                    w->held[depth] = held;
                    w->ends[depth] = end + length + 1;
                    w->scheduledBefore[depth] = s_scheduled;
                    continue;  // the first name of the folder is in w->found
                }
                path[end + length] = 0;
                action = PLAN_REMOVE_EMPTY;
                if (find != INVALID_HANDLE_VALUE) {
                    FindClose(find);  // made a link since it was held: left alone
                    action = PLAN_PASS;
                }
            }
            if (held != INVALID_HANDLE_VALUE)
                CloseHandle(held);  // before its removal: the hold refuses that too
            if (action == PLAN_GUARDED_FOLDER)
                ReportOutcome(OUT_REFUSED_FOLDER, path);
            if (action == PLAN_REMOVE_EMPTY)
                RemoveFolderIn(w->held[depth], path + end);
            else if (action >= PLAN_KEEP && action <= PLAN_OFFER)
                RemoveOneFile(path, action, w->held[depth], path + end);
        }
        more = w->finds[depth] && FindNextFileW(w->finds[depth], &w->found) != 0;
    }
}

// Reads the path and the mode of the entry under the cursor. False when the
// path does not fit its buffer.
static bool ReadFileEntry(char* path, int* mode)
{
    char field[NUMBER_BUFFER];
    if (!ReadEntryField(path, 0, PATH_BUFFER))
        return false;
    // either slash separates, as everywhere in the system
    UseBackslashes(path);
    ReadEntryField(field, 1, sizeof field);
    *mode = ParseNumber(field) & CODE_MASK;
    return true;
}

void RemoveFiles()
{
    char path[PATH_BUFFER];
    int mode;
    if (ReadFileEntry(path, &mode))
        RemoveMatching(path, false, mode);
}

void RemoveTree()
{
    char path[PATH_BUFFER];
    int mode;
    if (ReadFileEntry(path, &mode))
        RemoveMatching(path, true, mode);
}
