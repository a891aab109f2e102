#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "platform/registry/registry.h"
#include "platform/registry/winreg.h"
#include "store/keys.h"
#include "store/registry_store.h"
#include "store/store.h"
#include "tests/support/files.h"

using namespace platform::registry;
using test::Dword;
using test::ReadBytes;
using test::TempDir;
using test::Text;
using test::Utf16;

namespace {

namespace fs = std::filesystem;

class Store : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallRegistry(std::make_unique<Registry>());
    SetRegistryObserver([this](const RegistryEvent& e) { events.push_back(e); });
  }
  void TearDown() override {
    SetRegistryObserver({});
    InstallRegistry(nullptr);
  }
  // Puts a value in place through the registry calls; not part of the trace.
  void Put(HKEY root, std::u16string_view path, std::u16string_view name, DWORD type,
           std::vector<BYTE> data) {
    std::u16string p(path), n(name);
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyEx(root, p.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueEx(key, n.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);
    events.clear();
  }
  static const RegValue* Stored(HKEY root, std::u16string_view path, std::u16string_view name) {
    const RegKey* k = CurrentRegistry().Tree().Find(*RootFromHandle(root), SplitKeyPath(path));
    return k ? k->FindValue(name) : nullptr;
  }
  std::vector<RegistryEvent::Op> Ops() const {
    std::vector<RegistryEvent::Op> ops;
    for (const auto& e : events) ops.push_back(e.op);
    return ops;
  }

  std::vector<RegistryEvent> events;
};

using Op = RegistryEvent::Op;

TEST_F(Store, ReadNumberTellsKeyMissingFromValueUnreadable) {
  using store::ReadStatus;
  EXPECT_EQ(store::ReadNumber(HKEY_LOCAL_MACHINE, store::keys::kGwe, u"Animate").status,
            ReadStatus::KeyMissing);
  EXPECT_EQ(Ops(), (std::vector<Op>{Op::Open}));

  Put(HKEY_LOCAL_MACHINE, store::keys::kGwe, u"Long", REG_SZ, Utf16(u"text"));  // 8 bytes
  EXPECT_EQ(store::ReadNumber(HKEY_LOCAL_MACHINE, store::keys::kGwe, u"Animate").status,
            ReadStatus::ValueUnreadable);
  EXPECT_EQ(store::ReadNumber(HKEY_LOCAL_MACHINE, store::keys::kGwe, u"Long").status,
            ReadStatus::ValueUnreadable);
  // Each read is one open / query / close cycle, with byte count 4.
  EXPECT_EQ(Ops(),
            (std::vector<Op>{Op::Open, Op::Query, Op::Close, Op::Open, Op::Query, Op::Close}));
  EXPECT_EQ(events[1].size, 4u);
  EXPECT_EQ(events[4].rc, ERROR_MORE_DATA);

  Put(HKEY_LOCAL_MACHINE, store::keys::kGwe, u"Animate", REG_DWORD, Dword(0xFFFFFFFF));
  store::NumberRead r = store::ReadNumber(HKEY_LOCAL_MACHINE, store::keys::kGwe, u"Animate");
  EXPECT_TRUE(r.ok());
  EXPECT_EQ(r.value, -1);
  // Four bytes of another type read as a number.
  Put(HKEY_LOCAL_MACHINE, store::keys::kGwe, u"Four", REG_BINARY, {0x2A, 0, 0, 0});
  EXPECT_EQ(store::ReadNumber(HKEY_LOCAL_MACHINE, store::keys::kGwe, u"Four").value, 42);
}

TEST_F(Store, ShortNumberReplacesOnlyTheBytesReturned) {
  Put(HKEY_LOCAL_MACHINE, store::keys::kGwe, u"cxVScr", REG_DWORD, {0x05, 0x00});
  store::OpenKey key = store::OpenKey::Open(HKEY_LOCAL_MACHINE, store::keys::kGwe);
  ASSERT_TRUE(key);
  std::int32_t member = 0x11223344;
  EXPECT_TRUE(key.ReadNumberInto(u"cxVScr", member));
  EXPECT_EQ(member, 0x11220005);
  EXPECT_EQ(key.ReadNumber(u"cxVScr"), 5);
  std::int32_t untouched = 77;
  EXPECT_FALSE(key.ReadNumberInto(u"missing", untouched));
  EXPECT_EQ(untouched, 77);
}

TEST_F(Store, StringsUpTo150CharactersWithoutTerminatorReadWhole) {
  const std::u16string name150(150, u'N');
  const std::u16string name151(151, u'N');
  Put(HKEY_LOCAL_MACHINE, store::keys::kIdent, u"Name150", REG_SZ, Utf16(name150));
  Put(HKEY_LOCAL_MACHINE, store::keys::kIdent, u"Name151", REG_SZ, Utf16(name151));
  Put(HKEY_LOCAL_MACHINE, store::keys::kIdent, u"Sz149", REG_SZ, test::Sz(name150.substr(1)));
  std::vector<BYTE> inner = Utf16(u"ab");
  inner.push_back(0);
  inner.push_back(0);
  for (BYTE b : Utf16(u"cd")) inner.push_back(b);
  Put(HKEY_LOCAL_MACHINE, store::keys::kIdent, u"Inner", REG_SZ, inner);
  Put(HKEY_LOCAL_MACHINE, store::keys::kIdent, u"Odd", REG_SZ, {0x41, 0x00, 0x42});

  auto read = [](std::u16string_view name) {
    return store::ReadString(HKEY_LOCAL_MACHINE, store::keys::kIdent, name);
  };
  EXPECT_EQ(read(u"Name150").value, name150);
  EXPECT_EQ(read(u"Name151").status, store::ReadStatus::ValueUnreadable);
  EXPECT_EQ(read(u"Sz149").value, name150.substr(1));
  EXPECT_EQ(read(u"Inner").value, u"ab");
  EXPECT_EQ(read(u"Odd").value, u"A");
  EXPECT_EQ(read(u"Missing").status, store::ReadStatus::ValueUnreadable);
  EXPECT_EQ(store::ReadString(HKEY_LOCAL_MACHINE, u"\\Nope", u"Name").status,
            store::ReadStatus::KeyMissing);
  for (const RegistryEvent& e : events) {
    if (e.op == Op::Query) {
      EXPECT_EQ(e.size, 300u);
    }
  }
}

TEST_F(Store, WritesUseTheStoredFormsAndSkipMissingKeys) {
  Put(HKEY_LOCAL_MACHINE, store::keys::kIdent, u"Name", REG_SZ, test::Sz(u"old"));
  EXPECT_TRUE(store::WriteString(HKEY_LOCAL_MACHINE, store::keys::kIdent, u"Name", u"Pocket_PC"));
  EXPECT_EQ(Stored(HKEY_LOCAL_MACHINE, store::keys::kIdent, u"Name")->data, Utf16(u"Pocket_PC"));
  EXPECT_EQ(Stored(HKEY_LOCAL_MACHINE, store::keys::kIdent, u"Name")->type, REG_SZ);
  EXPECT_EQ(store::ReadString(HKEY_LOCAL_MACHINE, store::keys::kIdent, u"Name").value,
            u"Pocket_PC");

  EXPECT_TRUE(store::WriteNumber(HKEY_LOCAL_MACHINE, store::keys::kIdent, u"N", -1));
  EXPECT_EQ(Stored(HKEY_LOCAL_MACHINE, store::keys::kIdent, u"N")->data, Dword(0xFFFFFFFF));
  EXPECT_EQ(Stored(HKEY_LOCAL_MACHINE, store::keys::kIdent, u"N")->type, REG_DWORD);

  // A key that does not open is skipped and not created.
  std::size_t failed = store::FailedWriteCount();
  EXPECT_FALSE(store::WriteNumber(HKEY_LOCAL_MACHINE, store::keys::kRedir, u"RegisterFSRoot", 1));
  EXPECT_EQ(CurrentRegistry().Tree().Find(Root::LocalMachine, SplitKeyPath(store::keys::kRedir)),
            nullptr);
  EXPECT_EQ(store::FailedWriteCount(), failed);
  EXPECT_EQ(CurrentRegistry().OpenHandleCount(), 0u);
}

TEST_F(Store, SharedOpenClosesOnceAndCountsFailedSets) {
  constexpr std::u16string_view kHistory[] = {u"0", u"1", u"2"};
  Put(HKEY_CURRENT_USER, store::keys::kTaskSwitch, u"0", REG_SZ, test::Sz(u"x"));
  events.clear();
  std::size_t failed = store::FailedWriteCount();
  {
    store::OpenKey key = store::OpenKey::Open(HKEY_CURRENT_USER, store::keys::kTaskSwitch);
    ASSERT_TRUE(key);
    for (std::u16string_view name : kHistory) EXPECT_TRUE(key.WriteString(name, u""));
    EXPECT_FALSE(key.WriteNumber(u"bad\nname", 1));  // the set fails after the open
    store::OpenKey moved = std::move(key);
    EXPECT_FALSE(key.IsOpen());
  }
  EXPECT_EQ(store::FailedWriteCount(), failed + 1);
  std::vector<Op> expected{Op::Open};
  for (int i = 0; i < 4; ++i) expected.push_back(Op::Set);
  expected.push_back(Op::Close);
  EXPECT_EQ(Ops(), expected);
  for (std::u16string_view name : kHistory) {
    const RegValue* v = Stored(HKEY_CURRENT_USER, store::keys::kTaskSwitch, name);
    ASSERT_NE(v, nullptr);
    EXPECT_TRUE(v->data.empty());
    EXPECT_EQ(v->type, REG_SZ);
  }
}

TEST_F(Store, CreateUsesVolatileOptionsAndWritesIntoTheNewKey) {
  {
    store::OpenKey key = store::OpenKey::Create(HKEY_LOCAL_MACHINE, store::keys::kRedir);
    ASSERT_TRUE(key);
    EXPECT_TRUE(key.WriteNumber(u"RegisterFSRoot", 0));
  }
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].op, Op::Create);
  EXPECT_EQ(events[0].options, 1u);
  EXPECT_EQ(events[0].key, store::keys::kRedir);
  EXPECT_EQ(events[2].op, Op::Close);
  EXPECT_EQ(store::ReadNumber(HKEY_LOCAL_MACHINE, store::keys::kRedir, u"RegisterFSRoot").value, 0);
}

class StoreFile : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    savedXdg = xdg ? std::optional<std::string>(xdg) : std::nullopt;
    savedHome = home ? std::optional<std::string>(home) : std::nullopt;
  }
  void TearDown() override {
    if (savedXdg) {
      ::setenv("XDG_DATA_HOME", savedXdg->c_str(), 1);
    } else {
      ::unsetenv("XDG_DATA_HOME");
    }
    if (savedHome) ::setenv("HOME", savedHome->c_str(), 1);
    InstallRegistry(nullptr);
  }
  std::optional<std::string> savedXdg, savedHome;
  TempDir dir;
};

TEST_F(StoreFile, DefaultPathFollowsXdgDataHomeThenHome) {
  auto defaultPath = [] {
    fs::path path = "unset";
    EXPECT_EQ(store::DefaultRegistryPath(path), platform::Status());
    return path;
  };
  ::setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
  EXPECT_EQ(defaultPath(), dir / "data" / "RegillaMobile" / "registry.reg");
  ::setenv("XDG_DATA_HOME", "relative/ignored", 1);
  ::setenv("HOME", dir.path().c_str(), 1);
  EXPECT_EQ(defaultPath(), dir / ".local" / "share" / "RegillaMobile" / "registry.reg");
  ::unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(defaultPath(), dir / ".local" / "share" / "RegillaMobile" / "registry.reg");
  ::unsetenv("HOME");
  fs::path none = "unset";
  const platform::Status status = store::DefaultRegistryPath(none);
  EXPECT_TRUE(none.empty());
  EXPECT_NE(status.message().find("--registry"), std::string::npos) << status;
}

TEST_F(StoreFile, MissingDefaultFileStartsFromTheSample) {
  ::setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
  std::ostringstream diag;
  store::StoreFile r;
  ASSERT_EQ(store::OpenRegistryStore(std::nullopt, diag, r), platform::Status());
  EXPECT_TRUE(r.seeded);
  fs::path expected = dir / "data" / "RegillaMobile" / "registry.reg";
  EXPECT_EQ(r.path, expected);
  EXPECT_NE(diag.str().find(expected.string()), std::string::npos) << diag.str();
  EXPECT_NE(diag.str().find("sample"), std::string::npos);
  EXPECT_EQ(store::ReadString(HKEY_LOCAL_MACHINE, store::keys::kIdent, u"Name").value,
            u"Pocket_PC");
  // Reading and saving nothing new creates neither the file nor its folder.
  ASSERT_TRUE(FlushRegistry().ok());
  EXPECT_FALSE(fs::exists(dir / "data"));

  // The first change writes the sample with it, in a new folder.
  store::WriteNumber(HKEY_LOCAL_MACHINE, store::keys::kGwe, u"Animate", 0);
  ASSERT_TRUE(FlushRegistry().ok());
  const std::string written = Text(ReadBytes(expected));
  EXPECT_NE(written.find("\"Name\"=\"Pocket_PC\""), std::string::npos) << written;
  EXPECT_NE(written.find("\"Animate\"=dword:00000000"), std::string::npos) << written;
  EXPECT_FALSE(fs::exists(expected.string() + ".bak"));

  // The second start uses the file as it is.
  std::ostringstream again;
  ASSERT_EQ(store::OpenRegistryStore(std::nullopt, again, r), platform::Status());
  EXPECT_FALSE(r.seeded);
  EXPECT_EQ(again.str().find("sample"), std::string::npos);
  EXPECT_EQ(store::ReadNumber(HKEY_LOCAL_MACHINE, store::keys::kGwe, u"Animate").value, 0);
}

// The start-up line names the encoding the store is read in, and bytes that
// are no text in it are named by their first line.
TEST_F(StoreFile, TheStartUpLineNamesTheEncodingAndWarnsOfBytesThatAreNoText) {
  struct Case {
    std::string content;
    unsigned codePage;
    std::string line;  // what follows the path
    std::string warning;
  };
  const std::vector<Case> cases = {
      {"Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Ident]\n", 0, " (UTF-8)\n",
       ""},
      {"REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Ident]\r\n\"Name\"=\"\x83\x7c\x83\x50\"\r\n", 932,
       " (Shift_JIS (code page 932, --codepage))\n", ""},
      {"REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Ident]\r\n\"Name\"=\"\x81 \"\r\n", 0,
       " (Shift_JIS (code page 932, the default))\n", ":4: warning: bytes that are not Shift_JIS"},
  };
  for (const Case& c : cases) {
    const fs::path file = dir / "device.reg";
    test::WriteText(file, c.content);
    std::ostringstream diag;
    store::StoreFile r;
    ASSERT_EQ(store::OpenRegistryStore(file, diag, r, nullptr, c.codePage), platform::Status());
    const std::string first = "registry: " + file.string() + c.line;
    EXPECT_EQ(diag.str().substr(0, first.size()), first) << diag.str();
    if (c.warning.empty()) {
      EXPECT_EQ(diag.str(), first);
    } else {
      EXPECT_NE(diag.str().find("registry: " + file.string() + c.warning, first.size()),
                std::string::npos)
          << diag.str();
    }
  }
}

TEST_F(StoreFile, ExplicitPathIsCreatedFromTheSampleOnlyInAnExistingFolder) {
  std::ostringstream diag;
  store::StoreFile r;
  ASSERT_EQ(store::OpenRegistryStore(dir / "mine.reg", diag, r), platform::Status());
  EXPECT_TRUE(r.seeded);
  EXPECT_FALSE(fs::exists(dir / "mine.reg"));
  store::WriteNumber(HKEY_LOCAL_MACHINE, store::keys::kGwe, u"Animate", 0);
  ASSERT_TRUE(FlushRegistry().ok());
  EXPECT_TRUE(fs::exists(dir / "mine.reg"));

  const platform::Status status =
      store::OpenRegistryStore(dir / "no" / "such" / "mine.reg", diag, r);
  EXPECT_NE(status.message().find("does not exist"), std::string::npos) << status;
  EXPECT_FALSE(fs::exists(dir / "no"));
}

TEST_F(StoreFile, ASymbolicLinkIsFollowedAndKeptWhenSaving) {
  fs::create_directories(dir / "real");
  auto sample = store::SampleRegistry();
  test::WriteText(dir / "real" / "device.reg", std::string(sample.begin(), sample.end()));
  fs::create_symlink(fs::path("real") / "device.reg", dir / "link.reg");
  // A link to a file that is not there yet is followed too.
  fs::create_symlink(dir / "real" / "new.reg", dir / "dangling.reg");

  std::ostringstream diag;
  store::StoreFile r;
  ASSERT_EQ(store::OpenRegistryStore(dir / "link.reg", diag, r), platform::Status());
  EXPECT_EQ(r.path, dir / "real" / "device.reg");
  store::WriteNumber(HKEY_LOCAL_MACHINE, store::keys::kGwe, u"Animate", 0);
  ASSERT_TRUE(FlushRegistry().ok());
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir / "link.reg")));
  EXPECT_NE(Text(ReadBytes(dir / "real" / "device.reg")).find("\"Animate\"=dword:00000000"),
            std::string::npos);

  ASSERT_EQ(store::OpenRegistryStore(dir / "dangling.reg", diag, r), platform::Status());
  EXPECT_TRUE(r.seeded);
  store::WriteNumber(HKEY_LOCAL_MACHINE, store::keys::kGwe, u"Animate", 0);
  ASSERT_TRUE(FlushRegistry().ok());
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir / "dangling.reg")));
  EXPECT_TRUE(fs::is_regular_file(dir / "real" / "new.reg"));
}

TEST_F(StoreFile, OnlyARegularFileIsTakenAsTheStore) {
  std::ostringstream diag;
  for (const fs::path& p : {fs::path("/dev/null"), dir.path()}) {
    store::StoreFile r;
    const platform::Status status = store::OpenRegistryStore(p, diag, r);
    EXPECT_NE(status.message().find("not a regular file"), std::string::npos) << p << status;
  }
  EXPECT_TRUE(diag.str().empty());
}

TEST_F(StoreFile, UnparsableFileIsRefusedUntouchedAndNothingIsInstalled) {
  const std::string broken =
      "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Ident]\n\"Name\"=\"x\n";
  test::WriteText(dir / "bad.reg", broken);
  InstallRegistry(std::make_unique<Registry>());
  store::WriteNumber(HKEY_LOCAL_MACHINE, u"\\Marker", u"m", 1);  // key missing: nothing
  HKEY marker = nullptr;
  RegCreateKeyEx(HKEY_LOCAL_MACHINE, u"\\Marker", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &marker,
                 nullptr);
  RegCloseKey(marker);

  std::ostringstream diag;
  store::StoreFile r;
  const platform::Status status = store::OpenRegistryStore(dir / "bad.reg", diag, r);
  EXPECT_EQ(status.code(), platform::Status::Code::Corrupt);
  EXPECT_EQ(status.message(), (dir / "bad.reg").string() +
                                  ":4: unterminated string (missing closing '\"') (the file "
                                  "was not changed); to bring in a file from a device or regedit "
                                  "(the lines regedit skips are left out), import it into a "
                                  "store: RegillaMobile --registry STORE --import FILE");
  EXPECT_EQ(Text(ReadBytes(dir / "bad.reg")), broken);
  EXPECT_FALSE(fs::exists(dir / "bad.reg.bak"));
  EXPECT_NE(CurrentRegistry().Tree().Find(Root::LocalMachine, {u"Marker"}), nullptr);
}

}  // namespace
