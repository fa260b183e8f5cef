// unins-check: shows an installer author what an uninstall log will do
// before it ships. The log goes through the program's own loader and
// ordering (LoadLog, AssignOrder, SortEntries), so the plan is the one the
// removal stage runs; the loader's observer tells which lines it dropped.
//
//   unins-check [--json] [--protect FOLDER]... LOG
//
// Exit code 0: no warnings; 1: warnings; 2: the log cannot be read.
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "guard/guard.h"
#include "actions/plan.h"
#include "common/globals.h"
#include "common/nameset.h"
#include "common/text.h"
#include "log/log.h"

enum { FIELD_BUFFER = 1024 };

struct Note {
    int line;
    std::string code;
    std::string text;
};

struct Dropped {
    int line;
    std::string reason;
};

struct Action {
    int line;
    int order;
    bool explicitNumber;
    char letter;
    std::string rest;  // the entry text after its letter
    std::string does;
    std::string silent;  // what a silent run does differently; empty: the same
    std::vector<int> status;
};

static std::string s_raw;             // the log as read, for line numbers and texts
static std::vector<size_t> s_starts;  // offset of each line's start
static std::vector<std::pair<size_t, int>> s_loaderNotes;
static std::vector<Note> s_warnings;
static std::vector<Dropped> s_dropped;
static std::vector<Action> s_actions;
static std::vector<std::string> s_protectExtra;

static void OnLoaderNote(const char* line, int reason)
{
    s_loaderNotes.push_back({size_t(line - g_logBuffer), reason});
}

static int LineOf(size_t offset)
{
    return int(std::upper_bound(s_starts.begin(), s_starts.end(), offset) - s_starts.begin());
}

// A line as the file has it, up to its end (or a zero byte).
static std::string LineText(int line)
{
    size_t start = s_starts[line - 1];
    size_t end = start;
    while (end < s_raw.size() && s_raw[end] != '\r' && s_raw[end] != '\n' && s_raw[end])
        ++end;
    return s_raw.substr(start, end - start);
}

static void Warn(int line, const char* code, const std::string& text)
{
    s_warnings.push_back({line, code, text});
}

static std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
static std::string Format(const char* format, ...)
{
    char text[4096];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

static bool IsActionLetter(char c)
{
    return c && strchr("DEJKMPU", c);
}

// Separators of an entry text, counted as GetField counts them: commas
// inside double quotes do not separate.
static int Separators(const std::string& rest)
{
    bool quoted = false;
    int count = 0;
    for (char c : rest) {
        if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            ++count;
    }
    return count;
}

static std::string Field(const std::string& rest, int n)
{
    char field[FIELD_BUFFER];
    GetField(field, rest.c_str(), n, sizeof field);
    return field;
}

// The explicit number of an entry line: its characters from the second up
// to the first comma, as the loader reads them.
static int ExplicitNumber(const std::string& line)
{
    int end;
    return ReadExplicitNumber(line.c_str(), &end);
}

static std::string EntryRest(const std::string& line)
{
    size_t comma = line.find(',');
    return comma == std::string::npos ? std::string() : line.substr(comma + 1);
}

static std::string Folded(const std::string& text)
{
    std::string folded = text;
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z')
            c = char(c + ('a' - 'A'));
    return folded;
}

// ---- the protected-folder guard ----

// The checker cannot ask the user's system: it reads a path against the
// program's own rules in the usual layout (the Windows folder C:\Windows on
// drive C, the profiles in C:\Users and C:\Documents and Settings);
// --protect adds more folders. The program itself finds the folders the
// rules name on its system, and every known folder and profile.
static bool SameOrBelow(const std::string& folder, const std::string& inner)
{
    return folder.size() >= inner.size() &&
           (folder.size() == inner.size() || folder[inner.size()] == '\\') &&
           Folded(folder.substr(0, inner.size())) == Folded(inner);
}

static bool IsProtectedText(const char* canonical)
{
    if (UsualLayoutRefuses(canonical))
        return true;
    char extra[PATH_BUFFER];
    for (const std::string& folder : s_protectExtra)
        if (CanonicalPath(folder.c_str(), extra, sizeof extra) &&
            SameOrBelow(extra, canonical))
            return true;
    return false;
}

static bool IsFullPath(const std::string& path)
{
    return (path.size() >= 3 && path[1] == ':' && path[2] == '\\') ||
           (path.size() >= 2 && path[0] == '\\' && path[1] == '\\');
}

// ---- what each entry does ----

static const char* RootName(int code)
{
    static const char* const names[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
                                        "HKEY_LOCAL_MACHINE", "HKEY_USERS"};
    return code >= 0 && code < 4 ? names[code] : 0;
}

static std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

static std::string DescribeLibraryCall(const Action& a)
{
    std::string library = Field(a.rest, 0), name = Field(a.rest, 1);
    int count = ParseNumber(Field(a.rest, 2).c_str());
    if (count < 0 || count > MAX_ARGUMENTS)
        return Format("load %s and free it again: argument count %d calls nothing",
                      library.c_str(), count);
    if (count == 0)
        return Format("call %s in %s without arguments", name.c_str(), library.c_str());
    std::string args;
    for (int i = 0; i < count; ++i)
        args += (i ? ", " : "") + Quoted(Field(a.rest, 3 + i));
    return Format("call %s in %s with %d argument%s: %s", name.c_str(), library.c_str(), count,
                  count == 1 ? "" : "s", args.c_str());
}

static std::string DescribeRegistry(const Action& a)
{
    int code = ParseNumber(Field(a.rest, 0).c_str()) & CODE_MASK;
    const char* root = RootName(code);
    std::string subkey = Field(a.rest, 1), name = Field(a.rest, 2);
    if (!root)
        return Format("nothing: root key code %d names no root (0 to 3)", code);
    if (name.empty()) {
        if (SharedKeyReason(code, subkey.c_str()) == KEY_HIVE)
            return Format("nothing: an empty subkey would name %s itself", root);
        return Format("delete the key %s\\%s (its subkeys are not removed first)", root,
                      subkey.c_str());
    }
    if (SameText(name.c_str(), "default"))
        return Format("delete the default value of %s\\%s", root, subkey.c_str());
    return Format("delete the value %s of %s\\%s", Quoted(name).c_str(), root, subkey.c_str());
}

static std::string DescribeProfile(const Action& a)
{
    std::string file = Field(a.rest, 0), section = Field(a.rest, 1), key = Field(a.rest, 2);
    char checked[PATH_BUFFER];
    // a bare name is the Windows folder's, as the profile functions read it
    if (ProfileFileToCheck(file.c_str(), "%WINDIR%", checked, sizeof checked))
        file = checked;
    if (key.empty())
        return Format("delete the section [%s] of %s", section.c_str(), file.c_str());
    return Format("delete the key %s of section [%s] in %s, and the section if that empties it",
                  Quoted(key).c_str(), section.c_str(), file.c_str());
}

static std::string EntryPath(const Action& a)
{
    std::string path = Field(a.rest, 0);
    std::replace(path.begin(), path.end(), '/', '\\');  // as the program reads it
    return path;
}

static std::string DescribeFiles(const Action& a)
{
    std::string path = EntryPath(a);
    int mode = ParseNumber(Field(a.rest, 1).c_str()) & CODE_MASK;
    switch (mode) {
    case 0:
        return "delete " + path;
    case 1:
        return "delete " + path + Format(" after asking (message %d)", MSGID_ASK_DELETE);
    case 2:
        return "offer " + path + " in the list of files left, do not delete";
    default:
        return Format("nothing: mode %d leaves %s alone", mode, path.c_str());
    }
}

static bool IsPattern(const std::string& path)
{
    char name[PATH_BUFFER];
    LastComponent(path.c_str(), name, sizeof name);
    return (PatternTraitsA(name) & PATTERN_SYSTEM) != 0;  // ours start with '*' too
}

static std::string DescribeTree(const Action& a)
{
    std::string path = EntryPath(a);
    int mode = ParseNumber(Field(a.rest, 1).c_str()) & CODE_MASK;
    switch (mode) {
    case 0:
        return "walk " + path + ": offer its files, remove its folders that hold no file";
    case 1:
        if (IsPattern(path))
            return "delete what matches " + path + ", folders with all they hold";
        return "delete " + path + " with all its files and folders";
    case 2:
        return "remove " + path + " if it is empty";
    default:
        return Format("walk %s: leave its files (mode %d), remove its empty folders", path.c_str(),
                      mode);
    }
}

// What a run without a person (/SILENT, /VERYSILENT, /SUPPRESSMSGBOXES)
// does differently with the entry: no question is asked, nothing is offered,
// and a file that cannot be deleted goes at the next restart.
static std::string DescribeSilent(const Action& a)
{
    int mode = ParseNumber(Field(a.rest, 1).c_str()) & CODE_MASK;
    const char* restart =
        "if it cannot be deleted, it goes at the next restart%s, not to the list "
        "(exit code 3010)";
    switch (a.letter) {
    case 'E':
        return "the same, but the program shows what it shows: a silent run is no quieter "
               "than its programs";
    case 'K':
        return "at the last reference the file is kept, not offered";
    case 'P':
        if (mode == 0)
            return Format(restart, "");
        if (mode == 1)
            return Format("kept without asking: message %d is not shown, its answer is No",
                          MSGID_ASK_DELETE);
        if (mode == 2)
            return "kept, not offered";
        return "";
    case 'U':
        if (mode == 0)
            return "its files are kept, not offered";
        if (mode == 1)
            return Format(restart, " with the folders it keeps");
        return "";
    default:
        return "";
    }
}

static std::string Describe(const Action& a)
{
    switch (a.letter) {
    case 'D':
        return DescribeLibraryCall(a);
    case 'E':
        return "run " + Field(a.rest, 0) + " and wait for it to end";
    case 'J':
        return DescribeRegistry(a);
    case 'K':
        return "give back one reference to " + Field(a.rest, 0) +
               " in SharedDLLs; at the last one, offer the file";
    case 'M':
        return DescribeProfile(a);
    case 'P':
        return DescribeFiles(a);
    case 'U':
        return DescribeTree(a);
    default:
        return Format("nothing: %c is not an action letter", a.letter);
    }
}

// ---- checks of one action ----

// The buffers the program reads each field into: a field that does not fit
// skips the whole entry, rather than naming something else; a D argument is
// cut instead.
struct FieldLimit {
    char letter;
    int field;
    int size;  // terminator included
};

static const FieldLimit kFieldLimits[] = {
    {'D', 0, PATH_BUFFER}, {'D', 1, ENTRY_NAME_BUFFER}, {'E', 0, PATH_BUFFER},
    {'J', 1, PATH_BUFFER}, {'J', 2, VALUE_NAME_BUFFER}, {'K', 0, PATH_BUFFER},
    {'M', 0, PATH_BUFFER}, {'M', 1, PATH_BUFFER},       {'M', 2, KEY_NAME_BUFFER},
    {'P', 0, PATH_BUFFER}, {'U', 0, PATH_BUFFER},
};

static int FieldLength(const Action& a, int n)
{
    char field[8];
    return CopyField(field, a.rest.c_str(), n, sizeof field);
}

static void CheckLengths(const Action& a)
{
    for (const FieldLimit& limit : kFieldLimits) {
        int length = limit.letter == a.letter ? FieldLength(a, limit.field) : 0;
        if (length >= limit.size)
            Warn(a.line, "long-field",
                 Format("field %d has %d characters, more than the %d the program reads: the "
                        "entry is skipped",
                        limit.field, length, limit.size - 1));
    }
    if (a.letter != 'D')
        return;
    int count = ParseNumber(Field(a.rest, 2).c_str());
    for (int i = 0; i < count && i < MAX_ARGUMENTS; ++i) {
        int length = FieldLength(a, 3 + i);
        if (length >= ARGUMENT_BUFFER)
            Warn(a.line, "long-field",
                 Format("argument %d has %d characters, more than the %d the program passes: it "
                        "is cut",
                        i + 1, length, ARGUMENT_BUFFER - 1));
    }
}

static void CheckFields(const Action& a)
{
    int separators = Separators(a.rest);
    switch (a.letter) {
    case 'J':
    case 'M':
        if (separators < 2)
            Warn(a.line, "no-field-2",
                 Format("%c entry without field 2: the whole entry text is taken as the %s name, "
                        "so %s; end the line with a comma to mean the whole %s",
                        a.letter, a.letter == 'J' ? "value" : "key",
                        a.letter == 'J' ? "no value is deleted" : "no key is deleted by it",
                        a.letter == 'J' ? "key" : "section"));
        break;
    case 'P':
    case 'U':
        if (separators < 1)
            Warn(a.line, "no-mode",
                 Format("%c entry without a mode: the mode is read from the whole entry text "
                        "(%d)", a.letter, ParseNumber(a.rest.c_str()) & CODE_MASK));
        break;
    case 'D': {
        if (separators < 2) {
            Warn(a.line, "argument-count",
                 Format("D entry without an argument count: the count is read from the whole "
                        "entry text (%d)", ParseNumber(a.rest.c_str())));
            break;
        }
        int count = ParseNumber(Field(a.rest, 2).c_str());
        int given = separators - 2;
        if (count < 0 || count > MAX_ARGUMENTS)
            Warn(a.line, "argument-count",
                 Format("argument count %d is not 0 to %d: the entry point is not called", count,
                        MAX_ARGUMENTS));
        else if (count != given)
            Warn(a.line, "argument-count",
                 Format("argument count %d, but %d argument field%s follow%s", count, given,
                        given == 1 ? "" : "s", given == 1 ? "s" : "") +
                     (count > given ? ": a missing argument is passed as the whole entry text"
                                    : ": the extra fields are not passed"));
        break;
    }
    default:
        break;
    }
    if (a.letter == 'J' && !RootName(ParseNumber(Field(a.rest, 0).c_str()) & CODE_MASK))
        Warn(a.line, "root-key", "root key code is not 0 to 3: the entry does nothing");
}

// P and U: wildcards where the program refuses them, and folders the
// protected-folder guard refuses. Returns why nothing happens, or empty.
// True when the guard refuses the folder, as the program judges it.
static bool IsGuarded(const char* folder)
{
    char canonical[PATH_BUFFER];
    if (!CanonicalPath(folder, canonical, sizeof canonical))
        return false;
    return IsProtectedText(canonical);
}

static std::string CheckPaths(const Action& a)
{
    if (a.letter != 'P' && a.letter != 'U')
        return "";
    std::string path = EntryPath(a);
    char dir[PATH_BUFFER], name[PATH_BUFFER];
    CopyText(dir, path.c_str(), sizeof dir);
    StripLastComponent(dir);
    LastComponent(path.c_str(), name, sizeof name);
    if (TextLength(dir) == 2 && dir[1] == ':')
        AppendText(dir, "\\", sizeof dir);
    if (!IsFullPath(path)) {
        Warn(a.line, "relative-path",
             path + " is not a full path: it is taken relative to the temporary folder the "
                    "removal runs in");
        return "";
    }
    // The program's own plan: the pattern, the folder a pattern lists as the
    // guard judges it, and for a U entry the folder it walks.
    int mode = ParseNumber(Field(a.rest, 1).c_str()) & CODE_MASK;
    unsigned traits = PatternTraitsA(name);
    unsigned where = TextLength(dir) <= 3 ? PLAN_IN_ROOT : 0;
    if ((traits & PATTERN_SYSTEM) && IsGuarded(dir))
        where |= PLAN_IN_GUARDED;
    int plan = PlanFound(a.letter, mode, where, traits);
    if (plan < PLAN_REFUSED_DAMAGED && a.letter == 'U' && !(traits & PATTERN_SYSTEM) &&
        IsGuarded(path.c_str()))
        plan = PLAN_GUARDED_FOLDER;
    switch (plan) {
    case PLAN_REFUSED_DAMAGED:
        Warn(a.line, "damaged-pattern",
             name + std::string(" holds '<', '>' or '\"', the system's other wildcards: the "
                                "entry is taken as damaged and does nothing"));
        return "refused: damaged pattern";
    case PLAN_REFUSED_ROOT:
        Warn(a.line, "root-wildcard",
             "wildcard in a drive's root: " + path + " is refused and the entry does nothing");
        return "refused: wildcard in a drive's root";
    case PLAN_REFUSED_GUARDED:
    case PLAN_GUARDED_FOLDER: {
        char canonical[PATH_BUFFER];
        CanonicalPath(plan == PLAN_GUARDED_FOLDER ? path.c_str() : dir, canonical,
                      sizeof canonical);
        Warn(a.line, "protected-folder",
             Format("%s is a protected folder (the system's or a user's, a folder of the "
                    "system's trees or directly inside a profile), or holds one: the guard "
                    "refuses it and the entry removes nothing there%s",
                    canonical,
                    a.letter == 'P' ? " (a P pattern there needs three plain characters "
                                      "before its first wildcard)"
                                    : ""));
        return "refused: protected folder";
    }
    default:
        return "";
    }
}

// J and M: the keys and sections the guard keeps whole. Returns why nothing
// happens, or empty.
static std::string CheckKeys(const Action& a)
{
    static const char* const kReasons[] = {
        "", "is the root key itself (an empty subkey)", "is a first-level key of its hive",
        "is a key where many programs keep values", "is one of the system's file classes"};
    if (a.letter == 'J' && Separators(a.rest) >= 2 && Field(a.rest, 2).empty()) {
        int code = ParseNumber(Field(a.rest, 0).c_str()) & CODE_MASK;
        int reason = RootName(code) ? SharedKeyReason(code, Field(a.rest, 1).c_str()) : 0;
        if (!reason)
            return "";
        Warn(a.line, "shared-key",
             Format("%s\\%s %s: the guard never deletes it whole; name the value to delete, or "
                    "the program's own key below it",
                    RootName(code), Field(a.rest, 1).c_str(), kReasons[reason]));
        return "refused: shared key";
    }
    if (a.letter == 'M' && Separators(a.rest) >= 2 && Field(a.rest, 2).empty() &&
        IsSystemSection(Field(a.rest, 0).c_str(), Field(a.rest, 1).c_str())) {
        Warn(a.line, "system-section",
             Format("[%s] is one of the system's own sections of %s: the guard never deletes it "
                    "whole; name the key to delete",
                    Field(a.rest, 1).c_str(), Field(a.rest, 0).c_str()));
        return "refused: system section";
    }
    return "";
}

// ---- messages ----

struct Needed {
    int id;
    const char* role;
};

static const char* MessageRole(int id)
{
    static const Needed roles[] = {
        {MSGID_PRODUCT, "product title"},
        {MSGID_FINISH, "finish button"},
        {MSGID_COPY_FAILED, "error: the program cannot copy itself"},
        {MSGID_STATUS_FILES, "status line before the first file"},
        {MSGID_CONFIRM, "question before the removal"},
        {MSGID_DELETE_SELECTED, "button Delete selected"},
        {MSGID_DELETE_ALL, "button Delete all"},
        {MSGID_CLOSE, "close button when files are left"},
        {MSGID_DONE, "last status line"},
        {MSGID_CAPTION, "first half of the caption"},
        {MSGID_START_FAILED, "error: the copy cannot be started"},
        {MSGID_STATUS_END, "status line after all actions"},
        {MSGID_ASK_DELETE, "question before deleting a file of mode 1"},
        {MSGID_RETRY_DELETE, "question after a listed file could not be deleted"},
        {MSGID_LEFTOVER, "label of the list of files left"},
        {MSGID_STATUS_REGISTRY, "status line before the registry entries"},
        {MSGID_STATUS_PROFILE, "status line before the profile entries"},
        {MSGID_STATUS_FILES2, "second status line before the first file"},
    };
    for (const Needed& n : roles)
        if (n.id == id)
            return n.role;
    return "";
}

// Texts the program formats, with the number of %s arguments each receives.
static int FormatArguments(int id)
{
    switch (id) {
    case MSGID_COPY_FAILED:
        return 2;
    case MSGID_CONFIRM:
    case MSGID_DONE:
    case MSGID_START_FAILED:
    case MSGID_ASK_DELETE:
    case MSGID_RETRY_DELETE:
        return 1;
    default:
        return -1;
    }
}

// Counts the conversions of a format as the program's formatter reads them:
// plain %s ones (flags, width and precision allowed) and any other kind.
static void CountConversions(const char* format, int* strings, int* others)
{
    *strings = *others = 0;
    for (const char* p = format; *p; ++p) {
        if (*p != '%')
            continue;
        if (p[1] == '%') {
            ++p;
            continue;
        }
        const char* q = ScanConversion(p);
        if (*q == 's')
            ++*strings;
        else
            ++*others;
        if (!*q)
            break;
        p = q;
    }
}

static void CheckMessages()
{
    std::vector<int> needed = {MSGID_PRODUCT, MSGID_CAPTION, MSGID_CONFIRM, MSGID_COPY_FAILED,
                               MSGID_START_FAILED, MSGID_FINISH, MSGID_STATUS_END, MSGID_DONE};
    bool leftovers = false, asks = false;
    for (const Action& a : s_actions) {
        for (int id : a.status)
            needed.push_back(id);
        if (a.letter == 'K' || a.letter == 'P' || a.letter == 'U')
            leftovers = true;
        if (a.letter == 'P' && (ParseNumber(Field(a.rest, 1).c_str()) & CODE_MASK) == 1)
            asks = true;
    }
    if (asks)
        needed.push_back(MSGID_ASK_DELETE);
    if (leftovers)
        for (int id : {MSGID_LEFTOVER, MSGID_DELETE_SELECTED, MSGID_DELETE_ALL, MSGID_CLOSE,
                       MSGID_RETRY_DELETE})
            needed.push_back(id);
    std::sort(needed.begin(), needed.end());
    needed.erase(std::unique(needed.begin(), needed.end()), needed.end());
    for (int id : needed)
        if (FindMessage(id) == NO_MESSAGE)
            Warn(0, "missing-message",
                 Format("message %d (%s) is not defined: it shows as an empty text", id,
                        MessageRole(id)));

    for (int i = 0; i < g_messages.count; ++i) {
        int id = g_messages.ids[i];
        const char* text = g_messages.texts[i];
        int line = LineOf(size_t(text - g_logBuffer));
        if (TextLength(text) >= MESSAGE_TEXT_MAX)
            Warn(line, "long-message",
                 Format("message %d is longer than %d characters: it is cut", id,
                        MESSAGE_TEXT_MAX - 1));
        int wanted = FormatArguments(id);
        if (wanted < 0)
            continue;
        int strings, others;
        CountConversions(text, &strings, &others);
        if (strings != wanted || others)
            Warn(line, "format",
                 Format("message %d receives %d text%s (%%s), but has %d %%s and %d other "
                        "conversion%s: %s",
                        id, wanted, wanted == 1 ? "" : "s", strings, others, others == 1 ? "" : "s",
                        strings > wanted || others ? "the surplus is shown literally"
                                                   : "a text is left out"));
    }
}

// ---- the log's lines ----

// Lines the loader ignores although an author surely meant an entry: an
// action letter followed by something other than a number, then a comma.
static bool LooksLikeEntry(const std::string& line)
{
    if (line.size() < 2 || !strchr("ADEJKMPUadejkmpu", line[0]) || IsDigit(line[1]))
        return false;
    size_t comma = line.find(',');
    size_t equals = line.find('=');
    return comma != std::string::npos && (equals == std::string::npos || equals > comma);
}

static void CheckLines()
{
    std::map<size_t, int> notes;  // line start -> the loader's reason
    for (const auto& n : s_loaderNotes)
        notes[n.first] = n.second;
    std::map<std::string, int> seen;  // folded entry text -> first line
    int beyond = 0, firstBeyond = 0;

    for (int line = 1; line <= int(s_starts.size()); ++line) {
        std::string text = LineText(line);
        auto note = notes.find(s_starts[line - 1]);
        int reason = note == notes.end() ? 0 : note->second;
        if (reason == LOAD_NO_LINE_END) {
            s_dropped.push_back({line, "no-line-end"});
            Warn(line, "no-line-end", "the last line has no line end: the loader drops it");
            break;
        }
        if (reason == LOAD_NOT_ENTRY) {
            if (LooksLikeEntry(text)) {
                s_dropped.push_back({line, "not-entry"});
                Warn(line, "not-entry",
                     Format("looks like an entry, but '%c' is not followed by a number: the line "
                            "is ignored",
                            text[0]));
            }
            continue;
        }
        if (text.empty())
            continue;  // blank lines are part of the line end before them
        char letter = text[0];
        int number = ExplicitNumber(text);
        std::string key = Folded(std::string(1, letter) + EntryRest(text));
        int earlier = 0;
        if (letter != 'A') {
            auto it = seen.find(key);
            if (it == seen.end())
                seen[key] = line;
            else
                earlier = it->second;
        }
        if (text.find(',') == std::string::npos)
            Warn(line, "no-comma", "no comma after the number: the entry has no text");
        if (letter >= 'a' && letter <= 'z' && strchr("adejkmpu", letter))
            Warn(line, "lower-case-letter",
                 Format("'%c' is lower case, so the line is no action; a later '%c' line with "
                        "the same text is dropped as its duplicate",
                        letter, letter - ('a' - 'A')));
        switch (reason) {
        case LOAD_DROP_NUMBER:
            s_dropped.push_back({line, "dropped-number"});
            Warn(line, "dropped-number",
                 number == ORDER_DROP
                     ? Format("number %d marks a line to drop: the loader drops it", ORDER_DROP)
                     : std::string("number too large for 32 bits: the loader drops the line"));
            break;
        case LOAD_MESSAGE_ZERO:
            if (IsActionLetter(letter) && number == 0 && earlier) {
                s_dropped.push_back({line, "duplicate"});
                Warn(line, "duplicate",
                     Format("the same entry as line %d (ignoring case): dropped", earlier));
            } else {
                s_dropped.push_back({line, "message-zero"});
                Warn(line, "message-zero",
                     Format("'%c' lines are not numbered automatically: this one becomes "
                            "message 0, which nothing shows",
                            letter));
            }
            break;
        case LOAD_NUL_BYTE:
            s_dropped.push_back({line, "nul-byte"});
            Warn(line, "nul-byte", "a NUL byte inside the line: the loader drops it");
            break;
        case LOAD_BEYOND_LIMIT:
            s_dropped.push_back({line, "beyond-limit"});
            if (!beyond++)
                firstBeyond = line;
            break;
        default:
            break;
        }
    }
    if (beyond)
        Warn(firstBeyond, "beyond-limit",
             Format("more than %d actions: this line and %d more are dropped", MAX_ENTRIES,
                    beyond - 1));
}

// ---- the plan ----

static void BuildPlan()
{
    for (int i = 0; i < g_entryCount; ++i) {
        const ActionEntry& e = g_entries[i];
        Action a;
        a.line = LineOf(size_t(e.text - g_logBuffer));
        a.order = e.order;
        a.letter = e.text[0];
        a.rest = e.text + 1;
        a.explicitNumber = ExplicitNumber(LineText(a.line)) != 0;
        if (e.order == ORDER_FIRST_REGISTRY)
            a.status.push_back(MSGID_STATUS_REGISTRY);
        if (e.order == ORDER_FIRST_PROFILE)
            a.status.push_back(MSGID_STATUS_PROFILE);
        if (e.order == ORDER_FIRST_FILES) {
            a.status.push_back(MSGID_STATUS_FILES);
            a.status.push_back(MSGID_STATUS_FILES2);
        }
        a.does = Describe(a);
        a.silent = DescribeSilent(a);
        s_actions.push_back(a);
    }
}

// Without a dialog RunActions stops at the first entry of 15000 or more; the
// entries are sorted, so the ones before it are exactly those below 15000.
static bool BeforeDialog(const Action& a)
{
    return a.order < ORDER_DIALOG;
}

static void CheckActions()
{
    for (Action& a : s_actions) {
        CheckFields(a);
        CheckLengths(a);
        if (a.letter == 'A' || !IsActionLetter(a.letter)) {
            if (!(a.letter >= 'a' && a.letter <= 'z'))
                Warn(a.line, "unknown-letter",
                     Format("'%c' is not an action letter: the entry does nothing", a.letter));
        }
        std::string refused = CheckPaths(a) + CheckKeys(a);
        if (!refused.empty()) {
            a.does += " [" + refused + "]";
            a.silent.clear();  // refused in every run alike
        }
        if (strchr("JKMPU", a.letter) && BeforeDialog(a))
            Warn(a.line, "before-dialog",
                 Format("number %d runs before the dialog opens (below %d): files it offers are "
                        "shown nowhere and its questions have no owner window",
                        a.order, ORDER_DIALOG));
    }
    // Equal numbers run in the order the sort leaves them, not the log's. The
    // actions are sorted, so equal numbers stand together.
    for (size_t first = 0; first < s_actions.size();) {
        size_t last = first;
        bool explicitTie = false, lettersDiffer = false;
        while (last < s_actions.size() && s_actions[last].order == s_actions[first].order) {
            explicitTie = explicitTie || s_actions[last].explicitNumber;
            lettersDiffer = lettersDiffer || s_actions[last].letter != s_actions[first].letter;
            ++last;
        }
        for (size_t i = first; last - first > 1 && (explicitTie || lettersDiffer) && i < last; ++i) {
            const Action& a = s_actions[i];
            if (explicitTie && !a.explicitNumber)
                continue;  // named on the explicitly numbered lines
            std::string others;
            for (size_t j = first; j < last; ++j)
                if (j != i)
                    others += (others.empty() ? "" : ", ") + std::to_string(s_actions[j].line);
            Warn(a.line, "order-collision",
                 Format("order %d is also that of line %s: equal numbers run in the sort's "
                        "order, not the log's%s",
                        a.order, others.c_str(),
                        a.status.empty() ? "" : ", and its status lines appear before each"));
        }
        first = last;
    }
}

// ---- output ----

// The caption of every box and of the dialog, and the launcher's question,
// built as the program builds them.
static std::string s_caption, s_question;

static void BuildTexts()
{
    char title[TITLE_BUFFER], caption[TITLE_BUFFER], question[MESSAGE_TEXT_MAX + TITLE_BUFFER];
    CopyText(title, GetMessageText(MSGID_PRODUCT), sizeof title);
    const char* parts[2] = {GetMessageText(MSGID_CAPTION), title};
    FormatText(caption, sizeof caption, "%s %s", parts, 2);
    const char* arg = title;
    FormatText(question, sizeof question, GetMessageText(MSGID_CONFIRM), &arg, 1);
    s_caption = caption;
    s_question = question;
}

static std::string Json(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20 || c >= 0x7F) {
            // ANSI bytes above 127 are given as U+0080 to U+00FF
            out += Format("\\u%04x", c);
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

static void PrintJson(const char* path)
{
    printf("{\n  \"log\": %s,\n  \"caption\": %s,\n  \"question\": %s,\n  \"actions\": [",
           Json(path).c_str(), Json(s_caption).c_str(), Json(s_question).c_str());
    for (size_t i = 0; i < s_actions.size(); ++i) {
        const Action& a = s_actions[i];
        std::string status;
        for (int id : a.status)
            status += (status.empty() ? "" : ", ") + std::to_string(id);
        printf("%s\n    {\"line\": %d, \"order\": %d, \"letter\": %s, \"text\": %s, \"phase\": "
               "\"%s\", \"status\": [%s], \"does\": %s, \"silent\": %s}",
               i ? "," : "", a.line, a.order, Json(std::string(1, a.letter)).c_str(),
               Json(a.rest).c_str(), BeforeDialog(a) ? "before-dialog" : "dialog",
               status.c_str(), Json(a.does).c_str(), Json(a.silent).c_str());
    }
    printf("\n  ],\n  \"end_status\": [%d, %d],\n  \"messages\": [", MSGID_STATUS_END, MSGID_DONE);
    for (int i = 0; i < g_messages.count; ++i)
        printf("%s\n    {\"id\": %d, \"text\": %s}", i ? "," : "", g_messages.ids[i],
               Json(g_messages.texts[i]).c_str());
    printf("\n  ],\n  \"dropped\": [");
    for (size_t i = 0; i < s_dropped.size(); ++i)
        printf("%s\n    {\"line\": %d, \"reason\": %s}", i ? "," : "", s_dropped[i].line,
               Json(s_dropped[i].reason).c_str());
    printf("\n  ],\n  \"warnings\": [");
    for (size_t i = 0; i < s_warnings.size(); ++i)
        printf("%s\n    {\"line\": %d, \"code\": %s, \"message\": %s}", i ? "," : "",
               s_warnings[i].line, Json(s_warnings[i].code).c_str(),
               Json(s_warnings[i].text).c_str());
    printf("\n  ]\n}\n");
}

static void PrintStatus(int id)
{
    char text[MESSAGE_TEXT_MAX + 64];
    const char* arg = "(the running copy's path)";
    // message 47 is formatted with the path, as the dialog does; the others
    // are shown as they are
    if (id == MSGID_DONE)
        FormatText(text, sizeof text, GetMessageText(id), &arg, 1);
    else
        CopyText(text, GetMessageText(id), sizeof text);
    printf("                          status %d: %s\n", id, text);
}

static void PrintText(const char* path)
{
    printf("Plan of %s: %zu action%s, %d message%s\n", path, s_actions.size(),
           s_actions.size() == 1 ? "" : "s", g_messages.count, g_messages.count == 1 ? "" : "s");
    printf("\nCaption: %s\nQuestion (message %d): %s\n", s_caption.c_str(), MSGID_CONFIRM,
           s_question.c_str());
    bool dialog = false;
    for (const Action& a : s_actions) {
        if (&a == &s_actions.front() && BeforeDialog(a))
            printf("\nBefore the dialog:\n");
        if (!BeforeDialog(a) && !dialog) {
            printf("\nIn the dialog:\n");
            dialog = true;
        }
        for (int id : a.status)
            PrintStatus(id);
        printf("  line %5d  order %5d  %c  %s\n", a.line, a.order, a.letter, a.does.c_str());
        if (!a.silent.empty())
            printf("                          silent: %s\n", a.silent.c_str());
    }
    if (!dialog)
        printf("\nIn the dialog:\n");
    PrintStatus(MSGID_STATUS_END);
    PrintStatus(MSGID_DONE);

    printf("\nMessages:\n");
    for (int i = 0; i < g_messages.count; ++i)
        printf("  %4d  %s\n", g_messages.ids[i], g_messages.texts[i]);
    if (!s_dropped.empty()) {
        printf("\nDropped lines:\n");
        for (const Dropped& d : s_dropped)
            printf("  line %d: %s\n", d.line, d.reason.c_str());
    }
    printf("\n");
    for (const Note& w : s_warnings) {
        if (w.line)
            printf("%s:%d: warning [%s]: %s\n", path, w.line, w.code.c_str(), w.text.c_str());
        else
            printf("%s: warning [%s]: %s\n", path, w.code.c_str(), w.text.c_str());
    }
    printf("%zu warning%s\n", s_warnings.size(), s_warnings.size() == 1 ? "" : "s");
}

static int Usage()
{
    fprintf(stderr,
            "usage: unins-check [--json] [--protect FOLDER]... LOG\n"
            "Shows what the uninstaller will do with LOG, in run order, and warns of\n"
            "mistakes. Exit code 0: no warnings, 1: warnings, 2: LOG cannot be read.\n");
    return 2;
}

int main(int argc, char** argv)
{
    bool json = false;
    const char* path = 0;
    for (int i = 1; i < argc; ++i) {
        if (!strcmp(argv[i], "--json"))
            json = true;
        else if (!strcmp(argv[i], "--protect") && i + 1 < argc)
            s_protectExtra.push_back(argv[++i]);
        else if (argv[i][0] == '-' && argv[i][1])
            return Usage();
        else if (!path)
            path = argv[i];
        else
            return Usage();
    }
    if (!path)
        return Usage();

    FILE* file = fopen(path, "rb");
    if (!file) {
        fprintf(stderr, "unins-check: cannot read %s\n", path);
        return 2;
    }
    char chunk[65536];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0)
        s_raw.append(chunk, got);
    bool failed = ferror(file) != 0;
    fclose(file);
    if (failed) {
        fprintf(stderr, "unins-check: cannot read %s\n", path);
        return 2;
    }
    s_starts.push_back(0);
    for (size_t i = 0; i < s_raw.size(); ++i)
        if (s_raw[i] == '\n' || (s_raw[i] == '\r' && (i + 1 == s_raw.size() || s_raw[i + 1] != '\n')))
            if (i + 1 < s_raw.size())
                s_starts.push_back(i + 1);

    // the removal stage's reading: the launcher keeps the same messages
    if (!NameSetCreate(&g_logLines, LOG_LINE_ROOM)) {
        fprintf(stderr, "unins-check: out of memory\n");
        return 2;
    }
    g_loadObserver = OnLoaderNote;
    LoadLog(path, true);
    if (g_logSize != s_raw.size()) {
        fprintf(stderr, "unins-check: cannot read %s\n", path);
        return 2;
    }

    CheckLines();
    BuildPlan();
    CheckActions();
    CheckMessages();
    std::stable_sort(s_warnings.begin(), s_warnings.end(),
                     [](const Note& a, const Note& b) { return a.line < b.line; });

    BuildTexts();
    if (json)
        PrintJson(path);
    else
        PrintText(path);
    return s_warnings.empty() ? 0 : 1;
}
