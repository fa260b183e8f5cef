/* The stopwatch of the Wine benchmarks: starts a program and times it from
 * inside Wine, with the performance counter, so that the figures hold no
 * start of a Wine process of ours and no polling across the Unix side.
 *
 * stopwatch run COMMAND
 *     prints "exit MS": from CreateProcess to the end of the process.
 * stopwatch dialog TITLE COMMAND [work]
 *     prints "dialog MS": from CreateProcess to the moment the progress
 *     dialog titled TITLE is visible; the program is then ended. With
 *     "work" it is left to finish: "done MS" when its Finish or Close
 *     button is enabled, then the button is pressed and "exit MS" follows.
 * stopwatch compare COUNT
 *     prints "compare_early NS" and "compare_late NS": the cost of one
 *     CompareStringA call as the program makes it, over pairs of log entry
 *     texts that differ early and late. */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum { IDC_CLOSE = 1000, IDC_FINISH = 1006 };

static LARGE_INTEGER s_frequency, s_start;

static double Elapsed(void)
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (double)(now.QuadPart - s_start.QuadPart) * 1000.0 / (double)s_frequency.QuadPart;
}

static int Start(const char* command, PROCESS_INFORMATION* process)
{
    STARTUPINFOA startup;
    static char line[32768];
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    lstrcpynA(line, command, sizeof line);
    QueryPerformanceCounter(&s_start);
    return CreateProcessA(0, line, 0, 0, FALSE, 0, 0, 0, &startup, process);
}

static int Run(const char* command)
{
    PROCESS_INFORMATION process;
    if (!Start(command, &process)) {
        printf("error start %lu\n", GetLastError());
        return 1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    printf("exit %.1f\n", Elapsed());
    return 0;
}

/* The button that ends the dialog once its work is done, or none yet. */
static HWND Button(HWND finish, HWND close)
{
    if (finish && IsWindowEnabled(finish) && IsWindowVisible(finish))
        return finish;
    if (close && IsWindowEnabled(close))
        return close;
    return 0;
}

static int Dialog(const char* title, const char* command, int work)
{
    PROCESS_INFORMATION process;
    HWND dialog = 0, button = 0, finish, close;
    if (!Start(command, &process)) {
        printf("error start %lu\n", GetLastError());
        return 1;
    }
    /* Every look at another process's window is a request to the one
     * wineserver, which the program needs too: the looks are spaced, 5 ms
     * while the program loads its log, 20 ms while it works. */
    for (;;) {
        dialog = FindWindowA(0, title);
        if (dialog && IsWindowVisible(dialog))
            break;
        if (WaitForSingleObject(process.hProcess, 5) == WAIT_OBJECT_0) {
            printf("error ended before its dialog\n");
            return 1;
        }
    }
    printf("dialog %.1f\n", Elapsed());
    fflush(stdout);
    if (!work) {
        TerminateProcess(process.hProcess, 0);
        WaitForSingleObject(process.hProcess, INFINITE);
        return 0;
    }
    finish = GetDlgItem(dialog, IDC_FINISH);
    close = GetDlgItem(dialog, IDC_CLOSE);
    while (!(button = Button(finish, close))) {
        if (WaitForSingleObject(process.hProcess, 20) == WAIT_OBJECT_0) {
            printf("error ended before its work was done\n");
            return 1;
        }
    }
    printf("done %.1f\n", Elapsed());
    fflush(stdout);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), (LPARAM)button);
    if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 0);
        printf("error did not end\n");
        return 1;
    }
    printf("exit %.1f\n", Elapsed());
    return 0;
}

/* Pairs of entry texts as the name set's search compares them: in its
 * first steps the texts differ in their folder, in its last ones only in
 * the file's number. */
static double CompareCost(LCID locale, int count, int late)
{
    static char texts[64][96];
    volatile int sink = 0;
    LARGE_INTEGER start, now;
    int i;
    for (i = 0; i < 64; ++i)
        sprintf(texts[i], "PC:\\Program Files\\Bench Product\\Folder%03d\\Data File %05d.dat,0",
                late ? 42 : (i * 37) % 100, late ? 8400 + i : (i * 7919) % 19899);
    QueryPerformanceCounter(&start);
    for (i = 0; i < count; ++i)
        sink += CompareStringA(locale, NORM_IGNORECASE, texts[i & 63], -1,
                               texts[(i * 5 + 1) & 63], -1);
    QueryPerformanceCounter(&now);
    return (double)(now.QuadPart - start.QuadPart) * 1e9 / (double)s_frequency.QuadPart / count;
}

static int Compare(int count)
{
    printf("compare_early %.1f\n", CompareCost(LOCALE_USER_DEFAULT, count, 0));
    printf("compare_late %.1f\n", CompareCost(LOCALE_USER_DEFAULT, count, 1));
    printf("compare_late_lcid %.1f\n", CompareCost(GetUserDefaultLCID(), count, 1));
    return 0;
}

int main(int argc, char** argv)
{
    QueryPerformanceFrequency(&s_frequency);
    if (argc == 3 && !strcmp(argv[1], "run"))
        return Run(argv[2]);
    if ((argc == 4 || argc == 5) && !strcmp(argv[1], "dialog"))
        return Dialog(argv[2], argv[3], argc == 5 && !strcmp(argv[4], "work"));
    if (argc == 3 && !strcmp(argv[1], "compare"))
        return Compare(atoi(argv[2]));
    fprintf(stderr, "usage: stopwatch run COMMAND | dialog TITLE COMMAND [work] | compare COUNT\n");
    return 2;
}
