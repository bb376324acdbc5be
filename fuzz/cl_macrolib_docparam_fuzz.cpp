// Fuzz target of the document parameters kept in the registry: named parameters, DOS printer models and
// their modes, and the document-type summary. Input: UTF-16LE "key|name=value" lines below ConfigDos.
#include <cstdint>
#include <cstdlib>

#include "coding/cl_macrolib_docparam.h"
#include "foundation/cl_tools_config.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::u16string text = FuzzUtf16(data, size);
  TMemoryStore store;
  FuzzFillStore(store, text, std::u16string(kConfigDosKey) + u"\\");
  int32_t selected = 0;
  const TWideStringArray models = GetPrinterModels(store, kConfigDosKey, selected);
  if (selected < -1 || selected >= models.Count()) std::abort();
  for (int32_t i = 0; i < models.Count(); ++i) {
    const TWideStringArray modes = GetPrinterModes(store, kConfigDosKey, models.Get(i), selected);
    if (selected < -1 || selected >= modes.Count()) std::abort();
  }
  for (const std::u16string& sub : store.SubKeyNames(kConfigDosKey)) {
    (void)TNamedParam::CreateFromRegistry(store, std::u16string(kConfigDosKey) + u"\\" + sub);
  }
  (void)TNamedParam::CreateFromContext(text);
  (void)DescribeDocTypes(store, kConfigDosKey, "", false);
  SetPrinterModelMode(store, kConfigDosKey, CutPages(store.ToAnsi(text)), "mode");
  return 0;
}
