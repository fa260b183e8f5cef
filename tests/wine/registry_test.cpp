// Registry values and keys, shared-library counts and profile entries, end
// to end: one run of the program over a log with every kind of J, K and M
// entry, with the real Wine registry and real INI files.
#include "harness.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace e2e;


static const std::string kShared =
    "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

static const char kIni[] =
    "; written by the installer\r\n"
    "[keep]\r\n"
    "a=1\r\n"
    "[two]\r\n"
    "; about two\r\n"
    "x=1\r\n"
    "y=2\r\n"
    "[last]\r\n"
    "only=1\r\n"
    "[whole]\r\n"
    "p=1\r\n"
    "q=2\r\n"
    "[nofield]\r\n"
    "k=1\r\n";

TEST(Registry, ValuesKeysSharedCountsAndProfilesInOneRun)
{
    Sandbox box;
    Driver driver;
    const std::string sub = "Software\\UninsTest\\" + box.name;  // as the log names it
    const std::string cu = "HKCU\\" + sub, lm = "HKLM\\" + sub;
    const std::string cr = "HKCR\\unins.test." + box.name, hku = "HKU\\.DEFAULT\\" + sub;
    for (auto& key : {cu, lm, cr, hku})
        driver.RegDeleteTree(key);

    driver.RegSet(cu + "\\vals", "gone", "sz", "1");
    driver.RegSet(cu + "\\vals", "kept", "sz", "1");
    driver.RegSet(cu + "\\wholekey", "v", "sz", "1");
    driver.RegSet(cu + "\\parent\\child", "v", "sz", "1");
    driver.RegSet(cu + "\\def", "@", "sz", "default text");
    driver.RegSet(cu + "\\def", "other", "sz", "1");
    driver.RegSet(lm + "\\def", "@", "sz", "default text");
    driver.RegSet(cu + "\\nofield2", "v", "sz", "1");
    driver.RegSet(cu + "\\nofield2", "@", "sz", "1");
    driver.RegSet(cu + "\\low8", "v", "sz", "1");
    driver.RegSet(cu + "\\order\\sub", "v", "sz", "1");
    driver.RegSet(lm + "\\vals", "gone", "dword", "7");
    driver.RegSet(cr, "gone", "sz", "1");
    driver.RegSet(hku, "gone", "sz", "1");

    // shared-library counts, under the library paths
    std::string w = box.Win("app\\");
    struct Shared {
        const char* file;
        const char* type;
        const char* data;  // before
        const char* after;  // "<missing>" when the value goes
        bool listed;
    } shared[] = {
        {"dword3.dll", "dword", "3", "2", false},
        {"binary3.dll", "binary", "03000000", "02000000", false},
        {"last.dll", "dword", "1", "<missing>", true},        // the file exists
        {"lastgone.dll", "dword", "1", "<missing>", true},    // the file does not
        {"zero.dll", "dword", "0", "0", false},
        {"long.dll", "binary", "0100000000000000", "0100000000000000", false},
        {"short.dll", "binary", "0100", "0100", false},
    };
    for (auto& s : shared)
        driver.RegSet(kShared, w + s.file, s.type, s.data);
    box.Write("app\\last.dll", "library");

    box.Write("app\\settings.ini", kIni);
    for (auto probe : {"p19998", "p20000", "p21000", "p21002"})
        box.Write(std::string("app\\") + probe + ".txt", probe);
    box.Write("app\\plain.txt", "p");
    std::string ini = box.Win("app\\settings.ini");

    // Probes: P entries of mode 1 with numbers between the phases ask a
    // question, and so show what has run at that point.
    std::string log = StandardLog(
        "P0," + w + "plain.txt,0\r\n"
        // J lines run last-first: the first one (19999) runs after the rest
        "J0,1," + sub + "\\order,\r\n"
        "J0,1," + sub + "\\nosuchkey,v\r\n"  // 19998, beside the first probe
        "J0,1," + sub + "\\order\\sub,\r\n"
        "J0,1," + sub + "\\vals,gone\r\n"
        "J0,1," + sub + "\\wholekey,\r\n"
        "J0,1," + sub + "\\parent,\r\n"
        "J0,1," + sub + "\\def,default\r\n"
        "J0,2," + sub + "\\def,DEFAULT\r\n"
        "J0,1," + sub + "\\nofield2\r\n"
        "J0,1,,\r\n"      // a damaged line naming the root itself: no hive goes
        "J0,2,\\\\,\r\n"
        "J0,257," + sub + "\\low8,\r\n"   // low 8 bits: 1
        "J0,9," + sub + "\\vals,kept\r\n"  // no such root
        "J0,2," + sub + "\\vals,gone\r\n"
        "J0,0,unins.test." + box.name + ",gone\r\n"
        "J0,3,.DEFAULT\\" + sub + ",gone\r\n"
        "K0," + w + "dword3.dll\r\n"
        "K0," + w + "binary3.dll\r\n"
        "K0," + w + "last.dll\r\n"
        "K0," + w + "lastgone.dll\r\n"
        "K0," + w + "zero.dll\r\n"
        "K0," + w + "long.dll\r\n"
        "K0," + w + "short.dll\r\n"
        "K0," + w + "novalue.dll\r\n"
        "M0," + ini + ",two,x\r\n"
        "M0," + ini + ",last,only\r\n"
        "M0," + ini + ",whole,\r\n"
        "M0," + ini + ",nofield\r\n"
        "M0," + box.Win("app\\missing.ini") + ",s,k\r\n"
        "P0," + w + "last.dll,0\r\n"
        "P19998," + w + "p19998.txt,1\r\n"
        "P20000," + w + "p20000.txt,1\r\n"
        "P21000," + w + "p21000.txt,1\r\n"
        "P21002," + w + "p21002.txt,1\r\n");
    std::string program = box.InstallProgram(log);
    box.UseTemp(driver);
    ASSERT_TRUE(driver.Start("\"" + program + "\" \"" + box.Win("app\\uninstal.ini") + "\"",
                             box.Win("app")));
    // the status lines while a probe's question is open; No answers it
    // once what has run so far is checked
    auto Probe = [&](const std::string& name) {
        Box question = driver.WaitBox();
        EXPECT_EQ(question.text, "Delete " + w + name + ".txt?");
        DialogState d = driver.Dump(Title());
        EXPECT_TRUE(d.ok);
        return d.items[STATUS];
    };
    const std::string registryLine = "Removing registry entries...";
    const std::string profileLine = "Removing profile entries...";

    // 19998: every J entry but the first line's has run, and no status line yet
    std::vector<std::string> status = Probe("p19998");
    EXPECT_TRUE(status.empty());
    EXPECT_EQ(driver.RegGet(cu + "\\order"), "<key>");
    EXPECT_EQ(driver.RegGet(cu + "\\order\\sub"), "<missing>");
    EXPECT_EQ(driver.RegGet(cu + "\\vals", "gone"), "<missing>");
    driver.Answer(NO);

    // 20000: the line of message 54 came just before the first J line's entry
    status = Probe("p20000");
    EXPECT_EQ(status, (std::vector<std::string>{registryLine}));
    EXPECT_EQ(driver.RegGet(cu + "\\order"), "<missing>");
    EXPECT_EQ(driver.RegGet(kShared, w + "dword3.dll"), "3");
    driver.Answer(NO);

    // 21000: shared counts done, profiles not yet
    status = Probe("p21000");
    EXPECT_EQ(status, (std::vector<std::string>{registryLine}));
    EXPECT_EQ(driver.RegGet(kShared, w + "dword3.dll"), "2");
    EXPECT_EQ(box.Read("app\\settings.ini"), kIni);
    driver.Answer(NO);

    // 21002: message 55 came before the first M entry, which has run
    status = Probe("p21002");
    EXPECT_EQ(status, (std::vector<std::string>{registryLine, profileLine}));
    EXPECT_EQ(box.Read("app\\settings.ini").find("x=1"), std::string::npos);
    driver.Answer(NO);

    ASSERT_TRUE(driver.WaitWindow(Title()));
    DialogState d = WaitDone(driver, Title());
    EXPECT_EQ(d.items[STATUS],
              (std::vector<std::string>{registryLine, profileLine, "Deleting files...",
                                        "Please wait.", "Uninstall complete.",
                                        "Uninstall program: " + program}));

    // J
    EXPECT_EQ(driver.RegGet(cu + "\\vals", "gone"), "<missing>");
    EXPECT_EQ(driver.RegGet(cu + "\\vals", "kept"), "1");
    EXPECT_EQ(driver.RegGet(cu + "\\wholekey"), "<missing>");
    // one RegDeleteKeyA: a key with subkeys stays as the platform leaves it
    EXPECT_EQ(driver.RegGet(cu + "\\parent\\child", "v"), "1");
    EXPECT_EQ(driver.RegGet(cu + "\\def", "@"), "<missing>");
    EXPECT_EQ(driver.RegGet(cu + "\\def", "other"), "1");
    EXPECT_EQ(driver.RegGet(lm + "\\def", "@"), "<missing>");
    EXPECT_EQ(driver.RegGet(lm + "\\def"), "<key>");
    // without field 2 the whole entry text is the value name: the key stays
    EXPECT_EQ(driver.RegGet(cu + "\\nofield2", "v"), "1");
    EXPECT_EQ(driver.RegGet(cu + "\\nofield2", "@"), "1");
    EXPECT_EQ(driver.RegGet(cu + "\\low8"), "<missing>");
    EXPECT_EQ(driver.RegGet(lm + "\\vals", "gone"), "<missing>");
    EXPECT_EQ(driver.RegGet(cr, "gone"), "<missing>");
    EXPECT_EQ(driver.RegGet(cr), "<key>");
    EXPECT_EQ(driver.RegGet(hku, "gone"), "<missing>");
    EXPECT_EQ(driver.RegGet(cu + "\\order\\sub"), "<missing>");
    EXPECT_EQ(driver.RegGet(cu + "\\order"), "<missing>");

    // K: last references listed (sorted), whether the file exists or not;
    // the later P entry for last.dll neither deleted nor listed it again
    std::vector<std::string> listed;
    for (auto& s : shared) {
        SCOPED_TRACE(s.file);
        EXPECT_EQ(driver.RegGet(kShared, w + s.file), s.after);
        if (std::string(s.after) != "<missing>")
            EXPECT_EQ(driver.RegType(kShared, w + s.file), s.type);
        if (s.listed)
            listed.push_back(w + s.file);
    }
    EXPECT_EQ(driver.RegGet(kShared, w + "novalue.dll"), "<missing>");
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(d.items[LEFTOVER], listed);
    EXPECT_TRUE(box.Exists("app\\last.dll"));
    EXPECT_FALSE(box.Exists("app\\plain.txt"));

    // M
    std::string after = box.Read("app\\settings.ini");
    for (auto gone : {"x=1", "[last]", "only=1", "[whole]", "p=1", "q=2"})
        EXPECT_EQ(after.find(gone), std::string::npos) << gone << " in\n" << after;
    for (auto kept : {"; written by the installer", "[keep]", "a=1", "[two]", "; about two", "y=2",
                      "[nofield]", "k=1"})
        EXPECT_NE(after.find(kept), std::string::npos) << kept << " not in\n" << after;
    EXPECT_FALSE(box.Exists("app\\missing.ini"));

    ASSERT_TRUE(driver.Click(Title(), CLOSE));
    EXPECT_EQ(driver.Wait(), 0);
    for (auto& key : {cu, lm, cr, hku})
        driver.RegDeleteTree(key);
}
