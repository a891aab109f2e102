// Messages: sending, the posted-message queue, WM_QUIT, timers on the
// platform clock, the wait for input through the host's input source, and
// input injection.
#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/text/text.h"
#include "platform/window/host.h"
#include "platform/window/internal.h"
#include "platform/window/winuser.h"

using platform::detail::Deliver;
using platform::detail::Find;
using platform::detail::S;

namespace {

class RealClock : public platform::Clock {
 public:
  std::uint64_t NowMs() override {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
  }
  void SleepMs(DWORD ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

bool Matches(const MSG& m, HWND hwnd, UINT filterMin, UINT filterMax) {
  if (hwnd != nullptr && m.hwnd != hwnd && !IsChild(hwnd, m.hwnd)) return false;
  if (filterMin == 0 && filterMax == 0) return true;
  return m.message >= filterMin && m.message <= filterMax;
}

// Takes (or peeks at) the next message: posted messages first, then WM_QUIT,
// then a due timer.
bool TakeMessage(MSG* out, HWND hwnd, UINT filterMin, UINT filterMax, bool remove,
                 bool wakeToo = true) {
  auto& s = S();
  for (auto it = s.queue.begin(); it != s.queue.end();) {
    if (it->mouseInput) {
      // Mouse input goes to the capture window, else to the window under the point.
      POINT pt = it->msg.pt;
      HWND target = GetCapture();
      if (target == nullptr) target = WindowFromPoint(pt);
      if (target == nullptr) {
        it = s.queue.erase(it);
        continue;
      }
      ScreenToClient(target, &pt);
      it->msg.hwnd = target;
      it->msg.lParam = MAKELPARAM(static_cast<WORD>(pt.x), static_cast<WORD>(pt.y));
      if (!remove) it->mouseInput = false;
    }
    if (!Matches(it->msg, hwnd, filterMin, filterMax)) {
      ++it;
      continue;
    }
    if (out != nullptr) *out = it->msg;
    if (remove) {
      // The key state follows the messages as they are taken, as on Windows.
      if (it->msg.message == WM_KEYDOWN) s.keysDown.insert(static_cast<UINT>(it->msg.wParam));
      if (it->msg.message == WM_KEYUP) s.keysDown.erase(static_cast<UINT>(it->msg.wParam));
      s.queue.erase(it);
    }
    return true;
  }
  if (s.wake && wakeToo) {
    // Set by EndDialog: lets a waiting modal loop see that its dialog ended,
    // even when the host already dispatched everything that was queued.
    if (out != nullptr) *out = MSG{};
    if (remove) s.wake = false;
    return true;
  }
  if (s.quitPosted) {
    if (out != nullptr) {
      *out = MSG{};
      out->message = WM_QUIT;
      out->wParam = static_cast<WPARAM>(s.quitCode);
    }
    if (remove) s.quitPosted = false;
    return true;
  }
  std::uint64_t now = platform::GetClock().NowMs();
  platform::detail::Timer* due = nullptr;
  for (auto& t : s.timers) {
    if (t.due > now) continue;
    MSG probe{t.hwnd, WM_TIMER, t.id, 0, 0, {}};
    if (!Matches(probe, hwnd, filterMin, filterMax)) continue;
    if (due == nullptr || t.due < due->due) due = &t;
  }
  if (due == nullptr) return false;
  if (out != nullptr) {
    *out = MSG{};
    out->hwnd = due->hwnd;
    out->message = WM_TIMER;
    out->wParam = due->id;
    out->lParam = reinterpret_cast<LPARAM>(due->proc);
    out->time = static_cast<DWORD>(now);
  }
  if (remove) due->due = now + std::max<UINT>(due->elapse, 1);
  return true;
}

std::optional<DWORD> NextTimerDelay() {
  auto& s = S();
  if (s.timers.empty()) return std::nullopt;
  std::uint64_t now = platform::GetClock().NowMs();
  std::uint64_t first = s.timers.front().due;
  for (const auto& t : s.timers) first = std::min(first, t.due);
  return static_cast<DWORD>(first > now ? first - now : 0);
}

HWND PostInput(HWND target, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (target == nullptr) return nullptr;
  PostMessage(target, msg, wParam, lParam);
  return target;
}

// Queues mouse input at a screen point; returns the window under it now.
HWND PostMouse(POINT screenPt, UINT msg, WPARAM wParam) {
  MSG m;
  m.message = msg;
  m.wParam = wParam;
  m.pt = screenPt;
  m.time = static_cast<DWORD>(platform::GetClock().NowMs());
  S().queue.push_back(platform::detail::QueuedMessage{m, true});
  HWND capture = GetCapture();
  return capture != nullptr ? capture : WindowFromPoint(screenPt);
}

HWND KeyTarget() {
  HWND focus = GetFocus();
  return focus != nullptr ? focus : GetActiveWindow();
}

}  // namespace

namespace platform::detail {
void RepostQuit(int code) {
  S().quitPosted = true;
  S().quitCode = code;
}
}  // namespace platform::detail

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return Deliver(hwnd, msg, wParam, lParam);
}

LRESULT SendDlgItemMessage(HWND dialog, int id, UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND item = GetDlgItem(dialog, id);
  return item == nullptr ? 0 : SendMessage(item, msg, wParam, lParam);
}

BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (hwnd != nullptr && Find(hwnd) == nullptr) return FALSE;
  MSG m;
  m.hwnd = hwnd;
  m.message = msg;
  m.wParam = wParam;
  m.lParam = lParam;
  m.time = static_cast<DWORD>(platform::GetClock().NowMs());
  S().queue.push_back(platform::detail::QueuedMessage{m, false});
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  platform::TraceEvent event;
  event.kind = platform::TraceEvent::Kind::Quit;
  event.exitCode = exitCode;
  platform::Trace(event);
  platform::detail::RepostQuit(exitCode);
}

BOOL GetMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax) {
  for (;;) {
    if (TakeMessage(msg, hwnd, filterMin, filterMax, true)) {
      return msg->message == WM_QUIT ? FALSE : TRUE;
    }
    platform::CallBeforeWaitHook();
    if (TakeMessage(msg, hwnd, filterMin, filterMax, true)) {
      return msg->message == WM_QUIT ? FALSE : TRUE;
    }
    std::optional<DWORD> delay = NextTimerDelay();
    platform::InputSource* input = S().input;
    bool more = input != nullptr && input->WaitForInput(delay);
    if (!more) {
      if (!delay) return -1;
      if (*delay > 0) platform::GetClock().SleepMs(*delay);
    }
  }
}

BOOL PeekMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags) {
  return TakeMessage(msg, hwnd, filterMin, filterMax, (removeFlags & PM_REMOVE) != 0) ? TRUE
                                                                                      : FALSE;
}

BOOL TranslateMessage(const MSG*) {
  return FALSE;
}

LRESULT DispatchMessage(const MSG* msg) {
  if (msg == nullptr || msg->hwnd == nullptr) return 0;
  if (msg->message == WM_TIMER && msg->lParam != 0) {
    auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
    proc(msg->hwnd, WM_TIMER, msg->wParam, static_cast<DWORD>(platform::GetClock().NowMs()));
    return 0;
  }
  return Deliver(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc) {
  if (hwnd != nullptr && Find(hwnd) == nullptr) return 0;
  auto& timers = S().timers;
  std::uint64_t due = platform::GetClock().NowMs() + std::max<UINT>(elapseMs, 1);
  for (auto& t : timers) {
    if (t.hwnd == hwnd && t.id == id) {
      t.elapse = elapseMs;
      t.due = due;
      t.proc = proc;
      return id == 0 ? 1 : id;
    }
  }
  timers.push_back(platform::detail::Timer{hwnd, id, elapseMs, due, proc});
  return id == 0 ? 1 : id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
  auto& timers = S().timers;
  auto before = timers.size();
  std::erase_if(timers,
                [&](const platform::detail::Timer& t) { return t.hwnd == hwnd && t.id == id; });
  return timers.size() != before ? TRUE : FALSE;
}

DWORD GetTickCount() {
  return static_cast<DWORD>(platform::GetClock().NowMs());
}

void Sleep(DWORD ms) {
  platform::TraceEvent event;
  event.kind = platform::TraceEvent::Kind::Sleep;
  event.ms = ms;
  platform::Trace(event);
  platform::GetClock().SleepMs(ms);
}

namespace platform {

void SetClock(Clock* clock) {
  detail::S().clock = clock;
}

Clock& GetClock() {
  static RealClock real;
  Clock* c = detail::S().clock;
  return c != nullptr ? *c : real;
}

void SetInputSource(InputSource* source) {
  detail::S().input = source;
}
InputSource* GetInputSource() {
  return detail::S().input;
}

HWND InjectMouseDown(POINT screenPt) {
  detail::S().mouseDown = true;
  return PostMouse(screenPt, WM_LBUTTONDOWN, MK_LBUTTON);
}

HWND InjectMouseMove(POINT screenPt) {
  return PostMouse(screenPt, WM_MOUSEMOVE, detail::S().mouseDown ? MK_LBUTTON : 0);
}

HWND InjectMouseUp(POINT screenPt) {
  detail::S().mouseDown = false;
  return PostMouse(screenPt, WM_LBUTTONUP, 0);
}

HWND InjectKeyDown(UINT vk) {
  return PostInput(KeyTarget(), WM_KEYDOWN, vk, 1);
}

HWND InjectKeyUp(UINT vk) {
  return PostInput(KeyTarget(), WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001u));
}

HWND InjectChar(WCHAR ch) {
  return PostInput(KeyTarget(), WM_CHAR, ch, 1);
}

int ProcessPendingMessages() {
  int count = 0;
  MSG m;
  // The wake-up of a modal loop is left for that loop.
  while (TakeMessage(&m, nullptr, 0, 0, true, false)) {
    if (m.message == WM_QUIT) {
      detail::RepostQuit(static_cast<int>(m.wParam));
      break;
    }
    ++count;
    HWND top = detail::TopLevelOf(m.hwnd);
    detail::Window* tw = detail::Find(top);
    if (tw != nullptr && platform::text::EqualsFolded(tw->className, WC_DIALOG) &&
        IsDialogMessage(top, &m)) {
      continue;
    }
    TranslateMessage(&m);
    DispatchMessage(&m);
  }
  return count;
}

}  // namespace platform
