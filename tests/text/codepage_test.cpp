#include "platform/text/codepage.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace platform::text;

// Text to bytes and back, per code page; a character the code page holds
// only approximately (a best fit) fails as one it lacks.
TEST(CodePage, EncodesExactlyOrNamesTheFirstCharacterItCannotHold) {
  struct Case {
    unsigned codePage;
    std::u16string text;
    std::string bytes;  // empty: refused
    std::u16string bad;
  };
  const Case cases[] = {
      {932, u"日本語 ﾃｽﾄ", "\x93\xfa\x96\x7b\x8c\xea \xc3\xbd\xc4", {}},
      {932, u"表\\ソ", "\x95\x5c\x5c\x83\x5c", {}},
      {936, u"我的文档", "\xce\xd2\xb5\xc4\xce\xc4\xb5\xb5", {}},
      {949, u"한국어", "\xc7\xd1\xb1\xb9\xbe\xee", {}},
      {950, u"繁體", "\xc1\x63\xc5\xe9", {}},
      {1251, u"Привет", "\xcf\xf0\xe8\xe2\xe5\xf2", {}},
      {1252, u"€é", "\x80\xe9", {}},
      {874, u"ไทย", "\xe4\xb7\xc2", {}},
      {kUtf8CodePage, u"é日", "\xc3\xa9\xe6\x97\xa5", {}},
      {932, u"ab한c", "", u"한"},
      {932, u"x¥", "", u"¥"},
      {1251, u"Привет日", "", u"日"},
      {936, u"😀", "", u"😀"},
      {kUtf8CodePage, std::u16string(1, char16_t(0xD800)), "", std::u16string(1, char16_t(0xD800))},
  };
  for (const Case& c : cases) {
    CodePageCodec codec(c.codePage);
    std::string out;
    std::u16string bad;
    const bool ok = codec.Encode(c.text, out, &bad);
    EXPECT_EQ(ok, !c.bytes.empty()) << c.codePage;
    if (ok) {
      EXPECT_EQ(out, c.bytes) << c.codePage;
      std::u16string back;
      EXPECT_EQ(codec.Decode(out, back), std::nullopt);
      EXPECT_EQ(back, c.text);
    } else {
      EXPECT_EQ(bad, c.bad) << c.codePage;
    }
  }
}

// A byte that starts no character becomes its stand-in, the first one is
// reported, and the stand-in encodes back to the byte.
TEST(CodePage, BytesThatAreNoTextSurviveAsStandIns) {
  struct Case {
    unsigned codePage;
    std::string bytes;
    std::size_t firstBad;
  };
  const Case cases[] = {
      {932, "ab\x81 c", 2},         // a lead byte before a blank
      {932, "\x93\xfa\x81", 2},     // cut off at the end
      {936, "x\xff", 1},            // no GBK byte
      {1252, "ok\x81", 2},          // a hole of windows-1252
      {kUtf8CodePage, "\xc3(", 0},  // broken UTF-8
  };
  for (const Case& c : cases) {
    CodePageCodec codec(c.codePage);
    std::u16string text;
    EXPECT_EQ(codec.Decode(c.bytes, text), c.firstBad) << c.codePage;
    const unsigned char byte = static_cast<unsigned char>(c.bytes[c.firstBad]);
    const std::u16string standIn = {kStandInHigh, static_cast<char16_t>(kStandInLow + byte)};
    EXPECT_NE(text.find(standIn), std::u16string::npos) << c.codePage;
    if (c.codePage == kUtf8CodePage) continue;  // any character is UTF-8 text
    std::string back;
    ASSERT_TRUE(codec.Encode(text, back)) << c.codePage;
    EXPECT_EQ(back, c.bytes) << c.codePage;
  }
}

// No character of any code page decodes to a stand-in, so a stand-in always
// means a byte that was no text.
TEST(CodePage, NoCodePageDecodesToTheStandIns) {
  for (unsigned codePage : kCodePages) {
    CodePageCodec codec(codePage);
    for (unsigned lead = 0x80; lead <= 0xFF; ++lead) {
      std::string bytes;
      for (unsigned trail = 0x20; trail <= 0xFF; ++trail) {
        bytes += static_cast<char>(lead);
        bytes += static_cast<char>(trail);
        bytes += ' ';
      }
      std::u16string text;
      codec.Decode(bytes, text);
      // Blanks and line ends stay themselves: a stand-in is a byte that is
      // no ASCII.
      std::size_t blanks = 0;
      for (std::size_t i = 0; i < text.size(); ++i) {
        blanks += text[i] == u' ' ? 1 : 0;
        if (auto byte = StandInAt(text, i)) {
          ASSERT_GE(*byte, 0x80) << codePage;
        }
      }
      EXPECT_EQ(blanks, 225u) << codePage << " lead " << lead;
    }
  }
}

TEST(CodePage, DetectsTheCodePagesOfDeviceTexts) {
  struct Case {
    unsigned codePage;
    std::u16string text;
    std::optional<unsigned> detected;
  };
  const Case cases[] = {
      {932,
       u"[HKEY_LOCAL_MACHINE\\Ident]\r\n\"Name\"=\"ポケット太郎\"\r\n\"Desc\"="
       u"\"株式会社サンプル\"\r\n",
       932},
      {936, u"\"Name\"=\"我的掌上电脑\"\r\n\"Desc\"=\"简体中文版\"\r\n\"程序\"=\"开始菜单\"\r\n",
       936},
      {1251, u"\"Name\"=\"Карманный ПК\"\r\n\"Desc\"=\"Русская версия\"\r\n", 1251},
      {932, u"REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Ident]\r\n\"Name\"=\"Pocket_PC\"\r\n",
       std::nullopt},
  };
  for (const Case& c : cases) {
    std::string bytes;
    ASSERT_TRUE(CodePageCodec(c.codePage).Encode(c.text, bytes));
    EXPECT_EQ(DetectCodePage(bytes), c.detected) << c.codePage;
  }
}

TEST(CodePage, KnowsOnlyTheWindowsCodePagesOfDevices) {
  for (unsigned codePage : kCodePages) {
    EXPECT_TRUE(IsCodePage(codePage));
    EXPECT_NE(CodePageName(codePage), "unknown");
  }
  for (unsigned other : {0u, 437u, 1200u, 1259u, kUtf8CodePage}) EXPECT_FALSE(IsCodePage(other));
  EXPECT_EQ(CodePageName(932), "Shift_JIS");
  EXPECT_THROW(CodePageCodec(437), std::invalid_argument);
}

}  // namespace
