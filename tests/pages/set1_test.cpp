// Installer and system page: value mappings, the BIOS key rules, missing keys.
#include <gtest/gtest.h>

#include "platform/controls/commctrl.h"
#include "platform/registry/winreg.h"
#include "tests/pages/page_helpers.h"
#include "tests/support/sample_device.h"

namespace {

using namespace test;
using test::FullDevice;
using test::With;
using test::Without;

const std::u16string kInstaller = u"\\Software\\Apps\\Microsoft Application Installer";
const std::u16string kBios = u"\\System\\CurrentControlSet\\Services\\VxD\\BIOS";

struct CheckCase {
  const char* name;
  std::string line;  // the stored value's .reg line
  int control;
  bool checked;  // shown after loading
  const char16_t* key;
  const char16_t* value;
  std::int32_t saved;  // stored by Apply without touching the control
};

TEST(Set1, CheckBoxMappings) {
  const CheckCase cases[] = {
      {"fAskDest", "\"fAskDest\"=dword:00000005", IDC_ASK_DEST, true, kInstaller.c_str(),
       u"fAskDest", 1},
      {"fAskDest", "\"fAskDest\"=dword:00000000", IDC_ASK_DEST, false, kInstaller.c_str(),
       u"fAskDest", 0},
      {"nDynamicDelete", "\"nDynamicDelete\"=dword:00000001", IDC_DYNAMIC_DELETE, false,
       kInstaller.c_str(), u"nDynamicDelete", 0},
      {"nDynamicDelete", "\"nDynamicDelete\"=dword:00000002", IDC_DYNAMIC_DELETE, true,
       kInstaller.c_str(), u"nDynamicDelete", 2},
      {"fAskOptions", "\"fAskOptions\"=dword:ffffffff", IDC_ASK_OPTIONS, true, kInstaller.c_str(),
       u"fAskOptions", 1},
      {"Animate", "\"Animate\"=dword:00000003", IDC_ANIMATE, true, u"\\System\\GWE", u"Animate", 1},
      // Another type with 4 bytes reads as a number.
      {"Animate", "\"Animate\"=hex(3):01,00,00,00", IDC_ANIMATE, true, u"\\System\\GWE", u"Animate",
       1},
      // A string where a number is expected is a failed read: unchecked.
      {"Animate", "\"Animate\"=\"yes please\"", IDC_ANIMATE, false, u"\\System\\GWE", u"Animate",
       0},
      // Value missing from an existing key: unchecked.
      {"Animate", "", IDC_ANIMATE, false, u"\\System\\GWE", u"Animate", 0},
  };
  for (const CheckCase& c : cases) {
    SCOPED_TRACE(c.line.empty() ? std::string(c.name) + " missing" : c.line);
    Device d(c.line.empty() ? Without(std::string("\"").append(c.name).append("\""))
                            : With(c.name, c.line));
    bool shown = !c.checked;
    d.Run(ThenApply(d, {[&] { shown = d.Checked("CSet1", c.control); }}));
    EXPECT_EQ(shown, c.checked);
    EXPECT_EQ(d.Number(HKEY_LOCAL_MACHINE, c.key, c.value), c.saved);
  }
}

TEST(Set1, CpuPriorityListFollowsTheStoredIndex) {
  struct Case {
    std::string line;
    int shown;
    int pick;  // entry chosen before Apply, -1 = none
    std::int32_t saved;
  };
  const Case cases[] = {
      {"\"CPUPriority\"=dword:00000002", 2, 0, 0},
      {"\"CPUPriority\"=dword:00000003", 3, -1, 3},
      // Out of range: no selection, and Apply writes the reported -1.
      {"\"CPUPriority\"=dword:00000007", -1, -1, -1},
      // The key opens but the value does not read: entry 3.
      {"", 3, -1, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    Device d(c.line.empty() ? Without("\"CPUPriority\"") : With("CPUPriority", c.line));
    int shown = -2;
    d.Run(ThenApply(d, {[&] {
                      shown = d.ListSelection("CSet1", IDC_CPU_PRIORITY);
                      if (c.pick >= 0)
                        SendMessage(d.Control("CSet1", IDC_CPU_PRIORITY), CB_SETCURSEL, c.pick, 0);
                    }}));
    EXPECT_EQ(shown, c.shown);
    EXPECT_EQ(d.Number(HKEY_LOCAL_MACHINE, kBios, u"CPUPriority"), c.saved);
  }
}

TEST(Set1, ChoosingAnEntryWithTheMouseIsStored) {
  Device d(FullDevice());
  d.Run(ThenApply(d, {[&] { d.Click("CSet1", IDC_CPU_PRIORITY); },
                      [&] {
                        // The list is open: click its first entry.
                        HWND list = platform::ComboListWindow(d.Control("CSet1", IDC_CPU_PRIORITY));
                        ASSERT_NE(list, nullptr);
                        RECT r{};
                        SendMessage(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
                        POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
                        ClientToScreen(list, &p);
                        d.ClickAt(p);
                      },
                      [&] { EXPECT_EQ(d.ListSelection("CSet1", IDC_CPU_PRIORITY), 0); }}));
  EXPECT_EQ(d.Number(HKEY_LOCAL_MACHINE, kBios, u"CPUPriority"), 0);
}

TEST(Set1, MissingBiosKeyIsCreatedWithPriority3AtStartUp) {
  Device d(Without("[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\VxD\\BIOS]"));
  int shown = -2;
  std::vector<std::string> calls;
  DWORD createOptions = 0;
  d.Run({[&] {
           shown = d.ListSelection("CSet1", IDC_CPU_PRIORITY);
           calls = CallsOn(d, "BIOS");
           for (const auto& e : d.RegistryEvents()) {
             if (e.op == platform::registry::RegistryEvent::Op::Create) createOptions = e.options;
           }
           d.ClearRecordings();
           d.Click("main", IDCANCEL);  // reload finds the key now
         },
         [&] { EXPECT_EQ(d.ListSelection("CSet1", IDC_CPU_PRIORITY), 3); }});
  EXPECT_EQ(shown, 3);
  const std::string k = "HKLM \\System\\CurrentControlSet\\Services\\VxD\\BIOS";
  EXPECT_EQ(calls, (std::vector<std::string>{"open " + k, "create " + k,
                                             "set " + k + " CPUPriority", "close " + k}));
  for (const auto& e : d.RegistryEvents()) {
    EXPECT_NE(e.op, platform::registry::RegistryEvent::Op::Create);  // the reload creates nothing
  }
  // Created with options 1 (volatile).
  EXPECT_EQ(createOptions, static_cast<DWORD>(REG_OPTION_VOLATILE));
  // Stored without Apply ever being pressed.
  EXPECT_EQ(d.Number(HKEY_LOCAL_MACHINE, kBios, u"CPUPriority"), 3);
}

TEST(Set1, MissingInstallerKeyLeavesBoxesAndWritesNothing) {
  Device d(Without("[HKEY_LOCAL_MACHINE\\Software\\Apps\\Microsoft Application Installer]"));
  bool anyChecked = true;
  d.Run(ThenApply(d, {[&] {
                    anyChecked = d.Checked("CSet1", IDC_ASK_DEST) ||
                                 d.Checked("CSet1", IDC_DYNAMIC_DELETE) ||
                                 d.Checked("CSet1", IDC_ASK_OPTIONS);
                  }}));
  EXPECT_FALSE(anyChecked);
  EXPECT_FALSE(HasSet(d, "Installer", "fAskDest"));
  EXPECT_FALSE(d.KeyExists(HKEY_LOCAL_MACHINE, kInstaller));
}

TEST(Set1, ReloadUnchecksOnFailedReadButKeepsControlsOfMissingKeys) {
  // GWE missing: the animation box keeps the user's change; installer present without
  // fAskDest: the user's check is undone.
  std::string reg = Without("[HKEY_LOCAL_MACHINE\\System\\GWE");  // with its Menu subkey
  reg = Without("\"fAskDest\"", reg);
  Device d(reg);
  d.Run({[&] {
           d.Click("CSet1", IDC_ANIMATE);
           d.Click("CSet1", IDC_ASK_DEST);
         },
         [&] {
           EXPECT_TRUE(d.Checked("CSet1", IDC_ANIMATE));
           EXPECT_TRUE(d.Checked("CSet1", IDC_ASK_DEST));
           d.Click("main", IDCANCEL);
         },
         [&] {
           EXPECT_TRUE(d.Checked("CSet1", IDC_ANIMATE));
           EXPECT_FALSE(d.Checked("CSet1", IDC_ASK_DEST));
         }});
}

}  // namespace
