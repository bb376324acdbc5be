// Text building of a typical form page (about 300 runs as a print job gives them: words in pieces, a
// ruled table, separators drawn with hyphens, underscore fields, bold words drawn twice, white areas),
// measured with fixed metrics: BuildPageTexts and JoinTexts apart and together.
#include <benchmark/benchmark.h>

#include <string>

#include "coding/cl_emfcoder.h"
#include "coding/enumemf2_measure.h"
#include "foundation/cl_tools_config.h"
#include "support/memory_store.h"

namespace {

class TPageBench {
 public:
  TPageBench() {
    store_.AddKey(std::u16string(kConfigKey));
    coder_ = TCoder::Create<TEMFCoder>(store_, nullptr, nullptr, 0, nullptr, TDocIdClass::CreateFromText("AB"));
    coder_->SortTolerance = TSmallPoint{8, 8};
  }

  // The page's runs, lines and white areas as the records leave them.
  void Fill() {
    coder_->Texts->clear();
    coder_->HLines->clear();
    coder_->VLines->clear();
    coder_->WhiteRects.clear();
    number_ = 0;
    for (int i = 0; i < 10; ++i) Add(u"Заголовок", 300 + i * 200, 150);
    // A table of 20 rows and 5 columns with its borders.
    for (int r = 0; r < 20; ++r) {
      const int32_t y = 400 + r * 60;
      for (int c = 0; c < 5; ++c) Add(c == 0 ? u"Позиция" : u"12 345,00", 320 + c * 400, y + 15);
      coder_->HLines->push_back(std::make_unique<TLine>(54, TPoint{300, y}, TPoint{2300, y}, ++number_));
    }
    for (int c = 0; c <= 5; ++c)
      coder_->VLines->push_back(std::make_unique<TLine>(54, TPoint{300 + c * 400, 400}, TPoint{300 + c * 400, 1600}, ++number_));
    // Body text: each line in four pieces, some touching, some a space apart.
    for (int r = 0; r < 40; ++r) {
      const int32_t y = 1700 + r * 40;
      Add(u"Настоящим", 300, y);
      Add(u"подтверж", 395, y);
      Add(u"даем", 476, y);
      Add(u"получение товара по накладной", 526, y);
    }
    for (int i = 0; i < 10; ++i) Add(u"------------------------------", 300, 3400 + i * 10 + (i % 2) * 500);
    for (int i = 0; i < 10; ++i) Add(u"Подпись:__________", 300 + (i % 2) * 1000, 3500 + i * 50);
    for (int i = 0; i < 10; ++i) {
      Add(u"ИТОГО", 1500, 3000 + i * 40);
      Add(u"ИТОГО", 1500, 3000 + i * 40);
    }
    for (int i = 0; i < 3; ++i)
      coder_->WhiteRects.push_back(std::make_unique<TRectProTo>(++number_, TRect{2000, 3000 + i * 300, 2400, 3100 + i * 300}));
  }
  TEMFCoder& Coder() { return *coder_; }
  TFixedMeasurer Measurer;

 private:
  void Add(std::u16string_view chars, int32_t x, int32_t y) {
    auto t = std::make_unique<TText>(++number_, std::u16string(chars), TPoint{x, y});
    t->Font.lfHeight = -20;
    t->Font.lfCharSet = 204;
    t->Font.lfFaceName[0] = u'A';
    coder_->Texts->push_back(std::move(t));
  }

  TMemoryStore store_;
  std::unique_ptr<TEMFCoder> coder_;
  int32_t number_ = 0;
};

// Times the stages asked for; the page is filled, and built when only the join is timed, outside the clock.
void RunStages(benchmark::State& state, bool timeBuild, bool timeJoin) {
  TPageBench page;
  for (auto _ : state) {
    state.PauseTiming();
    page.Fill();
    if (!timeBuild) page.Coder().BuildPageTexts(page.Measurer);
    state.ResumeTiming();
    if (timeBuild) page.Coder().BuildPageTexts(page.Measurer);
    if (timeJoin) page.Coder().JoinTexts();
  }
  state.counters["texts"] = static_cast<double>(page.Coder().Texts->size());
  state.counters["hlines"] = static_cast<double>(page.Coder().HLines->size());
}

void BM_BuildPageTexts(benchmark::State& state) { RunStages(state, true, false); }
void BM_JoinTexts(benchmark::State& state) { RunStages(state, false, true); }
void BM_BuildAndJoin(benchmark::State& state) { RunStages(state, true, true); }
BENCHMARK(BM_BuildPageTexts)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_JoinTexts)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BuildAndJoin)->Unit(benchmark::kMicrosecond);

}  // namespace
