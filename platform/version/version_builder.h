// Builds a VS_VERSIONINFO block, laid out as a resource compiler lays it out
// (UTF-16 keys, every member aligned on 32 bits), from a plain description.
#pragma once

#include <array>
#include <span>
#include <string_view>
#include <vector>

#include "platform/wintypes.h"

namespace platform {

struct VersionString {
  std::u16string_view name;
  std::u16string_view value;
};

// A string table, filed under its language key ("041103a4").
struct VersionStringTable {
  std::u16string_view key;
  std::span<const VersionString> strings;
};

struct VersionTranslation {
  WORD language = 0;
  WORD codePage = 0;
};

struct VersionRecord {
  std::array<WORD, 4> fileVersion{};     // major, minor, build, revision
  std::array<WORD, 4> productVersion{};  // major, minor, build, revision
  DWORD fileFlagsMask = 0;
  DWORD fileFlags = 0;
  DWORD fileOS = 0;
  DWORD fileType = 0;
  DWORD fileSubtype = 0;
  std::span<const VersionStringTable> stringTables;  // none: no StringFileInfo
  std::span<const VersionTranslation> translations;  // none: no VarFileInfo
};

// The block's bytes. Throws std::length_error when the record does not fit
// the 16-bit lengths of the format.
std::vector<unsigned char> BuildVersionInfo(const VersionRecord& record);

}  // namespace platform
