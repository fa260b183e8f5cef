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
        for (; *p; p = NextChar(p)) {
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
    int quote = FindLastChar(p, '"');
    if (quote >= 0 && !p[quote + 1])
        --whole;  // the closing quote is no part of the path
    CopyText(argument, p, argumentSize);
    quote = FindLastChar(argument, '"');
    if (quote >= 0 && !argument[quote + 1])
        argument[quote] = 0;
    return whole < argumentSize;
}
