#include "store/catalogue.h"

#include <array>

namespace store {

namespace {

using Names = std::u16string_view;

constexpr std::array<Names, 3> kInstallerValues = {u"fAskDest", u"nDynamicDelete", u"fAskOptions"};
constexpr std::array<Names, 1> kCpuPriority = {u"CPUPriority"};
constexpr std::array<Names, 1> kAnimate = {u"Animate"};
constexpr std::array<Names, 1> kAllowChange = {u"AllowChange"};
constexpr std::array<Names, 12> kTaskSwitchValues = {u"0", u"1", u"2", u"3", u"4",  u"5",
                                                     u"6", u"7", u"8", u"9", u"10", u"11"};
constexpr std::array<Names, 2> kMaxConnections = {u"MaxConnectionsPer1_0Server",
                                                  u"MaxConnectionsPerServer"};
constexpr std::array<Names, 1> kCacheTime = {u"CacheTime"};
constexpr std::array<Names, 1> kRegisterFsRoot = {u"RegisterFSRoot"};
constexpr std::array<Names, 2> kWifiValues = {u"ScanInterval", u"Timeout"};
constexpr std::array<Names, 1> kName = {u"Name"};
constexpr std::array<Names, 1> kLunar = {u"ShowLunarCalendar"};
constexpr std::array<Names, 1> kOption3 = {u"option3"};
constexpr std::array<Names, 2> kShellValues = {u"NoClearType", u"TBOpt"};
constexpr std::array<Names, 1> kClearTypeText = {u"ClearTypeText"};
constexpr std::array<Names, 1> kAnitype = {u"Anitype"};
constexpr std::array<Names, 4> kScrollBars = {u"cxVScr", u"cyVScr", u"cyHScr", u"cxHScr"};

}  // namespace

std::span<const std::u16string_view> TaskSwitchValueNames() {
  return kTaskSwitchValues;
}

std::span<const CatalogueEntry> Catalogue() {
  static const std::array<CatalogueEntry, 16> table = {{
      {1, HKEY_LOCAL_MACHINE, keys::kAppInstaller, kInstallerValues, REG_DWORD},
      {1, HKEY_LOCAL_MACHINE, keys::kBios, kCpuPriority, REG_DWORD},
      {1, HKEY_LOCAL_MACHINE, keys::kGwe, kAnimate, REG_DWORD},
      {2, HKEY_CURRENT_USER, keys::kSip, kAllowChange, REG_DWORD},
      {2, HKEY_CURRENT_USER, keys::kTaskSwitch, kTaskSwitchValues, REG_SZ},
      {2, HKEY_CURRENT_USER, keys::kInternetSettings, kMaxConnections, REG_DWORD},
      {3, HKEY_LOCAL_MACHINE, keys::kPlannerSettings, kCacheTime, REG_DWORD},
      {3, HKEY_LOCAL_MACHINE, keys::kRedir, kRegisterFsRoot, REG_DWORD},
      {3, HKEY_LOCAL_MACHINE, keys::kWifi, kWifiValues, REG_DWORD},
      {3, HKEY_LOCAL_MACHINE, keys::kIdent, kName, REG_SZ},
      {4, HKEY_LOCAL_MACHINE, keys::kCalendar, kLunar, REG_DWORD},
      {4, HKEY_CURRENT_USER, keys::kImeJp, kOption3, REG_DWORD},
      {4, HKEY_LOCAL_MACHINE, keys::kShell, kShellValues, REG_DWORD},
      {4, HKEY_LOCAL_MACHINE, keys::kInternetSettings, kClearTypeText, REG_DWORD},
      {5, HKEY_LOCAL_MACHINE, keys::kGweMenu, kAnitype, REG_DWORD},
      {5, HKEY_LOCAL_MACHINE, keys::kGwe, kScrollBars, REG_DWORD},
  }};
  return table;
}

}  // namespace store
