// Tables: grids built from ruling lines, texts put into cells, and the table as text through a window
// and row filters.
#include <gtest/gtest.h>

#include "tests/coding/recog_page.h"

namespace {

// Columns at x 100, 200, 300, 400 and rows at y 100, 150, 200, 250, every line drawn across the table.
void RuleTable(TTestPage& p, std::initializer_list<int32_t> xs = {100, 200, 300, 400},
               std::initializer_list<int32_t> ys = {100, 150, 200, 250}) {
  for (int32_t y : ys) p.HLine(y, 100, 400);
  for (int32_t x : xs) p.VLine(x, 100, 250);
}

void Cell(TTestPage& p, std::u16string_view text, int32_t col, int32_t row) {
  const int32_t x = 110 + 100 * col, y = 110 + 50 * row;
  p.Text(text, x, y, x + 80, y + 30);
}

void FillTable(TTestPage& p) {
  const char16_t* cells[3][3] = {{u"Код", u"Товар", u"Цена"}, {u"1", u"Болт", u"10"}, {u"2", u"Гайка", u"5"}};
  for (int32_t r = 0; r < 3; ++r)
    for (int32_t c = 0; c < 3; ++c) Cell(p, cells[r][c], c, r);
}

// The frame lines found by a model and the table declared over them.
const char16_t* const kTableModel[] = {u"RHTOP", u"RHBOT,I", u"RVLEFT", u"RVRIGHT,I"};

void DeclareTable(TTestPage& p, std::u16string_view parts = u"HTOP,HBOT,VLEFT,VRIGHT") {
  int32_t i = 1;
  for (const char16_t* line : kTableModel) ASSERT_EQ(p.R.ExecModelLine(i++, line, false), kLineDone);
  ASSERT_EQ(p.R.ExecModelLine(i, u"RGTAB," + std::u16string(parts), false), kLineDone);
}

const TGrid& Grid(const TTestPage& p) { return static_cast<const TGrid&>(*p.Grids.at(0)); }

TEST(TablesTest, DocumentWithATable) {
  TTestPage p;
  p.Text(u"Накладная", 100, 20, 400, 50);
  RuleTable(p);
  FillTable(p);
  p.Model({u"RRTITLE,Накладная", u"RHTOP", u"RHBOT,I", u"RVLEFT", u"RVRIGHT,I", u"RGTAB,HTOP,HBOT,VLEFT,VRIGHT"});
  p.Fields({{u"1", u"RTAB,Таблица,@GTAB,,0,1,0,0"}});
  ASSERT_TRUE(p.R.Recognize());
  EXPECT_EQ(Show(p.R.Payload), "TAB:3,2,1|Болт|10/2|Гайка|5\\t");
  EXPECT_TRUE(p.Host.Logged(u"  Обработка таблиц"));
  const TGrid& g = Grid(p);
  EXPECT_EQ(g.Rect, (TRect{100, 100, 400, 250}));
  EXPECT_EQ(g.Cols, 3);
  EXPECT_EQ(g.Rows, 3);
  EXPECT_EQ(p.R.Wide(g.Cells.Get(4)), u"Болт");
}

TEST(TablesTest, WindowAndRowFilters) {
  const struct {
    std::u16string Macro;
    std::string Expected;
    const char* Why;
  } cases[] = {
      {u"", "3,3,Код|Товар|Цена/1|Болт|10/2|Гайка|5", "no window: the whole table"},
      {u"0,1,0,0", "3,2,1|Болт|10/2|Гайка|5", "the head row left out"},
      {u"1,0,1,0", "1,3,Товар/Болт/Гайка", "a column left out on either side"},
      {u"x,1", "3,2,1|Болт|10/2|Гайка|5", "a number that is none counts 0"},
      {u"0,1,0,0|1~1", "3,1,2|Гайка|5", "~: rows whose first cell contains the pattern go"},
      {u"0,1,0,0|2=болт", "3,1,2|Гайка|5", "=: the whole cell matches (folded case)"},
      {u"0,1,0,0|2=бол", "3,2,1|Болт|10/2|Гайка|5", "=: a cell holding more than the match stays"},
      {u"0,1,0,0|1~1^3=10", "3,1,2|Гайка|5", "every condition must hold"},
      {u"0,1,0,0|1~2^3=10", "3,2,1|Болт|10/2|Гайка|5", "a row failing one condition stays"},
      {u"0,1,0,0|3~", "3,2,1|Болт|10/2|Гайка|5", "an empty pattern requires an empty cell"},
      {u"0,1,0,0|9~1", "3,2,1|Болт|10/2|Гайка|5", "a column outside the table does nothing"},
      {u"0,1,0,0|1~1|1~2", "3,0,", "filters apply one after another"},
      {u"0,1,0,0||1~1", "3,2,1|Болт|10/2|Гайка|5", "an empty filter ends the macro"},
      {u"0,1,0,0|2", "3,2,1|Болт|10/2|Гайка|5", "a condition without an operator does nothing"},
  };
  for (const auto& c : cases) {
    TTestPage p;
    RuleTable(p);
    FillTable(p);
    DeclareTable(p);
    ASSERT_TRUE(p.R.ProcessTables());
    EXPECT_EQ(Show(p.R.TableText(u"gtab", c.Macro)), c.Expected) << c.Why;
  }
}

TEST(TablesTest, RenderingChangesTheTable) {
  TTestPage p;
  RuleTable(p);
  FillTable(p);
  DeclareTable(p);
  p.R.ProcessTables();
  EXPECT_EQ(Show(p.R.TableText(u"GTAB", u"0,1,0,0|1~1")), "3,1,2|Гайка|5");
  EXPECT_EQ(Show(p.R.TableText(u"GTAB", u"")), "3,2,Код|Товар|Цена/2|Гайка|5") << "a second field sees the reduced table";
  EXPECT_EQ(p.R.TableText(u"GNONE", u""), u"");
}

TEST(TablesTest, EmptyCellsAndRows) {
  TTestPage p;
  RuleTable(p);
  Cell(p, u"a", 0, 0);
  Cell(p, u"b", 1, 0);
  Cell(p, u"c", 0, 2);
  DeclareTable(p);
  p.R.ProcessTables();
  EXPECT_EQ(Show(p.R.TableText(u"GTAB", u"")), "3,2,a|b|/c||") << "the empty middle row disappears";
  EXPECT_EQ(Grid(p).Rows, 2);
  EXPECT_EQ(Show(p.R.TableText(u"GTAB", u"|2=")), "3,1,a|b|") << "a row whose second cell is empty goes";
}

TEST(TablesTest, EdgesAndCells) {
  {
    TTestPage p;  // two vertical lines 2 apart with a tolerance of 3
    RuleTable(p, {100, 200, 202, 300, 400});
    DeclareTable(p);
    p.R.ProcessTables();
    EXPECT_EQ(Grid(p).Cols, 3);
  }
  {
    TTestPage p;  // 3 apart is not closer than the tolerance
    RuleTable(p, {100, 200, 203, 300, 400});
    DeclareTable(p);
    p.R.ProcessTables();
    EXPECT_EQ(Grid(p).Cols, 4);
  }
  {
    TTestPage p;  // a tolerance of 0 must not make cells of no width from the frame's own lines
    p.R.SortTolerance = TSmallPoint{0, 0};
    RuleTable(p);
    DeclareTable(p);
    p.R.ProcessTables();
    EXPECT_EQ(Grid(p).Cols, 3);
    EXPECT_EQ(Grid(p).Rows, 3);
  }
  {
    TTestPage p;  // a text centred on the edge between two cells goes into both
    RuleTable(p);
    p.Text(u"x", 190, 160, 210, 190);
    DeclareTable(p);
    p.R.ProcessTables();
    EXPECT_EQ(Grid(p).Cells.Get(3), "x");
    EXPECT_EQ(Grid(p).Cells.Get(4), "x");
    EXPECT_EQ(Grid(p).Cells.Get(5), "");
  }
  {
    TTestPage p;  // texts of one cell are joined with LinesDelim; a text outside is ignored
    RuleTable(p);
    p.Text(u"верх", 110, 105, 190, 120);
    p.Text(u"низ", 110, 125, 190, 145);
    p.Text(u"вне", 500, 105, 590, 120);
    DeclareTable(p);
    p.R.ProcessTables();
    EXPECT_EQ(p.R.Wide(Grid(p).Cells.Get(0)), u"верх^низ");
    EXPECT_EQ(Show(p.R.TableText(u"GTAB", u"0,0,2,0")), "1,1,верх^низ");
  }
}

// Ruling lines come from the page: a table of more cells than the cap gets none, instead of the memory
// of cols x rows cells; one at the cap is built.
TEST(TablesTest, CellCountIsCapped) {
  const struct {
    int32_t Cols, Rows;
    bool Built;
  } cases[] = {{1024, 1024, true}, {1024, 1025, false}, {1025, 1025, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Cols << " x " << c.Rows);
    ASSERT_EQ(int64_t{c.Cols} * c.Rows <= kMaxTableCells, c.Built);
    TTestPage p;
    const int32_t right = 4 * c.Cols, bottom = 4 * c.Rows;
    for (int32_t y = 0; y <= bottom; y += 4) p.HLine(y, 0, right);
    for (int32_t x = 0; x <= right; x += 4) p.VLine(x, 0, bottom);
    p.Text(u"a", 1, 1, 3, 3);
    DeclareTable(p);
    ASSERT_TRUE(p.R.ProcessTables());
    const TGrid& g = Grid(p);
    EXPECT_EQ(g.Cols, c.Built ? c.Cols : 0);
    EXPECT_EQ(g.Rows, c.Built ? c.Rows : 0);
    EXPECT_EQ(g.Cells.Count(), c.Built ? int64_t{c.Cols} * c.Rows : 0);
    if (c.Built) {
      EXPECT_EQ(g.Cells.Get(0), "a");
    } else {
      EXPECT_EQ(Show(p.R.TableText(u"GTAB", u"")), "0,0,") << "an empty table, rendered";
    }
  }
}

TEST(TablesTest, ColumnHintStartsRows) {
  // Only the frame and the column lines: the texts of the first column start the rows.
  for (bool hint : {false, true}) {
    TTestPage p;
    RuleTable(p, {100, 200, 400}, {100, 250});
    p.Text(u"1", 110, 110, 190, 120);
    p.Text(u"Болт", 210, 110, 390, 120);
    p.Text(u"длинный", 210, 125, 390, 135);
    p.Text(u"2", 110, 160, 190, 170);
    p.Text(u"Гайка", 210, 160, 390, 170);
    DeclareTable(p, hint ? u"HTOP,HBOT,VLEFT,VRIGHT,C1" : u"HTOP,HBOT,VLEFT,VRIGHT");
    p.R.ProcessTables();
    EXPECT_EQ(Grid(p).ColumnHint, hint ? 1 : 0);
    EXPECT_EQ(Show(p.R.TableText(u"GTAB", u"")),
              hint ? "2,2,1|Болт^длинный/2|Гайка" : "2,1,1^2|Болт^длинный^Гайка");
  }
}

TEST(TablesTest, PartsThatAreNotLines) {
  TTestPage p;
  p.Name(u"RA", p.Text(u"a", 0, 0, 10, 10));
  ASSERT_EQ(p.R.ExecModelLine(1, u"RGT,RA,Cx,,C", false), kLineDone);
  p.R.ProcessTables();
  const TGrid& g = Grid(p);
  EXPECT_EQ(g.Cols, 0);
  EXPECT_EQ(g.Cells.Count(), 0) << "a table without any line has no cells";
  EXPECT_TRUE(p.Host.Logged(u"    [GT], объект не обработан: [RA]"));
  EXPECT_TRUE(p.Host.Logged(u"    [GT], объект не обработан: [Cx]"));
  EXPECT_TRUE(p.Host.Logged(u"    [GT], объект не обработан: [C]"));
  EXPECT_EQ(p.R.ExecModelLine(2, u"RGU,RA,RMISSING", false), kLineNotFound) << "a missing part: not found";
}

TEST(TablesTest, TableHead) {
  const struct {
    std::string Format;
    bool Ok;
    std::string Expected;
    const char* Why;
  } cases[] = {
      {"%d,%d,", true, "3,2,", "the default head"},
      {"%d", true, "3", "fewer numbers than given"},
      {"T%d:%D%%", true, "T3:2%", "a per cent sign and either case of d"},
      {"", true, "", "no placeholder"},
      {"%d%d%d", false, "", "a third number"},
      {"%s", false, "", "a text placeholder would read what is not there"},
      {"%5d", false, "", "widths are not taken"},
      {"%x", false, "", "other conversions"},
      {"abc%", false, "", "a lone per cent sign at the end"},
  };
  for (const auto& c : cases) {
    std::string out = "junk";
    EXPECT_EQ(FormatGridHead(c.Format, 3, 2, out), c.Ok) << c.Why;
    if (c.Ok) {
      EXPECT_EQ(out, c.Expected) << c.Why;
    }
  }

  TTestPage p;
  RuleTable(p);
  FillTable(p);
  DeclareTable(p);
  p.R.ProcessTables();
  p.Delims.GridHead = "%s%n";
  EXPECT_EQ(Show(p.R.TableText(u"GTAB", u"2,2,0,0")), "5") << "a rejected head is left out";
  EXPECT_TRUE(p.Host.Logged(u"Ошибка! Формат заголовка таблиц неверен: \"%s%n\""));
  p.Delims.GridHead = "  ";
  EXPECT_EQ(Show(p.R.TableText(u"GTAB", u"2,2,0,0")), "5") << "a blank head is no head";
}

}  // namespace
