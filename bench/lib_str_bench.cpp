// Outside text at 1 MB and 10 MB: a hexadecimal byte list (context files), a list with long runs of
// delimiters walked to its end, and replacements in a template file (many occurrences, and a shorter
// replacement whose every join forms the next occurrence). Character lists at n, 4n and 16n: one range
// n characters wide, and n ranges of 16 characters each.
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

void BM_CharListWideRange(benchmark::State& state) {
  const auto n = static_cast<char16_t>(state.range(0));
  const std::u16string list{u'\u0002', u'.', u'.', static_cast<char16_t>(2 + n - 1)};
  TWideCharSet set;
  for (auto _ : state) {
    ParseWideCharList(set, list);
    benchmark::DoNotOptimize(set.Size());
  }
}
BENCHMARK(BM_CharListWideRange)->Name("ParseWideCharList/one_range")->Arg(1000)->Arg(4000)->Arg(16000)->Unit(benchmark::kMicrosecond);

void BM_CharListManyRanges(benchmark::State& state) {
  std::u16string list;
  for (int64_t i = 0; i < state.range(0); ++i) {
    const auto from = static_cast<char16_t>(0x100 + 16 * i);
    list += {from, u'.', u'.', static_cast<char16_t>(from + 15)};
  }
  TWideCharSet set;
  for (auto _ : state) {
    ParseWideCharList(set, list);
    benchmark::DoNotOptimize(set.Size());
  }
}
BENCHMARK(BM_CharListManyRanges)->Name("ParseWideCharList/many_ranges")->Arg(200)->Arg(800)->Arg(3200)->Unit(benchmark::kMicrosecond);

}  // namespace
