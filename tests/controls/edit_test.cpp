// Single-line edit: typing, selection, caret keys, read-only, the clipboard
// and undo.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/controls/control_test.h"

namespace {

using test::MessageSeq;
using test::wparam;

constexpr MessageSeq En(WORD id, WORD code) {
  return {WM_COMMAND, wparam, MAKEWPARAM(id, code)};
}

// Three typed characters, each changing the text.
static const MessageSeq kThreeTyped[] = {En(1027, EN_UPDATE), En(1027, EN_CHANGE),
                                         En(1027, EN_UPDATE), En(1027, EN_CHANGE),
                                         En(1027, EN_UPDATE), En(1027, EN_CHANGE)};
// Three characters fit the limit, the fourth is refused.
static const MessageSeq kFourTypedThreeFit[] = {
    En(5, EN_UPDATE), En(5, EN_CHANGE), En(5, EN_UPDATE), En(5, EN_CHANGE),
    En(5, EN_UPDATE), En(5, EN_CHANGE), En(5, EN_MAXTEXT)};

class EditTest : public test::ControlTest {
 protected:
  std::u16string Text(HWND edit) {
    WCHAR buffer[256];
    GetWindowText(edit, buffer, 256);
    return buffer;
  }  // namespace
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
  test::MessageRecorder rec({parent}, test::kNotifications);
  Type(u"端末A");
  EXPECT_EQ(Text(edit), u"端末A");
  EXPECT_EQ(platform::EditCaret(edit), 3);
  test::ExpectSequence(rec, kThreeTyped, "three characters typed");
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
  test::MessageRecorder rec({parent}, test::kNotifications);
  Type(u"abcd");
  EXPECT_EQ(Text(edit), u"abc");
  test::ExpectSequence(rec, kFourTypedThreeFit, "four characters typed, three fit");
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

// Ctrl+C, Ctrl+X, Ctrl+V and Ctrl+Z (the characters 3, 24, 22 and 26 the
// keyboard gives with Ctrl) with the clipboard the host installs.
TEST_F(EditTest, TheClipboardKeysAndUndoEditAsTheDevicesEditDoes) {
  struct Row {
    const char* what;
    DWORD style;
    const char16_t* text;
    int selStart, selEnd;
    int limit;  // 0: none
    std::optional<std::u16string> clipboard;
    std::u16string keys;
    std::u16string expectText;
    std::optional<std::u16string> expectClipboard;
    int expectSelStart, expectSelEnd;
    bool maxText = false;
  };
  const Row rows[] = {
      {"Ctrl+C copies the selection", 0, u"Pocket_PC", 0, 6, 0, u"x", u"\x03", u"Pocket_PC",
       u"Pocket", 0, 6},
      {"Ctrl+C without a selection leaves the clipboard", 0, u"Pocket_PC", 2, 2, 0, u"x", u"\x03",
       u"Pocket_PC", u"x", 2, 2},
      {"Ctrl+X cuts", 0, u"Pocket_PC", 6, 9, 0, std::nullopt, u"\x18", u"Pocket", u"_PC", 6, 6},
      {"Ctrl+V replaces the selection", 0, u"Pocket_PC", 0, 6, 0, u"端末", u"\x16", u"端末_PC",
       u"端末", 2, 2},
      {"a pasted text keeps its first line only", 0, u"", 0, 0, 0, u"first line\r\nsecond line",
       u"\x16", u"first line", u"first line\r\nsecond line", 10, 10},
      {"a bare line feed ends the line too", 0, u"ab", 1, 1, 0, u"x\ny", u"\x16", u"axb", u"x\ny",
       2, 2},
      {"a paste stops at the text limit", 0, u"ab", 2, 2, 5, u"cdefgh", u"\x16", u"abcde",
       u"cdefgh", 5, 5, true},
      {"an empty clipboard pastes nothing", 0, u"ab", 0, 2, 0, std::nullopt, u"\x16", u"ab",
       std::nullopt, 0, 2},
      {"a read-only edit copies", ES_READONLY, u"Pocket_PC", 0, 6, 0, u"x", u"\x03", u"Pocket_PC",
       u"Pocket", 0, 6},
      {"a read-only edit neither cuts nor pastes", ES_READONLY, u"Pocket_PC", 0, 6, 0, u"x",
       u"\x18\x16", u"Pocket_PC", u"x", 0, 6},
      {"a read-only edit does not undo", ES_READONLY, u"Pocket_PC", 0, 9, 0, std::nullopt, u"\x1A",
       u"Pocket_PC", std::nullopt, 0, 9},
      // Undo, one level: the last change comes back, selected; undo again
      // takes the undo back.
      {"Ctrl+Z brings back a cut text", 0, u"undo this", 0, 9, 0, std::nullopt, u"\x18\x1A",
       u"undo this", u"undo this", 0, 9},
      {"a second Ctrl+Z takes the undo back", 0, u"undo this", 0, 9, 0, std::nullopt,
       u"\x18\x1A\x1A", u"", u"undo this", 0, 0},
      {"Ctrl+Z takes back a typed run and what it replaced", 0, u"Pocket_PC", 0, 9, 0, std::nullopt,
       u"ABC\x1A", u"Pocket_PC", std::nullopt, 0, 9},
      {"Ctrl+Z takes back a paste", 0, u"abc", 1, 1, 0, u"XY", u"\x16\x1A", u"abc", u"XY", 1, 1},
      {"backspaces in a row are undone together", 0, u"abcd", 4, 4, 0, std::nullopt, u"\b\b\x1A",
       u"abcd", std::nullopt, 2, 4},
      {"only the last change is undone", 0, u"ab", 2, 2, 0, std::nullopt, u"c\b\x1A", u"abc",
       std::nullopt, 2, 3},
      {"nothing to undo", 0, u"ab", 1, 1, 0, std::nullopt, u"\x1A", u"ab", std::nullopt, 1, 1},
  };
  std::optional<std::u16string> clipboard;
  platform::SetClipboardHook(
      {[&] { return clipboard; }, [&](const std::u16string& text) { clipboard = text; }});
  test::MessageRecorder rec({parent}, {WM_COMMAND});
  for (const Row& row : rows) {
    HWND edit = Make(WC_EDIT, ES_AUTOHSCROLL | row.style, 1027, 27, 200, 108, 18, row.text);
    if (row.limit > 0) SendMessage(edit, EM_LIMITTEXT, static_cast<WPARAM>(row.limit), 0);
    SetFocus(edit);
    SendMessage(edit, EM_SETSEL, static_cast<WPARAM>(row.selStart), row.selEnd);
    clipboard = row.clipboard;
    rec.Clear();
    Type(row.keys);
    EXPECT_EQ(Text(edit), row.expectText) << row.what;
    EXPECT_EQ(clipboard, row.expectClipboard) << row.what;
    DWORD start = 0;
    DWORD end = 0;
    SendMessage(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(static_cast<int>(start), row.expectSelStart) << row.what;
    EXPECT_EQ(static_cast<int>(end), row.expectSelEnd) << row.what;
    const std::vector<test::Message>& commands = rec.Messages();
    EXPECT_EQ(std::count_if(
                  commands.begin(), commands.end(),
                  [](const test::Message& m) { return m.wParam == MAKEWPARAM(1027, EN_MAXTEXT); }),
              row.maxText ? 1 : 0)
        << row.what;
    DestroyWindow(edit);
  }
}

TEST_F(EditTest, WithoutAHookTheClipboardIsTheProgramsOwnAndASetTextEndsUndo) {
  HWND from = Make(WC_EDIT, ES_AUTOHSCROLL, 1, 0, 0, 100, 18, u"Pocket_PC");
  HWND to = Make(WC_EDIT, ES_AUTOHSCROLL, 2, 0, 20, 100, 18);
  SendMessage(from, WM_COPY, 0, 0);  // nothing selected: the clipboard stays empty
  SendMessage(to, WM_PASTE, 0, 0);
  EXPECT_EQ(Text(to), u"");
  SendMessage(from, EM_SETSEL, 0, -1);
  SendMessage(from, WM_COPY, 0, 0);
  SendMessage(to, WM_PASTE, 0, 0);
  EXPECT_EQ(Text(to), u"Pocket_PC");
  EXPECT_EQ(platform::ClipboardText(), u"Pocket_PC");
  EXPECT_TRUE(SendMessage(to, EM_CANUNDO, 0, 0));
  SetWindowText(to, u"x");
  EXPECT_FALSE(SendMessage(to, EM_CANUNDO, 0, 0));
  SendMessage(to, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(u"y"));
  EXPECT_TRUE(SendMessage(to, EM_CANUNDO, 0, 0));
  SendMessage(to, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(u"z"));
  EXPECT_FALSE(SendMessage(to, EM_CANUNDO, 0, 0));
  EXPECT_EQ(Text(to), u"yzx");  // a set text puts the caret at its start
  // The window system's reset empties it.
  platform::ResetWindowSystem();
  EXPECT_EQ(platform::ClipboardText(), std::nullopt);
}

}  // namespace
