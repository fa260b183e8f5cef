// The handled-path set: every path a file entry took on, so that no file is
// handled twice in a run. The texts live in a pool of page blocks that are
// never moved (the set points into them); a full block is followed by a new
// one, so long runs never write past the pool.
#include "actions/remove.h"
#include "common/bytes.h"
#include "common/files.h"
#include "common/text.h"

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

bool CreateHandledPaths()
{
    return NameSetCreate(&g_handledPaths, HANDLED_ROOM) && AddPoolBlock(POOL_BLOCK);
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

bool MarkHandled(const char* path)
{
    DWORD length = DWORD(TextLength(path)) + 1;
    if ((!s_pool || s_pool->size - s_pool->used < length) && !AddPoolBlock(length))
        return false;
    char* copy = PoolText(s_pool) + s_pool->used;
    MoveBytes(copy, path, length);
    if (!NameSetInsert(&g_handledPaths, copy))
        return false;  // seen before: the copy is overwritten by the next one
    s_pool->used += length;
    return true;
}
