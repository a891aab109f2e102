// End-to-end runs of the RegillaMobile program: scripts against .reg files
// in a temporary folder, checking the file, the dump output and the trace.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <pugixml.hpp>
#include <sstream>

#include "tests/support/files.h"
#include "tests/support/fixtures.h"
#include "tests/support/process.h"

namespace {

namespace fs = std::filesystem;
using json = nlohmann::json;
using test::ReadFile;
using test::WriteText;

constexpr const char* kInstallerKey =
    R"(HKEY_LOCAL_MACHINE\Software\Apps\Microsoft Application Installer)";
constexpr const char* kSoftReset = "設定を有効にするため、ソフトリセットをかけて下さい。";
constexpr const char* kPortrait = "画面は縦長でご使用下さい";

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

// The data text of "name"=… in [key] of a .reg file the program wrote.
std::optional<std::string> RegValue(const std::string& file, const std::string& key,
                                    const std::string& name) {
  std::istringstream in(file);
  bool inKey = false;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line.front() == '[') {
      inKey = Lower(line) == Lower("[" + key + "]");
      continue;
    }
    const std::string prefix = "\"" + name + "\"=";
    if (inKey && Lower(line).rfind(Lower(prefix), 0) == 0) return line.substr(prefix.size());
  }
  return std::nullopt;
}

std::vector<json> JsonLines(const std::string& text) {
  std::vector<json> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) lines.push_back(json::parse(line));
  }
  return lines;
}

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/regilla-e2e-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    store_ = dir_ / "device.reg";
    WriteText(store_, test::Fixture("device.reg"));
    env_["XDG_DATA_HOME"] = (dir_ / "xdg").string();
    env_["QT_QPA_PLATFORM"] = "offscreen";
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs a script file against the test's store with a trace file.
  test::Result RunScript(const std::string& script, std::vector<std::string> extra = {}) {
    WriteText(dir_ / "script.txt", script);
    std::vector<std::string> args = {"--registry", store_.string(),
                                     "--script",   (dir_ / "script.txt").string(),
                                     "--trace",    (dir_ / "trace.jsonl").string()};
    args.insert(args.end(), extra.begin(), extra.end());
    return test::Run(args, {}, env_);
  }
  std::vector<json> Trace() { return JsonLines(ReadFile(dir_ / "trace.jsonl")); }
  std::string Store() { return ReadFile(store_); }

  fs::path dir_;
  fs::path store_;
  test::Env env_;
};

TEST_F(EndToEnd, ApplyWritesTheFirstPageAndTracesTheCycle) {
  const test::Result r = RunScript(
      "# change every control of the first page, then apply\n"
      "click CSet1:1009\n"
      "select CSet1:1031 0\n"
      "click CSet1:1032\n"
      "click main:1013\n"
      "dump\n"
      "ok\n"
      "dump\n");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string file = Store();
  EXPECT_EQ(RegValue(file, kInstallerKey, "fAskDest"), "dword:00000001");
  EXPECT_EQ(RegValue(file, kInstallerKey, "nDynamicDelete"),
            "dword:00000000");                                                // 1 shows unchecked
  EXPECT_EQ(RegValue(file, kInstallerKey, "fAskOptions"), "dword:00000001");  // 5 normalised
  EXPECT_EQ(RegValue(file, R"(HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\VxD\BIOS)",
                     "CPUPriority"),
            "dword:00000000");
  EXPECT_EQ(RegValue(file, R"(HKEY_LOCAL_MACHINE\System\GWE)", "Animate"), "dword:00000000");
  EXPECT_TRUE(fs::exists(store_.string() + ".bak"));

  const std::vector<json> dumps = JsonLines(r.out);
  ASSERT_EQ(dumps.size(), 2u);
  // While the closing message is up, the buttons are back and the bar is hidden at 6/6.
  EXPECT_TRUE(dumps[0]["apply"]);
  EXPECT_TRUE(dumps[0]["cancel"]);
  EXPECT_EQ(dumps[0]["progress"], json({{"visible", false}, {"min", 0}, {"max", 6}, {"pos", 6}}));
  ASSERT_EQ(dumps[0]["messages"].size(), 1u);
  EXPECT_EQ(dumps[0]["messages"][0], json({{"caption", "RegillaMobile"}, {"text", kSoftReset}}));
  EXPECT_EQ(dumps[1]["controls"]["CSet1:1009"], json({{"checked", true}}));
  EXPECT_EQ(dumps[1]["controls"]["CSet1:1031"], json({{"sel", 0}}));
  EXPECT_EQ(dumps[1]["controls"]["CSet1:1032"], json({{"checked", false}}));

  // The trace: the page's writes in order, then six progress steps each
  // followed by a 200 ms pause, the bar hidden, the buttons back, the message.
  const std::vector<json> trace = Trace();
  std::vector<std::string> sets;
  std::vector<int> progress;
  std::vector<std::string> tail;
  bool applying = false;
  for (const json& e : trace) {
    if (e["op"] == "show" && e["window"] == "main:1013" && e["visible"] == false) applying = true;
    if (!applying) continue;
    if (e["op"] == "set" && e["root"] == "HKLM") sets.push_back(e["name"]);
    if (e["op"] == "progress") progress.push_back(e["pos"]);
    if (e["op"] == "set") {
      EXPECT_EQ(e["type"], 4);
    }
    if (e["op"] == "sleep") {
      EXPECT_EQ(e["ms"], 200);
    }
    if (e["op"] == "msgbox") {
      EXPECT_EQ(e["text"], kSoftReset);
      break;
    }
  }
  ASSERT_GE(sets.size(), 5u);
  EXPECT_EQ(std::vector<std::string>(sets.begin(), sets.begin() + 5),
            (std::vector<std::string>{"fAskDest", "nDynamicDelete", "fAskOptions", "CPUPriority",
                                      "Animate"}));
  EXPECT_EQ(progress, (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
  const auto firstSet = std::find_if(trace.begin(), trace.end(), [](const json& e) {
    return e["op"] == "set" && e["name"] == "fAskDest";
  });
  ASSERT_NE(firstSet, trace.end());
  EXPECT_EQ((*firstSet)["data"], "01000000");
  EXPECT_EQ((*firstSet)["key"], "\\Software\\Apps\\Microsoft Application Installer");
  // The store is saved before the message is shown, and the flush says so.
  const auto flushed = std::find_if(
      firstSet, trace.end(), [](const json& e) { return e["op"] == "flush" && e["rc"] == 0; });
  EXPECT_NE(flushed, trace.end());
}

TEST_F(EndToEnd, CancelReloadsTheStoredValues) {
  const std::string before = Store();
  const test::Result r = RunScript(
      "click CSet1:1009\n"
      "select CSet1:1031 3\n"
      "dump\n"
      "click main:2\n"
      "dump\n");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<json> dumps = JsonLines(r.out);
  ASSERT_EQ(dumps.size(), 2u);
  EXPECT_EQ(dumps[0]["controls"]["CSet1:1009"]["checked"], true);
  EXPECT_EQ(dumps[0]["controls"]["CSet1:1031"]["sel"], 3);
  EXPECT_EQ(dumps[1]["controls"]["CSet1:1009"]["checked"], false);
  EXPECT_EQ(dumps[1]["controls"]["CSet1:1031"]["sel"], 2);
  EXPECT_EQ(dumps[1]["tab"], 0);
  EXPECT_TRUE(dumps[1]["messages"].empty());
  EXPECT_EQ(Store(), before);
}

TEST_F(EndToEnd, OkWithoutApplyWritesNothing) {
  const std::string before = Store();
  const test::Result r = RunScript(
      "click CSet1:1009\n"
      "click CSet1:1032\n"
      "ok\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Store(), before);
  EXPECT_FALSE(fs::exists(store_.string() + ".bak"));
  for (const json& e : Trace()) EXPECT_NE(e["op"], "set") << e.dump();
}

TEST_F(EndToEnd, LandscapeScreenIsRefusedWithoutTouchingTheStore) {
  const std::string before = Store();
  const test::Result r = RunScript("dump\n", {"--screen", "320x240"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<json> dumps = JsonLines(r.out);
  ASSERT_EQ(dumps.size(), 1u);
  EXPECT_EQ(dumps[0]["screen"], json::array({320, 240}));
  EXPECT_EQ(dumps[0]["tab"], nullptr);
  EXPECT_EQ(dumps[0]["top"], nullptr);
  EXPECT_TRUE(dumps[0]["visible"].empty());
  EXPECT_TRUE(dumps[0]["controls"].empty());
  EXPECT_EQ(dumps[0]["messages"],
            json::array({{{"caption", "RegillaMobile"}, {"text", kPortrait}}}));
  EXPECT_EQ(Store(), before);
  for (const json& e : Trace()) {
    EXPECT_TRUE(e["op"] != "open" && e["op"] != "create" && e["op"] != "query" && e["op"] != "set")
        << e.dump();
  }
  const std::vector<json> trace = Trace();
  EXPECT_TRUE(
      std::any_of(trace.begin(), trace.end(), [](const json& e) { return e["op"] == "quit"; }));

  // A store that does not exist yet is not created by a refused start,
  // neither a named file nor the default one with its folder.
  WriteText(dir_ / "script.txt", "dump\n");
  const test::Result named =
      test::Run({"--screen", "320x240", "--registry", (dir_ / "new.reg").string(), "--script",
                 (dir_ / "script.txt").string()},
                {}, env_);
  EXPECT_EQ(named.status, 0) << named.err;
  EXPECT_FALSE(fs::exists(dir_ / "new.reg"));
  const test::Result byDefault =
      test::Run({"--screen", "320x240", "--script", (dir_ / "script.txt").string()}, {}, env_);
  EXPECT_EQ(byDefault.status, 0) << byDefault.err;
  EXPECT_FALSE(fs::exists(dir_ / "xdg"));
}

TEST_F(EndToEnd, RotatingTheScreenEndsTheToolWithoutSaving) {
  const std::string before = Store();
  const test::Result r = RunScript(
      "click CSet1:1009\n"
      "rotate\n"
      "dump\n");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<json> dumps = JsonLines(r.out);
  ASSERT_EQ(dumps.size(), 1u);
  EXPECT_EQ(dumps[0]["screen"], json::array({320, 240}));
  EXPECT_EQ(dumps[0]["messages"].back()["text"], kPortrait);
  EXPECT_EQ(Store(), before);
}

TEST_F(EndToEnd, OtherSettingChangesAreIgnored) {
  const test::Result r = RunScript("settingchange 0x10\ndump\n");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<json> dumps = JsonLines(r.out);
  ASSERT_EQ(dumps.size(), 1u);
  EXPECT_TRUE(dumps[0]["messages"].empty());
  EXPECT_EQ(dumps[0]["top"], "CSet1");
}

TEST_F(EndToEnd, CorruptStoreStopsBeforeAnythingAndStaysByteIdentical) {
  const std::string corrupt =
      "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\System\\GWE]\r\n"
      "\"Animate\"=dword:zz\r\n";
  WriteText(store_, corrupt);
  const test::Result r = RunScript("click CSet1:1009\nclick main:1013\nok\ndump\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("device.reg"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find('4'), std::string::npos) << r.err;  // the line
  EXPECT_TRUE(r.out.empty());
  EXPECT_EQ(Store(), corrupt);
  EXPECT_FALSE(fs::exists(store_.string() + ".bak"));
}

TEST_F(EndToEnd, DefaultStoreIsSeededFromTheSampleAndTraceGoesToStderr) {
  WriteText(dir_ / "script.txt", "dump\n");
  const test::Result r =
      test::Run({"--script", (dir_ / "script.txt").string(), "--trace", "-"}, {}, env_);
  ASSERT_EQ(r.status, 0) << r.err;
  const fs::path seeded = dir_ / "xdg" / "RegillaMobile" / "registry.reg";
  EXPECT_TRUE(fs::exists(seeded));
  EXPECT_NE(r.err.find(seeded.string()), std::string::npos) << r.err;
  ASSERT_EQ(JsonLines(r.out).size(), 1u);

  // The sample has no BIOS key: loading creates it (options 1) and stores 3.
  std::vector<json> trace;
  std::istringstream err(r.err);
  for (std::string line; std::getline(err, line);) {
    if (!line.empty() && line.front() == '{') trace.push_back(json::parse(line));
  }
  const std::string bios = "\\System\\CurrentControlSet\\Services\\VxD\\BIOS";
  const auto created = std::find_if(trace.begin(), trace.end(), [&](const json& e) {
    return e["op"] == "create" && e["key"] == bios;
  });
  ASSERT_NE(created, trace.end()) << r.err;
  EXPECT_EQ(*created,
            json({{"op", "create"}, {"root", "HKLM"}, {"key", bios}, {"rc", 0}, {"options", 1}}));
  EXPECT_EQ(*(created + 1), json({{"op", "set"},
                                  {"root", "HKLM"},
                                  {"key", bios},
                                  {"name", "CPUPriority"},
                                  {"type", 4},
                                  {"data", "03000000"},
                                  {"rc", 0}}));
  EXPECT_NE(ReadFile(seeded).find("CPUPriority"), std::string::npos);
}

// The parm of `name` in the characteristic of `key` ("HKLM\\Ident") of an
// exported document: its value and datatype, or nothing.
std::optional<std::pair<std::string, std::string>> Exported(const std::string& xml,
                                                            const std::string& key,
                                                            const std::string& name) {
  pugi::xml_document doc;
  if (!doc.load_string(xml.c_str())) return std::nullopt;
  const pugi::xml_node parm = doc.child("wap-provisioningdoc")
                                  .find_child_by_attribute("characteristic", "type", "Registry")
                                  .find_child_by_attribute("characteristic", "type", key.c_str())
                                  .find_child_by_attribute("parm", "name", name.c_str());
  if (!parm) return std::nullopt;
  return std::pair<std::string, std::string>(parm.attribute("value").value(),
                                             parm.attribute("datatype").value());
}

TEST_F(EndToEnd, EveryPageIsLoadedAndApplied) {
  WriteText(store_, test::Fixture("all_pages.reg"));
  const std::string exports = (dir_ / "export-").string();
  const std::string changes =
      "dump\n"
      "tab 1\n"
      "click CSet2:1012\n"
      "click CSet2:1013\n"
      "spin CSet2:1018 up\n"
      "tab 2\n"
      "spin CSet3:1021 down\n"
      "click CSet3:1022\n"
      "type CSet3:1027 端末\n"
      "tab 3\n"
      "click CSet4:1024\n"
      "select CSet4:1030 3\n"
      "tab 4\n"
      "spin CSet5:1037 up\n"
      "vscroll CSet5:1041 8 20\n"
      "dump\n";
  const test::Result r =
      RunScript("export " + exports + "start.xml\n" + changes + "export " + exports +
                    "unapplied.xml\nclick main:1013\nexport " + exports + "applied.xml\nok\n",
                {"--export", exports + "end.cab"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<json> dumps = JsonLines(r.out);
  ASSERT_EQ(dumps.size(), 2u);
  const json& loaded = dumps[0]["controls"];
  EXPECT_EQ(loaded["CSet2:1017"]["text"], "4");
  EXPECT_EQ(loaded["CSet2:1018"], json({{"pos", 4}, {"min", 1}, {"max", 10}}));
  EXPECT_EQ(loaded["CSet3:1019"]["text"], "10");
  EXPECT_EQ(loaded["CSet3:1020"]["text"], "5");
  EXPECT_EQ(loaded["CSet3:1026"]["checked"], true);
  EXPECT_EQ(loaded["CSet3:1027"]["text"], "Pocket_PC");
  EXPECT_EQ(loaded["CSet4:1030"]["sel"], 1);
  EXPECT_EQ(loaded["CSet5:1036"]["text"], "13");
  EXPECT_EQ(loaded["CSet5:1034"]["checked"], true);
  EXPECT_FALSE(loaded["CAbout:1025"]["text"].get<std::string>().empty());

  const json& changed = dumps[1];
  EXPECT_EQ(changed["tab"], 4);
  EXPECT_EQ(changed["top"], "CSet5");
  EXPECT_EQ(changed["visible"], json::array({"CSet1", "CSet2", "CSet3", "CSet4", "CSet5"}));
  EXPECT_EQ(changed["controls"]["CSet2:1017"]["text"], "5");
  EXPECT_EQ(changed["controls"]["CSet3:1019"]["text"], "9");
  EXPECT_EQ(changed["controls"]["CSet3:1027"]["text"], "端末");
  EXPECT_EQ(changed["controls"]["CSet5:1040"]["text"], "14");

  const std::string file = Store();
  const std::string hkcu = "HKEY_CURRENT_USER\\";
  const std::string hklm = "HKEY_LOCAL_MACHINE\\";
  // The store's value, and what the export after Apply says of it.
  struct Expect {
    std::string key;
    const char* name;
    const char* data;
    const char* exported;
  };
  const Expect expected[] = {
      {hkcu + R"(ControlPanel\Sip)", "AllowChange", "dword:00000001", "1"},
      {hkcu + R"(Software\Microsoft\Shell\TaskSwitch)", "0", "hex(1):", ""},
      {hkcu + R"(Software\Microsoft\Shell\TaskSwitch)", "11", "hex(1):", ""},
      {hkcu + R"(Software\Microsoft\Windows\CurrentVersion\Internet Settings)",
       "MaxConnectionsPer1_0Server", "dword:00000005", "5"},
      {hkcu + R"(Software\Microsoft\Windows\CurrentVersion\Internet Settings)",
       "MaxConnectionsPerServer", "dword:00000002", "2"},
      {hkcu + R"(Software\Microsoft\IMEJP\3.1\MSIME)", "option3", "dword:00000001", "1"},
      {hklm + R"(Comm\ConnMgr\Planner\Settings)", "CacheTime", "dword:0000021c", "540"},
      {hklm + R"(Comm\Redir)", "RegisterFSRoot", "dword:00000001", "1"},
      {hklm + R"(ControlPanel\WiFi)", "ScanInterval", "dword:0000012c", "300"},
      {hklm + R"(ControlPanel\WiFi)", "Timeout", "dword:00000014", "20"},
      {hklm + R"(Ident)", "Name", "hex(1):ef,7a,2b,67", "端末"},  // no terminator
      {hklm + R"(Software\Microsoft\Calendar)", "ShowLunarCalendar", "dword:00000001", "1"},
      {hklm + R"(Software\Microsoft\Shell)", "TBOpt", "dword:00000003", "3"},
      {hklm + R"(Software\Microsoft\Windows\CurrentVersion\Internet Settings)", "ClearTypeText",
       "dword:00000001", "1"},
      {hklm + R"(System\GWE)", "cxVScr", "dword:0000000e", "14"},
      {hklm + R"(System\GWE)", "cyVScr", "dword:0000000e", "14"},
      {hklm + R"(System\GWE)", "cyHScr", "dword:0000000d", "13"},
      {hklm + R"(System\GWE\Menu)", "Anitype", "dword:00000006", "6"},
  };
  // The exports name keys by their roots' short names.
  const std::string applied = ReadFile(exports + "applied.xml");
  for (const Expect& e : expected) {
    EXPECT_EQ(RegValue(file, e.key, e.name), std::optional<std::string>(e.data))
        << e.key << " " << e.name;
    const std::string shortKey =
        (e.key.rfind(hkcu, 0) == 0 ? "HKCU\\" : "HKLM\\") + e.key.substr(e.key.find('\\') + 1);
    const std::string datatype = std::string(e.data).rfind("dword:", 0) == 0 ? "integer" : "string";
    EXPECT_EQ(Exported(applied, shortKey, e.name),
              std::make_pair(std::string(e.exported), datatype))
        << shortKey << " " << e.name;
  }
  // Controls changed but not applied are not exported; the end's export
  // holds what was applied.
  EXPECT_EQ(ReadFile(exports + "unapplied.xml"), ReadFile(exports + "start.xml"));
  EXPECT_EQ(Exported(ReadFile(exports + "start.xml"), R"(HKLM\Ident)", "Name"),
            std::make_pair(std::string("Pocket_PC"), std::string("string")));
  EXPECT_EQ(ReadFile(exports + "end.cab").substr(0, 4), "MSCF");
  EXPECT_NE(r.err.find("settings exported to " + exports + "end.cab (35 values)"),
            std::string::npos)
      << r.err;
}

TEST_F(EndToEnd, ShownPagesStayVisibleUnderTheSelectedOne) {
  const test::Result r = RunScript("tab 1\ntab 5\ndump\ntab 1\ndump\n");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<json> dumps = JsonLines(r.out);
  ASSERT_EQ(dumps.size(), 2u);
  EXPECT_EQ(dumps[0]["tab"], 5);
  EXPECT_EQ(dumps[0]["top"], "CAbout");
  EXPECT_EQ(dumps[1]["tab"], 1);
  EXPECT_EQ(dumps[1]["top"], "CSet2");
  EXPECT_EQ(dumps[1]["visible"], json::array({"CSet1", "CSet2", "CAbout"}));
}

struct BadLine {
  const char* script;
  const char* expected;
};
// Test listings show what each case expects instead of its bytes.
void PrintTo(const BadLine& line, std::ostream* os) {
  *os << '"' << line.expected << '"';
}

class ScriptErrors : public EndToEnd, public ::testing::WithParamInterface<BadLine> {};

TEST_P(ScriptErrors, StopWithStatusTwoNamingTheLine) {
  const std::string before = Store();
  const test::Result r = RunScript(GetParam().script);
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_NE(r.err.find(GetParam().expected), std::string::npos) << r.err;
  EXPECT_EQ(Store(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ScriptErrors,
    ::testing::Values(BadLine{"dump\n# note\nfrobnicate\n", "line 3: unknown command"},
                      BadLine{"click main:1029\n", "line 1: main:1029 is hidden"},
                      BadLine{"ok\n# closed\ndump\n", "line 3: the tool has already ended"}));

TEST_F(EndToEnd, ACoveredControlIsAnErrorButWhatWasAppliedStays) {
  const test::Result r = RunScript(
      "click CSet1:1009\n"
      "click main:1013\n"
      "ok\n"
      "tab 5\n"
      "click CSet1:1032\n");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("line 5: CSet1:1032 is covered by CAbout"), std::string::npos) << r.err;
  EXPECT_EQ(RegValue(Store(), kInstallerKey, "fAskDest"), "dword:00000001");
}

TEST_F(EndToEnd, PipeDrivenDumpArrivesBeforeTheNextCommand) {
  test::Interactive tool({"--registry", store_.string(), "--script", "-"}, env_);
  tool.Send("dump");
  auto first = tool.ReadLine(std::chrono::seconds(20));
  ASSERT_TRUE(first) << "no answer to the first dump";
  EXPECT_EQ(json::parse(*first)["controls"]["CSet1:1009"]["checked"], false);

  tool.Send("click CSet1:1009");
  tool.Send("dump");
  auto second = tool.ReadLine(std::chrono::seconds(20));
  ASSERT_TRUE(second);
  EXPECT_EQ(json::parse(*second)["controls"]["CSet1:1009"]["checked"], true);

  tool.Send("click main:1013");
  tool.Send("dump");
  auto third = tool.ReadLine(std::chrono::seconds(20));
  ASSERT_TRUE(third);
  EXPECT_EQ(json::parse(*third)["messages"].size(), 1u);
  // Applied and saved while the message is still up.
  EXPECT_EQ(RegValue(Store(), kInstallerKey, "fAskDest"), "dword:00000001");

  const test::Result r = tool.Finish();
  EXPECT_EQ(r.status, 0) << r.err;
}

// The device window is loaded only when a window or a picture is needed.
TEST_F(EndToEnd, TheDeviceWindowIsLoadedOnlyForAScreenshot) {
  if (!REGILLA_WITH_WINDOW) GTEST_SKIP() << "built without the device window";
  auto mapsQt = [](int pid) {
    return ReadFile("/proc/" + std::to_string(pid) + "/maps").find("libQt6") != std::string::npos;
  };
  test::Interactive tool({"--registry", store_.string(), "--script", "-"}, env_);
  tool.Send("dump");
  ASSERT_TRUE(tool.ReadLine(std::chrono::seconds(20)));
  EXPECT_FALSE(mapsQt(tool.pid())) << "a headless run mapped Qt";
  tool.Send("screenshot " + (dir_ / "screen.png").string());
  tool.Send("dump");
  ASSERT_TRUE(tool.ReadLine(std::chrono::seconds(20)));
  EXPECT_TRUE(mapsQt(tool.pid()));
  EXPECT_EQ(tool.Finish().status, 0);
  EXPECT_EQ(ReadFile(dir_ / "screen.png").substr(1, 3), "PNG");
}

// Without the module a screenshot is a script error that says why, and what
// the script did before it is kept.
TEST_F(EndToEnd, AScreenshotWithoutTheWindowModuleIsAScriptError) {
  env_["REGILLA_WINDOW_MODULE"] = (dir_ / "missing.so").string();
  const test::Result r =
      RunScript("click CSet1:1009\nclick main:1013\nscreenshot " + (dir_ / "b.png").string());
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("the device window is not available in this build"), std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("missing.so"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir_ / "b.png"));
  EXPECT_EQ(RegValue(Store(), kInstallerKey, "fAskDest"), "dword:00000001");

  // A file that is not the module is refused with the loader's reason.
  WriteText(dir_ / "missing.so", "not a shared object");
  const test::Result bad = RunScript("screenshot " + (dir_ / "c.png").string());
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("cannot load"), std::string::npos) << bad.err;
}

TEST_F(EndToEnd, AFailedSaveEndsWithStatusOne) {
  const fs::path folder = dir_ / "gone";
  fs::create_directories(folder);
  store_ = folder / "device.reg";
  WriteText(store_, test::Fixture("device.reg"));
  test::Interactive tool(
      {"--registry", store_.string(), "--script", "-", "--trace", (dir_ / "trace.jsonl").string()},
      env_);
  tool.Send("click CSet1:1009");
  tool.Send("dump");
  ASSERT_TRUE(tool.ReadLine(std::chrono::seconds(20)));
  fs::remove_all(folder);  // nowhere left to save to
  tool.Send("click main:1013");
  tool.Send("dump");
  auto shown = tool.ReadLine(std::chrono::seconds(20));
  ASSERT_TRUE(shown);
  const json messages = json::parse(*shown)["messages"];
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0]["text"], "設定を保存できませんでした。");
  const test::Result r = tool.Finish();
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("could not be saved"), std::string::npos) << r.err;
  const std::vector<json> trace = Trace();
  EXPECT_TRUE(std::any_of(trace.begin(), trace.end(), [](const json& e) {
    return e["op"] == "flush" && e["rc"] != 0 && e.contains("error");
  }));
}

// A Shift_JIS device export: the device name shows in Japanese, and Apply
// with a new name changes that name's bytes and no other byte of the file.
TEST_F(EndToEnd, AShiftJisStoreShowsItsNameAndApplyChangesOnlyThatName) {
  const std::string original = ReadFile(fs::path(REGILLA_TEST_DATA) / "sjis-device.reg");
  WriteText(store_, original);
  const std::string oldName = "\x83\x7c\x83\x50\x83\x62\x83\x67\x91\xbe\x98\x59";  // ポケット太郎
  const std::string newName = "\x83\x6a\x83\x85\x81\x5b\x92\x5b\x96\x96";  // ニュー端末
  ASSERT_EQ(original.find(oldName), original.rfind(oldName));
  const test::Result r =
      RunScript("tab 2\ndump\ntype CSet3:1027 ニュー端末\nclick main:1013\nok\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("Shift_JIS (code page 932"), std::string::npos) << r.err;
  const std::vector<json> dumps = JsonLines(r.out);
  ASSERT_EQ(dumps.size(), 1u);
  EXPECT_EQ(dumps[0]["controls"]["CSet3:1027"], json({{"text", "ポケット太郎"}}));
  std::string expected = original;
  expected.replace(expected.find(oldName), oldName.size(), newName);
  EXPECT_EQ(Store(), expected);
}

// A name the store's code page cannot hold is not saved as "?": Apply says
// it could not save, and the file stays as it was.
TEST_F(EndToEnd, ANameTheCodePageCannotHoldIsNotSaved) {
  const std::string original = ReadFile(fs::path(REGILLA_TEST_DATA) / "sjis-device.reg");
  WriteText(store_, original);
  const test::Result r = RunScript("tab 2\ntype CSet3:1027 한국어\nclick main:1013\ndump\nok\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("value \"Name\" in \"HKEY_LOCAL_MACHINE\\Ident\" holds \"한\", which "
                       "Shift_JIS (code page 932) cannot hold"),
            std::string::npos)
      << r.err;
  const std::vector<json> dumps = JsonLines(r.out);
  ASSERT_EQ(dumps.size(), 1u);
  ASSERT_EQ(dumps[0]["messages"].size(), 1u);
  EXPECT_EQ(dumps[0]["messages"][0]["text"], "設定を保存できませんでした。");
  EXPECT_EQ(Store(), original);
  EXPECT_FALSE(fs::exists(store_.string() + ".bak"));
}

TEST_F(EndToEnd, ATraceOrScreenshotOntoTheStoreOrTheScriptIsRefused) {
  WriteText(dir_ / "script.txt", "dump\n");
  const std::string script = ReadFile(dir_ / "script.txt");
  const std::string before = Store();
  // The same files, also under other spellings of their paths.
  const test::Result ontoStore =
      test::Run({"--registry", store_.string(), "--script", (dir_ / "script.txt").string(),
                 "--trace", (dir_ / "." / "device.reg").string()},
                {}, env_);
  EXPECT_EQ(ontoStore.status, 2);
  EXPECT_NE(ontoStore.err.find("is the registry file"), std::string::npos);
  EXPECT_EQ(Store(), before);
  const test::Result ontoScript =
      test::Run({"--registry", store_.string(), "--script", (dir_ / "script.txt").string(),
                 "--trace", (dir_ / "." / "script.txt").string()},
                {}, env_);
  EXPECT_EQ(ontoScript.status, 2);
  EXPECT_NE(ontoScript.err.find("is the script"), std::string::npos);
  EXPECT_EQ(ReadFile(dir_ / "script.txt"), script);
  // A screenshot is refused there as well.
  const test::Result picture =
      RunScript("screenshot " + (dir_ / "." / "device.reg").string() + "\n");
  EXPECT_EQ(picture.status, 2);
  EXPECT_NE(picture.err.find("is the registry file or the script"), std::string::npos);
  EXPECT_EQ(Store(), before);
  // The default store counts too, before it exists.
  const fs::path defaultStore = dir_ / "xdg" / "RegillaMobile" / "registry.reg";
  fs::create_directories(defaultStore.parent_path());
  const test::Result ontoDefault = test::Run(
      {"--script", (dir_ / "script.txt").string(), "--trace", defaultStore.string()}, {}, env_);
  EXPECT_EQ(ontoDefault.status, 2);
  EXPECT_FALSE(fs::exists(defaultStore));
}

// --export without a script writes the store as it is and opens no window
// (there is no display here); the store is not touched.
TEST_F(EndToEnd, ExportAloneWritesTheStoreWithoutAWindow) {
  const std::string before = Store();
  test::Env env = env_;
  env["DISPLAY"] = std::nullopt;
  env["WAYLAND_DISPLAY"] = std::nullopt;
  env["QT_QPA_PLATFORM"] = std::nullopt;
  for (const char* name : {"settings.cab", "settings.xml"}) {
    const test::Result r =
        test::Run({"--registry", store_.string(), "--export", (dir_ / name).string()}, {}, env);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("settings exported to " + (dir_ / name).string()), std::string::npos)
        << r.err;
  }
  EXPECT_EQ(ReadFile(dir_ / "settings.cab").substr(0, 4), "MSCF");
  EXPECT_EQ(Exported(ReadFile(dir_ / "settings.xml"), R"(HKLM\System\GWE)", "Animate"),
            std::make_pair(std::string("1"), std::string("integer")));
  EXPECT_EQ(Store(), before);
  EXPECT_FALSE(fs::exists(store_.string() + ".bak"));
}

// An export that cannot be written: a clear error, no file, the store as it
// was. Refused before the start (status 2) when it would replace the store,
// the script or the trace or names no export format; status 1 when the place
// cannot take the file; a script's export is a script error naming its line.
TEST_F(EndToEnd, AnExportThatCannotBeWrittenLeavesNothing) {
  WriteText(dir_ / "plain", "a file");
  fs::create_directory(dir_ / "folder.cab");
  fs::create_directory(dir_ / "locked");
  fs::permissions(dir_ / "locked", fs::perms::owner_read | fs::perms::owner_exec);
  const fs::path cabStore = dir_ / "store.cab";  // a store whose name looks like an export
  WriteText(cabStore, test::Fixture("device.reg"));
  const std::string dir = dir_.string();
  const std::string store = store_.string();
  struct Case {
    std::vector<std::string> args;
    std::string script;  // with --script when not empty
    int status;
    std::string expected;
    bool needsPermissions = false;
  };
  const Case cases[] = {
      {{"--export", dir + "/missing/s.cab"},
       "",
       1,
       "cannot export the settings to " + dir + "/missing/s.cab: the folder " + dir +
           "/missing does not exist"},
      {{"--export", dir + "/plain/s.xml"}, "", 1, dir + "/plain is not a folder"},
      {{"--export", dir + "/folder.cab"}, "dump\n", 1, "/folder.cab: it is a folder"},
      {{"--export", dir + "/locked/s.cab"}, "", 1, "cannot create a temporary file in", true},
      {{"--export", dir + "/settings.txt"}, "", 2, "the file name must end in .cab or .xml"},
      {{"--registry", cabStore.string(), "--export", dir + "/./store.cab"},
       "",
       2,
       "--export " + dir + "/./store.cab: it is the registry file; the export would overwrite it"},
      {{"--export", dir + "/script.xml"}, "dump\n", 2, "it is the script"},
      {{"--export", dir + "/t.xml", "--trace", dir + "/t.xml"}, "dump\n", 2, "it is the trace"},
      {{"--registry", cabStore.string()},
       "dump\nexport " + dir + "/store.cab\n",
       2,
       "line 2: cannot export the settings to " + dir + "/store.cab: it is the registry file"},
      {{}, "export " + dir + "/missing/s.xml\n", 2, "line 1: cannot export the settings to"},
      {{"--export", dir + "/after.cab"},
       "frobnicate\n",
       2,
       "--export: nothing was exported after the script's error"},
  };
  const std::string storeBefore = Store();
  const std::string cabStoreBefore = ReadFile(cabStore);
  for (const Case& c : cases) {
    if (c.needsPermissions && ::geteuid() == 0) continue;  // root writes anyway
    std::vector<std::string> args = c.args;
    if (std::find(args.begin(), args.end(), "--registry") == args.end()) {
      args.insert(args.end(), {"--registry", store});
    }
    if (!c.script.empty()) {
      WriteText(dir_ / "script.xml", c.script);
      args.insert(args.end(), {"--script", (dir_ / "script.xml").string()});
    }
    const test::Result r = test::Run(args, {}, env_);
    EXPECT_EQ(r.status, c.status) << c.expected << "\n" << r.err;
    EXPECT_NE(r.err.find(c.expected), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("settings exported"), std::string::npos) << r.err;
    EXPECT_EQ(Store(), storeBefore);
    EXPECT_EQ(ReadFile(cabStore), cabStoreBefore);
    if (!c.script.empty()) {
      EXPECT_EQ(ReadFile(dir_ / "script.xml"), c.script);
    }
  }
  for (const char* left : {"missing", "plain/s.xml", "folder.cab/_setup.xml", "settings.txt",
                           "t.xml", "after.cab", "locked/s.cab"}) {
    EXPECT_FALSE(fs::exists(dir_ / left)) << left;
  }
  EXPECT_TRUE(fs::is_empty(dir_ / "folder.cab"));
}

// An X display number where no server listens.
std::string UnusedDisplay() {
  for (int n = 99;; ++n) {
    if (!fs::exists("/tmp/.X11-unix/X" + std::to_string(n)) &&
        !fs::exists("/tmp/.X" + std::to_string(n) + "-lock")) {
      return ":" + std::to_string(n);
    }
  }
}

TEST_F(EndToEnd, WithoutADesktopTheWindowEndsWithStatusOneAndSaysWhy) {
  const std::string unused = UnusedDisplay();
  struct Row {
    test::Env env;
    std::string reason;
  };
  const Row rows[] = {
      {{{"DISPLAY", std::nullopt},
        {"WAYLAND_DISPLAY", std::nullopt},
        {"QT_QPA_PLATFORM", std::nullopt}},
       "DISPLAY and WAYLAND_DISPLAY are not set"},
      {{{"DISPLAY", unused}, {"WAYLAND_DISPLAY", std::nullopt}, {"QT_QPA_PLATFORM", std::nullopt}},
       "the X display " + unused + " does not answer"},
      {{{"DISPLAY", unused}, {"WAYLAND_DISPLAY", std::nullopt}, {"QT_QPA_PLATFORM", "xcb"}},
       "the X display " + unused + " does not answer"},
  };
  for (const Row& row : rows) {
    test::Env env = env_;
    for (const auto& [name, value] : row.env) env[name] = value;
    const test::Result r = test::Run({"--registry", (dir_ / "new.reg").string()}, {}, env);
    EXPECT_EQ(r.status, 1) << row.reason << "\n" << r.err;  // not a signal
    EXPECT_NE(r.err.find("no display to open the device window on (" + row.reason + ")"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("xvfb-run"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("--script"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir_ / "new.reg"));
  }
}

// The --show window on Qt's offscreen screen (800 pixels high): zoom 8 does
// not fit, the default does.
TEST_F(EndToEnd, AZoomThatDoesNotFitTheScreenIsReducedWithANote) {
  const test::Result reduced = RunScript("dump\n", {"--show", "--zoom", "8"});
  EXPECT_EQ(reduced.status, 0) << reduced.err;
  EXPECT_NE(reduced.err.find("RegillaMobile: --zoom 8 does not fit the screen's free area of "),
            std::string::npos)
      << reduced.err;
  EXPECT_NE(reduced.err.find("; using zoom 2\n"), std::string::npos) << reduced.err;
  const test::Result fits = RunScript("dump\n", {"--show"});
  EXPECT_EQ(fits.status, 0) << fits.err;
  EXPECT_EQ(fits.err.find("--zoom"), std::string::npos) << fits.err;
}

// A file with lines that regedit skips comes in through --import: those
// lines are listed, everything else is merged, the file itself stays.
TEST_F(EndToEnd, ImportMergesAFileListingTheLinesRegeditSkips) {
  const fs::path file = fs::path(REGILLA_TEST_DATA) / "regedit-skips.reg";
  const std::string before = ReadFile(file);
  store_ = dir_ / "new.reg";  // starts from the bundled sample
  const test::Result r =
      test::Run({"--registry", store_.string(), "--import", file.string()}, {}, env_);
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<int> listed;
  std::istringstream err(r.err);
  for (std::string line; std::getline(err, line);) {
    const std::string prefix = file.string() + ":";
    if (line.rfind(prefix, 0) != 0) continue;
    const std::size_t colon = line.find(':', prefix.size());
    ASSERT_EQ(line.compare(colon, 11, ": skipped: "), 0) << line;
    listed.push_back(std::stoi(line.substr(prefix.size(), colon - prefix.size())));
  }
  EXPECT_EQ(listed, (std::vector<int>{6, 10, 11, 12, 15, 17, 18, 19})) << r.err;
  EXPECT_NE(r.err.find("keys: 4, values: 5, deletions: 2, lines skipped: 8"), std::string::npos)
      << r.err;
  EXPECT_EQ(ReadFile(file), before);

  const std::string s = Store();
  EXPECT_EQ(RegValue(s, "HKEY_LOCAL_MACHINE\\System\\GWE", "Animate"), "dword:00000000");
  EXPECT_EQ(RegValue(s, "HKEY_LOCAL_MACHINE\\System\\GWE", "cyHScr"), "dword:00000010");
  EXPECT_EQ(RegValue(s, "HKEY_LOCAL_MACHINE\\System\\GWE", "cxVScr"), "dword:0000000d");
  EXPECT_EQ(RegValue(s, "HKEY_LOCAL_MACHINE\\Ident", "Name"), "\"Imported_PC\"");
  EXPECT_EQ(RegValue(s, "HKEY_LOCAL_MACHINE\\Ident", "Desc"), "\"Pocket PC\"");
  EXPECT_EQ(RegValue(s, "HKEY_LOCAL_MACHINE\\Ident", "OrigName"), std::nullopt);
  EXPECT_EQ(RegValue(s, "HKEY_LOCAL_MACHINE\\Ident", "Code"), "hex:01,02,03,04");
  EXPECT_EQ(RegValue(s, "HKEY_LOCAL_MACHINE\\Comm\\Tcpip\\Parms", "DNSDomain"), "\"example.net\"");
  EXPECT_EQ(s.find("ControlPanel\\WiFi"), std::string::npos);
  EXPECT_EQ(s.find("Typo"), std::string::npos);

  // The tool then works on the store as on any other.
  WriteText(dir_ / "script.txt", "dump\n");
  const test::Result shown = test::Run(
      {"--registry", store_.string(), "--script", (dir_ / "script.txt").string()}, {}, env_);
  EXPECT_EQ(shown.status, 0) << shown.err;
}

TEST_F(EndToEnd, ImportEndsWithTwoForNoRegistryFileAndOneForAStoreItCannotUse) {
  const std::string before = Store();
  WriteText(dir_ / "notes.reg", "REGEDIT 4\n[HKEY_LOCAL_MACHINE\\Ident]\n\"Name\"=\"x\"\n");
  const test::Result header = test::Run(
      {"--registry", store_.string(), "--import", (dir_ / "notes.reg").string()}, {}, env_);
  EXPECT_EQ(header.status, 2);
  EXPECT_NE(header.err.find("notes.reg:1: not a .reg file"), std::string::npos) << header.err;
  const test::Result missing = test::Run(
      {"--registry", store_.string(), "--import", (dir_ / "none.reg").string()}, {}, env_);
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("none.reg: cannot read the file"), std::string::npos) << missing.err;
  const test::Result itself =
      test::Run({"--registry", store_.string(), "--import", store_.string()}, {}, env_);
  EXPECT_EQ(itself.status, 2);
  const test::Result combined = test::Run(
      {"--registry", store_.string(), "--import", store_.string(), "--script", "-"}, {}, env_);
  EXPECT_EQ(combined.status, 2);
  EXPECT_NE(combined.err.find("--import cannot be combined with --script"), std::string::npos)
      << combined.err;
  EXPECT_EQ(Store(), before);

  const fs::path file = fs::path(REGILLA_TEST_DATA) / "regedit-skips.reg";
  fs::create_directory(store_.string() + ".lock");  // no lock: no save
  const test::Result unsaved =
      test::Run({"--registry", store_.string(), "--import", file.string()}, {}, env_);
  EXPECT_EQ(unsaved.status, 1);
  EXPECT_NE(unsaved.err.find("cannot save"), std::string::npos) << unsaved.err;
  EXPECT_EQ(Store(), before);
  fs::remove(store_.string() + ".lock");

  const std::string corrupt = "Windows Registry Editor Version 5.00\n[HKLM\\K]\n\"a\"=dword:zz\n";
  WriteText(store_, corrupt);
  const test::Result unreadable =
      test::Run({"--registry", store_.string(), "--import", file.string()}, {}, env_);
  EXPECT_EQ(unreadable.status, 1);
  EXPECT_EQ(Store(), corrupt);
}

// A device's files that use regedit's full syntax are stores as they are.
TEST_F(EndToEnd, DeviceDumpsLoadAsStoresAndApplyKeepsTheirValues) {
  for (const char* name : {"ce-device-dump.reg", "utf16-device-export.reg"}) {
    store_ = dir_ / name;
    fs::copy_file(fs::path(REGILLA_TEST_DATA) / name, store_);
    const test::Result r = RunScript("click CSet1:1009\nclick main:1013\nok\n");
    ASSERT_EQ(r.status, 0) << name << r.err;
    EXPECT_TRUE(fs::exists(store_.string() + ".bak")) << name;
  }
  const std::string ce = ReadFile(dir_ / "ce-device-dump.reg");
  EXPECT_EQ(RegValue(ce, "HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\Serial", "Prefix"),
            "hex(2):53,00,45,00,52,00,00,00");
  EXPECT_EQ(RegValue(ce, "HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\Serial", "Index"),
            "dword:00000001");
}

TEST_F(EndToEnd, HelpVersionAndUsageErrors) {
  test::Result help = test::Run({"--help"}, {}, env_);
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--script"), std::string::npos);
  test::Result version = test::Run({"--version"}, {}, env_);
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("RegillaMobile ", 0), 0u);
  test::Result bad = test::Run({"--screen", "wide"}, {}, env_);
  EXPECT_EQ(bad.status, 2);
  EXPECT_FALSE(bad.err.empty());
  test::Result missing = test::Run({"--script", (dir_ / "no-such-script").string()}, {}, env_);
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("no-such-script"), std::string::npos);
}

}  // namespace
