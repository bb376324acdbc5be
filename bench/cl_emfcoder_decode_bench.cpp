// A Windows page from its metafile bytes to the code picture, as the page coding runs it with the portable
// measurer: the invoice drawn with about 2,000 records (its own fields, then a ruled table of figures with
// font switches, advance arrays, filled bars and a world transform), tried against a type that does not
// match and then the invoice's own type, recognised and coded.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "coding/cl_emfcoder_decode.h"
#include "foundation/cl_tools_config.h"
#include "support/coder_fakes.h"
#include "support/e2e_emf.h"
#include "support/memory_store.h"

namespace {
const TE2EDocument& Invoice() {
  for (const TE2EDocument& doc : E2EDocuments())
    if (doc.DocId == "SCHT") return doc;
  return E2EDocuments().front();
}

// The invoice's records, then a table of figures below its fields.
std::vector<uint8_t> TypicalPage(int32_t& records) {
  TEmfBuilder emf;
  DrawE2EDocument(emf, Invoice());
  emf.Record(emr::SaveDC, {}).Transform(TXForm{1, 0, 0, 1, 0, 3000}, 4);
  for (int32_t row = 0; row <= 55; ++row) emf.MoveTo(300, row * 60).LineTo(4600, row * 60);
  for (int32_t col = 0; col <= 7; ++col) emf.MoveTo(300 + col * 600, 0).LineTo(300 + col * 600, 3300);
  emf.Brush(2, 0, 0).Select(2);
  for (int32_t bar = 0; bar < 20; ++bar) emf.Rectangle(300, 3400 + bar * 10, 4600, 3404 + bar * 10);
  const std::u16string figures[] = {u"1 250,00", u"17", u"шт.", u"Бумага А4", u"20%"};
  for (int32_t cell = 0; cell < 385; ++cell) {
    const std::u16string& text = figures[cell % 5];
    emf.Font(10 + cell % 3, LogFont(cell % 2 ? u"Arial" : u"Times New Roman", -36 - cell % 3)).Select(10 + cell % 3);
    emf.TextOutW({.Reference = {320 + (cell % 7) * 600, 12 + (cell / 7) * 60}, .Text = text,
                  .Dx = std::vector<int32_t>(text.size(), 22)});
    emf.Select(emr::StockObject(13)).Record(emr::DeleteObject, {10 + cell % 3});
  }
  emf.Record(emr::RestoreDC, {-1});
  records = emf.Records();
  return emf.Bytes();
}

void BM_PageBytesToCodePicture(benchmark::State& state) {
  int32_t records = 0;
  const std::vector<uint8_t> page = TypicalPage(records);
  TMemoryStore store;
  for (const TE2EDocument& doc : E2EDocuments()) WriteE2EConfig(store, kConfigKey, doc);
  store.Set(kConfigKey, u"DocOrder", u"TORG,SCHT");
  TRecordingServices services;
  for (auto _ : state) {
    TBytesDecodeSteps steps(store, page, nullptr, &services);
    auto coder = ProcessDecode(store, nullptr, 0, 0, steps);
    if (!coder || coder->DocId.GetText() != "SCHT") {
      state.SkipWithError("the invoice was not recognised");
      break;
    }
    // Recognition keeps the real clock (its time-out); only the code's seeds are pinned.
    const TFixedSeeds seeds;
    if (!coder->MakeCode(static_cast<uint8_t>(coder->DefaultCharset))) {
      state.SkipWithError("the invoice was not coded");
      break;
    }
    benchmark::DoNotOptimize(coder->Picture.data());
    // The fakes keep what they were given (every read, the debug data the type saves with each code);
    // the product keeps neither, so that memory stays out of the measure.
    services.Debug.clear();
    store.Reads.clear();
  }
  state.counters["records"] = records;
}
BENCHMARK(BM_PageBytesToCodePicture)->Unit(benchmark::kMillisecond);
}  // namespace
