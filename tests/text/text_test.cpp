#include "platform/text/text.h"

#include <gtest/gtest.h>

#include <cctype>
#include <optional>
#include <string>

namespace {

using platform::text::EqualsFolded;
using platform::text::FromUtf8;
using platform::text::FromUtf8Lossy;
using platform::text::ToUtf8;

TEST(Text, FoldsAsciiLettersOnly) {
  EXPECT_TRUE(EqualsFolded(u"MS Shell Dlg", u"ms shell DLG"));
  EXPECT_TRUE(EqualsFolded(u"#32770", u"#32770"));
  EXPECT_FALSE(EqualsFolded(u"\u00e9", u"\u00c9"));  // no folding outside ASCII
  EXPECT_FALSE(EqualsFolded(u"[", u"{"));            // neighbours of the letter ranges
  EXPECT_FALSE(EqualsFolded(u"ab", u"abc"));
}

struct Utf8Case {
  const char* what;
  std::string utf8;
  std::optional<std::u16string> strict;  // nullopt: not valid UTF-8
  std::u16string lossy;
};

class Utf8Decoding : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8Decoding, StrictRefusesWhatLossyReplaces) {
  const auto& c = GetParam();
  EXPECT_EQ(FromUtf8(c.utf8), c.strict);
  EXPECT_EQ(FromUtf8Lossy(c.utf8), c.lossy);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8Decoding,
    ::testing::Values(
        Utf8Case{"ascii", "Pocket_PC", u"Pocket_PC", u"Pocket_PC"},
        Utf8Case{"japanese", "\xe5\x8f\x8d\xe6\x98\xa0", u"\u53cd\u6620", u"\u53cd\u6620"},
        Utf8Case{"astral", "\xf0\x9f\x98\x80", u"\U0001F600", u"\U0001F600"},
        Utf8Case{"overlong slash", "a\xc0\xafz", std::nullopt, u"a\uFFFD\uFFFDz"},
        Utf8Case{"encoded surrogate", "\xed\xa0\x80", std::nullopt, u"\uFFFD\uFFFD\uFFFD"},
        Utf8Case{"truncated", "x\xe5\x8f", std::nullopt, u"x\uFFFD\uFFFD"},
        Utf8Case{"beyond U+10FFFF", "\xf4\x90\x80\x80", std::nullopt, u"\uFFFD\uFFFD\uFFFD\uFFFD"}),
    [](const ::testing::TestParamInfo<Utf8Case>& p) {
      std::string name;
      for (char ch : std::string(p.param.what))
        name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
      return name;
    });

TEST(Text, EncodingReplacesOnlyUnpairedSurrogates) {
  EXPECT_EQ(ToUtf8(u"\U0001F600"), "\xf0\x9f\x98\x80");
  EXPECT_EQ(ToUtf8(std::u16string{u'a', char16_t(0xD800), u'b'}),
            "a\xef\xbf\xbd"
            "b");
  std::string out;
  EXPECT_FALSE(platform::text::EncodeUtf8(std::u16string{char16_t(0xDC00)}, out, true));
  EXPECT_TRUE(platform::text::SurrogatesPaired(u"\U0001F600"));
  EXPECT_FALSE(platform::text::SurrogatesPaired(std::u16string{char16_t(0xDBFF)}));
}

}  // namespace
