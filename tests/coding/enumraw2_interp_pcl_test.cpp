// PCL: parameter groups and data blocks, cursor and font commands, the commands that end a page, and
// what is logged of sequences the interpreter does not know.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "coding/enumraw2_interp.h"
#include "enumraw2_interp_cases.h"

using namespace rawcases;

namespace {

struct TGroupSeen {
  char letter;
  bool hasValue;
  double value;
  bool relative, last;
  friend bool operator==(const TGroupSeen&, const TGroupSeen&) = default;
};

void PrintTo(const TGroupSeen& g, std::ostream* os) {
  *os << g.letter << (g.hasValue ? "=" : "") << (g.hasValue ? std::to_string(g.value) : "") << (g.relative ? " rel" : "")
      << (g.last ? " last" : "");
}

}  // namespace

TEST(RawInterpPcl, ReadPclGroupSplitsValuesAndFinals) {
  struct {
    const char* why;
    std::string bytes;
    std::vector<TGroupSeen> groups;
    size_t pos;
    bool cut;
  } cases[] = {
      {"two groups", "1h2A", {{'H', true, 1, false, false}, {'A', true, 2, false, true}}, 4, false},
      {"signs and decimals", "+5.5c-3R", {{'C', true, 5.5, true, false}, {'R', true, -3, true, true}}, 8, false},
      {"a final without a value", "@", {{'@', false, 0, false, true}}, 1, false},
      {"a control ends the first group: its last value byte is the final", "8\rX", {{'8', false, 0, false, true}}, 1,
       false},
      {"a control alone is no group", "\rX", {}, 0, false},
      {"later groups take controls into the value", "1a\r2B", {{'A', true, 1, false, false}, {'B', false, 0, false, true}},
       5, false},
      {"CP866 text ends a group and stays", "3\x8F", {{'3', false, 0, false, true}}, 1, false},
      {"CP866 text after a lower-case final ends the sequence", "3a\x8F", {{'A', true, 3, false, false}}, 2, false},
      {"a value that is no number", "1.2.3C", {{'C', false, 0, false, true}}, 6, false},
      {"W with a value carries data and NUL bytes", "2w\xB3\xC4\x00\x00"s + "5X", {{'W', true, 2, false, false}}, 6,
       false},
      {"cut off in the value", "12", {}, 2, true},
      {"cut off after a lower-case final", "1a2", {{'A', true, 1, false, false}}, 3, true},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.why);
    TMemoryLog log;
    TRawInterpRig rig(kLangPCL, log);
    TRawInterpContext c = rig.Context();
    TRawParseState parse;
    TByteReader reader(std::span(reinterpret_cast<const uint8_t*>(k.bytes.data()), k.bytes.size()));
    TPclGroup g;
    std::vector<TGroupSeen> seen;
    while (ReadPclGroup(c, reader, parse, g))
      seen.push_back({static_cast<char>(g.Letter), g.HasValue, g.ValueF, g.Relative, g.Last});
    EXPECT_EQ(seen, k.groups);
    EXPECT_EQ(reader.Position(), k.pos);
    EXPECT_EQ(g.Cut, k.cut);
    EXPECT_EQ(parse.Errors, 0);
  }
}

// Whole numbers, fractions and values past the 32-bit range: the rounded value and the exact one agree.
TEST(RawInterpPcl, ReadPclGroupValues) {
  const struct {
    std::string bytes;
    int32_t value;
    double valueF;
  } cases[] = {{"0X", 0, 0},
               {"-0X", 0, 0},
               {"+007X", 7, 7},
               {"-123456789X", -123456789, -123456789},
               {"999999999X", 999999999, 999999999},
               {"2147483647X", 2147483647, 2147483647},
               {"-2147483649X", INT32_MIN, -2147483649.0},
               {"99999999999X", INT32_MAX, 99999999999.0},
               {"2.5X", 2, 2.5},
               {"-3.5X", -4, -3.5}};
  for (const auto& k : cases) {
    SCOPED_TRACE(k.bytes);
    TRawInterpRig rig(kLangPCL);
    TRawInterpContext c = rig.Context();
    TRawParseState parse;
    TByteReader reader(std::span(reinterpret_cast<const uint8_t*>(k.bytes.data()), k.bytes.size()));
    TPclGroup g;
    ASSERT_TRUE(ReadPclGroup(c, reader, parse, g));
    EXPECT_TRUE(g.HasValue);
    EXPECT_EQ(g.Value, k.value);
    EXPECT_EQ(g.ValueF, k.valueF);
  }
}

TEST(RawInterp, PCL) {
  const std::string data20 = kCyr + kFrame + "\x0A\x1B" + "E\x0D" + "123456";
  const TCase cases[] = {
      {"NUL is ignored, BS steps back, other controls are unknown",
       "AB\x00\x08\x0B"s,
       {},
       {.point = {254, 0},
        .errors = 1,
        .text = "AB",
        .log = {u"      Ignore: #00, Pos: 3", u"      Unknown: #0B, Pos: 5"}}},
      {"ESC E before any text resets and the page goes on",
       E + "E" + kCyr,
       {.pitch = 17, .spacing = 8, .tabWidth = 4, .leftMargin = 100, .underline = true, .attr = "p4", .macroId = 3},
       {.point = {1524, 0}, .text = kCyr}},
      {"ESC E after text ends the page on its ESC", kCyr + E + "EAB", {},
       {.point = {1524, 0}, .pos = 6, .goesOn = false, .text = kCyr}},
      {"ESC 9, Y and Z are known", E + "9" + E + "Y" + E + "Z", {}, {}},
      {"ESC = is a whole line without HalfLF", "AB" + E + "=", {}, {.point = {0, 8}, .lineFeeds = 1, .text = "AB"}},
      {"ESC = is half a line with HalfLF", "AB" + E + "=", {.halfLF = true}, {.point = {0, 4}, .lineFeeds = 1, .text = "AB"}},
      {"ESC ESC: the second ESC begins the next command", E + E + "E", {.pitch = 17},
       {.errors = 1, .log = {u"      Unknown: <ESC>#1B, Pos: 2"}}},
      {"ESC % -12345X passes to just after the next ESC E, which does not reset",
       E + "%-12345X@PJL ENTER LANGUAGE=PCL\r\n" + E + "E" + kCyr,
       {.pitch = 17},
       {.point = {894, 0}, .pitch = 17, .text = kCyr}},
      {"ESC % -12345X without ESC E stays after the X", E + "%-12345X" + kCyr, {}, {.point = {1524, 0}, .text = kCyr}},
      {"the search for ESC E is not repeated in vain", E + "%-12345XA" + E + "%-12345XB", {},
       {.point = {508, 0}, .text = "AB"}},
      {"ESC % - with another text is unknown and the text stays", E + "%-1234YZ", {},
       {.point = {1524, 0}, .errors = 1, .text = "1234YZ", .log = {u"      Unknown: <ESC>#25#2D, Pos: 3"}}},
      {"an HP-GL/2 block ends at the first ESC % 1 A, before a later ESC % 0 A",
       "A" + E + "%1BIN;PD" + kBox + E + "%1AB" + E + "%0AC",
       {},
       {.point = {762, 0}, .text = "ABC"}},
      {"an HP-GL/2 block ends at ESC % 0 A", E + "%0BPD;" + E + "%0AB", {}, {.point = {254, 0}, .text = "B"}},
      {"an HP-GL/2 block without its end runs to the end", E + "%1BPD;" + kCyr, {}, {}},
      {"ESC % 0 A and ESC % 1 A are known", E + "%0A" + E + "%1A", {}, {}},
      {"ESC % 1 with another letter", E + "%1X", {}, {.errors = 1, .log = {u"      Unknown: <ESC>#25#31..58, Pos: 4"}}},
      {"ESC % with another value is skipped as a sequence", E + "%5QA", {},
       {.point = {254, 0}, .errors = 1, .text = "A", .log = {u"      Unknown: <ESC>\"%5Q\", Pos: 4"}}},
      {"ESC * b 20 W skips its data and the two NUL bytes after it",
       E + "*b20W" + data20 + "\x00\x00"s + "AB",
       {},
       {.point = {508, 0}, .text = "AB"}},
      {"ESC * c groups, data at W", E + "*c5a10b3W\x01\x02\x03" + "A", {}, {.point = {254, 0}, .text = "A"}},
      {"ESC * p moves in dots of HPresDPI", E + "*p300x150Y", {}, {.point = {2540, 24}}},
      {"ESC * p: absolute x less the margin", E + "*p300X", {.leftMargin = 100},
       {.point = {2440, 0}, .leftMargin = 100}},
      {"ESC * p: relative moves", E + "*p+300x-150Y", {.point = {1000, 10}}, {.point = {3540, -14}}},
      {"ESC * r, t and v are read to their end", E + "*r1A" + E + "*t300R" + E + "*v2W\x01\x02" + "A", {},
       {.point = {254, 0}, .text = "A"}},
      {"a skipped sequence still skips its W data, and its log leaves the data out",
       E + "*m3W" + kCyr.substr(0, 3) + "A",
       {},
       {.point = {254, 0}, .errors = 1, .text = "A", .log = {u"      Unknown: <ESC>\"*m3W\", Pos: 8"}}},
      {"ESC & n data is skipped too", E + "&n4W" + kFrame + "A", {},
       {.point = {254, 0}, .errors = 1, .text = "A", .log = {u"      Unknown: <ESC>\"&n4W\", Pos: 9"}}},
      {"ESC ) s W: a font header", E + ")s4W" + kFrame + "A", {}, {.point = {254, 0}, .text = "A"}},
      {"ESC ) s with another final", E + ")s5X", {}, {.errors = 1, .log = {u"      Unknown: <ESC>#29#73..58, Pos: 5"}}},
      {"ESC ) s without a group; the CR stays", "AB" + E + ")s\r" + "C", {},
       {.point = {254, 0}, .errors = 1, .text = "ABC", .log = {u"      Unknown: <ESC>#29#73, Pos: 5"}}},
      {"ESC ) n X: the secondary font's pitch", E + ")3X", {.fontPitchS = ",3=16.67"},
       {.pitch = 16.67, .basePitch = 10, .attr = "s3"}},
      {"ESC ) n X for a font the table lacks returns to the printer state's pitch", E + ")3X", {.pitch = 12},
       {.attr = "s3"}},
      {"ESC ) n with another final is skipped", E + ")8U", {},
       {.errors = 1, .log = {u"      Unknown: <ESC>\")8U\", Pos: 4"}}},
      {"ESC ( f W: a symbol set definition", E + "(f4W" + kCyr.substr(0, 4) + "A", {}, {.point = {254, 0}, .text = "A"}},
      {"ESC ( f with another final", E + "(f1X", {}, {.errors = 1, .log = {u"      Unknown: <ESC>#28#66..58, Pos: 5"}}},
      {"ESC ( s 16.67 H with a substitute", E + "(s16.67H", {.attr = "p4", .badPitchs = "16.67=17.14"},
       {.pitch = 17.14}},
      {"ESC ( s 150 H leaves the base pitch in force", E + "(s150H", {.pitch = 12, .basePitch = 10, .attr = "p4"}, {}},
      {"ESC ( s T: the typeface's pitch", E + "(s4101T", {}, {.pitch = 20, .basePitch = 10, .attr = "t4101"}},
      {"ESC ( s with several groups", E + "(s1p12h0s3b4099T", {}, {.attr = "t4099"}},
      {"ESC ( s W: a character download", E + "(s6W" + kCyr + "A", {}, {.point = {254, 0}, .text = "A"}},
      {"ESC ( n X: the primary font's pitch", E + "(4X", {}, {.pitch = 15, .basePitch = 10, .attr = "p4"}},
      {"ESC ( n U: a symbol set", E + "(8U", {}, {}},
      {"ESC ( n before a control is skipped, the control stays", "AB" + E + "(8\rC", {},
       {.point = {254, 0}, .errors = 1, .text = "ABC", .log = {u"      Unknown: <ESC>\"(8\", Pos: 5"}}},
      {"ESC & a 5 C at pitch 10", E + "&a5C", {}, {.point = {1270, 0}}},
      {"ESC & a C does not add the left margin", E + "&a5C", {.leftMargin = 500},
       {.point = {1270, 0}, .leftMargin = 500}},
      {"ESC & a +2 R moves down two lines", E + "&a+2R", {.point = {0, 8}}, {.point = {0, 24}}},
      {"ESC & a L sets the left margin in columns", E + "&a10L", {}, {.leftMargin = 2540}},
      {"ESC & a H: decipoints less the margin, then relative", E + "&a720h+720H", {.leftMargin = 100},
       {.point = {4980, 0}, .leftMargin = 100}},
      {"ESC & a V: decipoints down, relative up", E + "&a720v-360V", {}, {.point = {0, 24}}},
      {"ESC & p X: transparent data", E + "&p3X" + kCyr.substr(0, 3) + "A", {}, {.point = {254, 0}, .text = "A"}},
      {"ESC & p with another final", E + "&p3Y", {}, {.errors = 1, .log = {u"      Unknown: <ESC>#26#70..59, Pos: 5"}}},
      {"ESC & p without a group", E + "&p\r", {}, {.errors = 1, .log = {u"      Unknown: <ESC>#26#70, Pos: 3"}}},
      {"ESC & f 0 S pushes, 1 S pops", E + "&f0S" + E + "&a0c0R" + E + "&f1S", {.point = {100, 200}},
       {.point = {100, 200}}},
      {"a pop without a push leaves the point", E + "&f1S", {.point = {100, 200}}, {.point = {100, 200}}},
      {"ESC & f S with another value", E + "&f5S", {}, {.errors = 1, .log = {u"      Unknown: <ESC>#26#66..53, Pos: 5"}}},
      {"ESC & f Y then 2 X calls the macro's font", E + "&f3y2X", {},
       {.pitch = 15, .basePitch = 10, .attr = "m3", .macroId = 3}},
      {"ESC & f X with another value", E + "&f1X", {}, {.errors = 1, .log = {u"      Unknown: <ESC>#26#66..58, Pos: 5"}}},
      {"ESC & k H: 120 / v", E + "&k10H", {.attr = "t3"}, {.pitch = 12}},
      {"ESC & k 0 H changes nothing", E + "&k0H", {.attr = "t3"}, {.attr = "t3"}},
      {"ESC & k 2 S through the substitutes", E + "&k2S", {.badPitchs = "16.6=17.14"}, {.pitch = 17.14}},
      {"ESC & k 4 S", E + "&k4S", {}, {.pitch = 12}},
      {"ESC & k S with another value", E + "&k1S", {}, {.errors = 1, .log = {u"      Unknown: <ESC>#26#6B..53, Pos: 5"}}},
      {"ESC & l H after text ends the page on its ESC", "AB" + E + "&l1HC", {},
       {.point = {508, 0}, .pos = 2, .goesOn = false, .text = "AB"}},
      {"ESC & l H before any text is accepted", E + "&l1HC", {}, {.point = {254, 0}, .text = "C"}},
      {"ESC & l 8 C sets 6 lines per inch", E + "&l8C", {.spacing = 8}, {}},
      {"ESC & l C and D of 0 or below leave the spacing", E + "&l0c-8c0d-3D", {.spacing = 8}, {.spacing = 8}},
      {"ESC & l 6 D", E + "&l6D", {.spacing = 8}, {}},
      {"ESC & l takes its spacing, then ends the page", "A" + E + "&l1a8C", {.spacing = 8},
       {.point = {254, 0}, .pos = 1, .goesOn = false, .text = "A"}},
      {"ESC & d D underlines, ESC & d @ ends it", E + "&dD", {}, {.underline = true}},
      {"ESC & d @", E + "&d@", {.underline = true}, {}},
      {"ESC & d with another final", E + "&d3X", {}, {.errors = 1, .log = {u"      Unknown: <ESC>#26#64..58, Pos: 5"}}},
      {"ESC & r, s and u are read to their end", E + "&r1F" + E + "&s0C" + E + "&u600D", {}, {}},
      {"ESC & with another letter is skipped", E + "&z5Q", {},
       {.errors = 1, .log = {u"      Unknown: <ESC>\"&z5Q\", Pos: 5"}}},
      {"an unknown ESC", E + "q", {}, {.errors = 1, .log = {u"      Unknown: <ESC>#71, Pos: 2"}}},
      {"a value that is no number is logged, not counted", E + "&a1.2.3C", {},
       {.log = {u"      Unknown: <ESC>..\"1.2.3C\", Pos: 3"}}},
      {"CP866 text ends a group and stays text", E + "(s3" + kCyr, {}, {.point = {1524, 0}, .text = kCyr}},
      {"CP866 text after a lower-case final ends the sequence", E + "&a5c" + kCyr, {},
       {.point = {2794, 0}, .text = kCyr}},
      {"an over-long data block stops at the end", E + "*b99999999999W" + kCyr, {}, {}},
      {"a negative data count skips only NUL bytes", E + "*b-5W\x00"s + "A", {}, {.point = {254, 0}, .text = "A"}},
      {"ESC at the end", E, {}, {}},
      {"ESC & a cut off in its value", E + "&a5", {}, {}},
      {"ESC * b cut off in its data", E + "*b20Wabc", {}, {}},
      {"ESC ) s cut off", E + ")s", {}, {}},
      {"ESC % -12345X cut off", E + "%-123", {}, {}},
      {"ESC % 0 cut off", E + "%0", {}, {}},
      {"a skipped sequence cut off", E + "&z5", {}, {}},
  };
  for (const TCase& k : cases) Check(kLangPCL, k);
}

// Every job-language switch without a reset after it would otherwise search the whole rest again.
TEST(RawInterpPcl, ManySwitchesWithoutAResetAreReadInOnePass) {
  std::string stream;
  while (stream.size() < (4 << 20)) stream += E + "%-12345X" + kCyr;
  TRawInterpRig rig(kLangPCL);
  TRawInterpContext c = rig.Context();
  TRawParseState parse;
  TByteReader reader(std::span(reinterpret_cast<const uint8_t*>(stream.data()), stream.size()));
  const TRawWalk walk = WalkRawStream(c, reader, parse, false);
  EXPECT_TRUE(walk.Sound);
  EXPECT_TRUE(reader.Eof());
  EXPECT_EQ(parse.Errors, 0);
}
