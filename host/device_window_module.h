// The device window is a loadable module (RegillaMobile-window.so), so a
// headless run never maps Qt. The module exports one C function that returns
// this table; the program and the module are built together, so C++ types
// cross the boundary.
#pragma once

#include <string>

#include "host/options.h"

namespace host {

inline constexpr int kDeviceWindowModuleVersion = 1;
inline constexpr const char* kDeviceWindowModuleFile = "RegillaMobile-window.so";
inline constexpr const char* kDeviceWindowModuleEntry = "RegillaMobileDeviceWindow";

struct DeviceWindowModule {
  int version = kDeviceWindowModuleVersion;
  int (*runDeviceWindow)(const HostOptions& options) = nullptr;
  bool (*renderScreenshot)(const std::string& pngPath, std::string& error) = nullptr;
  bool (*showScriptWindow)(const HostOptions& options, std::string& error) = nullptr;
};

using DeviceWindowModuleEntry = const DeviceWindowModule* (*)();

}  // namespace host
