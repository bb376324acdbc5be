// The coder's code picture exported under Wine and played back by GDI: a placeable WMF for FileType
// 0x00080000 and an EMF for 1, each showing every module of the picture.
#include "coding/cl_emfcoder_place.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "coding/aztencod.h"
#include "coding/cl_emfcoder.h"
#include "support/coder_fakes.h"
#include "support/dib_canvas.h"
#include "support/win_fixtures.h"

namespace {
constexpr int kPx = 6;  // pixels per module on playback

int WrongModules(const TCanvas& canvas, const TEMFCoder& coder) {
  const int stride = (coder.PictureWidth + 7) / 8;
  int wrong = 0;
  for (int y = 0; y < coder.PictureHeight; ++y)
    for (int x = 0; x < coder.PictureWidth; ++x) {
      const int want = (coder.Picture[y * stride + x / 8] >> (7 - x % 8)) & 1;
      wrong += canvas.At(x * kPx + kPx / 2, y * kPx + kPx / 2) != want;
    }
  return wrong;
}

bool Play(const std::u16string& name, const TCanvas& canvas) {
  const std::string file = ReadFixture(name);
  RECT all{0, 0, canvas.width, canvas.height};
  if (file.size() > 22 && file.compare(0, 4, "\xD7\xCD\xC6\x9A") == 0) {
    HMETAFILE wmf = SetMetaFileBitsEx(static_cast<UINT>(file.size() - 22), reinterpret_cast<const BYTE*>(file.data()) + 22);
    if (!wmf) return false;
    SetMapMode(canvas.dc, MM_ANISOTROPIC);
    SetViewportExtEx(canvas.dc, canvas.width, canvas.height, nullptr);
    const bool played = PlayMetaFile(canvas.dc, wmf);
    DeleteMetaFile(wmf);
    return played;
  }
  HENHMETAFILE emf = GetEnhMetaFileW(WStr(name));
  if (!emf) return false;
  const bool played = PlayEnhMetaFile(canvas.dc, emf, &all);
  DeleteEnhMetaFile(emf);
  return played;
}
}  // namespace

TEST(CodeExportWin, WmfAndEmfPlayBackEveryModule) {
  TAztCoder encoder;
  encoder.SetData("Code 2D!");
  ASSERT_EQ(encoder.Encode(), AztOk);
  TScratchDir dir(u"emf export");
  struct Case {
    int32_t fileType;
    std::string magic;
  };
  for (const Case& c : {Case{0x00080000, "\xD7\xCD\xC6\x9A"}, Case{1, std::string("\x01\x00\x00\x00", 4)}}) {
    SCOPED_TRACE(c.fileType);
    TMemoryStore store;
    auto coder = TCoder::Create<TEMFCoder>(store, nullptr, nullptr, 0, nullptr, TDocIdClass::CreateFromText("AB"));
    coder->Settings.FileType = UnpackSmallPoint(static_cast<uint32_t>(c.fileType));
    coder->Picture = encoder.Picture();
    coder->PictureWidth = encoder.PictureWidth();
    coder->PictureHeight = encoder.SymbolSize();
    const std::u16string name = dir.File(u"код.pic");
    ASSERT_TRUE(coder->ExportCodeToFile(name));
    EXPECT_EQ(ReadFixture(name).substr(0, 4), c.magic);
    EXPECT_EQ(coder->CodeSize, (TSize{coder->PictureWidth * 71, coder->PictureHeight * 71}));
    TCanvas canvas(coder->PictureWidth * kPx, coder->PictureHeight * kPx);
    ASSERT_TRUE(Play(name, canvas));
    EXPECT_EQ(WrongModules(canvas, *coder), 0);
  }
}
