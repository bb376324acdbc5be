// client.exe under Wine: every command letter and switch word reaches its role (or the role's
// not-available line) as the log of the run shows, a held settings lock keeps a second settings
// process out, the legacy configuration is registered, templates are expanded, and the exports carry
// their fixed ordinals. The runs use the program's own configuration key, saved first and restored.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/cl_tools_regimport_win.h"
#include "foundation/lib_api.h"
#include "foundation/lib_api_win.h"
#include "foundation/lib_prn_printer_win.h"
#include "foundation/lib_prn_seam_win.h"
#include "foundation/lib_prn_standin_win.h"
#include "foundation/lib_prn_win.h"
#include "foundation/lib_reg_win.h"
#include "foundation/lib_sysinfo_win.h"
#include "foundation/lib_unicode_win.h"
#include "foundation/os_win32_win.h"
#include "monitor/client_dispatch_win.h"
#include "support/prn_test_support.h"
#include "support/saved_key_win.h"
#include "support/win_fixtures.h"

namespace {

const std::u16string kConfig = u"Software\\Kavrel\\Client\\Config";
const std::u16string kConfigDos = u"Software\\Kavrel\\Client\\ConfigDos";
const std::u16string kLegacy = u"Software\\Tevoran\\TevoranConfig";


struct TRun {
  DWORD ExitCode = 9999;
  std::string Log;
};

class ClientRuns : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    scratch_ = new TScratchDir(u"client_dispatch");
    config_ = new TSavedKey(kConfig, u"client_dispatch");
    configDos_ = new TSavedKey(kConfigDos, u"client_dispatch");
    legacy_ = new TSavedKey(kLegacy, u"client_dispatch");
    RegWriteString(HKEY_LOCAL_MACHINE, kConfig, u"Version", u"4.01.23");
    RegWriteString(HKEY_LOCAL_MACHINE, kConfig, u"LogFile", LogFile());
    RegWriteIntegerW(HKEY_LOCAL_MACHINE, kConfig, u"UseWin", 1);
    RegWriteIntegerW(HKEY_LOCAL_MACHINE, kConfig, u"AsService", 0);
    RegWriteString(HKEY_LOCAL_MACHINE, kConfigDos, u"Version", u"4.01.23");
  }
  static void TearDownTestSuite() {
    delete legacy_;
    delete configDos_;
    delete config_;
    delete scratch_;
  }
  static std::u16string LogFile() { return scratch_->File(u"client.log"); }

  // Runs client.exe (the built one unless told) with the arguments; a run that does not end in time is
  // ended and reported.
  static TRun Run(const std::u16string& arguments, const std::u16string& exe = AnsiToWide(CLIENT_EXE_PATH)) {
    DeleteFileW(WStr(LogFile()));
    std::wstring cmd = L"\"" + std::wstring(WStr(exe)) + L"\" " + WStr(arguments);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    TRun run;
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return run;
    if (WaitForSingleObject(pi.hProcess, 60000) != WAIT_OBJECT_0) {
      TerminateProcess(pi.hProcess, 9998);
      WaitForSingleObject(pi.hProcess, 5000);
    }
    GetExitCodeProcess(pi.hProcess, &run.ExitCode);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    run.Log = ReadFixture(LogFile());
    return run;
  }

  static TScratchDir* scratch_;
  static TSavedKey* config_;
  static TSavedKey* configDos_;
  static TSavedKey* legacy_;
};

TScratchDir* ClientRuns::scratch_ = nullptr;
TSavedKey* ClientRuns::config_ = nullptr;
TSavedKey* ClientRuns::configDos_ = nullptr;
TSavedKey* ClientRuns::legacy_ = nullptr;

bool Has(const std::string& log, const std::string& line) { return log.find(line) != std::string::npos; }

}  // namespace

TEST_F(ClientRuns, EveryCommandReachesItsRole) {
  struct Case {
    std::u16string args;
    std::vector<std::string> lines;
    const char* why;
  };
  const Case cases[] = {
      {u"/ConfigDos -Ia", {"RunDosConfig: DOS settings dialog not available"},
       "the switch word with \"/\": no batch run, the DOS settings"},
      {u"-ConfigDirDos", {"RunDirMonitorConfig: watched-directory dialog not available"},
       "no batch options: the watched-directory settings"},
      {u"/ConfigWin", {"RunWinConfig: Windows settings dialog not available"}, ""},
      {u"C", {"Starting Printer Configuration", "RunPrinterConfig: virtual printer settings dialog not available"}, ""},
      {u"/S", {"RunPrinterConfig: virtual printer settings dialog not available"}, "no virtual printer yet"},
      {u"D", {"RunClient: DeletePrinter not available"}, ""},
      {u"/S30", {"RunClient: CloseAllWindows not available"}, ""},
      {u"/S27 C:\\nothing.exe", {"RunClient: TryUninstFileA not available"}, ""},
      {u"/Stop", {"RunClient: CloseAllWindows not available"}, "the service is not configured: nothing to stop"},
      {u"/ServerConfig", {"Starting Server Configuration", "RunServerConfig: server wizard not available"}, ""},
      {u"/Install", {"Starting Server Configuration", "RunServerConfig: server wizard not available"},
       "installation run: ends when the wizard does not complete"},
      {u"/UnInstall /Silent", {"RunClient: Uninstall not available"}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(WideToAnsi(c.args));
    const TRun run = Run(c.args);
    EXPECT_EQ(run.ExitCode, 0u) << c.why;
    EXPECT_TRUE(Has(run.Log, "Start: ")) << run.Log;
    EXPECT_TRUE(Has(run.Log, "; User:")) << run.Log;
    for (const auto& line : c.lines) EXPECT_TRUE(Has(run.Log, line)) << c.why << "\n" << run.Log;
  }
}

// The deliverables as shipped: stripped beside the build, their debug information apart.
std::u16string Shipped(const char16_t* name) {
  const std::u16string exe = AnsiToWide(CLIENT_EXE_PATH);
  return exe.substr(0, exe.rfind(u'/') + 1) + u"ship/" + name;
}

int64_t FileBytes(const std::u16string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(WStr(path), GetFileExInfoStandard, &data)) return -1;
  return (int64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

TEST_F(ClientRuns, ShippedDeliverablesRunAsBuilt) {
  const std::u16string client = Shipped(u"client.exe");
  const int64_t shipped = FileBytes(client), built = FileBytes(AnsiToWide(CLIENT_EXE_PATH));
  ASSERT_GT(shipped, 0) << "no stripped client.exe beside the build";
  EXPECT_LT(shipped, built) << "the shipped program is not stripped";
  EXPECT_GT(FileBytes(client + u".debug"), 0) << "the debug information kept apart";
#ifndef _WIN64
  // The product's build carries full debug information (the 64-bit test road's build has none).
  EXPECT_LT(shipped * 4, built) << "the shipped program still carries its debug information";
  EXPECT_GT(FileBytes(client + u".debug"), shipped);
#endif
  const TRun run = Run(u"D", client);
  EXPECT_EQ(run.ExitCode, 0u);
  EXPECT_TRUE(Has(run.Log, "Start: ")) << run.Log;
  EXPECT_TRUE(Has(run.Log, "RunClient: DeletePrinter not available")) << run.Log;

  HMODULE installer = LoadLibraryW(WStr(Shipped(u"installer.dll")));
  ASSERT_NE(installer, nullptr) << GetLastError();
  FreeLibrary(installer);
}

TEST_F(ClientRuns, HeldSettingsLockKeepsASecondProcessOut) {
  {
    TInstanceLock lock("Win: Mutex for Tevoran configuration", !IsRemoteSession(), 1);
    ASSERT_TRUE(lock.Held());
    const TRun run = Run(u"/ConfigWin");
    EXPECT_EQ(run.ExitCode, 0u);
    EXPECT_TRUE(Has(run.Log, "Start: "));
    EXPECT_FALSE(Has(run.Log, "Windows settings dialog")) << run.Log;
  }
  const TRun run = Run(u"/ConfigWin");
  EXPECT_TRUE(Has(run.Log, "RunWinConfig: Windows settings dialog not available")) << "the lock is free again";
}

TEST_F(ClientRuns, RegWinCopiesTheLegacyConfiguration) {
  RegWriteString(HKEY_LOCAL_MACHINE, kLegacy, u"Probe", u"из старого ключа");
  const TRun run = Run(u"/RegWin");
  EXPECT_EQ(run.ExitCode, 0u);
  std::u16string probe;
  RegReadString(HKEY_LOCAL_MACHINE, kConfig, u"Probe", probe, u"<missing>");
  EXPECT_EQ(probe, u"из старого ключа");
  RegReadString(HKEY_LOCAL_MACHINE, kLegacy, u"Probe", probe, u"<missing>");
  EXPECT_EQ(probe, u"из старого ключа") << "the source stays";
}

TEST_F(ClientRuns, SecondArgumentExpandsATemplate) {
  const std::u16string tpl = scratch_->File(u"setup.tpl");
  ASSERT_TRUE(WriteFixture(tpl, "v=&version& x=&name&\r\n"));
  const TRun run = Run(u"/Start \"" + tpl + u"\" &name& VALUE");
  EXPECT_EQ(run.ExitCode, 0u);
  EXPECT_EQ(ReadFixture(tpl), "v=4.01.23 x=VALUE\r\n");
  EXPECT_FALSE(Has(run.Log, "StartMonitor")) << "a second argument is no monitor start";
}

namespace {
// A spooler that cannot list its printers: the application cannot start.
class TBrokenSpooler : public TSpoolerApi {
 public:
  BOOL EnumPrinters(DWORD, LPWSTR, DWORD, LPBYTE, DWORD, LPDWORD, LPDWORD) override {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
};

int gDeletePrinterCalls = 0;
void __stdcall CountDeletePrinter() { ++gDeletePrinterCalls; }

std::vector<std::u16string> Args(std::initializer_list<std::u16string> rest) {
  std::vector<std::u16string> a{u"client.exe"};
  a.insert(a.end(), rest);
  return a;
}
}  // namespace

TEST_F(ClientRuns, FailedStartShowsItsBoxAndEndsWithOne) {
  TBrokenSpooler broken;
  UseSpooler(&broken);
  std::vector<TMessageBoxRequest> boxes;
  SetMessageBoxHook([&](const TMessageBoxRequest& r) {
    boxes.push_back(r);
    return IDOK;
  });
  bool monitorStarted = false;
  TClientRoles roles;
  roles.StartMonitor = [&](bool) { monitorStarted = true; };
  const int code = RunClient(roles, {}, Args({}));
  SetMessageBoxHook({});
  UseSpooler(nullptr);
  EXPECT_EQ(code, 1);
  EXPECT_FALSE(monitorStarted);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_FALSE(boxes[0].Wide) << "an 8-bit box";
  EXPECT_NE(boxes[0].Text.find(u"Ошибка при запуске приложения."), std::u16string::npos);
  EXPECT_EQ(ClientApplication(), nullptr);
}

TEST_F(ClientRuns, PluggedRolesAreCalled) {
  TClientRoles roles;
  std::vector<std::string> calls;
  roles.StartMonitor = [&](bool service) { calls.push_back(service ? "StartMonitor(service)" : "StartMonitor"); };
  roles.ProcessDosCommandLine = [&](TClientApplication& app) {
    EXPECT_EQ(&app, ClientApplication());
    calls.push_back("batch");
    return true;
  };
  roles.PrinterSettingsDialog = [&](TClientApplication&, int32_t flag, const std::u16string& printer, TLogFile&,
                                    uint8_t mask) {
    calls.push_back("printer settings " + std::to_string(flag) + " " + WideToAnsi(printer) + " mask " +
                    std::to_string(mask));
  };
  TInstallerFunctions installer;
  installer.DeletePrinter = CountDeletePrinter;
  gDeletePrinterCalls = 0;
  EXPECT_EQ(RunClient(roles, installer, Args({u"/Start"})), 0);
  EXPECT_EQ(RunClient(roles, installer, Args({u"-ConfigDos", u"-Ifile"})), 0);
  EXPECT_EQ(RunClient(roles, installer, Args({u"C"})), 0);
  EXPECT_EQ(RunClient(roles, installer, Args({u"D"})), 0);
  EXPECT_EQ(calls, (std::vector<std::string>{"StartMonitor(service)", "batch", "printer settings 1 Tevoran mask 3"}));
  EXPECT_EQ(gDeletePrinterCalls, 1);
}

TEST_F(ClientRuns, ApplicationObjectOfThisConfiguration) {
  {
    TClientApplication app;
    EXPECT_EQ(app.ComponentMask, 3) << "both sides hold a valid version";
    EXPECT_TRUE(app.WinFlag && app.DosFlag && app.WinOrDosFlag);
    EXPECT_FALSE(app.FileSourceFlag);
    EXPECT_EQ(GetProgramTitle(), u"Tevoran-Клиент");
    EXPECT_FALSE(app.AsService);
    EXPECT_FALSE(app.ServiceMode);
    EXPECT_EQ(app.Sync->MaxAttempts, 10);
    EXPECT_TRUE(app.UpdateEvent.Valid());
    EXPECT_EQ(app.Context.App, &app);
    EXPECT_NE(app.Context.Log, nullptr);
    EXPECT_FALSE(app.Context.StopEvent.Valid());
    EXPECT_FALSE(app.JournalEnabled);
    EXPECT_EQ(app.PrintJournal, nullptr);
    EXPECT_TRUE(app.Start());
  }
  RegWriteIntegerW(HKEY_LOCAL_MACHINE, kConfig, u"PrnMonServEnable", 1);
  RegWriteString(HKEY_LOCAL_MACHINE, kConfigDos, u"DocOrder", u"AB,@@");
  RegWriteString(HKEY_LOCAL_MACHINE, kConfigDos + u"\\@@", u"Desc", u"print server");
  {
    TClientApplication app;
    EXPECT_TRUE(app.JournalEnabled) << "the print-server type in the DOS order";
    EXPECT_NE(app.PrintJournal, nullptr);
  }
  RegRemoveValue(HKEY_LOCAL_MACHINE, kConfig, u"PrnMonServEnable");
  RegRemoveValue(HKEY_LOCAL_MACHINE, kConfigDos, u"DocOrder");
  RemoveRegistryTree(HKEY_LOCAL_MACHINE, kConfigDos + u"\\@@");
}

namespace {
// A stand-in directory named by the program's switch while the object lives.
struct TStandInVariable {
  explicit TStandInVariable(const std::u16string& directory) {
    SetEnvironmentVariableW(WStr(std::u16string(kStandInSpoolerVariable)), WStr(directory));
  }
  ~TStandInVariable() { SetEnvironmentVariableW(WStr(std::u16string(kStandInSpoolerVariable)), nullptr); }
};

// A virtual printer made as the settings make one, through whatever spooler is in place, with one job
// written to it as a program prints.
void MakeVirtualPrinterWithAJob(const std::u16string& name) {
  TPrinter printer;
  ASSERT_EQ(AddVirtualPrinter(printer, name, u"LPT1:", u"", u"Wine PostScript Driver"), 0u);
  const std::u16string document = u"Счёт 17";
  DOC_INFO_1W doc{const_cast<LPWSTR>(WStr(document)), nullptr, const_cast<LPWSTR>(L"RAW")};
  ASSERT_NE(Spooler().StartDocPrinter(printer.Handle, 1, reinterpret_cast<LPBYTE>(&doc)), 0u);
  char data[] = "%!PS\n";
  DWORD written = 0;
  ASSERT_TRUE(Spooler().WritePrinter(printer.Handle, data, sizeof data - 1, &written));
  ASSERT_TRUE(Spooler().EndDocPrinter(printer.Handle));
}
}  // namespace

// The program's own road with the switch: wWinMain puts the stand-in in place, RunClient lists the
// printers and a role sees the stand-in's virtual printer, paused, with the job in its queue.
TEST_F(ClientRuns, TheStandInSwitchPutsTheProgramOnTheStandInSpooler) {
  TScratchDirectory standInDir(u"client_standin");
  const TStandInVariable variable(standInDir.Path);
  {
    const TStandInSwitch standIn;
    ASSERT_TRUE(standIn.On());
    EXPECT_EQ(StandInSpoolerDirectory(), standInDir.Path);
    MakeVirtualPrinterWithAJob(u"Tevoran");
    TClientRoles roles;
    bool listed = false;
    roles.RunQueueMonitor = [&] {
      TClientApplication& app = *ClientApplication();
      int32_t at = -1;
      EXPECT_TRUE(app.Printers->AllPrinters.Find(u"Tevoran", at)) << WideToAnsi(app.Printers->AllPrinters.CommaText());
      TPrinter printer;
      ASSERT_TRUE(printer.Open(u"Tevoran"));
      ASSERT_TRUE(printer.RefreshInfo());
      EXPECT_TRUE(printer.Info2()->Status & PRINTER_STATUS_PAUSED);
      DWORD count = 0;
      std::vector<uint8_t> jobs;
      ASSERT_TRUE(printer.ListJobs(0, 100, count, jobs));
      ASSERT_EQ(count, 1u);
      _JOBINFO job;
      ASSERT_TRUE(CopyJobInfo(jobs, count, 0, job));
      EXPECT_EQ(job.Document, u"Счёт 17");
      listed = true;
    };
    EXPECT_EQ(RunClient(roles, {}, Args({u"-M"})), 0);
    EXPECT_TRUE(listed);
  }
  EXPECT_TRUE(StandInSpoolerDirectory().empty()) << "winspool again when the switch goes";
  EXPECT_FALSE(PrinterExists(u"Tevoran")) << "the printer never reached winspool";
}

// client.exe itself: started with the switch it says so in its log and finds the stand-in's printer
// (the S command registers an installed printer instead of opening the printer settings).
TEST_F(ClientRuns, ClientStartedWithTheSwitchUsesTheStandIn) {
  TScratchDirectory standInDir(u"client_exe_standin");
  {
    TSpoolerStandIn standIn(standInDir.Path);
    UseSpooler(&standIn);
    MakeVirtualPrinterWithAJob(u"Tevoran");
    UseSpooler(nullptr);
  }
  const std::string directory = WideToAnsi(standInDir.Path);
  TRun run;
  {
    const TStandInVariable variable(standInDir.Path);
    run = Run(u"/S");
  }
  EXPECT_EQ(run.ExitCode, 0u);
  EXPECT_TRUE(Has(run.Log, "Stand-in spooler: " + directory)) << run.Log;
  EXPECT_FALSE(Has(run.Log, "RunPrinterConfig")) << "the stand-in's printer was found\n" << run.Log;
  TRegKey item;
  EXPECT_TRUE(RegOpenPath(HKEY_LOCAL_MACHINE, kConfig + u"\\Printers\\Tevoran", item)) << "and registered";
  item.Reset();
  RemoveRegistryTree(HKEY_LOCAL_MACHINE, kConfig + u"\\Printers");
  const TRun plain = Run(u"/S");
  EXPECT_FALSE(Has(plain.Log, "Stand-in spooler")) << "without the switch: winspool";
}

// The batch DOS run loads the program's own file and calls ordinals 20 and 22 (the self-call itself is
// proved in the configuration key's tests); here the program's export table is read without running it.
TEST(ClientExports, FixedOrdinalsAndNames) {
  HMODULE module = LoadLibraryExW(WStr(AnsiToWide(CLIENT_EXE_PATH)), nullptr, DONT_RESOLVE_DLL_REFERENCES);
  ASSERT_NE(module, nullptr);
  const struct {
    WORD ordinal;
    const char* name;
  } exports[] = {{10, "CreateCodeWin"}, {20, "CreateCodeDos"}, {22, "ProcessFileDos"}, {36, "Support"}};
  for (const auto& e : exports) {
    const FARPROC byOrdinal = GetProcAddress(module, MAKEINTRESOURCEA(e.ordinal));
    EXPECT_NE(byOrdinal, nullptr) << e.ordinal;
    EXPECT_EQ(byOrdinal, GetProcAddress(module, e.name)) << e.name;
  }
  for (WORD unused : {9, 11, 21, 23, 35, 37}) EXPECT_EQ(GetProcAddress(module, MAKEINTRESOURCEA(unused)), nullptr) << unused;
  FreeLibrary(module);
}
