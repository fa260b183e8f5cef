// The progress dialog at 96, 144 and 192 dots per inch, in code page 1252
// and with the Japanese font of code page 932: every text fits its control.
// Wine reads the resolution when a process starts, from the registry that
// the whole suite shares, so this test runs alone and puts it back.
#include "harness.h"

#include <gtest/gtest.h>

#include <strings.h>

#include <algorithm>
#include <cstdio>

using namespace e2e;

static const char* kFonts = "HKLM\\System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts";

struct Resolution {
    Driver& driver;
    std::string before;
    explicit Resolution(Driver& d) : driver(d), before(d.RegGet(kFonts, "LogPixels")) {}
    void Set(int dpi) { driver.RegSet(kFonts, "LogPixels", "dword", std::to_string(dpi)); }
    ~Resolution() { driver.RegSet(kFonts, "LogPixels", "dword", before); }
};

TEST(Dpi, NoTextClippedAt96To192AndInCodePage932)
{
    Driver setup;
    // the per-user value would take precedence over the one this test sets
    ASSERT_EQ(setup.RegGet("HKCU\\Control Panel\\Desktop", "LogPixels"), "<missing>");
    Resolution resolution(setup);
    ASSERT_EQ(resolution.before, "96");
    const struct {
        int dpi;
        const char* locale;
    } cases[] = {{96, ""}, {144, ""}, {192, ""}, {96, "ja_JP.UTF-8"}, {144, "ja_JP.UTF-8"},
                 {192, "ja_JP.UTF-8"}};
    int closeWidthAt96 = 0;
    for (auto& c : cases) {
        std::string name = "dpi-" + std::to_string(c.dpi) + (*c.locale ? "-cp932" : "-cp1252");
        SCOPED_TRACE(name);
        resolution.Set(c.dpi);
        Sandbox box;
        Driver driver(c.locale);  // started after the change: it measures at the new resolution
        ASSERT_EQ(driver.CodePage(), *c.locale ? 932 : 1252);
        // a file held open is left: the layout with every button and the label
        box.Write("app\\held.txt", "h");
        ASSERT_TRUE(driver.Hold(box.Win("app\\held.txt")));
        std::string program = box.InstallProgram(StandardLog("P0," + box.Win("app\\held.txt") + ",0\r\n"));
        box.UseTemp(driver);
        ASSERT_TRUE(driver.Start("\"" + program + "\" \"" + box.Win("app\\uninstal.ini") + "\"",
                                 box.Win("app")));
        ASSERT_TRUE(driver.WaitWindow(Title()));
        // while the work runs (its paced delays take three seconds) the
        // progress bar lies under the status list, inside the dialog, and
        // grows with the resolution
        DialogState working = driver.Dump(Title());
        ASSERT_TRUE(working.ok);
        EXPECT_FALSE(working.Get(CLOSE).enabled) << "the work ended before it could be seen";
        const Control& bar = working.Get(IDC_PROGRESS_BAR);
        const Control& status = working.Get(STATUS);
        EXPECT_TRUE(bar.visible);
        EXPECT_GE(bar.y, status.y + status.h);
        EXPECT_GE(bar.x, working.x);
        EXPECT_LE(bar.x + bar.w, working.x + working.w);
        EXPECT_LE(bar.y + bar.h, working.y + working.h);
        EXPECT_GE(bar.h, 10 * c.dpi / 96);
        Screenshot(name + "-working");
        DialogState d = WaitDone(driver, Title());
        ASSERT_TRUE(d.Get(DELETE_SELECTED).visible);
        // the program imports no COMCTL32: only its manifest makes the
        // dialog's controls the common controls 6 versions
        auto modules = HostMappedFiles(box.Host("app\\unins.exe"));
        EXPECT_TRUE(std::any_of(modules.begin(), modules.end(), [](const std::string& m) {
            return strcasecmp(m.c_str(), "comctl32.dll") == 0;
        })) << testing::PrintToString(modules);

        auto lines = driver.Call({"measure", Title(), "101"});
        ASSERT_EQ(lines.front(), "dpi\t" + std::to_string(c.dpi));
        std::set<int> measured;
        for (auto& line : lines) {
            int id, w, h, roomW, roomH;
            if (sscanf(line.c_str(), "text\t%d\t%*s\t%d\t%d\t%d\t%d", &id, &w, &h, &roomW, &roomH) != 5)
                continue;
            measured.insert(id);
            EXPECT_TRUE(w <= roomW && h <= roomH) << "text clipped: " << line;
        }
        // the close, label, two delete and finish controls
        EXPECT_EQ(measured, (std::set<int>{CLOSE, LABEL, DELETE_SELECTED, DELETE_ALL, FINISH}))
            << testing::PrintToString(lines);
        // the dialog grew with the resolution, and holds what it shows
        const Control& close = d.Get(CLOSE);
        if (c.dpi == 96 && !*c.locale)
            closeWidthAt96 = close.w;
        else if (!*c.locale)
            EXPECT_NEAR(close.w * 96.0 / c.dpi, closeWidthAt96, closeWidthAt96 * 0.15);
        for (auto& control : d.controls)
            if (control.visible) {
                EXPECT_LE(control.x + control.w, d.x + d.w) << control.id;
                EXPECT_LE(control.y + control.h, d.y + d.h) << control.id;
            }
        Screenshot(name);

        ASSERT_TRUE(driver.Release(box.Win("app\\held.txt")));
        ASSERT_TRUE(driver.Click(Title(), CLOSE));
        EXPECT_EQ(driver.Wait(), 0);
    }
}
