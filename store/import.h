// Bringing a .reg file from a device or a desktop into the store the way
// regedit imports one: keys and values added or replaced, deletions carried
// out, and the lines regedit skips left out and listed. The store itself
// stays strict (registry_store.h): this is the way in for a file that it
// refuses.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/registry/filesystem.h"
#include "platform/registry/regfile.h"
#include "store/registry_store.h"

namespace store {

struct ImportResult {
  enum class Outcome {
    Imported,          // merged and saved
    NotARegistryFile,  // the file could not be read, or is no .reg file at all
    StoreFailed,       // the store could not be opened or saved
  };
  Outcome outcome = Outcome::Imported;
  std::string error;  // what went wrong (not Imported)
  StoreFile store;
  std::size_t keys = 0;                                  // key lines carried out
  std::size_t values = 0;                                // values set
  std::size_t deletions = 0;                             // [-key] and "name"=- lines carried out
  std::vector<platform::registry::SkippedLine> skipped;  // by line
};

// Merges `file` into the store (`storePath`, or the default one; a store
// that does not exist yet starts from the bundled sample) and saves it the
// way every save does. Says on `diag` which store is used, each skipped line
// as "FILE:LINE: skipped: reason" and a summary. `file` is only read; it
// may not be the store itself. `codePage`: that of an 8-bit REGEDIT4 file or
// store (0: detect it, else 932).
ImportResult ImportRegistryFile(const std::filesystem::path& file,
                                const std::optional<std::filesystem::path>& storePath,
                                std::ostream& diag, platform::registry::FileSystem* fs = nullptr,
                                unsigned codePage = 0);

}  // namespace store
