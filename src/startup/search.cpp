// The library search of the process. The program runs from the temporary
// folder, where anyone may have left a library under a system library's
// name, and starts from folders it does not own: neither its own folder nor
// the current folder may ever be searched for a library.
#include <windows.h>

#include "common/globals.h"
#include "common/text.h"
#include "startup/startup.h"

// Libraries that the system loads by name after the start (themes, the
// random source's forwarder, text services, ...). Where the search cannot
// be limited to the system folder, they are loaded from there at once, so
// that a later load by name finds them loaded and searches nothing.
static const char s_earlyLibraries[] =
    "uxtheme\0cryptbase\0cryptsp\0dwmapi\0version\0userenv\0profapi\0apphelp\0propsys\0"
    "ntmarta\0msctf\0secur32\0";

void LockLibrarySearch()
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    // Windows 8 on, and 7 and Vista with an update
    typedef BOOL(WINAPI * SetDefaultDirs)(DWORD);
    SetDefaultDirs setDefault = (SetDefaultDirs)(void*)GetProcAddress(kernel, "SetDefaultDllDirectories");
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        g_libraryFlags = LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS;
        return;
    }
    // XP SP1 on: the current folder leaves the search; the program's folder
    // stays in it, hence the early loads
    typedef BOOL(WINAPI * SetDirectory)(const char*);
    SetDirectory setDirectory = (SetDirectory)(void*)GetProcAddress(kernel, "SetDllDirectoryA");
    if (setDirectory)
        setDirectory("");
    g_libraryFlags = LOAD_WITH_ALTERED_SEARCH_PATH;
    char system[PATH_BUFFER];
    GetSystemDirectoryA(system, sizeof system);
    for (const char* name = s_earlyLibraries; *name; name += TextLength(name) + 1) {
        char path[PATH_BUFFER];
        JoinPath(path, system, name, sizeof path);
        AppendText(path, ".dll", sizeof path);
        // what these need is looked for beside them, in the system folder
        LoadLibraryExA(path, 0, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
}
