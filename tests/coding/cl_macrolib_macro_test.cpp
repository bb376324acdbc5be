// The field macro language: every step on a collected text, with the parameters it reads.
#include <gtest/gtest.h>

#include "tests/coding/recog_page.h"

using namespace std::literals;

namespace {

struct TMacroCase {
  std::u16string Text;
  std::u16string Macro;
  std::u16string Expected;
  const char* Why;
};

class MacroTest : public ::testing::Test {
 protected:
  void SetUp() override {
    P.Param(u"PLIST", u"ABC, XYZ");
    P.Param(u"PKPP", u"КПП");
    P.Param(u"PSIGN", u"№");
    P.Param(u"PBLANK", u"  ");
    P.Param(u"PEMPTY", u"");
  }
  TTestPage P;
};

TEST_F(MacroTest, EveryStep) {
  const TMacroCase cases[] = {
      // Whole text.
      {u"abc", u"", u"abc", "an empty macro gives the text"},
      {u"ab\0cd"s, u"", u"ab^cd", "the result is split at NULs and joined with LinesDelim"},
      {u"ab\0\0cd\0"s, u"  ", u"ab^cd", "a blank macro is empty; empty pieces are dropped"},
      {u"ab\0cd"s, u" 0,1,0,0", u"ab\0cd"s, "a macro beginning with a digit gives the text unchanged, NULs included"},
      // Parameters.
      {u"123 XYZ", u"=PLIST", u"123 XYZ", "= takes the text whether or not a pattern matches"},
      {u"ab", u"=PNONE,GT+", u"ab ab", "= without the parameter holds, so the + step runs"},
      {u"ИНН 1 КПП 2", u"PPKPP,GT", u"КПП 2", "P moves to the first pattern of the parameter that matches"},
      {u"abc", u"GA,PPNONE,SB", u"abc", "P with a missing parameter stops the macro with Work as it was"},
      {u"Номер 5", u"@PSIGN,>Номер", u"№ 5", "@ appends the value; > keeps Work and appends the rest"},
      {u"x", u"@PBLANK", u"", "@ of a blank value appends nothing"},
      {u"text", u"~PKPP", u"КПП", "~ takes the parameter's value"},
      {u"text", u"~PNONE", u"text", "~ without the parameter takes the text"},
      {u"text", u"%PKPP,GT+", u"text", "% holds for a parameter that is not blank"},
      {u"text", u"%PBLANK,GT+", u"", "% fails for a blank parameter"},
      // Patterns.
      {u"Сумма 100 руб", u"T100,GT", u"100 руб", "T moves to the match; GT takes the rest"},
      {u"Итого: 500 руб.", u"T500,<руб", u"500", "< takes from Pos up to the match"},
      {u"Итого: 500 руб.", u"T999,Dруб", u"", "D does nothing after a failed test"},
      {u"Итого: 500 руб.", u"T500,Dруб", u"500", "D acts as < after a test that held"},
      {u"ИНН: 7701 КПП 1234", u"[инн", u"7701 КПП 1234", "[ cuts the label with its delimiters; folded case"},
      {u"ИНН: 7701 КПП 1234", u"[ИНН,RF,FN,GW", u"7701", "RF makes the rest the text; one word from its first digit"},
      {u"ИНН: 7701 КПП 1234", u"[ИНН,FN,GW", u"7701 КПП 1234 7701",
       "[ leaves the rest in Work and the cut text behind; GW appends the word"},
      {u"Итого: 500 руб.", u"[Итого,]руб", u"500", "] cuts the text off at the match and takes what lies before"},
      {u"abc", u"[zzz", u"", "[ empties Work even when the label is missing"},
      // Work editing.
      {u"1 2 3", u"GA,SB", u"123", "SB deletes spaces"},
      {u"a\0b c"s, u"GA,SD", u"abc", "SD deletes spaces and NULs"},
      {u"12 34 ab cd 5\0" u"6"s, u"GA,SN", u"1234 ab cd 56", "SN joins digits across one space or NUL"},
      {u"abc.,", u"GA,ST", u"abc", "ST removes trailing word delimiters"},
      {u"кг 5 кг", u"GA,SFкг", u"5 кг", "SF cuts the first match, leaving a NUL mark"},
      {u"кг 5 кг", u"GA,SLкг", u"кг 5", "SL cuts the last match"},
      {u"кг 5 кг 6", u"GA,SAкг", u"5 ^6", "SA cuts every match; the marks split the value"},
      {u"№ 123", u"GA,S#", u"123", "S# cuts the number sign"},
      {u"(12)", u"GA,S(", u"12", "S( cuts the first brackets"},
      {u"a b", u"GA,SX", u"a b", "an unknown S step does nothing"},
      // Control and positions.
      {u"a b", u"GA,EX,SB", u"a b", "EX stops the macro"},
      {u"ab 5", u"T5,RE,GW", u"ab", "RE puts Pos back at the start"},
      {u"ab 5x", u"T5,?N,GT+", u"5x", "?N holds at a digit"},
      {u"ab 5x", u"T5,?S,GT-", u"", "?S holds at a digit, so the - step is skipped"},
      {u"A1 b", u"?I,GT+", u"A1 b", "?I holds at a letter followed by a digit"},
      {u"Ab", u"?I,GT+", u"", "?I fails at a letter followed by a letter"},
      {u"abc 12 def 34", u"FN2,GW", u"34", "FN with a count skips a word between repetitions"},
      {u"-- ab", u"FS,GT", u"ab", "FS moves to a Latin letter or digit"},
      {u"- A1 x", u"FI,GT", u"A1 x", "FI stops at a letter followed by a digit"},
      {u"x A1", u"FI,GT", u"", "FI goes past the end when the first candidate has no digit after it"},
      {u"a b c d", u"GW3", u"a b c", "GW with a count takes that many words"},
      {u"a b c d", u"GW+3", u"", "+ skips the step while the last test failed"},
      {u"a b c d", u"Ta,GW+3", u"a b c", "+ runs the step after a test that held; the count follows the sign"},
      {u"a b c d", u"GW-3", u"a", "- runs after a failed test; a negative count is 1"},
      {u"a b", u"GW999999999", u"a b", "a huge count stops at the end of the text"},
      {u"line1\0line2"s, u"GL", u"line1", "GL takes one line"},
      {u"line1\0line2"s, u"NL,GL", u"line2", "NL skips a line"},
      {u"a b c", u"NW,GW", u"b", "NW skips a word"},
      {u"a b", u"ZZ,QQ9", u"", "unknown steps do nothing"},
  };
  for (const TMacroCase& c : cases) {
    P.R.State = 0;
    EXPECT_EQ(Show(P.R.EvalFieldRule(c.Text, c.Macro)), Show(c.Expected))
        << c.Why << " [" << Show(c.Macro) << "]";
  }
}

TEST_F(MacroTest, StateAndLog) {
  const struct {
    std::u16string Macro;
    uint8_t Before, After;
    const char* Why;
  } cases[] = {
      {u"=PLIST", 0, 1, "a matching pattern marks the document as matched"},
      {u"=PLIST", 2, 2, "a filtered document stays filtered"},
      {u"=PKPP", 0, 2, "no pattern of the parameter matches: filtered"},
      {u"=PEMPTY", 0, 0, "an empty parameter leaves the state"},
      {u"PPLIST", 0, 1, "P marks a match as well"},
      {u"PPKPP", 1, 1, "P without a match changes nothing"},
      {u"NC", 1, 2, "NC filters the document"},
  };
  for (const auto& c : cases) {
    P.R.State = c.Before;
    P.R.EvalFieldRule(u"123 XYZ", c.Macro);
    EXPECT_EQ(P.R.State, c.After) << c.Why;
  }
  P.R.EvalFieldRule(u"x", u"@PNONE");
  EXPECT_TRUE(P.Host.Logged(u"--> Параметр не определен: \"PNONE\""));
}

TEST_F(MacroTest, PositionsStayInsideTheText) {
  // Steps that move or cut at the end of the text, in every order, must not read past it. The text is
  // the front of a longer buffer: nothing of what follows it may reach the result.
  const std::u16string buffer = u"x1\0 xЖЖЖЖ"s;
  const std::u16string_view text = std::u16string_view(buffer).substr(0, 5);
  const std::u16string steps[] = {u"GT", u"]x", u"<x", u"FN", u"FI", u"GW", u"GL", u"NL", u"RF", u"T\0"s, u"SAx"};
  for (const auto& a : steps)
    for (const auto& b : steps) {
      const std::u16string macro = a + u"," + b + u",GT,?I,[x,>x";
      const std::u16string result = P.R.EvalFieldRule(text, macro);
      EXPECT_EQ(result.find_first_not_of(u"x1 ^"), std::u16string::npos)
          << "only the text's own characters and the line delimiter: " << Show(result) << " [" << Show(macro) << "]";
    }
}

}  // namespace
