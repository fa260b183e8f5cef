#include "actions/plan.h"
#include "common/text.h"

// c is the character at index i of the name
static unsigned TraitOf(unsigned c, int i, unsigned* plain)
{
    if (c == '<' || c == '>' || c == '"')
        return PATTERN_DAMAGED;
    if (c == '*' || c == '?') {
        *plain = 0;
        return PATTERN_SYSTEM | (i == 0 && c == '*' ? PATTERN_OURS : 0);
    }
    if (c == '.')
        *plain = 0;
    else if (*plain && i == 2)
        return PATTERN_NARROW;
    return 0;
}

// The last dot followed by an asterisk: a starred extension.
static unsigned StarredExtension(int lastDot, unsigned after)
{
    return lastDot >= 0 && after == '*' ? PATTERN_OURS : 0;
}

unsigned PatternTraitsA(const char* name)
{
    unsigned traits = 0;
    unsigned plain = 1;
    int lastDot = -1;
    const char* dotAt = 0;
    int i = 0;
    for (const char* p = name; *p; p = NextChar(p), ++i) {
        traits |= TraitOf((unsigned char)*p, i, &plain);
        if (*p == '.')
            lastDot = i, dotAt = p;
    }
    return traits | StarredExtension(lastDot, dotAt ? (unsigned char)dotAt[1] : 0);
}

unsigned PatternTraitsW(const WCHAR* name)
{
    unsigned traits = 0;
    unsigned plain = 1;
    int lastDot = -1;
    int i = 0;
    for (; name[i]; ++i) {
        traits |= TraitOf(name[i], i, &plain);
        if (name[i] == '.')
            lastDot = i;
    }
    return traits | StarredExtension(lastDot, lastDot >= 0 ? name[lastDot + 1] : 0);
}

int PlanFound(char kind, int mode, unsigned flags, unsigned traits)
{
    bool tree = kind == 'U';
    if (traits & PATTERN_DAMAGED)
        return PLAN_REFUSED_DAMAGED;
    if ((traits & PATTERN_OURS) && (flags & PLAN_IN_ROOT))
        return PLAN_REFUSED_ROOT;
    // a narrow P pattern reaches files only: P never takes a folder
    if ((traits & PATTERN_SYSTEM) && (flags & PLAN_IN_GUARDED) &&
        (tree || !(traits & PATTERN_NARROW)))
        return PLAN_REFUSED_GUARDED;
    if (flags & PLAN_FOLDER) {
        if (!tree)
            return PLAN_PASS;
        if (flags & PLAN_GUARDED)
            return PLAN_GUARDED_FOLDER;
        // a link is never followed: at most the link goes
        return (flags & PLAN_LINK) || mode == 2 ? PLAN_REMOVE_EMPTY : PLAN_DESCEND;
    }
    if (tree)  // a tree's files: mode 0 offers them, mode 1 deletes them
        return mode == 0 ? PLAN_OFFER : mode == 1 ? PLAN_DELETE : PLAN_PASS;
    return mode == 0 ? PLAN_DELETE : mode == 1 ? PLAN_ASK : mode == 2 ? PLAN_OFFER : PLAN_KEEP;
}

int PlanFoundA(char kind, int mode, unsigned flags, const char* pattern)
{
    return PlanFound(kind, mode, flags, PatternTraitsA(pattern));
}

int PlanFoundW(char kind, int mode, unsigned flags, const WCHAR* pattern)
{
    return PlanFound(kind, mode, flags, PatternTraitsW(pattern));
}
