// The guard asked about a wide path, through its ANSI form.
#include <windows.h>

#include "actions/guard.h"
#include "common/globals.h"
#include "common/wtext.h"

static WCHAR s_shown[WIDE_PATH_ROOM];
static WCHAR s_short[WIDE_PATH_ROOM];

// The ANSI text of a path, when it names the path without loss and the
// ANSI calls can take it.
static bool ToAnsi(const WCHAR* path, char* dest, int destSize)
{
    BOOL lossy = FALSE;
    int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path, -1, dest, destSize, 0, &lossy);
    return n > 0 && n <= MAX_PATH && !lossy;
}

bool IsFolderRefusedW(const WCHAR* path)
{
    char ansi[SCRATCH_BUFFER];
    ShownPathForm(path, s_shown, WIDE_PATH_ROOM);
    // "C:" alone would name the drive's current folder, not its root
    if (WideLength(s_shown) == 2 && s_shown[1] == ':') {
        s_shown[2] = '\\';
        s_shown[3] = 0;
    }
    if (ToAnsi(s_shown, ansi, sizeof ansi))
        return IsFolderRefused(ansi);
    DWORD n = GetShortPathNameW(path, s_short, WIDE_PATH_ROOM);
    if (n && n < WIDE_PATH_ROOM) {
        ShownPathForm(s_short, s_shown, WIDE_PATH_ROOM);
        if (ToAnsi(s_shown, ansi, sizeof ansi))
            return IsFolderRefused(ansi);
    }
    // The longest folder above it that ANSI can name: what is below a folder
    // that is neither protected nor holds a protected one is not protected.
    for (;;) {
        int cut = LastBackslash(s_shown);
        if (cut <= 2)
            return true;
        s_shown[cut] = 0;
        if (ToAnsi(s_shown, ansi, sizeof ansi))
            return IsFolderRefused(ansi);
    }
}
