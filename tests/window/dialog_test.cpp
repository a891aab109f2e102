// Dialog manager: dialog units, templates, modal loops, keyboard
// navigation, and the message box.
#include <gtest/gtest.h>

#include <array>
#include <string_view>

#include "tests/support/platform_test.h"

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
  test::MessageRecorder rec({}, {WM_SHOWWINDOW});
  EXPECT_EQ(RunModal(nullptr, 98), -1);
  test::ExpectSequence(rec, test::kNoMessages, "a dialog quit while it starts");
  EXPECT_EQ(input.waits, 0);
}

TEST_F(DialogTest, OnlyTheProgramsShowWindowCallsAreTraced) {
  std::vector<std::pair<int, bool>> shows;
  platform::SetTraceHook([&](const platform::TraceEvent& e) {
    if (e.kind == platform::TraceEvent::Kind::Show)
      shows.emplace_back(GetDlgCtrlID(e.hwnd), e.visible);
  });
  input.Then([&] {
    EXPECT_TRUE(IsWindowVisible(g_dialog));  // shown by the dialog manager, untraced
    ShowWindow(GetDlgItem(g_dialog, 1013), SW_HIDE);
    MessageBox(g_dialog, u"x", u"c", MB_OK);
  });
  input.Then([] { platform::InjectKeyDown(VK_RETURN); });  // the message box's OK
  input.Then([&] { EndDialog(g_dialog, 1); });
  EXPECT_EQ(RunModal(nullptr), 1);
  EXPECT_EQ(shows, (std::vector<std::pair<int, bool>>{{1013, false}}));
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

// The dialog manager keeps the focus across deactivation: WM_ACTIVATE with
// WA_INACTIVE remembers the focused control, WA_ACTIVE gives it back without
// touching an edit's selection; WM_SETFOCUS gives it back too, or the first
// tab stop with its text selected.
TEST_F(DialogTest, TheDialogKeepsItsFocusWhileItIsNotActive) {
  HWND dialog = CreateDialogParam(nullptr, MAKEINTRESOURCE(100), nullptr, &TestDlgProc, 0);
  ASSERT_NE(dialog, nullptr);
  HWND edit = GetDlgItem(dialog, 10);
  HWND apply = GetDlgItem(dialog, 1013);
  EXPECT_EQ(GetFocus(), edit);
  auto deactivateAndBack = [&] {
    SendMessage(dialog, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), 0);
    SetFocus(nullptr);
    SendMessage(dialog, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), 0);
  };
  SetFocus(apply);
  deactivateAndBack();
  EXPECT_EQ(GetFocus(), apply);
  // Activated again with nothing remembered: the focus stays where it is.
  SetFocus(edit);
  SendMessage(dialog, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), 0);
  EXPECT_EQ(GetFocus(), edit);
  SetWindowText(edit, u"abc");
  SendMessage(edit, EM_SETSEL, 1, 1);
  deactivateAndBack();
  EXPECT_EQ(GetFocus(), edit);
  DWORD start = 9;
  DWORD end = 9;
  SendMessage(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 1u);
  EXPECT_EQ(end, 1u);
  // The focus set to the dialog: the first tab stop, its text selected.
  SetFocus(apply);
  SetFocus(dialog);
  EXPECT_EQ(GetFocus(), edit);
  SendMessage(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 3u);
  // A disabled control loses the focus; none is remembered for it.
  SetFocus(apply);
  EnableWindow(apply, FALSE);
  EXPECT_EQ(GetFocus(), nullptr);
  deactivateAndBack();
  EXPECT_EQ(GetFocus(), nullptr);
  DestroyWindow(dialog);
}

// After a message box the keyboard works where it left off: the owner is
// activated again and its dialog gives the focus back to the control that had
// it, or to the next tab stop when that one was hidden or disabled meanwhile.
TEST_F(DialogTest, AMessageBoxGivesTheFocusBackToTheControlThatHadIt) {
  struct Row {
    const char* what;
    int focus;
    int hide;     // hidden while the box is open (0: none)
    int disable;  // disabled while the box is open
    int after;    // the focus after the box
    int afterTab;
  };
  const Row rows[] = {
      {"a button", 1013, 0, 0, 1013, 2},
      {"the edit", 10, 0, 0, 10, 1013},
      {"a hidden button: the next tab stop", 1013, 1013, 0, 2, 10},
      {"the last one hidden: the first tab stop", 2, 2, 0, 10, 1013},
      {"a disabled button: the next tab stop", 1013, 0, 1013, 2, 10},
  };
  for (const Row& row : rows) {
    HWND owner = MakeParent();
    std::vector<std::pair<HWND, WORD>> activations;
    int after = 0;
    int afterTab = 0;
    input.Then([&] {
      SetFocus(GetDlgItem(g_dialog, row.focus));
      {
        test::MessageRecorder rec({}, {WM_ACTIVATE});
        EXPECT_EQ(MessageBox(g_dialog, u"x", u"c", MB_OK), IDOK) << row.what;
        for (const test::Message& m : rec.Messages()) {
          activations.emplace_back(m.hwnd, LOWORD(m.wParam));
        }
      }
      after = GetDlgCtrlID(GetFocus());
      platform::InjectKeyDown(VK_TAB);
    });
    input.Then([&] {
      if (row.hide != 0) ShowWindow(GetDlgItem(g_dialog, row.hide), SW_HIDE);
      if (row.disable != 0) EnableWindow(GetDlgItem(g_dialog, row.disable), FALSE);
      platform::InjectKeyDown(VK_RETURN);  // the message box's OK
    });
    input.Then([&] {
      afterTab = GetDlgCtrlID(GetFocus());
      EndDialog(g_dialog, 1);
    });
    EXPECT_EQ(RunModal(owner), 1) << row.what;
    EXPECT_EQ(after, row.after) << row.what;
    EXPECT_EQ(afterTab, row.afterTab) << row.what;
    // The dialog was deactivated by the box and activated when it ended.
    ASSERT_GE(activations.size(), 2u) << row.what;
    EXPECT_EQ(activations.front(), std::make_pair(g_dialog, WA_INACTIVE)) << row.what;
    EXPECT_EQ(activations.back(), std::make_pair(g_dialog, WA_ACTIVE)) << row.what;
    DestroyWindow(owner);
  }
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

// The text of a message box wraps after the last blank that fits (a word
// moves down whole), else at any character (Japanese), into as many lines as
// its static is tall.
TEST_F(DialogTest, MessageBoxTextWrapsAtBlanksElseAnywhere) {
  struct Row {
    const char16_t* text;
    int lines;
  };
  // 34 half-width characters fit a line of the widest box.
  const Row rows[] = {
      {u"aaaaaaaaaaaaaaaaaaaa bbbbbbbbbbbbbbbbbbbb cccccccccccccccccccc", 3},
      {u"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", 2},
      {u"設定を有効にするため、ソフトリセットをかけて下さい。", 2},
      {u"one\ntwo", 2},
  };
  for (const Row& row : rows) {
    int height = 0;
    input.Then([&] {
      RECT r;
      GetWindowRect(GetDlgItem(platform::ActiveMessageBox(), platform::kMessageBoxTextId), &r);
      height = r.bottom - r.top;
      platform::InjectKeyDown(VK_RETURN);
    });
    EXPECT_EQ(MessageBox(nullptr, row.text, u"c", MB_OK), IDOK);
    EXPECT_EQ(height, row.lines * 12) << "row " << (&row - rows);
  }
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
