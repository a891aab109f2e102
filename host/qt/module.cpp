// The device window module's one export. The module leaves the platform, the
// tool and the host to the program that loads it (which exports them), so
// both work on one window system and one registry.
#include "host/device_window_module.h"
#include "host/qt/run.h"

extern "C" __attribute__((visibility("default"))) const host::DeviceWindowModule*
RegillaMobileDeviceWindow() {
  static const host::DeviceWindowModule module{
      host::kDeviceWindowModuleVersion, &hostqt::RunInDeviceWindow, &hostqt::RenderScreenshot,
      &hostqt::ShowScriptWindow};
  return &module;
}
