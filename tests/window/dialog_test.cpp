// Dialog manager: dialog units, templates, modal loops, keyboard
// navigation, and the message box.
#include <gtest/gtest.h>

#include <array>
#include <string_view>

#include "tests/window/support.h"

namespace {

using test::PlatformTest;

constexpr std::u16string_view kEntries[] = {u"a", u"b"};

constexpr platform::DialogItemTemplate kMainItems[] = {
    {u"EDIT", u"", 0, 10, 10, 10, 50, 12, WS_VISIBLE | WS_TABSTOP | WS_BORDER, 0, {}},
    {u"BUTTON", u"反映", 0, 1013, 18, 162, 44, 14, WS_VISIBLE | WS_TABSTOP, 0, {}},
    {u"BUTTON", u"ｷｬﾝｾﾙ", 0, 2, 72, 162, 42, 14, WS_VISIBLE | WS_TABSTOP, 0, {}},
    {u"COMBOBOX", u"", 0, 20, 10, 40, 60, 40, WS_VISIBLE | CBS_DROPDOWNLIST, 0, kEntries},
};

constexpr platform::DialogItemTemplate kPageItems[] = {
    {u"BUTTON",
     u"する",
     0,
     1009,
     12,
     12,
     138,
     12,
     WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX,
     0,
     {}},
};

constexpr platform::DialogItemTemplate kBrokenItems[] = {
    {u"NoSuchClass", u"", 0, 5, 0, 0, 10, 10, WS_VISIBLE, 0, {}},
};

constexpr platform::DialogTemplate kDialogs[] = {
    {100, WS_POPUP | DS_SETFONT, 0, 0, 0, 135, 179, u"Main", u"MS UI Gothic", 9, kMainItems},
    {101, WS_CHILD | DS_SETFONT | DS_FIXEDSYS, 0, 0, 0, 160, 146, u"", u"MS Shell Dlg", 8,
     kPageItems},
    {102, WS_POPUP | DS_SETFONT, 0, 0, 0, 50, 50, u"", u"MS Shell Dlg", 8, kBrokenItems},
};

const platform::ResourceModule kModule{kDialogs, {}, {}, {}};

HWND g_dialog = nullptr;
LPARAM g_initParam = 0;

BOOL TestDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      g_dialog = dialog;
      g_initParam = lParam;
      if (lParam == 99) EndDialog(dialog, 5);
      if (lParam == 98) PostQuitMessage(0);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == 1013) EndDialog(dialog, 42);
      if (LOWORD(wParam) == IDCANCEL) EndDialog(dialog, IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}

class DialogTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    platform::ProgramModule().resources = &kModule;
    platform::SetInputSource(&input);
    g_dialog = nullptr;
  }
  void TearDown() override {
    PlatformTest::TearDown();
    platform::ProgramModule().resources = nullptr;
  }
  INT_PTR RunModal(HWND owner, LPARAM param = 0) {
    return DialogBoxParam(nullptr, MAKEINTRESOURCE(100), owner, &TestDlgProc, param);
  }
  test::ScriptedInput input;
};

TEST_F(DialogTest, MulDivRoundsHalfAwayFromZero) {
  EXPECT_EQ(MulDiv(7, 1, 2), 4);
  EXPECT_EQ(MulDiv(-7, 1, 2), -4);
  EXPECT_EQ(MulDiv(5, 3, 4), 4);  // 3.75
  EXPECT_EQ(MulDiv(9, 1, 4), 2);  // 2.25
  EXPECT_EQ(MulDiv(1, 1, 0), -1);
}

TEST_F(DialogTest, DialogUnitsUseTheFixedBaseUnitsOfTheTemplateFont) {
  EXPECT_EQ(platform::DialogBaseUnits(u"MS UI Gothic", 9), (SIZE{7, 12}));
  EXPECT_EQ(platform::DialogBaseUnits(u"MS Shell Dlg", 8), (SIZE{6, 11}));
  HWND owner = MakeParent();
  input.Then([&] {
    HWND main = g_dialog;
    RECT r;
    GetWindowRect(g_dialog, &r);
    EXPECT_EQ(r, (RECT{0, 0, 236, 269}));  // 135 x 179 units; 268.5 rounds up
    GetWindowRect(GetDlgItem(g_dialog, 1013), &r);
    EXPECT_EQ(r, (RECT{32, 243, 109, 264}));  // 18, 162, 44, 14
    EXPECT_EQ(platform::WindowFont(GetDlgItem(g_dialog, 2)).height, 12);
    HWND page = CreateDialogParam(nullptr, MAKEINTRESOURCE(101), g_dialog, &TestDlgProc, 7);
    ASSERT_NE(page, nullptr);
    GetClientRect(page, &r);
    EXPECT_EQ(r, (RECT{0, 0, 240, 201}));  // 160 x 146 units of "MS Shell Dlg"
    EXPECT_EQ(g_initParam, 7);
    EXPECT_FALSE(IsWindowVisible(page));  // no WS_VISIBLE in the template
    EXPECT_EQ(GetParent(page), main);
    EndDialog(main, 1);
  });
  EXPECT_EQ(RunModal(owner), 1);
}

TEST_F(DialogTest, TemplateDataIsReachableFromTheWindows) {
  HWND owner = MakeParent();
  input.Then([&] {
    EXPECT_EQ(platform::DialogTemplateOf(g_dialog), &kDialogs[0]);
    const platform::DialogItemTemplate* item = platform::DialogItemOf(GetDlgItem(g_dialog, 20));
    ASSERT_NE(item, nullptr);
    ASSERT_EQ(item->initStrings.size(), 2u);
    // The dialog manager itself adds no drop-down entries.
    EXPECT_EQ(SendDlgItemMessage(g_dialog, 20, CB_GETCOUNT, 0, 0), 0);
    EndDialog(g_dialog, 1);
  });
  RunModal(owner);
}

TEST_F(DialogTest, ModalLoopRunsUntilEndDialogWithTheOwnerDisabled) {
  HWND owner = MakeParent();
  input.Then([&] {
    EXPECT_FALSE(IsWindowEnabled(owner));
    EXPECT_TRUE(IsWindowVisible(g_dialog));
    HWND button = GetDlgItem(g_dialog, 1013);
    EXPECT_EQ(WindowFromPoint(test::CenterOf(button)), button);
    test::Click(button);
  });
  EXPECT_EQ(RunModal(owner), 42);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_FALSE(IsWindow(g_dialog));
}

TEST_F(DialogTest, ModalLoopEndsOnQuitAndPassesTheQuitOn) {
  HWND owner = MakeParent();
  input.Then([] { PostQuitMessage(3); });
  EXPECT_EQ(RunModal(owner), -1);
  EXPECT_FALSE(IsWindow(g_dialog));
  EXPECT_TRUE(IsWindowEnabled(owner));
  MSG m;
  EXPECT_EQ(GetMessage(&m, nullptr, 0, 0), FALSE);
  EXPECT_EQ(m.wParam, 3u);
}

TEST_F(DialogTest, ADialogQuitDuringInitialisationIsNeverShown) {
  std::vector<HWND> shown;
  platform::SetTraceHook([&](const platform::TraceEvent& e) {
    if (e.kind == platform::TraceEvent::Kind::Show && e.visible) shown.push_back(e.hwnd);
  });
  EXPECT_EQ(RunModal(nullptr, 98), -1);
  EXPECT_TRUE(shown.empty());
  EXPECT_EQ(input.waits, 0);
}

TEST_F(DialogTest, EndDialogDuringInitialisationReturnsAtOnce) {
  EXPECT_EQ(RunModal(nullptr, 99), 5);
  EXPECT_EQ(input.waits, 0);
}

TEST_F(DialogTest, ModalLoopEndsWhenInputEnds) {
  EXPECT_EQ(RunModal(nullptr), -1);
}

TEST_F(DialogTest, TabMovesFocusAmongTabStopsAndEscapeSendsCancel) {
  std::vector<int> focus;
  auto record = [&] { focus.push_back(GetDlgCtrlID(GetFocus())); };
  input.Then(record);  // initial focus: the first tab stop
  input.Then([] { platform::InjectKeyDown(VK_TAB); });
  input.Then(record);
  input.Then([] {
    platform::InjectKeyDown(VK_SHIFT);
    platform::InjectKeyDown(VK_TAB);
    platform::InjectKeyDown(VK_TAB);
    platform::InjectKeyUp(VK_SHIFT);
  });
  input.Then(record);
  input.Then([] { platform::InjectKeyDown(VK_ESCAPE); });
  EXPECT_EQ(RunModal(nullptr), IDCANCEL);
  EXPECT_EQ(focus, (std::vector<int>{10, 1013, 2}));
}

TEST_F(DialogTest, AControlThatCannotBeCreatedFailsTheDialog) {
  EXPECT_EQ(DialogBoxParam(nullptr, MAKEINTRESOURCE(102), nullptr, &TestDlgProc, 0), -1);
  EXPECT_EQ(CreateDialogParam(nullptr, MAKEINTRESOURCE(102), nullptr, &TestDlgProc, 0), nullptr);
  EXPECT_EQ(DialogBoxParam(nullptr, MAKEINTRESOURCE(555), nullptr, &TestDlgProc, 0), -1);
  EXPECT_TRUE(platform::TopLevelWindows().empty());
}

TEST_F(DialogTest, MessageBoxFlushesFirstThenRunsItsOwnModalLoop) {
  HWND owner = MakeParent();
  std::vector<std::string> events;
  platform::SetBeforeWaitHook([&] { events.push_back("before-wait"); });
  platform::SetTraceHook([&](const platform::TraceEvent& e) {
    if (e.kind == platform::TraceEvent::Kind::MessageBox) {
      EXPECT_EQ(e.caption, u"RegillaMobile");
      EXPECT_EQ(e.text, u"画面は縦長でご使用下さい");
      events.push_back("msgbox");
    }
  });
  input.Then([&] {
    events.push_back("input");
    HWND box = platform::ActiveMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(IsWindowEnabled(owner));
    EXPECT_EQ(GetWindow(box, GW_OWNER), owner);
    RECT r;
    GetWindowRect(box, &r);
    EXPECT_NEAR((r.left + r.right) / 2, 120, 1);
    EXPECT_NEAR((r.top + r.bottom) / 2, 160, 1);
    WCHAR text[64];
    GetDlgItemText(box, platform::kMessageBoxTextId, text, 64);
    EXPECT_EQ(std::u16string(text), u"画面は縦長でご使用下さい");
    test::Click(GetDlgItem(box, IDOK));
  });
  EXPECT_EQ(MessageBox(owner, u"画面は縦長でご使用下さい", u"RegillaMobile", MB_OK), IDOK);
  EXPECT_EQ(platform::ActiveMessageBox(), nullptr);
  EXPECT_TRUE(IsWindowEnabled(owner));
  ASSERT_GE(events.size(), 3u);
  EXPECT_EQ(events[0], "before-wait");
  EXPECT_EQ(events[1], "msgbox");
  EXPECT_EQ(std::count(events.begin(), events.end(), "input"), 1);
}

TEST_F(DialogTest, MessageBoxReturnsIdOkOnEnterAndMinusOneWhenInputEnds) {
  input.Then([] { platform::InjectKeyDown(VK_RETURN); });
  EXPECT_EQ(MessageBox(nullptr, u"x", u"c", MB_OK), IDOK);
  EXPECT_EQ(MessageBox(nullptr, u"x", u"c", MB_OK), -1);
}

}  // namespace

namespace {

TEST_F(DialogTest, ADialogEndedWhileTheHostDispatchesStopsBeforeTheNextInput) {
  HWND owner = MakeParent();
  bool secondRan = false;
  input.Then([&] { test::Click(GetDlgItem(g_dialog, 1013)); });  // dispatched right here
  input.Then([&] { secondRan = true; });
  EXPECT_EQ(RunModal(owner), 42);
  EXPECT_FALSE(secondRan);
}

}  // namespace
