#include "common/nameset.h"
#include "common/bytes.h"
#include "common/files.h"

// The members lie in the middle of room for twice the capacity, so that an
// insertion moves the shorter side: the members before the new one a slot
// down, or those after it a slot up.
bool NameSetCreate(NameSet* set, int capacity)
{
    ZeroBytes(set, sizeof *set);
    set->compare = PlatCompareText;  // also when no memory comes: the set grows later
    set->storage = static_cast<const char**>(AllocPages(DWORD(capacity) * 2 * sizeof(char*)));
    if (!set->storage)
        return false;
    set->items = set->storage + capacity;
    set->capacity = capacity;
    return true;
}

void NameSetFree(NameSet* set)
{
    FreePages(&set->storage);
    set->items = 0;
    set->count = 0;
    set->capacity = 0;
}

int NameSetLocate(NameSet* set, const char* text)
{
    // Installers write their files in order, so a text often sorts after the
    // last member, where the last search ended too: one comparison then gives
    // the position and the result the search below would give.
    int last = set->count - 1;
    if (last > 0 && set->position == last) {
        int order = set->compare(set->items[last], text);
        if (order != CSTR_GREATER_THAN)
            return order;
    }
    set->position = 0;
    set->span = set->count;
    if (set->count == 0)
        return CSTR_GREATER_THAN;  // nothing to compare: insert at the start
    // The member at position may have been compared already (it sorted
    // before the text and the range kept it): that answer is not asked twice.
    int known = -1;
    while (set->span >= 2) {
        int half = set->span / 2;
        int odd = set->span % 2;
        int order = set->compare(set->items[set->position + half], text);
        if (order == CSTR_LESS_THAN) {
            set->position += half + odd;
            set->span = set->span - odd - half;
            if (!odd)
                known = set->position;
        } else if (order == CSTR_GREATER_THAN) {
            set->span = set->span - odd - half;
        } else {
            set->position += half;
            // members are unique, but step back over equal neighbours all the same
            while (set->position > 0 &&
                   set->compare(set->items[set->position - 1], text) == CSTR_EQUAL)
                --set->position;
            return CSTR_EQUAL;
        }
    }
    if (set->position == known)
        return CSTR_LESS_THAN;
    return set->compare(set->items[set->position], text);
}

// Doubles the room of a full set. The pointers move to new pages.
static bool GrowNameSet(NameSet* set)
{
    int capacity = set->capacity ? set->capacity * 2 : 64;
    const char** storage = static_cast<const char**>(AllocPages(DWORD(capacity) * 2 * sizeof(char*)));
    if (!storage)
        return false;
    const char** items = storage + capacity - set->count / 2;
    MoveBytes(items, set->items, DWORD(set->count) * sizeof(char*));
    FreePages(&set->storage);
    set->storage = storage;
    set->items = items;
    set->capacity = capacity;
    return true;
}

int NameSetInsert(NameSet* set, const char* text)
{
    int at = 0;
    if (set->count > 0) {
        int order = NameSetLocate(set, text);
        if (order == CSTR_EQUAL)
            return 0;
        at = order == CSTR_LESS_THAN ? set->position + 1 : set->position;
    }
    if (set->count >= set->capacity && !GrowNameSet(set))
        return 0;  // no memory: treated as seen, so the caller skips the text
    // below capacity there is room on one side at least
    bool roomBelow = set->items > set->storage;
    bool roomAbove = set->items + set->count < set->storage + 2 * set->capacity;
    if (roomBelow && (at < set->count - at || !roomAbove)) {
        MoveBytes(set->items - 1, set->items, DWORD(at) * sizeof(char*));
        --set->items;
    } else {
        MoveBytes(set->items + at + 1, set->items + at, DWORD(set->count - at) * sizeof(char*));
    }
    set->items[at] = text;
    set->position = at;
    ++set->count;
    return 1;
}
