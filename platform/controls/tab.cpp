// SysTabControl32: one row of tabs along the top. The first inserted tab is
// selected; a click on another tab sends TCN_SELCHANGING (a non-zero result
// keeps the selection), selects it and sends TCN_SELCHANGE.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/controls/internal.h"

namespace platform::controls {
namespace {

constexpr int kMargin = 2;       // space before the first tab and around the display area
constexpr int kMaxPadding = 12;  // text padding on each side of a label, at most

struct TabItem {
  std::u16string text;
  int image = -1;
  LPARAM param = 0;
};

struct TabState {
  std::vector<TabItem> items;
  int sel = -1;
};

bool HasItem(const TabState& s, int index) {
  return index >= 0 && index < static_cast<int>(s.items.size());
}

int RowHeight(HWND hwnd) {
  return platform::WindowFont(hwnd).height + 5;
}

// The tabs' rectangles in client coordinates: one row along the top, each
// label padded evenly. The one layout behind painting (TCM_GETITEMRECT) and
// hit testing.
std::vector<RECT> Layout(HWND hwnd, const TabState& s) {
  std::vector<RECT> rects;
  if (s.items.empty()) return rects;
  RECT client;
  GetClientRect(hwnd, &client);
  int fontHeight = platform::WindowFont(hwnd).height;
  int total = 0;
  for (const TabItem& item : s.items) total += platform::TextWidth(item.text, fontHeight);
  int count = static_cast<int>(s.items.size());
  int room = client.right - 2 * kMargin - total;
  int padding = std::clamp(room / (2 * count), 0, kMaxPadding);
  // Pixels left over in a tight row widen the first tabs by one each.
  int extra = padding < kMaxPadding ? std::clamp(room - 2 * count * padding, 0, count) : 0;
  int x = kMargin;
  int height = RowHeight(hwnd);
  for (const TabItem& item : s.items) {
    int width = platform::TextWidth(item.text, fontHeight) + 2 * padding + (extra-- > 0 ? 1 : 0);
    rects.push_back(RECT{x, 0, x + width, height});
    x += width;
  }
  return rects;
}

// The tab under a point of the client area, or -1.
int ItemAt(HWND hwnd, const TabState& s, POINT p) {
  std::vector<RECT> rects = Layout(hwnd, s);
  for (std::size_t i = 0; i < rects.size(); ++i) {
    if (PtInRect(&rects[i], p)) return static_cast<int>(i);
  }
  return -1;
}

// Selects `index` as a user action would, with the two notifications.
void SelectByUser(HWND hwnd, int index) {
  TabState* s = StateOf<TabState>(hwnd);
  if (s == nullptr || !HasItem(*s, index) || index == s->sel) return;
  NMHDR nm;
  if (NotifyParent(hwnd, &nm, TCN_SELCHANGING) != 0) return;
  s = StateOf<TabState>(hwnd);
  if (s == nullptr || index >= static_cast<int>(s->items.size())) return;
  s->sel = index;
  Repaint(hwnd);
  NMHDR changed;
  NotifyParent(hwnd, &changed, TCN_SELCHANGE);
}

void CopyItem(const TabItem& item, TCITEM* out) {
  if ((out->mask & TCIF_TEXT) != 0) text::CopyCut(item.text, out->pszText, out->cchTextMax);
  if ((out->mask & TCIF_IMAGE) != 0) out->iImage = item.image;
  if ((out->mask & TCIF_PARAM) != 0) out->lParam = item.param;
}

void ApplyItem(const TCITEM& in, TabItem& item) {
  if ((in.mask & TCIF_TEXT) != 0) {
    item.text = in.pszText != nullptr ? std::u16string(in.pszText) : std::u16string();
  }
  if ((in.mask & TCIF_IMAGE) != 0) item.image = in.iImage;
  if ((in.mask & TCIF_PARAM) != 0) item.param = in.lParam;
}

// One handler per message.

LRESULT InsertItem(HWND hwnd, TabState& s, int index, const TCITEM* in) {
  if (in == nullptr || index < 0) return -1;
  index = std::min(index, static_cast<int>(s.items.size()));
  TabItem item;
  ApplyItem(*in, item);
  s.items.insert(s.items.begin() + index, item);
  if (s.sel < 0) {
    s.sel = 0;
  } else if (index <= s.sel) {
    ++s.sel;
  }
  Repaint(hwnd);
  return index;
}

LRESULT SetItem(HWND hwnd, TabState& s, int index, const TCITEM* in) {
  if (in == nullptr || !HasItem(s, index)) return FALSE;
  ApplyItem(*in, s.items[static_cast<std::size_t>(index)]);
  Repaint(hwnd);
  return TRUE;
}

LRESULT GetItem(const TabState& s, int index, TCITEM* out) {
  if (out == nullptr || !HasItem(s, index)) return FALSE;
  CopyItem(s.items[static_cast<std::size_t>(index)], out);
  return TRUE;
}

LRESULT DeleteItem(HWND hwnd, TabState& s, int index) {
  if (!HasItem(s, index)) return FALSE;
  s.items.erase(s.items.begin() + index);
  if (index < s.sel) {
    --s.sel;
  } else if (index == s.sel) {
    s.sel = -1;
  }
  Repaint(hwnd);
  return TRUE;
}

LRESULT DeleteAllItems(HWND hwnd, TabState& s) {
  s.items.clear();
  s.sel = -1;
  Repaint(hwnd);
  return TRUE;
}

// No notification. A negative index clears the selection; one past the last
// tab changes nothing. Returns the previous selection, or -1.
LRESULT SetCurSel(HWND hwnd, TabState& s, int index) {
  if (index >= static_cast<int>(s.items.size())) return -1;
  int old = s.sel;
  s.sel = index < 0 ? -1 : index;
  Repaint(hwnd);
  return old;
}

LRESULT GetItemRect(HWND hwnd, const TabState& s, int index, RECT* out) {
  if (out == nullptr || !HasItem(s, index)) return FALSE;
  *out = Layout(hwnd, s)[static_cast<std::size_t>(index)];
  return TRUE;
}

LRESULT HitTestItems(HWND hwnd, const TabState& s, TCHITTESTINFO* info) {
  if (info == nullptr) return -1;
  int index = ItemAt(hwnd, s, info->pt);
  info->flags = index < 0 ? TCHT_NOWHERE : TCHT_ONITEMLABEL;
  return index;
}

LRESULT AdjustRect(HWND hwnd, BOOL larger, RECT* r) {
  if (r == nullptr) return 0;
  int top = RowHeight(hwnd) + kMargin;
  if (larger != FALSE) {
    r->left -= kMargin;
    r->right += kMargin;
    r->top -= top;
    r->bottom += kMargin;
  } else {
    r->left += kMargin;
    r->right -= kMargin;
    r->top += top;
    r->bottom -= kMargin;
  }
  return 0;
}

LRESULT KeyDown(HWND hwnd, const TabState& s, WPARAM key) {
  if (key == VK_LEFT && s.sel > 0) SelectByUser(hwnd, s.sel - 1);
  if (key == VK_RIGHT && s.sel + 1 < static_cast<int>(s.items.size())) {
    SelectByUser(hwnd, s.sel + 1);
  }
  return 0;
}

LRESULT TabProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  TabState* s = ControlStateFor<TabState>(hwnd, msg, wParam, lParam, result);
  if (s == nullptr) return result;
  const int index = static_cast<int>(wParam);
  switch (msg) {
    case TCM_INSERTITEM:
      return InsertItem(hwnd, *s, index, reinterpret_cast<const TCITEM*>(lParam));
    case TCM_SETITEM:
      return SetItem(hwnd, *s, index, reinterpret_cast<const TCITEM*>(lParam));
    case TCM_GETITEM:
      return GetItem(*s, index, reinterpret_cast<TCITEM*>(lParam));
    case TCM_DELETEITEM:
      return DeleteItem(hwnd, *s, index);
    case TCM_DELETEALLITEMS:
      return DeleteAllItems(hwnd, *s);
    case TCM_GETITEMCOUNT:
      return static_cast<LRESULT>(s->items.size());
    case TCM_GETCURSEL:
    case TCM_GETCURFOCUS:
      return s->sel;
    case TCM_SETCURSEL:
      return SetCurSel(hwnd, *s, index);
    case TCM_SETCURFOCUS:
      SelectByUser(hwnd, index);
      return 0;
    case TCM_GETITEMRECT:
      return GetItemRect(hwnd, *s, index, reinterpret_cast<RECT*>(lParam));
    case TCM_HITTEST:
      return HitTestItems(hwnd, *s, reinterpret_cast<TCHITTESTINFO*>(lParam));
    case TCM_ADJUSTRECT:
      return AdjustRect(hwnd, static_cast<BOOL>(wParam), reinterpret_cast<RECT*>(lParam));
    case TCM_GETROWCOUNT:
      return 1;
    case WM_LBUTTONDOWN:
      SelectByUser(hwnd, ItemAt(hwnd, *s, PointOf(lParam)));
      return 0;
    case WM_KEYDOWN:
      return KeyDown(hwnd, *s, wParam);
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    default:
      return DefControlProc(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

void RegisterTabClass() {
  RegisterControlClass(WC_TABCONTROL, &TabProc);
}

}  // namespace platform::controls
