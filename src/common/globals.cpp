#include "common/globals.h"

HWND g_dialog;
char g_productTitle[TITLE_BUFFER];
char g_caption[TITLE_BUFFER];
char g_programPath[PATH_BUFFER];
char g_programFolder[PATH_BUFFER];
char g_tempDir[PATH_BUFFER];
char g_windowsDir[PATH_BUFFER];
char g_logPath[PATH_BUFFER];
char g_copyFolder[PATH_BUFFER];
DWORD g_libraryFlags;
