// Buttons: push button clicks, automatic check boxes, check state messages.
#include <gtest/gtest.h>

#include "tests/controls/events.h"

namespace {

using test::Command;

class ButtonTest : public test::ControlTest {};

TEST_F(ButtonTest, APushButtonNotifiesOnReleaseInsideOnly) {
  HWND button = Make(WC_BUTTON, BS_PUSHBUTTON | WS_TABSTOP, 1013, 30, 240, 77, 21, u"反映");
  test::EventRecorder rec(parent);
  POINT center = test::CenterOf(button);
  platform::InjectMouseDown(center);
  platform::ProcessPendingMessages();
  EXPECT_NE(SendMessage(button, BM_GETSTATE, 0, 0) & BST_PUSHED, 0);
  EXPECT_TRUE(rec.Take().empty());
  platform::InjectMouseUp(center);
  platform::ProcessPendingMessages();
  EXPECT_EQ(SendMessage(button, BM_GETSTATE, 0, 0) & BST_PUSHED, 0);
  EXPECT_EQ(rec.Take(), (std::vector<test::Event>{Command(BN_CLICKED, 1013, button)}));

  platform::InjectMouseDown(center);
  platform::InjectMouseMove(POINT{200, 10});
  platform::InjectMouseUp(POINT{200, 10});
  platform::ProcessPendingMessages();
  EXPECT_TRUE(rec.Take().empty());
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
  test::EventRecorder rec(parent);
  SendMessage(box, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_EQ(IsDlgButtonChecked(parent, 1010), BST_CHECKED);
  CheckDlgButton(parent, 1010, BST_UNCHECKED);
  EXPECT_EQ(SendMessage(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  SendMessage(push, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_EQ(SendMessage(push, BM_GETCHECK, 0, 0), BST_UNCHECKED);  // push buttons have no check
  EXPECT_TRUE(rec.Take().empty());
}

TEST_F(ButtonTest, SpaceAndBmClickPressTheFocusedButton) {
  HWND box = Make(WC_BUTTON, BS_AUTOCHECKBOX, 1011, 20, 20, 200, 18);
  SetFocus(box);
  test::EventRecorder rec(parent);
  platform::InjectKeyDown(VK_SPACE);
  platform::InjectKeyUp(VK_SPACE);
  platform::ProcessPendingMessages();
  EXPECT_EQ(SendMessage(box, BM_GETCHECK, 0, 0), BST_CHECKED);
  SendMessage(box, BM_CLICK, 0, 0);
  EXPECT_EQ(SendMessage(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(rec.Take(), (std::vector<test::Event>{Command(BN_CLICKED, 1011, box),
                                                  Command(BN_CLICKED, 1011, box)}));
}

TEST_F(ButtonTest, DisabledButtonsTakeNoClicks) {
  HWND button = Make(WC_BUTTON, BS_PUSHBUTTON, 2, 20, 20, 60, 20);
  EnableWindow(button, FALSE);
  test::EventRecorder rec(parent);
  test::Click(button);
  EXPECT_TRUE(rec.Take().empty());
}

}  // namespace
