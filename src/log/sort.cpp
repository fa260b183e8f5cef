#include "log/sort.h"
#include "common/bytes.h"

// Quicksort without recursion: the middle record is the pivot, the smaller
// part is sorted first and the larger one waits on a stack, so the stack
// never holds more than log2(n) ranges.
void SortEntries(void* base, int n, unsigned short width, CompareProc compare)
{
    if (n < 2 || width == 0)
        return;

    enum { STACK_ROOM = 32 };  // enough for any 31-bit count
    char* pendingLo[STACK_ROOM];
    char* pendingHi[STACK_ROOM];
    int pending = 0;

    char* lo = static_cast<char*>(base);
    char* hi = lo + (n - 1) * width;
    for (;;) {
        int k = int((hi - lo) / width);
        SwapBytes(lo + ((k + 1) / 2) * width, lo, width);

        char* i = lo;
        char* j = hi + width;
        for (;;) {
            do
                i += width;
            while (i <= hi && compare(i, lo) < 0);
            do
                j -= width;
            while (j > lo && compare(j, lo) > 0);
            if (j < i)
                break;
            SwapBytes(i, j, width);
        }
        SwapBytes(lo, j, width);

        if (j - lo <= hi - i) {
            if (i < hi) {
                pendingLo[pending] = i;
                pendingHi[pending++] = hi;
            }
            if (lo + width < j) {
                hi = j - width;
                continue;
            }
        } else {
            if (lo + width < j) {
                pendingLo[pending] = lo;
                pendingHi[pending++] = j - width;
            }
            if (i < hi) {
                lo = i;
                continue;
            }
        }
        if (pending == 0)
            return;
        --pending;
        lo = pendingLo[pending];
        hi = pendingHi[pending];
    }
}

int CompareOrder(const void* a, const void* b)
{
    int x = *static_cast<const int*>(a);
    int y = *static_cast<const int*>(b);
    return x < y ? -1 : x > y ? 1 : 0;
}
