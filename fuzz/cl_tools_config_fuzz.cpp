// Fuzz target of the configuration store's text: ranges, the document-type order and the document-type
// lists as the registry holds them. Input: UTF-16LE "key|name=value" lines below the Config key (a key
// line alone makes a subkey, so names of document types come from the input too).
#include <cstdint>
#include <algorithm>
#include <cstdlib>

#include "foundation/cl_tools_config.h"
#include "foundation/lib_codepage.h"
#include "foundation/lib_str.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::u16string text = FuzzUtf16(data, size);
  TMemoryStore store;
  FuzzFillStore(store, text, std::u16string(kConfigKey) + u"\\");
  store.SetText(kConfigKey, u"DocOrder", text);
  const std::string order = GetDocOrder(store, kConfigKey);
  const std::string types = ListDocTypes(store, kConfigKey);
  (void)TextToRange(EncodeCodePage(text, kCodePage1251));
  (void)GetProgramModes(store);
  // The order names each type once, and only types the list has (both read as their readers do, which
  // trim names and split them at commas: lists of names holding blanks, control characters or more
  // commas than separators are left out of this check).
  const auto separators = std::count(types.begin(), types.end(), ',');
  const auto names = store.SubKeyNamesA(kConfigKey);
  const auto typeCount = std::count_if(names.begin(), names.end(), [](const std::string& n) { return n.size() == 2 || n.size() == 4; });
  if (separators + 1 != typeCount && !types.empty()) return 0;
  if (std::any_of(types.begin(), types.end(), [](char c) { return static_cast<unsigned char>(c) <= ' '; })) return 0;
  std::vector<std::string> listed;
  for (std::string_view rest = types; !rest.empty();) listed.push_back(ExtractToken(rest, ','));
  std::vector<std::string> seen;
  for (std::string_view rest = order; !rest.empty();) {
    const std::string id = ExtractToken(rest, ',');
    if (std::find(seen.begin(), seen.end(), id) != seen.end()) std::abort();
    if (std::find(listed.begin(), listed.end(), id) == listed.end()) std::abort();
    seen.push_back(id);
  }
  return 0;
}
