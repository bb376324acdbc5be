// The print journal's scan for its last record number over journals of 1 MB and 10 MB, and the
// formatting of a line whose document name is 1 MB of line breaks and bars.
#include <benchmark/benchmark.h>

#include <string>

#include "foundation/lib_prn_journal.h"

namespace {

void BM_Scan(benchmark::State& state) {
  std::string file = "\xEF\xBB\xBF";
  for (uint32_t i = 1; file.size() < static_cast<size_t>(state.range(0)); ++i) {
    file += std::to_string(i) + "|17|Printer|\\\\PC|User|Document|User|NT EMF 1.008|WinPrint||Driver||8|1|2|0|0|3|4096|"
                                "01.01.26 01:30|0|0|2|KEY\r\n";
  }
  for (auto _ : state) benchmark::DoNotOptimize(ScanJournalRecordNo(file, 0));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(file.size()));
}
BENCHMARK(BM_Scan)->Name("ScanJournalRecordNo")->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

void BM_Line(benchmark::State& state) {
  _JOBINFO job;
  for (size_t i = 0; job.Document.size() < static_cast<size_t>(state.range(0)) / 2; ++i) job.Document += u"a\r\n|";
  for (auto _ : state) benchmark::DoNotOptimize(FormatJournalLine(1, job, {}, u"KEY"));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Line)->Name("FormatJournalLine")->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

}  // namespace
