// The printer command interpreters walked over 4 MB streams of each command set: CP866 pages with box
// frames, CR LF and FF, escape sequences on every line, bit-image or raster blocks and, for PCL, an
// HP-GL/2 block and page ends. A page ended by a command starts the next one, as the job loop does.
// RawPage: the same streams through the whole page parse (page loop, code position, page model).
#include <benchmark/benchmark.h>

#include <string>

#include "coding/enumraw2.h"
#include "foundation/cl_tools_config.h"
#include "bench/raw_bench_coder.h"
#include "tests/support/coder_fakes.h"
#include "tests/support/raw_walk.h"

namespace {

const std::string E = "\x1b";
const std::string kCyr = "\x8F\xE0\xA8\xA2\xA5\xE2 \xE1\xE7\xA5\xE2 \xB9 ";  // "Привет счет № "
const std::string kFrameTop = "\xC9" + std::string(60, '\xCD') + "\xBB\r\n";
const std::string kFrameLine = "\xBA \x8F\xAE\xAB\xE3\xE7\xA0\xE2\xA5\xAB\xEC: " + std::string(40, '\xB0') + "    \xBA\r\n";

std::string Image(size_t n) {
  std::string data(n, '\0');
  for (size_t i = 0; i < n; ++i) data[i] = static_cast<char>(i * 37 + 11);
  return data;
}

std::string Word(size_t n) { return {static_cast<char>(n & 0xFF), static_cast<char>(n >> 8)}; }

// One page of the language's commands; pages repeat up to size.
std::string Page(uint8_t lang) {
  std::string page;
  auto lines = [&](const std::string& perLine) {
    page += kFrameTop;
    for (int i = 0; i < 50; ++i) {
      // PCL lines placed by cursor position, each on a row of its own.
      std::string line = perLine;
      if (const size_t at = line.find("150Y"); at != std::string::npos) line.replace(at, 3, std::to_string(150 + 50 * i));
      page += line + kCyr + std::to_string(i) + kFrameLine;
    }
  };
  switch (lang) {
    case kLangPCL:
      page += E + "E" + E + "&l6D" + E + "(s12H";
      lines(E + "&a5C" + E + "*p300x150Y" + E + "(s0p10h0s3b4099T");
      for (int i = 0; i < 20; ++i) page += E + "*b60W" + Image(60);
      page += E + "%1BIN;SP1;PU100,100;PD200,200;" + E + "%1A" + E + "&l1H" + "\f";
      break;
    case kLangEscP9:
      page += E + "@" + E + "3\x24";
      lines(E + "!\x01" + E + "-\x01" + E + "$" + Word(60) + "\x0F\x12");
      for (int i = 0; i < 20; ++i) page += E + "K" + Word(120) + Image(120) + "\r\n";
      page += "\f";
      break;
    case kLangEscP24:
      page += E + "@";
      lines(E + "M" + E + "\\" + Word(24) + E + "+\x1E");
      for (int i = 0; i < 20; ++i) page += E + "*\x27" + Word(40) + Image(120) + "\r\n";
      page += "\f";
      break;
    case kLangIBM:
      page += E + "@";
      lines(E + ":" + "\x12" + E + "I\x01" + E + "X\x01\x02");
      for (int i = 0; i < 20; ++i) page += E + "[@\x04" + std::string(3, '\0') + "\x01\x02" + E + "\\" + Word(120) + Image(120);
      page += "\f";
      break;
    default:
      page += E + "P@";
      lines(E + "[12;34!q" + E + "P@");
      page += E + "[<3h" + Image(2000) + E + "[<3l\f";
      break;
  }
  return page;
}

std::string Stream(uint8_t lang, size_t size) {
  const std::string page = Page(lang);
  std::string stream;
  while (stream.size() < size) stream += page;
  return stream;
}

void BM_Interpret(benchmark::State& state, uint8_t lang) {
  const std::string stream = Stream(lang, 4 << 20);
  const std::span bytes(reinterpret_cast<const uint8_t*>(stream.data()), stream.size());
  size_t commands = 0;
  for (auto _ : state) {
    TRawInterpRig rig(lang);
    TRawInterpContext c = rig.Context();
    TByteReader reader(bytes);
    while (!reader.Eof()) {
      TRawParseState parse;
      rig.LineFeeds.clear();
      const TRawWalk walk = WalkRawStream(c, reader, parse, false);
      commands += walk.Commands;
    }
    benchmark::DoNotOptimize(commands);
  }
  state.counters["commands"] = benchmark::Counter(static_cast<double>(commands), benchmark::Counter::kAvgIterations);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(stream.size()));
}
BENCHMARK_CAPTURE(BM_Interpret, pcl, kLangPCL)->Name("RawInterp/PCL")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Interpret, escp9, kLangEscP9)->Name("RawInterp/EscP9")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Interpret, escp24, kLangEscP24)->Name("RawInterp/EscP24")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Interpret, ibm, kLangIBM)->Name("RawInterp/IBM")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Interpret, mt, kLangMT)->Name("RawInterp/MT")->Unit(benchmark::kMillisecond);



void BM_ParsePage(benchmark::State& state, uint8_t lang) {
  const std::string stream = Stream(lang, 4 << 20);
  const std::span bytes(reinterpret_cast<const uint8_t*>(stream.data()), stream.size());
  TMemoryStore store;
  TMemoryLog log(false);
  auto coder = MakeRawBenchCoder(store, log, lang);
  if (!coder) {
    state.SkipWithError("LoadParam");
    return;
  }
  size_t pages = 0, texts = 0;
  for (auto _ : state) {
    // The test store's record of its reads is not the coding's memory.
    store.Reads.clear();
    TByteReader reader(bytes);
    while (!reader.Eof()) {
      const size_t before = reader.Position();
      bool pageEnded = false;
      int32_t errors = 0;
      TDosPrinterState printer;
      coder->Reinit();
      coder->ParsePage(reader, pageEnded, -1, errors, printer);
      texts += coder->Texts->size();
      ++pages;
      if (reader.Position() == before) reader.Skip(1);
    }
    benchmark::DoNotOptimize(texts);
  }
  state.counters["pages"] = benchmark::Counter(static_cast<double>(pages), benchmark::Counter::kAvgIterations);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(stream.size()));
}
BENCHMARK_CAPTURE(BM_ParsePage, pcl, kLangPCL)->Name("RawPage/PCL")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ParsePage, escp9, kLangEscP9)->Name("RawPage/EscP9")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ParsePage, escp24, kLangEscP24)->Name("RawPage/EscP24")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ParsePage, ibm, kLangIBM)->Name("RawPage/IBM")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ParsePage, mt, kLangMT)->Name("RawPage/MT")->Unit(benchmark::kMillisecond);

}  // namespace
