// The provisioning export read back by independent readers: the document by
// an XML parser, the cabinet by cabextract and by its header fields.
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <ctime>
#include <functional>
#include <pugixml.hpp>
#include <set>

#include "export/provisioning.h"
#include "platform/registry/registry.h"
#include "store/keys.h"
#include "tests/support/files.h"

namespace {

namespace fs = std::filesystem;
namespace keys = store::keys;
using namespace platform::registry;
using test::Dword;
using test::ReadBytes;
using test::Sz;
using test::TempDir;
using test::Text;
using test::Utf16;
using test::WriteText;

struct Parm {
  std::string key;
  std::string name;
  std::string value;
  std::string datatype;
  friend bool operator==(const Parm&, const Parm&) = default;
  friend std::ostream& operator<<(std::ostream& os, const Parm& p) {
    return os << p.key << " " << p.name << "=\"" << p.value << "\" (" << p.datatype << ")";
  }
};

// The parms of a document in document order; the layout is checked on the way.
std::vector<Parm> ReadBack(const std::string& xml) {
  pugi::xml_document doc;
  const pugi::xml_parse_result parsed =
      doc.load_buffer(xml.data(), xml.size(), pugi::parse_default, pugi::encoding_utf8);
  EXPECT_TRUE(parsed) << parsed.description();
  const pugi::xml_node root = doc.document_element();
  EXPECT_STREQ(root.name(), "wap-provisioningdoc");
  std::vector<Parm> parms;
  std::set<std::string> keysSeen;
  int registries = 0;
  for (pugi::xml_node registry : root.children()) {
    ++registries;
    EXPECT_STREQ(registry.name(), "characteristic");
    EXPECT_STREQ(registry.attribute("type").value(), "Registry");
    for (pugi::xml_node key : registry.children()) {
      EXPECT_STREQ(key.name(), "characteristic");
      const std::string path = key.attribute("type").value();
      EXPECT_TRUE(keysSeen.insert(path).second) << "a second characteristic for " << path;
      EXPECT_NE(key.first_child(), pugi::xml_node()) << "an empty characteristic " << path;
      for (pugi::xml_node parm : key.children()) {
        EXPECT_STREQ(parm.name(), "parm");
        EXPECT_EQ(std::distance(parm.attributes_begin(), parm.attributes_end()), 3);
        parms.push_back({path, parm.attribute("name").value(), parm.attribute("value").value(),
                         parm.attribute("datatype").value()});
      }
    }
  }
  EXPECT_EQ(registries, 1);
  return parms;
}

struct Output {
  int status = -1;
  std::string text;
};

Output RunCommand(const std::string& command) {
  Output out;
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return out;
  std::array<char, 4096> buffer{};
  while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) {
    out.text.append(buffer.data(), n);
  }
  const int status = ::pclose(pipe);
  out.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return out;
}

std::uint32_t Le(const std::vector<BYTE>& b, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= std::uint32_t{b.at(at + i)} << (8 * i);
  return v;
}

class Provisioning : public ::testing::Test {
 protected:
  void TearDown() override { InstallRegistry(nullptr); }

  void Put(Root root, std::u16string_view key, std::u16string_view name, DWORD type,
           std::vector<BYTE> data) {
    tree_.Create(root, SplitKeyPath(key)).SetValue(name, type, std::move(data));
  }
  void Install() { InstallRegistry(std::make_unique<Registry>(tree_)); }

  // A store with every kind of value the pages write, some of them stored
  // with another type or size, some missing.
  void FillEveryKind() {
    const auto lm = Root::LocalMachine;
    const auto cu = Root::CurrentUser;
    Put(lm, keys::kAppInstaller, u"fAskDest", REG_DWORD, Dword(0));
    Put(lm, keys::kAppInstaller, u"nDynamicDelete", REG_DWORD, Dword(1));
    Put(lm, keys::kAppInstaller, u"fAskOptions", REG_DWORD, Dword(0x7FFFFFFF));
    // No BIOS key: CPUPriority is left out.
    Put(lm, keys::kGwe, u"Animate", REG_DWORD, Dword(0x80000000));
    Put(lm, keys::kGwe, u"cxVScr", REG_DWORD, Dword(0xFFFFFFFF));
    Put(lm, keys::kGwe, u"cyVScr", REG_BINARY, {0x0D, 0, 0});
    Put(lm, keys::kGwe, u"cyHScr", REG_SZ, Sz(u"13"));
    Put(lm, keys::kGwe, u"NotASetting", REG_DWORD, Dword(9));      // cxHScr missing
    Put(cu, keys::kSip, u"AllowChange", REG_DWORD, {0x05, 0x01});  // a 2-byte DWORD
    for (int i = 0; i < 12; ++i) {
      const std::string name = std::to_string(i);
      Put(cu, keys::kTaskSwitch, std::u16string(name.begin(), name.end()), REG_SZ, {});
    }
    Put(cu, keys::kInternetSettings, u"MaxConnectionsPer1_0Server", REG_DWORD, Dword(4));
    Put(lm, keys::kPlannerSettings, u"CacheTime", REG_DWORD, Dword(600));
    Put(lm, keys::kRedir, u"RegisterFSRoot", REG_DWORD, {1, 0, 0, 0, 0, 0, 0, 0});
    Put(lm, keys::kWifi, u"ScanInterval", REG_MULTI_SZ, Utf16(std::u16string_view(u"a\0\0", 3)));
    std::vector<BYTE> name = Sz(u"A&B<C\"D 端末\t");  // the text ends at its first NUL
    for (BYTE b : Sz(u"after the terminator")) name.push_back(b);
    Put(lm, keys::kIdent, u"Name", REG_SZ, name);
    Put(lm, keys::kCalendar, u"ShowLunarCalendar", REG_DWORD, Dword(1));
    Put(cu, keys::kImeJp, u"option3", REG_EXPAND_SZ, Sz(u"1"));
    Put(lm, keys::kShell, u"NoClearType", REG_DWORD, Dword(0));
    Put(lm, keys::kShell, u"TBOpt", REG_DWORD, Dword(3));
    // No HKLM Internet Settings key; the menu key spelt in other case.
    Put(lm, u"\\SYSTEM\\gwe\\menu", u"ANITYPE", REG_DWORD, Dword(6));
  }

  TempDir dir_;
  RegTree tree_;
};

TEST_F(Provisioning, TheDocumentHoldsEveryValueAsTheStoreHoldsIt) {
  FillEveryKind();
  Install();
  std::string error;
  std::size_t count = 0;
  ASSERT_TRUE(provisioning::ExportSettings(dir_ / "settings.xml", error, &count)) << error;
  const std::string xml = Text(ReadBytes(dir_ / "settings.xml"));

  const std::string installer = R"(HKLM\Software\Apps\Microsoft Application Installer)";
  const std::string gwe = R"(HKLM\System\GWE)";
  const std::string tasks = R"(HKCU\Software\Microsoft\Shell\TaskSwitch)";
  std::vector<Parm> expected = {
      {installer, "fAskDest", "0", "integer"},
      {installer, "nDynamicDelete", "1", "integer"},
      {installer, "fAskOptions", "2147483647", "integer"},
      // The set-5 values of this key join its characteristic from set 1.
      {gwe, "Animate", "-2147483648", "integer"},
      {gwe, "cxVScr", "-1", "integer"},
      {gwe, "cyVScr", "DQAA", "binary"},
      {gwe, "cyHScr", "13", "string"},
      {R"(HKCU\ControlPanel\Sip)", "AllowChange", "261", "integer"},
  };
  for (int i = 0; i < 12; ++i) expected.push_back({tasks, std::to_string(i), "", "string"});
  const std::vector<Parm> rest = {
      {R"(HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings)",
       "MaxConnectionsPer1_0Server", "4", "integer"},
      {R"(HKLM\Comm\ConnMgr\Planner\Settings)", "CacheTime", "600", "integer"},
      {R"(HKLM\Comm\Redir)", "RegisterFSRoot", "AQAAAAAAAAA=", "binary"},
      {R"(HKLM\ControlPanel\WiFi)", "ScanInterval", "YQAAAAAA", "binary"},
      {R"(HKLM\Ident)", "Name", "A&B<C\"D 端末\t", "string"},
      {R"(HKLM\Software\Microsoft\Calendar)", "ShowLunarCalendar", "1", "integer"},
      {R"(HKCU\Software\Microsoft\IMEJP\3.1\MSIME)", "option3", "MQAAAA==", "binary"},
      {R"(HKLM\Software\Microsoft\Shell)", "NoClearType", "0", "integer"},
      {R"(HKLM\Software\Microsoft\Shell)", "TBOpt", "3", "integer"},
      {R"(HKLM\System\GWE\Menu)", "Anitype", "6", "integer"},
  };
  expected.insert(expected.end(), rest.begin(), rest.end());
  EXPECT_EQ(ReadBack(xml), expected);
  EXPECT_EQ(count, expected.size());

  // UTF-8 without byte-order mark, declaration or DOCTYPE; texts escaped.
  EXPECT_EQ(xml.rfind("<wap-provisioningdoc>", 0), 0u) << xml.substr(0, 40);
  EXPECT_EQ(xml.find("DOCTYPE"), std::string::npos);
  EXPECT_NE(xml.find(R"(value="A&amp;B&lt;C&quot;D 端末&#09;")"), std::string::npos) << xml;
}

TEST_F(Provisioning, TextsThatXmlCannotCarryAreRefusedAndNothingIsReplaced) {
  const std::u16string_view texts[] = {u"bell\x07", std::u16string_view(u"half \xD800 pair"),
                                       u"not \xFFFF a character",
                                       std::u16string_view(u"\xDC00", 1)};
  for (std::u16string_view text : texts) {
    Put(Root::LocalMachine, keys::kIdent, u"Name", REG_SZ, Utf16(text));
    Install();
    WriteText(dir_ / "settings.xml", "an earlier export");
    std::string error;
    EXPECT_FALSE(provisioning::ExportSettings(dir_ / "settings.xml", error));
    EXPECT_NE(error.find(R"(HKLM\Ident\Name holds a character that a provisioning document )"
                         "cannot carry"),
              std::string::npos)
        << error;
    EXPECT_EQ(Text(ReadBytes(dir_ / "settings.xml")), "an earlier export");
  }
}

TEST_F(Provisioning, TheCabinetHoldsExactlyTheDocumentUncompressed) {
  FillEveryKind();
  Install();
  std::string error;
  ASSERT_TRUE(provisioning::ExportSettings(dir_ / "settings.xml", error)) << error;
  ASSERT_TRUE(provisioning::ExportSettings(dir_ / "Settings.CAB", error)) << error;

  const Output listing = RunCommand("cabextract -l '" + (dir_ / "Settings.CAB").string() + "'");
  ASSERT_EQ(listing.status, 0) << listing.text;
  EXPECT_NE(listing.text.find("| _setup.xml\n"), std::string::npos) << listing.text;
  EXPECT_NE(listing.text.find("All done, no errors."), std::string::npos) << listing.text;
  const Output extract = RunCommand("cabextract -q -d '" + (dir_ / "out").string() + "' '" +
                                    (dir_ / "Settings.CAB").string() + "'");
  ASSERT_EQ(extract.status, 0) << extract.text;
  std::vector<std::string> files;
  for (const auto& entry : fs::directory_iterator(dir_ / "out")) {
    files.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(files, std::vector<std::string>{"_setup.xml"});
  EXPECT_EQ(ReadBytes(dir_ / "out" / "_setup.xml"), ReadBytes(dir_ / "settings.xml"));

  // The header's fields: one folder stored without compression, one file
  // with the archive attribute.
  const std::vector<BYTE> cab = ReadBytes(dir_ / "Settings.CAB");
  ASSERT_GE(cab.size(), 60u);
  EXPECT_EQ(Text({cab.begin(), cab.begin() + 4}), "MSCF");
  EXPECT_EQ(Le(cab, 26, 2), 1u);      // folders
  EXPECT_EQ(Le(cab, 28, 2), 1u);      // files
  EXPECT_EQ(Le(cab, 30, 2), 0u);      // no reserved areas: the folder follows the header
  EXPECT_EQ(Le(cab, 36 + 6, 2), 0u);  // typeCompress: none
  const std::uint32_t file = Le(cab, 16, 4);
  EXPECT_EQ(Le(cab, file + 14, 2), 0x20u);  // attribs: archive
}

TEST_F(Provisioning, TheCabinetsFileCarriesTheGivenLocalTime) {
  std::tm local{};
  local.tm_year = 2024 - 1900;
  local.tm_mon = 2;
  local.tm_mday = 5;
  local.tm_hour = 6;
  local.tm_min = 7;
  local.tm_sec = 8;
  local.tm_isdst = -1;
  std::vector<BYTE> cab;
  std::string error;
  ASSERT_TRUE(provisioning::BuildCabinet("<wap-provisioningdoc/>", std::mktime(&local), cab, error))
      << error;
  test::WriteBytes(dir_ / "dated.cab", cab);
  const Output listing = RunCommand("cabextract -l '" + (dir_ / "dated.cab").string() + "'");
  EXPECT_NE(listing.text.find("05.03.2024 06:07:08 | _setup.xml"), std::string::npos)
      << listing.text;
}

// Places that cannot take the export: a clear error, no file left behind, the
// store as it was.
TEST_F(Provisioning, BadDestinationsAreRefusedAndLeaveNothing) {
  const fs::path store = dir_ / "store.xml";  // a store that looks like an export
  WriteText(store, "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Ident]\n");
  WriteText(dir_ / "plain", "a file");
  fs::create_directory(dir_ / "folder.cab");
  fs::create_directory(dir_ / "locked");
  fs::permissions(dir_ / "locked", fs::perms::owner_read | fs::perms::owner_exec);
  const std::string storeBefore = Text(ReadBytes(store));
  std::unique_ptr<Registry> opened;
  const platform::Status status = Registry::OpenFile(store, opened);
  ASSERT_TRUE(status.ok()) << status.message();
  InstallRegistry(std::move(opened));

  struct Case {
    fs::path path;
    std::string expected;
    bool needsPermissions = false;
  };
  const Case cases[] = {
      {dir_ / "missing" / "s.cab", "the folder " + (dir_ / "missing").string() + " does not exist"},
      {dir_ / "plain" / "s.cab", (dir_ / "plain").string() + " is not a folder"},
      {dir_ / "folder.cab", "it is a folder"},
      {dir_ / "settings.txt", "the file name must end in .cab or .xml"},
      {dir_ / "settings", "the file name must end in .cab or .xml"},
      {dir_ / "." / "store.xml", "it is the registry file"},
      {dir_ / "locked" / "s.cab", "cannot create a temporary file in", true},
  };
  const auto listing = [&] {
    std::set<fs::path> all;
    for (const auto& e : fs::recursive_directory_iterator(dir_.path())) all.insert(e.path());
    return all;
  };
  const std::set<fs::path> before = listing();
  for (const Case& c : cases) {
    if (c.needsPermissions && ::geteuid() == 0) continue;  // root writes anyway
    std::string error;
    EXPECT_FALSE(provisioning::ExportSettings(c.path, error)) << c.path;
    EXPECT_EQ(error.rfind("cannot export the settings to " + c.path.string() + ": ", 0), 0u)
        << error;
    EXPECT_NE(error.find(c.expected), std::string::npos) << error;
    EXPECT_EQ(listing(), before) << c.path;
  }
  EXPECT_EQ(Text(ReadBytes(store)), storeBefore);
}

// The export describes what is saved: a change the store could not save yet
// is refused; once saved it is exported.
TEST_F(Provisioning, OnlyWhatIsSavedIsExported) {
  const fs::path store = dir_ / "device.reg";
  WriteText(store, "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Ident]\n");
  std::unique_ptr<Registry> opened;
  ASSERT_TRUE(Registry::OpenFile(store, opened).ok());
  InstallRegistry(std::move(opened));
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, u"\\Ident", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  const std::vector<BYTE> name = Utf16(u"PPC");
  ASSERT_EQ(RegSetValueEx(key, u"Name", 0, REG_SZ, name.data(), 6), ERROR_SUCCESS);
  RegCloseKey(key);
  std::string error;

  EXPECT_FALSE(provisioning::ExportSettings(dir_ / "settings.xml", error));
  EXPECT_NE(error.find("the registry holds changes that are not saved"), std::string::npos)
      << error;
  EXPECT_FALSE(fs::exists(dir_ / "settings.xml"));

  ASSERT_TRUE(FlushRegistry().ok());
  ASSERT_TRUE(provisioning::ExportSettings(dir_ / "settings.xml", error)) << error;
  EXPECT_EQ(ReadBack(Text(ReadBytes(dir_ / "settings.xml"))),
            (std::vector<Parm>{{R"(HKLM\Ident)", "Name", "PPC", "string"}}));

  // Another program saves the store meanwhile: the export shows its value.
  WriteText(store,
            "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Ident]\n"
            "\"Name\"=\"Other device\"\n");
  ASSERT_TRUE(provisioning::ExportSettings(dir_ / "settings.xml", error)) << error;
  EXPECT_EQ(ReadBack(Text(ReadBytes(dir_ / "settings.xml"))),
            (std::vector<Parm>{{R"(HKLM\Ident)", "Name", "Other device", "string"}}));
}

}  // namespace
