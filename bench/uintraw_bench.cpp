// A DOS job of many documents coded in memory: a PCL file of 100 or 1,000 one-line documents, every one
// recognised by its type, coded (Aztec picture, PCL raster) and written as a "C" and an "N" copy into an
// output that only counts. Besides the time, the peak of the memory the coding holds above what was
// allocated before it (input included) is reported: it must not grow with the number of documents.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "support/dos_job_fakes.h"

namespace {
std::atomic<size_t> gLive{0};
std::atomic<size_t> gPeak{0};
constexpr size_t kHeader = 16;  // keeps the block's alignment

void* Allocate(size_t size) {
  void* block = std::malloc(size + kHeader);
  if (!block) throw std::bad_alloc();
  *static_cast<size_t*>(block) = size;
  const size_t live = gLive.fetch_add(size) + size;
  size_t peak = gPeak.load();
  while (live > peak && !gPeak.compare_exchange_weak(peak, live)) {
  }
  return static_cast<char*>(block) + kHeader;
}

void Release(void* p) noexcept {
  if (!p) return;
  void* block = static_cast<char*>(p) - kHeader;
  gLive.fetch_sub(*static_cast<size_t*>(block));
  std::free(block);
}
}  // namespace

void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, size_t) noexcept { Release(p); }
void operator delete[](void* p, size_t) noexcept { Release(p); }

namespace {
class TBenchDosSteps : public TMemoryDosSteps {
 public:
  TBenchDosSteps() {
    logged = false;
    keepOutput = false;
    AddKeywordType(u"AB", u"AAA", u"CN", 0);
    store.SetText(DosKey(), u"DocOrder", u"AB");
  }
  bool ParsePage(TRAWCoder& coder, TByteReader& reader, bool& pageEnded, int32_t& errors,
                 TDosPrinterState& state) override {
    // The test store's record of its reads is not the coding's memory.
    store.Reads.clear();
    return TDosJobSteps::ParsePage(coder, reader, pageEnded, errors, state);
  }
};

std::string ManyDocuments(int64_t count) {
  std::string file;
  for (int64_t i = 1; i <= count; ++i)
    file += "\x1B&l6D\x1B(s10HAAA " + std::to_string(i) + " Invoice line of the document\r\n\r\n\f";
  return file;
}

void BM_DosJob(benchmark::State& state) {
  const int64_t documents = state.range(0);
  size_t peak = 0;
  size_t written = 0;
  for (auto _ : state) {
    state.PauseTiming();
    TBenchDosSteps steps;
    steps.input = ManyDocuments(documents);
    TDosCodeResultRec rec{};
    const size_t before = gLive.load();
    gPeak.store(before);
    state.ResumeTiming();
    if (EncodeDosJob(steps, 1, rec) != kDosJobCoded) state.SkipWithError("the job was not coded");
    state.PauseTiming();
    peak = std::max(peak, gPeak.load() - before);
    written = steps.written;
    state.ResumeTiming();
  }
  state.counters["documents"] = static_cast<double>(documents);
  state.counters["peak_kb"] = static_cast<double>(peak) / 1024.0;
  state.counters["output_kb"] = static_cast<double>(written) / 1024.0;
  state.counters["docs_per_s"] =
      benchmark::Counter(static_cast<double>(documents) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DosJob)->Name("EncodeDosJob")->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(2);
}  // namespace
