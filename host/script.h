// The automation script language: one command a line, '#' starts a comment
// line. Commands are parsed here; the script host performs them.
#pragma once

#include <cstdint>
#include <istream>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace host {

// A script error: names the line (1-based; 0 when not tied to a line).
class ScriptError : public std::runtime_error {
 public:
  ScriptError(int line, const std::string& message);
  int line() const { return line_; }
  const std::string& reason() const { return reason_; }

 private:
  int line_;
  std::string reason_;
};

// A control named as in scripts: "main:1013", "CSet1:1009".
struct ControlRef {
  std::string window;  // "main" or a page's class name
  int id = 0;
  std::string Name() const { return window + ":" + std::to_string(id); }
};

enum class CommandKind {
  Tab,            // tab N
  Click,          // click W:ID
  Spin,           // spin W:ID up|down
  Select,         // select W:ID N
  Type,           // type W:ID TEXT
  VScroll,        // vscroll W:ID CODE POS
  SettingChange,  // settingchange FLAGS
  Rotate,         // rotate
  Ok,             // ok
  Dump,           // dump
  Screenshot,     // screenshot FILE
  Export,         // export FILE
};

struct Command {
  CommandKind kind = CommandKind::Dump;
  int line = 0;
  ControlRef control;      // click, spin, select, type, vscroll
  int index = 0;           // tab N, select N
  bool up = false;         // spin
  std::u16string text;     // type
  std::uint32_t code = 0;  // vscroll CODE, settingchange FLAGS
  std::int32_t pos = 0;    // vscroll POS
  std::string path;        // screenshot FILE, export FILE
};

// Parses one line. nullopt for a blank or comment line; throws ScriptError
// naming `lineNumber` for anything else that is not a valid command.
std::optional<Command> ParseScriptLine(std::string_view line, int lineNumber);

// Reads commands one at a time from a stream (a file or a pipe), so each one
// can run before the next line is even written.
class ScriptReader {
 public:
  explicit ScriptReader(std::istream& in) : in_(in) {}
  // The next command, or nullopt at the end of the script. Throws ScriptError.
  std::optional<Command> Next();
  int lineNumber() const { return line_; }

 private:
  std::istream& in_;
  int line_ = 0;
};

}  // namespace host
