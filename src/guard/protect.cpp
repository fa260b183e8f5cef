// The protected folders as the file system knows them, and the judgement of
// a folder by what it is rather than how it is written. A folder's identity
// is its volume's serial number and its file index: every spelling of it
// (the \\?\, \\.\ and \??\ prefixes, a local share, a substituted drive, a
// link or junction, a short name, any case) reaches the same identity.
#include <windows.h>
#include <shlobj.h>

#include "guard/guard.h"
#include "common/bytes.h"
#include "common/erase.h"
#include "common/globals.h"
#include "common/text.h"

enum { WIDE_PATH = 0x8000, SYSTEM_PATH = 1024 };
enum { ALLOWED, PROTECTED, UNJUDGED };

struct Identity {
    DWORD volume, high, low, kinds;
};

// Looked up at run time: older systems lack them, and the program must
// still start there.
typedef DWORD(WINAPI* FinalPathFn)(HANDLE, WCHAR*, DWORD, DWORD);
typedef UINT(WINAPI* Wow64DirectoryFn)(WCHAR*, UINT);
typedef HRESULT(WINAPI* KnownFolderFn)(const GUID*, DWORD, HANDLE, WCHAR**);
typedef BOOL(WINAPI* MitigationFn)(int, void*, SIZE_T);
enum { REDIRECTION_TRUST_POLICY = 16 };  // ProcessRedirectionTrustPolicy

static FinalPathFn s_finalPath;
static Identity* s_ids;  // page memory, grown as needed; no identity twice
static DWORD s_idCount;
static DWORD s_idRoom;
static bool s_ready;   // filled; until then, and after a failure, all is refused
static bool s_failed;  // memory ran out while filling
static WCHAR s_path[WIDE_PATH];  // a folder as the file system resolves it
static WCHAR s_folder[WIDE_PATH];
static WCHAR s_text[WIDE_PATH];
static WCHAR s_above[WIDE_PATH];  // the last folder judged as one above another
// A 32-bit program on 64-bit Windows: what it names System32 is SysWOW64
static WCHAR s_system32[SYSTEM_PATH];
static WCHAR s_syswow64[SYSTEM_PATH];
static int s_aboveVerdict;

// Reads a folder's identity from an open handle; resolved, if given,
// receives the path the file system resolved it to (the full path of
// spelled where the system cannot say).
static bool IdentifyHandle(HANDLE file, const WCHAR* spelled, Identity* id, WCHAR* resolved,
                           DWORD* attributes = 0)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file, &info))
        return false;
    id->volume = info.dwVolumeSerialNumber;
    id->high = info.nFileIndexHigh;
    id->low = info.nFileIndexLow;
    if (attributes)
        *attributes = info.dwFileAttributes;
    if (!resolved)
        return true;
    DWORD length = s_finalPath ? s_finalPath(file, resolved, WIDE_PATH, 0) : 0;
    if (!length || length >= WIDE_PATH)
        length = GetFullPathNameW(spelled, WIDE_PATH, resolved, 0);
    return length && length < WIDE_PATH;
}

// Opens a folder, following links as a walk through it would, and reads its
// identity.
static bool Identify(const WCHAR* path, Identity* id, WCHAR* resolved)
{
    HANDLE file = CreateFileW(path, FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, 0);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool known = IdentifyHandle(file, path, id, resolved);
    CloseHandle(file);
    return known;
}

static DWORD KindsOf(const Identity* id)
{
    for (DWORD i = 0; i < s_idCount; ++i)
        if (s_ids[i].low == id->low && s_ids[i].high == id->high && s_ids[i].volume == id->volume)
            return s_ids[i].kinds;
    return 0;
}

static void Remember(const Identity* id, DWORD kinds)
{
    for (DWORD i = 0; i < s_idCount; ++i)
        if (s_ids[i].low == id->low && s_ids[i].high == id->high && s_ids[i].volume == id->volume) {
            s_ids[i].kinds |= kinds;
            return;
        }
    if (s_idCount == s_idRoom) {
        DWORD room = s_idRoom ? s_idRoom * 2 : 512;
        Identity* ids = static_cast<Identity*>(PlatAllocPages(room * sizeof(Identity)));
        if (!ids) {
            s_failed = true;
            return;
        }
        MoveBytes(ids, s_ids, s_idCount * sizeof(Identity));
        PlatFreePages(s_ids);
        s_ids = ids;
        s_idRoom = room;
    }
    Identity* slot = &s_ids[s_idCount++];
    slot->volume = id->volume;
    slot->high = id->high;
    slot->low = id->low;
    slot->kinds = kinds;
}

// Length of the root of a resolved path: "C:" or "\\server\share", with or
// without the \\?\ prefix ("\\?\UNC\server\share"); 0 for anything else.
static int RootLength(const WCHAR* p)
{
    int i = 0;
    bool share = p[0] == '\\' && p[1] == '\\';
    if (share && (p[2] == '?' || p[2] == '.') && p[3] == '\\') {
        i = 4;
        share = (p[4] | 0x20) == 'u' && (p[5] | 0x20) == 'n' && (p[6] | 0x20) == 'c' && p[7] == '\\';
        if (share)
            i = 8;
    } else if (share) {
        i = 2;
    }
    if (!share)
        return (p[i] | 0x20) >= 'a' && (p[i] | 0x20) <= 'z' && p[i + 1] == ':' ? i + 2 : 0;
    for (int part = 0; part < 2; ++part) {
        int start = i;
        while (p[i] && p[i] != '\\')
            ++i;
        if (i == start || (part == 0 && !p[i++]))
            return 0;
    }
    return i;
}

// Cuts the last component off a resolved path; false at its root.
static bool CutLast(WCHAR* path, int root)
{
    int cut = root;
    for (int i = root; path[i]; ++i)
        if (path[i] == '\\')
            cut = i;
    path[cut] = 0;
    return cut > root;
}

// A folder and every folder above it, up to the root.
static void AddFolder(const WCHAR* path, DWORD kinds)
{
    Identity id;
    if (!path[0] || !Identify(path, &id, s_path))
        return;  // not there: it holds nothing to protect
    Remember(&id, kinds | PROTECT_SELF);
    int root = RootLength(s_path);
    while (CutLast(s_path, root))
        if (Identify(s_path, &id, 0))
            Remember(&id, PROTECT_SELF);
}

static WCHAR* Join(WCHAR* dest, const WCHAR* folder, const WCHAR* name)
{
    lstrcpynW(dest, folder, SYSTEM_PATH - 1);
    int length = lstrlenW(dest);
    if (length && dest[length - 1] != '\\')
        dest[length++] = '\\';
    lstrcpynW(dest + length, name, SYSTEM_PATH - length);
    return dest;
}

static void AddRules(int base, const WCHAR* folder);

// A folder of profiles: it, and every folder in it as a profile.
static void AddProfiles(const WCHAR* folder)
{
    WCHAR search[SYSTEM_PATH];
    WCHAR profile[SYSTEM_PATH];
    AddFolder(folder, PROTECT_CHILDREN);
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(Join(search, folder, L"*"), &found);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        const WCHAR* name = found.cFileName;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(name[0] == '.' && (!name[1] || (name[1] == '.' && !name[2]))))
            AddRules(BASE_PROFILE, Join(profile, folder, name));
    } while (FindNextFileW(find, &found));
    FindClose(find);
}

// The folders the rules name below one base folder.
static void AddRules(int base, const WCHAR* folder)
{
    WCHAR path[SYSTEM_PATH];
    for (const char* row = kFolderRules; *row; row += TextLength(row) + 1) {
        if (RuleBase(row) != base)
            continue;
        WCHAR name[SYSTEM_PATH];
        MultiByteToWideChar(CP_ACP, 0, row + 1, -1, name, SYSTEM_PATH);
        if (name[0])
            Join(path, folder, name);
        else
            lstrcpynW(path, folder, SYSTEM_PATH);
        if (RuleKinds(row) & PROTECT_PROFILES)
            AddProfiles(path);
        else
            AddFolder(path, RuleKinds(row));
    }
}

// A folder named by a text value, environment strings expanded.
static bool ReadFolder(HKEY root, const char* subkey, const WCHAR* value, REGSAM view,
                       WCHAR* folder)
{
    HKEY key;
    if (RegOpenKeyExA(root, subkey, 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS)
        return false;
    WCHAR text[SYSTEM_PATH];
    DWORD size = sizeof text - sizeof(WCHAR);
    DWORD type = 0;
    LONG status = RegQueryValueExW(key, value, 0, &type, (BYTE*)text, &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    text[size / sizeof(WCHAR)] = 0;
    DWORD length = ExpandEnvironmentStringsW(text, folder, SYSTEM_PATH);
    return length && length <= SYSTEM_PATH;
}

// Known folders that have no CSIDL value (Vista and later).
static const GUID kKnownFolders[] = {
    {0x374DE290, 0x123F, 0x4565, {0x91, 0x64, 0x39, 0xC4, 0x92, 0x5E, 0x46, 0x7B}},  // Downloads
    {0x4C5C32FF, 0xBB9D, 0x43B0, {0xB5, 0xB4, 0x2D, 0x72, 0xE5, 0x4E, 0xAA, 0xA4}},  // Saved Games
    {0x56784854, 0xC6CB, 0x462B, {0x81, 0x69, 0x88, 0xE3, 0x50, 0xAC, 0xB8, 0x82}},  // Contacts
    {0xBFB9D5E0, 0xC6A9, 0x404C, {0xB2, 0xB2, 0xAE, 0x6D, 0xB6, 0xAF, 0x49, 0x68}},  // Links
    {0x7D1D3A04, 0xDEBB, 0x4115, {0x95, 0xCF, 0x2F, 0x29, 0xDA, 0x29, 0x20, 0xDA}},  // Searches
    {0x3D644C9B, 0x1FB8, 0x4F30, {0x9B, 0x45, 0xF6, 0x70, 0x23, 0x5F, 0x79, 0xC0}},  // Public Downloads
    {0xA520A1A4, 0x1780, 0x4FF6, {0xBD, 0x18, 0x16, 0x73, 0x43, 0xC5, 0xAF, 0x16}},  // LocalLow
    {0x5CD7AEE2, 0x2219, 0x4A67, {0xB8, 0x5D, 0x6C, 0x9C, 0xE1, 0x56, 0x60, 0xCB}},  // user's Programs
    {0xB7BEDE81, 0xDF94, 0x4682, {0xA7, 0xD8, 0x57, 0xA5, 0x26, 0x20, 0xB8, 0x6F}},  // Screenshots
    {0xAB5FB87B, 0x7CE2, 0x4F83, {0x91, 0x5D, 0x55, 0x08, 0x46, 0xC9, 0x53, 0x7B}},  // Camera Roll
    {0x3B193882, 0xD3AD, 0x4EAB, {0x96, 0x5A, 0x69, 0x82, 0x9D, 0x1F, 0xB5, 0x9F}},  // Saved Pictures
};

static const char kProfileList[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";

void LoadProtectedFolders()
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    s_finalPath = (FinalPathFn)(void*)GetProcAddress(kernel, "GetFinalPathNameByHandleW");
    Wow64DirectoryFn wow64 =
        (Wow64DirectoryFn)(void*)GetProcAddress(kernel, "GetSystemWow64DirectoryW");
    KnownFolderFn knownFolder = (KnownFolderFn)(void*)GetProcAddress(
        GetModuleHandleA("shell32.dll"), "SHGetKnownFolderPath");
    // Windows 10 and 11 can refuse, for this process, to follow a junction
    // that a non-administrator made: a link planted in a tree the user may
    // write then leads nowhere. Older systems lack it (the call, or the
    // policy, and it does not cover symbolic links); there the walk's held
    // folders and the judgement by identity are the whole defence.
    MitigationFn mitigation =
        (MitigationFn)(void*)GetProcAddress(kernel, "SetProcessMitigationPolicy");
    if (mitigation) {
        DWORD enforce = 1;  // EnforceRedirectionTrust
        mitigation(REDIRECTION_TRUST_POLICY, &enforce, sizeof enforce);
    }

    WCHAR folder[SYSTEM_PATH];
    // the shared Windows folder (a session host may give a program a private
    // one of the user's), the rules' folders in it and on its drive
    if (!GetSystemWindowsDirectoryW(folder, SYSTEM_PATH))
        return;
    AddFolder(folder, PROTECT_SELF);
    if (!s_idCount)
        return;  // nothing can be judged without it
    AddRules(BASE_WINDOWS, folder);
    int root = RootLength(folder);
    if (root && root + 1 < SYSTEM_PATH) {
        folder[root] = '\\';
        folder[root + 1] = 0;
        AddRules(BASE_DRIVE, folder);
    }
    if (GetSystemDirectoryW(folder, SYSTEM_PATH))
        AddFolder(folder, PROTECT_TREE);
    if (wow64 && wow64(folder, SYSTEM_PATH))
        AddFolder(folder, PROTECT_TREE);
#if defined(__i386__)
    if (wow64 && wow64(s_syswow64, SYSTEM_PATH) && GetLongPathNameW(s_syswow64, s_syswow64, SYSTEM_PATH))
        GetSystemDirectoryW(s_system32, SYSTEM_PATH);
#endif

    // every known folder, the user's and all users'
    for (int csidl = 0; csidl < 0x40; ++csidl) {
        if (SHGetFolderPathW(0, csidl, 0, SHGFP_TYPE_CURRENT, folder) != S_OK)
            continue;
        if (csidl == CSIDL_PROFILE)
            AddRules(BASE_PROFILE, folder);
        else
            AddFolder(folder, PROTECT_SELF);
    }
    for (const GUID& id : kKnownFolders) {
        WCHAR* path;  // not given back: a few bytes for the run's length
        if (knownFolder && knownFolder(&id, 0, 0, &path) == S_OK)
            AddFolder(path, PROTECT_SELF);
    }
    // a 32-bit program on 64-bit Windows is shown the 32-bit Program Files;
    // the registry's 64-bit view names the others
    static const char kCurrentVersion[] = "Software\\Microsoft\\Windows\\CurrentVersion";
    if (ReadFolder(HKEY_LOCAL_MACHINE, kCurrentVersion, L"ProgramFilesDir", KEY_WOW64_64KEY, folder))
        AddFolder(folder, PROTECT_SELF);
    if (ReadFolder(HKEY_LOCAL_MACHINE, kCurrentVersion, L"CommonFilesDir", KEY_WOW64_64KEY, folder))
        AddFolder(folder, PROTECT_SELF);

    // every profile: the profiles folder and what is in it, each profile the
    // registry lists wherever it lies, the Public and Default profiles, and
    // the current profile's folder
    HKEY list;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProfileList, 0, KEY_READ, &list) == ERROR_SUCCESS) {
        char sid[256];
        for (DWORD i = 0;; ++i) {
            DWORD length = sizeof sid;
            if (RegEnumKeyExA(list, i, sid, &length, 0, 0, 0, 0) != ERROR_SUCCESS)
                break;
            if (ReadFolder(list, sid, L"ProfileImagePath", 0, folder))
                AddRules(BASE_PROFILE, folder);
        }
        if (ReadFolder(list, "", L"ProfilesDirectory", 0, folder))
            AddProfiles(folder);
        if (ReadFolder(list, "", L"Public", 0, folder))
            AddRules(BASE_PROFILE, folder);
        if (ReadFolder(list, "", L"Default", 0, folder))
            AddRules(BASE_PROFILE, folder);
        RegCloseKey(list);
    }
    if (SHGetFolderPathW(0, CSIDL_PROFILE, 0, SHGFP_TYPE_CURRENT, folder) == S_OK) {
        int root = RootLength(folder);
        if (root && CutLast(folder, root))
            AddProfiles(folder);
    }
    s_ready = !s_failed;
}

// Judges a folder by its identity and the path the file system resolved
// it to (in s_path): ALLOWED, PROTECTED, or UNJUDGED.
static int JudgeResolved(const Identity* id)
{
    int root = RootLength(s_path);
    if (!root)
        return UNJUDGED;
    if (!s_path[root] || !s_path[root + 1] || (KindsOf(id) & (PROTECT_SELF | PROTECT_TREE)))
        return PROTECTED;  // a root, or a protected folder or one above one
    // the folders above, as the file system resolved them: a tree holds
    // it at any depth, a profile directly. A walk judges the folders of one
    // folder one after another: the verdict on the last one above is kept.
    if (!CutLast(s_path, root))
        return ALLOWED;
    if (!lstrcmpW(s_path, s_above))
        return s_aboveVerdict;
    lstrcpynW(s_above, s_path, WIDE_PATH);
    s_aboveVerdict = UNJUDGED;
    DWORD kinds = PROTECT_TREE | PROTECT_CHILDREN;
    Identity above;
    do {
        if (!Identify(s_path, &above, 0))
            return UNJUDGED;
        if (KindsOf(&above) & kinds)
            return s_aboveVerdict = PROTECTED;
        kinds = PROTECT_TREE;
    } while (CutLast(s_path, root));
    return s_aboveVerdict = ALLOWED;
}

// Judges a folder named by a path, following links as a walk through it
// would; UNJUDGED when it cannot be opened or the table is not filled.
static int Judge(const WCHAR* path)
{
    Identity id;
    if (!s_ready || !Identify(path, &id, s_path))
        return UNJUDGED;
    return JudgeResolved(&id);
}

bool IsFolderRefusedW(const WCHAR* path)
{
    return Judge(path) != ALLOWED;
}

// Opened for listing, so that the share mode counts: a handle that may
// only read attributes holds nothing. Deletion is not shared, and a rename,
// a removal or a link put in its place all open the folder for deletion
// first. Windows also refuses them for every folder above an open one.
int HoldFolder(const WCHAR* path, HANDLE parent, const WCHAR* name, HANDLE* held)
{
    DWORD access = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
    DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    HANDLE folder = parent ? OpenInFolder(parent, name, access, share, 0)
                           : CreateFileW(path, access, share, 0, OPEN_EXISTING,
                                         FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, 0);
    *held = INVALID_HANDLE_VALUE;
    if (folder == INVALID_HANDLE_VALUE)
        return HELD_NONE;
    BY_HANDLE_FILE_INFORMATION info;
    int kind = HELD_NONE;
    if (GetFileInformationByHandle(folder, &info) &&
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        kind = info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT ? HELD_LINK : HELD_FOLDER;
    if (kind == HELD_FOLDER)
        *held = folder;
    else
        CloseHandle(folder);
    return kind;
}

bool IsHeldFolderStill(HANDLE held)
{
    BY_HANDLE_FILE_INFORMATION info;
    return GetFileInformationByHandle(held, &info) &&
           !(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool IsHeldFolderRefused(HANDLE held, const WCHAR* path)
{
    Identity id;
    return !s_ready || !IdentifyHandle(held, path, &id, s_path) || JudgeResolved(&id) != ALLOWED;
}

// The path without a \\?\ prefix before a drive letter.
static const WCHAR* Plain(const WCHAR* path)
{
    return path[0] == '\\' && path[1] == '\\' && path[2] == '?' && path[3] == '\\' && path[5] == ':'
               ? path + 4
               : path;
}

// The first n characters of a and b agree, ASCII letters in either case
// (other characters exactly: at worst a file stays).
static bool SameStart(const WCHAR* a, const WCHAR* b, int n)
{
    for (int i = 0; i < n; ++i) {
        WCHAR x = a[i], y = b[i];
        if (x != y && !((x | 0x20) == (y | 0x20) && (x | 0x20) >= 'a' && (x | 0x20) <= 'z'))
            return false;
    }
    return true;
}

// The folder a 32-bit program on 64-bit Windows reaches by this name: the
// system redirects System32 to SysWOW64. (A few folders in System32 are
// not redirected, drivers\etc and spool among them: a file named there is
// then taken for one in a swapped folder and stays, the safe side.)
static const WCHAR* Redirected(const WCHAR* path)
{
    int length = lstrlenW(s_system32);
    if (!length || !SameStart(path, s_system32, length) || (path[length] && path[length] != '\\'))
        return path;
    static WCHAR redirected[WIDE_PATH];
    lstrcpynW(redirected, s_syswow64, WIDE_PATH);
    int at = lstrlenW(redirected);
    lstrcpynW(redirected + at, path + length, WIDE_PATH - at);
    return redirected;
}

bool IsFileRefusedW(const WCHAR* path)
{
    lstrcpynW(s_folder, path, WIDE_PATH);
    int cut = -1;
    for (int i = 0; s_folder[i]; ++i)
        if (s_folder[i] == '\\')
            cut = i;
    if (cut < 0)
        lstrcpynW(s_folder, L".", 2);
    else
        s_folder[cut] = 0;
    int judged = Judge(s_folder);
    if (judged != PROTECTED)
        return judged == UNJUDGED;
    // A file that the log names in a protected folder (a shared library
    // given back, a narrow pattern) is deleted there only when its path
    // names that folder as the file system does, long names and case aside:
    // a folder swapped for a link since then does not redirect it.
    DWORD length = GetFullPathNameW(s_folder, WIDE_PATH, s_text, 0);
    if (!length || length >= WIDE_PATH)
        return true;
    length = GetLongPathNameW(s_text, s_text, WIDE_PATH);
    return !length || length >= WIDE_PATH ||
           lstrcmpiW(Redirected(Plain(s_text)), Plain(s_path)) != 0;
}
