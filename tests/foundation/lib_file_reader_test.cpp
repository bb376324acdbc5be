// The byte reader: lines in the three encodings and with every line end, reads that take all or
// nothing, and moves that never leave the bytes.
#include "foundation/lib_file_reader.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {
std::span<const uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

std::vector<std::u16string> AllLines(const std::string& file) {
  TByteReader reader(Bytes(file));
  std::vector<std::u16string> lines;
  while (!reader.Eof()) {
    lines.push_back(reader.ReadLine());
    if (lines.size() > file.size() + 1) break;  // a reader that stops moving would loop for ever
  }
  return lines;
}

// UTF-16LE bytes of a text, behind the mark.
std::string Utf16File(std::u16string_view text, bool mark = true) {
  std::string out = mark ? "\xFF\xFE" : "";
  for (char16_t c : text) {
    out.push_back(static_cast<char>(c & 0xFF));
    out.push_back(static_cast<char>(c >> 8));
  }
  return out;
}
}  // namespace

TEST(ByteReaderLines, EveryLineEndAndEncoding) {
  using L = std::vector<std::u16string>;
  struct Case {
    std::string file;
    L lines;
    const char* why;
  };
  const Case cases[] = {
      {"a\r\nb", {u"a", u"b"}, "CR LF"},
      {"a\nb", {u"a", u"b"}, "a lone LF ends a line too (files of other tools)"},
      {"a\rb", {u"a", u"b"}, "a lone CR"},
      {"a\r\n\r\nb", {u"a", u"", u"b"}, "an empty line between"},
      {"a\n\rb", {u"a", u"", u"b"}, "LF CR is two line ends"},
      {"a\r\r\nb", {u"a", u"", u"b"}, "CR then CR LF"},
      {"a\r\n", {u"a"}, "a last line end gives no extra empty line"},
      {"\n", {u""}, "only a line end"},
      {"", {}, "nothing"},
      {"\xEF\xBB\xBF\xD0\x9F\xD1\x80\xD0\xB8\r\n\xD0\xBC\xD0\xB8\xD1\x80", {u"При", u"мир"}, "UTF-8 with mark"},
      {"\xEF\xBB\xBF", {u""}, "only a UTF-8 mark: one empty line"},
      {"\xEF\xBB", {u"\u043F\u00BB"}, "two bytes of a mark are ANSI text"},
      {"\xCF\xF0\xE8\xE2\xE5\xF2\n\xB9", {u"Привет", u"№"}, "ANSI is code page 1251 in the core"},
      {Utf16File(u"Раз\r\nДва\nТри\rЧ"), {u"Раз", u"Два", u"Три", u"Ч"}, "UTF-16LE, every line end"},
      {Utf16File(u"ab") + "C", {u"abC"}, "odd last byte: low byte of a last character"},
      {Utf16File(u"a\r") + "\n", {u"a", u"\n"}, "a byte 0A is no UTF-16 line end"},
      {Utf16File(u"\u0D0A\u0A0D"), {u"\u0D0A\u0A0D"}, "units holding CR and LF bytes are not line ends"},
      {"\xFF\xFE", {u""}, "only a UTF-16 mark: one empty line"},
  };
  for (const Case& c : cases) EXPECT_EQ(AllLines(c.file), c.lines) << c.why;
}

TEST(ByteReaderLines, EncodingIsDetectedAgainAtTheStart) {
  const std::string file = "\xEF\xBB\xBFx\r\ny";
  TByteReader reader(Bytes(file));
  EXPECT_EQ(reader.Encoding(), TTextEncoding::Ansi);
  EXPECT_EQ(reader.ReadLine(), u"x");
  EXPECT_EQ(reader.Encoding(), TTextEncoding::Utf8);
  EXPECT_EQ(reader.Position(), 6u);
  ASSERT_TRUE(reader.Seek(0));
  reader.SetEncoding(TTextEncoding::Ansi);
  EXPECT_EQ(reader.ReadLine(), u"x") << "the mark is skipped again";
  EXPECT_EQ(reader.ReadLine(), u"y");
  EXPECT_TRUE(reader.Eof());
  EXPECT_EQ(reader.ReadLine(), u"");
}

TEST(ByteReaderLines, DetectEncodingLeavesTheCursorBehindTheMark) {
  struct Case {
    std::string file;
    TTextEncoding encoding;
    size_t cursor;
  } cases[] = {
      {"\xFF\xFE", TTextEncoding::Utf16LE, 2},    {"\xFF\xFEx", TTextEncoding::Utf16LE, 2},
      {"\xEF\xBB\xBF", TTextEncoding::Utf8, 3},   {"\xEF\xBB", TTextEncoding::Ansi, 0},
      {"\xFF", TTextEncoding::Ansi, 0},           {"", TTextEncoding::Ansi, 0},
      {"\xFE\xFF", TTextEncoding::Ansi, 0},
  };
  for (const auto& c : cases) {
    TByteReader reader(Bytes(c.file));
    EXPECT_EQ(reader.DetectEncoding(), c.encoding) << c.file.size();
    EXPECT_EQ(reader.Position(), c.cursor);
  }
}

TEST(ByteReaderReads, AllOrNothing) {
  const std::string file = "\x01\x02\x03\x04\x05";
  TByteReader reader(Bytes(file));
  uint8_t b = 0;
  ASSERT_TRUE(reader.ReadByte(b));
  EXPECT_EQ(b, 1);
  uint16_t w = 0;
  ASSERT_TRUE(reader.ReadWord(w));
  EXPECT_EQ(w, 0x0302) << "little-endian";
  uint8_t four[4] = {};
  EXPECT_FALSE(reader.ReadBuf(four)) << "4 bytes asked, 2 remain";
  EXPECT_EQ(reader.Position(), 3u);
  uint8_t two[2] = {};
  EXPECT_TRUE(reader.ReadBuf(two));
  EXPECT_EQ(two[1], 5);
  EXPECT_TRUE(reader.Eof());
  EXPECT_FALSE(reader.ReadByte(b));
  EXPECT_TRUE(reader.ReadBuf({}));

  ASSERT_TRUE(reader.Seek(1));
  std::string s;
  EXPECT_FALSE(reader.ReadStr(s, 5));
  EXPECT_TRUE(reader.ReadStr(s, 4));
  EXPECT_EQ(s, "\x02\x03\x04\x05");

  ASSERT_TRUE(reader.Seek(2));
  std::u16string ws;
  EXPECT_FALSE(reader.ReadWideStr(ws, 2)) << "3 bytes hold one unit, not two";
  EXPECT_FALSE(reader.ReadWideStr(ws, SIZE_MAX / 2 + 1)) << "a count whose byte size overflows";
  EXPECT_TRUE(reader.ReadWideStr(ws, 1));
  EXPECT_EQ(ws, u"\u0403");
  char16_t c = 0;
  EXPECT_FALSE(reader.ReadWideChar(c));
  EXPECT_EQ(reader.Position(), 4u);
}

TEST(ByteReaderMoves, StayInsideTheBytes) {
  const std::string file = "0123456789";
  TByteReader reader(Bytes(file));
  struct Case {
    bool seek;
    int64_t arg;
    size_t from;
    bool ok;
    const char* why;
  };
  const Case cases[] = {
      {true, 10, 0, true, "seek to the end"},
      {true, 11, 0, false, "one past the end"},
      {true, 0, 5, true, "seek to the start"},
      {true, -1, 5, false, "before the start"},
      {true, INT64_MAX, 5, false, "far past"},
      {false, 5, 5, true, "skip to the end"},
      {false, 6, 5, false, "skip one past the end"},
      {false, -5, 5, true, "skip back to the start"},
      {false, -6, 5, false, "skip one before the start"},
      {false, INT64_MIN, 5, false, "the most negative skip"},
      {false, INT64_MAX, 5, false, "the largest skip"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(reader.Seek(static_cast<int64_t>(c.from)));
    const bool ok = c.seek ? reader.Seek(c.arg) : reader.Skip(c.arg);
    EXPECT_EQ(ok, c.ok) << c.why;
    const size_t expected = !c.ok ? c.from : c.seek ? static_cast<size_t>(c.arg) : c.from + c.arg;
    EXPECT_EQ(reader.Position(), expected) << c.why;
    EXPECT_EQ(reader.Remaining(), 10 - reader.Position());
  }
}

TEST(ByteReaderMoves, InPlaceViewOnlyWhenItFits) {
  const std::string file = "abcdef";
  TByteReader reader(Bytes(file));
  ASSERT_TRUE(reader.Skip(2));
  EXPECT_EQ(reader.CurrentAddress(4).size(), 4u);
  EXPECT_EQ(reader.CurrentAddress(4)[0], 'c');
  EXPECT_TRUE(reader.CurrentAddress(5).empty());
  EXPECT_EQ(reader.Position(), 2u) << "a view does not move the cursor";
  reader.Init();
  EXPECT_EQ(reader.Size(), 0u);
  EXPECT_TRUE(reader.Eof());
  EXPECT_TRUE(reader.CurrentAddress(1).empty());
}

TEST(TextDecoding, WholeFilesByMark) {
  EXPECT_EQ(DecodeText(Bytes(Utf16File(u"Лист\r\n"))), u"Лист\r\n");
  EXPECT_EQ(DecodeText(Bytes("\xEF\xBB\xBF\xD0\x9B")), u"Л");
  EXPECT_EQ(DecodeText(Bytes("\xCB")), u"Л");
  EXPECT_EQ(DecodeText(Bytes("")), u"");
  EXPECT_EQ(DecodeText(Bytes("\xCB"), [](std::string_view) { return std::u16string(u"sys"); }), u"sys");
  EXPECT_EQ(EncodingMarkBytes(TTextEncoding::Utf16LE), "\xFF\xFE");
  EXPECT_EQ(EncodingMarkBytes(TTextEncoding::Utf8), "\xEF\xBB\xBF");
  EXPECT_EQ(EncodingMarkBytes(TTextEncoding::Ansi), "");
}
