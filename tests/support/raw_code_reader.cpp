// The readers follow the printers' manuals for each command; anything else in the stream is an error,
// so a test sees stray bytes as well as wrong pictures.
#include "support/raw_code_reader.h"

#include "support/code_image.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

void TDotCanvas::Set(int64_t x, int64_t y) {
  if (x < 0) x = -1;  // kept visible as a dot of its own rather than dropped
  std::vector<uint8_t>& row = rows_[y];
  const size_t at = static_cast<size_t>(x + 1);
  if (row.size() <= at) row.resize(at + 1, 0);
  row[at] = 1;
}

bool TDotCanvas::Get(int64_t x, int64_t y) const {
  const auto it = rows_.find(y);
  if (it == rows_.end() || x < -1) return false;
  const size_t at = static_cast<size_t>(x + 1);
  return at < it->second.size() && it->second[at] != 0;
}

void TDotCanvas::Fill(int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
  for (int64_t y = y0; y < y1; ++y)
    for (int64_t x = x0; x < x1; ++x) Set(x, y);
}

int64_t TDotCanvas::Right() const {
  int64_t right = 0;
  for (const auto& [y, row] : rows_) right = std::max<int64_t>(right, static_cast<int64_t>(row.size()) - 1);
  return right;
}

std::string TDotCanvas::Ascii(int64_t top, int64_t bottom, int64_t right) const {
  std::string s;
  for (int64_t y = top; y < bottom; ++y) {
    for (int64_t x = 0; x < right; ++x) s += Get(x, y) ? '#' : '.';
    s += '\n';
  }
  return s;
}

size_t TDotCanvas::DotCount() const {
  size_t n = 0;
  for (const auto& [y, row] : rows_) n += static_cast<size_t>(std::count(row.begin(), row.end(), 1));
  return n;
}

namespace {

// Cursor positions are kept in 1/7200 inch, the unit every PCL measure divides.
constexpr int64_t kFine = 7200;

struct TPclValue {
  double Value = 0;
  bool Signed = false;
};

class TPclReader {
 public:
  TPclReader(std::string_view s, int32_t units) : s_(s), units_(units) {}

  TReadCode Read() {
    while (pos_ < s_.size() && result_.Error.empty()) {
      if (hpgl_) {
        ReadHpgl();
        continue;
      }
      const char c = s_[pos_++];
      if (c == '\x1b') Escape();
      else if (c == '\r') x_ = 0;  // back to the left edge; the code's own lines never print text
      else Fail("a byte outside a command: " + std::to_string(static_cast<uint8_t>(c)));
    }
    if (result_.UnitsX == 0) result_.UnitsX = result_.UnitsY = units_;
    return std::move(result_);
  }

 private:
  void Fail(const std::string& text) {
    if (result_.Error.empty()) result_.Error = text + " at " + std::to_string(pos_);
  }

  void Escape() {
    if (pos_ >= s_.size()) return Fail("ESC at the end");
    const char c1 = s_[pos_++];
    if (c1 < 0x21 || c1 > 0x2F) return;  // a two-character escape: nothing of the picture
    char group = 0;
    if (c1 != '%') {
      if (pos_ >= s_.size()) return Fail("no group character");
      group = s_[pos_++];
    }
    for (;;) {
      TPclValue v;
      size_t start = pos_;
      if (pos_ < s_.size() && (s_[pos_] == '+' || s_[pos_] == '-')) v.Signed = true;
      if (v.Signed) ++pos_;
      while (pos_ < s_.size() && (std::isdigit(static_cast<unsigned char>(s_[pos_])) || s_[pos_] == '.')) ++pos_;
      v.Value = std::atof(std::string(s_.substr(start, pos_ - start)).c_str());
      if (pos_ >= s_.size()) return Fail("a command without its parameter character");
      const char p = s_[pos_++];
      const bool last = p >= 0x40 && p <= 0x5E;
      if (!last && !(p >= 0x60 && p <= 0x7E)) return Fail("not a parameter character");
      Command(c1, group, static_cast<char>(std::toupper(static_cast<unsigned char>(p))), v);
      if (last || !result_.Error.empty() || hpgl_) return;
    }
  }

  int64_t Move(int64_t at, const TPclValue& v, int64_t unit) const {
    const int64_t d = std::llround(v.Value * static_cast<double>(unit));
    return v.Signed ? at + d : d;
  }

  void Command(char c1, char group, char p, const TPclValue& v) {
    const int64_t dot = kFine / units_;
    if (c1 == '%') {
      if (p == 'B') hpgl_ = true, penX_ = 0, penY_ = 0;
      return;
    }
    if (c1 == '&' && group == 'f' && p == 'S') {
      if (v.Value == 0) stack_.push_back({x_, y_});
      else if (!stack_.empty()) x_ = stack_.back().first, y_ = stack_.back().second, stack_.pop_back();
      return;
    }
    if (c1 == '&' && group == 'a') {
      if (p == 'R') result_.LinesBefore = static_cast<int32_t>(v.Value);
      else if (p == 'C') result_.ColumnsBefore = static_cast<int32_t>(v.Value);
      else if (p == 'H') x_ = Move(x_, v, 10);  // decipoints
      else if (p == 'V') y_ = Move(y_, v, 10);
      else Fail("unknown ESC & a");
      return;
    }
    if (c1 == '*' && group == 'p') {
      if (p == 'X') x_ = Move(x_, v, dot);
      else if (p == 'Y') y_ = Move(y_, v, dot);
      return;
    }
    if (c1 == '*' && group == 'c') {
      if (p == 'A') rectW_ = static_cast<int64_t>(v.Value);
      else if (p == 'B') rectH_ = static_cast<int64_t>(v.Value);
      else if (p == 'P' && v.Value == 0) {
        const int64_t x = x_ / dot, y = y_ / dot;
        result_.Dots.Fill(x, y, x + rectW_, y + rectH_);
      } else Fail("unknown ESC * c");
      return;
    }
    if (c1 == '*' && group == 't' && p == 'R') {
      rasterUnits_ = static_cast<int32_t>(v.Value);
      return;
    }
    if (c1 == '*' && group == 'r') {
      if (p == 'A') {
        if (rasterUnits_ != units_) return Fail("raster resolution " + std::to_string(rasterUnits_));
        rasterX_ = v.Value == 1 ? x_ / dot : 0;
        rasterY_ = y_ / dot;
        seed_.clear();
      }
      return;
    }
    if (c1 == '*' && group == 'b') {
      if (p == 'M') compression_ = static_cast<int32_t>(v.Value);
      else if (p == 'W') Transfer(static_cast<size_t>(v.Value));
      return;
    }
    Fail(std::string("unknown command ") + c1 + group + p);
  }

  void Transfer(size_t count) {
    if (count > s_.size() - pos_) return Fail("raster data past the end");
    const std::string_view data = s_.substr(pos_, count);
    pos_ += count;
    std::vector<uint8_t> row;
    if (compression_ == 0) {
      row.assign(data.begin(), data.end());
    } else if (compression_ == 1) {
      if (data.size() % 2 != 0) return Fail("odd run-length data");
      for (size_t i = 0; i < data.size(); i += 2) row.insert(row.end(), static_cast<uint8_t>(data[i]) + 1u, data[i + 1]);
    } else if (compression_ == 3) {
      row = seed_;
      size_t at = 0;
      for (size_t i = 0; i < data.size();) {
        const uint8_t command = static_cast<uint8_t>(data[i++]);
        const size_t replaced = (command >> 5) + 1u;
        size_t offset = command & 0x1F;
        if (offset == 31) {
          uint8_t more = 255;
          while (more == 255 && i < data.size()) offset += (more = static_cast<uint8_t>(data[i++]));
        }
        at += offset;
        if (replaced > data.size() - i) return Fail("delta row data past the end");
        if (row.size() < at + replaced) row.resize(at + replaced, 0);
        std::copy(data.begin() + i, data.begin() + i + replaced, row.begin() + at);
        i += replaced;
        at += replaced;
      }
    } else {
      return Fail("compression " + std::to_string(compression_));
    }
    for (size_t b = 0; b < row.size() * 8; ++b)
      if ((row[b / 8] >> (7 - b % 8)) & 1) result_.Dots.Set(rasterX_ + static_cast<int64_t>(b), rasterY_);
    ++rasterY_;
    seed_ = std::move(row);
  }

  // HP-GL/2: mnemonics of two letters with numbers separated by commas, ended by ';'.
  void ReadHpgl() {
    const char c = s_[pos_];
    if (c == '\r' || c == '\n' || c == ' ' || c == ';') {
      ++pos_;
      return;
    }
    if (c == '\x1b') {
      if (s_.substr(pos_, 4) != "\x1b%1A" && s_.substr(pos_, 4) != "\x1b%0A") return Fail("ESC inside HP-GL/2");
      pos_ += 4;
      hpgl_ = false;
      return;
    }
    if (pos_ + 2 > s_.size() || !std::isupper(static_cast<unsigned char>(s_[pos_])) ||
        !std::isupper(static_cast<unsigned char>(s_[pos_ + 1])))
      return Fail("not an HP-GL/2 mnemonic");
    const std::string mnemonic(s_.substr(pos_, 2));
    pos_ += 2;
    std::vector<int64_t> args;
    while (pos_ < s_.size() && s_[pos_] != ';' && !std::isupper(static_cast<unsigned char>(s_[pos_]))) {
      size_t end = pos_;
      while (end < s_.size() && s_[end] != ',' && s_[end] != ';') ++end;
      args.push_back(std::atoll(std::string(s_.substr(pos_, end - pos_)).c_str()));
      pos_ = end < s_.size() && s_[end] == ',' ? end + 1 : end;
    }
    result_.UnitsX = result_.UnitsY = 1016;
    if (mnemonic == "PR") {
      for (size_t i = 0; i + 1 < args.size(); i += 2) penX_ += args[i], penY_ += args[i + 1];
    } else if (mnemonic == "RR") {
      if (args.size() != 2) return Fail("RR takes two numbers");
      // Y grows upward: the canvas row of plotter units [a, b) is [-b, -a).
      const int64_t xa = std::min(penX_, penX_ + args[0]), xb = std::max(penX_, penX_ + args[0]);
      const int64_t ya = std::min(penY_, penY_ + args[1]), yb = std::max(penY_, penY_ + args[1]);
      result_.Dots.Fill(xa, -yb, xb, -ya);
    } else if (mnemonic != "SP" && mnemonic != "PU" && mnemonic != "FT" && mnemonic != "IN") {
      Fail("HP-GL/2 " + mnemonic);
    }
  }

  std::string_view s_;
  size_t pos_ = 0;
  int32_t units_;
  TReadCode result_;
  int64_t x_ = 0, y_ = 0;  // kFine units
  std::vector<std::pair<int64_t, int64_t>> stack_;
  int64_t rectW_ = 0, rectH_ = 0;
  int32_t rasterUnits_ = 75;
  int32_t compression_ = 0;
  int64_t rasterX_ = 0, rasterY_ = 0;
  std::vector<uint8_t> seed_;
  bool hpgl_ = false;
  int64_t penX_ = 0, penY_ = 0;
};

// A line end of a Tally stream: CR LF, LF or CR; false when none starts at pos.
bool SkipLineEnd(std::string_view s, size_t& pos) {
  if (pos < s.size() && s[pos] == '\r') {
    ++pos;
    if (pos < s.size() && s[pos] == '\n') ++pos;
    return true;
  }
  if (pos < s.size() && s[pos] == '\n') {
    ++pos;
    return true;
  }
  return false;
}

// ESC [ parameters intermediates final; the text between "[" and the final byte.
bool ReadCsi(std::string_view s, size_t& pos, std::string& body) {
  if (s.substr(pos, 2) != "\x1b[") return false;
  size_t end = pos + 2;
  while (end < s.size() && !(s[end] >= 0x40 && s[end] <= 0x7E)) ++end;
  if (end >= s.size()) return false;
  body = std::string(s.substr(pos + 2, end - pos - 1));
  pos = end + 1;
  return true;
}

}  // namespace

TReadCode ReadPclCode(std::string_view stream, int32_t pclUnits) { return TPclReader(stream, pclUnits).Read(); }

TReadCode ReadTallyPlot(std::string_view s) {
  TReadCode r;
  size_t pos = 0;
  std::string body;
  while (pos < s.size() && SkipLineEnd(s, pos)) ++r.LinesBefore;
  if (!ReadCsi(s, pos, body) || body.size() < 4 || body.substr(body.size() - 2) != "!q") {
    r.Error = "no resolution command";
    return r;
  }
  r.UnitsX = std::atoi(body.c_str());
  r.UnitsY = std::atoi(body.c_str() + body.find(';') + 1);
  if (!ReadCsi(s, pos, body) || body != "<3h" || !SkipLineEnd(s, pos)) {
    r.Error = "plot mode is not entered by its own line";
    return r;
  }
  int64_t y = 0, x = 0;
  while (pos < s.size()) {
    const char c = s[pos];
    if (c == '\x1b') {
      if (!ReadCsi(s, pos, body) || body != "<3l") r.Error = "an ESC inside plot lines";
      return r;
    }
    if (SkipLineEnd(s, pos)) {
      ++y;
      x = 0;
      continue;
    }
    const uint8_t next = pos + 1 < s.size() ? static_cast<uint8_t>(s[pos + 1]) : 0;
    if (c == '@' && next >= 0x20 && next <= 0x2F) {
      int64_t count = next - 0x20;
      pos += 2;
      if (pos < s.size() && s[pos] >= 0x30 && s[pos] <= 0x3F) count += 16 * (s[pos++] - 0x30);
      x += 6 * count;
      continue;
    }
    const uint8_t bits = static_cast<uint8_t>(c);
    if (bits < 0x40 || bits > 0x7F) {
      r.Error = "a byte outside a plot line's groups at " + std::to_string(pos);
      return r;
    }
    for (int b = 0; b < 6; ++b)
      if ((bits - 0x40) >> b & 1) r.Dots.Set(x + b, y);
    x += 6;
    ++pos;
  }
  r.Error = "plot mode never left";
  return r;
}

namespace {

struct TImageCommand {
  int32_t Density = 0;  // dots per inch across
  int32_t Bytes = 1;    // per column
  int32_t Pins = 8;
};

}  // namespace

TReadCode ReadBitImage(std::string_view s, TPinDialect dialect, double pitch) {
  TReadCode r;
  // Vertical positions in 1/1080 inch, which both 1/216 and 1/180 divide.
  const int64_t advanceUnit = dialect == TPinDialect::EscP24 ? 6 : 5;  // ESC J n: n/180 or n/216 inch
  const int32_t pinDpi = dialect == TPinDialect::EscP24 ? 180 : 72;
  int64_t y = 0, originY = 0;
  double x = 0;  // inches
  bool started = false;
  size_t pos = 0;
  const auto fail = [&](const std::string& text) {
    r.Error = text + " at " + std::to_string(pos);
    return r;
  };
  while (pos < s.size()) {
    const char c = s[pos++];
    if (c == '\r') x = 0;
    else if (c == '\n') {
      y += 180;  // 1/6 inch
      if (!started) ++r.LinesBefore;
    } else if (c == ' ') {
      x += 1 / pitch;
      if (!started) ++r.ColumnsBefore;
    } else if (c != '\x1b') return fail("a byte outside a command");
    else {
      if (pos >= s.size()) return fail("ESC at the end");
      const char k = s[pos++];
      if (k == 'J') {
        if (pos >= s.size()) return fail("ESC J without its count");
        y += advanceUnit * static_cast<uint8_t>(s[pos++]);
        continue;
      }
      TImageCommand image;
      if (k == '*' && dialect != TPinDialect::Ibm && pos < s.size()) {
        const int m = static_cast<uint8_t>(s[pos++]);
        static const int kEight[8] = {60, 120, 120, 240, 80, 72, 90, 144};
        if (dialect == TPinDialect::EscP9 && m < 8) image.Density = kEight[m];
        if (dialect == TPinDialect::EscP24) {
          image = {0, 3, 24};
          if (m == 32) image.Density = 60;
          if (m == 33) image.Density = 120;
          if (m == 38) image.Density = 90;
          if (m == 39) image.Density = 180;
          if (m == 40) image.Density = 360;
        }
      } else if ((k == 'K' || k == 'L' || k == 'Y' || k == 'Z') && dialect != TPinDialect::EscP24) {
        image.Density = k == 'K' ? 60 : k == 'Z' ? 240 : 120;
      } else if (k == '^' && dialect == TPinDialect::EscP9 && pos < s.size()) {
        const int m = static_cast<uint8_t>(s[pos++]);
        image = {m == 0 ? 60 : m == 1 ? 120 : 0, 2, 9};
      }
      if (image.Density == 0) return fail(std::string("an unknown command ESC ") + k);
      if (pos + 2 > s.size()) return fail("an image without its count");
      const size_t columns = static_cast<uint8_t>(s[pos]) + 256u * static_cast<uint8_t>(s[pos + 1]);
      pos += 2;
      if (columns * image.Bytes > s.size() - pos) return fail("image data past the end");
      if (!started) originY = y, started = true, r.UnitsX = image.Density, r.UnitsY = pinDpi;
      if (r.UnitsX != image.Density) return fail("a second density");
      if ((y - originY) % (1080 / pinDpi) != 0) return fail("a band between dot rows");
      const int64_t top = (y - originY) / (1080 / pinDpi);
      const int64_t left = std::llround(x * image.Density);
      for (size_t col = 0; col < columns; ++col) {
        uint32_t entry = 0;
        for (int b = 0; b < image.Bytes; ++b) entry = entry << 8 | static_cast<uint8_t>(s[pos + col * image.Bytes + b]);
        for (int p = 0; p < image.Pins; ++p)
          if (entry >> (image.Bytes * 8 - 1 - p) & 1) r.Dots.Set(left + static_cast<int64_t>(col), top + p);
      }
      pos += columns * image.Bytes;
      x += static_cast<double>(columns) / image.Density;  // the head moves over what it printed
    }
  }
  return r;
}

std::vector<uint8_t> SampleModules(const TReadCode& read, int32_t width, int32_t height, int32_t moduleSize,
                                   int32_t rowShift) {
  const size_t rowBytes = static_cast<size_t>(std::max(width, 0) + 7) / 8;
  std::vector<uint8_t> picture(rowBytes * static_cast<size_t>(std::max(height, 0)), 0);
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) {
      const int64_t cx = (2 * x + 1) * static_cast<int64_t>(moduleSize) * read.UnitsX / 5080;
      const int64_t cy = (2 * (y + rowShift) + 1) * static_cast<int64_t>(moduleSize) * read.UnitsY / 5080;
      if (read.Dots.Get(cx, cy)) picture[static_cast<size_t>(y) * rowBytes + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    }
  return picture;
}

std::vector<uint8_t> PrintedPclCodeImage(const std::string& printed, std::string& error) {
  const size_t graphics = printed.find("\x1B*");
  const size_t last = printed.rfind("\x1B*r");
  if (graphics == std::string::npos || last == std::string::npos || last < graphics) {
    error = "no PCL graphics in the print";
    return {};
  }
  const TReadCode read = ReadPclCode(std::string_view(printed).substr(graphics, last + 4 - graphics), 300);
  error = read.Error;
  if (read.Dots.Empty()) {
    if (error.empty()) error = "the PCL graphics draw nothing";
    return {};
  }
  const TPictureSize size{static_cast<int32_t>(read.Dots.Right()),
                          static_cast<int32_t>(read.Dots.Bottom() - read.Dots.Top())};
  const size_t stride = (static_cast<size_t>(size.Width) + 7) / 8;
  TMonoPicture picture(stride * static_cast<size_t>(size.Height), 0);
  for (int32_t y = 0; y < size.Height; ++y)
    for (int32_t x = 0; x < size.Width; ++x)
      if (read.Dots.Get(x, read.Dots.Top() + y)) picture[y * stride + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
  return SymbolImage(picture, size, 0, size.Width, 16, 1);
}
