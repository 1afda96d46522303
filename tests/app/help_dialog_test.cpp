// help_dialog_proc called as the dialog manager calls it.
#include "app/help_dialog.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "fake_win32.h"

namespace {

const HWND BOX = fake::dialog(1);

class HelpDialogTest : public ::testing::Test {
protected:
    void SetUp() override { fake::reset(); }
};

TEST_F(HelpDialogTest, InitialisationLetsTheSystemSetTheFocus) {
    EXPECT_EQ(TRUE, help_dialog_proc(BOX, WM_INITDIALOG, 0, 0));
    EXPECT_TRUE(fake::log().empty());
}

struct Command {
    const char* name;
    WPARAM wparam;
    INT_PTR ends_with;  // 0: the box stays open
};

void PrintTo(const Command& c, std::ostream* os) { *os << c.name; }

class HelpDialogCommandTest : public HelpDialogTest, public ::testing::WithParamInterface<Command> {};

// Only the low word names the control; the high word is the notification
// (button click, accelerator) and changes nothing.
TEST_P(HelpDialogCommandTest, IsHandledAndEndsTheBoxOnlyForCloseOrCancel) {
    const Command c = GetParam();

    EXPECT_EQ(TRUE, help_dialog_proc(BOX, WM_COMMAND, c.wparam, 0));

    std::vector<std::string> wanted;
    if (c.ends_with != 0) wanted.push_back(fake::text("EndDialog", {"dialog#1", std::to_string(c.ends_with)}));
    EXPECT_EQ(wanted, fake::log());
}

INSTANTIATE_TEST_SUITE_P(
    Controls, HelpDialogCommandTest,
    ::testing::Values(Command{"Ok", IDOK, 1}, Command{"OkClicked", MAKEWPARAM(IDOK, BN_CLICKED), 1},
                      Command{"OkHighWordSet", MAKEWPARAM(IDOK, 0xFFFF), 1},
                      Command{"OkAboveThirtyTwoBits", (static_cast<WPARAM>(1) << 32) | IDOK, 1},
                      Command{"Cancel", IDCANCEL, 2}, Command{"CancelByAccelerator", MAKEWPARAM(IDCANCEL, 1), 2},
                      Command{"Abort", IDABORT, 0}, Command{"Zero", 0, 0},
                      Command{"HighWordOnly", MAKEWPARAM(0, IDOK), 0}, Command{"StaticText", 0xFFFF, 0},
                      Command{"TemplateId", 1001, 0}, Command{"OtherControlWithHighWord", MAKEWPARAM(1002, IDCANCEL), 0}),
    [](const ::testing::TestParamInfo<Command>& info) { return std::string(info.param.name); });

TEST_F(HelpDialogTest, OtherMessagesAreLeftToTheDialogManager) {
    for (const UINT message : {static_cast<UINT>(WM_CLOSE), static_cast<UINT>(WM_PAINT),
                               static_cast<UINT>(WM_KEYDOWN), static_cast<UINT>(WM_DESTROY),
                               static_cast<UINT>(WM_NOTIFY), static_cast<UINT>(WM_SYSCOMMAND),
                               static_cast<UINT>(WM_CTLCOLORDLG)}) {
        EXPECT_EQ(FALSE, help_dialog_proc(BOX, message, IDOK, 0)) << message;
    }
    EXPECT_TRUE(fake::log().empty());
}

// Through the fake dialog manager: the result EndDialog gives is what the
// box returns to its caller.
TEST_F(HelpDialogTest, BoxReturnsOneForCloseAndTwoForCancel) {
    fake::dialog_input(WM_PAINT);
    fake::dialog_input(WM_COMMAND, IDOK);
    EXPECT_EQ(1, DialogBoxParamA(fake::app_instance(), MAKEINTRESOURCEA(HELP_DIALOG_ID), nullptr,
                                 help_dialog_proc, 0));

    fake::reset();
    fake::dialog_input(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED));
    fake::dialog_input(WM_COMMAND, IDOK);  // not reached: the box has ended
    EXPECT_EQ(2, DialogBoxParamA(fake::app_instance(), MAKEINTRESOURCEA(HELP_DIALOG_ID), nullptr,
                                 help_dialog_proc, 0));
    EXPECT_EQ(1, fake::count("EndDialog"));
}

}  // namespace
