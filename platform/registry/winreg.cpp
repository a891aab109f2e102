#include "platform/registry/winreg.h"

#include "platform/registry/registry.h"

using platform::registry::CurrentRegistry;

LONG RegOpenKeyEx(HKEY hKey, LPCWSTR lpSubKey, DWORD ulOptions, REGSAM samDesired,
                  PHKEY phkResult) {
  return CurrentRegistry().OpenKey(hKey, lpSubKey, ulOptions, samDesired, phkResult);
}

LONG RegCreateKeyEx(HKEY hKey, LPCWSTR lpSubKey, DWORD Reserved, LPWSTR lpClass, DWORD dwOptions,
                    REGSAM samDesired, LPSECURITY_ATTRIBUTES lpSecurityAttributes, PHKEY phkResult,
                    LPDWORD lpdwDisposition) {
  return CurrentRegistry().CreateKey(hKey, lpSubKey, Reserved, lpClass, dwOptions, samDesired,
                                     lpSecurityAttributes, phkResult, lpdwDisposition);
}

LONG RegQueryValueEx(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                     LPBYTE lpData, LPDWORD lpcbData) {
  return CurrentRegistry().QueryValue(hKey, lpValueName, lpReserved, lpType, lpData, lpcbData);
}

LONG RegSetValueEx(HKEY hKey, LPCWSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                   DWORD cbData) {
  return CurrentRegistry().SetValue(hKey, lpValueName, Reserved, dwType, lpData, cbData);
}

LONG RegCloseKey(HKEY hKey) {
  return CurrentRegistry().CloseKey(hKey);
}

LONG RegDeleteKey(HKEY hKey, LPCWSTR lpSubKey) {
  return CurrentRegistry().DeleteKey(hKey, lpSubKey);
}

LONG RegDeleteValue(HKEY hKey, LPCWSTR lpValueName) {
  return CurrentRegistry().DeleteValue(hKey, lpValueName);
}

LONG RegFlushKey(HKEY /*hKey*/) {
  return platform::registry::ErrorCodeOf(platform::registry::FlushRegistry());
}
