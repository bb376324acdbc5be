// Fuzz target of the printer command interpreters: the input is a raw stream walked through each of the
// five languages; the first byte sets the start (bit 0 HalfLF, bit 1 text already on the page). Every
// call must consume its code byte and leave the reader inside the stream. The input also serves as the
// pitch substitutes and a font table.
#include <cstdint>
#include <string_view>

#include "support/coder_fakes.h"
#include "support/raw_walk.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const uint8_t flags = size > 0 ? data[0] : 0;
  const std::span<const uint8_t> stream(data + (size > 0 ? 1 : 0), size > 0 ? size - 1 : 0);
  const std::string_view text(reinterpret_cast<const char*>(stream.data()), stream.size());
  for (uint8_t lang = kLangPCL; lang <= kLangMT; ++lang) {
    TMemoryLog log;
    TRawInterpRig rig(lang, log);
    rig.HalfLF = (flags & 1) != 0;
    rig.BadPitchs = text;
    TRawInterpContext c = rig.Context();
    TRawParseState parse;
    parse.PageHoldsText = (flags & 2) != 0;
    TByteReader reader(stream);
    const TRawWalk walk = WalkRawStream(c, reader, parse, false);
    if (!walk.Sound || reader.Position() > reader.Size() || (parse.PageGoesOn && !reader.Eof())) __builtin_trap();
    FontPitchLookup(c, text, 4);
    if (!IsValidPitch(rig.CurrentPitch) || !IsValidPitch(rig.BasePitch)) __builtin_trap();
  }
  return 0;
}
