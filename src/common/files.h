// File and memory helpers.
#pragma once
#include "common/platform.h"

// True when the path names an existing file or directory.
bool FileExists(const char* path);
// Opens for reading (shared read and write); size receives the file's size.
// INVALID_HANDLE_VALUE on failure, size left unchanged.
HANDLE OpenForRead(const char* path, DWORD* size);
// One read of count bytes; a failed or short read shows
// "Error reading file %s" and the caller goes on with what was read.
// Returns the number of bytes read.
DWORD ReadExact(HANDLE file, void* buffer, DWORD count, const char* path);

// Zero-filled page memory for the large tables; null when exhausted.
void* AllocPages(DWORD size);
void FreePagesAt(void** holder);
// Frees the pages a holder points to and sets the holder to null.
template <class T> inline void FreePages(T** holder)
{
    FreePagesAt(reinterpret_cast<void**>(holder));
}
