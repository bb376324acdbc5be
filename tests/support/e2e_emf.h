// The end-to-end documents as Windows pages: each document's texts and ruled lines drawn into metafile
// bytes (A4 at 600 dpi), each text in a font whose fixed-metric cell fills the text's box, and the steps
// that try such a page against the types of an in-memory configuration.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "coding/cl_emfcoder_decode.h"
#include "coding/cl_emfcoder_parse.h"
#include "support/e2e_fixtures.h"
#include "support/emf_builder.h"

inline void DrawE2EDocument(TEmfBuilder& emf, const TE2EDocument& doc) {
  for (const TRect& r : doc.HLines) emf.MoveTo(r.Left, r.Top).LineTo(r.Right, r.Bottom);
  for (const TRect& r : doc.VLines) emf.MoveTo(r.Left, r.Top).LineTo(r.Right, r.Bottom);
  for (const TE2EText& t : doc.Texts) {
    TLogFontW font = LogFont(u"Arial", -(t.Rect.Bottom - t.Rect.Top));
    font.lfWidth = (t.Rect.Right - t.Rect.Left) / static_cast<int32_t>(t.Text.size());
    emf.Font(1, font).Select(1);
    emf.TextOutW({.Reference = {t.Rect.Left, t.Rect.Top}, .Text = t.Text});
  }
}

inline std::vector<uint8_t> E2EPageBytes(const TE2EDocument& doc) {
  TEmfBuilder emf;
  DrawE2EDocument(emf, doc);
  return emf.Bytes();
}

// A page's bytes tried with coders over an in-memory configuration, measured with fixed metrics.
class TBytesDecodeSteps : public TDecodeSteps {
 public:
  TBytesDecodeSteps(const TSettingsStore& store, std::span<const uint8_t> page, TLogFile* log,
                    TCodeServices* services)
      : store_(store), page_(page), log_(log), services_(services) {}

  std::unique_ptr<TEMFCoder> CreateCoder(const TDocIdClass& docId, uint8_t mode) override {
    auto coder = TCoder::Create<TEMFCoder>(store_, nullptr, nullptr, mode, log_, docId);
    coder->CodeServices = services_;
    return coder;
  }
  bool ParsePage(TEMFCoder& coder) override { return ParsePageBytes(coder, page_, device_); }
  void DebugBlank(TEMFCoder&) override {}

 private:
  const TSettingsStore& store_;
  std::span<const uint8_t> page_;
  TLogFile* log_;
  TCodeServices* services_;
  TFixedPageDevice device_;
};
