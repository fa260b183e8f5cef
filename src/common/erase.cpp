#include <windows.h>

#include "common/erase.h"
#include "common/text.h"

bool EraseFile(const char* path)
{
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    int length = TextLength(path);
    if (length >= 4 && SameText(path + length - 4, ".ttf")) {
        RemoveFontResourceA(path);
        SendMessageA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0);
    }
    return DeleteFileA(path) != 0;
}
