// Up-down control: range and position rules, click sequences, auto-repeat.
#include <gtest/gtest.h>

#include <string>

#include "tests/controls/control_test.h"

namespace {

using test::ExpectSequence;
using test::kNotifications;
using test::MessageRecorder;
using test::MessageSeq;
using test::notify;
using test::wparam;

constexpr MessageSeq DeltaPos(WORD id) {
  return {WM_NOTIFY, wparam | notify, id, 0, static_cast<UINT>(UDN_DELTAPOS)};
}
constexpr MessageSeq Scroll(UINT msg, WORD code, int pos) {
  return {msg, wparam, MAKEWPARAM(code, static_cast<WORD>(pos))};
}

// An arrow held for two repeats: three steps, each offered and reported, and
// the end of scrolling at the release.
static const MessageSeq kHeldThreeSteps[] = {DeltaPos(1018),
                                             Scroll(WM_VSCROLL, SB_THUMBPOSITION, 1),
                                             DeltaPos(1018),
                                             Scroll(WM_VSCROLL, SB_THUMBPOSITION, 2),
                                             DeltaPos(1018),
                                             Scroll(WM_VSCROLL, SB_THUMBPOSITION, 3),
                                             Scroll(WM_VSCROLL, SB_ENDSCROLL, 3)};
// A horizontal control at its maximum wraps to the minimum.
static const MessageSeq kWrappedRight[] = {DeltaPos(7), Scroll(WM_HSCROLL, SB_THUMBPOSITION, 1),
                                           Scroll(WM_HSCROLL, SB_ENDSCROLL, 1)};

// One tap on an arrow of control 1018: the step offered from `start` by
// `delta`, then the position `pos` reported.
void ExpectTap(MessageRecorder& rec, int start, int delta, int pos, const std::string& context) {
  const std::vector<test::Message> offers = rec.Only(WM_NOTIFY);
  ASSERT_EQ(offers.size(), 1u) << context;
  EXPECT_EQ(offers[0].pos, start) << context;
  EXPECT_EQ(offers[0].delta, delta) << context;
  const MessageSeq tap[] = {DeltaPos(1018), Scroll(WM_VSCROLL, SB_THUMBPOSITION, pos),
                            Scroll(WM_VSCROLL, SB_ENDSCROLL, pos)};
  ExpectSequence(rec, tap, context);
}

class UpDownTest : public test::ControlTest {
 protected:
  HWND MakeUpDown(DWORD style = 0) { return Make(UPDOWN_CLASS, style, 1018, 100, 100, 12, 20); }
  void Press(HWND updown, platform::UpDownPart part) {
    RECT r = platform::UpDownPartRect(updown, part);
    down = test::ScreenPoint(updown, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    platform::InjectMouseDown(down);
    platform::ProcessPendingMessages();
  }
  void Release() {
    platform::InjectMouseUp(down);
    platform::ProcessPendingMessages();
  }
  void ClickArrow(HWND updown, platform::UpDownPart part) {
    Press(updown, part);
    Release();
  }
  POINT down{};
};

TEST_F(UpDownTest, StartsBackwardsAndKeepsThePositionWhenTheRangeChanges) {
  HWND ud = MakeUpDown();
  EXPECT_EQ(SendMessage(ud, UDM_GETRANGE, 0, 0), MAKELONG(0, 100));  // max 0, min 100
  // No buddy window holds the position: UDM_GETPOS flags an error in its high
  // word and UDM_GETPOS32 through its out parameter.
  EXPECT_EQ(SendMessage(ud, UDM_GETPOS, 0, 0), MAKELONG(0, 1));
  EXPECT_EQ(SendMessage(ud, UDM_SETPOS, 0, 61), 0);
  SendMessage(ud, UDM_SETRANGE, 0, MAKELPARAM(60, 0));  // low word max, high word min
  EXPECT_EQ(SendMessage(ud, UDM_GETRANGE, 0, 0), MAKELONG(60, 0));
  BOOL error = FALSE;
  EXPECT_EQ(SendMessage(ud, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&error)), 61);
  EXPECT_TRUE(error);
  SendMessage(ud, UDM_SETRANGE32, 1, 30);
  int lo = 0;
  int hi = 0;
  SendMessage(ud, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lo), reinterpret_cast<LPARAM>(&hi));
  EXPECT_EQ(lo, 1);
  EXPECT_EQ(hi, 30);
  EXPECT_EQ(SendMessage(ud, UDM_GETPOS32, 0, 0), 61);
}

TEST_F(UpDownTest, SetPosClampsAndReturnsThePreviousPositionClamped) {
  HWND ud = MakeUpDown();
  SendMessage(ud, UDM_SETRANGE, 0, MAKELPARAM(10, 1));
  EXPECT_EQ(SendMessage(ud, UDM_SETPOS, 0, 25), 1);  // 0 outside 1..10 reads as 1
  EXPECT_EQ(LOWORD(SendMessage(ud, UDM_GETPOS, 0, 0)), 10);
  EXPECT_EQ(SendMessage(ud, UDM_SETPOS, 0, MAKELPARAM(static_cast<WORD>(-3), 0)), 10);
  EXPECT_EQ(LOWORD(SendMessage(ud, UDM_GETPOS, 0, 0)), 1);
}

struct StepCase {
  int min;
  int max;
  int start;
  platform::UpDownPart arrow;
  int expected;
};

TEST_F(UpDownTest, ArrowClicksStepTowardTheLimitsAndAlwaysReportThePosition) {
  using platform::UpDownPart;
  const StepCase cases[] = {
      {5, 50, 0, UpDownPart::Up, 5},      // outside: nearest limit
      {5, 50, 0, UpDownPart::Down, 5},    // outside: nearest limit either way
      {0, 60, 61, UpDownPart::Up, 60},    //
      {0, 60, 61, UpDownPart::Down, 60},  //
      {1, 10, 3, UpDownPart::Up, 4},      //
      {1, 10, 3, UpDownPart::Down, 2},    //
      {1, 10, 10, UpDownPart::Up, 10},    // at the limit: unchanged, still reported
      {1, 10, 1, UpDownPart::Down, 1},    //
      {100, 0, 0, UpDownPart::Up, 0},     // backwards default: up goes toward max 0
      {100, 0, 0, UpDownPart::Down, 1},   //
  };
  for (const StepCase& c : cases) {
    HWND ud = MakeUpDown();
    SendMessage(ud, UDM_SETRANGE32, static_cast<WPARAM>(c.min), c.max);
    SendMessage(ud, UDM_SETPOS32, 0, c.start);
    if (c.start < std::min(c.min, c.max) || c.start > std::max(c.min, c.max)) {
      // Positions outside the range come from before the range was set.
      SendMessage(ud, UDM_SETRANGE32, 0, 100);
      SendMessage(ud, UDM_SETPOS32, 0, c.start);
      SendMessage(ud, UDM_SETRANGE32, static_cast<WPARAM>(c.min), c.max);
    }
    MessageRecorder rec({parent}, kNotifications);
    ClickArrow(ud, c.arrow);
    ExpectTap(rec, c.start, c.expected - c.start, c.expected,
              "range " + std::to_string(c.min) + ".." + std::to_string(c.max) + " from " +
                  std::to_string(c.start));
    EXPECT_EQ(SendMessage(ud, UDM_GETPOS32, 0, 0), c.expected);
    DestroyWindow(ud);
  }
}

TEST_F(UpDownTest, AVetoedStepKeepsThePositionButStillReportsIt) {
  HWND ud = MakeUpDown();
  SendMessage(ud, UDM_SETRANGE32, 0, 10);
  SendMessage(ud, UDM_SETPOS32, 0, 4);
  test::notifyResult = 1;
  MessageRecorder rec({parent}, kNotifications);
  ClickArrow(ud, platform::UpDownPart::Up);
  ExpectTap(rec, 4, 1, 4, "a vetoed step");
}

TEST_F(UpDownTest, HoldingAnArrowRepeatsOnTheTimerUntilReleased) {
  HWND ud = MakeUpDown();
  SendMessage(ud, UDM_SETRANGE32, 0, 60);
  MessageRecorder rec({parent}, kNotifications);
  Press(ud, platform::UpDownPart::Up);
  EXPECT_EQ(platform::UpDownPressedPart(ud), platform::UpDownPart::Up);
  clock.Advance(499);
  platform::ProcessPendingMessages();
  EXPECT_EQ(SendMessage(ud, UDM_GETPOS32, 0, 0), 1);
  clock.Advance(1);
  platform::ProcessPendingMessages();
  EXPECT_EQ(SendMessage(ud, UDM_GETPOS32, 0, 0), 2);
  clock.Advance(100);
  platform::ProcessPendingMessages();
  EXPECT_EQ(SendMessage(ud, UDM_GETPOS32, 0, 0), 3);
  Release();
  EXPECT_EQ(platform::UpDownPressedPart(ud), platform::UpDownPart::None);
  clock.Advance(1000);
  platform::ProcessPendingMessages();
  EXPECT_EQ(SendMessage(ud, UDM_GETPOS32, 0, 0), 3);
  ExpectSequence(rec, kHeldThreeSteps, "an arrow held for two repeats");
}

TEST_F(UpDownTest, HorizontalControlsReportWithHScrollAndWrapWhenAsked) {
  HWND ud = Make(UPDOWN_CLASS, UDS_HORZ | UDS_WRAP, 7, 0, 0, 24, 12);
  SendMessage(ud, UDM_SETRANGE32, 1, 3);
  SendMessage(ud, UDM_SETPOS32, 0, 3);
  MessageRecorder rec({parent}, kNotifications);
  ClickArrow(ud, platform::UpDownPart::Up);
  ExpectSequence(rec, kWrappedRight, "a horizontal control's up arrow at the maximum");
}

}  // namespace
