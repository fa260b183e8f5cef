// D and E entries: entry points of libraries and programs, run before the
// progress dialog exists.
#include <windows.h>

#include "actions/actions.h"
#include "common/bytes.h"
#include "common/globals.h"
#include "common/process.h"
#include "common/report.h"
#include "common/text.h"

typedef char Argument[ARGUMENT_BUFFER];

// Calls entry with count texts, the first text as the first parameter.
// Entry points are meant to remove their own arguments (stdcall), but one
// that leaves them (cdecl) must not unbalance the stack, and one that takes
// more parameters than it is given must find them harmless: the stack pointer
// is kept in a register that every convention preserves and put back after
// the call, and zeroed slots lie above the arguments.
static void CallWithTexts(void* entry, int count, Argument* texts)
{
    const char* args[MAX_ARGUMENTS];
    for (int i = 0; i < MAX_ARGUMENTS; ++i)
        args[i] = i < count ? texts[i] : 0;
#if defined(__i386__)
    __asm__ volatile(
        "movl %[count], %%edx\n\t"
        "movl %%esp, %%esi\n\t"
        "movl $8, %%ecx\n"
        "1:\n\t"
        "pushl $0\n\t"
        "decl %%ecx\n\t"
        "jnz 1b\n\t"
        "movl %%edx, %%ecx\n\t"
        "testl %%ecx, %%ecx\n\t"
        "jz 3f\n"
        "2:\n\t"
        "pushl -4(%[args],%%ecx,4)\n\t"
        "decl %%ecx\n\t"
        "jnz 2b\n"
        "3:\n\t"
        "call *%[entry]\n\t"
        "movl %%esi, %%esp\n\t"
        :
        : [entry] "r"(entry), [args] "r"(args), [count] "g"(count)
        : "eax", "ecx", "edx", "esi", "memory", "cc");
#else
    // one calling convention, and the caller removes the arguments
    typedef void(WINAPI * Entry5)(const char*, const char*, const char*, const char*,
                                  const char*);
    ((Entry5)entry)(args[0], args[1], args[2], args[3], args[4]);
#endif
}

// D: library, entry point, number of texts (0 to 5), the texts. Any other
// number calls nothing; the library is freed in every case.
void CallLibraryEntry()
{
    char library[PATH_BUFFER];
    char name[ENTRY_NAME_BUFFER];
    char number[NUMBER_BUFFER];
    Argument texts[MAX_ARGUMENTS];
    // a cut library or entry name would call something the log does not name
    if (!ReadEntryField(library, 0, sizeof library) || !ReadEntryField(name, 1, sizeof name))
        return;
    ReadEntryField(number, 2, sizeof number);
    int count = ParseNumber(number);

    HMODULE module = LoadLibraryA(library);
    if (!module) {
        ReportOutcome(OUT_NOT_FOUND);
        return;
    }
    void* entry = (void*)GetProcAddress(module, name);
    if (!entry)
        ReportOutcome(OUT_NOT_FOUND);
    else if (count >= 0 && count <= MAX_ARGUMENTS) {
        for (int i = 0; i < count; ++i)
            ReadEntryField(texts[i], 3 + i, ARGUMENT_BUFFER);  // texts may be cut
        CallWithTexts(entry, count, texts);
    }
    FreeLibrary(module);
}

// A command that starts with a quoted program path gets the path's short
// form in place of the quoted part. Left unchanged when the quote is not
// closed, the short form cannot be had, or the result would not fit.
static void ShortenProgramPath(char* command)
{
    if (command[0] != '"')
        return;
    int close = 1;
    while (command[close] && command[close] != '"')
        close = int(NextChar(command + close) - command);
    if (!command[close])
        return;
    char path[PATH_BUFFER];
    CopyText(path, command + 1, close);  // the text between the quotes
    char shortened[PATH_BUFFER];
    DWORD length = GetShortPathNameA(path, shortened, sizeof shortened);
    if (length == 0 || length >= sizeof shortened)
        return;
    if (int(length) + TextLength(command + close + 1) >= PATH_BUFFER)
        return;
    AppendText(shortened, command + close + 1, sizeof shortened);
    CopyText(command, shortened, PATH_BUFFER);
}

// E: runs the command and waits, without a time limit, until the program's
// first thread has ended. A program that cannot start is passed over.
void RunProgram()
{
    char command[PATH_BUFFER];
    if (!ReadEntryField(command, 0, sizeof command))
        return;
    ShortenProgramPath(command);
    if (!StartProgram(command, true))
        ReportOutcome(OUT_NOT_FOUND);
}
