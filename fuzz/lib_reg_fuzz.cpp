// Fuzz target of the registry value decoders: the first byte picks the value type, the rest is its data.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>

#include "foundation/lib_reg.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint32_t type = data[0] % 12;
  const std::span<const uint8_t> value(data + 1, size - 1);
  const std::u16string wide = RegTextFromWideData(value);
  const std::string ansi = RegTextFromAnsiData(value);
  // A text never outgrows its data and never holds a NUL.
  if (wide.size() * 2 > value.size() || ansi.size() > value.size()) std::abort();
  if (wide.find(u'\0') != std::u16string::npos || ansi.find('\0') != std::string::npos) std::abort();
  const auto number = RegIntegerFromData(type, value);
  if (number && value.size() != 4) std::abort();
  double d = 0;
  TryParseRegFloat(std::string_view(reinterpret_cast<const char*>(value.data()), value.size()), d);
  return 0;
}
