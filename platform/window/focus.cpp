// Focus, capture, activation and the keyboard state of the injected input.
#include "platform/window/internal.h"
#include "platform/window/winuser.h"

using platform::detail::Deliver;
using platform::detail::Find;
using platform::detail::S;

SHORT GetKeyState(int vk) {
  return S().keysDown.count(static_cast<UINT>(vk)) != 0 ? static_cast<SHORT>(0x8000) : 0;
}

namespace platform::detail {

void Activate(HWND hwnd, bool moveFocus) {
  auto& s = S();
  HWND old = Find(s.active) != nullptr ? s.active : nullptr;
  if (old == hwnd) return;
  s.active = hwnd;
  if (old != nullptr) {
    Deliver(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), reinterpret_cast<LPARAM>(hwnd));
  }
  if (hwnd == nullptr || s.active != hwnd || Find(hwnd) == nullptr) return;
  Deliver(hwnd, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), reinterpret_cast<LPARAM>(old));
  if (moveFocus && s.active == hwnd && Find(hwnd) != nullptr &&
      (s.focus == nullptr || TopLevelOf(s.focus) != hwnd)) {
    ::SetFocus(hwnd);
  }
}

void ReturnActivation(HWND ended, HWND owner) {
  if (owner == nullptr || Find(owner) == nullptr || S().active != ended) return;
  if (IsWindowVisible(owner) && IsWindowEnabled(owner)) Activate(owner, true);
}

}  // namespace platform::detail

HWND SetFocus(HWND hwnd) {
  auto& s = S();
  if (hwnd != nullptr && Find(hwnd) == nullptr) return nullptr;
  HWND previous = s.focus;
  if (previous == hwnd) return previous;
  // The focus goes into the active window: its top-level window is activated
  // first (the window losing activation still sees its focus).
  if (hwnd != nullptr) {
    HWND top = platform::detail::TopLevelOf(hwnd);
    if (top != nullptr && top != s.active) {
      platform::detail::Activate(top, false);
      if (Find(hwnd) == nullptr) return nullptr;
    }
  }
  HWND old = s.focus;
  if (old == hwnd) return previous;
  s.focus = hwnd;
  if (old != nullptr && Find(old) != nullptr)
    Deliver(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
  if (hwnd != nullptr && s.focus == hwnd && Find(hwnd) != nullptr) {
    Deliver(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  }
  return previous;
}

HWND GetFocus() {
  return S().focus;
}

HWND SetCapture(HWND hwnd) {
  auto& s = S();
  HWND old = s.capture;
  if (hwnd != nullptr && Find(hwnd) == nullptr) return old;
  s.capture = hwnd;
  if (old != nullptr && old != hwnd && Find(old) != nullptr) {
    Deliver(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
  }
  return old;
}

BOOL ReleaseCapture() {
  auto& s = S();
  HWND old = s.capture;
  s.capture = nullptr;
  if (old != nullptr && Find(old) != nullptr) Deliver(old, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

HWND GetCapture() {
  return S().capture;
}

HWND GetActiveWindow() {
  return Find(S().active) != nullptr ? S().active : nullptr;
}
