// Pages that print many texts over one place, through the whole raw page parse, at n, 4n and 16n
// repeats of each shape for every command set (the 16n pages are 256 KB to 576 KB): the time must grow
// about as the page does, as it does for a page of plain rows.
#include <benchmark/benchmark.h>

#include <string>

#include "coding/enumraw2.h"
#include "foundation/cl_tools_config.h"
#include "bench/raw_bench_coder.h"
#include "tests/support/coder_fakes.h"

namespace {


enum TShape { kBackspaced, kReturned, kBars, kBarsBackspaced, kPlain };

std::string Page(TShape shape, int64_t n) {
  std::string page;
  for (int64_t i = 0; i < n; ++i) {
    switch (shape) {
      case kBackspaced: page += "A\b"; break;
      case kReturned: page += "ABCDEFGH\r"; break;
      case kBars: page += "\xB3 \xB3\r"; break;
      case kBarsBackspaced: page += "\xB3\b"; break;
      case kPlain: page += "A\n"; break;
    }
  }
  return page + "\r\n";
}

void BM_OverOnePlace(benchmark::State& state, TShape shape) {
  const auto lang = static_cast<size_t>(state.range(1));
  const std::string stream = Page(shape, state.range(0));
  const std::span bytes(reinterpret_cast<const uint8_t*>(stream.data()), stream.size());
  TMemoryStore store;
  TMemoryLog log(false);
  // The cost itself is measured, not the time limit.
  auto coder = MakeRawBenchCoder(store, log, lang, 1 << 30);
  if (!coder) {
    state.SkipWithError("LoadParam");
    return;
  }
  size_t texts = 0;
  for (auto _ : state) {
    store.Reads.clear();
    TByteReader reader(bytes);
    bool pageEnded = false;
    int32_t errors = 0;
    TDosPrinterState printer;
    coder->Reinit();
    if (!coder->ParsePage(reader, pageEnded, -1, errors, printer)) state.SkipWithError("page not parsed");
    texts += coder->Texts->size();
    benchmark::DoNotOptimize(texts);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(stream.size()));
}

void Sizes(benchmark::internal::Benchmark* b, int64_t n) {
  for (int64_t lang = 0; lang < 5; ++lang)
    for (int64_t k : {1, 4, 16}) b->Args({n * k, lang});
  b->ArgNames({"n", "lang"})->Unit(benchmark::kMillisecond);
}

BENCHMARK_CAPTURE(BM_OverOnePlace, backspaced, kBackspaced)->Name("RawOverprint/ABackspace")->Apply([](auto* b) { Sizes(b, 16000); });
BENCHMARK_CAPTURE(BM_OverOnePlace, returned, kReturned)->Name("RawOverprint/ABCDEFGHReturn")->Apply([](auto* b) { Sizes(b, 4000); });
BENCHMARK_CAPTURE(BM_OverOnePlace, bars, kBars)->Name("RawOverprint/BarsReturn")->Apply([](auto* b) { Sizes(b, 8000); });
BENCHMARK_CAPTURE(BM_OverOnePlace, barsBackspaced, kBarsBackspaced)->Name("RawOverprint/BarBackspace")->Apply([](auto* b) { Sizes(b, 16000); });
// For reference: a letter on each of as many rows, nothing over anything; what the memory of a larger
// page costs by itself.
BENCHMARK_CAPTURE(BM_OverOnePlace, plain, kPlain)->Name("RawOverprint/PlainRows")->Apply([](auto* b) { Sizes(b, 16000); });

}  // namespace
