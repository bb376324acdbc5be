// Measuring texts: fonts prepared once per page, widths summed with their rounding carried, alignment and
// character edges.
#include "coding/enumemf2_measure.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <unordered_map>
#include <utility>

#include "coding/cl_macrolib_payload.h"
#include "foundation/lib_log.h"

namespace {

class TFixedFont : public TMeasureFont {
 public:
  TFixedFont(const TFixedMeasurer& owner, int32_t width, bool failWidths)
      : owner_(owner), width_(width), failWidths_(failWidths) {}
  int32_t CharExtent(char16_t c) override {
    const auto it = owner_.Percent.find(c);
    const int32_t percent = it == owner_.Percent.end() ? 100 : it->second;
    return static_cast<int32_t>(int64_t{width_} * percent / 100);
  }
  bool CharWidths8(std::array<int32_t, 256>& widths) override {
    if (failWidths_) return false;
    for (size_t c = 0; c < widths.size(); ++c) widths[c] = CharExtent(static_cast<char16_t>(c));
    return true;
  }

 private:
  const TFixedMeasurer& owner_;
  int32_t width_;
  bool failWidths_;
};

// What a text's font is prepared by besides its bytes: the substituted character set and the scales.
struct TFontKey {
  TLogFontW Font;
  double R = 1, Sx = 1, Sy = 1;

  std::string Bytes() const {
    std::string bytes(sizeof(Font) + 3 * sizeof(double), '\0');
    std::memcpy(bytes.data(), &Font, sizeof(Font));
    const double scales[3] = {R, Sx, Sy};
    std::memcpy(bytes.data() + sizeof(Font), scales, sizeof(scales));
    return bytes;
  }
};

struct TPreparedFont {
  bool Ok = false;
  TLogFontW Font;  // the text's font with the size it is drawn at
  std::unique_ptr<TMeasureFont> Measure;
  std::array<int32_t, 256> Widths8{};
};

struct TTextScales {
  double R = 1;  // |YScale / XScale|, 1 when either is 0
  double Sx = 1, Sy = 1;
  double S = 1;  // Sx / Sy, 1 when Sy is 0
};

TTextScales ScalesOf(const TText& text) {
  TTextScales s;
  s.R = (text.XScale == 0 || text.YScale == 0) ? 1.0 : SafeAbsRatio(text.YScale, text.XScale);
  s.Sx = AxisScaleX(text.Transform);
  s.Sy = AxisScaleY(text.Transform);
  s.S = SafeAbsRatio(s.Sx, s.Sy);
  return s;
}

class TMeasuring {
 public:
  TMeasuring(TTextMeasurer& measurer, const TMeasureOptions& options)
      : measurer_(measurer),
        options_(options),
        pages_(options.CodePages ? *options.CodePages : DefaultCodePages()),
        wide_(measurer.Wide()) {}

  void Measure(TText& text);

 private:
  TPreparedFont& Prepared(const TText& text, const TTextScales& scales);
  TPreparedFont Prepare(const TLogFontW& made, uint8_t ownCharset, const TTextScales& scales);
  double Width(const TPreparedFont& font, char16_t c) const;
  std::vector<int32_t> WidthAdvances(const TText& text, const TPreparedFont& font, double factor) const;
  void CompleteAdvances(TText& text, const TPreparedFont& font, double m) const;
  void Place(TText& text, double k);
  void Report(std::u16string_view call) const {
    if (options_.Log) options_.Log->ReportError(call);
  }

  TTextMeasurer& measurer_;
  const TMeasureOptions& options_;
  const TCodePageSystem& pages_;
  bool wide_;
  std::unordered_map<std::string, TPreparedFont> fonts_;
  TPoint end_;
};

TPreparedFont TMeasuring::Prepare(const TLogFontW& made, uint8_t ownCharset, const TTextScales& scales) {
  TPreparedFont out;
  std::vector<std::u16string> failures;
  TFontMetrics metrics;
  std::unique_ptr<TMeasureFont> font = measurer_.MakeFont(made, &metrics, failures);
  for (const std::u16string& call : failures) Report(call);
  if (!font) return out;
  out.Ok = true;
  TLogFontW lf = made;
  if (lf.lfWidth == 0) lf.lfWidth = RoundToInt(metrics.AveCharWidth * scales.S);
  if (lf.lfHeight < 0) lf.lfHeight = metrics.Height;
  if (lf.lfHeight == 0) lf.lfHeight = RoundToInt(lf.lfWidth * 1.2);
  lf.lfCharSet = ownCharset;
  out.Font = lf;
  if (!wide_) {
    if (!font->CharWidths8(out.Widths8)) Report(u"GetCharWidth");
    out.Measure = std::move(font);
  } else if (lf.SameBytes(made)) {
    out.Measure = std::move(font);
  } else {
    // The widths come from the font at the size the text is drawn at; the first one only told that size.
    font.reset();
    failures.clear();
    out.Measure = measurer_.MakeFont(lf, nullptr, failures);
    for (const std::u16string& call : failures) Report(call);
  }
  return out;
}

TPreparedFont& TMeasuring::Prepared(const TText& text, const TTextScales& scales) {
  TFontKey key;
  key.Font = text.Font;
  // Blank extraction needs the widths of spaces and letters in a font the system can map the text to.
  const uint8_t cs = text.Font.lfCharSet;
  if (options_.ExtractBL > 0 && text.Text.size() > 1 && !text.Positions.empty() && cs != kOemCharset &&
      cs != options_.DefaultCharset)
    key.Font.lfCharSet = options_.DefaultCharset;
  key.R = scales.R;
  key.Sx = scales.Sx;
  key.Sy = scales.Sy;
  const std::string bytes = key.Bytes();
  auto it = fonts_.find(bytes);
  if (it != fonts_.end()) return it->second;
  TLogFontW made = key.Font;
  made.lfHeight = RoundToInt(scales.Sy * scales.R * made.lfHeight);
  made.lfWidth = RoundToInt(scales.Sx * made.lfWidth);
  return fonts_.emplace(bytes, Prepare(made, cs, scales)).first->second;
}

double TMeasuring::Width(const TPreparedFont& font, char16_t c) const {
  if (wide_) return font.Measure ? font.Measure->CharExtent(c) : 0;
  bool lossy = false;
  const std::optional<std::string> bytes = pages_.Encode(std::u16string_view(&c, 1), pages_.AnsiCodePage(), lossy);
  const uint8_t code = bytes && !bytes->empty() ? static_cast<uint8_t>((*bytes)[0]) : (c < 0x100 ? c : '?');
  return font.Widths8[code];
}

// Advances from the widths, the rounding carried so that the edges stay where the unrounded sums are.
std::vector<int32_t> TMeasuring::WidthAdvances(const TText& text, const TPreparedFont& font, double factor) const {
  std::vector<int32_t> advances;
  advances.reserve(text.Text.size());
  double sum = 0;
  int32_t before = 0;
  for (char16_t c : text.Text) {
    sum += Width(font, c) * factor;
    const int32_t rounded = RoundToInt(sum);
    advances.push_back(static_cast<int32_t>(int64_t{rounded} - before));
    before = rounded;
  }
  return advances;
}

// The record's advances, in logical units, get the last character's and, with ExtractBL, the wide gaps
// become spaces of their own.
void TMeasuring::CompleteAdvances(TText& text, const TPreparedFont& font, double m) const {
  std::vector<int32_t>& adv = text.Positions;
  adv.push_back(RoundToInt(Width(font, text.Text.back()) / m));
  if (options_.ExtractBL <= 0 || text.Text.size() < 2 || adv.size() != text.Text.size()) return;
  const double threshold = Width(font, u' ') * options_.ExtractBL / m / 100;
  std::u16string chars;
  std::vector<int32_t> advances;
  chars.reserve(text.Text.size() * 2);
  advances.reserve(adv.size() * 2);
  // Each gap is judged on its own, so one forward pass gives what the backward insertions would.
  for (size_t i = 0; i < text.Text.size(); ++i) {
    chars.push_back(text.Text[i]);
    const int32_t w = RoundToInt(Width(font, text.Text[i]) / m);
    const int64_t gap = int64_t{adv[i]} - w;
    if (i + 1 < text.Text.size() && gap > threshold) {
      advances.push_back(w);
      chars.push_back(u' ');
      advances.push_back(static_cast<int32_t>(gap));
    } else {
      advances.push_back(adv[i]);
    }
  }
  text.Text = std::move(chars);
  adv = std::move(advances);
}

void TMeasuring::Place(TText& text, double k) {
  double sum = 0;
  for (int32_t a : text.Positions) sum += a;
  const int32_t total = RoundToInt(sum * k);
  TRect& r = text.Rect;
  const uint32_t align = text.TextAlign;
  if ((align & 6) == 6) {
    r.Right = RoundToInt(static_cast<double>(r.Right) + total / 2);
    r.Left = RoundToInt(static_cast<double>(r.Left) - total / 2);
  } else if (align & 2) {
    r.Left = RoundToInt(static_cast<double>(r.Left) - total);
  } else {
    r.Right = RoundToInt(static_cast<double>(r.Right) + total);
  }
  end_.Y = r.Top;
  // TA_BASELINE holds TA_BOTTOM and is placed like it.
  if (align & 8)
    r.Top = RoundToInt(static_cast<double>(r.Top) - text.CharHeight);
  else
    r.Bottom = RoundToInt(static_cast<double>(r.Bottom) + text.CharHeight);
  std::vector<int32_t> edges;
  edges.reserve(text.Positions.size() + 1);
  double run = 0;
  for (int32_t a : text.Positions) {
    edges.push_back(RoundToInt(r.Left + run * k));
    run += a;
  }
  if (edges.size() == text.Text.size()) {
    edges.push_back(r.Right);
    text.Positions = std::move(edges);
  } else {
    text.Positions.clear();
  }
  end_.X = r.Right;
}

void TMeasuring::Measure(TText& text) {
  if (text.Text.empty()) return;
  if (text.OwnPosition == 0) text.Rect = TRect{end_.X, end_.Y, end_.X, end_.Y};
  const TTextScales scales = ScalesOf(text);
  const TPreparedFont& font = Prepared(text, scales);
  if (!font.Ok) {
    text.Positions.clear();
    return;
  }
  text.Font = font.Font;
  double k = 1;
  if (text.Positions.empty()) {
    text.Positions = WidthAdvances(text, font, wide_ ? scales.R : scales.S);
  } else {
    // A transform without a vertical scale would divide by zero; its logical units are taken as pixels.
    const double m = scales.Sy > 0 && std::isfinite(scales.Sy) ? scales.Sy : 1.0;
    CompleteAdvances(text, font, m);
    k = scales.Sx;
  }
  text.CharWidth = font.Font.lfWidth;
  text.CharHeight = font.Font.lfHeight;
  Place(text, k);
}

}  // namespace

std::unique_ptr<TMeasureFont> TFixedMeasurer::MakeFont(const TLogFontW& font, TFontMetrics* metrics,
                                                       std::vector<std::u16string>& failures) {
  for (const std::u16string& face : FailingFaces)
    if (face == font.FaceName()) {
      failures.emplace_back(u"CreateFontIndirect");
      return nullptr;
    }
  Made.push_back(font);
  // A size of INT32_MIN has no 32-bit magnitude: it stands at INT32_MAX.
  auto magnitude = [](int32_t v) { return static_cast<int32_t>(std::min<int64_t>(std::llabs(int64_t{v}), INT32_MAX)); };
  const int32_t height = font.lfHeight == 0 ? 16 : magnitude(font.lfHeight);
  const int32_t average = font.lfWidth != 0 ? magnitude(font.lfWidth) : height / 2;
  if (metrics) *metrics = TFontMetrics{height, average};
  return std::make_unique<TFixedFont>(*this, average, FailCharWidths);
}

double AxisScaleX(const TXForm& xf) { return std::hypot(static_cast<double>(xf.M11), static_cast<double>(xf.M12)); }
double AxisScaleY(const TXForm& xf) { return std::hypot(static_cast<double>(xf.M21), static_cast<double>(xf.M22)); }

void MeasureTexts(TObjectList& texts, TTextMeasurer& measurer, const TMeasureOptions& options) {
  TMeasuring measuring(measurer, options);
  for (const std::unique_ptr<TRectProTo>& object : texts)
    if (auto* text = dynamic_cast<TText*>(object.get())) measuring.Measure(*text);
}
