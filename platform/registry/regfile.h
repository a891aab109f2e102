// Reader and writer of regedit's .reg text format, as pure functions over
// bytes. The reader of a store is strict: any line it does not understand is
// refused with its line number, so that a file it cannot fully read is never
// rewritten with parts missing. The import's reader skips and lists such
// lines instead, as regedit does.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/registry/regtree.h"
#include "platform/status/status.h"
#include "platform/wintypes.h"

namespace platform::registry {

// CodePage: 8-bit text in a Windows code page (a REGEDIT4 file that is not
// valid UTF-8).
enum class TextEncoding { Utf8, Utf8Bom, Utf16Le, CodePage };
enum class LineEnding { CrLf, Lf, Cr };
enum class RegHeader { Version5, Regedit4 };

// How a file is laid out; kept so that a rewritten file looks like the old
// one. The default is the form of a new file.
struct RegFileFormat {
  TextEncoding encoding = TextEncoding::Utf8;
  LineEnding lineEnding = LineEnding::Lf;
  RegHeader header = RegHeader::Version5;
  unsigned codePage = 0;  // with TextEncoding::CodePage: which one (932, 1251, ...)
  friend bool operator==(const RegFileFormat&, const RegFileFormat&) = default;
};

// A REGEDIT4 file in an 8-bit encoding (UTF-8 or a code page): its strings,
// hex(2): and hex(7): data are 8-bit text, as regedit reads them.
bool IsEightBitRegedit4(const RegFileFormat& format);

// How the code page of an 8-bit file was chosen.
enum class CodePageChoice { Option, Detected, Default };

// The lines each value had in an 8-bit REGEDIT4 file, so that a value that
// did not change is written back with exactly its bytes (whatever the code
// page made of them). An entry holds while the value keeps its name, type
// and data.
struct RegValueLines {
  TextEncoding encoding = TextEncoding::Utf8;
  unsigned codePage = 0;
  struct Entry {
    DWORD type = 0;
    std::vector<BYTE> data;
    std::vector<BYTE> bytes;  // the value's lines, without the last line end
  };
  // By the key's path as the writer spells it, NUL, the value's exact name.
  std::unordered_map<std::u16string, Entry> values;
};

struct ParsedRegFile {
  RegTree tree;
  RegFileFormat format;
  CodePageChoice codePageChoice = CodePageChoice::Default;
  // "SOURCE:LINE: ..." for the first line whose bytes are no text in the
  // file's encoding (the file still loads); empty if none.
  std::string warning;
  RegValueLines lines;  // of an 8-bit REGEDIT4 file
};

struct RegReadOptions {
  // The code page of a REGEDIT4 file that is not valid UTF-8 (0: detect it,
  // else 932).
  unsigned codePage = 0;
};

// Reads a whole .reg file. A file that cannot be read completely gives a
// Corrupt status "SOURCE:LINE: what is wrong" (`source` names the file) and
// leaves `out` empty.
Status ParseRegFile(std::span<const BYTE> bytes, std::string_view source, ParsedRegFile& out,
                    const RegReadOptions& options = {});

// The encoding a file was read in, for a person: "UTF-8", "UTF-16LE",
// "Shift_JIS (code page 932, detected)".
std::string DescribeEncoding(const RegFileFormat& format, CodePageChoice choice);

// One change a .reg file asks for. A value's change applies to the key of
// the last CreateKey before it.
struct RegFileEdit {
  enum class Kind { CreateKey, DeleteKey, SetValue, DeleteValue };
  Kind kind = Kind::CreateKey;
  std::size_t line = 0;  // where it starts, from 1
  Root root = Root::LocalMachine;
  std::vector<std::u16string> path = {};  // keys
  std::u16string name = {};               // values; empty: the default value
  DWORD type = 0;
  std::vector<BYTE> data = {};
};

// A line that an import leaves out, and why.
struct SkippedLine {
  std::size_t line = 0;  // from 1
  std::string reason;
};

struct RegFileImport {
  std::vector<RegFileEdit> edits;  // in the order of the file
  std::vector<SkippedLine> skipped;
  RegFileFormat format;
  CodePageChoice codePageChoice = CodePageChoice::Default;
  std::string warning;  // as ParsedRegFile's
};

// Reads a .reg file the way regedit imports one: the same syntax as
// ParseRegFile, but a line regedit skips (a key or value line that does not
// read, a value under a key line that did not, a value whose continuation
// goes wrong: all its lines) is skipped and listed instead of refusing the
// file. Only what regedit refuses as a whole (no header, text that does not
// decode) gives a Corrupt status "SOURCE:LINE: what is wrong", with `out`
// empty. An 8-bit REGEDIT4 file is read as ParseRegFile reads it.
Status ReadRegFileEdits(std::span<const BYTE> bytes, std::string_view source, RegFileImport& out,
                        const RegReadOptions& options = {});

// The text of each key's own section from earlier writes, by the key's
// stamp, so that a write turns only keys changed since into text again.
// Whoever writes the same tree again and again keeps one.
struct RegTextCache {
  unsigned form = 0;  // the encoding and line ends the sections are in
  std::unordered_map<std::uint64_t, std::vector<BYTE>> sections;
  // The value lines of the 8-bit file read last (ParsedRegFile::lines).
  RegValueLines lines;
};

// Writes the tree in the given format. A name that cannot be represented in
// a .reg file (CR, LF, NUL, or text the encoding cannot hold), or text the
// file's code page cannot hold, gives an InvalidData status naming the key
// and value, and leaves `out` empty. With a cache the bytes are the same,
// only sooner; the cache then holds this write's sections. Its `lines` give
// unchanged values of an 8-bit REGEDIT4 file their bytes as read.
Status WriteRegFile(const RegTree& tree, const RegFileFormat& format, std::vector<BYTE>& out,
                    RegTextCache* cache = nullptr);

// A name that a .reg file can hold (no CR, LF or NUL, no unpaired surrogate).
bool IsWritableName(std::u16string_view name);

}  // namespace platform::registry
