// Stand-in for the device window in builds without it: the program loads the
// store, says how to run it instead, and ends.
#include <iostream>

#include "host/device_window.h"

namespace host {

namespace {
constexpr const char* kNotAvailable = "the device window is not available in this build";
}

int RunDeviceWindow(const HostOptions& /*options*/) {
  std::cerr << "RegillaMobile: " << kNotAvailable << "; use --script\n";
  return 0;
}

bool RenderScreenshot(const std::string& /*pngPath*/, std::string& error) {
  error = kNotAvailable;
  return false;
}

bool ShowScriptWindow(const HostOptions& /*options*/, std::string& error) {
  error = kNotAvailable;
  return false;
}

}  // namespace host
