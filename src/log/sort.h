// In-place sort of fixed-size records. The order it leaves equal records in
// is part of the program's behaviour: entries with equal order numbers run in
// exactly this order, so the procedure must not change.
#pragma once

typedef int (*CompareProc)(const void* a, const void* b);

// Sorts n records of width bytes at base; nothing happens for n < 2 or width 0.
void SortEntries(void* base, int n, unsigned short width, CompareProc compare);
// Compares the leading 32-bit signed fields of two records: -1, 0 or 1.
int CompareOrder(const void* a, const void* b);
