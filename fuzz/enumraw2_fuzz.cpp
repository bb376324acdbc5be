// Fuzz target of the DOS stream coder's settings: the input as 8-bit text goes to the parsers of CodePitch,
// Pitches, BadPitchs and the font tables, as UTF-16LE to the mode value, and as UTF-16LE "key|name=value"
// lines below the ConfigDos key (the type is "AB") to the whole load.
#include <cstdint>
#include <string>
#include <vector>

#include "coding/enumraw2.h"
#include "foundation/cl_tools_config.h"
#include "fuzz/fuzz_input.h"

namespace {
void CheckCodePitch(std::string_view text) {
  TCodePitch table;
  std::vector<TCodePitchEntry> rejected;
  ParseCodePitch(text, table, rejected);
  for (const TPitchCode& code : table.Codes)
    if (!IsValidPitch(code.Pitch) || code.Tail.size() > 31 || !table.FirstBytes.test(code.FirstByte)) __builtin_trap();
  if (table.Codes.size() + rejected.size() > text.size()) __builtin_trap();
}

void CheckPitches(std::string_view text) {
  double table[2][2] = {};
  std::vector<std::string> bad;
  ParsePitches(text, 0, table, bad);
  for (const auto& row : table)
    for (double pitch : row)
      if (!IsValidPitch(pitch)) __builtin_trap();
  if (bad.size() > 4) __builtin_trap();
}

void CheckTexts(std::string_view text) {
  const std::string font = FontTableText(text);
  if (font.empty() || font[0] != ',' || font.find(' ') != std::string::npos) __builtin_trap();
  const std::string bad = BadPitchsText(text);
  const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  if (bad.size() > text.size() || (!bad.empty() && (blank(bad.front()) || blank(bad.back())))) __builtin_trap();
}

void CheckModeValue(std::u16string_view value) {
  TOutputModeValue mode;
  if (!ParseModeValue(value, mode)) return;
  const int32_t m = mode.OutputMode;
  const bool known = (m >= kModeMTPlot && m <= kModeHPGL) || m == 8 || m == 9 || m == 24;
  if (!known || mode.DpiX <= 0 || mode.DpiY <= 0 || mode.Template.size() > value.size()) __builtin_trap();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  CheckCodePitch(bytes);
  CheckPitches(bytes);
  CheckTexts(bytes);
  const std::u16string wide = FuzzUtf16(data, size);
  CheckModeValue(wide);

  TMemoryStore store;
  FuzzFillStore(store, wide, std::u16string(kConfigDosKey) + u"\\");
  TDosPrinterState state;
  ReadDosDefaults(store, state);
  auto coder = TCoder::Create<TRAWCoder>(store, TDocIdClass::CreateFromText("AB"), nullptr, state, 0, nullptr, u"");
  if (coder->LoadParam()) {
    if (coder->DpiX <= 0 || coder->DpiY <= 0 || coder->HPresDPI <= 0) __builtin_trap();
    for (const auto& row : coder->PitchTable)
      for (double pitch : row)
        if (!IsValidPitch(pitch)) __builtin_trap();
  }
  return 0;
}
