// Fuzz target: the context file's unscrambling reads outside data; the compressors and scramblers
// take any payload bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "coding/lib_datcoder_check.h"
#include "coding/lib_datcoder_compress.h"
#include "coding/lib_datcoder_scramble.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  // A context file as found on disk, and back through the scrambler.
  const std::string plain = XorUnscramble(bytes);
  if (XorUnscramble(XorScramble(plain)) != plain) std::abort();
  uint32_t length = static_cast<uint32_t>(size);
  LzhCompress(bytes, length);
  length = static_cast<uint32_t>(size);
  LzWindowCompress(bytes, length);
  ClassScramble(bytes);
  AdditiveScramble(bytes);
  ComputeCheck(bytes, static_cast<uint8_t>(size & 3));
  XorFold(bytes);
  return 0;
}
