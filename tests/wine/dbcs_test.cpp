// A Japanese system, end to end: the driver and every program it starts run
// in code page 932, and the application's names are full of characters whose
// second byte is a backslash (ソ, 表, 能, 十). The log is written in code
// page 932, as a Japanese installer writes it; Wine keeps the names in UTF-8
// on the host, where the end state is checked.
#include "harness.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <filesystem>
#include <fstream>
#include <set>

using namespace e2e;
namespace fs = std::filesystem;


// UTF-8 text in code page 932: what programs in a Japanese locale read and write.
static std::string Cp932(const std::string& utf8)
{
    iconv_t convert = iconv_open("CP932", "UTF-8");
    if (convert == (iconv_t)-1) {
        ADD_FAILURE() << "no CP932 converter on the host";
        return utf8;
    }
    std::string out(utf8.size() * 2 + 1, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    char* to = &out[0];
    size_t outLeft = out.size();
    if (iconv(convert, &in, &inLeft, &to, &outLeft) == (size_t)-1)
        ADD_FAILURE() << "not in code page 932: " << utf8;
    iconv_close(convert);
    out.resize(out.size() - outLeft);
    return out;
}

TEST(DoubleByte, JapaneseApplicationRemovedInCodePage932)
{
    Sandbox box;
    Driver driver("ja_JP.UTF-8");
    ASSERT_EQ(driver.CodePage(), 932) << "no Japanese locale for Wine (scripts/setup generates "
                                         "ja_JP.UTF-8)";
    const std::string top = "C:\\ソフト";
    const std::string app = top + "\\表示";
    fs::remove_all(HostPath(top));
    fs::create_directories(HostPath(app));
    for (auto file : {"\\readme.txt", "\\ソフト.exe", "\\ポ.ini", "\\一覧表\\一覧.txt",
                      "\\一覧表\\表.txt", "\\一覧表\\keep.dat", "\\機能\\ソ\\十.dat",
                      "\\予定表\\ログ十.txt"}) {
        fs::create_directories(fs::path(HostPath(app + file)).parent_path());
        std::ofstream(HostPath(app + file)) << "x";
    }
    fs::copy_file(FixtureFile(box.build, "recorder.exe"), HostPath(app + "\\機能\\recorder.exe"));
    fs::copy_file(ProgramFile(box.build), HostPath(app + "\\unins.exe"));

    // P entries for files and a wildcard in a folder ending in 表, U entries
    // for trees whose names end in 能 and 表; a temporary folder ending in ソ
    const std::string log =
        "A42,ファイルを削除しています...\r\n"
        "A50,アンインストールが完了しました。\r\n"
        "A53,削除できなかったファイル:\r\n"
        "E0,\"" + app + "\\機能\\recorder.exe\" 表示\r\n"
        "P0," + app + "\\readme.txt,0\r\n"
        "P0," + app + "\\ソフト.exe,0\r\n"
        "P0," + app + "\\ポ.ini,0\r\n"
        "P0," + app + "\\一覧表\\*.txt,0\r\n"
        "P0," + app + "\\予定表\\ログ十.txt,0\r\n"
        "P0," + app + "\\unins.exe,0\r\n"
        "P0," + app + "\\uninstal.ini,0\r\n"
        "U0," + app + "\\機能,1\r\n"
        "U0," + app + "\\一覧表,0\r\n";
    std::ofstream(HostPath(app + "\\uninstal.ini"), std::ios::binary) << Cp932(StandardLog(log));
    const std::string temp = box.Win("一時ソ");
    box.MakeDir("一時ソ");
    driver.Env("TMP", Cp932(temp));
    driver.Env("TEMP", Cp932(temp));
    const std::string held = app + "\\予定表\\ログ十.txt";
    ASSERT_TRUE(driver.Hold(Cp932(held)));
    std::string shortExe = driver.ShortPath(Cp932(app + "\\機能\\recorder.exe"));

    ASSERT_TRUE(driver.Start(Cp932("\"" + app + "\\unins.exe\""), Cp932(app)));
    ASSERT_TRUE(driver.WaitBox().found);
    ASSERT_TRUE(driver.Answer(YES));
    const std::vector<std::string> copies = WaitCopies(temp);
    ASSERT_EQ(copies.size(), 1u);
    const std::string copy = copies[0];
    ASSERT_TRUE(driver.Find(Cp932(copy)));
    DialogState d = WaitDone(driver, Title());

    EXPECT_EQ(d.items[STATUS],
              (std::vector<std::string>{Cp932("ファイルを削除しています..."), "Please wait.",
                                        Cp932("アンインストールが完了しました。"),
                                        Cp932("Uninstall program: " + copy)}));
    EXPECT_EQ(d.Get(LABEL).text, Cp932("削除できなかったファイル:"));
    EXPECT_EQ(box.Read("一時ソ\\record.txt"),
              "start|" + shortExe + Cp932(" 表示|" + temp) + "\r\n");
    // left: the held file and the file of the listed tree, both offered
    EXPECT_EQ(HostTree(HostPath(app)), (std::set<std::string>{"一覧表/", "一覧表/keep.dat",
                                                           "予定表/", "予定表/ログ十.txt"}));
    const std::vector<std::string>& listed = d.items[LEFTOVER];
    EXPECT_EQ(std::set<std::string>(listed.begin(), listed.end()),
              (std::set<std::string>{Cp932(app + "\\一覧表\\keep.dat"), Cp932(held)}));
    Screenshot("double-byte-names");

    // deleting the list removes the files and every folder they emptied,
    // up to C:\ソフト itself
    ASSERT_TRUE(driver.Release(Cp932(held)));
    ASSERT_TRUE(driver.Click(Title(), DELETE_ALL));
    driver.Call({"sleep", "500"});
    EXPECT_TRUE(driver.Dump(Title()).items[LEFTOVER].empty());
    EXPECT_FALSE(fs::exists(HostPath(top))) << "left: " << testing::PrintToString(HostTree(HostPath(top)));
    ASSERT_TRUE(driver.Click(Title(), CLOSE));
    EXPECT_EQ(driver.WaitFound(), 0);
    EXPECT_EQ(driver.Wait(), 0);  // the launcher waited for it
}
