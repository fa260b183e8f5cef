#include "common/files.h"
#include "common/message.h"

bool FileExists(const char* path)
{
    return PlatFileAttributes(path) != INVALID_FILE_ATTRIBUTES;
}

HANDLE OpenForRead(const char* path, DWORD* size)
{
    HANDLE file = PlatOpenForRead(path);
    if (file != INVALID_HANDLE_VALUE)
        *size = PlatFileSize(file);
    return file;
}

DWORD ReadExact(HANDLE file, void* buffer, DWORD count, const char* path)
{
    DWORD got = 0;
    if (!PlatReadFile(file, buffer, count, &got) || got != count)
        ShowMessage(MSG_READ_ERROR, "Error reading file %s", path);
    return got;
}

void* AllocPages(DWORD size)
{
    return PlatAllocPages(size);
}

void FreePagesAt(void** holder)
{
    if (*holder)
        PlatFreePages(*holder);
    *holder = 0;
}
