// The text and path routines over arbitrary text: fields, join, cut, last
// component, extension, numbers, and formatting with log texts as formats.
// The input is split at its first NUL bytes into a text, a second text and
// up to four arguments.
#include "common/platform_host.h"
#include "common/text.h"

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "fuzz_check.h"

// The buffer sizes the program reads fields and paths into.
static const int kSizes[] = {1, 64, 128, 256, 512, 2048};

// A heap buffer of exactly size bytes, so that a write past it is caught.
struct Buffer {
    explicit Buffer(int size) : data(static_cast<char*>(malloc(size))), size(size)
    {
        memset(data, 'x', size);
    }
    ~Buffer() { free(data); }
    char* data;
    int size;
};

static void CheckFields(const char* text)
{
    int separators = 0;
    bool quoted = false;
    for (const char* p = text; *p; ++p) {
        if (*p == '"')
            quoted = !quoted;
        else if (*p == ',' && !quoted)
            ++separators;
    }
    // the fields joined by commas give the text back
    std::string joined;
    int last = separators + 1;
    for (int n = 0; n <= last; ++n) {
        if (n == 32 && last > 33)
            n = last - 1;  // the first fields and the last ones
        for (int size : kSizes) {
            Buffer b(size);
            int length = CopyField(b.data, text, n, size);
            CHECK(int(strlen(b.data)) == (length < size ? length : size - 1));
            CHECK(GetField(b.data, text, n, size) == b.data);
            if (n == separators + 1)
                CHECK(length == TextLength(text));  // fewer separators: the whole text
            else if (size == 2048 && length < size)
                joined += (n ? "," : "") + std::string(b.data);
        }
    }
    if (TextLength(text) < 2048 && last <= 33)
        CHECK(joined == text);
}

static void CheckPaths(const char* a, const char* b)
{
    for (int size : kSizes) {
        Buffer dest(size);
        JoinPath(dest.data, a, b, size);
        CHECK(int(strlen(dest.data)) < size);
        Buffer last(size);
        LastComponent(a, last.data, size);
        CHECK(int(strlen(last.data)) < size);
        CHECK(strchr(last.data, '\\') == 0);
        Buffer base(size), ext(size);
        int dot = SplitExtension(a, base.data, ext.data, size);
        CHECK(dot >= -1 && dot < TextLength(a) + 0);
        CHECK(int(strlen(base.data)) < size && int(strlen(ext.data)) < size);
        if (dot >= 0 && TextLength(a) < size)
            CHECK(std::string(base.data) + "." + ext.data == a);
    }
    // joining into one of its inputs
    std::string joined;
    {
        Buffer d(1024);
        JoinPath(d.data, a, b, 1024);
        joined = d.data;
        CopyText(d.data, a, 1024);
        JoinPath(d.data, d.data, b, 1024);
        CHECK(joined == d.data);
    }
    if (TextLength(a) + TextLength(b) + 2 < 1024 && a[0]) {
        std::string dir = a, name = b[0] == '\\' ? b + 1 : b;
        CHECK(joined == dir + (dir.back() == '\\' ? "" : "\\") + name);
    }
    std::string cut = a;
    std::vector<char> path(cut.begin(), cut.end());
    path.push_back(0);
    StripLastComponent(path.data());
    CHECK(cut.compare(0, strlen(path.data()), path.data()) == 0);
    CutTrailingBackslash(path.data());
    Buffer copy(64);
    CopyText(copy.data, a, 64);
    AppendText(copy.data, b, 64);
    CHECK(strlen(copy.data) < 64);
    SameText(a, b);
    CHECK(SameText(a, a));
}

static void CheckNumber(const char* text)
{
    int value = ParseNumber(text);
    // up to nine digits the value is plain
    const char* digits = text[0] == '-' ? text + 1 : text;
    size_t n = strspn(digits, "0123456789");
    if (n <= 9) {
        long expected = n ? strtol(std::string(digits, n).c_str(), 0, 10) : 0;
        CHECK(value == (text[0] == '-' ? -expected : expected));
    }
}

static void CheckFormat(const char* format, const std::vector<std::string>& args)
{
    const char* a[4];
    for (size_t i = 0; i < 4; ++i)
        a[i] = i < args.size() ? args[i].c_str() : 0;
    for (int count = 0; count <= 4; ++count) {
        for (int size : {1, 128, 1024, 2048}) {
            Buffer dest(size);
            FormatText(dest.data, size, format, a, count);
            CHECK(int(strlen(dest.data)) < size);
            if (!strchr(format, '%') && TextLength(format) < (size < 1024 ? size : 1024))
                CHECK(strcmp(dest.data, format) == 0);
        }
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 4096)
        return 0;
    std::string input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> parts;
    size_t start = 0;
    while (parts.size() < 5) {
        size_t nul = input.find('\0', start);
        parts.push_back(input.substr(start, nul == std::string::npos ? nul : nul - start));
        if (nul == std::string::npos)
            break;
        start = nul + 1;
    }
    const char* text = parts[0].c_str();
    const char* other = parts.size() > 1 ? parts[1].c_str() : "";
    CheckFields(text);
    CheckPaths(text, other);
    CheckNumber(text);
    std::vector<std::string> args(parts.begin() + 1, parts.end());
    CheckFormat(text, args);
    return 0;
}
