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

}  // namespace

void TRecognizer::BuildGrid(TGrid& grid) {
  const int16_t tx = SortTolerance.X, ty = SortTolerance.Y;
  TRect rc{INT_MAX, INT_MAX, -INT_MAX, -INT_MAX};
  std::vector<const TRectProTo*> lines;
  for (std::u16string_view parts = grid.Spec; !parts.empty();) {
    const std::u16string part = ExtractTokenW(parts, u',');
    if (part.empty()) continue;
    if (part[0] == u'H' || part[0] == u'V') {
      const TRectProTo* line = FindRectObject(part);
      if (line && dynamic_cast<const TLineProTo*>(line) && !dynamic_cast<const TTextProTo*>(line)) {
        rc = TRect{std::min(rc.Left, line->Rect.Left), std::min(rc.Top, line->Rect.Top),
                   std::max(rc.Right, line->Rect.Right), std::max(rc.Bottom, line->Rect.Bottom)};
        lines.push_back(line);
        continue;
      }
    } else if (part[0] == u'C' && IsNumberText(std::u16string_view(part).substr(1))) {
      grid.ColumnHint = NumberOrZero(std::u16string_view(part).substr(1));
      continue;
    }
    LogText(u"    [" + grid.Name + u"], объект не обработан: [" + part + u"]");
  }
  grid.Rect = rc;
  grid.Cols = grid.Rows = 0;
  grid.Cells.Clear();
  if (lines.empty()) return;  // nothing frames it: no rows, no columns, no cells

  std::vector<int32_t> cols, rows;
  // Rule A: a line makes an edge when it reaches into the table beyond the tolerance.
  auto addEdge = [&](const TRect& l, bool vertical) {
    if (vertical) {
      if (int64_t{l.Bottom} > int64_t{rc.Top} + ty && int64_t{l.Top} < int64_t{rc.Bottom} - ty) cols.push_back(l.Left);
    } else if (int64_t{l.Right} > int64_t{rc.Left} + tx && int64_t{l.Left} < int64_t{rc.Right} - tx) {
      rows.push_back(l.Top);
    }
  };
  for (const TRectProTo* line : lines) {
    const TRect& l = line->Rect;
    const bool vertical = std::llabs(int64_t{l.Bottom} - l.Top) > std::llabs(int64_t{l.Right} - l.Left);
    addEdge(l, vertical);
    for (const auto& other : vertical ? *HLines : *VLines) {
      if (!other) continue;
      const int32_t code =
          vertical ? JunctionCode(l, other->Rect, tx, ty) : JunctionCode(other->Rect, l, tx, ty);
      if (FormsCellEdge(code)) addEdge(other->Rect, !vertical);
    }
  }

  std::vector<std::string> cells;
  auto pass = [&](bool findRows) {
    rows.push_back(rc.Top);
    rows.push_back(rc.Bottom);
    cols.push_back(rc.Left);
    cols.push_back(rc.Right);
    SortAndMerge(rows, ty);
    SortAndMerge(cols, tx);
    grid.Cols = static_cast<int32_t>(cols.size()) - 1;
    grid.Rows = static_cast<int32_t>(rows.size()) - 1;
    if (int64_t{grid.Cols} * grid.Rows > kMaxTableCells) grid.Cols = grid.Rows = 0;
    cells.assign(static_cast<size_t>(grid.Cols) * static_cast<size_t>(grid.Rows), std::string());
    if (cells.empty()) return;
    std::vector<TRect> newRows;
    for (const auto& object : *Texts) {
      const auto* text = dynamic_cast<const TTextProTo*>(object.get());
      if (!text) continue;
      const TPoint centre = RectCenter(*text);
      if (!PointInRect(centre, rc)) continue;
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
          if (!cell.empty()) cell += Narrow(Delims.LinesDelim);
          cell += Narrow(text->Text);
        }
      }
    }
    for (const TRect& l : newRows) addEdge(l, false);
  };
  // A column hint first finds the rows (every text in that column starts one), then fills them.
  if (grid.ColumnHint > 0) pass(true);
  pass(false);
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

}  // namespace

std::u16string TRecognizer::TableText(std::u16string_view name, std::u16string_view macro) {
  auto* grid = dynamic_cast<TGrid*>(FindRectObject(name));
  if (!grid) return {};
  const int32_t cols = std::max(grid->Cols, 0);
  int32_t rows = std::max(grid->Rows, 0);
  if (static_cast<int64_t>(cols) * rows != grid->Cells.Count()) rows = cols == 0 ? 0 : grid->Cells.Count() / cols;
  std::vector<std::u16string> cells;
  for (int32_t i = 0; i < cols * rows; ++i) cells.push_back(Wide(grid->Cells.Get(i)));
  auto cell = [&](int32_t r, int32_t c) -> std::u16string& { return cells[static_cast<size_t>(r) * cols + c]; };

  std::u16string_view fields = macro;
  const TWindow w = ReadWindow(ExtractTokenW(fields, u'|'));
  const TPatternRules rules = Pattern();

  // Row filters: every condition narrows the rows still in play; the rows that pass them all are emptied.
  while (!fields.empty()) {
    const std::u16string filterText = ExtractTokenW(fields, u'|');
    if (filterText.empty()) break;
    std::vector<int> flags(static_cast<size_t>(rows), 0);
    for (std::u16string_view filter = filterText; !filter.empty();) {
      const std::u16string condition = ExtractTokenW(filter, u'^');
      const size_t op = condition.find_first_of(u"=~");
      if (op == std::u16string::npos) continue;
      const int32_t column = NumberOrZero(std::u16string_view(condition).substr(0, op));
      if (column < 1 || column > cols) continue;
      const std::u16string pattern = TrimW(std::u16string_view(condition).substr(op + 1));
      for (int32_t r = 0; r < rows; ++r) {
        if (flags[r] < 0) continue;
        const std::u16string& text = cell(r, column - 1);
        bool holds = false;
        if (pattern.empty()) {
          holds = TrimW(text).empty();
        } else {
          int32_t length = 0;
          const int32_t p = MatchPattern(rules, pattern, text, length, false);
          holds = p > 0;
          if (holds && condition[op] == u'=') {
            const size_t begin = static_cast<size_t>(p) - 1;
            holds = TrimW(std::u16string_view(text).substr(0, begin)).empty() &&
                    TrimW(std::u16string_view(text).substr(std::min(text.size(), begin + length))).empty();
          }
        }
        flags[r] = holds ? 1 : -1;
      }
    }
    for (int32_t r = 0; r < rows; ++r)
      if (flags[r] == 1)
        for (int32_t c = 0; c < cols; ++c) cell(r, c).clear();
  }

  // Rows with nothing in the window's columns go for good.
  std::vector<std::u16string> kept;
  int32_t keptRows = 0;
  for (int32_t r = 0; r < rows; ++r) {
    bool empty = true;
    for (int32_t c = w.Left; c < cols - w.Right && empty; ++c) empty = cell(r, c).empty();
    if (empty) continue;
    for (int32_t c = 0; c < cols; ++c) kept.push_back(cell(r, c));
    ++keptRows;
  }
  cells.swap(kept);
  rows = keptRows;
  grid->Rows = rows;
  grid->Cells.Clear();
  for (const std::u16string& c : cells) grid->Cells.Add(Narrow(c));

  const std::u16string cDelim = Wide(Delims.GridCDelim), lDelim = Wide(Delims.GridLDelim);
  std::u16string text;
  for (int32_t r = w.Top; r < rows - w.Bottom; ++r) {
    if (!text.empty()) text += lDelim;
    for (int32_t c = w.Left; c < cols - w.Right; ++c) {
      if (c > w.Left) text += cDelim;
      text += cell(r, c);
    }
  }
  if (!TrimStr(Delims.GridHead).empty()) {
    std::string head;
    if (FormatGridHead(Delims.GridHead, cols - w.Left - w.Right, rows - w.Top - w.Bottom, head))
      text = Wide(head) + text;
    else
      LogText(u"Ошибка! Формат заголовка таблиц неверен: " + QuotedW(Wide(Delims.GridHead)));
  }
  return text;
}
