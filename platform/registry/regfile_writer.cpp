// The .reg writer: the tree as regedit writes it, in the file's encoding
// and line ends, each key's section taken from the cache while it is current.
#include "platform/registry/regfile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "platform/registry/regfile_internal.h"
#include "platform/registry/winreg.h"
#include "platform/text/codepage.h"
#include "platform/text/text.h"

namespace platform::registry {

namespace {

using text::IsHighSurrogate;
using text::IsLowSurrogate;

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

// Text data in an 8-bit REGEDIT4 file: well-formed UTF-16 whose last unit
// is NUL (or no data at all), so that the 8-bit bytes read back as the same
// data.
bool IsEightBitTextData(const std::vector<BYTE>& data) {
  if (data.size() % 2 != 0) return false;
  if (data.empty()) return true;
  if (data[data.size() - 1] != 0 || data[data.size() - 2] != 0) return false;
  std::u16string units;
  for (std::size_t i = 0; i < data.size(); i += 2) {
    units.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  }
  return text::SurrogatesPaired(units);
}

// A REG_SZ that an 8-bit REGEDIT4 file writes as "text": a plain string, or
// one without its terminator (which regedit adds when it reads the file).
bool IsEightBitString(const std::vector<BYTE>& data) {
  if (IsPlainString(data)) return true;
  if (data.empty() || data.size() % 2 != 0) return false;
  std::vector<BYTE> terminated = data;
  terminated.push_back(0);
  terminated.push_back(0);
  return IsPlainString(terminated);
}

std::u16string Units(const std::vector<BYTE>& data) {
  std::u16string units;
  units.reserve(data.size() / 2);
  for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
    units.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  }
  return units;
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
  // The bytes written since `start`.
  std::vector<BYTE> Since(std::size_t start) const {
    return std::vector<BYTE>(p_ + start, p_ + len_);
  }
  // Bytes of text already in the file's encoding, `columns` characters.
  void Encoded(std::string_view bytes, std::size_t columns) {
    Room(bytes.size());
    std::memcpy(p_ + len_, bytes.data(), bytes.size());
    len_ += bytes.size();
    column_ += columns;
  }
  // Whole lines written before (the column starts again).
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
    } else if (IsHighSurrogate(c)) {
      high_ = c;
    } else {
      const char32_t cp = IsLowSurrogate(c) ? text::CodePoint(high_, c) : c;
      len_ = static_cast<std::size_t>(text::PutUtf8(cp, p_ + len_) - p_);
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
  Writer(const RegFileFormat& format, std::vector<BYTE>& out, RegTextCache* cache)
      : format_(format), sink_(format.encoding, out), cache_(cache) {
    // A key's section is the same text in every file of one encoding and
    // line end (the header line is not part of it).
    form_ = 1 + static_cast<unsigned>(format.encoding) +
            16 * static_cast<unsigned>(format.lineEnding) +
            64 * static_cast<unsigned>(format.header) + 128 * format.codePage;
    if (format.encoding == TextEncoding::CodePage) {
      codec_ = std::make_unique<text::CodePageCodec>(format.codePage);
    } else if (IsEightBitRegedit4(format)) {
      codec_ = std::make_unique<text::CodePageCodec>(text::kUtf8CodePage);
    }
    if (cache_ && IsEightBitRegedit4(format) && cache_->lines.encoding == format.encoding &&
        cache_->lines.codePage == format.codePage) {
      lines_ = &cache_->lines.values;
    }
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
    if (cache_) {
      if (cache_->form == form_) kept_ = std::move(cache_->sections);
      cache_->form = form_;
      cache_->sections.clear();
      cache_->sections.reserve(kept_.size());
    }
  }

  // The status of a run that returned false.
  const Status& status() const { return status_; }

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
  bool Fail(std::string message) {
    status_ = Status::InvalidData(std::move(message));
    return false;
  }

  bool WriteChildren(std::u16string& path, const RegKey& key) {
    for (const auto& [folded, child] : key.Subkeys()) {
      if (!IsWritableName(child->Name()) || child->Name().empty() ||
          child->Name().find(u'\\') != std::u16string::npos) {
        return Fail("key name " + Quote(child->Name()) + " under " + Quote(path) +
                    " cannot be written to a .reg file");
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
    if (auto kept = kept_.find(key.Stamp()); kept != kept_.end()) {
      sink_.Lines(kept->second);
      cache_->sections.insert(kept_.extract(kept));
      return true;
    }
    const std::size_t start = sink_.size();
    sink_.Ascii('[');
    if (!PutText(path, false)) return CannotHold("key " + Quote(path));
    sink_.Ascii(']');
    sink_.NewLine(nl_);
    for (const RegValue& v : key.Values()) {
      if (!IsWritableName(v.name)) {
        return Fail("value name " + Quote(v.name) + " in " + Quote(path) +
                    " cannot be written to a .reg file (it holds a line break, NUL or broken "
                    "UTF-16)");
      }
      if (!WriteValue(path, v)) return false;
    }
    sink_.NewLine(nl_);
    if (cache_) cache_->sections.emplace(key.Stamp(), sink_.Since(start));
    return true;
  }

  // Text in the file's encoding; in quotes, `escape` puts a backslash
  // before each backslash and quote. False when a code page cannot hold it
  // (bad_ says which character).
  bool PutText(std::u16string_view s, bool escape) {
    if (format_.encoding != TextEncoding::CodePage) {
      if (escape) {
        sink_.Escaped(s);
      } else {
        sink_.Text(s);
      }
      return true;
    }
    std::u16string escaped;
    if (escape) {
      for (char16_t c : s) {
        if (c == u'\\' || c == u'"') escaped.push_back(u'\\');
        escaped.push_back(c);
      }
      s = escaped;
    }
    std::string bytes;
    if (!codec_->Encode(s, bytes, &bad_)) return false;
    sink_.Encoded(bytes, s.size());
    return true;
  }

  bool CannotHold(const std::string& what) {
    return Fail(what + " holds " + Quote(bad_) + ", which " +
                std::string(text::CodePageName(format_.codePage)) + " (code page " +
                std::to_string(format_.codePage) + ") cannot hold");
  }

  // The value's lines as an 8-bit file held them, while it is unchanged. A
  // string written without its terminator counts as unchanged: the file's
  // "text" reads back with it, as regedit adds it.
  const std::vector<BYTE>* LinesAsRead(const std::u16string& path, const RegValue& v) {
    if (lines_ == nullptr) return nullptr;
    std::u16string id = path;
    id += u'\0';
    id += v.name;
    auto it = lines_->find(id);
    if (it == lines_->end() || it->second.type != v.type) return nullptr;
    const std::vector<BYTE>& read = it->second.data;
    if (read == v.data) return &it->second.bytes;
    if (v.type == REG_SZ && read.size() == v.data.size() + 2 && read[read.size() - 1] == 0 &&
        read[read.size() - 2] == 0 && std::equal(v.data.begin(), v.data.end(), read.begin()) &&
        IsPlainString(read)) {
      return &it->second.bytes;
    }
    return nullptr;
  }

  bool WriteValue(const std::u16string& path, const RegValue& v) {
    if (const std::vector<BYTE>* bytes = LinesAsRead(path, v)) {
      sink_.Lines(*bytes);
      sink_.NewLine(nl_);
      return true;
    }
    // Only a refusal spells the value out.
    auto what = [&] { return "value " + Quote(v.name) + " in " + Quote(path); };
    if (v.name.empty()) {
      sink_.Ascii('@');
    } else {
      sink_.Ascii('"');
      if (!PutText(v.name, true)) return CannotHold(what() + " (its name)");
      sink_.Ascii('"');
    }
    sink_.Ascii('=');
    const bool eightBit = IsEightBitRegedit4(format_);
    if (v.type == REG_SZ && (IsPlainString(v.data) || (eightBit && IsEightBitString(v.data)))) {
      sink_.Ascii('"');
      // Up to the terminator, if there is one.
      std::size_t end = v.data.size();
      if (end >= 2 && v.data[end - 1] == 0 && v.data[end - 2] == 0) end -= 2;
      if (format_.encoding == TextEncoding::CodePage) {
        std::u16string units = Units(v.data);
        units.resize(end / 2);
        if (!PutText(units, true)) return CannotHold(what());
      } else {
        for (std::size_t i = 0; i + 1 < end; i += 2) {
          const auto c = static_cast<char16_t>(v.data[i] | (v.data[i + 1] << 8));
          if (c == u'\\' || c == u'"') sink_.Ascii('\\');
          sink_.Unit(c);
        }
      }
      sink_.Ascii('"');
    } else if (v.type == REG_DWORD && v.data.size() == 4) {
      sink_.Ascii("dword:");
      for (int i = 3; i >= 0; --i) sink_.HexByte(v.data[static_cast<std::size_t>(i)]);
    } else if (eightBit && (v.type == REG_EXPAND_SZ || v.type == REG_MULTI_SZ)) {
      // 8-bit text in the file's code page, as regedit reads it.
      if (!IsEightBitTextData(v.data)) {
        return Fail(what() +
                    " cannot be written to a REGEDIT4 file: its data is not text ending "
                    "in NUL");
      }
      std::string bytes;
      if (!codec_->Encode(Units(v.data), bytes, &bad_)) return CannotHold(what());
      char buf[24];
      std::snprintf(buf, sizeof buf, "hex(%x):", static_cast<unsigned>(v.type));
      sink_.Ascii(buf);
      WriteHex(std::vector<BYTE>(bytes.begin(), bytes.end()));
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
    return true;
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
  Sink sink_;
  RegTextCache* cache_;
  // The previous write's sections, taken over as their keys come by.
  std::unordered_map<std::uint64_t, std::vector<BYTE>> kept_;
  Status status_;
  unsigned form_ = 0;
  std::string_view nl_;
  std::unique_ptr<text::CodePageCodec> codec_;  // 8-bit REGEDIT4 files
  const std::unordered_map<std::u16string, RegValueLines::Entry>* lines_ = nullptr;
  std::u16string bad_;  // the character a code page could not hold
};

}  // namespace

Status WriteRegFile(const RegTree& tree, const RegFileFormat& format, std::vector<BYTE>& out,
                    RegTextCache* cache) {
  Writer writer(format, out, cache);
  if (writer.Run(tree)) return {};
  out.clear();
  return writer.status();
}

bool IsWritableName(std::u16string_view name) {
  for (char16_t c : name) {
    if (c == u'\r' || c == u'\n' || c == u'\0') return false;
  }
  return text::SurrogatesPaired(name);
}

}  // namespace platform::registry
