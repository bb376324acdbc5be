// The printer monitor thread under Wine on the stand-in spooler: a raw job on a virtual printer without
// the DOS side goes unchanged to its Windows destination (Wine's PostScript printer on a file port) and
// leaves the queue, also after its destination refused to open for a while (one journal line and one
// reason line meanwhile); a Windows job and a DOS job are coded and printed with their codes; a DOS job
// split in two comes out as one print when its rest is small and in time, as two otherwise; the thread
// ends on its stop event and reports its start and end.
#include "monitor/cl_monitor_win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "coding/cl_macrolib_docparam.h"
#include "foundation/cl_tools_regimport_win.h"
#include "foundation/cl_tools_store_win.h"
#include "foundation/lib_prn.h"
#include "foundation/lib_prn_journal_win.h"
#include "foundation/lib_prn_printers_host_win.h"
#include "foundation/lib_prn_win.h"
#include "foundation/lib_reg_win.h"
#include "foundation/lib_sysinfo_win.h"
#include "foundation/lib_unicode_win.h"
#include "monitor/uintemf.h"
#include "coding/enumemf2_records_win.h"
#include "foundation/cl_tools_cfgkey.h"
#include "support/code_image.h"
#include "support/coder_fakes.h"
#include "support/coding_scope_win.h"
#include "support/dos_job_fakes.h"
#include "support/e2e_page_win.h"
#include "support/monitor_run_win.h"
#include "support/prn_test_support.h"
#include "support/raw_code_reader.h"
#include "support/spooler_faults_win.h"

namespace {

const std::u16string kDestination = u"Client Test PS";
const std::u16string kDestinationFile = u"C:\\client-print\\out.ps";

std::u16string Pid() { return AnsiToWide(std::to_string(GetCurrentProcessId())); }

class MonitorThread : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(spooler.StandIn->AddStandInPrinter(MonitoredPrinter(virt)));
    app.Printers = std::make_unique<TPrinters>(CreateWindowsPrintersHost(), machine, user);
    GetCurrentUserName(app.Printers->UserName);
    const int32_t i = app.Printers->Add(virt);
    app.Printers->Items[i].AllUsers = true;
    app.Printers->Items[i].WinSide = true;
    app.Printers->SaveAll();
    app.Printers->SetPrintToOfUser(virt, u"", kPrintToWin, kDestination);
    app.Printers->Refresh();
    boxes = 0;
    TPrnHooks hooks;
    hooks.MessageBox = [this](const std::u16string&, const std::u16string&, UINT, HWND) {
      ++boxes;
      return IDOK;
    };
    SetPrnHooks(hooks);
    ctx.App = &app;
    ctx.Log = log;
    ctx.Components = 1;
    ctx.StopEvent.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    ctx.PrinterReadyEvent.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  }
  void TearDown() override {
    if (thread) StopThread(thread.Get());
    SetPrnHooks({});
  }
  void StartThread() {
    thread.Reset(CreateThread(nullptr, 0, PrinterMonitorThread, &ctx, 0, nullptr));
    ASSERT_TRUE(thread);
  }
  void StartAndWaitReady() {
    StartThread();
    ASSERT_EQ(WaitForSingleObject(ctx.PrinterReadyEvent.Get(), 20000), WAIT_OBJECT_0);
  }
  // Runs the thread until the virtual printer's queue is empty (at most maxMs), then stops it.
  void ServeUntilEmpty(int maxMs) {
    StartAndWaitReady();
    for (int waited = 0; waited < maxMs && QueuedJobs(virt) != 0; waited += 100) Sleep(100);
    EXPECT_EQ(QueuedJobs(virt), 0u) << "the job left the queue";
    ASSERT_TRUE(StopThread(thread.Get()));
  }

  bool StopThread(HANDLE running) { return StopMonitorThread(ctx.StopEvent.Get(), running); }
  bool Logged(std::u16string_view text) const {
    return std::any_of(log.Lines.begin(), log.Lines.end(),
                       [&](const std::u16string& l) { return l.find(text) != std::u16string::npos; });
  }

  TTestRegistryRoots roots{u"cl_monitor"};
  TStandInScope spooler{u"monitor_thread"};
  const std::u16string virt = u"Монитор_" + Pid();
  TRegistryStore machine{roots.Machine.Get()}, user{roots.User.Get()};
  TClientApplication app;
  TMemoryLog log;
  TMonitorContext ctx;
  int boxes = 0;
  std::unique_ptr<TSpoolerFaults> faults;
  TKernelHandle thread;
};

TEST_F(MonitorThread, PassesARawJobThroughToTheDestinationAndEndsOnStop) {
  DeleteFileW(WStr(kDestinationFile));  // a file port is not truncated before a job
  const std::string bytes = "%!PS-Adobe-3.0\n%%Title: monitor raw job\nshowpage\n%%EOF\n";
  ASSERT_NE(spooler.StandIn->SubmitRawJob(virt, u"Сырой", {reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()}),
            0u);

  ServeUntilEmpty(20000);
  DWORD code = 99;
  GetExitCodeThread(thread.Get(), &code);
  EXPECT_EQ(code, 0u);

  EXPECT_EQ(ReadFileBytes(kDestinationFile), std::vector<uint8_t>(bytes.begin(), bytes.end()));
  EXPECT_EQ(boxes, 0);
  EXPECT_TRUE(Logged(u"Enter: Cfg=\"Win\", SrcCount=\"1\""));
  EXPECT_TRUE(Logged(u"Monitoring started. 1 Printers found"));
  EXPECT_TRUE(Logged(u"--> ProcessRAW: Print to=\"Client Test PS\""));
  EXPECT_TRUE(Logged(u"Monitoring stopped"));
}

TEST_F(MonitorThread, ARefusedDestinationKeepsTheJobQueuedWithOneBoxAndOneJournalLineUntilItOpens) {
  DeleteFileW(WStr(kDestinationFile));
  TScratchDirectory journalDir(u"monitor_journal");
  const std::u16string journalFile = journalDir.Path + u"\\journal.dat";
  app.PrintJournal = std::make_unique<TPrintServerMonitor>();
  app.PrintJournal->OpenWith(u"Config", journalFile, u"K");
  app.JournalEnabled = true;
  faults = std::make_unique<TSpoolerFaults>();
  StartAndWaitReady();
  Sleep(1500);  // the first rounds checked the configuration with the destination there
  faults->SetFault(kDestination, TSpoolerFault{.OpenError = ERROR_ACCESS_DENIED});
  const std::string bytes = "%!PS-Adobe-3.0\n%%Title: waited for its printer\nshowpage\n%%EOF\n";
  ASSERT_NE(spooler.StandIn->SubmitRawJob(virt, u"Ждёт", {reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()}),
            0u);
  for (int i = 0; i < 100 && faults->Calls(kDestination, "OpenPrinter") < 8; ++i) Sleep(100);
  EXPECT_GE(faults->Calls(kDestination, "OpenPrinter"), 8) << "several rounds tried it";
  EXPECT_EQ(QueuedJobs(virt), 1u) << "the job waits for its printer";
  EXPECT_EQ(boxes, 1);
  faults->ClearFault(kDestination);
  for (int i = 0; i < 200 && QueuedJobs(virt) != 0; ++i) Sleep(100);
  EXPECT_EQ(QueuedJobs(virt), 0u);
  ASSERT_TRUE(StopThread(thread.Get()));
  EXPECT_EQ(ReadFileBytes(kDestinationFile), std::vector<uint8_t>(bytes.begin(), bytes.end()));
  EXPECT_EQ(boxes, 1);
  const std::vector<uint8_t> journal = ReadFileBytes(journalFile);
  const std::string text(journal.begin(), journal.end());
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
  EXPECT_EQ(text.rfind("\xEF\xBB\xBF" "1|", 0), 0u) << "the job's one record: " << text;
  const auto count = [&](std::u16string_view start) {
    return std::count_if(log.Lines.begin(), log.Lines.end(), [&](const std::u16string& l) { return l.starts_with(start); });
  };
  EXPECT_EQ(count(u"Printer Open Error: \"" + kDestination + u"\""), 1) << "the reason once";
  EXPECT_EQ(count(u"--> ProcessQuuee: Job: JobId="), 2) << "once waiting, once printing";
}

// The machine the Windows job's pages are coded on.
class MonitorThreadCoding : public MonitorThread {
 protected:
  TCodingScope scope{L"cl_monitor_win_test"};
};

TEST_F(MonitorThreadCoding, CodesAWindowsJobOnItsDestinationAndEmptiesTheQueue) {
  TMachineTypes types(kE2EPageOrder);
  ASSERT_TRUE(types.Ok()) << E2EConfigPath();
  PlaceInvoiceCodeLowerRight(types.Store());
  const TEnhMetaFile page = RecordE2EPage(E2EDocument("SCHT"), &InvoiceTable());
  ASSERT_TRUE(page) << "the destination printer of scripts/setup";
  DeleteFileW(WStr(kDestinationFile));
  std::error_code ignored;
  std::filesystem::remove("cl_monitor/emf_job.ps", ignored);  // an earlier run's would be read as this one's
  const std::set<std::wstring> before = scope.Files();
  ASSERT_NE(spooler.StandIn->SubmitEmfJob(virt, u"Счёт 15", {EnhMetaFileBytes(page.Get())}), 0u);

  ServeUntilEmpty(60000);

  const std::vector<uint8_t> printed = ReadFileBytes(kDestinationFile);
  const std::string postscript(printed.begin(), printed.end());
  EXPECT_NE(postscript.find("%%Page:"), std::string::npos);
  // For the native step that reads the code back (monitor/cl_monitor_win_zxing).
  std::filesystem::create_directories("cl_monitor");
  std::ofstream("cl_monitor/emf_job.ps", std::ios::binary) << postscript;
  EXPECT_TRUE(Logged(u"Print code")) << "the page carries its code";
  EXPECT_EQ(boxes, 0);
  EXPECT_TRUE(scope.Boxes.empty());
  std::set<std::wstring> after = scope.Files();
  after.erase(L"client.log");
  after.erase(std::wstring(kContextStoreName.begin(), kContextStoreName.end()));
  EXPECT_EQ(after, before) << "no page file or code picture stays";
}

// A virtual printer with the DOS side only, its jobs coded through the machine's ConfigDos key.
class MonitorThreadDos : public MonitorThread {
 protected:
  void SetUp() override {
    MonitorThread::SetUp();
    TPrinterListItem& item = app.Printers->Items[app.Printers->IndexOf(virt)];
    item.WinSide = false;
    item.DosSide = true;
    app.Printers->SaveAll();
    app.Printers->SetPrintToOfUser(virt, u"", kPrintToDos, kDestination);
    app.Printers->Refresh();
    ctx.Components = kComponentDos;
    // The product's check asks to make the printer the default one and to queue DOS printing on a port.
    TMonitorThreadSteps steps;
    steps.Queue.CheckDosPrintingSetup = [](const std::u16string&) { return true; };
    SetMonitorThreadSteps(steps);
    machine_.WriteTextA(DosSubKey(), u"Version", std::string(kProgramVersion));
    machine_.WriteText(DosSubKey(), u"DocOrder", u"DJ");
    WriteDosModel(machine_, kModel, u"300,300,Rastr");
    WriteDosKeywordType(machine_, u"DJ", u"AAA", u"CN", 0);
  }
  void TearDown() override {
    MonitorThread::TearDown();
    SetMonitorThreadSteps({});
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, WStr(DosSubKey(u"DJ")));
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, WStr(DosSubKey(u"Printers\\" + kModel)));
    machine_.DeleteValue(DosSubKey(u"Printers"), u"Model");
    machine_.DeleteValue(DosSubKey(), u"DocOrder");
    machine_.DeleteValue(DosSubKey(), u"Version");
  }

  const std::u16string kModel = u"HP Monitor Test";
  TRegistryStore machine_;
};

TEST_F(MonitorThreadDos, CodesADosJobAndPrintsItsCopiesOnTheDestination) {
  DeleteFileW(WStr(kDestinationFile));
  std::error_code ignored;
  std::filesystem::remove("cl_monitor/dos_job_code.bmp", ignored);
  const std::string document = "\x1B&l6DAAA 1 invoice\r\n\f";
  ASSERT_NE(spooler.StandIn->SubmitRawJob(virt, u"Счёт DOS",
                                          {reinterpret_cast<const uint8_t*>(document.data()), document.size()}),
            0u);
  ServeUntilEmpty(30000);

  const std::vector<uint8_t> bytes = ReadFileBytes(kDestinationFile);
  const std::string printed(bytes.begin(), bytes.end());
  EXPECT_EQ(printed.substr(0, 12), document.substr(0, 12));
  EXPECT_NE(printed.find("\x1B*r"), std::string::npos) << "the code as PCL raster on the \"C\" copy";
  EXPECT_NE(printed.find(document, 1), std::string::npos) << "the plain \"N\" copy";
  EXPECT_TRUE(Logged(u"--> PrintRAW: Call \"CreateCode\"..."));
  EXPECT_EQ(boxes, 0);

  // What a printer would draw from the PCL raster, as a picture for the native step's zxing-cpp.
  std::string error;
  const std::vector<uint8_t> image = PrintedPclCodeImage(printed, error);
  EXPECT_EQ(error, "");
  ASSERT_FALSE(image.empty());
  std::filesystem::create_directories("cl_monitor");
  EXPECT_TRUE(WriteFileBytes("cl_monitor/dos_job_code.bmp", image));
}

// A DOS program's job the spooler split in two: the parts share the DOS document name, and the rest is
// joined to the first when it is small enough and comes in time.
class MonitorThreadDosSplit : public MonitorThreadDos {
 protected:
  void SetUp() override {
    MonitorThreadDos::SetUp();
    SetDosJobTimeOut(machine_, kConfigDosKey, 2000);
    recorder = std::make_unique<TRecordingSpooler>();
  }
  void TearDown() override {
    MonitorThreadDos::TearDown();
    recorder.reset();
    machine_.DeleteValue(kConfigDosKey, u"TimeOut");
  }
  uint32_t Submit(const std::string& bytes) {
    return spooler.StandIn->SubmitRawJob(virt, kDosDocumentNameNT,
                                         {reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
  }
  // The thread runs until the first part is kept (it leaves the queue), the rest is submitted, and the
  // destination has ended the documents expected; then it is stopped.
  void SplitJob(const std::string& first, const std::string& rest, int documents) {
    DeleteFileW(WStr(kDestinationFile));
    ASSERT_NE(Submit(first), 0u);
    StartAndWaitReady();
    for (int i = 0; i < 100 && QueuedJobs(virt) != 0; ++i) Sleep(50);
    ASSERT_EQ(QueuedJobs(virt), 0u);
    EXPECT_EQ(recorder->Calls(kDestination, "StartDocPrinter"), 0) << "the first part waits for its rest";
    ASSERT_NE(Submit(rest), 0u);
    for (int i = 0; i < 300 && recorder->Calls(kDestination, "EndDocPrinter") < documents; ++i) Sleep(50);
    Sleep(600);  // a round more: nothing else comes out
    EXPECT_EQ(QueuedJobs(virt), 0u);
    ASSERT_TRUE(StopThread(thread.Get()));
  }

  std::unique_ptr<TRecordingSpooler> recorder;
  const std::string first = "\x1B&l6DAAA 1 invoice, first part\r\n";
};

TEST_F(MonitorThreadDosSplit, ASmallRestInTimeIsJoinedIntoOneCodedPrint) {
  const std::string rest = "the rest of the invoice\r\n\f";
  SplitJob(first, rest, 1);

  const std::vector<std::string> docs = recorder->Documents();
  ASSERT_EQ(docs.size(), 1u) << "one raw print";
  const std::string& printed = docs[0];
  EXPECT_EQ(printed.substr(0, 12), first.substr(0, 12));
  EXPECT_NE(printed.find("\x1B*r"), std::string::npos) << "the joined job is coded";
  EXPECT_NE(printed.find(first + rest, 1), std::string::npos) << "the plain copy is the two parts joined";
  const std::vector<uint8_t> port = ReadFileBytes(kDestinationFile);
  EXPECT_EQ(std::string(port.begin(), port.end()), printed) << "what reached the printer's port";
  EXPECT_TRUE(Logged(u"Concatenate files..."));
  EXPECT_EQ(boxes, 0);
}

TEST_F(MonitorThreadDosSplit, ARestOverRestSizePrintsSeparatelyAfterTheFirstPart) {
  std::string rest;
  while (rest.size() < 600) rest += "a line of a long rest\r\n";
  rest.resize(598);
  rest += "\r\n";
  SplitJob(first, rest, 2);

  const std::vector<std::string> docs = recorder->Documents();
  ASSERT_EQ(docs.size(), 2u) << "two raw prints";
  EXPECT_NE(docs[0].find("\x1B*r"), std::string::npos) << "the first part is coded";
  EXPECT_NE(docs[0].find(first, 1), std::string::npos);
  EXPECT_EQ(docs[0].find("a line of a long rest"), std::string::npos) << "without the rest";
  EXPECT_NE(docs[1].find(rest), std::string::npos) << "the rest on its own, after the first part";
  EXPECT_EQ(docs[1].find(first), std::string::npos);
  EXPECT_FALSE(Logged(u"Concatenate files..."));
  EXPECT_EQ(boxes, 0);
}

TEST_F(MonitorThread, AStopSignalledBeforeTheThreadRunsEndsItAndIsSetAgain) {
  SetEvent(ctx.StopEvent.Get());
  StartThread();
  ASSERT_EQ(WaitForSingleObject(thread.Get(), 20000), WAIT_OBJECT_0);
  EXPECT_TRUE(Logged(u"Monitoring stopped"));
  EXPECT_EQ(WaitForSingleObject(ctx.StopEvent.Get(), 0), WAIT_OBJECT_0) << "the stop is left for the stopper";
}

TEST_F(MonitorThread, ASpoolerThatCannotStartEndsTheThreadWithABox) {
  TMonitorThreadSteps steps;
  steps.EnsureSpoolerRunning = [] { return false; };
  SetMonitorThreadSteps(steps);
  StartThread();
  ASSERT_EQ(WaitForSingleObject(thread.Get(), 20000), WAIT_OBJECT_0);
  SetMonitorThreadSteps({});
  EXPECT_TRUE(Logged(u"Не удается запустить очередь печати Windows."));
  EXPECT_FALSE(Logged(u"Monitoring started."));
}

}  // namespace
