// Names in a double-byte ANSI code page: every routine that looks for a
// backslash, a dot, a comma or a quote steps over the second byte of a
// double-byte character. Each row runs once in code page 932, where that
// byte belongs to the character, and once in code page 1252, where the same
// bytes are single characters and the results are those of a byte search.
#include "guard/guard.h"
#include "actions/match.h"
#include "common/platform_host.h"
#include "common/text.h"
#include "startup/startup.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// Code page 932 characters, each its own literal so that no hex escape runs
// into the text after it.
#define SO "\x83\x5C"   // katakana so: second byte is the backslash
#define FU "\x83\x74"   // katakana fu
#define TO "\x83\x67"   // katakana to
#define HYO "\x95\x5C"  // kanji "table": second byte is the backslash
#define JI "\x8E\xA6"   // kanji "show"
#define PO "\x83\x7C"   // katakana po: second byte is the vertical bar
// 0x2E, 0x2C and 0x22 are no valid second bytes in 932, but the system pairs
// any byte after a lead byte with it (CharNextA, MultiByteToWideChar).
#define LEAD "\x81"

std::string Parts(std::initializer_list<std::string> parts)
{
    std::string out;
    for (auto& p : parts)
        out += (out.empty() ? "" : "\t") + p;
    return out;
}

// Input fields are separated by tabs: no code page 932 character has a tab
// as its second byte.
std::string Arg(const std::string& input, int n)
{
    size_t start = 0;
    for (int i = 0; i < n; ++i)
        start = input.find('\t', start) + 1;
    return input.substr(start, input.find('\t', start) - start);
}

std::string Apply(const std::string& routine, const std::string& input)
{
    char a[512];
    char b[512];
    char c[512];
    strcpy(a, input.c_str());
    if (routine == "strip") {
        StripLastComponent(a);
        return a;
    }
    if (routine == "parents") {  // the leftover list's walk up from a file
        std::string walk;
        for (StripLastComponent(a); a[0]; StripLastComponent(a))
            walk += (walk.empty() ? "" : "\t") + std::string(a);
        return walk;
    }
    if (routine == "last") {
        LastComponent(a, b, sizeof b);
        return b;
    }
    if (routine == "ext") {
        int dot = SplitExtension(a, b, c, 256);
        return Parts({b, c, std::to_string(dot)});
    }
    if (routine == "trim") {
        CutTrailingBackslash(a);
        return a;
    }
    if (routine == "join") {
        return JoinPath(c, Arg(input, 0).c_str(), Arg(input, 1).c_str(), sizeof c);
    }
    if (routine == "slashes") {
        UseBackslashes(a);
        return a;
    }
    if (routine == "fields")
        return Parts({GetField(a, input.c_str(), 0, sizeof a), GetField(b, input.c_str(), 1, sizeof b),
                      GetField(c, input.c_str(), 2, sizeof c)});
    if (routine == "cmdline") {
        ParseCommandLine(Arg(input, 0).c_str(), Arg(input, 1).c_str(), b, sizeof b);
        return b;
    }
    if (routine == "canonical")
        return CanonicalPath(a, b, sizeof b) ? b : "<none>";
    if (routine == "pattern") {  // a file entry's split: folder, name, pattern, a found name
        std::string path = Arg(input, 0);
        strcpy(a, path.c_str());
        StripLastComponent(a);
        LastComponent(path.c_str(), b, sizeof b);
        FilePattern pattern;
        ParsePattern(b, &pattern);
        bool matches = PatternMatches(&pattern, Arg(input, 1).c_str());
        return Parts({a, b, pattern.base, pattern.ext,
                      std::string(pattern.anyBase ? "B" : "-") + (pattern.anyExt ? "E" : "-") +
                          (pattern.wildcard ? "W" : "-") + (matches ? "M" : "-")});
    }
    ADD_FAILURE() << "no routine " << routine;
    return "";
}

struct Row {
    const char* routine;
    std::string input;
    std::string in932;
    std::string in1252;
};

}  // namespace

TEST(DoubleByte, PathsAndFieldsInCodePages932And1252)
{
    const std::string app = "C:\\" SO FU TO "\\" HYO JI;  // C:\ソフト\表示
    const Row rows[] = {
        // cutting the last component
        {"strip", app + "\\" SO ".txt", app, app + "\\\x83"},
        {"strip", "C:\\" HYO, "C:", "C:\\\x95"},
        {"strip", SO "x", "", "\x83"},  // the trail byte is no backslash after the first place
        {"strip", "C:\\" PO "\\" PO ".txt", "C:\\" PO, "C:\\" PO},
        {"strip", "C:\\a\\" LEAD, "C:\\a", "C:\\a"},  // a lead byte at the very end
        // the leftover list's walk up the parent folders
        {"parents", app + "\\" SO "\\" HYO ".txt", Parts({app + "\\" SO, app, "C:\\" SO FU TO, "C:"}),
         Parts({app + "\\" SO "\\\x95", app + "\\" SO, app + "\\\x83", app, "C:\\" SO FU TO "\\\x95",
                "C:\\" SO FU TO, "C:\\\x83", "C:"})},
        // taking the last component
        {"last", app + "\\" SO ".txt", SO ".txt", ".txt"},
        {"last", "C:\\" SO FU TO "\\" HYO, HYO, ""},
        {"last", "C:\\" PO, PO, PO},
        // splitting the extension
        {"ext", SO "." HYO, Parts({SO, HYO, "2"}), Parts({SO, HYO, "2"})},
        {"ext", "a" LEAD ".txt", Parts({"a" LEAD ".txt", "", "-1"}), Parts({"a" LEAD, "txt", "2"})},
        {"ext", "x.t" LEAD ".", Parts({"x", "t" LEAD ".", "1"}), Parts({"x.t" LEAD, "", "4"})},
        {"ext", PO "." PO, Parts({PO, PO, "2"}), Parts({PO, PO, "2"})},
        // trailing backslashes
        {"trim", "C:\\" SO, "C:\\" SO, "C:\\\x83"},
        {"trim", "C:\\" SO "\\", "C:\\" SO, "C:\\" SO},
        {"trim", "C:\\" PO "\\", "C:\\" PO, "C:\\" PO},
        // joining
        {"join", "C:\\" SO "\tx.exe", "C:\\" SO "\\x.exe", "C:\\" SO "x.exe"},
        {"join", "C:\\" HYO "\\\t\\" SO, "C:\\" HYO "\\" SO, "C:\\" HYO "\\" SO},
        {"join", "C:\\" PO "\tx", "C:\\" PO "\\x", "C:\\" PO "\\x"},
        // either slash: 0x2F is no trail byte in 932, but a lead byte takes it
        {"slashes", "C:/" SO "/" LEAD "/x", "C:\\" SO "\\" LEAD "/x", "C:\\" SO "\\" LEAD "\\x"},
        // reading fields
        {"fields", app + "\\" SO ".txt,1", Parts({app + "\\" SO ".txt", "1", app + "\\" SO ".txt,1"}),
         Parts({app + "\\" SO ".txt", "1", app + "\\" SO ".txt,1"})},
        {"fields", "a" LEAD ",b,c", Parts({"a" LEAD ",b", "c", "a" LEAD ",b,c"}),
         Parts({"a" LEAD, "b", "c"})},
        {"fields", LEAD "\"a,b", Parts({LEAD "\"a", "b", LEAD "\"a,b"}),
         Parts({LEAD "\"a,b", LEAD "\"a,b", LEAD "\"a,b"})},
        {"fields", "\"" SO "," PO "\"," HYO, Parts({"\"" SO "," PO "\"", HYO, "\"" SO "," PO "\"," HYO}),
         Parts({"\"" SO "," PO "\"", HYO, "\"" SO "," PO "\"," HYO})},
        // the command line: the program's name, then the log path
        {"cmdline", "\"" + app + "\\unins.exe\" \"" + app + "\\" SO ".ini\"\t" + app + "\\unins.exe",
         app + "\\" SO ".ini", app + "\\" SO ".ini"},
        {"cmdline", "C:\\" SO "\\x.exe C:\\" HYO "\tC:\\" SO "\\x.exe", "C:\\" HYO, "C:\\" HYO},
        {"cmdline", "x.exe C:\\a" LEAD "\"\tC:\\x.exe", "C:\\a" LEAD "\"", "C:\\a" LEAD},
        {"cmdline", "C:\\a" LEAD " b.exe c\tC:\\x.exe", "c", "b.exe c"},
        // the protected-folder guard's spelling
        {"canonical", "C:\\" SO "\\", "C:\\" SO, "C:\\\x83"},
        {"canonical", app + "\\" SO "\\..", app, app},
        {"canonical", "C:\\" SO FU "\\..\\" HYO "\\.", "C:\\" HYO, "C:\\" SO "\x95"},
        {"canonical", "\\\\" HYO "share\\dir\\..\\..", "\\\\" HYO "share\\dir", "\\\\\x95\\share"},
        {"canonical", "C:/" PO "/./" PO, "C:\\" PO "\\" PO, "C:\\" PO "\\" PO},
        // the wildcard split of file entries
        {"pattern", app + "\\*.txt\t" SO ".TXT", Parts({app, "*.txt", "*", "txt", "B-WM"}),
         Parts({app, "*.txt", "*", "txt", "B-WM"})},
        {"pattern", app + "\\" SO ".*\t" SO ".dat", Parts({app, SO ".*", SO, "*", "-EWM"}),
         Parts({app + "\\\x83", ".*", "", "*", "-EW-"})},
        {"pattern", app + "\\*.*\t" SO, Parts({app, "*.*", "*", "*", "BEWM"}),
         Parts({app, "*.*", "*", "*", "BEWM"})},
        {"pattern", "C:\\x\\*.txt\ta" LEAD ".txt", Parts({"C:\\x", "*.txt", "*", "txt", "B-W-"}),
         Parts({"C:\\x", "*.txt", "*", "txt", "B-WM"})},
        {"pattern", "C:\\x\\" HYO "\t" HYO, Parts({"C:\\x", HYO, HYO, "", "-E-M"}),
         Parts({"C:\\x\\\x95", "", "", "", "-E--"})},
    };
    for (unsigned codePage : {932u, 1252u}) {
        HostSetCodePage(codePage);
        for (const Row& row : rows)
            EXPECT_EQ(codePage == 932 ? row.in932 : row.in1252, Apply(row.routine, row.input))
                << "code page " << codePage << ", " << row.routine << " of " << row.input;
    }
    HostSetCodePage(1252);
}
