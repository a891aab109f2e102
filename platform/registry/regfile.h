// Reader and writer of regedit's .reg text format, as pure functions over
// bytes. The reader is strict: any line it does not understand is refused
// with its line number, so that a file it cannot fully read is never
// rewritten with parts missing.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/registry/regtree.h"
#include "platform/status/status.h"
#include "platform/wintypes.h"

namespace platform::registry {

enum class TextEncoding { Utf8, Utf8Bom, Utf16Le };
enum class LineEnding { CrLf, Lf, Cr };
enum class RegHeader { Version5, Regedit4 };

// How a file is laid out; kept so that a rewritten file looks like the old
// one. The default is the form of a new file.
struct RegFileFormat {
  TextEncoding encoding = TextEncoding::Utf8;
  LineEnding lineEnding = LineEnding::Lf;
  RegHeader header = RegHeader::Version5;
  friend bool operator==(const RegFileFormat&, const RegFileFormat&) = default;
};

struct ParsedRegFile {
  RegTree tree;
  RegFileFormat format;
};

// Reads a whole .reg file. A file that cannot be read completely gives a
// Corrupt status "SOURCE:LINE: what is wrong" (`source` names the file) and
// leaves `out` empty.
Status ParseRegFile(std::span<const BYTE> bytes, std::string_view source, ParsedRegFile& out);

// The text of each key's own section from earlier writes, by the key's
// stamp, so that a write turns only keys changed since into text again.
// Whoever writes the same tree again and again keeps one.
struct RegTextCache {
  unsigned form = 0;  // the encoding and line ends the sections are in
  std::unordered_map<std::uint64_t, std::vector<BYTE>> sections;
};

// Writes the tree in the given format. A name that cannot be represented in
// a .reg file (CR, LF, NUL, or text the encoding cannot hold) gives an
// InvalidData status and leaves `out` empty. With a cache the bytes are the
// same, only sooner; the cache then holds this write's sections.
Status WriteRegFile(const RegTree& tree, const RegFileFormat& format, std::vector<BYTE>& out,
                    RegTextCache* cache = nullptr);

// A name that a .reg file can hold (no CR, LF or NUL, no unpaired surrogate).
bool IsWritableName(std::u16string_view name);

}  // namespace platform::registry
