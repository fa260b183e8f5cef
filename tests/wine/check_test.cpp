// The Windows build of unins-check, the one authors on Windows run: on a
// log with many warnings it prints what the host build prints, in both
// forms, with the same exit code.
#include "harness.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace e2e;
namespace fs = std::filesystem;

static std::string WithoutCarriageReturns(std::string text)
{
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

TEST(Checker, WindowsBuildPrintsWhatTheHostBuildPrints)
{
    Sandbox box;
    Driver driver;
    std::ifstream sample(UNINS_SOURCE_DIR "/tests/sample/SampleApp/uninstal.ini", std::ios::binary);
    std::stringstream log;
    log << sample.rdbuf()
        << "P0,c:\\sampleapp\\README.TXT,0\r\n"   // duplicate
        << "U0,C:\\Windows,1\r\n"                 // protected folder
        << "PO,C:\\SampleApp\\x.txt,0\r\n"        // not an entry
        << "A43,Remove %d?\r\n"                   // format
        << "D0,C:\\SampleApp\\x.dll,Entry,3,a\r\n"  // argument count
        << "P0,C:\\*.*,0";                        // wildcard in a root, no line end
    box.Write("app\\log.ini", log.str());
    std::string checker = std::string(UNINS_BUILD_DIR) +
                          (box.build == Build::Twin64 ? "/win64" : "/win32") +
                          "/tools/check/unins-check.exe";
    fs::copy_file(checker, box.Host("app\\unins-check.exe"));

    for (std::string options : {"", "--json"}) {
        ASSERT_TRUE(driver.Start("cmd /c unins-check.exe " + options + " log.ini > out.txt",
                                 box.Win("app")));
        int windowsCode = driver.Wait();
        std::string windows = WithoutCarriageReturns(box.Read("app\\out.txt"));

        std::string command = "cd '" + box.Host("app") + "' && " UNINS_BUILD_DIR
                              "/host/unins-check " + options + " log.ini";
        FILE* pipe = popen(command.c_str(), "r");
        std::string host;
        char chunk[4096];
        for (size_t got; (got = fread(chunk, 1, sizeof chunk, pipe)) > 0;)
            host.append(chunk, got);
        int status = pclose(pipe);

        EXPECT_EQ(windowsCode, 1) << options;
        EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 1) << options;
        EXPECT_NE(host.find("protected-folder"), std::string::npos) << host;
        EXPECT_EQ(windows, host) << options;
    }
}
