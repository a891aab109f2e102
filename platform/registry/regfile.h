// Reader and writer of regedit's .reg text format, as pure functions over
// bytes. The reader is strict: any line it does not understand is refused
// with its line number, so that a file it cannot fully read is never
// rewritten with parts missing.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "platform/registry/regtree.h"
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

struct RegFileError {
  int line = 0;  // 1-based; 0 when the error concerns no particular line
  std::string message;
};

struct ParsedRegFile {
  RegTree tree;
  RegFileFormat format;
};

// Reads a whole .reg file. Returns false and fills `error` when the file
// cannot be read completely.
bool ParseRegFile(std::span<const BYTE> bytes, ParsedRegFile& out, RegFileError& error);

// Writes the tree in the given format. Returns false (and leaves `out`
// empty) when a name cannot be represented in a .reg file (CR, LF, NUL, or
// text the encoding cannot hold).
bool WriteRegFile(const RegTree& tree, const RegFileFormat& format, std::vector<BYTE>& out,
                  std::string& error);

// A name that a .reg file can hold (no CR, LF or NUL, no unpaired surrogate).
bool IsWritableName(std::u16string_view name);

}  // namespace platform::registry
