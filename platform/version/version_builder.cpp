#include "platform/version/version_builder.h"

#include <cstddef>
#include <limits>
#include <stdexcept>

#include "platform/version/version.h"

namespace platform {
namespace {

constexpr WORD kBinary = 0;
constexpr WORD kText = 1;

class BlockWriter {
 public:
  explicit BlockWriter(std::vector<unsigned char>& out) : out_(out) {}

  // Starts a block: header with a placeholder length, key, padding.
  // Returns the block's offset for End().
  std::size_t Begin(std::u16string_view key, WORD valueLength, WORD type) {
    Align();
    const std::size_t start = out_.size();
    Word(0);
    Word(valueLength);
    Word(type);
    Text(key);
    Align();
    return start;
  }

  // Closes a block: its length runs to the current end, without the
  // padding that the next sibling adds.
  void End(std::size_t start) {
    const std::size_t length = out_.size() - start;
    if (length > std::numeric_limits<WORD>::max()) {
      throw std::length_error("version block longer than 65535 bytes");
    }
    out_[start] = static_cast<unsigned char>(length & 0xFF);
    out_[start + 1] = static_cast<unsigned char>(length >> 8);
  }

  void Word(WORD w) {
    out_.push_back(static_cast<unsigned char>(w & 0xFF));
    out_.push_back(static_cast<unsigned char>(w >> 8));
  }
  void Dword(DWORD d) {
    Word(static_cast<WORD>(d & 0xFFFF));
    Word(static_cast<WORD>(d >> 16));
  }
  // UTF-16 text and its terminator.
  void Text(std::u16string_view s) {
    for (char16_t c : s) Word(static_cast<WORD>(c));
    Word(0);
  }
  void Align() {
    while (out_.size() % 4 != 0) out_.push_back(0);
  }

 private:
  std::vector<unsigned char>& out_;
};

WORD CheckedWord(std::size_t n) {
  if (n > std::numeric_limits<WORD>::max()) {
    throw std::length_error("version value longer than 65535 units");
  }
  return static_cast<WORD>(n);
}

DWORD High(const std::array<WORD, 4>& v) {
  return MAKELONG(v[1], v[0]);
}
DWORD Low(const std::array<WORD, 4>& v) {
  return MAKELONG(v[3], v[2]);
}

}  // namespace

std::vector<unsigned char> BuildVersionInfo(const VersionRecord& record) {
  std::vector<unsigned char> out;
  BlockWriter w(out);

  const std::size_t root = w.Begin(u"VS_VERSION_INFO", sizeof(VS_FIXEDFILEINFO), kBinary);
  w.Dword(VS_FFI_SIGNATURE);
  w.Dword(VS_FFI_STRUCVERSION);
  w.Dword(High(record.fileVersion));
  w.Dword(Low(record.fileVersion));
  w.Dword(High(record.productVersion));
  w.Dword(Low(record.productVersion));
  w.Dword(record.fileFlagsMask);
  w.Dword(record.fileFlags);
  w.Dword(record.fileOS);
  w.Dword(record.fileType);
  w.Dword(record.fileSubtype);
  w.Dword(0);  // file date, unused
  w.Dword(0);

  if (!record.stringTables.empty()) {
    const std::size_t sfi = w.Begin(u"StringFileInfo", 0, kText);
    for (const VersionStringTable& table : record.stringTables) {
      const std::size_t st = w.Begin(table.key, 0, kText);
      for (const VersionString& s : table.strings) {
        // A string's value length counts characters, terminator included.
        const std::size_t str = w.Begin(s.name, CheckedWord(s.value.size() + 1), kText);
        w.Text(s.value);
        w.End(str);
      }
      w.End(st);
    }
    w.End(sfi);
  }

  if (!record.translations.empty()) {
    const std::size_t vfi = w.Begin(u"VarFileInfo", 0, kText);
    const std::size_t var =
        w.Begin(u"Translation", CheckedWord(record.translations.size() * 4), kBinary);
    for (const VersionTranslation& t : record.translations) {
      w.Word(t.language);
      w.Word(t.codePage);
    }
    w.End(var);
    w.End(vfi);
  }

  w.End(root);
  return out;
}

}  // namespace platform
