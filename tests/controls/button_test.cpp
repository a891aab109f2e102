// Buttons: push button clicks, automatic check boxes, check state messages.
#include <gtest/gtest.h>

#include "tests/controls/control_test.h"

namespace {

using test::ExpectSequence;
using test::kNoMessages;
using test::kNotifications;
using test::MessageRecorder;
using test::MessageSeq;
using test::wparam;

class ButtonTest : public test::ControlTest {};

static const MessageSeq kApplyClicked[] = {{WM_COMMAND, wparam, MAKEWPARAM(1013, BN_CLICKED)}};

TEST_F(ButtonTest, APushButtonNotifiesOnReleaseInsideOnly) {
  HWND button = Make(WC_BUTTON, BS_PUSHBUTTON | WS_TABSTOP, 1013, 30, 240, 77, 21, u"反映");
  MessageRecorder rec({parent}, kNotifications);
  POINT center = test::CenterOf(button);
  platform::InjectMouseDown(center);
  platform::ProcessPendingMessages();
  EXPECT_NE(SendMessage(button, BM_GETSTATE, 0, 0) & BST_PUSHED, 0);
  ExpectSequence(rec, kNoMessages, "pressed");
  platform::InjectMouseUp(center);
  platform::ProcessPendingMessages();
  EXPECT_EQ(SendMessage(button, BM_GETSTATE, 0, 0) & BST_PUSHED, 0);
  ExpectSequence(rec, kApplyClicked, "released inside");

  platform::InjectMouseDown(center);
  platform::InjectMouseMove(POINT{200, 10});
  platform::InjectMouseUp(POINT{200, 10});
  platform::ProcessPendingMessages();
  ExpectSequence(rec, kNoMessages, "released outside");
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(ButtonTest, AnAutomaticCheckBoxTogglesBeforeItNotifies) {
  HWND box = Make(WC_BUTTON, BS_AUTOCHECKBOX | WS_TABSTOP, 1009, 20, 20, 200, 18, u"する");
  LRESULT stateAtNotify = -1;
  platform::SetMessageHook([&](HWND h, UINT m, WPARAM w, LPARAM) {
    if (h == parent && m == WM_COMMAND && HIWORD(w) == BN_CLICKED) {
      stateAtNotify = SendMessage(box, BM_GETCHECK, 0, 0);
    }
  });
  test::Click(box);
  EXPECT_EQ(stateAtNotify, BST_CHECKED);
  test::Click(box);
  EXPECT_EQ(stateAtNotify, BST_UNCHECKED);
  EXPECT_EQ(SendMessage(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(ButtonTest, SetCheckChangesTheStateWithoutNotifying) {
  HWND box = Make(WC_BUTTON, BS_AUTOCHECKBOX, 1010, 20, 20, 200, 18);
  HWND push = Make(WC_BUTTON, BS_PUSHBUTTON, 1, 20, 60, 50, 18);
  MessageRecorder rec({parent}, kNotifications);
  SendMessage(box, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_EQ(IsDlgButtonChecked(parent, 1010), BST_CHECKED);
  CheckDlgButton(parent, 1010, BST_UNCHECKED);
  EXPECT_EQ(SendMessage(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  SendMessage(push, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_EQ(SendMessage(push, BM_GETCHECK, 0, 0), BST_UNCHECKED);  // push buttons have no check
  ExpectSequence(rec, kNoMessages, "check states set by the program");
}

TEST_F(ButtonTest, SpaceAndBmClickPressTheFocusedButton) {
  HWND box = Make(WC_BUTTON, BS_AUTOCHECKBOX, 1011, 20, 20, 200, 18);
  SetFocus(box);
  static const MessageSeq kClickedTwice[] = {{WM_COMMAND, wparam, MAKEWPARAM(1011, BN_CLICKED)},
                                             {WM_COMMAND, wparam, MAKEWPARAM(1011, BN_CLICKED)}};
  MessageRecorder rec({parent}, kNotifications);
  platform::InjectKeyDown(VK_SPACE);
  platform::InjectKeyUp(VK_SPACE);
  platform::ProcessPendingMessages();
  EXPECT_EQ(SendMessage(box, BM_GETCHECK, 0, 0), BST_CHECKED);
  SendMessage(box, BM_CLICK, 0, 0);
  EXPECT_EQ(SendMessage(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  ExpectSequence(rec, kClickedTwice, "Space, then BM_CLICK");
}

TEST_F(ButtonTest, DisabledButtonsTakeNoClicks) {
  HWND button = Make(WC_BUTTON, BS_PUSHBUTTON, 2, 20, 20, 60, 20);
  EnableWindow(button, FALSE);
  MessageRecorder rec({parent}, kNotifications);
  test::Click(button);
  ExpectSequence(rec, kNoMessages, "a tap on a disabled button");
}

}  // namespace
