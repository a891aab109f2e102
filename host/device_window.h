// The device window: the emulated screen in a desktop window. The program's
// entry points (device_window_loader.cpp) load the Qt module (host/qt/) on
// first use; without it each one fails with the reason (status 1, or false).
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
