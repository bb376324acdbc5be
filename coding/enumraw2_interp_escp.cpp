// ESC/P and the dot-matrix languages built on it: the 24-pin, IBM Proprinter and Mannesmann Tally
// commands are tried first, and what they do not know goes to ESC/P with the reader put back.
#include <algorithm>
#include <string_view>

#include "coding/enumraw2_interp.h"
#include "foundation/lib_sys.h"

using namespace enumraw2_interp;
using namespace std::string_view_literals;

namespace {

// Skips a parameter count lo hi, times factor, plus extra; false only for a count cut off.
bool SkipCounted(TByteReader& reader, int64_t factor, int64_t extra = 0) {
  uint16_t count = 0;
  if (!ReadWordOrEnd(reader, count)) return false;
  SkipClamped(reader, count * factor + extra);
  return true;
}

// A command whose parameters begin with fixed bytes, then skip bytes; false when the bytes differ.
bool FixedThenSkip(TByteReader& reader, std::string_view fixed, int64_t skip) {
  const TMatch found = MatchOrEnd(reader, fixed);
  if (found == TMatch::Yes) SkipClamped(reader, skip);
  return found != TMatch::No;
}

// ESC \ lo hi: a move of 1/120 inch steps, a count from 0x8000 on being a move to the left.
void RelativeDotMove(TRawParseState& parse, uint16_t count) {
  if (count < 0x8000) {
    MoveX(parse, RoundToInt(count * 2540.0 / 120));
    return;
  }
  const int64_t left = RoundToInt((65536 - count) * 2540.0 / 120);
  parse.Point.X = ClampToInt(std::max<int64_t>(0, int64_t{parse.Point.X} - left));
}

// ESC ! n: pitch from bits 0 (elite) and 2 (condensed), underline from bit 7.
void MasterSelect(TRawInterpContext& c, uint8_t n) {
  SelectPitch(c, 0, n & 1);
  SelectPitch(c, 1, (n >> 2) & 1);
  c.Underline = (n & 0x80) != 0;
}

constexpr std::string_view kOneByteParam = "\x19 %/?INQRSUWaijklpqrstwx"sv;
constexpr std::string_view kNoParam = "\x0E#456789<=>EFGHOT"sv;

bool EscPEscape(TRawInterpContext& c, TByteReader& reader, TRawParseState& parse) {
  uint8_t b = 0, n = 0;
  uint16_t count = 0;
  if (!ReadOrEnd(reader, b)) return true;
  switch (b) {
    case '@': ResetPrinter(c); return true;
    case 'P': SelectPitch(c, 0, 0); return true;
    case 'M': SelectPitch(c, 0, 1); return true;
    case 0x0F: SelectPitch(c, 1, 1); return true;
    case '0': SetSpacing(c, 8); return true;
    case '1': SetSpacing(c, 72.0 / 7); return true;
    case '2': SetSpacing(c, 6); return true;
    case '-':
      if (ReadOrEnd(reader, n)) c.Underline = (n & 1) != 0;
      return true;
    case '!':
      if (ReadOrEnd(reader, n)) MasterSelect(c, n);
      return true;
    case 'J':
      if (ReadOrEnd(reader, n)) MoveY(parse, RoundToInt(n / 216.0 * 48));
      return true;
    case '3':
    case 'A':
      if (ReadOrEnd(reader, n) && n != 0) SetSpacing(c, (b == '3' ? 216.0 : 72.0) / n);
      return true;
    case '$':
      if (ReadWordOrEnd(reader, count)) parse.Point.X = RoundToInt(count * 2540.0 / 60);
      return true;
    case '\\':
      if (ReadWordOrEnd(reader, count)) RelativeDotMove(parse, count);
      return true;
    case 'f':
      if (!ReadOrEnd(reader, b)) return true;
      if (b > 1) return false;
      if (ReadOrEnd(reader, n) && b == 0) c.TabWidth = n;
      return true;
    case 'b':
      if (!ReadOrEnd(reader, n)) return true;
      if (n != 'c' && n != 'x') return false;
      SkipPastByte(reader, 0);
      return true;
    case 'B':
    case 'D': SkipPastByte(reader, 0); return true;
    case 'C':
      if (ReadOrEnd(reader, n) && n == 0) SkipClamped(reader, 1);
      return true;
    case '^':
      if (ReadOrEnd(reader, n)) SkipCounted(reader, 2);
      return true;
    case 'K':
    case 'L':
    case 'Y':
    case 'Z': SkipCounted(reader, 1); return true;
    case '*':
      if (!ReadOrEnd(reader, n)) return true;
      if (n >= 8) return false;
      SkipCounted(reader, 1);
      return true;
    case 'e': SkipClamped(reader, 2); return true;
    case ':': {
      std::string bytes;
      if (!reader.ReadStr(bytes, 3)) {
        reader.Seek(static_cast<int64_t>(reader.Size()));
        return true;
      }
      return bytes[0] == 0 && bytes[2] == 0;
    }
    default:
      if (kOneByteParam.find(static_cast<char>(b)) != std::string_view::npos) {
        SkipClamped(reader, 1);
        return true;
      }
      return kNoParam.find(static_cast<char>(b)) != std::string_view::npos;
  }
}

bool EscPCommand(TRawInterpContext& c, uint8_t code, TByteReader& reader, TRawParseState& parse) {
  switch (code) {
    case 0x00: LogIgnoredCode(c, reader, code); return true;
    case 0x07:
    case 0x0E:
    case 0x11:
    case 0x13:
    case 0x14:
    case 0x18:
    case 0x1A: return true;
    case 0x08: BackSpace(c, parse); return true;
    case 0x0B:
      parse.Point.X = 0;
      MoveY(parse, LineHeight48(c.CurrentSpacing));
      return true;
    case 0x0F: SelectPitch(c, 1, 1); return true;
    case 0x12: SelectPitch(c, 1, 0); return true;
    case kEsc: return EscPEscape(c, reader, parse);
    default: return false;
  }
}

// A language's own command, else ESC/P with the reader back after the code byte.
using TOwnCommand = bool (*)(TRawInterpContext&, uint8_t, TByteReader&, TRawParseState&);
bool OwnThenEscP(TOwnCommand own, TRawInterpContext& c, uint8_t code, TByteReader& reader, TRawParseState& parse) {
  const size_t afterCode = reader.Position();
  if (own(c, code, reader, parse)) return true;
  reader.Seek(static_cast<int64_t>(afterCode));
  return InterpretEscP(c, code, reader, parse);
}

bool EscP24Command(TRawInterpContext&, uint8_t code, TByteReader& reader, TRawParseState&) {
  uint8_t b = 0, m = 0;
  if (code != kEsc) return false;
  if (!ReadOrEnd(reader, b)) return true;
  switch (b) {
    case '(':
      return FixedThenSkip(reader, "-\x03\x00\x01"sv, 2);
    case '*':
      if (!ReadOrEnd(reader, m)) return true;
      if (m != 32 && m != 33 && m != 38 && m != 39 && m != 40) return false;
      SkipCounted(reader, 3);
      return true;
    case '+': SkipClamped(reader, 1); return true;
    default: return false;
  }
}

bool IBMCommand(TRawInterpContext& c, uint8_t code, TByteReader& reader, TRawParseState&) {
  uint8_t b = 0, n = 0;
  if (code == 0x12) SelectPitch(c, 0, 0);
  if (code == 0x12 || code == 0x14) return true;
  if (code != kEsc) return false;
  if (!ReadOrEnd(reader, b)) return true;
  switch (b) {
    case 'R': return true;
    case '[':
      return FixedThenSkip(reader, "@\x04\x00\x00\x00"sv, 2);
    case '5':
    case 'P':
    case '^':
    case '_': SkipClamped(reader, 1); return true;
    case 'X': SkipClamped(reader, 2); return true;
    case '\\': SkipCounted(reader, 1); return true;
    case '=': SkipCounted(reader, 1, 4); return true;
    case ':': SelectPitch(c, 0, 1); return true;
    case 'I':
      if (ReadOrEnd(reader, n)) SelectPitch(c, 0, n & 1);
      return true;
    default: return false;
  }
}

bool IsDigit(uint8_t b) { return b >= '0' && b <= '9'; }

// At least one digit, then the byte after; Cut when the stream ends first.
TMatch DigitsThen(TByteReader& reader, uint8_t after) {
  const std::string_view text = StreamText(reader);
  size_t i = reader.Position();
  while (i < text.size() && IsDigit(static_cast<uint8_t>(text[i]))) ++i;
  if (i >= text.size()) {
    reader.Seek(static_cast<int64_t>(text.size()));
    return TMatch::Cut;
  }
  if (i == reader.Position() || static_cast<uint8_t>(text[i]) != after) return TMatch::No;
  reader.Seek(static_cast<int64_t>(i + 1));
  return TMatch::Yes;
}

// ESC [ < 3 l, ESC [ < 3 h with its plot data, ESC [ digits ; digits ! q.
bool MTBracket(TByteReader& reader) {
  uint8_t b = 0;
  if (!ReadOrEnd(reader, b)) return true;
  if (b == '<') {
    uint8_t mode[2] = {};
    if (!ReadOrEnd(reader, mode[0]) || !ReadOrEnd(reader, mode[1])) return true;
    if (mode[0] != '3' || (mode[1] != 'l' && mode[1] != 'h')) return false;
    if (mode[1] == 'h' && !SkipPastPattern(reader, "\x1B[<3l"sv)) reader.Seek(static_cast<int64_t>(reader.Size()));
    return true;
  }
  if (!IsDigit(b)) return false;
  reader.Skip(-1);
  for (const uint8_t after : {';', '!'}) {
    const TMatch found = DigitsThen(reader, after);
    if (found != TMatch::Yes) return found == TMatch::Cut;
  }
  switch (MatchOrEnd(reader, "q"sv)) {
    case TMatch::No: return false;
    default: return true;
  }
}

bool MTCommand(TRawInterpContext&, uint8_t code, TByteReader& reader, TRawParseState&) {
  uint8_t b = 0;
  if (code != kEsc) return false;
  if (!ReadOrEnd(reader, b)) return true;
  if (b == 'P') return MatchOrEnd(reader, "@"sv) == TMatch::Yes;  // ESC P alone is ESC/P's
  if (b == '[') return MTBracket(reader);
  return false;
}

}  // namespace

bool InterpretEscP(TRawInterpContext& c, uint8_t code, TByteReader& reader, TRawParseState& parse) {
  const size_t afterCode = reader.Position();
  if (EscPCommand(c, code, reader, parse)) return true;
  reader.Seek(static_cast<int64_t>(afterCode));
  return false;
}

bool InterpretEscP24(TRawInterpContext& c, uint8_t code, TByteReader& reader, TRawParseState& parse) {
  return OwnThenEscP(EscP24Command, c, code, reader, parse);
}

bool InterpretIBM(TRawInterpContext& c, uint8_t code, TByteReader& reader, TRawParseState& parse) {
  return OwnThenEscP(IBMCommand, c, code, reader, parse);
}

bool InterpretMT(TRawInterpContext& c, uint8_t code, TByteReader& reader, TRawParseState& parse) {
  return OwnThenEscP(MTCommand, c, code, reader, parse);
}
