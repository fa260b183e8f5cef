// Library calls and program runs, end to end: one run of the program over a
// log of D and E entries; the fixture library and program record every call
// and start in one file in the current (temporary) folder, in the order they
// happened.
#include "harness.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace e2e;

TEST(Run, LibraryCallsAndProgramsBeforeTheDialog)
{
    Sandbox box;
    Driver driver;
    std::string dll = box.InstallFixture("record.dll", "app\\My Tools\\record.dll");
    std::string exe = box.InstallFixture("recorder.exe", "app\\My Tools\\recorder.exe");
    std::string longText(300, 'L');
    std::string lacking = dll + ",Args2,2,only";  // field 4 missing: the whole text

    struct Row {
        std::string entry;     // after "D0," or "E0,"
        std::string recorded;  // the line it adds to the record, or "" for none
    } rows[] = {
        {dll + ",Args0,0", "Args0"},
        {dll + ",Args1,1,one", "Args1|one"},
        {dll + ",Args2,2,first,second", "Args2|first|second"},
        {dll + ",Args5,5,a,b,c,d,e", "Args5|a|b|c|d|e"},
        {dll + ",Args2,6,x,y", ""},
        {dll + ",Args2,-1,x,y", ""},
        {dll + ",NoSuchEntry,0", ""},
        {box.Win("app\\missing.dll") + ",Args0,0", ""},
        {dll + ",Args0", "Args0"},  // no field 2: the whole text parses as 0
        {dll + ",CdeclArgs,3,p,q,r", "CdeclArgs|p|q|r"},
        {dll + ",Args1,1,\"quoted, with comma\"", "Args1|\"quoted, with comma\""},
        {dll + ",Args1,1," + longText, "Args1|" + longText.substr(0, 255)},
        {lacking, "Args2|only|" + lacking},
    };
    std::string log;
    std::vector<std::string> expected;
    for (auto& r : rows) {
        log += "D0," + r.entry + "\r\n";
        if (!r.recorded.empty())
            expected.push_back(r.recorded);
    }

    // E: a quoted long path runs under its short form with the same
    // arguments, from the temporary folder, before the dialog exists; the
    // next entry waits for its end
    std::string shortExe = driver.ShortPath(exe);
    std::string temp = box.Win("tmp");
    log += "E0,\"" + exe + "\" wait=1500 title=" + Title() + "\r\n"
           "E0,\"" + box.Win("app\\nothere.exe") + "\" x\r\n"
           "E0,\"" + exe + "\" second\r\n"
           // the quote never closes: passed as written, which Wine does not start
           // (were it taken as the path and shortened, it would run)
           "E0,\"" + exe + "\r\n";
    expected.push_back("start|" + shortExe + " wait=1500 title=" + Title() + "|" + temp +
                       "|no window");
    expected.push_back("end");
    expected.push_back("start|" + shortExe + " second|" + temp);
    EXPECT_EQ(shortExe.find(' '), std::string::npos) << shortExe;

    std::string program = box.InstallProgram(StandardLog(log));
    box.UseTemp(driver);
    ASSERT_TRUE(driver.Start("\"" + program + "\" \"" + box.Win("app\\uninstal.ini") + "\"",
                             box.Win("app")));
    ASSERT_TRUE(driver.WaitWindow(Title()));
    DialogState d = WaitDone(driver, Title());
    EXPECT_EQ(Lines(box.Read("tmp\\record.txt")), expected);
    // the program went on to the end after the call that left its arguments
    EXPECT_EQ(d.items[STATUS].back(), "Uninstall program: " + program);
    ASSERT_TRUE(driver.Click(Title(), FINISH));
    EXPECT_EQ(driver.Wait(), 0);
}
