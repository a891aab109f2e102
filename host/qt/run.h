// The device window's entry points. The program reaches them through the
// module (module.cpp); tests link them directly (linked.cpp).
#pragma once

#include <functional>
#include <string>

#include "host/device_window.h"

namespace hostqt {

// What host/device_window.h promises for each.
bool RunInDeviceWindow(const host::WindowSettings& settings, const std::function<void()>& body,
                       std::string& error);
bool RenderScreenshot(const std::string& pngPath, std::string& error);
bool ShowScriptWindow(const host::WindowSettings& settings, std::string& error);

}  // namespace hostqt
