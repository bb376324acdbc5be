// client.exe as a user starts it, on the stand-in spooler: the tray monitor (no argument) and the queue
// monitor ("/M") each code and print a Windows invoice and a DOS job on the destination PostScript
// printer, and end when their window is closed from outside; registered by its own command as the
// monitor service, it codes and prints as the service, and its commands stop and remove it. A job in the middle of its coding (its
// copies dialog open) is not lost when the program is stopped or ended by force: the next run prints
// it. The printed jobs go to monitor_program/<role>/ for the native step that reads the codes back.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <fstream>
#include <string>

#include "foundation/cl_tools_cfgkey.h"
#include "foundation/cl_tools_store_win.h"
#include "foundation/lib_prn_printers.h"
#include "foundation/lib_prn_printers_host_win.h"
#include "foundation/lib_reg_win.h"
#include "foundation/lib_sysinfo_win.h"
#include "foundation/lib_unicode_win.h"
#include "support/code_image.h"
#include "support/dos_job_fakes.h"
#include "support/e2e_page_win.h"
#include "support/monitor_program_win.h"
#include "support/saved_key_win.h"
#include "support/service_cleanup_win.h"
#include "support/win_fixtures.h"

namespace {

const std::u16string kConfig = u"Software\\Kavrel\\Client\\Config";
const std::u16string kConfigDos = u"Software\\Kavrel\\Client\\ConfigDos";
const std::u16string kDestination = u"Client Test PS";
const std::u16string kDestinationFile = u"C:\\client-print\\out.ps";
const std::u16string kVirtual = u"Монитор-клиент";
const wchar_t* const kMonitorWindow = L"TFormVirtPrinter";
const std::string kDosDocument = "\x1B&l6DAAA 1 invoice\r\n\f";

// The profile's default printer for one test: the DOS printing check wants the virtual printer there.
class TDefaultPrinter {
 public:
  explicit TDefaultPrinter(const std::u16string& printer) {
    wchar_t old[512]{};
    GetProfileStringW(L"Windows", L"Device", L"", old, 512);
    old_ = old;
    WriteProfileStringW(L"Windows", L"Device", WStr(printer + u",winspool,LPT1:"));
  }
  ~TDefaultPrinter() { WriteProfileStringW(L"Windows", L"Device", old_.empty() ? nullptr : old_.c_str()); }

 private:
  std::wstring old_;
};

class MonitorProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    machine.WriteTextA(kConfigKey, u"Version", std::string(kProgramVersion));
    machine.WriteText(kConfigKey, u"LogFile", LogFile());
    machine.WriteInteger(kConfigKey, u"AsService", 0);
    ASSERT_TRUE(types.Ok()) << E2EConfigPath();
    PlaceInvoiceCodeLowerRight(types.Store());
    // The invoice printed with its code without asking: nobody answers the copies dialog here.
    machine.WriteInteger(TMachineTypes::TypeKey("SCHT"), u"AckPages", 0);
    machine.WriteTextA(kConfigDosKey, u"Version", std::string(kProgramVersion));
    machine.WriteText(kConfigDosKey, u"DocOrder", u"DJ");
    WriteDosModel(machine, u"HP Monitor Program", u"300,300,Rastr");
    WriteDosKeywordType(machine, u"DJ", u"AAA", u"CN", 0);

    AddProgramVirtualPrinter(*spooler.StandIn, kVirtual, kDestination);
    DeleteFileW(WStr(kDestinationFile));  // a file port is not truncated before a job
  }

  std::u16string LogFile() const { return scratch.File(u"client.log"); }
  std::string Log() const { return ReadFixture(LogFile()); }
  std::unique_ptr<TMonitorProgram> Start(const std::u16string& arguments) {
    return std::make_unique<TMonitorProgram>(AnsiToWide(CLIENT_EXE_PATH), arguments, spooler.Directory.Path);
  }

  void SubmitInvoice() {
    const TEnhMetaFile page = RecordE2EPage(E2EDocument("SCHT"), &InvoiceTable());
    ASSERT_TRUE(page) << "the destination printer of scripts/setup";
    ASSERT_NE(spooler.StandIn->SubmitEmfJob(kVirtual, u"Счёт 15", {EnhMetaFileBytes(page.Get())}), 0u);
  }
  void SubmitDosJob() {
    ASSERT_NE(spooler.StandIn->SubmitRawJob(
                  kVirtual, u"Счёт DOS", {reinterpret_cast<const uint8_t*>(kDosDocument.data()), kDosDocument.size()}),
              0u);
  }

  // Both jobs through a running monitor, their prints kept in monitor_program/<role>/.
  void PrintBothJobs(const std::string& role) {
    const std::filesystem::path dir = std::filesystem::path("monitor_program") / role;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    SubmitInvoice();
    const std::vector<uint8_t> windows = TakePrinted(kVirtual, kDestinationFile, 90000);
    const std::string postscript(windows.begin(), windows.end());
    EXPECT_NE(postscript.find("%%Page:"), std::string::npos) << "the invoice was printed\n" << Log();
    std::ofstream(dir / "emf_job.ps", std::ios::binary) << postscript;

    SubmitDosJob();
    const std::vector<uint8_t> dos = TakePrinted(kVirtual, kDestinationFile, 30000);
    const std::string printed(dos.begin(), dos.end());
    EXPECT_EQ(printed.substr(0, 12), kDosDocument.substr(0, 12));
    std::string error;
    const std::vector<uint8_t> image = PrintedPclCodeImage(printed, error);
    EXPECT_EQ(error, "");
    EXPECT_TRUE(WriteFileBytes((dir / "dos_job_code.bmp").string(), image));
  }

  TScratchDir scratch{u"monitor_program"};
  TSavedKey config{kConfig, u"monitor_program"};
  TSavedKey configDos{kConfigDos, u"monitor_program"};
  TRegistryStore machine;
  TMachineTypes types{kE2EPageOrder};
  TStandInScope spooler{u"monitor_program_spool"};
  TDefaultPrinter defaultPrinter{kVirtual};
};

}  // namespace

TEST_F(MonitorProgram, TrayMonitorCodesAndPrintsBothJobsAndEndsWhenClosedFromOutside) {
  const auto client = Start(u"");
  ASSERT_TRUE(client->Started());
  ASSERT_NE(client->WaitWindow(kMonitorWindow, 20000), nullptr) << Log();
  // A second monitor of the same role ends at once, quietly.
  EXPECT_EQ(Start(u"")->WaitExit(20000), 0u);
  PrintBothJobs("tray");
  EXPECT_EQ(client->CloseWindow(kMonitorWindow, 20000), 0u) << Log();
  const std::string log = Log();
  EXPECT_NE(log.find("Stand-in spooler: "), std::string::npos) << log;
  EXPECT_NE(log.find(";ModeMonitor=1;"), std::string::npos) << log;
  EXPECT_NE(log.find("Monitoring started. 1 Printers found"), std::string::npos) << log;
  EXPECT_NE(log.find("Monitoring stopped"), std::string::npos) << log;
}

TEST_F(MonitorProgram, QueueMonitorCodesAndPrintsBothJobs) {
  const auto client = Start(u"/M");
  ASSERT_NE(client->WaitWindow(kMonitorWindow, 20000), nullptr) << Log();
  PrintBothJobs("queue");
  EXPECT_EQ(client->CloseWindow(kMonitorWindow, 20000), 0u) << Log();
  EXPECT_EQ(Log().find(";DisableGUI="), std::string::npos) << "the queue monitor logs no user line\n" << Log();
}

TEST_F(MonitorProgram, AJobInTheMiddleOfItsCodingSurvivesAStopAndAKill) {
  // The copies dialog holds the job in the middle of its coding.
  WriteDosKeywordType(machine, u"DJ", u"AAA", u"CN", 1);
  SubmitDosJob();
  {
    const auto client = Start(u"");
    ASSERT_NE(client->WaitWindow(L"TAckDialogForm", 30000), nullptr) << Log();
    // The printer monitor cannot leave the dialog for the stop: the program ends without it.
    EXPECT_EQ(client->CloseWindow(kMonitorWindow, 30000), 0u) << Log();
    EXPECT_NE(Log().find("thread did not stop"), std::string::npos) << Log();
  }
  EXPECT_EQ(QueuedJobs(kVirtual), 1u) << "the job stays queued";
  {
    const auto client = Start(u"");
    ASSERT_NE(client->WaitWindow(L"TAckDialogForm", 30000), nullptr) << Log();
    client->Kill();
  }
  EXPECT_EQ(QueuedJobs(kVirtual), 1u) << "the job stays queued";
  const auto client = Start(u"");
  HWND dialog = client->WaitWindow(L"TAckDialogForm", 30000);
  ASSERT_NE(dialog, nullptr) << Log();
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  const std::vector<uint8_t> printed = TakePrinted(kVirtual, kDestinationFile, 30000);
  EXPECT_NE(std::string(printed.begin(), printed.end()).find("\x1B*r"), std::string::npos) << "printed with its code";
  EXPECT_EQ(client->CloseWindow(kMonitorWindow, 20000), 0u) << Log();
}

namespace {

// The monitor service's state as the manager reports it; 0 when it cannot be read.
DWORD ServiceState() {
  const TServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  const TServiceHandle service(OpenServiceW(manager.Get(), L"MonitService", SERVICE_QUERY_STATUS));
  SERVICE_STATUS status{};
  return service && QueryServiceStatus(service.Get(), &status) ? status.dwCurrentState : 0;
}

bool WaitFor(const std::function<bool()>& done, int maxMs) {
  for (int waited = 0; waited < maxMs && !done(); waited += 100) Sleep(100);
  return done();
}

}  // namespace

TEST_F(MonitorProgram, AsTheServiceItCodesAndPrintsAndItsCommandsStopAndRemoveIt) {
  const TServiceCleanup cleanup;
  machine.WriteInteger(kConfigKey, u"AsService", 1);
  const std::u16string exe = AnsiToWide(CLIENT_EXE_PATH);
  ASSERT_EQ(Start(u"/Install /Silent")->WaitExit(30000), 0u) << Log();
  TServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  TServiceHandle service(OpenServiceW(manager.Get(), L"MonitService", SERVICE_ALL_ACCESS));
  ASSERT_TRUE(service) << "registered by the program's own command\n" << Log();
  std::vector<uint8_t> bytes(8192);
  DWORD needed = 0;
  ASSERT_TRUE(QueryServiceConfigW(service.Get(), reinterpret_cast<QUERY_SERVICE_CONFIGW*>(bytes.data()),
                                  static_cast<DWORD>(bytes.size()), &needed));
  const auto* config = reinterpret_cast<const QUERY_SERVICE_CONFIGW*>(bytes.data());
  std::u16string registered = FromWStr(config->lpBinaryPathName);
  std::replace(registered.begin(), registered.end(), u'/', u'\\');
  std::u16string expected = u"\"" + exe + u"\"";
  std::replace(expected.begin(), expected.end(), u'/', u'\\');
  EXPECT_EQ(WideToAnsi(registered), WideToAnsi(expected)) << "the program itself, quoted, without switches";

  // Under Wine the service runs as the user, so it learns its role from "/Service"; the stand-in's
  // switch reaches a service process only on its command line, where after the letter S it would
  // be a template to expand: the letter M keeps the queue monitor's role.
  const std::u16string path = u"\"" + exe + u"\" /M /Service \"" + std::u16string(kStandInSpoolerVariable) + u"=" +
                              spooler.Directory.Path + u"\"";
  ASSERT_TRUE(ChangeServiceConfigW(service.Get(), SERVICE_NO_CHANGE, SERVICE_DEMAND_START, SERVICE_NO_CHANGE,
                                   WStr(path), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
  ASSERT_TRUE(StartServiceW(service.Get(), 0, nullptr)) << GetLastError() << "\n" << Log();
  EXPECT_TRUE(WaitFor([&] { return Log().find("Monitoring started. 1 Printers found") != std::string::npos; }, 30000))
      << Log();
  SubmitInvoice();
  const std::vector<uint8_t> printed = TakePrinted(kVirtual, kDestinationFile, 90000);
  EXPECT_NE(std::string(printed.begin(), printed.end()).find("%%Page:"), std::string::npos) << Log();
  EXPECT_NE(Log().find("Print code"), std::string::npos) << "the service coded the page\n" << Log();

  EXPECT_EQ(Start(u"/Stop")->WaitExit(30000), 0u);
  EXPECT_TRUE(WaitFor([] { return ServiceState() == SERVICE_STOPPED; }, 10000)) << ServiceState() << "\n" << Log();
  EXPECT_NE(Log().find("Monitoring stopped"), std::string::npos) << Log();
  // A service stays listed while a handle to it is open.
  service.Reset();
  manager.Reset();
  EXPECT_EQ(Start(u"/UnInstall /Silent")->WaitExit(30000), 0u);
  EXPECT_EQ(ServiceState(), 0u) << "removed by the program's own command";
}
