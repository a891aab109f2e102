#include "host/script_host.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "host/screen_state.h"
#include "host/trace.h"
#include "host/window_names.h"
#include "platform/controls/commctrl.h"
#include "platform/window/window_tree.h"
#include "platform/window/winuser.h"
#include "res/resource_ids.h"

namespace host {

namespace {

// At the end of the script the host presses OK until the tool has ended; a
// tool that still waits after this many presses is stuck.
constexpr int kMaxEndOfScriptPresses = 8;
constexpr long kMaxWaitsAfterError = 10000;

POINT Centre(const RECT& r) {
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

HWND FindControl(const ControlRef& ref, int line) {
  HWND parent = nullptr;
  if (ref.window == "main") {
    parent = MainDialog();
    if (parent == nullptr) throw ScriptError(line, "the main dialog is not open");
  } else {
    parent = FindPage(ref.window);
    if (parent == nullptr) throw ScriptError(line, "unknown window \"" + ref.window + "\"");
  }
  HWND control = GetDlgItem(parent, ref.id);
  if (control == nullptr) throw ScriptError(line, "unknown control " + ref.Name());
  return control;
}

void RequireClass(HWND control, const WCHAR* cls, const ControlRef& ref, const char* what,
                  int line) {
  if (platform::DescribeWindow(control).className != cls) {
    throw ScriptError(line, ref.Name() + " is not " + what);
  }
}

// A left click at `pt` (screen coordinates) that must reach `target`, as a
// finger on the screen would: the target must be shown, enabled and on top
// at that point.
void ClickAt(HWND target, POINT pt, const std::string& name, int line) {
  const platform::WindowInfo info = platform::DescribeWindow(target);
  if (!info.visible) throw ScriptError(line, name + " is hidden");
  for (HWND w = target; w != nullptr; w = platform::DescribeWindow(w).parent) {
    if (!IsWindowEnabled(w)) {
      throw ScriptError(line, name + " is disabled" +
                                  (platform::ActiveMessageBox() != nullptr
                                       ? std::string(" (a message box is open)")
                                       : std::string()));
    }
  }
  HWND hit = WindowFromPoint(pt);
  if (hit != target && (hit == nullptr || !IsChild(target, hit))) {
    throw ScriptError(line, name + " is covered by " +
                                (hit != nullptr ? WindowName(hit) : std::string("nothing")));
  }
  platform::InjectMouseDown(pt);
  platform::InjectMouseUp(pt);
}

void ClickCentre(HWND target, const std::string& name, int line) {
  ClickAt(target, Centre(platform::DescribeWindow(target).screenRect), name, line);
}

HWND OpenDropDownList() {
  for (HWND w : platform::TopLevelWindows()) {
    const platform::WindowInfo info = platform::DescribeWindow(w);
    if (info.className == WC_COMBOLBOX && info.visible) return w;
  }
  return nullptr;
}

}  // namespace

ScriptHost::ScriptHost(std::istream& script, std::ostream& out, ErrorHandler onError,
                       Screenshotter screenshot, Exporter exporter)
    : reader_(script),
      out_(out),
      onError_(std::move(onError)),
      screenshot_(std::move(screenshot)),
      export_(std::move(exporter)) {}

void ScriptHost::NoteMessageBox(std::u16string caption, std::u16string text) {
  messages_.push_back({std::move(caption), std::move(text)});
}

bool ScriptHost::RunPendingStep() {
  if (pending_.empty()) return false;
  auto step = std::move(pending_.front());
  pending_.pop_front();
  step();
  return true;
}

bool ScriptHost::Execute(const Command& cmd) {
  const int line = cmd.line;
  switch (cmd.kind) {
    case CommandKind::Tab: {
      HWND main = MainDialog();
      if (main == nullptr) throw ScriptError(line, "the main dialog is not open");
      HWND tab = GetDlgItem(main, res::IDC_TAB);
      const auto count = tab != nullptr ? SendMessage(tab, TCM_GETITEMCOUNT, 0, 0) : 0;
      if (cmd.index >= count) {
        throw ScriptError(line, "tab " + std::to_string(cmd.index) + " does not exist (" +
                                    std::to_string(count) + " tabs)");
      }
      RECT r{};
      SendMessage(tab, TCM_GETITEMRECT, static_cast<WPARAM>(cmd.index),
                  reinterpret_cast<LPARAM>(&r));
      POINT pt = Centre(r);
      ClientToScreen(tab, &pt);
      ClickAt(tab, pt, "tab " + std::to_string(cmd.index), line);
      return true;
    }
    case CommandKind::Click:
      ClickCentre(FindControl(cmd.control, line), cmd.control.Name(), line);
      return true;
    case CommandKind::Spin: {
      HWND spin = FindControl(cmd.control, line);
      RequireClass(spin, UPDOWN_CLASS, cmd.control, "an up-down control", line);
      const platform::WindowInfo info = platform::DescribeWindow(spin);
      const RECT& r = info.screenRect;
      POINT pt = Centre(r);
      const LONG w = r.right - r.left;
      const LONG h = r.bottom - r.top;
      if ((info.style & UDS_HORZ) != 0) {
        pt.x = cmd.up ? r.left + 3 * w / 4 : r.left + w / 4;
      } else {
        pt.y = cmd.up ? r.top + h / 4 : r.top + 3 * h / 4;
      }
      ClickAt(spin, pt, cmd.control.Name() + (cmd.up ? " (up)" : " (down)"), line);
      return true;
    }
    case CommandKind::Select: {
      HWND combo = FindControl(cmd.control, line);
      RequireClass(combo, WC_COMBOBOX, cmd.control, "a drop-down list", line);
      const auto count = SendMessage(combo, CB_GETCOUNT, 0, 0);
      if (cmd.index >= count) {
        throw ScriptError(line, cmd.control.Name() + " has no entry " + std::to_string(cmd.index) +
                                    " (" + std::to_string(count) + " entries)");
      }
      ClickCentre(combo, cmd.control.Name(), line);
      pending_.push_back([name = cmd.control.Name(), index = cmd.index, line] {
        HWND list = OpenDropDownList();
        if (list == nullptr) throw ScriptError(line, "the list of " + name + " did not open");
        RECT r{};
        if (SendMessage(list, LB_GETITEMRECT, static_cast<WPARAM>(index),
                        reinterpret_cast<LPARAM>(&r)) == LB_ERR) {
          throw ScriptError(line, name + " has no entry " + std::to_string(index));
        }
        POINT pt = Centre(r);
        ClientToScreen(list, &pt);
        ClickAt(list, pt, name + " entry " + std::to_string(index), line);
      });
      return true;
    }
    case CommandKind::Type: {
      HWND edit = FindControl(cmd.control, line);
      RequireClass(edit, WC_EDIT, cmd.control, "an edit control", line);
      ClickCentre(edit, cmd.control.Name(), line);
      pending_.push_back([edit, name = cmd.control.Name(), text = cmd.text, line] {
        if (GetFocus() != edit) throw ScriptError(line, name + " did not take the focus");
        SendMessage(edit, EM_SETSEL, 0, -1);
        if (text.empty()) {
          // Backspace over the selection is what leaves the edit empty.
          platform::InjectKeyDown(VK_BACK);
          platform::InjectChar(u'\b');
          platform::InjectKeyUp(VK_BACK);
        }
        for (char16_t ch : text) platform::InjectChar(ch);
      });
      return true;
    }
    case CommandKind::VScroll: {
      HWND spin = FindControl(cmd.control, line);
      RequireClass(spin, UPDOWN_CLASS, cmd.control, "an up-down control", line);
      PostMessage(GetParent(spin), WM_VSCROLL,
                  MAKEWPARAM(static_cast<WORD>(cmd.code), static_cast<WORD>(cmd.pos)),
                  reinterpret_cast<LPARAM>(spin));
      return true;
    }
    case CommandKind::SettingChange: {
      HWND main = MainDialog();
      if (main == nullptr) throw ScriptError(line, "the main dialog is not open");
      PostMessage(main, WM_SETTINGCHANGE, cmd.code, 0);
      return true;
    }
    case CommandKind::Rotate: {
      platform::RotateScreen();
      if (HWND main = MainDialog()) PostMessage(main, WM_SETTINGCHANGE, SETTINGCHANGE_RESET, 0);
      return true;
    }
    case CommandKind::Ok: {
      if (HWND ok = MessageBoxOk()) {
        ClickCentre(ok, "the message box's OK", line);
      } else if (HWND navOk = NavigationBarOk()) {
        ClickCentre(navOk, "the navigation bar's OK", line);
      } else {
        throw ScriptError(line, "there is no OK button to press");
      }
      return true;
    }
    case CommandKind::Dump:
      out_ << JsonLine(DumpJson(CollectScreenState(messages_))) << '\n';
      out_.flush();
      return false;
    case CommandKind::Screenshot: {
      std::string error = "the device window is not available in this build";
      if (!screenshot_ || !screenshot_(cmd.path, error)) {
        throw ScriptError(line, "screenshot " + cmd.path + ": " + error);
      }
      return false;
    }
    case CommandKind::Export: {
      std::string error = "cannot export the settings to " + cmd.path + ": not available here";
      if (!export_ || !export_(cmd.path, error)) throw ScriptError(line, error);
      return false;
    }
  }
  return false;
}

bool ScriptHost::EndOfScriptStep() {
  if (++endSteps_ > kMaxEndOfScriptPresses) {
    throw ScriptError(0, "the tool did not close at the end of the script");
  }
  if (HWND ok = MessageBoxOk()) {
    ClickCentre(ok, "the message box's OK", 0);
  } else if (HWND navOk = NavigationBarOk()) {
    ClickCentre(navOk, "the navigation bar's OK", 0);
  } else if (HWND main = MainDialog()) {
    PostMessage(main, WM_COMMAND, IDOK, 0);
  } else {
    PostQuitMessage(0);
  }
  return true;
}

std::optional<ScriptError> ScriptHost::CommandAfterEnd() {
  if (error_ || atEnd_) return std::nullopt;
  try {
    if (std::optional<Command> cmd = reader_.Next()) {
      return ScriptError(cmd->line,
                         "the tool has already ended; the rest of the script was not run");
    }
    atEnd_ = true;
  } catch (const ScriptError& e) {
    return e;
  }
  return std::nullopt;
}

bool ScriptHost::WaitForInput(std::optional<DWORD> /*timeoutMs*/) {
  if (error_) {
    // Without input every modal loop ends; one that keeps waiting would hang
    // the automation, so end the program the hard way then.
    if (++waitsAfterError_ > kMaxWaitsAfterError) {
      std::fflush(nullptr);
      std::_Exit(2);
    }
    return false;
  }
  try {
    if (RunPendingStep()) return true;
    while (!atEnd_) {
      std::optional<Command> cmd = reader_.Next();
      if (!cmd) {
        atEnd_ = true;
        break;
      }
      if (Execute(*cmd)) return true;
    }
    return EndOfScriptStep();
  } catch (const ScriptError& e) {
    pending_.clear();
    error_ = e;
    if (onError_) onError_(e);
    return false;
  }
}

}  // namespace host
