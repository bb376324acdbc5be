// The exports' bodies linked into the test (their failure values on a caller's nil arguments, the
// caller's metafile left its own), and the batch DOS run of client.exe, which calls the program's own
// exports by ordinal: by the given copies, by the document types, and -K keeping an input that gave
// nothing.
#include "monitor/client_exports_win.h"

#include <gtest/gtest.h>

#include "foundation/lib_api_win.h"
#include "foundation/lib_codepage.h"
#include "foundation/lib_unicode_win.h"
#include "support/e2e_dos_win.h"
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
  const std::u16string output = temp.File(u"OUT.PRN");
  EXPECT_EQ(RunClientExe(u"-ConfigDos -I\"" + input + u"\" -O" + output + u" -N2 -C1 -F"), 0u);
  const std::string printed = ReadFixture(output);
  const TDosExpectedJob expected = ExpectedDosJob(form, {{invoice, 0}}, "CN");
  ASSERT_EQ(expected.Error, "");
  const TDosPrintedCodes codes = SplitPrintedJob(expected, printed);
  ASSERT_EQ(codes.Error, "") << WideToUtf8(Log());
  ASSERT_EQ(codes.Commands.size(), 1u) << "the code on copy 1 only";
  const TDosReadBack back = ReadDosCode(expected.Codes[0].Geometry, codes.Commands[0]);
  EXPECT_EQ(back.Error, "");
  EXPECT_FALSE(back.Picture.empty());
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

// An empty input gives nothing to deliver: -K keeps it and no output is left.
TEST_F(DosBatchWin, KeepsTheInputWhenNothingCameOfIt) {
  ASSERT_TRUE(config.Ok());
  ASSERT_TRUE(WriteFixture(input, ""));
  const std::u16string output = temp.File(u"OUT.PRN");
  EXPECT_EQ(RunClientExe(u"-ConfigDos -I" + input + u" -O" + output + u" -N1 -C1 -K"), 0u);
  EXPECT_TRUE(Exists(input));
  EXPECT_FALSE(Exists(output));
}
