// The configuration store's document-type order from a "DocOrder" text of 1 MB and 10 MB over a
// thousand document types.
#include <benchmark/benchmark.h>

#include <map>
#include <string>

#include "foundation/cl_tools_config.h"
#include "foundation/cl_tools_store.h"
#include "foundation/lib_codepage.h"

namespace {

// Document types DC00..; every value missing but "DocOrder".
class TOrderStore : public TSettingsStore {
 public:
  std::string Order;
  std::vector<std::u16string> Types;
  bool KeyExists(std::u16string_view) const override { return true; }
  int32_t ReadInteger(std::u16string_view, std::u16string_view, int32_t def) const override { return def; }
  std::u16string ReadText(std::u16string_view, std::u16string_view, std::u16string_view def) const override {
    return std::u16string(def);
  }
  std::string ReadTextA(std::u16string_view, std::u16string_view name, std::string_view def) const override {
    return name == u"DocOrder" ? Order : std::string(def);
  }
  std::string ReadBytes(std::u16string_view, std::u16string_view, std::string_view def) const override {
    return std::string(def);
  }
  std::vector<std::u16string> SubKeyNames(std::u16string_view) const override { return Types; }
  std::vector<std::u16string> ValueNames(std::u16string_view) const override { return {}; }
  bool CreateKey(std::u16string_view) override { return true; }
  void WriteInteger(std::u16string_view, std::u16string_view, int32_t) override {}
  void WriteText(std::u16string_view, std::u16string_view, std::u16string_view) override {}
  void WriteTextA(std::u16string_view, std::u16string_view, std::string_view) override {}
  void DeleteValue(std::u16string_view, std::u16string_view) override {}
  void DeleteKey(std::u16string_view) override {}
};

void BM_DocOrder(benchmark::State& state) {
  TOrderStore store;
  for (int i = 0; i < 1000; ++i) store.Types.push_back(u"D" + Utf8ToWide(std::to_string(100 + i % 900)));
  while (store.Order.size() < static_cast<size_t>(state.range(0))) store.Order += "D999,XX,,*,";
  for (auto _ : state) benchmark::DoNotOptimize(GetDocOrder(store, kConfigKey));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_DocOrder)->Name("GetDocOrder")->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

}  // namespace
