#include "common/wtext.h"

int WideLength(const WCHAR* text)
{
    int n = 0;
    while (text[n])
        ++n;
    return n;
}

int LastBackslash(const WCHAR* text)
{
    int last = -1;
    for (int i = 0; text[i]; ++i)
        if (text[i] == '\\')
            last = i;
    return last;
}

// Writes head (ASCII) and then text from index skip on; false when it does not fit.
static bool JoinForm(WCHAR* dest, int destSize, const char* head, const WCHAR* text, int skip)
{
    int h = 0;
    while (head[h])
        ++h;
    int length = WideLength(text + skip);
    if (h + length >= destSize)
        return false;
    // the text may lie in dest: move it first, from its end
    for (int i = length; i >= 0; --i)
        dest[h + i] = text[skip + i];
    for (int i = 0; i < h; ++i)
        dest[i] = WCHAR(head[i]);
    return true;
}

static bool IsDrivePath(const WCHAR* p)
{
    return ((p[0] | 0x20) >= 'a' && (p[0] | 0x20) <= 'z') && p[1] == ':' && p[2] == '\\';
}

bool LongPathForm(const WCHAR* full, WCHAR* dest, int destSize)
{
    if (IsDrivePath(full))
        return JoinForm(dest, destSize, "\\\\?\\", full, 0);
    if (full[0] == '\\' && full[1] == '\\' && full[2] != '?' && full[2] != '.' && full[2])
        return JoinForm(dest, destSize, "\\\\?\\UNC\\", full, 2);
    return JoinForm(dest, destSize, "", full, 0);
}

void ShownPathForm(const WCHAR* path, WCHAR* dest, int destSize)
{
    const WCHAR* p = path;
    bool prefixed = p[0] == '\\' && p[1] == '\\' && p[2] == '?' && p[3] == '\\';
    if (prefixed && (p[4] | 0x20) == 'u' && (p[5] | 0x20) == 'n' && (p[6] | 0x20) == 'c' &&
        p[7] == '\\') {
        if (JoinForm(dest, destSize, "\\\\", path, 8))
            return;
    } else if (prefixed && IsDrivePath(p + 4)) {
        if (JoinForm(dest, destSize, "", path, 4))
            return;
    } else if (JoinForm(dest, destSize, "", path, 0)) {
        return;
    }
    dest[0] = 0;
}

bool BuildEntryPath(const char* path, WCHAR* dest, int destSize)
{
    WCHAR wide[ENTRY_PATH_ROOM];
    if (!PlatAnsiToWide(path, wide, ENTRY_PATH_ROOM))
        return false;
    DWORD length = PlatFullPathWide(wide, dest, DWORD(destSize));
    return length && length < DWORD(destSize) && LongPathForm(dest, dest, destSize);
}
