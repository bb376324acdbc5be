// The invoice as a printed page, end to end under Wine: recorded by Wine's GDI on the destination
// PostScript printer's DC, through an NT EMF spool file and back, recognised by ProcessDecode through the
// machine's configuration, coded, its code exported as the type says and placed in the lower right.
// The page with its code, drawn in the printer's pixels, goes to e2e_page/SCHT.bmp in the build
// directory, the symbol's box in those pixels to e2e_page/SCHT.place; the native step
// coding/e2e_page_win_zxing reads the whole page with zxing-cpp.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "foundation/lib_api_win.h"
#include "support/code_image.h"
#include "support/e2e_page_win.h"
#include "support/golden.h"

namespace {

bool Logged(const TMemoryLog& log, std::u16string_view text) {
  for (const std::u16string& line : log.host.Lines)
    if (line.find(text) != std::u16string::npos) return true;
  return false;
}

TEST(EndToEndPageWin, TheInvoicePageCarriesItsCodeWhereItWasPlaced) {
  std::vector<std::u16string> boxes;
  SetMessageBoxHook([&boxes](const TMessageBoxRequest& r) {
    boxes.push_back(r.Text);
    return IDOK;
  });
  TMachineTypes types(kE2EPageOrder);
  ASSERT_TRUE(types.Ok()) << E2EConfigPath();
  PlaceInvoiceCodeLowerRight(types.Store());

  {
    const TDeviceContext printer = DestinationPrinterDC();
    ASSERT_TRUE(printer) << "the destination printer of scripts/setup";
    EXPECT_EQ(GetDeviceCaps(printer.Get(), LOGPIXELSX), 300);
    // 595 x 842 points of PostScript.
    EXPECT_NEAR(GetDeviceCaps(printer.Get(), PHYSICALWIDTH), 2480, 2) << "A4";
    EXPECT_NEAR(GetDeviceCaps(printer.Get(), PHYSICALHEIGHT), 3508, 2) << "A4";
  }
  const TE2EDocument& invoice = E2EDocument("SCHT");
  const TEnhMetaFile recorded = RecordE2EPage(invoice, &InvoiceTable());
  ASSERT_TRUE(recorded) << "the destination printer of scripts/setup";
  const TEnhMetaFile page = ThroughSpoolFile(recorded.Get());
  ASSERT_TRUE(page) << "the spool file's page";
  ASSERT_EQ(EnhMetaFileBytes(page.Get()), EnhMetaFileBytes(recorded.Get()));

  TScratchDir dir(u"e2e page");
  const std::u16string codeFile = dir.File(u"код SCHT.wmf");
  TE2EPageRun run(page.Get(), codeFile);
  if (!run.FailedStage.empty()) {
    for (const std::u16string& line : run.Log.host.Lines) ADD_FAILURE() << WideToUtf8(line);
    FAIL() << "failed at " << run.FailedStage;
  }
  const TEMFCoder& coder = *run.Coder;
  EXPECT_EQ(coder.DocId.GetText(), "SCHT");
  EXPECT_EQ(WideToUtf8(coder.Payload), WideToUtf8(invoice.Payload));
  EXPECT_TRUE(MatchesGolden("e2e", "SCHT message", HexOf(coder.AztCoder->Data()))) << "the message, header included";
  EXPECT_FALSE(Logged(run.Log, u"Print Server Monitor")) << "the monitor is off";
  EXPECT_TRUE(Logged(run.Log, u"Тип: (0,8)")) << "the default export type, in the place's log line";
  EXPECT_EQ(ReadFixture(codeFile).substr(0, 4), "\xD7\xCD\xC6\x9A") << "a placeable WMF";
  EXPECT_TRUE(run.Services.Boxes.empty());
  EXPECT_TRUE(boxes.empty());

  const TEnhMetaHeader& h = coder.Header;
  const RECT at = CodeRectOnPage(run);
  EXPECT_GT(at.left, h.szlDeviceCx / 2);
  EXPECT_GT(at.top, h.szlDeviceCy / 2);
  EXPECT_LE(at.right, h.szlDeviceCx);
  EXPECT_LE(at.bottom, h.szlDeviceCy);

  const std::vector<uint8_t> image = CodedPageImage(page.Get(), run, codeFile);
  ASSERT_FALSE(image.empty());
  const std::filesystem::path out = "e2e_page";
  std::error_code ec;
  std::filesystem::remove_all(out, ec);
  std::filesystem::create_directories(out, ec);
  EXPECT_TRUE(WriteFileBytes((out / "SCHT.bmp").string(), image));
  std::ofstream((out / "SCHT.place").string()) << at.left << ' ' << at.top << ' ' << at.right << ' ' << at.bottom << '\n';
  SetMessageBoxHook({});
}

}  // namespace
