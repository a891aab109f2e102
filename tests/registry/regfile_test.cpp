#include "platform/registry/regfile.h"
#include "platform/text/text.h"

#include <gtest/gtest.h>

#include <random>

#include <sstream>

#include "platform/registry/winreg.h"
#include "platform/text/codepage.h"
#include "tests/support/files.h"

using namespace platform::registry;
using test::Bytes;
using test::Dword;
using test::Sz;
using test::Text;
using test::Utf16;

namespace {

const std::string kHead = "Windows Registry Editor Version 5.00\n\n";

ParsedRegFile MustParse(const std::vector<BYTE>& bytes) {
  ParsedRegFile parsed;
  EXPECT_EQ(ParseRegFile(bytes, "t.reg", parsed), platform::Status());
  return parsed;
}

// Parses a file that must be refused; the refusal must be a Corrupt status
// "t.reg:LINE: ...".
platform::Status Refused(const std::vector<BYTE>& bytes) {
  ParsedRegFile parsed;
  platform::Status status = ParseRegFile(bytes, "t.reg", parsed);
  EXPECT_EQ(status.code(), platform::Status::Code::Corrupt) << status;
  EXPECT_EQ(parsed.tree, RegTree{});
  return status;
}

ParsedRegFile MustParse(const std::string& text) {
  return MustParse(Bytes(text));
}

const RegValue* Value(const ParsedRegFile& f, std::u16string_view key, std::u16string_view name) {
  const RegKey* k = f.tree.Find(Root::LocalMachine, SplitKeyPath(key));
  return k ? k->FindValue(name) : nullptr;
}

std::vector<BYTE> WriteOrFail(const RegTree& tree, const RegFileFormat& format = {},
                              RegTextCache* cache = nullptr) {
  std::vector<BYTE> out;
  EXPECT_EQ(WriteRegFile(tree, format, out, cache), platform::Status());
  return out;
}

std::u16string Utf16Text(const std::vector<BYTE>& bytes) {
  std::u16string s;
  for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
    s.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
  }
  return s;
}

// ---------------------------------------------------------------- reading

struct DataCase {
  const char* line;  // the value line under [HKEY_LOCAL_MACHINE\K]
  std::u16string name;
  DWORD type;
  std::vector<BYTE> data;
};

class ReadData : public ::testing::TestWithParam<DataCase> {};

// The value line (or lines), and the line after it still reads.
TEST_P(ReadData, ValueLineGivesTypeAndExactBytes) {
  const DataCase& c = GetParam();
  ParsedRegFile f = MustParse(kHead + "[HKEY_LOCAL_MACHINE\\K]\n" + c.line + "\n\"z\"=dword:7\n");
  const RegValue* v = Value(f, u"K", c.name);
  ASSERT_NE(v, nullptr) << c.line;
  EXPECT_EQ(v->type, c.type) << c.line;
  EXPECT_EQ(v->data, c.data) << c.line;
  ASSERT_NE(Value(f, u"K", u"z"), nullptr) << c.line;
  EXPECT_EQ(Value(f, u"K", u"z")->data, Dword(7)) << c.line;
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ReadData,
    ::testing::Values(
        DataCase{"\"a\"=\"x\"", u"a", REG_SZ, Sz(u"x")},
        DataCase{"\"a\"=\"\"", u"a", REG_SZ, {0, 0}},
        DataCase{"@=\"default\"", u"", REG_SZ, Sz(u"default")},
        DataCase{"\"q\\\"t\"=\"a\\\\b\"", u"q\"t", REG_SZ, Sz(u"a\\b")},
        DataCase{"\"a\"=\"C:\\path\"", u"a", REG_SZ, Sz(u"C:\\path")},
        DataCase{"\"a\"=\"semi;colon\" ; comment", u"a", REG_SZ, Sz(u"semi;colon")},
        DataCase{"\"名前\"=\"ﾃｽﾄ値\"", u"名前", REG_SZ, Sz(u"ﾃｽﾄ値")},
        DataCase{"\"a\"=dword:1", u"a", REG_DWORD, Dword(1)},
        DataCase{"\"a\"=dword:FFFFFFFF", u"a", REG_DWORD, Dword(0xFFFFFFFF)},
        DataCase{"\"a\"=DWORD:0000002a", u"a", REG_DWORD, Dword(42)},
        DataCase{"  \"a\" = dword:5   ; five", u"a", REG_DWORD, Dword(5)},
        DataCase{"\"a\"=hex:", u"a", REG_BINARY, {}},
        DataCase{"\"a\"=hex:de,AD,be,ef", u"a", REG_BINARY, {0xDE, 0xAD, 0xBE, 0xEF}},
        DataCase{"\"a\"=hex:01, 02 ,03", u"a", REG_BINARY, {1, 2, 3}},
        DataCase{"\"a\"=hex(4):01,02", u"a", REG_DWORD, {1, 2}},
        DataCase{"\"a\"=hex(4):2a,00,00,00", u"a", REG_DWORD, Dword(42)},
        DataCase{
            "\"a\"=hex(b):01,00,00,00,00,00,00,80", u"a", REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0x80}},
        DataCase{"\"a\"=hex(1):41,00", u"a", REG_SZ, {0x41, 0}},
        DataCase{"\"a\"=hex(1):", u"a", REG_SZ, {}}, DataCase{"\"a\"=hex(0):", u"a", REG_NONE, {}},
        DataCase{"\"a\"=HEX(7):61,00,00,00,00,00", u"a", REG_MULTI_SZ, {0x61, 0, 0, 0, 0, 0}},
        DataCase{"\"a\"=hex(20000):ff", u"a", 0x20000, {0xFF}},
        DataCase{"\"a\"=hex:01,02,", u"a", REG_BINARY, {1, 2}},
        // What regedit imports in full (Wine's conformance tests record it).
        DataCase{"\"a\"=dword:  00000008", u"a", REG_DWORD, Dword(8)},
        DataCase{"\"a\"=dword:\t\t8", u"a", REG_DWORD, Dword(8)},
        DataCase{"\t@\t=\tdword:\t00000008\t", u"", REG_DWORD, Dword(8)},
        DataCase{"\"a\"=dword:1234;5678", u"a", REG_DWORD, Dword(0x1234)},
        DataCase{"\"a\"=\"Value 2\";comment", u"a", REG_SZ, Sz(u"Value 2")},
        DataCase{"\"a\"=\"#x\"", u"a", REG_SZ, Sz(u"#x")},
        // Hex data over several lines.
        DataCase{"\"a\"=hex:01,02,\\\n   03,04,\\\n; a comment inside the data\n\t05",
                 u"a",
                 REG_BINARY,
                 {1, 2, 3, 4, 5}},
        DataCase{"\"a\"=hex:11,  \\  ;comment\n22", u"a", REG_BINARY, {0x11, 0x22}},
        DataCase{"\"a\"=hex:11,\t\\\n22", u"a", REG_BINARY, {0x11, 0x22}},
        DataCase{"\"a\"=hex:11,22,\\;comment\n  33,\\\n  44",
                 u"a",
                 REG_BINARY,
                 {0x11, 0x22, 0x33, 0x44}},
        DataCase{"\"a\"=hex:11,\\;#comment\n  22", u"a", REG_BINARY, {0x11, 0x22}},
        DataCase{"\"a\"=hex:11,22,\\;comment\n  33,;comment", u"a", REG_BINARY, {0x11, 0x22, 0x33}},
        DataCase{
            "\"a\"=hex:11,\\\n\n \t\n\t\n  22,\\\n\n\n  33", u"a", REG_BINARY, {0x11, 0x22, 0x33}},
        DataCase{"\"a\"=hex:11,\\\n  ;comment\n  22", u"a", REG_BINARY, {0x11, 0x22}},
        DataCase{"\"a\"=hex(2):\\\n  25,00,48,00,25,00,00,00", u"a", REG_EXPAND_SZ, Sz(u"%H%")},
        DataCase{"\"a\"=hex(7):4c,00,\\\n  69,00", u"a", REG_MULTI_SZ, Sz(u"Li")},
        DataCase{"\"a\"=hex(100):25,50,41,\\;c\n  54,48,\\\n  25,00",
                 u"a",
                 0x100,
                 {0x25, 0x50, 0x41, 0x54, 0x48, 0x25, 0}},
        // UTF-16 REG_EXPAND_SZ and REG_MULTI_SZ data gets the NUL it lacks.
        DataCase{"\"a\"=hex(2):25,00,50,00", u"a", REG_EXPAND_SZ, Sz(u"%P")},
        DataCase{"\"a\"=hex(2):25,00,50,00,", u"a", REG_EXPAND_SZ, Sz(u"%P")},
        DataCase{"\"a\"=hex(2):25,00,50,00,00,00", u"a", REG_EXPAND_SZ, Sz(u"%P")},
        DataCase{"\"a\"=hex(7):4c,00,69,00", u"a", REG_MULTI_SZ, Sz(u"Li")},
        DataCase{"\"a\"=hex(7):4c,00,00,00,00,00", u"a", REG_MULTI_SZ, {0x4c, 0, 0, 0, 0, 0}},
        DataCase{"\"a\"=hex(2):41", u"a", REG_EXPAND_SZ, {0x41}},
        DataCase{"\"a\"=hex(2):", u"a", REG_EXPAND_SZ, {}},
        DataCase{"\"a\"=hex(0):56,00", u"a", REG_NONE, {0x56, 0}},
        DataCase{"\"a\"=hex(1):56,00", u"a", REG_SZ, {0x56, 0}}));

// A continuation at the end of the file ends the data there, also after
// blank and comment lines.
TEST(RegFileRead, HexDataEndsAtTheEndOfTheFile) {
  struct Case {
    const char* tail;
    DWORD type;
    std::vector<BYTE> data;
  };
  for (const Case& c :
       {Case{"\"a\"=hex:01,\\", REG_BINARY, {1}}, Case{"\"a\"=hex:01,\\\n", REG_BINARY, {1}},
        Case{"\"a\"=hex:01,\\\n\n  \n;c\n", REG_BINARY, {1}},
        Case{"\"a\"=hex(2):\\", REG_EXPAND_SZ, {}},
        Case{"\"a\"=hex(2):25,00,50,00,\\", REG_EXPAND_SZ, Sz(u"%P")}}) {
    ParsedRegFile f = MustParse(kHead + "[HKEY_LOCAL_MACHINE\\K]\n" + c.tail);
    ASSERT_NE(Value(f, u"K", u"a"), nullptr) << c.tail;
    EXPECT_EQ(Value(f, u"K", u"a")->type, c.type) << c.tail;
    EXPECT_EQ(Value(f, u"K", u"a")->data, c.data) << c.tail;
  }
}

// Files as devices and regedit write them load whole, with regedit's values.
TEST(RegFileRead, DeviceFilesLoadWithRegeditsValues) {
  const std::filesystem::path data = REGILLA_TEST_DATA;
  ParsedRegFile ce = MustParse(test::ReadBytes(data / "ce-device-dump.reg"));
  EXPECT_EQ(ce.format, (RegFileFormat{TextEncoding::Utf8, LineEnding::CrLf, RegHeader::Version5}));
  const RegKey* profiles =
      ce.tree.Find(Root::LocalMachine, {u"System", u"StorageManager", u"Profiles"});
  ASSERT_NE(profiles, nullptr);
  EXPECT_EQ(profiles->Values().size(), 147u);
  for (const RegValue& v : profiles->Values()) {
    EXPECT_EQ(v.type, REG_EXPAND_SZ);
    ASSERT_GE(v.data.size(), 2u);
    EXPECT_EQ(v.data[v.data.size() - 2] | v.data.back(),
              0);  // terminated, also where the file is not
  }
  EXPECT_EQ(profiles->FindValue(u"Folder000")->data, Sz(u"\\Storage Card 0\\"));
  EXPECT_EQ(profiles->FindValue(u"Folder013")->data,
            Sz(u"\\Storage Card 13\\" + std::u16string(13, u'x')));
  const RegKey* owner = ce.tree.Find(Root::CurrentUser, {u"ControlPanel", u"Owner"});
  ASSERT_NE(owner, nullptr);
  EXPECT_EQ(owner->FindValue(u"Owner")->data.size(), 67u);  // ends in ",\" on the last line

  ParsedRegFile wm = MustParse(test::ReadBytes(data / "utf16-device-export.reg"));
  EXPECT_EQ(wm.format,
            (RegFileFormat{TextEncoding::Utf16Le, LineEnding::CrLf, RegHeader::Version5}));
  EXPECT_EQ(Value(wm, u"Ident", u"Name")->data, Sz(u"ポケット端末"));
  EXPECT_EQ(Value(wm, u"System\\GWE", u"cxVScr")->data, Dword(13));
  EXPECT_EQ(Value(wm, u"Software\\Microsoft\\Shell", u"StartMenu")->data,
            Sz(u"\\Windows\\スタート メニュー"));
  std::vector<BYTE> paths = Sz(u"\\Windows");
  const std::vector<BYTE> card = Sz(u"\\Storage Card");
  paths.insert(paths.end(), card.begin(), card.end());
  EXPECT_EQ(Value(wm, u"Software\\Microsoft\\Shell", u"Paths")->data, paths);
  const RegKey* wmOwner = wm.tree.Find(Root::CurrentUser, {u"ControlPanel", u"Owner"});
  ASSERT_NE(wmOwner, nullptr);
  EXPECT_EQ(wmOwner->FindValue(u"Notes")->data, (std::vector<BYTE>{1, 2, 3, 4}));
}

TEST(RegFileRead, HashLinesAreComments) {
  ParsedRegFile f = MustParse(kHead +
                              "#comment\\\n"
                              "[HKEY_LOCAL_MACHINE\\K]\n"
                              "    #\"c\"=\"x\"\n"
                              "\"a\"=\"1\"\n"
                              ";comment\\\n"
                              "\"b\"=\"2\"\n");
  const RegKey* k = f.tree.Find(Root::LocalMachine, {u"K"});
  ASSERT_NE(k, nullptr);
  ASSERT_EQ(k->Values().size(), 2u);
  EXPECT_EQ(k->Values()[0].data, Sz(u"1"));
  EXPECT_EQ(k->Values()[1].data, Sz(u"2"));
}

TEST(RegFileRead, KeySectionsRootsAndDeletions) {
  ParsedRegFile f = MustParse(kHead +
                              "; comment line\n"
                              "[HKEY_LOCAL_MACHINE\\A\\B]\n"
                              "\"v\"=dword:1\n"
                              "[hklm\\A\\C]\n"
                              "\"w\"=dword:2\n"
                              "\"x\"=dword:3\n"
                              "[HKCU\\U]\n"
                              "[hkey_current_user\\U\\V]\n"
                              "[-HKEY_LOCAL_MACHINE\\A\\B]\n"
                              "[HKEY_LOCAL_MACHINE\\A\\C]\n"
                              "\"w\"=-\n"
                              "[HKEY_LOCAL_MACHINE\\Trail ]\n"
                              "[HKEY_LOCAL_MACHINE\\Br]ack]et]] ignored\n"
                              "[HKEY_LOCAL_MACHINE\\\\Double\\\\Slash\\]\n");
  EXPECT_EQ(f.tree.Find(Root::LocalMachine, {u"A", u"B"}), nullptr);
  const RegKey* c = f.tree.Find(Root::LocalMachine, {u"A", u"C"});
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->FindValue(u"w"), nullptr);
  ASSERT_NE(c->FindValue(u"x"), nullptr);
  EXPECT_NE(f.tree.Find(Root::CurrentUser, {u"U", u"V"}), nullptr);
  EXPECT_NE(f.tree.Find(Root::LocalMachine, {u"Trail "}), nullptr);
  EXPECT_EQ(f.tree.Find(Root::LocalMachine, {u"Trail"}), nullptr);
  EXPECT_NE(f.tree.Find(Root::LocalMachine, {u"Br]ack]et]"}), nullptr);
  EXPECT_NE(f.tree.Find(Root::LocalMachine, {u"Double", u"Slash"}), nullptr);
}

TEST(RegFileRead, RepeatedValueKeepsPlaceAndTakesLastData) {
  ParsedRegFile f = MustParse(kHead +
                              "[HKEY_LOCAL_MACHINE\\K]\n\"a\"=dword:1\n\"b\"=dword:2\n"
                              "[HKEY_LOCAL_MACHINE\\k]\n\"A\"=dword:3\n");
  const RegKey* k = f.tree.Find(Root::LocalMachine, {u"K"});
  ASSERT_NE(k, nullptr);
  ASSERT_EQ(k->Values().size(), 2u);
  EXPECT_EQ(k->Values()[0].name, u"a");
  EXPECT_EQ(k->Values()[0].data, Dword(3));
  EXPECT_EQ(k->Name(), u"K");
}

TEST(RegFileRead, HeadersEncodingsAndLineEnds) {
  struct Case {
    std::vector<BYTE> bytes;
    RegFileFormat format;
  };
  auto utf16 = [](std::u16string_view s) {
    std::vector<BYTE> b{0xFF, 0xFE};
    auto body = Utf16(s);
    b.insert(b.end(), body.begin(), body.end());
    return b;
  };
  std::vector<Case> cases = {
      {Bytes("Windows Registry Editor Version 5.00\n[HKLM\\K]\n\"a\"=\"é\"\n"),
       {TextEncoding::Utf8, LineEnding::Lf, RegHeader::Version5}},
      {Bytes("\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n[HKLM\\K]\r\n\"a\"=\"é\"\r\n"),
       {TextEncoding::Utf8Bom, LineEnding::CrLf, RegHeader::Version5}},
      {Bytes("  REGEDIT4\r[HKLM\\K]\r\"a\"=\"é\"\r"),
       {TextEncoding::Utf8, LineEnding::Cr, RegHeader::Regedit4}},
      {utf16(u"Windows Registry Editor Version 5.00\r\n\r\n[HKLM\\K]\r\n\"a\"=\"é\"\r\n"),
       {TextEncoding::Utf16Le, LineEnding::CrLf, RegHeader::Version5}},
  };
  for (const Case& c : cases) {
    ParsedRegFile f = MustParse(c.bytes);
    EXPECT_EQ(f.format, c.format);
    ASSERT_NE(Value(f, u"K", u"a"), nullptr);
    EXPECT_EQ(Value(f, u"K", u"a")->data, Sz(u"é"));
  }
}

struct RefusalCase {
  std::string text;  // whole file
  int line;
  std::string fragment;  // part of the message
};

class Refusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(Refusal, NamesLineAndReason) {
  const RefusalCase& c = GetParam();
  const platform::Status status = Refused(Bytes(c.text));
  EXPECT_EQ(status.message().rfind("t.reg:" + std::to_string(c.line) + ": ", 0), 0u)
      << c.text << " -> " << status;
  EXPECT_NE(status.message().find(c.fragment), std::string::npos) << status;
}

const std::string K = kHead + "[HKEY_LOCAL_MACHINE\\K]\n";  // the value lines start at line 4

INSTANTIATE_TEST_SUITE_P(
    Lines, Refusal,
    ::testing::Values(RefusalCase{"", 1, "first line"},
                      RefusalCase{"windows registry editor version 5.00\n", 1, "first line"},
                      RefusalCase{"Windows Registry Editor Version 5.00 extra\n", 1, "first line"},
                      RefusalCase{kHead + "\"a\"=dword:1\n", 3, "outside a key"},
                      RefusalCase{kHead + "[HKEY_NOWHERE\\K]\n", 3, "unknown root"},
                      RefusalCase{kHead + "[HKEY_LOCAL_MACHINE\\K\n", 3, "']'"},
                      RefusalCase{kHead + "[-HKEY_LOCAL_MACHINE]\n", 3, "root"},
                      RefusalCase{kHead + "[-HKLM\\K]\n\"a\"=dword:1\n", 4, "outside a key"},
                      RefusalCase{K + "\"a\"=dword:123456789\n", 4, "8 hex digits"},
                      RefusalCase{K + "\"a\"=dword:\n", 4, "without hex digits"},
                      RefusalCase{K + "\"a\"=dword:12 34\n", 4, "after the value"},
                      RefusalCase{K + "\"a\"=hex:1\n", 4, "two hex digits"},
                      RefusalCase{K + "\"a\"=hex:01 02\n", 4, "','"},
                      RefusalCase{K + "\"a\"=hex:zz\n", 4, "two hex digits"},
                      RefusalCase{K + "\"a\"=hex(zz):01\n", 4, "hex(type)"},
                      RefusalCase{K + "\"a\"=hex(4)01\n", 4, "hex(type)"},
                      RefusalCase{K + "\"a\"=hex:01\\\n", 4, "only after a comma"},
                      RefusalCase{K + "\"a\"=hex:01,\\\n\n\"b\"=dword:1\n", 6, "must continue"},
                      RefusalCase{K + "\"a\"=hex:01,\\\n#c\n\"b\"=dword:1\n", 5, "must continue"},
                      RefusalCase{K + "\"a\"=hex:01,\\\n[HKLM\\S]\n", 5, "must continue"},
                      RefusalCase{K + "\"a\"=hex:01,\\\n\\\n02\n", 5, "only after a comma"},
                      RefusalCase{K + "\"a\"=hex:01,\\#c\n02\n", 4, "after the '\\'"},
                      RefusalCase{K + "\"a\"=hex:01,\\02\n", 4, "after the '\\'"},
                      RefusalCase{K + "\"a\"=hex:01,\\\n,02\n", 5, "must continue"},
                      RefusalCase{K + "\"a\"=hex:01,\\\n02,,03\n", 5, "two hex digits"},
                      RefusalCase{K + "\"a\"=hex(2):,\\\n02\n", 4, "two hex digits"},
                      RefusalCase{K + "\"a\"=hex:01,02\n03\n", 5, "expected"},
                      RefusalCase{K + "\"a\"=hex:100,02\n", 4, "','"},
                      RefusalCase{K + "\"a\"=hex(100000000):00\n", 4, "8 hex digits"},
                      RefusalCase{K + "\"a\"=hex(0x2):00\n", 4, "hex(type)"},
                      RefusalCase{K + "\"a\"=\"x\"#c\n", 4, "after the value"},
                      RefusalCase{K + "\"a\"=\"foo\"bar\"\n", 4, "after the value"},
                      RefusalCase{K + "\"a\"=dword:1234#5678\n", 4, "after the value"},
                      RefusalCase{K + "\"a\"=dword:12345678 abc\n", 4, "after the value"},
                      RefusalCase{K + "\"a\"=dword:0x123\n", 4, "after the value"},
                      RefusalCase{K + "\"a\"=#dword:1\n", 4, "unknown value data"},
                      RefusalCase{K + "\"a\"=-\"Test\"\n", 4, "after the value"},
                      RefusalCase{K + "\"a\"=- #c\n", 4, "after the value"},
                      RefusalCase{K + "\"a\"=\n", 4, "unknown value data"},
                      RefusalCase{kHead + "[ HKEY_LOCAL_MACHINE\\K]\n", 3, "unknown root"},
                      RefusalCase{kHead + "[HKEY_CURRENT_USERS\\K]\n", 3, "unknown root"},
                      RefusalCase{kHead + "REGEDIT4\n", 3, "expected"},
                      RefusalCase{K + "\"b\"=dword:1\n\"a\"=\"open\n", 5, "unterminated string"},
                      RefusalCase{K + "\"open=dword:1\n", 4, "unterminated value name"},
                      RefusalCase{K + "\"a\"\n", 4, "'='"},
                      RefusalCase{K + "\"a\"=sz:abc\n", 4, "unknown value data"},
                      RefusalCase{K + "\"a\"=\"x\" y\n", 4, "after the value"},
                      RefusalCase{K + "\"a\"=- x\n", 4, "after the value"},
                      RefusalCase{K + "just some words\n", 4, "expected"},
                      RefusalCase{K + "\"a\"=\"x\xff\"\n", 4, "UTF-8"},
                      RefusalCase{K + "\"a\"=\"x" + std::string(1, '\0') + "\"\n", 4, "NUL"}));

// Nesting is bounded as on Windows, so a hostile file cannot make loading,
// freeing or saving the tree blow up.
TEST(RegFileRead, KeysNestAtMost512Levels) {
  std::string deepest = "HKEY_LOCAL_MACHINE";
  for (int i = 0; i < 512; ++i) deepest += "\\k";
  MustParse(kHead + "[" + deepest + "]\n");
  EXPECT_EQ(Refused(Bytes(kHead + "[" + deepest + "\\k]\n")).message(),
            "t.reg:3: key nested deeper than 512 levels");
}

// A name the writer could not write back is refused when it is read.
TEST(RegFileRead, RefusesNamesWithUnpairedSurrogates) {
  for (std::u16string text :
       {std::u16string(u"REGEDIT4\r\n\r\n[HKLM\\K") + char16_t(0xD800) + u"]\r\n",
        std::u16string(u"REGEDIT4\r\n\r\n[HKLM\\K]\r\n\"a") + char16_t(0xDC00) +
            u"\"=dword:1\r\n"}) {
    std::vector<BYTE> bytes = {0xFF, 0xFE};
    auto body = Utf16(text);
    bytes.insert(bytes.end(), body.begin(), body.end());
    const platform::Status status = Refused(bytes);
    const int line = 3 + static_cast<int>(text.find(u'"') != std::u16string::npos);
    EXPECT_EQ(status.message().rfind("t.reg:" + std::to_string(line) + ": ", 0), 0u) << status;
    EXPECT_NE(status.message().find("unpaired surrogate"), std::string::npos) << status;
  }
}

TEST(RegFileRead, RefusesUnsupportedOrBrokenUtf16) {
  std::vector<BYTE> be = {0xFE, 0xFF, 0, 'W'};
  EXPECT_NE(Refused(be).message().find("big-endian"), std::string::npos);

  std::vector<BYTE> odd = {0xFF, 0xFE};
  auto body = Utf16(u"REGEDIT4\r\n\r\n[HKLM\\K]\r\n");
  odd.insert(odd.end(), body.begin(), body.end());
  odd.push_back('x');
  EXPECT_NE(Refused(odd).message().find("odd number of bytes"), std::string::npos);
}

// ---------------------------------------------------------------- writing

TEST(RegFileWrite, NewFileLayout) {
  RegTree tree;
  RegKey& k = tree.Create(Root::LocalMachine, {u"System", u"GWE"});
  k.SetValue(u"Animate", REG_DWORD, Dword(1));
  k.SetValue(u"", REG_SZ, Sz(u"d"));
  tree.Create(Root::CurrentUser, {u"Empty"});
  EXPECT_EQ(Text(WriteOrFail(tree)),
            "Windows Registry Editor Version 5.00\n\n"
            "[HKEY_CURRENT_USER\\Empty]\n\n"
            "[HKEY_LOCAL_MACHINE\\System]\n\n"
            "[HKEY_LOCAL_MACHINE\\System\\GWE]\n"
            "\"Animate\"=dword:00000001\n"
            "@=\"d\"\n\n");
}

TEST(RegFileWrite, ChoosesTheFormThatKeepsTheExactBytes) {
  struct Case {
    DWORD type;
    std::vector<BYTE> data;
    std::string line;
  };
  std::vector<BYTE> nineChars = Utf16(u"Pocket_PC");  // 18 bytes, no terminator
  std::vector<BYTE> twoNuls = Sz(u"a");
  twoNuls.push_back(0);
  twoNuls.push_back(0);
  std::vector<Case> cases = {
      {REG_SZ, Sz(u"Pocket_PC"), "\"v\"=\"Pocket_PC\""},
      {REG_SZ, Sz(u"a\"b\\c"), "\"v\"=\"a\\\"b\\\\c\""},
      {REG_SZ, Sz(u""), "\"v\"=\"\""},
      {REG_SZ, nineChars, "\"v\"=hex(1):50,00,6f,00,63,00,6b,00,65,00,74,00,5f,00,50,00,43,00"},
      {REG_SZ, {}, "\"v\"=hex(1):"},
      {REG_SZ, {0x41, 0, 0}, "\"v\"=hex(1):41,00,00"},
      {REG_SZ, Sz(u"a\nb"), "\"v\"=hex(1):61,00,0a,00,62,00,00,00"},
      {REG_SZ, Sz(u"a\rb"), "\"v\"=hex(1):61,00,0d,00,62,00,00,00"},
      {REG_SZ, twoNuls, "\"v\"=hex(1):61,00,00,00,00,00"},
      {REG_SZ, {0x00, 0xD8, 0, 0}, "\"v\"=hex(1):00,d8,00,00"},
      {REG_SZ, {0x00, 0xDC, 0x00, 0xD8, 0, 0}, "\"v\"=hex(1):00,dc,00,d8,00,00"},
      {REG_SZ, Sz(u"ｷｬﾝｾﾙ 😀"), "\"v\"=\"ｷｬﾝｾﾙ 😀\""},
      {REG_DWORD, Dword(0xDEADBEEF), "\"v\"=dword:deadbeef"},
      {REG_DWORD, {1, 2}, "\"v\"=hex(4):01,02"},
      {REG_DWORD, {}, "\"v\"=hex(4):"},
      {REG_BINARY, {0xAB}, "\"v\"=hex:ab"},
      {REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}, "\"v\"=hex(b):01,00,00,00,00,00,00,00"},
      {REG_EXPAND_SZ, Sz(u"%x%"), "\"v\"=hex(2):25,00,78,00,25,00,00,00"},
      {0x20000, {}, "\"v\"=hex(20000):"},
  };
  for (const Case& c : cases) {
    RegTree tree;
    tree.Create(Root::LocalMachine, {u"K"}).SetValue(u"v", c.type, c.data);
    std::string text = Text(WriteOrFail(tree));
    EXPECT_NE(text.find("\n" + c.line + "\n"), std::string::npos) << c.line << "\n" << text;
    ParsedRegFile back = MustParse(WriteOrFail(tree));
    EXPECT_EQ(back.tree, tree) << c.line;
  }
}

TEST(RegFileWrite, SubkeysSortedCaseInsensitivelyInPreOrder) {
  RegTree tree;
  for (auto name : {u"b", u"A", u"C", u"_x"}) tree.Create(Root::LocalMachine, {u"P", name});
  tree.Create(Root::LocalMachine, {u"P", u"A", u"z"});
  std::string text = Text(WriteOrFail(tree));
  std::vector<std::string> order;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line[0] == '[') order.push_back(line);
  }
  EXPECT_EQ(order, (std::vector<std::string>{
                       "[HKEY_LOCAL_MACHINE\\P]", "[HKEY_LOCAL_MACHINE\\P\\A]",
                       "[HKEY_LOCAL_MACHINE\\P\\A\\z]", "[HKEY_LOCAL_MACHINE\\P\\b]",
                       "[HKEY_LOCAL_MACHINE\\P\\C]", "[HKEY_LOCAL_MACHINE\\P\\_x]"}));
}

TEST(RegFileWrite, WrapsHexLinesAtEightyColumns) {
  std::vector<BYTE> data;
  for (int i = 0; i < 300; ++i) data.push_back(static_cast<BYTE>(i));
  data.push_back(0);  // UTF-16 text of a REG_MULTI_SZ ends in a NUL (the reader adds one)
  data.push_back(0);
  RegTree tree;
  RegKey& k = tree.Create(Root::LocalMachine, {u"K"});
  k.SetValue(u"Binary", REG_BINARY, data);
  k.SetValue(u"Multi", REG_MULTI_SZ, data);
  std::string text = Text(WriteOrFail(tree));
  std::istringstream in(text);
  int continued = 0;
  for (std::string line; std::getline(in, line);) {
    EXPECT_LE(line.size(), 80u) << line;
    if (line.rfind("  ", 0) == 0) ++continued;
    if (line.find("hex") != std::string::npos) {
      EXPECT_EQ(line.substr(line.size() - 2), ",\\");
    }
  }
  EXPECT_GT(continued, 10);
  EXPECT_NE(text.find("\"Binary\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,"
                      "13,14,15,\\\n  16,"),
            std::string::npos);
  EXPECT_EQ(MustParse(WriteOrFail(tree)).tree, tree);

  // Columns are characters, not bytes: a name of two Japanese characters
  // wraps where a name of two ASCII letters does, in either encoding.
  for (TextEncoding e : {TextEncoding::Utf8, TextEncoding::Utf16Le}) {
    auto firstLine = [&](std::u16string name) {
      RegTree t;
      t.Create(Root::LocalMachine, {u"K"}).SetValue(name, REG_BINARY, data);
      std::vector<BYTE> bytes = WriteOrFail(t, {e, LineEnding::Lf, RegHeader::Version5});
      std::u16string decoded =
          e == TextEncoding::Utf8 ? platform::text::FromUtf8Lossy(Text(bytes)) : Utf16Text(bytes);
      std::size_t start = decoded.find(u"\"" + name);
      return decoded.substr(start, decoded.find(u'\n', start) - start);
    };
    std::u16string ascii = firstLine(u"ab"), japanese = firstLine(u"名前");
    EXPECT_EQ(ascii.size(), japanese.size());
    EXPECT_EQ(ascii.substr(4), japanese.substr(4));
  }
}

TEST(RegFileWrite, RefusesNamesAFileCannotHold) {
  const std::vector<std::u16string> bads = {u"a\nb", u"a\rb", std::u16string(u"a\0b", 3),
                                            std::u16string(1, char16_t(0xD800))};
  for (const std::u16string& bad : bads) {
    RegTree values;
    values.Create(Root::LocalMachine, {u"K"}).SetValue(bad, REG_DWORD, Dword(1));
    RegTree keys;
    keys.Create(Root::LocalMachine, {u"K", bad});
    for (const RegTree* tree : {&values, &keys}) {
      std::vector<BYTE> out{1, 2, 3};
      const platform::Status status = WriteRegFile(*tree, {}, out);
      EXPECT_EQ(status.code(), platform::Status::Code::InvalidData) << status;
      EXPECT_TRUE(out.empty());
      EXPECT_NE(status.message().find("cannot be written"), std::string::npos) << status;
    }
  }
}

TEST(RegFileWrite, KeepsEncodingHeaderAndLineEnds) {
  RegTree tree;
  tree.Create(Root::CurrentUser, {u"ｿﾌﾄ"}).SetValue(u"名", REG_SZ, Sz(u"値"));
  const std::vector<RegFileFormat> formats = {
      {TextEncoding::Utf8, LineEnding::Lf, RegHeader::Version5},
      {TextEncoding::Utf8Bom, LineEnding::CrLf, RegHeader::Regedit4},
      {TextEncoding::Utf16Le, LineEnding::CrLf, RegHeader::Version5},
      {TextEncoding::Utf16Le, LineEnding::Cr, RegHeader::Regedit4},
  };
  for (const RegFileFormat& format : formats) {
    std::vector<BYTE> bytes = WriteOrFail(tree, format);
    ParsedRegFile back = MustParse(bytes);
    EXPECT_EQ(back.format, format);
    EXPECT_EQ(back.tree, tree);
  }
  std::vector<BYTE> utf16 = WriteOrFail(tree, formats[2]);
  ASSERT_GE(utf16.size(), 2u);
  EXPECT_EQ(utf16[0], 0xFF);
  EXPECT_EQ(utf16[1], 0xFE);
  EXPECT_EQ(Utf16Text(utf16).substr(0, 38), u"Windows Registry Editor Version 5.00\r\n");
  EXPECT_EQ(Text(WriteOrFail(tree, formats[1])).substr(0, 13), "\xEF\xBB\xBFREGEDIT4\r\n");
}

TEST(RegFileWrite, RoundTripsEveryOddForm) {
  RegTree tree;
  tree.Create(Root::LocalMachine, {u"Odd \"key\"", u"semi;colon ]"});
  RegKey& v = tree.Create(Root::LocalMachine, {u"Values"});
  v.SetValue(u"", REG_SZ, Sz(u"default"));
  v.SetValue(u"@", REG_SZ, Sz(u"at"));
  v.SetValue(u"quote\"back\\slash", REG_SZ, Sz(u"\"\\"));
  v.SetValue(u" spaced ", REG_DWORD, {});
  v.SetValue(u"emoji😀", REG_SZ, Sz(u"😀"));
  v.SetValue(u"semi;colon", REG_BINARY, {});
  tree.At(Root::LocalMachine).SetValue(u"rootValue", REG_DWORD, Dword(9));
  tree.Create(Root::Users, {u"S-1"}).SetValue(u"x", 0xFFFFFFFF, {1});
  tree.Create(Root::ClassesRoot, {u".reg"});
  for (TextEncoding e : {TextEncoding::Utf8, TextEncoding::Utf8Bom, TextEncoding::Utf16Le}) {
    for (LineEnding l : {LineEnding::CrLf, LineEnding::Lf, LineEnding::Cr}) {
      ParsedRegFile back = MustParse(WriteOrFail(tree, {e, l, RegHeader::Version5}));
      EXPECT_EQ(back.tree, tree);
    }
  }
}

// A write with a cache turns again only the keys whose values changed into
// text and copies the rest from the last write: after any mix of changes,
// re-reads and switches of form the file must be the one a write without
// the cache gives.
TEST(RegFileWrite, RewritingAfterChangesGivesTheFileAFreshTreeGives) {
  std::mt19937 rng(20261209);
  RegTree tree;
  RegTextCache cache;
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  auto keyPath = [&] {
    std::vector<std::u16string> path = {{u'K', char16_t(u'a' + pick(4))}};
    if (pick(2)) path.push_back({u'名', char16_t(u'0' + pick(3))});
    return path;
  };
  const std::vector<RegFileFormat> forms = {
      {TextEncoding::Utf8, LineEnding::Lf, RegHeader::Version5},
      {TextEncoding::Utf16Le, LineEnding::CrLf, RegHeader::Version5},
      {TextEncoding::Utf8Bom, LineEnding::Cr, RegHeader::Regedit4},
  };
  for (int step = 0; step < 400; ++step) {
    RegKey& key = tree.Create(pick(3) ? Root::LocalMachine : Root::CurrentUser, keyPath());
    std::u16string name = {u'v', char16_t(u'0' + pick(5))};
    switch (pick(5)) {
      case 0:
        key.DeleteValue(name);
        break;
      case 1:
        key.SetValue(name, REG_SZ, Sz(pick(2) ? u"ｷｬﾝｾﾙ" : u"a\\\"b"));
        break;
      case 2: {
        std::vector<BYTE> data(static_cast<std::size_t>(pick(60)), static_cast<BYTE>(step));
        key.SetValue(name, REG_BINARY, data);
        break;
      }
      case 3:
        key.SetValue(name[0] == u'v' ? std::u16string{u'V', name[1]} : name, REG_DWORD,
                     Dword(static_cast<DWORD>(step)));
        break;
      default:
        tree.Create(Root::LocalMachine,
                    {u"Kz", u"new" + std::u16string(1, char16_t(u'A' + step % 26))});
        break;
    }
    if (step % 7 != 0) continue;
    const RegFileFormat& form = forms[static_cast<std::size_t>(pick(3))];
    const std::vector<BYTE> cached = WriteOrFail(tree, form, &cache);
    ASSERT_EQ(cached, WriteOrFail(tree, form)) << "after step " << step;
    // Now and then the tree is read back, as after another program's save.
    if (step % 5 == 0) tree = MustParse(cached).tree;
  }
  EXPECT_EQ(MustParse(WriteOrFail(tree)).tree, tree);
}

// ---------------------------------------------------------------- 8-bit files

namespace eightbit {

std::string Cp(unsigned codePage, std::u16string_view text) {
  std::string bytes;
  EXPECT_TRUE(platform::text::CodePageCodec(codePage).Encode(text, bytes));
  return bytes;
}

const std::string kR4 = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\K]\r\n";

struct EightBitCase {
  std::string file;
  unsigned option;  // --codepage (0: none)
  RegFileFormat format;
  CodePageChoice choice;
  std::u16string name;
  DWORD type;
  std::vector<BYTE> data;
};

class ReadEightBit : public ::testing::TestWithParam<EightBitCase> {};

// Bytes to values: the encoding chosen, and text data (strings, hex(2),
// hex(7)) read in it; the file writes back with exactly its bytes.
TEST_P(ReadEightBit, ValueAndEncodingAndTheSameBytesBack) {
  const EightBitCase& c = GetParam();
  ParsedRegFile f;
  RegReadOptions options;
  options.codePage = c.option;
  ASSERT_EQ(ParseRegFile(Bytes(c.file), "t.reg", f, options), platform::Status());
  EXPECT_EQ(f.format, c.format);
  if (c.format.encoding == TextEncoding::CodePage) {
    EXPECT_EQ(f.codePageChoice, c.choice);
  }
  const RegValue* v = Value(f, u"K", c.name);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->type, c.type);
  EXPECT_EQ(v->data, c.data);
  RegTextCache cache;
  cache.lines = f.lines;
  EXPECT_EQ(Text(WriteOrFail(f.tree, f.format, &cache)), c.file);
}

const RegFileFormat kCp932{TextEncoding::CodePage, LineEnding::CrLf, RegHeader::Regedit4, 932};
const RegFileFormat kCp1251{TextEncoding::CodePage, LineEnding::CrLf, RegHeader::Regedit4, 1251};
const RegFileFormat kUtf8R4{TextEncoding::Utf8, LineEnding::CrLf, RegHeader::Regedit4, 0};

std::vector<BYTE> Wide(std::u16string_view s) {
  return Utf16(s);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ReadEightBit,
    ::testing::Values(
        EightBitCase{kR4 + "\"a\"=\"" + Cp(932, u"ポケット太郎") + "\"\r\n\r\n", 0, kCp932,
                     CodePageChoice::Detected, u"a", REG_SZ, Sz(u"ポケット太郎")},
        // a trail byte that is a backslash stays part of its character
        EightBitCase{kR4 + "\"" + Cp(932, u"表") + "\"=\"" + Cp(932, u"ソ\\\\") + "\"\r\n\r\n", 932,
                     kCp932, CodePageChoice::Option, u"表", REG_SZ, Sz(u"ソ\\")},
        EightBitCase{kR4 + "\"a\"=\"" + Cp(932, u"ポケット") + "\"\r\n\r\n", 1251, kCp1251,
                     CodePageChoice::Option, u"a", REG_SZ, Sz(u"ѓ|ѓPѓbѓg")},
        EightBitCase{
            kR4 + "\"a\"=\"" + Cp(1251, u"Привет, мир! Как дела у тебя сегодня?") + "\"\r\n\r\n", 0,
            kCp1251, CodePageChoice::Detected, u"a", REG_SZ,
            Sz(u"Привет, мир! Как дела у тебя сегодня?")},
        // hex(2) and hex(7) are 8-bit text; regedit adds a missing terminator
        EightBitCase{kR4 + "\"x\"=\"\xff\"\r\n\"p\"=hex(2):25,50,41,54,48,25\r\n\r\n", 932, kCp932,
                     CodePageChoice::Option, u"p", REG_EXPAND_SZ, Sz(u"%PATH%")},
        EightBitCase{kR4 + "\"x\"=\"\xff\"\r\n\"p\"=hex(2):\r\n\r\n",
                     932,
                     kCp932,
                     CodePageChoice::Option,
                     u"p",
                     REG_EXPAND_SZ,
                     {}},
        EightBitCase{kR4 + "\"x\"=\"\xff\"\r\n\"m\"=hex(7):95,5c,00,61,00,00\r\n\r\n", 932, kCp932,
                     CodePageChoice::Option, u"m", REG_MULTI_SZ,
                     Wide(std::u16string(u"表\0a\0\0", 5))},
        EightBitCase{"REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"p\"=hex(2):41,c3,a9,00\r\n\r\n",
                     0, kUtf8R4, CodePageChoice::Default, u"p", REG_EXPAND_SZ, Sz(u"Aé")},
        // valid UTF-8 stays UTF-8, whatever --codepage says
        EightBitCase{"REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"a\"=\"\xc3\xa9\"\r\n\r\n", 932,
                     kUtf8R4, CodePageChoice::Default, u"a", REG_SZ, Sz(u"é")},
        // not rewritten into regedit's form: the value keeps its bytes
        EightBitCase{
            kR4 + "\"x\"=\"\x82\"\r\n\"d\" = dword:1 ; one\r\n\"h\"=hex:01,\\\r\n 02\r\n\r\n",
            932,
            kCp932,
            CodePageChoice::Option,
            u"h",
            REG_BINARY,
            {1, 2}}));

// Bytes that are no text of the code page: the file loads with a warning
// naming the first such line, and writes back byte for byte.
TEST(RegFileEightBit, BytesOfNoCodePageLoadWithAWarningAndWriteBackUnchanged) {
  const std::string file = kR4 +
                           "\"ok\"=\"fine\"\r\n\"n\x81 \"=\"a\x81 b\"\r\n\"p\"=hex(2):43,81\r\n" +
                           "\r\n[HKEY_LOCAL_MACHINE\\K\\\x82 x]\r\n\r\n";
  ParsedRegFile f;
  RegReadOptions options;
  options.codePage = 932;
  ASSERT_EQ(ParseRegFile(Bytes(file), "t.reg", f, options), platform::Status());
  EXPECT_EQ(f.warning.rfind("t.reg:5: warning: ", 0), 0u) << f.warning;
  EXPECT_NE(f.warning.find("Shift_JIS (code page 932, --codepage)"), std::string::npos);
  const RegKey* k = f.tree.Find(Root::LocalMachine, {u"K"});
  ASSERT_NE(k, nullptr);
  ASSERT_EQ(k->Values().size(), 3u);
  EXPECT_EQ(k->Subkeys().size(), 1u);
  RegTextCache cache;
  cache.lines = f.lines;
  EXPECT_EQ(Text(WriteOrFail(f.tree, f.format, &cache)), file);
  // Written anew (no lines kept), names and strings still give their bytes.
  ParsedRegFile again = MustParse(WriteOrFail(f.tree, f.format));
  EXPECT_EQ(again.tree, f.tree);
}

// A value set again under another case of its name is 8-bit text too, and
// is written anew (its lines are not the first name's).
TEST(RegFileEightBit, AValueRepeatedInAnotherCaseIsReadAsTextAndWrittenAnew) {
  const std::string file =
      kR4 + "\"n\"=\"\x95\x5c\"\r\n\"P\"=hex(2):41,00\r\n\"p\"=hex(2):95,5c\r\n\r\n";
  ParsedRegFile f;
  RegReadOptions options;
  options.codePage = 932;
  ASSERT_EQ(ParseRegFile(Bytes(file), "t.reg", f, options), platform::Status());
  const RegValue* v = Value(f, u"K", u"P");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->name, u"P");
  EXPECT_EQ(v->data, Sz(u"表"));
  RegTextCache cache;
  cache.lines = f.lines;
  EXPECT_EQ(Text(WriteOrFail(f.tree, f.format, &cache)),
            kR4 + "\"n\"=\"\x95\x5c\"\r\n\"P\"=hex(2):95,5c,00\r\n\r\n");
}

// What an 8-bit REGEDIT4 file writes for a value, or why it refuses to.
TEST(RegFileEightBit, WritesTextInTheCodePageOrRefusesWhatItCannotHold) {
  struct Case {
    RegFileFormat format;
    std::u16string name;
    DWORD type;
    std::vector<BYTE> data;
    std::string line;  // empty: refused
    std::string refusal;
  };
  std::vector<BYTE> odd = {0x41, 0, 0};
  const std::vector<Case> cases = {
      {kCp932, u"名前", REG_SZ, Sz(u"ポケット"), Cp(932, u"\"名前\"=\"ポケット\""), ""},
      {kCp932, u"n", REG_SZ, Utf16(u"ﾎﾟｹｯﾄ"), Cp(932, u"\"n\"=\"ﾎﾟｹｯﾄ\""), ""},
      {kCp932, u"n", REG_SZ, {}, "\"n\"=hex(1):", ""},
      {kCp932, u"n", REG_SZ, Sz(u"a\nb"), "\"n\"=hex(1):61,00,0a,00,62,00,00,00", ""},
      {kCp932, u"p", REG_EXPAND_SZ, Sz(u"%表%"), "\"p\"=hex(2):25,95,5c,25,00", ""},
      {kCp932, u"m", REG_MULTI_SZ, Utf16(std::u16string(u"a\0\0", 3)), "\"m\"=hex(7):61,00,00", ""},
      {kUtf8R4, u"p", REG_EXPAND_SZ, Sz(u"é"), "\"p\"=hex(2):c3,a9,00", ""},
      {kUtf8R4, u"n", REG_SZ, Utf16(u"한"), "\"n\"=\"한\"", ""},
      {kCp932, u"n", REG_SZ, Utf16(u"한국"), "",
       "value \"n\" in \"HKEY_LOCAL_MACHINE\\K\" holds \"한\", which Shift_JIS (code page 932) "
       "cannot hold"},
      {kCp932, u"n", REG_SZ, Sz(u"¥"), "", "holds \"¥\""},
      {kCp1251, u"日", REG_DWORD, Dword(1), "",
       "value \"日\" in \"HKEY_LOCAL_MACHINE\\K\" (its name)"},
      {kCp932, u"p", REG_EXPAND_SZ, Sz(u"한"), "", "cannot hold"},
      {kCp932, u"p", REG_EXPAND_SZ, odd, "", "not text ending in NUL"},
      {kCp932, u"p", REG_MULTI_SZ, Utf16(u"ab"), "", "not text ending in NUL"},
  };
  for (const Case& c : cases) {
    RegTree tree;
    tree.Create(Root::LocalMachine, {u"K"}).SetValue(c.name, c.type, c.data);
    std::vector<BYTE> out;
    const platform::Status status = WriteRegFile(tree, c.format, out);
    if (c.line.empty()) {
      EXPECT_EQ(status.code(), platform::Status::Code::InvalidData) << c.refusal;
      EXPECT_NE(status.message().find(c.refusal), std::string::npos) << status;
      EXPECT_TRUE(out.empty());
      continue;
    }
    ASSERT_EQ(status, platform::Status()) << c.line;
    EXPECT_NE(Text(out).find("\r\n" + c.line + "\r\n"), std::string::npos) << c.line << "\n"
                                                                           << Text(out);
  }
  // A key name the code page cannot hold is refused too.
  RegTree keys;
  keys.Create(Root::LocalMachine, {u"한"});
  std::vector<BYTE> out;
  EXPECT_NE(WriteRegFile(keys, kCp932, out).message().find("key \"HKEY_LOCAL_MACHINE\\한\""),
            std::string::npos);
}

// Real-shaped device exports: each loads, shows its text, and writes back
// byte for byte.
TEST(RegFileEightBit, DeviceExportsLoadAndWriteBackByteForByte) {
  struct Case {
    const char* file;
    unsigned codePage;
    std::u16string key;
    std::u16string name;
    std::u16string text;
  };
  const std::vector<Case> cases = {
      {"sjis-device.reg", 932, u"Ident", u"Name", u"ポケット太郎"},
      {"sjis-device.reg", 932, u"Software\\Microsoft\\Shell\\ﾌｫﾙﾀﾞ", u"Path",
       u"%CE1%\\マイ ドキュメント"},
      {"gbk-device.reg", 936, u"Ident", u"Name", u"我的掌上电脑"},
      {"gbk-device.reg", 936, u"Software\\Microsoft\\Shell\\开始菜单", u"Path", u"%CE1%\\我的文档"},
      {"cp1251-device.reg", 1251, u"Ident", u"Name", u"Карманный ПК"},
      {"broken-bytes.reg", 932, u"Ident", u"Name", u"Pocket_PC"},
  };
  for (const Case& c : cases) {
    const std::vector<BYTE> bytes =
        test::ReadBytes(std::filesystem::path(REGILLA_TEST_DATA) / c.file);
    ASSERT_FALSE(bytes.empty()) << c.file;
    ParsedRegFile f = MustParse(bytes);
    EXPECT_EQ(f.format.encoding, TextEncoding::CodePage) << c.file;
    EXPECT_EQ(f.format.codePage, c.codePage) << c.file;
    EXPECT_EQ(f.warning.empty(), std::string(c.file) != "broken-bytes.reg") << f.warning;
    const RegValue* v = Value(f, c.key, c.name);
    ASSERT_NE(v, nullptr) << c.file;
    EXPECT_EQ(v->data, Sz(c.text)) << c.file;
    RegTextCache cache;
    cache.lines = f.lines;
    EXPECT_EQ(WriteOrFail(f.tree, f.format, &cache), bytes) << c.file;
  }
}

}  // namespace eightbit

}  // namespace
