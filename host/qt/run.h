// The device window's entry points. The program reaches them through the
// module (module.cpp); tests link them directly (linked.cpp).
#pragma once

#include <string>

#include "host/options.h"

namespace hostqt {

// What host/device_window.h promises for each.
int RunDeviceWindow(const host::HostOptions& options);
bool RenderScreenshot(const std::string& pngPath, std::string& error);
bool ShowScriptWindow(const host::HostOptions& options, std::string& error);

}  // namespace hostqt
