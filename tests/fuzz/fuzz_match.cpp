// The wildcard decision and matching over arbitrary names and patterns, and
// the canonical spelling and protected-folder decision over arbitrary paths.
// The input is split at NUL bytes: a pattern, then names; the same texts are
// taken as paths, the first ones also as protected folders.
#include "guard/guard.h"
#include "actions/match.h"
#include "actions/plan.h"
#include "common/platform_host.h"
#include "common/text.h"

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "fuzz_check.h"

// ASCII names: the wide matcher and the plan agree with the ANSI ones.
static std::u16string Ascii16(const char* text)
{
    std::u16string wide;
    for (; *text; ++text)
        wide += char16_t((unsigned char)*text);
    return wide;
}

static bool IsAscii(const std::string& text)
{
    for (unsigned char c : text)
        if (c >= 0x80)
            return false;
    return true;
}

static void CheckWide(const char* name, const FilePattern& ansi,
                      const std::vector<std::string>& found)
{
    if (!IsAscii(name) || strlen(name) >= PATTERN_PART)
        return;
    std::u16string wideName = Ascii16(name);
    WidePattern wide;
    ParseWidePattern(wideName.c_str(), &wide);
    CHECK(wide.wildcard == ansi.wildcard);
    CHECK(PatternTraitsA(name) == PatternTraitsW(wideName.c_str()));
    for (unsigned flags = 0; flags < 32; ++flags)
        for (int mode = 0; mode < 4; ++mode)
            for (char kind : {'P', 'U'}) {
                int plan = PlanFoundA(kind, mode, flags, name);
                CHECK(plan == PlanFoundW(kind, mode, flags, wideName.c_str()));
                CHECK(plan >= PLAN_PASS && plan <= PLAN_GUARDED_FOLDER);
            }
    for (const std::string& f : found)
        if (IsAscii(f) && f.size() < PATTERN_PART)
            CHECK(PatternMatches(&ansi, f.c_str()) ==
                  WidePatternMatches(&wide, Ascii16(f.c_str()).c_str()));
}

static void CheckPattern(const char* name, const std::vector<std::string>& found)
{
    FilePattern pattern;
    ParsePattern(name, &pattern);
    CHECK(strlen(pattern.base) < PATTERN_PART && strlen(pattern.ext) < PATTERN_PART);
    // the flags follow the name's first character and the one after its last dot
    const char* dot = strrchr(name, '.');
    CHECK(pattern.anyBase == (name[0] == '*'));
    CHECK(pattern.anyExt == (!dot || dot[1] == '*'));
    CHECK(pattern.wildcard == (name[0] == '*' || (dot && dot[1] == '*')));
    for (const std::string& f : found) {
        bool match = PatternMatches(&pattern, f.c_str());
        if (pattern.anyBase && pattern.anyExt)
            CHECK(match);
    }
    // a name within the parts' size matches its own pattern
    if (strlen(name) < PATTERN_PART)
        CHECK(PatternMatches(&pattern, name));
    CheckWide(name, pattern, found);
}

static bool HasDotComponent(const char* path)
{
    std::string p = std::string("\\") + path + "\\";
    return p.find("\\.\\") != std::string::npos || p.find("\\..\\") != std::string::npos;
}

static void CheckCanonical(const char* path)
{
    for (int size : {3, 16, 260, 512}) {
        char* dest = static_cast<char*>(malloc(size));
        if (CanonicalPath(path, dest, size)) {
            size_t length = strlen(dest);
            CHECK(length < size_t(size));
            CHECK(!strchr(dest, '/'));
            CHECK(!HasDotComponent(dest));
            if (dest[0] && dest[1] == ':')
                CHECK(dest[length - 1] != '\\' || length <= 2);
            // rooted: a drive or a share (either slash), as the system gives them
            bool rooted = (path[0] && path[1] == ':') ||
                          ((path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/'));
            bool refused = UsualLayoutRefuses(dest);
            // a root, or anything without one, is always refused
            if (!rooted || (dest[1] == ':' && !dest[2]))
                CHECK(refused);
            // one spelling: a second pass changes nothing
            char* again = static_cast<char*>(malloc(size));
            if (rooted) {
                CHECK(CanonicalPath(dest, again, size));
                CHECK(strcmp(dest, again) == 0);
            }
            free(again);
        }
        free(dest);
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 4096)
        return 0;
    std::string input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t nul = input.find('\0', start);
        parts.push_back(input.substr(start, nul == std::string::npos ? nul : nul - start));
        if (nul == std::string::npos || parts.size() == 16)
            break;
        start = nul + 1;
    }
    std::vector<std::string> found(parts.begin() + 1, parts.end());
    found.push_back(".");
    found.push_back("..");
    CheckPattern(parts[0].c_str(), found);

    // every folder that holds a refused one is refused
    for (size_t i = 0; i < parts.size() && i < 2; ++i) {
        char canonical[512];
        if (parts[i].empty() || !CanonicalPath(parts[i].c_str(), canonical, sizeof canonical) ||
            !UsualLayoutRefuses(canonical))
            continue;
        std::string up = canonical;
        for (size_t cut; (cut = up.rfind('\\')) != std::string::npos && cut > 0;) {
            up.resize(cut);
            if (CanonicalPath(up.c_str(), canonical, sizeof canonical))
                CHECK(UsualLayoutRefuses(canonical));
        }
    }
    for (const std::string& p : parts)
        CheckCanonical(p.c_str());
    return 0;
}
