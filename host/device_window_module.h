// The device window is a loadable module (RegillaMobile-window.so), so a
// headless run never maps Qt. The module exports one C function that returns
// this table; the program and the module are built together, so C++ types
// cross the boundary.
#pragma once

#include <functional>
#include <string>

#include "host/device_window.h"

namespace host {

inline constexpr int kDeviceWindowModuleVersion = 2;
inline constexpr const char* kDeviceWindowModuleFile = "RegillaMobile-window.so";
inline constexpr const char* kDeviceWindowModuleEntry = "RegillaMobileDeviceWindow";

// What host/device_window.h promises for each.
struct DeviceWindowModule {
  int version = kDeviceWindowModuleVersion;
  bool (*runInDeviceWindow)(const WindowSettings& settings, const std::function<void()>& body,
                            std::string& error) = nullptr;
  bool (*renderScreenshot)(const std::string& pngPath, std::string& error) = nullptr;
  bool (*showScriptWindow)(const WindowSettings& settings, std::string& error) = nullptr;
};

using DeviceWindowModuleEntry = const DeviceWindowModule* (*)();

}  // namespace host
