#include "platform/registry/regfile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>

#include "platform/registry/winreg.h"
#include "platform/text/text.h"

namespace platform::registry {

namespace {

using text::DecodeUtf8;
using text::EncodeUtf8;
using text::IsHighSurrogate;
using text::IsLowSurrogate;
using text::SurrogatesPaired;
using text::ToUtf8;

constexpr std::u16string_view kHeader5 = u"Windows Registry Editor Version 5.00";
constexpr std::u16string_view kHeader4 = u"REGEDIT4";

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t';
}

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

std::string Quote(std::u16string_view s) {
  std::string quoted = "\"";
  quoted += ToUtf8(s);
  quoted += '"';
  return quoted;
}

// Number of line ends in a UTF-8 byte range (CRLF counts once).
int CountLineEnds(std::span<const BYTE> bytes) {
  int n = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n') {
      ++n;
    } else if (bytes[i] == '\r') {
      ++n;
      if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    }
  }
  return n;
}

class Parser {
 public:
  Parser(ParsedRegFile& out, RegFileError& error) : out_(out), error_(error) {}

  bool Run(std::span<const BYTE> bytes) {
    std::u16string text;
    if (!Decode(bytes, text)) return false;
    SplitLines(text);
    if (!ParseHeader()) return false;
    for (index_ = 1; index_ < lines_.size(); ++index_) {
      if (!ParseLine()) return false;
    }
    return true;
  }

 private:
  bool Fail(std::size_t lineIndex, std::string message) {
    error_.line = static_cast<int>(lineIndex) + 1;
    error_.message = std::move(message);
    return false;
  }

  bool Decode(std::span<const BYTE> bytes, std::u16string& text) {
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
      out_.format.encoding = TextEncoding::Utf16Le;
      std::span<const BYTE> body = bytes.subspan(2);
      text.resize(body.size() / 2);
      for (std::size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<char16_t>(body[2 * i] | (body[2 * i + 1] << 8));
      }
      if (body.size() % 2 != 0) {
        SplitLines(text);
        return Fail(lines_.empty() ? 0 : lines_.size() - 1,
                    "UTF-16 text ends in the middle of a character (odd number of bytes)");
      }
    } else if (bytes.size() >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) {
      return Fail(0,
                  "UTF-16 big-endian text is not supported (save the file as UTF-16LE or UTF-8)");
    } else {
      std::span<const BYTE> body = bytes;
      out_.format.encoding = TextEncoding::Utf8;
      if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        out_.format.encoding = TextEncoding::Utf8Bom;
        body = bytes.subspan(3);
      }
      if (auto bad = DecodeUtf8(
              std::string_view(reinterpret_cast<const char*>(body.data()), body.size()), text)) {
        return Fail(static_cast<std::size_t>(CountLineEnds(body.first(*bad))),
                    "invalid UTF-8 text");
      }
    }
    return true;
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
    if (pos == line.size() || line[pos] == u';') return true;
    if (line[pos] == u'[') return ParseKeyLine(line.substr(pos + 1));
    if (line[pos] == u'"' || line[pos] == u'@') return ParseValueLine(line, pos);
    return Fail(index_, "expected a [key] line, a \"name\"=value line or a ; comment");
  }

  bool ParseKeyLine(std::u16string_view rest) {
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
      std::vector<std::u16string> parent(path.begin(), path.end() - 1);
      if (RegKey* p = out_.tree.Find(*root, parent)) p->DeleteSubkey(path.back());
      current_ = nullptr;
    } else {
      current_ = &out_.tree.Create(*root, path);
    }
    return true;
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
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    if (pos == line.size() || line[pos] == u';') return true;
    return Fail(index_, "unexpected text after the value");
  }

  static bool StartsWithNoCase(std::u16string_view s, std::u16string_view prefix) {
    return s.size() >= prefix.size() && NamesEqual(s.substr(0, prefix.size()), prefix);
  }

  bool ParseValueLine(std::u16string_view line, std::size_t pos) {
    if (!current_) {
      return Fail(index_, "value line outside a key section (no [key] line before it)");
    }
    std::u16string name;
    if (line[pos] == u'@') {
      ++pos;
    } else if (!ParseQuoted(line, pos, name, "value name")) {
      return false;
    } else if (!SurrogatesPaired(name)) {
      return Fail(index_, "value name holds a broken UTF-16 character (unpaired surrogate)");
    }
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    if (pos == line.size() || line[pos] != u'=') {
      return Fail(index_, "expected '=' after the value name");
    }
    ++pos;
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    std::u16string_view data = line.substr(pos);

    if (!data.empty() && data.front() == u'-') {
      if (!RestIsEmpty(line, pos + 1)) return false;
      current_->DeleteValue(name);
      return true;
    }
    if (!data.empty() && data.front() == u'"') {
      std::u16string text;
      if (!ParseQuoted(line, pos, text, "string")) return false;
      if (!RestIsEmpty(line, pos)) return false;
      std::vector<BYTE> bytes;
      bytes.reserve(text.size() * 2 + 2);
      for (char16_t c : text) {
        bytes.push_back(static_cast<BYTE>(c & 0xFF));
        bytes.push_back(static_cast<BYTE>(c >> 8));
      }
      bytes.push_back(0);
      bytes.push_back(0);
      current_->SetValue(name, REG_SZ, std::move(bytes));
      return true;
    }
    if (StartsWithNoCase(data, u"dword:")) {
      pos += 6;
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
      current_->SetValue(name, REG_DWORD,
                         {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8),
                          static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 24)});
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
    current_->SetValue(name, type, std::move(bytes));
    return true;
  }

  // Comma-separated two-digit hex bytes; a line ending in ",\" continues on
  // the next line. Advances index_ past continuation lines.
  bool ParseHexBytes(std::size_t pos, std::vector<BYTE>& bytes) {
    std::u16string_view line = lines_[index_];
    bool afterComma = false;
    for (;;) {
      while (pos < line.size() && IsBlank(line[pos])) ++pos;
      if (pos == line.size() || line[pos] == u';') return true;
      if (line[pos] == u'\\') {
        if (!afterComma) return Fail(index_, "'\\' continues hex data only after a comma");
        if (!RestIsBlank(line, pos + 1)) {
          return Fail(index_, "unexpected text after the '\\' that continues the line");
        }
        // Continuation: the next non-comment line carries on the bytes.
        do {
          if (++index_ >= lines_.size()) {
            return Fail(lines_.size() - 1, "hex data continues past the end of the file");
          }
          line = lines_[index_];
          if (!CheckNoNul(line)) return false;
          pos = 0;
          while (pos < line.size() && IsBlank(line[pos])) ++pos;
        } while (pos < line.size() && line[pos] == u';');
        if (pos == line.size()) return Fail(index_, "empty line where hex data should continue");
        afterComma = false;
        continue;
      }
      int hi = HexDigit(line[pos]);
      int lo = pos + 1 < line.size() ? HexDigit(line[pos + 1]) : -1;
      if (hi < 0 || lo < 0) return Fail(index_, "bad hex byte: expected two hex digits");
      bytes.push_back(static_cast<BYTE>(hi * 16 + lo));
      pos += 2;
      while (pos < line.size() && IsBlank(line[pos])) ++pos;
      if (pos < line.size() && line[pos] == u',') {
        ++pos;
        afterComma = true;
        continue;
      }
      if (pos == line.size() || line[pos] == u';') return true;
      return Fail(index_, "bad hex data: expected ',' between bytes");
    }
  }

  static bool RestIsBlank(std::u16string_view line, std::size_t pos) {
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    return pos == line.size();
  }

  ParsedRegFile& out_;
  RegFileError& error_;
  std::vector<std::u16string> lines_;
  std::size_t index_ = 0;
  RegKey* current_ = nullptr;
};

// Regedit's form of a REG_SZ: even length, exactly one terminating NUL at
// the end, no other NUL, no line breaks, well-formed UTF-16.
bool IsPlainString(const std::vector<BYTE>& data) {
  if (data.size() < 2 || data.size() % 2 != 0) return false;
  const std::size_t units = data.size() / 2;
  auto unit = [&](std::size_t i) {
    return static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
  };
  if (unit(units - 1) != 0) return false;
  for (std::size_t i = 0; i + 1 < units; ++i) {
    const char16_t c = unit(i);
    if (c == 0 || c == u'\r' || c == u'\n') return false;
    if (IsHighSurrogate(c)) {
      if (i + 2 >= units || !IsLowSurrogate(unit(i + 1))) return false;
      ++i;
    } else if (IsLowSurrogate(c)) {
      return false;
    }
  }
  return true;
}

// The file's bytes as they are written: text goes straight into the file's
// encoding. It counts UTF-16 units per line, the columns of regedit's
// wrapping. Text handed to it has paired surrogates (checked before). Each
// call makes room for its worst case once, then stores without checks.
class Sink {
 public:
  Sink(TextEncoding encoding, std::vector<BYTE>& out)
      : utf16_(encoding == TextEncoding::Utf16Le), out_(out) {
    out_.clear();
    if (encoding == TextEncoding::Utf16Le) {
      Room(2);
      p_[len_++] = 0xFF;
      p_[len_++] = 0xFE;
    } else if (encoding == TextEncoding::Utf8Bom) {
      Room(3);
      for (BYTE b : {0xEF, 0xBB, 0xBF}) p_[len_++] = b;
    }
  }

  void Ascii(char c) {
    Room(2);
    Put(c);
    ++column_;
  }
  void Ascii(std::string_view s) {
    Room(2 * s.size());
    for (char c : s) Put(c);
    column_ += s.size();
  }
  void NewLine(std::string_view nl) {
    Ascii(nl);
    column_ = 0;
  }
  // One code unit of text; a surrogate pair arrives as two calls.
  void Unit(char16_t c) {
    Room(4);
    PutUnit(c);
    ++column_;
  }
  void Text(std::u16string_view s) {
    Room(4 * s.size());
    for (char16_t c : s) PutUnit(c);
    column_ += s.size();
  }
  // Text inside quotes: backslash and quote escaped.
  void Escaped(std::u16string_view s) {
    Room(6 * s.size());
    for (char16_t c : s) {
      if (c == u'\\' || c == u'"') {
        Put('\\');
        ++column_;
      }
      PutUnit(c);
    }
    column_ += s.size();
  }
  void HexByte(BYTE b) {
    static constexpr char kDigits[] = "0123456789abcdef";
    Room(4);
    Put(kDigits[b >> 4]);
    Put(kDigits[b & 15]);
    column_ += 2;
  }
  std::size_t column() const { return column_; }
  std::size_t size() const { return len_; }
  // Bytes written since `start`, and whole lines written before.
  std::vector<BYTE> Since(std::size_t start) const {
    return std::vector<BYTE>(p_ + start, p_ + len_);
  }
  void Lines(const std::vector<BYTE>& bytes) {
    Room(bytes.size());
    if (!bytes.empty()) std::memcpy(p_ + len_, bytes.data(), bytes.size());
    len_ += bytes.size();
    column_ = 0;
  }
  // Trims the output to what was written.
  void Finish() { out_.resize(len_); }

 private:
  void Room(std::size_t n) {
    if (len_ + n <= out_.size()) return;
    // Room the caller reserved is used first, then the buffer doubles.
    std::size_t want = std::max(out_.size() * 2, len_ + n + 65536);
    if (out_.capacity() >= len_ + n) want = out_.capacity();
    out_.resize(want);
    p_ = out_.data();
  }
  void Put(char c) {
    p_[len_++] = static_cast<BYTE>(c);
    if (utf16_) p_[len_++] = 0;
  }
  void PutUnit(char16_t c) {
    if (utf16_) {
      p_[len_++] = static_cast<BYTE>(c & 0xFF);
      p_[len_++] = static_cast<BYTE>(c >> 8);
    } else if (c < 0x80) {
      p_[len_++] = static_cast<BYTE>(c);
    } else if (c < 0x800) {
      p_[len_++] = static_cast<BYTE>(0xC0 | (c >> 6));
      p_[len_++] = static_cast<BYTE>(0x80 | (c & 0x3F));
    } else if (IsHighSurrogate(c)) {
      high_ = c;
    } else if (IsLowSurrogate(c)) {
      const char32_t cp = 0x10000 + ((static_cast<char32_t>(high_) - 0xD800) << 10) + (c - 0xDC00);
      p_[len_++] = static_cast<BYTE>(0xF0 | (cp >> 18));
      p_[len_++] = static_cast<BYTE>(0x80 | ((cp >> 12) & 0x3F));
      p_[len_++] = static_cast<BYTE>(0x80 | ((cp >> 6) & 0x3F));
      p_[len_++] = static_cast<BYTE>(0x80 | (cp & 0x3F));
    } else {
      p_[len_++] = static_cast<BYTE>(0xE0 | (c >> 12));
      p_[len_++] = static_cast<BYTE>(0x80 | ((c >> 6) & 0x3F));
      p_[len_++] = static_cast<BYTE>(0x80 | (c & 0x3F));
    }
  }

  bool utf16_;
  std::vector<BYTE>& out_;
  BYTE* p_ = nullptr;
  std::size_t len_ = 0;
  std::size_t column_ = 0;
  char16_t high_ = 0;
};

class Writer {
 public:
  Writer(const RegFileFormat& format, std::string& error, std::vector<BYTE>& out)
      : format_(format), error_(error), sink_(format.encoding, out) {
    // A key's section is the same text in every file of one form.
    form_ = 1 + (format.encoding == TextEncoding::Utf16Le ? 1u : 0u) +
            2 * static_cast<unsigned>(format.lineEnding);
    switch (format.lineEnding) {
      case LineEnding::CrLf:
        nl_ = "\r\n";
        break;
      case LineEnding::Lf:
        nl_ = "\n";
        break;
      case LineEnding::Cr:
        nl_ = "\r";
        break;
    }
  }

  bool Run(const RegTree& tree) {
    sink_.Text(format_.header == RegHeader::Version5 ? kHeader5 : kHeader4);
    sink_.NewLine(nl_);
    sink_.NewLine(nl_);
    for (Root root : kAllRoots) {
      const RegKey& key = tree.At(root);
      std::u16string path(RootName(root));
      if (!key.Values().empty() && !WriteSection(path, key)) return false;
      if (!WriteChildren(path, key)) return false;
    }
    sink_.Finish();
    return true;
  }

 private:
  bool WriteChildren(std::u16string& path, const RegKey& key) {
    for (const auto& [folded, child] : key.Subkeys()) {
      if (!IsWritableName(child->Name()) || child->Name().empty() ||
          child->Name().find(u'\\') != std::u16string::npos) {
        error_ = "key name " + Quote(child->Name()) + " under " + Quote(path) +
                 " cannot be written to a .reg file";
        return false;
      }
      std::size_t len = path.size();
      path += u'\\';
      path += child->Name();
      if (!WriteSection(path, *child) || !WriteChildren(path, *child)) return false;
      path.resize(len);
    }
    return true;
  }

  bool WriteSection(const std::u16string& path, const RegKey& key) {
    if (const RegKey::WrittenSection* kept = key.Written(); kept && kept->form == form_) {
      sink_.Lines(kept->bytes);
      return true;
    }
    const std::size_t start = sink_.size();
    sink_.Ascii('[');
    sink_.Text(path);
    sink_.Ascii(']');
    sink_.NewLine(nl_);
    for (const RegValue& v : key.Values()) {
      if (!IsWritableName(v.name)) {
        error_ = "value name " + Quote(v.name) + " in " + Quote(path) +
                 " cannot be written to a .reg file (it holds a line break, NUL or broken "
                 "UTF-16)";
        return false;
      }
      WriteValue(v);
    }
    sink_.NewLine(nl_);
    key.KeepWritten(form_, sink_.Since(start));
    return true;
  }

  void WriteValue(const RegValue& v) {
    if (v.name.empty()) {
      sink_.Ascii('@');
    } else {
      sink_.Ascii('"');
      sink_.Escaped(v.name);
      sink_.Ascii('"');
    }
    sink_.Ascii('=');
    if (v.type == REG_SZ && IsPlainString(v.data)) {
      sink_.Ascii('"');
      for (std::size_t i = 0; i + 2 < v.data.size(); i += 2) {
        const auto c = static_cast<char16_t>(v.data[i] | (v.data[i + 1] << 8));
        if (c == u'\\' || c == u'"') sink_.Ascii('\\');
        sink_.Unit(c);
      }
      sink_.Ascii('"');
    } else if (v.type == REG_DWORD && v.data.size() == 4) {
      sink_.Ascii("dword:");
      for (int i = 3; i >= 0; --i) sink_.HexByte(v.data[static_cast<std::size_t>(i)]);
    } else {
      if (v.type == REG_BINARY) {
        sink_.Ascii("hex:");
      } else {
        char buf[24];
        std::snprintf(buf, sizeof buf, "hex(%x):", static_cast<unsigned>(v.type));
        sink_.Ascii(buf);
      }
      WriteHex(v.data);
    }
    sink_.NewLine(nl_);
  }

  // Regedit's wrapping: after a byte's comma, once the line has reached 77
  // columns, the line ends with "\" and the next starts with two blanks, so
  // no line is longer than 80 columns unless its name alone is.
  void WriteHex(const std::vector<BYTE>& data) {
    for (std::size_t i = 0; i < data.size(); ++i) {
      sink_.HexByte(data[i]);
      if (i + 1 == data.size()) break;
      sink_.Ascii(',');
      if (sink_.column() >= 77) {
        sink_.Ascii('\\');
        sink_.NewLine(nl_);
        sink_.Ascii("  ");
      }
    }
  }

  const RegFileFormat& format_;
  std::string& error_;
  Sink sink_;
  unsigned form_ = 0;
  std::string_view nl_;
};

}  // namespace

bool ParseRegFile(std::span<const BYTE> bytes, ParsedRegFile& out, RegFileError& error) {
  out = ParsedRegFile{};
  error = RegFileError{};
  Parser parser(out, error);
  if (parser.Run(bytes)) return true;
  out = ParsedRegFile{};
  return false;
}

bool WriteRegFile(const RegTree& tree, const RegFileFormat& format, std::vector<BYTE>& out,
                  std::string& error) {
  error.clear();
  Writer writer(format, error, out);
  if (writer.Run(tree)) return true;
  out.clear();
  return false;
}

bool IsWritableName(std::u16string_view name) {
  for (char16_t c : name) {
    if (c == u'\r' || c == u'\n' || c == u'\0') return false;
  }
  return SurrogatesPaired(name);
}

}  // namespace platform::registry
