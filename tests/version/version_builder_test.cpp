// The builder's block read back field by field, the way Windows lays it out.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/version/version.h"
#include "platform/version/version_builder.h"

namespace {

using platform::BuildVersionInfo;
using platform::VersionRecord;
using platform::VersionString;
using platform::VersionStringTable;
using platform::VersionTranslation;

WORD Word(const std::vector<unsigned char>& b, std::size_t at) {
  return static_cast<WORD>(b.at(at) | (b.at(at + 1) << 8));
}

std::u16string Key(const std::vector<unsigned char>& b, std::size_t at) {
  std::u16string s;
  while (Word(b, at) != 0) {
    s.push_back(static_cast<char16_t>(Word(b, at)));
    at += 2;
  }
  return s;
}

const VersionString kStrings[] = {{u"FileVersion", u"1.2.3.4"}, {u"Comments", u"abc"}};
const VersionStringTable kTables[] = {{u"040904b0", kStrings}};
const VersionTranslation kTranslations[] = {{0x0409, 0x04B0}};

VersionRecord SampleRecord() {
  VersionRecord r;
  r.fileVersion = {1, 2, 3, 4};
  r.productVersion = {5, 6, 7, 8};
  r.fileFlagsMask = 0x3F;
  r.fileOS = VOS__WINDOWS32;
  r.fileType = VFT_APP;
  r.stringTables = kTables;
  r.translations = kTranslations;
  return r;
}

TEST(VersionBuilder, RootBlockHoldsTheFixedInfo) {
  const std::vector<unsigned char> b = BuildVersionInfo(SampleRecord());
  EXPECT_EQ(Word(b, 0), b.size());  // root length covers everything
  EXPECT_EQ(Word(b, 2), sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(Word(b, 4), 0);  // binary value
  EXPECT_EQ(Key(b, 6), u"VS_VERSION_INFO");
  // Header 6 + key 32 bytes = 38, padded to 40.
  VS_FIXEDFILEINFO fixed;
  std::memcpy(&fixed, b.data() + 40, sizeof fixed);
  EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed.dwStrucVersion, 0x00010000u);
  EXPECT_EQ(fixed.dwFileVersionMS, 0x00010002u);
  EXPECT_EQ(fixed.dwFileVersionLS, 0x00030004u);
  EXPECT_EQ(fixed.dwProductVersionMS, 0x00050006u);
  EXPECT_EQ(fixed.dwProductVersionLS, 0x00070008u);
  EXPECT_EQ(fixed.dwFileFlagsMask, 0x3Fu);
  EXPECT_EQ(fixed.dwFileOS, 4u);
  EXPECT_EQ(fixed.dwFileType, 1u);
  EXPECT_EQ(fixed.dwFileSubtype, 0u);
}

TEST(VersionBuilder, ChildrenAreAlignedAndNested) {
  const std::vector<unsigned char> b = BuildVersionInfo(SampleRecord());
  // First child right after the fixed info (40 + 52 = 92).
  std::size_t sfi = 92;
  EXPECT_EQ(Key(b, sfi + 6), u"StringFileInfo");
  EXPECT_EQ(Word(b, sfi + 2), 0);
  EXPECT_EQ(Word(b, sfi + 4), 1);
  // StringFileInfo: 6 + 30 bytes = 36, already aligned.
  std::size_t table = sfi + 36;
  EXPECT_EQ(Key(b, table + 6), u"040904b0");
  // String table: 6 + 18 = 24.
  std::size_t str = table + 24;
  EXPECT_EQ(Key(b, str + 6), u"FileVersion");
  EXPECT_EQ(Word(b, str + 2), 8);  // "1.2.3.4" and its terminator, in characters
  EXPECT_EQ(Word(b, str + 4), 1);
  // 6 + 24 = 30, padded to 32; value 16 bytes; block length 48.
  EXPECT_EQ(Key(b, str + 32), u"1.2.3.4");
  EXPECT_EQ(Word(b, str), 48);
  std::size_t next = str + 48;
  EXPECT_EQ(Key(b, next + 6), u"Comments");
  // 6 + 18 = 24; "abc" + NUL = 8 bytes; length 32.
  EXPECT_EQ(Word(b, next), 32);
  EXPECT_EQ(Word(b, table), 24 + 48 + 32);
  EXPECT_EQ(Word(b, sfi), 36 + Word(b, table));

  std::size_t vfi = sfi + Word(b, sfi);
  ASSERT_EQ(vfi % 4, 0u);
  EXPECT_EQ(Key(b, vfi + 6), u"VarFileInfo");
  std::size_t var = vfi + 32;  // 6 + 24 = 30, padded to 32
  EXPECT_EQ(Key(b, var + 6), u"Translation");
  EXPECT_EQ(Word(b, var + 2), 4);  // bytes
  EXPECT_EQ(Word(b, var + 4), 0);
  EXPECT_EQ(Word(b, var + 32), 0x0409);
  EXPECT_EQ(Word(b, var + 34), 0x04B0);
  EXPECT_EQ(Word(b, var), 36);
  EXPECT_EQ(var + 36, b.size());
}

TEST(VersionBuilder, OmitsEmptySections) {
  VersionRecord r = SampleRecord();
  r.stringTables = {};
  r.translations = {};
  const std::vector<unsigned char> b = BuildVersionInfo(r);
  EXPECT_EQ(b.size(), 92u);
  EXPECT_EQ(Word(b, 0), 92);
}

TEST(VersionBuilder, RejectsOversizedRecords) {
  const std::u16string huge(40000, u'x');
  const VersionString strings[] = {{u"Comments", huge}};
  const VersionStringTable tables[] = {{u"040904b0", strings}};
  VersionRecord r = SampleRecord();
  r.stringTables = tables;
  EXPECT_THROW(BuildVersionInfo(r), std::length_error);
}

}  // namespace
