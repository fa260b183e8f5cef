#include "common/bytes.h"

void MoveBytes(void* dest, const void* src, DWORD n)
{
    unsigned char* d = static_cast<unsigned char*>(dest);
    const unsigned char* s = static_cast<const unsigned char*>(src);
    if (d > s && d < s + n) {
        // dest lies inside the source above its start: copy from the top down
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
