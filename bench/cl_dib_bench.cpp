// Line finder stages apart on an A4 page at 600 dpi (4960 x 7016 pixels, about 35 million): the grid cut
// from the BMP, its transposition, both searches, and all of them over the file as the finder runs them.
#include <benchmark/benchmark.h>

#include <vector>

#include "coding/cl_dib.h"
#include "foundation/lib_log.h"
#include "tests/support/dib_images.h"

namespace {

constexpr int32_t kWidth = 4960, kHeight = 7016;

// A frame, a ruled table and twenty rows of text-like glyphs.
bool Black(int32_t x, int32_t y) {
  const bool frameX = (x >= 300 && x < 306) || (x >= 4654 && x < 4660);
  const bool frameY = (y >= 300 && y < 306) || (y >= 6710 && y < 6716);
  if ((frameX && y >= 300 && y < 6716) || (frameY && x >= 300 && x < 4660)) return true;
  if (x >= 600 && x < 4000 && y >= 800 && y < 2400 && (y % 200 < 4 || x % 850 < 4)) return true;
  if (x >= 600 && x < 4000 && y >= 3000 && y < 6200 && y % 160 < 60) {
    const int32_t inWord = (x - 600) % 300;
    return inWord < 240 && inWord % 48 < 36;
  }
  return false;
}

const std::vector<uint8_t>& PageFile() {
  static const std::vector<uint8_t> file = MakeDibFile(kWidth, kHeight, Black);
  return file;
}

TDibBitmap Page(TByteReader& reader) {
  reader.Assign(PageFile());
  TDibBitmap bitmap;
  ReadDibFile(reader, bitmap);
  return bitmap;
}

// A log that writes nowhere.
class TNullLogHost : public TLogHost {
 public:
  bool NTFamily() const override { return true; }
  bool DirectoryExists(const std::u16string&) const override { return false; }
  std::u16string DateText() const override { return {}; }
  std::u16string TimeText() const override { return {}; }
  uint32_t TickCount() const override { return 0; }
  std::u16string FromAnsi(std::string_view) const override { return {}; }
  bool AppendLine(const std::u16string&, std::u16string_view) override { return true; }
  void ShowFileWriteError(const std::u16string&) override {}
  void ShowError(std::u16string_view) override {}
  std::unique_ptr<TEventSink> OpenEventSource() override { return nullptr; }
  std::u16string SystemDescription() override { return {}; }
};

void BM_BuildGrid(benchmark::State& state) {
  TByteReader reader;
  const TDibBitmap bitmap = Page(reader);
  for (auto _ : state) benchmark::DoNotOptimize(BuildDibGrid(bitmap, 8, 9));
}
BENCHMARK(BM_BuildGrid)->Unit(benchmark::kMillisecond);

void BM_Transpose(benchmark::State& state) {
  TByteReader reader;
  const TDibGrid grid = BuildDibGrid(Page(reader), 8, 9);
  for (auto _ : state) benchmark::DoNotOptimize(TransposeDibGrid(grid));
}
BENCHMARK(BM_Transpose)->Unit(benchmark::kMillisecond);

void BM_Search(benchmark::State& state) {
  TByteReader reader;
  const TDibGrid rows = BuildDibGrid(Page(reader), 8, 9);
  const TDibGrid columns = TransposeDibGrid(rows);
  for (auto _ : state) {
    TRectArray horizontal, vertical;
    RunSearch(rows, MakeRunParams(rows.Width, 210, 900, 300, 100, 0.95, 0.95), 1, 0, 8, 9, horizontal);
    RunSearch(columns, MakeRunParams(columns.Width, 297, 500, 250, 100, 0.9, 0.9), 0, 1, 8, 9, vertical);
    benchmark::DoNotOptimize(horizontal.data());
  }
}
BENCHMARK(BM_Search)->Unit(benchmark::kMillisecond);

void BM_WholeFile(benchmark::State& state) {
  TNullLogHost host;
  TLogFile log(host, u"", false);
  for (auto _ : state) {
    TByteReader reader(PageFile());
    TLineSearchSettings settings;
    TLineSearchResult result;
    SearchBitmapLines(reader, settings, TSize{210, 297}, log, 0, result);
    benchmark::DoNotOptimize(result.Found);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(PageFile().size()));
}
BENCHMARK(BM_WholeFile)->Unit(benchmark::kMillisecond);

}  // namespace
