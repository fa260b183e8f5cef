#include "startup/startup.h"
#include "common/text.h"

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

bool ParseCommandLine(const char* commandLine, const char* programPath,
                      char* argument, int argumentSize)
{
    CopyText(argument, "", argumentSize);
    const char* p = commandLine;
    if (StartsWithPath(p, programPath)) {
        // An unquoted program path with spaces ("C:\Program Files\...") is
        // still the program's name, not the start of the argument.
        p += TextLength(programPath);
    } else {
        bool quoted = false;
        for (; *p; ++p) {
            if (*p == '"')
                quoted = !quoted;
            else if (*p == ' ' && !quoted)
                break;
        }
    }
    if (!*p)
        return true;
    while (*p == ' ' || *p == '"')
        ++p;
    int whole = TextLength(p);
    if (whole > 0 && p[whole - 1] == '"')
        --whole;
    CopyText(argument, p, argumentSize);
    int length = TextLength(argument);
    if (length > 0 && argument[length - 1] == '"')
        argument[length - 1] = 0;
    return whole < argumentSize;
}
