// Helpers shared by the tests that handle files: temp folders, file bytes and
// byte/text conversion.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "driver/temp_dir.h"
#include "platform/wintypes.h"

namespace test {

using driver::TempDir;

inline std::vector<BYTE> Bytes(std::string_view s) {
  return {s.begin(), s.end()};
}

inline std::string Text(const std::vector<BYTE>& b) {
  return {b.begin(), b.end()};
}

inline std::vector<BYTE> ReadBytes(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A file's bytes as text (empty when it cannot be read).
inline std::string ReadFile(const std::filesystem::path& p) {
  const std::vector<BYTE> bytes = ReadBytes(p);
  return {bytes.begin(), bytes.end()};
}

inline void WriteBytes(const std::filesystem::path& p, std::string_view bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline void WriteBytes(const std::filesystem::path& p, const std::vector<BYTE>& bytes) {
  WriteBytes(p, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

inline void WriteText(const std::filesystem::path& p, std::string_view text) {
  WriteBytes(p, text);
}

// UTF-16LE bytes of a text, without terminator.
inline std::vector<BYTE> Utf16(std::u16string_view s) {
  std::vector<BYTE> out;
  for (char16_t c : s) {
    out.push_back(static_cast<BYTE>(c & 0xFF));
    out.push_back(static_cast<BYTE>(c >> 8));
  }
  return out;
}

// UTF-16LE bytes with the terminating NUL, as regedit stores a REG_SZ.
inline std::vector<BYTE> Sz(std::u16string_view s) {
  std::vector<BYTE> out = Utf16(s);
  out.push_back(0);
  out.push_back(0);
  return out;
}

inline std::vector<BYTE> Dword(DWORD v) {
  return {static_cast<BYTE>(v), static_cast<BYTE>(v >> 8), static_cast<BYTE>(v >> 16),
          static_cast<BYTE>(v >> 24)};
}

}  // namespace test
