// The support dialog as a window: the report in the memo, the clipboard copy in code page 1251, the
// "Mailto:" link through a recorded shell call, the mail through the stand-in mapi32.dll with its
// attachments and failure boxes, and "client.exe /R" with a second run that brings the first forward.
#include "ui/support_win.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "foundation/lib_api_win.h"
#include "foundation/lib_file_win.h"
#include "foundation/lib_str.h"
#include "foundation/lib_unicode.h"
#include "foundation/lib_unicode_win.h"
#include "support/win_fixtures.h"
#include "ui/frmlib_win.h"
#include "ui/support_res.h"

namespace {

std::string Hex(std::string_view bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (const unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void Click(const TForm& form, int id, int code = BN_CLICKED) {
  SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(form.Control(id)));
}

bool Checked(const TForm& form, int id) { return SendMessageW(form.Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

std::string ClipboardText() {
  std::string text;
  if (!OpenClipboard(nullptr)) return "<closed>";
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    if (const char* bytes = static_cast<const char*>(GlobalLock(data))) text = bytes;
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text;
}

// The stand-in's record: every line's values under its key, in order.
std::multimap<std::string, std::string> ReadMailRecord(const std::u16string& file) {
  std::multimap<std::string, std::string> record;
  std::istringstream in(ReadFixture(file));
  std::string line;
  while (std::getline(in, line)) {
    const size_t eq = line.find('=');
    if (eq != std::string::npos) record.emplace(line.substr(0, eq), line.substr(eq + 1));
  }
  return record;
}

std::vector<std::string> All(const std::multimap<std::string, std::string>& record, const std::string& key) {
  std::vector<std::string> values;
  for (auto [it, end] = record.equal_range(key); it != end; ++it) values.push_back(it->second);
  return values;
}

class SupportWin : public ::testing::Test {
 protected:
  void SetUp() override {
    SetMessageBoxHook([this](const TMessageBoxRequest& r) {
      boxes.push_back({r.Owner, r.Wide ? r.Text : AnsiToWide(r.TextA), r.Wide ? r.Caption : AnsiToWide(r.CaptionA)});
      return IDOK;
    });
    SetEnvironmentVariableW(L"CLIENT_MAPI_STANDIN_LOG", WStr(mailLog));
  }
  void TearDown() override {
    SetMessageBoxHook(nullptr);
    SetEnvironmentVariableW(L"CLIENT_MAPI_STANDIN_LOG", nullptr);
    SetEnvironmentVariableW(L"CLIENT_MAPI_STANDIN_RESULT", nullptr);
  }

  struct TBox {
    HWND Owner;
    std::u16string Text;
    std::u16string Caption;
  };
  TScratchDir scratch{u"support_win_test"};
  std::u16string mailLog = scratch.File(u"mail.txt");
  std::vector<TBox> boxes;
};

}  // namespace

TEST_F(SupportWin, ReportCopyAndLink) {
  std::vector<std::pair<std::u16string, int>> links;
  TTevoranSupport form([&](HWND, const std::u16string& link, int show) { links.push_back({link, show}); });
  form.ComponentMask = 1 | 8;
  form.BuildSupportReport();
  ASSERT_TRUE(form.ShowModeless());
  Pump();
  wchar_t cls[32] = {};
  GetClassNameW(form.Handle(), cls, 32);
  EXPECT_STREQ(cls, L"TTevoranSupport");
  EXPECT_EQ(WindowTextOf(form.Handle()), u"Отчет в службу поддержки Tevoran");
  const std::u16string memo = form.Text(IDC_SUPPORT_MEMO);
  EXPECT_EQ(memo, form.Report());
  EXPECT_EQ(memo.rfind(u"Информация об операционной системе и процессоре:\r\n", 0), 0u);
  EXPECT_NE(memo.find(u"Установленные компоненты: Win; PrnCap; \r\n"), std::u16string::npos);
  EXPECT_FALSE(IsWindowEnabled(form.Control(IDC_SUPPORT_CATTACHSPL))) << "no files to attach";
  EXPECT_TRUE(Checked(form, IDC_SUPPORT_CATTACHSPL));
  EXPECT_FALSE(IsWindowEnabled(form.Control(IDC_SUPPORT_CHECKBOX1)));
  EXPECT_TRUE(Checked(form, IDC_SUPPORT_CHECKBOX1));
  EXPECT_EQ(form.Text(IDC_SUPPORT_LABELEMAIL), u"E-Mail: " + SupportEMail());
  RECT client{}, band{};
  GetClientRect(form.Handle(), &client);
  EXPECT_EQ(client.right, 618);
  EXPECT_EQ(client.bottom, 438);
  band = ControlRectIn(form.Handle(), form.Control(IDC_SUPPORT_IMAGE1));
  EXPECT_EQ(band.right - band.left, client.right);
  EXPECT_EQ(band.bottom - band.top, 33);
  EXPECT_NE(SendMessageW(form.Control(IDC_SUPPORT_IMAGE1), STM_GETIMAGE, IMAGE_BITMAP, 0), 0);

  Click(form, IDC_SUPPORT_BUTTON1);
  const std::string copied = ClipboardText();
  EXPECT_EQ(copied, WideToAnsi(memo));
  EXPECT_EQ(copied.substr(0, 3), "\xC8\xED\xF4") << "\"Инф\" in code page 1251";

  Click(form, IDC_SUPPORT_LABELEMAIL, STN_CLICKED);
  ASSERT_EQ(links.size(), 1u);
  EXPECT_EQ(links[0].first, u"Mailto:" + SupportEMail());
  EXPECT_EQ(links[0].second, 4);
  form.Close(0);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(SupportWin, MailThroughTheStandIn) {
  const std::u16string spool = scratch.File(u"00012.spl");
  ASSERT_TRUE(WriteFixture(spool, std::string(1000, 'S')));
  TTevoranSupport form;
  form.Files = {scratch.File(u"gone.spl"), spool};
  form.BuildSupportReport();
  ASSERT_TRUE(form.ShowModeless());
  Pump();
  EXPECT_TRUE(IsWindowEnabled(form.Control(IDC_SUPPORT_CATTACHSPL)));
  // Wine's own mapi32 would hand the mail to the desktop's mail program: the stand-in must be the one.
  const HMODULE mapi = LoadLibraryA("MAPI32.DLL");
  ASSERT_NE(mapi, nullptr);
  wchar_t loaded[MAX_PATH] = {};
  GetModuleFileNameW(mapi, loaded, MAX_PATH);
  FreeLibrary(mapi);
  ASSERT_EQ(UpperCaseW(FromWStr(loaded)), UpperCaseW(IncludeTrailingPathDelimiterW(GetProgramDir()) + u"mapi32.dll"))
      << "run with WINEDLLOVERRIDES=mapi32=n";
  Click(form, IDC_SUPPORT_BUTTON3);
  const auto mail = ReadMailRecord(mailLog);
  ASSERT_FALSE(mail.empty()) << "the stand-in was called";
  EXPECT_EQ(All(mail, "subject"), std::vector<std::string>{Hex(WideToAnsi(u"Отчет об ошибке Tevoran-Клиент"))});
  EXPECT_EQ(All(mail, "flags"), std::vector<std::string>{"11"});
  EXPECT_EQ(All(mail, "session"), std::vector<std::string>{"0"});
  EXPECT_EQ(All(mail, "parent"),
            std::vector<std::string>{std::to_string(reinterpret_cast<ULONG_PTR>(form.Handle()))});
  EXPECT_EQ(All(mail, "originator"), std::vector<std::string>{""});
  EXPECT_EQ(All(mail, "type"), std::vector<std::string>{"(nil)"});
  EXPECT_EQ(All(mail, "recipient"),
            std::vector<std::string>{"1," + Hex(WideToAnsi(u"Tevoran Support")) + "," + Hex(WideToAnsi(SupportEMail()))});
  const std::string note = All(mail, "note").at(0);
  EXPECT_EQ(note.substr(0, 48), Hex(std::string(23, ' ') + "\xC4")) << "23 blanks, then \"Добрый день.\"";
  EXPECT_NE(note.find(Hex(WideToAnsi(form.Report()))), std::string::npos) << "the report in the body";
  const std::vector<std::string> files = All(mail, "file");
  ASSERT_EQ(files.size(), 2u) << "the gone file is skipped";
  EXPECT_NE(files[0].find("," + Hex("report.txt") + ",present"), std::string::npos) << files[0];
  EXPECT_EQ(files[0].substr(0, 4), "2,0,");
  EXPECT_EQ(files[1], "2,0," + Hex(WideToAnsi(spool)) + "," + Hex("00012.spl") + ",present");
  // The report's temporary file is gone after the send.
  const std::string reportPath = files[0].substr(4, files[0].find(',', 4) - 4);
  std::string path;
  for (size_t i = 0; i + 1 < reportPath.size(); i += 2) {
    path += static_cast<char>(std::stoi(reportPath.substr(i, 2), nullptr, 16));
  }
  EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES) << path;
  EXPECT_TRUE(boxes.empty());

  const struct {
    const wchar_t* result;
    std::u16string box;
  } results[] = {
      {L"1", u""},
      {L"2", u"Ошибка при отправке сообщения: Ошибка"},
      {L"11", u"Ошибка при отправке сообщения: Вложение не найдено"},
  };
  for (const auto& r : results) {
    boxes.clear();
    SetEnvironmentVariableW(L"CLIENT_MAPI_STANDIN_RESULT", r.result);
    Click(form, IDC_SUPPORT_BUTTON3);
    if (r.box.empty()) {
      EXPECT_TRUE(boxes.empty()) << "a cancelled mail shows nothing";
      continue;
    }
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].Text.find(r.box), std::u16string::npos);
    EXPECT_NE(boxes[0].Caption.find(u"Ошибка!"), std::u16string::npos);
    EXPECT_EQ(boxes[0].Owner, form.Handle());
  }
  EXPECT_FALSE(form.Closed()) << "the dialog stays open after sending";
  form.Close(0);
}

// "client.exe /R" shows the dialog; a second run brings it to the front and ends.
TEST_F(SupportWin, ProgramShowsTheDialogOnce) {
  const std::u16string exe = AnsiToWide(CLIENT_EXE_PATH);
  const auto start = [&](PROCESS_INFORMATION& pi) {
    std::wstring cmd = L"\"" + std::wstring(WStr(exe)) + L"\" /R";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    return CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi) != FALSE;
  };
  PROCESS_INFORMATION first{};
  ASSERT_TRUE(start(first));
  HWND dialog = nullptr;
  for (int i = 0; i < 300 && !dialog; ++i) {
    dialog = FindWindowW(L"TTevoranSupport", L"Отчет в службу поддержки Tevoran");
    if (!dialog) WaitForSingleObject(first.hProcess, 100);
  }
  ASSERT_NE(dialog, nullptr) << "the first run's dialog";
  PROCESS_INFORMATION second{};
  ASSERT_TRUE(start(second));
  EXPECT_EQ(WaitForSingleObject(second.hProcess, 30000), WAIT_OBJECT_0) << "the second run ends";
  DWORD code = 9999;
  GetExitCodeProcess(second.hProcess, &code);
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(IsWindow(dialog)) << "the first dialog stays";
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_SUPPORT_BUTTON2, BN_CLICKED), 0);
  EXPECT_EQ(WaitForSingleObject(first.hProcess, 30000), WAIT_OBJECT_0) << "closing the dialog ends the run";
  for (PROCESS_INFORMATION* pi : {&first, &second}) {
    if (WaitForSingleObject(pi->hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(pi->hProcess, 9998);
    CloseHandle(pi->hThread);
    CloseHandle(pi->hProcess);
  }
}
