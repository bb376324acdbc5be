// The raw page: texts on the character grid, lines from line characters and underlines, CP866 texts in
// the ANSI code page, overprints, the page end by form feed, marker and command, where the code goes
// (CodePosition, BreakBeforeCode, TrailingData) and the printer state handed back.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "coding/enumraw2.h"
#include "foundation/cl_tools_config.h"
#include "foundation/lib_codepage.h"
#include "support/coder_fakes.h"
#include "support/golden.h"

namespace {
const std::u16string kDos(kConfigDosKey);
const std::u16string kDoc = kDos + u"\\AB";
const std::u16string kPrinters = kDos + u"\\Printers";

struct TModel {
  const char16_t* Name;
  const char16_t* Mode;
};
const TModel kEscP24{u"EPSON LQ-24", u"180,180,24,\x1B*'"};
const TModel kEscP9{u"EPSON FX-9", u"120,72,8,\x1B*\x01"};
const TModel kPCL{u"HP LaserJet", u"300,300,Rastr"};
const TModel kIBM{u"IBM Proprinter", u"120,72,8,\x1B*\x01"};
const TModel kMT{u"MANNESMANN Tally", u"120,72,MTPlot"};

struct TPage {
  TMemoryStore store;
  TMemoryLog log;
  TRecordingServices services;
  std::unique_ptr<TRAWCoder> coder;
  std::string stream;
  bool ok = false;
  bool pageEnded = false;
  int32_t errors = -1;
  TDosPrinterState state;

  explicit TPage(const TModel& model = kEscP24) {
    store.AddKey(kDoc);
    store.SetText(kPrinters, u"Model", model.Name);
    const std::u16string key = kPrinters + u"\\" + model.Name;
    store.SetText(key, u"Mode", u"M");
    store.SetText(key + u"\\Modes", u"M", model.Mode);
    modelKey = key;
  }
  std::u16string modelKey;
  void SetModel(std::u16string_view name, std::u16string_view value) { store.SetText(modelKey, name, value); }
  void Set(std::u16string_view name, int32_t value) { store.SetInteger(kDoc, name, value); }

  bool Load(const TDosPrinterState& s = {8, 0, 6.0, 10.0}) {
    coder = TCoder::Create<TRAWCoder>(store, TDocIdClass::CreateFromText("AB"), nullptr, s, 0, &log.file, u"");
    coder->CodeServices = &services;
    return coder->LoadParam();
  }
  // Parses the page at from; the reader's position after it.
  size_t Parse(std::string bytes, size_t from = 0, int32_t place = -1) {
    stream = std::move(bytes);
    if (!coder) {
      EXPECT_TRUE(Load());
    }
    TByteReader reader(std::span(reinterpret_cast<const uint8_t*>(stream.data()), stream.size()));
    reader.Seek(static_cast<int64_t>(from));
    coder->Reinit();
    log.Lines.clear();
    ok = coder->ParsePage(reader, pageEnded, place, errors, state);
    return reader.Position();
  }
  std::vector<std::u16string> Dump() {
    log.Lines.clear();
    coder->DumpObjects();
    std::vector<std::u16string> lines(log.Lines.begin(), log.Lines.end());
    // The page parameters come first; the page objects start at the vertical lines.
    const auto v = std::find(lines.begin(), lines.end(), u"V-Objects:");
    lines.erase(lines.begin(), v);
    return lines;
  }
  std::vector<std::u16string> Texts() const {
    std::vector<std::u16string> texts;
    for (const auto& t : *coder->Texts) texts.push_back(static_cast<const enumraw2::TText&>(*t).Text);
    return texts;
  }
  bool Logged(std::u16string_view line) const {
    return std::find(log.Lines.begin(), log.Lines.end(), line) != log.Lines.end();
  }
};

std::string Utf8(const std::vector<std::u16string>& lines) {
  std::string out;
  for (const auto& line : lines) out += WideToUtf8(line) + "\n";
  return out;
}

const std::string kFrame =
    "\xC9\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xBB\r\n"
    "\xBA \x8F\xE0\xA8\xA2\xA5\xE2 \xBA\r\n"  // "Привет" in a double frame
    "\xC8\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xBC\r\n";

}  // namespace

// A CP866 page in a box frame per command set: one text, the frame's four sides as lines.
TEST(RawPage, FramedCyrillicPerLanguage) {
  const struct {
    const char* key;
    TModel model;
    std::string prefix;
  } cases[] = {
      {"frame_escp24", kEscP24, "\x1B@"},
      {"frame_escp9", kEscP9, "\x1B@\x1B" "3\x24"},
      {"frame_pcl", kPCL, "\x1B&l6D\x1B(s10H"},
      {"frame_ibm", kIBM, "\x1B:\x12"},
      {"frame_mt", kMT, "\x1BP@"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    TPage page(c.model);
    page.Parse(c.prefix + kFrame + "\f");
    ASSERT_TRUE(page.ok);
    EXPECT_EQ(page.Texts(), std::vector<std::u16string>{u"Привет"});
    EXPECT_EQ(page.coder->HLines->size(), 2u);
    EXPECT_EQ(page.coder->VLines->size(), 2u);
    EXPECT_TRUE(MatchesGolden("raw_page", c.key, HexOf(Utf8(page.Dump()) + "@" + std::to_string(page.coder->CodePosition))));
  }
}

// The 866 bytes become what OemToCharBuffA gives on a Russian system, then Unicode.
TEST(RawPage, OemTableOfTheCore) {
  const struct {
    uint8_t oem;
    uint8_t ansi;
  } cases[] = {{0x41, 0x41}, {0x80, 0xC0}, {0xAF, 0xEF}, {0xE0, 0xF0}, {0xF0, 0xA8}, {0xF1, 0xB8},
               {0xFC, 0xB9}, {0xFF, 0xA0}, {0xB3, 0xA6}, {0xC4, 0x2D}, {0xCD, 0x3D}, {0xC5, 0x2B}};
  for (const auto& c : cases) EXPECT_EQ(Oem866ToAnsi1251(c.oem), c.ansi) << int(c.oem);
  // Every letter of 866 lands on the same letter of 1251.
  for (int b = 0x80; b < 0x100; ++b) {
    const std::u16string oem = DecodeCodePage(std::string(1, static_cast<char>(b)), kCodePage866);
    const std::u16string ansi = DecodeCodePage(std::string(1, static_cast<char>(Oem866ToAnsi1251(static_cast<uint8_t>(b)))), kCodePage1251);
    if ((oem[0] >= u'А' && oem[0] <= u'я') || oem[0] == u'Ё' || oem[0] == u'ё' || oem[0] == u'№') {
      EXPECT_EQ(oem, ansi) << b;
    }
  }
}

// Plain lines ended by a form feed: the code goes before the line feed that ends the last text line,
// the form feed stays after it, and the line feeds after the text are trimmed off.
TEST(RawPage, FormFeedEndsThePage) {
  TPage page;
  const size_t end = page.Parse("AB CD\r\nEF\r\n\fNEXT");
  ASSERT_TRUE(page.ok);
  EXPECT_FALSE(page.pageEnded);
  EXPECT_EQ(end, 12u);
  EXPECT_EQ(page.coder->CodePosition, 10);
  EXPECT_EQ(page.coder->TrailingData, "\f");
  EXPECT_TRUE(page.Logged(u"    Остаток текста: 1 (команд LF: 1)"));
  EXPECT_EQ(page.Texts(), (std::vector<std::u16string>{u"AB CD", u"EF"}));
  EXPECT_TRUE(page.Logged(u"--> Превышен порог кол-ва страниц: N 2. Выход!"));

  // Without a form feed the stream's end ends the page.
  page.Parse("AB\r\n");
  EXPECT_TRUE(page.ok);
  EXPECT_TRUE(page.pageEnded);
}

TEST(RawPage, MaxAllowedPagesPassesFormFeeds) {
  TPage page;
  page.Set(u"MaxAllowedPages", 3);
  page.Parse("A\r\n\fB\r\n\fC");
  ASSERT_TRUE(page.ok);
  EXPECT_TRUE(page.Logged(u"--> Обработка следующей страницы: N 2"));
  EXPECT_TRUE(page.Logged(u"--> Превышен порог кол-ва страниц: N 3. Выход!"));
  EXPECT_EQ(page.Texts(), (std::vector<std::u16string>{u"A", u"B"}));
  EXPECT_EQ(page.coder->CodePosition, 6);  // before the line feed after B
}

TEST(RawPage, MarkerEndsThePage) {
  TPage page;
  page.SetModel(u"Marker", u"@@");
  const size_t end = page.Parse("AB\r\n@x\r\nCD@@EF");
  ASSERT_TRUE(page.ok);
  EXPECT_FALSE(page.pageEnded);
  EXPECT_EQ(end, 12u);
  EXPECT_EQ(page.coder->CodePosition, 10);
  EXPECT_EQ(page.Texts(), (std::vector<std::u16string>{u"AB", u"@x", u"CD"}));
}

TEST(RawPage, BreakBeforeCodeFromStrings) {
  const struct {
    int32_t low, per, feeds;
    bool expected;
  } cases[] = {{60, 0, 61, true}, {60, 0, 60, false}, {60, 66, 130, true}, {60, 66, 126, false}, {0, 0, 200, false}};
  for (const auto& c : cases) {
    TPage page;
    page.Set(u"Strings", c.low | (c.per << 16));
    page.Parse("X" + std::string(static_cast<size_t>(c.feeds), '\n'));
    ASSERT_TRUE(page.ok);
    EXPECT_EQ(page.coder->BreakBeforeCode, c.expected) << c.low << "/" << c.per << "/" << c.feeds;
  }
}

TEST(RawPage, LinesFromLineCharacters) {
  const struct {
    std::string line;
    size_t hLines;
  } cases[] = {{"AB ==== CD", 1}, {"AB - CD", 0}, {"AB -- CD", 1}, {"word-word", 0}};
  for (const auto& c : cases) {
    TPage page;
    page.Parse(c.line + "\r\n");
    ASSERT_TRUE(page.ok);
    EXPECT_EQ(page.coder->HLines->size(), c.hLines) << c.line;
    if (c.hLines == 1) {
      const TRect r = page.coder->HLines->at(0)->Rect;
      EXPECT_EQ(r.Top, r.Bottom);
      EXPECT_EQ(r.Top, 3);  // the middle of the first row (height 6)
    }
  }
}

TEST(RawPage, VerticalBarsJoinIntoOneLine) {
  TPage page;
  page.Parse("A \xB3 B\r\nC \xB3 D\r\nE \xB3 F\r\nG \xB3 H\r\n");
  ASSERT_TRUE(page.ok);
  ASSERT_EQ(page.coder->VLines->size(), 1u);
  const TRect r = page.coder->VLines->at(0)->Rect;
  EXPECT_EQ(r.Left, 2 * 254 + 127);
  EXPECT_EQ(r.Top, 0);
  EXPECT_GE(r.Bottom, 24 + 6 - 1);
  EXPECT_EQ(page.Texts(), (std::vector<std::u16string>{u"A", u"B", u"C", u"D", u"E", u"F", u"G", u"H"}));
}

// Underscores over letters after CR: one line under them, the letters one text, no text for the underscores.
TEST(RawPage, UnderscoresOverprintedAfterCR) {
  TPage page;
  page.Parse("ABC\r___\r\n");
  ASSERT_TRUE(page.ok);
  EXPECT_EQ(page.Texts(), std::vector<std::u16string>{u"ABC"});
  ASSERT_EQ(page.coder->HLines->size(), 1u);
  EXPECT_EQ(page.coder->HLines->at(0)->Rect, (TRect{0, 6, 762, 6}));
  // A later letter wins over an earlier one; a later blank erases nothing.
  page.Parse("ABCD\rX  Y\r\n");
  ASSERT_TRUE(page.ok);
  EXPECT_EQ(page.Texts(), (std::vector<std::u16string>{u"BC", u"X", u"Y"}));
}

TEST(RawPage, CodeInTheUpperPart) {
  TPage page;
  page.Set(u"PicTop", 1);
  page.Parse("L0\nL1\nL2\nL3\n", 0, 2 << 16);
  ASSERT_TRUE(page.ok);
  // Row 12: the first line at or below it is L2 (row 16); the code follows the line feed before it.
  EXPECT_EQ(page.coder->CodePosition, 6);
  EXPECT_FALSE(page.coder->TrimTrail);
}

TEST(RawPage, PagesWithoutText) {
  for (const std::string& stream : {std::string("   \r\n\x1B@  \r\n\f"), std::string(), std::string("\x00\x07", 2)}) {
    TPage page;
    page.Parse(stream);
    EXPECT_FALSE(page.ok);
  }
}

// The code position and the trimmed end follow the byte after a text's last byte, also when a
// code-pitch command sits inside the text.
TEST(RawPage, TextEndWithCodePitchCommand) {
  TPage page;
  page.SetModel(u"CodePitch", u"1B,50=12");  // ESC P
  page.Parse("AB\x1BP" "CD\x1B" "E");
  ASSERT_TRUE(page.ok);
  // The page ends at the stream's end; no line feed, so the code follows "CD" (offset 6), not 0 + 4.
  EXPECT_EQ(page.coder->CodePosition, 6);
}

// A line feed command of two bytes is trimmed whole, and only after the code position.
TEST(RawPage, TrailingTextRemovesWholeLineFeedCommands) {
  TPage page(TModel{u"HP LaserJet", u"300,300,24,\x1B*'"});  // a pin mode: the PCL modes keep everything
  page.Parse("AB\x1B=\x1B=\r\n");
  ASSERT_TRUE(page.ok);
  EXPECT_EQ(page.coder->CodePosition, 2);
  EXPECT_EQ(page.coder->TrailingData, "\r");
}

// A PCL reset at the start of a kept coder's next page does not end that page at once.
TEST(RawPage, PageHoldsTextStartsFalseOnEveryPage) {
  TPage page(kPCL);
  const std::string stream = "\x1B" "EAB\r\n\x1B" "ECD\r\n";
  size_t at = page.Parse(stream);
  ASSERT_TRUE(page.ok);
  EXPECT_EQ(at, 6u);
  EXPECT_FALSE(page.pageEnded);
  page.coder->Reinit();
  at = page.Parse(stream, at);
  ASSERT_TRUE(page.ok);
  EXPECT_EQ(page.Texts(), std::vector<std::u16string>{u"CD"});
  EXPECT_EQ(at, stream.size());
}

TEST(RawPage, TabWidthBelowOneCountsAsOne) {
  TPage page;
  ASSERT_TRUE(page.Load({0, 0, 6.0, 10.0}));
  page.Parse("A\tB\r\n");
  ASSERT_TRUE(page.ok);
  // The next stop of width 1 after column 1 is column 2.
  EXPECT_EQ(page.Texts(), (std::vector<std::u16string>{u"A", u"B"}));
  EXPECT_EQ(page.coder->Texts->at(1)->Rect.Left, 2 * 254);
}

// Unknown codes are counted; more than MaxErrors abandon the page (0, or a limit below 0 from the
// registry, sets none). The state in force is handed back either way.
TEST(RawPage, StateWrittenBackAndErrorsCounted) {
  const struct {
    int32_t maxErrors;
    bool ok;
    int32_t errors;
  } cases[] = {{2, false, 3}, {4, true, 4}, {0, true, 4}, {-1, true, 4}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.maxErrors);
    TPage page(kEscP9);
    page.store.SetInteger(kPrinters, u"MaxErrors", c.maxErrors);
    const size_t end = page.Parse("\x1BM" "AB\x01\x02\x03\x04\r\n");
    EXPECT_EQ(page.ok, c.ok);
    EXPECT_EQ(page.errors, c.errors);
    EXPECT_EQ(page.Logged(u"--> Превышено допустимое количество ошибок интерпретации команд принтера! Выход!"), !c.ok);
    if (!c.ok) {
      EXPECT_EQ(end, page.stream.size());
    }
    EXPECT_EQ(page.state.Pitch, 12.0);
    EXPECT_EQ(page.state.Spacing, 6.0);
    EXPECT_EQ(page.state.TabSize, 8);
  }
}

// An underlined last line without a line feed after it: the code goes to the page's end, which is
// before the form feed that ended the page, so that it stays on its page.
TEST(RawPage, UnderlinedLastLineKeepsTheCodeOnItsPage) {
  TPage page;
  const size_t end = page.Parse("AB\r\n__\fCD");
  ASSERT_TRUE(page.ok);
  EXPECT_EQ(end, 7u);
  EXPECT_EQ(page.coder->CodePosition, 6);  // on the form feed, not after it
  EXPECT_EQ(page.coder->TrailingData, "\f");
}

// Tab sizes and pitches at the ends of their ranges move the point to the page's edge, not past it.
TEST(RawPage, TabStopAtTheLimits) {
  for (const int32_t tabSize : {INT32_MAX, 1 << 30}) {
    TPage page;
    ASSERT_TRUE(page.Load({tabSize, 0, 6.0, 0.0012}));
    page.Parse("A\tB\t\tC\r\n");
    EXPECT_TRUE(page.ok);
  }
}

// The time limit is wall time: a long page read while the clock stands still is no time-out however many
// checks it takes, and a clock that runs past the limit abandons the page with the stream read to its end.
TEST(RawPage, TimeLimitIsWallTime) {
  static uint32_t now = 0;
  static uint32_t step = 0;
  const TTickSource previous = SetTickSource([] { return now += step; });
  std::string longPage;
  while (longPage.size() < 500000) longPage += "\xBA \x8F\xE0\xA8\xA2\xA5\xE2 1234567890 \xBA\r\n";
  const struct {
    uint32_t step;
    bool ok;
  } cases[] = {{0, true}, {10, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.step);
    now = 1000000;
    step = c.step;
    TPage page;
    page.store.SetInteger(kDoc + u"\\Model", u"TimeOut", 1000);
    const size_t end = page.Parse(longPage);
    EXPECT_EQ(page.coder->ModelTimeOut, 1000);
    EXPECT_EQ(page.ok, c.ok);
    EXPECT_EQ(page.Logged(u"--> Timeout error!"), !c.ok);
    EXPECT_EQ(end, longPage.size());
  }
  SetTickSource(previous);
}

// A page read after another on the same coder reuses that page's texts: it must come out exactly as on a
// fresh coder, whatever the texts were left holding (underline, attributes, marks of a model search).
TEST(RawPage, TextsOfAnEarlierPageComeBackAsNew) {
  struct TSeen {
    int32_t ident, endOffset, charWidth, height;
    TRect rect;
    std::u16string text;
    std::string attribute;
    uint8_t underline, special, used;
    bool operator==(const TSeen&) const = default;
  };
  auto seen = [](const TRAWCoder& coder) {
    std::vector<TSeen> out;
    for (const auto& object : *coder.Texts) {
      const auto& t = static_cast<const enumraw2::TText&>(*object);
      out.push_back({t.Ident, t.EndOffset, t.CharWidth, t.Height, t.Rect, t.Text, t.AttributeText, t.Underline, t.Special, t.Used});
    }
    return out;
  };
  const std::string earlier = "\x1B(s3b4099T\x1B&dD" + kFrame + "\x1B&d@\x1B(s17H__ AB  CD\r\nEF\tGH\r\n";
  const std::string later = "XY\r\n" + kFrame;
  TPage fresh(kPCL);
  fresh.Parse(later);
  ASSERT_TRUE(fresh.ok);
  TPage reused(kPCL);
  reused.Parse(earlier);
  ASSERT_TRUE(reused.ok);
  ASSERT_GT(reused.coder->Texts->size(), 3u);
  for (auto& object : *reused.coder->Texts) {
    auto& t = static_cast<enumraw2::TText&>(*object);
    t.Used = t.Special = 1;
    t.Height = 99;
  }
  reused.Parse(later);
  ASSERT_TRUE(reused.ok);
  EXPECT_EQ(seen(*reused.coder), seen(*fresh.coder));
  EXPECT_EQ(reused.Dump(), fresh.Dump());
}

// A later text that ends where an earlier one begins, in another style so that the two are not joined,
// covers none of the earlier one's characters.
TEST(RawPage, OverprintLeftOfAnEarlierTextErasesNothing) {
  const struct {
    std::string stream;
    std::vector<std::u16string> texts;
  } cases[] = {
      {"  CD\r\x1B-\x01" "AB\x1B-\x00\r\n", {u"AB", u"CD"}},    // underlined
      {"  CD\r\x0F" "AB\x12\r\n", {u"AB", u"CD"}},              // condensed: narrower cells
      {"  CD\r\x1B-\x01" "ABX\x1B-\x00\r\n", {u"ABX", u"D"}},  // one cell over the earlier text
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stream);
    TPage page;
    page.Parse(c.stream);
    ASSERT_TRUE(page.ok);
    EXPECT_EQ(page.Texts(), c.texts);
  }
}

// Thousands of texts printed over one place, in every command set: the last print wins and the page
// takes about as long as one of as many plain rows (each case is a few milliseconds, not minutes).
TEST(RawPage, ManyPrintsOverOnePlace) {
  auto times = [](std::string_view piece, size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i) s += piece;
    return s;
  };
  const struct {
    const char* shape;
    std::string stream;
    std::vector<std::u16string> texts;
  } cases[] = {
      {"letter and backspace", times("A\b", 5000) + "B\r\n", {u"B"}},
      {"a line and carriage return", times("ABCDEFGH\r", 1000) + "\n", {u"ABCDEFGH"}},
      // One row's bars make lines too short to keep: they stay text.
      {"bars and carriage return", times("\xB3 \xB3\r", 2500) + "\n", {u"\u00A6 \u00A6"}},
      {"bar and backspace", times("\xB3\b", 5000) + "\r\n", {u"\u00A6"}},
      {"underline and backspace", times("A\b_\b", 2500) + "\r\n", {u"A"}},
      // A text printed before the stack and starting inside it loses the cell the stack covers.
      {"stack over an earlier text", "  CD\r" + times("ABC\b\b\b", 2500) + "\r\n", {u"ABC", u"D"}},
      // A text printed after the stack erases all of it.
      {"later text over a stack", times("XY\b\b", 2500) + "\rABCDEFGH\r\n", {u"ABCDEFGH"}},
  };
  for (const TModel& model : {kEscP24, kEscP9, kPCL, kIBM, kMT}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(WideToUtf8(model.Name) + ": " + c.shape);
      TPage page(model);
      page.Parse(c.stream);
      ASSERT_TRUE(page.ok);
      EXPECT_EQ(page.Texts(), c.texts);
    }
  }
}

// The time limit holds for the whole page: a clock that passes it only after the stream was read, while
// the texts printed over one another are resolved, abandons the page as the stream loop does (time-out
// line, the stream read to its end). One tick less on the clock and the page is parsed.
TEST(RawPage, TimeLimitCoversTheTextAssembly) {
  static uint32_t calls = 0;
  const TTickSource previous = SetTickSource([] { return ++calls; });
  std::string stream;
  for (int i = 0; i < 12000; ++i) stream += "A\b";
  stream += "\r\n";
  size_t end = 0;
  auto parse = [&](int32_t limit) {
    calls = 0;
    auto page = std::make_unique<TPage>();
    page->store.SetInteger(kDoc + u"\\Model", u"TimeOut", limit);
    end = page->Parse(stream);
    return page;
  };
  // Every clock reading is one tick: the last one, elapsed calls - 1, is the walk's over the texts.
  ASSERT_TRUE(parse(INT32_MAX)->ok);
  const auto all = static_cast<int32_t>(calls);
  ASSERT_GT(all, 10);
  const struct {
    int32_t limit;
    bool ok;
  } cases[] = {{all - 1, true}, {all - 2, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.limit);
    const auto page = parse(c.limit);
    EXPECT_EQ(page->ok, c.ok);
    EXPECT_EQ(page->Logged(u"--> Timeout error!"), !c.ok);
    EXPECT_EQ(end, stream.size());
  }
  SetTickSource(previous);
}
