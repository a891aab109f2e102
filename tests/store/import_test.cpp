#include "store/import.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/registry/registry.h"
#include "tests/support/files.h"

using namespace platform::registry;
using test::ReadBytes;
using test::TempDir;
using test::Text;
using test::WriteText;

namespace {

const std::string kHeader = "Windows Registry Editor Version 5.00\n\n";
// The store before each import, in the writer's own form.
const std::string kStoreBody =
    "[HKEY_LOCAL_MACHINE\\K]\n"
    "\"old\"=dword:00000001\n"
    "\"keep\"=dword:00000002\n\n"
    "[HKEY_LOCAL_MACHINE\\K\\Sub]\n"
    "\"s\"=dword:00000003\n\n";

struct ImportCase {
  std::string lines;                 // after the header and [HKEY_LOCAL_MACHINE\K] (line 4 on)
  std::string store;                 // the store after the import, below its header
  std::vector<std::size_t> skipped;  // the lines left out
};

class Import : public ::testing::TestWithParam<ImportCase> {
 protected:
  void TearDown() override { InstallRegistry(nullptr); }
};

// Each case is one of regedit's documented import results: what it imports,
// deletes and skips.
TEST_P(Import, MergesWhatRegeditImportsAndListsWhatItSkips) {
  const ImportCase& c = GetParam();
  TempDir dir;
  const std::string file = kHeader + "[HKEY_LOCAL_MACHINE\\K]\n" + c.lines;
  WriteText(dir.path() / "in.reg", file);
  WriteText(dir.path() / "store.reg", kHeader + kStoreBody);
  std::ostringstream diag;
  const store::ImportResult r =
      store::ImportRegistryFile(dir.path() / "in.reg", dir.path() / "store.reg", diag);
  ASSERT_EQ(r.outcome, store::ImportResult::Outcome::Imported) << r.error;
  EXPECT_EQ(Text(ReadBytes(dir.path() / "store.reg")), kHeader + c.store) << c.lines;
  std::vector<std::size_t> skipped;
  for (const SkippedLine& s : r.skipped) {
    skipped.push_back(s.line);
    const std::string listed = (dir.path() / "in.reg").string() + ":" + std::to_string(s.line) +
                               ": skipped: " + s.reason + "\n";
    EXPECT_NE(diag.str().find(listed), std::string::npos) << diag.str();
  }
  EXPECT_EQ(skipped, c.skipped) << c.lines << diag.str();
  EXPECT_EQ(Text(ReadBytes(dir.path() / "in.reg")), file);
  EXPECT_EQ(Text(ReadBytes(dir.path() / "store.reg.bak")), kHeader + kStoreBody);
}

INSTANTIATE_TEST_SUITE_P(Regedit, Import,
                         ::testing::Values(
                             // A '\' without a comma drops its line only; one after a comma whose
                             // next line is no hex data drops both lines.
                             ImportCase{"\"9a\"=hex(2):4c,00,69,00\n"
                                        "\"9b\"=\"Value 1\"\n"
                                        "\"9c\"=hex(2):4c,00\\\n"
                                        "\"9d\"=\"Value 2\"\n"
                                        "\"9e\"=hex(2):4c,00,\\\n"
                                        "\"9f\"=\"Value 3\"\n"
                                        "\"9g\"=\"Value 4\"\n",
                                        "[HKEY_LOCAL_MACHINE\\K]\n"
                                        "\"old\"=dword:00000001\n"
                                        "\"keep\"=dword:00000002\n"
                                        "\"9a\"=hex(2):4c,00,69,00,00,00\n"
                                        "\"9b\"=\"Value 1\"\n"
                                        "\"9d\"=\"Value 2\"\n"
                                        "\"9g\"=\"Value 4\"\n\n"
                                        "[HKEY_LOCAL_MACHINE\\K\\Sub]\n"
                                        "\"s\"=dword:00000003\n\n",
                                        {6, 8, 9}},
                             // Inside a continuation ; comments and blank lines are passed over,
                             // a # comment is no hex data.
                             ImportCase{"\"c\"=hex:01,\\\n;comment\n\"d\"=\"x\"\n"
                                        "\"e\"=hex:01,\\\n#comment\n\"f\"=\"x\"\n"
                                        "\"g\"=hex:01,\\\n\n\"h\"=\"x\"\n",
                                        "[HKEY_LOCAL_MACHINE\\K]\n"
                                        "\"old\"=dword:00000001\n"
                                        "\"keep\"=dword:00000002\n"
                                        "\"f\"=\"x\"\n\n"
                                        "[HKEY_LOCAL_MACHINE\\K\\Sub]\n"
                                        "\"s\"=dword:00000003\n\n",
                                        {4, 5, 6, 7, 8, 10, 11, 12}},
                             // Deletions: "=-" with blanks and a ; comment, a key with its subkeys;
                             // a value line after a deleted key has no key.
                             ImportCase{"\"old\"=  \t-\t  ;comment\n"
                                        "\"keep\"=-\"Test\"\n"
                                        "\"keep\"=- #comment\n"
                                        "\"none\"=-\n"
                                        "[-HKEY_LOCAL_MACHINE\\K\\Sub]\n"
                                        "\"after\"=dword:1\n",
                                        "[HKEY_LOCAL_MACHINE\\K]\n"
                                        "\"keep\"=dword:00000002\n\n",
                                        {5, 6, 9}},
                             // Comments after data: ; ends a line, # is text that does not read.
                             ImportCase{"\"3\"=\"Value 1\"#comment\n"
                                        "\"4\"=\"Value 2\";comment\n"
                                        "\"5\"=dword:01020304 #comment\n"
                                        "\"6\"=dword:02040608 ;comment\n"
                                        "\"7\"=hex(7):4c,00,\\\n"
                                        "  #comment\n"
                                        "  63,00\n"
                                        "\"8\"=\"valid\"\n",
                                        "[HKEY_LOCAL_MACHINE\\K]\n"
                                        "\"old\"=dword:00000001\n"
                                        "\"keep\"=dword:00000002\n"
                                        "\"4\"=\"Value 2\"\n"
                                        "\"6\"=dword:02040608\n"
                                        "\"8\"=\"valid\"\n\n"
                                        "[HKEY_LOCAL_MACHINE\\K\\Sub]\n"
                                        "\"s\"=dword:00000003\n\n",
                                        {4, 6, 8, 9, 10}},
                             // Key lines: one that does not read takes its values with it; a key
                             // line eaten by a broken continuation leaves the key before in use.
                             ImportCase{"[ HKEY_LOCAL_MACHINE\\K\\S1]\n"
                                        "\"a\"=dword:1\n"
                                        "[HKEY_CURRENT_USERS\\K]\n"
                                        "\"b\"=dword:1\n"
                                        "[HKEY_LOCAL_MACHINE\\K\\No_Closing\n"
                                        "HKEY_LOCAL_MACHINE\\K\\No_Opening]\n"
                                        "[hkey_local_MACHINE\\k\\sub]\n"
                                        "\"s\"=dword:4\n"
                                        "[HKEY_LOCAL_MACHINE\\K\\New]\n"
                                        "\"a\"=hex:01,\\\n"
                                        "[HKEY_LOCAL_MACHINE\\K\\Eaten]\n"
                                        "\"c\"=dword:5\n",
                                        "[HKEY_LOCAL_MACHINE\\K]\n"
                                        "\"old\"=dword:00000001\n"
                                        "\"keep\"=dword:00000002\n\n"
                                        "[HKEY_LOCAL_MACHINE\\K\\New]\n"
                                        "\"c\"=dword:00000005\n\n"
                                        "[HKEY_LOCAL_MACHINE\\K\\Sub]\n"
                                        "\"s\"=dword:00000004\n\n",
                                        {4, 5, 6, 7, 8, 9, 13, 14}},
                             // A trailing comma ends the data; the line after it does not read.
                             ImportCase{"\"a\"=hex:11,22,\\;c\n  33,44,\n  55,66\n",
                                        "[HKEY_LOCAL_MACHINE\\K]\n"
                                        "\"old\"=dword:00000001\n"
                                        "\"keep\"=dword:00000002\n"
                                        "\"a\"=hex:11,22,33,44\n\n"
                                        "[HKEY_LOCAL_MACHINE\\K\\Sub]\n"
                                        "\"s\"=dword:00000003\n\n",
                                        {6}}));

TEST(ImportFile, RefusesWhatIsNoRegistryFileAndLeavesTheStore) {
  TempDir dir;
  WriteText(dir.path() / "store.reg", kHeader + kStoreBody);
  WriteText(dir.path() / "regedit5.reg", "REGEDIT5\n\n[HKEY_LOCAL_MACHINE\\K]\n\"a\"=\"b\"\n");
  WriteText(dir.path() / "empty.reg", "");
  std::filesystem::create_directory(dir.path() / "folder.reg");
  struct Case {
    std::filesystem::path file;
    std::string fragment;
  };
  for (const Case& c : {Case{dir.path() / "regedit5.reg", "regedit5.reg:1: not a .reg file"},
                        Case{dir.path() / "empty.reg", "empty.reg:1: not a .reg file"},
                        Case{dir.path() / "missing.reg", "missing.reg: cannot read the file"},
                        Case{dir.path() / "folder.reg", "folder.reg: cannot import a folder"},
                        Case{dir.path() / "store.reg", "it is the registry file itself"}}) {
    std::ostringstream diag;
    const store::ImportResult r = store::ImportRegistryFile(c.file, dir.path() / "store.reg", diag);
    EXPECT_EQ(r.outcome, store::ImportResult::Outcome::NotARegistryFile) << c.file;
    EXPECT_NE(r.error.find(c.fragment), std::string::npos) << r.error;
    EXPECT_EQ(Text(ReadBytes(dir.path() / "store.reg")), kHeader + kStoreBody);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "store.reg.bak"));
  }
  InstallRegistry(nullptr);
}

TEST(ImportFile, AStoreThatCannotBeSavedFailsAndKeepsItsFile) {
  TempDir dir;
  WriteText(dir.path() / "store.reg", kHeader + kStoreBody);
  WriteText(dir.path() / "in.reg", kHeader + "[HKEY_LOCAL_MACHINE\\K]\n\"new\"=dword:9\n");
  // The lock cannot be taken on a folder.
  std::filesystem::create_directory(dir.path() / "store.reg.lock");
  std::ostringstream diag;
  const store::ImportResult r =
      store::ImportRegistryFile(dir.path() / "in.reg", dir.path() / "store.reg", diag);
  EXPECT_EQ(r.outcome, store::ImportResult::Outcome::StoreFailed);
  EXPECT_NE(r.error.find("cannot save"), std::string::npos) << r.error;
  EXPECT_EQ(Text(ReadBytes(dir.path() / "store.reg")), kHeader + kStoreBody);
  InstallRegistry(nullptr);
}

}  // namespace

namespace {

// 8-bit REGEDIT4 files come in through their code page, given or detected;
// their 8-bit hex(2) text arrives as UTF-16 with the terminator regedit adds.
TEST(ImportFile, EightBitFilesArriveInTheirCodePage) {
  TempDir dir;
  WriteText(dir.path() / "store.reg", kHeader + kStoreBody);
  // "ポケット" in Shift_JIS, and hex(2) text "%A%" without terminator.
  WriteText(dir.path() / "in.reg",
            "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Ident]\r\n\"Name\"=\"\x83\x7c\x83\x50\x83\x62\x83"
            "\x67\"\r\n\"Path\"=hex(2):25,41,25\r\n");
  std::ostringstream diag;
  const store::ImportResult r = store::ImportRegistryFile(
      dir.path() / "in.reg", dir.path() / "store.reg", diag, nullptr, 932);
  ASSERT_EQ(r.outcome, store::ImportResult::Outcome::Imported) << r.error << diag.str();
  EXPECT_NE(diag.str().find("in.reg (Shift_JIS (code page 932"), std::string::npos) << diag.str();
  const std::string saved = Text(ReadBytes(dir.path() / "store.reg"));
  EXPECT_NE(saved.find("\"Name\"=\"ポケット\""), std::string::npos) << saved;
  EXPECT_NE(saved.find("\"Path\"=hex(2):25,00,41,00,25,00,00,00"), std::string::npos) << saved;
  InstallRegistry(nullptr);
}

}  // namespace
