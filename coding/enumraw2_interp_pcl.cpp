// PCL: parameter groups of escape sequences, data blocks, cursor moves in dots, decipoints, columns and
// rows, font selection by pitch and font number, and the commands that end the page.
#include <algorithm>
#include <string_view>

#include "coding/enumraw2_interp.h"
#include "foundation/lib_reg.h"
#include "foundation/lib_str.h"
#include "foundation/lib_sys.h"

using namespace enumraw2_interp;
using namespace std::string_view_literals;

namespace {

uint8_t UpperAscii(uint8_t b) { return b >= 'a' && b <= 'z' ? static_cast<uint8_t>(b - 'a' + 'A') : b; }

void ToEnd(TByteReader& reader) { reader.Seek(static_cast<int64_t>(reader.Size())); }

// The value text of a group: its number, or a log line when it is none (not counted as an error).
void TakeValue(TRawInterpContext& c, std::string_view value, uint8_t final, size_t start, TPclGroup& g) {
  g.HasValue = false;
  g.Value = 0;
  g.ValueF = 0;
  g.Relative = !value.empty() && (value[0] == '+' || value[0] == '-');
  if (value.empty()) return;
  // Most values are whole numbers: read at once, as TryParseRegFloat would read them.
  if (int64_t whole = 0; TryParseDigits(value.substr(g.Relative ? 1 : 0), whole)) {
    g.HasValue = true;
    g.ValueF = value[0] == '-' ? -static_cast<double>(whole) : static_cast<double>(whole);
    g.Value = RoundToInt(g.ValueF);
    return;
  }
  double v = 0;
  if (TryParseRegFloat(value, v)) {
    g.HasValue = true;
    g.ValueF = v;
    g.Value = RoundToInt(v);
  } else if (c.Log && c.Log->Enabled()) {
    c.Log->Add("      Unknown: <ESC>..\"" + std::string(value) + static_cast<char>(final) +
               "\", Pos: " + IntToText(static_cast<int64_t>(start)));
  }
}

void DrainGroups(TRawInterpContext& c, TByteReader& reader, TRawParseState& parse, TPclGroup& g) {
  while (ReadPclGroup(c, reader, parse, g)) {
  }
}

void EndPageAt(TByteReader& reader, TRawParseState& parse, size_t esc) {
  reader.Seek(static_cast<int64_t>(esc));
  parse.PageGoesOn = false;
}

int32_t DotsTo(double value, int32_t dpi, double unitsPerInch) { return RoundToInt(value / dpi * unitsPerInch); }

// ESC % 0 B / ESC % 1 B: HP-GL/2 up to the first ESC % 0 A or ESC % 1 A, or the rest of the stream.
void SkipHpgl(TByteReader& reader) {
  const std::string_view text = StreamText(reader);
  for (size_t at = text.find("\x1B%"sv, reader.Position()); at != std::string_view::npos;
       at = text.find("\x1B%"sv, at + 1)) {
    if (at + 3 < text.size() && (text[at + 2] == '0' || text[at + 2] == '1') && text[at + 3] == 'A') {
      reader.Seek(static_cast<int64_t>(at + 4));
      return;
    }
  }
  ToEnd(reader);
}

void Percent(TRawInterpContext& c, TByteReader& reader, TRawParseState& parse, size_t esc) {
  uint8_t b = 0, d = 0;
  if (!ReadOrEnd(reader, b)) return;
  if (b == '-') {
    switch (MatchOrEnd(reader, "12345X"sv)) {
      case TMatch::Cut: return;
      case TMatch::No: LogUnknownEsc2(c, reader, parse, '%', '-'); return;
      // What follows up to the printer's reset is the job's own preamble; the reset itself is passed.
      case TMatch::Yes:
        if (reader.Position() < parse.NoResetFrom && !SkipPastPattern(reader, "\x1B" "E"sv))
          parse.NoResetFrom = reader.Position();
        return;
    }
  }
  if (b == '0' || b == '1') {
    if (!ReadOrEnd(reader, d) || d == 'A') return;
    if (d == 'B')
      SkipHpgl(reader);
    else
      LogUnknownEsc3(c, reader, parse, '%', b, d);
    return;
  }
  reader.Skip(-1);  // ESC % takes its value right after the %
  TPclGroup g;
  SkipPclSequence(c, reader, parse, esc, g);
}

void Star(TRawInterpContext& c, TByteReader& reader, TRawParseState& parse, size_t esc) {
  uint8_t k = 0;
  if (!ReadOrEnd(reader, k)) return;
  TPclGroup g;
  switch (k) {
    case 'b':
    case 'c':
    case 'r':
    case 's':
    case 't':
    case 'v': DrainGroups(c, reader, parse, g); return;
    case 'p': break;
    default: SkipPclSequence(c, reader, parse, esc, g); return;
  }
  while (ReadPclGroup(c, reader, parse, g)) {
    if (!g.HasValue) continue;
    if (g.Letter == 'X') {
      const int32_t x = DotsTo(g.ValueF, c.HPresDPI, 2540);
      parse.Point.X = g.Relative ? ClampToInt(int64_t{parse.Point.X} + x) : ClampToInt(int64_t{x} - c.LeftMargin);
    } else if (g.Letter == 'Y') {
      const int32_t y = DotsTo(g.ValueF, c.HPresDPI, 48);
      parse.Point.Y = g.Relative ? ClampToInt(int64_t{parse.Point.Y} + y) : y;
    }
  }
}

// ESC ) s, ESC ( f and ESC & p: a first group with the data final carries a block; any other first
// group, or none, is unknown.
void DataHeader(TRawInterpContext& c, TByteReader& reader, TRawParseState& parse, uint8_t b1, uint8_t b2,
                uint8_t dataFinal) {
  TPclGroup g;
  if (!ReadPclGroup(c, reader, parse, g)) {
    if (!g.Cut) LogUnknownEsc2(c, reader, parse, b1, b2);
    return;
  }
  if (g.Letter != dataFinal) {
    LogUnknownEsc3(c, reader, parse, b1, b2, g.Final);
  } else if (dataFinal != 'W' && g.HasValue) {  // a W block was skipped with the group
    g.DataStart = reader.Position();
    SkipPclData(reader, g.Value);
    g.Ended = true;
  }
  DrainGroups(c, reader, parse, g);
}

// ESC ( n X / ESC ) n X select a font by number; ESC ( n with a letter selects a symbol set.
void FontNumber(TRawInterpContext& c, TByteReader& reader, TRawParseState& parse, size_t esc, bool primary) {
  TPclGroup g;
  if (ReadPclGroup(c, reader, parse, g) && g.HasValue) {
    if (g.Letter == 'X') {
      FontPitchLookup(c, primary ? c.FontPitchP : c.FontPitchS, g.Value);
      parse.AttributeText = (primary ? "p" : "s") + IntToText(g.Value);
      DrainGroups(c, reader, parse, g);
      return;
    }
    if (primary && ((g.Letter >= 'A' && g.Letter <= 'W') || g.Letter == 'Y' || g.Letter == 'Z')) {
      DrainGroups(c, reader, parse, g);
      return;
    }
  }
  SkipPclSequence(c, reader, parse, esc, g);
}

// A pitch from a font selection, through the model's substitutes; one that cannot be leaves the base.
void TakePitch(TRawInterpContext& c, double pitch) {
  if (IsValidPitch(pitch))
    c.CurrentPitch = c.BasePitch = MapBadPitch(c.BadPitchs, pitch);
  else
    c.CurrentPitch = c.BasePitch;
}

void FontSelect(TRawInterpContext& c, TByteReader& reader, TRawParseState& parse) {
  TPclGroup g;
  while (ReadPclGroup(c, reader, parse, g)) {
    if (!g.HasValue) continue;
    if (g.Letter == 'H') {
      parse.AttributeText.clear();
      TakePitch(c, g.ValueF);
    } else if (g.Letter == 'T') {
      FontPitchLookup(c, c.FontTypeF, g.Value);
      parse.AttributeText = "t" + IntToText(g.Value);
    }
  }
}

void OpenParen(TRawInterpContext& c, TByteReader& reader, TRawParseState& parse, size_t esc) {
  uint8_t k = 0;
  if (!ReadOrEnd(reader, k)) return;
  if (k == 'f') return DataHeader(c, reader, parse, '(', 'f', 'W');
  if (k == 's') return FontSelect(c, reader, parse);
  reader.Skip(-1);
  FontNumber(c, reader, parse, esc, true);
}

void CloseParen(TRawInterpContext& c, TByteReader& reader, TRawParseState& parse, size_t esc) {
  uint8_t k = 0;
  if (!ReadOrEnd(reader, k)) return;
  if (k == 's') return DataHeader(c, reader, parse, ')', 's', 'W');
  reader.Skip(-1);
  FontNumber(c, reader, parse, esc, false);
}

// ESC & a: columns and rows, decipoints, the left margin.
void CursorMove(TRawInterpContext& c, TByteReader& reader, TRawParseState& parse) {
  TPclGroup g;
  while (ReadPclGroup(c, reader, parse, g)) {
    if (!g.HasValue) continue;
    const int64_t width = CharWidth(c, parse);
    switch (g.Letter) {
      case 'C': {
        const int64_t dx = g.Value * width;
        parse.Point.X = ClampToInt(g.Relative ? parse.Point.X + dx : dx);
        break;
      }
      case 'R': {
        const int64_t dy = g.Value * int64_t{LineHeight48(c.CurrentSpacing)};
        parse.Point.Y = ClampToInt(g.Relative ? parse.Point.Y + dy : dy);
        break;
      }
      case 'L': c.LeftMargin = RoundToInt(width * g.ValueF); break;
      case 'H': {
        const int32_t x = DotsTo(g.ValueF, 720, 2540);
        parse.Point.X = g.Relative ? ClampToInt(int64_t{parse.Point.X} + x) : ClampToInt(int64_t{x} - c.LeftMargin);
        break;
      }
      case 'V': {
        const int32_t y = DotsTo(g.ValueF, 720, 48);
        parse.Point.Y = g.Relative ? ClampToInt(int64_t{parse.Point.Y} + y) : y;
        break;
      }
      default: break;
    }
  }
}

// ESC & f: push and pop of the position, macro calls and macro ids.
void Macro(TRawInterpContext& c, TByteReader& reader, TRawParseState& parse) {
  TPclGroup g;
  while (ReadPclGroup(c, reader, parse, g)) {
    if (g.Letter == 'S' && g.Value == 0) {
      parse.PositionStack.push_back(parse.Point);
    } else if (g.Letter == 'S' && g.Value == 1) {
      if (!parse.PositionStack.empty()) {
        parse.Point = parse.PositionStack.back();
        parse.PositionStack.pop_back();
      }
    } else if (g.Letter == 'X' && g.Value == 2) {
      FontPitchLookup(c, c.FontMacro, c.MacroId);
      parse.AttributeText = "m" + IntToText(c.MacroId);
    } else if (g.Letter == 'S' || g.Letter == 'X') {
      LogUnknownEsc3(c, reader, parse, '&', 'f', g.Final);
    } else if (g.Letter == 'Y') {
      c.MacroId = g.Value;
    }
  }
}

// ESC & k: horizontal motion index and the print pitch modes.
void PitchMode(TRawInterpContext& c, TByteReader& reader, TRawParseState& parse) {
  TPclGroup g;
  while (ReadPclGroup(c, reader, parse, g)) {
    if (g.Letter == 'H' && g.HasValue && g.ValueF != 0) {
      parse.AttributeText.clear();
      const double pitch = 120 / g.ValueF;
      if (IsValidPitch(pitch)) c.CurrentPitch = c.BasePitch = MapBadPitch(c.BadPitchs, pitch);
    } else if (g.Letter == 'S') {
      const double pitch = g.Value == 0 ? 10.0 : g.Value == 2 ? 16.6 : g.Value == 4 ? 12.0 : 0;
      if (pitch == 0) {
        LogUnknownEsc3(c, reader, parse, '&', 'k', g.Final);
        continue;
      }
      parse.AttributeText.clear();
      c.CurrentPitch = c.BasePitch = MapBadPitch(c.BadPitchs, pitch);
    }
  }
}

// ESC & l: paper source and page size end a page that holds text; line spacing.
void PageControl(TRawInterpContext& c, TByteReader& reader, TRawParseState& parse, size_t esc) {
  TPclGroup g;
  bool endPage = false;
  while (ReadPclGroup(c, reader, parse, g)) {
    if (g.Letter == 'A' || g.Letter == 'H') {
      endPage = endPage || parse.PageHoldsText;
    } else if (g.HasValue && g.ValueF > 0) {  // a spacing of 0 or below would stop or reverse the lines
      if (g.Letter == 'C') SetSpacing(c, 48 / g.ValueF);
      if (g.Letter == 'D') SetSpacing(c, g.ValueF);
    }
  }
  if (endPage) EndPageAt(reader, parse, esc);
}

void UnderlineMode(TRawInterpContext& c, TByteReader& reader, TRawParseState& parse) {
  TPclGroup g;
  while (ReadPclGroup(c, reader, parse, g)) {
    if (g.Letter == '@')
      c.Underline = false;
    else if (g.Letter == 'D')
      c.Underline = true;
    else
      LogUnknownEsc3(c, reader, parse, '&', 'd', g.Final);
  }
}

void Ampersand(TRawInterpContext& c, TByteReader& reader, TRawParseState& parse, size_t esc) {
  uint8_t k = 0;
  if (!ReadOrEnd(reader, k)) return;
  TPclGroup g;
  switch (k) {
    case 'a': CursorMove(c, reader, parse); return;
    case 'p': DataHeader(c, reader, parse, '&', 'p', 'X'); return;
    case 'f': Macro(c, reader, parse); return;
    case 'k': PitchMode(c, reader, parse); return;
    case 'l': PageControl(c, reader, parse, esc); return;
    case 'd': UnderlineMode(c, reader, parse); return;
    case 'r':
    case 's':
    case 'u': DrainGroups(c, reader, parse, g); return;
    default: SkipPclSequence(c, reader, parse, esc, g); return;
  }
}

void Escape(TRawInterpContext& c, TByteReader& reader, TRawParseState& parse) {
  const size_t esc = reader.Position() > 0 ? reader.Position() - 1 : 0;
  uint8_t b = 0;
  if (!ReadOrEnd(reader, b)) return;
  switch (b) {
    case 'E':
      ResetPrinter(c);
      parse.AttributeText.clear();
      c.MacroId = 0;
      if (parse.PageHoldsText) EndPageAt(reader, parse, esc);
      return;
    case '9':
    case 'Y':
    case 'Z': return;
    case '=': DoLineFeed(c, parse, esc, 2, true); return;
    case kEsc:
      LogUnknownEsc(c, reader, parse, kEsc);
      reader.Skip(-1);  // the second ESC begins the next command
      return;
    case '%': Percent(c, reader, parse, esc); return;
    case '*': Star(c, reader, parse, esc); return;
    case '(': OpenParen(c, reader, parse, esc); return;
    case ')': CloseParen(c, reader, parse, esc); return;
    case '&': Ampersand(c, reader, parse, esc); return;
    default: LogUnknownEsc(c, reader, parse, b); return;
  }
}

}  // namespace

void SkipPclData(TByteReader& reader, int64_t count) {
  SkipClamped(reader, count);
  const std::span<const uint8_t> rest = reader.Bytes().subspan(reader.Position());
  const auto data = std::find_if(rest.begin(), rest.end(), [](uint8_t b) { return b != 0; });
  reader.Skip(data - rest.begin());
}

bool ReadPclGroup(TRawInterpContext& c, TByteReader& reader, TRawParseState&, TPclGroup& g) {
  if (g.Ended) return false;
  g.First = g.Count == 0;
  const std::string_view text = StreamText(reader);
  const size_t start = reader.Position();
  // The first group's value is printable; later ones take every byte below 0x40.
  const uint8_t low = g.First ? 0x21 : 0x00;
  size_t i = start;
  while (i < text.size() && static_cast<uint8_t>(text[i]) >= low && static_cast<uint8_t>(text[i]) < 0x40) ++i;
  if (i >= text.size()) {
    ToEnd(reader);
    g.Ended = g.Cut = true;
    return false;
  }
  uint8_t final = static_cast<uint8_t>(text[i]);
  std::string_view value = text.substr(start, i - start);
  size_t next = i + 1;
  // A control byte ending the first group, or CP866 text ending any, is not part of the sequence: the
  // last value character is the final one, and without one there is no group.
  if ((g.First && final < 0x20) || final >= 0x80) {
    if (value.empty()) {
      reader.Seek(static_cast<int64_t>(i));
      g.Ended = true;
      return false;
    }
    final = static_cast<uint8_t>(value.back());
    value.remove_suffix(1);
    next = i;
  }
  reader.Seek(static_cast<int64_t>(next));
  ++g.Count;
  g.Final = final;
  g.Letter = UpperAscii(final);
  g.Last = !(final >= 'a' && final <= 'z');
  TakeValue(c, value, final, start, g);
  g.Ended = g.Last;
  if (g.Letter == 'W' && g.HasValue) {
    g.DataStart = reader.Position();
    SkipPclData(reader, g.Value);
    g.Ended = true;
  }
  return true;
}

void SkipPclSequence(TRawInterpContext& c, TByteReader& reader, TRawParseState& parse, size_t esc, TPclGroup& g) {
  DrainGroups(c, reader, parse, g);
  if (g.Cut) return;
  if (c.Log && c.Log->Enabled()) {
    const size_t end = g.DataStart ? g.DataStart : reader.Position();
    c.Log->Add("      Unknown: <ESC>\"" + std::string(StreamText(reader).substr(esc + 1, end - (esc + 1))) +
               "\", Pos: " + IntToText(static_cast<int64_t>(reader.Position())));
  }
  ++parse.Errors;
}

bool InterpretPCL(TRawInterpContext& c, uint8_t code, TByteReader& reader, TRawParseState& parse) {
  switch (code) {
    case 0x00: LogIgnoredCode(c, reader, code); break;
    case 0x08: BackSpace(c, parse); break;
    case kEsc: Escape(c, reader, parse); break;
    default: LogUnknownCode(c, reader, parse, code); break;
  }
  return true;
}
