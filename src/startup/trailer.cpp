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
