// The program's device window entry points: they load the Qt module on first
// use. It is looked for beside the program and in ../lib/RegillaMobile/;
// REGILLA_WINDOW_MODULE names another file.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "host/device_window.h"
#include "host/device_window_module.h"

namespace host {

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> Candidates() {
  std::vector<fs::path> paths;
  if (const char* chosen = std::getenv("REGILLA_WINDOW_MODULE"); chosen && *chosen) {
    paths.emplace_back(chosen);
    return paths;
  }
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    paths.push_back(self.parent_path() / kDeviceWindowModuleFile);
    paths.push_back(self.parent_path().parent_path() / "lib" / "RegillaMobile" /
                    kDeviceWindowModuleFile);
  }
  return paths;
}

struct Loaded {
  const DeviceWindowModule* module = nullptr;
  std::string error;
};

const Loaded& Load() {
  static const Loaded loaded = [] {
    Loaded result;
    std::string tried;
    for (const fs::path& path : Candidates()) {
      std::error_code ec;
      if (!fs::exists(path, ec)) {
        tried += (tried.empty() ? "" : ", ") + path.string();
        continue;
      }
      void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
      if (handle == nullptr) {
        result.error = "cannot load " + path.string() + ": " + ::dlerror();
        return result;
      }
      auto entry =
          reinterpret_cast<DeviceWindowModuleEntry>(::dlsym(handle, kDeviceWindowModuleEntry));
      const DeviceWindowModule* module = entry ? entry() : nullptr;
      if (module == nullptr || module->version != kDeviceWindowModuleVersion) {
        result.error = path.string() + " is not this program's device window module";
        return result;
      }
      result.module = module;
      return result;
    }
    result.error = "the device window is not available in this build (no " +
                   std::string(kDeviceWindowModuleFile) + "; looked for " +
                   (tried.empty() ? std::string("it beside the program") : tried) + ")";
    return result;
  }();
  return loaded;
}

}  // namespace

bool RunInDeviceWindow(const WindowSettings& settings, const std::function<void()>& body,
                       std::string& error) {
  const Loaded& loaded = Load();
  if (loaded.module == nullptr) {
    error = loaded.error;
    return false;
  }
  return loaded.module->runInDeviceWindow(settings, body, error);
}

bool RenderScreenshot(const std::string& pngPath, std::string& error) {
  const Loaded& loaded = Load();
  if (loaded.module == nullptr) {
    error = loaded.error;
    return false;
  }
  return loaded.module->renderScreenshot(pngPath, error);
}

bool ShowScriptWindow(const WindowSettings& settings, std::string& error) {
  const Loaded& loaded = Load();
  if (loaded.module == nullptr) {
    error = loaded.error;
    return false;
  }
  return loaded.module->showScriptWindow(settings, error);
}

}  // namespace host
