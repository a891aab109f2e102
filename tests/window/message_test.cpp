// The queue, WM_QUIT, timers on the injected clock, Sleep and the hooks
// around waiting for input.
#include <gtest/gtest.h>

#include "tests/support/platform_test.h"

namespace {

using test::lparam;
using test::MessageSeq;
using test::PlatformTest;
using test::wparam;

class MessageTest : public PlatformTest {};

TEST_F(MessageTest, PostedMessagesComeInOrderAndQuitOnlyWhenTheQueueIsEmpty) {
  HWND top = MakeParent();
  PostMessage(top, WM_USER + 1, 1, 0);
  PostQuitMessage(7);
  PostMessage(top, WM_USER + 2, 2, 0);
  MSG m;
  ASSERT_TRUE(GetMessage(&m, nullptr, 0, 0));
  EXPECT_EQ(m.message, WM_USER + 1u);
  ASSERT_TRUE(GetMessage(&m, nullptr, 0, 0));
  EXPECT_EQ(m.message, WM_USER + 2u);
  EXPECT_EQ(GetMessage(&m, nullptr, 0, 0), FALSE);
  EXPECT_EQ(m.message, WM_QUIT);
  EXPECT_EQ(m.wParam, 7u);
}

TEST_F(MessageTest, GetMessageAsksTheInputSourceAfterTheBeforeWaitHookAndEndsWithIt) {
  HWND top = MakeParent();
  std::vector<std::string> events;
  test::ScriptedInput input;
  input.Then([&] {
    events.push_back("input");
    PostMessage(top, WM_USER, 0, 0);
  });
  platform::SetInputSource(&input);
  platform::SetBeforeWaitHook([&] { events.push_back("before-wait"); });
  MSG m;
  ASSERT_EQ(GetMessage(&m, nullptr, 0, 0), TRUE);
  EXPECT_EQ(m.message, WM_USER);
  EXPECT_EQ(GetMessage(&m, nullptr, 0, 0), -1);  // input ended, nothing pending
  EXPECT_EQ(events, (std::vector<std::string>{"before-wait", "input", "before-wait"}));
  EXPECT_FALSE(input.lastTimeout.has_value());
}

TEST_F(MessageTest, TimersFireOnTheInjectedClockAndTellTheInputSourceTheDeadline) {
  HWND top = MakeParent();
  test::ScriptedInput input;
  platform::SetInputSource(&input);
  SetTimer(top, 5, 100, nullptr);
  MSG m;
  ASSERT_EQ(GetMessage(&m, nullptr, 0, 0), TRUE);  // no input: the clock runs to the timer
  EXPECT_EQ(m.message, WM_TIMER);
  EXPECT_EQ(m.wParam, 5u);
  EXPECT_EQ(clock.NowMs(), 100u);
  EXPECT_EQ(input.lastTimeout, std::optional<DWORD>(100));
  clock.Advance(100);
  ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_TIMER);
  KillTimer(top, 5);
  clock.Advance(1000);
  EXPECT_FALSE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageTest, SleepUsesTheInjectedClockAndIsTraced) {
  std::vector<DWORD> sleeps;
  platform::SetTraceHook([&](const platform::TraceEvent& e) {
    if (e.kind == platform::TraceEvent::Kind::Sleep) sleeps.push_back(e.ms);
  });
  Sleep(200);
  Sleep(200);
  EXPECT_EQ(sleeps, (std::vector<DWORD>{200, 200}));
  EXPECT_EQ(clock.TotalSlept(), 400u);
  EXPECT_EQ(GetTickCount(), 400u);
}

TEST_F(MessageTest, PostQuitMessageIsTraced) {
  int quits = 0;
  platform::SetTraceHook([&](const platform::TraceEvent& e) {
    if (e.kind == platform::TraceEvent::Kind::Quit) ++quits;
  });
  PostQuitMessage(0);
  EXPECT_EQ(quits, 1);
}

TEST_F(MessageTest, TheMessageHookSeesSentAndDispatchedMessages) {
  static const MessageSeq kSentThenPosted[] = {{WM_USER + 3, wparam | lparam, 1, 2},
                                               {WM_USER + 4, wparam | lparam, 3, 4}};
  HWND top = MakeParent();
  test::MessageRecorder rec({top});
  SendMessage(top, WM_USER + 3, 1, 2);
  PostMessage(top, WM_USER + 4, 3, 4);
  platform::ProcessPendingMessages();
  test::ExpectSequence(rec, kSentThenPosted, "a sent and a posted message");
}

TEST_F(MessageTest, ResetForgetsWindowsQueueAndHooks) {
  HWND top = MakeParent();
  PostMessage(top, WM_USER, 0, 0);
  int calls = 0;
  platform::SetBeforeWaitHook([&] { ++calls; });
  platform::ResetWindowSystem();
  EXPECT_FALSE(IsWindow(top));
  MSG m;
  EXPECT_FALSE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(GetMessage(&m, nullptr, 0, 0), -1);
  EXPECT_EQ(calls, 0);
}

}  // namespace
