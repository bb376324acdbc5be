// The interpreters' shared steps (pitch selection, substitutes, font tables, line feeds) and the
// dot-matrix languages: ESC/P 9 and 24 pin, IBM Proprinter and Mannesmann Tally with their fallbacks.
#include "coding/enumraw2_interp.h"

#include <gtest/gtest.h>

#include <cmath>

#include "enumraw2_interp_cases.h"

using namespace rawcases;

TEST(RawInterpSteps, IsValidPitchIsOpenBetweenHalfAndHundred) {
  for (const auto& [p, valid] : {std::pair{0.5, false}, {0.51, true}, {99.99, true}, {100.0, false}, {-10.0, false},
                                 {std::nan(""), false}})
    EXPECT_EQ(IsValidPitch(p), valid) << p;
}

TEST(RawInterpSteps, SelectPitchChangesOneIndexOfTheNearestEntry) {
  struct {
    const char* why;
    double current;
    int which, value;
    double pitch;
  } cases[] = {
      {"pica to elite", 10, 0, 1, 12},
      {"pica to condensed", 10, 1, 1, 17},
      {"condensed elite back to elite", 20, 1, 0, 12},
      {"a tie keeps the earlier entry: 11 is pica", 11, 1, 1, 17},
      {"a tie between 17 and 20 keeps condensed pica", 18.5, 0, 1, 20},
      {"an odd pitch goes to the nearest entry first", 16, 0, 0, 17},
  };
  for (const auto& k : cases) {
    TRawInterpRig rig(kLangEscP9);
    rig.CurrentPitch = rig.BasePitch = k.current;
    TRawInterpContext c = rig.Context();
    SelectPitch(c, k.which, k.value);
    EXPECT_DOUBLE_EQ(rig.CurrentPitch, k.pitch) << k.why;
    EXPECT_DOUBLE_EQ(rig.BasePitch, k.pitch) << k.why;
  }
}

TEST(RawInterpSteps, MapBadPitchTakesTheFirstUsableSubstitute) {
  struct {
    const char* table;
    double p, mapped;
  } cases[] = {
      {"16.67=17.14", 16.67, 17.14},
      {"16.67=17.14", 16.6, 17.14},           // within 0.1005
      {"16.67=17.14", 16.5, 16.5},            // too far
      {"16.67=x,16.6=15", 16.6, 15},          // a substitute that is no number is passed over
      {" 16.67 = 17.14 ,12=13", 16.67, 17.14},  // blanks around the numbers
      {"16.67=0", 16.67, 16.67},              // a substitute that cannot divide a width is none
      {"16.67=150", 16.67, 16.67},
      {"", 12, 12},
      {"garbage,=,==", 12, 12},
  };
  for (const auto& k : cases) EXPECT_DOUBLE_EQ(MapBadPitch(k.table, k.p), k.mapped) << k.table << " " << k.p;
}

TEST(RawInterpSteps, FontPitchLookupFindsTheFontOrReturnsToTheBase) {
  struct {
    int32_t n;
    double current, base;
  } cases[] = {
      {4, 15, 12},   // found: the current pitch only
      {5, 12, 12},   // not a number: the base
      {6, 12, 12},   // not a valid pitch: the base
      {1, 10, 10},   // ",14=" is not font 1: both return to the printer state's pitch
      {-1, 10, 10},
  };
  for (const auto& k : cases) {
    TRawInterpRig rig(kLangPCL);
    rig.CurrentPitch = 17;
    rig.BasePitch = 12;
    TRawInterpContext c = rig.Context();
    FontPitchLookup(c, ",4=15.0,5=x,6=150,14=9", k.n);
    EXPECT_DOUBLE_EQ(rig.CurrentPitch, k.current) << k.n;
    EXPECT_DOUBLE_EQ(rig.BasePitch, k.base) << k.n;
  }
}

TEST(RawInterpSteps, DoLineFeedRecordsWhereTheTextEndedAndMovesDown) {
  struct {
    double spacing;
    bool half, halfLF;
    int32_t dy;
  } cases[] = {{6, false, false, 8}, {6, true, false, 8}, {6, true, true, 4}, {48.0 / 7, true, true, 3}, {48.0 / 7, false, true, 7}};
  for (const auto& k : cases) {
    TRawInterpRig rig(kLangPCL);
    rig.CurrentSpacing = k.spacing;
    rig.HalfLF = k.halfLF;
    TRawInterpContext c = rig.Context();
    enumraw2::TText text(3, TPoint{100, 40});
    text.Rect.Right = 862;
    TRawParseState parse;
    parse.Point = {862, 40};
    parse.CurrentText = &text;
    DoLineFeed(c, parse, 17, 2, k.half);
    ASSERT_EQ(rig.LineFeeds.size(), 1u);
    EXPECT_EQ(rig.LineFeeds[0].Point, (TPoint{862, 40}));
    EXPECT_EQ(rig.LineFeeds[0].Length, 2);
    EXPECT_EQ(rig.LineFeeds[0].Offset, 17);
    EXPECT_EQ(parse.Point, (TPoint{0, 40 + k.dy})) << k.spacing << k.half << k.halfLF;
  }
}

TEST(RawInterpSteps, CharWidthIsTheCurrentTextsElseThePitchs) {
  TRawInterpRig rig(kLangPCL);
  rig.CurrentPitch = 12;
  TRawInterpContext c = rig.Context();
  TRawParseState parse;
  EXPECT_EQ(CharWidth(c, parse), 212);
  enumraw2::TText text(0, TPoint{});
  text.CharWidth = 149;
  parse.CurrentText = &text;
  EXPECT_EQ(CharWidth(c, parse), 149);
}

TEST(RawInterpSteps, PointMovesStopAtTheEndsOfTheRange) {
  // A spacing of 1e-9 lines per inch makes a line longer than the coordinates can hold.
  TCase k{"ESC & l D with a tiny spacing, then lines down", E + "&l0.000000001D" + E + "=" + E + "=",
          {},
          {.point = {0, 2147483647}, .spacing = 0.000000001, .lineFeeds = 2}};
  Check(kLangPCL, k);
}

// The page loop hears "not recognised" only from the dot-matrix languages; PCL logs its own.
TEST(RawInterpSteps, RecognisedIsAnsweredPerLanguage) {
  struct {
    uint8_t lang;
    std::string bytes;
    bool recognised;
    size_t pos;
  } cases[] = {
      {kLangEscP9, "\x01", false, 1},  {kLangPCL, "\x01", true, 1},         {kLangEscP9, E + "R\x01", true, 3},
      {kLangIBM, E + "R\x01", true, 2}, {kLangEscP24, E + "(tABC", false, 2}, {kLangPCL, E + "q", true, 2},
  };
  for (const auto& k : cases) {
    TRawInterpRig rig(k.lang);
    TRawInterpContext c = rig.Context();
    TRawParseState parse;
    TByteReader reader(std::span(reinterpret_cast<const uint8_t*>(k.bytes.data()), k.bytes.size()));
    uint8_t code = 0;
    ASSERT_TRUE(reader.ReadByte(code));
    EXPECT_EQ(InterpretRawCommand(c, code, reader, parse), k.recognised) << int{k.lang} << " " << k.bytes;
    EXPECT_EQ(reader.Position(), k.pos) << int{k.lang} << " " << k.bytes;
  }
}

TEST(RawInterp, EscP) {
  const TCase cases[] = {
      {"CP866 letters and frames are text; NUL is ignored", kCyr + "\x00"s + kFrame, {},
       {.point = {2540, 0}, .text = kCyr + kFrame, .log = {u"      Ignore: #00, Pos: 7"}}},
      {"bell, shift and device controls change nothing", "\x07\x0E\x11\x13\x14\x18\x1A", {}, {}},
      {"BS steps back a character, not before the edge", "AB\x08\x08\x08", {}, {.text = "AB"}},
      {"VT starts the next line without a line feed record", "AB\x0B", {}, {.point = {0, 8}, .text = "AB"}},
      {"SI selects condensed", "\x0F", {}, {.pitch = 17}},
      {"DC2 cancels condensed", "\x12", {.pitch = 17}, {.pitch = 10}},
      {"DC2 cancels condensed only: elite stays", "\x12", {.pitch = 12}, {.pitch = 12}},
      {"ESC ! 0x85 selects elite condensed underlined", E + "!\x85", {}, {.pitch = 20, .underline = true}},
      {"ESC ! 0x85 gives 20 whatever the pitch was", E + "!\x85", {.pitch = 17}, {.pitch = 20, .underline = true}},
      {"ESC ! 0 gives pica without underline", E + "!\x00"s, {.pitch = 20, .underline = true}, {.pitch = 10}},
      {"ESC @ returns to the printer state",
       E + "@",
       {.pitch = 17, .spacing = 8, .tabWidth = 4, .leftMargin = 100, .underline = true},
       {}},
      {"ESC M selects elite", E + "M", {}, {.pitch = 12}},
      {"ESC P selects pica", E + "P", {.pitch = 12}, {.pitch = 10}},
      {"ESC SI from elite gives condensed elite", E + "\x0F", {.pitch = 12}, {.pitch = 20}},
      {"ESC - takes bit 0", E + "-1", {}, {.underline = true}},
      {"ESC - with bit 0 clear ends underline", E + "-\x02", {.underline = true}, {}},
      {"ESC J moves n/216 inch", E + "J\x6C", {}, {.point = {0, 24}}},
      {"ESC 0 sets 8 lines per inch", E + "0", {}, {.spacing = 8}},
      {"ESC 1 sets 72/7 lines per inch", E + "1", {}, {.spacing = 72.0 / 7}},
      {"ESC 2 sets 6 lines per inch", E + "2", {.spacing = 8}, {}},
      {"ESC 3 with 0 leaves the spacing", E + "3\x00"s, {.spacing = 8}, {.spacing = 8}},
      {"ESC 3 36 sets 6 lines per inch", E + "3\x24", {.spacing = 8}, {}},
      {"ESC A 12 sets 6 lines per inch", E + "A\x0C", {.spacing = 8}, {}},
      {"ESC A 0 leaves the spacing", E + "A\x00"s, {.spacing = 8}, {.spacing = 8}},
      {"ESC $ is absolute in 1/60 inch", E + "$\x3C\x00"s, {.point = {500, 0}}, {.point = {2540, 0}}},
      {"ESC \\ 0xFFF6 moves 10/120 inch left and stops at 0", E + "\\\xF6\xFF", {.point = {100, 0}}, {}},
      {"ESC \\ 0xFFF6 from further right", E + "\\\xF6\xFF", {.point = {1000, 0}}, {.point = {788, 0}}},
      {"ESC \\ 120 moves an inch right", E + "\\\x78\x00"s, {}, {.point = {2540, 0}}},
      {"ESC f 0 n sets the tab width", E + "f\x00\x04"s, {}, {.tabWidth = 4}},
      {"ESC f 1 n changes nothing", E + "f\x01\x05", {}, {}},
      {"ESC f 2 is not recognised: ESC and f go, the rest is read again",
       E + "f\x02" + "5",
       {},
       {.point = {254, 0},
        .errors = 2,
        .text = "5",
        .log = {u"      Unknown: <ESC>#66, Pos: 2", u"      Unknown: #02, Pos: 3"}}},
      {"ESC b c skips through the NUL", E + "bc\x01\x02\x00"s + kCyr, {}, {.point = {1524, 0}, .text = kCyr}},
      {"ESC b with another letter is not recognised", E + "bz", {},
       {.point = {254, 0}, .errors = 1, .text = "z", .log = {u"      Unknown: <ESC>#62, Pos: 2"}}},
      {"ESC B skips its tab list", E + "B\x08\x10\x00"s + "A", {}, {.point = {254, 0}, .text = "A"}},
      {"ESC D without its NUL runs to the end", E + "D\x08" + kCyr, {}, {}},
      {"ESC C 0 takes one more byte", E + "C\x00\x0B"s + "A", {}, {.point = {254, 0}, .text = "A"}},
      {"ESC C n takes one", E + "C\x42" + "A", {}, {.point = {254, 0}, .text = "A"}},
      {"ESC ^ skips two bytes a column", E + "^\x00\x02\x00"s + kFrame + "A", {}, {.point = {254, 0}, .text = "A"}},
      {"ESC K skips its image, line feeds and ESC inside included",
       E + "K\x04\x00"s + "\xB3\x0A\x1B\xC4" + kCyr,
       {},
       {.point = {1524, 0}, .text = kCyr}},
      {"ESC K with an over-long count stops at the end", E + "K\xFF\xFF" + kCyr, {}, {}},
      {"ESC * m below 8 skips its image", E + "*\x00\x03\x00"s + kBox.substr(0, 3) + "A", {},
       {.point = {254, 0}, .text = "A"}},
      {"ESC * 39 is not 9-pin: only ESC and * go, the count is read as text and codes",
       E + "*\x27\x02\x00"s + "AB",
       {},
       {.point = {762, 0},
        .errors = 2,
        .text = "'AB",
        .log = {u"      Unknown: <ESC>#2A, Pos: 2", u"      Unknown: #02, Pos: 4", u"      Ignore: #00, Pos: 5"}}},
      {"ESC e skips two", E + "e\x01\x02" + "A", {}, {.point = {254, 0}, .text = "A"}},
      {"ESC : NUL n NUL", E + ":\x00\x05\x00"s + "A", {}, {.point = {254, 0}, .text = "A"}},
      {"ESC : without its NUL is not recognised",
       E + ":\x01\x00\x00"s,
       {},
       {.errors = 2,
        .log = {u"      Unknown: <ESC>#3A, Pos: 2", u"      Unknown: #01, Pos: 3", u"      Ignore: #00, Pos: 4",
                u"      Ignore: #00, Pos: 5"}}},
      {"one-byte parameters", E + "x\x01" + E + "U\x01" + E + "\x19" + "A" + E + " \x05" + "B", {},
       {.point = {254, 0}, .text = "B"}},
      {"commands without parameters", E + "4" + E + "E" + E + "#" + E + "\x0E" + "A", {},
       {.point = {254, 0}, .text = "A"}},
      {"an unknown ESC takes the byte after it", E + "z", {}, {.errors = 1, .log = {u"      Unknown: <ESC>#7A, Pos: 2"}}},
      {"ESC before CP866 text takes that byte only", E + kCyr, {},
       {.point = {1270, 0}, .errors = 1, .text = kCyr.substr(1), .log = {u"      Unknown: <ESC>#8F, Pos: 2"}}},
      {"ESC + is 24-pin only", E + "+\x01", {},
       {.errors = 2, .log = {u"      Unknown: <ESC>#2B, Pos: 2", u"      Unknown: #01, Pos: 3"}}},
      {"an unknown control", "\x01" + kBox, {},
       {.point = {1016, 0}, .errors = 1, .text = kBox, .log = {u"      Unknown: #01, Pos: 1"}}},
      {"ESC at the end", E, {}, {}},
      {"ESC K cut off in its count", E + "K\x05", {}, {}},
      {"ESC 3 cut off", E + "3", {}, {}},
      {"ESC : cut off", E + ":\x00"s, {}, {}},
      {"ESC \\ cut off", E + "\\\x01", {}, {}},
      {"ESC f cut off", E + "f\x00"s, {}, {}},
      {"ESC * cut off in its image", E + "*\x00\x05\x00"s + "AB", {}, {}},
  };
  for (const TCase& k : cases) Check(kLangEscP9, k);
}

TEST(RawInterp, EscP24) {
  const TCase cases[] = {
      {"ESC * 39 skips three bytes a column", E + "*\x27\x02\x00"s + kCyr + "AB", {}, {.point = {508, 0}, .text = "AB"}},
      {"ESC * 0 is ESC/P's", E + "*\x00\x03\x00"s + kFrame.substr(0, 3) + "A", {}, {.point = {254, 0}, .text = "A"}},
      {"ESC * 9 is known to neither",
       E + "*\x09\x01\x00"s + "A",
       {},
       {.point = {254, 0},
        .errors = 2,
        .text = "A",
        .log = {u"      Unknown: <ESC>#2A, Pos: 2", u"      Unknown: #01, Pos: 4", u"      Ignore: #00, Pos: 5"}}},
      {"ESC ( - 3 0 1 and two bytes", E + "(-\x03\x00\x01\x10\x00"s + "A", {}, {.point = {254, 0}, .text = "A"}},
      {"ESC ( with another pattern falls back and is unknown", E + "(tABCD", {},
       {.point = {1270, 0}, .errors = 1, .text = "tABCD", .log = {u"      Unknown: <ESC>#28, Pos: 2"}}},
      {"ESC + skips one", E + "+\x01" + "A", {}, {.point = {254, 0}, .text = "A"}},
      {"ESC/P still applies", E + "!\x85", {}, {.pitch = 20, .underline = true}},
      {"ESC ( cut off", E + "(-\x03", {}, {}},
      {"ESC * 39 cut off in its count", E + "*\x27\x02", {}, {}},
      {"ESC * 39 with an over-long count", E + "*\x27\xFF\xFF" + kCyr, {}, {}},
  };
  for (const TCase& k : cases) Check(kLangEscP24, k);
}

TEST(RawInterp, IBM) {
  const TCase cases[] = {
      {"ESC : selects 12", E + ":", {}, {.pitch = 12}},
      {"ESC : then DC2 returns to 10", E + ":\x12", {}, {}},
      {"DC4 is known", "\x14", {}, {}},
      {"ESC R has no parameter", E + "RA", {}, {.point = {254, 0}, .text = "A"}},
      {"ESC [ @ 4 0 0 0 and two bytes", E + "[@\x04\x00\x00\x00\x01\x02"s + "A", {}, {.point = {254, 0}, .text = "A"}},
      {"ESC [ otherwise is unknown", E + "[KABCDE", {},
       {.point = {1524, 0}, .errors = 1, .text = "KABCDE", .log = {u"      Unknown: <ESC>#5B, Pos: 2"}}},
      {"ESC 5, ESC P, ESC ^ and ESC _ take one byte; ESC P is no pitch here",
       E + "5\x01" + E + "P\x01" + E + "^\x01" + E + "_\x01" + "A",
       {.pitch = 12},
       {.point = {212, 0}, .pitch = 12, .text = "A"}},
      {"ESC X takes two", E + "X\x01\x02" + "A", {}, {.point = {254, 0}, .text = "A"}},
      {"ESC \\ skips its count instead of moving", E + "\\\x03\x00"s + kFrame.substr(0, 3) + "A", {},
       {.point = {254, 0}, .text = "A"}},
      {"ESC = skips its count and four", E + "=\x02\x00"s + kCyr + "A", {}, {.point = {254, 0}, .text = "A"}},
      {"ESC I 1 selects elite", E + "I\x01", {}, {.pitch = 12}},
      {"ESC I 2 selects pica", E + "I\x02", {.pitch = 12}, {}},
      {"ESC/P's SI still applies", "\x0F", {}, {.pitch = 17}},
      {"ESC [ cut off", E + "[@\x04", {}, {}},
      {"ESC = with an over-long count", E + "=\x02\x00"s + "ab", {}, {}},
  };
  for (const TCase& k : cases) Check(kLangIBM, k);
}

TEST(RawInterp, MannesmannTally) {
  const TCase cases[] = {
      {"ESC P @ is Tally's", E + "P@A", {.pitch = 12}, {.point = {212, 0}, .pitch = 12, .text = "A"}},
      {"ESC P otherwise is ESC/P's pica", E + "PA", {.pitch = 12}, {.point = {254, 0}, .text = "A"}},
      {"ESC P at the end is ESC/P's pica", E + "P", {.pitch = 12}, {}},
      {"ESC [ < 3 l", E + "[<3lA", {}, {.point = {254, 0}, .text = "A"}},
      {"ESC [ < 3 h skips the plot data to ESC [ < 3 l",
       E + "[<3h" + kCyr + "\x0A\x1B\x00"s + E + "[<3l" + "A",
       {},
       {.point = {254, 0}, .text = "A"}},
      {"plot data without its end runs to the end", E + "[<3h" + kCyr, {}, {}},
      {"ESC [ digits ; digits ! q", E + "[12;345!qA", {}, {.point = {254, 0}, .text = "A"}},
      {"ESC [ without digits is unknown", E + "[;1!qA", {},
       {.point = {1270, 0}, .errors = 1, .text = ";1!qA", .log = {u"      Unknown: <ESC>#5B, Pos: 2"}}},
      {"ESC [ < 3 with another letter is unknown", E + "[<3x", {},
       {.point = {762, 0}, .errors = 1, .text = "<3x", .log = {u"      Unknown: <ESC>#5B, Pos: 2"}}},
      {"ESC [ digits cut off", E + "[12", {}, {}},
      {"ESC [ < 3 cut off", E + "[<3", {}, {}},
      {"ESC/P's reset still applies", E + "@", {.pitch = 17}, {}},
  };
  for (const TCase& k : cases) Check(kLangMT, k);
}
