// Progress bar range and position; static images.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/controls/control_test.h"

namespace {

class ProgressTest : public test::ControlTest {};

TEST_F(ProgressTest, SetPosClampsReturnsThePreviousPositionAndPaintsAtOnce) {
  HWND bar = Make(PROGRESS_CLASS, WS_BORDER, 1029, 10, 243, 180, 18);
  std::vector<int> traced;
  std::vector<bool> paints;
  platform::SetTraceHook([&](const platform::TraceEvent& e) {
    if (e.kind == platform::TraceEvent::Kind::Progress) traced.push_back(e.pos);
  });
  platform::SetPaintListener([&](HWND h, bool immediate) {
    if (h == bar) paints.push_back(immediate);
  });
  EXPECT_EQ(SendMessage(bar, PBM_GETRANGE, TRUE, 0), 0);
  EXPECT_EQ(SendMessage(bar, PBM_GETRANGE, FALSE, 0), 100);
  EXPECT_EQ(SendMessage(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 6)), MAKELONG(0, 100));
  EXPECT_EQ(SendMessage(bar, PBM_SETPOS, 0, 0), 0);
  EXPECT_EQ(SendMessage(bar, PBM_SETPOS, 1, 0), 0);
  EXPECT_EQ(SendMessage(bar, PBM_SETPOS, 9, 0), 1);
  EXPECT_EQ(SendMessage(bar, PBM_GETPOS, 0, 0), 6);
  EXPECT_EQ(SendMessage(bar, PBM_SETPOS, static_cast<WPARAM>(-2), 0), 6);
  EXPECT_EQ(SendMessage(bar, PBM_GETPOS, 0, 0), 0);
  EXPECT_EQ(traced, (std::vector<int>{0, 1, 6, 0}));
  ASSERT_FALSE(paints.empty());
  EXPECT_TRUE(paints.back());
  PBRANGE range;
  SendMessage(bar, PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
  EXPECT_EQ(range.iLow, 0);
  EXPECT_EQ(range.iHigh, 6);
}

TEST_F(ProgressTest, ANarrowerRangePullsThePositionIn) {
  HWND bar = Make(PROGRESS_CLASS, 0, 1, 0, 0, 100, 10);
  SendMessage(bar, PBM_SETPOS, 50, 0);
  SendMessage(bar, PBM_SETRANGE32, 0, 6);
  EXPECT_EQ(SendMessage(bar, PBM_GETPOS, 0, 0), 6);
  SendMessage(bar, PBM_SETSTEP, 4, 0);
  SendMessage(bar, PBM_SETPOS, 0, 0);
  SendMessage(bar, PBM_STEPIT, 0, 0);
  EXPECT_EQ(SendMessage(bar, PBM_GETPOS, 0, 0), 4);
}

std::vector<unsigned char> Bitmap14() {
  std::vector<unsigned char> b(54, 0);
  b[0] = 'B';
  b[1] = 'M';
  b[14] = 40;
  b[18] = 14;
  b[22] = 14;
  b[26] = 1;
  b[28] = 8;
  return b;
}

TEST_F(ProgressTest, ImageStaticsLoadTheirResourceAndTakeItsSize) {
  std::vector<unsigned char> bmp = Bitmap14();
  const platform::BinaryResource bitmaps[] = {{132, bmp}};
  const platform::ResourceModule module{{}, {}, bitmaps, {}};
  HWND image = CreateWindowEx(0, WC_STATIC, MAKEINTRESOURCE(132), WS_CHILD | WS_VISIBLE | SS_BITMAP,
                              9, 0, 9, 9, parent, nullptr, platform::InstanceOf(&module), nullptr);
  ASSERT_NE(image, nullptr);
  auto bitmap = reinterpret_cast<HBITMAP>(SendMessage(image, STM_GETIMAGE, IMAGE_BITMAP, 0));
  ASSERT_NE(bitmap, nullptr);
  std::span<const unsigned char> bytes = platform::ImageBytes(bitmap);
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), bmp.begin(), bmp.end()));
  RECT r;
  GetClientRect(image, &r);
  EXPECT_EQ(r, (RECT{0, 0, 14, 14}));
  EXPECT_EQ(GetWindowTextLength(image), 0);
  HWND text = Make(WC_STATIC, SS_LEFT, 1025, 0, 20, 50, 12, u"1.0.0.1");
  EXPECT_EQ(GetWindowTextLength(text), 7);
  EXPECT_EQ(SendMessage(text, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
}

}  // namespace
