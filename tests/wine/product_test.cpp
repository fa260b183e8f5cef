// The whole product: the sample application (tests/sample, the one make demo
// removes) installed with its registry values, and uninstalled from the
// launcher stage as a user would, down to the last file in the list.
#include "harness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <sys/stat.h>

using namespace e2e;
namespace fs = std::filesystem;


static std::string ReadSource(const std::string& relative)
{
    std::ifstream file(UNINS_SOURCE_DIR "/tests/sample/" + relative, std::ios::binary);
    std::stringstream s;
    s << file.rdbuf();
    return s.str();
}

static std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
    return text;
}

TEST(Product, SampleApplicationUninstalledFromTheLauncher)
{
    Sandbox box;
    Driver driver;
    const std::string app = box.Win("SampleApp");
    const std::string appHost = box.Host("SampleApp");
    fs::copy(UNINS_SOURCE_DIR "/tests/sample/SampleApp", appHost, fs::copy_options::recursive);
    box.InstallFixture("record.dll", "SampleApp\\bin\\sampleext.dll");
    box.InstallFixture("recorder.exe", "SampleApp\\bin\\cleanup.exe");
    fs::copy_file(ProgramFile(box.build), appHost + "/unins.exe");
    std::string log = Replace(ReadSource("SampleApp/uninstal.ini"), "C:\\SampleApp", app);
    log = Replace(log, "A10,Sample App 1.0", "A10," + Product());
    box.Write("SampleApp\\uninstal.ini", log);
    chmod((appHost + "/readonly.txt").c_str(), 0444);  // FILE_ATTRIBUTE_READONLY in Wine

    // the registry as the installer left it
    const std::string shared = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
    const std::string run = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    for (auto key : {"HKCU\\Software\\SampleApp", "HKLM\\Software\\SampleApp", "HKCR\\.sampledoc"})
        driver.RegDeleteTree(key);
    std::stringstream install(Replace(ReadSource("install.txt"), "C:\\SampleApp", app));
    std::string line;
    while (std::getline(install, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::vector<std::string> fields;
        std::stringstream s(line);
        for (std::string f; std::getline(s, f, '\t');)
            fields.push_back(f);
        ASSERT_EQ(driver.Call(fields).back(), "ok") << line;
    }
    ASSERT_TRUE(driver.Hold(app + "\\held.log"));
    std::string cleanup = driver.ShortPath(app + "\\bin\\cleanup.exe");

    box.UseTemp(driver);
    ASSERT_TRUE(driver.Start("\"" + app + "\\unins.exe\"", app));
    Box question = driver.WaitBox();
    EXPECT_EQ(question.text, "Do you want to remove " + Product() + " and all of its components?");
    ASSERT_TRUE(driver.Answer(YES));
    std::vector<std::string> copies = WaitCopies(box.Win("tmp"));
    ASSERT_EQ(copies.size(), 1u);
    std::string copy = copies[0];
    ASSERT_TRUE(driver.Find(copy));
    Box license = driver.WaitBox();
    EXPECT_EQ(license.text, "Delete " + app + "\\license.txt?");
    ASSERT_TRUE(driver.Answer(YES));
    DialogState d = WaitDone(driver, Title());

    EXPECT_EQ(d.items[STATUS],
              (std::vector<std::string>{"Removing registry entries...", "Removing profile entries...",
                                        "Deleting the program's files...", "Please wait.",
                                        "Sample App has been removed.",
                                        "Uninstall program: " + copy}));
    // the library's entry point and the clean-up program ran, from the temporary folder
    EXPECT_EQ(box.Read("tmp\\record.txt"),
              "Args1|unregister\r\nstart|" + cleanup + " /uninstall|" + box.Win("tmp") + "\r\n");
    for (auto key : {"HKCU\\Software\\SampleApp", "HKLM\\Software\\SampleApp", "HKCR\\.sampledoc"})
        EXPECT_EQ(driver.RegGet(key), "<missing>") << key;
    EXPECT_EQ(driver.RegGet(run, "SampleApp"), "<missing>");
    EXPECT_EQ(driver.RegGet(shared, app + "\\bin\\sampleext.dll"), "<missing>");

    // what is left: the library whose last reference went, the held file and
    // the file the log offers; the profile lost its entries
    EXPECT_EQ(HostTree(appHost), (std::set<std::string>{"bin/", "bin/sampleext.dll", "held.log",
                                                      "settings.ini"}));
    EXPECT_EQ(d.items[LEFTOVER], (std::vector<std::string>{app + "\\bin\\sampleext.dll",
                                                            app + "\\held.log",
                                                            app + "\\settings.ini"}));
    std::string settings = box.Read("SampleApp\\settings.ini");
    EXPECT_NE(settings.find("Color=blue"), std::string::npos) << settings;
    EXPECT_EQ(settings.find("LastFile"), std::string::npos) << settings;
    EXPECT_EQ(settings.find("[Window]"), std::string::npos) << settings;

    // the user lets go of the file and deletes the whole list: the emptied
    // folders go too, up to the application's own
    ASSERT_TRUE(driver.Release(app + "\\held.log"));
    ASSERT_TRUE(driver.Click(Title(), DELETE_ALL));
    driver.Call({"sleep", "500"});
    EXPECT_TRUE(driver.Dump(Title()).items[LEFTOVER].empty());
    EXPECT_FALSE(box.Exists("SampleApp"));
    EXPECT_TRUE(box.Exists("app"));
    ASSERT_TRUE(driver.Click(Title(), CLOSE));
    EXPECT_EQ(driver.WaitFound(), 0);
    EXPECT_EQ(driver.Wait(), 0);  // the launcher waited for it
}
