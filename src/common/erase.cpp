#include <windows.h>

#include "common/erase.h"
#include "common/wtext.h"

bool EraseFile(const WCHAR* path)
{
    int length = WideLength(path);
    if (length >= 4 && path[length - 4] == '.' && (path[length - 3] | 0x20) == 't' &&
        (path[length - 2] | 0x20) == 't' && (path[length - 1] | 0x20) == 'f') {
        // the font calls are given a drive path as the user knows it
        bool drive = path[0] == '\\' && path[2] == '?' && path[5] == ':';
        RemoveFontResourceW(drive ? path + 4 : path);
        // posted: a hung window elsewhere must not hold the removal
        PostMessageA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0);
    }
    // Most files go at the first attempt, and clearing the attributes of
    // every file would cost as much again as deleting it: they are cleared
    // only when the file stayed (a read-only one), and it is tried once more.
    // A file that cannot be deleted ends with cleared attributes either way.
    if (DeleteFileW(path))
        return true;
    SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
    return DeleteFileW(path) != 0;
}
