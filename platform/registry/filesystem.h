// The few file operations the registry's persistence needs, behind an
// interface so that tests can make any of them fail (short writes, fsync or
// rename failures) without a full disk. A failed call gives the errno in a
// Status without further context; the caller says which step failed.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/status/status.h"
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
  virtual Status Write(std::span<const BYTE> data, std::size_t& written) = 0;
  virtual Status Sync() = 0;
  virtual Status Stat(FileId& id) = 0;
  virtual Status Close() = 0;
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
  virtual Status Stat(const std::filesystem::path& path, FileId& id) = 0;
  // Reads the whole file; `id` describes the content that was read.
  virtual Status ReadAll(const std::filesystem::path& path, std::vector<BYTE>& bytes,
                         FileId& id) = 0;
  // Creates a file that must not exist yet (O_EXCL), with the given mode.
  virtual Status CreateNew(const std::filesystem::path& path, unsigned mode,
                           std::unique_ptr<WritableFile>& file) = 0;
  // Permission bits of an existing file.
  virtual Status Mode(const std::filesystem::path& path, unsigned& mode) = 0;
  virtual Status Rename(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
  virtual Status Remove(const std::filesystem::path& path) = 0;
  // Names of the entries of a folder.
  virtual Status List(const std::filesystem::path& dir, std::vector<std::string>& names) = 0;
  virtual Status SyncDirectory(const std::filesystem::path& dir) = 0;
  // Takes an exclusive advisory lock on `lockFile` (created if missing),
  // waiting a short while for another holder.
  virtual Status Lock(const std::filesystem::path& lockFile, std::unique_ptr<FileLock>& lock) = 0;
};

// The real POSIX file system.
FileSystem& RealFileSystem();

// Forwards every call to another file system, so that a variant (a test's
// failing one) overrides only the calls it changes.
class FileSystemWrapper : public FileSystem {
 public:
  explicit FileSystemWrapper(FileSystem& target = RealFileSystem()) : target_(&target) {}
  FileSystem& target() const { return *target_; }

  Status Stat(const std::filesystem::path& path, FileId& id) override {
    return target_->Stat(path, id);
  }
  Status ReadAll(const std::filesystem::path& path, std::vector<BYTE>& bytes, FileId& id) override {
    return target_->ReadAll(path, bytes, id);
  }
  Status CreateNew(const std::filesystem::path& path, unsigned mode,
                   std::unique_ptr<WritableFile>& file) override {
    return target_->CreateNew(path, mode, file);
  }
  Status Mode(const std::filesystem::path& path, unsigned& mode) override {
    return target_->Mode(path, mode);
  }
  Status Rename(const std::filesystem::path& from, const std::filesystem::path& to) override {
    return target_->Rename(from, to);
  }
  Status Remove(const std::filesystem::path& path) override { return target_->Remove(path); }
  Status List(const std::filesystem::path& dir, std::vector<std::string>& names) override {
    return target_->List(dir, names);
  }
  Status SyncDirectory(const std::filesystem::path& dir) override {
    return target_->SyncDirectory(dir);
  }
  Status Lock(const std::filesystem::path& lockFile, std::unique_ptr<FileLock>& lock) override {
    return target_->Lock(lockFile, lock);
  }

 private:
  FileSystem* target_;
};

// Writes `bytes` to `target` atomically: a temp file in the same folder
// (O_EXCL), fsync, rename over the target, fsync of the folder. On failure
// the target is untouched and the temp file removed; the status names the
// step that failed. `written` (optional) receives the identity of the new
// file.
Status WriteFileAtomically(FileSystem& fs, const std::filesystem::path& target,
                           std::span<const BYTE> bytes, unsigned mode, FileId* written);

// Removes the temporary files that WriteFileAtomically left beside `target`
// when its process was killed before the rename: those of processes that no
// longer run. Call it holding the target's lock. Returns how many it removed.
int RemoveStaleTempFiles(FileSystem& fs, const std::filesystem::path& target);

// The file a chain of symbolic links ends at (also when it does not exist
// yet), so that saving replaces that file and keeps the links.
std::filesystem::path FollowLinks(std::filesystem::path path);

}  // namespace platform::registry
