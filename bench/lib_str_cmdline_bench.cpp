// The command line split into arguments at 1 MB and 10 MB.
#include <benchmark/benchmark.h>

#include <string>

#include "foundation/lib_str_cmdline.h"

namespace {

void BM_CommandLine(benchmark::State& state) {
  std::u16string line = u"client.exe";
  while (line.size() < static_cast<size_t>(state.range(0)) / 2) line += u" \"C:\\Dir\\\" /S -x";
  for (auto _ : state) {
    const auto args = SplitCommandLine(line);
    benchmark::DoNotOptimize(FindCmdLineSwitch(args, u"none"));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_CommandLine)->Name("SplitCommandLine")->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

}  // namespace
