// The log against a host in memory: what reaches the file and when, time stamps, elapsed times, the
// field records, the event-log entries, write failures and lines from several threads.
#include "foundation/lib_log.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <thread>

namespace {
struct RecordingSink : TEventSink {
  explicit RecordingSink(std::vector<TMessageEvent>& events, int& open) : events_(events), open_(open) { ++open_; }
  ~RecordingSink() override { --open_; }
  void Report(const TMessageEvent& event) override { events_.push_back(event); }
  std::vector<TMessageEvent>& events_;
  int& open_;
};

class FakeHost : public TLogHost {
 public:
  bool nt = true;
  std::set<std::u16string> dirs{u"C:\\logs\\"};
  std::map<std::u16string, std::vector<std::u16string>> files;  // one entry per append call
  std::set<std::u16string> readOnly;
  std::vector<std::u16string> writeErrors, errorBoxes;
  std::vector<TMessageEvent> events;
  int openSources = 0;
  uint32_t tick = 0;
  mutable std::mutex m;

  bool NTFamily() const override { return nt; }
  bool DirectoryExists(const std::u16string& dir) const override { return dirs.count(dir) != 0; }
  std::u16string DateText() const override { return u"05.03.24"; }
  std::u16string TimeText() const override { return u"9:07:02"; }
  uint32_t TickCount() const override { return tick; }
  std::u16string FromAnsi(std::string_view text) const override {
    std::u16string out;
    for (unsigned char c : text) out += c == 0xE0 ? u'а' : char16_t(c);  // enough of 1251 for the tests
    return out;
  }
  bool AppendLine(const std::u16string& fileName, std::u16string_view text) override {
    std::lock_guard<std::mutex> g(m);
    if (readOnly.count(fileName)) return false;
    files[fileName].push_back(std::u16string(text));
    return true;
  }
  void ShowFileWriteError(const std::u16string& fileName) override { writeErrors.push_back(fileName); }
  void ShowError(std::u16string_view text) override { errorBoxes.push_back(std::u16string(text)); }
  std::unique_ptr<TEventSink> OpenEventSource() override {
    return nt ? std::make_unique<RecordingSink>(events, openSources) : nullptr;
  }
  std::u16string SystemDescription() override { return u"Windows 7 (6.1.7601)"; }
};

const std::u16string kLog = u"C:\\logs\\client.log";
const std::u16string kStamp = u"[05.03.24 9:07:02]";
}  // namespace

TEST(LogFile, WritesEachLineAsItComes) {
  FakeHost host;
  {
    TLogFile log(host, kLog, false);
    EXPECT_TRUE(log.Enabled());
    EXPECT_EQ(host.files[kLog], std::vector<std::u16string>({kStamp})) << "opening stamp at once";
    log.Add("--> ProcessQuuee: start");
    log.Add("");
    log.AddWide(u"");
    log.AddWide(u"--> PrintEMF: страница 1");
    log.Add("\xE0");
    EXPECT_EQ(host.files[kLog].size(), 4u) << "empty texts add nothing, not even a line";
  }
  EXPECT_EQ(host.files[kLog], std::vector<std::u16string>({kStamp, u"--> ProcessQuuee: start",
                                                          u"--> PrintEMF: страница 1", u"а", kStamp}))
      << "8-bit text through the code page; the closing stamp at destruction";
}

TEST(LogFile, WhichFileNamesAreWritten) {
  struct Case {
    std::u16string name;
    bool hold;
    bool enabled;
    bool written;
    const char* why;
  } cases[] = {
      {kLog, false, true, true, "existing directory"},
      {u"C:\\missing\\client.log", false, false, false, "missing directory: no file, logging off"},
      {u"client.log", false, false, false, "a bare name has no directory"},
      {u"", false, false, false, "no LogFile value"},
      {u"", true, true, false, "held without a file: enabled, nothing written"},
      {u"C:\\missing\\client.log", true, true, false, "held, missing directory"},
  };
  for (const Case& c : cases) {
    FakeHost host;
    {
      TLogFile log(host, c.name, c.hold);
      EXPECT_EQ(log.Enabled(), c.enabled) << c.why;
      log.Add("line");
    }
    EXPECT_EQ(!host.files.empty(), c.written) << c.why;
    EXPECT_TRUE(host.writeErrors.empty()) << c.why;
  }
}

TEST(LogFile, HeldLinesAreWrittenAsOneBlockAtClose) {
  FakeHost host;
  TLogFile log(host, kLog, true);
  log.Add("one");
  log.Add("two");
  EXPECT_TRUE(host.files.empty()) << "nothing before Close";
  log.Close();
  ASSERT_EQ(host.files[kLog].size(), 1u);
  EXPECT_EQ(host.files[kLog][0], kStamp + u"\r\none\r\ntwo\r\n" + kStamp);
  EXPECT_FALSE(log.Hold());
  log.Add("after close");
  EXPECT_EQ(host.files[kLog].size(), 1u) << "a closed log writes no more";
}

TEST(LogFile, ElapsedTimeAcrossTheTickWrap) {
  struct Case {
    uint32_t start, now;
    const char16_t* expected;
  } cases[] = {
      {1000, 1250, u"- время выполнения: 250, ms"},
      {0xFFFFFFF0u, 16, u"- время выполнения: 32, ms"},
      {5, 5, u"- время выполнения: 0, ms"},
  };
  for (const Case& c : cases) EXPECT_EQ(ElapsedText(c.start, c.now), c.expected);
  FakeHost host;
  host.tick = 16;
  TLogFile log(host, kLog, false);
  log.AddElapsed(0xFFFFFFF0u);
  EXPECT_EQ(host.files[kLog].back(), u"- время выполнения: 32, ms");
}

TEST(LogFile, WriteFailureShowsOneBoxAndEndsFileLogging) {
  FakeHost host;
  TLogFile log(host, kLog, false);
  host.readOnly.insert(kLog);
  log.Add("lost");
  log.Add("not tried");
  EXPECT_EQ(host.writeErrors, std::vector<std::u16string>({kLog}));
  EXPECT_FALSE(log.Enabled());
  EXPECT_EQ(log.FileName(), u"");
  log.ReportError(u"still reported");
  EXPECT_EQ(host.events.size(), 1u) << "event reports continue";
}

TEST(LogFile, FieldStatusOnlyWhileHeld) {
  FakeHost host;
  TLogFile held(host, u"", true);
  held.AddFieldStatus(u"Номер", u"12", true, false);
  held.AddFieldStatus(u"Дата", u"", false, true);
  held.AddFieldStatus(u"Сумма", u"5", true, true);
  held.TruncateFieldStatus(2);
  EXPECT_EQ(held.FieldStatus(), std::vector<TFieldStatus>({{u"Номер", u"12", true, false}, {u"Дата", u"", false, true}}));
  held.TruncateFieldStatus(5);
  EXPECT_EQ(held.FieldStatus().size(), 2u);
  held.ClearFieldStatus();
  EXPECT_TRUE(held.FieldStatus().empty());

  TLogFile plain(host, kLog, false);
  plain.AddFieldStatus(u"Номер", u"12", true, false);
  EXPECT_TRUE(plain.FieldStatus().empty()) << "ignored without Hold";
}

TEST(LogFile, EventReports) {
  struct Case {
    void (*report)(TLogFile&);
    TMessageEvent expected;
    const char* why;
  } cases[] = {
      {[](TLogFile& l) { l.ReportStarted(false); }, {kEventTypeSuccess, 1, 256, u""}, "started"},
      {[](TLogFile& l) { l.ReportStarted(true); }, {kEventTypeSuccess, 1, 273, u""}, "service started"},
      {[](TLogFile& l) { l.ReportClosed(false, false); }, {kEventTypeSuccess, 1, 257, u""}, "closed"},
      {[](TLogFile& l) { l.ReportClosed(false, true); }, {kEventTypeSuccess, 1, 274, u""}, "service closed"},
      {[](TLogFile& l) { l.ReportClosed(true, false); }, {kEventTypeError, 4, 258, u""}, "abnormal: its own event"},
      {[](TLogFile& l) { l.ReportClosed(true, true); }, {kEventTypeError, 4, 258, u""}, "abnormal service end"},
      {[](TLogFile& l) { l.ReportError(u"сбой"); }, {kEventTypeError, 4, 264, u"сбой"}, "error"},
      {[](TLogFile& l) { l.ReportDebugInfo(); }, {kEventTypeInformation, 2, 265, u"Windows 7 (6.1.7601)"}, "debug"},
      {[](TLogFile& l) { l.ReportEventText(kEventTypeWarning, 5, u"внимание", 272); },
       {kEventTypeWarning, 5, 272, u"внимание"}, "any entry"},
      {[](TLogFile& l) { l.ErrorBoxW(u"ошибка"); }, {kEventTypeError, 4, 264, u"ошибка"}, "error box"},
  };
  for (const Case& c : cases) {
    FakeHost host;
    TLogFile log(host, kLog, false);
    c.report(log);
    ASSERT_EQ(host.events.size(), 1u) << c.why;
    EXPECT_EQ(host.events[0], c.expected) << c.why;
  }
}

TEST(LogFile, ReportsAlsoWriteTheLog) {
  FakeHost host;
  {
    TLogFile log(host, kLog, false);
    log.ReportError(u"сбой");
    log.ReportDebugInfo();
    log.ErrorBox("bad");
    EXPECT_EQ(host.errorBoxes, std::vector<std::u16string>({u"bad"}));
    EXPECT_EQ(host.openSources, 1);
  }
  EXPECT_EQ(host.openSources, 0) << "the source is deregistered at close";
  EXPECT_EQ(host.files[kLog], std::vector<std::u16string>(
                                  {kStamp, u"сбой", u"Debug Information:\r\nWindows 7 (6.1.7601)", u"bad", kStamp}));
}

TEST(LogFile, NoEventSourceOn9x) {
  FakeHost host;
  host.nt = false;
  TLogFile log(host, kLog, false);
  EXPECT_FALSE(log.HasEventSource());
  log.ReportStarted(false);
  log.ReportError(u"x");
  EXPECT_TRUE(host.events.empty());
  EXPECT_EQ(host.files[kLog].back(), u"x") << "the file still gets the line";
}

TEST(LogFile, LinesFromSeveralThreadsStayWhole) {
  FakeHost host;
  constexpr int kThreads = 8, kLines = 200;
  {
    TLogFile log(host, kLog, false);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
      threads.emplace_back([&log, t] {
        for (int i = 0; i < kLines; ++i) log.Add("thread " + std::to_string(t) + " line " + std::to_string(i));
      });
    for (std::thread& th : threads) th.join();
  }
  const std::vector<std::u16string>& lines = host.files[kLog];
  ASSERT_EQ(lines.size(), size_t(kThreads * kLines + 2));
  std::map<int, int> next;
  for (size_t i = 1; i + 1 < lines.size(); ++i) {
    int t = -1, n = -1;
    const std::string line(lines[i].begin(), lines[i].end());
    ASSERT_EQ(std::sscanf(line.c_str(), "thread %d line %d", &t, &n), 2) << line;
    EXPECT_EQ(n, next[t]++) << "each thread's lines in order";
  }
}
