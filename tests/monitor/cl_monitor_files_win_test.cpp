// The capture and directory monitor threads under Wine: real threads, files, change notifications and
// share modes, the DOS configuration of the end-to-end invoices in the machine's ConfigDos key and the
// destination printer's spooler calls recorded. Coded jobs are compared byte for byte with the invoices
// coded alone, and their codes, rebuilt from the printed commands, go to cl_monitor_files/ in the build
// directory, where the native step monitor/cl_monitor_files_win_zxing reads them with zxing-cpp.
#include "monitor/cl_monitor_files_win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "coding/cl_macrolib_docparam.h"
#include "foundation/cl_tools_cfgkey_win.h"
#include "foundation/cl_tools_config.h"
#include "foundation/lib_api.h"
#include "foundation/lib_api_win.h"
#include "foundation/lib_prn_journal_win.h"
#include "foundation/lib_sysinfo_win.h"
#include "foundation/lib_unicode_win.h"
#include "support/ack_dialog_user_win.h"
#include "support/code_image.h"
#include "support/coder_fakes.h"
#include "support/e2e_dos.h"
#include "support/e2e_dos_win.h"
#include "support/e2e_fixtures.h"
#include "support/monitor_run_win.h"
#include "support/prn_test_support.h"
#include "support/spooler_faults_win.h"
#include "support/win_fixtures.h"

namespace {

namespace fs = std::filesystem;

// Pauses between a capture's writes are a fifth of it: a loaded machine may stretch them a little.
constexpr uint32_t kTimeOut = 500;
const std::u16string kDestination(TMachineDosConfig::kDestination);
const std::u16string kDestinationFile = u"C:\\client-print\\out.ps";

// A log whose event-log entries are kept.
class TSinkLogHost : public TMemoryLogHost {
 public:
  std::unique_ptr<TEventSink> OpenEventSource() override { return std::make_unique<TSink>(*this); }
  std::vector<TMessageEvent> Events() const {
    std::lock_guard<std::mutex> hold(lock_);
    return events_;
  }

 private:
  class TSink : public TEventSink {
   public:
    explicit TSink(TSinkLogHost& host) : host_(host) {}
    void Report(const TMessageEvent& event) override {
      std::lock_guard<std::mutex> hold(host_.lock_);
      host_.events_.push_back(event);
    }

   private:
    TSinkLogHost& host_;
  };
  mutable std::mutex lock_;
  std::vector<TMessageEvent> events_;
};

bool WaitUntil(const std::function<bool()>& done, int maxMs) {
  for (int waited = 0; waited < maxMs; waited += 20) {
    if (done()) return true;
    Sleep(20);
  }
  return done();
}

bool Exists(const std::u16string& name) { return GetFileAttributesW(WStr(name)) != INVALID_FILE_ATTRIBUTES; }
bool IsReadOnly(const std::u16string& name) {
  const DWORD a = GetFileAttributesW(WStr(name));
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY) != 0;
}

// Appends as a program printing to a file does: open, write, close.
void Append(const std::u16string& name, const std::string& bytes) {
  const TFileHandle file(CreateFileW(WStr(name), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(file.Valid());
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
}

class FileMonitorWin : public ::testing::Test {
 protected:
  void SetUp() override {
    config = std::make_unique<TMachineDosConfig>(form, temp.File(u"dos.log"));
    ASSERT_TRUE(config->Ok()) << E2EConfigPath();
    for (const std::u16string& key : TimeOutKeys()) SetTimeOut(config->Store(), key, kTimeOut);
    spooler = std::make_unique<TRecordingSpooler>();
    DeleteFileW(WStr(kDestinationFile));  // a file port is not truncated before a job
    SetMessageBoxHook([this](const TMessageBoxRequest& r) {
      std::lock_guard<std::mutex> hold(boxLock);
      boxes.push_back(r.Wide ? r.Text : AnsiToWide(r.TextA));
      return IDCANCEL;
    });
    spool = temp.File(u"Spool");
    TFileMonitorSteps steps;
    steps.SpoolDir = [this] { return spool; };
    SetFileMonitorSteps(steps);
    ctx.App = &app;
    ctx.Log = &log;
    ctx.StopEvent.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    ctx.CaptureReadyEvent.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    fs::create_directories("cl_monitor_files");
  }
  void TearDown() override {
    for (TKernelHandle* t : {&capture, &directory}) {
      if (*t) {
        EXPECT_TRUE(StopMonitorThread(ctx.StopEvent.Get(), t->Get()));
      }
    }
    SetFileMonitorSteps({});
    SetMessageBoxHook(nullptr);
    ResetSysFlagsForTesting();
    spooler.reset();
    for (const std::u16string& key : TimeOutKeys()) config->Store().DeleteValue(key, u"TimeOut");
    for (const char16_t* name : {u"IsMonit", u"MonitorDir", u"MonitDirEx", u"MonitorMask"})
      config->Store().DeleteValue(kConfigDosKey, name);
    config.reset();
  }
  static std::vector<std::u16string> TimeOutKeys() { return {std::u16string(kConfigDosKey), ActiveConfigKey()}; }

  void Start(TKernelHandle& thread, LPTHREAD_START_ROUTINE proc) {
    thread.Reset(CreateThread(nullptr, 0, proc, &ctx, 0, nullptr));
    ASSERT_TRUE(thread.Valid());
  }
  void StartCapture() {
    Start(capture, CaptureMonitorThread);
    ASSERT_EQ(WaitForSingleObject(ctx.CaptureReadyEvent.Get(), 10000), WAIT_OBJECT_0);
    ASSERT_TRUE(WaitUntil([&] { return Exists(spool); }, 10000)) << "the spool directory is made";
  }
  // The thread sets the stop again as it ends; the next start of the test's needs it cleared.
  void Stop(TKernelHandle& thread) {
    ASSERT_TRUE(StopMonitorThread(ctx.StopEvent.Get(), thread.Get()));
    thread.Reset();
    ResetEvent(ctx.StopEvent.Get());
  }
  size_t Printed() const { return spooler->Documents().size(); }
  std::vector<std::u16string> Boxes() {
    std::lock_guard<std::mutex> hold(boxLock);
    return boxes;
  }
  bool Logged(std::u16string_view text) const {
    for (const std::u16string& line : host.Lines)
      if (line.find(text) != std::u16string::npos) return true;
    return false;
  }

  // The invoice as a DOS program prints it, and the coded job it must become.
  std::string Invoice(int index) const { return DosInvoiceStream(form, DosInvoices()[index], true); }
  // The printed document against the invoice coded alone; its code goes to cl_monitor_files/<name>.
  void ExpectCodedInvoice(const std::string& printed, int index, const std::string& name) {
    const TDosExpectedJob expected = ExpectedDosJob(form, {{Invoice(index), index}}, "CNN");
    ASSERT_EQ(expected.Error, "");
    EXPECT_EQ(FirstDifference(printed, expected.Bytes), "equal") << "the seeds pinned, every byte as coded alone";
    const std::vector<uint8_t> port = ReadFileBytes(kDestinationFile);
    EXPECT_TRUE(std::string(port.begin(), port.end()) == printed) << "what reached the printer's port";
    const TDosPrintedCodes codes = SplitPrintedJob(expected, printed);
    ASSERT_EQ(codes.Error, "");
    ASSERT_EQ(codes.Commands.size(), 1u);
    const TDosCodeGeometry& geometry = expected.Codes[0].Geometry;
    const TDosReadBack back = ReadDosCode(geometry, codes.Commands[0]);
    ASSERT_EQ(back.Error, "");
    const std::string file = "cl_monitor_files/" + name + "." + std::string(kDosInvoiceId) + "-" + std::to_string(index);
    EXPECT_TRUE(WriteFileBytes(file + ".bmp", SymbolImage(back.Picture, {geometry.Width, geometry.Height}, 0,
                                                          geometry.Width)));
  }

  const TDosForm& form = DosForms()[0];
  TScratchDir temp{u"cl_monitor_files"};
  std::unique_ptr<TMachineDosConfig> config;
  std::unique_ptr<TRecordingSpooler> spooler;
  std::mutex boxLock;
  std::vector<std::u16string> boxes;
  std::u16string spool;
  TClientApplication app;
  TSinkLogHost host;
  TLogFile log{host, u"C:\\log\\client.log", false};
  TMonitorContext ctx;
  TKernelHandle capture;
  TKernelHandle directory;
};

// ---- The capture monitor -------------------------------------------------------------------------

TEST_F(FileMonitorWin, CaptureWaitsForContentAndRestThenPrintsOnce) {
  StartCapture();
  const std::u16string spl = spool + u"\\PrnCap.spl";
  ASSERT_TRUE(WriteFixture(spl, ""));
  Sleep(2 * kTimeOut);
  EXPECT_TRUE(Exists(spl)) << "a zero-length capture waits for content";
  EXPECT_EQ(Printed(), 0u);

  const std::string invoice = Invoice(0);
  {
    const TFixedSeeds seeds;
    // Eight writes a fifth of the interval apart: the whole outlasts the interval, so only the change
    // notifications keep the file from being taken half written.
    const size_t piece = invoice.size() / 8 + 1;
    for (size_t at = 0; at < invoice.size(); at += piece) {
      Append(spl, invoice.substr(at, piece));
      Sleep(kTimeOut / 5);
      EXPECT_TRUE(Exists(spl)) << "not taken while the writes go on";
      EXPECT_EQ(Printed(), 0u);
    }
    ASSERT_TRUE(WaitUntil([&] { return Printed() == 1 && !Exists(spl) && !Exists(spool + u"\\PrnCap.raw"); }, 15000));
  }
  Sleep(2 * kTimeOut);
  Stop(capture);
  ASSERT_EQ(Printed(), 1u) << "printed once";
  ExpectCodedInvoice(spooler->Documents()[0], 0, "capture");
  EXPECT_TRUE(Boxes().empty());

  const std::vector<TMessageEvent> events = host.Events();
  ASSERT_GE(events.size(), 2u);
  EXPECT_EQ(events.front().EventId, kEventStarted);
  EXPECT_EQ(events.back().EventId, kEventClosed);
}

TEST_F(FileMonitorWin, ACaptureLeftByAnEarlierRunIsPrintedAtStart) {
  ASSERT_TRUE(CreateDirectoryW(WStr(spool), nullptr));
  ASSERT_TRUE(WriteFixture(spool + u"\\PrnCap.raw", Invoice(1)));
  {
    const TFixedSeeds seeds;
    StartCapture();
    ASSERT_TRUE(WaitUntil([&] { return Printed() == 1 && !Exists(spool + u"\\PrnCap.raw"); }, 15000));
  }
  Stop(capture);
  ExpectCodedInvoice(spooler->Documents()[0], 1, "left");
}

TEST_F(FileMonitorWin, ACaptureThatCannotBeSentIsKeptAndTheNextIsPrinted) {
  StartCapture();
  const std::u16string spl = spool + u"\\PrnCap.spl";
  const std::u16string kept = spool + u"\\PrnCap-1.raw";
  spooler->SetFault(kDestination, TSpoolerFault{.StartDocError = ERROR_ACCESS_DENIED});
  const std::string first = "XXX a letter nobody codes\r\n\f";
  ASSERT_TRUE(WriteFixture(spl, first));
  ASSERT_TRUE(WaitUntil([&] { return Exists(kept); }, 15000));
  EXPECT_EQ(ReadFixture(kept), first);
  EXPECT_FALSE(Exists(spool + u"\\PrnCap.raw"));
  spooler->ClearFault(kDestination);
  const std::string second = "XXX the next letter\r\n\f";
  ASSERT_TRUE(WriteFixture(spl, second));
  ASSERT_TRUE(WaitUntil([&] { return Printed() == 1 && !Exists(spl); }, 15000));
  Sleep(2 * kTimeOut);
  Stop(capture);
  EXPECT_EQ(spooler->Documents(), std::vector<std::string>{second}) << "the kept capture is not retried";
  EXPECT_EQ(ReadFixture(kept), first);
  EXPECT_TRUE(Logged(u"сохранен как \"" + kept + u"\""));
}

TEST_F(FileMonitorWin, ACaptureItsWriterStillHoldsIsTakenOnceClosed) {
  StartCapture();
  const std::u16string spl = spool + u"\\PrnCap.spl";
  const std::string letter = "XXX a letter still open\r\n\f";
  TFileHandle writer(CreateFileW(WStr(spl), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr));
  ASSERT_TRUE(writer.Valid());
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(writer.Get(), letter.data(), static_cast<DWORD>(letter.size()), &written, nullptr));
  Sleep(3 * kTimeOut);
  EXPECT_EQ(Printed(), 0u) << "the rename fails while its writer holds it";
  EXPECT_TRUE(Exists(spl));
  writer.Reset();
  ASSERT_TRUE(WaitUntil([&] { return Printed() == 1 && !Exists(spl); }, 15000));
  Stop(capture);
  EXPECT_EQ(spooler->Documents(), std::vector<std::string>{letter});
}

TEST_F(FileMonitorWin, ASpoolDirectoryThatCannotBeMadeEndsTheCaptureWithABox) {
  ASSERT_TRUE(WriteFixture(temp.File(u"file"), "x"));
  spool = temp.File(u"file\\Spool");
  Start(capture, CaptureMonitorThread);
  ASSERT_EQ(WaitForSingleObject(capture.Get(), 10000), WAIT_OBJECT_0);
  capture.Reset();
  EXPECT_EQ(Boxes(), std::vector<std::u16string>{u"Каталог не найден: \"" + spool + u"\"."});
  EXPECT_EQ(WaitForSingleObject(ctx.StopEvent.Get(), 0), WAIT_TIMEOUT) << "no stop is made up for the others";
}

// ---- The directory monitor -----------------------------------------------------------------------

// A watched directory and the archive beside it; the settings written before each round that matters.
class DirMonitorWin : public FileMonitorWin {
 protected:
  void SetUp() override {
    FileMonitorWin::SetUp();
    watched = temp.File(u"in");
    archive = temp.File(u"archive");
    CreateDirectoryW(WStr(watched), nullptr);
    CreateDirectoryW(WStr(archive), nullptr);
  }
  void Settings(int32_t isMonit, const std::u16string& mask, const std::u16string& ex) {
    TSettingsStore& s = config->Store();
    s.WriteInteger(kConfigDosKey, u"IsMonit", isMonit);
    s.WriteText(kConfigDosKey, u"MonitorDir", watched);
    s.WriteText(kConfigDosKey, u"MonitDirEx", ex);
    s.WriteText(kConfigDosKey, u"MonitorMask", mask);
  }
  std::u16string In(const std::u16string& name) const { return watched + u"\\" + name; }
  void Put(const std::u16string& name, const std::string& bytes) { ASSERT_TRUE(WriteFixture(In(name), bytes)); }
  static std::string Letter(const std::u16string& name) { return "XXX letter " + WideToAnsi(name) + "\r\n\f"; }
  // Runs the thread until count documents came out and a few rounds more, then stops it.
  void RunUntilPrinted(size_t count) {
    Start(directory, DirMonitorThread);
    EXPECT_TRUE(WaitUntil([&] { return Printed() >= count; }, 15000));
    Sleep(2 * kTimeOut);
    Stop(directory);
  }

  std::u16string watched;
  std::u16string archive;
};

TEST_F(DirMonitorWin, ModesMasksAndWhatIsLeft) {
  enum THold { kNone, kNoDeleteSharing };
  const struct {
    const char* why;
    int32_t isMonit;
    std::u16string mask, ex;
    std::vector<std::u16string> files;  // letters, in the directory
    std::vector<std::u16string> readOnly;
    THold hold;  // on the first file
    bool win9x;
    std::vector<std::u16string> printed, left, leftReadOnly, archived;
  } cases[] = {
      {"mode 0 deletes", 2, u"*.pr", u"0,", {u"a.pr"}, {}, kNone, false, {u"a.pr"}, {}, {}, {}},
      {"mode 1 marks read-only, not processed again", 2, u"*.pr", u"1,", {u"a.pr"}, {}, kNone, false, {u"a.pr"},
       {u"a.pr"}, {u"a.pr"}, {}},
      {"mode 2 archives, then deletes", 2, u"*.pr", u"2," + temp.File(u"archive"), {u"a.pr"}, {}, kNone, false,
       {u"a.pr"}, {}, {}, {u"a.pr"}},
      {"a mode that is not a number deletes", 2, u"*.pr", u"x,", {u"a.pr"}, {}, kNone, false, {u"a.pr"}, {}, {}, {}},
      {"masks by comma in their order", 2, u"b*.pr,a*.pr", u"0,", {u"a1.pr", u"b1.pr", u"c1.pr"}, {}, kNone, false,
       {u"b1.pr", u"a1.pr"}, {u"c1.pr"}, {}, {}},
      {"masks by semicolon, as the dialog stores them", 2, u"a*.pr; b*.pr", u"0,", {u"b1.pr", u"a1.pr"}, {}, kNone,
       false, {u"a1.pr", u"b1.pr"}, {}, {}, {}},
      {"a read-only file is never processed", 2, u"*.pr", u"0,", {u"a.pr", u"r.pr"}, {u"r.pr"}, kNone, false,
       {u"a.pr"}, {u"r.pr"}, {u"r.pr"}, {}},
      {"IsMonit 1 never scans", 1, u"*.pr", u"0,", {u"a.pr"}, {}, kNone, false, {}, {u"a.pr"}, {}, {}},
      {"held without delete sharing: printed once", 2, u"*.pr", u"0,", {u"a.pr"}, {}, kNoDeleteSharing, false,
       {u"a.pr"}, {u"a.pr"}, {}, {}},
      {"the 9x search", 2, u"b*.pr;a*.pr", u"0,", {u"a1.pr", u"b1.pr"}, {}, kNone, true, {u"b1.pr", u"a1.pr"}, {},
       {}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    spooler.reset();  // each takes the place of the one in place, and puts it back
    spooler = std::make_unique<TRecordingSpooler>();
    Settings(c.isMonit, c.mask, c.ex);
    for (const std::u16string& name : c.files) Put(name, Letter(name));
    for (const std::u16string& name : c.readOnly) SetFileAttributesW(WStr(In(name)), FILE_ATTRIBUTE_READONLY);
    TFileHandle held;
    if (c.hold == kNoDeleteSharing)
      held.Reset(CreateFileW(WStr(In(c.files[0])), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (c.win9x) {
      TSysFlags flags = SysFlags();
      flags.IsWinNT = false;
      flags.IsWin9x = true;
      SetSysFlagsForTesting(flags);
    }
    RunUntilPrinted(c.printed.size());
    ResetSysFlagsForTesting();
    held.Reset();

    std::vector<std::string> expected;
    for (const std::u16string& name : c.printed) expected.push_back(Letter(name));
    EXPECT_EQ(spooler->Documents(), expected) << "each once, unchanged, in mask order";
    std::vector<std::u16string> left, leftReadOnly, archived;
    for (const auto& e : fs::directory_iterator(fs::path(watched))) {
      const std::u16string name = e.path().filename().u16string();
      left.push_back(name);
      if (IsReadOnly(In(name))) leftReadOnly.push_back(name);
      SetFileAttributesW(WStr(In(name)), FILE_ATTRIBUTE_NORMAL);
    }
    for (const auto& e : fs::directory_iterator(fs::path(archive))) {
      archived.push_back(e.path().filename().u16string());
      EXPECT_EQ(ReadFixture(archive + u"\\" + archived.back()), Letter(archived.back()));
    }
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, c.left);
    EXPECT_EQ(leftReadOnly, c.leftReadOnly);
    EXPECT_EQ(archived, c.archived);
    for (const std::u16string& name : left) DeleteFileW(WStr(In(name)));
    for (const std::u16string& name : archived) DeleteFileW(WStr(archive + u"\\" + name));
  }
}

TEST_F(DirMonitorWin, AFileHeldForWritingWaitsUntilClosed) {
  Settings(2, u"*.pr", u"0,");
  Put(u"a.pr", Letter(u"a.pr"));
  TFileHandle writer(
      CreateFileW(WStr(In(u"a.pr")), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(writer.Valid());
  Start(directory, DirMonitorThread);
  Sleep(3 * kTimeOut);
  EXPECT_EQ(Printed(), 0u) << "its writer still holds it";
  EXPECT_TRUE(Exists(In(u"a.pr")));
  writer.Reset();
  EXPECT_TRUE(WaitUntil([&] { return Printed() == 1 && !Exists(In(u"a.pr")); }, 15000));
  Stop(directory);
}

TEST_F(DirMonitorWin, AFailedSendKeepsTheFileUntilItChanges) {
  Settings(2, u"*.pr", u"0,");
  Put(u"a.pr", Letter(u"a.pr"));
  spooler->SetFault(kDestination, TSpoolerFault{.StartDocError = ERROR_ACCESS_DENIED});
  Start(directory, DirMonitorThread);
  ASSERT_TRUE(WaitUntil([&] { return spooler->Calls(kDestination, "StartDocPrinter") >= 1; }, 15000));
  Sleep(3 * kTimeOut);
  EXPECT_EQ(spooler->Calls(kDestination, "StartDocPrinter"), 1) << "not retried every round";
  EXPECT_TRUE(Exists(In(u"a.pr")));
  spooler->ClearFault(kDestination);
  Sleep(2 * kTimeOut);
  EXPECT_EQ(Printed(), 0u) << "unchanged, it still waits";
  Append(In(u"a.pr"), "more\r\n");
  EXPECT_TRUE(WaitUntil([&] { return Printed() == 1 && !Exists(In(u"a.pr")); }, 15000));
  Stop(directory);
  EXPECT_EQ(spooler->Documents(), std::vector<std::string>{Letter(u"a.pr") + "more\r\n"});
}

TEST_F(DirMonitorWin, SettingsChangedBetweenRoundsApply) {
  Settings(1, u"*.pr", u"0,");
  Put(u"a.txt", Letter(u"a.txt"));
  Start(directory, DirMonitorThread);
  Sleep(2 * kTimeOut);
  EXPECT_EQ(Printed(), 0u);
  Settings(2, u"*.pr", u"0,");
  Sleep(2 * kTimeOut);
  EXPECT_EQ(Printed(), 0u) << "no file matches";
  Settings(2, u"*.pr;*.txt", u"1,");
  EXPECT_TRUE(WaitUntil([&] { return Printed() == 1 && IsReadOnly(In(u"a.txt")); }, 15000));
  Stop(directory);
  SetFileAttributesW(WStr(In(u"a.txt")), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(DirMonitorWin, AWatchedInvoiceIsCodedAndJournaled) {
  Settings(2, u"*.pr", u"0,");
  const std::u16string journal = temp.File(u"journal.dat");
  app.PrintJournal = std::make_unique<TPrintServerMonitor>();
  app.PrintJournal->OpenWith(std::u16string(kConfigDosKey), journal, u"K");
  app.JournalEnabled = true;
  {
    const TFixedSeeds seeds;
    Put(u"inv.pr", Invoice(2));
    Start(directory, DirMonitorThread);
    ASSERT_TRUE(WaitUntil([&] { return Printed() == 1 && !Exists(In(u"inv.pr")); }, 20000));
  }
  Stop(directory);
  ExpectCodedInvoice(spooler->Documents()[0], 2, "directory");
  const std::string line = ReadFixture(journal);
  EXPECT_EQ(line.substr(0, 5), "\xEF\xBB\xBF" "1|") << "its record number";
  EXPECT_NE(line.find(WideToUtf8(u"Tevoran-Клиент: Документ")), std::string::npos) << line;
  EXPECT_EQ(app.PrintJournal->LastRecordNo(), 1u);
}

TEST_F(DirMonitorWin, TheCopiesDialogAsksFromTheDirectoryThreadAndItsAnswerIsPrinted) {
  TSettingsStore& s = config->Store();
  s.WriteInteger(SubKeyPathA(s, kConfigDosKey, kDosInvoiceId), u"AckPages", 1);
  Settings(2, u"*.pr", u"0,");
  Put(u"inv.pr", Invoice(0));
  const TUserAnswer twoPlain{u"2", 5, nullptr};  // two copies, the code on none
  std::optional<TFixedSeeds> seeds;
  int shown = 0;
  {
    TDialogUser atScreen(&twoPlain, seeds);
    Start(directory, DirMonitorThread);
    EXPECT_TRUE(WaitUntil([&] { return Printed() == 1 && !Exists(In(u"inv.pr")); }, 20000));
    shown = atScreen.Leave();
  }
  Stop(directory);
  seeds.reset();
  EXPECT_EQ(shown, 1);
  ASSERT_EQ(Printed(), 1u);
  const TDosExpectedJob expected = ExpectedDosJob(form, {{Invoice(0), 0}}, "NN");
  ASSERT_EQ(expected.Error, "");
  EXPECT_EQ(FirstDifference(spooler->Documents()[0], expected.Bytes), "equal") << "the answer, not the type's CNN";
}

// ---- Both ------------------------------------------------------------------------------------------

TEST_F(FileMonitorWin, TheJobRecordOfAFile) {
  const std::u16string journal = temp.File(u"journal.dat");
  uint32_t recordNo = 99;
  const _JOBINFO off = FileJobInfo(app, recordNo);
  EXPECT_EQ(recordNo, 0u) << "journal off";
  std::u16string computer, user;
  GetLocalComputerName(computer);
  GetCurrentUserName(user);
  EXPECT_EQ(off.MachineName, computer);
  EXPECT_EQ(off.UserName, user);
  EXPECT_EQ(off.Document, u"Tevoran-Клиент: Документ");
  EXPECT_EQ(off.PrinterName, kDestination);
  SYSTEMTIME now{};
  GetSystemTime(&now);
  EXPECT_EQ(off.Submitted.Year, now.wYear);
  EXPECT_EQ(off.JobId, 0u);

  app.PrintJournal = std::make_unique<TPrintServerMonitor>();
  app.PrintJournal->OpenWith(std::u16string(kConfigDosKey), journal, u"K");
  app.JournalEnabled = true;
  FileJobInfo(app, recordNo);
  EXPECT_EQ(recordNo, 1u);
  FileJobInfo(app, recordNo);
  EXPECT_EQ(recordNo, 2u);
}

TEST_F(FileMonitorWin, OneStopEndsBothIdleThreadsThatCostNoTime) {
  TSettingsStore& s = config->Store();
  s.WriteInteger(kConfigDosKey, u"IsMonit", 2);
  s.WriteText(kConfigDosKey, u"MonitorDir", temp.Path());
  StartCapture();
  Start(directory, DirMonitorThread);
  Sleep(3000);
  for (HANDLE t : {capture.Get(), directory.Get()}) {
    FILETIME created, exited, kernel, user;
    ASSERT_TRUE(GetThreadTimes(t, &created, &exited, &kernel, &user));
    const uint64_t cpu100ns = (static_cast<uint64_t>(kernel.dwHighDateTime) << 32 | kernel.dwLowDateTime) +
                              (static_cast<uint64_t>(user.dwHighDateTime) << 32 | user.dwLowDateTime);
    EXPECT_LT(cpu100ns, 2000000u) << "under 200 ms over 3 s, start included";
  }
  SetEvent(ctx.StopEvent.Get());
  const HANDLE both[2] = {capture.Get(), directory.Get()};
  EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 10000), WAIT_OBJECT_0) << "one signal ends both";
  EXPECT_EQ(WaitForSingleObject(ctx.StopEvent.Get(), 0), WAIT_OBJECT_0) << "and is left for the stopper";
  for (TKernelHandle* t : {&capture, &directory}) {
    DWORD code = 99;
    GetExitCodeThread(t->Get(), &code);
    EXPECT_EQ(code, 0u);
    t->Reset();
  }
  const std::vector<TMessageEvent> events = host.Events();
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back().EventId, kEventClosed);
}

TEST_F(FileMonitorWin, AStopSignalledBeforeTheThreadsRunEndsThem) {
  SetEvent(ctx.StopEvent.Get());
  Start(capture, CaptureMonitorThread);
  ASSERT_EQ(WaitForSingleObject(capture.Get(), 10000), WAIT_OBJECT_0);
  Start(directory, DirMonitorThread);
  ASSERT_EQ(WaitForSingleObject(directory.Get(), 10000), WAIT_OBJECT_0);
  capture.Reset();
  directory.Reset();
  EXPECT_EQ(WaitForSingleObject(ctx.StopEvent.Get(), 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(ctx.CaptureReadyEvent.Get(), 0), WAIT_OBJECT_0);
}

}  // namespace
