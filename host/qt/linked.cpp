// host/device_window.h for programs that link the device window directly
// (the window tests) instead of loading the module.
#include "host/device_window.h"
#include "host/qt/run.h"

namespace host {

bool RunInDeviceWindow(const WindowSettings& settings, const std::function<void()>& body,
                       std::string& error) {
  return hostqt::RunInDeviceWindow(settings, body, error);
}

bool RenderScreenshot(const std::string& pngPath, std::string& error) {
  return hostqt::RenderScreenshot(pngPath, error);
}

bool ShowScriptWindow(const WindowSettings& settings, std::string& error) {
  return hostqt::ShowScriptWindow(settings, error);
}

}  // namespace host
