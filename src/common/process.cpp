#include <windows.h>

#include "common/bytes.h"
#include "common/globals.h"
#include "common/process.h"
#include "common/text.h"

bool StartProgram(char* command, bool wait, DWORD* exitCode)
{
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    ZeroBytes(&startup, sizeof startup);
    startup.cb = sizeof startup;
    if (!CreateProcessA(0, command, 0, 0, TRUE, CREATE_DEFAULT_ERROR_MODE | NORMAL_PRIORITY_CLASS,
                        0, 0, &startup, &process))
        return false;
    if (exitCode) {
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, exitCode);
    } else if (wait) {
        WaitForSingleObject(process.hThread, INFINITE);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

bool NamesFolder(const char* path)
{
    for (const char* p = path; *p; p = NextChar(p))
        if (*p == '\\' || *p == '/' || *p == ':')
            return true;
    return false;
}

bool IsFullPath(const char* path)
{
    return (path[0] && path[1] == ':' && path[2] == '\\') || (path[0] == '\\' && path[1] == '\\');
}

// the system folder, the Windows folder and PATH, separated by semicolons
enum { SEARCH_LIST_ROOM = 32768 };
static char s_searchList[SEARCH_LIST_ROOM];

bool FindSystemFile(const char* name, const char* extension, char* found)
{
    int length = int(GetSystemDirectoryA(s_searchList, PATH_BUFFER));
    s_searchList[length++] = ';';
    CopyText(s_searchList + length, g_windowsDir, PATH_BUFFER);
    AppendText(s_searchList, ";", SEARCH_LIST_ROOM);
    length = TextLength(s_searchList);
    // a PATH too long for the room is left out whole
    DWORD path = GetEnvironmentVariableA("PATH", s_searchList + length, SEARCH_LIST_ROOM - length);
    if (path == 0 || path >= DWORD(SEARCH_LIST_ROOM - length))
        s_searchList[length] = 0;

    char* entry = s_searchList;
    for (;;) {
        char* end = entry;
        while (*end && *end != ';')
            ++end;
        char last = *end;
        *end = 0;
        // a relative folder would be looked for from the current folder
        DWORD size = IsFullPath(entry) ? SearchPathA(entry, name, extension, PATH_BUFFER, found, 0) : 0;
        if (size && size < PATH_BUFFER)
            return true;
        if (!last)
            return false;
        entry = end + 1;
    }
}
