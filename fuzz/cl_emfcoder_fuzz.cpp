// Fuzz target of the Windows-page coder's settings as the registry holds them. Input: UTF-16LE
// "key|name=value" lines below the Config key; the type is "DC01".
#include <cstdint>

#include "coding/cl_emfcoder.h"
#include "foundation/cl_tools_config.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TMemoryStore store;
  FuzzFillStore(store, FuzzUtf16(data, size), std::u16string(kConfigKey) + u"\\");
  auto coder = TCoder::Create<TEMFCoder>(store, nullptr, nullptr, 0, nullptr, TDocIdClass::CreateFromText("DC01"));
  if (coder->LoadParam() && coder->Settings.OEMConvert != 0 && coder->Settings.OEMTable.size() != 0x10000) __builtin_trap();
  return 0;
}
