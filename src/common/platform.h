// The seam between the program's Windows-free code (text, name set, log,
// ordering, wildcard matching) and the operating system. The Windows build
// implements it with Win32 calls (platform_win32.cpp); the host build with a
// few lines of POSIX (platform_host.cpp) so that the same code can be unit
// tested, fuzzed and run under sanitizers natively.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <stdint.h>
typedef void* HWND;
typedef void* HANDLE;
typedef uint32_t DWORD;
typedef int BOOL;
typedef char16_t WCHAR;
#define INVALID_HANDLE_VALUE ((HANDLE)(intptr_t)-1)
#define INVALID_FILE_ATTRIBUTES ((DWORD)-1)
#define FILE_ATTRIBUTE_DIRECTORY 0x10
#define MB_OK 0x0
#define MB_OKCANCEL 0x1
#define MB_YESNO 0x4
#define MB_ICONERROR 0x10
#define MB_ICONQUESTION 0x20
#define MB_ICONINFORMATION 0x40
#define IDOK 1
#define IDCANCEL 2
#define IDYES 6
#define IDNO 7
#define CSTR_LESS_THAN 1
#define CSTR_EQUAL 2
#define CSTR_GREATER_THAN 3
#endif

// wsprintfA never writes more than this many bytes, terminator included.
enum { PLAT_FORMAT_MAX = 1024 };

// Case-insensitive comparison under the user's default locale:
// CSTR_LESS_THAN, CSTR_EQUAL or CSTR_GREATER_THAN.
int PlatCompareText(const char* a, const char* b);

// Formats into dest (PLAT_FORMAT_MAX bytes) a format whose only conversions
// are %s-style ones, taking the four texts in order; unused ones are ignored.
void PlatFormat(char* dest, const char* format, const char* a0, const char* a1,
                const char* a2, const char* a3);

DWORD PlatFileAttributes(const char* path);
HANDLE PlatOpenForRead(const char* path);
DWORD PlatFileSize(HANDLE file);
// One read; returns false when the call fails. got receives the bytes read.
bool PlatReadFile(HANDLE file, void* buffer, DWORD count, DWORD* got);
void PlatCloseFile(HANDLE file);

// Zero-filled, committed, read-write pages; null when memory is exhausted.
void* PlatAllocPages(DWORD size);
void PlatFreePages(void* pages);

int PlatMessageBox(HWND owner, const char* text, const char* caption, unsigned style);
[[noreturn]] void PlatExitProcess(unsigned code);

void PlatSleep(DWORD milliseconds);

// True when c opens a double-byte character in the system's ANSI code page
// (IsDBCSLeadByte); never in single-byte code pages.
bool PlatIsLeadByte(unsigned char c);

// Wide text (UTF-16), the system's own form of names.
// dest receives the ANSI text in the system's code page as wide text,
// within destSize characters; false when it does not fit.
bool PlatAnsiToWide(const char* text, WCHAR* dest, int destSize);
// The full path of a wide path (GetFullPathNameW): relative, root-relative
// and drive-relative paths, "." and "..", either slash. Returns its length,
// 0 on failure, destSize or more when it does not fit.
DWORD PlatFullPathWide(const WCHAR* path, WCHAR* dest, DWORD destSize);
// Upper-cases length characters in place as the system folds names for
// comparison (simple mappings, the same in every locale).
void PlatUpperWide(WCHAR* text, int length);
