// The blank file reader over one long section name holding many values, at n, 4n and 16n (name length
// and values both grow): the time must grow about as the file does.
#include <benchmark/benchmark.h>

#include <string>

#include "coding/cl_blank_ini.h"

namespace {

void BM_LongSectionManyValues(benchmark::State& state) {
  const auto n = static_cast<size_t>(state.range(0));
  std::string file = "[" + std::string(n, 'N') + "]\r\n";
  for (size_t i = 0; i < n; ++i) file += "Value" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
  const std::span bytes(reinterpret_cast<const uint8_t*>(file.data()), file.size());
  for (auto _ : state) {
    const TIniFile ini = TIniFile::Parse(bytes);
    benchmark::DoNotOptimize(ini.Count());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(file.size()));
}
BENCHMARK(BM_LongSectionManyValues)->Name("BlankIni/LongSectionManyValues")->Arg(1000)->Arg(4000)->Arg(16000)->Unit(benchmark::kMillisecond);

}  // namespace
