// Helpers shared by the window-system tests: a clean window system per
// test with a manual clock, a scripted input source, a plain parent window
// class and taps at screen points.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <optional>

#include "platform/controls/commctrl.h"
#include "platform/window/host.h"
#include "platform/window/window_tree.h"
#include "platform/window/winuser.h"
#include "tests/support/manual_clock.h"
#include "tests/support/messages.h"

namespace test {

// Performs one queued action each time the system waits for input; reports
// the end of input when none is left.
class ScriptedInput : public platform::InputSource {
 public:
  bool WaitForInput(std::optional<DWORD> timeout) override {
    ++waits;
    lastTimeout = timeout;
    if (actions.empty()) return false;
    auto action = std::move(actions.front());
    actions.pop_front();
    action();
    return true;
  }
  void Then(std::function<void()> action) { actions.push_back(std::move(action)); }

  std::deque<std::function<void()>> actions;
  int waits = 0;
  std::optional<DWORD> lastTimeout;
};

// A top-level window that answers WM_NOTIFY with `notifyResult`.
inline LRESULT notifyResult = 0;
inline LRESULT ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NOTIFY) return notifyResult;
  return DefWindowProc(hwnd, msg, wParam, lParam);
}

inline constexpr const WCHAR* kParentClass = u"TestParent";

class PlatformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::ResetWindowSystem();
    InitCommonControls();
    WNDCLASS wc;
    wc.lpfnWndProc = &ParentProc;
    wc.lpszClassName = kParentClass;
    RegisterClass(&wc);
    notifyResult = 0;
    platform::SetClock(&clock);
  }
  void TearDown() override { platform::ResetWindowSystem(); }

  HWND MakeParent(int x = 0, int y = 0, int cx = 240, int cy = 320) {
    HWND parent = CreateWindowEx(0, kParentClass, u"parent", WS_POPUP | WS_VISIBLE, x, y, cx, cy,
                                 nullptr, nullptr, nullptr, nullptr);
    platform::SetWindowFont(parent, platform::DialogFont(u"MS UI Gothic", 9));
    return parent;
  }

  test::ManualClock clock;
};

inline POINT ScreenPoint(HWND hwnd, int x, int y) {
  POINT p{x, y};
  ClientToScreen(hwnd, &p);
  return p;
}

inline POINT CenterOf(HWND hwnd) {
  RECT r;
  GetWindowRect(hwnd, &r);
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// A full click (down and up at one screen point), dispatched at once.
inline void ClickAt(POINT p) {
  platform::InjectMouseDown(p);
  platform::InjectMouseUp(p);
  platform::ProcessPendingMessages();
}

inline void Click(HWND hwnd) {
  ClickAt(CenterOf(hwnd));
}

}  // namespace test
