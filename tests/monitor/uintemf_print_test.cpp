// Windows job printing's decisions on hand-built values: the job's paper in the destination's settings
// (both DEVMODE layouts), the page list with job copies, a page's copies letters, the code's place, the
// printing rectangle's turn, the scale of a re-recorded page and the placeable WMF loader.
#include "monitor/uintemf_print.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {
constexpr size_t kWideSize = 220;  // sizeof(DEVMODEW)
constexpr size_t kAnsiSize = 156;  // sizeof(DEVMODEA)
constexpr int16_t kLetter = 1, kA4 = 9, kA3 = 8, kA2 = 66;

// A DEVMODE of the layout with the paper fields set and dmSize filled in.
std::vector<uint8_t> DevMode(bool wide, const TPaperFields& fields, uint32_t extraFields = 0) {
  std::vector<uint8_t> bytes(wide ? kWideSize : kAnsiSize, 0);
  const uint16_t size = static_cast<uint16_t>(bytes.size());
  std::memcpy(bytes.data() + (wide ? 68 : 36), &size, sizeof size);
  TPaperFields withExtra = fields;
  withExtra.Fields |= extraFields;
  EXPECT_TRUE(WritePaperFields(bytes, wide, withExtra));
  return bytes;
}

TPaperFields Read(const std::vector<uint8_t>& bytes, bool wide) {
  TPaperFields fields;
  EXPECT_TRUE(ReadPaperFields(bytes, wide, fields));
  return fields;
}

struct TPaperCase {
  const char* why;
  TPaperFields job;
  TPaperFields dest;
  TPaperFields expected;
};

// The destination as its stored settings give it: A4 portrait, duplex on.
constexpr TPaperFields kStoredDest{kDmOrientation | kDmPaperSize | kDmDuplex, 1, kA4, 0, 0, 1};

const TPaperCase kPaperCases[] = {
    {"letter keeps its size, no dimensions invented",
     {kDmOrientation | kDmPaperSize, 2, kLetter, 0, 0, 1},
     kStoredDest,
     {kDmOrientation | kDmPaperSize | kDmDuplex, 2, kLetter, 0, 0, 1}},
    {"a size the destination may not know becomes user-defined with the job's dimensions",
     {kDmPaperSize | kDmPaperLength | kDmPaperWidth, 0, 70, 2500, 1760, 1},
     kStoredDest,
     {kDmOrientation | kDmPaperSize | kDmPaperLength | kDmPaperWidth | kDmDuplex, 1, kDmPaperUser, 2500, 1760, 1}},
    {"A4 without dimensions gets them",
     {kDmPaperSize, 0, kA4, 0, 0, 1},
     kStoredDest,
     {kDmOrientation | kDmPaperSize | kDmPaperLength | kDmPaperWidth | kDmDuplex, 1, kA4, 2970, 2100, 1}},
    {"A3 without dimensions gets them and keeps its size",
     {kDmPaperSize, 0, kA3, 0, 0, 1},
     kStoredDest,
     {kDmOrientation | kDmPaperSize | kDmPaperLength | kDmPaperWidth | kDmDuplex, 1, kA3, 4200, 2970, 1}},
    {"A2 is past the sizes kept: user-defined with its known dimensions",
     {kDmPaperSize, 0, kA2, 0, 0, 1},
     kStoredDest,
     {kDmOrientation | kDmPaperSize | kDmPaperLength | kDmPaperWidth | kDmDuplex, 1, kDmPaperUser, 5940, 4200, 1}},
    {"an unknown size without dimensions leaves the destination's size",
     {kDmPaperSize, 0, 70, 0, 0, 1},
     kStoredDest,
     kStoredDest},
    {"only a length: the size stays, the length alone is taken",
     {kDmPaperSize | kDmPaperLength, 0, 70, 2500, 0, 1},
     kStoredDest,
     {kDmOrientation | kDmPaperSize | kDmPaperLength | kDmDuplex, 1, kA4, 2500, 0, 1}},
    {"no paper size bit, dimensions given: user-defined",
     {kDmPaperLength | kDmPaperWidth, 0, 0, 2000, 1000, 1},
     {kDmDuplex, 0, 0, 0, 0, 1},
     {kDmPaperSize | kDmPaperLength | kDmPaperWidth | kDmDuplex, 0, kDmPaperUser, 2000, 1000, 1}},
    {"landscape taken, the destination's copies untouched",
     {kDmOrientation | kDmCopies, 2, 0, 0, 0, 5},
     kStoredDest,
     {kDmOrientation | kDmPaperSize | kDmDuplex, 2, kA4, 0, 0, 1}},
    {"orientation without its bit is not taken",
     {kDmPaperSize, 2, kLetter, 0, 0, 1},
     kStoredDest,
     {kDmOrientation | kDmPaperSize | kDmDuplex, 1, kLetter, 0, 0, 1}},
};

bool Same(const TPaperFields& a, const TPaperFields& b) {
  return a.Fields == b.Fields && a.Orientation == b.Orientation && a.PaperSize == b.PaperSize &&
         a.PaperLength == b.PaperLength && a.PaperWidth == b.PaperWidth && a.Copies == b.Copies;
}

TEST(CopyPaperSettings, TakesTheJobsPaperInBothLayouts) {
  for (bool wide : {true, false})
    for (const TPaperCase& c : kPaperCases) {
      SCOPED_TRACE(std::string(c.why) + (wide ? " (UTF-16 layout)" : " (8-bit layout)"));
      const std::vector<uint8_t> job = DevMode(wide, c.job);
      std::vector<uint8_t> dest = DevMode(wide, c.dest);
      const std::vector<uint8_t> before = dest;
      ASSERT_TRUE(CopyPaperSettings(job, dest, wide));
      const TPaperFields got = Read(dest, wide);
      EXPECT_TRUE(Same(got, c.expected)) << "fields " << std::hex << got.Fields << std::dec << " orientation "
                                         << got.Orientation << " size " << got.PaperSize << " " << got.PaperLength
                                         << " x " << got.PaperWidth;
      // Nothing outside the paper fields moves (the device name, the duplex value, the driver's bytes).
      for (size_t i = 0; i < dest.size(); ++i)
        if (i < (wide ? 72u : 40u) || i >= (wide ? 88u : 56u)) {
          ASSERT_EQ(dest[i], before[i]) << "byte " << i;
        }
    }
}

TEST(CopyPaperSettings, ShortOrMissingBlocks) {
  const std::vector<uint8_t> job = DevMode(true, {kDmPaperSize, 0, kA4, 0, 0, 1});
  std::vector<uint8_t> dest = DevMode(true, kStoredDest);
  const std::vector<uint8_t> before = dest;
  // A job without settings leaves the destination alone.
  EXPECT_TRUE(CopyPaperSettings({}, dest, true));
  EXPECT_EQ(dest, before);
  // One byte short of the copies field, in the bytes or in the size the block gives itself.
  std::vector<uint8_t> shortJob(job.begin(), job.begin() + 87);
  EXPECT_FALSE(CopyPaperSettings(shortJob, dest, true));
  std::vector<uint8_t> lyingJob = job;
  const uint16_t tooSmall = 87;
  std::memcpy(lyingJob.data() + 68, &tooSmall, 2);
  EXPECT_FALSE(CopyPaperSettings(lyingJob, dest, true));
  std::vector<uint8_t> shortDest(before.begin(), before.begin() + 87);
  EXPECT_FALSE(CopyPaperSettings(job, shortDest, true));
  EXPECT_EQ(dest, before);
  // Just long enough.
  std::vector<uint8_t> justJob(job.begin(), job.begin() + 88);
  const uint16_t exact = 88;
  std::memcpy(justJob.data() + 68, &exact, 2);
  EXPECT_TRUE(CopyPaperSettings(justJob, dest, true));
  EXPECT_EQ(Read(dest, true).PaperLength, 2970);
}

TEST(PageList, EachPageOncePerJobCopyInARow) {
  const std::vector<uint8_t> twoCopies = DevMode(true, {kDmCopies, 0, 0, 0, 0, 2});
  const uint32_t copies = JobCopies(twoCopies, true);
  ASSERT_EQ(copies, 2u);
  TWideStringArray pages(8);
  AddPageCopies(pages, u"1.emf", copies);
  AddPageCopies(pages, u"2.emf", copies);
  EXPECT_EQ(pages.Join(u","), u"1.emf,1.emf,2.emf,2.emf");

  struct {
    const char* why;
    std::vector<uint8_t> mode;
    uint32_t expected;
  } const cases[] = {
      {"no settings", {}, 1},
      {"copies value without its bit", DevMode(true, {0, 0, 0, 0, 0, 3}), 1},
      {"copies bit with 0", DevMode(true, {kDmCopies, 0, 0, 0, 0, 0}), 1},
      {"copies bit with a negative count", DevMode(true, {kDmCopies, 0, 0, 0, 0, -4}), 1},
      {"three in the 8-bit layout", DevMode(false, {kDmCopies, 0, 0, 0, 0, 3}), 3},
  };
  for (const auto& c : cases) EXPECT_EQ(JobCopies(c.mode, c.mode.size() != kAnsiSize), c.expected) << c.why;
}

TEST(CopiesLetters, RecordsRules) {
  struct {
    const char* why;
    const char* pages;
    uint8_t fileType;
    bool exists;
    std::string expected;
  } const cases[] = {
      {"the record's letters", "CNN", 0, true, "CNN"},
      {"EMF picture", "NC", 1, true, "NC"},
      {"no letters", "", 0, true, "N"},
      {"unknown picture type", "CNN", 2, true, "N"},
      {"missing picture file", "CNN", 1, false, "N"},
  };
  for (const auto& c : cases) {
    TCodeResultRec rec{};
    std::memcpy(rec.Pages, c.pages, std::strlen(c.pages));
    rec.FileType = c.fileType;
    EXPECT_EQ(CopiesLetters(rec, c.exists), c.expected) << c.why;
  }
  // The 64 letters of a full field, whatever follows in the record.
  TCodeResultRec full{};
  std::memset(full.Pages, 'C', sizeof full.Pages);
  EXPECT_EQ(CopiesLetters(full, true), std::string(64, 'C'));
}

TEST(CodeFileName, UpToItsTerminatorOrTheFieldsEnd) {
  TCodeResultRec rec{};
  ASSERT_TRUE(SetCodeFileName(rec, u"C:\\TEMP\\code.wmf"));
  EXPECT_EQ(CodeFileName(rec), u"C:\\TEMP\\code.wmf");
  for (char16_t& c : rec.FileName) c = u'a';
  EXPECT_EQ(CodeFileName(rec), std::u16string(kCodeFileNameUnits, u'a'));
}

TEST(CodeRect, PlaceAndFrameInHimetric) {
  EXPECT_EQ(CodeRect(1000, 2000, TRect{0, 0, 3000, 3000}), (TRect{1000, -2000, 4000, -5000}));
  EXPECT_EQ(CodeRect(10, 20, TRect{5, 6, 105, 206}), (TRect{15, -26, 115, -226}));
  // A frame at the end of the range is held there, not wrapped.
  EXPECT_EQ(CodeRect(INT32_MAX, 0, TRect{0, 0, 10, 10}).Right, INT32_MAX);
}

TEST(PrintingRect, TurnedOnlyWhenItsShapeDisagrees) {
  const TRect tall{0, 0, 2400, 3400}, wide{0, 0, 3400, 2400};
  struct {
    TRect rect;
    bool portrait;
    TRect expected;
  } const cases[] = {{tall, true, tall}, {tall, false, wide}, {wide, false, wide}, {wide, true, tall}};
  for (const auto& c : cases) {
    TRect r = c.rect;
    MatchRectToOrientation(r, c.portrait);
    EXPECT_EQ(r, c.expected);
  }
}

TEST(FrameInPixels, ScalesByTheDevicesPixelsPerMillimetre) {
  TRect px;
  ASSERT_TRUE(FrameInPixels(TRect{0, 0, 21000, 29700}, TSize{2480, 3508}, TSize{210, 297}, px));
  EXPECT_EQ(px, (TRect{0, 0, 2480, 3508}));
  // A device without a size gives no scale.
  EXPECT_FALSE(FrameInPixels(TRect{0, 0, 100, 100}, TSize{2480, 3508}, TSize{0, 297}, px));
  EXPECT_FALSE(FrameInPixels(TRect{0, 0, 100, 100}, TSize{2480, 3508}, TSize{210, 0}, px));
  EXPECT_FALSE(FrameInPixels(TRect{0, 0, INT32_MAX, 100}, TSize{1000000, 1}, TSize{1, 1}, px));
}

// A placeable WMF of the given metafile size (words) in a file of fileBytes bytes.
std::vector<uint8_t> Wmf(uint32_t words, size_t fileBytes, uint32_t key = 0x9AC6CDD7) {
  std::vector<uint8_t> bytes(fileBytes, 0);
  if (fileBytes >= 4) std::memcpy(bytes.data(), &key, 4);
  const int16_t box[4] = {-10, 20, 1000, 1500};
  if (fileBytes >= 14) std::memcpy(bytes.data() + 6, box, sizeof box);
  const uint16_t head[3] = {1, 9, 0x300};
  if (fileBytes >= 28) std::memcpy(bytes.data() + 22, head, sizeof head);
  if (fileBytes >= 32) std::memcpy(bytes.data() + 28, &words, 4);
  return bytes;
}

TEST(PlaceableWmf, KeySizeAndBounds) {
  struct {
    const char* why;
    std::vector<uint8_t> file;
    bool ok;
  } const cases[] = {
      {"header only, exactly fits", Wmf(9, 22 + 18), true},
      {"records after the header", Wmf(20, 22 + 40), true},
      {"bytes after the metafile are ignored", Wmf(9, 22 + 40), true},
      {"one byte short of its size", Wmf(20, 22 + 39), false},
      {"smaller than its own header", Wmf(8, 22 + 40), false},
      {"a size past the 32-bit doubling", Wmf(0xFFFFFFFF, 22 + 40), false},
      {"wrong key", Wmf(9, 22 + 18, 0x9AC6CDD6), false},
      {"no room for the metafile header", Wmf(9, 22 + 17), false},
      {"empty", {}, false},
  };
  for (const auto& c : cases) {
    TPlaceableWmf wmf;
    EXPECT_EQ(ParsePlaceableWmf(c.file, wmf), c.ok) << c.why;
    if (!c.ok) continue;
    uint32_t words;
    std::memcpy(&words, c.file.data() + 28, 4);
    EXPECT_EQ(wmf.Bits.size(), 2 * words) << c.why;
    EXPECT_EQ(wmf.Bits.data(), c.file.data() + 22) << c.why;
    EXPECT_EQ(wmf.Bounds, (TRect{-10, 20, 1000, 1500})) << c.why;
  }
}
}  // namespace
