// Display and input page: check-box numbers, the title-bar list, missing keys.
#include <gtest/gtest.h>
#include "platform/text/text.h"

#include "platform/registry/winreg.h"
#include "tests/pages/page_helpers.h"
#include "tests/support/sample_device.h"

namespace {

using namespace test;
using test::FullDevice;
using test::With;
using test::WithDword;
using test::Without;

const std::u16string kShell = u"\\Software\\Microsoft\\Shell";
const std::u16string kIme = u"\\Software\\Microsoft\\IMEJP\\3.1\\MSIME";

TEST(Set4, CheckBoxMappings) {
  struct Case {
    std::string reg;
    int id;
    bool checked;
    HKEY root;
    const char16_t* key;
    const char16_t* value;
    std::int32_t saved;
  };
  const Case cases[] = {
      {WithDword("ShowLunarCalendar", 2), IDC_LUNAR_CALENDAR, true, HKEY_LOCAL_MACHINE,
       u"\\Software\\Microsoft\\Calendar", u"ShowLunarCalendar", 1},
      {WithDword("option3", 13), IDC_IME_ALPHANUMERIC, true, HKEY_CURRENT_USER, kIme.c_str(),
       u"option3", 13},
      {WithDword("option3", 5), IDC_IME_ALPHANUMERIC, false, HKEY_CURRENT_USER, kIme.c_str(),
       u"option3", 1},
      {Without("\"option3\""), IDC_IME_ALPHANUMERIC, false, HKEY_CURRENT_USER, kIme.c_str(),
       u"option3", 1},
      {WithDword("NoClearType", 1), IDC_CLEARTYPE, true, HKEY_LOCAL_MACHINE, kShell.c_str(),
       u"NoClearType", 1},
      {WithDword("ClearTypeText", 0), IDC_IE_CLEARTYPE, false, HKEY_LOCAL_MACHINE,
       u"\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", u"ClearTypeText", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(platform::text::ToUtf8(c.value));
    Device d(c.reg);
    bool shown = !c.checked;
    d.Run(ThenApply(d, {[&] { shown = d.Checked("CSet4", c.id); }}));
    EXPECT_EQ(shown, c.checked);
    EXPECT_EQ(d.Number(c.root, c.key, c.value), c.saved);
  }
}

TEST(Set4, Option3UnderLocalMachineHasNoEffect) {
  std::string reg = Without("[HKEY_CURRENT_USER\\Software\\Microsoft\\IMEJP\\3.1\\MSIME]");
  reg +=
      "\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\IMEJP\\3.1\\MSIME]\n"
      "\"option3\"=dword:0000000d\n";
  Device d(reg);
  d.Run(ThenApply(d, {[&] { EXPECT_FALSE(d.Checked("CSet4", IDC_IME_ALPHANUMERIC)); }}));
  EXPECT_EQ(d.Number(HKEY_LOCAL_MACHINE, kIme, u"option3"), 13);
  EXPECT_FALSE(d.KeyExists(HKEY_CURRENT_USER, kIme));
}

TEST(Set4, TitleBarListTakesTheRawValue) {
  struct Case {
    std::string reg;
    int shown;
    std::int32_t saved;
  };
  const Case cases[] = {
      {WithDword("TBOpt", 3), 3, 3},
      {WithDword("TBOpt", 0), 0, 0},
      {Without("\"TBOpt\""), 1, 1},     // missing from an existing key: entry 1
      {WithDword("TBOpt", 7), -1, -1},  // out of range: no entry, Apply stores -1
      {WithDword("TBOpt", 0xFFFFFFFF), -1, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    Device d(c.reg);
    int shown = -2;
    d.Run(ThenApply(d, {[&] { shown = d.ListSelection("CSet4", IDC_TITLE_BAR_CLOCK); }}));
    EXPECT_EQ(shown, c.shown);
    EXPECT_EQ(d.Number(HKEY_LOCAL_MACHINE, kShell, u"TBOpt"), c.saved);
  }
}

TEST(Set4, MissingShellKeyTouchesNeitherItsControlsNorItsValues) {
  Device d(Without("[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Shell]"));
  d.Run(ThenApply(d, {[&] {
                        EXPECT_FALSE(d.Checked("CSet4", IDC_CLEARTYPE));
                        EXPECT_EQ(d.ListSelection("CSet4", IDC_TITLE_BAR_CLOCK), -1);
                        SendMessage(d.Control("CSet4", IDC_TITLE_BAR_CLOCK), CB_SETCURSEL, 2, 0);
                        d.Click("main", IDCANCEL);
                      },
                      [&] {
                        // A reload keeps the unsaved choice: its key does not open.
                        EXPECT_EQ(d.ListSelection("CSet4", IDC_TITLE_BAR_CLOCK), 2);
                        d.ClearRecordings();
                      }}));
  EXPECT_FALSE(HasSet(d, "Shell", "NoClearType"));
  EXPECT_FALSE(HasSet(d, "Shell", "TBOpt"));
  EXPECT_TRUE(HasSet(d, "Calendar", "ShowLunarCalendar"));
  EXPECT_TRUE(HasSet(d, "MSIME", "option3"));
  EXPECT_TRUE(HasSet(d, "Internet Settings", "ClearTypeText"));
  EXPECT_FALSE(d.KeyExists(HKEY_LOCAL_MACHINE, kShell));
}

}  // namespace
