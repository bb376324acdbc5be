// Outside text at 1 MB and 10 MB: a hexadecimal byte list (context files), a list with long runs of
// delimiters walked to its end, and replacements in a template file (many occurrences, and a shorter
// replacement whose every join forms the next occurrence).
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

void BM_ReplaceAll(benchmark::State& state, const char* unit, const char* from, const char* to) {
  std::string text;
  while (text.size() < static_cast<size_t>(state.range(0))) text += unit;
  for (auto _ : state) benchmark::DoNotOptimize(ReplaceAll(text, from, to));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK_CAPTURE(BM_ReplaceAll, placeholders, "%Page% ", "%Page%", "12")->Name("ReplaceAll/placeholders")->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReplaceAll, joins, "a", "aa", "a")->Name("ReplaceAll/joining_run")->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

}  // namespace
