// Fuzz target of the byte reader: lines in every encoding, then moves and reads driven by the input,
// checking the cursor never leaves the bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

#include "foundation/lib_file_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  TByteReader reader(bytes);
  size_t lines = 0;
  while (!reader.Eof()) {
    const size_t before = reader.Position();
    const std::u16string line = reader.ReadLine();
    if (reader.Position() <= before || line.size() > size || ++lines > size) std::abort();
  }
  (void)DecodeText(bytes);

  // The input read once more as a script of moves and reads over itself.
  reader.Seek(0);
  TByteReader script(bytes);
  uint8_t op = 0;
  while (script.ReadByte(op)) {
    uint16_t arg = 0;
    script.ReadWord(arg);
    const int64_t signedArg = static_cast<int16_t>(arg);
    uint8_t buffer[64];
    std::string text;
    std::u16string wide;
    switch (op % 8) {
      case 0: reader.Seek(signedArg); break;
      case 1: reader.Skip(signedArg); break;
      case 2: reader.ReadBuf(std::span<uint8_t>(buffer, arg % sizeof buffer)); break;
      case 3: reader.ReadStr(text, arg); break;
      case 4: reader.ReadWideStr(wide, arg); break;
      case 5: {
        const auto view = reader.CurrentAddress(arg);
        if (!view.empty() && std::memcmp(view.data(), data + reader.Position(), view.size()) != 0) std::abort();
        break;
      }
      case 6: reader.SetEncoding(static_cast<TTextEncoding>(arg % 3)); (void)reader.ReadLine(); break;
      default: { char16_t c; reader.ReadWideChar(c); break; }
    }
    if (reader.Position() > reader.Size() || reader.Remaining() != size - reader.Position()) std::abort();
  }
  return 0;
}
