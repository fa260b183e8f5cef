// The command line (which stage, and the log path) and the trailer of the
// program file (the log's name).
#include "startup/startup.h"
#include "common/message.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

const char PROGRAM[] = "C:\\App\\unins.exe";
const char SPACED_PROGRAM[] = "C:\\Program Files\\App\\unins.exe";

enum { ARGUMENT_SIZE = 512, GUARD = 64 };

// The argument for a command line, written into a buffer of size bytes
// followed by guard bytes that must stay untouched.
std::string Argument(const std::string& line, const char* programPath = PROGRAM,
                     int size = ARGUMENT_SIZE)
{
    std::string buffer(size + GUARD, '#');
    ParseCommandLine(line.c_str(), programPath, &buffer[0], size);
    EXPECT_EQ(std::string(GUARD, '#'), buffer.substr(size)) << "written past the argument";
    EXPECT_NE(nullptr, memchr(buffer.data(), 0, size)) << "argument not terminated";
    return std::string(buffer.c_str());
}

// A trailer block: filler, then text placed so that it ends in the last byte.
std::string Trailer(const std::string& tail, char filler = 'M')
{
    std::string block(TRAILER_SIZE, filler);
    block.replace(TRAILER_SIZE - tail.size(), tail.size(), tail);
    return block;
}

std::string NameFrom(const std::string& block, int nameSize = 512)
{
    EXPECT_EQ(size_t(TRAILER_SIZE), block.size());
    std::string name(nameSize + GUARD, '#');
    LogNameFromTrailer(block.data(), &name[0], nameSize);
    EXPECT_EQ(std::string(GUARD, '#'), name.substr(nameSize)) << "written past the name";
    return std::string(name.c_str());
}

}  // namespace

TEST(ParseCommandLineTest, WithoutArgumentIsTheLauncherStage)
{
    EXPECT_EQ("", Argument("\"C:\\App\\unins.exe\""));
    EXPECT_EQ("", Argument("unins.exe   "));
    EXPECT_EQ("", Argument("unins.exe"));
    EXPECT_EQ("", Argument("C:\\App\\unins.exe"));
    EXPECT_EQ("", Argument("unins.exe \"\" "));
    EXPECT_EQ("", Argument(""));
}

TEST(ParseCommandLineTest, QuotesAroundTheArgumentAreDropped)
{
    EXPECT_EQ("C:\\App\\uninstal.ini", Argument("C:\\TEMP\\unins.exe \"C:\\App\\uninstal.ini\""));
    EXPECT_EQ("C:\\App\\uninstal.ini", Argument("C:\\TEMP\\unins.exe C:\\App\\uninstal.ini"));
    // Every space and quote before the argument goes, but only one closing quote.
    EXPECT_EQ("C:\\a b\\u.ini", Argument("unins.exe   \"\" \"C:\\a b\\u.ini\""));
    EXPECT_EQ("C:\\x\"", Argument("unins.exe \"C:\\x\"\""));
    // Everything after the program name is one path, spaces and all.
    EXPECT_EQ("C:\\My Logs\\un install.ini  ", Argument("unins.exe C:\\My Logs\\un install.ini  "));
}

TEST(ParseCommandLineTest, QuotedProgramNameMayHoldSpaces)
{
    EXPECT_EQ("C:\\x\\uninstal.ini",
              Argument("\"C:\\Program Files\\App\\unins.exe\" \"C:\\x\\uninstal.ini\"", PROGRAM));
}

TEST(ParseCommandLineTest, OwnPathUnquotedWithSpacesIsTheProgramName)
{
    EXPECT_EQ("", Argument(SPACED_PROGRAM, SPACED_PROGRAM));
    EXPECT_EQ("", Argument("C:\\Program Files\\App\\unins.exe  ", SPACED_PROGRAM));
    EXPECT_EQ("", Argument("c:\\PROGRAM FILES\\app\\UNINS.EXE", SPACED_PROGRAM));
    EXPECT_EQ("C:\\x\\uninstal.ini",
              Argument("C:\\Program Files\\App\\unins.exe \"C:\\x\\uninstal.ini\"", SPACED_PROGRAM));

    // The copy in a temporary directory with a space: the launcher's command
    // line "%s \"%s\"" still reaches the log.
    EXPECT_EQ("C:\\App\\uninstal.ini",
              Argument("C:\\Documents and Settings\\Me\\Temp\\unins.exe \"C:\\App\\uninstal.ini\"",
                       "C:\\Documents and Settings\\Me\\Temp\\unins.exe"));
}

TEST(ParseCommandLineTest, OtherProgramNamesEndAtTheFirstSpace)
{
    // Not this program's path: the name ends at the first space outside quotes.
    EXPECT_EQ("Files\\App\\unins.exe", Argument(SPACED_PROGRAM, "C:\\Other\\unins.exe"));
    // The own path must be followed by a space or the end to count.
    EXPECT_EQ("Files\\App\\unins.exe2 x",
              Argument("C:\\Program Files\\App\\unins.exe2 x", SPACED_PROGRAM));
    EXPECT_EQ("Files\\App\\unins.exe", Argument(SPACED_PROGRAM, ""));
    // A line shorter than the program's path.
    EXPECT_EQ("", Argument("C:\\Program", SPACED_PROGRAM));
}

// A cut argument would name another file: the caller is told, so that it
// never opens it.
TEST(ParseCommandLineTest, LongArgumentIsCutToTheBufferAndReported)
{
    std::string path = "C:\\" + std::string(700, 'a');
    std::string argument = Argument("unins.exe \"" + path + "\"");
    EXPECT_EQ(path.substr(0, ARGUMENT_SIZE - 1), argument);
    std::vector<char> buffer(ARGUMENT_SIZE);
    EXPECT_FALSE(ParseCommandLine(("unins.exe \"" + path + "\"").c_str(), PROGRAM, buffer.data(),
                                  ARGUMENT_SIZE));
    EXPECT_FALSE(ParseCommandLine(("unins.exe " + path.substr(0, 512)).c_str(), PROGRAM,
                                  buffer.data(), ARGUMENT_SIZE));
    for (auto line : {"unins.exe", "unins.exe \"C:\\App\\uninstal.ini\"", ""})
        EXPECT_TRUE(ParseCommandLine(line, PROGRAM, buffer.data(), ARGUMENT_SIZE)) << line;

    std::string exact = "C:\\" + std::string(ARGUMENT_SIZE - 4, 'b');  // 511 characters
    EXPECT_EQ(exact, Argument("unins.exe \"" + exact + "\""));
    EXPECT_EQ(exact, Argument("unins.exe " + exact));
    EXPECT_TRUE(ParseCommandLine(("unins.exe \"" + exact + "\"").c_str(), PROGRAM, buffer.data(),
                                 ARGUMENT_SIZE));
    EXPECT_TRUE(ParseCommandLine(("unins.exe " + exact).c_str(), PROGRAM, buffer.data(),
                                 ARGUMENT_SIZE));

    EXPECT_EQ("C:\\App\\", Argument("unins.exe C:\\App\\uninstal.ini", PROGRAM, 8));
}

TEST(LogNameFromTrailerTest, LastStringOfTheBlockIsTheName)
{
    // The delivered program ends with "uninstal.ini\0uninstal.ini\0".
    EXPECT_EQ("uninstal.ini", NameFrom(Trailer("uninstal.ini\0uninstal.ini\0"s)));
    EXPECT_EQ("second.log", NameFrom(Trailer("first.log\0second.log\0"s)));
    EXPECT_EQ("z", NameFrom(Trailer("\0z\0"s)));  // NUL at byte 253
    EXPECT_EQ("new.ini", NameFrom(Trailer("old\0\0mid\0new.ini\0"s, 0)));
}

TEST(LogNameFromTrailerTest, WithoutEarlierNulTheNameStartsAtByteOne)
{
    std::string block = Trailer("\0"s, 'n');
    block[0] = 'X';
    EXPECT_EQ(std::string(TRAILER_SIZE - 2, 'n'), NameFrom(block));
    block[0] = 0;
    EXPECT_EQ(std::string(TRAILER_SIZE - 2, 'n'), NameFrom(block));
}

TEST(LogNameFromTrailerTest, MalformedTrailerGivesTheDefaultName)
{
    EXPECT_EQ("uninstal.ini", NameFrom(Trailer("abc.ini\0\0"s)));  // byte 254 NUL
    EXPECT_EQ("uninstal.ini", NameFrom(std::string(TRAILER_SIZE, 0)));
    EXPECT_EQ("uninstal.ini", NameFrom(Trailer("abc.ini")));                  // last byte not NUL
    EXPECT_EQ("uninstal.ini", NameFrom(Trailer("abc.ini\0x"s)));
}

TEST(LogNameFromTrailerTest, NameIsCutToItsBuffer)
{
    EXPECT_EQ("second.", NameFrom(Trailer("first.log\0second.log\0"s), 8));
    EXPECT_EQ("uninsta", NameFrom(Trailer("abc"), 8));
}

// The switches before the log path: which flags, which report file, which
// argument is left, for the command lines deployment tools and the launcher
// write.
TEST(ParseCommandLineTest, SwitchesBeforeTheLogPath)
{
    struct Row {
        const char* line;
        unsigned switches;
        const char* report;
        const char* argument;
    } rows[] = {
        {"unins.exe", 0, "", ""},
        {"unins.exe /SILENT", SWITCH_SILENT, "", ""},
        {"\"C:\\App\\unins.exe\" /verysilent", SWITCH_VERYSILENT, "", ""},
        {"unins.exe /VerySilent /SuppressMsgBoxes /NoRestart /log",
         SWITCH_VERYSILENT | SWITCH_SUPPRESSMSGBOXES | SWITCH_NORESTART | SWITCH_LOG, "", ""},
        {"unins.exe /LOG=\"C:\\My Logs\\r.log\" /SILENT", SWITCH_LOG | SWITCH_SILENT,
         "C:\\My Logs\\r.log", ""},
        {"unins.exe /log=C:\\r.log", SWITCH_LOG, "C:\\r.log", ""},
        // the launcher's command line for the copy
        {"\"C:\\Temp\\ab12\\unins.exe\" /VERYSILENT /LOG=\"C:\\r.log\" \"C:\\App\\uninstal.ini\"",
         SWITCH_VERYSILENT | SWITCH_LOG, "C:\\r.log", "C:\\App\\uninstal.ini"},
        {"C:\\Temp\\unins.exe /SILENT C:\\App\\uninstal.ini", SWITCH_SILENT, "",
         "C:\\App\\uninstal.ini"},
        // the path starts at the first word that is no switch, and runs to the end
        {"unins.exe \"C:\\App\\uninstal.ini\" /SILENT", 0, "", "C:\\App\\uninstal.ini\" /SILENT"},
        {"unins.exe /SILENTLY", 0, "", "/SILENTLY"},
        {"unins.exe /SILENT=1", 0, "", "/SILENT=1"},
        {"unins.exe /App/uninstal.ini", 0, "", "/App/uninstal.ini"},
        {"unins.exe SILENT", 0, "", "SILENT"},
        {"unins.exe /LOGS", 0, "", "/LOGS"},
        {"unins.exe /S", 0, "", "/S"},
    };
    for (const Row& row : rows) {
        char argument[ARGUMENT_SIZE];
        char report[ARGUMENT_SIZE] = "";
        unsigned switches = 0xDEAD;
        EXPECT_TRUE(ParseCommandLine(row.line, PROGRAM, argument, sizeof argument, &switches,
                                     report))
            << row.line;
        EXPECT_EQ(row.switches, switches) << row.line;
        EXPECT_STREQ(row.report, report) << row.line;
        EXPECT_STREQ(row.argument, argument) << row.line;
    }
}

TEST(ParseCommandLineTest, ReportPathTooLongIsReported)
{
    char argument[ARGUMENT_SIZE];
    char report[ARGUMENT_SIZE + GUARD];
    memset(report, '#', sizeof report);
    unsigned switches = 0;
    std::string line = "unins.exe /LOG=\"C:\\" + std::string(600, 'r') + "\" C:\\App\\uninstal.ini";
    EXPECT_FALSE(ParseCommandLine(line.c_str(), PROGRAM, argument, sizeof argument, &switches,
                                  report));
    EXPECT_EQ(std::string(GUARD, '#'), std::string(report + ARGUMENT_SIZE, GUARD));
    EXPECT_EQ(size_t(ARGUMENT_SIZE - 1), strlen(report));
    EXPECT_STREQ("C:\\App\\uninstal.ini", argument);
    std::string fits = "unins.exe /LOG=\"C:\\" + std::string(508, 'r') + "\"";
    EXPECT_TRUE(ParseCommandLine(fits.c_str(), PROGRAM, argument, sizeof argument, &switches,
                                 report));
    EXPECT_EQ(size_t(511), strlen(report));
}

namespace {

// The first bytes of a program file: DOS header, PE signature, file header
// and an optional header of the given magic with its data directories.
std::vector<unsigned char> Headers(int magic, unsigned securityOffset, unsigned securitySize,
                                   unsigned directoryCount = 16)
{
    std::vector<unsigned char> image(1024, 0);
    auto put32 = [&](size_t at, unsigned value) {
        for (int i = 0; i < 4; ++i)
            image[at + i] = (unsigned char)(value >> (8 * i));
    };
    image[0] = 'M';
    image[1] = 'Z';
    const unsigned pe = 0x80;
    put32(60, pe);
    image[pe] = 'P';
    image[pe + 1] = 'E';
    const unsigned optional = pe + 24;
    image[optional] = (unsigned char)magic;
    image[optional + 1] = (unsigned char)(magic >> 8);
    const unsigned directories = optional + (magic == 0x20b ? 112 : 96);
    put32(directories - 4, directoryCount);
    put32(directories + 32, securityOffset);
    put32(directories + 36, securitySize);
    return image;
}

}  // namespace

TEST(TrailerEndTest, SignedFileEndsItsTrailerAtTheCertificateTable)
{
    // rows: magic, security offset, size, file size, where the trailer ends
    struct Row {
        int magic;
        unsigned offset, size, fileSize, end;
    } rows[] = {
        {0x10b, 0, 0, 24608, 24608},          // unsigned: the file's end
        {0x10b, 24608, 1448, 26056, 24608},   // signed: before the table
        {0x20b, 24608, 1448, 26056, 24608},   // the 64-bit layout
        {0x10b, 24608, 1448, 26000, 26000},   // table beyond the file's end
        {0x10b, 30000, 8, 26056, 26056},      // table after the file's end
        {0x10b, 100, 8, 26056, 26056},        // no room for a trailer before it
        {0x10b, 256, 8, 264, 256},            // just room
        {0x10b, 24608, 0, 26056, 26056},      // an empty directory
        {0x107, 24608, 1448, 26056, 26056},   // no optional header it knows
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.end, TrailerEnd(Headers(row.magic, row.offset, row.size).data(), row.fileSize))
            << std::hex << row.magic << std::dec << " " << row.offset << "+" << row.size << " of "
            << row.fileSize;
    // too few data directories to hold a security directory
    EXPECT_EQ(26056u, TrailerEnd(Headers(0x10b, 24608, 1448, 4).data(), 26056));
    std::vector<unsigned char> image = Headers(0x10b, 24608, 1448);
    image[0x81] = 'X';  // not a PE image
    EXPECT_EQ(26056u, TrailerEnd(image.data(), 26056));
}
