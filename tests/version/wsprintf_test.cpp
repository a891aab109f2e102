#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "platform/version/version.h"

namespace {

template <typename... Args>
std::u16string Format(const char16_t* fmt, Args... args) {
  WCHAR buf[1100];
  const int n = wsprintfW(buf, fmt, args...);
  EXPECT_EQ(static_cast<std::size_t>(n), std::u16string(buf).size());
  return buf;
}

TEST(Wsprintf, LanguageKeyIsLowercaseAndZeroPadded) {
  EXPECT_EQ(Format(u"%04x%04x", 0x0411, 0x03A4), u"041103a4");
  EXPECT_EQ(Format(u"%04x%04x", 0x0409, 0x04B0), u"040904b0");
  EXPECT_EQ(Format(u"%04X", 0xabc), u"0ABC");
  EXPECT_EQ(Format(u"%04x", 0x12345), u"12345");  // width is a minimum
  EXPECT_EQ(Format(u"%x", 0xFFFFFFFFu), u"ffffffff");
}

TEST(Wsprintf, Decimal) {
  EXPECT_EQ(Format(u"%d", 0), u"0");
  EXPECT_EQ(Format(u"%d", 25), u"25");
  EXPECT_EQ(Format(u"%d", -1), u"-1");
  EXPECT_EQ(Format(u"%d", INT_MIN), u"-2147483648");
  EXPECT_EQ(Format(u"%d", INT_MAX), u"2147483647");
  EXPECT_EQ(Format(u"%ld", LONG{-60}), u"-60");
  EXPECT_EQ(Format(u"%u", 0xFFFFFFFFu), u"4294967295");
  EXPECT_EQ(Format(u"%i", 7), u"7");
  EXPECT_EQ(Format(u"%5d|%-5d|%05d", -42, 42, -42), u"  -42|42   |-0042");
}

TEST(Wsprintf, StringsAndLiterals) {
  const WCHAR key[] = u"041103a4";
  EXPECT_EQ(Format(u"\\StringFileInfo\\%s\\FileVersion", key),
            u"\\StringFileInfo\\041103a4\\FileVersion");
  EXPECT_EQ(Format(u"%s", u"画面は縦長"), u"画面は縦長");
  EXPECT_EQ(Format(u"100%% %s", u""), u"100% ");
  EXPECT_EQ(Format(u"[%4s][%-4s][%.2s]", u"ab", u"ab", u"abcd"), u"[  ab][ab  ][ab]");
  EXPECT_EQ(Format(u"%hs", "narrow"), u"narrow");
  EXPECT_EQ(Format(u"%s", static_cast<const WCHAR*>(nullptr)), u"(null)");
  EXPECT_EQ(Format(u"%c%c", u'分', u'!'), u"分!");
  EXPECT_EQ(Format(u"no conversions"), u"no conversions");
}

TEST(Wsprintf, OutputStopsAt1023Characters) {
  const std::u16string longText(2000, u'a');
  WCHAR buf[1100];
  buf[1023] = u'#';
  EXPECT_EQ(wsprintfW(buf, u"%s", longText.c_str()), 1023);
  EXPECT_EQ(buf[1023], 0);
  EXPECT_EQ(std::u16string(buf), longText.substr(0, 1023));
}

}  // namespace
