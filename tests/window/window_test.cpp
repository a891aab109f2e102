// Window tree, geometry, visibility, hit testing, focus and destruction.
#include <gtest/gtest.h>

#include "tests/support/platform_test.h"

namespace {

using test::lparam;
using test::MessageSeq;
using test::PlatformTest;

class WindowTest : public PlatformTest {
 protected:
  HWND Child(HWND parent, int id, int x, int y, int cx, int cy, DWORD style = WS_VISIBLE) {
    return CreateWindowEx(0, test::kParentClass, u"", WS_CHILD | style, x, y, cx, cy, parent,
                          reinterpret_cast<HMENU>(static_cast<std::intptr_t>(id)), nullptr,
                          nullptr);
  }
};

TEST_F(WindowTest, RectanglesAreInParentClientCoordinatesAndScreenForWindowRect) {
  HWND top = MakeParent(10, 20, 200, 200);
  HWND child = Child(top, 1, 5, 6, 50, 40);
  HWND grandchild = Child(child, 2, 3, 4, 10, 10);

  RECT r;
  ASSERT_TRUE(GetWindowRect(grandchild, &r));
  EXPECT_EQ(r, (RECT{18, 30, 28, 40}));
  ASSERT_TRUE(GetClientRect(child, &r));
  EXPECT_EQ(r, (RECT{0, 0, 50, 40}));
  POINT p{1, 1};
  ClientToScreen(child, &p);
  EXPECT_EQ(p, (POINT{16, 27}));
  ScreenToClient(grandchild, &p);
  EXPECT_EQ(p, (POINT{-2, -3}));
  EXPECT_EQ(GetParent(grandchild), child);
  EXPECT_EQ(GetDlgItem(top, 1), child);
  EXPECT_EQ(GetDlgItem(top, 2), nullptr);  // only direct children
  EXPECT_EQ(GetDlgCtrlID(grandchild), 2);
}

TEST_F(WindowTest, MoveWindowSendsMoveAndSizeOnlyForWhatChanged) {
  HWND top = MakeParent();
  HWND child = Child(top, 1, 0, 0, 50, 40);
  static const MessageSeq kSizeThenMove[] = {{WM_SIZE, lparam, 0, MAKELPARAM(60, 40)},
                                             {WM_MOVE, lparam, 0, MAKELPARAM(5, 5)}};
  test::MessageRecorder rec({child});
  MoveWindow(child, 0, 0, 60, 40, FALSE);
  MoveWindow(child, 5, 5, 60, 40, FALSE);
  test::ExpectSequence(rec, kSizeThenMove, "a resize, then a move");
}

TEST_F(WindowTest, ChildrenStackInCreationOrderAndBringWindowToTopRaises) {
  HWND top = MakeParent();
  HWND a = Child(top, 1, 0, 0, 100, 100);
  HWND b = Child(top, 2, 50, 50, 100, 100);
  EXPECT_EQ(platform::ChildWindows(top), (std::vector<HWND>{a, b}));
  EXPECT_EQ(GetWindow(top, GW_CHILD), a);
  EXPECT_EQ(WindowFromPoint(POINT{60, 60}), a);  // a lies above b
  BringWindowToTop(b);
  EXPECT_EQ(platform::ChildWindows(top), (std::vector<HWND>{b, a}));
  EXPECT_EQ(WindowFromPoint(POINT{60, 60}), b);
}

TEST_F(WindowTest, HitTestingSkipsHiddenWindowsAndStopsAtDisabledOnes) {
  HWND top = MakeParent();
  HWND hidden = Child(top, 1, 0, 0, 100, 100, 0);
  HWND below = Child(top, 2, 0, 0, 100, 100);
  HWND inner = Child(below, 3, 10, 10, 20, 20);
  EXPECT_EQ(WindowFromPoint(POINT{15, 15}), inner);
  EXPECT_EQ(WindowFromPoint(POINT{29, 29}), inner);
  EXPECT_EQ(WindowFromPoint(POINT{30, 30}), below);  // right and bottom edges lie outside
  EXPECT_EQ(WindowFromPoint(POINT{50, 50}), below);
  ShowWindow(hidden, SW_SHOW);
  EXPECT_EQ(WindowFromPoint(POINT{15, 15}), hidden);
  ShowWindow(hidden, SW_HIDE);
  EnableWindow(inner, FALSE);
  EXPECT_EQ(WindowFromPoint(POINT{15, 15}), below);  // a disabled child gives its parent
  EnableWindow(top, FALSE);
  EXPECT_EQ(WindowFromPoint(POINT{15, 15}), nullptr);  // a disabled owner takes no click
  EXPECT_EQ(WindowFromPoint(POINT{300, 15}), nullptr);
}

TEST_F(WindowTest, VisibilityFollowsAncestorsAndShowWindowReportsThePreviousState) {
  HWND top = MakeParent();
  HWND child = Child(top, 1, 0, 0, 10, 10);
  std::vector<std::pair<HWND, bool>> shows;
  platform::SetTraceHook([&](const platform::TraceEvent& e) {
    if (e.kind == platform::TraceEvent::Kind::Show) shows.emplace_back(e.hwnd, e.visible);
  });
  EXPECT_TRUE(IsWindowVisible(child));
  EXPECT_TRUE(ShowWindow(top, SW_HIDE));
  EXPECT_FALSE(IsWindowVisible(child));
  EXPECT_FALSE(ShowWindow(top, SW_SHOW));
  EXPECT_TRUE(ShowWindow(top, SW_SHOW));
  EXPECT_TRUE(IsWindowVisible(child));
  EXPECT_EQ(shows, (std::vector<std::pair<HWND, bool>>{{top, false}, {top, true}, {top, true}}));
}

TEST_F(WindowTest, FocusMovesWithKillAndSetFocusAndLeavesAWindowThatIsDisabled) {
  HWND top = MakeParent();
  HWND a = Child(top, 1, 0, 0, 10, 10);
  HWND b = Child(top, 2, 20, 0, 10, 10);
  static const MessageSeq kFocusMoves[] = {{WM_KILLFOCUS}, {WM_SETFOCUS}};
  SetFocus(a);
  {
    test::MessageRecorder rec({a, b});
    EXPECT_EQ(SetFocus(b), a);
    ASSERT_EQ(rec.Messages().size(), 2u);
    EXPECT_EQ(rec.Messages()[0].hwnd, a);
    EXPECT_EQ(rec.Messages()[0].wParam, reinterpret_cast<WPARAM>(b));
    EXPECT_EQ(rec.Messages()[1].hwnd, b);
    EXPECT_EQ(rec.Messages()[1].wParam, reinterpret_cast<WPARAM>(a));
    test::ExpectSequence(rec, kFocusMoves, "the focus from a to b");
  }
  EnableWindow(b, FALSE);
  EXPECT_EQ(GetFocus(), nullptr);
  // Disabling a window that holds the focus only inside it (the owner of a
  // modal box) leaves the focus there, for its dialog to remember.
  SetFocus(a);
  EnableWindow(top, FALSE);
  EXPECT_EQ(GetFocus(), a);
}

TEST_F(WindowTest, DestroyWindowDestroysChildrenAndOwnedWindowsInOrder) {
  HWND top = MakeParent();
  HWND child = Child(top, 1, 0, 0, 10, 10);
  HWND owned = CreateWindowEx(0, test::kParentClass, u"", WS_POPUP, 0, 0, 10, 10, child, nullptr,
                              nullptr, nullptr);
  EXPECT_EQ(GetWindow(owned, GW_OWNER), top);  // owners are top-level windows
  test::MessageRecorder rec({}, {WM_DESTROY, WM_NCDESTROY});
  ASSERT_TRUE(DestroyWindow(top));
  std::vector<std::pair<HWND, UINT>> order;
  for (const test::Message& m : rec.Messages()) order.emplace_back(m.hwnd, m.msg);
  EXPECT_EQ(order, (std::vector<std::pair<HWND, UINT>>{{owned, WM_DESTROY},
                                                       {owned, WM_NCDESTROY},
                                                       {top, WM_DESTROY},
                                                       {child, WM_DESTROY},
                                                       {child, WM_NCDESTROY},
                                                       {top, WM_NCDESTROY}}));
  EXPECT_FALSE(IsWindow(top));
  EXPECT_FALSE(IsWindow(child));
  EXPECT_FALSE(IsWindow(owned));
  EXPECT_TRUE(platform::TopLevelWindows().empty());
}

TEST_F(WindowTest, TextGoesThroughMessagesAndIsCutToTheBuffer) {
  HWND top = MakeParent();
  ASSERT_TRUE(SetWindowText(top, u"設定1"));
  EXPECT_EQ(GetWindowTextLength(top), 3);
  WCHAR buffer[3];
  EXPECT_EQ(GetWindowText(top, buffer, 3), 2);
  EXPECT_EQ(std::u16string(buffer), u"設定");
  HWND child = Child(top, 7, 0, 0, 10, 10);
  SetDlgItemInt(top, 7, static_cast<UINT>(-42), TRUE);
  BOOL ok = FALSE;
  EXPECT_EQ(static_cast<int>(GetDlgItemInt(top, 7, &ok, TRUE)), -42);
  EXPECT_TRUE(ok);
  SetWindowText(child, u"4x");
  GetDlgItemInt(top, 7, &ok, TRUE);
  EXPECT_FALSE(ok);
}

TEST_F(WindowTest, ScreenSizeAndRotationChangeTheMetrics) {
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 240);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 320);
  platform::RotateScreen();
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 320);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 240);
  platform::SetScreenSize(480, 640);
  EXPECT_EQ(platform::ScreenSize(), (SIZE{480, 640}));
}

TEST_F(WindowTest, UpdateWindowPaintsAtOnceAndInvalidationLater) {
  HWND top = MakeParent();
  std::vector<std::pair<HWND, bool>> paints;
  platform::SetPaintListener([&](HWND h, bool immediate) { paints.emplace_back(h, immediate); });
  UpdateWindow(top);
  InvalidateRect(top, nullptr, TRUE);
  EXPECT_EQ(paints, (std::vector<std::pair<HWND, bool>>{{top, true}, {top, false}}));
}

TEST_F(WindowTest, MouseInputIsHitTestedAndCaptured) {
  HWND top = MakeParent();
  HWND a = Child(top, 1, 10, 10, 20, 20);
  HWND b = Child(top, 2, 100, 10, 20, 20);
  // Client coordinates of a: the up lies outside it, to the right.
  static const MessageSeq kPressAndCapturedRelease[] = {
      {WM_LBUTTONDOWN, lparam, 0, MAKELPARAM(5, 6)}, {WM_LBUTTONUP, lparam, 0, MAKELPARAM(95, 5)}};
  test::MessageRecorder rec({a, b}, {WM_LBUTTONDOWN, WM_LBUTTONUP});
  EXPECT_EQ(platform::InjectMouseDown(POINT{15, 16}), a);
  platform::ProcessPendingMessages();
  SetCapture(a);
  EXPECT_EQ(platform::InjectMouseUp(POINT{105, 15}), a);  // captured: a gets it
  platform::ProcessPendingMessages();
  test::ExpectSequence(rec, kPressAndCapturedRelease, "a press and a captured release");
}

}  // namespace
