// unins-check on small logs: each warning once where a log earns it and once
// where a near-identical log does not, and the exit codes.
#include <gtest/gtest.h>

#include <stdio.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <string>

namespace {

// Every message the program shows, so that a log of them and a few entries
// is clean. They come first: the entries' lines follow from line 19.
const char kMessages[] =
    "A10,App 1.0\n"
    "A13,&Finish\n"
    "A36,Cannot copy %s to %s.\n"
    "A42,Deleting files...\n"
    "A43,Remove %s?\n"
    "A44,Delete &selected\n"
    "A45,Delete &all\n"
    "A46,&Close\n"
    "A47,Uninstall program: %s\n"
    "A48,Uninstall\n"
    "A49,Cannot start %s.\n"
    "A50,Done.\n"
    "A51,Delete %s?\n"
    "A52,%s cannot be deleted. Try again?\n"
    "A53,These files were not removed.\n"
    "A54,Removing registry entries...\n"
    "A55,Removing profile entries...\n"
    "A58,Please wait.\n";
const int kFirstLine = 19;

struct Result {
    int exitCode = -1;
    std::string output;
};

std::string TempLog(const std::string& text)
{
    static int serial;
    std::string path = ::testing::TempDir() + "check-" + std::to_string(getpid()) + "-" +
                       std::to_string(++serial) + ".ini";
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

Result Check(const std::string& path, const std::string& options = "")
{
    Result result;
    std::string command = std::string(UNINS_CHECK) + " " + options + " '" + path + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, pipe)) > 0)
        result.output.append(chunk, got);
    int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// The line a warning of code was given for: the number, 0 for the log as a
// whole, -1 when there is none.
int WarningLine(const std::string& output, const std::string& code)
{
    std::string tag = " warning [" + code + "]";
    size_t at = output.find(tag);
    if (at == std::string::npos)
        return -1;
    size_t start = output.rfind('\n', at);
    std::string head = output.substr(start == std::string::npos ? 0 : start + 1,
                                     at - (start == std::string::npos ? 0 : start + 1));
    if (head.empty() || head.back() != ':')
        return -1;
    head.pop_back();
    size_t colon = head.rfind(':');
    std::string number = colon == std::string::npos ? "" : head.substr(colon + 1);
    if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos)
        return 0;  // "log.ini: warning": the log as a whole
    return std::stoi(number);
}

struct Row {
    const char* code;
    int line;  // in the entries after the messages; 0: the whole log; -1: no such warning
    const char* entries;
};

// Each code has a row that earns it and one that does not.
const Row kRows[] = {
    {"duplicate", 2, "P0,C:\\App\\a.txt,0\nP0,c:\\app\\A.TXT,0\n"},
    {"duplicate", -1, "P0,C:\\App\\a.txt,0\nU0,C:\\App\\a.txt,0\n"},
    {"duplicate", 2, "p0,C:\\App\\a.txt,0\nP0,C:\\App\\a.txt,0\n"},
    {"not-entry", 1, "P,C:\\App\\a.txt,0\n"},
    {"not-entry", 2, "[Files]\nJO,1,Software\\App,\n"},
    {"not-entry", -1, "[Files]\nPath=C:\\App,1\n; comment, with a comma\n"},
    {"lower-case-letter", 1, "p0,C:\\App\\a.txt,0\n"},
    {"lower-case-letter", -1, "P0,C:\\App\\a.txt,0\n"},
    {"no-line-end", 2, "P0,C:\\App\\a.txt,0\nP0,C:\\App\\b.txt,0"},
    {"no-line-end", -1, "P0,C:\\App\\a.txt,0\nP0,C:\\App\\b.txt,0\r\n"},
    {"no-comma", 1, "E7001\n"},
    {"no-comma", -1, "E0,C:\\App\\clean.exe\n"},
    {"no-field-2", 1, "J0,1,Software\\App\n"},
    {"no-field-2", -1, "J0,1,Software\\App,\n"},
    {"no-field-2", 1, "M0,C:\\App\\a.ini,Window\n"},
    {"no-field-2", -1, "M0,C:\\App\\a.ini,Window,\n"},
    {"no-mode", 1, "U0,C:\\App\n"},
    {"no-mode", -1, "U0,C:\\App,1\n"},
    {"argument-count", 1, "D0,C:\\App\\x.dll,Entry,2,one\n"},
    {"argument-count", 1, "D0,C:\\App\\x.dll,Entry\n"},
    {"argument-count", 1, "D0,C:\\App\\x.dll,Entry,6,a,b,c,d,e,f\n"},
    {"argument-count", -1, "D0,C:\\App\\x.dll,Entry,2,\"a,b\",c\n"},
    {"root-wildcard", 1, "P0,C:\\*.*,0\n"},
    {"root-wildcard", 1, "U0,D:\\*.tmp,1\n"},
    // the system's wildcard in a root: refused by the guard, as the program does
    {"protected-folder", 1, "U0,D:\\a*.tmp,1\n"},
    {"root-wildcard", -1, "U0,D:\\a*.tmp,1\n"},
    // a narrow P pattern lists files in a protected folder; a U pattern never does
    {"protected-folder", -1, "P0,C:\\Windows\\System32\\acme*.dll,0\n"},
    {"protected-folder", 1, "U0,C:\\Windows\\acme*,1\n"},
    {"damaged-pattern", 1, "P0,C:\\App\\a<b.txt,0\n"},
    {"damaged-pattern", -1, "P0,C:\\App\\a?b.txt,0\n"},
    {"root-wildcard", -1, "P0,C:\\App\\*.*,0\n"},
    {"protected-folder", 1, "U0,C:\\WINDOWS\\,1\n"},
    {"protected-folder", 1, "U0,C:\\Program Files\\*.*,1\n"},
    {"protected-folder", 1, "U0,C:\\Users\\bob\\AppData,1\n"},
    {"protected-folder", 1, "U0,C:\\App\\..\\Program Files (x86),1\n"},
    {"protected-folder", 1, "P0,C:\\Windows\\*.log,0\n"},
    {"protected-folder", -1, "U0,C:\\Program Files\\App,1\nU0,C:\\Users\\bob\\AppData\\Roaming\\App,1\n"
                             "P0,C:\\Windows\\setup.log,0\n"},
    {"protected-folder", 1, "U0,C:\\Windows\\System32\\drivers\\etc,1\n"},  // a system tree
    {"protected-folder", 1, "U0,C:\\Users\\bob\\Pictures,1\n"},  // directly inside a profile
    {"protected-folder", 1, "U0,C:\\Users\\bob\\AppData\\Roaming\\Microsoft\\Windows\\SendTo,1\n"},
    {"protected-folder", -1, "U0,C:\\Windows\\AcmeApp,1\nU0,C:\\Users\\bob\\Pictures\\Acme,1\n"},
    {"shared-key", 1, "J0,1,Software\\Microsoft\\Windows\\CurrentVersion\\Run,\n"},
    {"shared-key", 1, "J0,2,Software,\n"},
    {"shared-key", 1, "J0,0,txtfile,\n"},
    {"shared-key", 1, "J0,1,,\n"},
    {"shared-key", -1, "J0,1,Software\\Microsoft\\Windows\\CurrentVersion\\Run,Acme\n"
                       "J0,2,Software\\Acme,\nJ0,0,.acme,\n"},
    {"system-section", 1, "M0,win.ini,fonts,\n"},
    {"system-section", 1, "M0,C:\\Windows\\system.ini,drivers32,\n"},
    {"system-section", -1, "M0,win.ini,fonts,Acme\nM0,win.ini,Acme,\nM0,C:\\App\\a.ini,fonts,\n"},
    {"order-collision", 2, "P0,C:\\App\\a.txt,0\nP30001,C:\\App\\b.txt,0\n"},
    {"order-collision", -1, "P30001,C:\\App\\b.txt,0\nP0,C:\\App\\a.txt,0\n"},
    {"before-dialog", 1, "P14999,C:\\App\\a.txt,0\n"},
    {"before-dialog", -1, "P15000,C:\\App\\a.txt,0\nE14999,C:\\App\\clean.exe\n"},
    {"dropped-number", 1, "P65535,C:\\App\\a.txt,0\n"},
    {"dropped-number", 1, "P2147483648,C:\\App\\a.txt,0\n"},
    {"dropped-number", -1, "P65536,C:\\App\\a.txt,0\n"},
    {"message-zero", 1, "A0,hello\n"},
    {"unknown-letter", 1, "X30001,C:\\App\\a.txt,0\n"},
    {"unknown-letter", -1, "F1=a message\n"},
    {"relative-path", 1, "P0,App\\a.txt,0\n"},
    {"relative-path", -1, "P0,\\\\server\\share\\a.txt,0\n"},
    {"root-key", 1, "J0,7,Software\\App,Value\n"},
    {"root-key", -1, "J0,3,Software\\App,Value\n"},
    {"format", 1, "A43,Remove %s and %s?\n"},
    {"format", 1, "A47,Uninstall program: %d\n"},
    {"format", -1, "A43,Remove %-20s? 100%% sure\nA51,%s\n"},
    {"nul-byte", 1, "P0,C:\\App\\a.txt\x01.bak,0\n"},
    {"nul-byte", -1, "P0,C:\\App\\a.txt.bak,0\n"},
};

TEST(Check, EachWarningWhereALogEarnsItAndNowhereElse)
{
    for (const Row& row : kRows) {
        std::string log = std::string(kMessages) + row.entries;
        std::replace(log.begin(), log.end(), '\x01', '\0');  // \x01 in a row: a NUL byte
        Result result = Check(TempLog(log));
        int expected = row.line > 0 ? row.line + kFirstLine - 1 : row.line;
        EXPECT_EQ(WarningLine(result.output, row.code), expected)
            << row.code << " in:\n" << row.entries << "\noutput:\n" << result.output;
        EXPECT_EQ(result.exitCode, result.output.find(" warning [") == std::string::npos ? 0 : 1)
            << result.output;
    }
}

// Messages the plan needs: 51 only with a file to ask about, the status
// lines only where an entry carries their number.
TEST(Check, MissingMessagesFollowThePlan)
{
    std::string without51 = kMessages;
    without51.erase(without51.find("A51"), without51.find('\n', without51.find("A51")) + 1 -
                                               without51.find("A51"));
    EXPECT_NE(Check(TempLog(without51 + "P0,C:\\App\\a.txt,1\n")).output.find("message 51 ("),
              std::string::npos);
    Result keep = Check(TempLog(without51 + "P0,C:\\App\\a.txt,0\n"));
    EXPECT_EQ(keep.exitCode, 0) << keep.output;

    Result bare = Check(TempLog("A10,App\nE0,C:\\App\\clean.exe\n"));
    EXPECT_EQ(WarningLine(bare.output, "missing-message"), 0);
    EXPECT_NE(bare.output.find("message 43 ("), std::string::npos);
    EXPECT_EQ(bare.output.find("message 10 ("), std::string::npos);
    EXPECT_EQ(bare.output.find("message 42 ("), std::string::npos) << bare.output;
    EXPECT_NE(Check(TempLog("A10,App\nP0,C:\\App\\a.txt,0\n")).output.find("message 58 ("),
              std::string::npos);
}

// A field one character longer than the program's buffer takes skips the
// entry (a D argument is cut); one that just fits is read whole.
TEST(Check, FieldsLongerThanTheProgramReadsAreNamed)
{
    struct {
        const char* head;
        int fits;  // the longest field the program reads
        const char* tail;
    } rows[] = {
        {"P0,C:\\", 511 - 3, ",0"},
        {"J0,1,Software\\App,", 127, ""},
        {"M0,C:\\a.ini,Section,", 255, ""},
        {"D0,C:\\x.dll,", 63, ",0"},
        {"D0,C:\\x.dll,Entry,1,", 255, ""},
    };
    for (const auto& row : rows) {
        for (int extra : {0, 1}) {
            std::string log = std::string(kMessages) + row.head +
                              std::string(row.fits + extra, 'a') + row.tail + "\n";
            Result result = Check(TempLog(log));
            EXPECT_EQ(WarningLine(result.output, "long-field"), extra ? kFirstLine : -1)
                << row.head << " + " << row.fits + extra << "\n" << result.output;
        }
    }
}

TEST(Check, EntriesBeyondTheLimitAreDroppedAndNamedOnce)
{
    std::string log = kMessages;
    char line[64];
    for (int i = 0; i < 20001; ++i) {
        // in sorted order, so that the loader's set of lines grows at its end
        snprintf(line, sizeof line, "P0,C:\\App\\f%05d.txt,0\n", i);
        log += line;
    }
    Result result = Check(TempLog(log));
    EXPECT_EQ(WarningLine(result.output, "beyond-limit"), kFirstLine + 19999);
    EXPECT_NE(result.output.find("this line and 1 more are dropped"), std::string::npos);
    EXPECT_NE(result.output.find("19999 actions"), std::string::npos);

    log.erase(log.rfind("P0,"));
    log.erase(log.rfind("P0,"));
    EXPECT_EQ(Check(TempLog(log)).exitCode, 0);
}

// A folder the author's systems protect beyond the standard ones.
TEST(Check, ProtectAddsAFolderToTheGuard)
{
    std::string log = TempLog(std::string(kMessages) + "U0,C:\\Tools\\App,1\n");
    EXPECT_EQ(WarningLine(Check(log).output, "protected-folder"), -1);
    EXPECT_EQ(WarningLine(Check(log, "--protect 'C:\\Tools\\App\\data'").output,
                          "protected-folder"),
              kFirstLine);
    EXPECT_EQ(WarningLine(Check(log, "--protect 'C:\\Tools\\Apps'").output, "protected-folder"),
              -1);
}

TEST(Check, ExitCodes)
{
    EXPECT_EQ(Check(TempLog(std::string(kMessages) + "P0,C:\\App\\a.txt,0\n")).exitCode, 0);
    EXPECT_EQ(Check(TempLog(std::string(kMessages) + "P0,C:\\*.txt,0\n")).exitCode, 1);
    EXPECT_EQ(Check(::testing::TempDir() + "no-such-log.ini").exitCode, 2);
    EXPECT_EQ(Check(::testing::TempDir()).exitCode, 2);  // a folder
    EXPECT_EQ(Check(TempLog(kMessages), "--no-such-option").exitCode, 2);
    EXPECT_EQ(Check(TempLog(std::string(kMessages) + "P0,C:\\*.txt,0\n"), "--json").exitCode, 1);
}

// The bundled sample's log is the example authors copy: it must be clean,
// and the checker's plan must show its entries in the order they run.
TEST(Check, SampleLogIsCleanAndPlannedInRunOrder)
{
    Result result = Check(UNINS_SOURCE_DIR "/tests/sample/SampleApp/uninstal.ini");
    EXPECT_EQ(result.exitCode, 0) << result.output;
    const std::string& out = result.output;
    EXPECT_NE(out.find("\nCaption: Uninstall Sample App 1.0\nQuestion (message 43): Do you want to "
                       "remove Sample App 1.0 and all of its components?\n"),
              std::string::npos)
        << out;
    size_t before = out.find("Before the dialog:"), dialog = out.find("In the dialog:");
    size_t call = out.find("  D  call Args1 in C:\\SampleApp\\bin\\sampleext.dll with 1 argument: "
                           "\"unregister\"");
    size_t run = out.find("  E  run \"C:\\SampleApp\\bin\\cleanup.exe\" /uninstall and wait");
    size_t firstJ = out.find("order 19994  J  delete the key HKEY_CLASSES_ROOT\\.sampledoc");
    size_t status54 = out.find("status 54: Removing registry entries...");
    size_t lastJ = out.find("order 19999  J  delete the key HKEY_CURRENT_USER\\Software\\SampleApp ");
    size_t status42 = out.find("status 42: Deleting the program's files...");
    size_t firstP = out.find("order 30001  P  delete C:\\SampleApp\\readme.txt");
    size_t firstU = out.find("order 64996  U  delete C:\\SampleApp\\data");
    size_t wholeTree = out.find("order 64999  U  delete C:\\SampleApp with");
    ASSERT_NE(wholeTree, std::string::npos) << out;
    // what a silent run does differently, under the entry it concerns
    for (auto pair : {std::pair<const char*, const char*>{
                          "order 30002  P  delete C:\\SampleApp\\license.txt after asking (message 51)\n",
                          "silent: kept without asking: message 51 is not shown, its answer is No\n"},
                      {"order 30003  P  offer C:\\SampleApp\\settings.ini in the list of files left, "
                       "do not delete\n",
                       "silent: kept, not offered\n"},
                      {"order 20001  K  give back one reference to C:\\SampleApp\\bin\\sampleext.dll "
                       "in SharedDLLs; at the last one, offer the file\n",
                       "silent: at the last reference the file is kept, not offered\n"},
                      {"order 64999  U  delete C:\\SampleApp with all its files and folders\n",
                       "silent: if it cannot be deleted, it goes at the next restart with the "
                       "folders it keeps, not to the list (exit code 3010)\n"}}) {
        size_t entry = out.find(pair.first);
        ASSERT_NE(entry, std::string::npos) << pair.first;
        size_t next = entry + strlen(pair.first);
        EXPECT_EQ(out.substr(next + 26, strlen(pair.second)), pair.second) << out.substr(next, 200);
    }
    EXPECT_EQ(out.find("silent", out.find("order 19994  J")), out.find("silent", out.find("order 20001  K")))
        << "a J entry is the same in a silent run";
    EXPECT_TRUE(before < call && call < run && run < dialog && dialog < firstJ &&
                firstJ < status54 && status54 < lastJ && lastJ < status42 && status42 < firstP &&
                firstP < firstU && firstU < wholeTree)
        << out;
}

}  // namespace
