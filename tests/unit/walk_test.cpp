// The removal walk's Windows-free parts: the plan for each found name, the
// wide matcher, and the long-form paths it builds.
#include "actions/match.h"
#include "actions/plan.h"
#include "common/platform_host.h"
#include "common/wtext.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::u16string Wide(const std::string& utf8)
{
    std::vector<WCHAR> wide(utf8.size() + 1);
    EXPECT_TRUE(PlatAnsiToWide(utf8.c_str(), wide.data(), int(wide.size())));
    return std::u16string(wide.data());
}

std::string Narrow(const std::u16string& wide)
{
    std::string out;
    for (char16_t c : wide)
        out += c < 0x80 ? char(c) : '#';
    return out;
}

const char* ActionName(int action)
{
    static const char* const names[] = {"pass", "keep", "delete", "ask", "offer", "descend",
                                        "remove-empty", "damaged", "root", "guarded", "guarded-folder"};
    return action >= 0 && action <= PLAN_GUARDED_FOLDER ? names[action] : "?";
}

enum { F = PLAN_FOLDER, L = PLAN_LINK, G = PLAN_GUARDED, IG = PLAN_IN_GUARDED, R = PLAN_IN_ROOT };

}  // namespace

TEST(PlanTest, EveryKindModeAndNameInOneTable)
{
    struct Row {
        char kind;
        int mode;
        unsigned flags;
        const char* pattern;
        const char* action;
    } rows[] = {
        // P: files by mode; folders never
        {'P', 0, 0, "a.txt", "delete"},       {'P', 1, 0, "a.txt", "ask"},
        {'P', 2, 0, "a.txt", "offer"},        {'P', 3, 0, "a.txt", "keep"},
        {'P', 0, F, "*.txt", "pass"},         {'P', 1, F | L, "dir", "pass"},
        // U: files by mode, folders walked, links and mode 2 never entered
        {'U', 0, 0, "a.txt", "offer"},        {'U', 1, 0, "", "delete"},
        {'U', 2, 0, "", "pass"},              {'U', 7, 0, "", "pass"},
        {'U', 0, F, "", "descend"},           {'U', 1, F, "app", "descend"},
        {'U', 3, F, "", "descend"},           {'U', 2, F, "", "remove-empty"},
        {'U', 1, F | L, "", "remove-empty"},  {'U', 1, F | G, "", "guarded-folder"},
        // the system's other wildcards: a damaged entry, wherever it is
        {'P', 0, 0, "a<b", "damaged"},        {'U', 1, F, "a>", "damaged"},
        {'P', 0, 0, "\"x\"", "damaged"},
        // our wildcards never in a drive's root; a literal name may be
        {'P', 0, R, "*.tmp", "root"},         {'U', 1, R, "readme.*", "root"},
        {'P', 0, R, "boot.ini", "delete"},
        // a protected folder: narrow P patterns reach its files only
        {'P', 0, IG, "acme*.dll", "delete"},  {'P', 1, IG, "Acme?.ttf", "ask"},
        {'P', 0, IG, "readme.*", "delete"},   {'P', 0, IG | F, "acme*", "pass"},
        {'P', 0, IG, "*.*", "guarded"},       {'P', 0, IG, "*.dll", "guarded"},
        {'P', 0, IG, "a*", "guarded"},        {'P', 0, IG, "ab?.dll", "guarded"},
        {'P', 0, IG, "ab.*", "guarded"},      {'U', 1, IG, "acme*.dll", "guarded"},
        {'P', 0, IG, "acme.dll", "delete"},   {'P', 0, R | IG, "acme*.tmp", "delete"},
        {'P', 0, R | IG, "a*.tmp", "guarded"},
    };
    for (const Row& row : rows) {
        std::string wanted = row.action;
        EXPECT_EQ(wanted, ActionName(PlanFoundA(row.kind, row.mode, row.flags, row.pattern)))
            << row.kind << row.mode << " " << row.flags << " " << row.pattern;
        EXPECT_EQ(wanted,
                  ActionName(PlanFoundW(row.kind, row.mode, row.flags, Wide(row.pattern).c_str())))
            << row.kind << row.mode << " " << row.flags << " " << row.pattern << " (wide)";
    }
}

TEST(PlanTest, DoubleByteCharactersCountAsOne)
{
    HostSetCodePage(932);
    // two double-byte characters and a star: two characters, not four
    EXPECT_EQ(PLAN_REFUSED_GUARDED, PlanFoundA('P', 0, IG, "\x83\x5c\x83\x74*.dll"));
    EXPECT_EQ(PLAN_DELETE, PlanFoundA('P', 0, IG, "\x83\x5c\x83\x74\x83\x67*.dll"));
    HostSetCodePage(1252);
}

// (the fuzz target checks that the wide matcher agrees with the ANSI one)
TEST(WidePatternTest, FoldsEveryScript)
{
    struct Row {
        const char* pattern;
        const char* found;
        bool matches;
    } rows[] = {
        {"*.txt", u8"\u0434\u043e\u043a\u0443\u043c\u0435\u043d\u0442.TXT", true},
        {u8"\u0434\u043e\u043a.*", u8"\u0414\u041e\u041a.bin", true},
        {u8"\u03b1\u03b2.*", u8"\u0391\u0392.x", true},
        {u8"\u03b1\u03b2.*", u8"\u0391\u0393.x", false},
        {"*.txt", u8"\u65e5\u672c\u8a9e.txt", true},
        {"*.txt", u8"\U0001F600.txt", true},
        {u8"*.\U0001F600", u8"X.\U0001F600", true},   // a starred base: any base, this extension
        {u8"*.\U0001F600", u8"x.\U0001F601", false},
        {"*.txt", u8"\u0434\u043e\u043a.doc", false},
        {"*.txt", "a.txt.bak", false},          // the last dot's extension counts
        {u8"*.\u00e9", u8"x.\u00c9", true},
        {u8"*.\u00e9", "x.e", false},
        {u8"\U0001F600.*", u8"\U0001F600.txt", true},
        {u8"\U0001F600.*", u8"\U0001F601.txt", false},
        {u8"caf\u00e9.*", u8"CAF\u00c9.doc", true},
        {u8"caf\u00e9.*", "CAFE.doc", false},
    };
    for (const Row& row : rows) {
        WidePattern wide;
        ParseWidePattern(Wide(row.pattern).c_str(), &wide);
        EXPECT_EQ(row.matches, WidePatternMatches(&wide, Wide(row.found).c_str()))
            << row.pattern << " " << row.found;
    }
}

TEST(WidePathTest, LongFormShownFormAndEntryPaths)
{
    struct Row {
        const char* full;
        const char* longForm;  // empty: does not fit
        const char* shown;
    } rows[] = {
        {"C:\\App\\a.txt", "\\\\?\\C:\\App\\a.txt", "C:\\App\\a.txt"},
        {"d:\\", "\\\\?\\d:\\", "d:\\"},
        {"\\\\server\\share\\a", "\\\\?\\UNC\\server\\share\\a", "\\\\server\\share\\a"},
        {"\\\\?\\C:\\x", "\\\\?\\C:\\x", "C:\\x"},
        {"\\\\?\\UNC\\s\\h\\x", "\\\\?\\UNC\\s\\h\\x", "\\\\s\\h\\x"},
        {"\\\\.\\C:\\x", "\\\\.\\C:\\x", "\\\\.\\C:\\x"},
        {"\\\\?\\Volume{1}\\x", "\\\\?\\Volume{1}\\x", "\\\\?\\Volume{1}\\x"},
        {"C:", "C:", "C:"},
    };
    for (const Row& row : rows) {
        WCHAR dest[64];
        ASSERT_TRUE(LongPathForm(Wide(row.full).c_str(), dest, 64)) << row.full;
        EXPECT_EQ(row.longForm, Narrow(dest)) << row.full;
        WCHAR shown[64];
        ShownPathForm(dest, shown, 64);
        EXPECT_EQ(row.shown, Narrow(shown)) << row.full;
    }
    // in place, as the entry path is built, and exactly at the edge of the room
    WCHAR path[14];
    ASSERT_TRUE(PlatAnsiToWide("C:\\abcdefg", path, 14));
    EXPECT_FALSE(LongPathForm(path, path, 14));
    ASSERT_TRUE(PlatAnsiToWide("C:\\abcdef", path, 14));
    EXPECT_TRUE(LongPathForm(path, path, 14));
    EXPECT_EQ("\\\\?\\C:\\abcdef", Narrow(path));
    ASSERT_TRUE(PlatAnsiToWide("\\\\s\\h\\a", path, 14));
    EXPECT_TRUE(LongPathForm(path, path, 14));
    EXPECT_EQ("\\\\?\\UNC\\s\\h\\a", Narrow(path));

    // an entry's path: its code page's text as wide text, either slash
    WCHAR entry[ENTRY_PATH_ROOM];
    ASSERT_TRUE(BuildEntryPath(u8"C:/App/\u0434\u043e\u043a.txt", entry, ENTRY_PATH_ROOM));
    EXPECT_EQ(Wide(u8"\\\\?\\C:\\App\\\u0434\u043e\u043a.txt"), std::u16string(entry));
    EXPECT_FALSE(BuildEntryPath("C:\\App\\a.txt", entry, 14));
}
