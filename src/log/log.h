// The uninstall log: reading it, numbering its entries, and its messages.
#pragma once
#include "common/limits.h"
#include "common/platform.h"
#include "common/nameset.h"

// One action of the log. text is the type letter followed by the fields,
// pointing into the log buffer.
struct ActionEntry {
    int order;
    char* text;
};

struct MessageTable {
    unsigned short ids[MESSAGE_ROOM];
    const char** texts;  // page memory, MESSAGE_ROOM pointers into the log buffer
    int count;
};

// Letters numbered automatically, in the order of g_counters.
enum { COUNT_D, COUNT_E, COUNT_J, COUNT_K, COUNT_M, COUNT_P, COUNT_U, COUNTER_COUNT };

extern char* g_logBuffer;        // the whole file and a zero byte
extern DWORD g_logSize;
extern ActionEntry* g_entries;   // page memory, ENTRY_ROOM records
extern int g_entryCount;
extern MessageTable g_messages;
extern NameSet g_logLines;       // entry texts seen so far (removal stage)
extern int g_counters[COUNTER_COUNT];

// Builds that are not shipped (the host build, the log checker) can watch
// the loader: it reports each line it ignores or drops, with the line's
// start in the log buffer (a line numbered 0 is kept as message 0, which
// nothing shows: it counts as dropped). The shipped program compiles none
// of this.
enum {
    LOAD_NOT_ENTRY = 1,    // first character a digit, or second not a digit
    LOAD_DROP_NUMBER,      // numbered 65535, or a number that wrapped negative
    LOAD_MESSAGE_ZERO,     // numbered 0: a duplicate, or a letter never numbered
    LOAD_BEYOND_LIMIT,     // the entry array already holds MAX_ENTRIES
    LOAD_NO_LINE_END,      // the last line has no line end
    LOAD_NUL_BYTE,         // a NUL byte inside the line
};
#ifdef UNINS_LOAD_OBSERVER
typedef void (*LoadObserver)(const char* line, int reason);
extern LoadObserver g_loadObserver;  // null: nobody watches
#define LOAD_NOTE(line, reason) \
    (g_loadObserver ? g_loadObserver(line, reason) : (void)0)
#else
#define LOAD_NOTE(line, reason) ((void)0)
#endif

// Reads the log and fills the tables. In the launcher stage only messages are
// kept; in the removal stage the actions are numbered and sorted by order.
// A log that cannot be opened ends the process with an error box. The
// log-line set must have been created (NameSetCreate) beforehand.
void LoadLog(const char* path, bool removalStage);

// Numbers one entry line (first character not a digit, second a digit),
// rewrites it in place so that *line points at the entry text (the letter
// followed by the rest after the first comma), and returns the order number:
// a message id (0 to 1000), an order number (1001 and up) or ORDER_DROP.
int AssignOrder(char** line, bool removalStage);
// The explicit number of an entry line: its characters from the second up
// to the first comma (the first NUMBER_BUFFER - 1 of them) read as a number,
// 0 for none. end receives the index of that comma or of the line's end.
int ReadExplicitNumber(const char* line, int* end);

// Index of id in the message table, or NO_MESSAGE.
int FindMessage(int id);
// The message's text in the shared lookup buffer (cut to 511 characters),
// empty for an id the log does not define. Overwritten by the next call.
const char* GetMessageText(int id);

// Frees the log-line set, the log buffer, the entry array and the message
// texts, in this order, and forgets the numbering; another log can then be
// loaded after the log-line set is created again.
void FreeLog();
