// Fuzz target of the choice of the active configuration key from the two sides' stored versions.
// Input: the Config version, byte 0x00, the ConfigDos version.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "foundation/cl_tools_cfgkey.h"
#include "foundation/cl_tools_config.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t cut = input.find('\0');
  const std::string config = input.substr(0, cut);
  const std::string dos = cut == std::string::npos ? std::string() : input.substr(cut + 1);
  const std::u16string key = ChooseActiveConfigKey(config, dos);
  if (key != kConfigKey && key != kConfigDosKey) std::abort();
  return 0;
}
