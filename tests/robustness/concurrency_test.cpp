// Several programs on one store file. Each process keeps its registry open
// for its whole run, as the tool does, and saves after every change; the
// file's lock and the merge on save must keep every update of every process.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>

#include "platform/registry/registry.h"
#include "platform/registry/winreg.h"
#include "tests/robustness/support.h"
#include "tests/support/fixtures.h"

namespace {

namespace fs = std::filesystem;
using platform::Status;
using platform::registry::Registry;
using test::ChildOutcome;
using test::RunInChild;
using test::TempDir;

constexpr int kRounds = 100;

const std::string kStore = test::Fixture("three_keys.reg");

struct Setting {
  const char16_t* key;
  const char16_t* name;
};
const Setting kFirst{u"\\System\\GWE", u"Animate"};
const Setting kSecond{u"\\ControlPanel\\WiFi", u"ScanInterval"};

std::optional<DWORD> Read(Registry& reg, const Setting& s) {
  HKEY h = nullptr;
  if (reg.OpenKey(HKEY_LOCAL_MACHINE, s.key, 0, KEY_ALL_ACCESS, &h) != ERROR_SUCCESS) return {};
  DWORD value = 0;
  DWORD size = sizeof value;
  LONG rc = reg.QueryValue(h, s.name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
  reg.CloseKey(h);
  if (rc != ERROR_SUCCESS) return {};
  return value;
}

bool Write(Registry& reg, const Setting& s, DWORD value) {
  HKEY h = nullptr;
  if (reg.OpenKey(HKEY_LOCAL_MACHINE, s.key, 0, KEY_ALL_ACCESS, &h) != ERROR_SUCCESS) return false;
  LONG rc = reg.SetValue(h, s.name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4);
  reg.CloseKey(h);
  return rc == ERROR_SUCCESS;
}

// Opens a store file; nullptr when that fails, and `status` says why.
std::unique_ptr<Registry> Open(const fs::path& file, Status& status) {
  std::unique_ptr<Registry> reg;
  status = Registry::OpenFile(file, reg);
  return reg;
}

// What is on disk now, as a fresh program would read it.
std::optional<DWORD> OnDisk(const fs::path& file, const Setting& s) {
  Status error;
  auto reg = Open(file, error);
  if (!reg) return {};
  return Read(*reg, s);
}

// One process: `rounds` times, check that its last saved value is still on
// disk, then (optionally after re-reading the other setting, as a reload
// does, and writing it back unchanged, as Apply does) save the next one.
int Worker(const fs::path& file, const Setting& mine, const Setting& other, bool rewriteOther,
           std::chrono::milliseconds pause) {
  Status error;
  auto reg = Open(file, error);
  if (!reg) return 10;
  for (DWORD i = 1; i <= kRounds; ++i) {
    if (OnDisk(file, mine) != i - 1) return 11;  // an update of ours was lost
    std::optional<DWORD> seen = Read(*reg, other);
    if (!seen) return 12;
    if (!Write(*reg, mine, i)) return 13;
    if (rewriteOther && !Write(*reg, other, *seen)) return 14;
    std::this_thread::sleep_for(pause);
    const Status result = reg->Flush();
    if (!result.ok()) {
      std::fprintf(stderr, "save failed: %s\n", result.message().c_str());
      return 15;
    }
  }
  return 0;
}

void RunPair(const fs::path& file, bool rewriteOther, std::chrono::milliseconds pause) {
  pid_t parent = ::getpid();
  test::StartedChild a =
      test::StartChild([&] { return Worker(file, kFirst, kSecond, rewriteOther, pause); });
  test::StartedChild b =
      test::StartChild([&] { return Worker(file, kSecond, kFirst, rewriteOther, pause); });
  ASSERT_EQ(::getpid(), parent);
  ChildOutcome first = test::WaitChild(a);
  ChildOutcome second = test::WaitChild(b);
  EXPECT_TRUE(first.exitedWith(0)) << "first: exit " << first.exitCode << " signal " << first.signal
                                   << " (11: its update was lost)";
  EXPECT_TRUE(second.exitedWith(0)) << "second: exit " << second.exitCode << " signal "
                                    << second.signal << " (11: its update was lost)";
  EXPECT_FALSE(first.timedOut || second.timedOut) << "a process hung";
  EXPECT_EQ(OnDisk(file, kFirst), static_cast<DWORD>(kRounds));
  EXPECT_EQ(OnDisk(file, kSecond), static_cast<DWORD>(kRounds));
  Status error;
  auto reg = Open(file, error);
  ASSERT_TRUE(reg) << error;
  const auto* kept = reg->Tree().Find(platform::registry::Root::LocalMachine, {u"Unrelated"});
  ASSERT_TRUE(kept && kept->FindValue(u"Kept"));
}

TEST(Concurrency, TwoProcessesSavingDifferentValues100TimesEachLoseNoUpdate) {
  TempDir dir;
  fs::path file = dir / "registry.reg";
  test::WriteBytes(file, kStore);
  RunPair(file, false, std::chrono::milliseconds(0));
}

// Apply writes every setting of every page, the ones the user did not touch
// with the value they were loaded with. A write-back of what a program read
// must not undo the other program's newer value.
TEST(Concurrency, ApplyingDifferentPagesKeepsTheOtherProcessUpdates) {
  TempDir dir;
  fs::path file = dir / "registry.reg";
  test::WriteBytes(file, kStore);
  RunPair(file, true, std::chrono::milliseconds(5));
}

TEST(Concurrency, AnotherProgramsEditBetweenLoadAndSaveSurvives) {
  TempDir dir;
  fs::path file = dir / "registry.reg";
  test::WriteBytes(file, kStore);
  Status error;
  auto reg = Open(file, error);
  ASSERT_TRUE(reg) << error;
  ASSERT_EQ(Read(*reg, kFirst), 0u);
  ASSERT_TRUE(Write(*reg, kFirst, 7));

  // Another program (a text editor, say) rewrites the file in place.
  ChildOutcome editor = RunInChild([&] {
    std::string text = kStore;
    text.replace(text.find("\"ScanInterval\"=dword:00000000"), 29,
                 "\"ScanInterval\"=dword:0000003c");
    text += "\n[HKEY_CURRENT_USER\\Added]\n\"ByEditor\"=dword:00000001\n";
    test::WriteBytes(file, text);
    return 0;
  });
  ASSERT_TRUE(editor.exitedWith(0));

  auto result = reg->Flush();
  ASSERT_TRUE(result.ok()) << result;
  EXPECT_EQ(OnDisk(file, kFirst), 7u);
  EXPECT_EQ(OnDisk(file, kSecond), 0x3cu);
  auto again = Open(file, error);
  ASSERT_TRUE(again) << error;
  EXPECT_TRUE(again->Tree().Find(platform::registry::Root::CurrentUser, {u"Added"}));
  // And this program now sees the editor's values too.
  EXPECT_EQ(Read(*reg, kSecond), 0x3cu);
}

TEST(Concurrency, AnEditThatBreaksTheFileFailsTheSaveAndKeepsTheEdit) {
  TempDir dir;
  fs::path file = dir / "registry.reg";
  test::WriteBytes(file, kStore);
  Status error;
  auto reg = Open(file, error);
  ASSERT_TRUE(reg) << error;
  ASSERT_TRUE(Write(*reg, kFirst, 7));
  std::string broken = std::string(kStore) + "\"Stray\"=oops\n";
  test::WriteBytes(file, broken);
  auto result = reg->Flush();
  EXPECT_FALSE(result.ok());
  EXPECT_NE(result.message().find("registry.reg:11:"), std::string::npos) << result;
  EXPECT_TRUE(reg->HasUnsavedChanges());
  auto bytes = test::ReadBytes(file);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), broken);
}

}  // namespace
