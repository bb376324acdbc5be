// The exports' bodies linked into the test (their failure values on a caller's nil arguments, the
// caller's metafile left its own, also when the coding re-records the page), and the batch DOS run of
// client.exe, which calls the program's own exports by ordinal: by the given copies (the code's picture
// written to client_exports/batch_code.bmp for the native zxing-cpp step), by the document types, to a
// printer's queue, and -K keeping an input that gave nothing.
#include "monitor/client_exports_win.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "coding/enumemf2_records_win.h"
#include "foundation/lib_api_win.h"
#include "foundation/lib_codepage.h"
#include "foundation/lib_prn.h"
#include "foundation/lib_unicode_win.h"
#include "monitor/createcode_win_rig.h"
#include "support/code_image.h"
#include "support/e2e_dos_win.h"
#include "support/monitor_program_win.h"
#include "support/win_fixtures.h"

namespace {

// client.exe with the arguments; ended when it does not end in time.
DWORD RunClientExe(const std::u16string& arguments) {
  std::wstring cmd = L"\"" + std::wstring(WStr(AnsiToWide(CLIENT_EXE_PATH))) + L"\" " + WStr(arguments);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 9999;
  if (WaitForSingleObject(pi.hProcess, 60000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 9998);
  WaitForSingleObject(pi.hProcess, 5000);
  DWORD code = 9999;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code;
}

bool Exists(const std::u16string& file) { return GetFileAttributesW(WStr(file)) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

TEST(ClientExportsWin, CallersNilArguments) {
  std::vector<std::u16string> boxes;
  SetMessageBoxHook([&](const TMessageBoxRequest& r) {
    boxes.push_back(r.Wide ? r.Text : AnsiToWide(r.TextA));
    return IDOK;
  });
  TDosCodeResultRec dos{};
  EXPECT_EQ(CreateCodeDos(1, nullptr, nullptr, &dos), 0);
  EXPECT_EQ(CreateCodeDos(1, nullptr, L"C:\\in.prn", nullptr), 0);
  EXPECT_EQ(ProcessFileDos(nullptr, L"C:\\out.prn", "C", nullptr, 0, 0, -1), 0);
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(ProcessFileDos(L"C:\\in.prn", L"C:\\out.prn", nullptr, nullptr, 0, 0, -1), 0);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find(u"Не определено количество копий."), std::u16string::npos);
  SetMessageBoxHook(nullptr);
}

// The coding gets a copy of the page: whatever it does with it, the caller's handle stays valid.
TEST(ClientExportsWin, CallersMetafileStaysItsOwn) {
  const HDC recorder = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(recorder, nullptr);
  TextOutW(recorder, 10, 10, L"Счёт", 4);
  const HENHMETAFILE page = CloseEnhMetaFile(recorder);
  ASSERT_NE(page, nullptr);
  TCodeResultRec rec{};
  const HDC screen = GetDC(nullptr);
  SetMessageBoxHook([](const TMessageBoxRequest&) { return IDOK; });
  const uint8_t status = CreateCodeWin(1, page, 1, screen, nullptr, L"Tevoran", nullptr, &rec);
  SetMessageBoxHook(nullptr);
  ReleaseDC(nullptr, screen);
  EXPECT_LE(status, 3);
  ENHMETAHEADER header{};
  EXPECT_EQ(GetEnhMetaFileHeader(page, sizeof header, &header), sizeof header) << "the caller's page is still valid";
  EXPECT_EQ(CreateCodeWin(1, nullptr, 1, nullptr, nullptr, nullptr, nullptr, &rec), 0);
  DeleteEnhMetaFile(page);
}

class CreateCodeWinRedrawn : public TPageCodingRig {};

// A recognised page with ReDrawEMF on is re-recorded by the coding, which deletes the page it was given:
// the caller's page stays valid and unchanged, and no re-recorded page is left behind.
TEST_F(CreateCodeWinRedrawn, CallersMetafileStaysItsOwn) {
  TMachineTypes types(u"TORG,SCHT");
  ASSERT_TRUE(types.Ok()) << E2EConfigPath();
  store_.WriteInteger(kConfigKey, u"ReDrawEMF", 1);
  TEnhMetaFile page = RecordE2EPage(E2EDocument("SCHT"));
  ASSERT_TRUE(page) << "the destination printer of scripts/setup";
  const TDeviceContext printer = DestinationPrinterDC();
  ASSERT_TRUE(printer);
  const std::vector<uint8_t> before = EnhMetaFileBytes(page.Get());
  const std::set<std::wstring> files = TempFiles();
  TCodeResultRec rec{};
  _JOBINFO job;
  job.Document = u"Счёт 15";
  EXPECT_EQ(CreateCodeWin(0, page.Get(), 1, printer.Get(), &job, L"Client Printer", nullptr, &rec), 3) << LogText();
  EXPECT_TRUE(boxes_.empty());
  EXPECT_EQ(EnhMetaFileBytes(page.Get()), before) << "the caller's page is still valid and unchanged";
  const std::filesystem::path picture(std::u16string(rec.FileName));
  EXPECT_EQ(AddedTempFiles(files), std::set<std::wstring>{picture.filename().wstring()});
  std::filesystem::remove(picture);
}

class DosBatchWin : public ::testing::Test {
 protected:
  const TDosForm& form = DosForms().front();
  TScratchDir temp{u"client_exports_win_test"};
  TMachineDosConfig config{form, temp.File(u"dos.log")};
  std::string invoice = DosInvoiceStream(form, DosInvoices()[0], true);
  std::u16string input = temp.File(u"INVOICE.PRN");
  std::u16string Log() const { return Utf8ToWide(ReadFixture(temp.File(u"dos.log"))); }
};

// -N2 -C1 -F: two copies, the code on the first only; every byte outside the code is the invoice's.
TEST_F(DosBatchWin, ByTheGivenCopies) {
  ASSERT_TRUE(config.Ok());
  ASSERT_TRUE(WriteFixture(input, invoice));
  std::error_code ignored;
  std::filesystem::remove("client_exports/batch_code.bmp", ignored);
  const std::u16string output = temp.File(u"OUT.PRN");
  EXPECT_EQ(RunClientExe(u"-ConfigDos -I\"" + input + u"\" -O" + output + u" -N2 -C1 -F"), 0u);
  const std::string printed = ReadFixture(output);
  const TDosExpectedJob expected = ExpectedDosJob(form, {{invoice, 0}}, "CN");
  ASSERT_EQ(expected.Error, "");
  const TDosPrintedCodes codes = SplitPrintedJob(expected, printed);
  ASSERT_EQ(codes.Error, "") << WideToUtf8(Log());
  ASSERT_EQ(codes.Commands.size(), 1u) << "the code on copy 1 only";
  const TDosCodeGeometry& geometry = expected.Codes[0].Geometry;
  const TDosReadBack back = ReadDosCode(geometry, codes.Commands[0]);
  ASSERT_EQ(back.Error, "");
  ASSERT_FALSE(back.Picture.empty());
  // The picture the commands draw, for the native step's zxing-cpp.
  std::filesystem::create_directories("client_exports");
  EXPECT_TRUE(WriteFileBytes("client_exports/batch_code.bmp",
                             SymbolImage(back.Picture, {geometry.Width, geometry.Height}, 0, geometry.Width)));
  EXPECT_TRUE(Exists(input)) << "kept without -K";
  EXPECT_NE(Log().find(u"ProcessFileDos --> Код возврата: \"Y\", документы: \"CN\""), std::u16string::npos)
      << WideToUtf8(Log());
}

// Without -N and -C the document types decide, through the DOS job coding; -K deletes the input after.
TEST_F(DosBatchWin, ByTheDocumentTypes) {
  ASSERT_TRUE(config.Ok());
  ASSERT_TRUE(WriteFixture(input, invoice));
  const std::u16string output = temp.File(u"OUT.PRN");
  EXPECT_EQ(RunClientExe(u"-ConfigDos -I" + input + u" -O" + output + u" -K"), 0u);
  const TDosExpectedJob expected = ExpectedDosJob(form, {{invoice, 0}}, "CNN");
  ASSERT_EQ(expected.Error, "");
  const TDosPrintedCodes codes = SplitPrintedJob(expected, ReadFixture(output));
  ASSERT_EQ(codes.Error, "") << WideToUtf8(Log());
  EXPECT_EQ(codes.Commands.size(), 1u);
  EXPECT_FALSE(Exists(input)) << "-K after a delivered run";
}

// The CreateCodeDos road with -P: the coded job goes to that printer's queue as a raw job under the batch
// document name.
TEST_F(DosBatchWin, ToAPrintersQueue) {
  ASSERT_TRUE(config.Ok());
  ASSERT_TRUE(WriteFixture(input, invoice));
  TStandInScope spooler{u"client_exports_spool"};
  const std::u16string queue = u"Client Batch Queue";
  TStandInPrinter held = StandInPrinter(queue);
  held.Status = PRN_STATUS_PAUSED;
  ASSERT_TRUE(spooler.StandIn->AddStandInPrinter(held));
  {
    TMonitorProgram client(AnsiToWide(CLIENT_EXE_PATH), u"-ConfigDos -I" + input + u" -P\"" + queue + u"\"",
                           spooler.Directory.Path);
    ASSERT_TRUE(client.Started());
    EXPECT_EQ(client.WaitExit(60000), 0u);
  }
  ASSERT_EQ(QueuedJobs(queue), 1u) << WideToUtf8(Log());
  TPrinterHandle h = OpenPrinterHandle(queue);
  ASSERT_TRUE(h);
  DWORD needed = 0, count = 0;
  Spooler().EnumJobs(h.Get(), 0, 1, 1, nullptr, 0, &needed, &count);
  std::vector<BYTE> bytes(needed);
  ASSERT_TRUE(Spooler().EnumJobs(h.Get(), 0, 1, 1, bytes.data(), needed, &needed, &count));
  const auto& job = *reinterpret_cast<const JOB_INFO_1W*>(bytes.data());
  EXPECT_EQ(FromWStr(job.pDocument), u"Tevoran-Клиент: Документ");
  std::u16string dir;
  ASSERT_TRUE(Spooler().SpoolDirectoryOf(queue, dir));
  const std::vector<uint8_t> spooled = ReadFileBytes(FormatSpoolFileName(dir, job.JobId));
  const TDosExpectedJob expected = ExpectedDosJob(form, {{invoice, 0}}, "CNN");
  ASSERT_EQ(expected.Error, "");
  const TDosPrintedCodes codes = SplitPrintedJob(expected, std::string(spooled.begin(), spooled.end()));
  ASSERT_EQ(codes.Error, "") << WideToUtf8(Log());
  EXPECT_EQ(codes.Commands.size(), 1u);
  EXPECT_TRUE(Exists(input)) << "kept without -K";
}

// An empty input gives nothing to deliver: -K keeps it and no output is left.
TEST_F(DosBatchWin, KeepsTheInputWhenNothingCameOfIt) {
  ASSERT_TRUE(config.Ok());
  ASSERT_TRUE(WriteFixture(input, ""));
  const std::u16string output = temp.File(u"OUT.PRN");
  EXPECT_EQ(RunClientExe(u"-ConfigDos -I" + input + u" -O" + output + u" -N1 -C1 -K"), 0u);
  EXPECT_TRUE(Exists(input));
  EXPECT_FALSE(Exists(output));
}
