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

bool HasItem(const ComboState& s, int index) {
  return index >= 0 && index < static_cast<int>(s.items.size());
}

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
  if (HasItem(*s, index)) s->sel = index;
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
  if (!HasItem(s, index)) return CB_ERR;
  const std::u16string& item = s.items[static_cast<std::size_t>(index)];
  if (buffer != nullptr) {
    std::copy(item.begin(), item.end(), buffer);
    buffer[item.size()] = 0;
  }
  return static_cast<LRESULT>(item.size());
}

// The text of the selection field: the selected entry, else empty.
std::u16string_view SelectedText(const ComboState& s) {
  return HasItem(s, s.sel) ? std::u16string_view(s.items[static_cast<std::size_t>(s.sel)])
                           : std::u16string_view();
}

void ToggleList(HWND combo, const ComboState& s) {
  if (s.list != nullptr) {
    CloseList(combo, false);
  } else {
    OpenList(combo);
  }
}

// One handler per message of the combo box.

// The window is the selection field; the template height was the list's.
LRESULT Create(HWND hwnd, const CREATESTRUCT& cs) {
  if (IsDropDown(hwnd)) {
    SetWindowPos(hwnd, nullptr, 0, 0, cs.cx, FieldHeight(hwnd),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW);
  }
  return 0;
}

LRESULT Destroy(ComboState& s) {
  if (s.list != nullptr) {
    HWND list = s.list;
    s.list = nullptr;
    DestroyWindow(list);
  }
  return 0;
}

LRESULT AddString(HWND hwnd, ComboState& s, LPCWSTR text) {
  Repaint(hwnd);
  return InsertAt(s, -1, text, (GetWindowLongPtr(hwnd, GWL_STYLE) & CBS_SORT) != 0);
}

LRESULT InsertString(HWND hwnd, ComboState& s, int index, LPCWSTR text) {
  Repaint(hwnd);
  return InsertAt(s, index, text, false);
}

LRESULT DeleteString(HWND hwnd, ComboState& s, int index) {
  if (!HasItem(s, index)) return CB_ERR;
  s.items.erase(s.items.begin() + index);
  s.data.erase(s.data.begin() + index);
  if (s.sel == index) {
    s.sel = -1;
  } else if (s.sel > index) {
    --s.sel;
  }
  Repaint(hwnd);
  return static_cast<LRESULT>(s.items.size());
}

LRESULT ResetContent(HWND hwnd, ComboState& s) {
  s.items.clear();
  s.data.clear();
  s.sel = -1;
  Repaint(hwnd);
  return CB_OKAY;
}

LRESULT SetCurSel(HWND hwnd, ComboState& s, int index) {
  Repaint(hwnd);
  if (!HasItem(s, index)) {
    s.sel = -1;
    return CB_ERR;
  }
  s.sel = index;
  return index;
}

LRESULT SelectString(HWND hwnd, ComboState& s, int after, LPCWSTR text) {
  int index = FindString(s, after, text, false);
  if (index != CB_ERR) {
    s.sel = index;
    Repaint(hwnd);
  }
  return index;
}

LRESULT GetItemData(const ComboState& s, int index) {
  return HasItem(s, index) ? s.data[static_cast<std::size_t>(index)] : CB_ERR;
}

LRESULT SetItemData(ComboState& s, int index, LPARAM value) {
  if (!HasItem(s, index)) return CB_ERR;
  s.data[static_cast<std::size_t>(index)] = value;
  return CB_OKAY;
}

LRESULT ShowDropDown(HWND hwnd, BOOL show) {
  if (show != FALSE) {
    OpenList(hwnd);
  } else {
    CloseList(hwnd, false);
  }
  return TRUE;
}

// Screen rectangle of the open list, or of the field and the list it would open.
LRESULT GetDroppedControlRect(HWND hwnd, const ComboState& s, RECT* out) {
  if (out == nullptr) return CB_ERR;
  if (s.list != nullptr) {
    GetWindowRect(s.list, out);
  } else {
    GetWindowRect(hwnd, out);
    int rows = std::clamp(static_cast<int>(s.items.size()), 1, kMaxVisibleItems);
    out->bottom = out->top + FieldHeight(hwnd) + rows * ItemHeight(hwnd) + 2;
  }
  return CB_OKAY;
}

LRESULT ButtonDown(HWND hwnd) {
  SetFocus(hwnd);
  if (ComboState* s = StateOf<ComboState>(hwnd)) ToggleList(hwnd, *s);
  return 0;
}

// F4 opens or closes the list; with the list open the arrows move its
// highlight, Enter takes it and Escape closes; with it closed the arrows
// select the neighbouring entry at once.
LRESULT KeyDown(HWND hwnd, ComboState& s, WPARAM key) {
  const int count = static_cast<int>(s.items.size());
  if (key == VK_F4) {
    ToggleList(hwnd, s);
  } else if (s.list != nullptr) {
    ListState* ls = StateOf<ListState>(s.list);
    if (key == VK_RETURN && ls != nullptr) {
      UserSelect(hwnd, ls->hot);
    } else if (key == VK_ESCAPE) {
      CloseList(hwnd, false);
    } else if (ls != nullptr && (key == VK_DOWN || key == VK_UP)) {
      ls->hot = std::clamp(ls->hot + (key == VK_DOWN ? 1 : -1), 0, std::max(count - 1, 0));
      Repaint(s.list);
    }
  } else if ((key == VK_DOWN || key == VK_UP) && count > 0) {
    int next = s.sel < 0 ? 0 : std::clamp(s.sel + (key == VK_DOWN ? 1 : -1), 0, count - 1);
    if (next != s.sel) {
      s.sel = next;
      Repaint(hwnd);
      NotifyCommand(hwnd, CBN_SELCHANGE);
    }
  }
  return 0;
}

LRESULT SetFocusTo(HWND hwnd) {
  Repaint(hwnd);
  NotifyCommand(hwnd, CBN_SETFOCUS);
  return 0;
}

LRESULT KillFocus(HWND hwnd) {
  CloseList(hwnd, false);
  Repaint(hwnd);
  NotifyCommand(hwnd, CBN_KILLFOCUS);
  return 0;
}

LRESULT ComboProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  ComboState* s = ControlStateFor<ComboState>(hwnd, msg, wParam, lParam, result);
  if (s == nullptr) return result;
  const int index = static_cast<int>(static_cast<INT_PTR>(wParam));
  const auto text = reinterpret_cast<LPCWSTR>(lParam);
  switch (msg) {
    case WM_CREATE:
      return Create(hwnd, *reinterpret_cast<const CREATESTRUCT*>(lParam));
    case WM_DESTROY:
      return Destroy(*s);
    case CB_ADDSTRING:
      return AddString(hwnd, *s, text);
    case CB_INSERTSTRING:
      return InsertString(hwnd, *s, index, text);
    case CB_DELETESTRING:
      return DeleteString(hwnd, *s, index);
    case CB_RESETCONTENT:
      return ResetContent(hwnd, *s);
    case CB_GETCOUNT:
      return static_cast<LRESULT>(s->items.size());
    case CB_GETCURSEL:
      return s->sel;
    case CB_SETCURSEL:
      return SetCurSel(hwnd, *s, index);
    case CB_GETLBTEXT:
      return CopyItemText(*s, index, reinterpret_cast<LPWSTR>(lParam));
    case CB_GETLBTEXTLEN:
      return CopyItemText(*s, index, nullptr);
    case CB_FINDSTRING:
    case CB_FINDSTRINGEXACT:
      return FindString(*s, index, text, msg == CB_FINDSTRINGEXACT);
    case CB_SELECTSTRING:
      return SelectString(hwnd, *s, index, text);
    case CB_GETITEMDATA:
      return GetItemData(*s, index);
    case CB_SETITEMDATA:
      return SetItemData(*s, index, lParam);
    case CB_SHOWDROPDOWN:
      return ShowDropDown(hwnd, static_cast<BOOL>(wParam));
    case CB_GETDROPPEDSTATE:
      return s->list != nullptr ? TRUE : FALSE;
    case CB_GETITEMHEIGHT:
      return ItemHeight(hwnd);
    case CB_GETDROPPEDCONTROLRECT:
      return GetDroppedControlRect(hwnd, *s, reinterpret_cast<RECT*>(lParam));
    case CB_GETTOPINDEX:
      return 0;
    case WM_GETTEXT:
      return text::CopyCut(SelectedText(*s), reinterpret_cast<LPWSTR>(lParam),
                           static_cast<int>(wParam));
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(SelectedText(*s).size());
    case WM_LBUTTONDOWN:
      return ButtonDown(hwnd);
    case WM_KEYDOWN:
      return KeyDown(hwnd, *s, wParam);
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS |
             (s->list != nullptr ? DLGC_WANTALLKEYS : static_cast<LRESULT>(0));
    case WM_SETFOCUS:
      return SetFocusTo(hwnd);
    case WM_KILLFOCUS:
      return KillFocus(hwnd);
    case WM_ENABLE:
      if (wParam == FALSE) CloseList(hwnd, false);
      return DefControlProc(hwnd, msg, wParam, lParam);
    default:
      return DefWindowProc(hwnd, msg, wParam, lParam);
  }
}

// The drop-down list.

int ListItemAt(HWND list, const ListState& ls, POINT p) {
  if (!PointInClient(list, p)) return -1;
  ComboState* cs = StateOf<ComboState>(ls.combo);
  if (cs == nullptr) return -1;
  int index = ls.top + (p.y - 1) / ItemHeight(list);
  return HasItem(*cs, index) ? index : -1;
}

// One handler per message of the list.

LRESULT ListCreate(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  CreateState<ListState>(hwnd);
  auto* cs = reinterpret_cast<const CREATESTRUCT*>(lParam);
  if (ListState* created = StateOf<ListState>(hwnd)) {
    created->combo = static_cast<HWND>(cs->lpCreateParams);
  }
  return DefWindowProc(hwnd, msg, wParam, lParam);
}

// A press outside the list closes it; inside, it starts tracking.
LRESULT ListButtonDown(HWND hwnd, ListState& ls, POINT p) {
  if (!PointInClient(hwnd, p)) {
    CloseList(ls.combo, false);
    return 0;
  }
  ls.tracking = true;
  ls.hot = ListItemAt(hwnd, ls, p);
  Repaint(hwnd);
  return 0;
}

LRESULT ListMouseMove(HWND hwnd, ListState& ls, POINT p) {
  int item = ListItemAt(hwnd, ls, p);
  if (item >= 0 && item != ls.hot) {
    ls.hot = item;
    Repaint(hwnd);
  }
  return 0;
}

LRESULT ListButtonUp(HWND hwnd, ListState& ls, POINT p) {
  if (!ls.tracking) return 0;  // the release of the click that opened the list
  ls.tracking = false;
  int item = ListItemAt(hwnd, ls, p);
  if (item >= 0) UserSelect(ls.combo, item);
  return 0;
}

LRESULT ListItemRect(HWND hwnd, const ListState& ls, int count, int index, RECT* out) {
  if (out == nullptr || index < 0 || index >= count) return LB_ERR;
  RECT client;
  GetClientRect(hwnd, &client);
  int y = 1 + (index - ls.top) * ItemHeight(hwnd);
  *out = RECT{1, y, client.right - 1, y + ItemHeight(hwnd)};
  return TRUE;
}

LRESULT ListProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) return ListCreate(hwnd, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) {
    DestroyState<ListState>(hwnd);
    return 0;
  }
  ListState* ls = StateOf<ListState>(hwnd);
  if (ls == nullptr) return DefWindowProc(hwnd, msg, wParam, lParam);
  ComboState* cs = IsWindow(ls->combo) ? StateOf<ComboState>(ls->combo) : nullptr;
  const int count = cs != nullptr ? static_cast<int>(cs->items.size()) : 0;
  const int index = static_cast<int>(wParam);
  switch (msg) {
    case WM_LBUTTONDOWN:
      return ListButtonDown(hwnd, *ls, PointOf(lParam));
    case WM_MOUSEMOVE:
      return ListMouseMove(hwnd, *ls, PointOf(lParam));
    case WM_LBUTTONUP:
      return ListButtonUp(hwnd, *ls, PointOf(lParam));
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != hwnd && cs != nullptr && cs->list == hwnd) {
        CloseList(ls->combo, false);
      }
      return 0;
    case LB_GETCOUNT:
      return count;
    case LB_GETTEXT:
      return cs == nullptr ? LB_ERR : CopyItemText(*cs, index, reinterpret_cast<LPWSTR>(lParam));
    case LB_GETTEXTLEN:
      return cs == nullptr ? LB_ERR : CopyItemText(*cs, index, nullptr);
    case LB_GETCURSEL:
      return ls->hot;
    case LB_GETTOPINDEX:
      return ls->top;
    case LB_GETITEMHEIGHT:
      return ItemHeight(hwnd);
    case LB_GETITEMRECT:
      return ListItemRect(hwnd, *ls, count, index, reinterpret_cast<RECT*>(lParam));
    case LB_ITEMFROMPOINT: {
      int item = ListItemAt(hwnd, *ls, PointOf(lParam));
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
  auto* s = controls::StateOfClass<controls::ComboState>(combo, WC_COMBOBOX);
  return s == nullptr ? nullptr : s->list;
}

}  // namespace platform
