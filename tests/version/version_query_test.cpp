// Module, file-size, read and lookup calls over a module installed by the
// test, including the places where Windows reports failure.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/version/version.h"
#include "platform/version/version_builder.h"
#include "test_module.h"

namespace {

using platform::VersionRecord;
using platform::VersionString;
using platform::VersionStringTable;
using platform::VersionTranslation;

constexpr char16_t kPath[] = u"/opt/regilla/bin/RegillaMobile";

const VersionString kStrings[] = {
    {u"FileDescription", u"RegillaMobile"},
    {u"FileVersion", u"1.0.0.1"},
    {u"LegalCopyright", u"Copyright (C) 2026 test"},
    {u"ProductVersion", u"1, 0, 0, 1"},
};
const VersionString kNoCopyright[] = {{u"FileVersion", u"1.0.0.1"}};
const VersionStringTable kTables[] = {{u"041103a4", kStrings}};
const VersionStringTable kOtherKey[] = {{u"040904b0", kStrings}};
const VersionStringTable kNoCopyrightTables[] = {{u"041103a4", kNoCopyright}};
const VersionTranslation kJapanese[] = {{0x0411, 0x03A4}};

VersionRecord Record(std::span<const VersionStringTable> tables = kTables,
                     std::span<const VersionTranslation> translations = kJapanese) {
  VersionRecord r;
  r.fileVersion = {1, 0, 0, 1};
  r.productVersion = {1, 0, 0, 1};
  r.fileFlagsMask = 0x3F;
  r.fileOS = VOS__WINDOWS32;
  r.fileType = VFT_APP;
  r.stringTables = tables;
  r.translations = translations;
  return r;
}

// Reads the program's block the way a caller does: path, size, read.
std::vector<unsigned char> ReadOwnBlock() {
  WCHAR path[256] = {};
  GetModuleFileNameW(GetModuleHandleW(nullptr), path, 256);
  const DWORD size = GetFileVersionInfoSizeW(path, nullptr);
  std::vector<unsigned char> block(size);
  if (size == 0 || GetFileVersionInfoW(path, 0, size, block.data()) != TRUE) block.clear();
  return block;
}

std::u16string QueryString(const std::vector<unsigned char>& block, const char16_t* sub) {
  LPVOID p = nullptr;
  UINT len = 99;
  if (!VerQueryValueW(block.data(), sub, &p, &len)) return u"<fail>";
  return static_cast<const WCHAR*>(p);
}

TEST(ModuleCalls, HandleAndFileName) {
  ScopedProgramModule m(platform::BuildVersionInfo(Record()), kPath);
  HMODULE self = GetModuleHandleW(nullptr);
  EXPECT_NE(self, nullptr);
  EXPECT_EQ(GetModuleHandleW(nullptr), self);
  EXPECT_EQ(GetModuleHandleW(u"coredll.dll"), nullptr);

  WCHAR buf[256];
  const std::u16string path = kPath;
  EXPECT_EQ(GetModuleFileNameW(self, buf, 256), path.size());
  EXPECT_EQ(std::u16string(buf), path);
  EXPECT_EQ(GetModuleFileNameW(nullptr, buf, 256), path.size());  // null is the program too

  // Too small: cut, still terminated, the full size returned.
  std::fill(std::begin(buf), std::end(buf), u'#');
  EXPECT_EQ(GetModuleFileNameW(self, buf, 5), 5u);
  EXPECT_EQ(std::u16string(buf), path.substr(0, 4));
  EXPECT_EQ(buf[5], u'#');
  // Exactly the length without room for the terminator is also too small.
  EXPECT_EQ(GetModuleFileNameW(self, buf, static_cast<DWORD>(path.size())), path.size());
  EXPECT_EQ(std::u16string(buf), path.substr(0, path.size() - 1));

  EXPECT_EQ(GetModuleFileNameW(self, buf, 0), 0u);
  int other = 0;
  EXPECT_EQ(GetModuleFileNameW(reinterpret_cast<HMODULE>(&other), buf, 256), 0u);
}

TEST(FileVersionInfo, SizeAndReadForTheProgramOnly) {
  const std::vector<unsigned char> built = platform::BuildVersionInfo(Record());
  ScopedProgramModule m(built, kPath);

  DWORD handle = 77;
  const DWORD size = GetFileVersionInfoSizeW(kPath, &handle);
  EXPECT_EQ(handle, 0u);
  EXPECT_GE(size, built.size());

  std::vector<unsigned char> block(size, 0xCD);
  ASSERT_EQ(GetFileVersionInfoW(kPath, 0, size, block.data()), TRUE);
  EXPECT_EQ(std::memcmp(block.data(), built.data(), built.size()), 0);

  handle = 77;
  EXPECT_EQ(GetFileVersionInfoSizeW(u"/opt/regilla/bin/other", &handle), 0u);
  EXPECT_EQ(handle, 0u);
  EXPECT_EQ(GetFileVersionInfoSizeW(u"", nullptr), 0u);
  EXPECT_EQ(GetFileVersionInfoSizeW(nullptr, nullptr), 0u);
  EXPECT_EQ(GetFileVersionInfoW(u"/opt/regilla/bin/other", 0, size, block.data()), FALSE);
  EXPECT_EQ(GetFileVersionInfoW(kPath, 0, size, nullptr), FALSE);
  EXPECT_EQ(GetFileVersionInfoW(kPath, 0, 4, block.data()), FALSE);
}

TEST(FileVersionInfo, ModuleWithoutUsableBlock) {
  ScopedProgramModule none({}, kPath);
  EXPECT_EQ(GetFileVersionInfoSizeW(kPath, nullptr), 0u);

  // A block whose length field claims more than it holds is not used.
  std::vector<unsigned char> bad = platform::BuildVersionInfo(Record());
  bad.resize(bad.size() / 2);
  ScopedProgramModule cut(bad, kPath);
  EXPECT_EQ(GetFileVersionInfoSizeW(kPath, nullptr), 0u);

  platform::ProgramModule().resources = nullptr;
  EXPECT_EQ(GetFileVersionInfoSizeW(kPath, nullptr), 0u);
}

TEST(FileVersionInfo, ShortBufferKeepsLookupsInside) {
  const std::vector<unsigned char> built = platform::BuildVersionInfo(Record());
  ScopedProgramModule m(built, kPath);
  LPVOID p = nullptr;
  UINT len = 0;

  // Root header and fixed info fit (92 bytes); the string tables do not.
  std::vector<unsigned char> part(100);
  ASSERT_EQ(GetFileVersionInfoW(kPath, 0, 100, part.data()), TRUE);
  EXPECT_EQ(VerQueryValueW(part.data(), u"\\", &p, &len), TRUE);
  EXPECT_EQ(len, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(VerQueryValueW(part.data(), u"\\StringFileInfo\\041103a4\\FileVersion", &p, &len),
            FALSE);
  EXPECT_EQ(VerQueryValueW(part.data(), u"\\VarFileInfo\\Translation", &p, &len), FALSE);

  // Not even the fixed info fits.
  std::vector<unsigned char> tiny(60);
  ASSERT_EQ(GetFileVersionInfoW(kPath, 0, 60, tiny.data()), TRUE);
  EXPECT_EQ(VerQueryValueW(tiny.data(), u"\\", &p, &len), FALSE);
}

TEST(VerQuery, RootGivesTheFixedInfo) {
  ScopedProgramModule m(platform::BuildVersionInfo(Record()), kPath);
  const std::vector<unsigned char> block = ReadOwnBlock();
  ASSERT_FALSE(block.empty());
  for (const char16_t* root : {u"\\", u"", static_cast<const char16_t*>(nullptr)}) {
    LPVOID p = nullptr;
    UINT len = 0;
    ASSERT_EQ(VerQueryValueW(block.data(), root, &p, &len), TRUE);
    ASSERT_EQ(len, sizeof(VS_FIXEDFILEINFO));
    VS_FIXEDFILEINFO fixed;
    std::memcpy(&fixed, p, sizeof fixed);
    EXPECT_EQ(fixed.dwSignature, VS_FFI_SIGNATURE);
    EXPECT_EQ(fixed.dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed.dwFileVersionLS, 0x00000001u);
  }
}

TEST(VerQuery, TranslationAndStrings) {
  ScopedProgramModule m(platform::BuildVersionInfo(Record()), kPath);
  const std::vector<unsigned char> block = ReadOwnBlock();
  LPVOID p = nullptr;
  UINT len = 0;
  ASSERT_EQ(VerQueryValueW(block.data(), u"\\VarFileInfo\\Translation", &p, &len), TRUE);
  ASSERT_EQ(len, 4u);
  WORD pair[2];
  std::memcpy(pair, p, 4);
  EXPECT_EQ(pair[0], 0x0411);
  EXPECT_EQ(pair[1], 0x03A4);

  ASSERT_EQ(VerQueryValueW(block.data(), u"\\StringFileInfo\\041103a4\\FileVersion", &p, &len),
            TRUE);
  EXPECT_EQ(len, 8u);  // characters, terminator included
  EXPECT_EQ(std::u16string(static_cast<const WCHAR*>(p)), u"1.0.0.1");
  EXPECT_EQ(QueryString(block, u"\\StringFileInfo\\041103a4\\LegalCopyright"),
            u"Copyright (C) 2026 test");
  EXPECT_EQ(QueryString(block, u"\\StringFileInfo\\041103a4\\ProductVersion"), u"1, 0, 0, 1");
  EXPECT_EQ(QueryString(block, u"\\StringFileInfo\\041103a4\\FileDescription"), u"RegillaMobile");
  // Names ignore case; repeated and trailing separators are skipped.
  EXPECT_EQ(QueryString(block, u"\\stringfileinfo\\041103A4\\FILEVERSION"), u"1.0.0.1");
  EXPECT_EQ(QueryString(block, u"\\\\StringFileInfo\\\\041103a4\\FileVersion\\"), u"1.0.0.1");
  EXPECT_EQ(QueryString(block, u"StringFileInfo\\041103a4\\FileVersion"), u"1.0.0.1");
}

TEST(VerQuery, FailsWhereAPathComponentIsMissing) {
  ScopedProgramModule m(platform::BuildVersionInfo(Record()), kPath);
  const std::vector<unsigned char> block = ReadOwnBlock();
  for (const char16_t* sub : {
           u"\\StringFileInfo\\041103a4\\Comments",
           u"\\StringFileInfo\\041103a4\\FileVer",       // a prefix is not a match
           u"\\StringFileInfo\\041103a4\\FileVersionX",  // nor a longer name
           u"\\StringFileInfo\\040904b0\\FileVersion",
           u"\\StringFileInfo\\41103A4\\FileVersion",
           u"\\VarFileInfo\\Translations",
           u"\\StringFileInfo\\041103a4\\FileVersion\\More",
           u"\\Nothing",
       }) {
    LPVOID p = nullptr;
    UINT len = 99;
    EXPECT_EQ(VerQueryValueW(block.data(), sub, &p, &len), FALSE) << std::string(sub, sub + 1);
    EXPECT_EQ(len, 0u);
  }
  // A block that exists but has no value of its own answers with length 0.
  LPVOID p = nullptr;
  UINT len = 99;
  EXPECT_EQ(VerQueryValueW(block.data(), u"\\StringFileInfo\\041103a4", &p, &len), TRUE);
  EXPECT_EQ(len, 0u);
  EXPECT_EQ(VerQueryValueW(nullptr, u"\\", &p, &len), FALSE);
  EXPECT_EQ(VerQueryValueW(block.data(), u"\\", nullptr, &len), FALSE);
}

// The sequence the About page runs, over the records the tests must cover.
struct AboutTexts {
  std::u16string version;
  std::u16string copyright;
};

AboutTexts ReadAboutTexts() {
  AboutTexts texts;
  const std::vector<unsigned char> block = ReadOwnBlock();
  if (block.empty()) return texts;
  LPVOID p = nullptr;
  UINT len = 0;
  if (!VerQueryValueW(block.data(), u"\\VarFileInfo\\Translation", &p, &len) || len < 4) {
    return texts;
  }
  WORD pair[2];
  std::memcpy(pair, p, 4);
  WCHAR key[10];
  wsprintfW(key, u"%04x%04x", pair[0], pair[1]);
  WCHAR query[128];
  wsprintfW(query, u"\\StringFileInfo\\%s\\FileVersion", key);
  LPVOID version = nullptr;
  if (!VerQueryValueW(block.data(), query, &version, &len)) return texts;
  wsprintfW(query, u"\\StringFileInfo\\%s\\LegalCopyright", key);
  LPVOID copyright = nullptr;
  if (!VerQueryValueW(block.data(), query, &copyright, &len)) return texts;
  texts.version = static_cast<const WCHAR*>(version);
  texts.copyright = static_cast<const WCHAR*>(copyright);
  return texts;
}

TEST(AboutSequence, OwnRecordGivesVersionAndCopyright) {
  ScopedProgramModule m(platform::BuildVersionInfo(Record()), kPath);
  const AboutTexts t = ReadAboutTexts();
  EXPECT_EQ(t.version, u"1.0.0.1");
  EXPECT_EQ(t.copyright, u"Copyright (C) 2026 test");
}

TEST(AboutSequence, VariantRecordsFailAtTheirStep) {
  {
    ScopedProgramModule m(platform::BuildVersionInfo(Record(kNoCopyrightTables)), kPath);
    const std::vector<unsigned char> block = ReadOwnBlock();
    EXPECT_EQ(QueryString(block, u"\\StringFileInfo\\041103a4\\FileVersion"), u"1.0.0.1");
    EXPECT_EQ(QueryString(block, u"\\StringFileInfo\\041103a4\\LegalCopyright"), u"<fail>");
    EXPECT_EQ(ReadAboutTexts().version, u"");
  }
  {
    ScopedProgramModule m(platform::BuildVersionInfo(Record(kOtherKey)), kPath);
    const std::vector<unsigned char> block = ReadOwnBlock();
    EXPECT_EQ(QueryString(block, u"\\StringFileInfo\\040904b0\\FileVersion"), u"1.0.0.1");
    const AboutTexts t = ReadAboutTexts();
    EXPECT_EQ(t.version, u"");
    EXPECT_EQ(t.copyright, u"");
  }
  {
    ScopedProgramModule m(platform::BuildVersionInfo(Record(kTables, {})), kPath);
    const std::vector<unsigned char> block = ReadOwnBlock();
    LPVOID p = nullptr;
    UINT len = 99;
    EXPECT_EQ(VerQueryValueW(block.data(), u"\\VarFileInfo\\Translation", &p, &len), FALSE);
    EXPECT_EQ(len, 0u);
    EXPECT_EQ(ReadAboutTexts().copyright, u"");
  }
  {
    // The program's path is not where the block is found.
    ScopedProgramModule m(platform::BuildVersionInfo(Record()), kPath);
    platform::ProgramModule().path = u"/elsewhere";
    ASSERT_EQ(GetFileVersionInfoSizeW(kPath, nullptr), 0u);
    EXPECT_EQ(ReadAboutTexts().version, u"1.0.0.1");  // the module's own path still works
  }
}

}  // namespace
