// The five registry calls on a fresh in-memory registry.
#include <gtest/gtest.h>

#include "platform/registry/registry.h"
#include "platform/registry/winreg.h"
#include "tests/support/files.h"

using namespace platform::registry;
using test::Dword;
using test::Sz;

namespace {

class RegistryApi : public ::testing::Test {
 protected:
  void SetUp() override { InstallRegistry(std::make_unique<Registry>()); }
  void TearDown() override {
    SetRegistryObserver({});
    InstallRegistry(nullptr);
  }

  static HKEY Create(HKEY root, const char16_t* path, DWORD* disposition = nullptr) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyEx(root, path, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                             &key, disposition),
              ERROR_SUCCESS);
    return key;
  }
  static LONG Open(HKEY root, const char16_t* path, HKEY* key) {
    return RegOpenKeyEx(root, path, 0, KEY_ALL_ACCESS, key);
  }
  static void Set(HKEY key, const char16_t* name, DWORD type, const std::vector<BYTE>& data) {
    EXPECT_EQ(RegSetValueEx(key, name, 0, type, data.data(), static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
  }
  static std::vector<BYTE> Get(HKEY key, const char16_t* name, DWORD* type = nullptr) {
    std::vector<BYTE> buf(1024);
    DWORD size = static_cast<DWORD>(buf.size());
    EXPECT_EQ(RegQueryValueEx(key, name, nullptr, type, buf.data(), &size), ERROR_SUCCESS);
    buf.resize(size);
    return buf;
  }
};

TEST_F(RegistryApi, CreateMakesParentsAndReportsDisposition) {
  HKEY probe = nullptr;
  EXPECT_EQ(Open(HKEY_LOCAL_MACHINE, u"\\Comm\\Redir", &probe), ERROR_FILE_NOT_FOUND);

  DWORD disposition = 0;
  HKEY key = Create(HKEY_LOCAL_MACHINE, u"\\Comm\\Redir", &disposition);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  key = Create(HKEY_LOCAL_MACHINE, u"\\Comm\\Redir", &disposition);
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);

  HKEY parent = nullptr;
  EXPECT_EQ(Open(HKEY_LOCAL_MACHINE, u"\\Comm", &parent), ERROR_SUCCESS);
  RegCloseKey(parent);
  // The same path under the other root is a different key.
  EXPECT_EQ(Open(HKEY_CURRENT_USER, u"\\Comm\\Redir", &probe), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryApi, PathsAndNamesAreCaseInsensitiveAndCasePreserving) {
  HKEY key = Create(HKEY_LOCAL_MACHINE, u"\\System\\GWE");
  Set(key, u"Animate", REG_DWORD, Dword(1));
  RegCloseKey(key);

  for (const char16_t* path :
       {u"\\System\\GWE", u"System\\GWE", u"\\\\system\\\\gwe\\", u"SYSTEM\\gWe\\\\"}) {
    HKEY k = nullptr;
    ASSERT_EQ(Open(HKEY_LOCAL_MACHINE, path, &k), ERROR_SUCCESS);
    EXPECT_EQ(Get(k, u"ANIMATE"), Dword(1));
    Set(k, u"animate", REG_DWORD, Dword(1));
    RegCloseKey(k);
  }
  const RegKey* gwe = CurrentRegistry().Tree().Find(Root::LocalMachine, {u"system", u"gwe"});
  ASSERT_NE(gwe, nullptr);
  EXPECT_EQ(gwe->Name(), u"GWE");
  ASSERT_EQ(gwe->Values().size(), 1u);
  EXPECT_EQ(gwe->Values()[0].name, u"Animate");
  EXPECT_EQ(gwe->Values()[0].data, Dword(1));
}

TEST_F(RegistryApi, EmptyOrNullNameIsTheDefaultValue) {
  HKEY key = Create(HKEY_CURRENT_USER, u"\\K");
  Set(key, nullptr, REG_SZ, Sz(u"d"));
  EXPECT_EQ(Get(key, u""), Sz(u"d"));
  Set(key, u"", REG_DWORD, Dword(5));
  EXPECT_EQ(Get(key, nullptr), Dword(5));
  RegCloseKey(key);
}

TEST_F(RegistryApi, QueryCopiesExactBytesWhateverTheType) {
  HKEY key = Create(HKEY_LOCAL_MACHINE, u"\\K");
  const std::vector<BYTE> odd = {0x41, 0x00, 0x42};
  Set(key, u"odd", REG_SZ, odd);
  Set(key, u"empty", REG_SZ, {});
  Set(key, u"short", REG_DWORD, {7, 0});
  Set(key, u"typed", 0x1234, {1});
  DWORD type = 0;
  EXPECT_EQ(Get(key, u"odd", &type), odd);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_TRUE(Get(key, u"empty").empty());
  EXPECT_EQ(Get(key, u"short", &type), (std::vector<BYTE>{7, 0}));
  EXPECT_EQ(type, REG_DWORD);
  Get(key, u"typed", &type);
  EXPECT_EQ(type, 0x1234u);
  RegCloseKey(key);
}

TEST_F(RegistryApi, SmallBufferGivesMoreDataAndTheNeededSize) {
  HKEY key = Create(HKEY_LOCAL_MACHINE, u"\\K");
  Set(key, u"v", REG_BINARY, {1, 2, 3, 4, 5, 6});
  BYTE buf[4] = {9, 9, 9, 9};
  DWORD size = sizeof buf;
  DWORD type = 0;
  EXPECT_EQ(RegQueryValueEx(key, u"v", nullptr, &type, buf, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(type, REG_BINARY);

  // Size query: no buffer.
  size = 0;
  EXPECT_EQ(RegQueryValueEx(key, u"v", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 6u);
  // Existence check: neither buffer nor size.
  EXPECT_EQ(RegQueryValueEx(key, u"v", nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
  // A buffer without a size, or a reserved pointer, is a parameter error.
  EXPECT_EQ(RegQueryValueEx(key, u"v", nullptr, nullptr, buf, nullptr), ERROR_INVALID_PARAMETER);
  DWORD reserved = 0;
  size = 4;
  EXPECT_EQ(RegQueryValueEx(key, u"v", &reserved, nullptr, buf, &size), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegQueryValueEx(key, u"missing", nullptr, nullptr, buf, &size), ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
}

TEST_F(RegistryApi, HandleLifeCycle) {
  HKEY key = Create(HKEY_LOCAL_MACHINE, u"\\K");
  HKEY second = nullptr;
  ASSERT_EQ(Open(HKEY_LOCAL_MACHINE, u"\\K", &second), ERROR_SUCCESS);
  EXPECT_NE(key, second);
  EXPECT_EQ(CurrentRegistry().OpenHandleCount(), 2u);

  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  BYTE buf[4];
  DWORD size = 4;
  EXPECT_EQ(RegQueryValueEx(key, u"v", nullptr, nullptr, buf, &size), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegSetValueEx(key, u"v", 0, REG_DWORD, buf, 4), ERROR_INVALID_HANDLE);
  HKEY sub = nullptr;
  EXPECT_EQ(Open(key, u"x", &sub), ERROR_INVALID_HANDLE);

  // A new handle never reuses a closed one.
  HKEY third = nullptr;
  ASSERT_EQ(Open(HKEY_LOCAL_MACHINE, u"\\K", &third), ERROR_SUCCESS);
  EXPECT_NE(third, key);
  EXPECT_EQ(RegCloseKey(third), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(second), ERROR_SUCCESS);
  EXPECT_EQ(CurrentRegistry().OpenHandleCount(), 0u);

  EXPECT_EQ(RegCloseKey(reinterpret_cast<HKEY>(std::uintptr_t{0x12345})), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(nullptr), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
  EXPECT_EQ(Open(HKEY_LOCAL_MACHINE, u"\\K", nullptr), ERROR_INVALID_PARAMETER);

  // Handles of a replaced registry are no longer valid.
  HKEY old = nullptr;
  ASSERT_EQ(Open(HKEY_LOCAL_MACHINE, u"\\K", &old), ERROR_SUCCESS);
  InstallRegistry(std::make_unique<Registry>());
  EXPECT_EQ(RegCloseKey(old), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryApi, DeleteKeyTakesItsSubkeysAndDeleteValueOneValue) {
  HKEY deep = Create(HKEY_LOCAL_MACHINE, u"A\\B\\C");
  Set(deep, u"v", REG_DWORD, Dword(1));
  HKEY a = Create(HKEY_LOCAL_MACHINE, u"A");
  Set(a, u"x", REG_DWORD, Dword(2));
  Set(a, u"y", REG_DWORD, Dword(3));

  EXPECT_EQ(RegDeleteKey(a, u"b"), ERROR_SUCCESS);  // relative to a key, any case
  DWORD size = 4;
  BYTE buf[4];
  EXPECT_EQ(RegQueryValueEx(deep, u"v", nullptr, nullptr, buf, &size), ERROR_KEY_DELETED);
  HKEY gone = nullptr;
  EXPECT_EQ(Open(HKEY_LOCAL_MACHINE, u"A\\B", &gone), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKey(HKEY_LOCAL_MACHINE, u"A\\B"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKey(HKEY_LOCAL_MACHINE, u""), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKey(HKEY_LOCAL_MACHINE, nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegDeleteKey(reinterpret_cast<HKEY>(0x7777), u"A"), ERROR_INVALID_HANDLE);

  EXPECT_EQ(RegDeleteValue(a, u"X"), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueEx(a, u"x", nullptr, nullptr, buf, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Get(a, u"y"), Dword(3));
  EXPECT_EQ(RegDeleteValue(a, u"x"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteValue(deep, u"v"), ERROR_KEY_DELETED);
  EXPECT_EQ(RegDeleteValue(reinterpret_cast<HKEY>(0x7777), u"y"), ERROR_INVALID_HANDLE);
  RegCloseKey(deep);
  RegCloseKey(a);
}

TEST_F(RegistryApi, OpenRelativeToAnOpenKeyAndRootItself) {
  HKEY gwe = Create(HKEY_LOCAL_MACHINE, u"\\System\\GWE\\Menu");
  RegCloseKey(gwe);
  HKEY system = nullptr;
  ASSERT_EQ(Open(HKEY_LOCAL_MACHINE, u"\\System", &system), ERROR_SUCCESS);
  HKEY menu = nullptr;
  ASSERT_EQ(Open(system, u"GWE\\Menu", &menu), ERROR_SUCCESS);
  Set(menu, u"Anitype", REG_DWORD, Dword(6));
  RegCloseKey(menu);
  HKEY same = nullptr;
  ASSERT_EQ(Open(system, nullptr, &same), ERROR_SUCCESS);
  EXPECT_NE(same, system);
  RegCloseKey(same);
  RegCloseKey(system);
  Set(HKEY_CURRENT_USER, u"atRoot", REG_DWORD, Dword(3));
  EXPECT_EQ(Get(HKEY_CURRENT_USER, u"atRoot"), Dword(3));
  EXPECT_NE(CurrentRegistry().Tree().Find(Root::LocalMachine, {u"System", u"GWE", u"Menu"}),
            nullptr);
}

TEST_F(RegistryApi, RefusesNamesAStoreFileCannotHold) {
  HKEY key = Create(HKEY_LOCAL_MACHINE, u"\\K");
  const BYTE one[4] = {1, 0, 0, 0};
  EXPECT_EQ(RegSetValueEx(key, u"line\nbreak", 0, REG_DWORD, one, 4), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegSetValueEx(key, u"v", 0, REG_DWORD, nullptr, 4), ERROR_INVALID_PARAMETER);
  HKEY bad = nullptr;
  EXPECT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, u"\\K\\a\rb", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                           &bad, nullptr),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, nullptr, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                           &bad, nullptr),
            ERROR_INVALID_PARAMETER);
  const RegKey* k = CurrentRegistry().Tree().Find(Root::LocalMachine, {u"K"});
  ASSERT_NE(k, nullptr);
  EXPECT_TRUE(k->Empty());
  RegCloseKey(key);
}

TEST_F(RegistryApi, ObserverSeesEveryCallWithRootPathAndResult) {
  std::vector<RegistryEvent> events;
  SetRegistryObserver([&](const RegistryEvent& e) { events.push_back(e); });

  HKEY key = nullptr;
  DWORD disposition = 0;
  RegCreateKeyEx(HKEY_LOCAL_MACHINE, u"\\Comm\\Redir", 0, nullptr, REG_OPTION_VOLATILE,
                 KEY_ALL_ACCESS, nullptr, &key, &disposition);
  const BYTE data[4] = {1, 0, 0, 0};
  RegSetValueEx(key, u"RegisterFSRoot", 0, REG_DWORD, data, 4);
  BYTE out[4];
  DWORD size = 4;
  RegQueryValueEx(key, u"RegisterFSRoot", nullptr, nullptr, out, &size);
  size = 4;
  RegQueryValueEx(key, u"missing", nullptr, nullptr, out, &size);
  RegCloseKey(key);
  HKEY none = nullptr;
  RegOpenKeyEx(HKEY_CURRENT_USER, u"\\Nope", 0, KEY_ALL_ACCESS, &none);

  ASSERT_EQ(events.size(), 6u);
  using Op = RegistryEvent::Op;
  EXPECT_EQ(events[0].op, Op::Create);
  EXPECT_EQ(events[0].options, REG_OPTION_VOLATILE);
  EXPECT_EQ(events[0].disposition, REG_CREATED_NEW_KEY);
  EXPECT_EQ(events[0].handle, key);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(events[i].root, HKEY_LOCAL_MACHINE) << i;
    EXPECT_EQ(events[i].key, u"\\Comm\\Redir") << i;
  }
  EXPECT_EQ(events[1].op, Op::Set);
  EXPECT_EQ(events[1].type, REG_DWORD);
  EXPECT_EQ(events[1].size, 4u);
  EXPECT_EQ(events[1].data, Dword(1));
  EXPECT_EQ(events[2].op, Op::Query);
  EXPECT_EQ(events[2].name, u"RegisterFSRoot");
  EXPECT_EQ(events[2].size, 4u);
  EXPECT_EQ(events[2].rc, ERROR_SUCCESS);
  EXPECT_EQ(events[2].data, Dword(1));
  EXPECT_EQ(events[3].rc, ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(events[3].data.empty());
  EXPECT_EQ(events[4].op, Op::Close);
  EXPECT_EQ(events[5].op, Op::Open);
  EXPECT_EQ(events[5].root, HKEY_CURRENT_USER);
  EXPECT_EQ(events[5].key, u"\\Nope");
  EXPECT_EQ(events[5].rc, ERROR_FILE_NOT_FOUND);

  // A memory-only registry saves nothing but still reports the flush.
  EXPECT_TRUE(FlushRegistry().ok());
  ASSERT_EQ(events.size(), 7u);
  EXPECT_EQ(events[6].op, Op::Flush);
  EXPECT_EQ(events[6].rc, ERROR_SUCCESS);
  EXPECT_FALSE(CurrentRegistry().HasUnsavedChanges());
}

}  // namespace
