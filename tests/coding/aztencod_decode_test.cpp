// The Aztec symbols we draw, read back by an independent reader (zxing-cpp) for every kind of message
// and every size mode, and compared with an independent encoder (zint) where the standard fixes the result.
#include <gtest/gtest.h>

#include "coding/aztencod.h"

#ifdef _WIN32
TEST(AztDecode, NativeOnly) { GTEST_SKIP() << "the readers are Linux tools; the native build runs these"; }
#else

#include <string>
#include <vector>

#include "aztec_ascii.h"
#include "aztec_readers.h"

using namespace aztec_readers;

namespace {

// Cyrillic UTF-8 to Windows-1251, enough for the test texts.
std::string Cp1251(const std::string& utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    const uint8_t c = static_cast<uint8_t>(utf8[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    const bool three = (c & 0xF0) == 0xE0;
    uint32_t u = three ? (c & 0x0F) : (c & 0x1F);
    for (int k = 1; k <= (three ? 2 : 1); ++k) u = u << 6 | (utf8[i + k] & 0x3F);
    i += three ? 3 : 2;
    if (u >= 0x410 && u <= 0x44F) out += static_cast<char>(0xC0 + (u - 0x410));
    else if (u == 0x401) out += '\xA8';
    else if (u == 0x451) out += '\xB8';
    else if (u == 0x2116) out += '\xB9';
    else out += '?';
  }
  return out;
}

std::string Binary(size_t n, uint32_t seed) {
  std::string s;
  for (size_t i = 0; i < n; ++i) {
    seed = seed * 1103515245 + 12345;
    s += static_cast<char>(0x80 | (seed >> 16));  // bytes no text mode holds
  }
  return s;
}

std::string Repeat(const std::string& unit, size_t n) {
  std::string s;
  while (s.size() < n) s += unit;
  return s.substr(0, n);
}

struct TCase {
  std::string name;
  std::string data;
  int mode = 0;
  bool readerInit = false;
};

bool Fits(TAztCoder& c, const std::string& data, int mode) {
  c.SetData(data);
  c.SetSizeMode(mode);
  return c.Encode() == AztOk;
}

}  // namespace

TEST(AztDecode, EveryMessageAndSizeReadsBack) {
  ASSERT_TRUE(HaveZxing()) << "python3-zxing-cpp for /usr/bin/python3 is needed (scripts/setup installs it)";
  std::string all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  const std::string text = "Aztec Code 2D! Invoice No. 4711, 12.03.2024: total 1.234,56; (a+b)*c=d? [x]{y} ~_^|@\\`";
  std::vector<TCase> cases = {
      {"digits", "0123456789012345678901234567890123456789", 0},
      {"digits with separators", "3.14, 2.71. 1 000", 0},
      {"upper", "THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG", 0},
      {"lower", "the quick brown fox jumps over the lazy dog", 0},
      {"mixed", "Mixed @\\^_`|~\x7f\x01\x02\x1b\x1f\x0d end", 0},
      {"punctuation pairs", "a. b, c: d\r\nE!\"#$%&'()*+,-./:;<=>?[]{}\r\r\n. , : ", 0},
      {"one byte", "\xff", 0},
      {"every byte value", all, 0},
      {"Russian in 1251", Cp1251("Счёт-фактура № 15 от 12.03.2024, ИНН 7701234567; Ёлка: ёж"), 0},
      {"binary 31", Binary(31, 1), 0},
      {"binary 32", Binary(32, 2), 0},
      {"binary 2078", Binary(2078, 3), 232},
      {"binary 2079", Binary(2079, 4), 232},
      {"binary 2100 between text", "HEAD" + Binary(2100, 5) + "tail", 232},
      {"3 KB of digits", Repeat("4711 0815, 12.50. ", 3072), 0},
      {"1 KB text", Repeat("Lorem ipsum dolor sit amet, 12345. ", 1024), 0},
      {"text", text, 0},
      {"FLG-like bytes stay bytes", "\x1b\x1b" "0123", 0},
  };
  for (int p : {1, 10, 23, 50, 77, 99}) cases.push_back({"percentage " + std::to_string(p), "Aztec 2D, 50%!", p});
  for (int l = 1; l <= 4; ++l)
    cases.push_back({"compact " + std::to_string(l), Repeat("AZTEC 2024 ", static_cast<size_t>(AztTotalBits({true, l}) / 10)), 100 + l});
  for (int l = 1; l <= 32; ++l)
    cases.push_back({"full " + std::to_string(l), Repeat("Aztec 2024 ", static_cast<size_t>(AztTotalBits({false, l}) / 14)), 200 + l});
  cases.push_back({"reader init, automatic", "HELLO", 0, true});
  cases.push_back({"reader init, compact 1", "HELLO", 101, true});
  cases.push_back({"reader init, full 5", text, 205, true});
  cases.push_back({"reader init, full 22", Repeat(text, 1000), 222, true});
  cases.push_back({"compact count overflow, 1%", std::string(54, '\0'), 1});

  // Messages that just fit a size; one character more must be refused.
  TAztCoder probe;
  for (int mode : {101, 102, 103, 104, 201, 204, 209, 222, 223, 232}) {
    const std::string unit = mode % 2 ? "Fits 12, " : "\x80zX9.";
    size_t lo = 1, hi = 4000;
    ASSERT_TRUE(Fits(probe, Repeat(unit, lo), mode));
    ASSERT_FALSE(Fits(probe, Repeat(unit, hi), mode));
    while (hi - lo > 1) {
      const size_t mid = (lo + hi) / 2;
      (Fits(probe, Repeat(unit, mid), mode) ? lo : hi) = mid;
    }
    cases.push_back({"just fits " + std::to_string(mode), Repeat(unit, lo), mode});
    EXPECT_FALSE(Fits(probe, Repeat(unit, lo + 1), mode)) << mode << ": one character more";
  }

  TTempDir dir;
  std::vector<std::vector<uint8_t>> images;
  std::vector<size_t> index;
  TAztCoder c;
  for (size_t i = 0; i < cases.size(); ++i) {
    const TCase& k = cases[i];
    c.Reset();
    c.SetData(k.data);
    c.SetSizeMode(k.mode);
    c.SetReaderInit(k.readerInit);
    const int r = c.Encode();
    EXPECT_EQ(r, AztOk) << k.name << " (" << k.data.size() << " bytes, " << c.UsedBits() << " bits)";
    if (r != AztOk) continue;
    const TPictureSize size{c.PictureWidth(), c.SymbolSize()};
    images.push_back(SymbolImage(c.Picture(), size, 0, size.Width));
    index.push_back(i);
  }
  const std::vector<TDecoded> decoded = ZxingDecode(dir, images);
  for (size_t j = 0; j < images.size(); ++j) {
    const TCase& k = cases[index[j]];
    EXPECT_TRUE(decoded[j].Found) << k.name << ": not read";
    EXPECT_TRUE(decoded[j].Bytes == k.data) << k.name << ": read " << decoded[j].Bytes.size() << " bytes of "
                                             << k.data.size();
  }
}

TEST(AztDecode, StructuredAppendReadsBackPartByPartAndWhole) {
  ASSERT_TRUE(HaveZxing());
  const std::string message = Repeat("Structured append: part of a longer message, 0123456789. ", 900) + Binary(40, 9);
  struct {
    int count;
    const char* id;
    std::string data;
  } sets[] = {
      {2, "", "Two symbols, no identifier"}, {2, "ORDER", "Two symbols with an identifier"},
      {26, "", message}, {26, "QZ", message},
  };
  TTempDir dir;
  for (const auto& s : sets) {
    TAztCoder c;
    c.SetData(s.data);
    c.SetSymbolCount(s.count);
    c.SetMessageId(s.id);
    ASSERT_EQ(c.Encode(), AztOk) << s.count << " " << s.id;
    const TPictureSize size{c.PictureWidth(), c.SymbolSize()};
    std::vector<std::vector<uint8_t>> images;
    for (int k = 0; k < s.count; ++k)
      images.push_back(SymbolImage(c.Picture(), size, k * (c.SymbolSize() + c.Gap()), c.SymbolSize()));
    const std::vector<TDecoded> parts = ZxingDecode(dir, images);
    std::string joined;
    for (int k = 0; k < s.count; ++k) {
      EXPECT_TRUE(parts[k].Found && !parts[k].Bytes.empty()) << "symbol " << k + 1 << " of " << s.count;
      joined += parts[k].Bytes;
    }
    EXPECT_TRUE(joined == s.data) << s.count << " symbols: the parts in order make the message";
    std::string bytes, report;
    ZxingReadSet(dir, images, bytes, report);
    EXPECT_TRUE(bytes == s.data + s.data) << "each part, then the joined message";
    for (int k = 1; k <= s.count; ++k) {
      const std::string line = "symbol " + std::to_string(k) + " of " + std::to_string(s.count) + " (parity/id: '" + s.id + "')";
      EXPECT_NE(report.find(line), std::string::npos) << line;
    }
    EXPECT_NE(report.find("merged result from " + std::to_string(s.count) + " symbols"), std::string::npos);
  }
}

TEST(AztDecode, SameSymbolsAsZint) {
  ASSERT_TRUE(HaveZint()) << "zint is needed (scripts/setup installs it)";
  TTempDir dir;
  TAztCoder c;
  c.SetData("Code 2D!");
  ASSERT_EQ(c.Encode(), AztOk);
  EXPECT_EQ(AztAscii(c), ZintAscii(dir, 92, "Code 2D!", "")) << "the standard's encoding example";
  c.SetSizeMode(AztSizeRune);
  for (const char* v : {"0", "65", "255"}) {
    c.SetData(v);
    ASSERT_EQ(c.Encode(), AztOk);
    EXPECT_EQ(AztAscii(c), ZintAscii(dir, 128, v, "")) << "rune " << v;
  }
  // Every layer count: the same size, and the same modules where both fill alike (up to 22 layers
  // always; above, where the data end on a word boundary and no fill is needed).
  for (int v = 1; v <= 36; ++v) {
    const int mode = v <= 4 ? 100 + v : 200 + v - 4;
    const std::string data = v <= 26 ? "A" : "ABCDEFGHIJKL";
    c.SetData(data);
    c.SetSizeMode(mode);
    ASSERT_EQ(c.Encode(), AztOk);
    EXPECT_EQ(AztAscii(c), ZintAscii(dir, 92, data, "--vers=" + std::to_string(v))) << "size mode " << mode;
  }
  c.SetData("HELLO");
  c.SetReaderInit(true);
  for (int v : {1, 5, 26}) {
    c.SetSizeMode(v <= 4 ? 100 + v : 200 + v - 4);
    ASSERT_EQ(c.Encode(), AztOk);
    EXPECT_EQ(AztAscii(c), ZintAscii(dir, 92, "HELLO", "--init --vers=" + std::to_string(v))) << "reader init " << v;
  }
}

#endif
