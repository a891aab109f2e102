// Choosing, seeding and loading the .reg file that holds the device
// registry, at program start.
#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <span>
#include <string>

#include "platform/registry/filesystem.h"
#include "platform/wintypes.h"

namespace store {

// $XDG_DATA_HOME/RegillaMobile/registry.reg, or
// ~/.local/share/RegillaMobile/registry.reg when XDG_DATA_HOME is unset (or
// not an absolute path). Empty with `error` set when neither can be found.
std::filesystem::path DefaultRegistryPath(std::string& error);

// The bundled sample device registry (a .reg file).
std::span<const BYTE> SampleRegistry();

struct StoreOpenResult {
  bool ok = false;
  std::filesystem::path path;  // the file in use
  bool seeded = false;         // not there yet: starts from the sample
  std::string error;           // names the file, the line and what is wrong
};

// Resolves the store file (`path`, or the default), loads it (or the sample
// when it does not exist yet; the file and the default location's folder are
// then created by the first save of a change) and installs it as the
// process-wide registry. Says on `diag` which file is used. A file that does
// not parse is refused and left byte-identical; nothing is installed then.
StoreOpenResult OpenRegistryStore(const std::optional<std::filesystem::path>& path,
                                  std::ostream& diag, platform::registry::FileSystem* fs = nullptr);

}  // namespace store
