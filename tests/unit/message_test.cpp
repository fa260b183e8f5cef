// Message boxes: style by kind, owner, caption, answer, and the fatal box.
#include "common/globals.h"
#include "common/message.h"
#include "common/platform_host.h"
#include "common/report.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

class ShowMessageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        HostResetMessageBoxes();
        g_dialog = 0;
        g_caption[0] = 0;
    }
    void TearDown() override
    {
        g_dialog = 0;
        g_caption[0] = 0;
        HostResetMessageBoxes();
    }
};

}  // namespace

TEST_F(ShowMessageTest, KindChoosesIconAndButtons)
{
    struct { unsigned flags; unsigned style; } table[] = {
        {MSG_INFO, MB_OK | MB_ICONINFORMATION},
        {MSG_ERROR, MB_OK | MB_ICONERROR},
        {MSG_QUESTION, MB_YESNO | MB_ICONQUESTION},
        {MSG_OKCANCEL, MB_OKCANCEL | MB_ICONINFORMATION},
        {MSG_NOTE, MB_OK | MB_ICONINFORMATION},
        {MSG_READ_ERROR, MB_OK | MB_ICONERROR},
        // Only the low 16 bits of the flags are read.
        {0x10000 | MSG_QUESTION, MB_YESNO | MB_ICONQUESTION},
    };
    int shown = 0;
    for (auto& row : table) {
        ShowMessage(row.flags, "text");
        ++shown;
        EXPECT_EQ(shown, HostMessageBoxCount()) << std::hex << row.flags;
        EXPECT_EQ(row.style, HostLastMessageStyle()) << std::hex << row.flags;
    }
}

TEST_F(ShowMessageTest, ReturnsTheAnswer)
{
    HostSetMessageBoxAnswer(IDNO);
    EXPECT_EQ(IDNO, ShowMessage(MSG_QUESTION, "Delete %s?", "a.txt"));
    HostSetMessageBoxAnswer(IDYES);
    EXPECT_EQ(IDYES, ShowMessage(MSG_QUESTION, "Delete %s?", "a.txt"));
    EXPECT_EQ(IDOK, ShowMessage(MSG_READ_ERROR, "Error reading file %s", "x"));
    EXPECT_EQ(3, HostMessageBoxCount());
}

TEST_F(ShowMessageTest, NoOwnerAndEmptyCaptionBeforeTheDialog)
{
    ShowMessage(MSG_ERROR, "early");
    EXPECT_EQ(nullptr, HostLastMessageOwner());
    EXPECT_STREQ("", HostLastMessageCaption());
}

TEST_F(ShowMessageTest, OwnedByTheDialogWithTheCaption)
{
    HWND dialog = reinterpret_cast<HWND>(0x4242);
    g_dialog = dialog;
    strcpy(g_caption, "Uninstall My Product");
    ShowMessage(MSG_QUESTION, "Delete %s?", "C:\\App\\a.txt");
    EXPECT_EQ(dialog, HostLastMessageOwner());
    EXPECT_STREQ("Uninstall My Product", HostLastMessageCaption());
    EXPECT_STREQ("Delete C:\\App\\a.txt?", HostLastMessageText());
}

TEST_F(ShowMessageTest, FormatsLogTextsWithOnlyTheArgumentsPassed)
{
    ShowMessage(MSG_ERROR, "Can't copy %s to %s", "C:\\App\\unins.exe", "C:\\Temp\\unins.exe");
    EXPECT_STREQ("Can't copy C:\\App\\unins.exe to C:\\Temp\\unins.exe", HostLastMessageText());

    ShowMessage(MSG_QUESTION, "Remove %s (%d files, 100%%)? %s", "My Product");
    EXPECT_STREQ("Remove My Product (%d files, 100%)? %s", HostLastMessageText());

    ShowMessage(MSG_INFO, "%s %s %s %n", "a", "b");
    EXPECT_STREQ("a b %s %n", HostLastMessageText());

    ShowMessage(MSG_INFO, "plain");
    EXPECT_STREQ("plain", HostLastMessageText());
}

TEST_F(ShowMessageTest, LongTextIsCutNotOverrun)
{
    std::string big(6000, 'w');
    ShowMessage(MSG_INFO, "%s", big.c_str());
    std::string shown = HostLastMessageText();
    EXPECT_FALSE(shown.empty());
    EXPECT_LT(shown.size(), 2048u);
    EXPECT_EQ(std::string(shown.size(), 'w'), shown);
}

TEST_F(ShowMessageTest, FatalBoxEndsTheRunWithItsExitCode)
{
    // (a POSIX exit status keeps the code's low byte: 1605 is 69, 1603 is 67)
    strcpy(g_caption, "Uninstall Demo");
    EXPECT_EXIT(ShowMessage(MSG_FATAL | MSG_NOT_INSTALLED, "Can't open uninstal log file %s!",
                            "/tmp/none/uninstal.ini"),
                ::testing::ExitedWithCode(EXIT_NOT_INSTALLED & 0xFF),
                "Can't open uninstal log file /tmp/none/uninstal\\.ini!");
    EXPECT_EXIT(ShowMessage(MSG_FATAL, NO_MEMORY_FORMAT, "x"), ::testing::ExitedWithCode(EXIT_FATAL & 0xFF),
                "Not enough memory for x");
    // Any flags with the exit bit end the process, whatever the kind.
    EXPECT_EXIT(ShowMessage(MSG_EXIT | MSG_QUESTION, "Don't open %s", "x"),
                ::testing::ExitedWithCode(EXIT_FATAL & 0xFF), "Don't open x");
}

// The report sees every box, shown or not, with the answer to a question.
static std::string s_reported;
static void RecordMessage(const char* text, int answer)
{
    s_reported += std::string(text) + "=" + std::to_string(answer) + ";";
}

TEST_F(ShowMessageTest, SilentRunShowsNoBoxAndAnswersNo)
{
    struct Row {
        unsigned switches;
        bool shown;
    } rows[] = {
        {0, true},
        {SWITCH_LOG | SWITCH_NORESTART, true},
        {SWITCH_SILENT, false},
        {SWITCH_VERYSILENT, false},
        {SWITCH_SUPPRESSMSGBOXES, false},
    };
    g_report.message = RecordMessage;
    for (const Row& row : rows) {
        HostResetMessageBoxes();
        HostSetMessageBoxAnswer(IDYES);
        s_reported.clear();
        g_switches = row.switches;
        int answer = ShowMessage(MSG_QUESTION, "Delete %s?", "a.txt");
        EXPECT_EQ(row.shown ? 1 : 0, HostMessageBoxCount()) << row.switches;
        EXPECT_EQ(row.shown ? IDYES : IDNO, answer) << row.switches;
        EXPECT_EQ("Delete a.txt?=" + std::to_string(answer) + ";", s_reported);
        ShowMessage(MSG_READ_ERROR, "Error reading file %s", "b");
        EXPECT_EQ(row.shown ? 2 : 0, HostMessageBoxCount()) << row.switches;
        EXPECT_EQ("Delete a.txt?=" + std::to_string(answer) + ";Error reading file b=0;",
                  s_reported);
    }
    // a silent fatal error still ends the run, with its code and no box
    g_switches = SWITCH_VERYSILENT;
    EXPECT_EXIT(ShowMessage(MSG_FATAL | MSG_NOT_INSTALLED, "Can't open %s", "x"),
                ::testing::ExitedWithCode(EXIT_NOT_INSTALLED & 0xFF), "");
    g_switches = 0;
    g_report.message = 0;
}
