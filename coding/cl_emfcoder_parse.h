// One Windows page parsed for one document type: the metafile's records, the line finder's lines, the
// texts built on the measuring device, the type's blank and the line clean-up, in this order.
#pragma once

#include <cstdint>
#include <span>

#include "coding/cl_emfcoder.h"
#include "coding/enumemf2_decode.h"
#include "coding/enumemf2_measure.h"

// The device a page is measured on: the reference device context at the Windows edge, fixed metrics in
// the core.
class TPageDevice {
 public:
  virtual ~TPageDevice() = default;
  // Nil: glyph indices are read in the classic glyph order.
  virtual TGlyphResolver* Glyphs() = 0;
  // BuildPageTexts with this device's measuring.
  virtual void BuildTexts(TEMFCoder& coder) = 0;
};

class TFixedPageDevice : public TPageDevice {
 public:
  TGlyphResolver* Glyphs() override { return nullptr; }
  void BuildTexts(TEMFCoder& coder) override { coder.BuildPageTexts(Measurer); }
  TFixedMeasurer Measurer;
};

// The page's metafile bytes into the coder's page model; false when the page does not parse (a header
// that is no metafile's and a damaged record are reported, a page without millimetres is not).
bool ParsePageBytes(TEMFCoder& coder, std::span<const uint8_t> bytes, TPageDevice& device);
