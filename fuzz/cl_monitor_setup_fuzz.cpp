// Fuzz target of the LPT number of a port name the spooler reports.
// Input: the port name, two bytes a UTF-16 unit (little-endian).
#include <cstdint>
#include <cstdlib>
#include <string>

#include "monitor/cl_monitor_setup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::u16string port;
  for (size_t i = 0; i + 1 < size; i += 2) port.push_back(char16_t(data[i] | (data[i + 1] << 8)));
  const int32_t n = GetLptPortNumber(port);
  // A number only for "LPT" followed by digits and at most a colon.
  if (n < 0 || (n > 0 && port.compare(0, 3, u"LPT") != 0)) std::abort();
  return 0;
}
