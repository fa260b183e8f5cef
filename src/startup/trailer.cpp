#include "startup/startup.h"
#include "common/text.h"

void LogNameFromTrailer(const char* block, char* name, int nameSize)
{
    const int last = TRAILER_SIZE - 1;
    if (block[last] != 0 || block[last - 1] == 0) {
        CopyText(name, "uninstal.ini", nameSize);
        return;
    }
    // the name starts after the last NUL among bytes 1 to 253, or at byte 1
    int start = 1;
    for (int i = last - 2; i >= 1; --i) {
        if (block[i] == 0) {
            start = i + 1;
            break;
        }
    }
    CopyText(name, block + start, nameSize);
}

static unsigned Read32(const unsigned char* p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | unsigned(p[3]) << 24;
}

unsigned TrailerEnd(const unsigned char* image, unsigned fileSize)
{
    if (image[0] != 'M' || image[1] != 'Z')
        return fileSize;
    const unsigned char* nt = image + Read32(image + 60);
    if (nt[0] != 'P' || nt[1] != 'E' || nt[2] || nt[3])
        return fileSize;
    // the optional header: PE32 or PE32+, then the count of data directories
    const unsigned char* optional = nt + 24;
    int magic = optional[0] | optional[1] << 8;
    unsigned directories = magic == 0x20b ? 112 : 96;
    if ((magic != 0x10b && magic != 0x20b) || Read32(optional + directories - 4) <= 4)
        return fileSize;
    // the security directory holds a file offset, not an address
    unsigned offset = Read32(optional + directories + 4 * 8);
    unsigned size = Read32(optional + directories + 4 * 8 + 4);
    if (!size || offset < TRAILER_SIZE || offset > fileSize || size > fileSize - offset)
        return fileSize;
    return offset;
}
