// Damaged and hostile logs, end to end, through the shipped program: one
// table of damaged pieces of logs. Every row writes what its entries aim at
// and canaries beside them (files, registry values, INI keys) and returns
// its part of the log; the rows of one run share one log where they cannot
// disturb each other. After every run each canary is intact, the process has
// ended with 0 and only the program's own boxes were shown.
#include "harness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>

using namespace e2e;
namespace fs = std::filesystem;


// The program runs that carry the rows.
enum class Run {
    Mixed,     // removal stage over one log of many damaged pieces
    Many,      // removal stage: 25,000 action lines and all 1001 message ids
    Launcher,  // launcher stage with message texts as formats
    Refused,   // each row a log the program cannot open: its error box, exit 0
};

// What a row leaves to be checked after the run.
struct Checks {
    std::map<std::string, std::string> files;  // relative path -> content that must survive
    std::set<std::string> gone;                // relative paths that the log removes
    std::map<std::pair<std::string, std::string>, std::string> values;  // key, value -> data
    std::vector<std::string> leftovers;        // full paths the leftover list shows
    std::vector<std::pair<std::string, int>> questions;  // box text, answer, in order
    std::vector<std::string> status;           // status lines, in order (Many)
    std::string lastLines;                     // lines that go after the standard messages
};

struct Context {
    const Sandbox& box;
    Driver& driver;
    Checks& checks;
    std::string Win(const std::string& relative) const { return box.Win(relative); }
    // A file that must be there unchanged after the run.
    void Canary(const std::string& relative)
    {
        std::string content = "canary " + relative;
        box.Write(relative, content);
        checks.files[relative] = content;
    }
    // A file that the log names and that must be gone after the run.
    void Target(const std::string& relative)
    {
        box.Write(relative, "target");
        checks.gone.insert(relative);
    }
    void Value(const std::string& key, const std::string& value)
    {
        driver.RegSet(key, value, "sz", "canary");
        checks.values[{key, value}] = "canary";
    }
    std::string Key(const std::string& sub) const
    {
        return "Software\\UninsTest\\" + box.name + (sub.empty() ? "" : "\\" + sub);
    }
};

struct Row {
    const char* name;
    Run run;
    // Mixed, Many, Launcher: the row's lines; Refused: the log path to start with.
    std::string (*make)(Context&);
};

// A message text with conversions of every kind; only %s for an argument
// the program passes takes one, the rest shows as written.
static const char kConversions[] =
    "|%d|%i|%u|%x|%X|%p|%c|%C|%ls|%S|%hs|%ws|%I64d|%I32d|%Id|%n|%e|%f|%g|%o|%%|%-08.3s|%#x|"
    "%099999s|%.99999s|%2147483648s|%4294967296d|%*s|%-#0s|%0-5s|%";

// kConversions as the box shows it after the arguments' own conversions.
static std::string Shown(const std::string& format)
{
    std::string out;
    for (size_t i = 0; i < format.size(); ++i) {
        out += format[i];
        if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == '%')
            ++i;
    }
    return out;
}

static std::string Letters(std::mt19937& rng, size_t n)
{
    std::string s;
    while (s.size() < n)
        s += char('a' + rng() % 26);
    return s;
}

static const Row kRows[] = {
    {"random bytes", Run::Mixed,
     [](Context& c) {
         c.Canary("random\\keep.txt");
         std::mt19937 rng(1616);
         std::string bytes;
         // line ends, digits, commas, quotes and letters among the noise;
         // no separators or wildcards, so no piece can name a path
         while (bytes.size() < 65536) {
             unsigned r = rng() % 16;
             char ch = r == 0 ? '\n' : r == 1 ? '\r' : r < 5 ? char('0' + rng() % 10)
                     : r == 5 ? ',' : r == 6 ? '"' : r < 9 ? char('A' + rng() % 26) : char(rng());
             if (ch != '\\' && ch != '/' && ch != ':' && ch != '*' && ch != '?' && ch != '.')
                 bytes += ch;
         }
         return bytes + "\r\n";
     }},
    {"a NUL in the middle of a line", Run::Mixed,
     [](Context& c) {
         c.Canary("nul\\a.txt");
         c.Canary("nul\\tree\\x.txt");
         c.Canary("nul\\mode\\b.txt");
         c.Target("nul\\named.txt");
         std::string nul(1, '\0');
         // cut at the NUL, each would name a canary or lose its mode
         return "P0," + c.Win("nul\\a.txt") + nul + ".bak,0\r\n"
                "U0," + c.Win("nul\\tree") + nul + "\\sub,1\r\n"
                "P0," + c.Win("nul\\mode\\b.txt") + "," + nul + "2\r\n"
                "A1,message" + nul + "\r\n"
                "P0," + c.Win("nul\\named.txt") + ",0\r\n";
     }},
    {"one line of 1 MB", Run::Mixed,
     [](Context& c) {
         c.Canary("big\\keep.txt");
         std::string mb(1 << 20, ' ');
         return "P0," + c.Win("big\\keep.txt") + mb + ",0\r\n"
                "A99," + std::string(1 << 20, 'm') + "\r\n"
                "U0," + c.Win("big") + mb + "\\,1\r\n";
     }},
    {"numbers of 70 digits and numbers beyond 32 bits", Run::Mixed,
     [](Context& c) {
         c.Canary("num\\keep.txt");
         std::string n70(70, '9'), lines;
         for (std::string number : std::vector<std::string>{n70, "1" + std::string(69, '0'), "-" + n70,
                                                            "4294967296", "2147483648",
                                                            "4294998297", "99999999999"}) {
             lines += "P" + number + "," + c.Win("num\\missing.txt") + ",0\r\n";
             lines += "P0," + c.Win("num\\missing2.txt") + "," + number + "\r\n";
             lines += "J0," + number + "," + c.Key("num\\missing") + ",v\r\n";
             lines += "D0," + c.Win("num\\none.dll") + ",Entry," + number + ",a\r\n";
         }
         c.Value("HKCU\\" + c.Key("num"), "v");
         return lines;
     }},
    {"unterminated quotes in P, U, D and E fields", Run::Mixed,
     [](Context& c) {
         c.Canary("quote\\a.txt");
         c.Canary("quote\\tree\\b.txt");
         std::string dll = c.box.InstallFixture("record.dll", "quote\\record.dll");
         std::string exe = c.box.InstallFixture("recorder.exe", "quote\\recorder.exe");
         c.checks.files["quote\\record.dll"] = c.box.Read("quote\\record.dll");
         return "P0,\"" + c.Win("quote\\a.txt") + ",0\r\n"
                "P0," + c.Win("quote\\a.txt") + "\",0\r\n"
                "U0,\"" + c.Win("quote\\tree") + ",1\r\n"
                "D0,\"" + dll + ",Args1,1,x\r\n"
                "D0," + dll + ",\"Args1,1,x\r\n"
                "E0,\"" + exe + " one,two\r\n";
     }},
    {"fields longer than every buffer", Run::Mixed,
     [](Context& c) {
         // names whose first 511 (127, 255) characters name a canary: cut to
         // the buffer, the entry would remove it (a key path that long the
         // system does not take, so the key's row has its canary beside it)
         c.Canary("long\\keep.txt");
         std::string sub = c.Key("long");
         std::string longKey = sub + "\\" + std::string(200, 'k') + "\\" + std::string(200, 'k');
         c.Value("HKCU\\" + sub + "\\" + std::string(200, 'k'), "v");
         std::string value127(127, 'v');
         c.Value("HKCU\\" + sub, value127);
         std::string shared = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
         std::string dll = c.Win("long\\") + std::string(511 - c.Win("long\\").size(), 'd');
         c.driver.RegSet(shared, dll, "dword", "1");
         c.checks.values[{shared, dll}] = "1";
         std::string ini = c.Win("long\\p.ini");
         std::string key255(255, 'q');
         std::string content = "[s]\r\n" + key255 + "=1\r\nother=2\r\n";
         c.box.Write("long\\p.ini", content);
         c.checks.files["long\\p.ini"] = content;
         std::string tail(700, 'x');
         return "J0,1," + longKey + tail + ",\r\n"
                "J0,1," + sub + "," + value127 + tail + "\r\n"
                "K0," + dll + tail + "\r\n"
                "M0," + ini + ",s," + key255 + tail + "\r\n"
                "M0," + ini + tail + ",s,\r\n"
                "M0," + ini + ",s" + tail + ",\r\n"
                "P0," + c.Win("long\\keep.txt") + std::string(600, ' ') + ",0\r\n"
                "U0," + c.Win("long") + "\\" + tail + ",1\r\n"
                "D0," + c.Win("long\\") + tail + ",Entry,0\r\n"
                "D0," + c.Win("long\\x.dll") + "," + tail + ",0\r\n"
                "D0," + c.Win("long\\x.dll") + ",Entry,1," + tail + tail + "\r\n"
                "E0," + c.Win("long\\") + tail + "\r\n";
     }},
    {"root key and mode codes out of range", Run::Mixed,
     [](Context& c) {
         c.Value("HKCU\\" + c.Key("codes"), "v");
         c.Canary("modes\\a.txt");
         c.Canary("modes\\b.txt");
         c.Canary("modes\\tree\\c.txt");
         std::string lines;
         for (auto code : {"4", "5", "99", "255", "-1", "4294967300"}) {
             lines += std::string("J0,") + code + "," + c.Key("codes") + ",v\r\n";
             lines += std::string("J0,") + code + "," + c.Key("codes") + ",\r\n";
         }
         for (auto mode : {"3", "7", "99", "255", "-1"}) {
             lines += "P0," + c.Win("modes\\a.txt") + "," + mode + "\r\n";
             lines += "P0," + c.Win("modes\\*.txt") + "," + mode + "\r\n";
             lines += "U0," + c.Win("modes\\tree") + "," + mode + "\r\n";
         }
         return lines;
     }},
    {"CR-only and mixed line ends", Run::Mixed,
     [](Context& c) {
         c.Target("cr\\del1.txt");
         c.Target("cr\\del2.txt");
         c.Target("cr\\del3.txt");
         c.Canary("cr\\keep.txt");
         c.Canary("cr\\stray\\x.txt");
         c.Canary("cr\\tree\\f.txt");
         // a CR ends a line: a stray one leaves the path before it as an
         // entry of its own without a mode (mode 0), and the rest as a line
         // that is no entry
         c.checks.leftovers.push_back(c.Win("cr\\tree\\f.txt"));
         return "P0," + c.Win("cr\\del1.txt") + ",0\r"
                "P0," + c.Win("cr\\del2.txt") + ",0\n\r\n\r\r\n"
                "P0," + c.Win("cr\\del3.txt") + ",0\n\n\r"
                "P0," + c.Win("cr\\stray\\") + "\rx.txt,0\r\n"
                "U0," + c.Win("cr\\tree") + "\r,1\r\n";
     }},
    {"message texts 47, 51 and 52 used as formats", Run::Mixed,
     [](Context& c) {
         c.Canary("ask\\a.txt");
         c.Canary("a-held\\held.txt");
         std::string held = c.Win("a-held\\held.txt");
         EXPECT_TRUE(c.driver.Hold(held));
         c.checks.questions.push_back(
             {c.Win("ask\\a.txt") + Shown(std::string(kConversions) + "%s"), NO});
         c.checks.leftovers.insert(c.checks.leftovers.begin(), held);
         c.checks.lastLines = "A47,%099999s" + std::string(kConversions) + "\r\n"
                              "A51,%s" + std::string(kConversions) + "%s\r\n"
                              "A52,%s%s" + std::string(kConversions) + "\r\n";
         return "P0," + c.Win("ask\\a.txt") + ",1\r\n"
                "P0," + held + ",0\r\n";
     }},

    {"25,000 action lines", Run::Many,
     [](Context& c) {
         // the first 19,999 are taken, the rest are dropped
         for (int i : {1, 2, 19999})
             c.Target("many\\f" + std::to_string(i) + ".txt");
         for (int i : {20000, 20001, 25000})
             c.Canary("many\\f" + std::to_string(i) + ".txt");
         std::string lines;
         for (int i = 1; i <= 25000; ++i)
             lines += "P0," + c.Win("many\\f" + std::to_string(i) + ".txt") + ",0\r\n";
         return lines;
     }},
    {"all 1001 message ids", Run::Many,
     [](Context& c) {
         // the ids the dialog shows come last: with a table one slot short
         // the last of them would be lost
         std::string lines;
         std::set<int> shown = {10, 13, 42, 47, 48, 50, 58};
         for (int id = 0; id <= 1000; ++id)
             if (!shown.count(id))
                 lines += "A" + std::to_string(id) + ",text " + std::to_string(id) + "\r\n";
         lines += "A10," + Product() + "\r\nA13,&Finish\r\nA42,Deleting files...\r\n"
                  "A47,Uninstall program: %s\r\nA48,Uninstall\r\nA50,Uninstall complete.\r\n"
                  "A58,Please wait.\r\n";
         c.checks.status = {"Deleting files...", "Please wait.", "Uninstall complete."};
         return lines;
     }},

    {"message texts 43, 36 and 49 used as formats", Run::Launcher,
     [](Context&) {
         return "A10," + Product() + "\r\nA48,Uninstall\r\n"
                "A43,%s" + std::string(kConversions) + "\r\n"
                "A36,%s%s" + std::string(kConversions) + "\r\n"
                "A49,%s" + std::string(kConversions) + "\r\n";
     }},

    {"a log that is a directory", Run::Refused,
     [](Context& c) {
         c.box.MakeDir("dirlog.ini");
         return c.Win("dirlog.ini");
     }},
    {"a log path of 600 characters", Run::Refused,
     [](Context& c) { return c.Win("app\\") + std::string(600 - c.Win("app\\").size(), 'p'); }},
    {"a log another process holds open", Run::Refused,
     [](Context& c) {
         c.box.Write("locked.ini", StandardLog("P0," + c.Win("app\\keep.txt") + ",0\r\n"));
         EXPECT_TRUE(c.driver.Hold(c.Win("locked.ini"), true));
         return c.Win("locked.ini");
     }},
};

static std::string LogOf(Run run, Context& c)
{
    std::string log;
    for (const Row& row : kRows)
        if (row.run == run)
            log += row.make(c);
    return log;
}

static void ExpectIntact(const Sandbox& box, Driver& driver, const Checks& checks)
{
    for (auto& [relative, content] : checks.files)
        EXPECT_EQ(box.Read(relative), content) << relative << " was changed or removed";
    for (auto& relative : checks.gone)
        EXPECT_FALSE(box.Exists(relative)) << relative << " is named by the log but stayed";
    for (auto& [where, data] : checks.values)
        EXPECT_EQ(driver.RegGet(where.first, where.second), data)
            << where.first << " " << where.second.substr(0, 40) << "... was changed";
    // nothing but the program's own boxes: no crash report is left open
    EXPECT_FALSE(driver.WaitBoxCaptioned("Program Error", 200).found);
}

TEST(BadInput, DamagedPiecesInOneLog)
{
    Sandbox box;
    Driver driver;
    Checks checks;
    Context c{box, driver, checks};
    // the standard messages after the damaged pieces, so that none of them
    // changes the caption; the rows' own texts after those
    std::string damaged = LogOf(Run::Mixed, c);
    std::string program = box.InstallProgram(damaged + StandardLog("") + checks.lastLines);
    box.UseTemp(driver);
    ASSERT_TRUE(driver.Start("\"" + program + "\" \"" + box.Win("app\\uninstal.ini") + "\"",
                             box.Win("app")));
    for (auto& [text, answer] : checks.questions) {
        Box question = driver.WaitBox(60000);
        ASSERT_TRUE(question.found);
        EXPECT_EQ(question.text, text);
        EXPECT_EQ(question.buttons, "Yes,No");
        driver.Answer(answer);
    }
    DialogState d = WaitDone(driver, Title(), 180000);
    EXPECT_EQ(d.items[LEFTOVER], checks.leftovers);
    // message 47 with its width: one line that ends with the program's path
    ASSERT_FALSE(d.items[STATUS].empty());
    const std::string& last = d.items[STATUS].back();
    EXPECT_LE(last.size(), 1023u);
    EXPECT_NE(last.find(program), std::string::npos) << last.substr(0, 80);

    // the held file cannot be deleted from the list: message 52 asks again
    std::string held = box.Win("a-held\\held.txt");
    ASSERT_TRUE(driver.Click(Title(), DELETE_SELECTED));
    Box retry = driver.WaitBox();
    EXPECT_EQ(retry.text, held + "%s" + Shown(kConversions));
    driver.Answer(NO);
    driver.Release(held);
    ASSERT_TRUE(driver.Click(Title(), CLOSE));
    EXPECT_EQ(driver.Wait(), 0);
    EXPECT_FALSE(box.Exists("tmp\\record.txt")) << box.Read("tmp\\record.txt");
    ExpectIntact(box, driver, checks);
    driver.RegDeleteTree("HKCU\\" + c.Key(""));
}

TEST(BadInput, ManyLinesAndEveryMessageId)
{
    Sandbox box;
    Driver driver;
    Checks checks;
    Context c{box, driver, checks};
    std::string program = box.InstallProgram(LogOf(Run::Many, c));
    box.UseTemp(driver);
    ASSERT_TRUE(driver.Start("\"" + program + "\" \"" + box.Win("app\\uninstal.ini") + "\"",
                             box.Win("app")));
    DialogState d = WaitDone(driver, Title(), 300000);
    std::vector<std::string> status = d.items[STATUS];
    ASSERT_EQ(status.size(), 4u);
    status.pop_back();  // message 47, the program's path
    EXPECT_EQ(status, checks.status);
    EXPECT_TRUE(d.Get(FINISH).visible);
    ASSERT_TRUE(driver.Click(Title(), FINISH));
    EXPECT_EQ(driver.Wait(), 0);
    ExpectIntact(box, driver, checks);
}

TEST(BadInput, EmptyLogAndFormatsOfTheLauncher)
{
    Sandbox box;
    Driver driver;
    // an empty log: no messages, so the caption is a single space
    std::string program = box.InstallProgram("");
    box.UseTemp(driver);
    ASSERT_TRUE(driver.Start("\"" + program + "\" \"" + box.Win("app\\uninstal.ini") + "\"",
                             box.Win("app")));
    DialogState d = WaitDone(driver, " ", 60000);
    EXPECT_TRUE(d.Get(FINISH).visible);
    ASSERT_TRUE(driver.Click(" ", FINISH));
    EXPECT_EQ(driver.Wait(), 0);

    // the launcher: the question and the copy error with texts full of conversions
    Checks checks;
    Context c{box, driver, checks};
    box.Write("app\\uninstal.ini", LogOf(Run::Launcher, c));
    // a temporary folder that does not exist: the copy's own folder cannot be made
    driver.Env("TMP", box.Win("gone"));
    driver.Env("TEMP", box.Win("gone"));
    ASSERT_TRUE(driver.Start("\"" + program + "\"", box.Win("app")));
    Box question = driver.WaitBox();
    EXPECT_EQ(question.text, Product() + Shown(kConversions));
    EXPECT_EQ(question.buttons, "Yes,No");
    driver.Answer(YES);
    Box error = driver.WaitBox();
    // the copy's path: the temporary folder, a folder of 16 hexadecimal digits, the name
    std::string start = program + box.Win("gone") + "\\";
    std::string end = "\\unins.exe" + Shown(kConversions);
    ASSERT_EQ(error.text.size(), start.size() + 16 + end.size()) << error.text;
    EXPECT_EQ(error.text.substr(0, start.size()), start);
    EXPECT_EQ(error.text.substr(start.size() + 16), end);
    EXPECT_EQ(error.buttons, "OK");
    driver.Answer(OK);
    EXPECT_EQ(driver.Wait(), 1603);
    EXPECT_FALSE(box.Exists("gone"));
    EXPECT_FALSE(driver.WaitBoxCaptioned("Program Error", 200).found);
}

TEST(BadInput, LogsThatCannotBeOpened)
{
    Sandbox box;
    Driver driver;
    Checks checks;
    Context c{box, driver, checks};
    std::string program = box.InstallProgram(StandardLog("P0," + box.Win("app\\keep.txt") + ",0\r\n"));
    c.Canary("app\\keep.txt");
    for (const Row& row : kRows) {
        if (row.run != Run::Refused)
            continue;
        std::string path = row.make(c);
        ASSERT_TRUE(driver.Start("\"" + program + "\" \"" + path + "\"", box.Win("app")))
            << row.name;
        Box error = driver.WaitBoxCaptioned("");
        ASSERT_TRUE(error.found) << row.name;
        EXPECT_EQ(error.text, "Can't open uninstal log file " + path.substr(0, 511) + "!")
            << row.name;
        EXPECT_EQ(error.buttons, "OK");
        driver.Answer(OK);
        // not installed where there is no such file, a fatal error otherwise
        int code = driver.Wait();
        EXPECT_TRUE(code == 1605 || code == 1603) << row.name << ": " << code;
    }
    driver.Release(box.Win("locked.ini"));
    ExpectIntact(box, driver, checks);
}
