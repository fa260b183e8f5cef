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

    // A library named without a folder comes from the system's folders; one
    // named by its full path finds the libraries beside it; a relative path
    // would be taken from the temporary folder.
    char found[PATH_BUFFER];
    const char* file = library;
    HMODULE module = 0;
    if (NamesFolder(library) ? IsFullPath(library) : FindSystemFile(library, ".dll", found)) {
        if (!NamesFolder(library))
            file = found;
        module = LoadLibraryExA(file, 0, g_libraryFlags);
    }
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

// The program of a command: a quoted path gets its short form, a program
// named without a folder is taken from the system's folders, and the
// program goes back into the command quoted if it still holds a space.
// Unquoted paths, and a quote that never closes, stay as written. False
// when the command must not run: a program by name that the system's
// folders lack, or a result that would not fit.
static bool PrepareCommand(char* command)
{
    bool quoted = command[0] == '"';
    const char* end = command + quoted;
    while (*end && *end != (quoted ? '"' : ' '))
        end = NextChar(end);
    if (quoted && !*end)
        return true;
    char program[PATH_BUFFER];
    CopyText(program, command + quoted, int(end - command) - quoted + 1);
    const char* rest = end + quoted;  // after the closing quote, or from the space
    if (NamesFolder(program)) {
        if (!quoted)
            return true;
    } else {
        char found[PATH_BUFFER];
        if (!FindSystemFile(program, ".exe", found))
            return false;
        CopyText(program, found, sizeof program);
    }
    char line[PATH_BUFFER];
    DWORD length = GetShortPathNameA(program, line + 1, sizeof line - 1);
    if (length == 0 || length >= sizeof line - 1)
        CopyText(line + 1, program, sizeof line - 1);
    // where short names are off, the short form is the long one
    char* start = line + 1;
    if (FindLastChar(start, ' ') >= 0) {
        *--start = '"';
        AppendText(start, "\"", PATH_BUFFER - 1);
    }
    if (TextLength(start) + TextLength(rest) >= PATH_BUFFER - 1)
        return false;
    AppendText(start, rest, PATH_BUFFER - 1);
    CopyText(command, start, PATH_BUFFER);
    return true;
}

// E: runs the command and waits, without a time limit, until the program's
// first thread has ended. A program that cannot start or be found is passed
// over.
void RunProgram()
{
    char command[PATH_BUFFER];
    if (!ReadEntryField(command, 0, sizeof command))
        return;
    if (!PrepareCommand(command) || !StartProgram(command, true))
        ReportOutcome(OUT_NOT_FOUND);
}
