// Payload text: field entries and their character check, the print-server payload, the code-page
// choice of the payload bytes and cuts that keep characters whole.
#include "coding/cl_macrolib_payload.h"

#include <gtest/gtest.h>

#include "foundation/lib_codepage.h"
#include "support/coder_fakes.h"

namespace {

TWideCharSet DefaultCharList() {
  TWideCharSet set;
  ParseWideCharList(set, u"'\"`№%()+-=.,:;/\\0..9A..Za..zА..яЁё\r\n");
  IncludeWideChar(set, u' ');
  IncludeWideChar(set, u'^');
  return set;
}

// A system whose character-set lookup knows every set but DEFAULT_CHARSET, and which can convert
// only what the core's tables hold.
const TPortableCodePages kRussian(1251, 866);

}  // namespace

TEST(FieldEntry, EntriesByTypeWithTheDefaultDelimiters) {
  const TPayloadDelims d;
  const TWideCharSet chars = DefaultCharList();
  struct {
    char16_t type;
    std::u16string label, value, entry, status;
    bool acceptable, invalid;
    const char* why;
  } cases[] = {
      {u'R', u"INN", u"7701", u"INN:7701\t", u"7701", true, false, "labelled entry ends in the field delimiter"},
      {u'o', u"KPP", u"a\tb\tc", u"KPP:a^b^c\t", u"a\tb\tc", true, true,
       "a field delimiter inside the value becomes the lines delimiter (and is reported: TAB is not allowed)"},
      {u'C', u"X", u"", u"", u"", false, false, "an empty value adds nothing"},
      {u'P', u"Сумма", u"1 234,56", u"Сумма:1 234,56\t", u"1 234,56", true, false, "Russian label"},
      {u'L', u"CTX", u"INN:7701\tKPP:1\t", u"INN:7701\tKPP:1\t", u"[... 15 ...]", true, false,
       "a carried value goes unchanged, without label; the log sees only its length"},
      {u'L', u"CTX", u"", u"", u"", false, false, "an empty carried value: empty status, no entry"},
  };
  for (const auto& c : cases) {
    const TFieldEntry e = MakeFieldEntry(c.type, c.label, c.value, chars, d);
    EXPECT_EQ(e.Entry, c.entry) << c.why;
    EXPECT_EQ(e.StatusValue, c.status) << c.why;
    EXPECT_EQ(e.Acceptable, c.acceptable) << c.why;
    EXPECT_EQ(e.HasInvalid, c.invalid) << c.why;
  }
}

TEST(FieldEntry, InvalidCharactersAreListedButTheValueStillEnters) {
  const TWideCharSet chars = DefaultCharList();
  const TFieldEntry e = MakeFieldEntry(u'R', u"INN", u"77#01€", chars, TPayloadDelims{});
  EXPECT_EQ(e.Invalid, u"'#'(0x23), '€'(0xac)") << "the low 8 bits of the code, two hexadecimal digits";
  EXPECT_TRUE(e.HasInvalid);
  EXPECT_EQ(e.Entry, u"INN:77#01€\t");
  EXPECT_EQ(InvalidCharsLogLine(u"INN", u"ИНН", e.Invalid),
            u"    INN - Недопустимые символы в поле \"ИНН\": '#'(0x23), '€'(0xac)");
  EXPECT_EQ(InvalidCharsMessage(u"ИНН", e.Invalid), u"Недопустимые символы в поле \"ИНН\": '#'(0x23), '€'(0xac)");

  EXPECT_EQ(InvalidFieldChars(u"77#01", TWideCharSet{}), u"") << "an empty list disables the check";
  EXPECT_FALSE(MakeFieldEntry(u'L', u"C", u"###", chars, TPayloadDelims{}).HasInvalid) << "carried values are not checked";
}

TEST(DocDataPayload, HexadecimalNumberAndTheParameter) {
  EXPECT_EQ(DocDataPayload(255, std::nullopt, kRussian), u"FF");
  EXPECT_EQ(DocDataPayload(255, u"abc", kRussian), u"FF|abc");
  EXPECT_EQ(DocDataPayload(0, std::nullopt, kRussian), u"0");
  EXPECT_EQ(DocDataPayload(0x00A0B0C0, u"Счёт 中", kRussian), u"A0B0C0|Счёт ?")
      << "the parameter passes the system code page: what it lacks arrives as a question mark";
}

TEST(ConvertPayload, CodePageChoiceAndUtf8Fallback) {
  struct {
    const char* name;
    std::u16string payload;
    uint8_t charset;
    std::string bytes;
    bool utf8, foreign;
    uint8_t charsetOut;
  } cases[] = {
      {"Cyrillic and Latin in 1251 on a 1251 system", u"Счёт No 5", 204, "\xD1\xF7\xB8\xF2 No 5", false, false, 204},
      {"a Chinese letter forces UTF-8", u"Счёт 中", 204, "\xD0\xA1\xD1\x87\xD1\x91\xD1\x82 \xE4\xB8\xAD", true, false, 0},
      {"a letter 1251 lacks is not replaced by a look-alike", u"café", 204, "caf\xC3\xA9", true, false, 0},
      {"OEM character set: 866, a foreign code page named by 255", u"Счёт", 255, "\x91\xE7\xF1\xE2", false, true, 255},
      {"DEFAULT_CHARSET: the lookup fails, the system code page, set 0", u"Счёт", 1, "\xD1\xF7\xB8\xF2", false, false, 0},
      {"ANSI_CHARSET, ASCII only: 1252 bytes are the same", u"INN:77", 0, "INN:77", false, true, 0},
      {"ANSI_CHARSET with é: set 0 cannot name 1252 in the header, so UTF-8", u"café", 0, "caf\xC3\xA9", true, false, 0},
      {"a code page the system cannot convert: the system's", u"Счёт", 128, "\xD1\xF7\xB8\xF2", false, false, 0},
      {"...and UTF-8 when the system's lacks a letter", u"Счёт 中", 128, "\xD0\xA1\xD1\x87\xD1\x91\xD1\x82 \xE4\xB8\xAD",
       true, false, 0},
      {"empty payload", u"", 204, "", false, false, 204},
      {"empty payload in a code page the system cannot convert: nothing, in the system's", u"", 222, "", false, false, 0},
      {"...for every such character set", u"", 128, "", false, false, 0},
  };
  for (const auto& c : cases) {
    uint8_t charset = c.charset;
    const TPayloadBytes b = ConvertPayload(c.payload, charset, kRussian);
    EXPECT_EQ(b.Bytes, c.bytes) << c.name;
    EXPECT_EQ(b.Utf8, c.utf8) << c.name;
    EXPECT_EQ(b.ForeignCodePage, c.foreign) << c.name;
    EXPECT_EQ(charset, c.charsetOut) << c.name;
    EXPECT_EQ(b.CodePage == kCodePageUtf8, c.utf8) << c.name;
  }
}

TEST(CharBoundary, CutsNeverSplitACharacter) {
  const std::string utf8 = "a\xD0\xAF\xE4\xB8\xAD\xF0\x9F\x98\x80z";  // a, Я, 中, an emoji, z
  struct {
    size_t max, expected;
  } cases[] = {{0, 0}, {1, 1}, {2, 1}, {3, 3}, {4, 3}, {5, 3}, {6, 6}, {9, 6}, {10, 10}, {11, 11}, {99, 11}};
  for (const auto& c : cases)
    EXPECT_EQ(CharBoundaryAtOrBelow(utf8, c.max, kCodePageUtf8, kRussian), c.expected) << "at most " << c.max;
  EXPECT_EQ(CharBoundaryAtOrBelow("\xD1\xF7\xB8", 2, 1251, kRussian), 2u) << "single-byte code pages cut anywhere";
  EXPECT_EQ(CharBoundaryAtOrBelow("\x80\x80x", 2, kCodePageUtf8, kRussian), 2u) << "stray continuation bytes count alone";

  struct TDoubleByte : TPortableCodePages {
    bool IsLeadByte(uint32_t, uint8_t b) const override { return b >= 0x81 && b <= 0xFE; }
  } sjis;
  EXPECT_EQ(CharBoundaryAtOrBelow("a\x82\xA0\x82\xA2", 4, 932, sjis), 3u) << "double-byte characters stay whole";
}

TEST(FieldEntry, TheCoderLogsReportsAndRecordsTheStatus) {
  TMemoryStore store;
  TMemoryLogHost host;
  TLogFile log(host, u"C:\\log\\client.log", true);  // field records are kept while the log is held
  auto coder = TCoder::Create(store, u"Cfg", nullptr, 0, &log, TDocIdClass::CreateFromText("AB"));
  coder->CharList = DefaultCharList();
  EXPECT_EQ(coder->PayloadEntry(u'R', u"INN", u"ИНН", u"77#1"), u"INN:77#1\t");
  EXPECT_EQ(coder->PayloadEntry(u'L', u"CTX", u"Контекст", u"A\tB\t"), u"A\tB\t");
  EXPECT_EQ(coder->PayloadEntry(u'O', u"KPP", u"КПП", u""), u"");
  ASSERT_EQ(coder->Errors->Count(), 1);
  EXPECT_EQ(coder->Errors->Get(0), u"Недопустимые символы в поле \"ИНН\": '#'(0x23)");
  const std::vector<TFieldStatus> status = log.FieldStatus();
  ASSERT_EQ(status.size(), 3u);
  EXPECT_EQ(status[0], (TFieldStatus{u"ИНН", u"77#1", true, true}));
  EXPECT_EQ(status[1], (TFieldStatus{u"Контекст", u"[... 4 ...]", false, true}));
  EXPECT_EQ(status[2], (TFieldStatus{u"КПП", u"", false, false}));
}
