// Fuzz target of a document type's code format and delimiters as the registry holds them. Input:
// UTF-16LE "key|name=value" lines below the Config key; the type is "DC01".
#include <cstdint>

#include "coding/cl_macrolib_format.h"
#include "foundation/cl_tools_config.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TMemoryStore store;
  FuzzFillStore(store, FuzzUtf16(data, size), std::u16string(kConfigKey) + u"\\");
  (void)ReadCodeFormat(store, kConfigKey, TDocIdClass::CreateFromText("DC01"));
  (void)ReadCodeDelimiters(store, std::u16string(kConfigKey) + u"\\DC01\\Format");
  return 0;
}
