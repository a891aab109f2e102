// The host side of the window system: its hooks, the clipboard, the emulated
// screen and the reset between runs.
#include <vector>

#include "platform/window/host.h"
#include "platform/window/internal.h"
#include "platform/window/winuser.h"

namespace platform {

void SetPaintListener(PaintListener listener) {
  detail::S().paint = std::move(listener);
}

void RequestPaint(HWND hwnd, bool immediate) {
  auto& s = detail::S();
  if (s.paint) s.paint(hwnd, immediate);
}

void SetBeforeWaitHook(std::function<void()> hook) {
  detail::S().beforeWait = std::move(hook);
}

void CallBeforeWaitHook() {
  auto& s = detail::S();
  if (s.beforeWait) s.beforeWait();
}

void SetTraceHook(std::function<void(const TraceEvent&)> hook) {
  detail::S().trace = std::move(hook);
}

void Trace(const TraceEvent& event) {
  auto& s = detail::S();
  if (s.trace) s.trace(event);
}

void SetMessageHook(MessageHook hook) {
  detail::S().messageHook = std::move(hook);
}

void HookNextWindowCreate(std::function<void(HWND)> hook) {
  detail::S().createHook = std::move(hook);
}

void SetClipboardHook(ClipboardHook hook) {
  detail::S().clipboard = std::move(hook);
}

std::optional<std::u16string> ClipboardText() {
  auto& s = detail::S();
  if (s.clipboard.getText) return s.clipboard.getText();
  return s.clipboardText;
}

void SetClipboardText(const std::u16string& text) {
  auto& s = detail::S();
  if (s.clipboard.setText) {
    s.clipboard.setText(text);
  } else {
    s.clipboardText = text;
  }
}

void ResetWindowSystem() {
  auto& s = detail::S();
  s.paint = nullptr;
  s.beforeWait = nullptr;
  s.trace = nullptr;
  s.messageHook = nullptr;
  s.createHook = nullptr;
  s.clipboard = {};
  s.clipboardText.reset();
  s.input = nullptr;
  s.active = nullptr;  // no activation passes from window to window on the way out
  s.focus = nullptr;
  std::vector<HWND> tops = s.topLevel;
  for (HWND t : tops) ::DestroyWindow(t);
  s.windows.clear();
  s.topLevel.clear();
  s.queue.clear();
  s.quitPosted = false;
  s.wake = false;
  s.quitCode = 0;
  s.timers.clear();
  s.focus = nullptr;
  s.capture = nullptr;
  s.active = nullptr;
  s.mouseDown = false;
  s.keysDown.clear();
  s.screen = SIZE{240, 320};
  s.clock = nullptr;
  s.messageBoxes.clear();
}

void SetScreenSize(int width, int height) {
  detail::S().screen = SIZE{width, height};
  RequestPaint(nullptr, false);
}

SIZE ScreenSize() {
  return detail::S().screen;
}

void RotateScreen() {
  SIZE s = detail::S().screen;
  SetScreenSize(s.cy, s.cx);
}

}  // namespace platform

using platform::detail::S;

int GetSystemMetrics(int index) {
  SIZE screen = S().screen;
  switch (index) {
    case SM_CXSCREEN:
      return screen.cx;
    case SM_CYSCREEN:
      return screen.cy;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
      return 13;
    case SM_CYCAPTION:
      return 26;
    case SM_CXBORDER:
    case SM_CYBORDER:
      return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
      return 1;
    case SM_CXICON:
    case SM_CYICON:
      return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
      return 16;
    default:
      return 0;
  }
}
