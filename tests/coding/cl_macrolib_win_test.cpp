// Coder settings from the real registry and the context store on disk, carried from one process to
// the next: this program starts copies of itself that open the same store.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "coding/cl_macrolib.h"
#include "coding/cl_macrolib_context_win.h"
#include "foundation/cl_tools_store_win.h"
#include "foundation/lib_codepage.h"
#include "foundation/lib_reg_win.h"
#include "foundation/lib_unicode.h"
#include "foundation/lib_unicode_win.h"
#include "support/win_fixtures.h"

namespace {
const std::u16string kTestRoot = u"Software\\ClientTests\\coderbase";
const std::u16string kCfg = kTestRoot + u"\\Config";
const std::u16string kAB = kCfg + u"\\AB";

class RegistryTest : public testing::Test {
 protected:
  TTestKey testKey_{kTestRoot};
};

std::u16string ExePath() {
  wchar_t buf[MAX_PATH + 1] = {};
  GetModuleFileNameW(nullptr, buf, MAX_PATH);
  return FromWStr(buf);
}

// Runs a copy of this program in a child mode and waits for it; its exit code.
DWORD RunChild(const std::u16string& args, DWORD waitMs = 20000) {
  std::u16string cmd = u"\"" + ExePath() + u"\" " + args;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, const_cast<wchar_t*>(WStr(cmd)), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return 1000;
  DWORD code = 1001;
  if (WaitForSingleObject(pi.hProcess, waitMs) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code;
}

// Child mode: opens the ".Default" section of the store in dir as the next page of a raw job, writes
// what it found (Id text, carried context in UTF-8, milliseconds the load took) to out, and leaves
// a context of its own.
constexpr const wchar_t* kChildLoadingEvent = L"ClientTestContextChildLoading";

int RunContextChild(const std::u16string& dir, const std::u16string& out) {
  TContextFile store(dir);
  // Tells a parent that holds the store's lock that the load starts now.
  if (HANDLE loading = OpenEventW(EVENT_MODIFY_STATE, FALSE, kChildLoadingEvent)) {
    SetEvent(loading);
    CloseHandle(loading);
  }
  const DWORD start = GetTickCount();
  std::string report;
  {
    TContext context(store, kDefaultSection);
    const DWORD took = GetTickCount() - start;
    context.SetPage(2);
    report = FormatContextId(context.PageNo, context.DocumentId) + "|" + WideToUtf8(context.Context) + "|" +
             std::to_string(took);
    context.NewContext = std::u16string(u"Далее\0значение 2", 16);
  }
  return WriteFixture(out, report) ? 0 : 3;
}

std::u16string ContextValue(const TContextFile& store) {
  wchar_t buf[512] = {};
  GetPrivateProfileStringW(L".Default", L"Context", L"", buf, 512, WStr(store.FileName()));
  return FromWStr(buf);
}
}  // namespace

TEST_F(RegistryTest, CoderReadsTheTypeFromTheRegistry) {
  const HKEY cu = HKEY_CURRENT_USER;
  ASSERT_TRUE(RegWriteString(cu, kAB, u"DocType", u"Счёт-фактура"));
  RegWriteString(cu, kAB, u"Pages", u"CK");
  RegWriteIntegerW(cu, kAB, u"PicPlace", 0x00640032);
  RegWriteString(cu, kAB, u"VirtualDT", u"XY ");
  RegWriteString(cu, kAB + u"\\Params\\Номер", u"Desc", u"Номер счёта");
  RegWriteString(cu, kAB + u"\\Params\\Номер", u"Data", u"№*");
  RegWriteString(cu, kAB + u"\\Params\\Номер", u"Demo", u"ДЕМО*");
  const uint8_t fieldDelim[] = {0x1F, 0x00};
  RegWriteBytes(cu, kAB + u"\\Format", u"FieldDelim", fieldDelim);
  RegWriteString(cu, kAB + u"\\Format", u"LinesDelim", u"¦");
  RegWriteString(cu, kAB + u"\\Format", u"Version", u"G2");
  RegWriteIntegerW(cu, kAB + u"\\Code", u"Layers", 0x00010008);
  RegWriteIntegerW(cu, kAB + u"\\Code", u"Symbols", 0x00000003);
  RegWriteIntegerW(cu, kAB + u"\\Code", u"ModuleSize", 50);
  RegWriteIntegerW(cu, kAB + u"\\Model", u"TimeOut", 700);
  RegWriteIntegerW(cu, kCfg, u"AckPages", 0);

  TRegistryStore store(HKEY_CURRENT_USER);
  auto coder = TCoder::Create(store, kCfg, nullptr, 0, nullptr, TDocIdClass::CreateFromText("AB"));
  ASSERT_TRUE(coder->LoadParam());
  EXPECT_EQ(coder->DocType, u"Счёт-фактура");
  EXPECT_EQ(coder->Pages, "CK");
  EXPECT_EQ(coder->PicPlace, 0x00640032);
  EXPECT_EQ(coder->AckPages, 0);
  EXPECT_EQ(coder->GetDocTypeId(), "XY");
  ASSERT_EQ(coder->NamedParams->Count(), 1);
  EXPECT_EQ(coder->NamedParams->Strings(0), u"Номер");
  EXPECT_EQ(dynamic_cast<const TNamedParam*>(coder->NamedParams->Objects(0))->Data, u"№*,ДЕМО*");
  EXPECT_EQ(coder->Delims.FieldDelim, std::string("\x1F\x00", 2));
  EXPECT_EQ(coder->Delims.LinesDelim, u"¦");
  EXPECT_EQ(coder->Format.FormatLetter, 'G');
  EXPECT_EQ(coder->Format.Layers, (TSmallPoint{8, 1}));
  EXPECT_EQ(coder->ModelTimeOut, 700);
  // Three symbols of 9 layers (side 53) in a row, 2 modules apart (1 x 100 / 50).
  EXPECT_EQ(coder->Format.PictureSize, (TSize{50 * (2 * 2 + 53 * 3), 50 * 53}));
  coder->Reinit();
  EXPECT_EQ(coder->NamedParams->Count(), 1) << "the type's parameters come back";
}

TEST_F(RegistryTest, DocParamsSavedAndLoadedAgain) {
  TRegistryStore store(HKEY_CURRENT_USER);
  RegWriteString(HKEY_CURRENT_USER, kCfg + u"\\AB", u"DocType", u"Акт");
  RegWriteString(HKEY_CURRENT_USER, kCfg + u"\\CDEF", u"DocType", u"Счёт");
  RegWriteString(HKEY_CURRENT_USER, kCfg + u"\\XYZ", u"DocType", u"Не тип");
  auto list = LoadDocParams(store, kCfg);
  ASSERT_EQ(list->Count(), 2);
  EXPECT_EQ(list->Strings(0), u"Акт");
  EXPECT_EQ(list->Strings(1), u"Счёт");
  auto* ab = dynamic_cast<TDocParam*>(list->Objects(0));
  ab->Pages = "KC";
  ab->AckPages = 0;
  ab->SavePgDlg = 1;
  ab->PicPlace = -3;
  ASSERT_TRUE(SaveDocParams(store, kCfg, *list));
  auto again = LoadDocParams(store, kCfg);
  const auto* ab2 = dynamic_cast<const TDocParam*>(again->Objects(0));
  EXPECT_EQ(ab2->Pages, "KC");
  EXPECT_EQ(ab2->AckPages, 0);
  EXPECT_EQ(ab2->SavePgDlg, 1);
  EXPECT_EQ(ab2->PicPlace, -3);
}

TEST_F(RegistryTest, PrinterModesAreValueNames) {
  TRegistryStore store(HKEY_CURRENT_USER);
  const std::u16string dos = kTestRoot + u"\\ConfigDos";
  RegWriteString(HKEY_CURRENT_USER, dos + u"\\Printers\\Epson LX\\Modes", u"Черновик", u"");
  RegWriteString(HKEY_CURRENT_USER, dos + u"\\Printers\\Epson LX\\Modes", u"NLQ", u"");
  SetPrinterModelMode(store, dos, "Epson LX", "NLQ");
  int32_t selected = -1;
  EXPECT_EQ(GetPrinterModels(store, dos, selected).Get(0), u"Epson LX");
  EXPECT_EQ(selected, 0);
  const TWideStringArray modes = GetPrinterModes(store, dos, u"Epson LX", selected);
  ASSERT_EQ(modes.Count(), 2);
  EXPECT_EQ(modes.Get(selected), u"NLQ");
  SetTimeOut(store, dos, 5);
  EXPECT_EQ(GetDosJobTimeOut(store, dos), 100);
}

TEST(ContextFile, CarriedToTheNextProcess) {
  TScratchDir dir(u"coderbase_context");
  std::array<uint8_t, 4> id{};
  std::u16string firstFile;
  {
    TContextFile store(dir.Path());
    EXPECT_EQ(store.FileName(), dir.Path() + u"\\_Tevoran.tmp");
    TContext context(store, u" .Default ");
    context.SetPage(1);
    id = context.DocumentId;
    context.NewContext = std::u16string(u"Счёт\0№ 7", 8);
  }
  {
    TContextFile store(dir.Path());
    firstFile = ContextValue(store);
    EXPECT_TRUE(IsContextFileName(firstFile, store.StoreDir())) << WideToUtf8(firstFile);
    const std::string bytes = ReadFixture(firstFile);
    EXPECT_NE(bytes.find('\0'), 4u) << "scrambled: the NUL of the text is not in plain sight";
  }

  const std::u16string out = dir.File(u"child.txt");
  ASSERT_EQ(RunChild(u"--context-child \"" + dir.Path() + u"\" \"" + out + u"\""), 0u);
  const std::string report = ReadFixture(out);
  const std::string expected =
      FormatContextId(2, id) + "|" + WideToUtf8(std::u16string(u"Счёт\0№ 7", 8)) + "|";
  EXPECT_EQ(report.substr(0, expected.size()), expected);
  EXPECT_EQ(ReadFixture(firstFile), "<missing>") << "read once and deleted";

  TContextFile store(dir.Path());
  TContext context(store, u".Default");
  EXPECT_EQ(context.Context, std::u16string(u"Далее\0значение 2", 16));
  context.SetPage(3);
  EXPECT_EQ(context.PageNo, 3);
  EXPECT_EQ(context.DocumentId, id);
  EXPECT_EQ(ContextValue(store), u"");
}

TEST(ContextFile, ForeignFileIsLeftAlone) {
  TScratchDir dir(u"coderbase_foreign");
  const std::u16string foreign = dir.File(u"keep.txt");
  ASSERT_TRUE(WriteFixture(foreign, "important"));
  TContextFile store(dir.Path() + u"\\store");
  WritePrivateProfileStringW(L".Default", L"Context", WStr(foreign), WStr(store.FileName()));
  {
    TContext context(store, u".Default");
    EXPECT_FALSE(context.HasContext());
  }
  EXPECT_EQ(ReadFixture(foreign), "important");
  EXPECT_EQ(ContextValue(store), u"");
}

TEST(ContextFile, SectionsWaitForTheLockAcrossProcesses) {
  TScratchDir dir(u"coderbase_lock");
  // Taken by a wait: another test's process may have made the mutex already, and then the initial
  // ownership of CreateMutex is not given.
  HANDLE mutex = CreateMutexA(nullptr, FALSE, ContextMutexName().c_str());
  ASSERT_NE(mutex, nullptr);
  ASSERT_EQ(WaitForSingleObject(mutex, 20000), WAIT_OBJECT_0);
  HANDLE loading = CreateEventW(nullptr, TRUE, FALSE, kChildLoadingEvent);
  ASSERT_NE(loading, nullptr);
  // The child loads while this process holds the store; it gets through once the lock is let go.
  std::u16string cmd = u"\"" + ExePath() + u"\" --context-child \"" + dir.Path() + u"\" \"" + dir.File(u"o.txt") + u"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessW(nullptr, const_cast<wchar_t*>(WStr(cmd)), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &si, &pi));
  // Held on for a second after the child's load began, however long the child took to start.
  EXPECT_EQ(WaitForSingleObject(loading, 20000), WAIT_OBJECT_0);
  Sleep(1000);
  ReleaseMutex(mutex);
  CloseHandle(loading);
  ASSERT_EQ(WaitForSingleObject(pi.hProcess, 20000), WAIT_OBJECT_0);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  CloseHandle(mutex);
  const std::string report = ReadFixture(dir.File(u"o.txt"));
  const int took = std::atoi(report.substr(report.rfind('|') + 1).c_str());
  EXPECT_GE(took, 500) << report;
}

TEST(ContextFile, UsualPlaceIsTheTemporaryDirectory) {
  TContextFile store;
  EXPECT_EQ(ExtractFileNameW(store.FileName()), u"_Tevoran.tmp");
  EXPECT_EQ(store.StoreDir(), ExtractFilePathW(store.FileName()));
}

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--context-child") == 0)
    return RunContextChild(AnsiToWide(argv[2]), AnsiToWide(argv[3]));
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
