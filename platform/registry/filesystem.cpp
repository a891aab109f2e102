#include "platform/registry/filesystem.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <stdio.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>

namespace platform::registry {

namespace {

// The failure of the system call that just failed, without context.
Status LastError() {
  return Status::PosixError({}, errno);
}

Status Error(int errnum) {
  return Status::PosixError({}, errnum);
}

FileId IdOf(const struct stat& st) {
  FileId id;
  id.exists = true;
  id.device = static_cast<std::uint64_t>(st.st_dev);
  id.inode = static_cast<std::uint64_t>(st.st_ino);
  id.size = static_cast<std::uint64_t>(st.st_size);
  id.mtimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return id;
}

class PosixFile : public WritableFile {
 public:
  explicit PosixFile(int fd) : fd_(fd) {}
  ~PosixFile() override {
    if (fd_ >= 0) ::close(fd_);
  }
  Status Write(std::span<const BYTE> data, std::size_t& written) override {
    written = 0;
    ssize_t n;
    do {
      n = ::write(fd_, data.data(), data.size());
    } while (n < 0 && errno == EINTR);
    if (n < 0) return LastError();
    written = static_cast<std::size_t>(n);
    return {};
  }
  Status Sync() override { return ::fsync(fd_) == 0 ? Status() : LastError(); }
  Status Stat(FileId& id) override {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return LastError();
    id = IdOf(st);
    return {};
  }
  Status Close() override {
    int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0 ? Status() : LastError();
  }

 private:
  int fd_;
};

class PosixLock : public FileLock {
 public:
  explicit PosixLock(int fd) : fd_(fd) {}
  ~PosixLock() override {
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
  }

 private:
  int fd_;
};

class PosixFileSystem : public FileSystem {
 public:
  Status Stat(const std::filesystem::path& path, FileId& id) override {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
      if (errno == ENOENT || errno == ENOTDIR) {
        id = FileId{};
        return {};
      }
      return LastError();
    }
    id = IdOf(st);
    return {};
  }

  Status ReadAll(const std::filesystem::path& path, std::vector<BYTE>& bytes, FileId& id) override {
    // Another program may be rewriting the file in place; read until the
    // identity before and after the read agree.
    for (int attempt = 0;; ++attempt) {
      // Only regular files: a device or a pipe could be read without end.
      struct stat type {};
      if (::stat(path.c_str(), &type) != 0) return LastError();
      if (!S_ISREG(type.st_mode)) {
        return Error(S_ISDIR(type.st_mode) ? EISDIR : EINVAL);
      }
      int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
      if (fd < 0) return LastError();
      struct stat before {};
      struct stat after {};
      Status status;
      bytes.clear();
      if (::fstat(fd, &before) != 0) {
        status = LastError();
      } else {
        bytes.reserve(static_cast<std::size_t>(before.st_size));
        BYTE buf[65536];
        for (;;) {
          ssize_t n = ::read(fd, buf, sizeof buf);
          if (n < 0 && errno == EINTR) continue;
          if (n < 0) {
            status = LastError();
            break;
          }
          if (n == 0) break;
          bytes.insert(bytes.end(), buf, buf + n);
        }
        if (status.ok() && ::fstat(fd, &after) != 0) status = LastError();
      }
      ::close(fd);
      if (!status.ok()) return status;
      id = IdOf(after);
      if (IdOf(before) == id && id.size == bytes.size()) return {};
      if (attempt >= 10) return Error(EAGAIN);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }

  Status CreateNew(const std::filesystem::path& path, unsigned mode,
                   std::unique_ptr<WritableFile>& file) override {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) return LastError();
    // The umask applies at creation; set the intended bits explicitly.
    ::fchmod(fd, mode);
    file = std::make_unique<PosixFile>(fd);
    return {};
  }

  Status Mode(const std::filesystem::path& path, unsigned& mode) override {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return LastError();
    mode = st.st_mode & 07777;
    return {};
  }

  Status Rename(const std::filesystem::path& from, const std::filesystem::path& to) override {
    return ::rename(from.c_str(), to.c_str()) == 0 ? Status() : LastError();
  }

  Status Remove(const std::filesystem::path& path) override {
    return ::unlink(path.c_str()) == 0 ? Status() : LastError();
  }

  Status List(const std::filesystem::path& dir, std::vector<std::string>& names) override {
    names.clear();
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
      names.push_back(it->path().filename().string());
    }
    return ec ? Error(ec.value()) : Status();
  }

  Status SyncDirectory(const std::filesystem::path& dir) override {
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return LastError();
    Status status;
    if (::fsync(fd) != 0 && errno != EINVAL) status = LastError();
    ::close(fd);
    return status;
  }

  Status Lock(const std::filesystem::path& lockFile, std::unique_ptr<FileLock>& lock) override {
    int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return LastError();
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      if (errno != EWOULDBLOCK && errno != EINTR) {
        Status status = LastError();
        ::close(fd);
        return status;
      }
      if (std::chrono::steady_clock::now() > deadline) {
        ::close(fd);
        return Error(EBUSY);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    lock = std::make_unique<PosixLock>(fd);
    return {};
  }
};

}  // namespace

FileSystem& RealFileSystem() {
  static PosixFileSystem fs;
  return fs;
}

Status WriteFileAtomically(FileSystem& fs, const std::filesystem::path& target,
                           std::span<const BYTE> bytes, unsigned mode, FileId* written) {
  static std::atomic<unsigned> counter{0};
  std::filesystem::path dir = target.parent_path();
  if (dir.empty()) dir = ".";
  std::unique_ptr<WritableFile> file;
  std::filesystem::path temp;
  Status status;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = ".";
    name += target.filename().string();
    name += ".tmp.";
    name += std::to_string(::getpid());
    name += '.';
    name += std::to_string(counter++);
    temp = dir / name;
    status = fs.CreateNew(temp, mode, file);
    if (status.SystemError() != EEXIST) break;
  }
  if (!status.ok()) return status.WithContext("cannot create a temporary file in " + dir.string());
  auto abandon = [&](const Status& failed, const std::string& step) {
    file.reset();
    fs.Remove(temp).IgnoreError();
    return failed.WithContext(step);
  };
  std::size_t done = 0;
  while (done < bytes.size()) {
    std::size_t n = 0;
    status = file->Write(bytes.subspan(done), n);
    if (!status.ok()) return abandon(status, "cannot write " + temp.string());
    if (n == 0) {
      return abandon(Error(ENOSPC), "cannot write " + temp.string() + " (nothing was written)");
    }
    done += n;
  }
  if (!(status = file->Sync()).ok()) {
    return abandon(status, "cannot flush " + temp.string() + " to disk");
  }
  FileId id;
  if (!(status = file->Stat(id)).ok()) return abandon(status, "cannot stat " + temp.string());
  if (!(status = file->Close()).ok()) return abandon(status, "cannot close " + temp.string());
  if (!(status = fs.Rename(temp, target)).ok()) {
    return abandon(status, "cannot rename " + temp.string() + " to " + target.string());
  }
  if (written) *written = id;
  if (!(status = fs.SyncDirectory(dir)).ok()) {
    return status.WithContext("cannot flush the folder " + dir.string() + " to disk");
  }
  return {};
}

int RemoveStaleTempFiles(FileSystem& fs, const std::filesystem::path& target) {
  std::filesystem::path dir = target.parent_path();
  if (dir.empty()) dir = ".";
  std::vector<std::string> names;
  if (!fs.List(dir, names).ok()) return 0;
  // Temp files of the target and of its backup: "." NAME[.bak] ".tmp." PID "." N
  std::string base = ".";
  base += target.filename().string();
  int removed = 0;
  for (const std::string& name : names) {
    std::string_view rest(name);
    if (!rest.starts_with(base)) continue;
    rest.remove_prefix(base.size());
    if (rest.starts_with(".bak")) rest.remove_prefix(4);
    if (!rest.starts_with(".tmp.")) continue;
    rest.remove_prefix(5);
    std::size_t dot = rest.find('.');
    if (dot == 0 || dot == std::string_view::npos) continue;
    std::string_view pidText = rest.substr(0, dot), counter = rest.substr(dot + 1);
    auto digits = [](std::string_view t) {
      return !t.empty() && t.size() <= 10 &&
             t.find_first_not_of("0123456789") == std::string_view::npos;
    };
    if (!digits(pidText) || !digits(counter)) continue;
    long long pid = std::stoll(std::string(pidText));
    if (pid <= 0 || pid > INT32_MAX || pid == ::getpid()) continue;
    // A process that still runs may be writing it (it holds the lock then);
    // only the dead leave garbage.
    if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
    if (fs.Remove(dir / name).ok()) ++removed;
  }
  return removed;
}

std::filesystem::path FollowLinks(std::filesystem::path path) {
  namespace fs = std::filesystem;
  for (int hops = 0; hops < 40; ++hops) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(path, ec)) || ec) break;
    fs::path target = fs::read_symlink(path, ec);
    if (ec) break;
    path = target.is_absolute() ? target : path.parent_path() / target;
  }
  return path;
}

}  // namespace platform::registry
