#include "store/import.h"

#include <algorithm>
#include <system_error>

#include "platform/registry/registry.h"
#include "platform/registry/winreg.h"

namespace store {

namespace {

namespace fs = std::filesystem;
namespace reg = platform::registry;
using Edit = reg::RegFileEdit;

std::u16string JoinPath(const std::vector<std::u16string>& path) {
  std::u16string joined;
  for (const std::u16string& part : path) {
    if (!joined.empty()) joined += u'\\';
    joined += part;
  }
  return joined;
}

// Carries out the file's edits with the registry calls, as regedit does; an
// edit the store refuses is skipped like a line regedit skips.
void Apply(const std::vector<Edit>& edits, ImportResult& result) {
  HKEY key = nullptr;
  auto closeKey = [&key] {
    if (key) RegCloseKey(key);
    key = nullptr;
  };
  for (const Edit& e : edits) {
    switch (e.kind) {
      case Edit::Kind::CreateKey: {
        closeKey();
        const std::u16string path = JoinPath(e.path);
        DWORD disposition = 0;
        if (RegCreateKeyEx(reg::RootHandle(e.root), path.c_str(), 0, nullptr,
                           REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                           &disposition) != ERROR_SUCCESS) {
          key = nullptr;
          result.skipped.push_back({e.line, "the store cannot hold this key"});
        } else {
          ++result.keys;
        }
        break;
      }
      case Edit::Kind::DeleteKey: {
        closeKey();
        const std::u16string path = JoinPath(e.path);
        // A key that is not there is deleted already.
        RegDeleteKey(reg::RootHandle(e.root), path.c_str());
        ++result.deletions;
        break;
      }
      case Edit::Kind::SetValue:
        if (!key) {
          result.skipped.push_back({e.line, "its key could not be created"});
        } else if (RegSetValueEx(key, e.name.c_str(), 0, e.type, e.data.data(),
                                 static_cast<DWORD>(e.data.size())) != ERROR_SUCCESS) {
          result.skipped.push_back({e.line, "the store cannot hold this value"});
        } else {
          ++result.values;
        }
        break;
      case Edit::Kind::DeleteValue:
        if (!key) {
          result.skipped.push_back({e.line, "its key could not be created"});
        } else {
          RegDeleteValue(key, e.name.c_str());
          ++result.deletions;
        }
        break;
    }
  }
  closeKey();
}

ImportResult Failed(ImportResult::Outcome outcome, std::string error) {
  ImportResult result;
  result.outcome = outcome;
  result.error = std::move(error);
  return result;
}

}  // namespace

ImportResult ImportRegistryFile(const fs::path& file, const std::optional<fs::path>& storePath,
                                std::ostream& diag, reg::FileSystem* fileSystem,
                                unsigned codePage) {
  reg::FileSystem& files = fileSystem ? *fileSystem : reg::RealFileSystem();
  const std::string name = file.string();
  std::error_code ec;
  if (fs::is_directory(file, ec)) {
    return Failed(ImportResult::Outcome::NotARegistryFile,
                  name + ": cannot import a folder (a .reg file is needed)");
  }
  std::vector<BYTE> bytes;
  reg::FileId id;
  if (platform::Status s = files.ReadAll(file, bytes, id); !s.ok() || !id.exists) {
    return Failed(ImportResult::Outcome::NotARegistryFile,
                  s.ok() ? name + ": cannot read the file: it does not exist"
                         : s.WithContext(name + ": cannot read the file").message());
  }
  reg::RegFileImport parsed;
  reg::RegReadOptions read;
  read.codePage = codePage;
  if (platform::Status s = reg::ReadRegFileEdits(bytes, name, parsed, read); !s.ok()) {
    return Failed(ImportResult::Outcome::NotARegistryFile, s.message() + " (nothing was imported)");
  }

  ImportResult result;
  if (platform::Status s = OpenRegistryStore(storePath, diag, result.store, fileSystem, codePage);
      !s.ok()) {
    return Failed(ImportResult::Outcome::StoreFailed, s.message());
  }
  if (fs::equivalent(file, result.store.path, ec)) {
    return Failed(ImportResult::Outcome::NotARegistryFile,
                  name + ": it is the registry file itself; nothing to import");
  }

  diag << "importing " << name << " ("
       << reg::DescribeEncoding(parsed.format, parsed.codePageChoice) << ")\n";
  if (!parsed.warning.empty()) diag << parsed.warning << '\n';
  result.skipped = std::move(parsed.skipped);
  Apply(parsed.edits, result);
  std::stable_sort(
      result.skipped.begin(), result.skipped.end(),
      [](const reg::SkippedLine& a, const reg::SkippedLine& b) { return a.line < b.line; });
  for (const reg::SkippedLine& s : result.skipped) {
    diag << name << ':' << s.line << ": skipped: " << s.reason << '\n';
  }
  if (platform::Status s = reg::FlushRegistry(); !s.ok()) {
    result.outcome = ImportResult::Outcome::StoreFailed;
    result.error = s.message();
    return result;
  }
  diag << "imported " << name << " into " << result.store.path.string() << ": keys: " << result.keys
       << ", values: " << result.values << ", deletions: " << result.deletions
       << ", lines skipped: " << result.skipped.size() << '\n';
  return result;
}

}  // namespace store
