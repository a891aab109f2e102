// Shared helpers of the control implementations.
#pragma once

#include "platform/controls/commctrl.h"
#include "platform/text/text.h"
#include "platform/window/host.h"
#include "platform/window/window_tree.h"
#include "platform/window/winuser.h"

namespace platform::controls {

void RegisterButtonClass();
void RegisterStaticClass();
void RegisterEditClass();
void RegisterComboBoxClasses();
void RegisterUpDownClass();
void RegisterTabClass();
void RegisterProgressClass();

// Per-window state kept in the first window-storage slot, created on
// WM_NCCREATE and deleted on WM_NCDESTROY.
template <class T>
T* StateOf(HWND hwnd) {
  return reinterpret_cast<T*>(GetWindowLongPtr(hwnd, 0));
}

template <class T>
void CreateState(HWND hwnd) {
  SetWindowLongPtr(hwnd, 0, reinterpret_cast<LONG_PTR>(new T()));
}

template <class T>
void DestroyState(HWND hwnd) {
  delete StateOf<T>(hwnd);
  SetWindowLongPtr(hwnd, 0, 0);
}

// The state of a control for its window procedure: created on WM_NCCREATE
// and deleted on WM_NCDESTROY. Null when the message was handled here or the
// window has no state; `result` then holds the answer to return.
template <class T>
T* ControlStateFor(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  T* state = nullptr;
  switch (msg) {
    case WM_NCCREATE:
      CreateState<T>(hwnd);
      result = DefWindowProc(hwnd, msg, wParam, lParam);
      break;
    case WM_NCDESTROY:
      DestroyState<T>(hwnd);
      result = 0;
      break;
    default:
      state = StateOf<T>(hwnd);
      if (state == nullptr) result = DefWindowProc(hwnd, msg, wParam, lParam);
      break;
  }
  return state;
}

inline void RegisterControlClass(const WCHAR* name, WNDPROC proc) {
  WNDCLASS wc;
  wc.style = CS_GLOBALCLASS;
  wc.lpfnWndProc = proc;
  wc.cbWndExtra = static_cast<int>(sizeof(LONG_PTR));
  wc.lpszClassName = name;
  RegisterClass(&wc);
}

// WM_COMMAND (id, code) from a control to its parent.
inline void NotifyCommand(HWND control, WORD code) {
  HWND parent = GetParent(control);
  if (parent == nullptr) return;
  SendMessage(parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(control)), code),
              reinterpret_cast<LPARAM>(control));
}

// WM_NOTIFY with the header filled in from the control; returns the result.
inline LRESULT NotifyParent(HWND control, NMHDR* header, UINT code) {
  header->hwndFrom = control;
  header->idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(control));
  header->code = code;
  HWND parent = GetParent(control);
  if (parent == nullptr) return 0;
  return SendMessage(parent, WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header));
}

// The client point of a mouse message.
inline POINT PointOf(LPARAM lParam) {
  return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

inline bool PointInClient(HWND hwnd, POINT p) {
  RECT r;
  GetClientRect(hwnd, &r);
  return PtInRect(&r, p) != FALSE;
}

// Whether a window belongs to a class (ASCII case-insensitive).
inline bool IsClass(HWND hwnd, const WCHAR* name) {
  WCHAR buffer[64];
  int n = GetClassName(hwnd, buffer, 64);
  return n != 0 &&
         text::EqualsFolded(std::u16string_view(buffer, static_cast<std::size_t>(n)), name);
}

// The top-level window a window belongs to.
inline HWND GetAncestorTop(HWND hwnd) {
  HWND top = hwnd;
  while (top != nullptr && (GetWindowLongPtr(top, GWL_STYLE) & WS_CHILD) != 0) {
    HWND parent = GetParent(top);
    if (parent == nullptr) break;
    top = parent;
  }
  return top;
}

inline void Repaint(HWND hwnd) {
  platform::RequestPaint(hwnd, false);
}

// The state of a window of class `name`, or null for any other window.
template <class T>
T* StateOfClass(HWND hwnd, const WCHAR* name) {
  return IsClass(hwnd, name) ? StateOf<T>(hwnd) : nullptr;
}

// Default handling shared by the controls: enabling or disabling repaints,
// everything else goes to the default window procedure.
inline LRESULT DefControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_ENABLE) {
    Repaint(hwnd);
    return 0;
  }
  return DefWindowProc(hwnd, msg, wParam, lParam);
}

}  // namespace platform::controls
