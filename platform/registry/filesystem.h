// The few file operations the registry's persistence needs, behind an
// interface so that tests can make any of them fail (short writes, fsync or
// rename failures) without a full disk.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <system_error>
#include <vector>

#include "platform/wintypes.h"

namespace platform::registry {

// Identity of a file's content as far as change detection goes.
struct FileId {
  bool exists = false;
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::uint64_t size = 0;
  std::int64_t mtimeNs = 0;
  friend bool operator==(const FileId&, const FileId&) = default;
};

class WritableFile {
 public:
  virtual ~WritableFile() = default;
  // Writes up to data.size() bytes; `written` may be less (a short write).
  virtual std::error_code Write(std::span<const BYTE> data, std::size_t& written) = 0;
  virtual std::error_code Sync() = 0;
  virtual std::error_code Stat(FileId& id) = 0;
  virtual std::error_code Close() = 0;
};

// Held while saving; released when destroyed.
class FileLock {
 public:
  virtual ~FileLock() = default;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // A missing file is not an error: id.exists is false.
  virtual std::error_code Stat(const std::filesystem::path& path, FileId& id) = 0;
  // Reads the whole file; `id` describes the content that was read.
  virtual std::error_code ReadAll(const std::filesystem::path& path, std::vector<BYTE>& bytes,
                                  FileId& id) = 0;
  // Creates a file that must not exist yet (O_EXCL), with the given mode.
  virtual std::error_code CreateNew(const std::filesystem::path& path, unsigned mode,
                                    std::unique_ptr<WritableFile>& file) = 0;
  // Permission bits of an existing file.
  virtual std::error_code Mode(const std::filesystem::path& path, unsigned& mode) = 0;
  virtual std::error_code Rename(const std::filesystem::path& from,
                                 const std::filesystem::path& to) = 0;
  // Like Rename, but fails with file_exists when `to` exists.
  virtual std::error_code RenameNoReplace(const std::filesystem::path& from,
                                          const std::filesystem::path& to) = 0;
  virtual std::error_code Remove(const std::filesystem::path& path) = 0;
  // Names of the entries of a folder.
  virtual std::error_code List(const std::filesystem::path& dir,
                               std::vector<std::string>& names) = 0;
  virtual std::error_code SyncDirectory(const std::filesystem::path& dir) = 0;
  // Takes an exclusive advisory lock on `lockFile` (created if missing),
  // waiting a short while for another holder.
  virtual std::error_code Lock(const std::filesystem::path& lockFile,
                               std::unique_ptr<FileLock>& lock) = 0;
};

// The real POSIX file system.
FileSystem& RealFileSystem();

// Writes `bytes` to `target` atomically: a temp file in the same folder
// (O_EXCL), fsync, rename over the target, fsync of the folder. On failure
// the target is untouched and the temp file removed. `written` (optional)
// receives the identity of the new file. `what` names the failed step.
// With `replace` false an existing target is kept and file_exists returned.
std::error_code WriteFileAtomically(FileSystem& fs, const std::filesystem::path& target,
                                    std::span<const BYTE> bytes, unsigned mode, FileId* written,
                                    std::string& what, bool replace = true);

// Removes the temporary files that WriteFileAtomically left beside `target`
// when its process was killed before the rename: those of processes that no
// longer run. Call it holding the target's lock. Returns how many it removed.
int RemoveStaleTempFiles(FileSystem& fs, const std::filesystem::path& target);

// The file a chain of symbolic links ends at (also when it does not exist
// yet), so that saving replaces that file and keeps the links.
std::filesystem::path FollowLinks(std::filesystem::path path);

}  // namespace platform::registry
