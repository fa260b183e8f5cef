// The seam on the host, for unit tests, sanitizers and fuzzing. Text
// comparison folds ASCII case only (the tests use ASCII names); boxes are
// recorded and answered from a preset answer; lead bytes follow the code
// page the test sets.
#include "common/platform.h"
#include "common/platform_host.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

static long s_sleepCount;
static unsigned long s_sleepTotal;
static int s_boxAnswer = IDYES;
static int s_boxCount;
static std::string s_boxText;
static std::string s_boxCaption;
static unsigned s_boxStyle;
static HWND s_boxOwner;
static unsigned s_codePage = 1252;
static long s_compareCount;

// The memory file: its handle is one no descriptor can give.
static const HANDLE kMemoryFile = reinterpret_cast<HANDLE>(intptr_t(-2));
static std::string s_memoryPath;
static const char* s_memoryData;
static DWORD s_memorySize;
static DWORD s_memoryClaimed;
static DWORD s_memoryRead;

static int FoldCase(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
}

int PlatCompareText(const char* a, const char* b)
{
    const unsigned char* x = reinterpret_cast<const unsigned char*>(a);
    const unsigned char* y = reinterpret_cast<const unsigned char*>(b);
    ++s_compareCount;
    // equal bytes need no folding: paths share long heads
    while (*x == *y || FoldCase(*x) == FoldCase(*y)) {
        if (!*x)
            return CSTR_EQUAL;
        ++x;
        ++y;
    }
    int d = FoldCase(*x) - FoldCase(*y);
    return d < 0 ? CSTR_LESS_THAN : d > 0 ? CSTR_GREATER_THAN : CSTR_EQUAL;
}

// Copies a run of digits, as wsprintfA reads a width or precision: never
// more than the buffer holds.
static const char* ClipNumber(const char* p, std::string* out)
{
    unsigned long value = 0;
    bool digits = false;
    for (; *p >= '0' && *p <= '9'; ++p) {
        digits = true;
        if (value < PLAT_FORMAT_MAX)
            value = value * 10 + unsigned(*p - '0');
    }
    if (digits)
        *out += std::to_string(value < PLAT_FORMAT_MAX ? value : PLAT_FORMAT_MAX - 1);
    return p;
}

void PlatFormat(char* dest, const char* format, const char* a0, const char* a1,
                const char* a2, const char* a3)
{
    // widths and precisions cut to the buffer, as wsprintfA does: snprintf
    // would pad out a width of 2147483647 before it cuts
    std::string clipped;
    for (const char* p = format; *p;) {
        if (*p != '%') {
            clipped += *p++;
            continue;
        }
        clipped += *p++;
        if (*p == '%') {
            clipped += *p++;
            continue;
        }
        while (*p == '-' || *p == '#' || *p == '0')
            clipped += *p++;
        p = ClipNumber(p, &clipped);
        if (*p == '.') {
            clipped += *p++;
            p = ClipNumber(p, &clipped);
        }
    }
    dest[0] = 0;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
    snprintf(dest, PLAT_FORMAT_MAX, clipped.c_str(), a0, a1, a2, a3);
#pragma GCC diagnostic pop
}

DWORD PlatFileAttributes(const char* path)
{
    struct stat st;
    if (stat(path, &st) != 0)
        return INVALID_FILE_ATTRIBUTES;
    return S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : 0x80;
}

HANDLE PlatOpenForRead(const char* path)
{
    if (!s_memoryPath.empty() && s_memoryPath == path) {
        s_memoryRead = 0;
        return kMemoryFile;
    }
    int fd = open(path, O_RDONLY);
    if (fd < 0)
        return INVALID_HANDLE_VALUE;
    struct stat st;
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        close(fd);
        return INVALID_HANDLE_VALUE;
    }
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(fd) + 1);
}

static int Descriptor(HANDLE file)
{
    return int(reinterpret_cast<intptr_t>(file) - 1);
}

DWORD PlatFileSize(HANDLE file)
{
    if (file == kMemoryFile)
        return s_memoryClaimed;
    struct stat st;
    if (fstat(Descriptor(file), &st) != 0)
        return 0;
    return DWORD(st.st_size);
}

bool PlatReadFile(HANDLE file, void* buffer, DWORD count, DWORD* got)
{
    *got = 0;
    if (file == kMemoryFile) {
        DWORD n = s_memorySize - s_memoryRead;
        if (n > count)
            n = count;
        if (n)
            memcpy(buffer, s_memoryData + s_memoryRead, n);
        s_memoryRead += n;
        *got = n;
        return true;
    }
    ssize_t n = read(Descriptor(file), buffer, count);
    if (n < 0)
        return false;
    *got = DWORD(n);
    return true;
}

void PlatCloseFile(HANDLE file)
{
    if (file == kMemoryFile)
        return;
    close(Descriptor(file));
}

static DWORD s_allocationLimit = 0xFFFFFFFF;

void HostSetAllocationLimit(DWORD bytes)
{
    s_allocationLimit = bytes;
}

void* PlatAllocPages(DWORD size)
{
    if (size > s_allocationLimit)
        return 0;
    return calloc(1, size ? size : 1);
}

void PlatFreePages(void* pages)
{
    free(pages);
}

int PlatMessageBox(HWND owner, const char* text, const char* caption, unsigned style)
{
    ++s_boxCount;
    s_boxText = text;
    s_boxCaption = caption;
    s_boxStyle = style;
    s_boxOwner = owner;
    if (style & MB_YESNO)
        return s_boxAnswer;
    return IDOK;
}

void PlatExitProcess(unsigned code)
{
    fprintf(stderr, "box before exit: [%s] %s\n", s_boxCaption.c_str(), s_boxText.c_str());
    fflush(stderr);
    _exit(int(code));
}

void HostResetMessageBoxes()
{
    s_boxAnswer = IDYES;
    s_boxCount = 0;
    s_boxText.clear();
    s_boxCaption.clear();
    s_boxStyle = 0;
    s_boxOwner = 0;
}

void HostSetMessageBoxAnswer(int answer)
{
    s_boxAnswer = answer;
}

int HostMessageBoxCount()
{
    return s_boxCount;
}

const char* HostLastMessageText()
{
    return s_boxText.c_str();
}

const char* HostLastMessageCaption()
{
    return s_boxCaption.c_str();
}

unsigned HostLastMessageStyle()
{
    return s_boxStyle;
}

HWND HostLastMessageOwner()
{
    return s_boxOwner;
}

void PlatSleep(DWORD milliseconds)
{
    // the tests count the delays instead of waiting for them
    ++s_sleepCount;
    s_sleepTotal += milliseconds;
}

void HostResetSleeps()
{
    s_sleepCount = 0;
    s_sleepTotal = 0;
}

long HostSleepCount()
{
    return s_sleepCount;
}

unsigned long HostSleepTotal()
{
    return s_sleepTotal;
}

void HostSetCodePage(unsigned codePage)
{
    s_codePage = codePage;
}

bool PlatIsLeadByte(unsigned char c)
{
    return s_codePage == 932 && ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC));
}

long HostCompareCount()
{
    return s_compareCount;
}

void HostSetMemoryFile(const char* path, const void* data, DWORD size, DWORD claimedSize)
{
    s_memoryPath = path ? path : "";
    s_memoryData = static_cast<const char*>(data);
    s_memorySize = size;
    s_memoryClaimed = claimedSize;
    s_memoryRead = 0;
}

// The host's ANSI text is UTF-8, so that tests can name any character.
bool PlatAnsiToWide(const char* text, WCHAR* dest, int destSize)
{
    int n = 0;
    for (const unsigned char* p = (const unsigned char*)text; *p;) {
        unsigned c = *p++;
        int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        if (more)
            c &= 0x3F >> more;
        for (; more && (*p & 0xC0) == 0x80; --more)
            c = (c << 6) | (*p++ & 0x3F);
        if (n + (c >= 0x10000 ? 2 : 1) >= destSize)
            return false;
        if (c >= 0x10000) {
            c -= 0x10000;
            dest[n++] = WCHAR(0xD800 + (c >> 10));
            c = 0xDC00 + (c & 0x3FF);
        }
        dest[n++] = WCHAR(c);
    }
    if (n >= destSize)
        return false;
    dest[n] = 0;
    return true;
}

// Paths in the tests are full already.
DWORD PlatFullPathWide(const WCHAR* path, WCHAR* dest, DWORD destSize)
{
    DWORD n = 0;
    while (path[n])
        ++n;
    if (n < destSize)
        for (DWORD i = 0; i <= n; ++i)
            dest[i] = path[i] == '/' ? WCHAR('\\') : path[i];
    return n ? n + (n >= destSize) : 0;
}

// ASCII, Latin-1, Greek and Cyrillic: enough for the tests' names.
void PlatUpperWide(WCHAR* text, int length)
{
    for (int i = 0; i < length; ++i) {
        unsigned c = text[i];
        if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) ||
            (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) || (c >= 0x430 && c <= 0x44F))
            c -= 0x20;
        else if (c >= 0x450 && c <= 0x45F)
            c -= 0x50;
        text[i] = WCHAR(c);
    }
}
