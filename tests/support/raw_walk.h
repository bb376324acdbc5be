// A small page walk over a raw printer stream for the interpreters' tests, fuzz target and benchmark,
// until the page loop drives them: text and blanks move the point, LF is a line feed, CR returns, and
// every other control byte goes to the interpreter, which must consume it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "coding/enumraw2_interp.h"

// The coder's fields the interpreters use, with the defaults of a loaded model: pitches 10, 12, 17, 20,
// the font tables' defaults, 300 dpi, and a printer state of 10 characters and 6 lines per inch.
struct TRawInterpRig {
  explicit TRawInterpRig(uint8_t lang, TLogFile* log = nullptr) : Lang(lang), Log(log) {}
  TRawInterpRig(const TRawInterpRig&) = delete;
  TRawInterpRig& operator=(const TRawInterpRig&) = delete;

  TRawInterpContext Context() {
    return TRawInterpContext{Lang,       PitchTable, CurrentPitch, BasePitch, CurrentSpacing, BaseSpacing, TabWidth,
                             LeftMargin, Underline,  MacroId,      FontPitchP, FontPitchS,     FontMacro,   FontTypeF,
                             HPresDPI,   BadPitchs,  HalfLF,       State,      LineFeeds,      Log};
  }

  uint8_t Lang;
  double PitchTable[2][2] = {{10, 17}, {12, 20}};
  double CurrentPitch = 10, BasePitch = 10, CurrentSpacing = 6, BaseSpacing = 6;
  int32_t TabWidth = 8, LeftMargin = 0;
  bool Underline = false;
  int32_t MacroId = 0;
  std::string FontPitchP = ",4=15.0", FontPitchS, FontMacro = ",1=10.0,2=12.0,3=15.0", FontTypeF = ",3=10.0,4101=20.0";
  int32_t HPresDPI = 300;
  std::string BadPitchs;
  bool HalfLF = false;
  TDosPrinterState State{8, 0, 6.0, 10.0};
  std::vector<enumraw2::TLineFeed> LineFeeds;
  TLogFile* Log;
};

struct TRawWalk {
  std::string Text;      // the printable bytes met, when kept
  size_t Commands = 0;   // interpreter calls
  bool Sound = true;     // every call consumed its code byte and left the reader inside the stream
};

inline TRawWalk WalkRawStream(TRawInterpContext& c, TByteReader& reader, TRawParseState& parse, bool keepText = true) {
  TRawWalk walk;
  const std::span<const uint8_t> bytes = reader.Bytes();
  while (parse.PageGoesOn && !reader.Eof()) {
    const size_t at = reader.Position();
    size_t end = at;
    while (end < bytes.size() && bytes[end] >= 0x20) ++end;
    if (end > at) {
      for (size_t i = at; i < end && !parse.PageHoldsText; ++i) parse.PageHoldsText = bytes[i] > 0x20;
      if (keepText) walk.Text.append(reinterpret_cast<const char*>(bytes.data()) + at, end - at);
      enumraw2_interp::MoveX(parse, static_cast<int64_t>(end - at) * CharWidth(c, parse));
      reader.Seek(static_cast<int64_t>(end));
      continue;
    }
    uint8_t code = 0;
    reader.ReadByte(code);
    if (code == '\n') {
      DoLineFeed(c, parse, at, 1, false);
    } else if (code == '\r') {
      parse.Point.X = 0;
    } else if (code != '\t' && code != '\f') {
      ++walk.Commands;
      InterpretRawCommand(c, code, reader, parse);
      const bool moved = reader.Position() > at && reader.Position() <= reader.Size();
      const bool endedHere = !parse.PageGoesOn && reader.Position() == at;
      if (!moved && !endedHere) {
        walk.Sound = false;
        break;
      }
    }
  }
  return walk;
}
