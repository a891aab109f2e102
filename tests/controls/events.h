// Notifications a control sends to its parent, recorded in order with
// their contents decoded at delivery (a pointer in lParam is gone by the time
// the test looks).
#pragma once

#include <ostream>
#include <vector>

#include "tests/window/support.h"

namespace test {

struct Event {
  UINT msg = 0;  // WM_NOTIFY, WM_COMMAND, WM_VSCROLL, WM_HSCROLL
  int code = 0;  // notification or scroll code
  int a = 0;     // WM_NOTIFY UDN_DELTAPOS: iPos; WM_*SCROLL: position; else control id
  int b = 0;     // UDN_DELTAPOS: iDelta
  HWND from = nullptr;
  friend bool operator==(const Event&, const Event&) = default;
};

inline std::ostream& operator<<(std::ostream& os, const Event& e) {
  return os << "{msg 0x" << std::hex << e.msg << std::dec << ", code " << e.code << ", a " << e.a
            << ", b " << e.b << "}";
}

inline Event Notify(int code, int id, HWND from) {
  return Event{WM_NOTIFY, code, id, 0, from};
}
inline Event DeltaPos(int pos, int delta, HWND from) {
  return Event{WM_NOTIFY, static_cast<int>(UDN_DELTAPOS), pos, delta, from};
}
inline Event Command(int code, int id, HWND from) {
  return Event{WM_COMMAND, code, id, 0, from};
}
inline Event Scroll(int code, int pos, HWND from) {
  return Event{WM_VSCROLL, code, pos, 0, from};
}

class EventRecorder {
 public:
  explicit EventRecorder(HWND parent) {
    platform::SetMessageHook([this, parent](HWND h, UINT m, WPARAM w, LPARAM l) {
      if (h != parent) return;
      if (m == WM_NOTIFY) {
        auto* hdr = reinterpret_cast<const NMHDR*>(l);
        Event e{m, static_cast<int>(hdr->code), static_cast<int>(hdr->idFrom), 0, hdr->hwndFrom};
        if (hdr->code == UDN_DELTAPOS) {
          auto* nm = reinterpret_cast<const NMUPDOWN*>(l);
          e.a = nm->iPos;
          e.b = nm->iDelta;
        }
        events.push_back(e);
      } else if (m == WM_COMMAND) {
        events.push_back(Event{m, HIWORD(w), LOWORD(w), 0, reinterpret_cast<HWND>(l)});
      } else if (m == WM_VSCROLL || m == WM_HSCROLL) {
        events.push_back(
            Event{m, LOWORD(w), static_cast<SHORT>(HIWORD(w)), 0, reinterpret_cast<HWND>(l)});
      }
    });
  }
  std::vector<Event> Take() {
    std::vector<Event> out;
    out.swap(events);
    return out;
  }
  std::vector<Event> events;
};

class ControlTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    parent = MakeParent();
  }
  HWND Make(const WCHAR* cls, DWORD style, int id, int x, int y, int cx, int cy,
            const WCHAR* text = u"") {
    return CreateWindowEx(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, cx, cy, parent,
                          reinterpret_cast<HMENU>(static_cast<std::intptr_t>(id)), nullptr,
                          nullptr);
  }
  HWND parent = nullptr;
};

}  // namespace test
