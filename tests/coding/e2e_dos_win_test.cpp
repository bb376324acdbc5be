// DOS jobs printed under Wine: on every command set and output form, a capture file of invoices and a
// letter no type knows goes through ProcessDosFile with the configuration in the machine's ConfigDos
// key and is printed raw on the destination printer, whose port file is read back. With the job's seeds
// pinned, every byte must be as the invoices coded alone give them; each "C" copy's code, rebuilt from
// the printed commands, goes to e2e_dos/<form>.SCHT-<n>.bmp in the build directory, where the native step
// coding/e2e_dos_win_zxing reads it with zxing-cpp and must find exactly the invoice's message.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "foundation/cl_tools_app_win.h"
#include "foundation/cl_tools_config.h"
#include "foundation/cl_tools_store_win.h"
#include "foundation/lib_api.h"
#include "foundation/lib_api_win.h"
#include "foundation/lib_unicode_win.h"
#include "monitor/createcode.h"
#include "monitor/uintraw_win.h"
#include "support/code_image.h"
#include "support/coder_fakes.h"
#include "support/e2e_dos.h"
#include "support/e2e_dos_win.h"
#include "support/e2e_fixtures.h"
#include "support/prn_test_support.h"
#include "support/win_fixtures.h"

namespace {

const std::u16string kDestinationFile = u"C:\\client-print\\out.ps";

TEST(DosEndToEndWin, CaptureFilePrintedOnTheDestinationPerForm) {
  ASSERT_EQ(GetACP(), 1251u) << "the tests run with a Russian system code page";
  std::vector<std::u16string> boxes;
  SetMessageBoxHook([&](const TMessageBoxRequest& r) {
    boxes.push_back(r.Wide ? r.Text : AnsiToWide(r.TextA));
    return IDCANCEL;
  });
  const TScratchDir temp(u"e2e_dos_win_test");
  const std::filesystem::path pictures = "e2e_dos";
  std::error_code ec;
  std::filesystem::remove_all(pictures, ec);
  std::filesystem::create_directories(pictures, ec);
  TClientApplication app;
  for (const TDosForm& form : DosForms()) {
    SCOPED_TRACE(form.Name);
    const TMachineDosConfig config(form, temp.File(u"dos.log"));
    ASSERT_TRUE(config.Ok()) << E2EConfigPath();
    const std::vector<TDosJobDocument> documents = DosJobDocuments(form);
    const std::u16string input = temp.File(u"CAPTURE.PRN");
    ASSERT_TRUE(WriteFixture(input, DosJobFile(documents)));
    DeleteFileW(WStr(kDestinationFile));  // a file port is not truncated before a job
    {
      const TFixedSeeds seeds;
      ASSERT_TRUE(ProcessDosFile(app, input, false, kDosFromCapture, nullptr, 0)) << ReadFixture(temp.File(u"dos.log"));
    }
    EXPECT_EQ(GetFileAttributesW(WStr(input)), INVALID_FILE_ATTRIBUTES) << "the capture file is gone after its send";
    const std::vector<uint8_t> bytes = ReadFileBytes(kDestinationFile);
    const std::string printed(bytes.begin(), bytes.end());
    const TDosExpectedJob expected = ExpectedDosJob(form, documents, "CNN");
    ASSERT_EQ(expected.Error, "");
    EXPECT_TRUE(printed == expected.Bytes) << "the job's seeds pinned, every byte is as the invoices coded alone give it";
    const TDosPrintedCodes codes = SplitPrintedJob(expected, printed);
    ASSERT_EQ(codes.Error, "");
    ASSERT_EQ(codes.Commands.size(), 3u) << "one coded copy of each invoice";
    for (size_t i = 0; i < codes.Commands.size(); ++i) {
      const TDosCodeGeometry& geometry = expected.Codes[i].Geometry;
      const TDosReadBack back = ReadDosCode(geometry, codes.Commands[i]);
      ASSERT_EQ(back.Error, "");
      const std::string name = std::string(form.Name) + "." + std::string(kDosInvoiceId) + "-" + std::to_string(i);
      EXPECT_TRUE(WriteFileBytes((pictures / (name + ".bmp")).string(),
                                 SymbolImage(back.Picture, {geometry.Width, geometry.Height}, 0, geometry.Width)));
    }
  }
  SetMessageBoxHook(nullptr);
  EXPECT_TRUE(boxes.empty());
}

}  // namespace
