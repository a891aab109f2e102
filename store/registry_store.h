// Choosing, seeding and loading the .reg file that holds the device
// registry, at program start.
#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <span>
#include <string>

#include "platform/registry/filesystem.h"
#include "platform/status/status.h"
#include "platform/wintypes.h"

namespace store {

// $XDG_DATA_HOME/RegillaMobile/registry.reg, or
// ~/.local/share/RegillaMobile/registry.reg when XDG_DATA_HOME is unset (or
// not an absolute path). Fails, with `path` empty, when neither can be found.
platform::Status DefaultRegistryPath(std::filesystem::path& path);

// The bundled sample device registry (a .reg file).
std::span<const BYTE> SampleRegistry();

// The store file in use.
struct StoreFile {
  std::filesystem::path path;  // also when the open fails (empty without a default)
  bool seeded = false;         // not there yet: starts from the sample
};

// Resolves the store file (`path`, or the default), loads it (or the sample
// when it does not exist yet; the file and the default location's folder are
// then created by the first save of a change) and installs it as the
// process-wide registry. Says on `diag` which file is used and the encoding
// it is read in, and warns of bytes that are no text in that encoding. A
// failure names the file (and the line and what is wrong in it); a file that
// does not parse is refused and left byte-identical, and nothing is
// installed then. `codePage`: that of an 8-bit REGEDIT4 file (0: detect).
platform::Status OpenRegistryStore(const std::optional<std::filesystem::path>& path,
                                   std::ostream& diag, StoreFile& opened,
                                   platform::registry::FileSystem* fs = nullptr,
                                   unsigned codePage = 0);

}  // namespace store
