// Command line: arguments, the command letter and switch words.
#include "foundation/lib_str_cmdline.h"

#include <gtest/gtest.h>

namespace {
std::vector<std::u16string> Args(std::u16string_view line) { return SplitCommandLine(line); }
}  // namespace

TEST(CommandLine, Splitting) {
  EXPECT_EQ(Args(u"client.exe /S Start"), (std::vector<std::u16string>{u"client.exe", u"/S", u"Start"}));
  EXPECT_EQ(Args(u"  \"C:\\Program Files\\client.exe\"   -i\t"),
            (std::vector<std::u16string>{u"C:\\Program Files\\client.exe", u"-i"}));
  // A quoted directory ending in a backslash keeps it, and the next argument stays separate.
  EXPECT_EQ(Args(u"c.exe /S \"C:\\Мои документы\\\" x"),
            (std::vector<std::u16string>{u"c.exe", u"/S", u"C:\\Мои документы\\", u"x"}));
  EXPECT_EQ(Args(u"c.exe a\"b c\"d"), (std::vector<std::u16string>{u"c.exe", u"ab cd"}));
  EXPECT_TRUE(Args(u"").empty());
}

TEST(CommandLine, CommandLetter) {
  struct Case {
    std::u16string line;
    char16_t letter;
  } cases[] = {
      {u"c.exe", 0},           {u"c.exe /Start", u'S'}, {u"c.exe -m", u'M'},   {u"c.exe m", u'M'},
      {u"c.exe /ConfigWin", u'C'}, {u"c.exe x", u'X'},  {u"c.exe /", 0},       {u"c.exe -", 0},
      {u"c.exe /я", u'Я'},     {u"c.exe \"\"", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(GetCommandLetter(Args(c.line)), c.letter);
}

TEST(CommandLine, SwitchWords) {
  const auto args = Args(u"c.exe /I -install /SILENT plain");
  EXPECT_TRUE(FindCmdLineSwitch(args, u"Install"));
  EXPECT_TRUE(FindCmdLineSwitch(args, u"Silent"));
  EXPECT_TRUE(FindCmdLineSwitch(args, u"i"));
  EXPECT_FALSE(FindCmdLineSwitch(args, u"plain"));  // no "/" or "-"
  EXPECT_FALSE(FindCmdLineSwitch(args, u"Instal"));
  EXPECT_FALSE(FindCmdLineSwitch(Args(u"/Start c.exe"), u"Start"));  // the program's own name is no switch
}

TEST(CommandLine, ValueArguments) {
  struct Case {
    std::u16string line;
    std::u16string value;
    const char* why;
  } cases[] = {
      {u"c.exe /Service \"NAME=C:\\a b\\\"", u"C:\\a b\\", "quoted, blanks and a final backslash kept"},
      {u"c.exe name=x NAME=y", u"x", "the first, the name in any case"},
      {u"c.exe NAME=", u"", "an empty value is none"},
      {u"c.exe NAMES=x /NAME=x NAME", u"", "another name, a switch, no equals sign"},
      {u"NAME=x", u"", "the program's own name is no argument"},
  };
  for (const Case& c : cases) EXPECT_EQ(FindCmdLineValue(Args(c.line), u"NAME"), c.value) << c.why;
}
