// Hostile store files: huge files and lines, deep nesting, broken UTF-16,
// symlinks, read-only folders and full disks. Each must end in a clear error
// (at load, or as the failure of a save) with nothing lost, in bounded time
// and memory.
//
// The big sizes run when REGILLA_ROBUSTNESS_FULL=1 (scripts/hostile.sh); the
// default sizes keep the suite fast.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

#include "driver/program_driver.h"
#include "platform/registry/registry.h"
#include "platform/registry/winreg.h"
#include "tests/robustness/support.h"
#include "tests/support/fixtures.h"

namespace {

namespace fs = std::filesystem;
using platform::Status;
using platform::registry::Registry;
using test::ChildOutcome;
using test::ReadBytes;
using test::RunInChild;
using test::TempDir;
using test::WriteBytes;

bool FullSizes() {
  const char* v = std::getenv("REGILLA_ROBUSTNESS_FULL");
  return v && *v && std::string(v) != "0";
}

std::size_t Megabytes(std::size_t full, std::size_t quick) {
  return (FullSizes() ? full : quick) << 20;
}

// Opens a store file; nullptr when that fails, and `status` says why.
std::unique_ptr<Registry> Open(const fs::path& file, Status& status) {
  std::unique_ptr<Registry> reg;
  status = Registry::OpenFile(file, reg);
  return reg;
}

// Sets one number in an open registry (creating its key) and saves.
Status SetAndSave(Registry& reg, const char16_t* key, const char16_t* name, DWORD value) {
  HKEY h = nullptr;
  if (reg.CreateKey(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr) !=
      ERROR_SUCCESS) {
    return Status::InvalidArgument("create failed");
  }
  reg.SetValue(h, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  reg.CloseKey(h);
  return reg.Flush();
}

std::optional<DWORD> NumberIn(Registry& reg, const char16_t* key, const char16_t* name) {
  HKEY h = nullptr;
  if (reg.OpenKey(HKEY_LOCAL_MACHINE, key, 0, KEY_ALL_ACCESS, &h) != ERROR_SUCCESS) return {};
  DWORD value = 0;
  DWORD size = sizeof value;
  LONG rc = reg.QueryValue(h, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
  reg.CloseKey(h);
  if (rc != ERROR_SUCCESS || size != 4) return {};
  return value;
}

void Report(const char* what, std::size_t bytes, const ChildOutcome& o) {
  std::printf("[figures] %s: %.1f MB in %.2f s, peak RSS %.0f MB\n", what,
              static_cast<double>(bytes) / (1 << 20), o.seconds,
              static_cast<double>(o.peakRssKb) / 1024);
}

TEST(HostileStore, LargeFileLoadsAndSavesInLinearMemory) {
  TempDir dir;
  fs::path file = dir / "registry.reg";
  std::string content = driver::GenerateStore(Megabytes(200, 4));
  WriteBytes(file, content);
  content = std::string();
  auto size = static_cast<std::size_t>(fs::file_size(file));

  ChildOutcome o = RunInChild([&] {
    Status error;
    auto reg = Open(file, error);
    if (!reg) return 1;
    if (!SetAndSave(*reg, u"\\Software\\Vendor0\\Product0\\Settings", u"Number0", 7).ok()) return 2;
    return 0;
  });
  Report("load + one change + save of a large store", size, o);
  ASSERT_TRUE(o.exitedWith(0)) << "exit " << o.exitCode << " signal " << o.signal;
  EXPECT_TRUE(fs::exists(dir / "registry.reg.bak"));

  Status error;
  auto reg = Open(file, error);
  ASSERT_TRUE(reg) << error;
  EXPECT_EQ(NumberIn(*reg, u"\\Software\\Vendor0\\Product0\\Settings", u"Number0"), 7u);
  EXPECT_EQ(NumberIn(*reg, u"\\Software\\Vendor1\\Product1\\Settings", u"Number1"), 32u);

  // A generous memory bound that still catches anything worse than linear
  // (loading and saving a store takes about 14 times its size today: the
  // text in UTF-16, its lines, the key tree and the writer's copies). The
  // time is a figure (printed above), not a test.
  double mb = static_cast<double>(size) / (1 << 20);
  if (!test::kSanitized) {
    EXPECT_LT(static_cast<double>(o.peakRssKb) / 1024, 64.0 + mb * 16);
  }
}

std::string NestedKeyFile(std::size_t levels) {
  std::string text = "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE";
  text.reserve(text.size() + levels * 2 + 64);
  for (std::size_t i = 0; i < levels; ++i) text += "\\k";
  text += "]\n\"Leaf\"=dword:00000001\n";
  return text;
}

TEST(HostileStore, DeeplyNestedKeysLoadAndSaveUpToTheLimit) {
  TempDir dir;
  fs::path file = dir / "registry.reg";
  WriteBytes(file, NestedKeyFile(512));
  ChildOutcome o = RunInChild([&] {
    Status error;
    auto reg = Open(file, error);
    if (!reg) return 1;
    if (!SetAndSave(*reg, u"\\k\\k\\k", u"Near the top", 3).ok()) return 2;
    return 0;
  });
  Report("512-level key: load + save", fs::file_size(file), o);
  ASSERT_TRUE(o.exitedWith(0)) << "exit " << o.exitCode << " signal " << o.signal;
  Status error;
  auto reg = Open(file, error);
  ASSERT_TRUE(reg) << error;
  EXPECT_EQ(NumberIn(*reg, u"\\k\\k\\k", u"Near the top"), 3u);
  EXPECT_LT(fs::file_size(file), 2u * 1024 * 1024) << "the rewritten file stays small";
}

// Deeper nesting than Windows allows is refused with its line, without a
// crash and without touching the file, however deep it goes.
TEST(HostileStore, KeysDeeperThanTheLimitAreRefusedNotACrash) {
  for (std::size_t levels : {std::size_t{513}, std::size_t{10000}, std::size_t{1000000}}) {
    TempDir dir;
    fs::path file = dir / "registry.reg";
    WriteBytes(file, NestedKeyFile(levels));
    auto before = ReadBytes(file);
    ChildOutcome o = RunInChild([&] {
      Status error;
      auto reg = Open(file, error);
      return reg ? 0
                 : (error.message().find(":3: key nested deeper than 512 levels") !=
                            std::string::npos
                        ? 1
                        : 2);
    });
    Report((std::to_string(levels) + "-level key: refused").c_str(), fs::file_size(file), o);
    EXPECT_EQ(o.signal, 0) << levels << " levels: the reader crashed";
    EXPECT_TRUE(o.exitedWith(1)) << levels << " levels: exit " << o.exitCode;
    EXPECT_EQ(ReadBytes(file), before);
  }
}

TEST(HostileStore, HugeLinesLoadOrAreRefusedQuickly) {
  TempDir dir;
  std::size_t length = Megabytes(10, 2);
  std::string hexLine = "\"Huge\"=hex:";
  hexLine.reserve(length + 64);
  while (hexLine.size() < length) hexLine += "5a,";
  hexLine += "5a";
  std::string header = "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Big]\n";

  // A long but valid line loads, and saves back (wrapped) with the same bytes.
  fs::path good = dir / "good.reg";
  WriteBytes(good, header + hexLine + "\n");
  ChildOutcome o = RunInChild([&] {
    Status error;
    auto reg = Open(good, error);
    if (!reg) return 1;
    return SetAndSave(*reg, u"\\Big", u"Small", 1).ok() ? 0 : 2;
  });
  Report("huge line: load + save", length, o);
  ASSERT_TRUE(o.exitedWith(0)) << "exit " << o.exitCode << " signal " << o.signal;
  Status error;
  auto reg = Open(good, error);
  ASSERT_TRUE(reg) << error;
  const auto* key = reg->Tree().Find(platform::registry::Root::LocalMachine, {u"Big"});
  ASSERT_TRUE(key);
  const auto* huge = key->FindValue(u"Huge");
  ASSERT_TRUE(huge);
  EXPECT_EQ(huge->data.size(), (hexLine.size() - 10 + 1) / 3);
  EXPECT_EQ(huge->data.back(), 0x5a);

  // A long broken line is refused with its line number.
  fs::path bad = dir / "bad.reg";
  std::string broken = header + "\"x\"=dword:1\n" + hexLine + "zz\n";
  WriteBytes(bad, broken);
  EXPECT_FALSE(Open(bad, error));
  EXPECT_NE(error.message().find("bad.reg:5:"), std::string::npos) << error;
  EXPECT_EQ(ReadBytes(bad).size(), broken.size());
}

std::string Utf16File(std::u16string_view text) {
  std::string bytes = "\xff\xfe";
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xff));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

TEST(HostileStore, BrokenUtf16IsRefusedWithItsLine) {
  TempDir dir;
  struct Case {
    const char* name;
    std::string bytes;
    const char* where;
  };
  std::u16string text =
      u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"x\"=dword:1\r\n";
  std::string bigEndian = "\xfe\xff";
  for (char16_t c : text) {
    bigEndian.push_back(static_cast<char>(c >> 8));
    bigEndian.push_back(static_cast<char>(c & 0xff));
  }
  const Case cases[] = {
      {"odd.reg", Utf16File(text) + "A", "odd.reg:"},
      {"big-endian.reg", bigEndian, "big-endian.reg:1:"},
      {"nul.reg", Utf16File(text + u"\"y\"=\"a\0b\"\r\n"), "nul.reg:5:"},
  };
  for (const Case& c : cases) {
    fs::path file = dir / c.name;
    WriteBytes(file, c.bytes);
    Status error;
    EXPECT_FALSE(Open(file, error)) << c.name;
    const std::string& message = error.message();
    std::size_t at = message.find(c.where);
    ASSERT_NE(at, std::string::npos) << c.name << ": " << error;
    EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(message[at + std::strlen(c.where)])) ||
                message[at + std::strlen(c.where) - 1] == ':')
        << "no line number: " << error;
    EXPECT_EQ(ReadBytes(file).size(), c.bytes.size()) << c.name;
  }
}

TEST(HostileStore, UnpairedSurrogatesInDataSurviveASaveByteForByte) {
  TempDir dir;
  fs::path file = dir / "registry.reg";
  WriteBytes(file, Utf16File(u"Windows Registry Editor Version 5.00\r\n\r\n"
                             u"[HKEY_LOCAL_MACHINE\\Ident]\r\n\"Name\"=\"Pocket\xD800PC\"\r\n"));
  Status error;
  auto reg = Open(file, error);
  ASSERT_TRUE(reg) << error;
  ASSERT_TRUE(SetAndSave(*reg, u"\\Ident", u"Other", 1).ok());
  auto again = Open(file, error);
  ASSERT_TRUE(again) << error;
  const auto* key = again->Tree().Find(platform::registry::Root::LocalMachine, {u"Ident"});
  ASSERT_TRUE(key && key->FindValue(u"Name"));
  const std::vector<BYTE> expected = {'P', 0, 'o', 0,    'c', 0, 'k', 0, 'e', 0,
                                      't', 0, 0,   0xD8, 'P', 0, 'C', 0, 0,   0};
  EXPECT_EQ(key->FindValue(u"Name")->data, expected);
  EXPECT_EQ(key->FindValue(u"Name")->type, REG_SZ);
}

// An unpaired surrogate in a key name is accepted on load, but no save can
// write it: every save fails with a clear message and nothing is lost.
TEST(HostileStore, UnpairedSurrogateInAKeyNameIsRefusedWithItsLine) {
  TempDir dir;
  fs::path file = dir / "registry.reg";
  std::string bytes = Utf16File(
      u"Windows Registry Editor Version 5.00\r\n\r\n"
      u"[HKEY_LOCAL_MACHINE\\Bad\xDC00Key]\r\n\"x\"=dword:1\r\n");
  WriteBytes(file, bytes);
  Status error;
  auto reg = Open(file, error);
  EXPECT_FALSE(reg);
  EXPECT_NE(error.message().find("registry.reg:3:"), std::string::npos) << error;
  EXPECT_NE(error.message().find("unpaired surrogate"), std::string::npos) << error;
  EXPECT_EQ(ReadBytes(file), std::vector<BYTE>(bytes.begin(), bytes.end()));
  EXPECT_EQ(test::FolderEntries(dir.path()).size(), 1u) << "only the store";
}

// Saving through a symlink updates the file the link points to and keeps the
// link.
TEST(HostileStore, SavingThroughASymlinkUpdatesTheTargetAndKeepsTheLink) {
  TempDir dir;
  fs::create_directory(dir / "real");
  fs::path target = dir / "real" / "device.reg";
  WriteBytes(target, "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\A]\n");
  fs::path link = dir / "registry.reg";
  fs::create_symlink(target, link);
  Status error;
  auto reg = Open(link, error);
  ASSERT_TRUE(reg) << error;
  ASSERT_TRUE(SetAndSave(*reg, u"\\A", u"x", 5).ok());
  EXPECT_TRUE(fs::is_symlink(link));
  auto again = Open(target, error);
  ASSERT_TRUE(again) << error;
  EXPECT_EQ(NumberIn(*again, u"\\A", u"x"), 5u);
}

// Through a symlink the save succeeds and reads back through the link's name.
TEST(HostileStore, SavingThroughASymlinkLosesNothing) {
  TempDir dir;
  fs::path target = dir / "device.reg";
  std::string original = "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\A]\n";
  WriteBytes(target, original);
  fs::path link = dir / "registry.reg";
  fs::create_symlink(target, link);
  Status error;
  auto reg = Open(link, error);
  ASSERT_TRUE(reg) << error;
  ASSERT_TRUE(SetAndSave(*reg, u"\\A", u"x", 5).ok());
  auto again = Open(link, error);
  ASSERT_TRUE(again) << error;
  EXPECT_EQ(NumberIn(*again, u"\\A", u"x"), 5u);
  auto targetBytes = ReadBytes(target);
  EXPECT_TRUE(targetBytes == std::vector<BYTE>(original.begin(), original.end()) ||
              NumberIn(*Open(target, error), u"\\A", u"x") == 5u);
}

// A small file system of our own: a tmpfs, which only root may mount.
class MountedFolder {
 public:
  MountedFolder(const fs::path& where, const char* options) : where_(where) {
    fs::create_directories(where);
    mounted_ = ::geteuid() == 0 && ::mount("tmpfs", where.c_str(), "tmpfs", 0, options) == 0;
  }
  ~MountedFolder() {
    if (mounted_) ::umount2(where_.c_str(), MNT_DETACH);
  }
  bool mounted() const { return mounted_; }
  bool Remount(unsigned long flags, const char* options) {
    return ::mount("tmpfs", where_.c_str(), "tmpfs", MS_REMOUNT | flags, options) == 0;
  }

 private:
  fs::path where_;
  bool mounted_ = false;
};

const std::string kSmallStore = test::Fixture("animate.reg");

TEST(HostileStore, ReadOnlyFolderFailsTheSaveAndKeepsEverything) {
  TempDir dir;
  fs::path folder = dir / "ro";
  MountedFolder mount(folder, "size=1m");
  fs::path file = folder / "registry.reg";
  WriteBytes(file, kSmallStore);
  if (mount.mounted()) {
    ASSERT_TRUE(mount.Remount(MS_RDONLY, "size=1m"));
  } else {
    if (::geteuid() == 0) GTEST_SKIP() << "root without mount: permissions do not apply";
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
  }
  Status error;
  auto reg = Open(file, error);
  ASSERT_TRUE(reg) << error;
  Status r = SetAndSave(*reg, u"\\System\\GWE", u"Animate", 0);
  EXPECT_FALSE(r.ok());
  EXPECT_NE(r.message().find(file.string()), std::string::npos) << r;
  EXPECT_TRUE(reg->HasUnsavedChanges());
  EXPECT_EQ(NumberIn(*reg, u"\\System\\GWE", u"Animate"), 0u) << "the program still sees it";
  auto bytes = ReadBytes(file);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), kSmallStore);
}

TEST(HostileStore, FullDiskFailsTheSaveKeepsEverythingAndRetriesLater) {
  TempDir dir;
  fs::path folder = dir / "small";
  MountedFolder mount(folder, "size=64k");
  if (!mount.mounted()) GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
  // A store of about 10 kB and a filler that leaves no room for its copies.
  fs::path file = folder / "registry.reg";
  std::string content = driver::GenerateStore(10 << 10);
  WriteBytes(file, content);
  fs::path filler = folder / "filler";
  {
    std::string block(4096, 'x');
    std::ofstream out(filler, std::ios::binary);
    for (int i = 0; i < 12; ++i)
      out.write(block.data(), static_cast<std::streamsize>(block.size()));
  }
  Status error;
  auto reg = Open(file, error);
  ASSERT_TRUE(reg) << error;
  Status r = SetAndSave(*reg, u"\\Software\\Vendor0\\Product0\\Settings", u"New", 9);
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(platform::registry::ErrorCodeOf(r), ERROR_DISK_FULL) << r;
  EXPECT_NE(r.message().find(file.string()), std::string::npos) << r;
  EXPECT_TRUE(reg->HasUnsavedChanges());
  auto bytes = ReadBytes(file);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), content);
  for (const std::string& name : test::FolderEntries(folder)) {
    EXPECT_EQ(name.find(".tmp"), std::string::npos) << "temp file left behind: " << name;
  }

  // Room again: the kept changes are saved by the next flush.
  fs::remove(filler);
  r = reg->Flush();
  ASSERT_TRUE(r.ok()) << r;
  auto again = Open(file, error);
  ASSERT_TRUE(again) << error;
  EXPECT_EQ(NumberIn(*again, u"\\Software\\Vendor0\\Product0\\Settings", u"New"), 9u);
  auto backup = ReadBytes(folder / "registry.reg.bak");
  EXPECT_EQ(std::string(backup.begin(), backup.end()), content);
}

}  // namespace
