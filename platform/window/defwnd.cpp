// The default window procedure: text, icons, activation and closing for every
// window.
#include "platform/text/text.h"
#include "platform/window/host.h"
#include "platform/window/internal.h"
#include "platform/window/winuser.h"

using platform::detail::Find;
using platform::detail::Window;

LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Window* w = Find(hwnd);
  if (w == nullptr) return 0;
  switch (msg) {
    case WM_NCCREATE:
      return TRUE;
    case WM_SETTEXT:
      w->text = platform::detail::FromCString(reinterpret_cast<LPCWSTR>(lParam));
      platform::RequestPaint(hwnd, false);
      return TRUE;
    case WM_GETTEXT:
      return platform::text::CopyCut(w->text, reinterpret_cast<LPWSTR>(lParam),
                                     static_cast<int>(wParam));
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(w->text.size());
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_ACTIVATE:
      // A window being activated takes the focus.
      if (LOWORD(wParam) != WA_INACTIVE) SetFocus(hwnd);
      return 0;
    case WM_SETICON: {
      HICON icon = reinterpret_cast<HICON>(lParam);
      HICON& slot = wParam == ICON_BIG ? w->iconBig : w->iconSmall;
      HICON old = slot;
      slot = icon;
      platform::RequestPaint(hwnd, false);
      return reinterpret_cast<LRESULT>(old);
    }
    case WM_GETICON:
      return reinterpret_cast<LRESULT>(wParam == ICON_BIG ? w->iconBig : w->iconSmall);
    default:
      return 0;
  }
}

LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (proc == nullptr) return DefWindowProc(hwnd, msg, wParam, lParam);
  return proc(hwnd, msg, wParam, lParam);
}
