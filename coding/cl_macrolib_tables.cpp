// Tables: a grid of cells built from the ruling lines that frame a table, the page texts put into its
// cells, and the table rendered as text through a window of rows and columns and row filters.
#include <algorithm>
#include <climits>
#include <cstdlib>

#include "coding/cl_macrolib_recog.h"
#include "coding/cl_macrolib_recog_text.h"
#include "coding/cl_macrotools_lines.h"
#include "coding/cl_macrotools_sort.h"
#include "foundation/lib_log.h"
#include "foundation/lib_str.h"

bool TRecognizer::ProcessTables() {
  if (Grids->empty()) return true;
  LogText(u"  Обработка таблиц");
  const uint32_t start = Host.Tick();
  SortObjects(*Texts, 0, false, false, SortTolerance);
  for (const auto& object : *Grids)
    if (auto* grid = dynamic_cast<TGrid*>(object.get())) BuildGrid(*grid);
  LogText(ElapsedText(start, Host.Tick()));
  return true;
}

namespace {

// Junctions that make a cell edge: corners, T-junctions and crossings (not a line that merely touches).
bool FormsCellEdge(int32_t code) {
  switch (code) {
    case 3: case 6: case 7: case 9: case 11: case 12: case 13: case 14: case 15: return true;
    default: return false;
  }
}

// Sorted ascending, an entry closer than the tolerance to the last kept one dropped. An equal entry is
// always dropped: with a tolerance of 0 or less a repeated edge would make a cell of no width.
void SortAndMerge(std::vector<int32_t>& edges, int16_t tolerance) {
  std::sort(edges.begin(), edges.end());
  std::vector<int32_t> kept;
  for (int32_t x : edges)
    if (kept.empty() || (int64_t{x} - kept.back() >= tolerance && x != kept.back())) kept.push_back(x);
  edges.swap(kept);
}

bool IsNumberText(std::u16string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), IsAsciiDigit);
}

// The ruling lines a table names and the rectangle they span; a part "C<n>" is the column whose texts
// start rows. Other parts are logged and left.
std::vector<const TRectProTo*> ReadGridParts(const TRecognizer& r, TGrid& grid, TRect& frame) {
  frame = TRect{INT_MAX, INT_MAX, -INT_MAX, -INT_MAX};
  std::vector<const TRectProTo*> lines;
  for (std::u16string_view parts = grid.Spec; !parts.empty();) {
    const std::u16string part = ExtractTokenW(parts, u',');
    if (part.empty()) continue;
    if (part[0] == u'H' || part[0] == u'V') {
      const TRectProTo* line = r.FindRectObject(part);
      if (line && dynamic_cast<const TLineProTo*>(line) && !dynamic_cast<const TTextProTo*>(line)) {
        frame = TRect{std::min(frame.Left, line->Rect.Left), std::min(frame.Top, line->Rect.Top),
                      std::max(frame.Right, line->Rect.Right), std::max(frame.Bottom, line->Rect.Bottom)};
        lines.push_back(line);
        continue;
      }
    } else if (part[0] == u'C' && IsNumberText(std::u16string_view(part).substr(1))) {
      grid.ColumnHint = NumberOrZero(std::u16string_view(part).substr(1));
      continue;
    }
    r.LogText(u"    [" + grid.Name + u"], объект не обработан: [" + part + u"]");
  }
  return lines;
}

// Column and row edges of a table: the frame, its own lines, the lines of the page that meet them in
// a cell-making junction, and rows started by texts of the hinted column.
class TGridEdges {
 public:
  TGridEdges(const TRect& frame, TSmallPoint tolerance) : frame_(frame), tx_(tolerance.X), ty_(tolerance.Y) {}

  // A line makes an edge when it reaches into the table beyond the tolerance.
  void Add(const TRect& l, bool vertical) {
    if (vertical) {
      if (int64_t{l.Bottom} > int64_t{frame_.Top} + ty_ && int64_t{l.Top} < int64_t{frame_.Bottom} - ty_)
        Cols.push_back(l.Left);
    } else if (int64_t{l.Right} > int64_t{frame_.Left} + tx_ && int64_t{l.Left} < int64_t{frame_.Right} - tx_) {
      Rows.push_back(l.Top);
    }
  }

  void AddFrameLine(const TRect& l, const TObjectList& crossing, bool vertical) {
    Add(l, vertical);
    for (const auto& other : crossing) {
      if (!other) continue;
      const int32_t code = vertical ? JunctionCode(l, other->Rect, tx_, ty_) : JunctionCode(other->Rect, l, tx_, ty_);
      if (FormsCellEdge(code)) Add(other->Rect, !vertical);
    }
  }

  // The frame's sides join the edges; all sorted, near ones merged.
  void Close() {
    Rows.push_back(frame_.Top);
    Rows.push_back(frame_.Bottom);
    Cols.push_back(frame_.Left);
    Cols.push_back(frame_.Right);
    SortAndMerge(Rows, ty_);
    SortAndMerge(Cols, tx_);
  }

  std::vector<int32_t> Cols, Rows;

 private:
  TRect frame_;
  int16_t tx_, ty_;
};

// Puts every text of the table into the cells its centre lies in (joined with LinesDelim); with
// findRows, the hinted column's texts start rows instead.
void PlaceTexts(const TRecognizer& rec, TGrid& grid, TGridEdges& edges, std::vector<std::string>& cells, bool findRows) {
  edges.Close();
  const std::vector<int32_t>& cols = edges.Cols;
  const std::vector<int32_t>& rows = edges.Rows;
  grid.Cols = static_cast<int32_t>(cols.size()) - 1;
  grid.Rows = static_cast<int32_t>(rows.size()) - 1;
  if (int64_t{grid.Cols} * grid.Rows > kMaxTableCells) grid.Cols = grid.Rows = 0;
  cells.assign(static_cast<size_t>(grid.Cols) * static_cast<size_t>(grid.Rows), std::string());
  if (cells.empty()) return;
  std::vector<TRect> newRows;
  for (const auto& object : *rec.Texts) {
    const auto* text = dynamic_cast<const TTextProTo*>(object.get());
    if (!text) continue;
    const TPoint centre = RectCenter(*text);
    if (!PointInRect(centre, grid.Rect)) continue;
    for (int32_t r = 0; r < grid.Rows; ++r) {
      if (centre.Y < rows[r] || centre.Y > rows[r + 1]) continue;
      for (int32_t c = 0; c < grid.Cols; ++c) {
        if (centre.X < cols[c] || centre.X > cols[c + 1]) continue;
        if (findRows) {
          if (c + 1 != grid.ColumnHint) continue;
          const int32_t y = text->Rect.Top == INT_MIN ? INT_MIN : text->Rect.Top - 1;
          newRows.push_back(TRect{text->Rect.Left, y, text->Rect.Right, y});
          continue;
        }
        std::string& cell = cells[static_cast<size_t>(r) * grid.Cols + c];
        if (!cell.empty()) cell += rec.Narrow(rec.Delims.LinesDelim);
        cell += rec.Narrow(text->Text);
      }
    }
  }
  for (const TRect& l : newRows) edges.Add(l, false);
}

}  // namespace

void TRecognizer::BuildGrid(TGrid& grid) {
  TRect frame;
  const std::vector<const TRectProTo*> lines = ReadGridParts(*this, grid, frame);
  grid.Rect = frame;
  grid.Cols = grid.Rows = 0;
  grid.Cells.Clear();
  if (lines.empty()) return;  // nothing frames it: no rows, no columns, no cells

  TGridEdges edges(frame, SortTolerance);
  for (const TRectProTo* line : lines) {
    const TRect& l = line->Rect;
    const bool vertical = std::llabs(int64_t{l.Bottom} - l.Top) > std::llabs(int64_t{l.Right} - l.Left);
    edges.AddFrameLine(l, vertical ? *HLines : *VLines, vertical);
  }
  // A column hint first finds the rows (every text in that column starts one), then fills them.
  std::vector<std::string> cells;
  if (grid.ColumnHint > 0) PlaceTexts(*this, grid, edges, cells, true);
  PlaceTexts(*this, grid, edges, cells, false);
  for (const std::string& cell : cells) grid.Cells.Add(cell);
}


namespace {

struct TWindow {
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
};

TWindow ReadWindow(std::u16string text) {
  int32_t v[4] = {};
  for (int32_t& x : v) x = std::max(0, NumberOrZero(ExtractTokenW(text, u',')));
  return TWindow{v[0], v[1], v[2], v[3]};
}

// A table's cells, row by row.
struct TTableCells {
  int32_t Cols = 0, Rows = 0;
  std::vector<std::u16string> Cells;
  std::u16string& At(int32_t r, int32_t c) { return Cells[static_cast<size_t>(r) * Cols + c]; }
};

// One condition of a row filter on a cell: "~" the cell contains the pattern, "=" the pattern is all
// of it but blanks; an empty pattern asks for a blank cell.
bool CellConditionHolds(const TPatternRules& rules, std::u16string_view pattern, char16_t op, const std::u16string& text) {
  if (pattern.empty()) return TrimW(text).empty();
  int32_t length = 0;
  const int32_t p = MatchPattern(rules, pattern, text, length, false);
  if (p <= 0) return false;
  if (op != u'=') return true;
  const size_t begin = static_cast<size_t>(p) - 1;
  return TrimW(std::u16string_view(text).substr(0, begin)).empty() &&
         TrimW(std::u16string_view(text).substr(std::min(text.size(), begin + length))).empty();
}

// Row filters ("|"-separated, conditions joined by "^"): every condition narrows the rows still in
// play; the rows that pass them all are emptied. An empty filter ends the list.
void ApplyRowFilters(TTableCells& t, std::u16string_view fields, const TPatternRules& rules) {
  while (!fields.empty()) {
    const std::u16string filterText = ExtractTokenW(fields, u'|');
    if (filterText.empty()) break;
    std::vector<int> flags(static_cast<size_t>(t.Rows), 0);
    for (std::u16string_view filter = filterText; !filter.empty();) {
      const std::u16string condition = ExtractTokenW(filter, u'^');
      const size_t op = condition.find_first_of(u"=~");
      if (op == std::u16string::npos) continue;
      const int32_t column = NumberOrZero(std::u16string_view(condition).substr(0, op));
      if (column < 1 || column > t.Cols) continue;
      const std::u16string pattern = TrimW(std::u16string_view(condition).substr(op + 1));
      for (int32_t r = 0; r < t.Rows; ++r) {
        if (flags[r] < 0) continue;
        flags[r] = CellConditionHolds(rules, pattern, condition[op], t.At(r, column - 1)) ? 1 : -1;
      }
    }
    for (int32_t r = 0; r < t.Rows; ++r)
      if (flags[r] == 1)
        for (int32_t c = 0; c < t.Cols; ++c) t.At(r, c).clear();
  }
}

// Rows with nothing in the window's columns go for good.
void DropEmptyRows(TTableCells& t, const TWindow& w) {
  std::vector<std::u16string> kept;
  int32_t keptRows = 0;
  for (int32_t r = 0; r < t.Rows; ++r) {
    bool empty = true;
    for (int32_t c = w.Left; c < t.Cols - w.Right && empty; ++c) empty = t.At(r, c).empty();
    if (empty) continue;
    for (int32_t c = 0; c < t.Cols; ++c) kept.push_back(t.At(r, c));
    ++keptRows;
  }
  t.Cells.swap(kept);
  t.Rows = keptRows;
}

// The window's cells, columns joined by cDelim and rows by lDelim.
std::u16string RenderWindow(TTableCells& t, const TWindow& w, std::u16string_view cDelim, std::u16string_view lDelim) {
  std::u16string text;
  for (int32_t r = w.Top; r < t.Rows - w.Bottom; ++r) {
    if (!text.empty()) text += lDelim;
    for (int32_t c = w.Left; c < t.Cols - w.Right; ++c) {
      if (c > w.Left) text += cDelim;
      text += t.At(r, c);
    }
  }
  return text;
}

}  // namespace

std::u16string TRecognizer::TableText(std::u16string_view name, std::u16string_view macro) {
  auto* grid = dynamic_cast<TGrid*>(FindRectObject(name));
  if (!grid) return {};
  TTableCells t;
  t.Cols = std::max(grid->Cols, 0);
  t.Rows = std::max(grid->Rows, 0);
  if (static_cast<int64_t>(t.Cols) * t.Rows != grid->Cells.Count()) t.Rows = t.Cols == 0 ? 0 : grid->Cells.Count() / t.Cols;
  for (int32_t i = 0; i < t.Cols * t.Rows; ++i) t.Cells.push_back(Wide(grid->Cells.Get(i)));

  std::u16string_view fields = macro;
  const TWindow w = ReadWindow(ExtractTokenW(fields, u'|'));
  ApplyRowFilters(t, fields, Pattern());
  DropEmptyRows(t, w);
  // Later fields see the reduced table.
  grid->Rows = t.Rows;
  grid->Cells.Clear();
  for (const std::u16string& c : t.Cells) grid->Cells.Add(Narrow(c));

  std::u16string text = RenderWindow(t, w, Wide(Delims.GridCDelim), Wide(Delims.GridLDelim));
  if (!TrimStr(Delims.GridHead).empty()) {
    std::string head;
    if (FormatGridHead(Delims.GridHead, t.Cols - w.Left - w.Right, t.Rows - w.Top - w.Bottom, head))
      text = Wide(head) + text;
    else
      LogText(u"Ошибка! Формат заголовка таблиц неверен: " + QuotedW(Wide(Delims.GridHead)));
  }
  return text;
}
