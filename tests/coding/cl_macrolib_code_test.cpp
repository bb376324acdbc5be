// Code generation: messages by format letter, size and symbol search, shortening, rows of symbols and
// the failures; natively every code made is read back with zxing-cpp and taken apart as a reader would.
#include "coding/cl_macrolib_code.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "coding/lib_datcoder_check.h"
#include "coding/lib_datcoder_random.h"
#include "coding/lib_datcoder_scramble.h"
#include "coding/lib_graph.h"
#include "foundation/lib_codepage.h"
#include "support/coder_fakes.h"
#include "support/datcoder_decoders.h"

#ifndef _WIN32
#include "coding/aztec_readers.h"
#endif

namespace {

class TFakeHost : public TCodeHost {
 public:
  void Log(std::u16string_view line) override { Lines.emplace_back(line); }
  void LogElapsed(uint32_t) override { Lines.emplace_back(u"<elapsed>"); }
  uint32_t TickCount() override { return 0; }
  void ShowError(std::u16string_view text) override { Boxes.emplace_back(text); }
  std::optional<TCodeCounters> UpdatePageCount() override {
    ++PageCountUpdates;
    return Counters;
  }
  void SaveDebugData(std::string_view data) override { DebugData.emplace_back(data); }
  const TCodePageSystem& CodePages() const override { return pages_; }

  int Count(std::u16string_view line) const { return static_cast<int>(std::count(Lines.begin(), Lines.end(), line)); }

  std::vector<std::u16string> Lines;
  std::vector<std::u16string> Boxes;
  std::vector<std::string> DebugData;
  std::optional<TCodeCounters> Counters;
  int PageCountUpdates = 0;

 private:
  TPortableCodePages pages_{1251, 866};
};

std::string Cp1251(std::u16string_view text) { return EncodeCodePage(text, kCodePage1251); }

std::u16string Repeat(std::u16string_view unit, size_t n) {
  std::u16string s;
  while (s.size() < n) s += unit;
  return s.substr(0, n);
}

// A made code taken apart as a reader would: the header, and the payload bytes behind the transform.
struct TReadBack {
  std::string Header;
  std::string Payload;
  bool Ok = false;
};

std::string TextHeader(std::string_view tag, std::string_view id, std::string version, char letter,
                       std::string_view counters = {}) {
  return std::string(tag) + std::string(id) + version + letter + std::string(counters) + "\t";
}

// Letters C, D, E, G, H and I: header, 4-byte seed, transformed payload.
TReadBack ReadScrambled(const std::string& message, size_t headerLength, char letter, const std::string& table) {
  TReadBack r;
  if (message.size() < headerLength + 4) return r;
  r.Header = message.substr(0, headerLength);
  const std::string body = message.substr(headerLength);
  std::optional<std::string> p =
      letter == 'C' || letter == 'D' ? AdditiveUnscramble(body) : ClassUnscramble(body, table);
  r.Ok = p.has_value();
  if (p) r.Payload = *p;
  return r;
}

// One code's input: the request with the code format and delimiters a coder lends it.
struct TCodeInput {
  TCodeRequest Request;
  TCodeFormat Format;
  TCodeDelimiters Delims;
};

TCodeInput Request(std::u16string payload, char letter) {
  TCodeInput q;
  q.Request.Payload = std::move(payload);
  q.Request.DocTypeId = "TS";
  q.Format.FormatLetter = letter;
  q.Format.AppEndHdr = "";
  return q;
}

// A shortened payload: the beginning of the request's payload, then the field delimiter and the
// truncation mark.
void ExpectShortened(const TReadBack& back, const TCodeInput& q, bool utf8) {
  const std::string mark = q.Delims.FieldDelim + q.Delims.LabelTrunc;
  ASSERT_GE(back.Payload.size(), mark.size());
  EXPECT_EQ(back.Payload.substr(back.Payload.size() - mark.size()), mark) << "a shortened payload ends in the mark";
  const std::string kept = back.Payload.substr(0, back.Payload.size() - mark.size());
  EXPECT_FALSE(kept.empty()) << "something of the payload is kept";
  const std::string full = utf8 ? WideToUtf8(q.Request.Payload) : Cp1251(q.Request.Payload);
  EXPECT_EQ(full.compare(0, kept.size(), kept), 0) << "what is kept is the payload's beginning";
  if (utf8) {
    EXPECT_EQ(WideToUtf8(Utf8ToWide(kept)), kept) << "no character was split";
  }
}

TCodeResult Make(const TCodeInput& in, TAztCoder& enc, std::string& table, TCodeHost& host) {
  return MakeCodePicture(in.Request, in.Format, in.Delims, enc, table, host);
}

// Every symbol of a made picture, in reading order (rows top down, left to right).
struct TSymbolPlace {
  int X, Y;
};

#ifndef _WIN32
using namespace aztec_readers;

std::vector<std::string> ReadSymbols(const TCodeResult& r, const TAztCoder& enc, bool rotated = false) {
  const int s = enc.SymbolSize(), g = enc.Gap(), n = enc.SymbolCount();
  const TPictureSize size{r.PictureWidth, r.PictureHeight};
  std::vector<std::vector<uint8_t>> images;
  if (rotated) {
    images.push_back(SymbolImage(r.Picture, size, 0, size.Width));
  } else {
    const int perRow = (r.PictureWidth + g) / (s + g);
    for (int k = 0; k < n; ++k) {
      const int x = (k % perRow) * (s + g), y = (k / perRow) * (s + g);
      TMonoPicture row;
      PutMonoBitmap(row, {size.Width, s}, r.Picture, 0, y, size);
      images.push_back(SymbolImage(row, {size.Width, s}, x, s));
    }
  }
  TTempDir dir;
  std::vector<std::string> out;
  for (const TDecoded& d : ZxingDecode(dir, images)) out.push_back(d.Found ? d.Bytes : "<not read>");
  return out;
}

std::string Joined(const std::vector<std::string>& parts) {
  std::string s;
  for (const std::string& p : parts) s += p;
  return s;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLatin(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The symbols' contents in order make the message. zxing-cpp reads a GS character (1D) that opens a
// symbol, or follows one letter or two digits there, as the AIM "FNC1 in first or second position"
// mark and leaves it out of the bytes; that GS alone may be missing from a symbol that starts a part.
bool ReadsAs(const std::vector<std::string>& parts, const std::string& message) {
  size_t pos = 0;
  for (const std::string& part : parts) {
    if (message.compare(pos, part.size(), part) == 0) {
      pos += part.size();
      continue;
    }
    bool matched = false;
    for (size_t j = 0; j <= 2 && !matched; ++j) {
      if (pos + j >= message.size() || message[pos + j] != '\x1D') continue;
      const bool aim = j == 0 || (j == 1 && IsLatin(message[pos])) ||
                       (j == 2 && IsDigit(message[pos]) && IsDigit(message[pos + 1]));
      const std::string without = message.substr(pos, j) + message.substr(pos + j + 1, part.size() - j);
      matched = aim && part.size() >= j && without == part;
    }
    if (!matched) return false;
    pos += part.size() + 1;
  }
  return pos == message.size();
}
#endif

}  // namespace

// The table of payloads x letters x size settings: each code is read back and taken apart.
TEST(MakeCode, ReadBackByLetterAndSize) {
  const std::u16string russian = u"ИНН:7701234567\tПокупатель:ООО \"Ромашка\"\tСумма:1 234,56\t";
  const std::u16string withYa = u"Счёт:15\tДата:12.03.2024\tПодпись:Зоя\t";
  struct TCase {
    const char* name;
    TCodeInput q;
    std::string header;       // expected header
    std::string payload;      // expected payload bytes (before LabelEnd or the truncation mark)
    bool truncated = false;
    int symbols = 1;
  };
  auto q = [](std::u16string p, char letter, auto&&... set) {
    TCodeInput r = Request(std::move(p), letter);
    (set(r), ...);
    return r;
  };
  auto compact = [](int lo, int hi) { return [=](TCodeInput& r) { r.Format.IsCompact = 1; r.Format.Layers = {int16_t(lo), int16_t(hi)}; }; };
  auto full = [](int lo, int hi) { return [=](TCodeInput& r) { r.Format.Layers = {int16_t(lo), int16_t(hi)}; }; };
  auto unicode = [](uint8_t cs) { return [=](TCodeInput& r) { r.Format.Unicode = 1; r.Request.Charset = cs; }; };
  auto symbols = [](int lo, int hi, int rows, int follow) {
    return [=](TCodeInput& r) {
      r.Format.Symbols = {int16_t(lo), int16_t(hi)};
      r.Format.SymLines = {int16_t(rows), int16_t(follow)};
      r.Format.SymOffsets = 2;
    };
  };
  const std::string aqx = "AQXTS260";
  const std::string utf8Tag = std::string("ABWTS26") + '\0';
  std::vector<TCase> cases = {
      {"E, Latin, default size", q(u"INN:7701\t", 'E'), TextHeader("AQX", "TS", "260", 'E'), "INN:7701\t"},
      {"E, Russian in the system code page", q(russian, 'E', full(1, 3)), TextHeader("AQX", "TS", "260", 'E'),
       Cp1251(russian)},
      {"E, Unicode 204, Russian stays 1251", q(russian, 'E', unicode(204)), TextHeader("AQX", "TS", "260", 'E'),
       Cp1251(russian)},
      {"E, Unicode 204, a letter 1251 lacks: UTF-8", q(u"Товар:Чай 中国\t", 'E', unicode(204)),
       utf8Tag + "E\t", WideToUtf8(u"Товар:Чай 中国\t")},
      {"C, Latin", q(u"A:1\tB:2\t", 'C', full(2, 0)), TextHeader("AQX", "TS", "260", 'C'), "A:1\tB:2\t"},
      {"D, Russian with я (byte FF in 1251) goes as UTF-8", q(withYa, 'D'), utf8Tag + "D\t", WideToUtf8(withYa)},
      {"H, counters of the context", q(u"N:1\t", 'H'), TextHeader("AQX", "TS", "260", 'H', "0302WXYZ"), "N:1\t"},
      {"G, one symbol enough", q(u"N:1\t", 'G', compact(3, 1), symbols(1, 3, 1, 0)),
       TextHeader("AQX", "TS", "260", 'G'), "N:1\t"},
      {"G, split over symbols in 2 rows", q(Repeat(u"Поз:12 шт по 4,50\t", 300), 'G', compact(4, 0), symbols(2, 8, 2, 0)),
       TextHeader("AQX", "TS", "260", 'G'), Cp1251(Repeat(u"Поз:12 шт по 4,50\t", 300)), false, -1},
      {"I, split, rows follow the count", q(Repeat(u"Item:7 x 1.25\t", 200), 'I', compact(2, 2), symbols(1, 9, 3, 1)),
       TextHeader("AQX", "TS", "260", 'I', "0302WXYZ"), Cp1251(Repeat(u"Item:7 x 1.25\t", 200)), false, -1},
      {"E, shortened at the largest layer count", q(Repeat(u"Строка:12345\t", 400), 'E', full(2, 3)),
       TextHeader("AQX", "TS", "260", 'E'), "", true},
      {"E, UTF-8 payload shortened on a character boundary",
       q(Repeat(u"Чай 中国 ", 400), 'E', full(3, 1), unicode(204)), utf8Tag + "E\t", "", true},
      {"G, shortened after the symbols ran out", q(Repeat(u"Zeile:1\t", 600), 'G', compact(2, 1), symbols(1, 2, 1, 0)),
       TextHeader("AQX", "TS", "260", 'G'), "", true, -1},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TFakeHost host;
    host.Counters = TCodeCounters{3, 2, {'W', 'X', 'Y', 'Z'}};
    TAztCoder enc;
    std::string table;
    const TCodeResult r = Make(c.q, enc, table, host);
    ASSERT_TRUE(r.Ok) << r.Error;
    EXPECT_EQ(r.Truncated, c.truncated);
    EXPECT_EQ(host.Count(u"  Символика усечена!"), c.truncated ? 1 : 0);
    EXPECT_TRUE(host.Boxes.empty());
    if (c.symbols > 0) {
      EXPECT_EQ(enc.SymbolCount(), c.symbols);
    } else {
      EXPECT_GT(enc.SymbolCount(), 1) << "split over several symbols";
    }
    const TReadBack back = ReadScrambled(enc.Data(), c.header.size(), c.q.Format.FormatLetter, table);
    ASSERT_TRUE(back.Ok);
    EXPECT_EQ(back.Header, c.header);
    const std::string& end = c.q.Delims.LabelEnd;
    if (!c.truncated) {
      EXPECT_EQ(back.Payload, c.payload + end);
    } else {
      ExpectShortened(back, c.q, c.header.compare(0, 3, "ABW") == 0);
    }
#ifndef _WIN32
    const std::vector<std::string> read = ReadSymbols(r, enc);
    for (size_t k = 0; k < read.size(); ++k) EXPECT_NE(read[k], "<not read>") << "symbol " << k + 1;
    EXPECT_TRUE(ReadsAs(read, enc.Data())) << "zxing-cpp reads exactly the message, header included";
#endif
  }
}

TEST(MakeCode, CompressedLettersReadBack) {
  const std::u16string payload = Repeat(u"Наименование:Болт М8\tКол:100\t", 240);
  const std::string p = Cp1251(payload) + "-";
  struct {
    char letter;
    std::string headerStart;
    int checkBytes, lengthBytes;
    bool scrambled;
  } cases[] = {
      {'L', "AQXTS401L\t", 0, 2, false}, {'M', "AQXTS401M\t", 4, 2, false}, {'N', "AQXTS401N\t", 4, 2, true},
      {'O', "AQXTS401O0101WXYZ\t", 2, 2, true}, {'S', "STS", 2, 2, false}, {'s', "sTS", 1, 1, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(1, c.letter));
    TFakeHost host;
    host.Counters = TCodeCounters{3, 2, {'W', 'X', 'Y', 'Z'}};
    TCodeInput q = Request(c.letter == 's' ? payload.substr(0, 200) : payload, c.letter);
    q.Format.Layers = {4, 10};
    TAztCoder enc;
    std::string table;
    const TCodeResult r = Make(q, enc, table, host);
    ASSERT_TRUE(r.Ok) << r.Error;
    const std::string& m = enc.Data();
    ASSERT_EQ(m.compare(0, c.headerStart.size(), c.headerStart), 0);
    const size_t h = c.headerStart.size() + c.checkBytes;
    std::string body = m.substr(h);
    uint32_t check = 0;
    for (int i = 0; i < c.checkBytes; ++i) check |= uint32_t(uint8_t(m[c.headerStart.size() + i])) << (8 * i);
    const uint8_t mode = c.checkBytes == 4 ? 3 : c.checkBytes == 2 ? 2 : c.checkBytes;
    if (c.checkBytes) {
      EXPECT_EQ(ComputeCheck(body, mode), check) << "the check covers the body";
    }
    if (c.scrambled) {
      std::string classTable;
      BuildClassTable(classTable);
      body = *ClassUnscramble(body, classTable);
    }
    const std::string expected = c.letter == 's' ? Cp1251(payload.substr(0, 200)) + "-" : p;
    size_t length = 0;
    for (int i = 0; i < c.lengthBytes; ++i) length |= size_t(uint8_t(body[i])) << (8 * i);
    EXPECT_EQ(length, expected.size() & (c.lengthBytes == 1 ? 0xFF : 0xFFFF));
    EXPECT_EQ(LzhDecompress(body.substr(c.lengthBytes), expected.size()).value_or("<not decompressed>"), expected);
#ifndef _WIN32
    EXPECT_TRUE(ReadsAs(ReadSymbols(r, enc), m));
#endif
  }
}

// The boundary pair: the longest payload that fits a symbol, and one character more, which is shortened.
TEST(MakeCode, JustFitsAndOneMoreIsShortened) {
  const TFixedSeeds fixed;
  TFakeHost host;
  TAztCoder enc;
  std::string table;
  auto make = [&](size_t n) {
    TCodeInput q = Request(Repeat(u"0123456789", n), 'E');
    q.Format.IsCompact = 1;
    q.Format.Layers = {2, 0};
    return Make(q, enc, table, host);
  };
  // Substitution keeps digits digits, so the cost of a length does not depend on the seed.
  size_t n = 1;
  while (!make(n + 1).Truncated) ++n;
  ASSERT_GT(n, 10u);
  EXPECT_FALSE(make(n).Truncated) << n << " digits fit";
  EXPECT_TRUE(make(n + 1).Truncated) << n + 1 << " digits are shortened";
#ifndef _WIN32
  const TCodeResult fits = make(n);
  ASSERT_TRUE(fits.Ok);
  const TReadBack back = ReadScrambled(Joined(ReadSymbols(fits, enc)), TextHeader("AQX", "TS", "260", 'E').size(), 'E', table);
  EXPECT_EQ(back.Payload, Cp1251(Repeat(u"0123456789", n)) + "-");
  const TCodeResult more = make(n + 1);
  ASSERT_TRUE(more.Ok);
  EXPECT_TRUE(ReadsAs(ReadSymbols(more, enc), enc.Data()));
#endif
}

TEST(MakeCode, LayersGrowToTheLimitThenThePayloadIsShortened) {
  TFakeHost host;
  TAztCoder enc;
  std::string table;
  TCodeInput q = Request(Repeat(u"Позиция:1 Болт М8 100 шт\t", 3000), 'E');  // default Layers 16 + 2
  TCodeResult r = Make(q, enc, table, host);
  ASSERT_TRUE(r.Ok) << r.Error;
  EXPECT_EQ(enc.SizeMode(), 218);
  EXPECT_TRUE(r.Truncated);
  const std::string header = TextHeader("AQX", "TS", "260", 'E');
  const TReadBack back = ReadScrambled(enc.Data(), header.size(), 'E', table);
  ASSERT_TRUE(back.Ok);
  EXPECT_EQ(back.Header, header);
  ExpectShortened(back, q, false);
  EXPECT_EQ(host.Count(u"  Символика усечена!"), 1);

  host.Lines.clear();
  q.Request.Payload = u"INN:7701\t";
  r = Make(q, enc, table, host);
  ASSERT_TRUE(r.Ok);
  EXPECT_EQ(host.Count(u"  Символика усечена!"), 0) << "the next code that fits logs no truncation";
  EXPECT_EQ(enc.SizeMode(), 216);
}

TEST(MakeCode, LetterCCutsWithoutMarkAndLogsWhatWasCut) {
  TFakeHost host;
  TAztCoder enc;
  std::string table;
  TCodeInput q = Request(Repeat(u"ABCDEFGH", 400), 'C');
  q.Format.IsCompact = 1;
  q.Format.Layers = {3, 5};
  const TCodeResult r = Make(q, enc, table, host);
  ASSERT_TRUE(r.Ok) << r.Error;
  EXPECT_FALSE(r.Truncated);
  EXPECT_EQ(host.Count(u"  Символика усечена!"), 0);
  EXPECT_EQ(enc.SizeMode(), 103) << "letter C tries the start size only";
  const std::string header = TextHeader("AQX", "TS", "260", 'C');
  const TReadBack back = ReadScrambled(enc.Data(), header.size(), 'C', table);
  ASSERT_TRUE(back.Ok);
  EXPECT_EQ(back.Header, header);
  EXPECT_GT(back.Payload.size(), 0u);
  EXPECT_EQ(Cp1251(Repeat(u"ABCDEFGH", 400)).compare(0, back.Payload.size(), back.Payload), 0);
  // The payload and its end label, less what the code carries.
  const size_t cut = 400 + q.Delims.LabelEnd.size() - back.Payload.size();
  const std::string line = "  Символика типа \"TS\" не вмещает данные, отрезано байт: " + std::to_string(cut);
  EXPECT_EQ(host.Count(Utf8ToWide(line)), 1);
#ifndef _WIN32
  EXPECT_TRUE(ReadsAs(ReadSymbols(r, enc), enc.Data()));
#endif
  // A payload that fits says nothing of a cut.
  host.Lines.clear();
  q.Request.Payload = u"INN:7701\t";
  ASSERT_TRUE(Make(q, enc, table, host).Ok);
  EXPECT_TRUE(std::none_of(host.Lines.begin(), host.Lines.end(),
                           [](const std::u16string& l) { return l.find(u"отрезано") != std::u16string::npos; }));
}

// Settings that could loop, divide by zero or draw a wrong code end in a failure or a sound code.
TEST(MakeCode, FailuresAndOddSettingsAlwaysEnd) {
  struct TCase {
    const char* name;
    TCodeInput q;
    bool ok;
  };
  auto with = [](char letter, auto set) {
    TCodeInput q = Request(u"INN:7701234567\tKPP:770101001\t", letter);
    set(q);
    return q;
  };
  std::vector<TCase> cases = {
      {"letter P makes no code", with('P', [](TCodeInput&) {}), false},
      {"letter F makes no code", with('F', [](TCodeInput&) {}), false},
      {"the NUL letter makes no code", with('\0', [](TCodeInput&) {}), false},
      {"start layers 0", with('E', [](TCodeInput& q) { q.Format.Layers = {0, 4}; }), false},
      {"compact start layers 5", with('E', [](TCodeInput& q) { q.Format.IsCompact = 1; q.Format.Layers = {5, 0}; }), false},
      {"negative start layers would pick an automatic size", with('E', [](TCodeInput& q) { q.Format.Layers = {-150, 0}; }), false},
      {"E: not even the header fits: shortening ends", with('E', [](TCodeInput& q) {
         q.Format.IsCompact = 1; q.Format.Layers = {1, 0}; q.Format.ECP = 90; }), false},
      {"C: the cut would cut the header", with('C', [](TCodeInput& q) {
         q.Format.IsCompact = 1; q.Format.Layers = {1, 0}; q.Format.ECP = 85; }), false},
      {"ECP 100 leaves no capacity", with('E', [](TCodeInput& q) { q.Format.ECP = 100; }), false},
      {"growth past 4 compact layers stops at 4",
       with('E', [](TCodeInput& q) { q.Format.IsCompact = 1; q.Format.Layers = {3, 9}; q.Request.Payload = Repeat(u"Z", 400); }), true},
      {"growth past 32 layers stops at 32", with('E', [](TCodeInput& q) { q.Format.Layers = {30, 20}; }), true},
      {"symbol limit above 26", with('G', [](TCodeInput& q) {
         q.Format.IsCompact = 1; q.Format.Layers = {3, 1}; q.Format.Symbols = {1, 60}; q.Request.Payload = Repeat(u"Строка 1\t", 4000); }), true},
      {"rows 0, symbols 0", with('G', [](TCodeInput& q) { q.Format.Symbols = {0, 0}; q.Format.SymLines = {0, 0}; }), true},
      {"rows 0 that follow the count", with('G', [](TCodeInput& q) { q.Format.Symbols = {2, 2}; q.Format.SymLines = {0, 1}; }), true},
      {"rows that sum to 0", with('I', [](TCodeInput& q) { q.Format.Symbols = {2, 2}; q.Format.SymLines = {1, -1}; }), true},
      {"negative rows and symbols", with('G', [](TCodeInput& q) { q.Format.Symbols = {-3, -4}; q.Format.SymLines = {-2, 5}; }), true},
      {"a huge gap", with('G', [](TCodeInput& q) { q.Format.Symbols = {2, 0}; q.Format.SymOffsets = 1 << 30; }), true},
      {"O without context", with('O', [](TCodeInput&) {}), true},
      {"S, a long payload is beyond its length field", with('s', [](TCodeInput& q) {
         q.Request.Payload = Repeat(u"x", 300); q.Format.Layers = {10, 0}; }), false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TFakeHost host;
    TAztCoder enc;
    std::string table;
    const TCodeResult r = Make(c.q, enc, table, host);
    EXPECT_EQ(r.Ok, c.ok) << r.Error;
    if (c.ok) {
      EXPECT_GT(r.PictureWidth, 0);
      EXPECT_GT(r.PictureHeight, 0);
      EXPECT_EQ(static_cast<int64_t>(r.Picture.size()), PictureByteSize({r.PictureWidth, r.PictureHeight}));
      EXPECT_TRUE(host.Boxes.empty());
    } else {
      EXPECT_FALSE(r.Error.empty());
      EXPECT_TRUE(r.Picture.empty()) << "no stale or partial picture";
      EXPECT_EQ(host.Count(u"  Ошибка в параметрах!"), 1);
      ASSERT_EQ(host.Boxes.size(), 1u);
      EXPECT_EQ(host.Boxes[0], u"Графический код не сформирован.\r\nОшибка формирования символики.");
    }
  }
}

TEST(MakeCode, EmptyPayloadAndFilteredDocument) {
  TFakeHost host;
  TAztCoder enc;
  std::string table;
  TCodeResult r = Make(Request(u"", 'E'), enc, table, host);
  EXPECT_FALSE(r.Ok);
  EXPECT_FALSE(r.Started) << "the caller keeps its picture";
  EXPECT_TRUE(host.Lines.empty() && host.Boxes.empty()) << "silently";
  EXPECT_EQ(host.PageCountUpdates, 0);

  TCodeInput q = Request(u"INN:1\t", 'P');
  q.Request.State = 2;
  r = Make(q, enc, table, host);
  EXPECT_TRUE(r.Ok);
  EXPECT_EQ(r.PictureWidth, 2);
  EXPECT_EQ(r.PictureHeight, 2);
  EXPECT_EQ(r.Picture, std::vector<uint8_t>(2, 0)) << "all light, whatever the letter";
  EXPECT_EQ(host.Lines, std::vector<std::u16string>{u"Формирование символики: \"P\""});
  EXPECT_EQ(host.PageCountUpdates, 0);
}

TEST(MakeCode, RotationDebugDataAndLog) {
  TFakeHost host;
  TAztCoder enc;
  std::string table;
  TCodeInput q = Request(u"INN:7701\t", 'G');
  q.Format.IsCompact = 1;
  q.Format.Layers = {2, 0};
  q.Format.Symbols = {2, 0};
  q.Format.SymOffsets = 1;
  q.Format.Rotated = 1;
  q.Request.Debug = true;
  const TCodeResult r = Make(q, enc, table, host);
  ASSERT_TRUE(r.Ok) << r.Error;
  EXPECT_EQ(enc.PictureWidth(), 39);
  EXPECT_EQ(r.PictureWidth, 19) << "39 by 19 turned is 19 by 39";
  EXPECT_EQ(r.PictureHeight, 39);
  ASSERT_EQ(host.DebugData.size(), 1u);
  EXPECT_EQ(host.DebugData[0], enc.Data());
  EXPECT_EQ(host.PageCountUpdates, 1);
  EXPECT_EQ(host.Lines, (std::vector<std::u16string>{u"Формирование символики: \"G\"", u"<elapsed>"}));
}

TEST(MakeCode, MessageIdentifier) {
  const std::string id = MessageIdFromText("AB1");
  ASSERT_EQ(id.size(), 3u);
  EXPECT_EQ(id.substr(0, 2), "AB");
  EXPECT_TRUE(id[2] >= 'A' && id[2] <= 'Z');
  EXPECT_EQ(MessageIdFromText(""), "");
  const std::string stars = MessageIdFromText("***");
  EXPECT_TRUE(std::all_of(stars.begin(), stars.end(), [](char c) { return c >= 'A' && c <= 'Z'; }));
}

// Rows of symbols, on a strip of five 3-module symbols (gap 1) each marked by its own pattern.
TEST(MakeCode, SymbolRows) {
  const int s = 3, g = 1, n = 5;
  const TPictureSize strip{n * (s + g) - g, s};
  std::vector<uint8_t> picture(static_cast<size_t>(PictureByteSize(strip)), 0);
  auto set = [](std::vector<uint8_t>& p, int width, int x, int y) { p[y * ((width + 7) / 8) + x / 8] |= 0x80 >> (x % 8); };
  for (int k = 0; k < n; ++k)
    for (int y = 0; y < s; ++y) set(picture, strip.Width, k * (s + g) + (y + k) % s, y);
  auto ascii = [](const std::vector<uint8_t>& p, int w, int h) {
    std::string a;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) a += (p[y * ((w + 7) / 8) + x / 8] >> (7 - x % 8)) & 1 ? '#' : '.';
      a += '\n';
    }
    return a;
  };
  int w = 0, h = 0;
  const std::vector<uint8_t> rows = ArrangeSymbolRows(picture, n, s, g, 3, w, h);
  EXPECT_EQ(w, 11);
  EXPECT_EQ(h, 7);
  EXPECT_EQ(ascii(rows, w, h),
            "#....#....#\n"
            ".#....#.#..\n"
            "..#.#....#.\n"
            "...........\n"
            "#....#.....\n"
            ".#....#....\n"
            "..#.#......\n")
      << "three symbols a row; the second row holds two at the left";
  const std::vector<uint8_t> one = ArrangeSymbolRows(picture, n, s, g, 5, w, h);
  EXPECT_EQ(one, picture) << "one row is the strip";
  ArrangeSymbolRows(picture, n, s, g, 1, w, h);
  EXPECT_EQ(w, 3);
  EXPECT_EQ(h, 19);
}

// The coder's own call: the type's code format from the store, the context's counters in the header,
// the log lines, and the picture replaced (or emptied on a failure).
TEST(CoderMakeCode, FromTheTypeSettings) {
  TMemoryStore store;
  store.SetText(u"Cfg\\AB\\Format", u"Version", u"H");
  store.SetInteger(u"Cfg\\AB\\Code", u"Layers", 3);
  TMemoryContextHost contextHost;
  TContext context(contextHost, u"P1");
  context.PageNo = 2;
  context.DocumentId = {'1', '2', '3', '4'};
  TMemoryLog log;
  TRecordingServices services;
  auto coder = TCoder::Create(store, u"Cfg", &context, 0, &log.file, TDocIdClass::CreateFromText("AB"));
  ASSERT_TRUE(coder->LoadParam());
  coder->CodeServices = &services;
  coder->Payload = u"ИНН:7701\t";
  log.Lines.clear();
  ASSERT_TRUE(coder->MakeCode(204));
  EXPECT_EQ(context.PageCount, 2) << "no new context: the last page, its number is the count";
  const std::string header = TextHeader("AQX", "AB", "260", 'H', "0202" "1234");
  EXPECT_EQ(coder->AztCoder->Data().substr(0, header.size()), header);
  EXPECT_EQ(coder->AztCoder->SizeMode(), 203);
  EXPECT_EQ(coder->PictureWidth, 27);
  EXPECT_EQ(coder->PictureHeight, 27);
  EXPECT_EQ(coder->Picture, coder->AztCoder->Picture());
  EXPECT_EQ(coder->SubstTable.size(), kClassTableSize) << "built on first use and kept";
  ASSERT_EQ(log.Lines.size(), 2u);
  EXPECT_EQ(log.Lines[0], u"Формирование символики: \"H\"");
  EXPECT_EQ(log.Lines[1].rfind(u"- время выполнения: ", 0), 0u);
  EXPECT_TRUE(services.Boxes.empty());

  coder->Payload.clear();
  EXPECT_FALSE(coder->MakeCode(204));
  EXPECT_EQ(coder->PictureWidth, 27) << "an empty payload leaves the picture";

  coder->Payload = u"X:1\t";
  coder->Format.FormatLetter = 'P';
  EXPECT_FALSE(coder->MakeCode(204));
  EXPECT_TRUE(coder->Picture.empty()) << "a failed code leaves no picture to print";
  EXPECT_EQ(coder->PictureWidth, 0);
  EXPECT_EQ(services.Boxes, std::vector<std::u16string>{std::u16string(kCodeErrorText)});
  EXPECT_EQ(log.Lines.back(), u"  Ошибка в параметрах!");
}

TEST(CoderMakeCode, PrintServerPayload) {
  TMemoryStore store;
  TMemoryLog log;
  auto coder = TCoder::Create(store, u"Cfg", nullptr, 0, &log.file, TDocIdClass::CreateFromText("@@"));
  coder->State = 1;
  ASSERT_TRUE(coder->ProcessDocData(255));
  EXPECT_EQ(coder->Payload, u"FF");
  EXPECT_EQ(coder->State, 0);
  coder->NamedParams->AddObject(u"DocData", std::make_unique<TNamedParam>(u"abc 中"));
  ASSERT_TRUE(coder->ProcessDocData(255));
  EXPECT_EQ(coder->Payload, u"FF|abc ?") << "names compare without case; the value passes the system code page";
  const std::vector<std::u16string> tail(log.Lines.end() - 2, log.Lines.end());
  EXPECT_EQ(tail, (std::vector<std::u16string>{u"  Обработка полей", u"OK!"}));
}
