// Every registry value the settings pages read or write, as one table, and
// the key paths by name so that the pages' tables can refer to them.
#pragma once

#include <span>
#include <string_view>

#include "platform/registry/winreg.h"
#include "platform/wintypes.h"

namespace store {

namespace keys {
inline constexpr std::u16string_view kAppInstaller =
    u"\\Software\\Apps\\Microsoft Application Installer";
inline constexpr std::u16string_view kBios = u"\\System\\CurrentControlSet\\Services\\VxD\\BIOS";
inline constexpr std::u16string_view kGwe = u"\\System\\GWE";
inline constexpr std::u16string_view kSip = u"\\ControlPanel\\Sip";
inline constexpr std::u16string_view kTaskSwitch = u"\\Software\\Microsoft\\Shell\\TaskSwitch";
inline constexpr std::u16string_view kInternetSettings =
    u"\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
inline constexpr std::u16string_view kPlannerSettings = u"\\Comm\\ConnMgr\\Planner\\Settings";
inline constexpr std::u16string_view kRedir = u"\\Comm\\Redir";
inline constexpr std::u16string_view kWifi = u"\\ControlPanel\\WiFi";
inline constexpr std::u16string_view kIdent = u"\\Ident";
inline constexpr std::u16string_view kCalendar = u"\\Software\\Microsoft\\Calendar";
inline constexpr std::u16string_view kImeJp = u"\\Software\\Microsoft\\IMEJP\\3.1\\MSIME";
inline constexpr std::u16string_view kShell = u"\\Software\\Microsoft\\Shell";
inline constexpr std::u16string_view kGweMenu = u"\\System\\GWE\\Menu";
}  // namespace keys

// The twelve start-menu history entries "0" to "11".
std::span<const std::u16string_view> TaskSwitchValueNames();

struct CatalogueEntry {
  int page;  // the settings page: 1 to 5 (tabs "設定1" to "設定5")
  HKEY root;
  std::u16string_view key;
  std::span<const std::u16string_view> values;
  DWORD type;
};

// In page order, and within a page in the order the page reads its values.
std::span<const CatalogueEntry> Catalogue();

}  // namespace store
