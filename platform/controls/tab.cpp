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

int RowHeight(HWND hwnd) {
  return platform::WindowFont(hwnd).height + 5;
}

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

int HitTest(HWND hwnd, const TabState& s, POINT p) {
  std::vector<RECT> rects = Layout(hwnd, s);
  for (std::size_t i = 0; i < rects.size(); ++i) {
    if (PtInRect(&rects[i], p)) return static_cast<int>(i);
  }
  return -1;
}

// Selects `index` as a user action would, with the two notifications.
void SelectByUser(HWND hwnd, int index) {
  TabState* s = StateOf<TabState>(hwnd);
  if (s == nullptr || index < 0 || index >= static_cast<int>(s->items.size()) || index == s->sel) {
    return;
  }
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
  if ((out->mask & TCIF_TEXT) != 0 && out->pszText != nullptr && out->cchTextMax > 0) {
    int n = std::min(static_cast<int>(item.text.size()), out->cchTextMax - 1);
    std::copy_n(item.text.begin(), n, out->pszText);
    out->pszText[n] = 0;
  }
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

LRESULT TabProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  TabState* s = ControlStateFor<TabState>(hwnd, msg, wParam, lParam, result);
  if (s == nullptr) return result;
  int count = static_cast<int>(s->items.size());
  switch (msg) {
    case TCM_INSERTITEM: {
      auto* in = reinterpret_cast<const TCITEM*>(lParam);
      if (in == nullptr || static_cast<int>(wParam) < 0) return -1;
      int index = std::min(static_cast<int>(wParam), count);
      TabItem item;
      ApplyItem(*in, item);
      s->items.insert(s->items.begin() + index, item);
      if (s->sel < 0) {
        s->sel = 0;
      } else if (index <= s->sel) {
        ++s->sel;
      }
      Repaint(hwnd);
      return index;
    }
    case TCM_SETITEM: {
      auto* in = reinterpret_cast<const TCITEM*>(lParam);
      int index = static_cast<int>(wParam);
      if (in == nullptr || index < 0 || index >= count) return FALSE;
      ApplyItem(*in, s->items[static_cast<std::size_t>(index)]);
      Repaint(hwnd);
      return TRUE;
    }
    case TCM_GETITEM: {
      auto* out = reinterpret_cast<TCITEM*>(lParam);
      int index = static_cast<int>(wParam);
      if (out == nullptr || index < 0 || index >= count) return FALSE;
      CopyItem(s->items[static_cast<std::size_t>(index)], out);
      return TRUE;
    }
    case TCM_DELETEITEM: {
      int index = static_cast<int>(wParam);
      if (index < 0 || index >= count) return FALSE;
      s->items.erase(s->items.begin() + index);
      if (index < s->sel) {
        --s->sel;
      } else if (index == s->sel) {
        s->sel = -1;
      }
      Repaint(hwnd);
      return TRUE;
    }
    case TCM_DELETEALLITEMS:
      s->items.clear();
      s->sel = -1;
      Repaint(hwnd);
      return TRUE;
    case TCM_GETITEMCOUNT:
      return count;
    case TCM_GETCURSEL:
      return s->sel;
    case TCM_SETCURSEL: {
      int index = static_cast<int>(wParam);
      if (index < 0 || index >= count) return -1;
      int old = s->sel;
      s->sel = index;
      Repaint(hwnd);
      return old;
    }
    case TCM_GETCURFOCUS:
      return s->sel;
    case TCM_SETCURFOCUS:
      SelectByUser(hwnd, static_cast<int>(wParam));
      return 0;
    case TCM_GETITEMRECT: {
      auto* out = reinterpret_cast<RECT*>(lParam);
      int index = static_cast<int>(wParam);
      if (out == nullptr || index < 0 || index >= count) return FALSE;
      *out = Layout(hwnd, *s)[static_cast<std::size_t>(index)];
      return TRUE;
    }
    case TCM_HITTEST: {
      auto* info = reinterpret_cast<TCHITTESTINFO*>(lParam);
      if (info == nullptr) return -1;
      int index = HitTest(hwnd, *s, info->pt);
      info->flags = index < 0 ? TCHT_NOWHERE : TCHT_ONITEMLABEL;
      return index;
    }
    case TCM_ADJUSTRECT: {
      auto* r = reinterpret_cast<RECT*>(lParam);
      if (r == nullptr) return 0;
      int top = RowHeight(hwnd) + kMargin;
      if (wParam != FALSE) {
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
    case TCM_GETROWCOUNT:
      return 1;
    case WM_LBUTTONDOWN: {
      SelectByUser(hwnd, HitTest(hwnd, *s, PointOf(lParam)));
      return 0;
    }
    case WM_KEYDOWN:
      if (wParam == VK_LEFT && s->sel > 0) SelectByUser(hwnd, s->sel - 1);
      if (wParam == VK_RIGHT && s->sel + 1 < count) SelectByUser(hwnd, s->sel + 1);
      return 0;
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
