// The queue processor over a queue, clock and destination in memory: split DOS jobs joined or printed
// apart and never dropped, the open and pause states, unreadable and locked spool files, destinations
// that fail, and what raw printing sends.
#include "monitor/uintemf.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/coder_fakes.h"
#include "support/queue_fakes.h"

namespace {

const std::u16string kDos = kDosDocumentNameNT;

class Queue : public ::testing::Test {
 protected:
  TFakeQueueSystem sys;
  TStopLatch stop{[this](uint32_t ms) { return sys.WaitStop(ms); }};
  TMemoryLog log;
  TPrintQuuee queue{sys, stop, log};

  // One call as the monitor makes it on an open, paused printer.
  bool Serve() {
    uint8_t open = kOpenKnown;
    EXPECT_TRUE(queue.OpenVirtualPrinter(u"Virt", open));
    uint8_t state = kQueueUsable;
    return queue.ProcessQuuee(state);
  }
  bool Logged(std::u16string_view text) const {
    return std::any_of(log.Lines.begin(), log.Lines.end(),
                       [&](const std::u16string& l) { return l.find(text) != std::u16string::npos; });
  }
};

TEST_F(Queue, SplitDosJobPartsJoinWithinTheirWaitUpToRestSize) {
  struct Case {
    size_t secondSize;
    uint32_t lateMs;  // the second part queued this long after the first was kept
    std::u16string secondDocument;
    bool joined;
    const char* why;
  } cases[] = {
      {511, 0, kDos, true, "the rest fits RestSize and is already queued"},
      {511, 1024, kDos, true, "the rest comes while the first part waits"},
      {512, 0, kDos, false, "one byte over RestSize is a job of its own"},
      {600, 0, kDos, false, "a 600-byte part is printed after the first, apart"},
      {100, 0, u"Письмо", false, "another document does not join"},
      {100, 2304, kDos, false, "after the wait the first part went out alone"},
  };
  for (const Case& c : cases) {
    TFakeQueueSystem s;
    TStopLatch latch{[&](uint32_t ms) { return s.WaitStop(ms); }};
    TPrintQuuee q{s, latch, nullptr};
    const std::string first(1000, 'A');
    const std::string second(c.secondSize, 'B');
    s.AddJob(kDos, first);
    if (c.lateMs == 0)
      s.AddJob(c.secondDocument, second);
    else
      s.OnSleep = [&](int) {
        if (s.Now - 1000 >= c.lateMs && s.Jobs.empty() && s.Sent.empty() && s.Cancelled.size() == 1)
          s.AddJob(c.secondDocument, second);
      };
    uint8_t open = kOpenKnown, state = kQueueUsable;
    ASSERT_TRUE(q.OpenVirtualPrinter(u"Virt", open));
    q.ProcessQuuee(state);
    const bool secondQueued = s.Cancelled.size() == 2;
    if (c.joined) {
      ASSERT_EQ(s.Sent.size(), 1u) << c.why;
      EXPECT_EQ(s.Sent[0].Bytes, first + second) << c.why;
    } else {
      ASSERT_EQ(s.Sent.size(), secondQueued ? 2u : 1u) << c.why;
      EXPECT_EQ(s.Sent[0].Bytes, first) << c.why;
      if (secondQueued) {
        EXPECT_EQ(s.Sent[1].Bytes, second) << c.why;
      }
    }
    EXPECT_EQ(s.Sent[0].Destination, u"DosDest") << c.why;
    EXPECT_EQ(s.TempFilesLeft(), 0u) << c.why;
    EXPECT_FALSE(q.DosRest.Pending()) << c.why;
  }
}

TEST_F(Queue, AFirstPartAloneGoesOutWhenItsWaitRunsOut) {
  sys.AddJob(kDos, "first");
  const uint32_t start = sys.Now;
  Serve();
  ASSERT_EQ(sys.Sent.size(), 1u);
  EXPECT_EQ(sys.Sent[0].Bytes, "first");
  EXPECT_GT(sys.Now - start, sys.TimeOut);
  EXPECT_TRUE(Logged(u"--> ProcessQuuee: Timeout..."));
  EXPECT_TRUE(Logged(u"--> ProcessRAW: Wait For rest, copy file to \"TMP1\""));
  EXPECT_EQ(sys.TempFilesLeft(), 0u);
}

TEST_F(Queue, WaitsBelowOneHundredMillisecondsNeverKeepAPart) {
  for (const uint32_t timeOut : {0u, 99u, 100u}) {
    TFakeQueueSystem s;
    TStopLatch latch{[&](uint32_t ms) { return s.WaitStop(ms); }};
    TPrintQuuee q{s, latch, nullptr};
    s.TimeOut = timeOut;
    s.AddJob(kDos, "first");
    uint8_t open = kOpenKnown, state = kQueueUsable;
    q.OpenVirtualPrinter(u"Virt", open);
    q.ProcessQuuee(state);
    ASSERT_EQ(s.Sent.size(), 1u) << timeOut;
    EXPECT_EQ(s.TempCount, timeOut >= 100 ? 1 : 0) << timeOut;
  }
}

TEST_F(Queue, OnlyDosDocumentsOfTheRunningFamilyWithDosPrintingOnWait) {
  struct Case {
    bool winNT;
    uint8_t mask;
    std::u16string document;
    bool kept;
  } cases[] = {
      {true, kComponentDos, kDosDocumentNameNT, true},
      {true, kComponentDos | kComponentWin, kDosDocumentNameNT, true},
      {true, kComponentDos | kComponentCapture, kDosDocumentNameNT, true},
      {true, kComponentDos, kDosDocumentName9x, false},
      {false, kComponentDos, kDosDocumentName9x, true},
      {false, kComponentDos, kDosDocumentNameNT, false},
      {true, kComponentWin, kDosDocumentNameNT, false},
      // Capture and watched directories code raw jobs too, but without DOS printing nothing is joined.
      {true, kComponentCapture, kDosDocumentNameNT, false},
      {true, kComponentDirectories | kComponentCapture, kDosDocumentNameNT, false},
  };
  for (const Case& c : cases) {
    TFakeQueueSystem s;
    TStopLatch latch{[&](uint32_t ms) { return s.WaitStop(ms); }};
    TPrintQuuee q{s, latch, nullptr};
    s.WinNT = c.winNT;
    s.Mask = c.mask;
    s.AddJob(c.document, "part");
    uint8_t open = kOpenKnown, state = kQueueUsable;
    q.OpenVirtualPrinter(u"Virt", open);
    q.ProcessQuuee(state);
    EXPECT_EQ(s.TempCount, c.kept ? 1 : 0) << c.winNT << " " << int(c.mask);
    EXPECT_EQ(s.Printed(), "part");
  }
}

TEST_F(Queue, AKeptPartIsNeverDropped) {
  // A stop while it waits prints it.
  sys.AddJob(kDos, "first");
  sys.OnSleep = [&](int n) {
    if (n == 2) sys.StopSignals = 1;
  };
  Serve();
  EXPECT_EQ(sys.Printed(), "first");
  EXPECT_LT(sys.Now - 1000, sys.TimeOut) << "printed at the stop, not after the wait";
  EXPECT_TRUE(stop.Seen()) << "the stop stays seen for the thread";
  EXPECT_EQ(sys.TempFilesLeft(), 0u);
}

TEST_F(Queue, AWindowsJobAfterAKeptPartPrintsThePartFirstCoded) {
  const uint32_t dos = sys.AddJob(kDos, "first");
  const uint32_t emf = sys.AddJob(u"Счёт", "EMF pages");
  Serve();
  EXPECT_EQ(sys.Printed(), "first");
  EXPECT_EQ(sys.Encoded, 1) << "the part goes through the DOS coding";
  EXPECT_EQ(sys.EmfJobs, std::vector<uint32_t>{emf});
  EXPECT_EQ(sys.Cancelled, (std::vector<uint32_t>{dos, emf}));
}

TEST_F(Queue, AnEmfJobNamedAsADosJobStillTakesTheWindowsPath) {
  sys.AddJob(kDos, "EMF pages");
  Serve();
  EXPECT_EQ(sys.EmfJobs.size(), 1u);
  EXPECT_TRUE(sys.Sent.empty());
}

TEST_F(Queue, TheJoiningWaitSurvivesTheWrapOfTheTickCounter) {
  sys.Now = 0xFFFFFF00u;
  sys.AddJob(kDos, "first");
  sys.OnSleep = [&](int n) {
    if (n == 2) sys.AddJob(kDos, "-rest");
  };
  Serve();
  ASSERT_EQ(sys.Sent.size(), 1u);
  EXPECT_EQ(sys.Sent[0].Bytes, "first-rest");
  EXPECT_LT(sys.Now, 0x1000u) << "the counter wrapped meanwhile";
}

TEST_F(Queue, AJobStillSpoolingIsLeftAlone) {
  const uint32_t id = sys.AddJob(u"Doc", "data", 8);
  sys.OnStopTest = [&](int n) {
    if (n == 6) sys.StopSignals = 1;
  };
  Serve();
  EXPECT_TRUE(sys.Sent.empty());
  EXPECT_TRUE(sys.Cancelled.empty());
  EXPECT_EQ(sys.Jobs.front().JobId, id);
  EXPECT_GE(sys.Sleeps, 1);
}

TEST_F(Queue, ASpoolFileLockedByAnotherProcessIsRetriedNotCancelled) {
  for (const uint32_t error : {32u, 33u}) {
    TFakeQueueSystem s;
    TStopLatch latch{[&](uint32_t ms) { return s.WaitStop(ms); }};
    TPrintQuuee q{s, latch, nullptr};
    const uint32_t id = s.AddJob(u"Doc", "data");
    s.ReadErrors[s.SpoolFileName(id)] = {error, error, 0};
    uint8_t open = kOpenKnown, state = kQueueUsable;
    q.OpenVirtualPrinter(u"Virt", open);
    q.ProcessQuuee(state);
    EXPECT_EQ(s.Printed(), "data") << error;
    EXPECT_EQ(s.Sleeps, 2) << error;
  }
}

TEST_F(Queue, AnAccessDeniedPassEndsWithOneBoxPerCode) {
  const uint32_t a = sys.AddJob(u"A", "a");
  const uint32_t b = sys.AddJob(u"B", "b");
  const uint32_t c = sys.AddJob(u"C", "c");
  sys.ReadErrors[sys.SpoolFileName(a)] = {5};
  sys.ReadErrors[sys.SpoolFileName(b)] = {5};
  sys.CancelError = 5;
  uint8_t open = kOpenKnown, state = kQueueUsable;
  queue.OpenVirtualPrinter(u"Virt", open);
  queue.ProcessQuuee(state);
  EXPECT_EQ(state, kQueueNoAccess);
  EXPECT_EQ(sys.Listings, 1) << "the pass is not repeated";
  EXPECT_EQ(sys.Boxes, (std::vector<std::u16string>{u"file SPOOL\\7.spl error 5",
                                                     u"Cannot work with Print Spooler! No Access"}));
  (void)c;
  // Not the first pass after a good one: the spooler box is not shown again.
  sys.Boxes.clear();
  queue.OpenVirtualPrinter(u"Virt", open);
  queue.ProcessQuuee(state);
  EXPECT_EQ(sys.Boxes, std::vector<std::u16string>{u"file SPOOL\\7.spl error 5"});
}

TEST_F(Queue, AnUnreadableSpoolFileCancelsItsJob) {
  const uint32_t id = sys.AddJob(u"A", "a");
  sys.ReadErrors[sys.SpoolFileName(id)] = {2};
  Serve();
  EXPECT_EQ(sys.Cancelled, std::vector<uint32_t>{id});
  EXPECT_TRUE(sys.Boxes.empty());
  EXPECT_TRUE(Logged(u"FileOpenError=\"error 2\""));
}

TEST_F(Queue, ADestinationThatCannotBeOpenedKeepsTheJobWithOneBox) {
  sys.DestErrors[u"DosDest"] = 1801;
  const uint32_t id = sys.AddJob(u"Doc", "data");
  for (int round = 0; round < 3; ++round) Serve();
  EXPECT_EQ(sys.Jobs.size(), 1u);
  EXPECT_EQ(sys.Boxes, std::vector<std::u16string>{u"open DosDest"});
  sys.DestErrors.clear();
  Serve();
  EXPECT_EQ(sys.Cancelled, std::vector<uint32_t>{id});
  EXPECT_EQ(sys.Printed(), "data");
  // Failing again after printing shows its box again.
  sys.DestErrors[u"DosDest"] = 1801;
  sys.AddJob(u"Doc", "more");
  Serve();
  EXPECT_EQ(sys.Boxes.size(), 2u);
}

size_t CountLines(const std::vector<std::u16string>& lines, std::u16string_view start) {
  return static_cast<size_t>(
      std::count_if(lines.begin(), lines.end(), [&](const std::u16string& l) { return l.starts_with(start); }));
}

TEST_F(Queue, AJobWaitingForItsPrinterIsJournaledAndLoggedOnceThenPrintsUnderItsRecord) {
  const std::u16string kJobLine = u"--> ProcessQuuee: Job: JobId=";
  struct Case {
    const char* why;
    std::vector<std::string> jobs;  // spool files; "EMF" ones take the Windows path
    std::function<void(TFakeQueueSystem&)> fail;
    std::u16string reason;  // the line that says why the job waits
  } cases[] = {
      {"a raw job whose DOS destination cannot be opened", {"data"},
       [](auto& s) { s.DestErrors[u"DosDest"] = 1801; }, u"Printer Open Error: \"DosDest\""},
      {"a Windows job whose destination cannot be opened", {"EMF pages"},
       [](auto& s) { s.DestErrors[u"WinDest"] = 1801; }, u"Printer Open Error: \"WinDest\""},
      {"a raw job on a printer whose configuration fails its check", {"data"},
       [](auto& s) { s.IntegrityFails.insert(u"Virt"); }, u"--> ProcessRAW: Printer \"Virt\" Integrity error"},
      {"two jobs waiting for one destination", {"first", "second"},
       [](auto& s) { s.DestErrors[u"DosDest"] = 1801; }, u"Printer Open Error: \"DosDest\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    TFakeQueueSystem s;
    TStopLatch latch{[&](uint32_t ms) { return s.WaitStop(ms); }};
    TMemoryLog lines;
    TPrintQuuee q{s, latch, lines};
    s.Journal = true;
    s.SplDebugOn = true;
    s.TimeOut = 0;  // no joining: each job prints apart
    for (const std::string& bytes : c.jobs) s.AddJob(u"Doc", bytes);
    const size_t n = c.jobs.size();
    c.fail(s);
    for (int round = 0; round < 10; ++round) {
      uint8_t open = kOpenKnown, state = kQueueUsable;
      ASSERT_TRUE(q.OpenVirtualPrinter(u"Virt", open));
      q.ProcessQuuee(state);
      q.CloseVirtualPrinter();
    }
    EXPECT_EQ(s.Jobs.size(), n) << "no job is lost to its printer";
    EXPECT_EQ(s.Journaled.size(), n) << "one journal record a job";
    EXPECT_EQ(CountLines(lines.Lines, kJobLine), n);
    EXPECT_EQ(CountLines(lines.Lines, c.reason), n);
    EXPECT_EQ(s.Captures.size(), n) << "the capture shows a job once";
    EXPECT_EQ(s.Boxes.size(), 1u) << "one box for the printer and its failure";
    ASSERT_EQ(q.WaitingJobs().size(), n);
    std::vector<uint32_t> records;
    for (const auto& [id, waiting] : q.WaitingJobs()) records.push_back(waiting.RecordNo);
    std::vector<uint32_t> numbered(n);
    for (size_t i = 0; i < n; ++i) numbered[i] = static_cast<uint32_t>(i + 1);
    EXPECT_EQ(records, numbered) << "a record number a job";

    // The printer comes back: each job prints under the record it was first given, and its handling
    // is logged once more.
    s.DestErrors.clear();
    s.IntegrityFails.clear();
    uint8_t open = kOpenKnown, state = kQueueUsable;
    ASSERT_TRUE(q.OpenVirtualPrinter(u"Virt", open));
    q.ProcessQuuee(state);
    EXPECT_TRUE(s.Jobs.empty());
    EXPECT_EQ(s.RecordNos, numbered);
    EXPECT_EQ(s.Journaled.size(), n);
    EXPECT_EQ(CountLines(lines.Lines, kJobLine), 2 * n);
    EXPECT_EQ(CountLines(lines.Lines, c.reason), n);
    EXPECT_TRUE(q.WaitingJobs().empty());
  }
}

TEST_F(Queue, AWaitingJobLogsAgainOnlyWhenItsReasonChanges) {
  sys.Journal = true;
  sys.AddJob(u"Doc", "data");
  sys.DestErrors[u"DosDest"] = 1801;
  for (int round = 0; round < 3; ++round) Serve();
  sys.IntegrityFails.insert(u"Virt");
  for (int round = 0; round < 3; ++round) Serve();
  sys.IntegrityFails.clear();
  for (int round = 0; round < 3; ++round) Serve();
  EXPECT_EQ(CountLines(log.Lines, u"--> ProcessQuuee: Job: JobId=7"), 3u) << "open, integrity, open again";
  EXPECT_EQ(CountLines(log.Lines, u"Printer Open Error: \"DosDest\""), 2u);
  EXPECT_EQ(CountLines(log.Lines, u"--> ProcessRAW: Printer \"Virt\" Integrity error"), 1u);
  EXPECT_EQ(sys.Boxes, (std::vector<std::u16string>{u"open DosDest", u"Ошибка целостности данных конфигурации принтера \"Virt\""}));
  EXPECT_EQ(sys.Journaled.size(), 1u);
  EXPECT_EQ(sys.Jobs.size(), 1u);
  sys.DestErrors.clear();
  Serve();
  EXPECT_EQ(sys.Printed(), "data");
  EXPECT_EQ(sys.RecordNos, std::vector<uint32_t>{1});
}

TEST_F(Queue, AKeptPartPrintedBeforeAWaitingWindowsJobKeepsItsLines) {
  sys.DestErrors[u"WinDest"] = 1801;
  sys.AddJob(u"Счёт", "EMF pages");
  Serve();
  const uint32_t dos = sys.AddJob(kDos, "first");
  std::rotate(sys.Jobs.begin(), sys.Jobs.end() - 1, sys.Jobs.end());  // queued ahead of the Windows job
  Serve();
  EXPECT_EQ(sys.Printed(), "first");
  EXPECT_EQ(sys.Cancelled, std::vector<uint32_t>{dos});
  EXPECT_EQ(CountLines(log.Lines, u"--> PrintRAW: Print file: \"TMP1\""), 1u) << "the part's printing is logged";
  EXPECT_EQ(CountLines(log.Lines, u"--> ProcessQuuee: Job: JobId=7"), 1u) << "the Windows job still waits quietly";
}

TEST_F(Queue, AWaitingJobThatLeftTheQueueOtherwiseIsForgotten) {
  sys.DestErrors[u"DosDest"] = 1801;
  const uint32_t first = sys.AddJob(u"Doc", "first");
  const uint32_t second = sys.AddJob(u"Doc", "second");
  Serve();
  EXPECT_EQ(queue.WaitingJobs().size(), 2u);
  sys.Jobs.erase(sys.Jobs.begin());  // deleted by its owner
  Serve();
  ASSERT_EQ(queue.WaitingJobs().size(), 1u);
  EXPECT_EQ(queue.WaitingJobs().begin()->first, second);
  sys.Jobs.clear();
  Serve();
  EXPECT_TRUE(queue.WaitingJobs().empty()) << "an empty queue keeps no waiting job";
  (void)first;
}

TEST_F(Queue, AJobLeftQueuedIsNotTriedAgainWhileTheCallWaitsForAnother) {
  sys.DestErrors[u"DosDest"] = 1801;
  sys.AddJob(u"Doc", "data");
  sys.AddJob(u"Spooling", "more", 8);
  sys.OnSleep = [&](int n) {
    if (n == 5) sys.StopSignals = 1;
  };
  Serve();
  EXPECT_EQ(std::count(log.Lines.begin(), log.Lines.end(), u"Printer Open Error: \"DosDest\""), 1);
  EXPECT_EQ(sys.Jobs.size(), 2u);
}

TEST_F(Queue, RawJobsFollowTheUsersAndSidesOfThePrinter) {
  struct Case {
    bool integrityFails, notOfUser, dosSide;
    std::string printed;
    const char16_t* dest;
    bool cancelled;
    int encoded;
  } cases[] = {
      {true, false, true, "", nullptr, false, 0},
      {false, true, true, "", nullptr, true, 0},
      {false, false, true, "data", u"DosDest", true, 1},
      {false, false, false, "data", u"WinDest", true, 0},
  };
  for (const Case& c : cases) {
    TFakeQueueSystem s;
    TStopLatch latch{[&](uint32_t ms) { return s.WaitStop(ms); }};
    TPrintQuuee q{s, latch, nullptr};
    if (c.integrityFails) s.IntegrityFails.insert(u"Virt");
    if (c.notOfUser) s.NotOfUser.insert(u"Virt");
    if (!c.dosSide) s.DosSide.clear();
    s.AddJob(u"Doc", "data");
    uint8_t open = kOpenKnown, state = kQueueUsable;
    q.OpenVirtualPrinter(u"Virt", open);
    q.ProcessQuuee(state);
    EXPECT_EQ(s.Printed(), c.printed);
    if (c.dest) {
      EXPECT_EQ(s.Sent.at(0).Destination, c.dest);
    }
    EXPECT_EQ(s.Cancelled.size(), c.cancelled ? 1u : 0u);
    EXPECT_EQ(s.Encoded, c.encoded);
    EXPECT_EQ(s.Boxes.size(), c.integrityFails ? 1u : 0u);
  }
}

TEST_F(Queue, PrintRawSendsWhatTheDosCodingAnswers) {
  struct Case {
    uint8_t status;
    bool deleteAfter;
    std::string printed;
    bool inputLeft;
  } cases[] = {
      {kDosJobProgramError, false, "in", true},
      {kDosJobPrintAsIs, true, "in", false},
      {kDosJobCoded, false, "CODED:in", true},
      {kDosJobCoded, true, "CODED:in", false},
      {kDosJobCancelled, false, "", true},
      {kDosJobCancelled, true, "", false},
  };
  for (const Case& c : cases) {
    TFakeQueueSystem s;
    TStopLatch latch{[&](uint32_t ms) { return s.WaitStop(ms); }};
    TPrintQuuee q{s, latch, nullptr};
    s.EncodeStatus = c.status;
    s.Files[u"TMPin"] = "in";
    const bool sent = q.PrintRAW(u"DosDest", u"TMPin", c.deleteAfter, _JOBINFO{}, 0);
    EXPECT_EQ(sent, !c.printed.empty()) << int(c.status);
    EXPECT_EQ(s.Printed(), c.printed) << int(c.status);
    EXPECT_EQ(s.Files.count(u"TMPin") != 0, c.inputLeft) << int(c.status);
    EXPECT_EQ(s.Files.count(u"TMPcoded"), 0u) << "the coded output never stays";
  }
  TFakeQueueSystem s;
  TStopLatch latch{[&](uint32_t ms) { return s.WaitStop(ms); }};
  TPrintQuuee q{s, latch, nullptr};
  s.Mask = kComponentWin;
  s.Files[u"TMPin"] = "in";
  EXPECT_TRUE(q.PrintRAW(u"DosDest", u"TMPin", false, _JOBINFO{}, 0));
  EXPECT_EQ(s.Encoded, 0) << "without a DOS side of the program nothing is coded";
  EXPECT_FALSE(q.PrintRAW(u"DosDest", u"gone", false, _JOBINFO{}, 0));
  EXPECT_EQ(s.Boxes, std::vector<std::u16string>{u"missing gone"});
}

TEST_F(Queue, TheCaptureShowsEveryReadableJobFirst) {
  sys.SplDebugOn = true;
  sys.AddJob(u"Doc", "data");
  Serve();
  ASSERT_EQ(sys.Captures.size(), 1u);
  EXPECT_EQ(sys.Captures[0],
            u"JobId=7\r\nFile Name=\"7.spl\"\r\nFile Size=4.000 B\r\nData Type=\"\"\r\nDocument=\"Doc\"\r\n"
            u"Machine Name=\"\"\r\nUser Name=\"user\"\r\n");
}

TEST_F(Queue, OpenStatesMoveAsTheOpeningGoes) {
  struct Case {
    uint8_t before;
    uint32_t error;  // 0: opens
    bool listed;
    uint8_t after;
    bool box, grant;
  } cases[] = {
      {kOpenKnown, 0, true, kOpenKnown, false, false},
      {kOpenAgain, 0, true, kOpenKnown, false, false},
      {kOpenSilent, 0, true, kOpenAgain, false, false},
      {kOpenAccessDenied, 0, true, kOpenAgain, false, false},
      {kOpenKnown, 5, true, kOpenAccessDenied, true, true},
      {kOpenAccessDenied, 5, true, kOpenAccessDenied, false, false},
      {kOpenSilent, 5, true, kOpenAccessDenied, true, false},
      {kOpenKnown, 2, true, kOpenLost, false, false},
      {kOpenAgain, 1722, true, kOpenLost, false, false},
      {kOpenLost, 87, true, kOpenSilent, false, false},
      {kOpenOtherError, 1801, true, kOpenSilent, false, false},
      {kOpenKnown, 1800, true, kOpenOtherError, true, true},
      {kOpenOtherError, 1800, true, kOpenOtherError, false, false},
      {kOpenKnown, 1800, false, kOpenSilent, false, false},
  };
  for (const Case& c : cases) {
    TFakeQueueSystem s;
    TStopLatch latch{[&](uint32_t ms) { return s.WaitStop(ms); }};
    TPrintQuuee q{s, latch, nullptr};
    if (c.error) s.OpenErrors[u"Virt"] = c.error;
    if (!c.listed) s.Listed.clear();
    uint8_t state = c.before;
    EXPECT_EQ(q.OpenVirtualPrinter(u"Virt", state), c.error == 0);
    EXPECT_EQ(state, c.after) << int(c.before) << " " << c.error;
    EXPECT_EQ(s.Boxes.size(), c.box ? 1u : 0u) << int(c.before) << " " << c.error;
    EXPECT_EQ(s.Granted.size(), c.grant ? 1u : 0u) << int(c.before) << " " << c.error;
  }
}

TEST_F(Queue, APrinterFoundAgainAfterQuietRoundsIsLoggedOnce) {
  queue.CloseVirtualPrinter();
  log.Lines.clear();
  uint8_t state = kOpenKnown;
  queue.OpenVirtualPrinter(u"Virt", state);
  EXPECT_TRUE(log.Lines.empty()) << "a quiet printer logs nothing";
  queue.CloseVirtualPrinter();
  state = kOpenSilent;
  queue.OpenVirtualPrinter(u"Virt", state);
  EXPECT_EQ(log.Lines, std::vector<std::u16string>{u"Found New Printer: Virt"});
  EXPECT_TRUE(queue.Verbose);
}

TEST_F(Queue, PauseCodesFollowTheStatesAndChecks) {
  struct Case {
    const char* why;
    uint8_t open, queue;
    std::function<void(TFakeQueueSystem&)> setup;
    int32_t code;
    uint8_t queueAfter, openAfter;
    int holds, reloads;
  } cases[] = {
      {"not open", kOpenAccessDenied, kQueueFirstPass, nullptr, kPauseUnusable, kQueueFirstPass, kOpenAccessDenied, 0, 0},
      {"first pass", kOpenKnown, kQueueFirstPass, nullptr, kPauseServe, kQueueUsable, kOpenKnown, 1, 0},
      {"opened again: updated", kOpenAgain, kQueueUsable, nullptr, kPauseServe, kQueueUsable, kOpenKnown, 1, 1},
      {"update event", kOpenKnown, kQueueUsable, [](auto& s) { s.UpdateSet = true; }, kPauseServe, kQueueUsable,
       kOpenKnown, 1, 1},
      {"stop", kOpenKnown, kQueueUsable, [](auto& s) { s.StopSignals = 1; }, kPauseStop, kQueueUsable, kOpenKnown, 0,
       0},
      {"gone", kOpenKnown, kQueueUsable, [](auto& s) { s.Existing.clear(); }, kPauseUnusable, kQueueUsable,
       kOpenKnown, 0, 0},
      {"handle lost on the first pass", kOpenKnown, kQueueFirstPass, [](auto& s) { s.VirtualOpen.clear(); },
       kPauseUnusable, kQueueOpenFailed, kOpenKnown, 1, 0},
      {"handle lost later", kOpenKnown, kQueueUsable, [](auto& s) { s.VirtualOpen.clear(); }, kPauseServe,
       kQueueUsable, kOpenKnown, 1, 0},
      {"integrity on the first pass", kOpenKnown, kQueueFirstPass, [](auto& s) { s.IntegrityFails.insert(u"Virt"); },
       kPauseIntegrity, kQueueIntegrityError, kOpenKnown, 1, 0},
      {"integrity later is not checked", kOpenKnown, kQueueUsable,
       [](auto& s) { s.IntegrityFails.insert(u"Virt"); }, kPauseServe, kQueueUsable, kOpenKnown, 1, 0},
      {"failed update: served unpaused", kOpenAgain, kQueueUsable, [](auto& s) { s.DosSetupOk = false; },
       kPauseServe, kQueueUsable, kOpenKnown, 0, 1},
      {"failed Windows check", kOpenAgain, kQueueUsable,
       [](auto& s) {
         s.Mask = kComponentWin;
         s.SpoolFormatOk = false;
       },
       kPauseServe, kQueueUsable, kOpenKnown, 0, 1},
      {"install lock: update skipped", kOpenAgain, kQueueUsable, [](auto& s) { s.InstallLock = true; }, kPauseServe,
       kQueueUsable, kOpenKnown, 1, 0},
      {"busy lock: update skipped", kOpenAgain, kQueueUsable, [](auto& s) { s.SyncBusy = true; }, kPauseServe,
       kQueueUsable, kOpenKnown, 1, 0},
  };
  for (const Case& c : cases) {
    TFakeQueueSystem s;
    TStopLatch latch{[&](uint32_t ms) { return s.WaitStop(ms); }};
    TPrintQuuee q{s, latch, nullptr};
    uint8_t open = kOpenKnown;
    q.OpenVirtualPrinter(u"Virt", open);
    if (c.setup) c.setup(s);
    open = c.open;
    uint8_t state = c.queue;
    int32_t code = kPauseUnusable;
    q.SetPrinterPause(code, state, open);
    EXPECT_EQ(code, c.code) << c.why;
    EXPECT_EQ(state, c.queueAfter) << c.why;
    EXPECT_EQ(open, c.openAfter) << c.why;
    EXPECT_EQ(s.Holds, c.holds) << c.why;
    EXPECT_EQ(s.Reloads, c.reloads) << c.why;
  }
}

TEST_F(Queue, AnUpdateThatCouldNotReloadLeavesTheEventSet) {
  for (const bool lock : {true, false}) {
    TFakeQueueSystem s;
    TStopLatch latch{[&](uint32_t ms) { return s.WaitStop(ms); }};
    TPrintQuuee q{s, latch, nullptr};
    (lock ? s.InstallLock : s.SyncBusy) = true;
    s.UpdateSet = true;
    uint8_t open = kOpenKnown, state = kQueueUsable;
    q.OpenVirtualPrinter(u"Virt", open);
    int32_t code = 0;
    q.SetPrinterPause(code, state, open);
    EXPECT_TRUE(s.UpdateSet) << lock;
    s.InstallLock = s.SyncBusy = false;
    q.SetPrinterPause(code, state, open);
    EXPECT_FALSE(s.UpdateSet) << lock;
    EXPECT_EQ(s.Reloads, 1) << lock;
    EXPECT_EQ(s.Changed, 1) << lock;
  }
}

}  // namespace
