#include "host/script.h"

#include <charconv>
#include <vector>

#include "host/text.h"

namespace host {

ScriptError::ScriptError(int line, const std::string& message)
    : std::runtime_error(line > 0 ? "line " + std::to_string(line) + ": " + message : message),
      line_(line),
      reason_(message) {}

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// Splits off the next blank-separated word; `rest` keeps what follows it,
// starting at the separating blank.
std::string_view NextWord(std::string_view& rest) {
  std::size_t start = 0;
  while (start < rest.size() && IsBlank(rest[start])) ++start;
  std::size_t end = start;
  while (end < rest.size() && !IsBlank(rest[end])) ++end;
  std::string_view word = rest.substr(start, end - start);
  rest.remove_prefix(end);
  return word;
}

// Decimal, optionally negative; "0x…" hex when allowed.
template <typename T>
bool ParseNumber(std::string_view text, T& value, bool allowHex) {
  int base = 10;
  if (allowHex && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  if (text.empty()) return false;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value, base);
  return ec == std::errc() && ptr == end;
}

class LineParser {
 public:
  LineParser(std::string_view rest, int line) : rest_(rest), line_(line) {}

  [[noreturn]] void Fail(const std::string& message) const { throw ScriptError(line_, message); }

  std::string_view Word(const char* what) {
    std::string_view w = NextWord(rest_);
    if (w.empty()) Fail(std::string("missing ") + what);
    return w;
  }

  ControlRef Control() {
    std::string_view w = Word("control (WINDOW:ID)");
    const auto colon = w.find(':');
    ControlRef ref;
    if (colon == std::string_view::npos || colon == 0 ||
        !ParseNumber(w.substr(colon + 1), ref.id, false)) {
      Fail("expected a control as WINDOW:ID, got \"" + std::string(w) + "\"");
    }
    ref.window = std::string(w.substr(0, colon));
    return ref;
  }

  template <typename T>
  T Number(const char* what, bool allowHex) {
    std::string_view w = Word(what);
    T value{};
    if (!ParseNumber(w, value, allowHex)) {
      Fail(std::string("expected a number for ") + what + ", got \"" + std::string(w) + "\"");
    }
    return value;
  }

  int Index(const char* what) {
    const int value = Number<int>(what, false);
    if (value < 0) Fail(std::string(what) + " must not be negative");
    return value;
  }

  void End() {
    std::string_view extra = NextWord(rest_);
    if (!extra.empty()) Fail("unexpected \"" + std::string(extra) + "\" at the end of the line");
  }

  // The rest of the line after exactly one separating blank (may be empty).
  std::string_view RestAfterOneBlank() {
    std::string_view r = rest_;
    if (!r.empty() && IsBlank(r.front())) r.remove_prefix(1);
    rest_ = {};
    return r;
  }

 private:
  std::string_view rest_;
  int line_;
};

}  // namespace

std::optional<Command> ParseScriptLine(std::string_view line, int lineNumber) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  std::string_view probe = line;
  while (!probe.empty() && IsBlank(probe.front())) probe.remove_prefix(1);
  if (probe.empty() || probe.front() == '#') return std::nullopt;

  LineParser p(probe, lineNumber);
  const std::string name(p.Word("command"));
  Command cmd;
  cmd.line = lineNumber;
  if (name == "tab") {
    cmd.kind = CommandKind::Tab;
    cmd.index = p.Index("tab index");
  } else if (name == "click") {
    cmd.kind = CommandKind::Click;
    cmd.control = p.Control();
  } else if (name == "spin") {
    cmd.kind = CommandKind::Spin;
    cmd.control = p.Control();
    const std::string_view dir = p.Word("direction (up or down)");
    if (dir == "up") {
      cmd.up = true;
    } else if (dir != "down") {
      p.Fail("expected up or down, got \"" + std::string(dir) + "\"");
    }
  } else if (name == "select") {
    cmd.kind = CommandKind::Select;
    cmd.control = p.Control();
    cmd.index = p.Index("list entry");
  } else if (name == "type") {
    cmd.kind = CommandKind::Type;
    cmd.control = p.Control();
    const std::string_view raw = p.RestAfterOneBlank();
    auto text = FromUtf8(raw);
    if (!text) p.Fail("the text is not valid UTF-8");
    cmd.text = std::move(*text);
    return cmd;
  } else if (name == "vscroll") {
    cmd.kind = CommandKind::VScroll;
    cmd.control = p.Control();
    cmd.code = p.Number<std::uint32_t>("scroll code", true);
    cmd.pos = p.Number<std::int32_t>("position", false);
  } else if (name == "settingchange") {
    cmd.kind = CommandKind::SettingChange;
    cmd.code = p.Number<std::uint32_t>("flags", true);
  } else if (name == "rotate") {
    cmd.kind = CommandKind::Rotate;
  } else if (name == "ok") {
    cmd.kind = CommandKind::Ok;
  } else if (name == "dump") {
    cmd.kind = CommandKind::Dump;
  } else if (name == "screenshot" || name == "export") {
    cmd.kind = name == "export" ? CommandKind::Export : CommandKind::Screenshot;
    std::string_view path = p.RestAfterOneBlank();
    while (!path.empty() && IsBlank(path.front())) path.remove_prefix(1);
    while (!path.empty() && IsBlank(path.back())) path.remove_suffix(1);
    if (path.empty()) p.Fail("missing file name");
    cmd.path = std::string(path);
  } else {
    p.Fail("unknown command \"" + name + "\"");
  }
  p.End();
  return cmd;
}

namespace {

// No command comes near this; a longer line is no script (a device file, say)
// and is not read into memory.
constexpr std::size_t kMaxLineBytes = 64 * 1024;

// One line without its '\n'; false at the end of the input.
bool ReadLine(std::istream& in, std::string& line, int lineNumber) {
  line.clear();
  std::istream::int_type c;
  bool any = false;
  while ((c = in.get()) != std::istream::traits_type::eof()) {
    any = true;
    if (c == '\n') return true;
    if (line.size() == kMaxLineBytes) throw ScriptError(lineNumber, "the line is too long");
    line.push_back(static_cast<char>(c));
  }
  return any;
}

}  // namespace

std::optional<Command> ScriptReader::Next() {
  std::string line;
  while (ReadLine(in_, line, line_ + 1)) {
    ++line_;
    // Editors may start a UTF-8 file with a byte-order mark; it is no text.
    if (line_ == 1 && line.starts_with("\xEF\xBB\xBF")) line.erase(0, 3);
    if (auto cmd = ParseScriptLine(line, line_)) return cmd;
  }
  if (in_.bad()) throw ScriptError(line_ + 1, "the script could not be read");
  return std::nullopt;
}

}  // namespace host
