#include <gtest/gtest.h>

#include <sstream>

#include "host/script.h"

namespace host {
namespace {

Command Parse(const std::string& line) {
  auto cmd = ParseScriptLine(line, 7);
  EXPECT_TRUE(cmd.has_value()) << line;
  return cmd.value_or(Command{});
}

std::string ErrorOf(const std::string& line) {
  try {
    ParseScriptLine(line, 12);
  } catch (const ScriptError& e) {
    EXPECT_EQ(e.line(), 12);
    return e.what();
  }
  ADD_FAILURE() << "no error for: " << line;
  return {};
}

TEST(ScriptLine, BlankAndCommentLinesAreSkipped) {
  for (const char* line : {"", "   ", "\t", "# a comment", "   # indented comment", "\r"}) {
    EXPECT_FALSE(ParseScriptLine(line, 1).has_value()) << '"' << line << '"';
  }
}

TEST(ScriptLine, ControlCommands) {
  Command c = Parse("click main:1013");
  EXPECT_EQ(c.kind, CommandKind::Click);
  EXPECT_EQ(c.control.window, "main");
  EXPECT_EQ(c.control.id, 1013);
  EXPECT_EQ(c.line, 7);

  c = Parse("  spin CSet2:1018 up\r");
  EXPECT_EQ(c.kind, CommandKind::Spin);
  EXPECT_EQ(c.control.Name(), "CSet2:1018");
  EXPECT_TRUE(c.up);
  EXPECT_FALSE(Parse("spin CSet2:1018 down").up);

  c = Parse("select CSet1:1031 3");
  EXPECT_EQ(c.kind, CommandKind::Select);
  EXPECT_EQ(c.index, 3);

  c = Parse("vscroll CSet5:1040 4 -3");
  EXPECT_EQ(c.kind, CommandKind::VScroll);
  EXPECT_EQ(c.code, 4u);
  EXPECT_EQ(c.pos, -3);
  EXPECT_EQ(Parse("vscroll CSet5:1040 0x8 12").code, 8u);

  c = Parse("tab 5");
  EXPECT_EQ(c.kind, CommandKind::Tab);
  EXPECT_EQ(c.index, 5);
}

TEST(ScriptLine, TypeTakesTheRestOfTheLineAfterOneBlank) {
  Command c = Parse("type CSet3:1020 Pocket PC  #1 ");
  EXPECT_EQ(c.kind, CommandKind::Type);
  EXPECT_EQ(c.text, u"Pocket PC  #1 ");
  EXPECT_EQ(Parse("type CSet3:1020  lead").text, u" lead");
  EXPECT_EQ(Parse("type CSet3:1020 ").text, u"");
  EXPECT_EQ(Parse("type CSet3:1020").text, u"");
  EXPECT_EQ(Parse("type CSet3:1020 ﾃﾞﾊﾞｲｽ名\r").text, u"ﾃﾞﾊﾞｲｽ名");
  EXPECT_EQ(Parse("type CSet3:1020 \xF0\x9F\x98\x80").text, u"\U0001F600");
}

TEST(ScriptLine, WholeScreenCommands) {
  EXPECT_EQ(Parse("settingchange 0x3002").code, 0x3002u);
  EXPECT_EQ(Parse("settingchange 12290").code, 0x3002u);
  EXPECT_EQ(Parse("rotate").kind, CommandKind::Rotate);
  EXPECT_EQ(Parse("ok").kind, CommandKind::Ok);
  EXPECT_EQ(Parse("dump").kind, CommandKind::Dump);
  Command c = Parse("screenshot out dir/first tab.png ");
  EXPECT_EQ(c.kind, CommandKind::Screenshot);
  EXPECT_EQ(c.path, "out dir/first tab.png");
  c = Parse("export\tsettings for the device.cab\r");
  EXPECT_EQ(c.kind, CommandKind::Export);
  EXPECT_EQ(c.path, "settings for the device.cab");
}

TEST(ScriptLine, ErrorsNameTheLineAndTheProblem) {
  struct Case {
    const char* line;
    const char* expected;
  };
  const Case cases[] = {
      {"press main:1013", "line 12: unknown command \"press\""},
      {"Click main:1013", "unknown command \"Click\""},
      {"click", "missing control"},
      {"click main", "expected a control as WINDOW:ID"},
      {"click :1013", "expected a control as WINDOW:ID"},
      {"click main:abc", "expected a control as WINDOW:ID"},
      {"click main:1013 extra", "unexpected \"extra\""},
      {"spin CSet2:1018 sideways", "expected up or down"},
      {"spin CSet2:1018", "missing direction"},
      {"select CSet1:1031", "missing list entry"},
      {"select CSet1:1031 -1", "must not be negative"},
      {"tab x", "expected a number for tab index"},
      {"tab", "missing tab index"},
      {"vscroll CSet5:1040 4", "missing position"},
      {"settingchange", "missing flags"},
      {"settingchange 0xZZ", "expected a number for flags"},
      {"dump now", "unexpected \"now\""},
      {"screenshot", "missing file name"},
      {"export  ", "missing file name"},
      {"type CSet3:1020 \xC3\x28", "not valid UTF-8"},
      {"type CSet3:1020 \xED\xA0\x80", "not valid UTF-8"},  // encoded surrogate
      {"type CSet3:1020 \xE3\x81", "not valid UTF-8"},      // cut short
  };
  for (const Case& c : cases) {
    const std::string message = ErrorOf(c.line);
    EXPECT_NE(message.find(c.expected), std::string::npos) << c.line << " -> " << message;
    EXPECT_EQ(message.rfind("line 12: ", 0), 0u) << message;
  }
}

TEST(ScriptReader, CountsEveryLineIncludingCommentsAndStopsAtTheFirstError) {
  std::istringstream in("# setup\n\ntab 1\r\n  # again\ndump\nbogus\nok\n");
  ScriptReader reader(in);
  auto first = reader.Next();
  ASSERT_TRUE(first);
  EXPECT_EQ(first->kind, CommandKind::Tab);
  EXPECT_EQ(first->line, 3);
  auto second = reader.Next();
  ASSERT_TRUE(second);
  EXPECT_EQ(second->kind, CommandKind::Dump);
  EXPECT_EQ(second->line, 5);
  try {
    reader.Next();
    FAIL() << "bogus accepted";
  } catch (const ScriptError& e) {
    EXPECT_EQ(e.line(), 6);
  }
  auto last = reader.Next();
  ASSERT_TRUE(last);
  EXPECT_EQ(last->line, 7);
  EXPECT_FALSE(reader.Next());
  EXPECT_FALSE(reader.Next());
}

TEST(ScriptReader, LastLineWithoutNewline) {
  std::istringstream in("ok");
  ScriptReader reader(in);
  auto cmd = reader.Next();
  ASSERT_TRUE(cmd);
  EXPECT_EQ(cmd->kind, CommandKind::Ok);
  EXPECT_FALSE(reader.Next());
}

TEST(ScriptReader, AnEndlessLineIsRefusedNotReadWhole) {
  std::istringstream in("dump\n" + std::string(1 << 20, '\0'));
  ScriptReader reader(in);
  ASSERT_TRUE(reader.Next());
  try {
    reader.Next();
    FAIL() << "a 1 MiB line was taken";
  } catch (const ScriptError& e) {
    EXPECT_EQ(e.line(), 2);
    EXPECT_LT(in.tellg(), std::streampos(1 << 20));
  }
}

TEST(ScriptReader, AByteOrderMarkStartsTheFileOnly) {
  std::istringstream in(
      "\xEF\xBB\xBF"
      "dump\r\n\xEF\xBB\xBF"
      "dump\n");
  ScriptReader reader(in);
  auto first = reader.Next();
  ASSERT_TRUE(first);
  EXPECT_EQ(first->kind, CommandKind::Dump);
  // Further down it is text like any other, and no command.
  EXPECT_THROW(reader.Next(), ScriptError);
}

}  // namespace
}  // namespace host
