// The registry keys of the device settings, by name, so that the pages'
// tables (and tests) refer to each path once.
#pragma once

#include <string_view>

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

}  // namespace store
