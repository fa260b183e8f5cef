// The protected folders as this system names them, read once per run, and
// the system's canonical spelling of a folder before it is judged.
#include <windows.h>
#include <shlobj.h>

#include "actions/guard.h"
#include "common/globals.h"
#include "common/text.h"

// Looked up at run time: older systems lack them, and the program must
// still start there.
typedef DWORD(WINAPI* GetLongPathNameFn)(const char*, char*, DWORD);
typedef UINT(WINAPI* GetSystemWow64DirectoryFn)(char*, UINT);
typedef HRESULT(WINAPI* SHGetFolderPathFn)(HWND, int, HANDLE, DWORD, char*);

static GetLongPathNameFn s_getLongPathName;
static bool s_loaded;

bool SystemCanonical(const char* path, char* dest, int destSize)
{
    char full[SCRATCH_BUFFER];
    char* name;
    // relative and drive-relative paths, "." and "..", either slash
    DWORD length = GetFullPathNameA(path, sizeof full, full, &name);
    if (length == 0 || length >= sizeof full)
        return false;
    // long names for short ones (a path that does not exist stays as it is)
    char longer[SCRATCH_BUFFER];
    if (s_getLongPathName) {
        length = s_getLongPathName(full, longer, sizeof longer);
        if (length && length < sizeof longer)
            CopyText(full, longer, sizeof full);
    }
    return CanonicalPath(full, dest, destSize);
}

static void Protect(const char* path)
{
    char canonical[PATH_BUFFER];
    if (path[0] && SystemCanonical(path, canonical, sizeof canonical))
        AddProtectedFolder(canonical);
}

// A folder named by a text value of HKEY_LOCAL_MACHINE, environment strings
// expanded; false when there is none.
static bool ReadRegistryFolder(const char* subkey, const char* value, REGSAM view, char* folder)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS)
        return false;
    char text[PATH_BUFFER];
    DWORD size = sizeof text - 1;
    DWORD type = 0;
    LONG status = RegQueryValueExA(key, value, 0, &type, (BYTE*)text, &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    text[size < sizeof text ? size : sizeof text - 1] = 0;
    DWORD length = ExpandEnvironmentStringsA(text, folder, PATH_BUFFER);
    return length && length <= PATH_BUFFER;
}

// The folder of the user profiles and every profile in it.
static void ProtectProfiles(const char* profiles)
{
    char canonical[PATH_BUFFER];
    if (!profiles[0] || !SystemCanonical(profiles, canonical, sizeof canonical))
        return;
    AddProtectedFolder(canonical);
    char search[PATH_BUFFER];
    JoinPath(search, canonical, "*.*", sizeof search);
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(search, &found);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !SameText(found.cFileName, ".") && !SameText(found.cFileName, "..")) {
            char profile[PATH_BUFFER];
            JoinPath(profile, canonical, found.cFileName, sizeof profile);
            AddProtectedFolder(profile);
        }
    } while (FindNextFileA(find, &found));
    FindClose(find);
}

static void LoadProtectedFolders()
{
    ClearProtectedFolders();
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    s_getLongPathName = (GetLongPathNameFn)(void*)GetProcAddress(kernel, "GetLongPathNameA");
    GetSystemWow64DirectoryFn wow64 =
        (GetSystemWow64DirectoryFn)(void*)GetProcAddress(kernel, "GetSystemWow64DirectoryA");
    HMODULE shell = GetModuleHandleA("shell32.dll");
    SHGetFolderPathFn folderPath =
        shell ? (SHGetFolderPathFn)(void*)GetProcAddress(shell, "SHGetFolderPathA") : 0;

    char path[PATH_BUFFER];
    Protect(g_windowsDir);
    if (GetSystemDirectoryA(path, sizeof path) < sizeof path)
        Protect(path);
    if (wow64 && wow64(path, sizeof path) < sizeof path)
        Protect(path);

    static const int shellFolders[] = {
        CSIDL_WINDOWS, CSIDL_SYSTEM, CSIDL_SYSTEMX86, CSIDL_FONTS,
        CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86, CSIDL_PROGRAM_FILES_COMMON,
        CSIDL_PROGRAM_FILES_COMMONX86, CSIDL_COMMON_APPDATA, CSIDL_COMMON_DOCUMENTS,
        CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_COMMON_STARTMENU, CSIDL_PROFILE,
        CSIDL_DESKTOPDIRECTORY, CSIDL_PERSONAL, CSIDL_APPDATA, CSIDL_LOCAL_APPDATA,
        CSIDL_STARTMENU,
    };
    for (int csidl : shellFolders) {
        path[0] = 0;
        if (folderPath && folderPath(0, csidl, 0, SHGFP_TYPE_CURRENT, path) == S_OK)
            Protect(path);
    }

    // A 32-bit program on 64-bit Windows is shown only the 32-bit Program
    // Files; the 64-bit folders are named in the registry's 64-bit view.
    static const char kCurrentVersion[] = "Software\\Microsoft\\Windows\\CurrentVersion";
    static const char* const programFolders[] = {"ProgramFilesDir", "CommonFilesDir",
                                                 "ProgramW6432Dir", "CommonW6432Dir"};
    for (const char* value : programFolders) {
        if (ReadRegistryFolder(kCurrentVersion, value, KEY_WOW64_64KEY, path))
            Protect(path);
        if (ReadRegistryFolder(kCurrentVersion, value, 0, path))
            Protect(path);
    }

    // the profiles: their folder from the registry, and the current
    // profile's parent folder
    if (ReadRegistryFolder("Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList",
                           "ProfilesDirectory", 0, path))
        ProtectProfiles(path);
    path[0] = 0;
    if (folderPath && folderPath(0, CSIDL_PROFILE, 0, SHGFP_TYPE_CURRENT, path) == S_OK &&
        path[0]) {
        StripLastComponent(path);
        ProtectProfiles(path);
    }
}

bool IsFolderRefused(const char* folder)
{
    if (!s_loaded) {
        LoadProtectedFolders();
        s_loaded = true;
    }
    char canonical[PATH_BUFFER];
    return !SystemCanonical(folder, canonical, sizeof canonical) || IsProtectedCanonical(canonical);
}
