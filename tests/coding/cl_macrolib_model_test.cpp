// The document model interpreter on page models built by hand: a form with labelled fields, a document
// type told apart by conditions on lines, single model lines, backtracking, and the run's limits.
#include <gtest/gtest.h>

#include "tests/coding/recog_page.h"

namespace {

// A form: a title, two labels with their values to the right, and a footer that sets the page size.
void BuildForm(TTestPage& p) {
  p.Text(u"СЧЕТ-ФАКТУРА", 300, 20, 700, 50);
  p.Text(u"ИНН", 50, 100, 120, 120);
  p.Text(u"7701234567", 150, 100, 350, 120);
  p.Text(u"КПП", 50, 140, 120, 160);
  p.Text(u"770101001", 150, 142, 350, 162);
  p.Text(u"стр. 1", 900, 980, 999, 999);
}

TEST(ModelTest, FormWithLabelledFields) {
  TTestPage p;
  BuildForm(p);
  p.Model({u"RRTITLE,СЧЕТ-ФАКТУРА", u"RRLINN,ИНН", u"FRLKPP,КПП"});
  p.Fields({{u"1", u"RINN,ИНН,=8RLINN,,"}, {u"2", u"OKPP,КПП,=8RLKPP,,"}});
  ASSERT_TRUE(p.R.Recognize());
  EXPECT_EQ(Show(p.R.Payload), "INN:7701234567\\tKPP:770101001\\t");
  EXPECT_EQ(p.FoundText(u"RLKPP"), u"КПП");
  EXPECT_EQ(p.R.State, 0);
  EXPECT_TRUE(p.Host.Logged(u"  Чтение модели"));
  EXPECT_TRUE(p.Host.Logged(u"  Обработка полей"));
  EXPECT_TRUE(p.Host.Logged(u"OK!"));
  EXPECT_EQ(p.Host.Status, (std::vector<std::u16string>{u"ИНН", u"КПП"}));
}

TEST(ModelTest, FormOfAnotherTypeStopsAtItsRequiredTitle) {
  TTestPage p;
  BuildForm(p);
  p.Model({u"RRTITLE,НАКЛАДНАЯ", u"RRLINN,ИНН"});
  p.Fields({{u"1", u"CX,X,,,1"}});
  EXPECT_FALSE(p.R.Recognize());
  EXPECT_TRUE(p.R.Payload.empty());
  EXPECT_TRUE(p.Host.Logged(u"    1, [RRTITLE] - Ошибка! Не найден. Выход"));
  EXPECT_FALSE(p.Host.Logged(u"  Обработка полей"));
}

// Two pages of which only the first has its rule line near the top, with the title under it.
void BuildOrder(TTestPage& p, int32_t lineY) {
  p.HLine(lineY, 100, 900);
  p.Text(u"ЗАКАЗ № 17", 400, lineY + 10, 600, lineY + 30);
  p.Text(u"конец", 900, 980, 999, 999);
}

TEST(ModelTest, DocumentTypeMatchedByConditionsOnLines) {
  const struct {
    int32_t LineY;
    bool Matches;
    const char* Why;
  } cases[] = {
      {50, true, "the line lies in the top tenth of the page and the title below it"},
      {100, true, "100 of a page 1000 high is 100 per mille: the range includes its end"},
      {102, false, "102 per mille is past the range"},
      {300, false, "the line lies too low"},
  };
  for (const auto& c : cases) {
    TTestPage p;
    BuildOrder(p, c.LineY);
    p.Model({u"RHTOP,r1:0-100", u"RRTITLE,ЗАКАЗ,=1HTOP", u"SPORDER"});
    p.Fields({{u"1", u"RNUM,Номер,@RTITLE,,SF№"}});
    EXPECT_EQ(p.R.Recognize(), c.Matches) << c.Why;
    if (c.Matches) {
      EXPECT_EQ(Show(p.R.Payload), "NUM:ЗАКАЗ ^17\\t") << "the value form puts GT before an S macro; the cut leaves a mark";
      EXPECT_NE(p.R.ParamValue(u"porder"), nullptr) << "a set parameter is found by any case";
    }
  }
}

TEST(ModelTest, JumpLines) {
  const struct {
    std::u16string Line;
    std::u16string Flag;  // value of the parameter PFLAG; "-" for none
    int32_t Result, Jump;
    const char* Why;
  } cases[] = {
      {u"J3", u"-", 4, 3, "no condition: jump"},
      {u"J0", u"-", 3, 0, "J0 does nothing"},
      {u"J", u"-", 3, 0, "a bare J does nothing"},
      {u"Jx", u"-", 3, 0, "a target that is no number does nothing"},
      {u"j4", u"-", 4, 4, "the command letter is case-insensitive"},
      {u"J5,PFLAG,1", u"1", 4, 5, "the parameter holds the value"},
      {u"J5,PFLAG,1", u" 1 ", 4, 5, "the parameter's value is trimmed"},
      {u"J5,PFLAG,1", u"2", 3, 0, "another value: no jump"},
      {u"J5,PFLAG, 1", u"1", 3, 0, "the expected value is not trimmed"},
      {u"J5,PFLAG", u"2", 4, 5, "without a value any non-empty parameter jumps"},
      {u"J5,PFLAG", u"  ", 3, 0, "a blank parameter does not"},
      {u"J5,PFLAG", u"-", 3, 0, "a missing name does not"},
      {u"J5,NUMBER", u"-", 4, 5, "a field beginning with N is a sort field: the condition name is gone"},
      {u"J5,RTEXT,Итого", u"-", 4, 5, "a found text is tested by its text"},
      {u"J5,RTEXT,итого", u"-", 3, 0, "the comparison is exact"},
  };
  for (const auto& c : cases) {
    TTestPage p;
    p.Name(u"RTEXT", p.Text(u" Итого ", 0, 0, 10, 10));
    if (c.Flag != u"-") p.Param(u"PFLAG", c.Flag);
    EXPECT_EQ(p.R.ExecModelLine(1, c.Line, false), c.Result) << c.Why;
    EXPECT_EQ(p.R.JumpLine, c.Jump) << c.Why;
    EXPECT_EQ(p.R.ExecModelLine(1, c.Line, true), kLineAbsent) << "stepping back: " << c.Why;
  }
}

TEST(ModelTest, SetParameterLines) {
  TTestPage p;
  EXPECT_EQ(p.R.ExecModelLine(2, u"SX1", false), kLineDone);
  EXPECT_TRUE(p.Host.Logged(u"    2, Параметр, ошибка наименования: [X1]"));
  EXPECT_EQ(p.R.ExecModelLine(3, u"SP1", false), kLineDone);
  EXPECT_EQ(p.R.ExecModelLine(4, u"SP1", false), kLineDone);
  EXPECT_EQ(p.NamedParams.Count(), 1);
  EXPECT_EQ(p.Found.Count(), 1);
  ASSERT_NE(p.R.ParamValue(u"P1"), nullptr);
  EXPECT_EQ(*p.R.ParamValue(u"P1"), u"1");
  EXPECT_TRUE(p.Host.Logged(u"    3, [P1] - Установка параметра"));

  EXPECT_EQ(p.R.ExecModelLine(5, u"Sp2", false), kLineDone);
  EXPECT_TRUE(p.Host.Logged(u"    5, Параметр, ошибка наименования: [p2]")) << "a parameter name begins with a capital P";
  EXPECT_EQ(p.R.ExecModelLine(6, u"sP3", false), kLineDone);
  EXPECT_NE(p.R.ParamValue(u"P3"), nullptr) << "the command letter is case-insensitive";
  EXPECT_EQ(p.NamedParams.Count(), 2);
}

TEST(ModelTest, PlaceLines) {
  const struct {
    int32_t PicTop;
    std::u16string Line;
    TRect Area;
    const char* Why;
  } cases[] = {
      {0, u"P<RA,<RA,>RB,>RB", {0, 0, 0, 0}, "the lower half: place lines do nothing"},
      {1, u"P<RA,<RA,>RB,>RB", {0, 0, 0, 0}, "the upper half: place lines do nothing"},
      {2, u"P<RA,<RA,>RB,>RB", {10, 20, 300, 400}, "corners of the named objects"},
      {-1, u"P<RA,<RA,>RB,>RB", {10, 20, 300, 400}, "PicTop is compared as an unsigned number"},
      {2, u"P*RA,*RA,*RB,*RB", {20, 30, 250, 350}, "any other marker takes the midpoints"},
      {2, u"P<RA,<,>RNONE,>RB", {10, 0, 0, 400}, "an empty or unknown name gives (0, 0)"},
  };
  for (const auto& c : cases) {
    TTestPage p;
    p.Name(u"RA", p.Text(u"a", 10, 20, 31, 41));
    p.Name(u"RB", p.Text(u"b", 200, 300, 300, 400));
    p.R.PicTop = c.PicTop;
    EXPECT_EQ(p.R.ExecModelLine(1, c.Line, false), kLineDone) << c.Why;
    EXPECT_EQ(p.R.OutputArea, c.Area) << c.Why;
  }
  TTestPage p;
  p.R.PicTop = 2;
  p.R.ExecModelLine(7, u"P<RNONE,<,>,>", false);
  EXPECT_TRUE(p.Host.Logged(u"    7, [RNONE] - Объект не найден!"));
  EXPECT_TRUE(p.Host.Logged(u"    7, Установка области вывода: (0,0,0,0)"));
}

TEST(ModelTest, MissingModelAndEmptyModel) {
  TTestPage missing;
  missing.Config.HasModel = false;
  missing.Fields({{u"1", u"CX,X,,,1"}});
  EXPECT_FALSE(missing.R.Recognize());
  EXPECT_FALSE(missing.Host.LoggedPart(u"время выполнения"));

  TTestPage empty;
  empty.Fields({{u"1", u"CX,X,,,1"}});
  EXPECT_TRUE(empty.R.Recognize()) << "a model without line 1 succeeds; the fields still run";
  EXPECT_EQ(Show(empty.R.Payload), "X:1\\t");
}

// Two texts "A", a line under the second only: the line search fails for the first and the interpreter
// takes the next "A".
TEST(ModelTest, RequiredLineMakesThePreviousSearchTakeItsNextCandidate) {
  TTestPage p;
  p.Text(u"A", 100, 100, 200, 120);
  p.Text(u"A", 100, 500, 200, 520);
  p.HLine(530, 100, 200);
  p.Text(u"end", 900, 980, 999, 999);
  p.Model({u"RRX,A", u"FRMISSING,zzz", u"RH1,r1RX:0-20"});
  p.Fields({{u"1", u"CX,X,,,1"}});
  ASSERT_TRUE(p.R.Recognize());
  EXPECT_EQ(p.R.FindRectObject(u"RX")->Rect.Top, 500);
  EXPECT_TRUE(p.Host.Logged(u"    2, [FRMISSING] - Отсутствует"));
  EXPECT_TRUE(p.Host.Logged(u"    3, [RH1] - Ошибка! Не найден"));
  EXPECT_TRUE(p.Host.Logged(u"    1, [RRX] - Новый поиск [i=0]"));
  EXPECT_EQ(static_cast<const TLineProTo*>(p.Texts[0].get())->Used, 0) << "the first candidate is released";
}

TEST(ModelTest, RetryTermRestartsFromItsLine) {
  TTestPage p;
  p.Text(u"A", 0, 100, 50, 120);
  p.Text(u"A", 200, 300, 250, 320);
  p.Text(u"B", 600, 100, 700, 120);
  p.Text(u"C", 200, 340, 250, 360);
  p.Text(u"end", 900, 980, 999, 999);
  // C must stand under A; when it does not, line 1 is retried and B found again.
  p.Model({u"RRA,A", u"RRB,B", u"RRC,C,*1^=1RA"});
  p.Fields({{u"1", u"CX,X,,,1"}});
  ASSERT_TRUE(p.R.Recognize());
  EXPECT_EQ(p.R.FindRectObject(u"RA")->Rect.Left, 200);
  EXPECT_EQ(p.FoundText(u"RB"), u"B");
  EXPECT_EQ(p.FoundText(u"RC"), u"C");
}

// Stepping back onto a line that has no other candidate (a jump, a parameter, a table) must go on
// stepping back instead of sending the interpreter forward onto the same failure.
TEST(ModelTest, SteppingBackPassesLinesThatCannotBeRetried) {
  const std::u16string middles[] = {u"J3,PNONE", u"SPX", u"P<RA,<RA,>RA,>RA", u"RGT,RA"};
  for (const auto& middle : middles) {
    TTestPage p;
    p.Text(u"A", 0, 0, 10, 10);
    p.Text(u"B", 500, 500, 510, 510);
    p.R.PicTop = 2;
    p.R.MaxModelSteps = 1000;
    p.Model({u"RRA,A", middle, u"RRB,B,r1:0-1"});
    EXPECT_FALSE(p.R.Recognize()) << Show(middle);
    EXPECT_FALSE(p.Host.Logged(u"--> Timeout error!")) << Show(middle);
    EXPECT_TRUE(p.Grids.empty()) << "a table stepped over is forgotten: " << Show(middle);
  }
}

TEST(ModelTest, EndlessModelsAreCut) {
  // A jump back to line 1 never ends by itself.
  TTestPage steps;
  steps.Text(u"A", 0, 0, 10, 10);
  steps.R.MaxModelSteps = 50;
  steps.Model({u"RRA,A", u"J1"});
  EXPECT_FALSE(steps.R.Recognize());
  EXPECT_TRUE(steps.Host.Logged(u"--> Timeout error!"));

  // The time limit: 10 ms with a clock that moves 1 ms a reading. Reached exactly is in time; one more
  // millisecond is not.
  const struct {
    int32_t TimeOut;
    uint32_t Step;
    bool Ends;
    const char* Why;
  } cases[] = {
      {10, 1, true, "the model's three readings stay within 10 ms"},
      {2, 1, false, "the third reading is 3 ms after the start"},
      {3, 1, true, "3 ms after the start is still within a 3 ms limit"},
      {0, 2000, false, "a limit below 1 is the default 5000 ms, not unlimited"},
      {-5, 2000, false, "so is a negative one"},
      {0, 1600, true, "three readings 1600 ms apart stay within the default"},
      {0, 1, true, "and the default leaves a quick model alone"},
  };
  for (const auto& c : cases) {
    TTestPage p;
    p.Text(u"A", 0, 0, 10, 10);
    p.R.ModelTimeOut = c.TimeOut;
    p.Host.ClockStep = c.Step;
    p.Model({u"RRA,A", u"SPX", u"FRB,B"});
    p.Fields({{u"1", u"CX,X,,,1"}});
    EXPECT_EQ(p.R.Recognize(), c.Ends) << c.Why;
    EXPECT_EQ(p.Host.Logged(u"--> Timeout error!"), !c.Ends) << c.Why;
  }
}

TEST(ModelTest, ObjectsDumpedWhenTheLogLevelAsks) {
  for (int32_t level : {0, 3, 4, 7}) {
    TTestPage p;
    p.R.LogLevel = level;
    p.Fields({{u"1", u"CX,X,,,1"}});
    p.R.Recognize();
    EXPECT_EQ(p.Host.Dumps, (level & 4) ? 1 : 0) << level;
  }
}

TEST(ModelTest, SearchesUseTheirSortMode) {
  TTestPage p;
  p.Text(u"7", 100, 100, 120, 120);
  p.Text(u"7", 50, 200, 70, 220);
  // Mode 1 orders texts by their left edge first.
  EXPECT_EQ(p.R.ExecModelLine(1, u"FRX,S,7", false), kLineDone);
  EXPECT_EQ(p.R.FindRectObject(u"RX")->Rect.Left, 50);
  EXPECT_EQ(p.Texts[0]->Rect.Top, 100) << "the list is sorted back";
  EXPECT_EQ(p.R.ExecModelLine(2, u"FRY,7", false), kLineDone);
  EXPECT_EQ(p.R.FindRectObject(u"RY")->Rect.Left, 100) << "a taken text is not taken again";
  EXPECT_EQ(p.R.ExecModelLine(3, u"FRZ,7", false), kLineAbsent);
  EXPECT_EQ(p.R.ExecModelLine(4, u"FRX,7", false), kLineDone);
  EXPECT_TRUE(p.Host.Logged(u"    4, [RX] - Уже найден"));
}

}  // namespace
