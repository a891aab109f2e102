// Windows: the records and their state, creation and destruction, window
// data (GetWindowLongPtr), enabling, relations and text.
#include <algorithm>
#include <string>

#include "platform/window/host.h"
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

bool InSubtree(HWND root, HWND hwnd) {
  for (Window* w = Find(hwnd); w != nullptr; w = Find(w->parent)) {
    if (w->handle == root) return true;
  }
  return false;
}

namespace {

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

}  // namespace

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
  HWND owner = w->owner;
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
    platform::detail::RemoveFromSiblings(*still);
  }
  for (HWND h : subtree) s.windows.erase(h);
  std::erase(s.messageBoxes, hwnd);
  if (s.active != nullptr && Find(s.active) == nullptr) {
    // Another window takes the activation: the owner, else the topmost
    // window that can.
    s.active = nullptr;
    auto canActivate = [](HWND t) {
      Window* tw = Find(t);
      return tw != nullptr && (tw->style & WS_VISIBLE) != 0 && (tw->style & WS_DISABLED) == 0;
    };
    HWND next = canActivate(owner) ? owner : nullptr;
    for (std::size_t i = 0; next == nullptr && i < s.topLevel.size(); ++i) {
      if (canActivate(s.topLevel[i])) next = s.topLevel[i];
    }
    if (next != nullptr) platform::detail::Activate(next, true);
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
    // A disabled window loses the focus; a control inside it keeps it, so that
    // the dialog of a disabled owner still knows where its focus was.
    if (s.focus == hwnd) SetFocus(nullptr);
    if (s.capture != nullptr && platform::detail::InSubtree(hwnd, s.capture)) ReleaseCapture();
  }
  platform::RequestPaint(hwnd, false);
  return wasDisabled ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND hwnd) {
  Window* w = Find(hwnd);
  return w != nullptr && (w->style & WS_DISABLED) == 0 ? TRUE : FALSE;
}

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
