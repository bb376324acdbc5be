// Payload stages apart: LZHUF and SIXPACK compression, CRC-32, and the whole message codec, on a 4 KB
// Russian payload and on 1 MB.
#include <benchmark/benchmark.h>

#include <string>

#include "coding/lib_datcoder_check.h"
#include "coding/lib_datcoder_compress.h"
#include "coding/msgcodec.h"

namespace {

// Russian document text in Windows-1251, written as bytes:
// "ИНН:7701234567<TAB>Получатель:ООО Ромашка<TAB>Назначение платежа:Оплата по счёту 15<TAB>".
std::string Payload(size_t n) {
  const std::string line =
      "\xC8\xCD\xCD:7701234567\t\xCF\xEE\xEB\xF3\xF7\xE0\xF2\xE5\xEB\xFC:\xCE\xCE\xCE "
      "\xD0\xEE\xEC\xE0\xF8\xEA\xE0\t\xCD\xE0\xE7\xED\xE0\xF7\xE5\xED\xE8\xE5 "
      "\xEF\xEB\xE0\xF2\xE5\xE6\xE0:\xCE\xEF\xEB\xE0\xF2\xE0 \xEF\xEE \xF1\xF7\xB8\xF2\xF3 15\t";
  std::string text;
  for (size_t i = 0; text.size() < n; ++i) text += line + std::to_string(i * 7919 % 100000) + "\r\n";
  text.resize(n);
  return text;
}

template <std::string (*Compress)(std::string_view, uint32_t&)>
void BM_Compress(benchmark::State& state) {
  const std::string data = Payload(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    uint32_t length = static_cast<uint32_t>(data.size());
    benchmark::DoNotOptimize(Compress(data, length));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Compress<LzhCompress>)->Name("LzhCompress")->Arg(4096)->Arg(1 << 20);
BENCHMARK(BM_Compress<LzWindowCompress>)->Name("LzWindowCompress")->Arg(4096)->Arg(1 << 20);

void BM_Crc32(benchmark::State& state) {
  const std::string data = Payload(static_cast<size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(Crc32(data, 0xFFFFFFFFu));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Crc32)->Arg(4096)->Arg(1 << 20);

// One code end to end: profile, compression, substitution, check value and header.
void BM_MessageCodecEncode(benchmark::State& state) {
  const std::string data = Payload(4096);
  const char letter = static_cast<char>(state.range(0));
  for (auto _ : state) {
    TMessageCodec codec;
    codec.SetProfile(letter);
    codec.DocId.SetText("AB");
    codec.SetData(data);
    benchmark::DoNotOptimize(codec.Encode());
    benchmark::DoNotOptimize(codec.Message);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 4096);
}
BENCHMARK(BM_MessageCodecEncode)->Arg('N')->Arg('O')->Arg('R')->Unit(benchmark::kMicrosecond);

}  // namespace
