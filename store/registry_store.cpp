#include "store/registry_store.h"

#include <cstdlib>
#include <system_error>

#include "platform/registry/registry.h"
#include "store_sample.h"

namespace store {

namespace fs = std::filesystem;
using platform::registry::FileId;
using platform::registry::FileSystem;

fs::path DefaultRegistryPath(std::string& error) {
  error.clear();
  fs::path base;
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && *xdg && fs::path(xdg).is_absolute()) {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
      error =
          "cannot find a place for the registry file: neither XDG_DATA_HOME nor HOME is set "
          "(use --registry PATH)";
      return {};
    }
    base = fs::path(home) / ".local" / "share";
  }
  return base / "RegillaMobile" / "registry.reg";
}

std::span<const BYTE> SampleRegistry() {
  return {store_sample::sample_registry, store_sample::sample_registry_size};
}

StoreOpenResult OpenRegistryStore(const std::optional<fs::path>& path, std::ostream& diag,
                                  FileSystem* fileSystem) {
  FileSystem& files = fileSystem ? *fileSystem : platform::registry::RealFileSystem();
  StoreOpenResult result;
  if (path) {
    result.path = *path;
  } else {
    result.path = DefaultRegistryPath(result.error);
    if (result.path.empty()) return result;
  }
  result.path = platform::registry::FollowLinks(result.path);

  FileId id;
  if (std::error_code ec = files.Stat(result.path, id)) {
    result.error = result.path.string() + ": cannot access the registry file: " + ec.message();
    return result;
  }
  if (id.exists) {
    // A device or a pipe would be read without end or block the start.
    std::error_code ec;
    const fs::file_status status = fs::status(result.path, ec);
    if (!ec && !fs::is_regular_file(status)) {
      result.error = result.path.string() + ": not a regular file (a .reg file is needed)";
      return result;
    }
  } else if (path) {
    // A named file that does not exist yet is started from the sample; its
    // folder must exist (a typo must not create a tree of folders).
    fs::path dir = result.path.parent_path();
    if (dir.empty()) dir = ".";
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) {
      result.error = result.path.string() + ": the folder " + dir.string() + " does not exist";
      return result;
    }
    result.seeded = true;
  } else {
    result.seeded = true;
  }

  // Nothing is created now: the file (and the default location's folder)
  // appears with the first save of a change, so a start that is refused
  // leaves nothing behind.
  platform::registry::NewFile newFile;
  if (result.seeded) {
    newFile.content = SampleRegistry();
    newFile.createFolder = !path;
  }
  std::string error;
  auto registry = platform::registry::Registry::OpenFile(result.path, error, &files, newFile);
  if (!registry) {
    result.error = error + " (the file was not changed)";
    return result;
  }
  platform::registry::InstallRegistry(std::move(registry));
  diag << "registry: " << result.path.string();
  if (result.seeded) {
    diag << " (new: it starts from the bundled sample device registry and is written at the "
            "first change)";
  }
  diag << '\n';
  result.ok = true;
  return result;
}

}  // namespace store
