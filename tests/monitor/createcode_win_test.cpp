// A page recorded on the destination printer's DC, coded end to end through the machine's configuration:
// the record names a code picture that plays, placed where the type puts it, the page re-recorded on
// request, and nothing else left in the temp directory.
#include "monitor/createcode_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "monitor/createcode_win_rig.h"

namespace {
namespace fs = std::filesystem;

class CreateCodeWin : public TPageCodingRig {};

bool PicturePlays(const TCodeResultRec& rec) {
  const std::u16string name(rec.FileName);
  if (rec.FileType == 1) {
    TEnhMetaFile picture(GetEnhMetaFileW(WStr(name)));
    TDeviceContext screen(CreateCompatibleDC(nullptr));
    const RECT box{0, 0, 200, 200};
    return picture && PlayEnhMetaFile(screen.Get(), picture.Get(), &box);
  }
  std::ifstream file(fs::path(name), std::ios::binary);
  uint32_t key = 0;
  file.read(reinterpret_cast<char*>(&key), sizeof key);
  return file && key == 0x9AC6CDD7u;
}
}  // namespace

TEST_F(CreateCodeWin, ARecordedPageIsCodedOnTheDestinationPrinter) {
  TMachineTypes types(u"TORG,SCHT");
  ASSERT_TRUE(types.Ok()) << E2EConfigPath();
  for (const bool redraw : {false, true}) {
    SCOPED_TRACE(redraw ? "re-recorded" : "as printed");
    store_.WriteInteger(kConfigKey, u"ReDrawEMF", redraw ? 1 : 0);
    TEnhMetaFile recorded = RecordE2EPage(E2EDocument("SCHT"));
    ASSERT_TRUE(recorded) << "the destination printer of scripts/setup";
    TDeviceContext printer = DestinationPrinterDC();
    ASSERT_TRUE(printer);
    HDC dc = printer.Get();
    const TSize sizeMm{GetDeviceCaps(dc, HORZSIZE), GetDeviceCaps(dc, VERTSIZE)};
    const TPoint place = ExpectedPlace(recorded.Get(), sizeMm, temp_);
    const std::set<std::wstring> before = TempFiles();

    HENHMETAFILE page = recorded.Release();
    const HENHMETAFILE original = page;
    TCodeResultRec rec;
    std::memset(&rec, 0xAB, sizeof rec);
    _JOBINFO job;
    job.Document = u"Счёт 15";
    const uint8_t status = CreateCodeFunc(0, page, 1, dc, &job, L"Client Printer", nullptr, rec);
    const TEnhMetaFile coded(page);
    EXPECT_EQ(status, 3) << LogText();
    EXPECT_TRUE(boxes_.empty());
    const std::u16string name(rec.FileName);
    ASSERT_TRUE(fs::exists(fs::path(name))) << WideToUtf8(name);
    EXPECT_TRUE(PicturePlays(rec));
    EXPECT_EQ(rec.X, place.X);
    EXPECT_EQ(rec.Y, place.Y);
    EXPECT_STRNE(rec.Pages, "");
    EXPECT_EQ(page != original, redraw);
    ENHMETAHEADER header{};
    EXPECT_NE(GetEnhMetaFileHeader(page, sizeof header, &header), 0u);

    EXPECT_EQ(AddedTempFiles(before), std::set<std::wstring>{fs::path(name).filename().wstring()});
    fs::remove(fs::path(name));
  }
}
