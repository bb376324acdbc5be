// Tests of the print-job journal's file under Wine: numbering after an existing journal, the
// encoding of a new file, a disabled journal, numbers shared by threads, and the local time.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <thread>

#include "foundation/lib_codepage.h"
#include "foundation/lib_prn_journal_win.h"
#include "foundation/lib_unicode_win.h"
#include "support/prn_test_support.h"

namespace {

_JOBINFO Job(uint32_t id) {
  _JOBINFO j;
  j.JobId = id;
  j.PrinterName = u"Принтер";
  j.MachineName = u"PC";
  j.Submitted = {2025, 12, 3, 31, 23, 30, 0, 0};
  return j;
}

void WriteJournal(const std::u16string& name, const std::string& text) {
  HANDLE h = CreateFileW(WStr(name), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD done = 0;
  WriteFile(h, text.data(), DWORD(text.size()), &done, nullptr);
  CloseHandle(h);
}

std::string ReadText(const std::u16string& name) {
  const auto bytes = ReadFileBytes(name);
  return std::string(bytes.begin(), bytes.end());
}

TEST(PrintJournal, ContinuesAfterTheLastRecordOfAnExistingFile) {
  TScratchDirectory dir(u"journal_existing");
  const std::u16string file = dir.Path + u"\\journal.dat";
  const std::string old = "40|x\r\n41|y\r\n";
  WriteJournal(file, old);
  TPrintServerMonitor journal;
  journal.OpenWith(u"Config", file, u"K");
  ASSERT_TRUE(journal.Enabled);
  EXPECT_EQ(journal.AppendJob(Job(5)), 42u);
  const std::string text = ReadText(file);
  EXPECT_EQ(text.substr(0, old.size()), old) << "appended, nothing lost";
  EXPECT_EQ(text.substr(old.size(), 13), "42|5|\xCF\xF0\xE8\xED\xF2\xE5\xF0|") << "an ANSI file stays ANSI (1251)";
  EXPECT_EQ(text.substr(text.size() - 4), "|K\r\n");
}

TEST(PrintJournal, ANewFileIsUtf8WithAByteOrderMarkAndStartsAtOne) {
  TScratchDirectory dir(u"journal_new");
  const std::u16string file = dir.Path + u"\\new.dat";
  TPrintServerMonitor journal;
  journal.OpenWith(u"Config", file, u"");
  ASSERT_TRUE(journal.Enabled);
  EXPECT_EQ(GetFileAttributesW(WStr(file)), INVALID_FILE_ATTRIBUTES) << "opening leaves no empty file";
  EXPECT_EQ(journal.AppendJob(Job(1)), 1u);
  TPrintServerMonitor one;
  one.OpenWith(u"Config", file, u"");
  EXPECT_EQ(one.LastRecordNo(), 1u) << "a journal of one record behind its mark";
  EXPECT_EQ(journal.AppendJob(Job(2)), 2u);
  const std::string text = ReadText(file);
  EXPECT_EQ(text.substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_EQ(text.substr(3, 19), "1|1|Принтер|");
  EXPECT_NE(text.find("\r\n2|2|"), std::string::npos);
  TPrintServerMonitor again;
  again.OpenWith(u"Config", file, u"");
  EXPECT_EQ(again.AppendJob(Job(3)), 3u);
}

TEST(PrintJournal, AForgedDocumentNameAddsNoRecordAndTheTopOfTheRangeHolds) {
  TScratchDirectory dir(u"journal_forged");
  const std::u16string file = dir.Path + u"\\forged.dat";
  TPrintServerMonitor journal;
  journal.OpenWith(u"Config", file, u"");
  _JOBINFO forged = Job(1);
  forged.Document = u"x\r\n4294967295|y";
  EXPECT_EQ(journal.AppendJob(forged), 1u);
  TPrintServerMonitor reopened;
  reopened.OpenWith(u"Config", file, u"");
  EXPECT_EQ(reopened.AppendJob(Job(2)), 2u) << "the name stayed inside its own line";
  const std::string text = ReadText(file);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2);

  const std::u16string top = dir.Path + u"\\top.dat";
  WriteJournal(top, "4294967295|x\r\n");
  TPrintServerMonitor full;
  full.OpenWith(u"Config", top, u"");
  EXPECT_EQ(full.AppendJob(Job(3)), 4294967295u) << "no wrap to 0";
}

TEST(PrintJournal, ADisabledJournalStillNumbersAndTheNumbersNeverRepeatAcrossThreads) {
  TPrintServerMonitor journal;
  journal.OpenWith(u"Config", u"Q:\\no\\such\\dir\\journal.dat", u"");
  EXPECT_FALSE(journal.Enabled);
  EXPECT_EQ(journal.AppendJob(Job(1)), 1u);
  EXPECT_EQ(journal.AppendJob(Job(1)), 2u);
  std::vector<std::vector<uint32_t>> got(4);
  std::vector<std::thread> threads;
  for (auto& numbers : got)
    threads.emplace_back([&journal, &numbers] {
      for (int i = 0; i < 500; ++i) numbers.push_back(journal.AppendJob(Job(1)));
    });
  for (auto& t : threads) t.join();
  std::set<uint32_t> all;
  for (const auto& numbers : got) all.insert(numbers.begin(), numbers.end());
  EXPECT_EQ(all.size(), 2000u);
  EXPECT_EQ(journal.LastRecordNo(), 2002u);
}

TEST(PrintJournal, SubmittedTimeIsWrittenInLocalTime) {
  TIME_ZONE_INFORMATION twoHoursAhead{};
  twoHoursAhead.Bias = -120;
  const TSystemTime local = JournalLocalTime({2025, 12, 3, 31, 23, 30, 0, 0}, &twoHoursAhead);
  EXPECT_EQ(local.Year, 2026);
  EXPECT_EQ(local.Month, 1);
  EXPECT_EQ(local.Day, 1);
  EXPECT_EQ(local.Hour, 1);
  EXPECT_EQ(local.Minute, 30);
  const TSystemTime bad{2025, 13, 0, 40, 0, 0, 0, 0};
  EXPECT_EQ(JournalLocalTime(bad, &twoHoursAhead), bad) << "a time that cannot be converted stays";
}

}  // namespace
