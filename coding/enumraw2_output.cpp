// Code output as printer commands: the picture's rows are turned into runs once, and each form writes
// them in its command set, appending to one string.
#include "coding/enumraw2_output.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "coding/enumraw2.h"  // the output modes

namespace {

constexpr int64_t kUnitsPerInch = 2540;  // the module size's 0.01 mm
constexpr int32_t kMaxBandBytes = 65535;
// Larger values are refused before any product is formed, so products of three of them fit 64 bits.
constexpr int32_t kMaxFactor = 1000000;

// p / q rounded to the nearest integer, halves to the even neighbour (q > 0).
int64_t NearestDiv(int64_t p, int64_t q) {
  int64_t f = p / q;
  int64_t r = p % q;
  if (r < 0) {
    --f;
    r += q;
  }
  if (2 * r > q || (2 * r == q && (f & 1) != 0)) ++f;
  return f;
}

void AppendNumber(std::string& out, int64_t v) { out += std::to_string(v); }

// One run of dark modules: columns [Begin, End).
struct TRun {
  int32_t Begin;
  int32_t End;
};

// The rows the output walks: up to the last row with a dark module, each with its runs.
struct TRowRuns {
  std::vector<std::vector<TRun>> Rows;
  int32_t Length(size_t row) const { return Rows[row].empty() ? 0 : Rows[row].back().End; }
};

TRowRuns CollectRuns(const TCodeOutputInput& in) {
  TRowRuns result;
  const size_t stride = (static_cast<size_t>(in.Width) + 7) / 8;
  size_t used = 0;
  for (int32_t y = 0; y < in.Height; ++y) {
    const uint8_t* row = in.Picture.data() + stride * y;
    std::vector<TRun> runs;
    int32_t x = 0;
    while (x < in.Width) {
      if (((row[x >> 3] >> (7 - (x & 7))) & 1) == 0) {
        ++x;
        continue;
      }
      const int32_t begin = x;
      while (x < in.Width && ((row[x >> 3] >> (7 - (x & 7))) & 1) != 0) ++x;
      runs.push_back({begin, x});
    }
    if (!runs.empty()) used = static_cast<size_t>(y) + 1;
    result.Rows.push_back(std::move(runs));
  }
  result.Rows.resize(used);
  return result;
}

// Module edges in dots along one axis: edge k is where module k begins.
struct TAxis {
  int64_t ModuleSize;
  int64_t Dpi;
  int32_t Edge(int64_t k) const { return static_cast<int32_t>(NearestDiv(k * ModuleSize * Dpi, kUnitsPerInch)); }
};

int32_t RowOffset(const TCodeOutputInput& in) { return in.PicTop != 0 ? 0 : static_cast<int16_t>(in.PicPlace >> 16); }
int32_t Column(const TCodeOutputInput& in) { return static_cast<int16_t>(in.PicPlace & 0xFFFF); }

void AppendPclHeader(const TCodeOutputInput& in, std::string& out) {
  out += "\x1b&f0S\x1b&a";
  out += RelativeRowSign(static_cast<int16_t>(in.PicPlace >> 16), in.PicTop);
  AppendNumber(out, RowOffset(in));
  out += "R\x1b&a";
  AppendNumber(out, Column(in));
  out += 'C';
}

void AppendRastr(const TCodeOutputInput& in, const TRowRuns& runs, std::string& out) {
  const TAxis ax{in.ModuleSize, in.DpiX}, ay{in.ModuleSize, in.DpiY};
  AppendPclHeader(in, out);
  out += "\x1b*t";
  AppendNumber(out, in.DpiY);
  out += "R\x1b*r0F\x1b*r1A";
  std::string dots, packed;
  int32_t previousEnd = 0;
  for (size_t k = 0; k < runs.Rows.size(); ++k) {
    dots.assign((static_cast<size_t>(ax.Edge(runs.Length(k))) + 7) / 8, '\0');
    for (const TRun& run : runs.Rows[k]) {
      for (int32_t d = ax.Edge(run.Begin), e = ax.Edge(run.End); d < e; ++d)
        dots[d >> 3] = static_cast<char>(dots[d >> 3] | (0x80 >> (d & 7)));
    }
    packed.clear();
    PackRasterRow(dots, packed);
    out += "\x1b*b1m";
    AppendNumber(out, static_cast<int64_t>(packed.size()));
    out += 'W';
    out += packed;
    const int32_t end = ay.Edge(static_cast<int64_t>(k) + 1);
    for (int32_t r = end - previousEnd - 1; r > 0; --r) out += "\x1b*b3m0W";
    previousEnd = end;
  }
  out += "\x1b*rB\r\x1b&f1S";
}

// PCL moves relative to the cursor: rightward on the cursor's row with the upper-case terminator,
// otherwise a horizontal move joined with the exact move down to the row drawn next.
void AppendMove(std::string& out, const char* group, char horizontal, char vertical, int64_t dx, int64_t dy) {
  out += group;
  if (dy == 0 && dx >= 0) {
    out += '+';
    AppendNumber(out, dx);
    out += static_cast<char>(horizontal - 'a' + 'A');
    return;
  }
  out += dx < 0 ? '-' : '+';
  AppendNumber(out, dx < 0 ? -dx : dx);
  out += horizontal;
  out += '+';
  AppendNumber(out, dy);
  out += static_cast<char>(vertical - 'a' + 'A');
}

void AppendFill(std::string& out, int64_t width, int64_t height) {
  out += "\x1b*c";
  AppendNumber(out, width);
  out += 'a';
  AppendNumber(out, height);
  out += "b0P";
}

void AppendRect(const TCodeOutputInput& in, const TRowRuns& runs, std::string& out) {
  const TAxis ax{in.ModuleSize, in.DpiX}, ay{in.ModuleSize, in.DpiY};
  AppendPclHeader(in, out);
  int64_t cursorX = 0, cursorY = 0;
  for (size_t k = 0; k < runs.Rows.size(); ++k) {
    const int32_t top = ay.Edge(static_cast<int64_t>(k));
    const int32_t height = ay.Edge(static_cast<int64_t>(k) + 1) - top;
    for (const TRun& run : runs.Rows[k]) {
      const int32_t x0 = ax.Edge(run.Begin);
      AppendMove(out, "\x1b*p", 'x', 'y', x0 - cursorX, top - cursorY);
      AppendFill(out, ax.Edge(run.End) - x0 + 1, height + 1);
      cursorX = x0;
      cursorY = top;
    }
  }
  out += "\x1b&f1S";
}

void AppendRectMF(const TCodeOutputInput& in, const TRowRuns& runs, std::string& out) {
  // Decipoints: 720 per inch.
  const TAxis decipoints{in.ModuleSize, 720};
  AppendPclHeader(in, out);
  std::string fill;
  const int64_t side = static_cast<int64_t>(in.ModuleSize) * in.DpiY / kUnitsPerInch + 1;
  AppendFill(fill, side, side);
  int64_t cursorX = 0, cursorY = 0;
  for (size_t k = 0; k < runs.Rows.size(); ++k) {
    const int32_t y = decipoints.Edge(static_cast<int64_t>(k));
    for (const TRun& run : runs.Rows[k]) {
      for (int32_t column = run.Begin; column < run.End; ++column) {
        const int32_t x = decipoints.Edge(column);
        AppendMove(out, "\x1b&a", 'h', 'v', x - cursorX, y - cursorY);
        out += fill;
        cursorX = x;
        cursorY = y;
      }
    }
  }
  out += "\x1b&f1S";
}

void AppendHpgl(const TCodeOutputInput& in, const TRowRuns& runs, std::string& out) {
  // Plotter units of 0.025 mm.
  const auto unit = [](int64_t v) { return NearestDiv(v * 2, 5); };
  AppendPclHeader(in, out);
  out += "\x1b%1B\r\nSP1;PU;FT1;\r\n";
  const int64_t h = unit(in.ModuleSize);
  int64_t previousX = 0, previousY = 0;
  for (size_t k = 0; k < runs.Rows.size(); ++k) {
    const int64_t y = unit(static_cast<int64_t>(in.ModuleSize) * static_cast<int64_t>(k));
    for (const TRun& run : runs.Rows[k]) {
      const int64_t x = unit(static_cast<int64_t>(run.Begin) * in.ModuleSize);
      out += "PR";
      AppendNumber(out, x - previousX);
      out += ',';
      AppendNumber(out, previousY - y);
      out += ";RR";
      AppendNumber(out, unit(static_cast<int64_t>(run.End - run.Begin) * in.ModuleSize));
      out += ',';
      AppendNumber(out, h);
      out += ';';
      previousX = x;
      previousY = y;
    }
    out += "\r\n";
  }
  out += "\x1b%1A\r\x1b&f1S";
}

// The left offset of a Tally plot line in groups of six dots; false when the pitch gives none.
bool PlotOffset(const TCodeOutputInput& in, int64_t& groups) {
  if (!(in.CurrentPitch > 0) || !std::isfinite(in.CurrentPitch)) return false;
  const double n = std::nearbyint(Column(in) / in.CurrentPitch * in.DpiX / 6);
  if (!(n * 6 <= kMaxCodeDots)) return false;
  groups = static_cast<int64_t>(n);
  return true;
}

void AppendMTPlot(const TCodeOutputInput& in, const TRowRuns& runs, int64_t groups, std::string& out) {
  const TAxis ax{in.ModuleSize, in.DpiX}, ay{in.ModuleSize, in.DpiY};
  const std::string lineEnd = LineFeedText(in.AutoCRLF, 1);
  out += LineFeedText(in.AutoCRLF, RowOffset(in));
  out += "\x1b[";
  AppendNumber(out, in.DpiX);
  out += ';';
  AppendNumber(out, in.DpiY);
  out += "!q\x1b[<3h";
  out += lineEnd;
  std::string offset;
  for (int64_t n = groups; n > 0; n -= std::min<int64_t>(n, 255)) {
    offset += '@';
    EncodePlotCount(static_cast<int32_t>(std::min<int64_t>(n, 255)), offset);
  }
  std::string line;
  int32_t previousEnd = 0;
  for (size_t k = 0; k < runs.Rows.size(); ++k) {
    line = offset;
    std::string groupsOfSix((static_cast<size_t>(ax.Edge(runs.Length(k))) + 5) / 6, '\0');
    for (const TRun& run : runs.Rows[k]) {
      for (int32_t d = ax.Edge(run.Begin), e = ax.Edge(run.End); d < e; ++d)
        groupsOfSix[d / 6] = static_cast<char>(groupsOfSix[d / 6] | (1 << (d % 6)));
    }
    for (char& c : groupsOfSix) c = static_cast<char>(0x40 + c);
    line += groupsOfSix;
    line += lineEnd;
    const int32_t end = ay.Edge(static_cast<int64_t>(k) + 1);
    for (int32_t r = end - previousEnd; r > 0; --r) out += line;
    previousEnd = end;
  }
  out += "\x1b[<3l\x1bP@";
}

// Bands of `pins` dot rows; each dot column is an entry of 1, 2 or 3 bytes, the top pin in the first
// byte's most significant bit.
std::vector<std::string> BuildBands(const TCodeOutputInput& in, const TRowRuns& runs, int32_t pins) {
  const TAxis ax{in.ModuleSize, in.DpiX}, ay{in.ModuleSize, in.DpiY};
  const int32_t entry = pins == 8 ? 1 : pins == 9 ? 2 : 3;
  std::vector<std::string> bands;
  for (size_t k = 0; k < runs.Rows.size(); ++k) {
    if (runs.Rows[k].empty()) continue;
    const int32_t y0 = ay.Edge(static_cast<int64_t>(k)), y1 = ay.Edge(static_cast<int64_t>(k) + 1) - 1;
    for (int32_t y = y0; y <= y1;) {
      const size_t band = static_cast<size_t>(y / pins);
      const int32_t r = y % pins;
      const int32_t n = std::min(pins - r, y1 - y + 1);
      // n pins from pin r down, with pin p at bit (entry * 8 - 1 - p).
      const uint32_t mask = ((1u << n) - 1) << (entry * 8 - r - n);
      if (bands.size() <= band) bands.resize(band + 1);
      std::string& data = bands[band];
      for (const TRun& run : runs.Rows[k]) {
        const int32_t x0 = ax.Edge(run.Begin), x1 = ax.Edge(run.End) - 1;
        if (x1 < x0) continue;
        if (data.size() < static_cast<size_t>(x1 + 1) * entry) data.resize(static_cast<size_t>(x1 + 1) * entry, '\0');
        for (int32_t x = x0; x <= x1; ++x) {
          for (int32_t b = 0; b < entry; ++b) {
            char& c = data[static_cast<size_t>(x) * entry + b];
            c = static_cast<char>(c | ((mask >> (8 * (entry - 1 - b))) & 0xFF));
          }
        }
      }
      y += n;
    }
  }
  return bands;
}

void AppendBitImage(const TCodeOutputInput& in, const TRowRuns& runs, std::string& out) {
  const int32_t pins = in.OutputMode;
  const int32_t entry = pins == 8 ? 1 : pins == 9 ? 2 : 3;
  out += LineFeedText(in.AutoCRLF, RowOffset(in));
  const std::string blanks(static_cast<size_t>(std::max(0, Column(in))), ' ');
  for (const std::string& band : BuildBands(in, runs, pins)) {
    // A longer band would not fit the two count bytes: it is cut after its last whole column.
    const size_t length = std::min<size_t>(band.size(), kMaxBandBytes / entry * entry);
    out += blanks;
    ExpandModeTemplate(in.ModeTemplate, std::string_view(band).substr(0, length),
                       static_cast<int32_t>(length / entry), out);
    if (in.AutoCRLF != 2) out += '\r';
  }
}

bool GeometryUsable(const TCodeOutputInput& in) {
  if (in.Width < 0 || in.Height < 0 || in.Width > kMaxFactor || in.Height > kMaxFactor) return false;
  if (in.Picture.size() < (static_cast<size_t>(in.Width) + 7) / 8 * static_cast<size_t>(in.Height)) return false;
  if (in.ModuleSize < 1 || in.ModuleSize > kMaxFactor) return false;
  if (in.DpiX < 1 || in.DpiY < 1 || in.DpiX > kMaxFactor || in.DpiY > kMaxFactor) return false;
  const TAxis ax{in.ModuleSize, in.DpiX}, ay{in.ModuleSize, in.DpiY};
  return ax.Edge(in.Width) <= kMaxCodeDots && ay.Edge(in.Height) <= kMaxCodeDots;
}

}  // namespace

std::string LineFeedText(int32_t autoCRLF, int32_t n) {
  if (autoCRLF == 1) return std::string(static_cast<size_t>(std::max(1, n)), '\n');
  if (autoCRLF == 2) return std::string(static_cast<size_t>(std::max(1, n)), '\r');
  return "\r" + std::string(static_cast<size_t>(std::max(0, n)), '\n');
}

std::string_view RelativeRowSign(int32_t rowOffset, int32_t picTop) {
  return rowOffset < 0 && picTop == 0 ? "" : "+";
}

void PackRasterRow(std::string_view row, std::string& out) {
  for (size_t i = 0; i < row.size();) {
    size_t j = i + 1;
    while (j < row.size() && j - i < 256 && row[j] == row[i]) ++j;
    out += static_cast<char>(j - i - 1);
    out += row[i];
    i = j;
  }
}

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 0;
}

}  // namespace

void ExpandModeTemplate(std::string_view modeTemplate, std::string_view data, int32_t count, std::string& out) {
  const std::string_view& t = modeTemplate;
  size_t i = 0;
  while (i < t.size()) {
    const char c = t[i];
    if (c == '#') {
      const size_t digits = std::min<size_t>(2, t.size() - i - 1);
      if (digits == 2) out += static_cast<char>(HexDigit(t[i + 1]) * 16 + HexDigit(t[i + 2]));
      else if (digits == 1) out += static_cast<char>(HexDigit(t[i + 1]));
      i += 1 + digits;
      continue;
    }
    if (c != '%' && c != '/') {
      out += c;
      ++i;
      continue;
    }
    if (i + 1 == t.size()) break;  // a token's first character alone at the end gives nothing
    const char next = t[i + 1];
    i += 2;
    if (c == '/') {
      out += next;
      continue;
    }
    switch (next) {
      case 'b':
      case 'B':
        out += static_cast<char>(count & 0xFF);
        break;
      case 'w':
      case 'W':
        out += static_cast<char>(count & 0xFF);
        out += static_cast<char>((count >> 8) & 0xFF);
        break;
      case 'i':
      case 'I':
        AppendNumber(out, count);
        break;
      case 's':
      case 'S':
        out += data;
        break;
      default:
        break;
    }
  }
}

void EncodePlotCount(int32_t value, std::string& out) {
  if (value <= 0) return;
  out += static_cast<char>(0x20 + (value & 0x0F));
  if (value >= 16) out += static_cast<char>(0x30 + ((value >> 4) & 0x0F));
}

bool MakeCodeCommandsFor(const TCodeOutputInput& in, std::string& commands) {
  commands.clear();
  if (!GeometryUsable(in)) return false;
  const TRowRuns runs = CollectRuns(in);
  switch (in.OutputMode) {
    case kModeRastr:
      AppendRastr(in, runs, commands);
      return true;
    case kModeRect:
      AppendRect(in, runs, commands);
      return true;
    case kModeRectMF:
      AppendRectMF(in, runs, commands);
      return true;
    case kModeHPGL:
      AppendHpgl(in, runs, commands);
      return true;
    case kModeMTPlot: {
      int64_t groups = 0;
      if (!PlotOffset(in, groups)) return false;
      AppendMTPlot(in, runs, groups, commands);
      return true;
    }
    case 8:
    case 9:
    case 24:
      AppendBitImage(in, runs, commands);
      return true;
    default:
      return false;
  }
}
