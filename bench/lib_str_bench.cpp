// Token lists of outside text at 1 MB and 10 MB: a hexadecimal byte list (context files) and a list with
// long runs of delimiters, walked to its end.
#include <benchmark/benchmark.h>

#include <string>

#include "foundation/lib_str.h"

namespace {

void BM_HexListToStr(benchmark::State& state) {
  std::string list;
  while (list.size() < static_cast<size_t>(state.range(0))) list += "ab,";
  for (auto _ : state) benchmark::DoNotOptimize(HexListToStr(list, ','));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_HexListToStr)->Name("HexListToStr")->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

void BM_TokenWalk(benchmark::State& state) {
  // Half the list one run of delimiters, then items, then delimiters to the end.
  const size_t n = static_cast<size_t>(state.range(0));
  std::u16string list(n / 4, u',');
  while (list.size() < n * 3 / 4) list += u"DC01,";
  list.append(n - list.size(), u',');
  for (auto _ : state) {
    size_t count = 0;
    for (std::u16string_view rest = list; !rest.empty(); ++count) benchmark::DoNotOptimize(ExtractTokenW(rest, u','));
    benchmark::DoNotOptimize(count);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_TokenWalk)->Name("ExtractTokenW/view_walk")->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

}  // namespace
