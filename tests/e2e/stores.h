// Store files the end-to-end tests start from.
#pragma once

namespace e2e {

// Every key the tool creates while loading exists, so a run that applies
// nothing leaves the file alone.
inline constexpr const char* kDevice = R"(Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\Software\Apps\Microsoft Application Installer]
"fAskDest"=dword:00000000
"nDynamicDelete"=dword:00000001
"fAskOptions"=dword:00000005

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\VxD\BIOS]
"CPUPriority"=dword:00000002

[HKEY_LOCAL_MACHINE\System\GWE]
"Animate"=dword:00000001

[HKEY_LOCAL_MACHINE\Comm\Redir]
"RegisterFSRoot"=dword:00000000
)";

}  // namespace e2e
