// 8-bit text in the Windows code pages a device's .reg file may be written
// in: conversion to and from UTF-16 (glibc iconv) and detection of the code
// page (libuchardet).
//
// A byte that is no character of the code page decodes to a stand-in, a
// private-use character no code page here decodes to (U+F0000 + the byte,
// a surrogate pair), and a stand-in encodes back to its byte: text read
// from a broken file can be shown, and written back without losing a byte.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform::text {

// The code pages an 8-bit file may be in, the default first.
inline constexpr std::array<unsigned, 14> kCodePages = {932,  936,  949,  950,  1250, 1251, 1252,
                                                        1253, 1254, 1255, 1256, 1257, 1258, 874};
// UTF-8 as a code page: the 8-bit text of a file that is valid UTF-8.
inline constexpr unsigned kUtf8CodePage = 65001;

// One of kCodePages.
bool IsCodePage(unsigned codePage);
// The usual name of a code page of kCodePages: "Shift_JIS", "windows-1251".
std::string_view CodePageName(unsigned codePage);

// The code page of kCodePages that libuchardet takes the bytes to be in;
// nullopt when it finds none of them (or plain ASCII).
std::optional<unsigned> DetectCodePage(std::string_view bytes);

// The stand-in of a byte: this high surrogate, then kStandInLow + the byte.
inline constexpr char16_t kStandInHigh = 0xDB80;
inline constexpr char16_t kStandInLow = 0xDC00;
// The byte a stand-in at text[i] stands for; nullopt when there is none.
std::optional<unsigned char> StandInAt(std::u16string_view text, std::size_t i);

// Converts text between one code page (kCodePages or kUtf8CodePage) and
// UTF-16. Not thread-safe; keep one per conversion run.
class CodePageCodec {
 public:
  explicit CodePageCodec(unsigned codePage);
  ~CodePageCodec();
  CodePageCodec(const CodePageCodec&) = delete;
  CodePageCodec& operator=(const CodePageCodec&) = delete;

  unsigned codePage() const { return codePage_; }

  // Appends the UTF-16 text of `in`; each byte that is not part of a
  // character becomes its stand-in. Returns the offset of the first such
  // byte, nullopt when every byte decoded.
  std::optional<std::size_t> Decode(std::string_view in, std::u16string& out);

  // Appends the bytes of `in`. Fails (false, `out` unspecified) at the first
  // character the code page cannot hold exactly (one that would not read
  // back as itself), and says which through `bad`. In a code page of
  // kCodePages a stand-in becomes its byte.
  bool Encode(std::u16string_view in, std::string& out, std::u16string* bad = nullptr);

 private:
  bool EncodeRun(std::u16string_view in, std::string& out);
  bool EncodeExactly(std::u16string_view in, std::string& out);

  unsigned codePage_;
  struct Handles;
  std::unique_ptr<Handles> handles_;
};

}  // namespace platform::text
