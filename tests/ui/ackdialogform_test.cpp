// The copies dialog's decisions without its window: outcomes, answers, texts, the starting answer kept
// per document type, the countdown and the answer given where nobody can see the dialog.
#include "ui/ackdialogform.h"

#include <gtest/gtest.h>

#include "ui/ack_rig.h"

namespace {

std::string Letters(char c, size_t n) { return std::string(n, c); }

TAckValues Values(std::u16string copies, std::u16string pages, int32_t index) {
  return TAckValues{std::move(copies), std::move(pages), index};
}

// A DEVMODE's bytes with the paper length and width in tenths of a millimetre at their places.
std::vector<uint8_t> DevMode(bool wide, int16_t length, int16_t width) {
  std::vector<uint8_t> bytes(wide ? 220 : 156, 0);
  const size_t at = wide ? 80 : 48;
  bytes[at] = static_cast<uint8_t>(length);
  bytes[at + 1] = static_cast<uint8_t>(length >> 8);
  bytes[at + 2] = static_cast<uint8_t>(width);
  bytes[at + 3] = static_cast<uint8_t>(width >> 8);
  return bytes;
}

}  // namespace

TEST(AckDialog, OkOutcomeByErrorsPresetAndQuestion) {
  struct Case {
    bool errors;
    int32_t index;
    bool yes;
    int32_t result;
    bool asked;
    uint8_t codeMode;
    const char* why;
  } cases[] = {
      {false, 0, false, kAckResultOk, false, kCodeModePrint, "no errors: OK without a question"},
      {false, 5, false, kAckResultOk, false, kCodeModeNoPrint, "no errors, no code: OK, code off"},
      {true, 0, true, kAckResultIgnore, true, kCodeModePrint, "errors, Yes: Ignore"},
      {true, 0, false, kAckResultCancel, true, kCodeModePrint, "errors, No: Cancel"},
      {true, 5, false, kAckResultIgnore, false, kCodeModeNoPrint, "errors, no code: Ignore at once"},
  };
  for (const Case& c : cases) {
    TAckRig rig;
    rig.errors.Add(u"Поле \"ИНН\" не заполнено");
    TContext context(rig.host, u"P1");
    TAckPresenter p(rig.store, rig.Request(context, "CN", c.errors));
    bool asked = false;
    const int32_t result = p.OkClick(Values(u"2", std::u16string(kAckPresetTexts[c.index]), c.index), [&] {
      asked = true;
      return c.yes;
    });
    EXPECT_EQ(result, c.result) << c.why;
    EXPECT_EQ(asked, c.asked) << c.why;
    const TAckOutcome outcome = p.Finish();
    EXPECT_EQ(outcome.CodeMode, c.codeMode) << c.why;
    EXPECT_EQ(outcome.Answer.empty(), c.result == kAckResultCancel) << c.why;
  }
}

TEST(AckDialog, AnswersFromTheControls) {
  struct Case {
    TAckValues values;
    std::string answer;
    const char* why;
  } cases[] = {
      {Values(u"70", u"Все", 4), Letters('C', 64), "a copies string stops at 64 letters"},
      {Values(u"64", u"Все", 4), Letters('C', 64), "64 fits"},
      {Values(u"65", u"", 5), Letters('N', 64), "no code, one letter per copy up to 64"},
      {Values(u"0", u"Первая", 0), "", "no copies: nothing is printed"},
      {Values(u"", u"Первая", 0), "", "empty count: nothing is printed"},
      {Values(u"3", u"Не наносить", 5), "NNN", "no code on any copy"},
      {Values(u"3", u"Последняя", 2), "NNC", "last copy"},
      {Values(u"3", u"Первая и последняя", 3), "CNC", "first and last"},
      {Values(u"4", u"2, 4, 9", -1), "NCNC", "typed list, copies past the count fall away"},
      {Values(u"3", u"чушь", -1), "NNN", "typed text without numbers codes no copy"},
      {Values(u"3", u"1, 2", 17), "CCN", "an index outside the presets counts as typed text"},
  };
  for (const Case& c : cases) EXPECT_EQ(BuildAnswer(c.values), c.answer) << c.why;
}

TEST(AckDialog, AnswersShownAndNormalisedOnLeavingPages) {
  struct Case {
    std::string answer;
    TAckValues shown;
    const char* why;
  } cases[] = {
      {"C", Values(u"1", u"Первая", 0), "one copy with the code is the first"},
      {"CCN", Values(u"3", u"Первая и вторая", 1), "first two"},
      {"NNNC", Values(u"4", u"Последняя", 2), "last"},
      {"CNC", Values(u"3", u"Первая и последняя", 3), "first and last"},
      {"CCCC", Values(u"4", u"Все", 4), "all"},
      {"NN", Values(u"2", u"Не наносить", 5), "none"},
      {"", Values(u"0", u"Все", 4), "an empty answer is every one of no copies"},
      {"NCNC", Values(u"4", u"2, 4", -1), "typed list"},
  };
  for (const Case& c : cases) EXPECT_EQ(ShowAnswer(c.answer), c.shown) << c.why;

  // The user typed a list that is a preset: leaving CPages shows the preset.
  EXPECT_EQ(NormalizeAnswer(Values(u"3", u"1, 2", -1)), Values(u"3", u"Первая и вторая", 1));
  EXPECT_EQ(NormalizeAnswer(Values(u"5", u"1,5", -1)), Values(u"5", u"Первая и последняя", 3));
  EXPECT_EQ(NormalizeAnswer(Values(u"3", u"3, 1", -1)), Values(u"3", u"Первая и последняя", 3));
  EXPECT_EQ(NormalizeAnswer(Values(u"4", u"2 3", -1)), Values(u"4", u"2, 3", -1));
}

TEST(AckDialog, InfoTextWithJobAndErrors) {
  TAckRig rig;
  rig.errors.Add(u"Ошибка 1");
  rig.errors.Add(u"Ошибка 2");
  rig.job.Document = u"Счёт №5";
  rig.job.PrinterName = u"Tevoran";
  rig.job.MachineName = u"\\\\PC";
  rig.job.UserName = u"Иван";
  const std::u16string jobLines =
      u"Документ: \"Счёт №5\"\r\nПринтер: \"Tevoran\"\r\nКомпьютер: \"\\\\PC\"\r\nПользователь\"Иван\"\r\n";
  TContext context(rig.host, u"P1");

  {
    TAckPresenter p(rig.store, rig.Request(context, "C", true, true));
    EXPECT_EQ(p.InfoText(), u"Обнаружены ошибки в заполнении документа:\r\nОшибка 1\r\nОшибка 2\r\n" + jobLines);
    EXPECT_TRUE(p.HasErrors());
    EXPECT_FALSE(p.TimerRuns());
    EXPECT_TRUE(p.FocusOnCancel());
  }
  {
    // Without job information nothing is shown, errors or not.
    TAckPresenter p(rig.store, rig.Request(context, "C", true, false));
    EXPECT_EQ(p.InfoText(), u"");
    EXPECT_FALSE(p.HasJobInfo());
  }
  struct Case {
    bool nt;
    std::vector<uint8_t> devMode;
    std::u16string format;
    const char* why;
  } cases[] = {
      {true, DevMode(true, 2970, 2100), u"Формат: 210.00x297.00\r\n", "A4 in the wide layout"},
      {false, DevMode(false, 2970, 2105), u"Формат: 210.50x297.00\r\n", "the 8-bit layout on 9x"},
      {true, std::vector<uint8_t>(60, 0), u"", "too short for the wide layout"},
      {false, std::vector<uint8_t>(60, 0), u"Формат: 0.00x0.00\r\n", "long enough for the 8-bit one"},
      {true, std::vector<uint8_t>(83, 0), u"", "one byte short of the width"},
      {true, DevMode(true, -5, 0), u"Формат: 0.00x-0.50\r\n", "signed fields"},
      {true, {}, u"", "no device settings"},
  };
  for (const Case& c : cases) {
    rig.job.DevMode = c.devMode;
    TAckRequest request = rig.Request(context, "C", false, true);
    request.NTFamily = c.nt;
    TAckPresenter p(rig.store, request);
    EXPECT_EQ(p.InfoText(), jobLines + c.format) << c.why;
  }
}

TEST(AckDialog, CaptionAndCodeState) {
  TAckRig rig;
  TContext context(rig.host, u"P1");
  for (const auto& [mode, text] : {std::pair<uint8_t, std::u16string>{1, u"Разрешен "}, {2, u"Запрещен "}, {0, u""}}) {
    TAckRequest request = rig.Request(context);
    request.CodeMode = mode;
    TAckPresenter p(rig.store, request);
    EXPECT_EQ(p.CodeStateText(), text);
    EXPECT_EQ(p.Caption(), u"Копии... Tevoran-Клиент");
  }
}

TEST(AckDialog, StartingAnswerOverTwoJobsKeptPerType) {
  struct Case {
    int32_t savePgDlg;
    std::string secondStart;
    std::u16string typeValue;
  } cases[] = {
      {0, "CN", u"<missing>"},
      {1, "CCC", u"CCC"},
  };
  for (const Case& c : cases) {
    TAckRig rig;
    rig.store.SetInteger(kAckConfigKey + u"\\SF01", u"SavePgDlg", c.savePgDlg);
    {
      TContext context(rig.host, u"P1");
      const TAckOutcome first = RunAckDialog(rig.store, rig.Request(context), false, [](TAckPresenter& p) {
        EXPECT_EQ(p.StartAnswer(), "CN");
        p.OkClick(Values(u"3", u"Все", 4), {});
      });
      EXPECT_EQ(first.Answer, "CCC");
    }
    EXPECT_EQ(rig.ContextValue(u"SF01"), c.typeValue);
    TContext context(rig.host, u"P1");
    std::string started;
    RunAckDialog(rig.store, rig.Request(context), false, [&](TAckPresenter& p) {
      started = p.StartAnswer();
      p.CancelClick();
    });
    EXPECT_EQ(started, c.secondStart) << "SavePgDlg " << c.savePgDlg;
    // A cancel leaves "Option" empty but keeps the type's last answer.
    EXPECT_EQ(rig.ContextValue(u"Option"), u"");
    EXPECT_EQ(rig.ContextValue(u"SF01"), c.typeValue);
  }
}

TEST(AckDialog, OutcomeLogAndContext) {
  struct Case {
    std::function<void(TAckPresenter&)> act;
    std::string answer;
    std::vector<std::u16string> log;
    const char* why;
  } cases[] = {
      {[](TAckPresenter& p) { p.OkClick(Values(u"2", u"Первая", 0), {}); }, "CN",
       {u"--> Dialog: Begin, data: \"NC\"", u"--> Dialog: \"Ok\", data: \"CN\""}, "OK"},
      {[](TAckPresenter& p) { p.CancelClick(); }, "", {u"--> Dialog: Begin, data: \"NC\"", u"--> Dialog: \"Cancel\""},
       "Cancel"},
      {[](TAckPresenter&) {}, "", {u"--> Dialog: Begin, data: \"NC\"", u"--> Dialog: \"Cancel\""},
       "the close box chooses nothing: Cancel"},
      {[](TAckPresenter& p) { p.OkClick(Values(u"0", u"Все", 4), {}); }, "",
       {u"--> Dialog: Begin, data: \"NC\"", u"--> Dialog: \"Ok\", data: \"\""}, "no copies: empty answer"},
  };
  for (const Case& c : cases) {
    TAckRig rig;
    TContext context(rig.host, u"P1");
    const TAckOutcome outcome = RunAckDialog(rig.store, rig.Request(context, "NC"), false, c.act);
    EXPECT_EQ(outcome.Answer, c.answer) << c.why;
    EXPECT_EQ(rig.log.Lines, c.log) << c.why;
    EXPECT_EQ(rig.ContextValue(u"Option"), std::u16string(c.answer.begin(), c.answer.end())) << c.why;
  }
  // No log given: nothing is written and nothing fails.
  TAckRig rig;
  TContext context(rig.host, u"P1");
  TAckRequest request = rig.Request(context);
  request.Log = nullptr;
  EXPECT_EQ(RunAckDialog(rig.store, request, true, {}).Answer, "CN");
  EXPECT_TRUE(rig.log.Lines.empty());
}

TEST(AckDialog, WithoutGuiAnswersAsTheCountdownOrCancels) {
  struct Case {
    bool errors;
    std::string answer;
    std::u16string last;
  } cases[] = {
      {false, "CCN", u"--> Dialog: \"Ok\", data: \"CCN\""},
      {true, "", u"--> Dialog: \"Cancel\""},
  };
  for (const Case& c : cases) {
    TAckRig rig;
    rig.errors.Add(u"Ошибка");
    TContext context(rig.host, u"P1");
    bool shown = false;
    const TAckOutcome outcome =
        RunAckDialog(rig.store, rig.Request(context, "CCN", c.errors), true, [&](TAckPresenter&) { shown = true; });
    EXPECT_FALSE(shown);
    EXPECT_EQ(outcome.Answer, c.answer);
    ASSERT_EQ(rig.log.Lines.size(), 2u);
    EXPECT_EQ(rig.log.Lines[0], u"--> Dialog: Begin, data: \"CCN\"");
    EXPECT_EQ(rig.log.Lines[1], c.last);
  }
}

TEST(AckDialog, StoredAnswer) {
  TMemoryContextHost host;
  TContext context(host, u"P1");
  std::string answer;
  GetStoredAckData("CN", context, answer);
  EXPECT_EQ(answer, "CN");
  host.Values[{u"P1", u"Option"}] = u"NNC";
  GetStoredAckData("CN", context, answer);
  EXPECT_EQ(answer, "NNC");
  host.Values[{u"P1", u"Option"}] = u"";
  GetStoredAckData("CN", context, answer);
  EXPECT_EQ(answer, "") << "an empty answer (a cancel) is an answer";
}

TEST(AckCountdown, PressesOkOnThe101stTickUnlessStopped) {
  TAckCountdown countdown;
  countdown.Start();
  TAckTick first = countdown.Tick(true);
  EXPECT_TRUE(first.Acted);
  EXPECT_FALSE(first.Activate);
  EXPECT_EQ(first.OkCaption, u"OK (100)");
  EXPECT_FALSE(first.ClickOk);
  int ticks = 1;
  TAckTick tick;
  do {
    tick = countdown.Tick(ticks % 2 == 0);
    ++ticks;
    EXPECT_EQ(tick.Activate, ticks % 2 == 0);
  } while (!tick.ClickOk && ticks < 500);
  EXPECT_EQ(ticks, 101);
  EXPECT_EQ(tick.OkCaption, u"OK (0)");
  EXPECT_FALSE(countdown.Running());
  EXPECT_FALSE(countdown.Tick(true).Acted) << "a tick already queued does nothing";

  // Stopped once the focus left OK: later ticks do nothing, even after 101 of them.
  countdown.Start();
  countdown.Tick(true);
  countdown.Stop();
  for (int i = 0; i < 120; ++i) EXPECT_FALSE(countdown.Tick(false).Acted);
}
