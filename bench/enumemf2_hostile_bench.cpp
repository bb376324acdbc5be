// Scaling of the Windows page parse on hostile shapes (tests/support/hostile_pages.h): each shape at n, 4n
// and 16n in one run, so that the time ratios show whether a stage stays about linear. The walk's shapes
// also report the peak of the heap during one walk ("peak_bytes") beside the metafile's size.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "coding/enumemf2_measure.h"
#include "coding/enumemf2_records.h"
#include "foundation/cl_tools_config.h"
#include "support/hostile_pages.h"
#include "support/memory_store.h"

namespace {
std::atomic<size_t> g_heapNow{0}, g_heapPeak{0};

void Count(void* p) {
  if (!p) return;
  const size_t now = g_heapNow += malloc_usable_size(p);
  size_t peak = g_heapPeak;
  while (now > peak && !g_heapPeak.compare_exchange_weak(peak, now)) {
  }
}
}  // namespace

// The heap is counted here so that the peak of one walk can be read; allocation stays malloc's. GCC takes
// the replaced operators' free for a mismatch once it inlines them.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(size_t size) {
  void* p = std::malloc(size ? size : 1);
  if (!p) throw std::bad_alloc();
  Count(p);
  return p;
}
void operator delete(void* p) noexcept {
  if (p) g_heapNow -= malloc_usable_size(p);
  std::free(p);
}
void operator delete(void* p, size_t) noexcept { operator delete(p); }

namespace {

std::unique_ptr<TEMFCoder> NewCoder(TMemoryStore& store) {
  store.AddKey(std::u16string(kConfigKey));
  auto coder = TCoder::Create<TEMFCoder>(store, nullptr, nullptr, 0, nullptr, TDocIdClass::CreateFromText("AB"));
  coder->SortTolerance = TSmallPoint{8, 8};
  return coder;
}

void Walk(benchmark::State& state, std::vector<uint8_t> (*shape)(int32_t)) {
  const std::vector<uint8_t> page = shape(static_cast<int32_t>(state.range(0)));
  TMemoryStore store;
  auto coder = NewCoder(store);
  size_t peak = 0;
  for (auto _ : state) {
    ResetObjectList(coder->Texts);
    ResetObjectList(coder->HLines);
    ResetObjectList(coder->VLines);
    coder->WhiteRects.clear();
    const size_t before = g_heapNow;
    g_heapPeak = before;
    const TEmfWalkResult walked = WalkEmfRecords(page, *coder);
    if (!walked.Ok) state.SkipWithError(walked.Error.c_str());
    peak = std::max(peak, g_heapPeak - before);
    benchmark::DoNotOptimize(coder->Texts->size());
  }
  state.counters["bytes"] = static_cast<double>(page.size());
  state.counters["peak_bytes"] = static_cast<double>(peak);
}

// Text steps over a page model filled outside the clock.
void Texts(benchmark::State& state, void (*shape)(TEMFCoder&, int32_t), bool join) {
  TMemoryStore store;
  TFixedMeasurer measurer;
  size_t texts = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto coder = NewCoder(store);
    shape(*coder, static_cast<int32_t>(state.range(0)));
    state.ResumeTiming();
    coder->EraseLinesUnderWhiteRects(TPoint{2, 2});
    coder->BuildPageTexts(measurer);
    if (join) coder->JoinTexts();
    texts = coder->Texts->size();
    state.PauseTiming();
    coder.reset();
    state.ResumeTiming();
  }
  state.counters["texts"] = static_cast<double>(texts);
}

void BM_PolyTextSharedString(benchmark::State& state) { Walk(state, hostile::SharedStringPolyText); }
void BM_ClipPathFlood(benchmark::State& state) { Walk(state, hostile::ClipPathFlood); }
void BM_SaveDCFlood(benchmark::State& state) { Walk(state, hostile::SaveDCFlood); }
void BM_WhiteAreasOverTexts(benchmark::State& state) { Texts(state, hostile::WhiteAreasOverTexts, false); }
void BM_TextColumn(benchmark::State& state) { Texts(state, hostile::TextColumn, true); }
void BM_RuledBars(benchmark::State& state) { Texts(state, hostile::RuledBars, true); }

BENCHMARK(BM_PolyTextSharedString)->Arg(256)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ClipPathFlood)->Arg(1000)->Arg(4000)->Arg(16000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveDCFlood)->Arg(20000)->Arg(80000)->Arg(320000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WhiteAreasOverTexts)->Arg(1000)->Arg(4000)->Arg(16000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextColumn)->Arg(1000)->Arg(4000)->Arg(16000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RuledBars)->Arg(1000)->Arg(4000)->Arg(16000)->Unit(benchmark::kMillisecond);

}  // namespace
