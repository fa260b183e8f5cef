#include "common/bytes.h"

#include <stdint.h>

// A word that may alias any other type: MoveBytes moves arrays of pointers.
typedef uintptr_t __attribute__((may_alias)) Word;

void MoveBytes(void* dest, const void* src, DWORD n)
{
    unsigned char* d = static_cast<unsigned char*>(dest);
    const unsigned char* s = static_cast<const unsigned char*>(src);
    // dest inside the source above its start: copy from the top down
    bool down = d > s && d < s + n;
    if ((uintptr_t(d) | uintptr_t(s) | n) % sizeof(Word) == 0) {
        // whole words, as the name set moves its pointers
        Word* dw = reinterpret_cast<Word*>(d);
        const Word* sw = reinterpret_cast<const Word*>(s);
        DWORD words = n / sizeof(Word);
        if (down) {
            while (words) {
                --words;
                dw[words] = sw[words];
            }
        } else {
            for (DWORD i = 0; i < words; ++i)
                dw[i] = sw[i];
        }
    } else if (down) {
        while (n) {
            --n;
            d[n] = s[n];
        }
    } else {
        for (DWORD i = 0; i < n; ++i)
            d[i] = s[i];
    }
}

void ZeroBytes(void* dest, DWORD n)
{
    volatile unsigned char* d = static_cast<unsigned char*>(dest);
    for (DWORD i = 0; i < n; ++i)
        d[i] = 0;
}

void SwapBytes(void* a, void* b, DWORD n)
{
    if (a == b)
        return;
    unsigned char* x = static_cast<unsigned char*>(a);
    unsigned char* y = static_cast<unsigned char*>(b);
    for (DWORD i = 0; i < n; ++i) {
        unsigned char t = x[i];
        x[i] = y[i];
        y[i] = t;
    }
}

#ifdef _WIN32
// Without a C runtime the compiler's own block moves and fills still call
// these names; they are ours.
extern "C" void* memcpy(void* dest, const void* src, size_t n)
{
    MoveBytes(dest, src, (DWORD)n);
    return dest;
}

extern "C" void* memmove(void* dest, const void* src, size_t n)
{
    MoveBytes(dest, src, (DWORD)n);
    return dest;
}

extern "C" void* memset(void* dest, int value, size_t n)
{
    volatile unsigned char* d = static_cast<unsigned char*>(dest);
    for (size_t i = 0; i < n; ++i)
        d[i] = (unsigned char)value;
    return dest;
}
#endif
