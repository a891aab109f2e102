// COMBOBOX (drop-down list) and its popup list window (ComboLBox). A click
// on the field opens the list on top of everything; a click on an entry
// selects it, closes the list and sends CBN_SELCHANGE; a click outside the
// list closes it without a change.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/controls/internal.h"

namespace platform::controls {
namespace {

constexpr int kMaxVisibleItems = 30;

struct ComboState {
  std::vector<std::u16string> items;
  std::vector<LPARAM> data;
  int sel = -1;
  HWND list = nullptr;
  bool closing = false;
};

struct ListState {
  HWND combo = nullptr;
  int hot = -1;
  int top = 0;
  bool tracking = false;
};

int ItemHeight(HWND hwnd) {
  return platform::WindowFont(hwnd).height + 2;
}
int FieldHeight(HWND hwnd) {
  return platform::WindowFont(hwnd).height + 8;
}

bool IsDropDown(HWND combo) {
  return (GetWindowLongPtr(combo, GWL_STYLE) & 0x3) != CBS_SIMPLE;
}

void CloseList(HWND combo, bool accepted) {
  ComboState* s = StateOf<ComboState>(combo);
  if (s == nullptr || s->list == nullptr || s->closing) return;
  s->closing = true;
  NotifyCommand(combo, accepted ? CBN_SELENDOK : CBN_SELENDCANCEL);
  s = StateOf<ComboState>(combo);
  if (s == nullptr) return;
  HWND list = s->list;
  s->list = nullptr;
  if (GetCapture() == list) ReleaseCapture();
  DestroyWindow(list);
  Repaint(combo);
  NotifyCommand(combo, CBN_CLOSEUP);
  if (ComboState* now = StateOf<ComboState>(combo)) now->closing = false;
}

void OpenList(HWND combo) {
  ComboState* s = StateOf<ComboState>(combo);
  if (s == nullptr || s->list != nullptr) return;
  NotifyCommand(combo, CBN_DROPDOWN);
  s = StateOf<ComboState>(combo);
  if (s == nullptr || s->list != nullptr) return;
  RECT field;
  GetWindowRect(combo, &field);
  int itemHeight = ItemHeight(combo);
  int visible = std::clamp(static_cast<int>(s->items.size()), 1, kMaxVisibleItems);
  int height = visible * itemHeight + 2;
  SIZE screen = platform::ScreenSize();
  int y = field.bottom;
  if (y + height > screen.cy && field.top - height >= 0) y = field.top - height;
  if (y + height > screen.cy) height = std::max(screen.cy - y, itemHeight + 2);
  HWND top = GetAncestorTop(combo);
  HWND list = CreateWindowEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, WC_COMBOLBOX, u"",
                             WS_POPUP | WS_BORDER | WS_VISIBLE, field.left, y,
                             field.right - field.left, height, top, nullptr, nullptr, combo);
  s = StateOf<ComboState>(combo);
  if (list == nullptr || s == nullptr) return;
  platform::SetWindowFont(list, platform::WindowFont(combo));
  s->list = list;
  if (ListState* ls = StateOf<ListState>(list)) {
    ls->hot = s->sel;
    int rows = std::max((height - 2) / itemHeight, 1);
    if (s->sel >= rows) ls->top = s->sel - rows + 1;
  }
  SetCapture(list);
  Repaint(combo);
}

// Selection by the user: notify only after the list is closed.
void UserSelect(HWND combo, int index) {
  ComboState* s = StateOf<ComboState>(combo);
  if (s == nullptr) return;
  if (index >= 0 && index < static_cast<int>(s->items.size())) s->sel = index;
  CloseList(combo, true);
  Repaint(combo);
  NotifyCommand(combo, CBN_SELCHANGE);
}

int FindString(const ComboState& s, int after, LPCWSTR text, bool exact) {
  if (text == nullptr) return CB_ERR;
  std::u16string needle(text);
  int n = static_cast<int>(s.items.size());
  for (int k = 1; k <= n; ++k) {
    int i = (after + k) % n;
    if (i < 0) i += n;
    const std::u16string& item = s.items[static_cast<std::size_t>(i)];
    bool match = exact ? item == needle : item.compare(0, needle.size(), needle) == 0;
    if (match) return i;
  }
  return CB_ERR;
}

int InsertAt(ComboState& s, int index, LPCWSTR text, bool sorted) {
  std::u16string item = text != nullptr ? std::u16string(text) : std::u16string();
  int n = static_cast<int>(s.items.size());
  if (sorted) {
    index =
        static_cast<int>(std::upper_bound(s.items.begin(), s.items.end(), item) - s.items.begin());
  } else if (index < 0 || index > n) {
    index = n;
  }
  s.items.insert(s.items.begin() + index, item);
  s.data.insert(s.data.begin() + index, 0);
  if (s.sel >= index) ++s.sel;
  return index;
}

LRESULT CopyItemText(const ComboState& s, int index, LPWSTR buffer) {
  if (index < 0 || index >= static_cast<int>(s.items.size())) return CB_ERR;
  const std::u16string& item = s.items[static_cast<std::size_t>(index)];
  if (buffer != nullptr) {
    std::copy(item.begin(), item.end(), buffer);
    buffer[item.size()] = 0;
  }
  return static_cast<LRESULT>(item.size());
}

LRESULT ComboProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  ComboState* s = StateOf<ComboState>(hwnd);
  switch (msg) {
    case WM_NCCREATE:
      CreateState<ComboState>(hwnd);
      return DefWindowProc(hwnd, msg, wParam, lParam);
    case WM_NCDESTROY:
      DestroyState<ComboState>(hwnd);
      return 0;
    default:
      break;
  }
  if (s == nullptr) return DefWindowProc(hwnd, msg, wParam, lParam);
  int count = static_cast<int>(s->items.size());
  bool sorted = (GetWindowLongPtr(hwnd, GWL_STYLE) & CBS_SORT) != 0;
  switch (msg) {
    case WM_CREATE:
      // The window is the selection field; the template height was the list's.
      if (IsDropDown(hwnd)) {
        SetWindowPos(hwnd, nullptr, 0, 0, reinterpret_cast<const CREATESTRUCT*>(lParam)->cx,
                     FieldHeight(hwnd), SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW);
      }
      return 0;
    case WM_DESTROY:
      if (s->list != nullptr) {
        HWND list = s->list;
        s->list = nullptr;
        DestroyWindow(list);
      }
      return 0;
    case CB_ADDSTRING:
      Repaint(hwnd);
      return InsertAt(*s, -1, reinterpret_cast<LPCWSTR>(lParam), sorted);
    case CB_INSERTSTRING:
      Repaint(hwnd);
      return InsertAt(*s, static_cast<int>(static_cast<INT_PTR>(wParam)),
                      reinterpret_cast<LPCWSTR>(lParam), false);
    case CB_DELETESTRING: {
      int index = static_cast<int>(wParam);
      if (index < 0 || index >= count) return CB_ERR;
      s->items.erase(s->items.begin() + index);
      s->data.erase(s->data.begin() + index);
      if (s->sel == index) {
        s->sel = -1;
      } else if (s->sel > index) {
        --s->sel;
      }
      Repaint(hwnd);
      return count - 1;
    }
    case CB_RESETCONTENT:
      s->items.clear();
      s->data.clear();
      s->sel = -1;
      Repaint(hwnd);
      return CB_OKAY;
    case CB_GETCOUNT:
      return count;
    case CB_GETCURSEL:
      return s->sel;
    case CB_SETCURSEL: {
      int index = static_cast<int>(static_cast<INT_PTR>(wParam));
      Repaint(hwnd);
      if (index < 0 || index >= count) {
        s->sel = -1;
        return CB_ERR;
      }
      s->sel = index;
      return index;
    }
    case CB_GETLBTEXT:
      return CopyItemText(*s, static_cast<int>(wParam), reinterpret_cast<LPWSTR>(lParam));
    case CB_GETLBTEXTLEN:
      return CopyItemText(*s, static_cast<int>(wParam), nullptr);
    case CB_FINDSTRING:
    case CB_FINDSTRINGEXACT:
      return FindString(*s, static_cast<int>(static_cast<INT_PTR>(wParam)),
                        reinterpret_cast<LPCWSTR>(lParam), msg == CB_FINDSTRINGEXACT);
    case CB_SELECTSTRING: {
      int index = FindString(*s, static_cast<int>(static_cast<INT_PTR>(wParam)),
                             reinterpret_cast<LPCWSTR>(lParam), false);
      if (index != CB_ERR) {
        s->sel = index;
        Repaint(hwnd);
      }
      return index;
    }
    case CB_GETITEMDATA: {
      int index = static_cast<int>(wParam);
      return index < 0 || index >= count ? CB_ERR : s->data[static_cast<std::size_t>(index)];
    }
    case CB_SETITEMDATA: {
      int index = static_cast<int>(wParam);
      if (index < 0 || index >= count) return CB_ERR;
      s->data[static_cast<std::size_t>(index)] = lParam;
      return CB_OKAY;
    }
    case CB_SHOWDROPDOWN:
      if (wParam != FALSE) {
        OpenList(hwnd);
      } else {
        CloseList(hwnd, false);
      }
      return TRUE;
    case CB_GETDROPPEDSTATE:
      return s->list != nullptr ? TRUE : FALSE;
    case CB_GETITEMHEIGHT:
      return ItemHeight(hwnd);
    case CB_GETDROPPEDCONTROLRECT: {
      auto* out = reinterpret_cast<RECT*>(lParam);
      if (out == nullptr) return CB_ERR;
      if (s->list != nullptr) {
        GetWindowRect(s->list, out);
      } else {
        GetWindowRect(hwnd, out);
        out->bottom = out->top + FieldHeight(hwnd) +
                      std::clamp(count, 1, kMaxVisibleItems) * ItemHeight(hwnd) + 2;
      }
      return CB_OKAY;
    }
    case CB_GETTOPINDEX:
      return 0;
    case WM_GETTEXT: {
      auto* buffer = reinterpret_cast<LPWSTR>(lParam);
      int max = static_cast<int>(wParam);
      if (buffer == nullptr || max <= 0) return 0;
      std::u16string text =
          s->sel >= 0 && s->sel < count ? s->items[static_cast<std::size_t>(s->sel)] : u"";
      int n = std::min(static_cast<int>(text.size()), max - 1);
      std::copy_n(text.begin(), n, buffer);
      buffer[n] = 0;
      return n;
    }
    case WM_GETTEXTLENGTH:
      return s->sel >= 0 && s->sel < count
                 ? static_cast<LRESULT>(s->items[static_cast<std::size_t>(s->sel)].size())
                 : 0;
    case WM_LBUTTONDOWN:
      SetFocus(hwnd);
      s = StateOf<ComboState>(hwnd);
      if (s == nullptr) return 0;
      if (s->list != nullptr) {
        CloseList(hwnd, false);
      } else {
        OpenList(hwnd);
      }
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_F4) {
        if (s->list != nullptr) {
          CloseList(hwnd, false);
        } else {
          OpenList(hwnd);
        }
      } else if (s->list != nullptr) {
        ListState* ls = StateOf<ListState>(s->list);
        if (wParam == VK_RETURN && ls != nullptr) {
          UserSelect(hwnd, ls->hot);
        } else if (wParam == VK_ESCAPE) {
          CloseList(hwnd, false);
        } else if (ls != nullptr && (wParam == VK_DOWN || wParam == VK_UP)) {
          ls->hot = std::clamp(ls->hot + (wParam == VK_DOWN ? 1 : -1), 0, std::max(count - 1, 0));
          Repaint(s->list);
        }
      } else if ((wParam == VK_DOWN || wParam == VK_UP) && count > 0) {
        int next = s->sel < 0 ? 0 : std::clamp(s->sel + (wParam == VK_DOWN ? 1 : -1), 0, count - 1);
        if (next != s->sel) {
          s->sel = next;
          Repaint(hwnd);
          NotifyCommand(hwnd, CBN_SELCHANGE);
        }
      }
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS |
             (s->list != nullptr ? DLGC_WANTALLKEYS : static_cast<LRESULT>(0));
    case WM_SETFOCUS:
      Repaint(hwnd);
      NotifyCommand(hwnd, CBN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      CloseList(hwnd, false);
      Repaint(hwnd);
      NotifyCommand(hwnd, CBN_KILLFOCUS);
      return 0;
    case WM_ENABLE:
      if (wParam == FALSE) CloseList(hwnd, false);
      Repaint(hwnd);
      return 0;
    default:
      return DefWindowProc(hwnd, msg, wParam, lParam);
  }
}

int ListItemAt(HWND list, const ListState& ls, LPARAM lParam) {
  if (!PointInClient(list, lParam)) return -1;
  ComboState* cs = StateOf<ComboState>(ls.combo);
  if (cs == nullptr) return -1;
  int index = ls.top + (GET_Y_LPARAM(lParam) - 1) / ItemHeight(list);
  return index >= 0 && index < static_cast<int>(cs->items.size()) ? index : -1;
}

LRESULT ListProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  ListState* ls = StateOf<ListState>(hwnd);
  switch (msg) {
    case WM_NCCREATE: {
      CreateState<ListState>(hwnd);
      auto* cs = reinterpret_cast<const CREATESTRUCT*>(lParam);
      if (ListState* created = StateOf<ListState>(hwnd)) {
        created->combo = static_cast<HWND>(cs->lpCreateParams);
      }
      return DefWindowProc(hwnd, msg, wParam, lParam);
    }
    case WM_NCDESTROY:
      DestroyState<ListState>(hwnd);
      return 0;
    default:
      break;
  }
  if (ls == nullptr) return DefWindowProc(hwnd, msg, wParam, lParam);
  ComboState* cs = IsWindow(ls->combo) ? StateOf<ComboState>(ls->combo) : nullptr;
  int count = cs != nullptr ? static_cast<int>(cs->items.size()) : 0;
  switch (msg) {
    case WM_LBUTTONDOWN:
      if (!PointInClient(hwnd, lParam)) {
        CloseList(ls->combo, false);
        return 0;
      }
      ls->tracking = true;
      ls->hot = ListItemAt(hwnd, *ls, lParam);
      Repaint(hwnd);
      return 0;
    case WM_MOUSEMOVE: {
      int item = ListItemAt(hwnd, *ls, lParam);
      if (item >= 0 && item != ls->hot) {
        ls->hot = item;
        Repaint(hwnd);
      }
      return 0;
    }
    case WM_LBUTTONUP: {
      if (!ls->tracking) return 0;  // the release of the click that opened the list
      ls->tracking = false;
      int item = ListItemAt(hwnd, *ls, lParam);
      if (item >= 0) UserSelect(ls->combo, item);
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != hwnd && cs != nullptr && cs->list == hwnd) {
        CloseList(ls->combo, false);
      }
      return 0;
    case LB_GETCOUNT:
      return count;
    case LB_GETTEXT:
      return cs == nullptr
                 ? LB_ERR
                 : CopyItemText(*cs, static_cast<int>(wParam), reinterpret_cast<LPWSTR>(lParam));
    case LB_GETTEXTLEN:
      return cs == nullptr ? LB_ERR : CopyItemText(*cs, static_cast<int>(wParam), nullptr);
    case LB_GETCURSEL:
      return ls->hot;
    case LB_GETTOPINDEX:
      return ls->top;
    case LB_GETITEMHEIGHT:
      return ItemHeight(hwnd);
    case LB_GETITEMRECT: {
      auto* out = reinterpret_cast<RECT*>(lParam);
      int index = static_cast<int>(wParam);
      if (out == nullptr || index < 0 || index >= count) return LB_ERR;
      RECT client;
      GetClientRect(hwnd, &client);
      int y = 1 + (index - ls->top) * ItemHeight(hwnd);
      *out = RECT{1, y, client.right - 1, y + ItemHeight(hwnd)};
      return TRUE;
    }
    case LB_ITEMFROMPOINT: {
      int item = ListItemAt(hwnd, *ls, lParam);
      return item < 0 ? static_cast<LRESULT>(MAKELONG(0, 1)) : item;
    }
    default:
      return DefWindowProc(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

void RegisterComboBoxClasses() {
  RegisterControlClass(WC_COMBOBOX, &ComboProc);
  RegisterControlClass(WC_COMBOLBOX, &ListProc);
}

}  // namespace platform::controls

namespace platform {

HWND ComboListWindow(HWND combo) {
  if (!controls::IsClass(combo, WC_COMBOBOX)) return nullptr;
  auto* s = controls::StateOf<controls::ComboState>(combo);
  return s == nullptr ? nullptr : s->list;
}

}  // namespace platform
