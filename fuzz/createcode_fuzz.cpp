// Fuzz target of a Windows page's coding: any bytes as the page's metafile, coded as the monitor codes a
// page against the three document types of the demo configuration (each type's parse, recognition, the
// copies and the code), with the system's steps answered in memory and no file written. A page is
// printed as it is, coded, or its job cancelled, and the record is all zero unless coded.
#include <algorithm>
#include <cstdint>
#include <span>

#include "coding/cl_emfcoder_decode.h"
#include "foundation/cl_tools_config.h"
#include "foundation/lib_codepage.h"
#include "fuzz/fuzz_input.h"
#include "monitor/createcode.h"
#include "support/e2e_emf.h"

namespace {
class TFuzzPageSteps : public TPageCodingSteps {
 public:
  TFuzzPageSteps(TMemoryStore& store, std::span<const uint8_t> page) : store_(store), page_(page) {}
  const TSettingsStore& Store() override { return store_; }
  bool TerminalServer() override { return false; }
  bool RemoteSession() override { return false; }
  bool CheckConfiguration() override { return true; }
  std::unique_ptr<TContext> OpenContext(std::u16string_view printerName) override {
    return std::make_unique<TContext>(contexts_, printerName);
  }
  std::unique_ptr<TLogFile> OpenLog() override { return nullptr; }
  std::unique_ptr<TEMFCoder> Decode(TContext&, TLogFile* log) override {
    TBytesDecodeSteps steps(store_, page_, log, &services_);
    return ProcessDecode(store_, log, 0, 0, steps);
  }
  std::string AskCopies(TEMFCoder&, TContext&, TLogFile*, const std::string& copies) override { return copies; }
  bool MatchOrientation(TEMFCoder&) override { return false; }
  TSize PageSizeMm() override { return TSize{210, 297}; }
  void Redraw(TEMFCoder&, TLogFile*) override {}
  std::u16string MakeTempName() override { return u"C:\\TEMP\\0000FUZZ.emf"; }
  void DeleteTempFile(const std::u16string&) override {}
  bool ExportCode(TEMFCoder&, const std::u16string&) override { return true; }
  std::string ToAnsi(std::u16string_view text) override { return EncodeCodePage(text, kCodePage1251); }
  std::u16string FromAnsi(std::string_view text) override { return DecodeCodePage(text, kCodePage1251); }

 private:
  TMemoryStore& store_;
  std::span<const uint8_t> page_;
  TMemoryContextHost contexts_;
  TRecordingServices services_;
};

TMemoryStore& DemoStore() {
  static TMemoryStore store;
  static const bool written = [] {
    std::u16string order;
    for (const TE2EDocument& doc : E2EDocuments()) {
      if (!WriteE2EConfig(store, kConfigKey, doc)) __builtin_trap();
      order += (order.empty() ? u"" : u",") + std::u16string(doc.DocId.begin(), doc.DocId.end());
    }
    store.Set(kConfigKey, u"DocOrder", order);
    return true;
  }();
  (void)written;
  return store;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TMemoryStore& store = DemoStore();
  TFuzzPageSteps steps(store, std::span<const uint8_t>(data, size));
  TCodeResultRec rec;
  const std::lock_guard<std::mutex> lock(CodingLock());
  const uint8_t status = CodePage(steps, TPageJob{1, u"fuzz", u"Client Printer"}, rec);
  if (status != kPagePrintAsIs && status != kPageCancelJob && status != kPageCoded) __builtin_trap();
  const auto* bytes = reinterpret_cast<const uint8_t*>(&rec);
  if (status != kPageCoded && std::any_of(bytes, bytes + sizeof rec, [](uint8_t b) { return b != 0; })) __builtin_trap();
  // The fakes keep every read; the product keeps none.
  store.Reads.clear();
  return 0;
}
