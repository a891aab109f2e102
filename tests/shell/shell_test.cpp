// Shell: full-screen dialog placement, the navigation bar with its OK
// button, the empty menu bar, and relayout on a display reset.
#include <gtest/gtest.h>

#include "platform/shell/aygshell.h"
#include "tests/support/platform_test.h"

namespace {

class ShellTest : public test::PlatformTest {
 protected:
  HWND MakeDialog(DWORD exStyle) {
    return CreateWindowEx(exStyle, WC_DIALOG, u"RegillaMobile", WS_POPUP | WS_CAPTION, 0, 0, 236,
                          269, nullptr, nullptr, nullptr, nullptr);
  }
  BOOL Init(HWND dialog, DWORD flags) {
    SHINITDLGINFO info;
    info.dwMask = SHIDIM_FLAGS;
    info.hDlg = dialog;
    info.dwFlags = flags;
    return SHInitDialog(&info);
  }
  static constexpr DWORD kFlags =
      SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN | SHIDIF_EMPTYMENU;
};

TEST_F(ShellTest, FullScreenDialogsSitBetweenTheNavigationAndMenuBars) {
  ASSERT_TRUE(SHInitExtraControls());
  EXPECT_EQ(kFlags, 0x2Du);
  HWND dialog = MakeDialog(WS_EX_CAPTIONOKBTN);
  ASSERT_TRUE(Init(dialog, kFlags));
  RECT r;
  GetWindowRect(dialog, &r);
  EXPECT_EQ(r, (RECT{0, 26, 240, 294}));
  GetClientRect(dialog, &r);
  EXPECT_EQ(r, (RECT{0, 0, 240, 268}));
  POINT origin{0, 0};
  ClientToScreen(dialog, &origin);
  EXPECT_EQ(origin, (POINT{0, 26}));  // no non-client area

  HWND nav = platform::shell::NavigationBarOf(dialog);
  HWND menu = platform::shell::MenuBarOf(dialog);
  ASSERT_NE(nav, nullptr);
  ASSERT_NE(menu, nullptr);
  platform::WindowInfo info = platform::DescribeWindow(nav);
  EXPECT_EQ(info.screenRect, (RECT{0, 0, 240, 26}));
  EXPECT_EQ(info.text, u"RegillaMobile");
  EXPECT_TRUE(info.visible);
  EXPECT_EQ(info.owner, dialog);
  EXPECT_EQ(platform::DescribeWindow(menu).screenRect, (RECT{0, 294, 240, 320}));
  EXPECT_EQ(platform::shell::TopNavigationBar(), nav);

  DestroyWindow(dialog);
  EXPECT_FALSE(IsWindow(nav));
  EXPECT_FALSE(IsWindow(menu));
  EXPECT_EQ(platform::shell::TopNavigationBar(), nullptr);
}

TEST_F(ShellTest, TheOkButtonSendsIdOkToTheDialog) {
  HWND dialog = MakeDialog(WS_EX_CAPTIONOKBTN);
  ShowWindow(dialog, SW_SHOW);
  Init(dialog, kFlags);
  HWND ok = platform::shell::OkButtonOf(dialog);
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(GetDlgCtrlID(ok), IDOK);
  static const test::MessageSeq kOkClicked[] = {
      {WM_COMMAND, test::wparam, MAKEWPARAM(IDOK, BN_CLICKED)}};
  test::MessageRecorder rec({dialog}, {WM_COMMAND});
  test::Click(ok);
  test::ExpectSequence(rec, kOkClicked, "a tap on OK");
}

TEST_F(ShellTest, WithoutDoneButtonAndCaptionOkStyleThereIsNoOkButton) {
  HWND dialog = MakeDialog(0);
  Init(dialog, SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_FULLSCREENNOMENUBAR);
  EXPECT_EQ(platform::shell::OkButtonOf(dialog), nullptr);
  EXPECT_EQ(platform::shell::MenuBarOf(dialog), nullptr);
  RECT r;
  GetWindowRect(dialog, &r);
  EXPECT_EQ(r, (RECT{0, 26, 240, 320}));
  SHINITDLGINFO bad;
  EXPECT_FALSE(SHInitDialog(&bad));
  EXPECT_FALSE(SHInitDialog(nullptr));
}

TEST_F(ShellTest, ADisplayResetReLaysTheBarsOutButLeavesTheDialog) {
  HWND dialog = MakeDialog(WS_EX_CAPTIONOKBTN);
  Init(dialog, kFlags);
  platform::RotateScreen();
  SHACTIVATEINFO sai;
  SHHandleWMSettingChange(dialog, 0x12, 0, &sai);  // another change: nothing moves
  EXPECT_EQ(platform::DescribeWindow(platform::shell::NavigationBarOf(dialog)).screenRect.right,
            240);
  SHHandleWMSettingChange(dialog, SETTINGCHANGE_RESET, 0, &sai);
  EXPECT_EQ(platform::DescribeWindow(platform::shell::NavigationBarOf(dialog)).screenRect,
            (RECT{0, 0, 320, 26}));
  EXPECT_EQ(platform::DescribeWindow(platform::shell::MenuBarOf(dialog)).screenRect,
            (RECT{0, 214, 320, 240}));
  RECT r;
  GetWindowRect(dialog, &r);
  EXPECT_EQ(r, (RECT{0, 26, 240, 294}));
  RECT ok;
  GetWindowRect(platform::shell::OkButtonOf(dialog), &ok);
  EXPECT_EQ(ok.right, 319);
}

}  // namespace
