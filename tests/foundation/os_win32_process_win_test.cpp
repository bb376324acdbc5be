// Child processes, INF installation, the port copy and directory watching under Wine. The test program
// starts copies of itself in child modes (see main) to get exit codes and show states it controls.
#include "foundation/os_win32_process_win.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "foundation/lib_api_win.h"
#include "foundation/lib_apiext_win.h"
#include "foundation/lib_unicode_win.h"
#include "support/win_fixtures.h"

namespace {
std::u16string SelfCommand(const std::u16string& args) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  return u"\"" + FromWStr(self) + u"\" " + args;
}

std::string SelfCommandA(const std::string& args) { return WideToAnsi(SelfCommand(AnsiToWide(args))); }

// Runs the wait on a thread so that a wait that never ends fails the test instead of hanging it.
bool ExitCodeWithin(HANDLE process, DWORD ms, int& code) {
  // Shared: a thread still waiting after the test gave up must not write into a gone promise.
  auto result = std::make_shared<std::promise<int>>();
  std::future<int> done = result->get_future();
  std::thread([process, result] { result->set_value(WaitProcessExitCode(process)); }).detach();
  if (done.wait_for(std::chrono::milliseconds(ms)) != std::future_status::ready) return false;
  code = done.get();
  return true;
}

// Collects the error boxes instead of showing them.
class BoxCatcher {
 public:
  BoxCatcher() {
    SetMessageBoxHook([this](const TMessageBoxRequest& r) {
      texts.push_back(r.Text);
      return IDOK;
    });
  }
  ~BoxCatcher() { SetMessageBoxHook(nullptr); }
  std::vector<std::u16string> texts;
};

std::vector<std::u16string> FilesIn(const std::u16string& dir) {
  std::vector<std::u16string> names;
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW(WStr(dir + u"\\*"), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(FromWStr(found.cFileName));
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}
}  // namespace

TEST(Processes, ExitCodesOfStartedPrograms) {
  struct Case {
    std::u16string commandLine;
    bool hidden;
    DWORD platform;  // 0: the real one
    int expected;
  } cases[] = {
      {SelfCommand(u"--exit 7"), true, 0, 7},
      {SelfCommand(u"--exit 0"), false, 0, 0},
      {u"cmd /c exit 3", true, 0, 3},
      {SelfCommand(u"--exit 9"), true, 1, 9},  // the 9x branch: CreateProcessA with the converted line
  };
  for (const Case& c : cases) {
    TPlatformGuard platform(c.platform);
    int code = -2;
    ASSERT_TRUE(ExitCodeWithin(RunProcess(c.commandLine, c.hidden), 10000, code));
    EXPECT_EQ(code, c.expected) << WideToAnsi(c.commandLine);
  }
  int code = -2;
  ASSERT_TRUE(ExitCodeWithin(RunProcessA("cmd /c exit 5", true), 10000, code));
  EXPECT_EQ(code, 5);

  EXPECT_EQ(RunProcess(u"Z:\\no\\such\\program.exe", true), nullptr);
  EXPECT_EQ(RunProcessA("", true), nullptr);
  EXPECT_EQ(WaitProcessExitCode(nullptr), -1);
}

TEST(Processes, ExitCode259IsAnExitCodeNotARunningProcess) {
  int code = -2;
  ASSERT_TRUE(ExitCodeWithin(RunProcess(SelfCommand(u"--exit 259 300"), true), 10000, code))
      << "the wait took an ended process for a running one";
  EXPECT_EQ(code, 259);
}

TEST(Processes, ShowStateHandedToTheChild) {
  // The child answers 1000 + wShowWindow when STARTF_USESHOWWINDOW is set, else 0.
  int code = -2;
  ASSERT_TRUE(ExitCodeWithin(RunProcess(SelfCommand(u"--startup"), true), 10000, code));
  EXPECT_EQ(code, 1000 + SW_HIDE);
  ASSERT_TRUE(ExitCodeWithin(RunProcessShown(SelfCommand(u"--startup")), 10000, code));
  EXPECT_EQ(code, 1000 + SW_SHOWNORMAL);
  ASSERT_TRUE(ExitCodeWithin(RunProcess(SelfCommand(u"--startup"), false), 10000, code));
  EXPECT_EQ(code, 0);
  ASSERT_TRUE(ExitCodeWithin(RunProcessA(SelfCommandA("--startup"), true), 10000, code));
  EXPECT_EQ(code, 1000 + SW_HIDE);
}

TEST(Processes, RunProcessAndWaitReturnsAfterTheChildEnded) {
  TScratchDir dir(u"processes_wait");
  const std::u16string marker = dir.File(u"done.txt");
  // The child writes the marker only after a pause: it is there only if the call waited.
  EXPECT_TRUE(RunProcessAndWait(SelfCommand(u"--touch \"" + marker + u"\" 300"), true));
  EXPECT_EQ(ReadFixture(marker), "done");
  EXPECT_FALSE(RunProcessAndWait(u"Z:\\no\\such\\program.exe", true));
}

TEST(PortCopy, CopiesTheFileToAFilePort) {
  TScratchDir dir(u"processes_port");
  CreateDirectoryW(WStr(dir.File(u"выход порт")), nullptr);
  const std::string bytes("\x1b@\x00\x01\r\n\xCF\xF0\xE8\xE2\xE5\xF2\x0c", 13);
  struct Case {
    std::u16string file;
    std::u16string port;
    std::string portSuffix;
    const char* why;
  } cases[] = {
      {dir.File(u"a.prn"), dir.File(u"port1.out"), "", "plain names"},
      {dir.File(u"a.prn"), dir.File(u"port2.out"), ":", "the port's trailing colon is dropped, as in LPT1:"},
      {dir.File(u"Мой файл & копия.prn"), dir.File(u"выход порт\\p.out"), "", "spaces, Cyrillic, cmd operators"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(WriteFixture(c.file, bytes));
    BoxCatcher boxes;
    EXPECT_TRUE(CopyFileToPort(c.file, WideToAnsi(c.port) + c.portSuffix, 10000)) << c.why;
    EXPECT_EQ(ReadFixture(c.port), bytes) << c.why;
    EXPECT_TRUE(boxes.texts.empty()) << c.why;
  }
}

TEST(PortCopy, FailedCopyIsReportedAsFailure) {
  TScratchDir dir(u"processes_portfail");
  const std::u16string file = dir.File(u"a.prn");
  ASSERT_TRUE(WriteFixture(file, "data"));
  struct Case {
    std::u16string file;
    std::string port;
    const char* why;
  } cases[] = {
      {file, WideToAnsi(dir.File(u"missing\\p.out")), "the copy runs and fails: no such directory"},
      {dir.File(u"missing.prn"), "LPT1", "no file to copy: nothing is started"},
      {file, "LPT1\" & echo x > \"y", "a port name that would break out of its quotes"},
  };
  for (const Case& c : cases) {
    BoxCatcher boxes;
    EXPECT_FALSE(CopyFileToPort(c.file, c.port, 10000)) << c.why;
    ASSERT_EQ(boxes.texts.size(), 1u) << c.why;
    EXPECT_NE(boxes.texts[0].find(u"Ошибка вывода файла \"" + c.file + u"\" в порт \"" + AnsiToWide(c.port) + u"\""),
              std::u16string::npos)
        << c.why;
  }
}

TEST(PortCopy, FinishEndsACopyThatOutlivesItsTimeOut) {
  const auto started = std::chrono::steady_clock::now();
  EXPECT_FALSE(FinishCopyToPort(RunProcess(SelfCommand(u"--exit 0 20000"), true), 300));
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
  // Time-out 0 waits for the end; only exit code 0 counts.
  EXPECT_TRUE(FinishCopyToPort(RunProcess(SelfCommand(u"--exit 0 300"), true), 0));
  EXPECT_FALSE(FinishCopyToPort(RunProcess(SelfCommand(u"--exit 1"), true), 5000));
  EXPECT_FALSE(FinishCopyToPort(nullptr, 5000));
}

TEST(PortCopy, SendEmptyFileLeavesNoTemporaryFile) {
  TScratchDir temp(u"processes_temp");
  TScratchDir out(u"processes_empty");
  // GetTempPath takes TMP first: the empty file is made in a directory nobody else uses.
  wchar_t oldTmp[MAX_PATH] = {};
  const DWORD hadTmp = GetEnvironmentVariableW(L"TMP", oldTmp, MAX_PATH);
  SetEnvironmentVariableW(L"TMP", WStr(temp.Path()));

  const std::u16string port = out.File(u"port.out");
  EXPECT_TRUE(SendEmptyFileToPort(WideToAnsi(port) + ":"));
  EXPECT_EQ(ReadFixture(port), "");
  EXPECT_TRUE(FilesIn(temp.Path()).empty());
  EXPECT_FALSE(SendEmptyFileToPort(WideToAnsi(out.File(u"missing\\port.out"))));
  EXPECT_TRUE(FilesIn(temp.Path()).empty());

  SetEnvironmentVariableW(L"TMP", hadTmp ? oldTmp : nullptr);
}

TEST(DirectoryWatch, SignalsWhenAFileIsWritten) {
  for (const DWORD platform : {DWORD{0}, DWORD{1}}) {
    TPlatformGuard guard(platform);
    TScratchDir dir(u"processes_watch_каталог");
    const HANDLE watch = WatchDirectory(dir.Path() + u"\\");
    ASSERT_NE(watch, INVALID_HANDLE_VALUE) << platform;
    EXPECT_EQ(WaitForSingleObject(watch, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << platform;
    ASSERT_TRUE(WriteFixture(dir.File(u"job.prn"), "data"));
    EXPECT_EQ(WaitForSingleObject(watch, 5000), WAIT_OBJECT_0) << platform;
    FindCloseChangeNotification(watch);
  }
  EXPECT_EQ(WatchDirectory(u"Z:\\no\\such\\dir\\"), INVALID_HANDLE_VALUE);
}

TEST(DirectoryWatch, DriveRootStaysTheRoot) {
  // With C: the current directory, "C:" would mean that directory: the watch would miss the root.
  TScratchDir cwd(u"processes_cwd");
  ASSERT_EQ(cwd.Path().substr(0, 3), u"C:\\");
  wchar_t oldCwd[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, oldCwd);
  ASSERT_TRUE(SetCurrentDirectoryW(WStr(cwd.Path())));

  const HANDLE watch = WatchDirectory(u"C:\\");
  ASSERT_NE(watch, INVALID_HANDLE_VALUE);
  const std::u16string inRoot = u"C:\\processes_root_" + FromWStr(std::to_wstring(GetCurrentProcessId()).c_str());
  ASSERT_TRUE(WriteFixture(inRoot, "data"));
  EXPECT_EQ(WaitForSingleObject(watch, 5000), WAIT_OBJECT_0);
  FindCloseChangeNotification(watch);
  DeleteFileW(WStr(inRoot));
  SetCurrentDirectoryW(oldCwd);
}

namespace {
constexpr wchar_t kTestKey[] = L"Software\\ClientTests\\processes";

std::u16string InstalledValue() {
  wchar_t value[64] = {};
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, kTestKey, L"Installed", RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
    return u"<missing>";
  return FromWStr(value);
}

void WriteInf(const std::u16string& name, const std::string& value) {
  ASSERT_TRUE(WriteFixture(name,
                           "[Version]\r\nSignature=\"$CHICAGO$\"\r\n\r\n"
                           "[DefaultInstall]\r\nAddReg=Test.AddReg\r\n\r\n"
                           "[Test.AddReg]\r\nHKCU,\"Software\\ClientTests\\processes\",\"Installed\",0,\"" +
                               value + "\"\r\n"));
}

int g_disabled = 0;
int g_reverted = 0;
BOOL WINAPI StandInIsWow64(HANDLE, PBOOL wow64) {
  *wow64 = TRUE;
  return TRUE;
}
BOOL WINAPI StandInDisable(PVOID* state) {
  ++g_disabled;
  *state = reinterpret_cast<PVOID>(0x1234);
  return TRUE;
}
BOOL WINAPI StandInRevert(PVOID state) {
  if (state == reinterpret_cast<PVOID>(0x1234)) ++g_reverted;
  return TRUE;
}
FARPROC AsProc(void* fn) { return reinterpret_cast<FARPROC>(fn); }
}  // namespace

TEST(InfInstall, ShellInstallVerbRunsDefaultInstall) {
  TScratchDir dir(u"processes_inf");
  struct Case {
    std::u16string subdir;
    bool wideMissing;
    const char* value;
  } cases[] = {
      {u"plain", false, "wide"},
      {u"Драйвер принтера", true, "ansi"},  // ShellExecuteExA with the names converted
  };
  for (const Case& c : cases) {
    RegDeleteKeyW(HKEY_CURRENT_USER, kTestKey);
    const std::u16string sub = dir.File(c.subdir);
    CreateDirectoryW(WStr(sub), nullptr);
    const std::u16string inf = sub + u"\\test.inf";
    WriteInf(inf, c.value);
    SetEntryPointMissingForTesting("ShellExecuteExW", c.wideMissing);
    EXPECT_TRUE(InstallInfFile(inf)) << c.value;
    ClearMissingEntryPointsForTesting();
    EXPECT_EQ(InstalledValue(), AnsiToWide(c.value));
  }
  RegDeleteKeyW(HKEY_CURRENT_USER, kTestKey);
  EXPECT_FALSE(InstallInfFile(u""));
}

TEST(InfInstall, Wow64RunsTheNativeInstallerWithRedirectionOffForTheRun) {
  // Wine has no syssetup.dll: rundll32 ends at once, so what shows is the redirection around the run.
  TScratchDir dir(u"processes_inf64");
  const std::u16string inf = dir.File(u"test.inf");
  WriteInf(inf, "wow64");
  g_disabled = g_reverted = 0;
  ReplaceEntryPointForTesting("IsWow64Process", AsProc(reinterpret_cast<void*>(&StandInIsWow64)));
  ReplaceEntryPointForTesting("Wow64DisableWow64FsRedirection", AsProc(reinterpret_cast<void*>(&StandInDisable)));
  ReplaceEntryPointForTesting("Wow64RevertWow64FsRedirection", AsProc(reinterpret_cast<void*>(&StandInRevert)));
  EXPECT_TRUE(InstallInfFile(inf));
  ClearMissingEntryPointsForTesting();
  EXPECT_EQ(g_disabled, 1);
  EXPECT_EQ(g_reverted, 1);
}

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "--exit") == 0) {
    if (argc >= 4) Sleep(static_cast<DWORD>(std::atoi(argv[3])));
    return std::atoi(argv[2]);
  }
  if (argc == 2 && std::strcmp(argv[1], "--startup") == 0) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    GetStartupInfoA(&si);
    return (si.dwFlags & STARTF_USESHOWWINDOW) ? 1000 + si.wShowWindow : 0;
  }
  if (argc == 4 && std::strcmp(argv[1], "--touch") == 0) {
    Sleep(static_cast<DWORD>(std::atoi(argv[3])));
    return WriteFixture(AnsiToWide(argv[2]), "done") ? 0 : 1;
  }
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
