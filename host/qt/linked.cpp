// host/device_window.h for programs that link the device window directly
// (the window tests) instead of loading the module.
#include "host/device_window.h"
#include "host/qt/run.h"

namespace host {

int RunDeviceWindow(const HostOptions& options) {
  return hostqt::RunDeviceWindow(options);
}

bool RenderScreenshot(const std::string& pngPath, std::string& error) {
  return hostqt::RenderScreenshot(pngPath, error);
}

bool ShowScriptWindow(const HostOptions& options, std::string& error) {
  return hostqt::ShowScriptWindow(options, error);
}

}  // namespace host
