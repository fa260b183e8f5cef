#include "log/log.h"
#include "common/bytes.h"
#include "common/files.h"
#include "common/message.h"
#include "common/text.h"
#include "log/sort.h"

char* g_logBuffer;
DWORD g_logSize;
ActionEntry* g_entries;
int g_entryCount;
MessageTable g_messages;
NameSet g_logLines;
int g_counters[COUNTER_COUNT];

static char s_lookup[MESSAGE_TEXT_MAX];
#ifdef UNINS_LOAD_OBSERVER
LoadObserver g_loadObserver;
#endif

// The n-th new line of a numbered letter gets base + step * n.
static int AutomaticNumber(char letter)
{
    static const struct {
        char letter;
        int base;
        int step;
    } numbering[COUNTER_COUNT] = {
        {'D', 5000, 1},  {'E', 7000, 1},  {'J', 20000, -1}, {'K', 20000, 1},
        {'M', 21000, 1}, {'P', 30000, 1}, {'U', 65000, -1},
    };
    for (int i = 0; i < COUNTER_COUNT; ++i) {
        if (numbering[i].letter == letter) {
            ++g_counters[i];
            return numbering[i].base + numbering[i].step * g_counters[i];
        }
    }
    return 0;
}

int ReadExplicitNumber(const char* line, int* end)
{
    char number[NUMBER_BUFFER];
    int at = 1;
    int length = 0;
    for (; line[at] && line[at] != ','; ++at)
        if (length < NUMBER_BUFFER - 1)
            number[length++] = line[at];
    number[length] = 0;
    *end = at;
    return ParseNumber(number);
}

int AssignOrder(char** line, bool removalStage)
{
    char* text = *line;
    char letter = text[0];
    int end;
    int explicitNumber = ReadExplicitNumber(text, &end);

    // The entry text is the letter followed by the rest after the comma. A
    // line without a comma has no rest: the letter takes the number's last
    // character, so that the entry text ends with the line.
    char* entry = text[end] == ',' ? text + end : text + end - 1;
    entry[0] = letter;
    *line = entry;

    int automatic;
    if (!removalStage)
        automatic = ORDER_DROP;
    else if (letter == 'A')
        automatic = 0;
    else if (!NameSetInsert(&g_logLines, entry))
        automatic = 0;  // the same line again: it becomes message 0, which nobody shows
    else
        automatic = AutomaticNumber(letter);

    if (automatic == ORDER_DROP && explicitNumber > MESSAGE_ID_LAST)
        return ORDER_DROP;
    return explicitNumber ? explicitNumber : automatic;
}

int FindMessage(int id)
{
    for (int i = 0; i < g_messages.count; ++i)
        if (g_messages.ids[i] == (unsigned short)id)
            return i;
    return NO_MESSAGE;
}

const char* GetMessageText(int id)
{
    s_lookup[0] = 0;
    int index = FindMessage(id);
    if (index != NO_MESSAGE)
        CopyText(s_lookup, g_messages.texts[index], sizeof s_lookup);
    return s_lookup;
}

static void AddLine(char* line, bool removalStage)
{
    if (!line[0] || IsDigit(line[0]) || !IsDigit(line[1])) {
        LOAD_NOTE(line, LOAD_NOT_ENTRY);
        return;
    }
#ifdef UNINS_LOAD_OBSERVER
    const char* start = line;
#endif
    int order = AssignOrder(&line, removalStage);
    if (order == ORDER_DROP || order < 0) {
        LOAD_NOTE(start, LOAD_DROP_NUMBER);
        return;  // negative: a number too large for 32 bits, no message id
    }
    if (order > MESSAGE_ID_LAST) {
        if (g_entryCount >= MAX_ENTRIES) {
            LOAD_NOTE(start, LOAD_BEYOND_LIMIT);
            return;
        }
        g_entries[g_entryCount].order = order;
        g_entries[g_entryCount].text = line;
        ++g_entryCount;
        return;
    }
    if (order == 0)
        LOAD_NOTE(start, LOAD_MESSAGE_ZERO);
    int index = FindMessage(order);
    if (index == NO_MESSAGE) {
        if (g_messages.count >= MESSAGE_ROOM)
            return;
        index = g_messages.count++;
        g_messages.ids[index] = (unsigned short)order;
    }
    g_messages.texts[index] = line + 1;
}

void LoadLog(const char* path, bool removalStage)
{
    DWORD size = 0;
    HANDLE file = OpenForRead(path, &size);
    // no log: the product is not installed; one that will not open is an error
    if (file == INVALID_HANDLE_VALUE)
        ShowMessage(FileExists(path) ? MSG_FATAL : MSG_FATAL | MSG_NOT_INSTALLED,
                    "Can't open uninstal log file %s!", path);

    g_logBuffer = static_cast<char*>(AllocPages(size + 1));
    g_entries = static_cast<ActionEntry*>(AllocPages(ENTRY_ROOM * sizeof(ActionEntry)));
    g_messages.texts = static_cast<const char**>(AllocPages(MESSAGE_ROOM * sizeof(char*)));
    if (!g_logBuffer || !g_entries || !g_messages.texts)
        ShowMessage(MSG_FATAL, NO_MEMORY_FORMAT, path);
    g_logSize = ReadExact(file, g_logBuffer, size, path);
    PlatCloseFile(file);
    ZeroBytes(g_messages.ids, sizeof g_messages.ids);
    g_messages.count = 0;
    g_entryCount = 0;

    char* p = g_logBuffer;
    char* end = g_logBuffer + g_logSize;
    while (p < end) {
        char* lineEnd = p;
        bool nul = false;
        for (; lineEnd < end && *lineEnd != '\r' && *lineEnd != '\n'; ++lineEnd)
            nul |= !*lineEnd;
        if (lineEnd == end) {
            LOAD_NOTE(p, LOAD_NO_LINE_END);
            break;  // a last line without a line end is not taken
        }
        char* next = lineEnd;
        while (next < end && (*next == '\r' || *next == '\n'))
            *next++ = 0;
        // a NUL byte would cut the line short: the cut path or mode would
        // name what the log does not, so such a line is no entry
        if (!nul)
            AddLine(p, removalStage);
        else
            LOAD_NOTE(p, LOAD_NUL_BYTE);
        p = next;
    }

    if (removalStage)
        SortEntries(g_entries, g_entryCount, sizeof(ActionEntry), CompareOrder);
}

void FreeLog()
{
    NameSetFree(&g_logLines);
    FreePages(&g_logBuffer);
    FreePages(&g_entries);
    FreePages(&g_messages.texts);
    g_logSize = 0;
    g_entryCount = 0;
    g_messages.count = 0;
    ZeroBytes(g_messages.ids, sizeof g_messages.ids);
    ZeroBytes(g_counters, sizeof g_counters);
}
