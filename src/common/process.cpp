#include <windows.h>

#include "common/bytes.h"
#include "common/process.h"

bool StartProgram(char* command, bool wait, DWORD* exitCode)
{
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    ZeroBytes(&startup, sizeof startup);
    startup.cb = sizeof startup;
    if (!CreateProcessA(0, command, 0, 0, TRUE, CREATE_DEFAULT_ERROR_MODE | NORMAL_PRIORITY_CLASS,
                        0, 0, &startup, &process))
        return false;
    if (exitCode) {
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, exitCode);
    } else if (wait) {
        WaitForSingleObject(process.hThread, INFINITE);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}
