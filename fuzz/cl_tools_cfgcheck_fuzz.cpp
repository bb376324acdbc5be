// Fuzz target of configuration versions as the registry holds them. Input: the version text.
#include <cstdint>
#include <string_view>

#include "foundation/cl_tools_cfgcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  (void)VersionToNumber(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
