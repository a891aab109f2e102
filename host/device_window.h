// The device window: the emulated screen in a desktop window. Provided by the
// module RegillaMobile-window.so (host/qt/), which the program loads on demand
// (device_window_loader.cpp); a build without Qt has no module, and a window
// or a screenshot is then refused with the reason.
#pragma once

#include <string>

#include "host/options.h"

namespace host {

// Runs the tool in the device window until it ends; returns the exit status.
// The store is open and the host's hooks (trace, registry flush before each
// wait) are installed; it installs its own input source and paint listener
// and runs the tool with RunTool() (host/program.h).
int RunDeviceWindow(const HostOptions& options);

// Renders the emulated screen as it is now into a PNG file (offscreen; no
// window needed). False with a reason when it cannot.
bool RenderScreenshot(const std::string& pngPath, std::string& error);

// Shows the device window during a script run (--show --script): paints the
// screen as the script drives it. False with a reason when it cannot; the
// script then runs headless.
bool ShowScriptWindow(const HostOptions& options, std::string& error);

}  // namespace host
