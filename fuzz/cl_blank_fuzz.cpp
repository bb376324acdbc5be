// Fuzz target of blank files: the INI reader over any bytes, the import into values kept in memory,
// and the blank file exported from what was imported.
#include <cstdint>
#include <cstdlib>
#include <map>
#include <span>
#include <string>

#include "coding/cl_blank.h"
#include "foundation/lib_codepage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const TIniFile ini = TIniFile::Parse(std::span<const uint8_t>(data, size));
  if (ini.Count() > size) std::abort();

  std::map<std::u16string, std::u16string> values;
  const int result = ImportBlankValues(ini, [&values](std::u16string_view name, std::u16string_view value) {
    values[std::u16string(name)] = value;
    return true;
  });
  if (result != kBlankImported && result != kBlankRejected) std::abort();
  if (result == kBlankRejected) return 0;

  const std::string text = BlankTextFromValues([&values](std::u16string_view name) {
    const auto it = values.find(std::u16string(name));
    return it == values.end() ? std::string() : EncodeCodePage(it->second, kCodePage1251);
  });
  // An accepted blank has a size, so it always exports, and its export is a blank again.
  if (text.empty()) std::abort();
  const TIniFile again = TIniFile::Parse({reinterpret_cast<const uint8_t*>(text.data()), text.size()});
  if (ImportBlankValues(again, [](std::u16string_view, std::u16string_view) { return true; }) != kBlankImported)
    std::abort();
  return 0;
}
