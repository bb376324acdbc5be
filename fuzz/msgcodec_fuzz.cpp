// Fuzz target: the message codec on any payload under any format letter and split settings.
#include <cstddef>
#include <cstdint>
#include <string>

#include "coding/msgcodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  TMessageCodec codec;
  codec.MultiPart = (data[1] & 1) != 0;
  codec.SymbolCapacity = static_cast<uint16_t>(data[2] | (data[3] << 8));
  codec.Utf8Payload = (data[1] & 2) != 0;
  codec.ForeignCodePage = (data[1] & 4) != 0;
  codec.Charset = (data[1] & 8) ? 204 : 0;
  codec.SetProfile(static_cast<char>(data[0]));
  codec.DocId.SetText("AB");
  codec.SetData(std::string(reinterpret_cast<const char*>(data + 4), size - 4));
  try {
    codec.Encode();
  } catch (const EArithmeticError&) {
  }
  return 0;
}
