// BUTTON: push buttons, check boxes (two- and three-state), radio buttons.
#include <vector>

#include "platform/controls/internal.h"

namespace platform::controls {
namespace {

struct ButtonState {
  LRESULT check = BST_UNCHECKED;
  bool pushed = false;
  bool tracking = false;
  bool spaceDown = false;
};

DWORD TypeOf(HWND hwnd) {
  return static_cast<DWORD>(GetWindowLongPtr(hwnd, GWL_STYLE)) & BS_TYPEMASK;
}

bool IsCheckType(DWORD type) {
  return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE ||
         type == BS_AUTO3STATE || type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

// Unchecks the other automatic radio buttons of the button's group.
void UncheckGroup(HWND button) {
  HWND parent = GetParent(button);
  std::vector<HWND> siblings = platform::ChildWindows(parent);
  std::size_t self = 0;
  for (; self < siblings.size() && siblings[self] != button; ++self) {
  }
  if (self == siblings.size()) return;
  auto isGroupStart = [](HWND h) {
    return (static_cast<DWORD>(GetWindowLongPtr(h, GWL_STYLE)) & WS_GROUP) != 0;
  };
  std::size_t first = self;
  while (first > 0 && !isGroupStart(siblings[first])) --first;
  for (std::size_t i = first; i < siblings.size(); ++i) {
    if (i > first && isGroupStart(siblings[i])) break;
    if (siblings[i] != button && TypeOf(siblings[i]) == BS_AUTORADIOBUTTON) {
      SendMessage(siblings[i], BM_SETCHECK, BST_UNCHECKED, 0);
    }
  }
}

void Click(HWND hwnd) {
  ButtonState* s = StateOf<ButtonState>(hwnd);
  if (s == nullptr) return;
  switch (TypeOf(hwnd)) {
    case BS_AUTOCHECKBOX:
      s->check = s->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
      break;
    case BS_AUTO3STATE:
      s->check = (s->check + 1) % 3;
      break;
    case BS_AUTORADIOBUTTON:
      s->check = BST_CHECKED;
      UncheckGroup(hwnd);
      break;
    default:
      break;
  }
  Repaint(hwnd);
  NotifyCommand(hwnd, BN_CLICKED);
}

LRESULT ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  ButtonState* s = StateOf<ButtonState>(hwnd);
  DWORD type = TypeOf(hwnd);
  switch (msg) {
    case WM_NCCREATE:
      CreateState<ButtonState>(hwnd);
      return DefWindowProc(hwnd, msg, wParam, lParam);
    case WM_NCDESTROY:
      DestroyState<ButtonState>(hwnd);
      return 0;
    case WM_GETDLGCODE:
      if (type == BS_DEFPUSHBUTTON) return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
      if (type == BS_PUSHBUTTON) return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
      if (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) return DLGC_RADIOBUTTON;
      if (type == BS_GROUPBOX) return DLGC_STATIC;
      return DLGC_BUTTON;
    case WM_LBUTTONDOWN:
      if (s == nullptr || type == BS_GROUPBOX) return 0;
      SetFocus(hwnd);
      s = StateOf<ButtonState>(hwnd);
      if (s == nullptr) return 0;
      s->pushed = true;
      s->tracking = true;
      SetCapture(hwnd);
      Repaint(hwnd);
      return 0;
    case WM_MOUSEMOVE:
      if (s != nullptr && s->tracking) {
        bool inside = PointInClient(hwnd, PointOf(lParam));
        if (inside != s->pushed) {
          s->pushed = inside;
          Repaint(hwnd);
        }
      }
      return 0;
    case WM_LBUTTONUP:
      if (s != nullptr && s->tracking) {
        bool inside = PointInClient(hwnd, PointOf(lParam));
        s->tracking = false;
        s->pushed = false;
        ReleaseCapture();
        Repaint(hwnd);
        if (inside) Click(hwnd);
      }
      return 0;
    case WM_CAPTURECHANGED:
      if (s != nullptr && s->tracking && reinterpret_cast<HWND>(lParam) != hwnd) {
        s->tracking = false;
        s->pushed = false;
        Repaint(hwnd);
      }
      return 0;
    case WM_KEYDOWN:
      if (s != nullptr && wParam == VK_SPACE && type != BS_GROUPBOX) {
        s->spaceDown = true;
        s->pushed = true;
        Repaint(hwnd);
      }
      return 0;
    case WM_KEYUP:
      if (s != nullptr && wParam == VK_SPACE && s->spaceDown) {
        s->spaceDown = false;
        s->pushed = false;
        Click(hwnd);
      }
      return 0;
    case WM_KILLFOCUS:
      if (s != nullptr && s->spaceDown) {
        s->spaceDown = false;
        s->pushed = false;
      }
      Repaint(hwnd);
      if ((GetWindowLongPtr(hwnd, GWL_STYLE) & BS_NOTIFY) != 0) NotifyCommand(hwnd, BN_KILLFOCUS);
      return 0;
    case WM_SETFOCUS:
      Repaint(hwnd);
      if ((GetWindowLongPtr(hwnd, GWL_STYLE) & BS_NOTIFY) != 0) NotifyCommand(hwnd, BN_SETFOCUS);
      return 0;
    case BM_CLICK:
      if (type != BS_GROUPBOX && IsWindowEnabled(hwnd)) Click(hwnd);
      return 0;
    case BM_GETCHECK:
      return s != nullptr && IsCheckType(type) ? s->check : BST_UNCHECKED;
    case BM_SETCHECK:
      if (s != nullptr && IsCheckType(type)) {
        LRESULT value = static_cast<LRESULT>(wParam);
        s->check = value == BST_INDETERMINATE ? BST_INDETERMINATE
                                              : (value != 0 ? BST_CHECKED : BST_UNCHECKED);
        Repaint(hwnd);
      }
      return 0;
    case BM_GETSTATE: {
      if (s == nullptr) return 0;
      LRESULT state = IsCheckType(type) ? s->check : 0;
      if (s->pushed) state |= BST_PUSHED;
      if (GetFocus() == hwnd) state |= BST_FOCUS;
      return state;
    }
    case BM_SETSTATE:
      if (s != nullptr) {
        s->pushed = wParam != 0;
        Repaint(hwnd);
      }
      return 0;
    case BM_SETSTYLE: {
      DWORD style = static_cast<DWORD>(GetWindowLongPtr(hwnd, GWL_STYLE));
      style = (style & ~BS_TYPEMASK) | (static_cast<DWORD>(wParam) & BS_TYPEMASK);
      SetWindowLongPtr(hwnd, GWL_STYLE, static_cast<LONG_PTR>(style));
      return 0;
    }
    default:
      return DefControlProc(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

void RegisterButtonClass() {
  RegisterControlClass(WC_BUTTON, &ButtonProc);
}

}  // namespace platform::controls
