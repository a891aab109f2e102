// The program's own version record answers what the About page asks.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/version/version.h"
#include "res/resources.h"

namespace {

class ProgramVersion : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = platform::ProgramModule();
    platform::ProgramModule().resources = &res::Module();
    platform::ProgramModule().path = u"/usr/local/bin/RegillaMobile";
    WCHAR path[256];
    ASSERT_GT(GetModuleFileNameW(GetModuleHandleW(nullptr), path, 256), 0u);
    const DWORD size = GetFileVersionInfoSizeW(path, nullptr);
    ASSERT_GT(size, 0u);
    block_.resize(size);
    ASSERT_EQ(GetFileVersionInfoW(path, 0, size, block_.data()), TRUE);
  }
  void TearDown() override { platform::ProgramModule() = saved_; }

  std::u16string String(const std::u16string& key, const char16_t* name) {
    WCHAR query[128];
    wsprintfW(query, u"\\StringFileInfo\\%s\\%s", key.c_str(), name);
    LPVOID p = nullptr;
    UINT len = 0;
    if (!VerQueryValueW(block_.data(), query, &p, &len)) return u"<missing>";
    const std::u16string s = static_cast<const WCHAR*>(p);
    EXPECT_EQ(len, s.size() + 1) << std::u16string(name).size();
    return s;
  }

  platform::ProgramModuleInfo saved_;
  std::vector<unsigned char> block_;
};

TEST_F(ProgramVersion, TranslationLeadsToTheStringTable) {
  LPVOID p = nullptr;
  UINT len = 0;
  ASSERT_EQ(VerQueryValueW(block_.data(), u"\\VarFileInfo\\Translation", &p, &len), TRUE);
  ASSERT_EQ(len, 4u);  // exactly one entry
  WORD pair[2];
  std::memcpy(pair, p, sizeof pair);
  WCHAR key[10];
  ASSERT_EQ(wsprintfW(key, u"%04x%04x", pair[0], pair[1]), 8);
  EXPECT_EQ(std::u16string(key), u"041103a4");

  EXPECT_EQ(String(key, u"FileDescription"), u"RegillaMobile");
  EXPECT_EQ(String(key, u"FileVersion"), u"1.0.0.1");
  EXPECT_EQ(String(key, u"ProductVersion"), u"1, 0, 0, 1");
  const std::u16string copyright = String(key, u"LegalCopyright");
  EXPECT_TRUE(copyright.starts_with(u"(C) ")) << copyright.size();
  // The About page shows it in a one-line static 79 units (118 pixels)
  // wide; at the 6-pixel average character width a longer line would wrap
  // its last words out of sight.
  EXPECT_LE(copyright.size(), 118u / 6u);
}

TEST_F(ProgramVersion, BlockIsTheModulesOwn) {
  EXPECT_EQ(res::Module().versionInfo.data(), res::VersionBlock().data());
  EXPECT_EQ(std::memcmp(block_.data(), res::VersionBlock().data(), res::VersionBlock().size()), 0);
}

}  // namespace
