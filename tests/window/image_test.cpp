// Icon and bitmap handles backed by resource file bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/support/platform_test.h"

namespace {

void Put16(std::vector<unsigned char>& b, std::size_t at, unsigned v) {
  b[at] = static_cast<unsigned char>(v & 0xFF);
  b[at + 1] = static_cast<unsigned char>((v >> 8) & 0xFF);
}
void Put32(std::vector<unsigned char>& b, std::size_t at, std::uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}

std::vector<unsigned char> Bitmap(int width, int height) {
  std::vector<unsigned char> b(54 + 16, 0);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 2, static_cast<std::uint32_t>(b.size()));
  Put32(b, 14, 40);
  Put32(b, 18, static_cast<std::uint32_t>(width));
  Put32(b, 22, static_cast<std::uint32_t>(height));
  Put16(b, 26, 1);
  Put16(b, 28, 24);
  return b;
}

// An icon group of two images: 32 x 32 at 4 bpp and 16 x 16 at 8 bpp.
std::vector<unsigned char> Icon() {
  std::vector<unsigned char> b(6 + 32 + 80, 0);
  Put16(b, 2, 1);
  Put16(b, 4, 2);
  const unsigned sizes[2][3] = {{32, 32, 4}, {16, 16, 8}};
  for (std::size_t i = 0; i < 2; ++i) {
    std::size_t e = 6 + 16 * i;
    b[e] = static_cast<unsigned char>(sizes[i][0]);
    b[e + 1] = static_cast<unsigned char>(sizes[i][1]);
    Put16(b, e + 4, 1);
    Put16(b, e + 6, sizes[i][2]);
    Put32(b, e + 8, 40);
    Put32(b, e + 12, static_cast<std::uint32_t>(38 + 40 * i));
  }
  return b;
}

class ImageTest : public test::PlatformTest {};

TEST_F(ImageTest, LoadIconAndLoadBitmapReadSizesFromTheModulesFiles) {
  std::vector<unsigned char> bmp = Bitmap(14, -14);  // top-down
  std::vector<unsigned char> ico = Icon();
  const platform::BinaryResource icons[] = {{129, ico}};
  const platform::BinaryResource bitmaps[] = {{132, bmp}};
  const platform::ResourceModule module{{}, icons, bitmaps, {}};
  HINSTANCE instance = platform::InstanceOf(&module);

  HICON icon = LoadIcon(instance, 129);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(LoadIcon(instance, 129), icon);  // shared, as on Windows
  EXPECT_EQ(platform::ImageSize(icon), (SIZE{32, 32}));
  std::vector<platform::IconImage> images = platform::IconImages(icon);
  ASSERT_EQ(images.size(), 2u);
  EXPECT_EQ(images[1].width, 16);
  EXPECT_EQ(images[1].bitCount, 8);
  std::span<const unsigned char> all = platform::ImageBytes(icon);
  EXPECT_TRUE(std::equal(all.begin(), all.end(), ico.begin(), ico.end()));
  EXPECT_EQ(images[1].bytes.data(), all.data() + 78);
  EXPECT_EQ(images[1].bytes.size(), 40u);

  HBITMAP bitmap = LoadBitmap(instance, 132);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(platform::ImageSize(bitmap), (SIZE{14, 14}));
  EXPECT_EQ(platform::ImageBytes(bitmap).size(), bmp.size());
  EXPECT_EQ(LoadImage(instance, MAKEINTRESOURCE(132), IMAGE_BITMAP, 0, 0, 0) != nullptr, true);

  EXPECT_EQ(LoadIcon(instance, 130), nullptr);
  EXPECT_EQ(LoadBitmap(instance, 129), nullptr);
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_TRUE(platform::ImageBytes(bitmap).empty());
}

TEST_F(ImageTest, MalformedFilesAreRejected) {
  std::vector<unsigned char> bmp = Bitmap(14, 14);
  bmp[0] = 'X';
  EXPECT_FALSE(platform::ParseBitmapSize(bmp).has_value());
  std::vector<unsigned char> truncated = Bitmap(14, 14);
  truncated.resize(20);
  EXPECT_FALSE(platform::ParseBitmapSize(truncated).has_value());
  std::vector<unsigned char> ico = Icon();
  Put32(ico, 6 + 12, 5000);  // first image beyond the end of the file
  EXPECT_FALSE(platform::ParseIconFile(ico).has_value());
  std::vector<unsigned char> empty(6, 0);
  Put16(empty, 2, 1);
  EXPECT_FALSE(platform::ParseIconFile(empty).has_value());

  const platform::BinaryResource icons[] = {{129, ico}};
  const platform::ResourceModule module{{}, icons, {}, {}};
  EXPECT_EQ(LoadIcon(platform::InstanceOf(&module), 129), nullptr);
}

}  // namespace
