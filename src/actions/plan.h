// What a P or U entry does with each name its search finds: the removal
// policy, apart from the walk that applies it, so that the tests and the log
// checker can ask it. Plain functions over numbers and texts.
#pragma once
#include "common/platform.h"

// What the pattern (the last component of an entry's path) is.
enum PatternTrait {
    PATTERN_OURS = 1,     // a leading asterisk of the base or of the extension
    PATTERN_SYSTEM = 2,   // '*' or '?' anywhere: the system matches it
    PATTERN_NARROW = 4,   // starts with three plain characters (no '*', '?', '.')
    PATTERN_DAMAGED = 8,  // '<', '>' or '"': the system's other wildcards
};

// What is known of the found name and of the folder it was found in.
enum PlanFlag {
    PLAN_FOLDER = 1,     // the found name is a folder
    PLAN_LINK = 2,       // ... a junction or symbolic link (reparse point)
    PLAN_GUARDED = 4,    // the found folder is refused by the guard
    PLAN_IN_GUARDED = 8, // the folder searched is refused by the guard
    PLAN_IN_ROOT = 16,   // the folder searched is a drive's root, or the entry's
                         // path has no folder of its own (3 characters or fewer)
};

enum PlanAction {
    PLAN_PASS,          // passed over: untouched, not marked as handled
    PLAN_KEEP,          // marked as handled and left in place
    PLAN_DELETE,        // deleted (offered in the leftover list when it stays)
    PLAN_ASK,           // deleted when the user answers Yes to message 51
    PLAN_OFFER,         // listed in the leftover list, not deleted
    PLAN_DESCEND,       // a folder: walked whole, then removed if empty
    PLAN_REMOVE_EMPTY,  // a folder: removed if empty, never entered
    // the whole entry is refused: nothing is listed or removed
    PLAN_REFUSED_DAMAGED,  // the pattern holds '<', '>' or '"'
    PLAN_REFUSED_ROOT,     // a wildcard of our own in a drive's root or without folder
    PLAN_REFUSED_GUARDED,  // a wildcard in a protected folder, not a narrow P pattern
    // only this folder is refused; the rest of the entry goes on
    PLAN_GUARDED_FOLDER,   // the guard refuses the found folder: left alone
};

unsigned PatternTraitsA(const char* name);  // ANSI, double-byte characters as one
unsigned PatternTraitsW(const WCHAR* name);

// kind is 'P' or 'U'; mode the entry's mode (low 8 bits); flags PLAN_ flags;
// traits those of the entry's pattern, 0 below a U tree's first level.
int PlanFound(char kind, int mode, unsigned flags, unsigned traits);
int PlanFoundA(char kind, int mode, unsigned flags, const char* pattern);
int PlanFoundW(char kind, int mode, unsigned flags, const WCHAR* pattern);
