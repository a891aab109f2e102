// Input, shell and browser page: the keyboard box, clearing the history, and
// the connection counts with their up-down stepping.
#include <gtest/gtest.h>
#include "platform/text/text.h"

#include "platform/registry/winreg.h"
#include "tests/pages/page_helpers.h"
#include "tests/support/sample_device.h"

namespace {

using namespace test;
using test::FullDevice;
using test::With;
using test::Without;

const std::u16string kTaskSwitch = u"\\Software\\Microsoft\\Shell\\TaskSwitch";
const std::u16string kInet = u"\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

TEST(Set2, AllowChangeMapping) {
  struct Case {
    std::string line;
    bool checked;
    std::int32_t saved;
  };
  const Case cases[] = {
      {"\"AllowChange\"=dword:00000007", true, 1},
      {"\"AllowChange\"=dword:00000000", false, 0},
      {"", false, 0},  // value missing: left unchecked, Apply stores 0
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    Device d(c.line.empty() ? Without("\"AllowChange\"") : With("AllowChange", c.line));
    bool shown = !c.checked;
    d.Run(ThenApply(d, {[&] { shown = d.Checked("CSet2", IDC_SIP_AUTO); }}));
    EXPECT_EQ(shown, c.checked);
    EXPECT_EQ(d.Number(HKEY_CURRENT_USER, u"\\ControlPanel\\Sip", u"AllowChange"), c.saved);
  }
}

TEST(Set2, FailedAllowChangeReadKeepsTheUsersChangeOnReload) {
  Device d(Without("\"AllowChange\""));
  d.Run({[&] { d.ClickTab(1); }, [&] { d.Click("CSet2", IDC_SIP_AUTO); },
         [&] { d.Click("main", IDCANCEL); },
         [&] { EXPECT_TRUE(d.Checked("CSet2", IDC_SIP_AUTO)); }});
}

TEST(Set2, HistoryBoxOnlyTogglesUntilApply) {
  Device d(FullDevice());
  d.Run({[&] { d.ClickTab(1); },
         [&] {
           d.ClearRecordings();
           d.Click("CSet2", IDC_CLEAR_HISTORY);  // same id as the main dialog's Apply
         },
         [&] {
           EXPECT_TRUE(d.Checked("CSet2", IDC_CLEAR_HISTORY));
           EXPECT_TRUE(d.Visible(d.Control("main", IDC_APPLY)));
         }});
  EXPECT_TRUE(d.Messages().empty());
  EXPECT_TRUE(d.Sleeps().empty());
  for (const std::string& c : d.Calls()) EXPECT_FALSE(c.starts_with("set ")) << c;
  EXPECT_EQ(d.Value(HKEY_CURRENT_USER, kTaskSwitch, u"0")->Text(), u"\\Windows\\calc.exe");
}

TEST(Set2, CheckedHistoryIsEmptiedInOneOpenOnEveryApply) {
  Device d(FullDevice());
  std::vector<std::string> firstApply;
  d.Run({[&] { d.ClickTab(1); }, [&] { d.Click("CSet2", IDC_CLEAR_HISTORY); },
         [&] {
           d.ClearRecordings();
           d.Click("main", IDC_APPLY);
         },
         [&] {
           d.PressMessageOk();
           firstApply = CallsOn(d, "TaskSwitch");
           // A value written back by another program meanwhile.
           HKEY h = nullptr;
           RegOpenKeyEx(HKEY_CURRENT_USER, kTaskSwitch.c_str(), 0, KEY_ALL_ACCESS, &h);
           const char16_t text[] = u"x";
           RegSetValueEx(h, u"3", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), 4);
           RegCloseKey(h);
           d.ClearRecordings();
           EXPECT_TRUE(d.Checked("CSet2", IDC_CLEAR_HISTORY));  // stays checked after Apply
         },
         [&] { d.Click("main", IDC_APPLY); }, [&] { d.PressMessageOk(); }});
  const std::string k = "HKCU \\Software\\Microsoft\\Shell\\TaskSwitch";
  std::vector<std::string> expected{"open " + k};
  for (int i = 0; i < 12; ++i) expected.push_back("set " + k + " " + std::to_string(i));
  expected.push_back("close " + k);
  EXPECT_EQ(firstApply, expected);
  for (int i = 0; i < 12; ++i) {
    const std::u16string name =
        i < 10 ? std::u16string(1, static_cast<char16_t>(u'0' + i)) : (i == 10 ? u"10" : u"11");
    const auto v = d.Value(HKEY_CURRENT_USER, kTaskSwitch, name);
    ASSERT_TRUE(v.has_value()) << i;  // created where it did not exist
    EXPECT_EQ(v->type, static_cast<DWORD>(REG_SZ));
    EXPECT_TRUE(v->bytes.empty()) << i;
  }
  for (const auto& e : d.RegistryEvents()) {
    if (e.op == platform::registry::RegistryEvent::Op::Set && e.key == kTaskSwitch) {
      EXPECT_EQ(e.size, 0u);
    }
  }
}

TEST(Set2, UncheckedHistoryOpensAndClosesWithoutWriting) {
  Device d(FullDevice());
  d.Run(ThenApply(d, {[&] { d.ClearRecordings(); }}));
  const std::string k = "HKCU \\Software\\Microsoft\\Shell\\TaskSwitch";
  EXPECT_EQ(CallsOn(d, "TaskSwitch"), (std::vector<std::string>{"open " + k, "close " + k}));
  EXPECT_EQ(d.Value(HKEY_CURRENT_USER, kTaskSwitch, u"1")->Text(), u"\\Windows\\pword.exe");
}

TEST(Set2, ConnectionCountsLoadUnclampedOrDefaultTo2) {
  struct Case {
    std::string reg;
    std::u16string per1_0Server, perServer;
    std::optional<std::int32_t> saved1, saved2;
  };
  const Case cases[] = {
      {FullDevice(), u"4", u"2", 4, 2},
      {Without("\"MaxConnectionsPer1_0Server\""), u"2", u"2", 2, 2},
      {With("MaxConnectionsPerServer", "\"MaxConnectionsPerServer\"=dword:00000019"), u"4", u"25",
       4, 25},
      {With("MaxConnectionsPer1_0Server", "\"MaxConnectionsPer1_0Server\"=dword:00000000"), u"0",
       u"2", 0, 2},
      // Key missing: edits stay empty, nothing is written.
      {Without("[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet "
               "Settings]"),
       u"", u"", std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(platform::text::ToUtf8(c.per1_0Server) + "/" +
                 platform::text::ToUtf8(c.perServer));
    Device d(c.reg);
    d.Run(ThenApply(d, {[&] {
                      EXPECT_EQ(d.Text("CSet2", IDC_PER1_0_SERVER), c.per1_0Server);
                      EXPECT_EQ(d.Text("CSet2", IDC_PER_SERVER), c.perServer);
                      EXPECT_EQ(d.UpDownRange("CSet2", IDC_PER1_0_SERVER_SPIN), (std::pair{1, 10}));
                      EXPECT_EQ(d.UpDownRange("CSet2", IDC_PER_SERVER_SPIN), (std::pair{1, 10}));
                    }}));
    EXPECT_EQ(d.Number(HKEY_CURRENT_USER, kInet, u"MaxConnectionsPer1_0Server"), c.saved1);
    EXPECT_EQ(d.Number(HKEY_CURRENT_USER, kInet, u"MaxConnectionsPerServer"), c.saved2);
  }
}

// Raw notifications: (start, code, reported position) -> shown number.
TEST(Set2, NotificationsStepOnceTowardThePositionWithin1To10) {
  struct Case {
    int start;
    int code;
    int pos;
    int shown;
  };
  const Case cases[] = {
      {25, 4, 5, 24},  {25, 4, 10, 24}, {24, 4, 1, 23},  // from above 10 only down
      {25, 4, 30, 25},                                   // up past 10: unchanged
      {10, 4, 11, 10}, {1, 4, 0, 1},                     // at the bounds
      {4, 4, 9, 5},    {4, 4, 4, 4},    {4, 4, 1, 3},    // one step only
      {4, 8, 9, 4},    {4, 5, 9, 4},                     // other codes ignored
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.start << " code " << c.code << " pos " << c.pos);
    Device d(test::WithDword("MaxConnectionsPerServer", c.start));
    d.Run(ThenApply(d, {[&] {
                      d.VScroll("CSet2", IDC_PER_SERVER_SPIN, c.code, c.pos);
                      EXPECT_EQ(d.Text("CSet2", IDC_PER_SERVER), test::Decimal(c.shown));
                      EXPECT_EQ(d.Text("CSet2", IDC_PER1_0_SERVER),
                                u"4");  // the other pair is untouched
                    }}));
    EXPECT_EQ(d.Number(HKEY_CURRENT_USER, kInet, u"MaxConnectionsPerServer"), c.shown);
  }
}

TEST(Set2, ArrowClicksStepTheCountsAndStopAt10) {
  Device d(With("MaxConnectionsPerServer", "\"MaxConnectionsPerServer\"=dword:00000019"));
  std::vector<Step> steps{[&] { d.ClickTab(1); }};
  // The HTTP 1.1 count starts at 4: seven ups reach 10 and stay there.
  for (int i = 0; i < 7; ++i)
    steps.push_back([&] { d.Spin("CSet2", IDC_PER1_0_SERVER_SPIN, true); });
  steps.push_back([&] {
    EXPECT_EQ(d.Text("CSet2", IDC_PER1_0_SERVER), u"10");
    EXPECT_EQ(d.UpDownPos("CSet2", IDC_PER1_0_SERVER_SPIN), 10);
    // 25 is above the range: even the up arrow brings it one step down.
    d.Spin("CSet2", IDC_PER_SERVER_SPIN, true);
  });
  steps.push_back([&] { EXPECT_EQ(d.Text("CSet2", IDC_PER_SERVER), u"24"); });
  d.Run(ThenApply(d, std::move(steps)));
  EXPECT_EQ(d.Number(HKEY_CURRENT_USER, kInet, u"MaxConnectionsPer1_0Server"), 10);
  EXPECT_EQ(d.Number(HKEY_CURRENT_USER, kInet, u"MaxConnectionsPerServer"), 24);
}

}  // namespace
