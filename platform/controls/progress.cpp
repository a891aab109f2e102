// msctls_progress32: range, position and step. Setting the position
// repaints at once, so the bar moves while the caller blocks the thread.
#include <algorithm>

#include "platform/controls/internal.h"

namespace platform::controls {
namespace {

struct ProgressState {
  int low = 0;
  int high = 100;
  int pos = 0;
  int step = 10;
};

int Clamp(const ProgressState& s, int v) {
  int lo = std::min(s.low, s.high);
  int hi = std::max(s.low, s.high);
  return std::clamp(v, lo, hi);
}

// Sets the position, reports it and paints at once; returns the previous one.
LRESULT MoveTo(HWND hwnd, ProgressState& s, int pos) {
  int old = s.pos;
  s.pos = Clamp(s, pos);
  platform::TraceEvent event;
  event.kind = platform::TraceEvent::Kind::Progress;
  event.hwnd = hwnd;
  event.pos = s.pos;
  platform::Trace(event);
  platform::RequestPaint(hwnd, true);
  return old;
}

LRESULT SetRange(HWND hwnd, ProgressState& s, int low, int high) {
  LRESULT old = static_cast<LRESULT>(MAKELONG(static_cast<WORD>(s.low), static_cast<WORD>(s.high)));
  s.low = low;
  s.high = high;
  s.pos = Clamp(s, s.pos);
  Repaint(hwnd);
  return old;
}

LRESULT ProgressProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  ProgressState* s = StateOf<ProgressState>(hwnd);
  switch (msg) {
    case WM_NCCREATE:
      CreateState<ProgressState>(hwnd);
      return DefWindowProc(hwnd, msg, wParam, lParam);
    case WM_NCDESTROY:
      DestroyState<ProgressState>(hwnd);
      return 0;
    default:
      break;
  }
  if (s == nullptr) return DefWindowProc(hwnd, msg, wParam, lParam);
  switch (msg) {
    case PBM_SETRANGE:
      return SetRange(hwnd, *s, LOWORD(static_cast<UINT_PTR>(lParam)),
                      HIWORD(static_cast<UINT_PTR>(lParam)));
    case PBM_SETRANGE32:
      return SetRange(hwnd, *s, static_cast<int>(wParam), static_cast<int>(lParam));
    case PBM_SETPOS:
      return MoveTo(hwnd, *s, static_cast<int>(wParam));
    case PBM_DELTAPOS:
      return MoveTo(hwnd, *s, s->pos + static_cast<int>(wParam));
    case PBM_SETSTEP: {
      int old = s->step;
      s->step = static_cast<int>(wParam);
      return old;
    }
    case PBM_STEPIT: {
      int next = s->pos + s->step;
      // Past the end the bar starts over from the beginning.
      if (next > std::max(s->low, s->high)) next = std::min(s->low, s->high);
      return MoveTo(hwnd, *s, next);
    }
    case PBM_GETRANGE: {
      if (auto* range = reinterpret_cast<PBRANGE*>(lParam)) {
        range->iLow = s->low;
        range->iHigh = s->high;
      }
      return wParam != 0 ? s->low : s->high;
    }
    case PBM_GETPOS:
      return s->pos;
    default:
      return DefWindowProc(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

void RegisterProgressClass() {
  RegisterControlClass(PROGRESS_CLASS, &ProgressProc);
}

}  // namespace platform::controls
