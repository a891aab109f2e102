// The registry cycles of all five settings pages: which keys are opened, in
// which order, how many times, what is queried or set inside each open, and
// with which sizes and types.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/registry/winreg.h"
#include "res/resource_ids.h"
#include "tests/support/device.h"
#include "tests/support/sample_device.h"

namespace {

using namespace res;
using test::Device;
using test::FullDevice;

using Calls = std::vector<std::string>;

const std::string kInstaller = "\\Software\\Apps\\Microsoft Application Installer";
const std::string kBios = "\\System\\CurrentControlSet\\Services\\VxD\\BIOS";
const std::string kGwe = "\\System\\GWE";
const std::string kInet = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
const std::string kWifi = "\\ControlPanel\\WiFi";
const std::string kShell = "\\Software\\Microsoft\\Shell";

// open, then `op` on each value, then close.
void Cycle(Calls& out, const std::string& root, const std::string& key, const std::string& op,
           const std::vector<std::string>& values) {
  const std::string k = root + " " + key;
  out.push_back("open " + k);
  for (const std::string& v : values) out.push_back(op + " " + k + " " + v);
  out.push_back("close " + k);
}

// Every page's cycles in tab order, with `op` "query" (load) or "set" (save).
Calls AllPages(const std::string& op, bool save) {
  Calls c;
  // CSet1: the installer values share one open.
  Cycle(c, "HKLM", kInstaller, op, {"fAskDest", "nDynamicDelete", "fAskOptions"});
  Cycle(c, "HKLM", kBios, op, {"CPUPriority"});
  Cycle(c, "HKLM", kGwe, op, {"Animate"});
  // CSet2: the history key is opened only when saving.
  Cycle(c, "HKCU", "\\ControlPanel\\Sip", op, {"AllowChange"});
  if (save) Cycle(c, "HKCU", "\\Software\\Microsoft\\Shell\\TaskSwitch", op, {});
  Cycle(c, "HKCU", kInet, op, {"MaxConnectionsPer1_0Server"});
  Cycle(c, "HKCU", kInet, op, {"MaxConnectionsPerServer"});
  // CSet3
  Cycle(c, "HKLM", "\\Comm\\ConnMgr\\Planner\\Settings", op, {"CacheTime"});
  Cycle(c, "HKLM", "\\Comm\\Redir", op, {"RegisterFSRoot"});
  Cycle(c, "HKLM", kWifi, op, {"ScanInterval"});
  Cycle(c, "HKLM", kWifi, op, {"Timeout"});
  Cycle(c, "HKLM", "\\Ident", op, {"Name"});
  // CSet4
  Cycle(c, "HKLM", "\\Software\\Microsoft\\Calendar", op, {"ShowLunarCalendar"});
  Cycle(c, "HKCU", "\\Software\\Microsoft\\IMEJP\\3.1\\MSIME", op, {"option3"});
  Cycle(c, "HKLM", kShell, op, {"NoClearType"});
  Cycle(c, "HKLM", kShell, op, {"TBOpt"});
  Cycle(c, "HKLM", kInet, op, {"ClearTypeText"});
  // CSet5: "\System\GWE" is opened once per value.
  Cycle(c, "HKLM", "\\System\\GWE\\Menu", op, {"Anitype"});
  for (const char* v : {"cxVScr", "cyVScr", "cyHScr", "cxHScr"}) Cycle(c, "HKLM", kGwe, op, {v});
  return c;
}

TEST(PageCycles, StartUpLoadsEveryPageInTabAndTableOrder) {
  Device d(FullDevice());
  d.Run({});
  EXPECT_EQ(d.Calls(), AllPages("query", false));
  // Numbers are read with a 4-byte destination, the device name with 300 bytes.
  for (const auto& e : d.RegistryEvents()) {
    if (e.op != platform::registry::RegistryEvent::Op::Query) continue;
    EXPECT_EQ(e.size, e.name == u"Name" ? 300u : 4u) << test::Describe(e);
  }
}

TEST(PageCycles, ApplyWritesEveryPageInTabAndTableOrder) {
  Device d(FullDevice());
  d.Run({[&] {
           d.ClearRecordings();
           d.Click("main", IDC_APPLY);
         },
         [&] { d.PressMessageOk(); }});
  Calls sets;
  for (const std::string& c : d.Calls()) {
    if (!c.starts_with("flush")) sets.push_back(c);
  }
  EXPECT_EQ(sets, AllPages("set", true));
  for (const auto& e : d.RegistryEvents()) {
    if (e.op != platform::registry::RegistryEvent::Op::Set) continue;
    if (e.name == u"Name") {
      EXPECT_EQ(e.type, static_cast<DWORD>(REG_SZ));
      EXPECT_EQ(e.size, 16u);  // "PocketPC" without terminator
    } else {
      EXPECT_EQ(e.type, static_cast<DWORD>(REG_DWORD)) << test::Describe(e);
      EXPECT_EQ(e.size, 4u) << test::Describe(e);
    }
  }
}

TEST(PageCycles, ReloadReadsTheSameCyclesAgainWithoutAbout) {
  Device d(FullDevice());
  d.Run({[&] {
    d.ClearRecordings();
    d.Click("main", IDCANCEL);
  }});
  EXPECT_EQ(d.Calls(), AllPages("query", false));
}

TEST(PageCycles, SavingTwiceWritesTheSameValuesTwice) {
  Device d(FullDevice());
  std::vector<std::vector<BYTE>> first;
  std::vector<std::vector<BYTE>> second;
  auto collect = [&](std::vector<std::vector<BYTE>>& into) {
    for (const auto& e : d.RegistryEvents()) {
      if (e.op == platform::registry::RegistryEvent::Op::Set) into.push_back(e.data);
    }
  };
  d.Run({[&] {
           d.ClearRecordings();
           d.Click("main", IDC_APPLY);
         },
         [&] {
           d.PressMessageOk();
           collect(first);
           d.ClearRecordings();
         },
         [&] { d.Click("main", IDC_APPLY); },
         [&] {
           d.PressMessageOk();
           collect(second);
         }});
  EXPECT_FALSE(first.empty());
  EXPECT_EQ(first, second);
}

}  // namespace
