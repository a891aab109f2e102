#include "store/registry_store.h"

#include <cstdlib>
#include <system_error>

#include "platform/registry/registry.h"
#include "store_sample.h"

namespace store {

namespace fs = std::filesystem;
using platform::Status;
using platform::registry::FileId;
using platform::registry::FileSystem;

Status DefaultRegistryPath(fs::path& path) {
  path.clear();
  fs::path base;
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && *xdg && fs::path(xdg).is_absolute()) {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
      return Status::InvalidArgument(
          "cannot find a place for the registry file: neither XDG_DATA_HOME nor HOME is set "
          "(use --registry PATH)");
    }
    base = fs::path(home) / ".local" / "share";
  }
  path = base / "RegillaMobile" / "registry.reg";
  return {};
}

std::span<const BYTE> SampleRegistry() {
  return {store_sample::sample_registry, store_sample::sample_registry_size};
}

Status OpenRegistryStore(const std::optional<fs::path>& path, std::ostream& diag, StoreFile& opened,
                         FileSystem* fileSystem, unsigned codePage) {
  FileSystem& files = fileSystem ? *fileSystem : platform::registry::RealFileSystem();
  opened = StoreFile{};
  if (path) {
    opened.path = *path;
  } else if (Status s = DefaultRegistryPath(opened.path); !s.ok()) {
    return s;
  }
  opened.path = platform::registry::FollowLinks(opened.path);
  const std::string name = opened.path.string();

  FileId id;
  if (Status s = files.Stat(opened.path, id); !s.ok()) {
    return s.WithContext(name + ": cannot access the registry file");
  }
  if (id.exists) {
    // A device or a pipe would be read without end or block the start.
    std::error_code ec;
    const fs::file_status status = fs::status(opened.path, ec);
    if (!ec && !fs::is_regular_file(status)) {
      return Status::InvalidArgument(name + ": not a regular file (a .reg file is needed)");
    }
  } else if (path) {
    // A named file that does not exist yet is started from the sample; its
    // folder must exist (a typo must not create a tree of folders).
    fs::path dir = opened.path.parent_path();
    if (dir.empty()) dir = ".";
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) {
      return Status::InvalidArgument(name + ": the folder " + dir.string() + " does not exist");
    }
    opened.seeded = true;
  } else {
    opened.seeded = true;
  }

  // Nothing is created now: the file (and the default location's folder)
  // appears with the first save of a change, so a start that is refused
  // leaves nothing behind.
  platform::registry::NewFile newFile;
  if (opened.seeded) {
    newFile.content = SampleRegistry();
    newFile.createFolder = !path;
  }
  std::unique_ptr<platform::registry::Registry> registry;
  platform::registry::RegReadOptions read;
  read.codePage = codePage;
  if (Status s =
          platform::registry::Registry::OpenFile(opened.path, registry, &files, newFile, read);
      !s.ok()) {
    std::string message = s.message() + " (the file was not changed)";
    if (s.code() == platform::Status::Code::Corrupt) {
      // A file that regedit imports may hold lines that a store cannot keep.
      message +=
          "; to bring in a file from a device or regedit (the lines regedit skips are left "
          "out), import it into a store: RegillaMobile --registry STORE --import FILE";
    }
    return s.WithMessage(message);
  }
  const platform::registry::BackingFile& file = *registry->File();
  diag << "registry: " << name;
  if (opened.seeded) {
    diag << " (new: it starts from the bundled sample device registry and is written at the "
            "first change)";
  } else {
    diag << " (" << file.Encoding() << ")";
  }
  diag << '\n';
  if (!file.ReadWarning().empty()) diag << "registry: " << file.ReadWarning() << '\n';
  platform::registry::InstallRegistry(std::move(registry));
  return {};
}

}  // namespace store
