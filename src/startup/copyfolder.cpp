// The removal copy's folder. Every run copies the program into a new folder
// of its own in the temporary folder: two uninstallers at the same time,
// a running program or a read-only file of the copy's name, and anything
// another user left there, never meet the copy.
#include <windows.h>
#include <sddl.h>

#include "common/globals.h"
#include "common/text.h"
#include "startup/startup.h"

// BUILTIN\Administrators, enabled only in an elevated token (and SYSTEM's).
static const struct {
    BYTE revision, count;
    BYTE authority[6];
    DWORD sub[2];
} s_administrators = {1, 2, {0, 0, 0, 0, 0, 5}, {32, 544}};

// Full control for SYSTEM and Administrators alone, not inherited: an
// elevated program's temporary folder may be C:\Windows\Temp, where every
// user may create files.
static const char s_adminOnly[] = "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";

enum { COPY_FOLDER_TRIES = 8 };

bool MakeCopyFolder(char* folder)
{
    CopyText(folder, g_tempDir, PATH_BUFFER);
    SECURITY_ATTRIBUTES security = {sizeof security, 0, FALSE};
    BOOL elevated = FALSE;
    if (CheckTokenMembership(0, (PSID)&s_administrators, &elevated) && elevated &&
        !ConvertStringSecurityDescriptorToSecurityDescriptorA(s_adminOnly, SDDL_REVISION_1,
                                                              &security.lpSecurityDescriptor, 0))
        return false;  // never a folder that other users could write

    // advapi32's RtlGenRandom, looked up by name: it is exported only so
    typedef BOOLEAN(WINAPI * RandomFunction)(void*, ULONG);
    RandomFunction random = (RandomFunction)(void*)GetProcAddress(
        GetModuleHandleA("advapi32.dll"), "SystemFunction036");
    for (int attempt = 0; attempt < COPY_FOLDER_TRIES; ++attempt) {
        BYTE bits[8];
        if (!random || !random(bits, sizeof bits))
            return false;
        char name[2 * sizeof bits + 1];
        for (int i = 0; i < 2 * int(sizeof bits); ++i)
            name[i] = "0123456789abcdef"[(bits[i / 2] >> (i % 2 * 4)) & 15];
        name[2 * sizeof bits] = 0;
        JoinPath(folder, g_tempDir, name, PATH_BUFFER);
        // fails on an existing name: nobody's folder is taken over
        if (CreateDirectoryA(folder, &security))
            return true;
    }
    return false;
}
