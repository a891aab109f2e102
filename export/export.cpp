// The export to a file: what the process-wide registry holds, written
// atomically beside nothing else.
#include <system_error>

#include "export/provisioning.h"
#include "platform/registry/filesystem.h"
#include "platform/registry/registry.h"

namespace provisioning {

namespace {

namespace fs = std::filesystem;
namespace reg = platform::registry;

// Whether two paths name the same file, also when it does not exist yet.
bool SameFile(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  if (fs::equivalent(a, b, ec)) return true;
  const fs::path ca = fs::weakly_canonical(a, ec);
  if (ec) return false;
  const fs::path cb = fs::weakly_canonical(b, ec);
  return !ec && ca == cb;
}

// Why `path` cannot take the export, or empty when it can.
std::string PlaceProblem(const fs::path& path) {
  const fs::path folder = path.parent_path().empty() ? fs::path(".") : path.parent_path();
  std::error_code ec;
  const fs::file_status folderStatus = fs::status(folder, ec);
  if (!fs::exists(folderStatus)) return "the folder " + folder.string() + " does not exist";
  if (!fs::is_directory(folderStatus)) return folder.string() + " is not a folder";
  if (fs::is_directory(fs::status(path, ec))) return "it is a folder";
  return {};
}

}  // namespace

std::optional<Format> FormatOf(const fs::path& path) {
  std::string ending = path.extension().string();
  for (char& c : ending) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  if (ending == ".cab") return Format::Cabinet;
  if (ending == ".xml") return Format::Document;
  return std::nullopt;
}

bool ExportSettings(const fs::path& path, std::string& error, std::size_t* count) {
  auto fail = [&](const std::string& why) {
    error = "cannot export the settings to " + path.string() + ": " + why;
    return false;
  };
  const std::optional<Format> format = FormatOf(path);
  if (!format) return fail("the file name must end in .cab or .xml");
  reg::Registry& registry = reg::CurrentRegistry();
  if (registry.FilePath() && SameFile(path, *registry.FilePath())) {
    return fail("it is the registry file");
  }
  registry.Refresh();  // what the store holds now, also another program's saves
  // Only what is saved goes to the device.
  if (registry.HasUnsavedChanges()) return fail("the registry holds changes that are not saved");
  if (std::string problem = PlaceProblem(path); !problem.empty()) return fail(problem);

  const std::vector<StoredValue> values = CollectValues(registry.Tree(), SettingsSaveSet());
  std::string document;
  std::string why;
  if (!BuildDocument(values, document, why)) return fail(why);
  std::vector<BYTE> bytes(document.begin(), document.end());
  if (*format == Format::Cabinet && !BuildCabinet(document, std::time(nullptr), bytes, why)) {
    return fail(why);
  }
  if (const platform::Status written =
          reg::WriteFileAtomically(reg::RealFileSystem(), path, bytes, 0644, nullptr);
      !written.ok()) {
    return fail(written.message());
  }
  if (count != nullptr) *count = values.size();
  return true;
}

}  // namespace provisioning
