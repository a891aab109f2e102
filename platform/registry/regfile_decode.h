// The first step of reading a .reg file: its bytes as text, and the
// encoding they were read in (UTF-8, UTF-16LE, or an 8-bit REGEDIT4 file's
// code page, given or detected).
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/registry/regfile.h"
#include "platform/text/codepage.h"
#include "platform/wintypes.h"

namespace platform::registry {

struct DecodedRegFile {
  std::u16string text;
  TextEncoding encoding = TextEncoding::Utf8;
  unsigned codePage = 0;  // with TextEncoding::CodePage
  CodePageChoice choice = CodePageChoice::Default;
  std::span<const BYTE> body;                  // the bytes after a byte-order mark
  std::unique_ptr<text::CodePageCodec> codec;  // code-page files only
  // The first line (from 0) with bytes that are no text in the code page.
  std::optional<std::size_t> badLine;
  // Bytes that are no .reg text at all: the line (from 0) and why.
  struct Refusal {
    std::size_t line = 0;
    std::string reason;
  };
  std::optional<Refusal> refusal;
};

DecodedRegFile DecodeRegFileBytes(std::span<const BYTE> bytes, const RegReadOptions& options);

// The byte range of each line of an 8-bit file, split as the reader splits
// its text (a CR or LF byte is never part of a character in these code
// pages). `end` is where the line's text ends, before its line end.
struct ByteLine {
  std::size_t begin = 0;
  std::size_t end = 0;
};
std::vector<ByteLine> SplitByteLines(std::span<const BYTE> bytes);

}  // namespace platform::registry
