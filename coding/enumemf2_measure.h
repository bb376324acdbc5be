// Measuring a page's texts with their own fonts: each text gets its box, the left edge of every character
// and its character size. The device is an interface: GDI at the Windows edge, fixed metrics in the core.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "coding/cl_macrotools.h"
#include "coding/enumemf2.h"

class TCodePageSystem;
class TLogFile;

struct TFontMetrics {
  int32_t Height = 0;
  int32_t AveCharWidth = 0;
};

// A font made on the measuring device; the device selects it when it is asked for widths.
class TMeasureFont {
 public:
  virtual ~TMeasureFont() = default;
  // Wide measuring: the width of one UTF-16 character; 0 when it cannot be measured.
  virtual int32_t CharExtent(char16_t c) = 0;
  // 8-bit measuring: the widths of the codes 0 to 255 of the system code page; false when unreadable.
  virtual bool CharWidths8(std::array<int32_t, 256>& widths) = 0;
};

class TTextMeasurer {
 public:
  virtual ~TTextMeasurer() = default;
  // Widths of UTF-16 characters, or (false) the 8-bit widths of the system code page.
  virtual bool Wide() const = 0;
  // Makes the font and, when metrics is given, reads its metrics. Nil when the font cannot be made; the
  // name of every call that failed ("CreateFontIndirect", "SelectObject", "GetTextMetrics") goes to failures.
  virtual std::unique_ptr<TMeasureFont> MakeFont(const TLogFontW& font, TFontMetrics* metrics,
                                                 std::vector<std::u16string>& failures) = 0;
};

// Fixed metrics for tests and benchmarks: a font's cell height is |lfHeight| (16 when 0), its average
// width lfWidth or half the height; a character is that wide (lfWidth of the font as made) scaled by its
// percentage in Percent (100 when absent).
class TFixedMeasurer : public TTextMeasurer {
 public:
  // A space is half as wide. Set in the body: i686 GCC 12 warns falsely on a braced member initialiser.
  explicit TFixedMeasurer(bool wide = true) : wide_(wide) { Percent[u' '] = 50; }
  bool Wide() const override { return wide_; }
  std::unique_ptr<TMeasureFont> MakeFont(const TLogFontW& font, TFontMetrics* metrics,
                                         std::vector<std::u16string>& failures) override;

  std::map<char16_t, int32_t> Percent;
  // Faces whose fonts cannot be made.
  std::vector<std::u16string> FailingFaces;
  bool FailCharWidths = false;
  // Every font made, in order.
  std::vector<TLogFontW> Made;

 private:
  bool wide_;
};

struct TMeasureOptions {
  int32_t ExtractBL = 0;
  uint8_t DefaultCharset = 204;
  const TCodePageSystem* CodePages = nullptr;  // the core's own when nil
  TLogFile* Log = nullptr;
};

// Prepares every distinct font once (keyed on the LOGFONTW and the scales), then gives every non-empty text
// of texts, in list order, its box, CharWidth, CharHeight and length + 1 character edges in Positions
// (Positions empty when the text cannot be measured).
void MeasureTexts(TObjectList& texts, TTextMeasurer& measurer, const TMeasureOptions& options);

// The scales of a transform's axes: the lengths of the transformed unit vectors (|M11| and |M22| without
// rotation or shear).
double AxisScaleX(const TXForm& xf);
double AxisScaleY(const TXForm& xf);
