// Fuzz target: any message and settings encode without fault, and a drawn picture has the promised shape.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "coding/aztencod.h"
#include "coding/lib_graph.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  TAztCoder c;
  const int modes[] = {0, 1, 23, 50, 99, 101, 102, 103, 104, 201, 205, 222, 223, 232, 300, 105, -1};
  c.SetSizeMode(modes[data[0] % (sizeof modes / sizeof modes[0])]);
  c.SetSymbolCount(data[1] % 28);
  c.SetReaderInit(data[2] & 1);
  c.SetFlgEnabled(data[2] & 2);
  c.SetGap((data[2] >> 2) % 4);
  if (data[2] & 0x40) c.SetMessageId(std::string_view(reinterpret_cast<const char*>(data + 2), 2));
  c.SetData(std::string_view(reinterpret_cast<const char*>(data + 4), size - 4));
  c.Capacity(data[3] % 101);
  if (c.FitCount() < 0 || static_cast<size_t>(c.FitCount()) > size - 4) abort();
  if (c.Encode() == AztOk) {
    const TPictureSize s{c.PictureWidth(), c.SymbolSize()};
    if (static_cast<int64_t>(c.Picture().size()) != PictureByteSize(s)) abort();
    std::vector<uint8_t> out;
    if (s.Width < 400 && !WriteMonoBmp(c.Picture(), s, out, 1)) abort();
  }
  return 0;
}
