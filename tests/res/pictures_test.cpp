// The embedded picture files are valid Windows files of the stated sizes and
// depths: bottom-up DIBs, consistent headers and lengths.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <span>

#include "res/resources.h"

namespace {

std::uint32_t U32(std::span<const unsigned char> b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t{b[at + 3]} << 24);
}
std::uint16_t U16(std::span<const unsigned char> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
std::int32_t I32(std::span<const unsigned char> b, std::size_t at) {
  return static_cast<std::int32_t>(U32(b, at));
}
std::size_t Stride(std::size_t width, std::size_t bits) {
  return (width * bits + 31) / 32 * 4;
}

struct Dib {
  int width = 0;
  int height = 0;  // as stored; positive = bottom-up
  int bits = 0;
  std::size_t paletteEntries = 0;
  std::size_t headerAndPalette = 0;
};

// Reads a BITMAPINFOHEADER and its palette at `at`.
Dib ReadDib(std::span<const unsigned char> b, std::size_t at) {
  Dib d;
  EXPECT_GE(b.size(), at + 40);
  if (b.size() < at + 40) return d;
  EXPECT_EQ(U32(b, at), 40u);  // BITMAPINFOHEADER
  d.width = I32(b, at + 4);
  d.height = I32(b, at + 8);
  EXPECT_EQ(U16(b, at + 12), 1);  // planes
  d.bits = U16(b, at + 14);
  EXPECT_EQ(U32(b, at + 16), 0u);  // BI_RGB, uncompressed
  const std::uint32_t used = U32(b, at + 32);
  d.paletteEntries = d.bits <= 8 ? (used != 0 ? used : (1u << d.bits)) : 0;
  d.headerAndPalette = 40 + 4 * d.paletteEntries;
  return d;
}

void ExpectBmp(int id, int width, int height, int bits) {
  const platform::BinaryResource* r = platform::FindBinaryResource(res::Module().bitmaps, id);
  ASSERT_NE(r, nullptr) << id;
  const std::span<const unsigned char> b = r->bytes;
  ASSERT_GE(b.size(), 54u);
  EXPECT_EQ(b[0], 'B');
  EXPECT_EQ(b[1], 'M');
  EXPECT_EQ(U32(b, 2), b.size());
  const Dib d = ReadDib(b, 14);
  EXPECT_EQ(d.width, width);
  EXPECT_EQ(d.height, height);  // positive: bottom-up
  EXPECT_EQ(d.bits, bits);
  EXPECT_EQ(U32(b, 10), 14 + d.headerAndPalette);  // pixels right after the palette
  EXPECT_EQ(b.size(), 14 + d.headerAndPalette + Stride(width, bits) * height);
  // Not a blank picture.
  std::set<unsigned char> values(b.begin() + U32(b, 10), b.end());
  EXPECT_GT(values.size(), 4u) << id;
}

TEST(Pictures, BulletBitmap) {
  ExpectBmp(res::IDB_BULLET, 14, 14, 8);
}

TEST(Pictures, AboutBitmap) {
  ExpectBmp(res::IDB_ABOUT, 240, 96, 24);
}

TEST(Pictures, IconGroupHoldsThreeImages) {
  const platform::BinaryResource* r =
      platform::FindBinaryResource(res::Module().icons, res::IDI_PROGRAM);
  ASSERT_NE(r, nullptr);
  const std::span<const unsigned char> b = r->bytes;
  ASSERT_GE(b.size(), 6u + 3 * 16);
  EXPECT_EQ(U16(b, 0), 0);
  EXPECT_EQ(U16(b, 2), 1);  // icon
  ASSERT_EQ(U16(b, 4), 3);

  struct Expected {
    int size;
    int bits;
    int colourCount;
  };
  const Expected expected[] = {{32, 4, 16}, {16, 4, 16}, {32, 8, 0}};
  std::size_t end = 6 + 3 * 16;
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const std::size_t e = 6 + 16 * static_cast<std::size_t>(i);
    const Expected& x = expected[i];
    EXPECT_EQ(b[e], x.size);
    EXPECT_EQ(b[e + 1], x.size);
    EXPECT_EQ(b[e + 2], x.colourCount);
    EXPECT_EQ(U16(b, e + 4), 1);  // planes
    EXPECT_EQ(U16(b, e + 6), x.bits);
    const std::uint32_t length = U32(b, e + 8);
    const std::uint32_t offset = U32(b, e + 12);
    EXPECT_EQ(offset, end);  // images follow each other without gaps or overlap
    ASSERT_LE(std::size_t{offset} + length, b.size());
    const Dib d = ReadDib(b, offset);
    EXPECT_EQ(d.width, x.size);
    EXPECT_EQ(d.height, 2 * x.size);  // colour bits and AND mask
    EXPECT_EQ(d.bits, x.bits);
    const std::size_t xorBytes = Stride(x.size, x.bits) * x.size;
    const std::size_t andBytes = Stride(x.size, 1) * x.size;
    EXPECT_EQ(length, d.headerAndPalette + xorBytes + andBytes);
    // The mask makes the corners transparent and the middle opaque.
    const std::size_t mask = offset + d.headerAndPalette + xorBytes;
    const std::size_t rowBytes = Stride(x.size, 1);
    EXPECT_NE(b[mask] & 0x80, 0) << "bottom-left pixel transparent";
    const std::size_t middleRow = mask + rowBytes * static_cast<std::size_t>(x.size / 2);
    const int middle = x.size / 2;
    EXPECT_EQ(b[middleRow + static_cast<std::size_t>(middle / 8)] & (0x80 >> (middle % 8)), 0)
        << "the middle pixel opaque";
    end = std::size_t{offset} + length;
  }
  EXPECT_EQ(end, b.size());
}

}  // namespace
