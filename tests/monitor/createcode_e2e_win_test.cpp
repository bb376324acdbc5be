// Each end-to-end document as a two-page Windows job coded on the destination printer under Wine: the
// pages recorded by Wine's GDI, the copies dialog of page 1 answered by a user on another thread, page 2
// coded with that answer and without a dialog. Each code picture, WMF or EMF as the type says, goes to
// createcode_e2e/<wmf|emf>/<DocId>.bmp (page 2: page2.<DocId>.bmp) in the build directory; the native
// step monitor/createcode_e2e_win_zxing reads each with zxing-cpp and wants the document's pinned message.
#include "monitor/createcode_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <thread>

#include "monitor/createcode_win_rig.h"
#include "support/ack_dialog_user_win.h"
#include "support/code_image.h"
#include "ui/ackdialogform_res.h"
#include "ui/frmlib_win.h"

namespace {
namespace fs = std::filesystem;

struct TJobCase {
  const char* DocId;
  bool Emf;
  bool Redraw;
  TUserAnswer User;
  const char* Pages;
};

// Every type in both picture formats, each once re-recorded; the answers cover the shown one, typed
// lists, presets and the preset that filters the code off (its picture carries no code, so it is not
// written for the reader).
const TJobCase kJobs[] = {
    {"SCHT", false, false, {}, "C"},
    {"SCHT", true, true, {u"3", -1, u"1, 3"}, "CNC"},
    {"TORG", false, true, {u"2", 4, nullptr}, "CC"},
    {"TORG", true, false, {}, "C"},
    {"AKTV", false, false, {u"4", 3, nullptr}, "CNNC"},
    {"AKTV", true, true, {u"2", -1, u"2"}, "NC"},
    {"TORG", true, false, {u"2", 5, nullptr}, "NN"},
};

constexpr uint32_t kEmfSignature = 0x464D4520;  // " EMF"

// The code picture's format as its bytes tell it.
bool IsEmfFile(const std::string& bytes) {
  uint32_t signature = 0;
  if (bytes.size() >= 44) std::memcpy(&signature, bytes.data() + 40, sizeof signature);
  return signature == kEmfSignature;
}
bool IsPlaceableWmfFile(const std::string& bytes) { return bytes.compare(0, 4, "\xD7\xCD\xC6\x9A") == 0; }

class CreateCodeE2EWin : public TPageCodingRig {
 protected:
  void SetUp() override {
    TPageCodingRig::SetUp();
    // A user is at the screen; later pages are coded whatever the type carries over.
    SetDisableGUI(false);
    store_.WriteInteger(kConfigKey, u"AllPages", 1);
  }
  void TearDown() override {
    store_.DeleteValue(kConfigKey, u"AllPages");
    TPageCodingRig::TearDown();
  }

  // One page of the job; the user is there while it is coded. The status, the record and the dialogs seen.
  struct TPageResult {
    uint8_t Status = 0;
    TCodeResultRec Rec{};
    int Dialogs = 0;
    std::u16string DialogTypeName;
    std::u16string DialogInfo;
    bool Replaced = false;
    TEnhMetaFile Page;  // as the coding left it
    std::set<std::wstring> Added;
  };
  TPageResult CodeJobPage(const TE2EDocument& doc, int32_t pageNo, HDC dc, const TUserAnswer* user) {
    TPageResult result;
    TEnhMetaFile recorded = RecordE2EPage(doc);
    if (!recorded) return result;
    const std::set<std::wstring> before = TempFiles();
    HENHMETAFILE page = recorded.Release();
    const HENHMETAFILE original = page;
    std::memset(&result.Rec, 0xAB, sizeof result.Rec);
    _JOBINFO job;
    job.JobId = 7;
    job.Document = AnsiToWide(doc.Name);
    job.PrinterName = u"Client Printer";
    std::optional<TFixedSeeds> seeds;
    // Without an answer to give, no dialog is awaited: the seeds are pinned from the start.
    if (!user) seeds.emplace();
    {
      TDialogUser atScreen(user, seeds);
      result.Status = CreateCodeFunc(0, page, pageNo, dc, &job, L"Client Printer", nullptr, result.Rec);
      result.Dialogs = atScreen.Leave();
      result.DialogTypeName = atScreen.TypeName;
      result.DialogInfo = atScreen.Info;
    }
    seeds.reset();
    result.Replaced = page != original;
    result.Page = TEnhMetaFile(page);
    result.Added = AddedTempFiles(before);
    return result;
  }
};

TEST_F(CreateCodeE2EWin, EachDocumentTypeIsCodedWithTheCopiesItsUserAnsweredOnPageOne) {
  TMachineTypes types(u"TORG,@@,SCHT,AKTV");
  ASSERT_TRUE(types.Ok()) << E2EConfigPath();
  PlaceInvoiceCodeLowerRight(types.Store());
  const fs::path out = "createcode_e2e";
  std::error_code ec;
  fs::remove_all(out, ec);
  fs::create_directories(out / "wmf", ec);
  fs::create_directories(out / "emf", ec);

  for (const TJobCase& c : kJobs) {
    const TE2EDocument& doc = E2EDocument(c.DocId);
    SCOPED_TRACE(std::string(c.DocId) + (c.Emf ? " EMF" : " WMF") + (c.Redraw ? ", re-recorded" : ""));
    types.Store().WriteInteger(TMachineTypes::TypeKey(c.DocId) + u"\\Code", u"FileType", c.Emf ? 0x00080001 : 0x00080000);
    store_.WriteInteger(kConfigKey, u"ReDrawEMF", c.Redraw ? 1 : 0);
    TDeviceContext printer = DestinationPrinterDC();
    ASSERT_TRUE(printer) << "the destination printer of scripts/setup";
    HDC dc = printer.Get();
    const TSize sizeMm{GetDeviceCaps(dc, HORZSIZE), GetDeviceCaps(dc, VERTSIZE)};
    TPoint place{-1, -1};
    {
      const TEnhMetaFile page = RecordE2EPage(doc);
      place = ExpectedPlace(page.Get(), sizeMm, temp_);
    }
    ASSERT_NE(place.X, -1) << "the type does not take its own page";

    const TPageResult first = CodeJobPage(doc, 1, dc, &c.User);
    ASSERT_EQ(first.Status, kPageCoded) << LogText();
    EXPECT_EQ(first.Dialogs, 1);
    EXPECT_EQ(first.DialogTypeName, types.Store().ReadText(TMachineTypes::TypeKey(c.DocId), u"DocType", u""));
    EXPECT_NE(first.DialogInfo.find(u"Документ: \"" + AnsiToWide(doc.Name) + u"\"\r\nПринтер: \"Client Printer\""),
              std::u16string::npos)
        << WideToUtf8(first.DialogInfo);
    EXPECT_STREQ(first.Rec.Pages, c.Pages);
    EXPECT_EQ(first.Rec.FileType, c.Emf ? 1 : 0);
    EXPECT_EQ(first.Rec.X, place.X);
    EXPECT_EQ(first.Rec.Y, place.Y);
    EXPECT_EQ(first.Replaced, c.Redraw);
    if (c.Redraw) {
      // The page re-recorded from its model is still the document.
      TMemoryLog log;
      const auto again = ProcessDecode(0, nullptr, first.Page.Get(), nullptr, log, 0, nullptr);
      ASSERT_TRUE(again) << "the re-recorded page is recognised by no type";
      EXPECT_EQ(again->DocId.GetText(), c.DocId);
      EXPECT_EQ(WideToUtf8(again->Payload), WideToUtf8(doc.Payload));
    }
    const std::u16string picture(first.Rec.FileName);
    EXPECT_EQ(first.Added, std::set<std::wstring>{fs::path(picture).filename().wstring()}) << "only the code picture";
    const std::string bytes = ReadFixture(picture);
    EXPECT_TRUE(c.Emf ? IsEmfFile(bytes) : IsPlaceableWmfFile(bytes));
    const std::vector<uint8_t> image = CodeFileImage(picture, doc.PictureWidth);
    ASSERT_FALSE(image.empty()) << "the code picture does not play";
    if (std::strchr(c.Pages, 'C')) {
      const fs::path dir = out / (c.Emf ? "emf" : "wmf");
      EXPECT_TRUE(WriteFileBytes((dir / (doc.DocId + ".bmp")).string(), image));
      // The picture itself beside its image, for whoever looks into a failed read.
      fs::rename(fs::path(picture), dir / (doc.DocId + (c.Emf ? ".emf" : ".wmf")), ec);
    }
    fs::remove(fs::path(picture), ec);

    // The next page of the job takes the first page's answer without asking again.
    const TPageResult second = CodeJobPage(doc, 2, dc, nullptr);
    ASSERT_EQ(second.Status, kPageCoded) << LogText();
    EXPECT_EQ(second.Dialogs, 0);
    EXPECT_STREQ(second.Rec.Pages, c.Pages);
    EXPECT_EQ(second.Rec.FileType, c.Emf ? 1 : 0);
    EXPECT_EQ(second.Replaced, c.Redraw);
    const std::u16string secondPicture(second.Rec.FileName);
    EXPECT_EQ(second.Added, std::set<std::wstring>{fs::path(secondPicture).filename().wstring()});
    if (std::strchr(c.Pages, 'C')) {
      const std::vector<uint8_t> secondImage = CodeFileImage(secondPicture, doc.PictureWidth);
      ASSERT_FALSE(secondImage.empty()) << "the second page's code picture does not play";
      const fs::path dir = out / (c.Emf ? "emf" : "wmf");
      EXPECT_TRUE(WriteFileBytes((dir / ("page2." + doc.DocId + ".bmp")).string(), secondImage));
    }
    fs::remove(fs::path(secondPicture), ec);
  }
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(CreateCodeE2EWin, TheNextJobOfATypeThatKeepsItsAnswerStartsWithIt) {
  TMachineTypes types(u"TORG,@@,SCHT,AKTV");
  ASSERT_TRUE(types.Ok()) << E2EConfigPath();
  types.Store().WriteInteger(TMachineTypes::TypeKey("TORG"), u"SavePgDlg", 1);
  TDeviceContext printer = DestinationPrinterDC();
  ASSERT_TRUE(printer) << "the destination printer of scripts/setup";
  const TE2EDocument& doc = E2EDocument("TORG");
  const TUserAnswer typed{u"3", -1, u"1, 3"};
  const TPageResult first = CodeJobPage(doc, 1, printer.Get(), &typed);
  ASSERT_EQ(first.Status, kPageCoded) << LogText();
  EXPECT_STREQ(first.Rec.Pages, "CNC");
  // The next job's user only confirms what the dialog starts with.
  const TUserAnswer confirmed;
  const TPageResult next = CodeJobPage(doc, 1, printer.Get(), &confirmed);
  ASSERT_EQ(next.Status, kPageCoded) << LogText();
  EXPECT_EQ(next.Dialogs, 1);
  EXPECT_STREQ(next.Rec.Pages, "CNC");
  std::error_code ec;
  for (const TPageResult* page : {&first, &next}) fs::remove(fs::path(std::u16string(page->Rec.FileName)), ec);
}

TEST_F(CreateCodeE2EWin, ACancelledDialogCancelsTheJobAndLeavesNothing) {
  TMachineTypes types(u"TORG,@@,SCHT,AKTV");
  ASSERT_TRUE(types.Ok()) << E2EConfigPath();
  store_.WriteInteger(kConfigKey, u"ReDrawEMF", 1);
  TDeviceContext printer = DestinationPrinterDC();
  ASSERT_TRUE(printer) << "the destination printer of scripts/setup";
  // The user at the screen cancels every dialog that comes up.
  const TPageResult page = CodeJobPage(E2EDocument("TORG"), 1, printer.Get(), nullptr);
  EXPECT_EQ(page.Status, kPageCancelJob) << LogText();
  EXPECT_EQ(page.Dialogs, 1);
  EXPECT_TRUE(std::all_of(reinterpret_cast<const uint8_t*>(&page.Rec), reinterpret_cast<const uint8_t*>(&page.Rec + 1),
                          [](uint8_t b) { return b == 0; }));
  EXPECT_FALSE(page.Replaced);
  EXPECT_TRUE(page.Added.empty());
  EXPECT_NE(LogText().find("--> Dialog: \"Cancel\""), std::string::npos);
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(CreateCodeE2EWin, ALandscapePageTurnsThePortraitDestination) {
  TMachineTypes types(u"TORG,@@,SCHT,AKTV");
  ASSERT_TRUE(types.Ok()) << E2EConfigPath();
  // Placed from the sheet's right and bottom edges, so that the place follows the turned sheet.
  types.Store().WriteInteger(TMachineTypes::TypeKey("TORG"), u"PicTop", 0);
  types.Store().WriteInteger(TMachineTypes::TypeKey("TORG"), u"PicPlace", 0x01010101);
  SetDisableGUI(true);
  const TE2EDocument& doc = E2EDocument("TORG");
  TEnhMetaFile recorded = RecordE2EPage(doc, nullptr, DMORIENT_LANDSCAPE);
  ASSERT_TRUE(recorded) << "the destination printer of scripts/setup";
  TSize landscapeMm;
  {
    const TDeviceContext landscape = DestinationPrinterDC(DMORIENT_LANDSCAPE);
    landscapeMm = TSize{GetDeviceCaps(landscape.Get(), HORZSIZE), GetDeviceCaps(landscape.Get(), VERTSIZE)};
  }
  ASSERT_GT(landscapeMm.cx, landscapeMm.cy);
  const TPoint place = ExpectedPlace(recorded.Get(), landscapeMm, temp_);
  const TPoint unturned = ExpectedPlace(recorded.Get(), TSize{landscapeMm.cy, landscapeMm.cx}, temp_);
  ASSERT_NE(place.X, unturned.X) << "a place that tells the sheets apart";

  TDeviceContext printer = DestinationPrinterDC();
  HDC dc = printer.Get();
  DEVMODEW mode = DestinationDevMode();
  HENHMETAFILE page = recorded.Release();
  TCodeResultRec rec;
  _JOBINFO job;
  job.Document = u"Накладная 58";
  const uint8_t status = CreateCodeFunc(0, page, 1, dc, &job, L"Client Printer", &mode, rec);
  const TEnhMetaFile coded(page);
  ASSERT_EQ(status, kPageCoded) << LogText();
  EXPECT_EQ(mode.dmOrientation, DMORIENT_LANDSCAPE);
  EXPECT_EQ(GetDeviceCaps(dc, HORZSIZE), landscapeMm.cx) << "the destination turned to the page";
  EXPECT_NE(LogText().find("ReDrawEmf --> Changing orientation"), std::string::npos);
  EXPECT_EQ(rec.X, place.X);
  EXPECT_EQ(rec.Y, place.Y);
  std::error_code ec;
  fs::remove(fs::path(std::u16string(rec.FileName)), ec);
}

}  // namespace
