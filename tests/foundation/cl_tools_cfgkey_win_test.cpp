// Configuration key reads, the export file path, the program spool directory, template placeholders and
// the calls of the program's own exports by ordinal, proved on exports of this test program itself.
#include "foundation/cl_tools_cfgkey_win.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

#include "foundation/lib_api_win.h"
#include "foundation/lib_file_win.h"
#include "foundation/lib_reg_win.h"
#include "foundation/lib_sysinfo_win.h"
#include "foundation/lib_unicode.h"
#include "support/regimport_fixtures.h"

// What the exports below were handed, for the tests to look at.
namespace {
struct TExportCall {
  int32_t JobRecordNo = 0;
  void* JobRecord = nullptr;
  std::u16string Input;
  std::u16string Output;
  std::string Copies;
  std::u16string Model;
  uint8_t Forming = 0;
  uint8_t Cycling = 0;
  int32_t CodePlace = 0;
  bool RecordZeroed = false;
  int Calls = 0;
};
TExportCall g_call;
}  // namespace

// Stand-ins of the program's exports 20 and 22, with their ordinals, in this test program's export table.
extern "C" uint8_t __stdcall TestCreateCodeDos(int32_t jobRecordNo, void* jobRecord, const wchar_t* inputFile,
                                               TDosCodeResultRec* result) {
  ++g_call.Calls;
  g_call.JobRecordNo = jobRecordNo;
  g_call.JobRecord = jobRecord;
  g_call.Input = FromWStr(inputFile);
  g_call.Model = std::u16string(result->OutputFile);
  g_call.RecordZeroed = true;
  for (size_t i = g_call.Model.size(); i < std::size(result->OutputFile); ++i) g_call.RecordZeroed &= result->OutputFile[i] == 0;
  for (const char c : result->Copies) g_call.RecordZeroed &= c == 0;
  std::char_traits<char16_t>::copy(result->OutputFile, u"C:\\out.tmp", 11);
  result->Copies[0] = 'C';
  return 2;
}

extern "C" uint8_t __stdcall TestProcessFileDos(const wchar_t* inputFile, const wchar_t* outputFile, const char* copies,
                                                const wchar_t* printerModel, uint8_t forming, uint8_t cycling,
                                                int32_t codePlace) {
  ++g_call.Calls;
  g_call.Input = FromWStr(inputFile);
  if (g_call.Input == u"throw") throw std::runtime_error("raised inside the export");
  g_call.Output = FromWStr(outputFile);
  g_call.Copies = copies;
  g_call.Model = FromWStr(printerModel);
  g_call.Forming = forming;
  g_call.Cycling = cycling;
  g_call.CodePlace = codePlace;
  return 1;
}

// Exported by the same ordinals as the program's own; only 32-bit stdcall names carry their argument bytes.
#ifdef _WIN64
__asm__(".section .drectve\n\t.ascii \" -export:TestCreateCodeDos @20 -export:TestProcessFileDos @22\"\n\t.text");
#else
__asm__(".section .drectve\n\t.ascii \" -export:TestCreateCodeDos@16 @20 -export:TestProcessFileDos@28 @22\"\n\t.text");
#endif

namespace {
const std::u16string kImportTestKey = ImportTestKey(u"cfgkey");
const std::u16string kImportTestSection = ImportTestSection(u"cfgkey");
const std::u16string kConfig = kImportTestKey + u"\\Config";

std::u16string OwnFileName() { return ExtractFileNameW(GetExeName()); }

// Boxes answered without being shown; every request kept.
class TBoxRecorder {
 public:
  explicit TBoxRecorder(int answer = IDYES) {
    SetMessageBoxHook([this, answer](const TMessageBoxRequest& r) {
      boxes.push_back(r);
      return answer;
    });
  }
  ~TBoxRecorder() { SetMessageBoxHook(nullptr); }
  std::vector<TMessageBoxRequest> boxes;
};
}  // namespace

TEST(ConfigKeyWin, ReadConfigVersionTrims) {
  TTestKey testKey(kImportTestKey);
  EXPECT_EQ(ReadConfigVersion(kConfig, HKEY_CURRENT_USER), "");
  RegWriteString(HKEY_CURRENT_USER, kConfig, u"Version", u"  4.01.23 \t");
  EXPECT_EQ(ReadConfigVersion(kConfig, HKEY_CURRENT_USER), "4.01.23");
  RegWriteString(HKEY_CURRENT_USER, kConfig, u"Version", u"   ");
  EXPECT_EQ(ReadConfigVersion(kConfig, HKEY_CURRENT_USER), "");
  RegWriteIntegerW(HKEY_CURRENT_USER, kConfig, u"Version", 40123);  // a number is no version text
  EXPECT_EQ(ReadConfigVersion(kConfig, HKEY_CURRENT_USER), "");
}

TEST(ConfigKeyWin, ExportFileBesideTheProgram) {
  const std::u16string dir = IncludeTrailingPathDelimiterW(GetProgramDir());
  EXPECT_EQ(RegExportFilePath(1), dir + u"Config.reg");
  EXPECT_EQ(RegExportFilePath(4), dir + u"ConfigDos.reg");
  EXPECT_EQ(RegExportFilePath(0), u"");
}

TEST(ConfigKeyWin, SpoolDirectoryOnBothFamilies) {
  struct Case {
    TSysFlags flags;
    std::u16string base;
  } cases[] = {{DeriveVersionFlags(2, 6, 1), GetSystemDir()}, {DeriveVersionFlags(1, 4, 10), AnsiToWide(GetWindowsDirA())}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flags.PlatformId);
    const std::u16string tevoran = IncludeTrailingPathDelimiterW(c.base) + u"Tevoran";
    const bool existed = DirectoryExistsW(tevoran);
    SetSysFlagsForTesting(c.flags);
    const std::u16string dir = GetProgramSpoolDir();
    ResetSysFlagsForTesting();
    EXPECT_TRUE(SameTextW(dir, tevoran + u"\\Spool")) << WideToAnsi(dir);
    EXPECT_TRUE(DirectoryExistsW(dir));
    if (!existed) {
      RemoveDirectoryW(WStr(dir));
      RemoveDirectoryW(WStr(tevoran));
    }
  }
}

TEST(ConfigKeyWin, TemplatePlaceholdersFilledInPlace) {
  TScratchDir dir(u"cfgtemplate");
  const std::u16string file = dir.File(u"setup.inf");
  ASSERT_TRUE(WriteFixture(file, "cmd=&cmdline&\r\ndir=&progdir&\r\ncap=&monit&\r\nv=&version& &version&\r\nport=&port&\r\n"));
  ASSERT_TRUE(ExpandProgramPlaceholders(file, "&port&", WideToAnsi(u"Порт1")));
  const std::string shortExe = WideToAnsi(GetShortPath(GetExeName()));
  const std::string shortDir = WideToAnsi(ExtractFileDirW(GetShortPath(GetExeName())));
  const std::string capture = WideToAnsi(GetProgramSpoolDir()) + "\\PrnCap.spl";
  EXPECT_EQ(ReadFixture(file), "cmd=" + shortExe + "\r\ndir=" + shortDir + "\r\ncap=" + capture +
                                   "\r\nv=4.01.23 4.01.23\r\nport=" + WideToAnsi(u"Порт1") + "\r\n");
  EXPECT_EQ(shortExe.find(' '), std::string::npos);
}

TEST(SelfCalls, CreateCodeDosByOrdinal) {
  for (const DWORD platform : {DWORD(VER_PLATFORM_WIN32_NT), DWORD(VER_PLATFORM_WIN32_WINDOWS)}) {
    SCOPED_TRACE(platform);
    TPlatformGuard guard(platform);
    const std::u16string model(300, u'М');
    int jobRecord = 0;
    TDosCodeResultRec result;
    std::memset(&result, 0x5A, sizeof result);
    g_call = {};
    EXPECT_EQ(CallCreateCodeDos(u"C:\\in.prn", model, 77, result, &jobRecord, OwnFileName()), 2);
    EXPECT_EQ(g_call.Calls, 1);
    EXPECT_EQ(g_call.JobRecordNo, 77);
    EXPECT_EQ(g_call.JobRecord, &jobRecord);
    EXPECT_EQ(g_call.Input, u"C:\\in.prn");
    EXPECT_EQ(g_call.Model, model.substr(0, 260));  // the first 260, ended by the zeroed record
    EXPECT_TRUE(g_call.RecordZeroed);
    EXPECT_EQ(std::u16string(result.OutputFile), u"C:\\out.tmp");
    EXPECT_EQ(result.Copies[0], 'C');
  }
}

TEST(SelfCalls, ProcessFileDosByOrdinal) {
  g_call = {};
  EXPECT_EQ(CallProcessFileDos(u"C:\\in.prn", u"C:\\out.prn", "CNC", u"Epson", 1, 0, 0x00200010, OwnFileName()), 1);
  EXPECT_EQ(g_call.Calls, 1);
  EXPECT_EQ(g_call.Output, u"C:\\out.prn");
  EXPECT_EQ(g_call.Copies, "CNC");
  EXPECT_EQ(g_call.Model, u"Epson");
  EXPECT_EQ(g_call.Forming, 1);
  EXPECT_EQ(g_call.Cycling, 0);
  EXPECT_EQ(g_call.CodePlace, 0x00200010);
  // An exception inside the export answers 0.
  EXPECT_EQ(CallProcessFileDos(u"throw", u"", "", u"", 0, 0, -1, OwnFileName()), 0);
  EXPECT_EQ(g_call.Calls, 2);
}

TEST(SelfCalls, OwnModuleIsTheRunningOne) {
  TModuleHandle module;
  ASSERT_TRUE(LoadOwnModule(module, OwnFileName()));
  EXPECT_EQ(module.Get(), GetModuleHandleW(nullptr));
}

TEST(SelfCalls, MissingModuleShowsTheBoxAndAnswersZero) {
  TBoxRecorder boxes;
  g_call = {};
  TDosCodeResultRec result{};
  EXPECT_EQ(CallCreateCodeDos(u"in", u"", 1, result, nullptr, u"NoSuchClient.exe"), 0);
  EXPECT_EQ(CallProcessFileDos(u"in", u"out", "C", u"", 0, 0, -1, u"NoSuchClient.exe"), 0);
  EXPECT_EQ(g_call.Calls, 0);
  ASSERT_EQ(boxes.boxes.size(), 2u);
  EXPECT_EQ(boxes.boxes[0].Text, u"Файл не найден: \"NoSuchClient.exe\"");
  EXPECT_EQ(boxes.boxes[0].Flags & MB_ICONMASK, UINT(MB_ICONERROR));
}
