// Code output as printer commands, per form, for the largest full-range Aztec symbol (151 x 151
// modules) at 0.33 mm modules: the time to write the commands a DOS page carries.
#include <benchmark/benchmark.h>

#include <string>

#include "coding/aztencod.h"
#include "coding/enumraw2.h"
#include "coding/enumraw2_output.h"

namespace {

const TAztCoder& Symbol() {
  static const TAztCoder coder = [] {
    TAztCoder c;
    c.SetData(std::string(1900, 'x'));
    c.SetSizeMode(AztSizeFull + 32);
    c.Encode();
    return c;
  }();
  return coder;
}

void BM_Output(benchmark::State& state, int32_t mode, int32_t dpiX, int32_t dpiY, const char* modeTemplate) {
  const TAztCoder& c = Symbol();
  TCodeOutputInput in;
  in.Picture = c.Picture();
  in.Width = c.PictureWidth();
  in.Height = c.SymbolSize();
  in.ModuleSize = 33;
  in.OutputMode = mode;
  in.DpiX = dpiX;
  in.DpiY = dpiY;
  in.ModeTemplate = modeTemplate;
  in.CurrentPitch = 10;
  std::string out;
  for (auto _ : state) {
    MakeCodeCommandsFor(in, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * out.size()));
}

BENCHMARK_CAPTURE(BM_Output, Rastr600, kModeRastr, 600, 600, "");
BENCHMARK_CAPTURE(BM_Output, Rect600, kModeRect, 600, 600, "");
BENCHMARK_CAPTURE(BM_Output, RectMF600, kModeRectMF, 600, 600, "");
BENCHMARK_CAPTURE(BM_Output, HPGL, kModeHPGL, 600, 600, "");
BENCHMARK_CAPTURE(BM_Output, MTPlot180, kModeMTPlot, 180, 180, "");
BENCHMARK_CAPTURE(BM_Output, Pin24At360, 24, 360, 180, "#1B*#28%w%s#1BJ#18");

}  // namespace
