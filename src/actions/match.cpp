#include "actions/match.h"
#include "common/text.h"

void ParsePattern(const char* name, FilePattern* pattern)
{
    int dot = SplitExtension(name, pattern->base, pattern->ext, PATTERN_PART);
    bool starredExt = dot >= 0 && name[dot + 1] == '*';
    pattern->anyBase = name[0] == '*';
    pattern->anyExt = dot < 0 || starredExt;
    pattern->wildcard = pattern->anyBase || starredExt;
}

bool PatternMatches(const FilePattern* pattern, const char* found)
{
    char base[PATTERN_PART];
    char ext[PATTERN_PART];
    SplitExtension(found, base, ext, PATTERN_PART);
    return (pattern->anyBase || SameText(base, pattern->base)) &&
           (pattern->anyExt || SameText(ext, pattern->ext));
}

// name cut to the room of a pattern, upper-cased; returns the last dot's index or -1
static int FoldName(const WCHAR* name, WCHAR* dest, int* length)
{
    int n = 0;
    int dot = -1;
    for (; name[n] && n < 2 * PATTERN_PART - 1; ++n) {
        dest[n] = name[n];
        if (name[n] == '.')
            dot = n;
    }
    dest[n] = 0;
    PlatUpperWide(dest, n);
    *length = n;
    return dot;
}

// text of length characters equals part
static bool SamePart(const WCHAR* text, int length, const WCHAR* part)
{
    for (int i = 0; i < length; ++i)
        if (text[i] != part[i])
            return false;
    return part[length] == 0;
}

static void CopyPart(WCHAR* dest, const WCHAR* text, int length)
{
    if (length > PATTERN_PART - 1)
        length = PATTERN_PART - 1;
    for (int i = 0; i < length; ++i)
        dest[i] = text[i];
    dest[length] = 0;
}

void ParseWidePattern(const WCHAR* name, WidePattern* pattern)
{
    WCHAR folded[2 * PATTERN_PART];
    int length;
    int dot = FoldName(name, folded, &length);
    int baseLength = dot < 0 ? length : dot;
    CopyPart(pattern->base, folded, baseLength);
    CopyPart(pattern->ext, folded + baseLength + (dot >= 0), length - baseLength - (dot >= 0));
    bool starredExt = dot >= 0 && folded[dot + 1] == '*';
    pattern->anyBase = folded[0] == '*';
    pattern->anyExt = dot < 0 || starredExt;
    pattern->wildcard = pattern->anyBase || starredExt;
}

bool WidePatternMatches(const WidePattern* pattern, const WCHAR* found)
{
    WCHAR folded[2 * PATTERN_PART];
    int length;
    int dot = FoldName(found, folded, &length);
    int baseLength = dot < 0 ? length : dot;
    int extAt = baseLength + (dot >= 0);
    return (pattern->anyBase || SamePart(folded, baseLength, pattern->base)) &&
           (pattern->anyExt || SamePart(folded + extAt, length - extAt, pattern->ext));
}
