// Window classes: registration and lookup. Class names compare
// case-insensitively (ASCII).
#include <algorithm>
#include <string>

#include "platform/text/text.h"
#include "platform/window/internal.h"
#include "platform/window/winuser.h"

namespace platform::detail {

WindowClass* FindClass(std::u16string_view name) {
  for (WindowClass& c : S().classes) {
    if (platform::text::EqualsFolded(c.name, name)) return &c;
  }
  return nullptr;
}

}  // namespace platform::detail

using platform::detail::Find;
using platform::detail::S;
using platform::detail::Window;

ATOM RegisterClass(const WNDCLASS* wc) {
  if (wc == nullptr || wc->lpszClassName == nullptr || IS_INTRESOURCE(wc->lpszClassName) ||
      wc->lpfnWndProc == nullptr || wc->cbWndExtra < 0) {
    return 0;
  }
  std::u16string name(wc->lpszClassName);
  auto& classes = S().classes;
  for (std::size_t i = 0; i < classes.size(); ++i) {
    if (platform::text::EqualsFolded(classes[i].name, name)) {
      classes[i].wc = *wc;
      classes[i].wc.lpszClassName = nullptr;
      return static_cast<ATOM>(0xC000 + i);
    }
  }
  platform::detail::WindowClass c{name, *wc};
  c.wc.lpszClassName = nullptr;
  classes.push_back(c);
  return static_cast<ATOM>(0xC000 + classes.size() - 1);
}

int GetClassName(HWND hwnd, LPWSTR buffer, int maxCount) {
  Window* w = Find(hwnd);
  return w == nullptr ? 0 : platform::text::CopyCut(w->className, buffer, maxCount);
}
