// The spool-file reader walked over NT spool files of 1 MB and 10 MB: many small pages with a font
// record between them, and the same file cut inside its last page (found damaged at the end).
#include <benchmark/benchmark.h>

#include <vector>

#include "foundation/lib_prn_spool.h"
#include "foundation/lib_prn_spoolwriter.h"

namespace {

std::vector<uint8_t> SpoolFile(size_t n) {
  TEmfSpoolWriter writer(u"Счёт");
  const std::vector<uint8_t> page(200, 0x41), font(40, 0xF0);
  while (writer.Bytes().size() < n) {
    writer.AddRecord(EMRI_ENGINE_FONT, font);
    writer.AddPage(page);
  }
  return writer.Bytes();
}

void BM_Walk(benchmark::State& state, bool cut) {
  std::vector<uint8_t> file = SpoolFile(static_cast<size_t>(state.range(0)));
  if (cut) file.resize(file.size() - 100);
  for (auto _ : state) {
    TProcSPLFile reader;
    size_t pages = reader.Open(file, true) ? 1 : 0;
    while (pages > 0 && reader.NextPage()) ++pages;
    benchmark::DoNotOptimize(pages);
    benchmark::DoNotOptimize(reader.Damage());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(file.size()));
}
BENCHMARK_CAPTURE(BM_Walk, whole, false)->Name("SpoolWalk/whole")->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Walk, cut, true)->Name("SpoolWalk/cut_off")->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

}  // namespace
