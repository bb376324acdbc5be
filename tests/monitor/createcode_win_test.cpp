// A page recorded on the destination printer's DC, coded end to end through the machine's configuration:
// the record names a code picture that plays, placed where the type puts it, the page re-recorded on
// request, and nothing else left in the temp directory.
#include "monitor/createcode_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "coding/cl_emfcoder_parse_win.h"
#include "coding/cl_macrolib_context.h"
#include "foundation/cl_tools_cfgkey.h"
#include "foundation/lib_api.h"
#include "foundation/lib_api_win.h"
#include "support/coder_fakes.h"
#include "support/coding_scope_win.h"
#include "support/e2e_page_win.h"

namespace {
namespace fs = std::filesystem;

// The configuration the coding checks, a temp directory of the test's own, and no boxes or dialogs shown.
class CreateCodeWin : public ::testing::Test {
 protected:
  void TearDown() override { scope_.Store.DeleteValue(kConfigKey, u"ReDrawEMF"); }

  TCodingScope scope_{L"createcode_win_test"};
  TRegistryStore& store_ = scope_.Store;
  const fs::path& temp_ = scope_.Temp;
  std::vector<std::u16string>& boxes_ = scope_.Boxes;
};

// Where the type places its code on this page, worked out by the coder's own steps.
TPoint ExpectedPlace(HENHMETAFILE page, TSize sizeMm, const fs::path& dir) {
  TMemoryLog log;
  auto coder = ProcessDecode(0, nullptr, page, nullptr, log, 0, nullptr);
  if (!coder) return TPoint{-1, -1};
  const std::u16string name = (dir / L"expected.emf").u16string();
  if (!coder->MakeCode(static_cast<uint8_t>(coder->DefaultCharset)) || !coder->ExportCodeToFile(name)) return TPoint{-1, -1};
  fs::remove(name);
  return coder->CalcCodePlace(sizeMm);
}

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
    const std::set<std::wstring> before = scope_.Files();

    HENHMETAFILE page = recorded.Release();
    const HENHMETAFILE original = page;
    TCodeResultRec rec;
    std::memset(&rec, 0xAB, sizeof rec);
    _JOBINFO job;
    job.Document = u"Счёт 15";
    const uint8_t status = CreateCodeFunc(0, page, 1, dc, &job, L"Client Printer", nullptr, rec);
    const TEnhMetaFile coded(page);
    EXPECT_EQ(status, 3) << scope_.LogText();
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

    // Only the code picture is new, beside the context store that keeps the document's answer.
    std::set<std::wstring> added;
    for (const std::wstring& f : scope_.Files())
      if (!before.count(f) && f != std::wstring(kContextStoreName.begin(), kContextStoreName.end()) && f != L"client.log")
        added.insert(f);
    EXPECT_EQ(added, std::set<std::wstring>{fs::path(name).filename().wstring()});
    fs::remove(fs::path(name));
  }
}
