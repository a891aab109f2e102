// Text helpers shared by every layer: the ASCII case folding that window
// class names and registry names compare with, copies into caller buffers,
// and UTF-8 <-> UTF-16.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::text {

// ASCII letters folded to upper case; every other unit unchanged.
constexpr char16_t FoldAscii(char16_t c) {
  return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - (u'a' - u'A')) : c;
}
bool EqualsFolded(std::u16string_view a, std::u16string_view b);

constexpr bool IsHighSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
constexpr bool IsLowSurrogate(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}
// The code point of a surrogate pair.
constexpr char32_t CodePoint(char16_t high, char16_t low) {
  return 0x10000 + ((static_cast<char32_t>(high) - 0xD800) << 10) + (low - 0xDC00);
}
// Copies as much of `text` as fits into a buffer of `size` units, followed by
// a terminating zero; returns the units copied (0 for a null or empty buffer).
int CopyCut(std::u16string_view text, char16_t* buffer, int size);

// True when every surrogate in the text is part of a pair.
bool SurrogatesPaired(std::u16string_view text);

// Stores the UTF-8 bytes of code point `cp` (no surrogate, below 0x110000)
// through `out` and returns the position after them.
template <typename Out>
constexpr Out PutUtf8(char32_t cp, Out out) {
  if (cp < 0x80) {
    *out++ = static_cast<unsigned char>(cp);
  } else if (cp < 0x800) {
    *out++ = static_cast<unsigned char>(0xC0 | (cp >> 6));
    *out++ = static_cast<unsigned char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *out++ = static_cast<unsigned char>(0xE0 | (cp >> 12));
    *out++ = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
    *out++ = static_cast<unsigned char>(0x80 | (cp & 0x3F));
  } else {
    *out++ = static_cast<unsigned char>(0xF0 | (cp >> 18));
    *out++ = static_cast<unsigned char>(0x80 | ((cp >> 12) & 0x3F));
    *out++ = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
    *out++ = static_cast<unsigned char>(0x80 | (cp & 0x3F));
  }
  return out;
}

// Strict UTF-8 decoding into `out` (replaced). Returns the offset of the
// first byte that is not valid UTF-8, or nullopt when all of it is.
std::optional<std::size_t> DecodeUtf8(std::string_view in, std::u16string& out);

// Appends the UTF-8 form of `in`. An unpaired surrogate makes a strict
// encoding fail (false; `out` then holds a partial result) and otherwise
// becomes U+FFFD.
bool EncodeUtf8(std::u16string_view in, std::string& out, bool strict);

// UTF-16 to UTF-8; unpaired surrogates become U+FFFD, so the result is
// always valid UTF-8.
std::string ToUtf8(std::u16string_view text);

// UTF-8 to UTF-16; nullopt when the input is not valid UTF-8.
std::optional<std::u16string> FromUtf8(std::string_view text);

// UTF-8 to UTF-16; each invalid byte becomes U+FFFD.
std::u16string FromUtf8Lossy(std::string_view text);

// Appends the UTF-16LE bytes of `text` (registry string data), without a
// terminator.
void AppendUtf16Le(std::u16string_view text, std::vector<unsigned char>& out);

}  // namespace platform::text
