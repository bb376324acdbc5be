// Registry export files read at 1 MB and 10 MB, in the shapes that once cost quadratic time: a binary
// value wrapped over lines as regedit writes it, one long hex line, a key path led by a run of
// backslashes, and many small sections.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "foundation/cl_tools_regimport.h"

namespace {

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

const std::string kHead = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Kavrel\\Client\\Config]\r\n";

// regedit wraps a binary value at about 25 bytes a line.
std::string WrappedHex(size_t n) {
  std::string text = kHead + "\"Blob\"=hex:00,";
  while (text.size() < n) text += "\\\r\n  01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,17,18,";
  return text + "ff\r\n";
}

std::string LongHexLine(size_t n) {
  std::string text = kHead + "\"Blob\"=hex:00";
  while (text.size() < n) text += ",ab";
  return text + "\r\n";
}

std::string BackslashRun(size_t n) { return "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\" + std::string(n, '\\') + "A]\r\n"; }

std::string ManySections(size_t n) {
  std::string text = "REGEDIT4\r\n";
  for (size_t i = 0; text.size() < n; ++i) {
    text += "[HKEY_LOCAL_MACHINE\\Software\\K" + std::to_string(i) + "]\r\n\"V\"=\"value\"\r\n\"D\"=dword:0000001f\r\n";
  }
  return text;
}

template <std::string (*Make)(size_t)>
void BM_ParseRegFile(benchmark::State& state) {
  const std::vector<uint8_t> file = Bytes(Make(static_cast<size_t>(state.range(0))));
  for (auto _ : state) benchmark::DoNotOptimize(ParseRegFile(file));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(file.size()));
}
BENCHMARK(BM_ParseRegFile<WrappedHex>)->Name("ParseRegFile/wrapped_hex")->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseRegFile<LongHexLine>)->Name("ParseRegFile/one_hex_line")->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseRegFile<BackslashRun>)->Name("ParseRegFile/backslash_run")->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseRegFile<ManySections>)->Name("ParseRegFile/many_sections")->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

void BM_IncludeList(benchmark::State& state) {
  // A list of one name many times over: each is looked up once.
  class THost : public TIncludeImportHost {
   public:
    std::vector<std::u16string> FindFiles(std::u16string_view) override { return {}; }
    bool Exists(std::u16string_view) override { return false; }
    bool Import(std::u16string_view) override { return true; }
  } host;
  std::u16string list;
  while (list.size() < static_cast<size_t>(state.range(0)) / 2) list += u"extra.reg,";
  for (auto _ : state) benchmark::DoNotOptimize(ImportIncludeList(list, u"Config.reg", host));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_IncludeList)->Name("ImportIncludeList")->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

}  // namespace
