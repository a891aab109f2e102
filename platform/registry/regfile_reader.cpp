// The .reg reader: text to lines, lines to keys and values (the bytes are
// turned into text by regfile_decode).
#include "platform/registry/regfile.h"

#include <memory>
#include <optional>
#include <string>

#include "platform/registry/regfile_decode.h"
#include "platform/registry/regfile_internal.h"
#include "platform/registry/winreg.h"
#include "platform/text/codepage.h"
#include "platform/text/text.h"

namespace platform::registry {

namespace {

using text::SurrogatesPaired;

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t';
}

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// Why no key takes value lines at the moment.
enum class NoKey { BeforeFirst, Deleted, Skipped };

class Parser {
 public:
  // Without `edits` the file must read completely and its content becomes
  // `out.tree`; with them it is read as regedit imports it: what the file
  // asks for goes to `edits`, and a line regedit would skip is skipped and
  // recorded there.
  Parser(ParsedRegFile& out, std::string_view source, const RegReadOptions& options,
         RegFileImport* edits = nullptr)
      : out_(out), source_(source), options_(options), edits_(edits) {}

  // The status of a run that returned false.
  const Status& status() const { return status_; }

  bool Run(std::span<const BYTE> bytes) {
    std::u16string text;
    if (!Decode(bytes, text)) return false;
    SplitLines(text);
    if (!ParseHeader()) return false;
    if (IsEightBitRegedit4(out_.format)) StartEightBit();
    for (index_ = 1; index_ < lines_.size(); ++index_) {
      const std::size_t start = index_;
      if (ParseLine()) continue;
      if (!edits_) return false;
      Skip(start);
    }
    return true;
  }

 private:
  bool Fail(std::size_t lineIndex, const std::string& message) {
    status_ = Status::Corrupt(std::string(source_) + ":" + std::to_string(lineIndex + 1) + ": " +
                              message);
    failMessage_ = message;
    return false;
  }

  // Records the lines from `start` to the current one as skipped: one line,
  // or a value whose continuation lines went wrong, which regedit leaves out
  // whole.
  void Skip(std::size_t start) {
    std::string reason = failMessage_;
    if (index_ > start) {
      reason = "the value " + Quote(valueName_) + " of lines " + std::to_string(start + 1) +
               " to " + std::to_string(index_ + 1) + ": line " + std::to_string(index_ + 1) + ": " +
               failMessage_;
    }
    for (std::size_t i = start; i <= index_; ++i) edits_->skipped.push_back({i + 1, reason});
  }

  bool Decode(std::span<const BYTE> bytes, std::u16string& text) {
    DecodedRegFile d = DecodeRegFileBytes(bytes, options_);
    if (d.refusal) return Fail(d.refusal->line, d.refusal->reason);
    out_.format.encoding = d.encoding;
    out_.format.codePage = d.codePage;
    out_.codePageChoice = d.choice;
    body_ = d.body;
    codec_ = std::move(d.codec);
    text = std::move(d.text);
    if (d.badLine) Warn(*d.badLine);
    return true;
  }

  // The first line holding bytes that are no text in the file's encoding.
  void Warn(std::size_t lineIndex) {
    if (!out_.warning.empty()) return;
    out_.warning = std::string(source_) + ":" + std::to_string(lineIndex + 1) +
                   ": warning: bytes that are not " +
                   DescribeEncoding(out_.format, out_.codePageChoice) +
                   " text; values there keep their bytes when the file is written and show "
                   "stand-in characters";
  }

  // 8-bit REGEDIT4 files: text data is converted with the file's code page,
  // and each value's lines are kept for writing it back unchanged.
  void StartEightBit() {
    if (!codec_) codec_ = std::make_unique<text::CodePageCodec>(text::kUtf8CodePage);
    byteLines_ = SplitByteLines(body_);
    // Lines are kept only where the text has the lines of the bytes.
    if (byteLines_.size() != lines_.size()) byteLines_.clear();
    out_.lines.encoding = out_.format.encoding;
    out_.lines.codePage = out_.format.codePage;
  }

  // The key path as the writer spells it: full root name and the names the
  // keys have in the tree.
  void NoteKeyPath(Root root, const std::vector<std::u16string>& path) {
    keyPath_ = RootName(root);
    const RegKey* key = &out_.tree.At(root);
    for (const std::u16string& part : path) {
      key = key->FindSubkey(part);
      keyPath_ += u'\\';
      keyPath_ += key->Name();
    }
  }

  // After a value line (lines `first` to index_) of an 8-bit REGEDIT4 file:
  // hex(2):/hex(7): data becomes UTF-16 text, and the lines are kept.
  void NoteValue(std::size_t first, std::u16string_view line, std::size_t pos) {
    std::u16string name;
    if (line[pos] == u'"') ParseQuoted(line, pos, name, "value name");
    std::u16string id = keyPath_;
    id += u'\0';
    id += name;
    const RegValue* v = current_ ? current_->FindValue(name) : nullptr;
    if (v == nullptr) {
      out_.lines.values.erase(id);
      return;
    }
    // A value named in another case keeps the first case: its lines are not
    // the value's.
    if (v->name != name) {
      out_.lines.values.erase(id);
      return;
    }
    if (byteLines_.empty()) return;
    RegValueLines::Entry& entry = out_.lines.values[std::move(id)];
    entry.type = v->type;
    entry.data = v->data;
    entry.bytes.assign(body_.begin() + static_cast<std::ptrdiff_t>(byteLines_[first].begin),
                       body_.begin() + static_cast<std::ptrdiff_t>(byteLines_[index_].end));
  }

  void SplitLines(const std::u16string& text) {
    lines_.clear();
    bool sawEnd = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
      char16_t c = text[i];
      if (c != u'\r' && c != u'\n') continue;
      LineEnding kind = LineEnding::Lf;
      std::size_t next = i + 1;
      if (c == u'\r') {
        if (next < text.size() && text[next] == u'\n') {
          kind = LineEnding::CrLf;
          ++next;
        } else {
          kind = LineEnding::Cr;
        }
      }
      if (!sawEnd) {
        out_.format.lineEnding = kind;
        sawEnd = true;
      }
      lines_.push_back(text.substr(start, i - start));
      start = next;
      i = next - 1;
    }
    if (start < text.size() || lines_.empty()) lines_.push_back(text.substr(start));
  }

  bool ParseHeader() {
    std::u16string_view h = lines_[0];
    while (!h.empty() && IsBlank(h.front())) h.remove_prefix(1);
    while (!h.empty() && IsBlank(h.back())) h.remove_suffix(1);
    if (h == kHeader5) {
      out_.format.header = RegHeader::Version5;
    } else if (h == kHeader4) {
      out_.format.header = RegHeader::Regedit4;
    } else {
      return Fail(0,
                  "not a .reg file: the first line must be \"Windows Registry Editor Version "
                  "5.00\" or \"REGEDIT4\"");
    }
    return true;
  }

  bool CheckNoNul(std::u16string_view line) {
    if (line.find(u'\0') != std::u16string_view::npos) {
      return Fail(index_, "NUL character in the text");
    }
    return true;
  }

  bool ParseLine() {
    std::u16string_view line = lines_[index_];
    if (!CheckNoNul(line)) return false;
    std::size_t pos = 0;
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    if (pos == line.size() || line[pos] == u';' || line[pos] == u'#') return true;
    if (line[pos] == u'[') return ParseKeyLine(line.substr(pos + 1));
    if (line[pos] == u'"' || line[pos] == u'@') {
      const std::size_t first = index_;
      if (!ParseValueLine(line, pos)) return false;
      if (codec_ && !edits_) NoteValue(first, line, pos);
      return true;
    }
    return Fail(index_, "expected a [key] line, a \"name\"=value line or a ; or # comment");
  }

  bool ParseKeyLine(std::u16string_view rest) {
    // A key line that does not read leaves no key for the values below it.
    LeaveKey(NoKey::Skipped);
    std::size_t close = rest.rfind(u']');
    if (close == std::u16string_view::npos) return Fail(index_, "key line without closing ']'");
    std::u16string_view name = rest.substr(0, close);
    bool erase = false;
    if (!name.empty() && name.front() == u'-') {
      erase = true;
      name.remove_prefix(1);
    }
    std::size_t slash = name.find(u'\\');
    std::u16string_view rootName = name.substr(0, slash);
    std::optional<Root> root = ParseRootName(rootName);
    if (!root) return Fail(index_, "unknown root key " + Quote(rootName));
    std::vector<std::u16string> path;
    if (slash != std::u16string_view::npos) path = SplitKeyPath(name.substr(slash + 1));
    if (path.size() > kMaxKeyDepth) {
      return Fail(index_, "key nested deeper than " + std::to_string(kMaxKeyDepth) + " levels");
    }
    for (const std::u16string& part : path) {
      if (!SurrogatesPaired(part)) {
        return Fail(index_, "key name holds a broken UTF-16 character (unpaired surrogate)");
      }
    }
    if (erase) {
      if (path.empty()) return Fail(index_, "a root key cannot be deleted");
      if (edits_) {
        edits_->edits.push_back({.kind = RegFileEdit::Kind::DeleteKey,
                                 .line = index_ + 1,
                                 .root = *root,
                                 .path = std::move(path)});
      } else {
        std::vector<std::u16string> parent(path.begin(), path.end() - 1);
        if (RegKey* p = out_.tree.Find(*root, parent)) p->DeleteSubkey(path.back());
      }
      LeaveKey(NoKey::Deleted);
      return true;
    }
    if (edits_) {
      edits_->edits.push_back({.kind = RegFileEdit::Kind::CreateKey,
                               .line = index_ + 1,
                               .root = *root,
                               .path = std::move(path)});
    } else {
      current_ = &out_.tree.Create(*root, path);
      if (codec_) NoteKeyPath(*root, path);
    }
    inKey_ = true;
    return true;
  }

  void LeaveKey(NoKey why) {
    inKey_ = false;
    noKey_ = why;
    current_ = nullptr;
  }

  // The value line's change, on the key of the last key line.
  void SetValue(std::u16string name, DWORD type, std::vector<BYTE> data, std::size_t start) {
    if (codec_ && (type == REG_EXPAND_SZ || type == REG_MULTI_SZ)) {
      data = EightBitText(std::move(data), start);
    }
    if (edits_) {
      edits_->edits.push_back({.kind = RegFileEdit::Kind::SetValue,
                               .line = start + 1,
                               .name = std::move(name),
                               .type = type,
                               .data = std::move(data)});
    } else {
      current_->SetValue(name, type, std::move(data));
    }
  }

  // The UTF-16 registry data of 8-bit text data in the file's code page,
  // with the terminator regedit adds when it is missing.
  std::vector<BYTE> EightBitText(std::vector<BYTE> bytes, std::size_t line) {
    std::string chars(bytes.begin(), bytes.end());
    if (!chars.empty() && chars.back() != '\0') chars.push_back('\0');
    std::u16string wide;
    if (codec_->Decode(chars, wide)) Warn(line);
    std::vector<BYTE> data;
    text::AppendUtf16Le(wide, data);
    return data;
  }

  void DeleteValue(std::u16string name) {
    if (edits_) {
      edits_->edits.push_back(
          {.kind = RegFileEdit::Kind::DeleteValue, .line = index_ + 1, .name = std::move(name)});
    } else {
      current_->DeleteValue(name);
    }
  }

  // Reads a quoted string starting at line[pos] == '"'. Only \\ and \" are
  // escapes; any other backslash stands for itself.
  bool ParseQuoted(std::u16string_view line, std::size_t& pos, std::u16string& out,
                   const char* what) {
    ++pos;
    while (pos < line.size()) {
      char16_t c = line[pos];
      if (c == u'"') {
        ++pos;
        return true;
      }
      if (c == u'\\' && pos + 1 < line.size() &&
          (line[pos + 1] == u'\\' || line[pos + 1] == u'"')) {
        out.push_back(line[pos + 1]);
        pos += 2;
        continue;
      }
      out.push_back(c);
      ++pos;
    }
    return Fail(index_, std::string("unterminated ") + what + " (missing closing '\"')");
  }

  bool RestIsEmpty(std::u16string_view line, std::size_t pos) {
    if (RestIsComment(line, pos)) return true;
    return Fail(index_, "unexpected text after the value");
  }

  static bool StartsWithNoCase(std::u16string_view s, std::u16string_view prefix) {
    return s.size() >= prefix.size() && NamesEqual(s.substr(0, prefix.size()), prefix);
  }

  bool ParseValueLine(std::u16string_view line, std::size_t pos) {
    const std::size_t start = index_;
    valueName_.clear();
    if (!inKey_) {
      switch (noKey_) {
        case NoKey::BeforeFirst:
          return Fail(index_, "value line outside a key section (no [key] line before it)");
        case NoKey::Deleted:
          return Fail(index_,
                      "value line outside a key section (the [-key] line before it deletes a key)");
        case NoKey::Skipped:
          return Fail(index_,
                      "value line outside a key section (the key line before it was skipped)");
      }
    }
    std::u16string name;
    if (line[pos] == u'@') {
      ++pos;
    } else if (!ParseQuoted(line, pos, name, "value name")) {
      return false;
    } else if (!SurrogatesPaired(name)) {
      return Fail(index_, "value name holds a broken UTF-16 character (unpaired surrogate)");
    }
    valueName_ = name;
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    if (pos == line.size() || line[pos] != u'=') {
      return Fail(index_, "expected '=' after the value name");
    }
    ++pos;
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    std::u16string_view data = line.substr(pos);

    if (!data.empty() && data.front() == u'-') {
      if (!RestIsEmpty(line, pos + 1)) return false;
      DeleteValue(std::move(name));
      return true;
    }
    if (!data.empty() && data.front() == u'"') {
      std::u16string text;
      if (!ParseQuoted(line, pos, text, "string")) return false;
      if (!RestIsEmpty(line, pos)) return false;
      std::vector<BYTE> bytes;
      platform::text::AppendUtf16Le(text, bytes);
      bytes.insert(bytes.end(), {0, 0});  // the terminator
      SetValue(std::move(name), REG_SZ, std::move(bytes), start);
      return true;
    }
    if (StartsWithNoCase(data, u"dword:")) {
      pos += 6;
      while (pos < line.size() && IsBlank(line[pos])) ++pos;
      DWORD value = 0;
      int digits = 0;
      while (pos < line.size() && HexDigit(line[pos]) >= 0) {
        value = (value << 4) | static_cast<DWORD>(HexDigit(line[pos]));
        ++pos;
        ++digits;
        if (digits > 8) return Fail(index_, "dword value with more than 8 hex digits");
      }
      if (digits == 0) return Fail(index_, "dword value without hex digits");
      if (!RestIsEmpty(line, pos)) return false;
      SetValue(std::move(name), REG_DWORD,
               {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8),
                static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 24)},
               start);
      return true;
    }
    DWORD type = REG_BINARY;
    if (StartsWithNoCase(data, u"hex:")) {
      pos += 4;
    } else if (StartsWithNoCase(data, u"hex(")) {
      pos += 4;
      type = 0;
      int digits = 0;
      while (pos < line.size() && HexDigit(line[pos]) >= 0) {
        type = (type << 4) | static_cast<DWORD>(HexDigit(line[pos]));
        ++pos;
        if (++digits > 8) return Fail(index_, "hex(type) with more than 8 hex digits");
      }
      if (digits == 0 || pos + 1 >= line.size() || line[pos] != u')' || line[pos + 1] != u':') {
        return Fail(index_, "malformed hex(type): prefix, expected e.g. hex(7):");
      }
      pos += 2;
    } else {
      return Fail(index_, "unknown value data: expected \"text\", dword:, hex:, hex(N): or -");
    }
    std::vector<BYTE> bytes;
    if (!ParseHexBytes(pos, bytes)) return false;
    if (out_.format.header == RegHeader::Version5) TerminateUtf16Strings(type, bytes);
    SetValue(std::move(name), type, std::move(bytes), start);
    return true;
  }

  // A Version 5 file holds REG_EXPAND_SZ and REG_MULTI_SZ data as UTF-16;
  // regedit adds the terminating NUL that such data lacks. Data that is
  // empty or of odd length is no UTF-16 text and stays as it is.
  static void TerminateUtf16Strings(DWORD type, std::vector<BYTE>& bytes) {
    if (type != REG_EXPAND_SZ && type != REG_MULTI_SZ) return;
    const std::size_t n = bytes.size();
    if (n == 0 || n % 2 != 0 || (bytes[n - 2] == 0 && bytes[n - 1] == 0)) return;
    bytes.push_back(0);
    bytes.push_back(0);
  }

  // Comma-separated two-digit hex bytes. A '\' after a comma (or right after
  // the type prefix), followed by nothing but blanks and a ; comment,
  // continues the data on the next line that is neither blank nor a ;
  // comment; at the end of the file the data ends there. Advances index_
  // past continuation lines.
  bool ParseHexBytes(std::size_t pos, std::vector<BYTE>& bytes) {
    std::u16string_view line = lines_[index_];
    bool mayContinue = true;  // right after the prefix or a comma
    bool lineStart = false;   // at the first byte of a continuation line
    for (;;) {
      while (pos < line.size() && IsBlank(line[pos])) ++pos;
      if (pos == line.size() || line[pos] == u';') return true;
      if (line[pos] == u'\\' && mayContinue) {
        if (!RestIsComment(line, pos + 1)) {
          return Fail(index_, "unexpected text after the '\\' that continues the line");
        }
        do {
          if (index_ + 1 >= lines_.size()) return true;
          line = lines_[++index_];
          if (!CheckNoNul(line)) return false;
          pos = 0;
          while (pos < line.size() && IsBlank(line[pos])) ++pos;
        } while (pos == line.size() || line[pos] == u';');
        mayContinue = false;
        lineStart = true;
        continue;
      }
      int hi = HexDigit(line[pos]);
      int lo = pos + 1 < line.size() ? HexDigit(line[pos + 1]) : -1;
      if (hi < 0 || lo < 0) {
        if (line[pos] == u'\\') return Fail(index_, "'\\' continues hex data only after a comma");
        if (lineStart) {
          return Fail(index_,
                      "the line before ends in '\\', so this line must continue its hex data");
        }
        return Fail(index_, "bad hex byte: expected two hex digits");
      }
      bytes.push_back(static_cast<BYTE>(hi * 16 + lo));
      pos += 2;
      lineStart = false;
      while (pos < line.size() && IsBlank(line[pos])) ++pos;
      if (pos < line.size() && line[pos] == u',') {
        ++pos;
        mayContinue = true;
        continue;
      }
      if (pos == line.size() || line[pos] == u';') return true;
      if (line[pos] == u'\\') return Fail(index_, "'\\' continues hex data only after a comma");
      return Fail(index_, "bad hex data: expected ',' between bytes");
    }
  }

  // Nothing but blanks, then the end of the line or a ; comment.
  static bool RestIsComment(std::u16string_view line, std::size_t pos) {
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    return pos == line.size() || line[pos] == u';';
  }

  ParsedRegFile& out_;
  std::string_view source_;
  const RegReadOptions& options_;
  std::span<const BYTE> body_;                  // the bytes after a byte-order mark
  std::unique_ptr<text::CodePageCodec> codec_;  // 8-bit REGEDIT4 files only
  std::vector<ByteLine> byteLines_;
  std::u16string keyPath_;  // of current_
  RegFileImport* edits_ = nullptr;
  Status status_;
  std::string failMessage_;  // the reason of the last Fail, without file and line
  std::vector<std::u16string> lines_;
  std::size_t index_ = 0;
  RegKey* current_ = nullptr;  // the key that takes value lines (reading into a tree)
  bool inKey_ = false;         // a key line takes value lines
  NoKey noKey_ = NoKey::BeforeFirst;
  std::u16string valueName_;  // the name of the value line being read
};

}  // namespace

Status ParseRegFile(std::span<const BYTE> bytes, std::string_view source, ParsedRegFile& out,
                    const RegReadOptions& options) {
  out = ParsedRegFile{};
  Parser parser(out, source, options);
  if (parser.Run(bytes)) return {};
  out = ParsedRegFile{};
  return parser.status();
}

Status ReadRegFileEdits(std::span<const BYTE> bytes, std::string_view source, RegFileImport& out,
                        const RegReadOptions& options) {
  out = RegFileImport{};
  ParsedRegFile file;
  Parser parser(file, source, options, &out);
  if (!parser.Run(bytes)) {
    out = RegFileImport{};
    return parser.status();
  }
  out.format = file.format;
  out.codePageChoice = file.codePageChoice;
  out.warning = std::move(file.warning);
  return {};
}

}  // namespace platform::registry
