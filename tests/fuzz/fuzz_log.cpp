// Arbitrary bytes as the uninstall log: loaded in both stages from a memory
// file, sorted, every field of every entry read with the buffer sizes its
// handler uses, and the decisions the handlers make before they touch the
// system. Aborts when an entry is not the tail of one whole line of the log
// that holds no NUL byte, when the order is broken, or when the message table
// holds what the log did not define.
#include "actions/actions.h"
#include "guard/guard.h"
#include "actions/match.h"
#include "common/globals.h"
#include "common/message.h"
#include "common/platform_host.h"
#include "common/text.h"
#include "log/log.h"

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

static const char kLogPath[] = "C:\\App\\uninstal.ini";

#include "fuzz_check.h"

// What the Windows build links in from the dialog and the handlers; the
// handlers' decisions are taken below instead.
void RunEntry(char) {}

static bool IsLineEnd(uint8_t c)
{
    return c == '\r' || c == '\n';
}

// Field n of the entry under the cursor into a heap buffer of exactly size
// bytes, as the handler reads it. False when the field did not fit.
static bool ReadSized(int n, int size, std::string* out)
{
    char* buffer = static_cast<char*>(malloc(size));
    bool fits = ReadEntryField(buffer, n, size);
    size_t length = strlen(buffer);
    CHECK(length < size_t(size));
    out->assign(buffer, length);
    free(buffer);
    return fits;
}

// The steps of a file entry before the first file system call: the path's
// folder and pattern, and whether the folder may be walked.
static void CheckFileEntry(bool recursive)
{
    std::string path, field;
    if (!ReadSized(0, PATH_BUFFER, &path))
        return;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    ReadSized(1, 64, &field);
    int mode = ParseNumber(field.c_str()) & 0xFF;
    CHECK(mode >= 0 && mode <= 255);

    char dir[PATH_BUFFER];
    char name[PATH_BUFFER];
    CopyText(dir, path.c_str(), sizeof dir);
    StripLastComponent(dir);
    LastComponent(path.c_str(), name, sizeof name);
    CHECK(strchr(name, '\\') == 0);
    CHECK(strlen(dir) <= path.size());
    CHECK(path.compare(0, strlen(dir), dir) == 0);
    FilePattern pattern;
    ParsePattern(name, &pattern);
    if (TextLength(dir) == 2 && dir[1] == ':')
        AppendText(dir, "\\", sizeof dir);
    char canonical[PATH_BUFFER];
    bool refused = !CanonicalPath(dir, canonical, sizeof canonical) ||
                   UsualLayoutRefuses(canonical);
    if (pattern.wildcard && !refused && TextLength(dir) > 3) {
        char search[PATH_BUFFER];
        JoinPath(search, dir, "*.*", sizeof search);
        CHECK(strlen(search) < sizeof search);
        // the entries a listing of the folder gives, the named one among them
        const char* found[] = {".", "..", name, "a.txt", "README", "x.tmp.bak"};
        for (const char* f : found) {
            PatternMatches(&pattern, f);
            if (TextLength(dir) + 1 + TextLength(f) >= PATH_BUFFER)
                continue;
            char full[PATH_BUFFER];
            JoinPath(full, dir, f, sizeof full);
            if (recursive && TextLength(full) + 4 < PATH_BUFFER) {
                JoinPath(search, full, "\\*.*", sizeof search);
                CHECK(strlen(search) < sizeof search);
            }
            if (!recursive && mode == 1)
                ShowMessage(MSG_QUESTION, GetMessageText(MSGID_ASK_DELETE), full);
        }
    }
    ShowMessage(MSG_QUESTION, GetMessageText(MSGID_RETRY_DELETE), path.c_str());
}

static void CheckHandlers()
{
    std::string a, b, c;
    for (ResetCursor(); g_cursor <= g_lastEntry; ++g_cursor) {
        switch (g_cursor->text[0]) {
        case 'D': {
            if (!ReadSized(0, PATH_BUFFER, &a) || !ReadSized(1, 64, &b))
                break;
            ReadSized(2, 64, &c);
            int count = ParseNumber(c.c_str());
            if (count >= 0 && count <= 5)
                for (int i = 0; i < count; ++i)
                    ReadSized(3 + i, 256, &a);
            break;
        }
        case 'E':
            if (ReadSized(0, PATH_BUFFER, &a))
                ShowMessage(MSG_QUESTION, GetMessageText(MSGID_START_FAILED), a.c_str());
            break;
        case 'J': {
            ReadSized(0, PATH_BUFFER, &a);
            int code = ParseNumber(a.c_str()) & 0xFF;
            if (code > 3 || !ReadSized(1, PATH_BUFFER, &b) || !ReadSized(2, 128, &c))
                break;
            if (c.empty()) {
                size_t rest = b.find_first_not_of('\\');
                CHECK(rest == std::string::npos || b[rest]);
            } else {
                SameText(c.c_str(), "default");
            }
            break;
        }
        case 'K':
            ReadSized(0, PATH_BUFFER, &a);
            break;
        case 'M':
            if (ReadSized(0, PATH_BUFFER, &a) && ReadSized(1, PATH_BUFFER, &b))
                ReadSized(2, 256, &c);
            break;
        case 'P':
            CheckFileEntry(false);
            break;
        case 'U':
            CheckFileEntry(true);
            break;
        default:
            break;
        }
    }
}

// Every entry is the tail of one whole line of the log (a line with a line
// end after it) that holds no NUL byte, starting where the number ended.
static void CheckEntries(const uint8_t* data, size_t size, bool removal)
{
    CHECK(g_entryCount >= 0 && g_entryCount <= MAX_ENTRIES);
    if (!removal)
        CHECK(g_entryCount == 0);
    for (int i = 0; i < g_entryCount; ++i) {
        const ActionEntry& e = g_entries[i];
        CHECK(e.order > MESSAGE_ID_LAST && e.order != ORDER_DROP);
        if (i)
            CHECK(g_entries[i - 1].order <= e.order);
        CHECK(e.text >= g_logBuffer && e.text < g_logBuffer + g_logSize);
        size_t at = size_t(e.text - g_logBuffer);
        size_t start = at;
        while (start > 0 && !IsLineEnd(data[start - 1]))
            --start;
        size_t end = at;
        while (end < size && !IsLineEnd(data[end]))
            ++end;
        CHECK(end < size);
        CHECK(memchr(data + start, 0, end - start) == 0);
        CHECK(strlen(e.text) == end - at);
        CHECK(e.text[0] == char(data[start]));
        CHECK(!(data[start] >= '0' && data[start] <= '9'));
        CHECK(data[start + 1] >= '0' && data[start + 1] <= '9');
        CHECK(memcmp(e.text + 1, data + at + 1, end - at - 1) == 0);
    }
}

static void CheckMessages()
{
    CHECK(g_messages.count >= 0 && g_messages.count <= MESSAGE_ROOM);
    for (int i = 0; i < g_messages.count; ++i) {
        CHECK(g_messages.ids[i] <= MESSAGE_ID_LAST);
        CHECK(FindMessage(g_messages.ids[i]) == i);
        const char* text = g_messages.texts[i];
        CHECK(text > g_logBuffer && text <= g_logBuffer + g_logSize);
    }
    for (int id = 0; id <= MESSAGE_ID_LAST; ++id)
        CHECK(strlen(GetMessageText(id)) < MESSAGE_TEXT_MAX);
    // the product title and the caption, as start-up builds them
    CopyText(g_productTitle, GetMessageText(MSGID_PRODUCT), sizeof g_productTitle);
    const char* parts[2] = {GetMessageText(MSGID_CAPTION), g_productTitle};
    FormatText(g_caption, sizeof g_caption, "%s %s", parts, 2);
    CHECK(strlen(g_caption) < sizeof g_caption);
    ShowMessage(MSG_QUESTION, GetMessageText(MSGID_CONFIRM), g_productTitle);
    ShowMessage(MSG_QUESTION, GetMessageText(MSGID_COPY_FAILED), g_programPath, kLogPath);
    const char* program[1] = {g_programPath};
    static char done[SCRATCH_BUFFER];  // as the dialog formats the last status line
    FormatText(done, sizeof done, GetMessageText(MSGID_DONE), program, 1);
    CHECK(strlen(done) < sizeof done);
}

static void Load(const uint8_t* data, size_t size, bool removal, DWORD claimed)
{
    HostSetMemoryFile(kLogPath, data, DWORD(size), claimed);
    if (!NameSetCreate(&g_logLines, LOG_LINE_ROOM))
        abort();
    LoadLog(kLogPath, removal);
    CHECK(g_logSize == size);
    CHECK(g_logBuffer[g_logSize] == 0);
    CheckEntries(data, size, removal);
    CheckMessages();
    if (removal)
        CheckHandlers();
    FreeLog();
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    CopyText(g_programPath, "C:\\Users\\root\\Temp\\unins.exe", sizeof g_programPath);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1 << 20))
        return 0;
    HostResetMessageBoxes();
    // the launcher stage over a read that comes out short, then the removal stage
    Load(data, size, false, DWORD(size) + 16);
    Load(data, size, true, DWORD(size));
    HostSetMemoryFile(0, 0, 0, 0);
    return 0;
}
