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
