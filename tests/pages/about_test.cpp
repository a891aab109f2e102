// About page: the version and copyright texts from the program's version
// record, both or neither.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "platform/version/version_builder.h"
#include "res/resources.h"
#include "tests/pages/page_helpers.h"

namespace {

using namespace test;
using platform::VersionRecord;
using platform::VersionString;
using platform::VersionStringTable;
using platform::VersionTranslation;

struct Shown {
  std::u16string version;
  std::u16string copyright;
};

Shown RunWith(const std::vector<unsigned char>* block) {
  Device d;
  if (block) d.UseVersionBlock(*block);
  Shown shown;
  d.Run({[&] {
    shown.version = d.Text("CAbout", IDC_VERSION);
    shown.copyright = d.Text("CAbout", IDC_COPYRIGHT);
  }});
  EXPECT_TRUE(d.RegistryEvents().size() > 0);  // the settings pages loaded meanwhile
  return shown;
}

std::u16string OwnCopyright() {
  const VersionRecord& own = res::VersionRecord();
  for (const VersionStringTable& t : own.stringTables) {
    for (const VersionString& s : t.strings) {
      if (s.name == u"LegalCopyright") return std::u16string(s.value);
    }
  }
  return {};
}

TEST(About, ShowsTheProgramsOwnVersionAndCopyright) {
  const Shown shown = RunWith(nullptr);
  EXPECT_EQ(shown.version, u"1.0.0.1");
  EXPECT_FALSE(OwnCopyright().empty());
  EXPECT_EQ(shown.copyright, OwnCopyright());
}

TEST(About, OtherRecordsShowBothTextsOrNeither) {
  const VersionString full[] = {{u"FileVersion", u"2.3.4.5"}, {u"LegalCopyright", u"(C) Test"}};
  const VersionString noCopyright[] = {{u"FileVersion", u"2.3.4.5"}};
  const VersionString noVersion[] = {{u"LegalCopyright", u"(C) Test"}};
  const VersionStringTable ownKey[] = {{u"041103a4", full}};
  const VersionStringTable ownKeyNoCopyright[] = {{u"041103a4", noCopyright}};
  const VersionStringTable ownKeyNoVersion[] = {{u"041103a4", noVersion}};
  const VersionStringTable otherKey[] = {{u"040904b0", full}};
  const VersionStringTable paddedKey[] = {{u"000904b0", full}};
  const VersionTranslation japanese[] = {{0x0411, 0x03A4}};
  const VersionTranslation padded[] = {{0x0009, 0x04B0}};

  struct Case {
    const char* what;
    std::span<const VersionStringTable> tables;
    std::span<const VersionTranslation> translations;
    bool shown;
  };
  const Case cases[] = {
      {"complete", ownKey, japanese, true},
      {"no LegalCopyright", ownKeyNoCopyright, japanese, false},
      {"no FileVersion", ownKeyNoVersion, japanese, false},
      {"table under another key", otherKey, japanese, false},
      {"no translation entry", ownKey, {}, false},
      {"no string table", {}, japanese, false},
      // The key is built with zero-padded lowercase words.
      {"padded key", paddedKey, padded, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    VersionRecord record;
    record.fileVersion = {2, 3, 4, 5};
    record.productVersion = {2, 3, 4, 5};
    record.stringTables = c.tables;
    record.translations = c.translations;
    const std::vector<unsigned char> block = platform::BuildVersionInfo(record);
    const Shown shown = RunWith(&block);
    EXPECT_EQ(shown.version, c.shown ? u"2.3.4.5" : u"");
    EXPECT_EQ(shown.copyright, c.shown ? u"(C) Test" : u"");
  }
}

TEST(About, NoVersionRecordLeavesBothEmpty) {
  const std::vector<unsigned char> none;
  const Shown shown = RunWith(&none);
  EXPECT_EQ(shown.version, u"");
  EXPECT_EQ(shown.copyright, u"");
}

}  // namespace
