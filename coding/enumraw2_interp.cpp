// The interpreters' dispatch by printer language and the steps they share: pitch selection, line feeds,
// reader moves that stay inside the stream, and the log lines of what is not interpreted.
#include "coding/enumraw2_interp.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "foundation/lib_reg.h"
#include "foundation/lib_str.h"
#include "foundation/lib_sys.h"

using namespace enumraw2_interp;

namespace {

// What a language 1-4 interpreter did not recognise: the code, or ESC with the byte after it.
void LogUnknownControl(TRawInterpContext& c, uint8_t code, TByteReader& reader, TRawParseState& parse) {
  if (code != kEsc) {
    LogUnknownCode(c, reader, parse, code);
    return;
  }
  uint8_t b = 0;
  if (reader.ReadByte(b)) LogUnknownEsc(c, reader, parse, b);
}

}  // namespace

bool InterpretRawCommand(TRawInterpContext& c, uint8_t code, TByteReader& reader, TRawParseState& parse) {
  bool recognised = false;
  switch (c.PrinterLang) {
    case kLangPCL:
      return InterpretPCL(c, code, reader, parse);
    case kLangEscP24:
      recognised = InterpretEscP24(c, code, reader, parse);
      break;
    case kLangIBM:
      recognised = InterpretIBM(c, code, reader, parse);
      break;
    case kLangMT:
      recognised = InterpretMT(c, code, reader, parse);
      break;
    default:
      recognised = InterpretEscP(c, code, reader, parse);
      break;
  }
  if (!recognised) LogUnknownControl(c, code, reader, parse);
  return recognised;
}

// ---- shared steps

int32_t LineHeight48(double spacing) { return RoundToInt(48.0 / spacing); }

int32_t CharWidth(const TRawInterpContext& c, const TRawParseState& parse) {
  if (parse.CurrentText && parse.CurrentText->CharWidth > 0) return parse.CurrentText->CharWidth;
  return RoundToInt(2540.0 / c.CurrentPitch);
}

void SelectPitch(TRawInterpContext& c, int which, int value) {
  int a = 0, b = 0;
  double best = std::abs(c.PitchTable[0][0] - c.CurrentPitch);
  for (const auto& [i, j] : {std::pair{0, 1}, std::pair{1, 0}, std::pair{1, 1}}) {
    const double distance = std::abs(c.PitchTable[i][j] - c.CurrentPitch);
    if (distance < best) {
      best = distance;
      a = i;
      b = j;
    }
  }
  (which == 0 ? a : b) = value ? 1 : 0;
  c.CurrentPitch = c.BasePitch = c.PitchTable[a][b];
}

double MapBadPitch(std::string_view badPitchs, double p) {
  while (!badPitchs.empty()) {
    const std::string entry = ExtractToken(badPitchs, ',');
    const size_t eq = entry.find('=');
    if (eq == std::string::npos) continue;
    double from = 0, to = 0;
    // A substitute that could not divide a character width is no substitute.
    if (TryParseRegFloat(TrimStr(std::string_view(entry).substr(0, eq)), from) && std::abs(from - p) <= 0.1005 &&
        TryParseRegFloat(TrimStr(std::string_view(entry).substr(eq + 1)), to) && IsValidPitch(to))
      return to;
  }
  return p;
}

void FontPitchLookup(TRawInterpContext& c, std::string_view table, int32_t n) {
  // ",n=" without a heap string: fonts are chosen on every line.
  char key[16] = {','};
  char* const end = std::to_chars(key + 1, key + sizeof key - 1, n).ptr;
  *end = '=';
  const std::string_view keyText(key, static_cast<size_t>(end + 1 - key));
  const size_t at = table.find(keyText);
  if (at == std::string_view::npos) {
    c.BasePitch = c.PrinterState.Pitch;
    c.CurrentPitch = c.BasePitch;
    return;
  }
  std::string_view rest = table.substr(at + keyText.size());
  rest = rest.substr(0, rest.find(','));
  double pitch = 0;
  c.CurrentPitch = TryParseRegFloat(rest, pitch) && IsValidPitch(pitch) ? pitch : c.BasePitch;
}

void DoLineFeed(TRawInterpContext& c, TRawParseState& parse, size_t offset, int32_t length, bool half) {
  const TPoint at = parse.CurrentText ? TPoint{parse.CurrentText->Rect.Right, parse.CurrentText->Rect.Top} : parse.Point;
  c.LineFeeds.emplace_back(at, length, ClampToInt(static_cast<int64_t>(offset)));
  const int32_t line = LineHeight48(c.CurrentSpacing);
  parse.Point.X = 0;
  MoveY(parse, half && c.HalfLF ? line / 2 : line);
}

void BackSpace(const TRawInterpContext& c, TRawParseState& parse) {
  parse.Point.X = ClampToInt(std::max<int64_t>(0, int64_t{parse.Point.X} - CharWidth(c, parse)));
}

void ResetPrinter(TRawInterpContext& c) {
  c.CurrentPitch = c.BasePitch = c.PrinterState.Pitch;
  c.CurrentSpacing = c.BaseSpacing = c.PrinterState.Spacing;
  c.TabWidth = c.PrinterState.TabSize;
  c.LeftMargin = c.PrinterState.LeftMargin;
  c.Underline = false;
}

// ---- reader moves

void SkipClamped(TByteReader& reader, int64_t count) {
  if (count <= 0) return;
  if (static_cast<uint64_t>(count) >= reader.Remaining())
    reader.Seek(static_cast<int64_t>(reader.Size()));
  else
    reader.Skip(count);
}

void SkipPastByte(TByteReader& reader, uint8_t b) {
  const std::span<const uint8_t> rest = reader.Bytes().subspan(reader.Position());
  const void* found = rest.empty() ? nullptr : std::memchr(rest.data(), b, rest.size());
  const size_t to = found ? static_cast<size_t>(static_cast<const uint8_t*>(found) - reader.Bytes().data()) + 1
                          : reader.Size();
  reader.Seek(static_cast<int64_t>(to));
}

bool SkipPastPattern(TByteReader& reader, std::string_view pattern) {
  const size_t at = StreamText(reader).find(pattern, reader.Position());
  if (at == std::string_view::npos) return false;
  reader.Seek(static_cast<int64_t>(at + pattern.size()));
  return true;
}

// ---- log lines

namespace {

// head, then the codes, then the position after what was read.
void LogCodes(TRawInterpContext& c, const TByteReader& reader, std::string_view head, std::string_view codes) {
  if (!c.Log || !c.Log->Enabled()) return;
  c.Log->Add(std::string(head) + std::string(codes) + ", Pos: " + IntToText(static_cast<int64_t>(reader.Position())));
}

std::string Hex(uint8_t b) { return "#" + ByteToHex2(b); }

}  // namespace

void LogIgnoredCode(TRawInterpContext& c, const TByteReader& reader, uint8_t code) {
  LogCodes(c, reader, "      Ignore: ", Hex(code));
}

void LogUnknownCode(TRawInterpContext& c, const TByteReader& reader, TRawParseState& parse, uint8_t code) {
  LogCodes(c, reader, "      Unknown: ", Hex(code));
  ++parse.Errors;
}

void LogUnknownEsc(TRawInterpContext& c, const TByteReader& reader, TRawParseState& parse, uint8_t b) {
  LogCodes(c, reader, "      Unknown: <ESC>", Hex(b));
  ++parse.Errors;
}

void LogUnknownEsc2(TRawInterpContext& c, const TByteReader& reader, TRawParseState& parse, uint8_t b1, uint8_t b2) {
  LogCodes(c, reader, "      Unknown: <ESC>", Hex(b1) + Hex(b2));
  ++parse.Errors;
}

void LogUnknownEsc3(TRawInterpContext& c, const TByteReader& reader, TRawParseState& parse, uint8_t b1, uint8_t b2,
                    uint8_t b3) {
  LogCodes(c, reader, "      Unknown: <ESC>", Hex(b1) + Hex(b2) + ".." + ByteToHex2(b3));
  ++parse.Errors;
}

// ---- small steps

namespace enumraw2_interp {

void MoveX(TRawParseState& parse, int64_t dx) { parse.Point.X = ClampToInt(int64_t{parse.Point.X} + dx); }

void MoveY(TRawParseState& parse, int64_t dy) { parse.Point.Y = ClampToInt(int64_t{parse.Point.Y} + dy); }

bool ReadWordOrEnd(TByteReader& reader, uint16_t& w) {
  if (reader.ReadWord(w)) return true;
  reader.Seek(static_cast<int64_t>(reader.Size()));
  return false;
}

TMatch MatchOrEnd(TByteReader& reader, std::string_view expected) {
  if (reader.Remaining() < expected.size()) {
    reader.Seek(static_cast<int64_t>(reader.Size()));
    return TMatch::Cut;
  }
  if (StreamText(reader).substr(reader.Position(), expected.size()) != expected) return TMatch::No;
  reader.Skip(static_cast<int64_t>(expected.size()));
  return TMatch::Yes;
}

void SetSpacing(TRawInterpContext& c, double linesPerInch) { c.CurrentSpacing = c.BaseSpacing = linesPerInch; }

}  // namespace enumraw2_interp
