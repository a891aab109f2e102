#include "platform/registry/regfile_decode.h"

#include <string_view>

#include "platform/text/text.h"

namespace platform::registry {

namespace {

// Number of line ends in an 8-bit byte range (CRLF counts once).
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

// True when the first line of the bytes is the REGEDIT4 header.
bool StartsWithRegedit4(std::span<const BYTE> bytes) {
  std::size_t i = 0;
  while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\t')) ++i;
  std::size_t end = i;
  while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
  while (end > i && (bytes[end - 1] == ' ' || bytes[end - 1] == '\t')) --end;
  return std::string_view(reinterpret_cast<const char*>(bytes.data()) + i, end - i) == "REGEDIT4";
}

// Where a line of UTF-16 text that ends early is: the index of its last line.
std::size_t LastLineIndex(std::u16string_view text) {
  std::size_t ends = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\n' || (text[i] == u'\r' && (i + 1 == text.size() || text[i + 1] != u'\n'))) {
      ++ends;
    }
  }
  const bool endsWithLineEnd = !text.empty() && (text.back() == u'\n' || text.back() == u'\r');
  return endsWithLineEnd ? ends - 1 : ends;
}

DecodedRegFile Refused(std::size_t line, std::string reason) {
  DecodedRegFile d;
  d.refusal = DecodedRegFile::Refusal{line, std::move(reason)};
  return d;
}

// An 8-bit REGEDIT4 file's text in the code page given, detected or 932.
void DecodeCodePage(std::string_view chars, const RegReadOptions& options, DecodedRegFile& d) {
  unsigned codePage = options.codePage;
  d.choice = CodePageChoice::Option;
  if (codePage == 0) {
    std::optional<unsigned> detected = text::DetectCodePage(chars);
    d.choice = detected ? CodePageChoice::Detected : CodePageChoice::Default;
    codePage = detected.value_or(text::kCodePages[0]);
  }
  d.codec = std::make_unique<text::CodePageCodec>(codePage);
  d.text.clear();
  std::optional<std::size_t> bad = d.codec->Decode(chars, d.text);
  if (bad && d.choice == CodePageChoice::Detected && codePage != text::kCodePages[0]) {
    // A guess the bytes do not fit gives way to the default when that fits.
    auto fallback = std::make_unique<text::CodePageCodec>(text::kCodePages[0]);
    std::u16string other;
    if (!fallback->Decode(chars, other)) {
      d.codec = std::move(fallback);
      d.text = std::move(other);
      bad.reset();
      codePage = text::kCodePages[0];
      d.choice = CodePageChoice::Default;
    }
  }
  d.encoding = TextEncoding::CodePage;
  d.codePage = codePage;
  if (bad) d.badLine = static_cast<std::size_t>(CountLineEnds(d.body.first(*bad)));
}

}  // namespace

std::vector<ByteLine> SplitByteLines(std::span<const BYTE> bytes) {
  std::vector<ByteLine> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\r' && bytes[i] != '\n') continue;
    lines.push_back({start, i});
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < bytes.size() || lines.empty()) lines.push_back({start, bytes.size()});
  return lines;
}

DecodedRegFile DecodeRegFileBytes(std::span<const BYTE> bytes, const RegReadOptions& options) {
  DecodedRegFile d;
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
    d.encoding = TextEncoding::Utf16Le;
    std::span<const BYTE> body = bytes.subspan(2);
    d.text.resize(body.size() / 2);
    for (std::size_t i = 0; i < d.text.size(); ++i) {
      d.text[i] = static_cast<char16_t>(body[2 * i] | (body[2 * i + 1] << 8));
    }
    if (body.size() % 2 != 0) {
      return Refused(LastLineIndex(d.text),
                     "UTF-16 text ends in the middle of a character (odd number of bytes)");
    }
    return d;
  }
  if (bytes.size() >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) {
    return Refused(0,
                   "UTF-16 big-endian text is not supported (save the file as UTF-16LE or UTF-8)");
  }
  d.body = bytes;
  d.encoding = TextEncoding::Utf8;
  if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
    d.encoding = TextEncoding::Utf8Bom;
    d.body = bytes.subspan(3);
  }
  const std::string_view chars(reinterpret_cast<const char*>(d.body.data()), d.body.size());
  if (auto bad = text::DecodeUtf8(chars, d.text)) {
    // A REGEDIT4 file that is not UTF-8 is 8-bit text in a code page.
    if (d.encoding == TextEncoding::Utf8Bom || !StartsWithRegedit4(d.body)) {
      return Refused(static_cast<std::size_t>(CountLineEnds(d.body.first(*bad))),
                     "invalid UTF-8 text");
    }
    DecodeCodePage(chars, options, d);
  }
  return d;
}

bool IsEightBitRegedit4(const RegFileFormat& format) {
  return format.header == RegHeader::Regedit4 && format.encoding != TextEncoding::Utf16Le;
}

std::string DescribeEncoding(const RegFileFormat& format, CodePageChoice choice) {
  switch (format.encoding) {
    case TextEncoding::Utf8:
      return "UTF-8";
    case TextEncoding::Utf8Bom:
      return "UTF-8 with byte-order mark";
    case TextEncoding::Utf16Le:
      return "UTF-16LE";
    case TextEncoding::CodePage:
      break;
  }
  std::string text(text::CodePageName(format.codePage));
  text += " (code page " + std::to_string(format.codePage);
  switch (choice) {
    case CodePageChoice::Option:
      text += ", --codepage)";
      break;
    case CodePageChoice::Detected:
      text += ", detected)";
      break;
    case CodePageChoice::Default:
      text += ", the default)";
      break;
  }
  return text;
}

}  // namespace platform::registry
