// Internal state of the window system, shared by its translation units.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/window/host.h"
#include "platform/window/window_tree.h"
#include "platform/window/winuser.h"

namespace platform::detail {

struct WindowClass {
  std::u16string name;
  WNDCLASS wc;
};

struct Window {
  HWND handle = nullptr;
  std::u16string className;
  WNDPROC proc = nullptr;
  int id = 0;
  std::u16string text;
  DWORD style = 0;
  DWORD exStyle = 0;
  RECT rect;  // parent's client coordinates; screen for top-level windows
  HWND parent = nullptr;
  HWND owner = nullptr;
  std::vector<HWND> children;  // top of the Z order first
  HINSTANCE instance = nullptr;
  LONG_PTR userData = 0;
  std::vector<LONG_PTR> extra;  // cbWndExtra storage
  FontInfo font;
  const DialogTemplate* dialogTemplate = nullptr;
  const DialogItemTemplate* dialogItem = nullptr;
  HICON iconBig = nullptr;
  HICON iconSmall = nullptr;
  bool destroying = false;
  // Dialog manager state
  bool dialogEnded = false;
  INT_PTR dialogResult = 0;
  HWND dialogFocus = nullptr;  // the control that had the focus when it was deactivated
};

struct Timer {
  HWND hwnd = nullptr;
  UINT_PTR id = 0;
  UINT elapse = 0;
  std::uint64_t due = 0;
  TIMERPROC proc = nullptr;
};

// A queued message; injected mouse input finds its window only when it is
// taken from the queue (capture and Z order as they are then).
struct QueuedMessage {
  MSG msg;
  bool mouseInput = false;
};

struct State {
  std::unordered_map<HWND, std::unique_ptr<Window>> windows;
  std::uintptr_t nextHandle = 0x10000;
  std::vector<HWND> topLevel;  // topmost first
  std::vector<WindowClass> classes;
  std::deque<QueuedMessage> queue;
  bool quitPosted = false;
  bool wake = false;  // a modal loop has something to look at (EndDialog)
  int quitCode = 0;
  std::vector<Timer> timers;
  HWND focus = nullptr;
  HWND capture = nullptr;
  HWND active = nullptr;
  bool mouseDown = false;
  std::set<UINT> keysDown;
  SIZE screen{240, 320};
  Clock* clock = nullptr;
  InputSource* input = nullptr;
  PaintListener paint;
  std::function<void()> beforeWait;
  std::function<void(const TraceEvent&)> trace;
  MessageHook messageHook;
  std::function<void(HWND)> createHook;
  std::vector<HWND> messageBoxes;
  ClipboardHook clipboard;
  std::optional<std::u16string> clipboardText;  // without a hook
};

State& S();
Window* Find(HWND hwnd);
// Calls the window procedure (through the message hook).
LRESULT Deliver(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// CreateWindowEx with a setup step run on the new record before any message.
HWND CreateWindowInternal(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x,
                          int y, int cx, int cy, HWND parent, HMENU menuOrId, HINSTANCE instance,
                          LPVOID param, const std::function<void(Window&)>& setup);
// Shows or hides without tracing (SetWindowPos, EndDialog).
void SetVisible(HWND hwnd, bool show);
// Shows and activates a top-level window the platform itself puts up (a
// modal dialog, a message box): not a program's ShowWindow, so not traced.
void ShowInternal(HWND hwnd);
// Makes a top-level window (or none) the active one: the window losing
// activation gets WM_ACTIVATE with WA_INACTIVE, the new one WA_ACTIVE. With
// `moveFocus` the focus then goes to the new window unless it is inside it.
void Activate(HWND hwnd, bool moveFocus);
// The top-level window a window belongs to.
HWND TopLevelOf(HWND hwnd);
// Whether `hwnd` is `root` or one of its descendants.
bool InSubtree(HWND root, HWND hwnd);
WindowClass* FindClass(std::u16string_view name);
// Z order: the list a window sits in (its parent's children or the
// top-level windows), top first.
std::vector<HWND>& SiblingList(Window& w);
void RemoveFromSiblings(Window& w);
// Top of its siblings (below topmost top-level windows unless it is topmost
// itself), or the bottom.
void PlaceOnTop(Window& w);
void PlaceAtBottom(Window& w);
// A modal dialog or message box that ended gives the activation back to its
// owner (whose dialog manager then restores its focus).
void ReturnActivation(HWND ended, HWND owner);
// Runs a modal loop until the dialog ends; returns its result (-1 when the
// loop was abandoned or WM_QUIT arrived, which is posted again).
INT_PTR RunModalLoop(HWND dialog);
void RepostQuit(int code);
void EnsureSystemClasses();
std::u16string FromCString(LPCWSTR s);

}  // namespace platform::detail
