// The script host driving the real tool in-process, on an in-memory registry
// and a manual clock: errors name their line, what was applied stays, and
// the end of the script closes the tool.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "host/program.h"
#include "host/script_host.h"
#include "platform/framework/afxwin.h"
#include "platform/registry/regfile.h"
#include "platform/registry/registry.h"
#include "platform/registry/winreg.h"
#include "platform/resource.h"
#include "platform/window/host.h"
#include "res/resources.h"
#include "tests/support/fixtures.h"
#include "tests/support/manual_clock.h"

namespace host {
namespace {

namespace reg = platform::registry;
using json = nlohmann::ordered_json;

struct Outcome {
  std::vector<json> dumps;
  std::optional<ScriptError> error;
  std::vector<ShownMessage> messages;
};

class ScriptHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::ResetWindowSystem();
    AfxResetFrameworkState();
    platform::ProgramModule().resources = &res::Module();
    platform::ProgramModule().path = u"/opt/regilla/RegillaMobile";
    platform::SetClock(&clock_);
    const std::string text = test::Fixture("script_device.reg");
    reg::ParsedRegFile parsed;
    ASSERT_EQ(reg::ParseRegFile(std::span(reinterpret_cast<const BYTE*>(text.data()), text.size()),
                                "test registry", parsed),
              platform::Status());
    reg::InstallRegistry(std::make_unique<reg::Registry>(std::move(parsed.tree)));
  }
  void TearDown() override {
    platform::SetTraceHook({});
    platform::SetInputSource(nullptr);
    platform::ResetWindowSystem();
    AfxResetFrameworkState();
    reg::InstallRegistry(std::make_unique<reg::Registry>());
  }

  Outcome Run(const std::string& script) {
    std::istringstream in(script);
    std::ostringstream out;
    ScriptHost host(in, out, {}, {});
    platform::SetTraceHook([&host](const platform::TraceEvent& e) {
      if (e.kind == platform::TraceEvent::Kind::MessageBox) host.NoteMessageBox(e.caption, e.text);
    });
    platform::SetInputSource(&host);
    RunTool();
    platform::SetInputSource(nullptr);
    platform::SetTraceHook({});
    Outcome outcome;
    std::istringstream lines(out.str());
    for (std::string line; std::getline(lines, line);) outcome.dumps.push_back(json::parse(line));
    outcome.error = host.error();
    outcome.messages = host.messages();
    return outcome;
  }

  static DWORD ReadNumber(const char16_t* key, const char16_t* name) {
    HKEY k = nullptr;
    if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, key, 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS)
      return 0xDEAD;
    DWORD value = 0;
    DWORD size = sizeof value;
    const LONG rc =
        RegQueryValueEx(k, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(k);
    return rc == ERROR_SUCCESS ? value : 0xDEAD;
  }

  test::ManualClock clock_;
};

TEST_F(ScriptHostTest, DumpDescribesTheStartScreen) {
  const Outcome o = Run("dump\n");
  ASSERT_FALSE(o.error) << o.error->what();
  ASSERT_EQ(o.dumps.size(), 1u);
  const json& d = o.dumps[0];
  EXPECT_EQ(d["screen"], json::array({240, 320}));
  EXPECT_EQ(d["tab"], 0);
  EXPECT_EQ(d["top"], "CSet1");
  EXPECT_EQ(d["visible"], json::array({"CSet1"}));
  EXPECT_EQ(d["apply"], true);
  EXPECT_EQ(d["cancel"], true);
  EXPECT_EQ(d["progress"]["visible"], false);
  EXPECT_EQ(d["controls"]["CSet1:1009"], json({{"checked", false}}));
  EXPECT_EQ(d["controls"]["CSet1:1010"], json({{"checked", true}}));
  EXPECT_EQ(d["controls"]["CSet1:1031"], json({{"sel", 1}}));
  EXPECT_EQ(d["messages"], json::array());
  // Controls come page by page in tab order, template order within a page.
  std::vector<std::string> keys;
  for (const auto& item : d["controls"].items()) keys.push_back(item.key());
  ASSERT_GE(keys.size(), 5u);
  EXPECT_EQ(std::vector<std::string>(keys.begin(), keys.begin() + 5),
            (std::vector<std::string>{"CSet1:1009", "CSet1:1010", "CSet1:1011", "CSet1:1031",
                                      "CSet1:1032"}));
}

TEST_F(ScriptHostTest, ErrorsNameTheLineAndStopTheScript) {
  struct Case {
    const char* script;
    int line;
    const char* reason;
  };
  const Case cases[] = {
      {"dump\nfly away\n", 2, "unknown command \"fly\""},
      {"click CSet7:1009\n", 1, "unknown window \"CSet7\""},
      {"# c\nclick main:999\n", 2, "unknown control main:999"},
      {"click main:1029\n", 1, "main:1029 is hidden"},
      {"tab 5\n\nclick CSet1:1009\n", 3, "CSet1:1009 is covered by CAbout"},
      {"type CSet1:1009 x\n", 1, "CSet1:1009 is not an edit control"},
      {"vscroll CSet1:1031 4 1\n", 1, "CSet1:1031 is not an up-down control"},
      {"select CSet1:1031 9\n", 1, "CSet1:1031 has no entry 9 (4 entries)"},
      {"screenshot a.png\n", 1, "screenshot a.png: the device window is not available"},
  };
  for (const Case& c : cases) {
    TearDown();
    SetUp();
    const Outcome o = Run(std::string(c.script) + "dump\n");
    ASSERT_TRUE(o.error) << c.script;
    EXPECT_EQ(o.error->line(), c.line) << c.script;
    EXPECT_NE(o.error->reason().find(c.reason), std::string::npos)
        << c.script << " -> " << o.error->reason();
    // Nothing after the bad line ran.
    EXPECT_LE(o.dumps.size(), 1u) << c.script;
  }
}

TEST_F(ScriptHostTest, WhatWasAppliedBeforeAnErrorStays) {
  const Outcome o =
      Run("click CSet1:1009\n"
          "click main:1013\n"
          "ok\n"
          "click CSet1:1032\n"
          "bogus\n"
          "click main:1013\n");
  ASSERT_TRUE(o.error);
  EXPECT_EQ(o.error->line(), 5);
  EXPECT_EQ(ReadNumber(u"\\Software\\Apps\\Microsoft Application Installer", u"fAskDest"), 1u);
  // The change after the Apply never reached the store.
  EXPECT_EQ(ReadNumber(u"\\System\\GWE", u"Animate"), 1u);
  EXPECT_EQ(clock_.TotalSlept(), 1200u);
}

TEST_F(ScriptHostTest, EndOfScriptAnswersTheMessageAndClosesWithoutSaving) {
  const Outcome o =
      Run("click CSet1:1032\n"
          "settingchange 0x3002\n");
  ASSERT_FALSE(o.error) << o.error->what();
  ASSERT_EQ(o.messages.size(), 1u);
  EXPECT_EQ(o.messages[0].text, u"画面は縦長でご使用下さい");
  EXPECT_EQ(o.messages[0].caption, u"RegillaMobile");
  EXPECT_EQ(ReadNumber(u"\\System\\GWE", u"Animate"), 1u);
}

TEST_F(ScriptHostTest, TypeReplacesTheWholeTextAndEmptyTextEmptiesTheEdit) {
  const Outcome o =
      Run("tab 2\n"
          "type CSet3:1027 abc\n"
          "type CSet3:1027 デバイス\n"
          "dump\n"
          "type CSet3:1027\n"
          "dump\n"
          "type CSet3:1019 99\n"
          "dump\n");
  ASSERT_FALSE(o.error) << o.error->what();
  ASSERT_EQ(o.dumps.size(), 3u);
  EXPECT_EQ(o.dumps[0]["controls"]["CSet3:1027"]["text"], "デバイス");
  EXPECT_EQ(o.dumps[1]["controls"]["CSet3:1027"]["text"], "");
  // A read-only edit takes the focus but ignores the typing.
  EXPECT_EQ(o.dumps[2]["controls"]["CSet3:1019"], o.dumps[1]["controls"]["CSet3:1019"]);
}

TEST_F(ScriptHostTest, SpinClicksTheArrowHalvesAndVscrollReachesThePage) {
  const Outcome o =
      Run("tab 2\n"
          "dump\n"
          "spin CSet3:1021 up\n"
          "dump\n"
          "spin CSet3:1021 down\n"
          "spin CSet3:1021 down\n"
          "dump\n"
          "vscroll CSet3:1021 8 30\n"
          "dump\n"
          "vscroll CSet3:1021 4 30\n"
          "dump\n");
  ASSERT_FALSE(o.error) << o.error->what();
  ASSERT_EQ(o.dumps.size(), 5u);
  auto minutes = [&](int i) { return o.dumps[i]["controls"]["CSet3:1019"]["text"]; };
  EXPECT_EQ(minutes(0), "10");  // CacheTime 600 s
  EXPECT_EQ(minutes(1), "11");
  EXPECT_EQ(o.dumps[1]["controls"]["CSet3:1021"]["pos"], 11);
  EXPECT_EQ(minutes(2), "9");
  EXPECT_EQ(minutes(3), "9");   // this page handles only SB_THUMBPOSITION
  EXPECT_EQ(minutes(4), "10");  // one step toward the reported position
}

TEST_F(ScriptHostTest, ClicksReachOnlyWhatAFingerWould) {
  // The list opens over the page; its entry is tapped, not the page below.
  const Outcome o =
      Run("select CSet1:1031 3\n"
          "dump\n"
          "click main:1013\n"
          "click main:2\n");
  ASSERT_TRUE(o.error);
  EXPECT_EQ(o.error->line(), 4);
  EXPECT_NE(o.error->reason().find("main:2 is disabled (a message box is open)"), std::string::npos)
      << o.error->reason();
  ASSERT_EQ(o.dumps.size(), 1u);
  EXPECT_EQ(o.dumps[0]["controls"]["CSet1:1031"]["sel"], 3);
  EXPECT_EQ(ReadNumber(u"\\System\\CurrentControlSet\\Services\\VxD\\BIOS", u"CPUPriority"), 3u);
}

}  // namespace
}  // namespace host
