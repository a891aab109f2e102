// What a host installs in the window system and how it drives it: the clock,
// the emulated screen, the input source and input injection, and the hooks
// (paint listener, before-wait, trace, message recording, window creation).
// Every hook is optional; nothing happens without it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/window/winuser.h"
#include "platform/wintypes.h"

namespace platform {

// ---------------------------------------------------------------------------
// Clock used by Sleep, GetTickCount and timers.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::uint64_t NowMs() = 0;
  virtual void SleepMs(DWORD ms) = 0;
};

// nullptr restores the real (steady) clock. The clock must outlive its use.
void SetClock(Clock* clock);
Clock& GetClock();

// ---------------------------------------------------------------------------
// The emulated screen (default 240 x 320).
void SetScreenSize(int width, int height);
SIZE ScreenSize();
// Swaps width and height (rotation). Sends nothing: the caller notifies.
void RotateScreen();

// ---------------------------------------------------------------------------
// Input source: asked for input when GetMessage finds nothing to do (after the
// before-wait hook). It injects input (below) or waits at most `timeoutMs`
// (the next timer's deadline; nullopt when no timer is pending). Returns
// false when no input will ever come again.
class InputSource {
 public:
  virtual ~InputSource() = default;
  virtual bool WaitForInput(std::optional<DWORD> timeoutMs) = 0;
};
void SetInputSource(InputSource* source);
InputSource* GetInputSource();

// Input injection, as the hardware would deliver it: queued messages.
// Mouse points are in SCREEN coordinates. Each mouse message finds its window
// when it is taken from the queue: the capture window if there is one, else
// the window under the point (WindowFromPoint; dropped when there is none,
// e.g. over the disabled owner of a modal dialog); lParam then holds that
// window's client coordinates. The functions return the window the input
// would reach now.
HWND InjectMouseDown(POINT screenPt);
HWND InjectMouseMove(POINT screenPt);
HWND InjectMouseUp(POINT screenPt);
// Keys go to the focus window (or the active window when none has focus);
// GetKeyState follows the key messages as they are taken from the queue.
HWND InjectKeyDown(UINT vk);
HWND InjectKeyUp(UINT vk);
HWND InjectChar(WCHAR ch);

// Dispatches every queued message (and due timers) without waiting; modal
// dialogs started meanwhile run their own loops. Returns the number
// dispatched. For tests and hosts that drive the system step by step.
int ProcessPendingMessages();

// ---------------------------------------------------------------------------
// Clipboard: the text the edit controls copy, cut and paste. The host backs it
// with the desktop's clipboard; without a hook (or after an empty one) an
// in-process clipboard holds the text for the run.
struct ClipboardHook {
  std::function<std::optional<std::u16string>()> getText;  // nullopt: no text there
  std::function<void(const std::u16string&)> setText;
};
void SetClipboardHook(ClipboardHook hook);
// Called by controls.
std::optional<std::u16string> ClipboardText();
void SetClipboardText(const std::u16string& text);

// ---------------------------------------------------------------------------
// Paint listener: `immediate` is false when the window merely became invalid
// (paint when convenient) and true for UpdateWindow and controls that must be
// seen at once (e.g. the progress bar): paint synchronously then.
using PaintListener = std::function<void(HWND hwnd, bool immediate)>;
void SetPaintListener(PaintListener listener);
// Called by controls and the window core.
void RequestPaint(HWND hwnd, bool immediate);

// Before-wait hook: called before GetMessage waits for input and before a
// message box is shown (the host flushes its registry there).
void SetBeforeWaitHook(std::function<void()> hook);
void CallBeforeWaitHook();

// Trace hook: ordered events for the automation host's trace. Show events
// are the program's ShowWindow calls; windows the platform shows or hides by
// itself (modal dialogs, message boxes, EndDialog) are not reported.
struct TraceEvent {
  enum class Kind { Show, Sleep, Progress, MessageBox, Quit };
  Kind kind = Kind::Show;
  HWND hwnd = nullptr;     // Show: the window; Progress: the bar
  bool visible = false;    // Show: the state asked for
  DWORD ms = 0;            // Sleep
  int pos = 0;             // Progress: the new (clamped) position
  std::u16string caption;  // MessageBox
  std::u16string text;     // MessageBox
  int exitCode = 0;        // Quit
};
void SetTraceHook(std::function<void(const TraceEvent&)> hook);
void Trace(const TraceEvent& event);

// Message hook: sees every message delivered to a window procedure by
// SendMessage or DispatchMessage (not nested CallWindowProc chains).
using MessageHook = std::function<void(HWND, UINT, WPARAM, LPARAM)>;
void SetMessageHook(MessageHook hook);

// One-shot creation hook: called with the next window created, after its
// record exists and before it receives any message (frameworks attach their
// objects there, as a CBT hook would).
void HookNextWindowCreate(std::function<void(HWND)> hook);

// Tears the whole window system down for the next test: destroys every
// window, empties the queue, drops timers, hooks, input source, capture and
// focus, empties the in-process clipboard, restores the real clock and the
// 240 x 320 screen. Window classes stay registered.
void ResetWindowSystem();

}  // namespace platform
