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
  UpDownPart pressed = UpDownPart::None;
  bool over = false;
};

bool Horizontal(HWND hwnd) {
  return (GetWindowLongPtr(hwnd, GWL_STYLE) & UDS_HORZ) != 0;
}

int ClampToRange(const UpDownState& s, int v) {
  return std::clamp(v, std::min(s.low, s.high), std::max(s.low, s.high));
}

UpDownPart PartAt(HWND hwnd, POINT p) {
  for (UpDownPart part : {UpDownPart::Up, UpDownPart::Down}) {
    RECT r = platform::UpDownPartRect(hwnd, part);
    if (PtInRect(&r, p)) return part;
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

// One handler per message.

LRESULT SetRange(HWND hwnd, UpDownState& s, int low, int high) {
  s.low = low;
  s.high = high;
  Repaint(hwnd);
  return 0;
}

LRESULT GetRange(const UpDownState& s) {
  return static_cast<LRESULT>(MAKELONG(static_cast<WORD>(s.high), static_cast<WORD>(s.low)));
}

LRESULT GetRange32(const UpDownState& s, int* low, int* high) {
  if (low != nullptr) *low = s.low;
  if (high != nullptr) *high = s.high;
  return 0;
}

LRESULT SetPos(HWND hwnd, UpDownState& s, int requested) {
  int old = ClampToRange(s, s.pos);
  s.pos = ClampToRange(s, requested);
  Repaint(hwnd);
  return old;
}

// There is no buddy window to read the position from, so the control reports
// an error along with its own position, as it does without UDS_SETBUDDYINT.
LRESULT GetPos(const UpDownState& s) {
  return static_cast<LRESULT>(MAKELONG(static_cast<WORD>(s.pos), 1));
}

LRESULT GetPos32(const UpDownState& s, BOOL* error) {
  if (error != nullptr) *error = TRUE;
  return s.pos;
}

LRESULT ButtonDown(HWND hwnd, UpDownState& s, POINT p) {
  UpDownPart part = PartAt(hwnd, p);
  if (part == UpDownPart::None || s.pressed != UpDownPart::None) return 0;
  s.pressed = part;
  s.over = true;
  SetCapture(hwnd);
  SetTimer(hwnd, kRepeatTimer, kFirstRepeatMs, nullptr);
  Step(hwnd, part);
  return 0;
}

LRESULT MouseMove(HWND hwnd, UpDownState& s, POINT p) {
  if (s.pressed == UpDownPart::None) return 0;
  bool over = PartAt(hwnd, p) == s.pressed;
  if (over != s.over) {
    s.over = over;
    Repaint(hwnd);
  }
  return 0;
}

LRESULT RepeatTimer(HWND hwnd, UpDownState& s, UINT_PTR id) {
  if (id != kRepeatTimer || s.pressed == UpDownPart::None) return 0;
  SetTimer(hwnd, kRepeatTimer, kRepeatMs, nullptr);
  if (s.over) Step(hwnd, s.pressed);
  return 0;
}

LRESULT UpDownProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  UpDownState* s = ControlStateFor<UpDownState>(hwnd, msg, wParam, lParam, result);
  if (s == nullptr) return result;
  switch (msg) {
    case UDM_SETRANGE:
      return SetRange(hwnd, *s, static_cast<SHORT>(HIWORD(static_cast<UINT_PTR>(lParam))),
                      static_cast<SHORT>(LOWORD(static_cast<UINT_PTR>(lParam))));
    case UDM_SETRANGE32:
      return SetRange(hwnd, *s, static_cast<int>(wParam), static_cast<int>(lParam));
    case UDM_GETRANGE:
      return GetRange(*s);
    case UDM_GETRANGE32:
      return GetRange32(*s, reinterpret_cast<int*>(wParam), reinterpret_cast<int*>(lParam));
    case UDM_SETPOS:
      return SetPos(hwnd, *s, static_cast<SHORT>(LOWORD(static_cast<UINT_PTR>(lParam))));
    case UDM_SETPOS32:
      return SetPos(hwnd, *s, static_cast<int>(lParam));
    case UDM_GETPOS:
      return GetPos(*s);
    case UDM_GETPOS32:
      return GetPos32(*s, reinterpret_cast<BOOL*>(lParam));
    case WM_LBUTTONDOWN:
      return ButtonDown(hwnd, *s, PointOf(lParam));
    case WM_MOUSEMOVE:
      return MouseMove(hwnd, *s, PointOf(lParam));
    case WM_TIMER:
      return RepeatTimer(hwnd, *s, wParam);
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
