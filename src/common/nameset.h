// A sorted set of text pointers, ordered and compared without regard to case
// under the user's default locale, with no two equal members. The set keeps
// pointers only: the texts must outlive it.
#pragma once
#include "common/platform.h"

struct NameSet {
    const char** items;    // the members, sorted ascending, inside storage
    int count;
    int capacity;          // members the set holds before it grows
    int position;          // index the last search ended on
    int span;              // search work field: length of the range still open
    const char** storage;  // page memory for 2 * capacity pointers
    // the order: PlatCompareText unless the owner sets another after creation
    int (*compare)(const char* a, const char* b);
};

// Takes page memory for capacity pointers and as many again, so that an
// insertion can move the members on either side of it. False when none
// could be had.
bool NameSetCreate(NameSet* set, int capacity);
void NameSetFree(NameSet* set);

// Binary search (count >= 1): sets position and returns the comparison of
// items[position] with text (CSTR_LESS_THAN, CSTR_EQUAL, CSTR_GREATER_THAN).
int NameSetLocate(NameSet* set, const char* text);

// 1 when text was inserted; 0 when an equal text is present (the set is then
// unchanged), or when no memory could be had to grow the set.
int NameSetInsert(NameSet* set, const char* text);
