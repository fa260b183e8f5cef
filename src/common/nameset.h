// A sorted set of text pointers, ordered and compared without regard to case
// under the user's default locale, with no two equal members. The set keeps
// pointers only: the texts must outlive it.
#pragma once
#include "common/platform.h"

struct NameSet {
    const char** items;  // sorted ascending, page memory
    int count;
    int capacity;        // room in items; the set grows when it is full
    int position;        // index the last search ended on
    int span;            // search work field: length of the range still open
};

// Takes page memory for capacity pointers. False when none could be had.
bool NameSetCreate(NameSet* set, int capacity);
void NameSetFree(NameSet* set);

// Binary search (count >= 1): sets position and returns the comparison of
// items[position] with text (CSTR_LESS_THAN, CSTR_EQUAL, CSTR_GREATER_THAN).
int NameSetLocate(NameSet* set, const char* text);

// 1 when text was inserted; 0 when an equal text is present (the set is then
// unchanged), or when no memory could be had to grow the set.
int NameSetInsert(NameSet* set, const char* text);
