// Window core: classes, window records, Z order, geometry, visibility,
// text, focus and capture, default window procedure and tree queries.
#include <algorithm>
#include <cstring>

#include "platform/text/text.h"
#include "platform/window/host.h"
#include "platform/window/inspect.h"
#include "platform/window/internal.h"
#include "platform/window/winuser.h"

namespace platform::detail {

State& S() {
  static State state;
  return state;
}

Window* Find(HWND hwnd) {
  if (hwnd == nullptr) return nullptr;
  auto& windows = S().windows;
  auto it = windows.find(hwnd);
  return it == windows.end() ? nullptr : it->second.get();
}

std::u16string FromCString(LPCWSTR s) {
  if (s == nullptr || IS_INTRESOURCE(s)) return {};
  return std::u16string(s);
}

LRESULT Deliver(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Window* w = Find(hwnd);
  if (w == nullptr) return 0;
  WNDPROC proc = w->proc;
  if (S().messageHook) S().messageHook(hwnd, msg, wParam, lParam);
  if (proc == nullptr) return ::DefWindowProc(hwnd, msg, wParam, lParam);
  return proc(hwnd, msg, wParam, lParam);
}

HWND TopLevelOf(HWND hwnd) {
  Window* w = Find(hwnd);
  while (w != nullptr && w->parent != nullptr) w = Find(w->parent);
  return w == nullptr ? nullptr : w->handle;
}

namespace {

WindowClass* FindClass(std::u16string_view name) {
  for (WindowClass& c : S().classes) {
    if (platform::text::EqualsFolded(c.name, name)) return &c;
  }
  return nullptr;
}

std::vector<HWND>& SiblingList(Window& w) {
  if (w.parent != nullptr) {
    if (Window* p = Find(w.parent)) return p->children;
  }
  return S().topLevel;
}

void RemoveFrom(std::vector<HWND>& list, HWND hwnd) {
  list.erase(std::remove(list.begin(), list.end(), hwnd), list.end());
}

bool IsTopmost(HWND hwnd) {
  Window* w = Find(hwnd);
  return w != nullptr && (w->exStyle & WS_EX_TOPMOST) != 0;
}

// Places a window at the top of its siblings (below topmost top-level
// windows unless it is topmost itself).
void PlaceOnTop(Window& w) {
  std::vector<HWND>& list = SiblingList(w);
  RemoveFrom(list, w.handle);
  std::size_t pos = 0;
  if (w.parent == nullptr && (w.exStyle & WS_EX_TOPMOST) == 0) {
    while (pos < list.size() && IsTopmost(list[pos])) ++pos;
  }
  list.insert(list.begin() + static_cast<std::ptrdiff_t>(pos), w.handle);
}

void PlaceAtBottom(Window& w) {
  std::vector<HWND>& list = SiblingList(w);
  RemoveFrom(list, w.handle);
  list.push_back(w.handle);
}

POINT ScreenOrigin(HWND hwnd) {
  POINT p{0, 0};
  for (Window* w = Find(hwnd); w != nullptr; w = Find(w->parent)) {
    p.x += w->rect.left;
    p.y += w->rect.top;
  }
  return p;
}

bool Contains(const RECT& r, POINT p) {
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

bool InSubtree(HWND root, HWND hwnd) {
  for (Window* w = Find(hwnd); w != nullptr; w = Find(w->parent)) {
    if (w->handle == root) return true;
  }
  return false;
}

void CollectSubtree(HWND hwnd, std::vector<HWND>& out) {
  out.push_back(hwnd);
  if (Window* w = Find(hwnd)) {
    std::vector<HWND> children = w->children;
    for (HWND c : children) CollectSubtree(c, out);
  }
}

void SendDestroy(HWND hwnd) {
  Deliver(hwnd, WM_DESTROY, 0, 0);
  Window* w = Find(hwnd);
  if (w == nullptr) return;
  std::vector<HWND> children = w->children;
  for (HWND c : children) SendDestroy(c);
}

void SendNcDestroy(HWND hwnd) {
  Window* w = Find(hwnd);
  if (w == nullptr) return;
  std::vector<HWND> children = w->children;
  for (HWND c : children) SendNcDestroy(c);
  Deliver(hwnd, WM_NCDESTROY, 0, 0);
}

HWND HitTest(HWND hwnd, POINT screenPt) {
  Window* w = Find(hwnd);
  if (w == nullptr || (w->style & WS_VISIBLE) == 0) return nullptr;
  POINT origin = ScreenOrigin(hwnd);
  RECT r{origin.x, origin.y, origin.x + (w->rect.right - w->rect.left),
         origin.y + (w->rect.bottom - w->rect.top)};
  if (!Contains(r, screenPt)) return nullptr;
  if ((w->style & WS_DISABLED) != 0) return nullptr;
  std::vector<HWND> children = w->children;
  for (HWND c : children) {
    Window* cw = Find(c);
    if (cw == nullptr || (cw->style & WS_VISIBLE) == 0) continue;
    POINT co = ScreenOrigin(c);
    RECT cr{co.x, co.y, co.x + (cw->rect.right - cw->rect.left),
            co.y + (cw->rect.bottom - cw->rect.top)};
    if (!Contains(cr, screenPt)) continue;
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
  if (w != nullptr && w->parent == nullptr && (w->style & WS_DISABLED) == 0) S().active = hwnd;
}

HWND CreateWindowInternal(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x,
                          int y, int cx, int cy, HWND parent, HMENU menuOrId, HINSTANCE instance,
                          LPVOID param, const std::function<void(Window&)>& setup) {
  EnsureSystemClasses();
  if (className == nullptr || IS_INTRESOURCE(className)) return nullptr;
  WindowClass* cls = FindClass(className);
  if (cls == nullptr) return nullptr;
  Window* parentWindow = Find(parent);
  if ((style & WS_CHILD) != 0 && parentWindow == nullptr) return nullptr;
  if (parent != nullptr && parentWindow == nullptr) return nullptr;

  State& s = S();
  auto record = std::make_unique<Window>();
  Window& w = *record;
  s.nextHandle += 4;
  w.handle = reinterpret_cast<HWND>(s.nextHandle);
  w.className = cls->name;
  w.proc = cls->wc.lpfnWndProc;
  w.text = FromCString(windowName);
  w.style = style;
  w.exStyle = exStyle;
  w.rect = RECT{x, y, x + std::max(cx, 0), y + std::max(cy, 0)};
  w.instance = instance;
  w.extra.assign(static_cast<std::size_t>(std::max(cls->wc.cbWndExtra, 0)) / sizeof(LONG_PTR) +
                     ((cls->wc.cbWndExtra % static_cast<int>(sizeof(LONG_PTR))) != 0 ? 1 : 0),
                 0);
  if ((style & WS_CHILD) != 0) {
    w.parent = parent;
    w.id = static_cast<int>(reinterpret_cast<std::intptr_t>(menuOrId));
    w.font = parentWindow->font;
  } else {
    w.owner = parent != nullptr ? TopLevelOf(parent) : nullptr;
  }
  HWND hwnd = w.handle;
  s.windows.emplace(hwnd, std::move(record));
  Window& placed = *Find(hwnd);
  if ((style & WS_CHILD) != 0) {
    PlaceAtBottom(placed);
  } else {
    PlaceOnTop(placed);
  }
  if (setup) setup(placed);
  if (s.createHook) {
    auto hook = std::move(s.createHook);
    s.createHook = nullptr;
    hook(hwnd);
  }

  CREATESTRUCT cs;
  cs.lpCreateParams = param;
  cs.hInstance = instance;
  cs.hMenu = menuOrId;
  cs.hwndParent = parent;
  cs.cx = cx;
  cs.cy = cy;
  cs.x = x;
  cs.y = y;
  cs.style = static_cast<LONG>(style);
  cs.lpszName = windowName;
  cs.lpszClass = className;
  cs.dwExStyle = exStyle;
  if (Deliver(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs)) == 0) {
    ::DestroyWindow(hwnd);
    return nullptr;
  }
  if (Deliver(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    ::DestroyWindow(hwnd);
    return nullptr;
  }
  Window* created = Find(hwnd);
  if (created == nullptr) return nullptr;
  RECT r = created->rect;
  Deliver(hwnd, WM_SIZE, SIZE_RESTORED,
          MAKELPARAM(static_cast<WORD>(r.right - r.left), static_cast<WORD>(r.bottom - r.top)));
  Deliver(hwnd, WM_MOVE, 0, MAKELPARAM(static_cast<WORD>(r.left), static_cast<WORD>(r.top)));
  if ((style & WS_VISIBLE) != 0) RequestPaint(hwnd, false);
  return Find(hwnd) != nullptr ? hwnd : nullptr;
}

}  // namespace platform::detail

using platform::detail::Deliver;
using platform::detail::Find;
using platform::detail::S;
using platform::detail::Window;

// ---------------------------------------------------------------------------
// Classes

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
  if (w == nullptr || buffer == nullptr || maxCount <= 0) return 0;
  int n = std::min(static_cast<int>(w->className.size()), maxCount - 1);
  std::copy_n(w->className.begin(), n, buffer);
  buffer[n] = 0;
  return n;
}

// ---------------------------------------------------------------------------
// Creation and destruction

HWND CreateWindowEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                    int cx, int cy, HWND parent, HMENU menuOrId, HINSTANCE instance, LPVOID param) {
  return platform::detail::CreateWindowInternal(exStyle, className, windowName, style, x, y, cx, cy,
                                                parent, menuOrId, instance, param, nullptr);
}

BOOL DestroyWindow(HWND hwnd) {
  Window* w = Find(hwnd);
  if (w == nullptr || w->destroying) return FALSE;
  auto& s = S();
  w->destroying = true;

  // Owned top-level windows go first.
  std::vector<HWND> owned;
  for (HWND t : s.topLevel) {
    if (Window* tw = Find(t); tw != nullptr && tw->owner == hwnd) owned.push_back(t);
  }
  for (HWND o : owned) DestroyWindow(o);

  w = Find(hwnd);
  if (w == nullptr) return TRUE;
  HWND parent = w->parent;
  bool wasVisible = (w->style & WS_VISIBLE) != 0;
  std::vector<HWND> subtree;
  platform::detail::CollectSubtree(hwnd, subtree);
  for (HWND h : subtree) {
    if (Window* hw = Find(h)) hw->destroying = true;
  }
  if (s.capture != nullptr && platform::detail::InSubtree(hwnd, s.capture)) s.capture = nullptr;
  if (s.focus != nullptr && platform::detail::InSubtree(hwnd, s.focus)) s.focus = nullptr;
  std::erase_if(s.timers, [&](const platform::detail::Timer& t) {
    return std::find(subtree.begin(), subtree.end(), t.hwnd) != subtree.end();
  });
  if (wasVisible) {
    w->style &= ~WS_VISIBLE;
    if (parent != nullptr) platform::RequestPaint(parent, false);
  }

  platform::detail::SendDestroy(hwnd);
  platform::detail::SendNcDestroy(hwnd);

  if (Window* still = Find(hwnd)) {
    platform::detail::RemoveFrom(platform::detail::SiblingList(*still), hwnd);
  }
  for (HWND h : subtree) s.windows.erase(h);
  std::erase(s.messageBoxes, hwnd);
  if (s.active != nullptr && Find(s.active) == nullptr) {
    s.active = nullptr;
    for (HWND t : s.topLevel) {
      Window* tw = Find(t);
      if (tw != nullptr && (tw->style & WS_VISIBLE) != 0 && (tw->style & WS_DISABLED) == 0) {
        s.active = t;
        break;
      }
    }
  }
  if (parent == nullptr) platform::RequestPaint(nullptr, false);
  return TRUE;
}

BOOL IsWindow(HWND hwnd) {
  return Find(hwnd) != nullptr ? TRUE : FALSE;
}

BOOL IsChild(HWND parent, HWND hwnd) {
  if (parent == nullptr || hwnd == nullptr || parent == hwnd) return FALSE;
  Window* w = Find(hwnd);
  while (w != nullptr && w->parent != nullptr) {
    if (w->parent == parent) return TRUE;
    w = Find(w->parent);
  }
  return FALSE;
}

// ---------------------------------------------------------------------------
// Default procedure

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
    case WM_GETTEXT: {
      auto* buffer = reinterpret_cast<LPWSTR>(lParam);
      int max = static_cast<int>(wParam);
      if (buffer == nullptr || max <= 0) return 0;
      int n = std::min(static_cast<int>(w->text.size()), max - 1);
      std::copy_n(w->text.begin(), n, buffer);
      buffer[n] = 0;
      return n;
    }
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(w->text.size());
    case WM_CLOSE:
      DestroyWindow(hwnd);
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

LONG_PTR GetWindowLongPtr(HWND hwnd, int index) {
  Window* w = Find(hwnd);
  if (w == nullptr) return 0;
  if (index >= 0) {
    std::size_t slot = static_cast<std::size_t>(index) / sizeof(LONG_PTR);
    return slot < w->extra.size() ? w->extra[slot] : 0;
  }
  switch (index) {
    case GWLP_WNDPROC:
      return reinterpret_cast<LONG_PTR>(w->proc);
    case GWLP_HINSTANCE:
      return reinterpret_cast<LONG_PTR>(w->instance);
    case GWLP_HWNDPARENT:
      return reinterpret_cast<LONG_PTR>(w->parent != nullptr ? w->parent : w->owner);
    case GWLP_ID:
      return w->id;
    case GWL_STYLE:
      return static_cast<LONG_PTR>(w->style);
    case GWL_EXSTYLE:
      return static_cast<LONG_PTR>(w->exStyle);
    case GWLP_USERDATA:
      return w->userData;
    default:
      return 0;
  }
}

LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value) {
  Window* w = Find(hwnd);
  if (w == nullptr) return 0;
  LONG_PTR old = GetWindowLongPtr(hwnd, index);
  if (index >= 0) {
    std::size_t slot = static_cast<std::size_t>(index) / sizeof(LONG_PTR);
    if (slot < w->extra.size()) w->extra[slot] = value;
    return old;
  }
  switch (index) {
    case GWLP_WNDPROC:
      w->proc = reinterpret_cast<WNDPROC>(value);
      break;
    case GWLP_HINSTANCE:
      w->instance = reinterpret_cast<HINSTANCE>(value);
      break;
    case GWLP_ID:
      w->id = static_cast<int>(value);
      break;
    case GWL_STYLE:
      w->style = static_cast<DWORD>(value);
      platform::RequestPaint(hwnd, false);
      break;
    case GWL_EXSTYLE:
      w->exStyle = static_cast<DWORD>(value);
      break;
    case GWLP_USERDATA:
      w->userData = value;
      break;
    default:
      break;
  }
  return old;
}

// ---------------------------------------------------------------------------
// State

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
    S().active = hwnd;
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

BOOL EnableWindow(HWND hwnd, BOOL enable) {
  Window* w = Find(hwnd);
  if (w == nullptr) return FALSE;
  bool wasDisabled = (w->style & WS_DISABLED) != 0;
  if (wasDisabled == !enable) return wasDisabled ? TRUE : FALSE;
  if (enable) {
    w->style &= ~WS_DISABLED;
  } else {
    w->style |= WS_DISABLED;
  }
  Deliver(hwnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
  auto& s = S();
  if (!enable) {
    if (s.focus != nullptr && platform::detail::InSubtree(hwnd, s.focus)) SetFocus(nullptr);
    if (s.capture != nullptr && platform::detail::InSubtree(hwnd, s.capture)) ReleaseCapture();
  }
  platform::RequestPaint(hwnd, false);
  return wasDisabled ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND hwnd) {
  Window* w = Find(hwnd);
  return w != nullptr && (w->style & WS_DISABLED) == 0 ? TRUE : FALSE;
}

// ---------------------------------------------------------------------------
// Geometry

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
      std::vector<HWND>& list = platform::detail::SiblingList(*w);
      platform::detail::RemoveFrom(list, hwnd);
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
  if (w->parent == nullptr && (w->style & WS_VISIBLE) != 0 && (w->style & WS_DISABLED) == 0) {
    S().active = hwnd;
  }
  platform::RequestPaint(w->parent != nullptr ? w->parent : hwnd, false);
  return TRUE;
}

BOOL GetWindowRect(HWND hwnd, RECT* rect) {
  Window* w = Find(hwnd);
  if (w == nullptr || rect == nullptr) return FALSE;
  POINT o = platform::detail::ScreenOrigin(hwnd);
  *rect =
      RECT{o.x, o.y, o.x + (w->rect.right - w->rect.left), o.y + (w->rect.bottom - w->rect.top)};
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

int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count) {
  POINT a = from != nullptr ? platform::detail::ScreenOrigin(from) : POINT{0, 0};
  POINT b = to != nullptr ? platform::detail::ScreenOrigin(to) : POINT{0, 0};
  int dx = a.x - b.x;
  int dy = a.y - b.y;
  for (UINT i = 0; points != nullptr && i < count; ++i) {
    points[i].x += dx;
    points[i].y += dy;
  }
  return static_cast<int>(MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy)));
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

// ---------------------------------------------------------------------------
// Relations

HWND GetParent(HWND hwnd) {
  Window* w = Find(hwnd);
  if (w == nullptr) return nullptr;
  return w->parent != nullptr ? w->parent : w->owner;
}

HWND GetWindow(HWND hwnd, UINT relation) {
  Window* w = Find(hwnd);
  if (w == nullptr) return nullptr;
  if (relation == GW_CHILD) return w->children.empty() ? nullptr : w->children.front();
  if (relation == GW_OWNER) return w->owner;
  const std::vector<HWND>& list = platform::detail::SiblingList(*w);
  auto it = std::find(list.begin(), list.end(), hwnd);
  switch (relation) {
    case GW_HWNDFIRST:
      return list.empty() ? nullptr : list.front();
    case GW_HWNDLAST:
      return list.empty() ? nullptr : list.back();
    case GW_HWNDNEXT:
      return it == list.end() || it + 1 == list.end() ? nullptr : *(it + 1);
    case GW_HWNDPREV:
      return it == list.begin() || it == list.end() ? nullptr : *(it - 1);
    default:
      return nullptr;
  }
}

HWND GetDlgItem(HWND dialog, int id) {
  Window* w = Find(dialog);
  if (w == nullptr) return nullptr;
  for (HWND c : w->children) {
    Window* cw = Find(c);
    if (cw != nullptr && static_cast<WORD>(cw->id) == static_cast<WORD>(id)) return c;
  }
  return nullptr;
}

int GetDlgCtrlID(HWND hwnd) {
  Window* w = Find(hwnd);
  return w == nullptr || w->parent == nullptr ? 0 : w->id;
}

HWND WindowFromPoint(POINT pt) {
  std::vector<HWND> tops = S().topLevel;
  for (HWND t : tops) {
    Window* w = Find(t);
    if (w == nullptr || (w->style & WS_VISIBLE) == 0) continue;
    if (!platform::detail::Contains(w->rect, pt)) continue;
    // A disabled top-level window (the owner of a modal dialog) takes no clicks.
    if ((w->style & WS_DISABLED) != 0) return nullptr;
    return platform::detail::HitTest(t, pt);
  }
  return nullptr;
}

// ---------------------------------------------------------------------------
// Text

BOOL SetWindowText(HWND hwnd, LPCWSTR text) {
  if (Find(hwnd) == nullptr) return FALSE;
  return SendMessage(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text != nullptr ? text : u""))
             ? TRUE
             : FALSE;
}

int GetWindowText(HWND hwnd, LPWSTR buffer, int maxCount) {
  if (Find(hwnd) == nullptr) {
    if (buffer != nullptr && maxCount > 0) buffer[0] = 0;
    return 0;
  }
  return static_cast<int>(SendMessage(hwnd, WM_GETTEXT, static_cast<WPARAM>(maxCount),
                                      reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLength(HWND hwnd) {
  return Find(hwnd) == nullptr ? 0 : static_cast<int>(SendMessage(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

BOOL SetDlgItemText(HWND dialog, int id, LPCWSTR text) {
  return SetWindowText(GetDlgItem(dialog, id), text);
}

UINT GetDlgItemText(HWND dialog, int id, LPWSTR buffer, int maxCount) {
  HWND item = GetDlgItem(dialog, id);
  if (item == nullptr) {
    if (buffer != nullptr && maxCount > 0) buffer[0] = 0;
    return 0;
  }
  return static_cast<UINT>(GetWindowText(item, buffer, maxCount));
}

BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned) {
  std::string digits = isSigned ? std::to_string(static_cast<int>(value)) : std::to_string(value);
  std::u16string text(digits.begin(), digits.end());
  return SetDlgItemText(dialog, id, text.c_str());
}

UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned) {
  if (translated != nullptr) *translated = FALSE;
  HWND item = GetDlgItem(dialog, id);
  if (item == nullptr) return 0;
  Window* w = Find(item);
  std::u16string_view t = w->text;
  while (!t.empty() && t.front() == u' ') t.remove_prefix(1);
  bool negative = false;
  if (isSigned && !t.empty() && t.front() == u'-') {
    negative = true;
    t.remove_prefix(1);
  }
  if (t.empty()) return 0;
  long long v = 0;
  for (char16_t c : t) {
    if (c < u'0' || c > u'9') return 0;
    v = v * 10 + (c - u'0');
    if (v > (isSigned ? 0x80000000LL : 0xFFFFFFFFLL)) return 0;
  }
  if (isSigned && !negative && v > 0x7FFFFFFFLL) return 0;
  if (translated != nullptr) *translated = TRUE;
  return static_cast<UINT>(negative ? -v : v);
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
  HWND item = GetDlgItem(dialog, id);
  if (item == nullptr) return FALSE;
  SendMessage(item, BM_SETCHECK, check, 0);
  return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id) {
  HWND item = GetDlgItem(dialog, id);
  if (item == nullptr) return 0;
  return static_cast<UINT>(SendMessage(item, BM_GETCHECK, 0, 0));
}

// ---------------------------------------------------------------------------
// Focus, capture, activation

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

// ---------------------------------------------------------------------------
// Host-side queries and hooks

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

std::vector<HWND> TopLevelWindows() {
  return detail::S().topLevel;
}

std::vector<HWND> ChildWindows(HWND parent) {
  detail::Window* w = detail::Find(parent);
  return w == nullptr ? std::vector<HWND>{} : w->children;
}

WindowInfo DescribeWindow(HWND hwnd) {
  WindowInfo info;
  detail::Window* w = detail::Find(hwnd);
  if (w == nullptr) return info;
  info.hwnd = hwnd;
  info.className = w->className;
  info.id = w->id;
  info.text = w->text;
  info.style = w->style;
  info.exStyle = w->exStyle;
  info.rect = w->rect;
  ::GetWindowRect(hwnd, &info.screenRect);
  info.parent = w->parent;
  info.owner = w->owner;
  info.visible = ::IsWindowVisible(hwnd) != 0;
  info.enabled = (w->style & WS_DISABLED) == 0;
  return info;
}

FontInfo WindowFont(HWND hwnd) {
  detail::Window* w = detail::Find(hwnd);
  return w == nullptr ? FontInfo{} : w->font;
}

void SetWindowFont(HWND hwnd, const FontInfo& font) {
  if (detail::Window* w = detail::Find(hwnd)) {
    w->font = font;
    RequestPaint(hwnd, false);
  }
}

const DialogTemplate* DialogTemplateOf(HWND dialog) {
  detail::Window* w = detail::Find(dialog);
  return w == nullptr ? nullptr : w->dialogTemplate;
}

const DialogItemTemplate* DialogItemOf(HWND control) {
  detail::Window* w = detail::Find(control);
  return w == nullptr ? nullptr : w->dialogItem;
}

HINSTANCE InstanceOf(const ResourceModule* module) {
  return reinterpret_cast<HINSTANCE>(const_cast<ResourceModule*>(module));
}

const ResourceModule* ModuleOf(HINSTANCE instance) {
  if (instance == nullptr) return ProgramModule().resources;
  return reinterpret_cast<const ResourceModule*>(instance);
}

HWND ActiveMessageBox() {
  auto& boxes = detail::S().messageBoxes;
  for (auto it = boxes.rbegin(); it != boxes.rend(); ++it) {
    if (detail::Find(*it) != nullptr) return *it;
  }
  return nullptr;
}

void ResetWindowSystem() {
  auto& s = detail::S();
  s.paint = nullptr;
  s.beforeWait = nullptr;
  s.trace = nullptr;
  s.messageHook = nullptr;
  s.createHook = nullptr;
  s.input = nullptr;
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
