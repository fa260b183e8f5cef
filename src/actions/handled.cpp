// The handled-path set: every path a file entry took on, so that no file is
// handled twice in a run. The texts live in a pool of page blocks that are
// never moved (the set points into them); a full block is followed by a new
// one, so long runs never write past the pool. The paths are wide and kept
// upper-cased, so that the set compares them as the system compares names:
// character by character after folding case.
#include "actions/remove.h"
#include "common/bytes.h"
#include "common/files.h"
#include "common/text.h"
#include "common/wtext.h"

struct PoolBlock {
    PoolBlock* previous;
    DWORD size;  // bytes of text room after the header
    DWORD used;  // the write position
};

NameSet g_handledPaths;
static PoolBlock* s_pool;

static char* PoolText(PoolBlock* block)
{
    return reinterpret_cast<char*>(block + 1);
}

static bool AddPoolBlock(DWORD room)
{
    if (room < POOL_BLOCK)
        room = POOL_BLOCK;
    PoolBlock* block = static_cast<PoolBlock*>(AllocPages(sizeof(PoolBlock) + room));
    if (!block)
        return false;
    block->previous = s_pool;
    block->size = room;
    s_pool = block;
    return true;
}

static int CompareFolded(const char* a, const char* b)
{
    const WCHAR* x = reinterpret_cast<const WCHAR*>(a);
    const WCHAR* y = reinterpret_cast<const WCHAR*>(b);
    while (*x && *x == *y)
        ++x, ++y;
    return *x < *y ? CSTR_LESS_THAN : *x > *y ? CSTR_GREATER_THAN : CSTR_EQUAL;
}

bool CreateHandledPaths()
{
    if (!NameSetCreate(&g_handledPaths, HANDLED_ROOM))
        return false;
    g_handledPaths.compare = CompareFolded;
    return AddPoolBlock(POOL_BLOCK);
}

void FreeHandledPaths()
{
    NameSetFree(&g_handledPaths);
    while (s_pool) {
        PoolBlock* previous = s_pool->previous;
        FreePages(&s_pool);
        s_pool = previous;
    }
}

bool MarkHandled(const WCHAR* path)
{
    int characters = WideLength(path);
    DWORD length = DWORD(characters + 1) * sizeof(WCHAR);
    if ((!s_pool || s_pool->size - s_pool->used < length) && !AddPoolBlock(length))
        return false;
    char* copy = PoolText(s_pool) + s_pool->used;
    MoveBytes(copy, path, length);
    PlatUpperWide(reinterpret_cast<WCHAR*>(copy), characters);
    if (!NameSetInsert(&g_handledPaths, copy))
        return false;  // seen before: the copy is overwritten by the next one
    s_pool->used += length;
    return true;
}
