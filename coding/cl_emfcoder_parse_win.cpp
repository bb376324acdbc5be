#include "coding/cl_emfcoder_parse_win.h"

#include "coding/cl_emfcoder_debug_win.h"
#include "coding/cl_emfcoder_decode.h"
#include "coding/cl_emfcoder_draw_win.h"
#include "coding/cl_emfcoder_parse.h"
#include "coding/cl_macrolib_code_win.h"
#include "coding/cl_macrolib_context.h"
#include "coding/enumemf2_decode_win.h"
#include "coding/enumemf2_measure_win.h"
#include "coding/enumemf2_records_win.h"
#include "foundation/cl_tools_store_win.h"
#include "foundation/lib_str.h"

#include <string>

namespace {
class TDCPageDevice : public TPageDevice {
 public:
  TDCPageDevice(const TEMFCoder& coder, HDC referenceDC)
      : glyphs_(coder.CodeServices ? coder.CodeServices->CodePages() : pages_,
                static_cast<uint8_t>(coder.DefaultCharset)),
        dc_(referenceDC) {}
  TGlyphResolver* Glyphs() override { return &glyphs_; }
  void BuildTexts(TEMFCoder& coder) override { BuildPageTextsOnDevice(coder, dc_); }

 private:
  TWinCodePages pages_;
  TWinGlyphResolver glyphs_;
  HDC dc_;
};

int32_t DrawOutSize(TContext* context, std::u16string_view name) {
  if (!context) return 0;
  std::string digits;
  for (char16_t c : context->ReadSectionValue(u"DrawOutSize", name, u"0")) digits += c < 0x80 ? static_cast<char>(c) : '?';
  return StrToIntOrZero(digits);
}

// The coders keep a reference to their store beyond the decode that made them, so it is the process's.
const TSettingsStore& MachineStore() {
  static const TRegistryStore store;
  return store;
}

class TWinDecodeSteps : public TDecodeSteps {
 public:
  TWinDecodeSteps(HDC referenceDC, HENHMETAFILE page, const TLineSearchResult* lineSeeker, TLogFile* log,
                  TContext* context)
      : dc_(referenceDC), page_(page), lineSeeker_(lineSeeker), log_(log), context_(context) {}

  std::unique_ptr<TEMFCoder> CreateCoder(const TDocIdClass& docId, uint8_t mode) override {
    auto coder = TCoder::Create<TEMFCoder>(MachineStore(), lineSeeker_, context_, mode, log_, docId);
    coder->CodeServices = &services_;
    return coder;
  }
  bool ParsePage(TEMFCoder& coder) override { return ::ParsePage(coder, dc_, page_); }
  void DebugBlank(TEMFCoder& coder) override {
    TWinBlankDebugHost host(coder.ConfigKey, coder.DocId.GetText());
    coder.DebugBlank(host);
  }
  const TSettingsStore& Store() const { return MachineStore(); }

 private:
  TWinCodeServices services_;
  HDC dc_;
  HENHMETAFILE page_;
  const TLineSearchResult* lineSeeker_;
  TLogFile* log_;
  TContext* context_;
};
}  // namespace

bool ParsePage(TEMFCoder& coder, HDC referenceDC, HENHMETAFILE page) {
  const std::vector<uint8_t> bytes = EnhMetaFileBytes(page);
  TDCPageDevice device(coder, referenceDC);
  if (!ParsePageBytes(coder, bytes, device)) return false;
  if (coder.Mode != 0 && referenceDC) {
    const TSize size{DrawOutSize(coder.Context, u"Width"), DrawOutSize(coder.Context, u"Height")};
    DrawPage(coder, referenceDC, page, size, false);
    coder.Mode = 0;
  }
  return true;
}

std::unique_ptr<TEMFCoder> ProcessDecode(uint32_t jobRecordNo, HDC referenceDC, HENHMETAFILE page,
                                         const TLineSearchResult* lineSeeker, TLogFile* log, uint8_t mode,
                                         TContext* context) {
  TWinDecodeSteps steps(referenceDC, page, lineSeeker, log, context);
  auto coder = ProcessDecode(steps.Store(), log, mode, jobRecordNo, steps);
  // The services lived with the steps; the caller's coder shows its errors through its own.
  if (coder) coder->CodeServices = nullptr;
  return coder;
}
