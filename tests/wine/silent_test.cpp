// Unattended removal as deployment tools drive it: the silent switches,
// the launcher that waits for its copy and ends with its exit code, and the
// report of the run.
#include "harness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

using namespace e2e;
namespace fs = std::filesystem;

static std::string ReadHost(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream s;
    s << file.rdbuf();
    return s.str();
}

// The visible windows the driver saw since "watchwindows" (class|title each).
static std::vector<std::string> Watched(Driver& driver)
{
    std::vector<std::string> seen;
    std::stringstream answer(driver.Call({"windowsseen"}).at(0));
    for (std::string field; std::getline(answer, field, '\t');)
        seen.push_back(field);
    EXPECT_EQ(seen.at(0), "ok");
    seen.erase(seen.begin());
    return seen;
}

// The lines of a report, which must be UTF-8 with a byte order mark.
static std::vector<std::string> ReportLines(const std::string& text)
{
    EXPECT_EQ(text.substr(0, 3), "\xEF\xBB\xBF") << "no byte order mark";
    std::vector<std::string> lines;
    std::stringstream s(text.substr(text.size() >= 3 ? 3 : 0));
    for (std::string line; std::getline(s, line);) {
        EXPECT_FALSE(line.empty() || line.back() != '\r') << "not a CR LF line: " << line;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// Index of the first line at or after from that starts with prefix; -1 if none.
static int Find(const std::vector<std::string>& lines, const std::string& prefix, int from = 0)
{
    for (int i = from; i < int(lines.size()); ++i)
        if (lines[i].rfind(prefix, 0) == 0)
            return i;
    return -1;
}

// A whole application removed with nothing shown: every letter, a file held
// open in a data folder, a shared library, files the log keeps, a name
// outside the code page. The launcher returns 3010 after the work with the
// application's folder gone; the held file and the folders it keeps go at
// the restart; the report says all of it.
TEST(Silent, VerySilentRemovalEndsWith3010AndTheHeldFileGoesAtTheRestart)
{
    Sandbox box;
    Driver driver;
    const std::string app = box.Win("App"), data = box.Win("Data"), common = box.Win("Common");
    const std::string key = "Software\\UninsSilent" + box.name;
    for (auto file : {"App\\readme.txt", "App\\readonly.txt", "App\\settings.ini",
                      "App\\docs\\manual.txt", "App\\docs\\\xCE\xA9mega.txt", "App\\sub\\deep\\x.txt",
                      "Data\\ask.txt", "Data\\offer.txt", "Data\\cache\\held.dat",
                      "Data\\cache\\other.dat"})
        box.Write(file, "installed");
    box.Write("App\\settings.ini", "[Settings]\r\nLastFile=a.txt\r\nColor=blue\r\n");
    chmod(box.Host("App\\readonly.txt").c_str(), 0444);
    fs::create_directories(box.Host("App\\fonts"));
    fs::copy_file(UNINS_SOURCE_DIR "/tests/sample/SampleApp/fonts/SampleSans.ttf",
                  box.Host("App\\fonts\\SampleSans.ttf"));
    box.InstallFixture("record.dll", "App\\bin\\sampleext.dll");
    box.InstallFixture("recorder.exe", "App\\bin\\cleanup.exe");
    box.InstallFixture("record.dll", "Common\\shared.dll");
    fs::copy_file(ProgramFile(box.build), box.Host("App\\unins.exe"));
    const std::string shared = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
    driver.RegSet(shared, common + "\\shared.dll", "dword", "1");
    driver.RegSet("HKCU\\" + key + "\\Settings", "Color", "string", "blue");

    const std::string log = StandardLog(
        "D0," + app + "\\bin\\sampleext.dll,Args1,1,unregister\r\n"
        "E0,\"" + app + "\\bin\\cleanup.exe\" /uninstall\r\n"
        // the registry entries run last first, as an installer wrote them
        "J0,2,Software,\r\n"
        "J0,1," + key + ",\r\n"
        "J0,1," + key + "\\Settings,\r\n"
        "J0,1," + key + "\\Settings,Color\r\n"
        "K0," + common + "\\shared.dll\r\n"
        "M0," + app + "\\settings.ini,Settings,LastFile\r\n"
        "P0," + app + "\\readme.txt,0\r\n"
        "P0," + app + "\\readonly.txt,0\r\n"
        "P0," + app + "\\missing.txt,0\r\n"
        "P0," + app + "\\fonts\\SampleSans.ttf,0\r\n"
        "P0," + data + "\\ask.txt,1\r\n"
        "P0," + data + "\\offer.txt,2\r\n"
        "P0,C:\\windows\\*.*,0\r\n"
        // and the trees too
        "U0," + app + ",1\r\n"
        "U0," + data + "\\cache,1\r\n");
    box.Write("App\\uninstal.ini", log);
    const std::string held = data + "\\cache\\held.dat";
    ASSERT_TRUE(driver.Hold(held));

    box.UseTemp(driver);
    const std::string report = box.Win("report.log");
    const std::string command = "\"" + app + "\\unins.exe\" /VERYSILENT /LOG=\"" + report + "\"";
    ASSERT_EQ(driver.Call({"watchwindows", box.Win()}).back(), "ok");
    ASSERT_TRUE(driver.Start(command, app));
    // a box would wait for a person for ever: the launcher must end by itself
    EXPECT_EQ(driver.Wait(120000), 3010);

    // the work is done when the launcher returns
    EXPECT_FALSE(box.Exists("App")) << testing::PrintToString(HostTree(box.Host("App")));
    EXPECT_EQ(box.Read("tmp\\record.txt").substr(0, 17), "Args1|unregister\r");
    EXPECT_EQ(driver.RegGet("HKCU\\" + key), "<missing>");
    EXPECT_EQ(driver.RegGet(shared, common + "\\shared.dll"), "<missing>");
    EXPECT_EQ(driver.RegGet("HKLM\\Software"), "<key>") << "a shared key is never deleted";
    // kept as the documented answers say: the ask mode, the offered file,
    // the released library; the held file waits for the restart
    EXPECT_EQ(HostTree(box.Host("Data")),
              (std::set<std::string>{"ask.txt", "offer.txt", "cache/", "cache/held.dat"}));
    EXPECT_TRUE(box.Exists("Common\\shared.dll"));
    EXPECT_EQ(Watched(driver), std::vector<std::string>{}) << "a window appeared";
    std::string pending = driver.RegGet(
        "HKLM\\System\\CurrentControlSet\\Control\\Session Manager", "PendingFileRenameOperations");
    EXPECT_NE(pending.find(held), std::string::npos) << pending;

    // the report: the launcher's start, the copy's whole run, then the
    // launcher's end after it
    std::string text = ReadHost(box.Host("report.log"));
    std::vector<std::string> lines = ReportLines(text);
    int launcher = Find(lines, "Uninstall started ");
    int removal = Find(lines, "Removal started ");
    ASSERT_GE(launcher, 0) << text;
    ASSERT_GT(removal, launcher) << text;
    EXPECT_EQ(lines[launcher + 1], "Command line: " + command);
    EXPECT_EQ(lines[launcher + 2], "Log: " + app + "\\uninstal.ini");
    EXPECT_EQ(Find(lines, "Copy: \"", launcher), launcher + 3);
    EXPECT_NE(lines[launcher + 3].find(" /VERYSILENT /LOG=\"" + report + "\" \"" + app +
                                       "\\uninstal.ini\""),
              std::string::npos)
        << lines[launcher + 3];
    EXPECT_EQ(lines[removal + 2], "Log: " + app + "\\uninstal.ini");
    // every entry in run order, with what became of it
    const std::vector<std::pair<std::string, std::vector<std::string>>> entries = {
        {"D " + app + "\\bin\\sampleext.dll,Args1,1,unregister", {"    done"}},
        {"E \"" + app + "\\bin\\cleanup.exe\" /uninstall", {"    done"}},
        {"J 1," + key + "\\Settings,Color", {"    done"}},
        {"J 1," + key + "\\Settings,", {"    done"}},
        {"J 1," + key + ",", {"    done"}},
        {"J 2,Software,", {"    refused: shared key"}},
        {"K " + common + "\\shared.dll",
         {"    offered: " + common + "\\shared.dll", "    last reference released"}},
        {"M " + app + "\\settings.ini,Settings,LastFile", {"    done"}},
        {"P " + app + "\\readme.txt,0", {"    deleted: " + app + "\\readme.txt"}},
        {"P " + app + "\\readonly.txt,0", {"    deleted: " + app + "\\readonly.txt"}},
        {"P " + app + "\\missing.txt,0", {"    not found"}},
        {"P " + app + "\\fonts\\SampleSans.ttf,0",
         {"    deleted: " + app + "\\fonts\\SampleSans.ttf"}},
        {"P " + data + "\\ask.txt,1",
         {"    not shown: Delete " + data + "\\ask.txt?", "    answer: No",
          "    kept (ask mode): " + data + "\\ask.txt"}},
        {"P " + data + "\\offer.txt,2", {"    offered: " + data + "\\offer.txt"}},
        {"P C:\\windows\\*.*,0", {"    refused: wildcard in a protected folder"}},
    };
    int at = removal;
    for (const auto& entry : entries) {
        int found = -1;
        for (int i = at + 1; i < int(lines.size()) && found < 0; ++i)
            if (lines[i].rfind("Entry ", 0) == 0 &&
                lines[i].substr(lines[i].find(' ', 6) + 1) == entry.first)
                found = i;
        ASSERT_GT(found, at) << "no entry, or out of order: " << entry.first << "\n" << text;
        for (size_t k = 0; k < entry.second.size(); ++k)
            EXPECT_EQ(lines[found + 1 + k], entry.second[k]) << entry.first;
        at = found;
    }
    // the tree entries: every file of the held folder and of the application
    int cache = Find(lines, "Entry ", at + 1);
    ASSERT_GT(cache, at);
    EXPECT_EQ(lines[cache].substr(lines[cache].find(' ', 6) + 1), "U " + data + "\\cache,1");
    std::set<std::string> outcomes;
    for (int i = cache + 1; i < int(lines.size()) && lines[i].rfind("    ", 0) == 0; ++i)
        outcomes.insert(lines[i]);
    int tree = Find(lines, "Entry ", cache + 1);
    ASSERT_GT(tree, cache);
    for (int i = tree + 1; i < int(lines.size()) && lines[i].rfind("    ", 0) == 0; ++i)
        outcomes.insert(lines[i]);
    for (auto file : {"\\docs\\manual.txt", "\\docs\\\xCE\xA9mega.txt", "\\sub\\deep\\x.txt",
                      "\\settings.ini", "\\uninstal.ini", "\\bin\\cleanup.exe",
                      "\\bin\\sampleext.dll"})
        EXPECT_TRUE(outcomes.count("    deleted: " + app + file)) << file << "\n" << text;
    EXPECT_TRUE(outcomes.count("    goes at the next restart: " + held)) << text;
    EXPECT_TRUE(outcomes.count("    deleted: " + data + "\\cache\\other.dat")) << text;
    // what is left, the exit code and the end, first the copy's, then the launcher's
    int left = Find(lines, "Files left:", tree);
    ASSERT_GT(left, tree) << text;
    EXPECT_EQ(std::vector<std::string>(lines.begin() + left + 1, lines.begin() + left + 5),
              (std::vector<std::string>{"    offered: " + common + "\\shared.dll",
                                        "    kept (ask mode): " + data + "\\ask.txt",
                                        "    offered: " + data + "\\offer.txt",
                                        "    goes at the next restart: " + held}));
    EXPECT_EQ(lines[left + 5], "Exit code: 3010");
    EXPECT_EQ(lines[left + 6].rfind("Ended ", 0), 0u);
    EXPECT_EQ(lines[left + 7], "Exit code: 3010");
    EXPECT_EQ(lines[left + 8].rfind("Ended ", 0), 0u);
    EXPECT_EQ(int(lines.size()), left + 9) << text;

    // the restart takes the held file and the folder it kept
    ASSERT_TRUE(driver.Release(held));
    RestartWine();
    EXPECT_EQ(HostTree(box.Host("Data")), (std::set<std::string>{"ask.txt", "offer.txt"}));
}

// /SILENT: the dialog shows the work and closes itself; the report without
// a file name goes to the temporary folder. /VERYSILENT without a log: no
// box, exit code 1605, and the report says why.
TEST(Silent, SilentDialogClosesItselfAndAMissingLogEndsWith1605)
{
    Sandbox box;
    Driver driver;
    std::string program = box.InstallProgram(StandardLog("P0," + box.Win("app\\data.txt") + ",0\r\n"));
    box.Write("app\\data.txt", "data");
    box.UseTemp(driver);
    ASSERT_EQ(driver.Call({"watchwindows", box.Win()}).back(), "ok");
    ASSERT_TRUE(driver.Start("\"" + program + "\" /silent /Log", box.Win()));
    ASSERT_TRUE(driver.WaitWindow(Title()));
    EXPECT_EQ(driver.Wait(), 0) << "nobody clicks: the dialog closes itself";
    EXPECT_FALSE(box.Exists("app\\data.txt"));
    EXPECT_EQ(Watched(driver), std::vector<std::string>{"#32770|" + Title()});
    std::vector<std::string> reports;
    for (const auto& file : fs::directory_iterator(box.Host("tmp")))
        if (file.path().filename().string().rfind("Uninstall app ", 0) == 0)
            reports.push_back(file.path().string());
    ASSERT_EQ(reports.size(), 1u) << testing::PrintToString(HostTree(box.Host("tmp")));
    std::vector<std::string> lines = ReportLines(ReadHost(reports[0]));
    int entry = Find(lines, "Entry 30001 P " + box.Win("app\\data.txt,0"));
    ASSERT_GT(entry, 0);
    EXPECT_EQ(lines[entry + 1], "    deleted: " + box.Win("app\\data.txt"));
    EXPECT_EQ(lines[entry + 2], "Exit code: 0");
    EXPECT_EQ(lines[entry + 4], "Exit code: 0");

    // the launcher went with its copy into the copy's folder
    EXPECT_FALSE(box.Exists("app\\unins.exe"));
    fs::copy_file(ProgramFile(box.build), box.Host("app\\unins.exe"));
    fs::remove(box.Host("app\\uninstal.ini"));
    ASSERT_EQ(driver.Call({"watchwindows", box.Win()}).back(), "ok");
    ASSERT_TRUE(driver.Start("\"" + program + "\" /VERYSILENT /LOG=\"..\\missing.log\"", box.Win("app")));
    EXPECT_EQ(driver.Wait(30000), 1605);
    EXPECT_EQ(Watched(driver), std::vector<std::string>{});
    lines = ReportLines(box.Read("missing.log"));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[3], "    not shown: Can't open uninstal log file " + box.Win("app\\uninstal.ini") + "!");
    EXPECT_EQ(lines[4], "Exit code: 1605");
}
