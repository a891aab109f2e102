// Single-line edit: typing, selection, caret keys, read-only.
#include <gtest/gtest.h>

#include "tests/controls/events.h"

namespace {

class EditTest : public test::ControlTest {
 protected:
  std::u16string Text(HWND edit) {
    WCHAR buffer[256];
    GetWindowText(edit, buffer, 256);
    return buffer;
  }
  void Type(std::u16string_view text) {
    for (char16_t ch : text) platform::InjectChar(ch);
    platform::ProcessPendingMessages();
  }
  void Key(UINT vk) {
    platform::InjectKeyDown(vk);
    platform::InjectKeyUp(vk);
    platform::ProcessPendingMessages();
  }
};

TEST_F(EditTest, TypingReplacesTheSelectionAndNotifiesEachChange) {
  HWND edit = Make(WC_EDIT, ES_AUTOHSCROLL | WS_BORDER, 1027, 27, 200, 108, 18, u"Pocket_PC");
  test::Click(edit);
  EXPECT_EQ(GetFocus(), edit);
  SendMessage(edit, EM_SETSEL, 0, -1);
  DWORD start = 0;
  DWORD end = 0;
  SendMessage(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 9u);
  test::EventRecorder rec(parent);
  Type(u"端末A");
  EXPECT_EQ(Text(edit), u"端末A");
  EXPECT_EQ(platform::EditCaret(edit), 3);
  std::vector<test::Event> events = rec.Take();
  EXPECT_EQ(std::count(events.begin(), events.end(), test::Command(EN_CHANGE, 1027, edit)), 3);
}

TEST_F(EditTest, BackspaceDeleteAndCaretKeysEdit) {
  HWND edit = Make(WC_EDIT, ES_AUTOHSCROLL, 5, 0, 0, 100, 18, u"abcd");
  SetFocus(edit);
  Key(VK_END);
  Type(u"\b");
  EXPECT_EQ(Text(edit), u"abc");
  Key(VK_HOME);
  Key(VK_RIGHT);
  Key(VK_DELETE);
  EXPECT_EQ(Text(edit), u"ac");
  platform::InjectKeyDown(VK_SHIFT);
  platform::InjectKeyDown(VK_RIGHT);
  platform::InjectKeyUp(VK_SHIFT);
  platform::ProcessPendingMessages();
  Type(u"X");
  EXPECT_EQ(Text(edit), u"aX");
  SendMessage(edit, EM_SETSEL, 0, -1);
  Type(u"\b");
  EXPECT_EQ(Text(edit), u"");  // select all and backspace leave it empty
}

TEST_F(EditTest, ReadOnlyIgnoresTypingButSetTextWorks) {
  HWND edit = Make(WC_EDIT, ES_READONLY | ES_AUTOHSCROLL, 1017, 0, 0, 30, 18);
  SetWindowText(edit, u"2");
  SetFocus(edit);
  Type(u"9\b");
  Key(VK_DELETE);
  EXPECT_EQ(Text(edit), u"2");
  SetWindowText(edit, u"10");
  EXPECT_EQ(Text(edit), u"10");
  EXPECT_EQ(platform::EditCaret(edit), 0);
}

TEST_F(EditTest, TheTextLimitCutsTypedText) {
  HWND edit = Make(WC_EDIT, ES_AUTOHSCROLL, 5, 0, 0, 100, 18);
  SendMessage(edit, EM_LIMITTEXT, 3, 0);
  SetFocus(edit);
  test::EventRecorder rec(parent);
  Type(u"abcd");
  EXPECT_EQ(Text(edit), u"abc");
  std::vector<test::Event> events = rec.Take();
  EXPECT_NE(std::find(events.begin(), events.end(), test::Command(EN_MAXTEXT, 5, edit)),
            events.end());
  // A text set by the program is not cut.
  SetWindowText(edit, u"abcdefgh");
  EXPECT_EQ(Text(edit), u"abcdefgh");
}

TEST_F(EditTest, AClickPlacesTheCaretAndLongTextScrollsToIt) {
  HWND edit = Make(WC_EDIT, ES_AUTOHSCROLL, 5, 0, 0, 40, 18, u"abcdef");
  // Cells of 6 px for ASCII at a 12 px font, after a 2 px margin.
  test::ClickAt(test::ScreenPoint(edit, 2 + 6 * 2 + 1, 9));
  EXPECT_EQ(platform::EditCaret(edit), 2);
  SetWindowText(edit, u"abcdefghijklmnop");
  SendMessage(edit, EM_SETSEL, 16, 16);
  EXPECT_GT(platform::EditScrollOffset(edit), 0);
}

// A text long enough to scroll, selected whole and typed over: the short new
// text is shown from its first character.
TEST_F(EditTest, AShorterTextScrollsBackToItsStart) {
  HWND edit = Make(WC_EDIT, ES_AUTOHSCROLL | WS_BORDER, 1027, 27, 200, 108, 18);
  SetFocus(edit);
  Type(u"abcdefghijklmnopqrstuvwxyz");
  EXPECT_GT(platform::EditScrollOffset(edit), 0);
  Key(VK_HOME);
  EXPECT_EQ(platform::EditScrollOffset(edit), 0);
  platform::InjectKeyDown(VK_SHIFT);
  Key(VK_END);
  platform::InjectKeyUp(VK_SHIFT);
  EXPECT_GT(platform::EditScrollOffset(edit), 0);
  Type(u"ABCD");
  EXPECT_EQ(Text(edit), u"ABCD");
  EXPECT_EQ(platform::EditScrollOffset(edit), 0);
  // Deleting from the end of a scrolled text brings back what fits on the left.
  SetWindowText(edit, u"abcdefghijklmnopqrstuvwxyz");
  Key(VK_END);
  const int scrolled = platform::EditScrollOffset(edit);
  Type(u"\b\b\b");
  EXPECT_EQ(platform::EditScrollOffset(edit), scrolled - 3);
}

}  // namespace
