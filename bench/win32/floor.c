/* The floor of the tree removal benchmark: the least a program must do to
 * remove a tree with the Win32 calls. It walks the tree by wide names in the
 * long path form (\\?\), as the uninstaller does, with FindFirstFileW and
 * FindNextFileW, deletes every file with DeleteFileW and every folder, from
 * the bottom up, with RemoveDirectoryW, and does nothing else.
 *
 * floor DIR [+exists] [+attributes] [+fold]
 *
 * The options add, for every file, one of the calls the uninstaller makes
 * or made besides those, to tell what each costs: GetFileAttributesW before
 * the deletion, SetFileAttributesW(FILE_ATTRIBUTE_NORMAL) before it, and the
 * upper-casing of the path with LCMapStringW (as the handled-path set folds
 * each path before it compares). */
#include <windows.h>
#include <string.h>

static WCHAR s_path[32768];
static WCHAR s_folded[32768];
static int s_exists, s_attributes, s_fold;

static void RemoveTreeAt(size_t length)
{
    WIN32_FIND_DATAW found;
    HANDLE find;
    lstrcpyW(s_path + length, L"\\*");
    find = FindFirstFileW(s_path, &found);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        size_t name = lstrlenW(found.cFileName);
        if (!lstrcmpW(found.cFileName, L".") || !lstrcmpW(found.cFileName, L".."))
            continue;
        if (length + 1 + name + 3 >= sizeof s_path / sizeof s_path[0])
            continue;
        s_path[length] = '\\';
        memcpy(s_path + length + 1, found.cFileName, (name + 1) * sizeof(WCHAR));
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveTreeAt(length + 1 + name);
            s_path[length + 1 + name] = 0;
            RemoveDirectoryW(s_path);
        } else {
            if (s_exists)
                GetFileAttributesW(s_path);
            if (s_fold)
                LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, s_path, (int)(length + 1 + name),
                             s_folded, 32768);
            if (s_attributes)
                SetFileAttributesW(s_path, FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(s_path);
        }
    } while (FindNextFileW(find, &found));
    FindClose(find);
    s_path[length] = 0;
}

int main(int argc, char** argv)
{
    size_t length;
    int i;
    if (argc < 2)
        return 2;
    for (i = 2; i < argc; ++i) {
        s_exists |= !strcmp(argv[i], "+exists");
        s_attributes |= !strcmp(argv[i], "+attributes");
        s_fold |= !strcmp(argv[i], "+fold");
    }
    lstrcpyW(s_path, L"\\\\?\\");
    if (!MultiByteToWideChar(CP_ACP, 0, argv[1], -1, s_path + 4, 32000))
        return 2;
    length = lstrlenW(s_path);
    RemoveTreeAt(length);
    s_path[length] = 0;
    return RemoveDirectoryW(s_path) ? 0 : 1;
}
