// Code pictures: module picture helpers, the BMP image, and the structure of the WMF and EMF files.
#include "coding/lib_graph.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "coding/aztencod.h"

namespace {

uint32_t U16(const std::vector<uint8_t>& b, size_t at) { return b[at] | b[at + 1] << 8; }
uint32_t U32(const std::vector<uint8_t>& b, size_t at) { return U16(b, at) | U16(b, at + 2) << 16; }

bool At(const TMonoPicture& p, TPictureSize s, int x, int y) {
  return (p[static_cast<size_t>(y * ((s.Width + 7) / 8) + x / 8)] >> (7 - x % 8)) & 1;
}

int DarkModules(const TMonoPicture& p, TPictureSize s) {
  int n = 0;
  for (int y = 0; y < s.Height; ++y)
    for (int x = 0; x < s.Width; ++x) n += At(p, s, x, y);
  return n;
}

TAztCoder Symbol(const char* data, int mode = 0) {
  TAztCoder c;
  c.SetData(data);
  c.SetSizeMode(mode);
  EXPECT_EQ(c.Encode(), AztOk);
  return c;
}

}  // namespace

TEST(CodePicture, RotateMovesEveryModule) {
  TPictureSize s{15, 9};
  EXPECT_EQ(PictureByteSize(s), 18);
  EXPECT_EQ(PictureByteSize({-1, 5}), 0);
  TMonoPicture p(18, 0);
  p[0] = 0x80;                 // (0, 0)
  p[2 * 8 + 1] = 0x02;         // (14, 8)
  p[1 * 2 + 0] |= 0x20;        // (2, 1)
  const TMonoPicture original = p;
  RotateMonoBitmap(p, s);
  EXPECT_EQ(s.Width, 9);
  EXPECT_EQ(s.Height, 15);
  EXPECT_EQ(p.size(), 30u);
  EXPECT_EQ(DarkModules(p, s), 3);
  EXPECT_TRUE(At(p, s, 8, 0)) << "(0, 0) goes to (height - 1, 0)";
  EXPECT_TRUE(At(p, s, 0, 14)) << "(14, 8) goes to (0, 14)";
  EXPECT_TRUE(At(p, s, 7, 2)) << "(2, 1) goes to (7, 2)";
  for (int i = 0; i < 3; ++i) RotateMonoBitmap(p, s);
  EXPECT_EQ(p, original) << "four turns give the picture back";
}

TEST(CodePicture, PutAndOrClipAtTheEdges) {
  const TPictureSize s{10, 2};
  const TMonoPicture full(4, 0xFF);  // padding bits set on purpose
  TMonoPicture out;
  PutMonoBitmap(out, {12, 4}, full, -1, -1, s);
  ASSERT_EQ(out.size(), 8u);
  EXPECT_EQ(out, (TMonoPicture{0x00, 0x00, 0x7F, 0xE0, 0x7F, 0xE0, 0x00, 0x00})) << "framed, padding cleared";
  PutMonoBitmap(out, {3, 1}, full, 8, 1, s);
  EXPECT_EQ(out, TMonoPicture{0xC0}) << "only what lies inside the source";
  TMonoPicture target(4, 0);
  OrMonoBitmap(target, s, 8, -1, s, full);
  EXPECT_EQ(target, (TMonoPicture{0x00, 0xC0, 0x00, 0x00})) << "only what lies inside the picture";
  TMonoPicture shortBuffer(1, 0);
  OrMonoBitmap(shortBuffer, s, 0, 0, s, full);
  EXPECT_EQ(shortBuffer, TMonoPicture{0}) << "a picture shorter than its size is left alone";
}

TEST(CodePicture, BmpImage) {
  const TAztCoder c = Symbol("A", 101);
  const TPictureSize s{c.PictureWidth(), c.SymbolSize()};
  for (const int scale : {8, 4, 2, 1, 3, 0}) {
    const struct {
      int scale;
    } k{scale};
    const int px = k.scale == 2 || k.scale == 4 || k.scale == 8 ? k.scale : 1;
    const uint32_t row = static_cast<uint32_t>((15 * px + 31) / 32 * 4);
    std::vector<uint8_t> bmp;
    ASSERT_TRUE(WriteMonoBmp(c.Picture(), s, bmp, k.scale));
    const uint32_t image = row * 15 * static_cast<uint32_t>(px);
    ASSERT_EQ(bmp.size(), 62 + image) << "scale " << k.scale;
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(U32(bmp, 2), 62 + image);
    EXPECT_EQ(U32(bmp, 10), 62u);
    EXPECT_EQ(U32(bmp, 18), 15u * px);
    EXPECT_EQ(U32(bmp, 22), 15u * px);
    EXPECT_EQ(U16(bmp, 28), 1u);
    EXPECT_EQ(U32(bmp, 34), image);
    EXPECT_EQ(U32(bmp, 46), 2u);
    EXPECT_EQ(U32(bmp, 54), 0x00FFFFFFu) << "index 0 white";
    EXPECT_EQ(U32(bmp, 58), 0u) << "index 1 black";
    // Bottom-up: the file's last row is the picture's top row.
    const size_t top = 62 + (15 * px - 1) * row;
    for (int x = 0; x < 15 * px; ++x)
      EXPECT_EQ((bmp[top + x / 8] >> (7 - x % 8)) & 1, At(c.Picture(), s, x / px, 0) ? 1 : 0) << x;
  }
  std::vector<uint8_t> bmp;
  EXPECT_FALSE(WriteMonoBmp({}, {0, 0}, bmp, 1));
  EXPECT_FALSE(WriteMonoBmp(TMonoPicture(3, 0), {15, 15}, bmp, 1)) << "buffer shorter than the size";
  EXPECT_TRUE(bmp.empty());
}

TEST(CodePicture, PlaceableWmf) {
  const TAztCoder c = Symbol("HELLO", 201);
  const TPictureSize s{c.PictureWidth(), c.SymbolSize()};
  ASSERT_EQ(s.Width, 19);
  for (int scale : {0, 1, 4}) {
    std::vector<uint8_t> wmf;
    ASSERT_TRUE(BuildCodeWmf(c.Picture(), s, 50, scale, wmf));
    EXPECT_EQ(U32(wmf, 0), 0x9AC6CDD7u);
    EXPECT_EQ(U16(wmf, 10), 950u) << "right";
    EXPECT_EQ(U16(wmf, 12), 950u) << "bottom";
    EXPECT_EQ(U16(wmf, 14), 2540u);
    uint32_t sum = 0;
    for (size_t i = 0; i < 20; i += 2) sum ^= U16(wmf, i);
    EXPECT_EQ(U16(wmf, 20), sum);
    EXPECT_EQ(U32(wmf, 22 + 6) * 2, wmf.size() - 22) << "metafile size in words";
    // Walk the records: they must tile the file and end with the end record.
    size_t at = 22 + 18;
    int rectangles = 0, stretch = 0;
    uint32_t largest = 0, last = 0xFFFF;
    while (at + 6 <= wmf.size()) {
      const uint32_t words = U32(wmf, at);
      last = U16(wmf, at + 4);
      largest = std::max(largest, words);
      rectangles += last == 0x041B;
      stretch += last == 0x0F43;
      ASSERT_GE(words, 3u);
      at += words * 2;
    }
    EXPECT_EQ(at, wmf.size());
    EXPECT_EQ(last, 0u);
    EXPECT_EQ(U32(wmf, 22 + 12), largest);
    EXPECT_EQ(rectangles, scale ? 0 : DarkModules(c.Picture(), s) + 1) << "background and one per dark module";
    EXPECT_EQ(stretch, scale ? 1 : 0);
  }
  std::vector<uint8_t> wmf;
  EXPECT_TRUE(BuildCodeWmf(c.Picture(), s, 1724, 0, wmf)) << "19 x 1724 = 32756 fits 16 bits";
  EXPECT_FALSE(BuildCodeWmf(c.Picture(), s, 1725, 0, wmf)) << "32775 would wrap";
  EXPECT_FALSE(BuildCodeWmf(c.Picture(), s, 0, 0, wmf));
  EXPECT_FALSE(BuildCodeWmf({}, {0, 0}, 50, 1, wmf)) << "empty picture";
}

TEST(CodePicture, Emf) {
  const TAztCoder c = Symbol("Code 2D!");
  const TPictureSize s{c.PictureWidth(), c.SymbolSize()};
  const int dark = DarkModules(c.Picture(), s);
  for (int scale : {0, 2}) {
    std::vector<uint8_t> emf;
    ASSERT_TRUE(BuildCodeEmf(c.Picture(), s, 40, scale, emf));
    EXPECT_EQ(U32(emf, 0), 1u);
    EXPECT_EQ(U32(emf, 4), 100u);
    EXPECT_EQ(U32(emf, 32), 600u) << "frame right in 0.01 mm";
    EXPECT_EQ(U32(emf, 40), 0x464D4520u);
    EXPECT_EQ(U32(emf, 48), emf.size());
    size_t at = 0;
    uint32_t records = 0, last = 0;
    while (at + 8 <= emf.size()) {
      last = U32(emf, at);
      ++records;
      ASSERT_GE(U32(emf, at + 4), 8u);
      at += U32(emf, at + 4);
    }
    EXPECT_EQ(at, emf.size());
    EXPECT_EQ(last, 14u) << "EMR_EOF";
    EXPECT_EQ(U32(emf, 52), records);
    if (scale == 0) EXPECT_EQ(records, 8u + static_cast<uint32_t>(dark));
    else EXPECT_EQ(records, 5u);
  }
}

TEST(CodePicture, SaveFiles) {
  const TAztCoder c = Symbol("Code 2D!");
  const TPictureSize s{c.PictureWidth(), c.SymbolSize()};
  const auto dir = std::filesystem::temp_directory_path();
  const std::u16string wmfName = (dir / u"код_aztec.wmf").u16string();
  const std::u16string emfName = (dir / u"код_aztec.emf").u16string();
  auto read = [](const std::u16string& name) {
    std::ifstream in(std::filesystem::path(name), std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  };
  std::vector<uint8_t> expected;
  ASSERT_TRUE(SaveCodeWmf(c.Picture(), s, 50, wmfName, 0));
  ASSERT_TRUE(BuildCodeWmf(c.Picture(), s, 50, 0, expected));
  EXPECT_EQ(read(wmfName), expected);
  ASSERT_TRUE(SaveCodeEmf(c.Picture(), s, 50, emfName, 8));
  ASSERT_TRUE(BuildCodeEmf(c.Picture(), s, 50, 8, expected));
  EXPECT_EQ(read(emfName), expected);
  std::filesystem::remove(std::filesystem::path(wmfName));
  std::filesystem::remove(std::filesystem::path(emfName));
  EXPECT_FALSE(SaveCodeEmf(c.Picture(), s, 50, (dir / u"no such folder" / u"x.emf").u16string(), 0));
  EXPECT_FALSE(SaveCodeWmf(c.Picture(), s, 50, u"", 0));
}

TEST(CodePicture, EmfRecordNames) {
  struct {
    uint32_t type;
    const char* name;
  } cases[] = {{0, "EMR_UNKNOWN"}, {121, "EMR_UNKNOWN"}, {1, "EMR_HEADER"}, {84, "EMR_EXTTEXTOUTW"},
               {69, "EMR_NO METAFILE RECORD 69"}, {81, "EMR_STRETCHDIBITS"}, {107, "EMR_STARTDOC"},
               {117, "EMR_TRANSPARENTDIB"}, {120, "EMR_SETTEXTJUSTIFICATION"}, {0xFFFFFFFF, "EMR_UNKNOWN"}};
  for (const auto& k : cases) EXPECT_EQ(EmfRecordName(k.type), k.name) << k.type;
}

#ifndef _WIN32
#include "aztec_readers.h"

// ZXingReader reads our 1-bit BMP files directly, at every scale.
TEST(CodePicture, BmpReadsBack) {
  aztec_readers::TTempDir dir;
  const TAztCoder c = Symbol("Code picture, 1-bit BMP: 0123456789");
  const TPictureSize s{c.PictureWidth(), c.SymbolSize()};
  TMonoPicture framed;
  const TPictureSize fs{s.Width + 8, s.Height + 8};
  PutMonoBitmap(framed, fs, c.Picture(), -4, -4, s);
  for (int scale : {2, 4, 8}) {
    std::vector<uint8_t> bmp;
    ASSERT_TRUE(WriteMonoBmp(framed, fs, bmp, scale));
    const std::string file = dir.File("code.bmp");
    WriteFileBytes(file, bmp);
    EXPECT_EQ(aztec_readers::Run("ZXingReader -format Aztec -bytes " + file), c.Data()) << "scale " << scale;
  }
}
#endif
