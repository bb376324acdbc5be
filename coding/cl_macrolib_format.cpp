// Reading a document type's code format and delimiters, and the code picture size they give.
#include "coding/cl_macrolib_format.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace {
// Symbol sides of ISO/IEC 24778 by layer count (22 layers is 109).
constexpr std::array<int32_t, 4> kCompactSides = {15, 19, 23, 27};
constexpr std::array<int32_t, 32> kFullSides = {19,  23,  27,  31,  37,  41,  45,  49,  53,  57,  61,
                                                67,  71,  75,  79,  83,  87,  91,  95,  101, 105, 109,
                                                113, 117, 121, 125, 131, 135, 139, 143, 147, 151};

int32_t Wrap32(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v))); }

std::u16string DocKey(const TSettingsStore& store, std::u16string_view configKey, const TDocIdClass& docId) {
  return SubKeyPathA(store, configKey, docId.GetText());
}
}  // namespace

bool LetterAllowsSeveralSymbols(char letter) { return std::string_view("GILMNOPp").find(letter) != std::string_view::npos; }

int32_t SymbolSide(bool compact, int32_t layers) {
  if (compact) return kCompactSides[static_cast<size_t>(std::clamp(layers, 1, 4) - 1)];
  return kFullSides[static_cast<size_t>(std::clamp(layers, 1, 32) - 1)];
}

int32_t HalvesSum(TSmallPoint pair) { return int32_t{pair.X} + int32_t{pair.Y}; }

int32_t OffsetInModules(int32_t value, int32_t moduleSize) {
  const int64_t divisor = std::max<int32_t>(1, moduleSize);
  const int64_t product = int64_t{value} * 100;
  const int64_t magnitude = ((product < 0 ? -product : product) + divisor / 2) / divisor;
  const int64_t quotient = product < 0 ? -magnitude : magnitude;
  if (quotient > INT32_MAX || quotient < INT32_MIN) return -1;
  return static_cast<int32_t>(quotient);
}

TSize CodePictureSize(const TCodeFormat& format) {
  const int64_t side = SymbolSide(format.IsCompact != 0, HalvesSum(format.Layers));
  int64_t width = side, height = side;
  if (LetterAllowsSeveralSymbols(format.FormatLetter)) {
    const int64_t rows = HalvesSum(format.SymLines);
    const int64_t count = HalvesSum(format.Symbols);
    int64_t columns = 0;
    if (rows != 0) {
      // Rounded up (towards positive infinity), whatever the signs.
      columns = count / rows;
      if (count % rows != 0 && ((count < 0) == (rows < 0))) ++columns;
    }
    width = int64_t{format.SymOffsets} * (columns - 1) + side * columns;
    height = int64_t{format.SymOffsets} * (rows - 1) + side * rows;
  }
  // The stored sizes are 32-bit: a configuration that overflows them wraps as it always did.
  TSize size{Wrap32(int64_t{Wrap32(width)} * format.ModuleSize), Wrap32(int64_t{Wrap32(height)} * format.ModuleSize)};
  if (format.Rotated) std::swap(size.cx, size.cy);
  return size;
}

TCodeFormat ReadCodeFormat(const TSettingsStore& store, std::u16string_view configKey, const TDocIdClass& docId) {
  TCodeFormat f;
  const std::u16string docKey = DocKey(store, configKey, docId);
  const std::u16string formatKey = SubKeyPath(docKey, u"Format");
  const std::string version = store.ReadTextA(formatKey, u"Version", "E");
  f.FormatLetter = version.empty() ? 'E' : version[0];
  f.Unicode = static_cast<uint8_t>(store.ReadInteger(formatKey, u"Unicode", 0));
  const bool allowsSeveral = LetterAllowsSeveralSymbols(f.FormatLetter);

  int32_t symbols = 1;
  const std::u16string codeKey = SubKeyPath(docKey, u"Code");
  if (store.KeyExists(codeKey)) {
    f.IsCompact = static_cast<uint8_t>(store.ReadInteger(codeKey, u"IsCompact", 0));
    f.Rotated = static_cast<uint8_t>(store.ReadInteger(codeKey, u"Rotated", 0));
    f.ECP = store.ReadInteger(codeKey, u"ECP", 20);
    f.ModuleSize = store.ReadInteger(codeKey, u"ModuleSize", 71);
    f.Layers = UnpackSmallPoint(static_cast<uint32_t>(store.ReadInteger(codeKey, u"Layers", 0x20010)));
    if (allowsSeveral) {
      symbols = store.ReadInteger(codeKey, u"Symbols", 0x20004);
      f.Symbols = UnpackSmallPoint(static_cast<uint32_t>(symbols));
      f.SymOffsets = store.ReadInteger(codeKey, u"SymOffsets", 1);
      f.SymLines = UnpackSmallPoint(static_cast<uint32_t>(store.ReadInteger(codeKey, u"SymLines", 1)));
      f.AppEndHdr = store.ReadTextA(codeKey, u"AppEndHdr", "***");
    }
    f.SymOffsets = OffsetInModules(f.SymOffsets, f.ModuleSize);
    f.PictureSize = CodePictureSize(f);
  } else {
    const int32_t side = SymbolSide(false, 18);
    f.PictureSize = TSize{f.ModuleSize * side, f.ModuleSize * side};
  }
  f.SeveralSymbols = allowsSeveral && symbols > 1;
  return f;
}

TCodeDelimiters ReadCodeDelimiters(const TSettingsStore& store, std::u16string_view formatKey) {
  TCodeDelimiters d;
  if (!store.KeyExists(formatKey)) return d;
  d.FieldDelim = store.ReadBytes(formatKey, u"FieldDelim", d.FieldDelim);
  d.LinesDelim = store.FromAnsi(store.ReadBytes(formatKey, u"LinesDelim", "^"));
  d.LabelDelim = store.ReadTextA(formatKey, u"LabelDelim", d.LabelDelim);
  d.LabelEnd = store.ReadTextA(formatKey, u"LabelEnd", d.LabelEnd);
  d.LabelTrunc = store.ReadTextA(formatKey, u"LabelTrunc", d.LabelTrunc);
  d.GridCDelim = store.ReadBytes(formatKey, u"GridCDelim", d.GridCDelim);
  d.GridLDelim = store.ReadBytes(formatKey, u"GridLDelim", d.GridLDelim);
  d.GridHead = store.ReadTextA(formatKey, u"GridHead", d.GridHead);
  return d;
}
