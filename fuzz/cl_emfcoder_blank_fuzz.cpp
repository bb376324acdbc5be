// Fuzz target of a type's blank as the registry holds it. Input: UTF-16LE "name=value" lines of the key
// Config\DC01\Blank; the page's device is 4961 x 7016 pixels.
#include <cstdint>

#include "coding/cl_emfcoder.h"
#include "coding/cl_emfcoder_blank.h"
#include "foundation/cl_tools_config.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TMemoryStore store;
  FuzzFillStore(store, FuzzUtf16(data, size), std::u16string(kConfigKey) + u"\\DC01\\Blank");
  auto coder = TCoder::Create<TEMFCoder>(store, nullptr, nullptr, 0, nullptr, TDocIdClass::CreateFromText("DC01"));
  coder->Header.szlDeviceCx = 4961;
  coder->Header.szlDeviceCy = 7016;
  coder->LoadBlank();
  for (const auto* list : {coder->HLines.get(), coder->VLines.get()})
    for (const auto& line : *list)
      if (line->Rect.Left > line->Rect.Right || line->Rect.Top > line->Rect.Bottom) __builtin_trap();
  return 0;
}
