// State shared by several parts of the program. All of it lives for the
// whole run.
#pragma once
#include "common/limits.h"
#include "common/platform.h"

extern HWND g_dialog;                       // progress dialog, once initialised
extern char g_productTitle[TITLE_BUFFER];   // message 10
extern char g_caption[TITLE_BUFFER];        // "%s %s" of messages 48 and 10
extern char g_programPath[PATH_BUFFER];     // the running program file
extern char g_programFolder[PATH_BUFFER];
extern char g_tempDir[PATH_BUFFER];         // without trailing backslash
extern char g_windowsDir[PATH_BUFFER];
extern char g_logPath[PATH_BUFFER];
// The removal copy's own folder in the temporary folder: made by the
// launcher; in the removal stage the program's folder when it lies directly
// in the temporary folder. Empty otherwise.
extern char g_copyFolder[PATH_BUFFER];
// LoadLibraryEx flags that put a library's own folder in its search.
extern DWORD g_libraryFlags;
