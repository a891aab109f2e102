// Tab control: selection rules and the click notification sequence.
#include <gtest/gtest.h>

#include "tests/controls/control_test.h"

namespace {

using test::ExpectSequence;
using test::kNotifications;
using test::MessageRecorder;
using test::MessageSeq;
using test::notify;
using test::wparam;

static const MessageSeq kSelectionChanged[] = {
    {WM_NOTIFY, wparam | notify, 1002, 0, static_cast<UINT>(TCN_SELCHANGING)},
    {WM_NOTIFY, wparam | notify, 1002, 0, static_cast<UINT>(TCN_SELCHANGE)}};
static const MessageSeq kSelectionKept[] = {
    {WM_NOTIFY, wparam | notify, 1002, 0, static_cast<UINT>(TCN_SELCHANGING)}};

class TabTest : public test::ControlTest {
 protected:
  HWND MakeTabs(std::initializer_list<const char16_t*> labels) {
    HWND tab = Make(WC_TABCONTROL, 0, 1002, 0, 6, 238, 228);
    int i = 0;
    for (const char16_t* label : labels) {
      TCITEM item;
      item.mask = TCIF_TEXT;
      item.pszText = const_cast<LPWSTR>(label);
      EXPECT_EQ(
          SendMessage(tab, TCM_INSERTITEM, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item)),
          i);
      ++i;
    }
    return tab;
  }
  void ClickTab(HWND tab, int index) {
    RECT r;
    ASSERT_TRUE(SendMessage(tab, TCM_GETITEMRECT, static_cast<WPARAM>(index),
                            reinterpret_cast<LPARAM>(&r)));
    test::ClickAt(test::ScreenPoint(tab, (r.left + r.right) / 2, (r.top + r.bottom) / 2));
  }
};

TEST_F(TabTest, TheFirstInsertedTabIsSelectedAndSetCurSelDoesNotNotify) {
  HWND tab = Make(WC_TABCONTROL, 0, 1002, 0, 0, 200, 100);
  EXPECT_EQ(SendMessage(tab, TCM_GETCURSEL, 0, 0), -1);
  MessageRecorder rec({parent}, kNotifications);
  TCITEM item;
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<LPWSTR>(u"設定1");
  SendMessage(tab, TCM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&item));
  item.pszText = const_cast<LPWSTR>(u"設定2");
  SendMessage(tab, TCM_INSERTITEM, 1, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(SendMessage(tab, TCM_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(SendMessage(tab, TCM_GETITEMCOUNT, 0, 0), 2);
  EXPECT_EQ(SendMessage(tab, TCM_SETCURSEL, 1, 0), 0);
  EXPECT_EQ(SendMessage(tab, TCM_SETCURSEL, 5, 0), -1);
  EXPECT_EQ(SendMessage(tab, TCM_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(SendMessage(tab, TCM_SETCURSEL, static_cast<WPARAM>(-1), 0), 1);  // clears
  EXPECT_EQ(SendMessage(tab, TCM_GETCURSEL, 0, 0), -1);
  EXPECT_EQ(SendMessage(tab, TCM_SETCURSEL, 0, 0), -1);
  ExpectSequence(rec, test::kNoMessages, "tabs inserted and selected by the program");
  WCHAR text[16];
  TCITEM out;
  out.mask = TCIF_TEXT;
  out.pszText = text;
  out.cchTextMax = 16;
  ASSERT_TRUE(SendMessage(tab, TCM_GETITEM, 1, reinterpret_cast<LPARAM>(&out)));
  EXPECT_EQ(std::u16string(text), u"設定2");
}

TEST_F(TabTest, ClickingAnotherTabSendsSelChangingThenSelChange) {
  HWND tab = MakeTabs({u"設定1", u"設定2", u"設定3"});
  MessageRecorder rec({parent}, kNotifications);
  ClickTab(tab, 2);
  ExpectSequence(rec, kSelectionChanged, "a tap on another tab");
  EXPECT_EQ(SendMessage(tab, TCM_GETCURSEL, 0, 0), 2);
  ClickTab(tab, 2);
  ExpectSequence(rec, test::kNoMessages, "a tap on the selected tab");
}

TEST_F(TabTest, ANonZeroSelChangingResultKeepsTheSelection) {
  HWND tab = MakeTabs({u"a", u"b"});
  test::notifyResult = 1;
  MessageRecorder rec({parent}, kNotifications);
  ClickTab(tab, 1);
  ExpectSequence(rec, kSelectionKept, "a tap on a tab the parent refuses");
  EXPECT_EQ(SendMessage(tab, TCM_GETCURSEL, 0, 0), 0);
}

TEST_F(TabTest, SixLabelsFitOneRowOfFontHeightPlusFive) {
  HWND tab = MakeTabs({u"設定1", u"設定2", u"設定3", u"設定4", u"設定5", u"ﾊﾞｰｼﾞｮﾝ情報"});
  RECT previous{0, 0, 0, 0};
  for (int i = 0; i < 6; ++i) {
    RECT r;
    SendMessage(tab, TCM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r));
    EXPECT_EQ(r.bottom - r.top, 17);  // "MS UI Gothic" 9 pt: 12 + 5
    EXPECT_GT(r.right - r.left, 0);
    if (i > 0) {
      EXPECT_EQ(r.left, previous.right);
    }
    EXPECT_LE(r.right, 238);
    previous = r;
  }
  TCHITTESTINFO hit;
  hit.pt = POINT{previous.left + 1, 5};
  EXPECT_EQ(SendMessage(tab, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), 5);
  hit.pt = POINT{5, 100};
  EXPECT_EQ(SendMessage(tab, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), -1);
}

}  // namespace
