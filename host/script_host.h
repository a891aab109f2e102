// The headless host: an input source that, whenever the tool waits for input,
// reads the next script line and performs it as a user would.
#pragma once

#include <deque>
#include <functional>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "host/dump.h"
#include "host/script.h"
#include "platform/window/host.h"

namespace host {

class ScriptHost : public platform::InputSource {
 public:
  // Called once with the error that stops the script. The host then gives
  // the tool no more input, so its dialogs end and the program returns.
  using ErrorHandler = std::function<void(const ScriptError&)>;
  // Renders the screen to a PNG file; false with a reason when it cannot.
  using Screenshotter = std::function<bool(const std::string& path, std::string& error)>;

  // Writes the settings export to a file; false with a reason when it cannot.
  using Exporter = std::function<bool(const std::string& path, std::string& error)>;

  ScriptHost(std::istream& script, std::ostream& out, ErrorHandler onError,
             Screenshotter screenshot, Exporter exporter = {});

  // InputSource: performs script lines until one of them produced input.
  // At the end of the script: OK on an open message box, else the
  // navigation bar's OK.
  bool WaitForInput(std::optional<DWORD> timeoutMs) override;

  // Performs one command now. Commands that need the tool to react between
  // their steps (select, type) leave the rest pending for the next wait.
  // True when it gave the tool input to process. Throws ScriptError (e.g.
  // unknown target, hidden or covered control).
  bool Execute(const Command& command);

  // Runs the pending step of the last command, if any; true when there was one.
  bool RunPendingStep();

  // Records a message box shown by the tool (for `dump`).
  void NoteMessageBox(std::u16string caption, std::u16string text);
  const std::vector<ShownMessage>& messages() const { return messages_; }

  // After the tool has ended: an error for the first command still left in
  // the script (it could not run), nullopt when only comments remain.
  std::optional<ScriptError> CommandAfterEnd();
  // The error that stopped the script, if one did.
  const std::optional<ScriptError>& error() const { return error_; }

 private:
  bool EndOfScriptStep();

  ScriptReader reader_;
  std::ostream& out_;
  ErrorHandler onError_;
  Screenshotter screenshot_;
  Exporter export_;
  std::deque<std::function<void()>> pending_;
  std::vector<ShownMessage> messages_;
  bool atEnd_ = false;
  int endSteps_ = 0;
  std::optional<ScriptError> error_;
  long waitsAfterError_ = 0;
};

}  // namespace host
