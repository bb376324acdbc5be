// Aztec encoding, message to module matrix, against libzint on the same messages and symbol sizes.
#include <benchmark/benchmark.h>

#include <string>

#include "coding/aztencod.h"

#ifdef HAVE_ZINT
#include <zint.h>
#endif

namespace {

std::string Repeat(const std::string& unit, size_t n) {
  std::string s;
  while (s.size() < n) s += unit;
  return s.substr(0, n);
}

// Invoice-like text for 100 bytes and 1 KB; 3 KB fits an automatic symbol only as mostly digits.
std::string Message(int64_t size) {
  if (size >= 3072) return Repeat("4711 0815, 12.50. 2024 INV ", static_cast<size_t>(size));
  return Repeat("Invoice No. 4711/24, 12.03.2024: total 1.234,56 EUR; VAT 20%. ", static_cast<size_t>(size));
}

void BM_AztCoder(benchmark::State& state) {
  const std::string msg = Message(state.range(0));
  TAztCoder c;
  for (auto _ : state) {
    c.SetData(msg);  // drops the cached plan: every round encodes from scratch
    if (c.Encode() != AztOk) state.SkipWithError("encode failed");
    benchmark::DoNotOptimize(c.Picture().data());
  }
  state.counters["modules"] = c.SymbolSize();
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AztCoder)->Arg(100)->Arg(1024)->Arg(3072);

#ifdef HAVE_ZINT
void BM_Zint(benchmark::State& state) {
  const std::string msg = Message(state.range(0));
  TAztCoder c;
  c.SetData(msg);
  c.Encode();
  const int vers = c.Compact() ? c.Layers() : c.Layers() + 4;  // the size our encoder chose
  int size = 0;
  for (auto _ : state) {
    zint_symbol* s = ZBarcode_Create();
    s->symbology = BARCODE_AZTEC;
    s->input_mode = DATA_MODE;
    s->option_2 = vers;
    if (ZBarcode_Encode(s, reinterpret_cast<const unsigned char*>(msg.data()), static_cast<int>(msg.size())) >= ZINT_ERROR)
      state.SkipWithError(s->errtxt);
    size = s->width;
    benchmark::DoNotOptimize(s->encoded_data);
    ZBarcode_Delete(s);
  }
  state.counters["modules"] = size;
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Zint)->Arg(100)->Arg(1024)->Arg(3072);
#endif

}  // namespace
