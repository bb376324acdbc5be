// Payload message codec: profiles, header bytes, bodies read back as a reader would, splitting, and
// the payloads a format cannot carry.
#include <gtest/gtest.h>

#include <string>

#include "coding/lib_datcoder_check.h"
#include "coding/lib_datcoder_scramble.h"
#include "coding/msgcodec.h"
#include "support/datcoder_decoders.h"
#include "support/datcoder_payloads.h"

namespace {

uint32_t Le(const std::string& s, size_t at, int n) {
  uint32_t v = 0;
  for (int i = 0; i < n; ++i) v |= static_cast<uint32_t>(static_cast<unsigned char>(s[at + i])) << (8 * i);
  return v;
}

struct TCodecFixture : ::testing::Test {
  TMessageCodec codec;
  void Prepare(char letter, const std::string& payload) {
    codec.SetProfile(letter);
    codec.DocId.SetText("AB");
    codec.SetData(payload);
  }
};

TEST(MessageCodecProfiles, Table) {
  struct {
    char letter;
    int scramble, compress, check, headerMode;
    char formatLetter;
    bool known;
  } cases[] = {
      {'\0', 0, 0, 0, 1, '\0', true}, {'1', 0, 0, 0, 1, '1', true}, {'7', 0, 0, 0, 1, '7', true},
      {'C', 2, 0, 0, 1, 'C', true},   {'E', 3, 0, 0, 1, 'E', true}, {'K', 3, 0, 0, 1, 'K', true},
      {'F', 5, 0, 0, 1, 'F', true},   {'I', 3, 0, 0, 1, 'I', true}, {'L', 0, 1, 0, 1, 'L', true},
      {'M', 0, 1, 3, 1, 'M', true},   {'N', 3, 1, 3, 1, 'N', true}, {'O', 3, 1, 2, 1, 'O', true},
      {'Q', 0, 2, 2, 1, 'Q', true},   {'R', 3, 2, 2, 1, 'R', true}, {'S', 0, 1, 2, 4, 'E', true},
      {'s', 0, 1, 1, 3, 'E', true},   {'P', 0, 0, 0, 1, 'P', false}, {'l', 0, 0, 0, 1, 'l', false},
  };
  for (const auto& c : cases) {
    TMessageCodec codec;
    codec.SetProfile(c.letter);
    EXPECT_EQ(codec.ScrambleMode, c.scramble) << c.letter;
    EXPECT_EQ(codec.CompressMode, c.compress) << c.letter;
    EXPECT_EQ(codec.CheckMode, c.check) << c.letter;
    EXPECT_EQ(codec.HeaderMode, c.headerMode) << c.letter;
    EXPECT_EQ(codec.FormatLetter, c.formatLetter) << c.letter;
    EXPECT_EQ(codec.ProfileKnown, c.known) << c.letter;
  }
}

TEST(MessageCodecProfiles, UnknownLetterKeepsModesAndTextLetterAfterShortHeaderGetsTextHeader) {
  TMessageCodec codec;
  codec.SetProfile('N');
  codec.SetProfile('Z');
  EXPECT_EQ(codec.ScrambleMode, 3);
  EXPECT_EQ(codec.CheckMode, 3);
  codec.SetProfile('s');
  codec.SetProfile('L');
  EXPECT_EQ(codec.HeaderMode, 1) << "an L message under an \"s\" header would be misread";
}

TEST_F(TCodecFixture, TextHeaderFields) {
  struct {
    char letter;
    bool utf8, foreign;
    uint8_t charset;
    uint16_t total, index;
    std::string expected;
    const char* why;
  } cases[] = {
      {'E', false, false, 0, 1, 1, "AQXAB260E\t", "plain text header"},
      {'L', false, false, 0, 1, 1, "AQXAB401L\t", "version 4 letter"},
      {'E', true, false, 0, 1, 1, std::string("ABWAB26\0E\t", 10), "UTF-8 payload: charset byte 0"},
      {'L', true, false, 0, 1, 1, std::string("ABWAB40\0L\t", 10), "UTF-8, version 4"},
      {'E', false, true, 0, 1, 1, "AQXAB260E\t", "foreign code page without charset"},
      {'E', false, true, 204, 1, 1, "ABWAB26\xCC" "E\t", "foreign code page 1251"},
      {'H', false, false, 0, 35, 1, std::string("AQXAB260H0Z01\x11\x22\x33\x44\t", 18), "counters"},
      {'7', false, false, 0, 1296, 1295, std::string("AQXAB2607" "00ZZ\x11\x22\x33\x44\t", 18),
       "counters wrap at 1296"},
  };
  for (const auto& c : cases) {
    TMessageCodec codec;
    codec.DocumentId = {0x11, 0x22, 0x33, 0x44};
    codec.Utf8Payload = c.utf8;
    codec.ForeignCodePage = c.foreign;
    codec.Charset = c.charset;
    codec.SetProfile(c.letter);
    codec.DocId.SetText("AB");
    EXPECT_EQ(codec.BuildHeader(codec.DocId, c.total, c.index), c.expected) << c.why;
    EXPECT_EQ(codec.Header, c.expected) << c.why;
  }
}

TEST_F(TCodecFixture, LetterL) {
  const std::string payload = RussianText(3000);
  Prepare('L', payload);
  ASSERT_TRUE(codec.Encode()) << codec.Error;
  const std::string header = "AQXAB401L\t";
  ASSERT_EQ(codec.Message.substr(0, header.size()), header);
  EXPECT_EQ(Le(codec.Message, header.size(), 2), 3000u);
  EXPECT_EQ(LzhDecompress(codec.Message.substr(header.size() + 2), 3000), payload);
}

TEST_F(TCodecFixture, LetterMChecksTheBodyWithCrc32) {
  Prepare('M', "INN:7701\t");
  ASSERT_TRUE(codec.Encode());
  const std::string header = "AQXAB401M\t";
  const std::string body = codec.Message.substr(header.size() + 4);
  EXPECT_EQ(codec.Message.substr(0, header.size()), header);
  EXPECT_EQ(Le(codec.Message, header.size(), 4), Crc32(body, 0xFFFFFFFFu));
  EXPECT_EQ(LzhDecompress(body.substr(2), Le(body, 0, 2)), "INN:7701\t");
}

TEST_F(TCodecFixture, ShortHeaders) {
  Prepare('S', "abc");
  ASSERT_TRUE(codec.Encode());
  std::string body = codec.Message.substr(5);
  EXPECT_EQ(codec.Message.substr(0, 3), "SAB");
  EXPECT_EQ(Le(codec.Message, 3, 2), Crc16(body, 0));
  EXPECT_EQ(Le(body, 0, 2), 3u);

  TMessageCodec s;
  s.SetProfile('s');
  s.DocId.SetText("AB");
  s.SetData("abc");
  ASSERT_TRUE(s.Encode());
  body = s.Message.substr(4);
  EXPECT_EQ(s.Message.substr(0, 3), "sAB");
  EXPECT_EQ(static_cast<unsigned char>(s.Message[3]), Crc8(body, 0));
  EXPECT_EQ(body[0], 3) << "one length byte";
  EXPECT_EQ(LzhDecompress(body.substr(1), 3), "abc");
}

// Every letter that builds whole messages, on every payload, read back as a reader does.
TEST(MessageCodecRoundTrip, EveryLetterEveryPayload) {
  std::string table;
  BuildClassTable(table);
  for (char letter : {'L', 'M', 'N', 'O', 'S', 's', 'Q', 'R'}) {
    for (const auto& p : PayloadCases()) {
      TMessageCodec codec;
      codec.SetProfile(letter);
      codec.DocId.SetText("DCAB");
      codec.SetData(p.bytes);
      const bool fits = p.bytes.size() <= (letter == 's' ? 255u : 65535u);
      ASSERT_EQ(codec.Encode(), fits) << letter << " " << p.name << ": " << codec.Error;
      if (!fits) {
        EXPECT_TRUE(codec.Message.empty());
        continue;
      }
      const size_t checkBytes = codec.CheckMode == 1 ? 1 : codec.CheckMode == 2 ? 2 : codec.CheckMode == 3 ? 4 : 0;
      const size_t headerSize = codec.Header.size();
      std::string body = codec.Message.substr(headerSize);
      if (checkBytes) {
        EXPECT_EQ(Le(codec.Header, headerSize - checkBytes, static_cast<int>(checkBytes)),
                  ComputeCheck(body, codec.CheckMode));
      }
      if (codec.ScrambleMode == 3) body = *ClassUnscramble(body, table);
      const int lengthBytes = letter == 's' ? 1 : 2;
      const uint32_t length = Le(body, 0, lengthBytes);
      ASSERT_EQ(length, p.bytes.size()) << letter << " " << p.name;
      const auto back = codec.CompressMode == 1 ? LzhDecompress(body.substr(lengthBytes), length)
                                                : SixpackDecompress(body.substr(lengthBytes));
      ASSERT_TRUE(back.has_value()) << letter << " " << p.name;
      EXPECT_TRUE(*back == p.bytes) << letter << " " << p.name;
    }
  }
}

TEST(MessageCodecLimits, LengthFieldBoundaries) {
  struct {
    char letter;
    size_t size;
    bool ok;
  } cases[] = {{'s', 255, true}, {'s', 256, false}, {'s', 300, false},
               {'L', 65535, true}, {'L', 65536, false}, {'S', 65536, false}};
  for (const auto& c : cases) {
    TMessageCodec codec;
    codec.SetProfile(c.letter);
    codec.SetData(std::string(c.size, 'x'));
    EXPECT_EQ(codec.Encode(), c.ok) << c.letter << " " << c.size;
    EXPECT_EQ(codec.Message.empty(), !c.ok);
    EXPECT_EQ(codec.Error.empty(), c.ok);
  }
}

TEST(MessageCodecLimits, RefusesWhatWouldDecodeToOtherData) {
  TMessageCodec additive;
  additive.SetProfile('C');
  additive.SetData(Cp1251("Заявка"));  // я is FF
  EXPECT_FALSE(additive.Encode());
  EXPECT_TRUE(additive.Message.empty());

  TMessageCodec noProfile;  // no SetProfile: header "E" would promise a substitution
  noProfile.SetData("text");
  EXPECT_FALSE(noProfile.Encode());

  TMessageCodec unknown;
  unknown.SetProfile('P');
  unknown.SetData("text");
  EXPECT_FALSE(unknown.Encode());
}

TEST(MessageCodecSplit, LetterOWithoutCapacityIsOneUnsplitMessage) {
  TMessageCodec codec;
  codec.MultiPart = true;
  codec.DocumentId = {1, 2, 3, 4};
  codec.SetProfile('O');
  codec.DocId.SetText("AB");
  codec.SetData(RussianText(2000));
  ASSERT_TRUE(codec.Encode()) << codec.Error;
  EXPECT_EQ(codec.Symbols.Count(), 0);
  EXPECT_EQ(codec.Message.substr(0, 18), std::string("AQXAB401O0101\x01\x02\x03\x04\t", 18));
  const std::string body = codec.Message.substr(20);
  EXPECT_EQ(Le(codec.Message, 18, 2), Crc16(body, 0));
}

TEST(MessageCodecSplit, PiecesCarryCountersAndOnlyTheFirstTheCheck) {
  TMessageCodec codec;
  codec.MultiPart = true;
  codec.SymbolCapacity = 100;
  codec.SetProfile('O');
  codec.DocId.SetText("AB");
  const std::string payload = RussianText(4000);
  codec.SetData(payload);
  ASSERT_TRUE(codec.Encode()) << codec.Error;
  const std::string whole = codec.Message;
  const int count = codec.Symbols.Count();
  ASSERT_GT(count, 2);
  std::string body;
  for (int i = 0; i < count; ++i) {
    const std::string piece = codec.Symbols.Get(i);
    EXPECT_LE(piece.size(), 100u);
    const std::string counters = piece.substr(9, 4);
    char expected[32];
    std::snprintf(expected, sizeof expected, "%02d%02d", count, i + 1);  // below 100: base 36 = decimal
    EXPECT_EQ(counters, expected);
    const size_t headerSize = i == 0 ? 20 : 18;
    EXPECT_EQ(piece[17], '\t');
    body += piece.substr(headerSize);
    if (i + 1 < count) {
      EXPECT_EQ(piece.size(), 100u);
    }
  }
  EXPECT_EQ(body, whole.substr(20));
  EXPECT_EQ(codec.Symbols.Get(0).substr(18, 2), whole.substr(18, 2)) << "check bytes in the first piece";
}

TEST(MessageCodecSplit, CapacityNotAboveTheHeaderFailsInsteadOfLooping) {
  for (uint16_t capacity : {1, 18, 20}) {
    TMessageCodec codec;
    codec.MultiPart = true;
    codec.SymbolCapacity = capacity;
    codec.SetProfile('O');
    codec.DocId.SetText("AB");
    codec.SetData("payload");
    EXPECT_FALSE(codec.Encode()) << capacity;
    EXPECT_EQ(codec.Symbols.Count(), 0);
  }
  TMessageCodec fits;
  fits.MultiPart = true;
  fits.SymbolCapacity = 21;  // one body byte beside the 20-byte first header
  fits.SetProfile('O');
  fits.DocId.SetText("AB");
  fits.SetData("payload");
  EXPECT_TRUE(fits.Encode()) << fits.Error;
}

TEST(MessageCodecSplit, SymbolCountMismatchRaisesItsText) {
  // An empty body under a check byte: the count formula expects one piece, none is made.
  TMessageCodec codec;
  codec.SetProfile('7');
  codec.CheckMode = 1;
  codec.MultiPart = true;
  codec.SymbolCapacity = 50;
  try {
    codec.Encode();
    FAIL() << "no exception";
  } catch (const EArithmeticError& e) {
    EXPECT_STREQ(e.what(), "Symbol count mismatch. Got 0 symbols, expected 1 symbols");
  }
}

}  // namespace
