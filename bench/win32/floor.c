/* The floor of the tree removal benchmark: the least a program must do to
 * remove a tree with the Win32 calls. It walks the tree with FindFirstFileA
 * and FindNextFileA, deletes every file with DeleteFileA and every folder,
 * from the bottom up, with RemoveDirectoryA, and does nothing else.
 *
 * floor DIR [+exists] [+attributes] [+compare]
 *
 * The options add, for every file, one of the calls the uninstaller makes
 * besides those, to tell what each costs: GetFileAttributesA before the
 * deletion, SetFileAttributesA(FILE_ATTRIBUTE_NORMAL) before it, and one
 * CompareStringA of the path with the one before (as the handled-path set
 * compares paths that come in order). */
#include <windows.h>
#include <string.h>

static char s_path[32768];
static char s_previous[32768];
static int s_exists, s_attributes, s_compare;

static void RemoveTreeAt(size_t length)
{
    WIN32_FIND_DATAA found;
    HANDLE find;
    strcpy(s_path + length, "\\*.*");
    find = FindFirstFileA(s_path, &found);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        size_t name = strlen(found.cFileName);
        if (!strcmp(found.cFileName, ".") || !strcmp(found.cFileName, ".."))
            continue;
        if (length + 1 + name + 5 >= sizeof s_path)
            continue;
        s_path[length] = '\\';
        memcpy(s_path + length + 1, found.cFileName, name + 1);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveTreeAt(length + 1 + name);
            s_path[length + 1 + name] = 0;
            RemoveDirectoryA(s_path);
        } else {
            if (s_exists)
                GetFileAttributesA(s_path);
            if (s_compare) {
                CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, s_previous, -1, s_path, -1);
                strcpy(s_previous, s_path);
            }
            if (s_attributes)
                SetFileAttributesA(s_path, FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(s_path);
        }
    } while (FindNextFileA(find, &found));
    FindClose(find);
    s_path[length] = 0;
}

int main(int argc, char** argv)
{
    size_t length;
    int i;
    if (argc < 2 || strlen(argv[1]) + 5 >= sizeof s_path)
        return 2;
    for (i = 2; i < argc; ++i) {
        s_exists |= !strcmp(argv[i], "+exists");
        s_attributes |= !strcmp(argv[i], "+attributes");
        s_compare |= !strcmp(argv[i], "+compare");
    }
    strcpy(s_path, argv[1]);
    length = strlen(s_path);
    RemoveTreeAt(length);
    s_path[length] = 0;
    return RemoveDirectoryA(s_path) ? 0 : 1;
}
