// Measuring a page's texts on a device context: fonts made with CreateFontIndirect, widths read with
// GetTextExtentPoint32W or, where the system has no wide measuring, GetCharWidthA.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "coding/enumemf2_measure.h"

class TEMFCoder;

// What the system offers for measuring; tests inject it to reach the other roads.
struct TMeasurePlatform {
  bool NTFamily = true;  // CreateFontIndirectW, else CreateFontIndirectA
  bool Wide = true;      // GetTextExtentPoint32W and GetTextMetricsW, else GetCharWidthA and GetTextMetricsA
};

// The NT family from version 5 on, with GetTextExtentPoint32W found in gdi32.dll by name.
TMeasurePlatform SystemMeasurePlatform();

// The head copied, the face name in the system code page cut so that its terminating zero fits.
LOGFONTA LogFontToAnsi(const LOGFONTW& font);
// The width of one UTF-16 character in the selected font; 0 when the call fails.
int32_t CharExtent(HDC dc, char16_t c);

// Measures on dc (lent); the fonts it made are deselected and deleted as they go, and the DC gets its
// own font back at the end.
class TGdiMeasurer : public TTextMeasurer {
 public:
  TGdiMeasurer(HDC dc, TMeasurePlatform platform);
  ~TGdiMeasurer() override;
  TGdiMeasurer(const TGdiMeasurer&) = delete;
  TGdiMeasurer& operator=(const TGdiMeasurer&) = delete;

  bool Wide() const override { return platform_.Wide; }
  std::unique_ptr<TMeasureFont> MakeFont(const TLogFontW& font, TFontMetrics* metrics,
                                         std::vector<std::u16string>& failures) override;

  // The font made last is the one selected: true when it is selected now.
  bool Select(HFONT font);
  void Deselect(HFONT font);
  HDC Dc() const { return dc_; }

 private:
  HDC dc_;
  TMeasurePlatform platform_;
  HGDIOBJ original_ = nullptr;
  HFONT selected_ = nullptr;
};

// BuildPageTexts measuring on referenceDC between SaveDC and RestoreDC, or on the desktop window's DC when
// referenceDC is nil; failures of those calls are reported and the step goes on.
void BuildPageTextsOnDevice(TEMFCoder& coder, HDC referenceDC, TMeasurePlatform platform = SystemMeasurePlatform());
