// Window positions: Z order, visibility, geometry and coordinate mapping,
// invalidation, and the hit test that finds the window under a point.
#include <algorithm>
#include <vector>

#include "platform/window/host.h"
#include "platform/window/internal.h"
#include "platform/window/winuser.h"

namespace platform::detail {

std::vector<HWND>& SiblingList(Window& w) {
  if (w.parent != nullptr) {
    if (Window* p = Find(w.parent)) return p->children;
  }
  return S().topLevel;
}

namespace {

bool IsTopmost(HWND hwnd) {
  Window* w = Find(hwnd);
  return w != nullptr && (w->exStyle & WS_EX_TOPMOST) != 0;
}

}  // namespace

void RemoveFromSiblings(Window& w) {
  std::vector<HWND>& list = SiblingList(w);
  list.erase(std::remove(list.begin(), list.end(), w.handle), list.end());
}

void PlaceOnTop(Window& w) {
  RemoveFromSiblings(w);
  std::vector<HWND>& list = SiblingList(w);
  std::size_t pos = 0;
  if (w.parent == nullptr && (w.exStyle & WS_EX_TOPMOST) == 0) {
    while (pos < list.size() && IsTopmost(list[pos])) ++pos;
  }
  list.insert(list.begin() + static_cast<std::ptrdiff_t>(pos), w.handle);
}

void PlaceAtBottom(Window& w) {
  RemoveFromSiblings(w);
  SiblingList(w).push_back(w.handle);
}

namespace {

POINT ScreenOrigin(HWND hwnd) {
  POINT p{0, 0};
  for (Window* w = Find(hwnd); w != nullptr; w = Find(w->parent)) {
    p.x += w->rect.left;
    p.y += w->rect.top;
  }
  return p;
}

// The window's rectangle in screen coordinates.
RECT ScreenRect(const Window& w) {
  POINT o = ScreenOrigin(w.handle);
  return RECT{o.x, o.y, o.x + (w.rect.right - w.rect.left), o.y + (w.rect.bottom - w.rect.top)};
}

HWND HitTest(HWND hwnd, POINT screenPt) {
  Window* w = Find(hwnd);
  if (w == nullptr || (w->style & WS_VISIBLE) == 0) return nullptr;
  RECT r = ScreenRect(*w);
  if (!PtInRect(&r, screenPt)) return nullptr;
  if ((w->style & WS_DISABLED) != 0) return nullptr;
  std::vector<HWND> children = w->children;
  for (HWND c : children) {
    Window* cw = Find(c);
    if (cw == nullptr || (cw->style & WS_VISIBLE) == 0) continue;
    RECT cr = ScreenRect(*cw);
    if (!PtInRect(&cr, screenPt)) continue;
    // A disabled child hides what lies beneath it; the click goes to its parent.
    if ((cw->style & WS_DISABLED) != 0) return hwnd;
    return HitTest(c, screenPt);
  }
  return hwnd;
}

void SendMoveSize(HWND hwnd, const RECT& before, const RECT& after) {
  if (before.left != after.left || before.top != after.top) {
    Deliver(hwnd, WM_MOVE, 0,
            MAKELPARAM(static_cast<WORD>(after.left), static_cast<WORD>(after.top)));
  }
  if (before.right - before.left != after.right - after.left ||
      before.bottom - before.top != after.bottom - after.top) {
    Deliver(hwnd, WM_SIZE, SIZE_RESTORED,
            MAKELPARAM(static_cast<WORD>(after.right - after.left),
                       static_cast<WORD>(after.bottom - after.top)));
  }
}

}  // namespace

void SetVisible(HWND hwnd, bool show) {
  Window* w = Find(hwnd);
  if (w == nullptr) return;
  bool was = (w->style & WS_VISIBLE) != 0;
  if (was == show) return;
  Deliver(hwnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
  w = Find(hwnd);
  if (w == nullptr) return;
  if (show) {
    w->style |= WS_VISIBLE;
  } else {
    w->style &= ~WS_VISIBLE;
  }
  RequestPaint(w->parent != nullptr ? w->parent : hwnd, false);
  if (show) RequestPaint(hwnd, false);
}

void ShowInternal(HWND hwnd) {
  SetVisible(hwnd, true);
  Window* w = Find(hwnd);
  if (w != nullptr && w->parent == nullptr && (w->style & WS_DISABLED) == 0) Activate(hwnd, true);
}

}  // namespace platform::detail

using platform::detail::Find;
using platform::detail::S;
using platform::detail::Window;

BOOL ShowWindow(HWND hwnd, int cmdShow) {
  Window* w = Find(hwnd);
  if (w == nullptr) return FALSE;
  bool was = (w->style & WS_VISIBLE) != 0;
  bool show = cmdShow != SW_HIDE;
  platform::TraceEvent event;
  event.kind = platform::TraceEvent::Kind::Show;
  event.hwnd = hwnd;
  event.visible = show;
  platform::Trace(event);
  platform::detail::SetVisible(hwnd, show);
  w = Find(hwnd);
  if (w != nullptr && show && w->parent == nullptr && cmdShow != SW_SHOWNA &&
      cmdShow != SW_SHOWNOACTIVATE && (w->style & WS_DISABLED) == 0) {
    platform::detail::Activate(hwnd, true);
  }
  return was ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND hwnd) {
  Window* w = Find(hwnd);
  if (w == nullptr) return FALSE;
  for (; w != nullptr; w = Find(w->parent)) {
    if ((w->style & WS_VISIBLE) == 0) return FALSE;
  }
  return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int cx, int cy, BOOL repaint) {
  Window* w = Find(hwnd);
  if (w == nullptr) return FALSE;
  RECT before = w->rect;
  RECT after{x, y, x + std::max(cx, 0), y + std::max(cy, 0)};
  w->rect = after;
  platform::detail::SendMoveSize(hwnd, before, after);
  if (repaint) {
    w = Find(hwnd);
    platform::RequestPaint(w != nullptr && w->parent != nullptr ? w->parent : hwnd, false);
  }
  return TRUE;
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  Window* w = Find(hwnd);
  if (w == nullptr) return FALSE;
  RECT before = w->rect;
  RECT after = before;
  if ((flags & SWP_NOMOVE) == 0) {
    after.right = x + (before.right - before.left);
    after.bottom = y + (before.bottom - before.top);
    after.left = x;
    after.top = y;
  }
  if ((flags & SWP_NOSIZE) == 0) {
    after.right = after.left + std::max(cx, 0);
    after.bottom = after.top + std::max(cy, 0);
  }
  w->rect = after;
  if ((flags & SWP_NOZORDER) == 0) {
    if (insertAfter == HWND_TOPMOST) {
      if (w->parent == nullptr) w->exStyle |= WS_EX_TOPMOST;
      platform::detail::PlaceOnTop(*w);
    } else if (insertAfter == HWND_NOTOPMOST) {
      w->exStyle &= ~WS_EX_TOPMOST;
      platform::detail::PlaceOnTop(*w);
    } else if (insertAfter == HWND_TOP) {
      platform::detail::PlaceOnTop(*w);
    } else if (insertAfter == HWND_BOTTOM) {
      platform::detail::PlaceAtBottom(*w);
    } else if (Window* a = Find(insertAfter); a != nullptr && a->parent == w->parent) {
      platform::detail::RemoveFromSiblings(*w);
      std::vector<HWND>& list = platform::detail::SiblingList(*w);
      auto it = std::find(list.begin(), list.end(), insertAfter);
      list.insert(it == list.end() ? list.end() : it + 1, hwnd);
    }
  }
  platform::detail::SendMoveSize(hwnd, before, after);
  if ((flags & SWP_SHOWWINDOW) != 0) platform::detail::SetVisible(hwnd, true);
  if ((flags & SWP_HIDEWINDOW) != 0) platform::detail::SetVisible(hwnd, false);
  if ((flags & SWP_NOREDRAW) == 0) {
    w = Find(hwnd);
    platform::RequestPaint(w != nullptr && w->parent != nullptr ? w->parent : hwnd, false);
  }
  return TRUE;
}

BOOL BringWindowToTop(HWND hwnd) {
  Window* w = Find(hwnd);
  if (w == nullptr) return FALSE;
  platform::detail::PlaceOnTop(*w);
  const HWND repaint = w->parent != nullptr ? w->parent : hwnd;
  if (w->parent == nullptr && (w->style & WS_VISIBLE) != 0 && (w->style & WS_DISABLED) == 0) {
    platform::detail::Activate(hwnd, true);
  }
  platform::RequestPaint(repaint, false);
  return TRUE;
}

BOOL GetWindowRect(HWND hwnd, RECT* rect) {
  Window* w = Find(hwnd);
  if (w == nullptr || rect == nullptr) return FALSE;
  *rect = platform::detail::ScreenRect(*w);
  return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT* rect) {
  Window* w = Find(hwnd);
  if (w == nullptr || rect == nullptr) return FALSE;
  *rect = RECT{0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
  return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT* pt) {
  if (Find(hwnd) == nullptr || pt == nullptr) return FALSE;
  POINT o = platform::detail::ScreenOrigin(hwnd);
  pt->x += o.x;
  pt->y += o.y;
  return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT* pt) {
  if (Find(hwnd) == nullptr || pt == nullptr) return FALSE;
  POINT o = platform::detail::ScreenOrigin(hwnd);
  pt->x -= o.x;
  pt->y -= o.y;
  return TRUE;
}

BOOL PtInRect(const RECT* rect, POINT pt) {
  if (rect == nullptr) return FALSE;
  return pt.x >= rect->left && pt.x < rect->right && pt.y >= rect->top && pt.y < rect->bottom
             ? TRUE
             : FALSE;
}

BOOL UpdateWindow(HWND hwnd) {
  if (Find(hwnd) == nullptr) return FALSE;
  platform::RequestPaint(hwnd, true);
  return TRUE;
}

BOOL InvalidateRect(HWND hwnd, const RECT*, BOOL) {
  if (hwnd != nullptr && Find(hwnd) == nullptr) return FALSE;
  platform::RequestPaint(hwnd, false);
  return TRUE;
}

HWND WindowFromPoint(POINT pt) {
  std::vector<HWND> tops = S().topLevel;
  for (HWND t : tops) {
    Window* w = Find(t);
    if (w == nullptr || (w->style & WS_VISIBLE) == 0) continue;
    if (!PtInRect(&w->rect, pt)) continue;
    // A disabled top-level window (the owner of a modal dialog) takes no clicks.
    if ((w->style & WS_DISABLED) != 0) return nullptr;
    return platform::detail::HitTest(t, pt);
  }
  return nullptr;
}
