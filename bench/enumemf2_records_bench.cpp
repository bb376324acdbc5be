// The record walk of a typical printed page: about 2,000 records of a word processor's A4 page at 600 dpi
// (a ruled table, filled bars, 350 text runs each with its own font object, clip and saved states).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "coding/enumemf2_records.h"
#include "support/emf_builder.h"
#include "support/memory_store.h"

namespace {

std::vector<uint8_t> TypicalPage(int32_t& records) {
  TEmfBuilder emf;
  emf.Record(emr::SetMapMode, {1}).Record(emr::SetBkMode, {1}).Record(emr::SetTextAlign, {24});
  emf.Pen(1, 0, 4, 0).Select(1);
  for (int32_t row = 0; row < 60; ++row) emf.MoveTo(300, 800 + row * 90).LineTo(4600, 800 + row * 90);
  for (int32_t col = 0; col < 8; ++col) emf.MoveTo(300 + col * 600, 800).LineTo(300 + col * 600, 6110);
  emf.Brush(2, 0, 0).Select(2);
  for (int32_t bar = 0; bar < 40; ++bar) emf.Rectangle(300, 6300 + bar * 10, 4600, 6304 + bar * 10);
  const std::u16string words[] = {u"Счёт-фактура", u"№ 1234", u"от 12.05.2024", u"Итого к оплате:", u"НДС 20%"};
  for (int32_t run = 0; run < 350; ++run) {
    const uint32_t handle = 10 + run % 7;
    const std::u16string& text = words[run % 5];
    if (run % 20 == 0) emf.Record(emr::SaveDC, {}).Record(emr::IntersectClipRect, {0, 0, 4961, 7016});
    emf.Font(handle, LogFont(run % 3 ? u"Arial" : u"Times New Roman", -42 - run % 4));
    emf.Select(handle);
    emf.TextOutW({.Reference = {320 + (run % 7) * 600, 870 + (run / 7) * 90}, .Text = text,
                  .Dx = std::vector<int32_t>(text.size(), 21)},
                 {320, 830, 900, 880});
    emf.Select(emr::StockObject(13)).Record(emr::DeleteObject, {int32_t(handle)});
    if (run % 20 == 19) emf.Record(emr::RestoreDC, {-1});
  }
  records = emf.Records();
  return emf.Bytes();
}

void BM_WalkTypicalPage(benchmark::State& state) {
  int32_t records = 0;
  const std::vector<uint8_t> page = TypicalPage(records);
  TMemoryStore store;
  auto coder = TCoder::Create<TEMFCoder>(store, nullptr, nullptr, 0, nullptr, TDocIdClass::CreateFromText("AB"));
  for (auto _ : state) {
    ResetObjectList(coder->Texts);
    ResetObjectList(coder->HLines);
    ResetObjectList(coder->VLines);
    coder->WhiteRects.clear();
    const TEmfWalkResult walked = WalkEmfRecords(page, *coder);
    if (!walked.Ok) state.SkipWithError(walked.Error.c_str());
    benchmark::DoNotOptimize(coder->Texts->size());
  }
  state.counters["records"] = records;
  state.counters["bytes"] = static_cast<double>(page.size());
}
BENCHMARK(BM_WalkTypicalPage)->Unit(benchmark::kMicrosecond);

}  // namespace
