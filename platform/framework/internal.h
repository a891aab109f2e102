// Internal helpers shared by the framework's translation units.
#pragma once

#include "platform/framework/afxwin.h"
#include "platform/window/host.h"

namespace platform::framework {

// Makes the next window created this object's, with its messages routed
// through the object's message map.
inline void HookCreate(CWnd* wnd) {
  platform::HookNextWindowCreate([wnd](HWND hwnd) { wnd->SubclassWindow(hwnd); });
}

// The whole text of a window (empty for a null or unknown handle).
inline CString WindowText(HWND hwnd) {
  int length = ::GetWindowTextLength(hwnd);
  CString text(static_cast<std::size_t>(length) + 1, u'\0');
  text.resize(static_cast<std::size_t>(::GetWindowText(hwnd, text.data(), length + 1)));
  return text;
}

}  // namespace platform::framework
