// A device registry with every key and value the tool reads, as .reg text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace testing_device {

inline constexpr std::string_view kFullDevice = R"(Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\Software\Apps\Microsoft Application Installer]
"fAskDest"=dword:00000001
"nDynamicDelete"=dword:00000002
"fAskOptions"=dword:00000000

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\VxD\BIOS]
"CPUPriority"=dword:00000002

[HKEY_LOCAL_MACHINE\System\GWE]
"Animate"=dword:00000001
"cxVScr"=dword:0000000d
"cyVScr"=dword:0000000e
"cyHScr"=dword:0000000f
"cxHScr"=dword:00000010

[HKEY_LOCAL_MACHINE\System\GWE\Menu]
"Anitype"=dword:00000006

[HKEY_CURRENT_USER\ControlPanel\Sip]
"AllowChange"=dword:00000001

[HKEY_CURRENT_USER\Software\Microsoft\Shell\TaskSwitch]
"0"="\Windows\calc.exe"
"1"="\Windows\pword.exe"

[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Internet Settings]
"MaxConnectionsPer1_0Server"=dword:00000004
"MaxConnectionsPerServer"=dword:00000002

[HKEY_LOCAL_MACHINE\Comm\ConnMgr\Planner\Settings]
"CacheTime"=dword:00000258

[HKEY_LOCAL_MACHINE\Comm\Redir]
"RegisterFSRoot"=dword:00000000

[HKEY_LOCAL_MACHINE\ControlPanel\WiFi]
"ScanInterval"=dword:0000003c
"Timeout"=dword:00000014

[HKEY_LOCAL_MACHINE\Ident]
"Name"="PocketPC"

[HKEY_LOCAL_MACHINE\Software\Microsoft\Calendar]
"ShowLunarCalendar"=dword:00000000

[HKEY_CURRENT_USER\Software\Microsoft\IMEJP\3.1\MSIME]
"option3"=dword:0000000d

[HKEY_LOCAL_MACHINE\Software\Microsoft\Shell]
"NoClearType"=dword:00000000
"TBOpt"=dword:00000003

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Internet Settings]
"ClearTypeText"=dword:00000001
)";

// kFullDevice with every line that contains `needle` removed (a value or a
// key header), e.g. Without("\"CPUPriority\"").
std::string Without(std::string_view needle, std::string_view reg = kFullDevice);
// kFullDevice with the value line of `name` replaced by `line`.
std::string With(std::string_view name, std::string_view line, std::string_view reg = kFullDevice);
// kFullDevice with value `name` stored as the REG_DWORD `value`.
std::string WithDword(std::string_view name, std::uint32_t value,
                      std::string_view reg = kFullDevice);
// Decimal text of a number, as the pages show it.
std::u16string Decimal(long long n);
// ASCII text as UTF-16.
std::u16string Utf16(std::string_view ascii);

}  // namespace testing_device
