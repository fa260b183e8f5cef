// The program's limits and the boundaries of its numbering, in one place:
// the program and the log checker both take them from here, so a change of
// one cannot leave the other behind.
#pragma once

// Buffers of paths and titles.
enum { PATH_BUFFER = 512, SCRATCH_BUFFER = 1024, TITLE_BUFFER = 128 };

// The entry and message tables.
enum {
    ENTRY_ROOM = 20000,      // records the entry array has room for
    MAX_ENTRIES = 19999,     // records the loader stores at most
    MESSAGE_ROOM = 1001,     // ids 0 to 1000
    MESSAGE_ID_LAST = 1000,
    MESSAGE_TEXT_MAX = 512,  // lookup buffer: 511 characters and a terminator
    LOG_LINE_ROOM = 20000,   // first size of the log-line set
    NO_MESSAGE = 0xFFFF,
};

// Order numbers: where each group of entries begins.
enum {
    ORDER_DIALOG = 15000,        // entries from here on wait for the progress dialog
    ORDER_FIRST_REGISTRY = 19999,
    ORDER_FIRST_PROFILE = 21001,
    ORDER_FIRST_FILES = 30001,
    ORDER_DROP = 65535,          // a line with this number is dropped
};

// The fields of the entries as the handlers read them. A field longer than
// its buffer makes the handler skip the entry, except a D entry's texts,
// which are passed cut.
enum {
    NUMBER_BUFFER = 64,        // explicit numbers, modes, root codes, counts
    ENTRY_NAME_BUFFER = 64,    // D: the entry point's name
    ARGUMENT_BUFFER = 256,     // D: each text passed
    MAX_ARGUMENTS = 5,         // D: texts passed at most
    VALUE_NAME_BUFFER = 128,   // J: the value name
    KEY_NAME_BUFFER = 256,     // M: the key
    KEY_LIST_BUFFER = 200,     // M: the keys left in a section, read to see if any is
    CODE_MASK = 0xFF,          // modes and root codes count by their low 8 bits
};

// Message ids the program shows.
enum {
    MSGID_PRODUCT = 10,
    MSGID_FINISH = 13,
    MSGID_COPY_FAILED = 36,
    MSGID_STATUS_FILES = 42,
    MSGID_CONFIRM = 43,
    MSGID_DELETE_SELECTED = 44,
    MSGID_DELETE_ALL = 45,
    MSGID_CLOSE = 46,
    MSGID_DONE = 47,
    MSGID_CAPTION = 48,
    MSGID_START_FAILED = 49,
    MSGID_STATUS_END = 50,
    MSGID_ASK_DELETE = 51,
    MSGID_RETRY_DELETE = 52,
    MSGID_LEFTOVER = 53,
    MSGID_STATUS_REGISTRY = 54,
    MSGID_STATUS_PROFILE = 55,
    MSGID_STATUS_FILES2 = 58,
};
