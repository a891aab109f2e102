// A test device: the window system reset, the program's resources, an
// in-memory registry filled from .reg text, a manual clock, and the tool run
// through its real entry point with scripted input. Steps run one at a time
// whenever the tool waits for input (also inside message boxes); when they
// are used up, an open message box gets OK and then the dialog is closed with
// the navigation bar's OK.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/registry.h"
#include "platform/resource.h"
#include "platform/window/host.h"
#include "platform/window/window_tree.h"
#include "platform/wintypes.h"
#include "tests/support/manual_clock.h"

namespace test {

using Step = std::function<void()>;

struct MessageShown {
  std::u16string caption;
  std::u16string text;
};

// One registry call as the tests compare them: "open HKLM \System\GWE",
// "query HKLM \System\GWE Animate", "set HKLM \System\GWE Animate", "close …",
// "create HKLM \Comm\Redir".
using Call = std::string;

// A stored value: its type and bytes.
struct Stored {
  DWORD type = 0;
  std::vector<BYTE> bytes;
  std::optional<std::int32_t> Number() const;
  std::u16string Text() const;
};

class Device {
 public:
  // Fresh window system, resources and registry (from .reg text; an empty
  // text gives an empty registry).
  explicit Device(std::string_view regText = {});
  ~Device();
  Device(const Device&) = delete;
  Device& operator=(const Device&) = delete;

  // Replaces the registry (e.g. with a file-backed one).
  void UseRegistry(std::unique_ptr<platform::registry::Registry> registry);
  // Called with every registry event, after it is recorded (fault injection).
  void OnRegistryEvent(std::function<void(const platform::registry::RegistryEvent&)> hook) {
    onEvent_ = std::move(hook);
  }
  // Gives the program another version record (the block must outlive the run).
  void UseVersionBlock(std::span<const unsigned char> block);

  // Runs the tool (AfxWinMain) with the given steps; returns its exit code.
  int Run(std::vector<Step> steps);

  // --- while running (inside steps) ---
  HWND Main() const;
  // The window of page class `cls` ("CSet1" … "CAbout"), or null.
  HWND Page(std::string_view cls) const;
  HWND Control(std::string_view cls, int id) const;  // cls "main" = the main dialog
  // Mouse clicks at screen points, as a user would.
  void ClickAt(POINT screen);
  void Click(HWND hwnd);
  void Click(std::string_view cls, int id) { Click(Control(cls, id)); }
  void ClickTab(int index);
  void Spin(std::string_view cls, int id, bool up);
  // WM_VSCROLL from up-down `id` to its page, as the control sends it.
  void VScroll(std::string_view cls, int id, int code, int pos);
  // Clicks the edit, selects all and types `text`.
  void Type(std::string_view cls, int id, std::u16string_view text);
  // Presses OK on the open message box.
  void PressMessageOk();

  // --- any time ---
  bool Checked(std::string_view cls, int id) const;
  int ListSelection(std::string_view cls, int id) const;
  std::u16string Text(std::string_view cls, int id) const;
  int UpDownPos(std::string_view cls, int id) const;
  std::pair<int, int> UpDownRange(std::string_view cls, int id) const;
  bool Visible(HWND hwnd) const;
  // The topmost visible page's class name, or empty.
  std::string TopPage() const;

  // Registry content now (read without recording).
  std::optional<Stored> Value(HKEY root, std::u16string_view key, std::u16string_view name) const;
  std::optional<std::int32_t> Number(HKEY root, std::u16string_view key,
                                     std::u16string_view name) const;
  bool KeyExists(HKEY root, std::u16string_view key) const;

  // Recordings.
  const std::vector<platform::registry::RegistryEvent>& RegistryEvents() const { return events_; }
  std::vector<Call> Calls() const;  // registry events as short strings
  void ClearRecordings();
  const std::vector<platform::TraceEvent>& Trace() const { return trace_; }
  const std::vector<MessageShown>& Messages() const { return messages_; }
  std::vector<DWORD> Sleeps() const;
  // Registry calls and platform events in the order they happened:
  // "set HKLM \System\GWE Animate", "show main:1013 0", "show CSet1 1",
  // "progress 3", "sleep 200", "msgbox <text>", "quit".
  const std::vector<std::string>& Timeline() const { return timeline_; }
  // A window named as the timeline names it.
  std::string NameOf(HWND hwnd) const;
  test::ManualClock& Clock() { return clock_; }

 private:
  class Input;
  std::unique_ptr<Input> input_;
  test::ManualClock clock_;
  platform::ResourceModule module_;
  std::vector<platform::registry::RegistryEvent> events_;
  std::vector<platform::TraceEvent> trace_;
  std::vector<MessageShown> messages_;
  std::vector<std::string> timeline_;
  bool recording_ = true;
  std::function<void(const platform::registry::RegistryEvent&)> onEvent_;
};

// Renders a registry root for call strings.
std::string RootName(HKEY root);
// A registry event as a call string.
Call Describe(const platform::registry::RegistryEvent& e);

}  // namespace test
