// The code's place on the sheet, the code picture's file and the page model as page-data text, taken
// through the Windows-page coder as the pipeline calls it.
#include "coding/cl_emfcoder_place.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "coding/cl_emfcoder.h"
#include "coding/cl_macrolib_code.h"
#include "foundation/cl_tools_config.h"
#include "support/coder_fakes.h"
#include "support/emf_header.h"

namespace {
const std::u16string kAB = std::u16string(kConfigKey) + u"\\AB";


class TRecordingServices : public TCodeServices {
 public:
  const TCodePageSystem& CodePages() const override { return DefaultCodePages(); }
  void ShowError(std::u16string_view text) override { Boxes.emplace_back(text); }
  void SaveDebugData(std::string_view) override {}
  std::vector<std::u16string> Boxes;
};

struct TPlaceFixture {
  explicit TPlaceFixture(int32_t flowPos = 0) {
    store.AddKey(kAB);
    if (flowPos) store.SetInteger(kAB, u"FlowPos", flowPos);
    coder = TCoder::Create<TEMFCoder>(store, nullptr, nullptr, 0, &log.file, TDocIdClass::CreateFromText("AB"));
    coder->CodeServices = &services;
    coder->Header = A4At600Dpi();
    coder->Format.PictureSize = TSize{2000, 2000};
    log.Lines.clear();  // the creation's own line
  }
  TMemoryStore store;
  TMemoryLog log;
  TRecordingServices services;
  std::unique_ptr<TEMFCoder> coder;
};

uint32_t Bytes(uint8_t p0, uint8_t p1, uint8_t p2, uint8_t p3) {
  return p0 | (p1 << 8) | (p2 << 16) | (static_cast<uint32_t>(p3) << 24);
}

std::vector<uint8_t> ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t U32At(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
}  // namespace

TEST(CodePlace, SheetHalvesAndOutputArea) {
  struct Case {
    const char* name;
    TSize sheet;
    uint32_t picTop;
    uint32_t picPlace;
    TRect area;
    TPoint expected;
  };
  const Case cases[] = {
      {"lower right of A4", {210, 297}, 0, Bytes(88, 88, 50, 50), {}, {19000, 27700}},
      {"upper left of A4", {210, 297}, 1, Bytes(0, 88, 0, 50), {}, {0, 0}},
      {"upper half, middle", {210, 297}, 1, Bytes(1, 2, 1, 2), {}, {9500, 6425}},
      {"numerator above its denominator counts as the whole", {210, 297}, 0, Bytes(9, 2, 7, 3), {}, {19000, 27700}},
      {"zero denominators count as 1", {210, 297}, 0, Bytes(0, 0, 0, 0), {}, {0, 14850}},
      {"the page's own size", {0, 0}, 0, Bytes(1, 1, 1, 1), {}, {19000, 27700}},
      {"a code wider than the sheet stays at its left edge", {15, 297}, 0, Bytes(1, 1, 0, 1), {}, {0, 14850}},
      // The area's right edge falls back to the page's own width (21000), its bottom to the sheet's (28000).
      {"area without right and bottom", {200, 280}, 2, Bytes(1, 1, 1, 1), {496, 701, 0, 0}, {19000, 26000}},
      {"area, left top", {210, 297}, 2, Bytes(0, 1, 0, 1), {496, 701, 2480, 3508}, {2100, 2967}},
      {"area, middle", {210, 297}, 2, Bytes(1, 2, 1, 2), {496, 701, 2480, 3508}, {5300, 7909}},
      {"PicTop is unsigned: -1 is an output area", {210, 297}, 0xFFFFFFFFu, Bytes(0, 1, 0, 1), {496, 701, 0, 0},
       {2100, 2967}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TPlaceFixture f;
    f.coder->PicTop = static_cast<int32_t>(c.picTop);
    f.coder->PicPlace = static_cast<int32_t>(c.picPlace);
    f.coder->OutputArea = c.area;
    EXPECT_EQ(f.coder->CalcCodePlace(c.sheet), c.expected);
    EXPECT_TRUE(f.services.Boxes.empty());
  }
}

TEST(CodePlace, LogLinesNameTheTypeSizeAndArea) {
  TPlaceFixture f;
  f.coder->PicPlace = static_cast<int32_t>(Bytes(88, 88, 50, 50));
  EXPECT_EQ(f.coder->CalcCodePlace({210, 297}), (TPoint{19000, 27700}));
  EXPECT_EQ(f.log.Lines, (std::vector<std::u16string>{
                             u"Тип: (0,8), символ (max): 2000x2000, координаты: (19000,27700), лист: 21000x29700"}));

  TPlaceFixture area;
  area.coder->PicTop = 2;
  area.coder->OutputArea = TRect{496, 701, 0, 0};
  area.coder->CalcCodePlace({200, 280});
  EXPECT_EQ(area.log.Lines, (std::vector<std::u16string>{
                                u"Область вывода: (2000,2798,21000,28000)",
                                u"Тип: (0,8), символ (max): 2000x2000, координаты: (2000,2798), лист: 20000x28000"}));
}

TEST(CodePlace, FlowPosTakesTheExportedSize) {
  const std::filesystem::path file = std::filesystem::temp_directory_path() / "emfcoder_place_flow.wmf";
  for (int32_t flowPos : {0, 0x101, 0x100}) {
    SCOPED_TRACE(flowPos);
    TPlaceFixture f(flowPos);
    f.coder->Picture.assign(6 * 45, 0xFF);
    f.coder->PictureWidth = 45;
    f.coder->PictureHeight = 45;
    ASSERT_TRUE(f.coder->ExportCodeToFile(file.u16string()));
    EXPECT_EQ(f.coder->CodeSize, (TSize{3195, 3195}));
    f.coder->PicPlace = static_cast<int32_t>(Bytes(1, 1, 1, 1));
    const bool real = (flowPos & 0xFF) != 0;
    EXPECT_EQ(f.coder->CalcCodePlace({210, 297}), (real ? TPoint{17805, 26505} : TPoint{19000, 27700}));
    EXPECT_NE(f.log.Lines.back().find(real ? u"символ (real): 3195x3195" : u"символ (max): 2000x2000"),
              std::u16string::npos);
  }
  std::filesystem::remove(file);
}

TEST(CodePlace, ImpossiblePlacesAnswerZeroWithTheBox) {
  struct Case {
    const char* name;
    TSize sheet;
    uint32_t picTop;
    TEnhMetaHeader header;
  };
  const Case cases[] = {
      {"an output area on a page without a device size", {210, 297}, 2, MakePageHeader({0, 0}, {210, 297})},
      {"a sheet beyond 32 bits in 0.01 mm", {0x7FFFFFFF, 297}, 0, A4At600Dpi()},
      {"the page's own size beyond 32 bits", {0, 0}, 2, MakePageHeader({4960, 7016}, {0x7FFFFFFF, 0x7FFFFFFF})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TPlaceFixture f;
    f.coder->Header = c.header;
    f.coder->PicTop = static_cast<int32_t>(c.picTop);
    f.coder->PicPlace = static_cast<int32_t>(Bytes(1, 1, 1, 1));
    f.coder->OutputArea = TRect{496, 701, 2480, 3508};
    EXPECT_EQ(f.coder->CalcCodePlace(c.sheet), (TPoint{0, 0}));
    EXPECT_EQ(f.services.Boxes, (std::vector<std::u16string>{std::u16string(kCodePlaceErrorText)}));
  }
}

TEST(CodeExport, FileTypeChoosesWmfOrEmf) {
  struct Case {
    int32_t fileType;
    bool wmf;
  };
  const std::filesystem::path file = std::filesystem::temp_directory_path() / "emfcoder_export.pic";
  for (const Case& c : {Case{0x00080000, true}, Case{0, true}, Case{1, false}, Case{0x00010001, false}}) {
    SCOPED_TRACE(c.fileType);
    TPlaceFixture f;
    f.coder->Settings.FileType = UnpackSmallPoint(static_cast<uint32_t>(c.fileType));
    f.coder->Picture = {0xA0, 0x50, 0xA0};
    f.coder->PictureWidth = 3;
    f.coder->PictureHeight = 3;
    f.coder->Format.ModuleSize = 50;
    ASSERT_TRUE(f.coder->ExportCodeToFile(file.u16string()));
    EXPECT_EQ(f.coder->CodeSize, (TSize{150, 150}));
    const std::vector<uint8_t> bytes = ReadAll(file);
    ASSERT_GE(bytes.size(), 44u);
    if (c.wmf) {
      EXPECT_EQ(U32At(bytes, 0), 0x9AC6CDD7u);  // placeable metafile key
    } else {
      EXPECT_EQ(U32At(bytes, 0), 1u);            // EMR_HEADER
      EXPECT_EQ(U32At(bytes, 40), 0x464D4520u);  // " EMF"
    }
    ASSERT_EQ(f.log.Lines.size(), 2u);
    EXPECT_EQ(f.log.Lines[0], u"Экспорт гр.кода в файл: \"" + file.u16string() + u"\"");
    EXPECT_TRUE(f.log.Lines[1].starts_with(kElapsedText));
    EXPECT_TRUE(f.services.Boxes.empty());
  }
  std::filesystem::remove(file);
}

TEST(CodeExport, FailureIsLoggedAndShownWithTheName) {
  const std::u16string name =
      (std::filesystem::temp_directory_path() / "no such dir" / "code.wmf").u16string();
  for (bool emptyPicture : {false, true}) {
    TPlaceFixture f;
    if (!emptyPicture) {
      f.coder->Picture = {0x80};
      f.coder->PictureWidth = 1;
      f.coder->PictureHeight = 1;
    }
    const std::u16string target = emptyPicture ? (std::filesystem::temp_directory_path() / "empty.wmf").u16string() : name;
    EXPECT_FALSE(f.coder->ExportCodeToFile(target));
    EXPECT_EQ(f.log.Lines.back(), u"  Ошибка экспорта!");
    EXPECT_EQ(f.services.Boxes, (std::vector<std::u16string>{
                                    u"Формирование графического кода окончилось\r\nнеудачей или нет возможности "
                                    u"сохранить его\r\nв файле \"" + target + u"\"."}));
  }
}

TEST(PageData, TextsThenLinesInHundredthsThroughTheCodePage) {
  TPlaceFixture f;
  f.coder->Texts->push_back(std::make_unique<TTextProTo>(1, u"Счёт № 5", TPoint{496, 701}, TPoint{992, 750}));
  f.coder->Texts->push_back(nullptr);
  f.coder->Texts->push_back(std::make_unique<TTextProTo>(2, u"漢 x\r\ny", TPoint{1, 1}, TPoint{3, 3}));
  f.coder->HLines->push_back(std::make_unique<TLineProTo>(3, TRect{0, 100, 4960, 100}));
  f.coder->VLines->push_back(std::make_unique<TLineProTo>(4, TRect{248, 0, 248, 7016}));
  f.coder->VLines->push_back(std::make_unique<TLineProTo>(5, TRect{2480, 0, 2480, 3508}));
  EXPECT_EQ(f.coder->ExportPageData(),
            u";Version=4.01.23\r\n[Main]\r\nHeader=1.00,Text,Data\r\n[Data]\r\nSizeXY=21000,29700\r\n"
            u"Text1=2100,2967,4200,3175,1,Счёт № 5\r\n"
            u"Text2=4,4,13,13,1,? x  y\r\n"
            u"LineH1=0,423,21000,423,1\r\n"
            u"LineV1=1050,0,1050,29700,1\r\n"
            u"LineV2=10500,0,10500,14850,1");
  EXPECT_EQ(f.log.Lines, (std::vector<std::u16string>{u"  Экспорт данных"}));
}

TEST(PageData, PageWithoutDeviceSizeGivesZeroRectangles) {
  const TEnhMetaHeader none = MakePageHeader({0, 0}, {210, 297});
  EXPECT_EQ(PageRectToHundredths(TRect{5, 6, 7, 8}, none), (TRect{}));
}
