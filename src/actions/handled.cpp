// The handled-path set: every path a file entry took on, so that no file is
// handled twice in a run. The texts live in a pool of page blocks that are
// never moved (the set points into them); a full block is followed by a new
// one, so long runs never write past the pool. The paths are wide; each is
// kept upper-cased, so that the set compares them as the system compares
// names (character by character after folding case), and stored as UTF-8
// of its UTF-16 units: a byte for most characters, as the ANSI paths took.
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

static WCHAR s_folded[WIDE_PATH_ROOM];

static int CompareFolded(const char* a, const char* b)
{
    const unsigned char* x = reinterpret_cast<const unsigned char*>(a);
    const unsigned char* y = reinterpret_cast<const unsigned char*>(b);
    while (*x && *x == *y)
        ++x, ++y;
    return *x < *y ? CSTR_LESS_THAN : *x > *y ? CSTR_GREATER_THAN : CSTR_EQUAL;
}

bool CreateHandledPaths()
{
    bool created = NameSetCreate(&g_handledPaths, HANDLED_ROOM);
    g_handledPaths.compare = CompareFolded;
    return created && AddPoolBlock(POOL_BLOCK);
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
    if (characters >= WIDE_PATH_ROOM)
        return false;
    MoveBytes(s_folded, path, DWORD(characters) * sizeof(WCHAR));
    PlatUpperWide(s_folded, characters);
    DWORD room = DWORD(characters) * 3 + 1;  // three bytes at most a unit
    if ((!s_pool || s_pool->size - s_pool->used < room) && !AddPoolBlock(room))
        return false;
    unsigned char* copy = reinterpret_cast<unsigned char*>(PoolText(s_pool) + s_pool->used);
    DWORD length = 0;
    for (int i = 0; i < characters; ++i) {
        unsigned c = s_folded[i];
        if (c < 0x80) {
            copy[length++] = (unsigned char)c;
            continue;
        }
        if (c < 0x800) {
            copy[length++] = (unsigned char)(0xC0 | c >> 6);
        } else {
            copy[length++] = (unsigned char)(0xE0 | c >> 12);
            copy[length++] = (unsigned char)(0x80 | (c >> 6 & 0x3F));
        }
        copy[length++] = (unsigned char)(0x80 | (c & 0x3F));
    }
    copy[length++] = 0;
    if (!NameSetInsert(&g_handledPaths, reinterpret_cast<char*>(copy)))
        return false;  // seen before: the copy is overwritten by the next one
    s_pool->used += length;
    return true;
}
