// The simple wildcard patterns of file entries: only a leading asterisk of
// the base name and a leading asterisk of the extension are wildcards, and
// the rest of a starred part is ignored. «*.txt» and «*abc.txt» match every
// .txt name, «readme.*» every name whose base is readme, «*.*» and «*»
// everything. Names are compared without regard to case.
#pragma once
#include "common/platform.h"

enum { PATTERN_PART = 256 };

struct FilePattern {
    char base[PATTERN_PART];
    char ext[PATTERN_PART];
    bool anyBase;
    bool anyExt;
    bool wildcard;  // false: the name goes to the operating system unchanged
};

void ParsePattern(const char* name, FilePattern* pattern);
bool PatternMatches(const FilePattern* pattern, const char* found);

// The same rules on wide names, compared as the system compares names
// (case folded by PlatUpperWide).
struct WidePattern {
    WCHAR base[PATTERN_PART];  // upper-cased
    WCHAR ext[PATTERN_PART];
    bool anyBase;
    bool anyExt;
    bool wildcard;
};

void ParseWidePattern(const WCHAR* name, WidePattern* pattern);
bool WidePatternMatches(const WidePattern* pattern, const WCHAR* found);
