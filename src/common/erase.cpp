#include <windows.h>

#include "common/erase.h"
#include "common/text.h"

bool EraseFile(const char* path)
{
    int length = TextLength(path);
    if (length >= 4 && SameText(path + length - 4, ".ttf")) {
        RemoveFontResourceA(path);
        SendMessageA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0);
    }
    // Most files go at the first attempt, and clearing the attributes of
    // every file would cost as much again as deleting it: they are cleared
    // only when the file stayed (a read-only one), and it is tried once more.
    // A file that cannot be deleted ends with cleared attributes either way.
    if (DeleteFileA(path))
        return true;
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    return DeleteFileA(path) != 0;
}
