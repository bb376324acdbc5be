// Fuzz target of the whole parse of a Windows page: any bytes as the page's metafile through the walk, the
// white areas, the texts on fixed metrics, the line clean-up and the word joining. The polygon mode comes
// from the header's reserved word, so that seeds reach every branch. A parsed page holds only texts whose
// character edges match their characters and boxes.
#include <cstdint>
#include <span>

#include "coding/cl_emfcoder_parse.h"
#include "foundation/cl_tools_config.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TMemoryStore store;
  static const bool keyed = (store.AddKey(std::u16string(kConfigKey)), true);
  (void)keyed;
  auto coder = TCoder::Create<TEMFCoder>(store, nullptr, nullptr, 0, nullptr, TDocIdClass::CreateFromText("DC01"));
  coder->Settings.Polygones.X = size > 58 ? static_cast<int16_t>(data[58] & 3) : 2;
  TFixedPageDevice device;
  if (!ParsePageBytes(*coder, std::span<const uint8_t>(data, size), device)) return 0;
  for (const auto& object : *coder->Texts) {
    const auto* t = dynamic_cast<const TText*>(object.get());
    if (!t) __builtin_trap();
    if (t->Positions.empty()) continue;
    if (t->Positions.size() != t->Text.size() + 1) __builtin_trap();
    if (t->Positions.front() != t->Rect.Left || t->Positions.back() != t->Rect.Right) __builtin_trap();
  }
  return 0;
}
