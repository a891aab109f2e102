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
#include "tests/support/files.h"
#include "tests/support/fixtures.h"

using namespace platform::registry;
using test::Bytes;
using test::Dword;
using test::ReadBytes;
using test::TempDir;
using test::Text;
using test::WriteText;

namespace {

namespace fs = std::filesystem;

const std::string kSample = test::Fixture("sample.reg");

platform::Status Fails(int errnum) {
  return platform::Status::PosixError({}, errnum);
}

// The real file system, failing the operations a test asks for.
class FaultyFs : public FileSystemWrapper {
 public:
  bool failLock = false, failCreate = false, failSync = false, failRename = false;
  int failDirSyncAt = -1;  // the folder sync with this index fails
  int dirSyncs = 0;
  int shortWrites = 0;      // this many writes write only one byte
  int failWriteAfter = -1;  // the write with this index fails with ENOSPC
  int writes = 0;
  int renames = 0;

  platform::Status CreateNew(const fs::path& p, unsigned mode,
                             std::unique_ptr<WritableFile>& file) override {
    if (failCreate) return Fails(EROFS);
    std::unique_ptr<WritableFile> inner;
    if (platform::Status s = target().CreateNew(p, mode, inner); !s.ok()) return s;
    file = std::make_unique<File>(*this, std::move(inner));
    return {};
  }
  platform::Status Rename(const fs::path& a, const fs::path& b) override {
    ++renames;
    if (failRename) return Fails(EACCES);
    return target().Rename(a, b);
  }
  platform::Status SyncDirectory(const fs::path& d) override {
    if (dirSyncs++ == failDirSyncAt) return Fails(EIO);
    return target().SyncDirectory(d);
  }
  platform::Status Lock(const fs::path& p, std::unique_ptr<FileLock>& lock) override {
    if (failLock) return Fails(EBUSY);
    return target().Lock(p, lock);
  }

 private:
  class File : public WritableFile {
   public:
    File(FaultyFs& owner, std::unique_ptr<WritableFile> inner)
        : owner_(owner), inner_(std::move(inner)) {}
    platform::Status Write(std::span<const BYTE> data, std::size_t& written) override {
      int index = owner_.writes++;
      if (index == owner_.failWriteAfter) {
        written = 0;
        return Fails(ENOSPC);
      }
      if (owner_.shortWrites > 0 && !data.empty()) {
        --owner_.shortWrites;
        return inner_->Write(data.first(1), written);
      }
      return inner_->Write(data, written);
    }
    platform::Status Sync() override {
      if (owner_.failSync) return Fails(EIO);
      return inner_->Sync();
    }
    platform::Status Stat(FileId& id) override { return inner_->Stat(id); }
    platform::Status Close() override { return inner_->Close(); }

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
    std::unique_ptr<Registry> reg;
    ASSERT_EQ(Registry::OpenFile(file(), reg, fileSystem), platform::Status());
    InstallRegistry(std::move(reg));
  }

  // The store file as a registry of its own.
  std::unique_ptr<Registry> Reopen() const {
    std::unique_ptr<Registry> reg;
    EXPECT_EQ(Registry::OpenFile(file(), reg), platform::Status());
    return reg;
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
  ASSERT_TRUE(RealFileSystem().Stat(file(), before).ok());
  ASSERT_TRUE(FlushRegistry().ok());
  // Rewriting a value with the same bytes changes nothing on disk.
  SetNumber(HKEY_LOCAL_MACHINE, u"\\System\\GWE", u"Animate", 0);
  ASSERT_TRUE(FlushRegistry().ok());
  FileId after;
  ASSERT_TRUE(RealFileSystem().Stat(file(), after).ok());
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
  for (BYTE b : test::Utf16(text)) bytes.push_back(b);
  test::WriteBytes(file(), bytes);
  Load();
  SetNumber(HKEY_LOCAL_MACHINE, u"\\Ident", u"n", 2);
  ASSERT_TRUE(FlushRegistry().ok());
  std::vector<BYTE> saved = ReadBytes(file());
  ParsedRegFile parsed;
  ASSERT_EQ(ParseRegFile(saved, "saved", parsed), platform::Status());
  EXPECT_EQ(parsed.format,
            (RegFileFormat{TextEncoding::Utf16Le, LineEnding::CrLf, RegHeader::Regedit4}));
  EXPECT_EQ(parsed.tree.Find(Root::LocalMachine, {u"Ident"})->FindValue(u"Name")->data,
            test::Sz(u"端末"));
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

  auto check = Reopen();
  ASSERT_NE(check, nullptr);
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

// Deleted keys and values stay deleted on top of another program's file.
TEST_F(Persistence, SaveMergesDeletionsOntoAnotherProgramsChanges) {
  WriteText(file(), kSample);
  Load();
  HKEY gwe = nullptr;
  ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, u"System\\GWE", 0, KEY_ALL_ACCESS, &gwe),
            ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValue(gwe, u"Animate"), ERROR_SUCCESS);
  RegCloseKey(gwe);
  EXPECT_EQ(RegDeleteKey(HKEY_LOCAL_MACHINE, u"Ident"), ERROR_SUCCESS);
  ExternalWrite(kSample +
                "\"Desc\"=\"theirs\"\n\n[HKEY_LOCAL_MACHINE\\Ident\\Sub]\n\n"
                "[HKEY_LOCAL_MACHINE\\Other]\n");
  ASSERT_TRUE(FlushRegistry().ok());

  auto check = Reopen();
  ASSERT_NE(check, nullptr);
  const RegKey* merged = check->Tree().Find(Root::LocalMachine, {u"System", u"GWE"});
  ASSERT_NE(merged, nullptr);
  EXPECT_EQ(merged->FindValue(u"Animate"), nullptr);
  EXPECT_NE(merged->FindValue(u"cxVScr"), nullptr);
  EXPECT_EQ(check->Tree().Find(Root::LocalMachine, {u"Ident"}), nullptr);
  EXPECT_NE(check->Tree().Find(Root::LocalMachine, {u"Other"}), nullptr);
}

TEST_F(Persistence, NextOpenSeesAChangedFileWhenNothingIsUnsaved) {
  WriteText(file(), kSample);
  Load();
  EXPECT_EQ(GetNumber(HKEY_LOCAL_MACHINE, u"\\System\\GWE", u"cxVScr"), 13);
  ExternalWrite(kSample + "\n[HKEY_LOCAL_MACHINE\\System\\GWE]\n\"cxVScr\"=dword:00000020\n");
  // Within one action the program keeps the version it started with...
  EXPECT_EQ(GetNumber(HKEY_LOCAL_MACHINE, u"\\System\\GWE", u"cxVScr"), 13);
  // ...and after waiting for the user (the host flushes then) it
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
  ASSERT_TRUE(RealFileSystem().Stat(file(), before).ok());
  std::unique_ptr<Registry> reg;
  const platform::Status status = Registry::OpenFile(file(), reg);
  EXPECT_EQ(reg, nullptr);
  EXPECT_EQ(status.code(), platform::Status::Code::Corrupt);
  EXPECT_EQ(status.message().rfind(file().string() + ":12: bad hex byte", 0), 0u) << status;
  EXPECT_EQ(Text(ReadBytes(file())), broken);
  FileId after;
  ASSERT_TRUE(RealFileSystem().Stat(file(), after).ok());
  EXPECT_EQ(before, after);
  EXPECT_FALSE(fs::exists(dir / "registry.reg.bak"));
}

TEST_F(Persistence, FileBrokenByAnotherProgramIsNotOverwrittenOnSave) {
  WriteText(file(), kSample);
  Load();
  SetNumber(HKEY_LOCAL_MACHINE, u"\\System\\GWE", u"Animate", 0);
  const std::string broken = "REGEDIT4\n[HKEY_LOCAL_MACHINE\\K\n";
  ExternalWrite(broken);
  EXPECT_EQ(RegFlushKey(HKEY_LOCAL_MACHINE), ERROR_BADDB);
  const platform::Status r = FlushRegistry();
  EXPECT_EQ(r.code(), platform::Status::Code::Corrupt);
  EXPECT_NE(r.message().find(":2: key line without closing ']'"), std::string::npos) << r;
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

  const platform::Status r = FlushRegistry();
  EXPECT_EQ(r.code(), platform::Status::Code::IoError) << r;
  EXPECT_EQ(ErrorCodeOf(r), GetParam().code) << r;
  EXPECT_NE(r.message().find(file().string()), std::string::npos) << r;
  EXPECT_NE(r.message().find("changes are kept"), std::string::npos) << r;
  EXPECT_EQ(Text(ReadBytes(file())), kSample);
  EXPECT_TRUE(CurrentRegistry().HasUnsavedChanges());
  EXPECT_EQ(GetNumber(HKEY_LOCAL_MACHINE, u"\\System\\GWE", u"Animate"), 0);
  EXPECT_TRUE(Leftovers().empty());
  ASSERT_EQ(flushes.size(), 1u);
  EXPECT_EQ(flushes[0].rc, GetParam().code);
  EXPECT_EQ(flushes[0].error, r.message());

  faulty = FaultyFs{};
  EXPECT_EQ(RegFlushKey(nullptr), ERROR_SUCCESS);
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
  auto check = Reopen();
  ASSERT_NE(check, nullptr);
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
  const platform::Status r = FlushRegistry();
  release.join();
  ::close(fd);
  EXPECT_TRUE(r.ok()) << r;
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

// Writing back what was read yields only to a value another program still
// holds: a value or key that another program deleted is written again, both
// when this program has seen the deletion and when the save first meets it.
TEST_F(Persistence, WritingBackWhatWasReadPutsBackWhatAnotherProgramDeleted) {
  const std::string withoutAnimate =
      "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\System\\GWE]\n"
      "\"cxVScr\"=dword:0000000d\n";
  const std::string withoutTheKey =
      "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Ident]\n"
      "\"Name\"=\"Pocket_PC\"\n";
  struct Case {
    const char* what;
    const std::string& external;
    bool seenBeforeTheWrite;  // false: deleted while this program's writes are unsaved
  };
  const Case cases[] = {{"value deleted, then written", withoutAnimate, true},
                        {"value deleted during the writes", withoutAnimate, false},
                        {"key deleted, then written", withoutTheKey, true},
                        {"key deleted during the writes", withoutTheKey, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteText(file(), kSample);
    Load();
    ASSERT_EQ(GetNumber(HKEY_LOCAL_MACHINE, u"\\System\\GWE", u"Animate"), 1);
    if (c.seenBeforeTheWrite) {
      ExternalWrite(c.external);
    } else {
      SetNumber(HKEY_LOCAL_MACHINE, u"\\Ident", u"Other", 1);  // unsaved: no re-read now
    }
    SetNumber(HKEY_LOCAL_MACHINE, u"\\System\\GWE", u"Animate", 1);
    if (!c.seenBeforeTheWrite) ExternalWrite(c.external);
    ASSERT_TRUE(FlushRegistry().ok());
    EXPECT_NE(Text(ReadBytes(file())).find("\"Animate\"=dword:00000001"), std::string::npos)
        << Text(ReadBytes(file()));
    EXPECT_EQ(GetNumber(HKEY_LOCAL_MACHINE, u"\\System\\GWE", u"Animate"), 1);
    // And so does every later write-back of the same value.
    SetNumber(HKEY_LOCAL_MACHINE, u"\\System\\GWE", u"Animate", 1);
    ASSERT_TRUE(FlushRegistry().ok());
    EXPECT_NE(Text(ReadBytes(file())).find("\"Animate\"=dword:00000001"), std::string::npos);
  }
}
