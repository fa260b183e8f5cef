/* The floor of the tree removal benchmark: the least a program must do to
 * remove a tree with the Win32 calls. It walks the tree with FindFirstFileA
 * and FindNextFileA, deletes every file with DeleteFileA and every folder,
 * from the bottom up, with RemoveDirectoryA, and does nothing else.
 *
 * floor DIR */
#include <windows.h>
#include <string.h>

static char s_path[32768];

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
            DeleteFileA(s_path);
        }
    } while (FindNextFileA(find, &found));
    FindClose(find);
    s_path[length] = 0;
}

int main(int argc, char** argv)
{
    size_t length;
    if (argc != 2 || strlen(argv[1]) + 5 >= sizeof s_path)
        return 2;
    strcpy(s_path, argv[1]);
    length = strlen(s_path);
    RemoveTreeAt(length);
    s_path[length] = 0;
    return RemoveDirectoryA(s_path) ? 0 : 1;
}
