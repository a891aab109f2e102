// The host side of the window system: platform hooks (input source, paint
// listener, before-wait, trace, message recording), input injection, the
// emulated screen and clock, window-tree queries for renderers and
// automation, and the data the dialog manager keeps per window.
// Every hook is optional; nothing happens without it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/resource.h"
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

// A clock for tests: time only moves by SleepMs / Advance, never by itself.
class ManualClock : public Clock {
 public:
  std::uint64_t NowMs() override { return now_; }
  void SleepMs(DWORD ms) override {
    now_ += ms;
    slept_ += ms;
  }
  void Advance(std::uint64_t ms) { now_ += ms; }
  std::uint64_t TotalSlept() const { return slept_; }

 private:
  std::uint64_t now_ = 0;
  std::uint64_t slept_ = 0;
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

// Trace hook: ordered events for the automation host's trace.
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
// focus, restores the real clock and the 240 x 320 screen. Window classes
// stay registered.
void ResetWindowSystem();

// ---------------------------------------------------------------------------
// Window tree queries (for renderers and automation).
struct WindowInfo {
  HWND hwnd = nullptr;
  std::u16string className;
  int id = 0;
  std::u16string text;
  DWORD style = 0;
  DWORD exStyle = 0;
  RECT rect;        // in the parent's client coordinates (screen for top-level)
  RECT screenRect;  // screen coordinates
  HWND parent = nullptr;
  HWND owner = nullptr;
  bool visible = false;  // WS_VISIBLE on the window and every ancestor
  bool enabled = false;  // not WS_DISABLED
};
// Top-level windows, topmost first.
std::vector<HWND> TopLevelWindows();
// Children, top of the Z order first.
std::vector<HWND> ChildWindows(HWND parent);
WindowInfo DescribeWindow(HWND hwnd);

// ---------------------------------------------------------------------------
// Fonts and text metrics. No real font is used: every window carries the
// font of its dialog (controls get their dialog's), and text is measured
// with fixed cell widths: full-width characters are `height` wide, the rest
// (ASCII, half-width katakana) height / 2.
struct FontInfo {
  std::u16string face = u"MS Shell Dlg";
  int pointSize = 8;
  int height = 11;  // pixel height of a line
};
FontInfo WindowFont(HWND hwnd);
void SetWindowFont(HWND hwnd, const FontInfo& font);
// Fixed dialog base units of a font (see MapDialogRect).
SIZE DialogBaseUnits(std::u16string_view face, int pointSize);
FontInfo DialogFont(std::u16string_view face, int pointSize);
bool IsFullWidth(char16_t ch);
int TextWidth(std::u16string_view text, int fontHeight);

// ---------------------------------------------------------------------------
// Dialog data reachable from windows.
// The template a dialog window was created from (null otherwise).
const DialogTemplate* DialogTemplateOf(HWND dialog);
// The template item a dialog control was created from (null otherwise); gives
// e.g. the drop-down initialisation strings and the image resource id.
const DialogItemTemplate* DialogItemOf(HWND control);

// Module handles: an instance handle stands for a ResourceModule. A null
// handle, and the handle of ProgramModule().resources, mean the program.
HINSTANCE InstanceOf(const ResourceModule* module);
const ResourceModule* ModuleOf(HINSTANCE instance);

// ---------------------------------------------------------------------------
// Images. The handles keep a copy of the resource's file bytes so that a
// renderer can decode the pixels itself. LoadIcon returns one shared handle
// per module, id and content.
struct IconImage {
  int width = 0;
  int height = 0;
  int bitCount = 0;
  std::span<const unsigned char> bytes;  // this image's data (DIB or PNG) within ImageBytes
};
std::span<const unsigned char> ImageBytes(HBITMAP bitmap);  // whole .bmp file
std::span<const unsigned char> ImageBytes(HICON icon);      // whole .ico file
SIZE ImageSize(HBITMAP bitmap);
SIZE ImageSize(HICON icon);  // the first image of the group
std::vector<IconImage> IconImages(HICON icon);
// Parsers used by the loaders, exposed for checks: nullopt when malformed.
std::optional<SIZE> ParseBitmapSize(std::span<const unsigned char> bytes);
std::optional<std::vector<IconImage>> ParseIconFile(std::span<const unsigned char> bytes);

// ---------------------------------------------------------------------------
// The message box currently shown (topmost), or null.
HWND ActiveMessageBox();
// Control ids inside a message box window.
inline constexpr int kMessageBoxTextId = 0xFFFF;
inline constexpr int kMessageBoxCaptionId = 0xFFFE;

}  // namespace platform
