// The file-backed registry: saving, backups, merging with other programs'
// changes, reloading, refusing unreadable files and surviving failed saves.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "platform/registry/registry.h"
#include "platform/registry/winreg.h"
#include "test_util.h"

using namespace platform::registry;
using testutil::Bytes;
using testutil::Dword;
using testutil::ReadBytes;
using testutil::TempDir;
using testutil::Text;
using testutil::WriteText;

namespace {

namespace fs = std::filesystem;

const std::string kSample =
    "Windows Registry Editor Version 5.00\n"
    "\n"
    "; the device\n"
    "[HKEY_LOCAL_MACHINE\\System\\GWE]\n"
    "\"Animate\"=dword:00000001\n"
    "\"cxVScr\"=dword:0000000d\n"
    "\n"
    "[HKEY_LOCAL_MACHINE\\Ident]\n"
    "\"Name\"=\"Pocket_PC\"\n";

// Wraps the real file system and fails the operations a test asks for.
class FaultyFs : public FileSystem {
 public:
  bool failLock = false, failCreate = false, failSync = false, failRename = false;
  int failDirSyncAt = -1;  // the folder sync with this index fails
  int dirSyncs = 0;
  int shortWrites = 0;      // this many writes write only one byte
  int failWriteAfter = -1;  // the write with this index fails with ENOSPC
  int writes = 0;
  int renames = 0;

  std::error_code Stat(const fs::path& p, FileId& id) override { return real().Stat(p, id); }
  std::error_code ReadAll(const fs::path& p, std::vector<BYTE>& b, FileId& id) override {
    return real().ReadAll(p, b, id);
  }
  std::error_code CreateNew(const fs::path& p, unsigned mode,
                            std::unique_ptr<WritableFile>& file) override {
    if (failCreate) return std::make_error_code(std::errc::read_only_file_system);
    std::unique_ptr<WritableFile> inner;
    if (std::error_code ec = real().CreateNew(p, mode, inner)) return ec;
    file = std::make_unique<File>(*this, std::move(inner));
    return {};
  }
  std::error_code Mode(const fs::path& p, unsigned& mode) override { return real().Mode(p, mode); }
  std::error_code Rename(const fs::path& a, const fs::path& b) override {
    ++renames;
    if (failRename) return std::make_error_code(std::errc::permission_denied);
    return real().Rename(a, b);
  }
  std::error_code RenameNoReplace(const fs::path& a, const fs::path& b) override {
    return real().RenameNoReplace(a, b);
  }
  std::error_code Remove(const fs::path& p) override { return real().Remove(p); }
  std::error_code List(const fs::path& d, std::vector<std::string>& names) override {
    return real().List(d, names);
  }
  std::error_code SyncDirectory(const fs::path& d) override {
    if (dirSyncs++ == failDirSyncAt) return std::make_error_code(std::errc::io_error);
    return real().SyncDirectory(d);
  }
  std::error_code Lock(const fs::path& p, std::unique_ptr<FileLock>& lock) override {
    if (failLock) return std::make_error_code(std::errc::device_or_resource_busy);
    return real().Lock(p, lock);
  }

 private:
  static FileSystem& real() { return RealFileSystem(); }
  class File : public WritableFile {
   public:
    File(FaultyFs& owner, std::unique_ptr<WritableFile> inner)
        : owner_(owner), inner_(std::move(inner)) {}
    std::error_code Write(std::span<const BYTE> data, std::size_t& written) override {
      int index = owner_.writes++;
      if (index == owner_.failWriteAfter) {
        written = 0;
        return std::make_error_code(std::errc::no_space_on_device);
      }
      if (owner_.shortWrites > 0 && !data.empty()) {
        --owner_.shortWrites;
        return inner_->Write(data.first(1), written);
      }
      return inner_->Write(data, written);
    }
    std::error_code Sync() override {
      if (owner_.failSync) return std::make_error_code(std::errc::io_error);
      return inner_->Sync();
    }
    std::error_code Stat(FileId& id) override { return inner_->Stat(id); }
    std::error_code Close() override { return inner_->Close(); }

   private:
    FaultyFs& owner_;
    std::unique_ptr<WritableFile> inner_;
  };
};

class Persistence : public ::testing::Test {
 protected:
  void TearDown() override {
    SetRegistryObserver({});
    InstallRegistry(nullptr);
  }

  fs::path file() const { return dir / "registry.reg"; }

  // Opens the store file as the process-wide registry.
  void Load(FileSystem* fileSystem = nullptr) {
    std::string error;
    auto reg = Registry::OpenFile(file(), error, fileSystem);
    ASSERT_NE(reg, nullptr) << error;
    InstallRegistry(std::move(reg));
  }

  static void SetNumber(HKEY root, const char16_t* path, const char16_t* name, DWORD value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyEx(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    auto data = Dword(value);
    EXPECT_EQ(RegSetValueEx(key, name, 0, REG_DWORD, data.data(), 4), ERROR_SUCCESS);
    RegCloseKey(key);
  }

  // Reads a number by an open / query / close cycle; -1 when it fails.
  static long long GetNumber(HKEY root, const char16_t* path, const char16_t* name) {
    HKEY key = nullptr;
    if (RegOpenKeyEx(root, path, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return -1;
    DWORD value = 0;
    DWORD size = 4;
    LONG rc = RegQueryValueEx(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? static_cast<long long>(value) : -1;
  }

  // Rewrites the store as another program would (a new file renamed over it).
  void ExternalWrite(const std::string& text) {
    fs::path tmp = dir / "other.tmp";
    WriteText(tmp, text);
    fs::rename(tmp, file());
  }

  std::vector<fs::path> Leftovers() const {
    std::vector<fs::path> odd;
    for (const auto& e : fs::directory_iterator(dir.path())) {
      if (e.path().filename().string().find(".tmp") != std::string::npos) odd.push_back(e.path());
    }
    return odd;
  }

  TempDir dir;
};

TEST_F(Persistence, SaveKeepsOwnWritesAndOnlyWritesWhenSomethingChanged) {
  WriteText(file(), kSample);
  Load();
  SetNumber(HKEY_LOCAL_MACHINE, u"\\System\\GWE", u"Animate", 0);
  EXPECT_EQ(GetNumber(HKEY_LOCAL_MACHINE, u"\\System\\GWE", u"Animate"), 0);
  EXPECT_EQ(Text(ReadBytes(file())), kSample);  // nothing on disk before the flush

  ASSERT_TRUE(FlushRegistry().ok());
  std::string saved = Text(ReadBytes(file()));
  EXPECT_NE(saved.find("\"Animate\"=dword:00000000\n\"cxVScr\"=dword:0000000d"), std::string::npos)
      << saved;
  EXPECT_EQ(saved.find("; the device"), std::string::npos);  // comments are not kept
  EXPECT_EQ(Text(ReadBytes(dir / "registry.reg.bak")), kSample);
  EXPECT_TRUE(fs::exists(dir / "registry.reg.lock"));

  // Nothing unsaved: no file access, the file is not rewritten.
  FileId before;
  RealFileSystem().Stat(file(), before);
  ASSERT_TRUE(FlushRegistry().ok());
  // Rewriting a value with the same bytes changes nothing on disk.
  SetNumber(HKEY_LOCAL_MACHINE, u"\\System\\GWE", u"Animate", 0);
  ASSERT_TRUE(FlushRegistry().ok());
  FileId after;
  RealFileSystem().Stat(file(), after);
  EXPECT_EQ(before, after);
  EXPECT_TRUE(Leftovers().empty());
}

// A process killed between creating its temp file and the rename leaves
// the temp file behind; the next save removes it, but never one of a process
// that still runs, nor anything that is not a temp file of this store.
TEST_F(Persistence, SaveRemovesTempFilesOfProcessesThatDied) {
  WriteText(file(), kSample);
  pid_t dead = ::fork();
  if (dead == 0) ::_exit(0);
  ASSERT_GT(dead, 0);
  ASSERT_EQ(::waitpid(dead, nullptr, 0), dead);
  const std::string deadPid = std::to_string(dead);
  const std::string livePid = std::to_string(::getppid());
  const std::vector<std::string> stale = {".registry.reg.tmp." + deadPid + ".0",
                                          ".registry.reg.bak.tmp." + deadPid + ".3"};
  const std::vector<std::string> kept = {
      ".registry.reg.tmp." + livePid + ".0", ".other.reg.tmp." + deadPid + ".0",
      ".registry.reg.tmp." + deadPid + ".x", ".registry.reg.tmp." + deadPid,
      "registry.reg.tmp." + deadPid + ".1"};
  for (const auto& name : stale) WriteText(dir / name, "half a store");
  for (const auto& name : kept) WriteText(dir / name, "not ours to remove");

  Load();
  SetNumber(HKEY_LOCAL_MACHINE, u"\\System\\GWE", u"Animate", 0);
  ASSERT_TRUE(FlushRegistry().ok());
  for (const auto& name : stale) EXPECT_FALSE(fs::exists(dir / name)) << name;
  for (const auto& name : kept) EXPECT_TRUE(fs::exists(dir / name)) << name;
}

TEST_F(Persistence, BackupKeepsTheContentBeforeTheFirstSaveOfTheRun) {
  WriteText(file(), kSample);
  Load();
  SetNumber(HKEY_LOCAL_MACHINE, u"\\System\\GWE", u"Animate", 0);
  ASSERT_TRUE(FlushRegistry().ok());
  SetNumber(HKEY_LOCAL_MACHINE, u"\\System\\GWE", u"Animate", 1);
  ASSERT_TRUE(FlushRegistry().ok());
  EXPECT_EQ(Text(ReadBytes(dir / "registry.reg.bak")), kSample);
  EXPECT_EQ(GetNumber(HKEY_LOCAL_MACHINE, u"\\System\\GWE", u"Animate"), 1);
}

TEST_F(Persistence, MissingFileIsCreatedInTheDefaultFormatWithoutBackup) {
  Load();
  EXPECT_FALSE(fs::exists(file()));
  SetNumber(HKEY_CURRENT_USER, u"\\ControlPanel\\Sip", u"AllowChange", 1);
  ASSERT_TRUE(FlushRegistry().ok());
  EXPECT_EQ(Text(ReadBytes(file())),
            "Windows Registry Editor Version 5.00\n\n"
            "[HKEY_CURRENT_USER\\ControlPanel]\n\n"
            "[HKEY_CURRENT_USER\\ControlPanel\\Sip]\n"
            "\"AllowChange\"=dword:00000001\n\n");
  EXPECT_FALSE(fs::exists(dir / "registry.reg.bak"));
}

TEST_F(Persistence, RewriteKeepsEncodingHeaderAndLineEnds) {
  std::u16string text = u"REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Ident]\r\n\"Name\"=\"端末\"\r\n";
  std::vector<BYTE> bytes{0xFF, 0xFE};
  for (BYTE b : testutil::Utf16(text)) bytes.push_back(b);
  testutil::WriteBytes(file(), bytes);
  Load();
  SetNumber(HKEY_LOCAL_MACHINE, u"\\Ident", u"n", 2);
  ASSERT_TRUE(FlushRegistry().ok());
  std::vector<BYTE> saved = ReadBytes(file());
  ParsedRegFile parsed;
  RegFileError err;
  ASSERT_TRUE(ParseRegFile(saved, parsed, err)) << err.message;
  EXPECT_EQ(parsed.format,
            (RegFileFormat{TextEncoding::Utf16Le, LineEnding::CrLf, RegHeader::Regedit4}));
  EXPECT_EQ(parsed.tree.Find(Root::LocalMachine, {u"Ident"})->FindValue(u"Name")->data,
            testutil::Sz(u"端末"));
}

TEST_F(Persistence, SaveMergesOntoAnotherProgramsChanges) {
  WriteText(file(), kSample);
  Load();
  SetNumber(HKEY_LOCAL_MACHINE, u"\\System\\GWE", u"Animate", 0);
  SetNumber(HKEY_LOCAL_MACHINE, u"\\System\\GWE", u"cxVScr", 20);
  // Meanwhile another program changes one of our values and adds others.
  ExternalWrite(
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\System\\GWE]\r\n"
      "\"Animate\"=dword:00000001\r\n"
      "\"cxVScr\"=dword:00000063\r\n"
      "\"cyVScr\"=dword:00000011\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\Other]\r\n"
      "\"x\"=dword:00000005\r\n");
  ASSERT_TRUE(FlushRegistry().ok());

  std::string error;
  auto check = Registry::OpenFile(file(), error);
  ASSERT_NE(check, nullptr) << error;
  const RegKey* gwe = check->Tree().Find(Root::LocalMachine, {u"System", u"GWE"});
  ASSERT_NE(gwe, nullptr);
  EXPECT_EQ(gwe->FindValue(u"Animate")->data, Dword(0));  // ours
  EXPECT_EQ(gwe->FindValue(u"cxVScr")->data, Dword(20));  // ours wins the same value
  EXPECT_EQ(gwe->FindValue(u"cyVScr")->data, Dword(17));  // theirs kept
  EXPECT_NE(check->Tree().Find(Root::LocalMachine, {u"Other"}), nullptr);
  EXPECT_EQ(check->Tree().Find(Root::LocalMachine, {u"Ident"}), nullptr);  // they removed it
  EXPECT_EQ(check->Format().lineEnding, LineEnding::CrLf);
  // And this program now sees the merged content.
  EXPECT_EQ(GetNumber(HKEY_LOCAL_MACHINE, u"\\System\\GWE", u"cyVScr"), 17);
}

TEST_F(Persistence, NextOpenSeesAChangedFileWhenNothingIsUnsaved) {
  WriteText(file(), kSample);
  Load();
  EXPECT_EQ(GetNumber(HKEY_LOCAL_MACHINE, u"\\System\\GWE", u"cxVScr"), 13);
  ExternalWrite(kSample + "\n[HKEY_LOCAL_MACHINE\\System\\GWE]\n\"cxVScr\"=dword:00000020\n");
  // Within one action the program keeps the version it started with...
  EXPECT_EQ(GetNumber(HKEY_LOCAL_MACHINE, u"\\System\\GWE", u"cxVScr"), 13);
  // ...and after waiting for the user (the window system flushes then) it
  // sees the other program's change.
  ASSERT_TRUE(FlushRegistry().ok());
  EXPECT_EQ(GetNumber(HKEY_LOCAL_MACHINE, u"\\System\\GWE", u"cxVScr"), 32);

  // With unsaved changes the program keeps its view until it saves.
  SetNumber(HKEY_LOCAL_MACHINE, u"\\System\\GWE", u"Animate", 0);
  ExternalWrite(kSample);
  EXPECT_EQ(GetNumber(HKEY_LOCAL_MACHINE, u"\\System\\GWE", u"cxVScr"), 32);
  ASSERT_TRUE(FlushRegistry().ok());
  EXPECT_EQ(GetNumber(HKEY_LOCAL_MACHINE, u"\\System\\GWE", u"cxVScr"), 13);
  EXPECT_EQ(GetNumber(HKEY_LOCAL_MACHINE, u"\\System\\GWE", u"Animate"), 0);

  // A file that another program broke is not taken over; the old view stays.
  ExternalWrite("garbage\n");
  ASSERT_TRUE(FlushRegistry().ok());
  EXPECT_EQ(GetNumber(HKEY_LOCAL_MACHINE, u"\\System\\GWE", u"Animate"), 0);
  EXPECT_NE(CurrentRegistry().ReloadError().find("registry.reg:1:"), std::string::npos);
}

TEST_F(Persistence, RemovedFileIsWrittenAgainFromTheWholeView) {
  WriteText(file(), kSample);
  Load();
  fs::remove(file());
  EXPECT_EQ(GetNumber(HKEY_LOCAL_MACHINE, u"\\System\\GWE", u"cxVScr"), 13);
  SetNumber(HKEY_LOCAL_MACHINE, u"\\System\\GWE", u"Animate", 0);
  ASSERT_TRUE(FlushRegistry().ok());
  std::string saved = Text(ReadBytes(file()));
  EXPECT_NE(saved.find("\"cxVScr\"=dword:0000000d"), std::string::npos) << saved;
  EXPECT_NE(saved.find("\"Name\"=\"Pocket_PC\""), std::string::npos) << saved;
  EXPECT_NE(saved.find("\"Animate\"=dword:00000000"), std::string::npos) << saved;
}

TEST_F(Persistence, UnparsableFileIsRefusedAndLeftByteIdentical) {
  const std::string broken = kSample + "\"loose\"=dword:1\n[HKEY_LOCAL_MACHINE\\K]\n\"a\"=hex:0g\n";
  WriteText(file(), broken);
  FileId before;
  RealFileSystem().Stat(file(), before);
  std::string error;
  EXPECT_EQ(Registry::OpenFile(file(), error), nullptr);
  EXPECT_NE(error.find(file().string() + ":12: bad hex byte"), std::string::npos) << error;
  EXPECT_EQ(Text(ReadBytes(file())), broken);
  FileId after;
  RealFileSystem().Stat(file(), after);
  EXPECT_EQ(before, after);
  EXPECT_FALSE(fs::exists(dir / "registry.reg.bak"));
}

TEST_F(Persistence, FileBrokenByAnotherProgramIsNotOverwrittenOnSave) {
  WriteText(file(), kSample);
  Load();
  SetNumber(HKEY_LOCAL_MACHINE, u"\\System\\GWE", u"Animate", 0);
  const std::string broken = "REGEDIT4\n[HKEY_LOCAL_MACHINE\\K\n";
  ExternalWrite(broken);
  FlushResult r = FlushRegistry();
  EXPECT_EQ(r.code, ERROR_BADDB);
  EXPECT_NE(r.error.find(":2: key line without closing ']'"), std::string::npos) << r.error;
  EXPECT_EQ(Text(ReadBytes(file())), broken);
  EXPECT_TRUE(CurrentRegistry().HasUnsavedChanges());

  ExternalWrite(kSample);  // repaired: the pending change is saved now
  ASSERT_TRUE(FlushRegistry().ok());
  EXPECT_NE(Text(ReadBytes(file())).find("\"Animate\"=dword:00000000"), std::string::npos);
}

struct Fault {
  const char* name;
  void (*arm)(FaultyFs&);
  LONG code;
};

class SaveFault : public Persistence, public ::testing::WithParamInterface<Fault> {};

TEST_P(SaveFault, FailedSaveLeavesTheFileAndKeepsTheChanges) {
  WriteText(file(), kSample);
  FaultyFs faulty;
  Load(&faulty);
  std::vector<RegistryEvent> flushes;
  SetRegistryObserver([&](const RegistryEvent& e) {
    if (e.op == RegistryEvent::Op::Flush) flushes.push_back(e);
  });
  SetNumber(HKEY_LOCAL_MACHINE, u"\\System\\GWE", u"Animate", 0);
  // The backup is written first; let it succeed so that the main save fails.
  GetParam().arm(faulty);

  FlushResult r = FlushRegistry();
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(r.code, GetParam().code) << r.error;
  EXPECT_NE(r.error.find(file().string()), std::string::npos) << r.error;
  EXPECT_NE(r.error.find("changes are kept"), std::string::npos) << r.error;
  EXPECT_EQ(Text(ReadBytes(file())), kSample);
  EXPECT_TRUE(CurrentRegistry().HasUnsavedChanges());
  EXPECT_EQ(GetNumber(HKEY_LOCAL_MACHINE, u"\\System\\GWE", u"Animate"), 0);
  EXPECT_TRUE(Leftovers().empty());
  ASSERT_EQ(flushes.size(), 1u);
  EXPECT_EQ(flushes[0].rc, GetParam().code);

  faulty = FaultyFs{};
  ASSERT_TRUE(FlushRegistry().ok());
  EXPECT_NE(Text(ReadBytes(file())).find("\"Animate\"=dword:00000000"), std::string::npos);
  EXPECT_EQ(Text(ReadBytes(dir / "registry.reg.bak")), kSample);
  EXPECT_FALSE(CurrentRegistry().HasUnsavedChanges());
}

INSTANTIATE_TEST_SUITE_P(
    Faults, SaveFault,
    ::testing::Values(
        Fault{"DiskFull", [](FaultyFs& f) { f.failWriteAfter = 1; }, ERROR_DISK_FULL},
        Fault{"FsyncFails", [](FaultyFs& f) { f.failSync = true; }, ERROR_WRITE_FAULT},
        Fault{"RenameFails", [](FaultyFs& f) { f.failRename = true; }, ERROR_ACCESS_DENIED},
        Fault{"ReadOnlyFolder", [](FaultyFs& f) { f.failCreate = true; }, ERROR_ACCESS_DENIED},
        Fault{"Locked", [](FaultyFs& f) { f.failLock = true; }, ERROR_LOCK_VIOLATION}),
    [](const ::testing::TestParamInfo<Fault>& p) { return std::string(p.param.name); });

TEST_F(Persistence, ShortWritesAreCompleted) {
  WriteText(file(), kSample);
  FaultyFs faulty;
  faulty.shortWrites = 50;
  Load(&faulty);
  SetNumber(HKEY_LOCAL_MACHINE, u"\\Ident", u"x", 7);
  ASSERT_TRUE(FlushRegistry().ok());
  std::string error;
  auto check = Registry::OpenFile(file(), error);
  ASSERT_NE(check, nullptr) << error;
  EXPECT_EQ(check->Tree().Find(Root::LocalMachine, {u"Ident"})->FindValue(u"x")->data, Dword(7));
  EXPECT_GT(faulty.writes, 50);
}

TEST_F(Persistence, FolderSyncFailureIsReportedAndTheNextSaveSettlesIt) {
  WriteText(file(), kSample);
  FaultyFs faulty;
  Load(&faulty);
  SetNumber(HKEY_LOCAL_MACHINE, u"\\Ident", u"x", 7);
  faulty.failDirSyncAt = 1;  // the main file's folder sync, after the backup's
  EXPECT_FALSE(FlushRegistry().ok());
  ASSERT_TRUE(FlushRegistry().ok());
  EXPECT_FALSE(CurrentRegistry().HasUnsavedChanges());
  EXPECT_EQ(Text(ReadBytes(dir / "registry.reg.bak")), kSample);
  EXPECT_NE(Text(ReadBytes(file())).find("\"x\"=dword:00000007"), std::string::npos);
}

TEST_F(Persistence, SaveWaitsForTheLockHeldByAnotherWriter) {
  WriteText(file(), kSample);
  Load();
  SetNumber(HKEY_LOCAL_MACHINE, u"\\Ident", u"x", 7);
  int fd = ::open((dir / "registry.reg.lock").c_str(), O_RDWR | O_CREAT, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::flock(fd, LOCK_EX), 0);
  std::thread release([fd] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ::flock(fd, LOCK_UN);
  });
  FlushResult r = FlushRegistry();
  release.join();
  ::close(fd);
  EXPECT_TRUE(r.ok()) << r.error;
  EXPECT_NE(Text(ReadBytes(file())).find("\"x\"=dword:00000007"), std::string::npos);
}

}  // namespace

// A program that writes back every value it shows (as Apply does) must not
// undo another program's update of a value its user left alone, while a
// value it really changes still wins.
TEST_F(Persistence, WritingBackWhatWasReadKeepsAnotherProgramsUpdate) {
  WriteText(file(), kSample);
  Load();
  ASSERT_EQ(GetNumber(HKEY_LOCAL_MACHINE, u"\\System\\GWE", u"Animate"), 1);
  ASSERT_EQ(GetNumber(HKEY_LOCAL_MACHINE, u"\\System\\GWE", u"cxVScr"), 13);

  // Another program saves Animate = 0 and cxVScr = 20.
  ExternalWrite(
      "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\System\\GWE]\n"
      "\"Animate\"=dword:00000000\n\"cxVScr\"=dword:00000014\n\n[HKEY_LOCAL_MACHINE\\Ident]\n"
      "\"Name\"=\"Pocket_PC\"\n");

  // This program writes back Animate as it read it, and changes cxVScr.
  SetNumber(HKEY_LOCAL_MACHINE, u"\\System\\GWE", u"Animate", 1);
  SetNumber(HKEY_LOCAL_MACHINE, u"\\System\\GWE", u"cxVScr", 15);
  ASSERT_TRUE(FlushRegistry().ok());

  std::string saved = Text(ReadBytes(file()));
  EXPECT_NE(saved.find("\"Animate\"=dword:00000000"), std::string::npos) << saved;
  EXPECT_NE(saved.find("\"cxVScr\"=dword:0000000f"), std::string::npos) << saved;

  // Once this program has seen the other program's value, writing its own
  // choice over it is a change again.
  ASSERT_EQ(GetNumber(HKEY_LOCAL_MACHINE, u"\\System\\GWE", u"Animate"), 0);
  SetNumber(HKEY_LOCAL_MACHINE, u"\\System\\GWE", u"Animate", 1);
  ASSERT_TRUE(FlushRegistry().ok());
  EXPECT_NE(Text(ReadBytes(file())).find("\"Animate\"=dword:00000001"), std::string::npos);
}
