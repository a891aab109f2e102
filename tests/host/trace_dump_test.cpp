#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "host/dump.h"
#include "host/text.h"
#include "host/trace.h"

namespace host {
namespace {

using json = nlohmann::ordered_json;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(Trace, RegistryLinesHaveTheDocumentedShape) {
  std::ostringstream out;
  TraceWriter trace(out);
  const std::vector<std::uint8_t> one = {1, 0, 0, 0};
  trace.Open(false, 0x80000002u, u"\\System\\GWE", 0, 0);
  trace.Query(0x80000002u, u"\\System\\GWE", u"Animate", 4, 0, one);
  trace.Query(0x80000002u, u"\\System\\GWE", u"Missing", 4, 2, {});
  trace.Set(0x80000001u, u"\\ControlPanel\\Sip", u"AllowChange", 4, one, 0);
  trace.Close(0x80000002u, u"\\System\\GWE");
  trace.Open(true, 0x80000002u, u"\\Comm\\Redir", 0, 1);
  trace.Flush(0, "");
  trace.Flush(5, "cannot write registry.reg: disk full");
  const std::u16string_view animate = u"Animate";
  trace.Delete(0x80000002u, u"\\System\\GWE", &animate, 2);
  trace.Delete(0x80000002u, u"\\Comm\\Redir", nullptr, 0);

  const std::vector<std::string> expected = {
      R"({"op":"open","root":"HKLM","key":"\\System\\GWE","rc":0})",
      R"({"op":"query","root":"HKLM","key":"\\System\\GWE","name":"Animate","size":4,"rc":0,"data":"01000000"})",
      R"({"op":"query","root":"HKLM","key":"\\System\\GWE","name":"Missing","size":4,"rc":2})",
      R"({"op":"set","root":"HKCU","key":"\\ControlPanel\\Sip","name":"AllowChange","type":4,"data":"01000000","rc":0})",
      R"({"op":"close","root":"HKLM","key":"\\System\\GWE"})",
      R"({"op":"create","root":"HKLM","key":"\\Comm\\Redir","rc":0,"options":1})",
      R"({"op":"flush","rc":0})",
      R"({"op":"flush","rc":5,"error":"cannot write registry.reg: disk full"})",
      R"({"op":"deletevalue","root":"HKLM","key":"\\System\\GWE","name":"Animate","rc":2})",
      R"({"op":"deletekey","root":"HKLM","key":"\\Comm\\Redir","rc":0})",
  };
  EXPECT_EQ(Lines(out.str()), expected);
}

TEST(Trace, PlatformEventsAndJapaneseText) {
  std::ostringstream out;
  TraceWriter trace(out);
  trace.Sleep(200);
  trace.Progress(1);
  trace.Show("main:1013", false);
  trace.MessageBox(u"RegillaMobile", u"画面は縦長でご使用下さい");
  trace.Quit();
  const std::vector<std::string> expected = {
      R"({"op":"sleep","ms":200})",
      R"({"op":"progress","pos":1})",
      R"({"op":"show","window":"main:1013","visible":false})",
      R"({"op":"msgbox","caption":"RegillaMobile","text":"画面は縦長でご使用下さい"})",
      R"({"op":"quit"})",
  };
  EXPECT_EQ(Lines(out.str()), expected);
}

TEST(Trace, UnknownRootsAndBrokenTextStayReadable) {
  EXPECT_EQ(RootName(0x80000003u), "HKU");
  EXPECT_EQ(RootName(0x1234u), "0x1234");
  std::ostringstream out;
  TraceWriter trace(out);
  const std::u16string lone = {u'a', static_cast<char16_t>(0xD800), u'b'};
  trace.Close(0x80000001u, lone);
  const json parsed = json::parse(out.str());
  EXPECT_EQ(parsed["key"],
            "a\xEF\xBF\xBD"
            "b");
}

TEST(Text, Utf8RoundTripAndHex) {
  const std::u16string text = u"ｷｬﾝｾﾙ 分 (0～60) \U0001F600";
  EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
  EXPECT_FALSE(FromUtf8("\xF8\x88\x80\x80\x80"));
  EXPECT_FALSE(FromUtf8("\xC0\xAF"));  // overlong '/'
  const std::uint8_t bytes[] = {0x00, 0xAB, 0x7F, 0xFF};
  EXPECT_EQ(HexBytes(bytes), "00ab7fff");
}

TEST(Dump, ShapeWithAndWithoutPages) {
  ScreenState refused;
  refused.width = 320;
  refused.height = 240;
  refused.apply = true;
  refused.cancel = true;
  refused.messages.push_back({u"RegillaMobile", u"画面は縦長でご使用下さい"});
  EXPECT_EQ(
      JsonLine(DumpJson(refused)),
      R"({"screen":[320,240],"tab":null,"top":null,"visible":[],"apply":true,)"
      R"("cancel":true,"progress":{"visible":false,"min":0,"max":0,"pos":0},)"
      R"("controls":{},"messages":[{"caption":"RegillaMobile","text":"画面は縦長でご使用下さい"}]})");

  ScreenState running;
  running.width = 240;
  running.height = 320;
  running.tab = 1;
  running.top = "CSet2";
  running.visible = {"CSet1", "CSet2"};
  running.progress = {false, 0, 6, 6};
  running.controls.push_back({"CSet1:1009", {{"checked", true}}});
  running.controls.push_back({"CSet1:1031", {{"sel", 3}}});
  running.controls.push_back({"CSet2:1018", {{"pos", 2}, {"min", 1}, {"max", 10}}});
  const json j = DumpJson(running);
  EXPECT_EQ(j["tab"], 1);
  EXPECT_EQ(j["top"], "CSet2");
  EXPECT_EQ(j["visible"], json::array({"CSet1", "CSet2"}));
  EXPECT_EQ(j["progress"]["max"], 6);
  // Controls keep page and template order, not alphabetical order.
  std::vector<std::string> keys;
  for (const auto& item : j["controls"].items()) keys.push_back(item.key());
  EXPECT_EQ(keys, (std::vector<std::string>{"CSet1:1009", "CSet1:1031", "CSet2:1018"}));
  EXPECT_EQ(j["controls"]["CSet2:1018"]["min"], 1);
  EXPECT_TRUE(j["messages"].empty());
}

}  // namespace
}  // namespace host
