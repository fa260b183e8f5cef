// The seam on Windows: straight Win32 calls.
#include "common/platform.h"

int PlatCompareText(const char* a, const char* b)
{
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a, -1, b, -1);
}

void PlatFormat(char* dest, const char* format, const char* a0, const char* a1,
                const char* a2, const char* a3)
{
    wsprintfA(dest, format, a0, a1, a2, a3);
}

DWORD PlatFileAttributes(const char* path)
{
    return GetFileAttributesA(path);
}

HANDLE PlatOpenForRead(const char* path)
{
    return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, 0,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
}

DWORD PlatFileSize(HANDLE file)
{
    return GetFileSize(file, 0);
}

bool PlatReadFile(HANDLE file, void* buffer, DWORD count, DWORD* got)
{
    *got = 0;
    return ReadFile(file, buffer, count, got, 0) != 0;
}

void PlatCloseFile(HANDLE file)
{
    CloseHandle(file);
}

void* PlatAllocPages(DWORD size)
{
    return VirtualAlloc(0, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void PlatFreePages(void* pages)
{
    VirtualFree(pages, 0, MEM_RELEASE);
}

int PlatMessageBox(HWND owner, const char* text, const char* caption, unsigned style)
{
    return MessageBoxA(owner, text, caption, style);
}

void PlatExitProcess(unsigned code)
{
    ExitProcess(code);
}

void PlatSleep(DWORD milliseconds)
{
    Sleep(milliseconds);
}

bool PlatIsLeadByte(unsigned char c)
{
    return IsDBCSLeadByte(c) != 0;
}

bool PlatAnsiToWide(const char* text, WCHAR* dest, int destSize)
{
    return MultiByteToWideChar(CP_ACP, 0, text, -1, dest, destSize) != 0;
}

DWORD PlatFullPathWide(const WCHAR* path, WCHAR* dest, DWORD destSize)
{
    return GetFullPathNameW(path, destSize, dest, 0);
}

void PlatUpperWide(WCHAR* text, int length)
{
    if (length > 0)
        LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, text, length, text, length);
}
