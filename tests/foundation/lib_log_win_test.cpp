// The log on Windows: the file as written (mark, encoding, stamps), lines from several threads, the
// 9x branch, and the event source with its registry key and the message boxes' copies.
#include "foundation/lib_log_win.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <thread>

#include "foundation/lib_api_win.h"
#include "foundation/lib_codepage.h"
#include "support/win_fixtures.h"

namespace {
const std::regex kStampLine(R"(\[\d{2}\.\d{2}\.\d{4} \d{1,2}:\d{2}:\d{2}\])");

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start) + "<no CR LF>");
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

struct RecordingSink : TEventSink {
  RecordingSink(std::mutex& m, std::vector<TMessageEvent>& events) : m_(m), events_(events) {}
  void Report(const TMessageEvent& event) override {
    std::lock_guard<std::mutex> g(m_);
    events_.push_back(event);
  }
  std::mutex& m_;
  std::vector<TMessageEvent>& events_;
};
}  // namespace

TEST(WinLog, NewFileIsUtf8WithMarkAndStamps) {
  TScratchDir dir(u"lib_log_utf8");
  const std::u16string name = dir.File(u"client.log");
  {
    TLogFile log(WindowsLogHost(), name, false);
    log.Add(WideToAnsi(u"--> ProcessQuuee: задание 1"));
    log.AddWide(u"--> PrintEMF: Ё");
  }
  const std::string bytes = ReadFixture(name);
  ASSERT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
  const std::vector<std::string> lines = SplitLines(bytes.substr(3));
  ASSERT_EQ(lines.size(), 4u) << bytes;
  EXPECT_TRUE(std::regex_match(lines[0], kStampLine)) << lines[0];
  EXPECT_EQ(lines[1], WideToUtf8(u"--> ProcessQuuee: задание 1"));
  EXPECT_EQ(lines[2], WideToUtf8(u"--> PrintEMF: Ё"));
  EXPECT_TRUE(std::regex_match(lines[3], kStampLine)) << lines[3];
}

TEST(WinLog, ExistingAnsiFileKeepsItsEncoding) {
  TScratchDir dir(u"lib_log_ansi");
  const std::u16string name = dir.File(u"client.log");
  ASSERT_TRUE(WriteFixture(name, "old\r\n"));
  {
    TLogFile log(WindowsLogHost(), name, true);
    log.AddWide(u"строка");
  }
  const std::vector<std::string> lines = SplitLines(ReadFixture(name));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "old");
  EXPECT_EQ(lines[2], EncodeCodePage(u"строка", kCodePage1251));
}

TEST(WinLog, On9xTheFileIs8BitAndThereIsNoEventSource) {
  TScratchDir dir(u"lib_log_9x");
  const std::u16string name = dir.File(u"client.log");
  SetProgramTitle(u"ClientTests lib_log 9x");
  {
    TPlatformGuard win9x(VER_PLATFORM_WIN32_WINDOWS);
    TLogFile log(WindowsLogHost(), name, false);
    EXPECT_FALSE(log.HasEventSource());
    log.AddWide(u"строка");
  }
  SetProgramTitle(u"");
  const std::string bytes = ReadFixture(name);
  EXPECT_NE(bytes.substr(0, 3), "\xEF\xBB\xBF");
  const std::vector<std::string> lines = SplitLines(bytes);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1], EncodeCodePage(u"строка", kCodePage1251));
}

TEST(WinLog, MissingDirectoryWritesNothing) {
  TScratchDir dir(u"lib_log_missing");
  const std::u16string name = dir.File(u"no\\such\\client.log");
  TLogFile log(WindowsLogHost(), name, false);
  EXPECT_FALSE(log.Enabled());
  EXPECT_EQ(log.FileName(), u"");
}

TEST(WinLog, SeveralThreadsWriteNoTornLines) {
  TScratchDir dir(u"lib_log_threads");
  const std::u16string name = dir.File(u"client.log");
  constexpr int kThreads = 6, kLines = 150;
  {
    TLogFile log(WindowsLogHost(), name, false);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
      threads.emplace_back([&log, t] {
        for (int i = 0; i < kLines; ++i)
          log.Add("--> thread " + std::to_string(t) + " line " + std::to_string(i) + " " + std::string(40, 'x'));
      });
    for (std::thread& th : threads) th.join();
  }
  const std::string bytes = ReadFixture(name);
  const std::vector<std::string> lines = SplitLines(bytes.substr(3));
  ASSERT_EQ(lines.size(), size_t(kThreads * kLines + 2));
  const std::regex body(R"(--> thread (\d) line (\d+) x{40})");
  std::map<int, int> next;
  for (size_t i = 1; i + 1 < lines.size(); ++i) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(lines[i], m, body)) << "torn line " << i << ": " << lines[i];
    const int t = std::stoi(m[1]);
    EXPECT_EQ(std::stoi(m[2]), next[t]++);
  }
}

TEST(WinLog, EventSourceKeyEntriesAndBoxCopies) {
  const std::u16string title = u"ClientTests lib_log " + FromWStr(std::to_wstring(GetCurrentProcessId()).c_str());
  const std::u16string keyPath = std::u16string(kEventLogApplicationKey) + title;
  std::mutex m;
  std::vector<TMessageEvent> events;
  std::vector<std::u16string> titles;
  SetEventSinkFactoryForTesting([&](const std::u16string& t) {
    titles.push_back(t);
    return std::make_unique<RecordingSink>(m, events);
  });
  SetMessageBoxHook([](const TMessageBoxRequest&) { return IDOK; });
  SetProgramTitle(title);
  {
    TLogFile log(ApplicationLogHost(), u"", false);
    EXPECT_TRUE(log.HasEventSource());
    log.ReportStarted(true);
    log.ReportClosed(true, true);
    ShowErrorMsg(u"копия окна");
  }
  ShowErrorMsg(u"после закрытия");  // the source is gone: no copy
  SetProgramTitle(u"");
  SetMessageBoxHook({});
  SetEventSinkFactoryForTesting({});

  EXPECT_EQ(titles, std::vector<std::u16string>({title}));
  EXPECT_EQ(events, std::vector<TMessageEvent>({{kEventTypeSuccess, 1, 273, u""},
                                                {kEventTypeError, 4, 258, u""},
                                                {kEventTypeError, 4, 264, u"копия окна"}}));

  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, WStr(keyPath), 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD type = 0, value = 0, size = sizeof value;
  RegQueryValueExW(key, L"CategoryCount", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  EXPECT_EQ(value, 5u);
  RegQueryValueExW(key, L"TypesSupported", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  EXPECT_EQ(value, 7u);
  wchar_t path[MAX_PATH] = {};
  size = sizeof path;
  RegQueryValueExW(key, L"EventMessageFile", nullptr, &type, reinterpret_cast<BYTE*>(path), &size);
  EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
  EXPECT_EQ(FromWStr(path), MessageModulePath());
  size = sizeof path;
  RegQueryValueExW(key, L"CategoryMessageFile", nullptr, &type, reinterpret_cast<BYTE*>(path), &size);
  EXPECT_EQ(FromWStr(path), MessageModulePath());
  RegCloseKey(key);
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, WStr(keyPath));
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, WStr(keyPath));
}

TEST(WinLog, NoTitleNoSource) {
  SetProgramTitle(u"");
  TLogFile log(WindowsLogHost(), u"", true);
  EXPECT_FALSE(log.HasEventSource());
}

TEST(WinLog, RealEventLogSourceOpensAndReports) {
  // Wine's ReportEvent records nothing; this only proves the real path registers and reports safely.
  const std::u16string title = u"ClientTests lib_log real " + FromWStr(std::to_wstring(GetCurrentProcessId()).c_str());
  SetProgramTitle(title);
  {
    TLogFile log(WindowsLogHost(), u"", false);
    EXPECT_TRUE(log.HasEventSource());
    log.ReportError(u"проверка");
  }
  SetProgramTitle(u"");
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, WStr(std::u16string(kEventLogApplicationKey) + title));
}
