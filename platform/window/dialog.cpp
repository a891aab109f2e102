// Dialog manager: fixed-font dialog units, dialogs from templates (modeless
// and modal), the default dialog procedure, the modal loop and keyboard
// navigation.
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <vector>

#include "platform/text/text.h"
#include "platform/window/host.h"
#include "platform/window/internal.h"
#include "platform/window/window_tree.h"
#include "platform/window/winuser.h"

using platform::detail::Deliver;
using platform::detail::Find;
using platform::detail::S;

namespace platform::detail {

void EnsureSystemClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  WNDCLASS wc;
  wc.lpfnWndProc = &::DefDlgProc;
  wc.cbWndExtra = DLGWINDOWEXTRA;
  wc.lpszClassName = WC_DIALOG;
  wc.style = CS_GLOBALCLASS;
  ::RegisterClass(&wc);
}

}  // namespace platform::detail

namespace platform {

SIZE DialogBaseUnits(std::u16string_view face, int pointSize) {
  if (platform::text::EqualsFolded(face, u"MS UI Gothic") && pointSize == 9) return SIZE{7, 12};
  if (platform::text::EqualsFolded(face, u"MS Shell Dlg") && pointSize == 8) return SIZE{6, 11};
  // Other fonts: the line height of the point size at 96 DPI, cells half as wide.
  int cy = std::max(1, ::MulDiv(pointSize > 0 ? pointSize : 8, 4, 3));
  return SIZE{std::max(1, (cy + 1) / 2), cy};
}

FontInfo DialogFont(std::u16string_view face, int pointSize) {
  FontInfo f;
  if (!face.empty()) f.face = std::u16string(face);
  if (pointSize > 0) f.pointSize = pointSize;
  f.height = DialogBaseUnits(f.face, f.pointSize).cy;
  return f;
}

bool IsFullWidth(char16_t ch) {
  if (ch < 0x1100) return false;
  if (ch >= 0xFF61 && ch <= 0xFFDC) return false;  // half-width katakana and hangul
  if (ch >= 0xFFE8 && ch <= 0xFFEE) return false;
  if (text::IsLowSurrogate(ch)) return false;  // counted with its pair
  return true;
}

int TextWidth(std::u16string_view text, int fontHeight) {
  int width = 0;
  for (char16_t ch : text) {
    if (text::IsLowSurrogate(ch)) continue;
    width += IsFullWidth(ch) ? fontHeight : fontHeight / 2;
  }
  return width;
}

}  // namespace platform

int MulDiv(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  long long product = static_cast<long long>(number) * numerator;
  long long d = denominator;
  bool negative = (product < 0) != (d < 0);
  long long a = std::llabs(product);
  long long b = std::llabs(d);
  long long q = (a + b / 2) / b;
  long long result = negative ? -q : q;
  if (result > 0x7FFFFFFFLL || result < -0x7FFFFFFFLL - 1) return -1;
  return static_cast<int>(result);
}

namespace {

bool IsDialogWindow(HWND hwnd) {
  platform::detail::Window* w = Find(hwnd);
  return w != nullptr && platform::text::EqualsFolded(w->className, WC_DIALOG);
}

bool CanTakeFocus(HWND hwnd) {
  platform::detail::Window* w = Find(hwnd);
  return w != nullptr && (w->style & WS_VISIBLE) != 0 && (w->style & WS_DISABLED) == 0;
}

// Tab-stop candidates in order, entering WS_EX_CONTROLPARENT children.
void CollectTabStops(HWND parent, std::vector<HWND>& out, bool requireVisible) {
  platform::detail::Window* w = Find(parent);
  if (w == nullptr) return;
  for (HWND c : w->children) {
    platform::detail::Window* cw = Find(c);
    if (cw == nullptr) continue;
    bool usable = requireVisible ? (IsWindowVisible(c) && IsWindowEnabled(c)) : CanTakeFocus(c);
    if ((cw->exStyle & WS_EX_CONTROLPARENT) != 0) {
      if (usable) CollectTabStops(c, out, requireVisible);
      continue;
    }
    if ((cw->style & WS_TABSTOP) != 0 && usable) out.push_back(c);
  }
}

// Every tab stop in order, whether it can take the focus now or not.
void CollectTabOrder(HWND parent, std::vector<HWND>& out) {
  platform::detail::Window* w = Find(parent);
  if (w == nullptr) return;
  for (HWND c : w->children) {
    platform::detail::Window* cw = Find(c);
    if (cw == nullptr) continue;
    if ((cw->exStyle & WS_EX_CONTROLPARENT) != 0) {
      CollectTabOrder(c, out);
    } else if ((cw->style & WS_TABSTOP) != 0) {
      out.push_back(c);
    }
  }
}

// The first tab stop after (or before) `control`, in the order of all tab
// stops, that `usable` accepts; null when `control` is none or none is.
HWND NextTabStopAfter(HWND dialog, HWND control, bool previous,
                      const std::function<bool(HWND)>& usable) {
  std::vector<HWND> order;
  CollectTabOrder(dialog, order);
  auto at = std::find(order.begin(), order.end(), control);
  if (at == order.end()) return nullptr;
  const std::ptrdiff_t n = static_cast<std::ptrdiff_t>(order.size());
  const std::ptrdiff_t from = at - order.begin();
  for (std::ptrdiff_t step = 1; step < n; ++step) {
    const std::ptrdiff_t i = previous ? (from - step + n) % n : (from + step) % n;
    HWND candidate = order[static_cast<std::size_t>(i)];
    if (usable(candidate)) return candidate;
  }
  return nullptr;
}

// Whether a control of the dialog can take the focus: it and every window
// between it and the dialog are shown and enabled (the dialog itself may
// still be hidden).
bool UsableIn(HWND dialog, HWND control) {
  for (HWND h = control; h != nullptr && h != dialog; h = GetParent(h)) {
    platform::detail::Window* w = Find(h);
    if (w == nullptr || (w->style & WS_VISIBLE) == 0 || (w->style & WS_DISABLED) != 0) return false;
  }
  return true;
}

HWND FirstTabStop(HWND dialog) {
  std::vector<HWND> stops;
  CollectTabStops(dialog, stops, false);
  return stops.empty() ? nullptr : stops.front();
}

// Gives a control the focus as the dialog manager does when it moves the
// focus itself: an edit's text gets selected.
void FocusControl(HWND control) {
  SetFocus(control);
  if ((SendMessage(control, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) != 0) {
    SendMessage(control, EM_SETSEL, 0, -1);
  }
}

HWND CreateDialogInternal(HINSTANCE instance, const platform::DialogTemplate* tmpl, HWND parent,
                          DLGPROC proc, LPARAM initParam) {
  if (tmpl == nullptr) return nullptr;
  bool child = (tmpl->style & WS_CHILD) != 0;
  if (child && Find(parent) == nullptr) return nullptr;
  platform::FontInfo font = platform::DialogFont(
      (tmpl->style & DS_SETFONT) != 0 ? tmpl->fontFace : std::u16string_view(u"MS Shell Dlg"),
      (tmpl->style & DS_SETFONT) != 0 ? tmpl->pointSize : 8);
  SIZE base = platform::DialogBaseUnits(font.face, font.pointSize);
  auto px = [&](int v) { return MulDiv(v, base.cx, 4); };
  auto py = [&](int v) { return MulDiv(v, base.cy, 8); };
  int x = px(tmpl->x);
  int y = py(tmpl->y);
  int cx = px(tmpl->cx);
  int cy = py(tmpl->cy);
  if (!child) {
    if ((tmpl->style & DS_CENTER) != 0) {
      SIZE screen = platform::ScreenSize();
      x = (screen.cx - cx) / 2;
      y = (screen.cy - cy) / 2;
    } else if (parent != nullptr && (tmpl->style & DS_ABSALIGN) == 0) {
      POINT o{0, 0};
      ClientToScreen(parent, &o);
      x += o.x;
      y += o.y;
    }
  }
  std::u16string caption(tmpl->caption);
  HWND dialog = platform::detail::CreateWindowInternal(
      tmpl->exStyle, WC_DIALOG, caption.c_str(), tmpl->style & ~WS_VISIBLE, x, y, cx, cy, parent,
      nullptr, instance, nullptr, [&](platform::detail::Window& w) {
        w.font = font;
        w.dialogTemplate = tmpl;
        if (w.extra.size() >= 2) w.extra[1] = reinterpret_cast<LONG_PTR>(proc);
      });
  if (dialog == nullptr) return nullptr;

  for (const platform::DialogItemTemplate& item : tmpl->items) {
    std::u16string cls(item.className);
    std::u16string text(item.text);
    HWND control = platform::detail::CreateWindowInternal(
        item.exStyle, cls.c_str(), text.c_str(), item.style | WS_CHILD, px(item.x), py(item.y),
        px(item.cx), py(item.cy), dialog,
        reinterpret_cast<HMENU>(static_cast<std::intptr_t>(static_cast<WORD>(item.id))), instance,
        nullptr, [&](platform::detail::Window& w) {
          w.font = font;
          w.dialogItem = &item;
        });
    if (control == nullptr) {
      // As on Windows, a control that cannot be created fails the dialog.
      DestroyWindow(dialog);
      return nullptr;
    }
  }

  HWND focusCandidate = FirstTabStop(dialog);
  LRESULT init =
      SendMessage(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(focusCandidate), initParam);
  if (Find(dialog) == nullptr) return nullptr;
  if (init != 0) {
    HWND first = FirstTabStop(dialog);
    if (first != nullptr) FocusControl(first);
  }
  return dialog;
}

const platform::DialogTemplate* LookupTemplate(HINSTANCE instance, LPCWSTR name) {
  if (name == nullptr || !IS_INTRESOURCE(name)) return nullptr;
  const platform::ResourceModule* module = platform::ModuleOf(instance);
  if (module == nullptr) return nullptr;
  return platform::FindDialogTemplate(*module, static_cast<int>(reinterpret_cast<UINT_PTR>(name)));
}

// On deactivation: remembers which of the dialog's controls has the focus.
void SaveFocus(HWND dialog) {
  platform::detail::Window* w = Find(dialog);
  HWND focus = GetFocus();
  if (w != nullptr && focus != nullptr && IsChild(dialog, focus)) w->dialogFocus = focus;
}

// On activation (`justActivate`) the remembered control gets the focus back,
// or, when it was hidden or disabled meanwhile, the next tab stop after it;
// on WM_SETFOCUS the same, or else the first tab stop. A dialog that has
// ended takes no focus.
void RestoreFocus(HWND dialog, bool justActivate) {
  platform::detail::Window* w = Find(dialog);
  if (w == nullptr || w->dialogEnded) return;
  HWND target = w->dialogFocus;
  w->dialogFocus = nullptr;
  if (target != nullptr && !IsChild(dialog, target)) target = nullptr;
  if (target != nullptr && !UsableIn(dialog, target)) {
    target = NextTabStopAfter(dialog, target, false, [&](HWND c) { return UsableIn(dialog, c); });
  }
  if (target == nullptr) {
    if (justActivate) return;
    target = FirstTabStop(dialog);
    if (target == nullptr) return;
  }
  if (justActivate) {
    SetFocus(target);
  } else {
    FocusControl(target);
  }
}

}  // namespace

namespace platform::detail {

INT_PTR RunModalLoop(HWND dialog) {
  bool shown = IsWindowVisible(dialog) != 0;
  for (;;) {
    Window* w = Find(dialog);
    if (w == nullptr) return -1;
    if (w->dialogEnded) return w->dialogResult;
    if (!shown && !PeekMessage(nullptr, nullptr, 0, 0, PM_NOREMOVE)) {
      // Shown once the queue is idle, as the dialog manager does.
      ShowInternal(dialog);
      shown = true;
      continue;
    }
    MSG m;
    BOOL r = GetMessage(&m, nullptr, 0, 0);
    if (r == 0) {
      RepostQuit(static_cast<int>(m.wParam));
      return -1;
    }
    if (r == -1) {
      w = Find(dialog);
      return w != nullptr && w->dialogEnded ? w->dialogResult : -1;
    }
    if (!IsDialogMessage(dialog, &m)) {
      TranslateMessage(&m);
      DispatchMessage(&m);
    }
  }
}

}  // namespace platform::detail

HWND CreateDialogParam(HINSTANCE instance, LPCWSTR templateName, HWND parent, DLGPROC proc,
                       LPARAM initParam) {
  return CreateDialogIndirectParam(instance, LookupTemplate(instance, templateName), parent, proc,
                                   initParam);
}

HWND CreateDialogIndirectParam(HINSTANCE instance, const platform::DialogTemplate* tmpl,
                               HWND parent, DLGPROC proc, LPARAM initParam) {
  HWND dialog = CreateDialogInternal(instance, tmpl, parent, proc, initParam);
  if (dialog != nullptr && (tmpl->style & WS_VISIBLE) != 0) {
    platform::detail::Window* w = Find(dialog);
    if (w != nullptr && !w->dialogEnded) platform::detail::ShowInternal(dialog);
  }
  return dialog;
}

INT_PTR DialogBoxParam(HINSTANCE instance, LPCWSTR templateName, HWND parent, DLGPROC proc,
                       LPARAM initParam) {
  return DialogBoxIndirectParam(instance, LookupTemplate(instance, templateName), parent, proc,
                                initParam);
}

INT_PTR DialogBoxIndirectParam(HINSTANCE instance, const platform::DialogTemplate* tmpl,
                               HWND parent, DLGPROC proc, LPARAM initParam) {
  if (tmpl == nullptr) return -1;
  HWND owner = parent != nullptr ? platform::detail::TopLevelOf(parent) : nullptr;
  bool ownerWasEnabled = owner != nullptr && IsWindowEnabled(owner);
  if (ownerWasEnabled) EnableWindow(owner, FALSE);
  HWND dialog = CreateDialogInternal(instance, tmpl, owner, proc, initParam);
  INT_PTR result = -1;
  if (dialog != nullptr) {
    result = platform::detail::RunModalLoop(dialog);
    if (ownerWasEnabled && Find(owner) != nullptr) EnableWindow(owner, TRUE);
    platform::detail::ReturnActivation(dialog, owner);
    DestroyWindow(dialog);
  } else if (ownerWasEnabled && Find(owner) != nullptr) {
    EnableWindow(owner, TRUE);
  }
  return result;
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
  platform::detail::Window* w = Find(dialog);
  if (w == nullptr || !IsDialogWindow(dialog)) return FALSE;
  w->dialogEnded = true;
  w->dialogResult = result;
  platform::detail::SetVisible(dialog, false);
  platform::detail::S().wake = true;  // wakes the modal loop
  return TRUE;
}

LRESULT DefDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto proc = reinterpret_cast<DLGPROC>(GetWindowLongPtr(dialog, DWLP_DLGPROC));
  if (proc != nullptr) {
    SetWindowLongPtr(dialog, DWLP_MSGRESULT, 0);
    BOOL handled = proc(dialog, msg, wParam, lParam);
    if (handled) {
      if (msg == WM_INITDIALOG) return handled;
      return GetWindowLongPtr(dialog, DWLP_MSGRESULT);
    }
  }
  if (Find(dialog) == nullptr) return 0;
  switch (msg) {
    case WM_INITDIALOG:
      return proc == nullptr ? TRUE : FALSE;
    case WM_CLOSE: {
      HWND cancel = GetDlgItem(dialog, IDCANCEL);
      if (cancel == nullptr || IsWindowEnabled(cancel)) {
        PostMessage(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                    reinterpret_cast<LPARAM>(cancel));
      }
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        SaveFocus(dialog);
      } else {
        RestoreFocus(dialog, true);
      }
      return 0;
    case WM_SETFOCUS:
      RestoreFocus(dialog, false);
      return 0;
    default:
      return DefWindowProc(dialog, msg, wParam, lParam);
  }
}

HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous) {
  std::vector<HWND> stops;
  CollectTabStops(dialog, stops, true);
  if (stops.empty()) return nullptr;
  auto it = std::find(stops.begin(), stops.end(), control);
  if (it == stops.end()) {
    // A tab stop that is hidden or disabled now: the next one that is not.
    HWND next = NextTabStopAfter(dialog, control, previous != FALSE, [&](HWND c) {
      return std::find(stops.begin(), stops.end(), c) != stops.end();
    });
    if (next != nullptr) return next;
    return previous ? stops.back() : stops.front();
  }
  std::ptrdiff_t i = it - stops.begin();
  std::ptrdiff_t n = static_cast<std::ptrdiff_t>(stops.size());
  i = previous ? (i - 1 + n) % n : (i + 1) % n;
  return stops[static_cast<std::size_t>(i)];
}

BOOL IsDialogMessage(HWND dialog, MSG* msg) {
  if (msg == nullptr || Find(dialog) == nullptr) return FALSE;
  if (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd)) return FALSE;
  LRESULT code = 0;
  bool keyMessage = msg->message == WM_KEYDOWN || msg->message == WM_CHAR;
  if (keyMessage && msg->hwnd != nullptr) {
    code = SendMessage(msg->hwnd, WM_GETDLGCODE, msg->wParam, reinterpret_cast<LPARAM>(msg));
  }
  if (msg->message == WM_KEYDOWN && (code & DLGC_WANTALLKEYS) == 0) {
    switch (msg->wParam) {
      case VK_TAB: {
        if ((code & DLGC_WANTTAB) != 0) break;
        bool back = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
        HWND next = GetNextDlgTabItem(dialog, GetFocus(), back ? TRUE : FALSE);
        if (next != nullptr) FocusControl(next);
        return TRUE;
      }
      case VK_RETURN: {
        HWND ok = GetDlgItem(dialog, IDOK);
        if (ok == nullptr || IsWindowEnabled(ok)) {
          SendMessage(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                      reinterpret_cast<LPARAM>(ok));
        }
        return TRUE;
      }
      case VK_ESCAPE: {
        HWND cancel = GetDlgItem(dialog, IDCANCEL);
        if (cancel == nullptr || IsWindowEnabled(cancel)) {
          SendMessage(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                      reinterpret_cast<LPARAM>(cancel));
        }
        return TRUE;
      }
      default:
        break;
    }
  }
  if (msg->message == WM_CHAR && (code & (DLGC_WANTALLKEYS | DLGC_WANTCHARS)) == 0 &&
      (msg->wParam == u'\t' || msg->wParam == u'\r' || msg->wParam == 0x1B)) {
    return TRUE;
  }
  TranslateMessage(msg);
  DispatchMessage(msg);
  return TRUE;
}
