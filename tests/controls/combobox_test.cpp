// Combo box (drop-down list): list rules and the popup click sequences.
#include <gtest/gtest.h>

#include "tests/controls/control_test.h"

namespace {

using test::ExpectSequence;
using test::kNotifications;
using test::MessageRecorder;
using test::MessageSeq;
using test::wparam;

constexpr WPARAM Cbn(WORD code) {
  return MAKEWPARAM(1031, code);
}

static const MessageSeq kOpened[] = {{WM_COMMAND, wparam, Cbn(CBN_SETFOCUS)},
                                     {WM_COMMAND, wparam, Cbn(CBN_DROPDOWN)}};
static const MessageSeq kEntryChosen[] = {{WM_COMMAND, wparam, Cbn(CBN_SELENDOK)},
                                          {WM_COMMAND, wparam, Cbn(CBN_CLOSEUP)},
                                          {WM_COMMAND, wparam, Cbn(CBN_SELCHANGE)}};
static const MessageSeq kClosedUnchanged[] = {{WM_COMMAND, wparam, Cbn(CBN_SELENDCANCEL)},
                                              {WM_COMMAND, wparam, Cbn(CBN_CLOSEUP)}};

class ComboTest : public test::ControlTest {
 protected:
  HWND MakeCombo() {
    HWND combo = Make(WC_COMBOBOX, CBS_DROPDOWNLIST | WS_VSCROLL, 1031, 27, 117, 171, 66);
    for (const char16_t* s : {u"アクティブアプリが占有する", u"アクティブアプリの優先度を高く",
                              u"アクティブアプリの優先度を少し高く", u"均等に動作"}) {
      SendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
    }
    return combo;
  }
  void ClickEntry(HWND list, int index) {
    RECT r;
    ASSERT_TRUE(SendMessage(list, LB_GETITEMRECT, static_cast<WPARAM>(index),
                            reinterpret_cast<LPARAM>(&r)));
    test::ClickAt(test::ScreenPoint(list, (r.left + r.right) / 2, (r.top + r.bottom) / 2));
  }
};

TEST_F(ComboTest, EntriesKeepTheirOrderAndAnOutOfRangeSelectionClearsIt) {
  HWND combo = MakeCombo();
  EXPECT_EQ(SendMessage(combo, CB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(SendMessage(combo, CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(SendMessage(combo, CB_SETCURSEL, 3, 0), 3);
  WCHAR text[32];
  EXPECT_EQ(SendMessage(combo, CB_GETLBTEXT, 3, reinterpret_cast<LPARAM>(text)), 5);
  EXPECT_EQ(std::u16string(text), u"均等に動作");
  EXPECT_EQ(SendMessage(combo, CB_SETCURSEL, 7, 0), CB_ERR);
  EXPECT_EQ(SendMessage(combo, CB_GETCURSEL, 0, 0), CB_ERR);
  SendMessage(combo, CB_SETCURSEL, 1, 0);
  EXPECT_EQ(SendMessage(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0), CB_ERR);
  EXPECT_EQ(SendMessage(combo, CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(SendMessage(combo, CB_GETLBTEXT, 4, reinterpret_cast<LPARAM>(text)), CB_ERR);
}

TEST_F(ComboTest, TheFieldIsOneLineHighAndTheListOpensOnTopOfEverything) {
  HWND combo = MakeCombo();
  RECT field;
  GetWindowRect(combo, &field);
  EXPECT_EQ(field.bottom - field.top, 12 + 8);
  MessageRecorder rec({parent}, kNotifications);
  test::Click(combo);
  HWND list = platform::ComboListWindow(combo);
  ASSERT_NE(list, nullptr);
  EXPECT_TRUE(SendMessage(combo, CB_GETDROPPEDSTATE, 0, 0));
  EXPECT_EQ(platform::TopLevelWindows().front(), list);
  EXPECT_EQ(SendMessage(list, LB_GETCOUNT, 0, 0), 4);
  RECT r;
  GetWindowRect(list, &r);
  EXPECT_EQ(r.top, field.bottom);
  EXPECT_EQ(WindowFromPoint(POINT{(r.left + r.right) / 2, r.bottom - 2}), list);
  ExpectSequence(rec, kOpened, "a tap on the field");
}

TEST_F(ComboTest, ClickingAnEntrySelectsItClosesTheListThenNotifies) {
  HWND combo = MakeCombo();
  test::Click(combo);
  HWND list = platform::ComboListWindow(combo);
  ASSERT_NE(list, nullptr);
  MessageRecorder rec({parent}, kNotifications);
  ClickEntry(list, 2);
  EXPECT_EQ(SendMessage(combo, CB_GETCURSEL, 0, 0), 2);
  EXPECT_FALSE(IsWindow(list));
  ExpectSequence(rec, kEntryChosen, "a tap on an entry");
}

TEST_F(ComboTest, AClickOutsideTheListClosesItWithoutChange) {
  HWND combo = MakeCombo();
  SendMessage(combo, CB_SETCURSEL, 1, 0);
  test::Click(combo);
  HWND list = platform::ComboListWindow(combo);
  ASSERT_NE(list, nullptr);
  MessageRecorder rec({parent}, kNotifications);
  test::ClickAt(POINT{5, 5});
  EXPECT_FALSE(IsWindow(list));
  EXPECT_EQ(SendMessage(combo, CB_GETCURSEL, 0, 0), 1);
  ExpectSequence(rec, kClosedUnchanged, "a tap outside the list");
}

TEST_F(ComboTest, ClickingTheFieldAgainClosesTheList) {
  HWND combo = MakeCombo();
  test::Click(combo);
  ASSERT_NE(platform::ComboListWindow(combo), nullptr);
  test::Click(combo);
  EXPECT_EQ(platform::ComboListWindow(combo), nullptr);
  EXPECT_FALSE(SendMessage(combo, CB_GETDROPPEDSTATE, 0, 0));
}

}  // namespace
