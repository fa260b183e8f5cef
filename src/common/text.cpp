#include "common/text.h"

int TextLength(const char* text)
{
    int n = 0;
    while (text[n])
        ++n;
    return n;
}

void CopyText(char* dest, const char* src, int destSize)
{
    if (destSize <= 0)
        return;
    int i = 0;
    for (; i < destSize - 1 && src[i]; ++i)
        dest[i] = src[i];
    dest[i] = 0;
}

void AppendText(char* dest, const char* src, int destSize)
{
    int used = 0;
    while (used < destSize && dest[used])
        ++used;
    if (used < destSize)
        CopyText(dest + used, src, destSize - used);
}

const char* NextChar(const char* p)
{
    return p + (PlatIsLeadByte(*p) && p[1] ? 2 : 1);
}

int FindLastChar(const char* text, char c)
{
    int last = -1;
    for (const char* p = text; *p; p = NextChar(p))
        if (*p == c)
            last = int(p - text);
    return last;
}

void UseBackslashes(char* path)
{
    for (char* p = path; *p; p = const_cast<char*>(NextChar(p)))
        if (*p == '/')
            *p = '\\';
}

int CopyField(char* dest, const char* text, int n, int destSize)
{
    // Quotes toggle from the very start of the text, also in earlier fields.
    bool quoted = false;
    int separators = 0;
    const char* start = text;
    const char* p = text;
    for (; *p; p = NextChar(p)) {
        if (*p == '"') {
            quoted = !quoted;
        } else if (*p == ',' && !quoted) {
            if (separators == n)
                break;
            if (++separators == n)
                start = p + 1;
        }
    }
    if (separators < n)
        start = text;  // fewer than n separators: the whole text is the field
    int length = int(p - start);
    CopyText(dest, start, length < destSize ? length + 1 : destSize);
    return length;
}

char* GetField(char* dest, const char* text, int n, int destSize)
{
    CopyField(dest, text, n, destSize);
    return dest;
}

char* JoinPath(char* dest, const char* dir, const char* name, int destSize)
{
    // Built aside first so that dest may be one of the inputs.
    char joined[PLAT_FORMAT_MAX];
    CopyText(joined, dir, sizeof joined);
    int slash = FindLastChar(joined, '\\');
    if (slash < 0 || joined[slash + 1])
        AppendText(joined, "\\", sizeof joined);
    AppendText(joined, name[0] == '\\' ? name + 1 : name, sizeof joined);
    CopyText(dest, joined, destSize);
    return dest;
}

void StripLastComponent(char* path)
{
    // a backslash in the first place does not count
    int i = FindLastChar(path, '\\');
    path[i >= 1 ? i : 0] = 0;
}

void CutTrailingBackslash(char* path)
{
    int i = FindLastChar(path, '\\');
    if (i >= 0 && !path[i + 1])
        path[i] = 0;
}

void LastComponent(const char* path, char* dest, int destSize)
{
    CopyText(dest, path + FindLastChar(path, '\\') + 1, destSize);
}

int SplitExtension(const char* name, char* base, char* ext, int partSize)
{
    int dot = FindLastChar(name, '.');
    if (dot < 0) {
        CopyText(base, name, partSize);
        CopyText(ext, "", partSize);
        return -1;
    }
    // the base is the text before the dot, cut to the buffer
    int baseLength = dot < partSize - 1 ? dot : partSize - 1;
    if (partSize > 0) {
        for (int i = 0; i < baseLength; ++i)
            base[i] = name[i];
        base[baseLength] = 0;
    }
    CopyText(ext, name + dot + 1, partSize);
    return dot;
}

int ParseNumber(const char* text)
{
    enum { NUMBER_TEXT_MAX = 63 };
    int i = 0;
    bool negative = false;
    if (text[0] == '-') {
        negative = true;
        i = 1;
    }
    unsigned value = 0;  // unsigned: wraps around like the 32-bit original
    for (; i < NUMBER_TEXT_MAX && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10 + unsigned(text[i] - '0');
    if (negative)
        value = 0u - value;
    return int(value);
}

bool SameText(const char* a, const char* b)
{
    return PlatCompareText(a, b) == CSTR_EQUAL;
}

// Appends count bytes of text to out at *used if they fit whole.
static bool PutRun(char* out, int* used, const char* text, int count)
{
    if (*used + count > PLAT_FORMAT_MAX - 1)
        return false;
    for (int i = 0; i < count; ++i)
        out[(*used)++] = text[i];
    out[*used] = 0;
    return true;
}

const char* ScanConversion(const char* p)
{
    const char* q = p + 1;
    while (*q == '-' || *q == '#' || *q == '0')
        ++q;
    while (IsDigit(*q))
        ++q;
    if (*q == '.') {
        ++q;
        while (IsDigit(*q))
            ++q;
    }
    return q;
}

void FormatText(char* dest, int destSize, const char* format,
                const char* const* args, int argCount)
{
    enum { FORMAT_ARGS = 4 };
    if (argCount > FORMAT_ARGS)
        argCount = FORMAT_ARGS;

    // Rewrite the format so that it consumes at most argCount texts: every
    // conversion that is not a plain %s for a passed argument is escaped.
    char safe[PLAT_FORMAT_MAX];
    int used = 0;
    int taken = 0;
    safe[0] = 0;
    const char* p = format;
    while (*p) {
        if (*p != '%') {
            if (!PutRun(safe, &used, p, 1))
                break;
            ++p;
            continue;
        }
        if (p[1] == '%') {
            if (!PutRun(safe, &used, "%%", 2))
                break;
            p += 2;
            continue;
        }
        const char* q = ScanConversion(p);
        if (*q == 's' && taken < argCount) {
            if (!PutRun(safe, &used, p, int(q + 1 - p)))
                break;
            ++taken;
            p = q + 1;
        } else {
            // shown as written: the percent sign doubled, the rest as text
            if (!PutRun(safe, &used, "%%", 2))
                break;
            ++p;
        }
    }

    const char* a[FORMAT_ARGS];
    for (int i = 0; i < FORMAT_ARGS; ++i)
        a[i] = (i < argCount && args[i]) ? args[i] : "";
    char out[PLAT_FORMAT_MAX];
    PlatFormat(out, safe, a[0], a[1], a[2], a[3]);
    CopyText(dest, out, destSize);
}
