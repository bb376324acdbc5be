// The case tables of the printer command interpreters: a stream and a start state in, the geometry,
// font state, reader position, errors, page end, text met and log lines out, after a walk of the stream.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "support/coder_fakes.h"
#include "support/raw_walk.h"

inline void PrintTo(const TPoint& p, std::ostream* os) { *os << "(" << p.X << ", " << p.Y << ")"; }

namespace rawcases {

using namespace std::string_literals;

// ESC, and DOS text: "Привет" in CP866, a double frame top and single box pieces.
inline const std::string E = "\x1b";
inline const std::string kCyr = "\x8F\xE0\xA8\xA2\xA5\xE2";
inline const std::string kFrame = "\xC9\xCD\xCD\xBB";
inline const std::string kBox = "\xB3\xC4\xDA\xBF";

struct TStart {
  double pitch = 10;
  double basePitch = 0;  // 0: as pitch
  double spacing = 6;
  TPoint point{};
  bool holdsText = false;
  int32_t tabWidth = 8;
  int32_t leftMargin = 0;
  bool underline = false;
  std::string attr{};
  int32_t macroId = 0;
  std::string badPitchs{};
  std::string fontPitchS{};
  bool halfLF = false;
};

struct TOut {
  TPoint point{};
  double pitch = 10;
  double basePitch = 0;  // 0: as pitch
  double spacing = 6;
  int32_t tabWidth = 8;
  int32_t leftMargin = 0;
  bool underline = false;
  std::string attr{};
  int32_t macroId = 0;
  size_t lineFeeds = 0;
  int64_t pos = -1;  // -1: the stream's end
  int32_t errors = 0;
  bool goesOn = true;
  std::string text{};
  std::vector<std::u16string> log{};
};

struct TCase {
  const char* why;
  std::string bytes;
  TStart start;
  TOut out;
};

inline void Check(uint8_t lang, const TCase& k) {
  SCOPED_TRACE(k.why);
  TMemoryLog log;
  TRawInterpRig rig(lang, log);
  rig.CurrentPitch = k.start.pitch;
  rig.BasePitch = k.start.basePitch != 0 ? k.start.basePitch : k.start.pitch;
  rig.CurrentSpacing = rig.BaseSpacing = k.start.spacing;
  rig.TabWidth = k.start.tabWidth;
  rig.LeftMargin = k.start.leftMargin;
  rig.Underline = k.start.underline;
  rig.MacroId = k.start.macroId;
  rig.BadPitchs = k.start.badPitchs;
  rig.FontPitchS = k.start.fontPitchS;
  rig.HalfLF = k.start.halfLF;
  TRawParseState parse;
  parse.Point = k.start.point;
  parse.PageHoldsText = k.start.holdsText;
  parse.AttributeText = k.start.attr;
  TByteReader reader(std::span(reinterpret_cast<const uint8_t*>(k.bytes.data()), k.bytes.size()));
  TRawInterpContext c = rig.Context();
  const TRawWalk walk = WalkRawStream(c, reader, parse);

  EXPECT_TRUE(walk.Sound);
  EXPECT_EQ(parse.Point, k.out.point);
  EXPECT_DOUBLE_EQ(rig.CurrentPitch, k.out.pitch);
  EXPECT_DOUBLE_EQ(rig.BasePitch, k.out.basePitch != 0 ? k.out.basePitch : k.out.pitch);
  EXPECT_DOUBLE_EQ(rig.CurrentSpacing, k.out.spacing);
  EXPECT_DOUBLE_EQ(rig.BaseSpacing, k.out.spacing);
  EXPECT_EQ(rig.TabWidth, k.out.tabWidth);
  EXPECT_EQ(rig.LeftMargin, k.out.leftMargin);
  EXPECT_EQ(rig.Underline, k.out.underline);
  EXPECT_EQ(parse.AttributeText, k.out.attr);
  EXPECT_EQ(rig.MacroId, k.out.macroId);
  EXPECT_EQ(rig.LineFeeds.size(), k.out.lineFeeds);
  EXPECT_EQ(reader.Position(), k.out.pos < 0 ? k.bytes.size() : static_cast<size_t>(k.out.pos));
  EXPECT_EQ(parse.Errors, k.out.errors);
  EXPECT_EQ(parse.PageGoesOn, k.out.goesOn);
  EXPECT_EQ(walk.Text, k.out.text);
  EXPECT_EQ(log.Lines, k.out.log);
}

}  // namespace rawcases
