// Tests of the stand-in spooler's state: the queue rules and the state file's round trip and damage.
#include <gtest/gtest.h>

#include "foundation/lib_prn_standin.h"

namespace {

TStandInState SampleState() {
  TStandInState s;
  TStandInPrinter p;
  p.Name = u"Виртуальный\\принтер\nдва";
  p.PortName = u"LPT1:";
  p.Datatype = u"NT EMF 1.008";
  p.Status = PRN_STATUS_PAUSED;
  p.DevMode = {1, 2, 0xFF};
  p.SetData(u"EmfDespoolingSetting", 4, {1, 0, 0, 0});
  EXPECT_TRUE(s.NewPrinter(p));
  TStandInJob j;
  j.Document = u"Счёт=1";
  j.TotalPages = 3;
  j.Submitted = {2025, 12, 3, 31, 23, 30, 0, 5};
  j.DevMode = {9, 8};
  s.QueueJob(s.Printers[0], j);
  s.QueueJob(s.Printers[0], TStandInJob());
  return s;
}

TEST(StandInState, RoundTripKeepsEveryField) {
  const TStandInState s = SampleState();
  TStandInState back;
  std::string why;
  ASSERT_TRUE(ParseStandInState(FormatStandInState(s), back, why)) << why;
  EXPECT_EQ(FormatStandInState(back), FormatStandInState(s));
  ASSERT_EQ(back.Printers.size(), 1u);
  EXPECT_EQ(back.Printers[0].Name, s.Printers[0].Name);
  ASSERT_EQ(back.Printers[0].Jobs.size(), 2u);
  EXPECT_EQ(back.Printers[0].Jobs[0].Submitted, s.Printers[0].Jobs[0].Submitted);
  EXPECT_EQ(back.Printers[0].Jobs[1].JobId, 2u);
  EXPECT_EQ(back.NextJobId, 3u);
}

TEST(StandInState, DamagedFilesAreRefused) {
  const std::string good = FormatStandInState(SampleState());
  const struct {
    std::string text;
    const char* why;
  } cases[] = {
      {"", "empty"},
      {"StandInSpooler 2\n", "another version"},
      {"StandInSpooler 1\n[Job]\nJobId=1\n", "a job before any printer"},
      {"StandInSpooler 1\nNextJobId=x\n", "not a number"},
      {"StandInSpooler 1\nNextJobId=99999999999\n", "out of range"},
      {"StandInSpooler 1\n[Printer]\nDevMode=ABC\n", "odd hex"},
      {"StandInSpooler 1\n[Printer]\nName=a\\q\n", "unknown escape"},
      {"StandInSpooler 1\n[Printer]\nName=a\\\n", "escape at the end"},
      {"StandInSpooler 1\n[Printer]\n[Job]\nSubmitted=1 2 3\n", "time with too few fields"},
      {"StandInSpooler 1\nSomething\n", "no '='"},
      {"StandInSpooler 1\nColour=red\n", "unknown key"},
      {good.substr(0, good.size() - 3), "cut in a hex value"},
  };
  for (const auto& c : cases) {
    TStandInState s;
    std::string why;
    EXPECT_FALSE(ParseStandInState(c.text, s, why)) << c.why;
    EXPECT_FALSE(why.empty()) << c.why;
  }
}

TEST(StandInQueue, UnpausedQueuePrintsWaitingJobsAndKeepsThemOnlyWhenAsked) {
  TStandInState s = SampleState();
  TStandInPrinter& p = s.Printers[0];
  p.Jobs[0].Status = STANDIN_JOB_PAUSED;
  EXPECT_TRUE(DespoolStandInQueue(p).empty()) << "paused queue";
  p.Status = 0;
  EXPECT_EQ(DespoolStandInQueue(p), std::vector<uint32_t>{2}) << "the paused job stays";
  ASSERT_EQ(p.Jobs.size(), 1u);
  p.Jobs[0].Status = 0;
  p.Attributes |= PRN_ATTR_KEEPPRINTEDJOBS;
  EXPECT_TRUE(DespoolStandInQueue(p).empty());
  EXPECT_EQ(p.Jobs[0].Status, STANDIN_JOB_PRINTED);
  EXPECT_EQ(p.Jobs[0].PagesPrinted, 3u);
  EXPECT_FALSE(RemoveStandInJob(p, 77));
  EXPECT_TRUE(RemoveStandInJob(p, 1));
}

TEST(StandInState, NamesAreFoundIgnoringCaseAndTakenOnce) {
  TStandInState s;
  TStandInPrinter p;
  p.Name = u"Принтер";
  EXPECT_TRUE(s.NewPrinter(p));
  p.Name = u"ПРИНТЕР";
  EXPECT_FALSE(s.NewPrinter(p));
  p.Name = u"";
  EXPECT_FALSE(s.NewPrinter(p));
  EXPECT_NE(s.Find(u"принтер"), nullptr);
  s.NextJobId = 0xFFFFFFFF;
  EXPECT_EQ(s.QueueJob(s.Printers[0], {}), 0xFFFFFFFFu);
  EXPECT_EQ(s.QueueJob(s.Printers[0], {}), 0u) << "the last id is in use: the next id could not stay above it";
  EXPECT_EQ(s.Printers[0].Jobs.size(), 1u) << "nothing queued";
  ASSERT_TRUE(RemoveStandInJob(s.Printers[0], 0xFFFFFFFF));
  EXPECT_EQ(s.QueueJob(s.Printers[0], {}), 1u) << "job id 0 is never given; the count starts again";
}

TEST(StandInState, PrinterIdsStartAgainOnlyWhenNoPrinterHoldsOne) {
  TStandInState s;
  s.NextPrinterId = 0xFFFFFFFF;
  TStandInPrinter p;
  p.Name = u"A";
  ASSERT_TRUE(s.NewPrinter(p));
  EXPECT_EQ(s.Printers[0].Id, 0xFFFFFFFFu);
  p.Name = u"B";
  EXPECT_FALSE(s.NewPrinter(p)) << "no id left above the one in use";
  s.Printers.clear();
  ASSERT_TRUE(s.NewPrinter(p));
  EXPECT_EQ(s.Printers[0].Id, 1u);
}

// Each of these states was read before and would then have given one name or id to two things.
TEST(StandInState, ContradictionsAreRefusedWithTheirLine) {
  const std::string head = "StandInSpooler 1\nNextJobId=10\nNextPrinterId=5\n";
  const struct {
    std::string text;
    std::string error;
  } cases[] = {
      {head + "[Printer]\nId=1\nName=A\n[Printer]\nId=2\nName=a\n", "line 7: a printer name given twice"},
      {head + "[Printer]\nId=1\nName=A\n[Printer]\nId=1\nName=B\n", "line 7: a printer id given twice"},
      {head + "[Printer]\nId=0\nName=A\n", "line 4: printer id 0"},
      {head + "[Printer]\nId=1\n", "line 4: a printer without a name"},
      {head + "[Printer]\nId=1\nName=A\n[Job]\nJobId=3\n[Printer]\nId=2\nName=B\n[Job]\nJobId=3\n",
       "line 12: a job id given twice"},
      {head + "[Printer]\nId=1\nName=A\n[Job]\nJobId=0\n", "line 7: job id 0"},
      {head + "[Printer]\nId=1\nName=A\n[Job]\nJobId=10\n", "line 2: NextJobId is not above every job id"},
      {head + "[Printer]\nId=5\nName=A\n", "line 3: NextPrinterId is not above every printer id"},
      {"StandInSpooler 1\n[Printer]\nId=1\nName=A\n", "line 1: NextPrinterId is not above every printer id"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    TStandInState s;
    std::string why;
    EXPECT_FALSE(ParseStandInState(c.text, s, why));
    EXPECT_EQ(why, c.error);
  }
  TStandInState s;
  std::string why;
  EXPECT_TRUE(ParseStandInState("StandInSpooler 1\nNextJobId=0\nNextPrinterId=0\n[Printer]\nId=4294967295\nName=A\n"
                                "[Job]\nJobId=4294967295\n",
                                s, why))
      << "0: every id was given; " << why;
}

TEST(StandInState, NamesKeepEveryUnitThroughASaveAndReload) {
  const std::u16string names[] = {
      std::u16string(u"lone high \xD800 end"), std::u16string(u"\xDC00 lone low first"),
      std::u16string(u"at the end \xDBFF"),    std::u16string(u"reversed \xDC00\xD800 pair"),
      std::u16string(u"a pair \xD83D\xDE00 stays UTF-8"), std::u16string(u"slash \\u0041 is text"),
  };
  for (const auto& name : names) {
    TStandInState s;
    TStandInPrinter p;
    p.Name = name;
    p.Comment = name;
    ASSERT_TRUE(s.NewPrinter(p));
    const std::string text = FormatStandInState(s);
    TStandInState back;
    std::string why;
    ASSERT_TRUE(ParseStandInState(text, back, why)) << why;
    EXPECT_EQ(back.Printers[0].Name, name) << text;
    EXPECT_EQ(back.Printers[0].Comment, name);
  }
  TStandInState s;
  std::string why;
  const std::string head = "StandInSpooler 1\nNextPrinterId=2\n[Printer]\nId=1\nName=";
  EXPECT_FALSE(ParseStandInState(head + "\\u0041\n", s, why)) << "only a surrogate is spelt \\u";
  EXPECT_FALSE(ParseStandInState(head + "\\uD80\n", s, why)) << "four digits";
  EXPECT_FALSE(ParseStandInState(head + "\\uD80G\n", s, why));
}

}  // namespace
