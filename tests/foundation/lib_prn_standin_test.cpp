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
  EXPECT_EQ(s.QueueJob(s.Printers[0], {}), 1u) << "job id 0 is never given";
}

}  // namespace
