// Network page: minutes and seconds, the 0-minute rule, WiFi, the network
// folder key creation and the device name's byte counts.
#include <gtest/gtest.h>
#include "platform/text/text.h"

#include "platform/registry/winreg.h"
#include "tests/pages/page_helpers.h"
#include "tests/support/sample_device.h"

namespace {

using namespace test;
using test::Decimal;
using test::FullDevice;
using test::With;
using test::WithDword;
using test::Without;

const std::u16string kPlanner = u"\\Comm\\ConnMgr\\Planner\\Settings";
const std::u16string kWifi = u"\\ControlPanel\\WiFi";
const std::u16string kIdent = u"\\Ident";

TEST(Set3, TimesLoadAsMinutesAndSaveAsSeconds) {
  struct Case {
    const char* what;
    std::string reg;
    std::u16string cache, scan;
    std::int32_t savedCache, savedScan;
  };
  const Case cases[] = {
      {"stored", FullDevice(), u"10", u"1", 600, 60},
      {"-1 is 0 minutes", WithDword("CacheTime", 0xFFFFFFFF), u"0", u"1", -1, 60},
      {"90 s truncates", WithDword("CacheTime", 90), u"1", u"1", 60, 60},
      {"above the range", WithDword("CacheTime", 3660), u"61", u"1", 3660, 60},
      {"-61 s toward zero", WithDword("CacheTime", static_cast<std::uint32_t>(-61)), u"-1", u"1",
       -60, 60},
      {"30 s scan", WithDword("ScanInterval", 30), u"10", u"0", 600, 0},
      // Planner key without CacheTime: edit empty, 10 minutes kept.
      {"no CacheTime", Without("\"CacheTime\""), u"", u"1", 600, 60},
      // WiFi key without ScanInterval: 1 minute.
      {"no ScanInterval", Without("\"ScanInterval\""), u"10", u"1", 600, 60},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Device d(c.reg);
    d.Run(ThenApply(d, {[&] {
                      EXPECT_EQ(d.Text("CSet3", IDC_CACHE_TIME), c.cache);
                      EXPECT_EQ(d.Text("CSet3", IDC_SCAN_INTERVAL), c.scan);
                    }}));
    EXPECT_EQ(d.Number(HKEY_LOCAL_MACHINE, kPlanner, u"CacheTime"), c.savedCache);
    EXPECT_EQ(d.Number(HKEY_LOCAL_MACHINE, kWifi, u"ScanInterval"), c.savedScan);
  }
}

TEST(Set3, MissingTimeKeysLeaveEditsEmptyAndWriteNothing) {
  std::string reg = Without("[HKEY_LOCAL_MACHINE\\Comm\\ConnMgr\\Planner\\Settings]");
  reg = Without("[HKEY_LOCAL_MACHINE\\ControlPanel\\WiFi]", reg);
  Device d(reg);
  d.Run(ThenApply(d, {[&] {
                    EXPECT_EQ(d.Text("CSet3", IDC_CACHE_TIME), u"");
                    EXPECT_EQ(d.Text("CSet3", IDC_SCAN_INTERVAL), u"");
                  }}));
  EXPECT_FALSE(d.KeyExists(HKEY_LOCAL_MACHINE, kPlanner));
  EXPECT_FALSE(d.KeyExists(HKEY_LOCAL_MACHINE, kWifi));
}

TEST(Set3, ZeroMinutesOfDialUpIsStoredAsMinusOne) {
  Device d(WithDword("CacheTime", 60));
  d.Run(ThenApply(d, {[&] { d.VScroll("CSet3", IDC_CACHE_TIME_SPIN, SB_THUMBPOSITION, 0); },
                      [&] { EXPECT_EQ(d.Text("CSet3", IDC_CACHE_TIME), u"0"); }}));
  EXPECT_EQ(d.Number(HKEY_LOCAL_MACHINE, kPlanner, u"CacheTime"), -1);
}

TEST(Set3, ZeroMinutesOfScanIsStoredAsZero) {
  Device d(WithDword("ScanInterval", 60));
  d.Run(ThenApply(d, {[&] { d.VScroll("CSet3", IDC_SCAN_INTERVAL_SPIN, SB_THUMBPOSITION, 0); }}));
  EXPECT_EQ(d.Number(HKEY_LOCAL_MACHINE, kWifi, u"ScanInterval"), 0);
}

TEST(Set3, NotificationsStepOnceWithin0To60ForBoth) {
  struct Case {
    int updown;
    int edit;
    const char* value;
    std::uint32_t seconds;
    int code;
    int pos;
    int shown;
  };
  const Case cases[] = {
      {IDC_CACHE_TIME_SPIN, IDC_CACHE_TIME, "CacheTime", 3660, 4, 0, 60},  // from 61 down to 60
      {IDC_CACHE_TIME_SPIN, IDC_CACHE_TIME, "CacheTime", 3660, 4, 60, 60},
      {IDC_CACHE_TIME_SPIN, IDC_CACHE_TIME, "CacheTime", 3660, 4, 100, 61},  // never raised past 60
      {IDC_CACHE_TIME_SPIN, IDC_CACHE_TIME, "CacheTime", 600, 4, 60, 11},    // one step only
      {IDC_CACHE_TIME_SPIN, IDC_CACHE_TIME, "CacheTime", 600, 4, 10, 10},    // equal: nothing
      // 0 s is 0 min; at the bound
      {IDC_CACHE_TIME_SPIN, IDC_CACHE_TIME, "CacheTime", 0, 4, 0, 0},
      {IDC_CACHE_TIME_SPIN, IDC_CACHE_TIME, "CacheTime", 600, 8, 60, 10},  // SB_ENDSCROLL ignored
      // past the 1…30 range, up to 60
      {IDC_SCAN_INTERVAL_SPIN, IDC_SCAN_INTERVAL, "ScanInterval", 1800, 4, 40, 31},
      {IDC_SCAN_INTERVAL_SPIN, IDC_SCAN_INTERVAL, "ScanInterval", 3600, 4, 61, 60},
      // down to 0, below the range
      {IDC_SCAN_INTERVAL_SPIN, IDC_SCAN_INTERVAL, "ScanInterval", 60, 4, 0, 0},
      // other codes ignored
      {IDC_SCAN_INTERVAL_SPIN, IDC_SCAN_INTERVAL, "ScanInterval", 60, 2, 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << c.value << " " << c.seconds << " code " << c.code << " pos " << c.pos);
    Device d(WithDword(c.value, c.seconds));
    d.Run({[&] {
      d.VScroll("CSet3", c.updown, c.code, c.pos);
      EXPECT_EQ(d.Text("CSet3", c.edit), Decimal(c.shown));
    }});
  }
}

TEST(Set3, ArrowClicksStepTheMinutes) {
  Device d(FullDevice());  // 10 and 1 minutes
  d.Run(
      ThenApply(d, {[&] { d.ClickTab(2); }, [&] { d.Spin("CSet3", IDC_CACHE_TIME_SPIN, true); },
                    [&] { d.Spin("CSet3", IDC_SCAN_INTERVAL_SPIN, false); },
                    [&] {
                      EXPECT_EQ(d.Text("CSet3", IDC_CACHE_TIME), u"11");
                      EXPECT_EQ(d.UpDownPos("CSet3", IDC_CACHE_TIME_SPIN), 11);
                      // The up-down stops at its own minimum 1.
                      EXPECT_EQ(d.Text("CSet3", IDC_SCAN_INTERVAL), u"1");
                      EXPECT_EQ(d.UpDownRange("CSet3", IDC_CACHE_TIME_SPIN), (std::pair{0, 60}));
                      EXPECT_EQ(d.UpDownRange("CSet3", IDC_SCAN_INTERVAL_SPIN), (std::pair{1, 30}));
                    }}));
  EXPECT_EQ(d.Number(HKEY_LOCAL_MACHINE, kPlanner, u"CacheTime"), 660);
  EXPECT_EQ(d.Number(HKEY_LOCAL_MACHINE, kWifi, u"ScanInterval"), 60);
}

TEST(Set3, CheckBoxMappings) {
  struct Case {
    std::string reg;
    int id;
    bool checked;
    const char16_t* key;
    const char16_t* value;
    std::int32_t saved;
  };
  const Case cases[] = {
      {WithDword("Timeout", 10), IDC_WIFI_AUTO_STOP, false, kWifi.c_str(), u"Timeout", 0},
      {WithDword("Timeout", 20), IDC_WIFI_AUTO_STOP, true, kWifi.c_str(), u"Timeout", 20},
      {Without("\"Timeout\""), IDC_WIFI_AUTO_STOP, false, kWifi.c_str(), u"Timeout", 0},
      {WithDword("RegisterFSRoot", 2), IDC_NETWORK_FOLDER, true, u"\\Comm\\Redir",
       u"RegisterFSRoot", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    Device d(c.reg);
    bool shown = !c.checked;
    d.Run(ThenApply(d, {[&] { shown = d.Checked("CSet3", c.id); }}));
    EXPECT_EQ(shown, c.checked);
    EXPECT_EQ(d.Number(HKEY_LOCAL_MACHINE, c.key, c.value), c.saved);
  }
}

TEST(Set3, MissingRedirKeyIsCreatedWithZeroAtStartUp) {
  Device d(Without("[HKEY_LOCAL_MACHINE\\Comm\\Redir]"));
  bool checked = true;
  d.Run({[&] { checked = d.Checked("CSet3", IDC_NETWORK_FOLDER); }});
  EXPECT_FALSE(checked);
  const std::string k = "HKLM \\Comm\\Redir";
  EXPECT_EQ(CallsOn(d, "Redir"),
            (std::vector<std::string>{"open " + k, "create " + k, "set " + k + " RegisterFSRoot",
                                      "close " + k}));
  EXPECT_EQ(d.Number(HKEY_LOCAL_MACHINE, u"\\Comm\\Redir", u"RegisterFSRoot"), 0);
}

std::u16string Repeat(std::u16string_view unit, std::size_t n) {
  std::u16string s;
  for (std::size_t i = 0; i < n; ++i) s += unit;
  return s;
}

// A REG_SZ line holding `text` without terminator, as hex(1).
std::string NameWithoutTerminator(const std::u16string& text) {
  std::string line = "\"Name\"=hex(1):";
  char buf[8];
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::snprintf(buf, sizeof buf, "%s%02x,%02x", i ? "," : "", text[i] & 0xFF, text[i] >> 8);
    line += buf;
  }
  return line;
}

TEST(Set3, DeviceNameOfUpTo150CharactersReadsBack) {
  struct Case {
    std::size_t chars;
    bool reads;
  };
  for (const Case& c : {Case{1, true}, Case{149, true}, Case{150, true}, Case{151, false}}) {
    SCOPED_TRACE(c.chars);
    const std::u16string name = Repeat(u"名", c.chars);
    Device d(With("Name", NameWithoutTerminator(name)));
    d.Run({[&] { EXPECT_EQ(d.Text("CSet3", IDC_DEVICE_NAME), c.reads ? name : u""); }});
  }
}

// A stored name too long to read is not shown, and an Apply leaves it as it
// is (at start or after "ｷｬﾝｾﾙ" re-read it) unless the user types a new one.
TEST(Set3, TooLongNameIsKeptUntilTheUserTypesANewOne) {
  const std::u16string longName = Repeat(u"x", 151);
  struct Case {
    const char* what;
    bool storedAtStart;    // else written by another program, then "ｷｬﾝｾﾙ"
    std::u16string typed;  // empty: not typed into
    std::u16string shown;  // the edit before typing
  };
  const Case cases[] = {
      {"at start, not typed", true, u"", u""},
      {"at start, typed", true, u"NewName", u""},
      {"after a reload, not typed", false, u"", u"PocketPC"},
      {"after a reload, typed", false, u"NewName", u"PocketPC"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Device d(c.storedAtStart ? With("Name", NameWithoutTerminator(longName)) : FullDevice());
    std::vector<Step> steps;
    if (!c.storedAtStart) {
      steps.push_back([&] {
        HKEY h = nullptr;
        RegOpenKeyEx(HKEY_LOCAL_MACHINE, u"\\Ident", 0, KEY_ALL_ACCESS, &h);
        RegSetValueEx(h, u"Name", 0, REG_SZ, reinterpret_cast<const BYTE*>(longName.data()), 302);
        RegCloseKey(h);
        d.Click("main", IDCANCEL);
      });
    }
    steps.push_back([&] { d.ClickTab(2); });
    steps.push_back([&] { EXPECT_EQ(d.Text("CSet3", IDC_DEVICE_NAME), c.shown); });
    if (!c.typed.empty()) steps.push_back([&] { d.Type("CSet3", IDC_DEVICE_NAME, c.typed); });
    d.Run(ThenApply(d, steps));
    const auto v = d.Value(HKEY_LOCAL_MACHINE, kIdent, u"Name");
    ASSERT_TRUE(v.has_value());
    EXPECT_EQ(v->Text(), c.typed.empty() ? longName : c.typed);
  }
}

// Typing stops at 150 characters, the longest name a read returns.
TEST(Set3, TypedDeviceNameIsWrittenWithoutTerminator) {
  struct Case {
    std::u16string typed;
    std::u16string kept;
  };
  const Case cases[] = {{u"ぽけっとPC-01", u"ぽけっとPC-01"},
                        {u"", u""},
                        {Repeat(u"a", 150), Repeat(u"a", 150)},
                        {Repeat(u"b", 151), Repeat(u"b", 150)}};
  for (const Case& c : cases) {
    SCOPED_TRACE(platform::text::ToUtf8(c.typed));
    Device d(FullDevice());
    d.Run(ThenApply(d, {[&] { d.ClickTab(2); }, [&] { d.Type("CSet3", IDC_DEVICE_NAME, c.typed); },
                        [&] { EXPECT_EQ(d.Text("CSet3", IDC_DEVICE_NAME), c.kept); }}));
    const auto v = d.Value(HKEY_LOCAL_MACHINE, kIdent, u"Name");
    ASSERT_TRUE(v.has_value());
    EXPECT_EQ(v->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(v->bytes.size(), c.kept.size() * 2);
    EXPECT_EQ(v->Text(), c.kept);
  }
}

}  // namespace
