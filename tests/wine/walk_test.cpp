// Tree removal over names from every script, an emoji and a path beyond
// MAX_PATH, end to end, in code page 1252 and in code page 932: every name is
// found and removed, what stays is listed by its wide name and can be
// deleted from the list.
#include "harness.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <ctime>

#include <filesystem>
#include <fstream>
#include <iterator>

using namespace e2e;
namespace fs = std::filesystem;


static std::string Cp932(const std::string& utf8)
{
    iconv_t convert = iconv_open("CP932", "UTF-8");
    std::string out(utf8.size() * 2 + 1, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size(), outLeft = out.size();
    char* to = &out[0];
    EXPECT_NE(iconv(convert, &in, &inLeft, &to, &outLeft), (size_t)-1) << utf8;
    iconv_close(convert);
    out.resize(out.size() - outLeft);
    return out;
}

// A copy of one of Wine's fonts under a family name of its own (6
// characters, as the original's), so that no font the system has loaded
// before, in this run or an earlier one, stands in for it.
static void WriteOwnFont(const std::string& hostPath, const std::string& family)
{
    std::ifstream in("/usr/share/wine/fonts/tahoma.ttf", std::ios::binary);
    std::string font((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(font.empty()) << "no /usr/share/wine/fonts/tahoma.ttf (fonts-wine)";
    const std::string from[] = {"Tahoma", std::string("\0T\0a\0h\0o\0m\0a", 12)};
    std::string wide;
    for (char c : family)
        wide += std::string(1, '\0') + c;
    const std::string to[] = {family, wide};
    for (int i = 0; i < 2; ++i)
        for (size_t at = font.find(from[i]); at != std::string::npos; at = font.find(from[i], at))
            font.replace(at, from[i].size(), to[i]);
    std::ofstream(hostPath, std::ios::binary) << font;
}

// The application tree of every run: relative paths under tree\, the held
// one (a name outside both code pages) last.
static const std::vector<std::string> kTree = {
    "plain.txt", "Документы/отчёт.txt", "Ελληνικά/αρχείο.txt", "中文/文件.txt",
    "😀.txt", "😀 dir/x.txt", "ソフト/表示.dat",
    "deep/" + std::string(60, 'a') + "/" + std::string(60, 'b') + "/" + std::string(60, 'c') +
        "/" + std::string(60, 'd') + "/" + std::string(60, 'e') + "/файл.txt",
    "日本語/ファイル😀.txt",
};

static void RemoveTreeOfEveryName(const std::string& locale)
{
    Sandbox box;
    Driver driver(locale);
    const bool japanese = locale == "ja_JP.UTF-8";
    ASSERT_EQ(driver.CodePage(), japanese ? 932 : 1252);
    ASSERT_EQ(driver.Call({"utf8"}).back(), "ok");
    for (auto& f : kTree) {
        fs::create_directories(fs::path(box.Host("tree/" + f)).parent_path());
        std::ofstream(box.Host("tree/" + f)) << "x";
    }
    // a wildcard taking names in any script, the system's other wildcards
    // (a damaged entry), a root-relative name beside the working folder's own
    for (auto f : {"pat/отчёт.txt", "pat/κeep.doc", "dmg/keep1.txt"})
        box.Write(f, "x");
    const std::string rooted = "walk-" + box.name + ".txt";
    std::ofstream(HostPath("C:\\" + rooted)) << "root";
    box.Write("tmp\\" + rooted, "temp");
    std::string log = "U0," + box.Win("tree") + ",1\r\n"
                      "P0," + box.Win("pat") + "\\*.txt,0\r\n"
                      "P0," + box.Win("dmg") + "\\keep<.txt,0\r\n"
                      "P0,\\" + rooted + ",0\r\n";
    std::vector<std::string> listed = {box.Win("tree\\日本語\\ファイル😀.txt")};
    const std::string family = "W" + std::to_string(10000 + time(0) % 90000);
    if (japanese) {
        // the log's own names in code page 932, a backslash as second byte
        box.Write("pat/表示.txt", "x");
        log += Cp932("P0," + box.Win("pat") + "\\表示.txt,0\r\n");
    } else {
        // the font step: the library loads the font in the program's process
        // and looks for it before and after every file entry (U runs last);
        // the file is held, so it stays, and its font must be gone all the same
        WriteOwnFont(box.Host("tree/font.ttf"), family);
        std::string dll = box.InstallFixture("record.dll", "lib\\record.dll");
        std::string font = box.Win("tree\\font.ttf");
        log += "D0," + dll + ",AddFont,1," + font + "\r\n"
               "D0," + dll + ",FontFaces,1," + family + "\r\n"
               "D65001," + dll + ",FontFaces,1," + family + "\r\n"
               // a narrow pattern in a protected folder: its files, no folder
               "P0,C:\\windows\\walk-" + box.name + "*,0\r\n";
        std::ofstream(HostPath("C:\\windows\\walk-" + box.name + "-1.txt")) << "x";
        fs::create_directories(HostPath("C:\\windows\\walk-" + box.name + "-dir\\"));
        ASSERT_TRUE(driver.Hold(font));
        listed.insert(listed.begin(), font);
    }
    const std::string held = box.Win("tree\\日本語\\ファイル😀.txt");
    ASSERT_TRUE(driver.Hold(held));

    std::string program = box.InstallProgram(StandardLog(log));
    box.UseTemp(driver);
    ASSERT_TRUE(driver.Start("\"" + program + "\" \"" + box.Win("app\\uninstal.ini") + "\"",
                             box.Win("app")));
    ASSERT_TRUE(driver.WaitWindow(Title()));
    DialogState d = WaitDone(driver, Title(), 120000);

    // only what is held stays, and that is listed by its own name
    std::set<std::string> left = {"日本語/", "日本語/ファイル😀.txt"};
    if (!japanese)
        left.insert("font.ttf");
    EXPECT_EQ(HostTree(box.Host("tree")), left);
    EXPECT_EQ(d.items[LEFTOVER], listed);
    EXPECT_EQ(HostTree(box.Host("pat")), (std::set<std::string>{"κeep.doc"}));
    EXPECT_TRUE(box.Exists("dmg\\keep1.txt"));
    EXPECT_FALSE(fs::exists(HostPath("C:\\" + rooted)));
    EXPECT_EQ(box.Read("tmp\\" + rooted), "temp");
    if (!japanese) {
        std::string font = box.Win("tree\\font.ttf");
        std::string faces = "FontFaces|" + family;
        EXPECT_EQ(box.Read("tmp\\record.txt"),
                  "AddFont|" + font + "|1\r\n" + faces + "|1\r\n" + faces + "|0\r\n");
        EXPECT_FALSE(fs::exists(HostPath("C:\\windows\\walk-" + box.name + "-1.txt")));
        EXPECT_TRUE(fs::is_directory(HostPath("C:\\windows\\walk-" + box.name + "-dir\\")));
        fs::remove(HostPath("C:\\windows\\walk-" + box.name + "-dir\\"));
        ASSERT_TRUE(driver.Release(font));
    }

    // deleted from the list by its wide name, with the folders it emptied
    ASSERT_TRUE(driver.Release(held));
    ASSERT_TRUE(driver.Click(Title(), DELETE_ALL));
    bool emptied = false;
    for (int i = 0; i < 100 && !emptied; ++i) {
        driver.Call({"sleep", "200"});
        emptied = driver.Dump(Title()).items[LEFTOVER].empty();
    }
    EXPECT_TRUE(emptied);
    EXPECT_FALSE(box.Exists("tree"));
    ASSERT_TRUE(driver.Click(Title(), CLOSE));
    EXPECT_EQ(driver.Wait(), 0);
}

TEST(Walk, EveryNameAtAnyDepth)
{
    RemoveTreeOfEveryName("");
}

TEST(Walk, EveryNameAtAnyDepthInCodePage932)
{
    RemoveTreeOfEveryName("ja_JP.UTF-8");
}
