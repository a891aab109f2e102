// msctls_updown32: range, position and arrow clicks. Created "backwards"
// (minimum 100, maximum 0, position 0). A click steps toward the maximum for
// the up arrow; a position outside the range first goes to the nearest
// limit. The parent gets UDN_DELTAPOS and then always WM_VSCROLL
// SB_THUMBPOSITION (WM_HSCROLL for UDS_HORZ); release sends SB_ENDSCROLL.
// Holding an arrow repeats the step on a timer.
#include <algorithm>

#include "platform/controls/internal.h"

namespace platform::controls {
namespace {

constexpr UINT_PTR kRepeatTimer = 1;
constexpr UINT kFirstRepeatMs = 500;
constexpr UINT kRepeatMs = 100;

struct UpDownState {
  int low = 100;  // the minimum (may exceed the maximum)
  int high = 0;   // the maximum
  int pos = 0;
  int base = 10;
  HWND buddy = nullptr;
  UpDownPart pressed = UpDownPart::None;
  bool over = false;
};

bool Horizontal(HWND hwnd) {
  return (GetWindowLongPtr(hwnd, GWL_STYLE) & UDS_HORZ) != 0;
}

int ClampToRange(const UpDownState& s, int v) {
  return std::clamp(v, std::min(s.low, s.high), std::max(s.low, s.high));
}

UpDownPart PartAt(HWND hwnd, LPARAM lParam) {
  for (UpDownPart part : {UpDownPart::Up, UpDownPart::Down}) {
    RECT r = platform::UpDownPartRect(hwnd, part);
    if (PtInRect(&r, PointOf(lParam))) return part;
  }
  return UpDownPart::None;
}

void SendScroll(HWND hwnd, WORD code, int pos) {
  HWND parent = GetParent(hwnd);
  if (parent == nullptr) return;
  SendMessage(parent, Horizontal(hwnd) ? WM_HSCROLL : WM_VSCROLL,
              MAKEWPARAM(code, static_cast<WORD>(pos)), reinterpret_cast<LPARAM>(hwnd));
}

void Step(HWND hwnd, UpDownPart part) {
  UpDownState* s = StateOf<UpDownState>(hwnd);
  if (s == nullptr || part == UpDownPart::None) return;
  int lo = std::min(s->low, s->high);
  int hi = std::max(s->low, s->high);
  bool towardMax = (part == UpDownPart::Up);
  int delta = (towardMax == (s->high >= s->low)) ? 1 : -1;
  bool wrap = (GetWindowLongPtr(hwnd, GWL_STYLE) & UDS_WRAP) != 0;
  int next;
  if (s->pos < lo) {
    next = lo;
  } else if (s->pos > hi) {
    next = hi;
  } else {
    next = s->pos + delta;
    if (next > hi) next = wrap ? lo : hi;
    if (next < lo) next = wrap ? hi : lo;
  }
  NMUPDOWN nm;
  nm.iPos = s->pos;
  nm.iDelta = next - s->pos;
  int proposed = nm.iDelta;
  LRESULT veto = NotifyParent(hwnd, &nm.hdr, UDN_DELTAPOS);
  s = StateOf<UpDownState>(hwnd);
  if (s == nullptr) return;
  if (veto == 0) {
    s->pos = nm.iDelta == proposed ? next : ClampToRange(*s, s->pos + nm.iDelta);
  }
  Repaint(hwnd);
  SendScroll(hwnd, SB_THUMBPOSITION, s->pos);
}

void EndPress(HWND hwnd, UpDownState& s) {
  if (s.pressed == UpDownPart::None) return;
  s.pressed = UpDownPart::None;
  s.over = false;
  KillTimer(hwnd, kRepeatTimer);
  Repaint(hwnd);
  if (GetCapture() == hwnd) ReleaseCapture();
  if (UpDownState* now = StateOf<UpDownState>(hwnd)) SendScroll(hwnd, SB_ENDSCROLL, now->pos);
}

LRESULT UpDownProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  UpDownState* s = ControlStateFor<UpDownState>(hwnd, msg, wParam, lParam, result);
  if (s == nullptr) return result;
  switch (msg) {
    case UDM_SETRANGE:
      s->high = static_cast<SHORT>(LOWORD(static_cast<UINT_PTR>(lParam)));
      s->low = static_cast<SHORT>(HIWORD(static_cast<UINT_PTR>(lParam)));
      Repaint(hwnd);
      return 0;
    case UDM_SETRANGE32:
      s->low = static_cast<int>(wParam);
      s->high = static_cast<int>(lParam);
      Repaint(hwnd);
      return 0;
    case UDM_GETRANGE:
      return static_cast<LRESULT>(MAKELONG(static_cast<WORD>(s->high), static_cast<WORD>(s->low)));
    case UDM_GETRANGE32:
      if (auto* lo = reinterpret_cast<int*>(wParam)) *lo = s->low;
      if (auto* hi = reinterpret_cast<int*>(lParam)) *hi = s->high;
      return 0;
    case UDM_SETPOS:
    case UDM_SETPOS32: {
      int requested = msg == UDM_SETPOS ? static_cast<SHORT>(LOWORD(static_cast<UINT_PTR>(lParam)))
                                        : static_cast<int>(lParam);
      int old = ClampToRange(*s, s->pos);
      s->pos = ClampToRange(*s, requested);
      Repaint(hwnd);
      return old;
    }
    case UDM_GETPOS:
      return static_cast<LRESULT>(MAKELONG(static_cast<WORD>(s->pos), 0));
    case UDM_GETPOS32:
      if (auto* error = reinterpret_cast<BOOL*>(lParam)) *error = FALSE;
      return s->pos;
    case UDM_SETBUDDY: {
      HWND old = s->buddy;
      s->buddy = reinterpret_cast<HWND>(wParam);
      return reinterpret_cast<LRESULT>(old);
    }
    case UDM_GETBUDDY:
      return reinterpret_cast<LRESULT>(s->buddy);
    case UDM_SETBASE: {
      if (wParam != 10 && wParam != 16) return 0;
      int old = s->base;
      s->base = static_cast<int>(wParam);
      return old;
    }
    case UDM_GETBASE:
      return s->base;
    case WM_LBUTTONDOWN: {
      UpDownPart part = PartAt(hwnd, lParam);
      if (part == UpDownPart::None || s->pressed != UpDownPart::None) return 0;
      s->pressed = part;
      s->over = true;
      SetCapture(hwnd);
      SetTimer(hwnd, kRepeatTimer, kFirstRepeatMs, nullptr);
      Step(hwnd, part);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (s->pressed != UpDownPart::None) {
        bool over = PartAt(hwnd, lParam) == s->pressed;
        if (over != s->over) {
          s->over = over;
          Repaint(hwnd);
        }
      }
      return 0;
    case WM_TIMER:
      if (wParam == kRepeatTimer && s->pressed != UpDownPart::None) {
        SetTimer(hwnd, kRepeatTimer, kRepeatMs, nullptr);
        if (s->over) Step(hwnd, s->pressed);
      }
      return 0;
    case WM_LBUTTONUP:
      EndPress(hwnd, *s);
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != hwnd) EndPress(hwnd, *s);
      return 0;
    case WM_ENABLE:
      if (wParam == FALSE) EndPress(hwnd, *s);
      return DefControlProc(hwnd, msg, wParam, lParam);
    default:
      return DefWindowProc(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

void RegisterUpDownClass() {
  RegisterControlClass(UPDOWN_CLASS, &UpDownProc);
}

}  // namespace platform::controls

namespace platform {

UpDownPart UpDownPressedPart(HWND updown) {
  auto* s = controls::StateOfClass<controls::UpDownState>(updown, UPDOWN_CLASS);
  if (s == nullptr || !s->over) return UpDownPart::None;
  return s->pressed;
}

RECT UpDownPartRect(HWND updown, UpDownPart part) {
  RECT client{};
  if (part == UpDownPart::None || !GetClientRect(updown, &client)) return RECT{};
  bool horizontal = controls::Horizontal(updown);
  if (horizontal) {
    int mid = client.right / 2;
    return part == UpDownPart::Up ? RECT{mid, 0, client.right, client.bottom}
                                  : RECT{0, 0, mid, client.bottom};
  }
  int mid = client.bottom / 2;
  return part == UpDownPart::Up ? RECT{0, 0, client.right, mid}
                                : RECT{0, mid, client.right, client.bottom};
}

}  // namespace platform
