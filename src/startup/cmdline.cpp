#include "startup/startup.h"
#include "common/limits.h"
#include "common/message.h"
#include "common/text.h"

// The switches by name, with their flags.
static const struct {
    const char* name;
    unsigned flag;
} s_switches[] = {
    {"SILENT", SWITCH_SILENT},
    {"VERYSILENT", SWITCH_VERYSILENT},
    {"SUPPRESSMSGBOXES", SWITCH_SUPPRESSMSGBOXES},
    {"NORESTART", SWITCH_NORESTART},
    {"LOG", SWITCH_LOG},
};

// The flag of the switch that p starts with ("/NAME" followed by a space,
// the end, or for /LOG an equals sign), ignoring case; 0 for none.
static unsigned SwitchAt(const char* p, int* length)
{
    if (*p != '/')
        return 0;
    for (const auto& s : s_switches) {
        int i = 0;
        while (s.name[i] && (p[1 + i] & ~0x20) == s.name[i])
            ++i;
        char next = p[1 + i];
        if (!s.name[i] && (next == ' ' || !next || (next == '=' && s.flag == SWITCH_LOG))) {
            *length = 1 + i;
            return s.flag;
        }
    }
    return 0;
}

// True when text starts with prefix (ignoring case) followed by a space or the end.
static bool StartsWithPath(const char* text, const char* prefix)
{
    enum { PREFIX_BUFFER = 512 };
    int length = TextLength(prefix);
    if (length == 0 || length >= PREFIX_BUFFER)
        return false;
    for (int i = 0; i < length; ++i)
        if (!text[i])
            return false;
    if (text[length] != ' ' && text[length] != 0)
        return false;
    char head[PREFIX_BUFFER];
    CopyText(head, text, length + 1);
    return SameText(head, prefix);
}

void WriteSwitches(unsigned switches, const char* reportPath, char* dest, int destSize)
{
    CopyText(dest, "", destSize);
    for (const auto& s : s_switches)
        if (switches & s.flag) {
            AppendText(dest, " /", destSize);
            AppendText(dest, s.name, destSize);
        }
    // /LOG comes last: its file follows it
    if ((switches & SWITCH_LOG) && reportPath[0]) {
        AppendText(dest, "=\"", destSize);
        AppendText(dest, reportPath, destSize);
        AppendText(dest, "\"", destSize);
    }
}

bool ParseCommandLine(const char* commandLine, const char* programPath,
                      char* argument, int argumentSize, unsigned* switches, char* reportPath)
{
    CopyText(argument, "", argumentSize);
    unsigned found = 0;
    bool fits = true;
    const char* p = commandLine;
    if (StartsWithPath(p, programPath)) {
        // An unquoted program path with spaces ("C:\Program Files\...") is
        // still the program's name, not the start of the argument.
        p += TextLength(programPath);
    } else {
        bool quoted = false;
        for (; *p; p = NextChar(p)) {
            if (*p == '"')
                quoted = !quoted;
            else if (*p == ' ' && !quoted)
                break;
        }
    }
    // the switches, up to the first word that is none: the log path
    for (;;) {
        while (*p == ' ')
            ++p;
        int length;
        unsigned flag = SwitchAt(p, &length);
        if (!flag)
            break;
        found |= flag;
        p += length;
        if (*p == '=') {  // /LOG="file" or /LOG=file
            const char* value = ++p;
            char end = ' ';
            if (*p == '"')
                end = *p++, value = p;
            while (*p && *p != end)
                p = NextChar(p);
            int size = int(p - value) + 1;
            if (reportPath) {
                fits &= size <= PATH_BUFFER;
                CopyText(reportPath, value, size < PATH_BUFFER ? size : PATH_BUFFER);
            }
            if (*p == '"')
                ++p;
        }
    }
    if (switches)
        *switches = found;
    if (!*p)
        return fits;
    while (*p == ' ' || *p == '"')
        ++p;
    int whole = TextLength(p);
    int quote = FindLastChar(p, '"');
    if (quote >= 0 && !p[quote + 1])
        --whole;  // the closing quote is no part of the path
    CopyText(argument, p, argumentSize);
    quote = FindLastChar(argument, '"');
    if (quote >= 0 && !argument[quote + 1])
        argument[quote] = 0;
    return fits && whole < argumentSize;
}
