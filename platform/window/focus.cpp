// Focus, capture, activation and the keyboard state of the injected input.
#include "platform/window/internal.h"
#include "platform/window/winuser.h"

using platform::detail::Deliver;
using platform::detail::Find;
using platform::detail::S;

SHORT GetKeyState(int vk) {
  return S().keysDown.count(static_cast<UINT>(vk)) != 0 ? static_cast<SHORT>(0x8000) : 0;
}

HWND SetFocus(HWND hwnd) {
  auto& s = S();
  if (hwnd != nullptr && Find(hwnd) == nullptr) return nullptr;
  HWND old = s.focus;
  if (old == hwnd) return old;
  s.focus = hwnd;
  if (old != nullptr && Find(old) != nullptr)
    Deliver(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
  if (hwnd != nullptr && s.focus == hwnd && Find(hwnd) != nullptr) {
    HWND top = platform::detail::TopLevelOf(hwnd);
    if (top != nullptr) s.active = top;
    Deliver(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  }
  return old;
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
