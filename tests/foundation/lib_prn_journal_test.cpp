// Tests of the print-job journal's lines and of the scan for the last record number.
#include <gtest/gtest.h>

#include <algorithm>

#include "foundation/lib_codepage.h"
#include "foundation/lib_prn_journal.h"

namespace {

_JOBINFO SampleJob() {
  _JOBINFO j;
  j.JobId = 17;
  j.PrinterName = u"Виртуальный принтер";
  j.MachineName = u"\\\\SERVER";
  j.UserName = u"Иванов";
  j.Document = u"Счёт";
  j.NotifyName = u"Иванов";
  j.Datatype = u"NT EMF 1.008";
  j.PrintProcessor = u"WinPrint";
  j.DriverName = u"Драйвер";
  j.StatusCode = 8;
  j.Priority = 1;
  j.Position = 2;
  j.TotalPages = 3;
  j.Size = 4096;
  j.PagesPrinted = 0;
  j.Copies = 2;
  return j;
}

TEST(JournalLine, TwentyFourFieldsInTheirOrder) {
  const TSystemTime local{2026, 1, 4, 1, 1, 30, 15, 0};
  EXPECT_EQ(WideToUtf8(FormatJournalLine(42, SampleJob(), local, u"KEY")),
            "42|17|Виртуальный принтер|\\\\SERVER|Иванов|Счёт|Иванов|NT EMF 1.008|WinPrint||Драйвер||8|1|2|0|0|3|4096|"
            "01.01.26 01:30|0|0|2|KEY");
}

TEST(JournalLine, MachineNameGetsItsBackslashesOnce) {
  const struct {
    std::u16string machine, written;
  } cases[] = {{u"SERVER", u"\\\\SERVER"}, {u"\\\\SERVER", u"\\\\SERVER"}, {u"", u"\\\\"}, {u"\\S", u"\\\\\\S"}};
  for (const auto& c : cases) {
    _JOBINFO j = SampleJob();
    j.MachineName = c.machine;
    const std::u16string line = FormatJournalLine(1, j, {}, u"");
    EXPECT_NE(line.find(u"|" + c.written + u"|"), std::u16string::npos) << WideToUtf8(c.machine);
  }
}

TEST(JournalLine, TextFieldsCannotBreakTheLineOrAddFields) {
  const struct {
    std::u16string _JOBINFO::*field;
    std::u16string text, written;
    const char* why;
  } cases[] = {
      {&_JOBINFO::Document, u"a|b", u"a b", "a bar in a document name"},
      {&_JOBINFO::Document, u"x\r\n4294967295|y", u"x  4294967295 y", "a forged record behind CR LF"},
      {&_JOBINFO::Document, u"\r\r\n\n", u"    ", "line breaks alone"},
      {&_JOBINFO::UserName, u"u\n1|", u"u 1 ", "the user name"},
      {&_JOBINFO::MachineName, u"\\\\PC|\r", u"\\\\PC  ", "the machine name"},
      {&_JOBINFO::Status, u"ok|x", u"ok x", "the status text"},
  };
  for (const auto& c : cases) {
    _JOBINFO j = SampleJob();
    j.*c.field = c.text;
    const std::u16string line = FormatJournalLine(1, j, {}, u"K|\n");
    EXPECT_EQ(std::count(line.begin(), line.end(), u'|'), 23) << c.why;
    EXPECT_EQ(line.find_first_of(u"\r\n"), std::u16string::npos) << c.why;
    EXPECT_NE(line.find(u"|" + c.written + u"|"), std::u16string::npos) << c.why;
    EXPECT_EQ(line.substr(line.size() - 4), u"|K  ") << c.why << ": the journal's own key too";
  }
}

TEST(JournalLine, AForgedDocumentNameDoesNotMoveTheNumbering) {
  _JOBINFO j = SampleJob();
  j.Document = u"x\r\n4294967295|y";
  const std::string journal = "\xEF\xBB\xBF" + WideToUtf8(FormatJournalLine(7, j, {}, u"")) + "\r\n";
  EXPECT_EQ(ScanJournalRecordNo(journal, 0), 7u);
  EXPECT_EQ(NextJournalRecordNo(ScanJournalRecordNo(journal, 0)), 8u);
}

TEST(JournalNumbering, NextNumberStaysAtTheTopOfTheRange) {
  const struct {
    uint32_t last, next;
  } cases[] = {{0, 1}, {41, 42}, {4294967294u, 4294967295u}, {4294967295u, 4294967295u}};
  for (const auto& c : cases) EXPECT_EQ(NextJournalRecordNo(c.last), c.next) << c.last;
}

TEST(JournalTime, TwoDigitFields) {
  EXPECT_EQ(FormatJournalTime({2009, 3, 0, 7, 5, 4, 0, 0}), u"07.03.09 05:04");
  EXPECT_EQ(FormatJournalTime({2100, 12, 0, 31, 23, 59, 0, 0}), u"31.12.00 23:59");
}

TEST(JournalScan, HighestWholeNumberBeforeTheFirstBar) {
  const struct {
    std::string file;
    uint32_t last, expected;
    const char* why;
  } cases[] = {
      {"", 0, 0, "empty file"},
      {"\xEF\xBB\xBF" "1|a\r\n41|b\r\n7|c\r\n", 0, 41, "behind a byte-order mark"},
      {"\xEF\xBB\xBF" "5|a\r\n", 0, 5, "one record behind the mark counts"},
      {"x\xEF\xBB\xBF" "5|a\n", 0, 0, "a mark inside a line is no mark"},
      {"\xEF\xBB" "5|a\n", 0, 0, "nor is part of one"},
      {"12x|a\n3|b", 0, 3, "a number must be the whole field"},
      {"4294967295|a\n", 0, 4294967295u, "the largest 32-bit number"},
      {"4294967296|a\n2|b\n", 0, 2, "one more does not fit"},
      {"|a\n-3|b\n", 0, 0, "empty and negative"},
      {"9|a\n", 20, 20, "below what is known already"},
      {"77", 0, 77, "a line without a bar and without a break"},
  };
  for (const auto& c : cases) EXPECT_EQ(ScanJournalRecordNo(c.file, c.last), c.expected) << c.why;
}

}  // namespace
