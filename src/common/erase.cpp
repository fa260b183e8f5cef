#include <windows.h>
#include <winternl.h>

#include "common/bytes.h"
#include "common/erase.h"
#include "common/wtext.h"

// The system's own calls below the file functions: only they open a name
// inside a folder given by its handle. Every system since NT has them; they
// are looked up, so that the program imports nothing from ntdll.
typedef LONG(NTAPI* OpenFn)(HANDLE*, ACCESS_MASK, OBJECT_ATTRIBUTES*, IO_STATUS_BLOCK*, ULONG,
                            ULONG);
typedef LONG(NTAPI* SetInformationFn)(HANDLE, IO_STATUS_BLOCK*, void*, ULONG, int);
enum { FILE_BASIC_INFO_CLASS = 4, FILE_DISPOSITION_INFO_CLASS = 13 };
enum {
    NT_DIRECTORY = 0x1,          // FILE_DIRECTORY_FILE
    NT_SYNCHRONOUS = 0x20,       // FILE_SYNCHRONOUS_IO_NONALERT
    NT_BACKUP = 0x4000,          // FILE_OPEN_FOR_BACKUP_INTENT
    NT_NOT_DIRECTORY = 0x40,     // FILE_NON_DIRECTORY_FILE
    NT_LINK_ITSELF = 0x200000,   // FILE_OPEN_REPARSE_POINT
};

static OpenFn s_open;
static SetInformationFn s_setInformation;

static void FontGone(const WCHAR* path)
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
}

bool EraseFile(const WCHAR* path)
{
    FontGone(path);
    // Most files go at the first attempt, and clearing the attributes of
    // every file would cost as much again as deleting it: they are cleared
    // only when the file stayed (a read-only one), and it is tried once more.
    // A file that cannot be deleted ends with cleared attributes either way.
    if (DeleteFileW(path))
        return true;
    SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
    return DeleteFileW(path) != 0;
}

HANDLE OpenInFolder(HANDLE folder, const WCHAR* name, DWORD access, DWORD share, DWORD options)
{
    if (!s_open) {
        HMODULE ntdll = GetModuleHandleA("ntdll.dll");
        s_open = (OpenFn)(void*)GetProcAddress(ntdll, "NtOpenFile");
        s_setInformation = (SetInformationFn)(void*)GetProcAddress(ntdll, "NtSetInformationFile");
        if (!s_open || !s_setInformation) {
            s_open = 0;
            return INVALID_HANDLE_VALUE;
        }
    }
    UNICODE_STRING text;
    text.Length = text.MaximumLength = USHORT(WideLength(name) * sizeof(WCHAR));
    text.Buffer = const_cast<WCHAR*>(name);
    OBJECT_ATTRIBUTES attributes;
    ZeroBytes(&attributes, sizeof attributes);
    attributes.Length = sizeof attributes;
    attributes.RootDirectory = folder;
    attributes.ObjectName = &text;
    attributes.Attributes = OBJ_CASE_INSENSITIVE;
    IO_STATUS_BLOCK io;
    HANDLE file;
    if (s_open(&file, access | SYNCHRONIZE, &attributes, &io, share,
               options | NT_SYNCHRONOUS | NT_BACKUP | NT_LINK_ITSELF) < 0)
        return INVALID_HANDLE_VALUE;
    return file;
}

static bool DeleteIn(HANDLE folder, const WCHAR* name, DWORD options)
{
    HANDLE file = OpenInFolder(folder, name, DELETE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, options);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    IO_STATUS_BLOCK io;
    BOOLEAN doomed = TRUE;  // FILE_DISPOSITION_INFORMATION
    bool gone = s_setInformation(file, &io, &doomed, sizeof doomed, FILE_DISPOSITION_INFO_CLASS) >= 0;
    CloseHandle(file);
    return gone;
}

bool EraseFileIn(HANDLE folder, const WCHAR* name, const WCHAR* path)
{
    FontGone(path);
    if (DeleteIn(folder, name, NT_NOT_DIRECTORY))
        return true;
    // a read-only file: its attributes cleared, and tried once more
    HANDLE file = OpenInFolder(folder, name, FILE_WRITE_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               NT_NOT_DIRECTORY);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    struct {
        LARGE_INTEGER times[4];  // zero: left as they are
        DWORD attributes;
        DWORD padding;
    } basic = {};
    basic.attributes = FILE_ATTRIBUTE_NORMAL;
    IO_STATUS_BLOCK io;
    s_setInformation(file, &io, &basic, sizeof basic, FILE_BASIC_INFO_CLASS);
    CloseHandle(file);
    return DeleteIn(folder, name, NT_NOT_DIRECTORY);
}

bool RemoveFolderIn(HANDLE folder, const WCHAR* name)
{
    return DeleteIn(folder, name, NT_DIRECTORY);
}
