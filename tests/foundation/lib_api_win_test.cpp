// Message boxes under Wine: nothing is ever shown (a hook answers, or the service mode does), texts,
// captions and flags as the user would see them, the 8-bit branch in code page 1251, and the event copy.
#include "foundation/lib_api_win.h"

#include <gtest/gtest.h>

#include <vector>

#include "foundation/lib_unicode_win.h"

namespace {
// Records every box instead of showing it and answers with a chosen button.
class MessageBoxes : public ::testing::Test {
 protected:
  void SetUp() override {
    SetMessageBoxHook([this](const TMessageBoxRequest& r) {
      boxes.push_back(r);
      return answer;
    });
    SetMessageEventSink([this](const TMessageEvent& e) { events.push_back(e); });
    SetProgramTitle(u"Tevoran-Клиент");
    SetMessagePrefix("");
    SetDisableGUI(false);
  }
  void TearDown() override {
    SetMessageBoxHook(nullptr);
    SetMessageEventSink(nullptr);
    SetProgramTitle(u"");
    SetMessagePrefix("");
    SetDisableGUI(false);
    SetPlatformIdForTesting(0);
  }
  const TMessageBoxRequest& OnlyBox() {
    EXPECT_EQ(boxes.size(), 1u);
    if (boxes.empty()) boxes.emplace_back();
    return boxes.back();
  }
  std::vector<TMessageBoxRequest> boxes;
  std::vector<TMessageEvent> events;
  int answer = IDOK;
};

std::string Cp1251(std::u16string_view text) { return WideToAnsi(text); }
}  // namespace

TEST_F(MessageBoxes, WideBoxHasTitledCaptionAndForegroundFlag) {
  answer = IDRETRY;
  EXPECT_EQ(MsgBox(u"Текст", u"Заголовок", MB_RETRYCANCEL), IDRETRY);
  const TMessageBoxRequest& box = OnlyBox();
  EXPECT_TRUE(box.Wide);
  EXPECT_EQ(box.Text, u"Текст");
  EXPECT_EQ(box.Caption, u"Tevoran-Клиент: Заголовок");
  EXPECT_EQ(box.Flags, static_cast<UINT>(MB_RETRYCANCEL | MB_SETFOREGROUND));
  EXPECT_TRUE(events.empty()) << "a box without icon is not copied to the event log";
}

TEST_F(MessageBoxes, PrefixLineAndNoTitle) {
  SetProgramTitle(u"");
  SetMessagePrefix(Cp1251(u"Документ №5"));
  EXPECT_EQ(GetCaptionPrefix(), "");
  MsgBox(u"Текст", u"Заголовок", MB_OK);
  EXPECT_EQ(OnlyBox().Text, u"Документ №5\r\nТекст");
  EXPECT_EQ(OnlyBox().Caption, u"Заголовок");
}

TEST_F(MessageBoxes, NinetyFiveFamilyUsesTheEightBitCallInCodePage1251) {
  SetPlatformIdForTesting(VER_PLATFORM_WIN32_WINDOWS);
  MsgBox(u"Ошибка печати", u"Принтер", MB_OK);
  const TMessageBoxRequest& box = OnlyBox();
  EXPECT_FALSE(box.Wide);
  EXPECT_EQ(box.TextA, Cp1251(u"Ошибка печати"));
  EXPECT_EQ(box.TextA.size(), 13u) << "one byte a letter, not UTF-8";
  EXPECT_EQ(box.CaptionA, Cp1251(u"Tevoran-Клиент: Принтер"));
}

TEST_F(MessageBoxes, EightBitTwinAlwaysUsesTheEightBitCall) {
  SetMessagePrefix("P");
  EXPECT_EQ(GetCaptionPrefix(), Cp1251(u"Tevoran-Клиент: "));
  ShowErrorMsgA(Cp1251(u"Нет бумаги"));
  const TMessageBoxRequest& box = OnlyBox();
  EXPECT_FALSE(box.Wide);
  EXPECT_EQ(box.TextA, "P\r\n" + Cp1251(u"Нет бумаги"));
  EXPECT_EQ(box.CaptionA, Cp1251(u"Tevoran-Клиент: Ошибка!"));
  EXPECT_EQ(box.Flags, static_cast<UINT>(MB_ICONERROR | MB_SETFOREGROUND));
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0], (TMessageEvent{EVENTLOG_ERROR_TYPE, 4, 264, u"P\r\nНет бумаги"}));
}

TEST_F(MessageBoxes, ServiceModeShowsNothingAnswersCancelAndStillLogs) {
  SetDisableGUI(true);
  SetMessagePrefix("Job 7");
  EXPECT_EQ(MsgBox(u"Сбой", u"Ошибка!", MB_ICONERROR | MB_YESNO), IDCANCEL);
  EXPECT_EQ(MsgBoxA("x", "y", MB_ICONWARNING), IDCANCEL);
  EXPECT_FALSE(ConfirmOverwrite(u"C:\\a.txt"));
  EXPECT_TRUE(boxes.empty());
  ASSERT_EQ(events.size(), 2u) << "the question is not copied";
  EXPECT_EQ(events[0], (TMessageEvent{EVENTLOG_ERROR_TYPE, 4, 264, u"Job 7\r\nСбой"}));
  EXPECT_EQ(events[1], (TMessageEvent{EVENTLOG_WARNING_TYPE, 5, 272, u"Job 7\r\nx"}));
}

TEST_F(MessageBoxes, ServiceModeWithoutHookNeverReachesTheSystemBox) {
  SetMessageBoxHook(nullptr);
  SetDisableGUI(true);
  EXPECT_EQ(MsgBox(u"would block", u"", MB_OK), IDCANCEL);
  EXPECT_EQ(MsgBoxA("would block", "", MB_OK), IDCANCEL);
}

TEST_F(MessageBoxes, StandardErrorBoxes) {
  struct Case {
    void (*show)();
    std::u16string text;
    std::u16string caption;
    UINT icon;
  };
  const Case cases[] = {
      {[] { ShowErrorMsg(u"Сбой"); }, u"Сбой", u"Ошибка!", MB_ICONERROR},
      {[] { ShowWarningMsg(u"Осторожно"); }, u"Осторожно", u"Внимание!", MB_ICONWARNING},
      {[] { ShowFileNotFound(u"C:\\Папка\\Бланк.bln"); }, u"Файл не найден: \"C:\\Папка\\Бланк.bln\"", u"Ошибка!",
       MB_ICONERROR},
      {[] { ShowFileOpenError(u"a.txt"); }, u"Ошибка открытия файла: \"a.txt\"", u"Ошибка!", MB_ICONERROR},
      {[] { ShowFileOpenError(u"a.txt", u"Занят"); }, u"Ошибка открытия файла: \"a.txt\"\r\nЗанят", u"Ошибка!",
       MB_ICONERROR},
      {[] { ShowFileWriteError(u"log.txt"); }, u"Ошибка записи в файл: \"log.txt\"", u"Ошибка!", MB_ICONERROR},
      {[] { ShowPrinterOpenError(u"HP LaserJet"); }, u"Ошибка открытия принтера: \"HP LaserJet\"", u"Ошибка!",
       MB_ICONERROR},
      {[] { ShowRegWriteError(); }, u"Ошибка записи информации в реестр Windows!", u"Ошибка!", MB_ICONERROR},
      {[] { ShowPrinterNotDefined(); }, u"Не определен принтер или его конфигурация.", u"Ошибка!", MB_ICONERROR},
  };
  for (const Case& c : cases) {
    boxes.clear();
    events.clear();
    c.show();
    const TMessageBoxRequest& box = OnlyBox();
    EXPECT_EQ(box.Text, c.text);
    EXPECT_EQ(box.Caption, u"Tevoran-Клиент: " + c.caption);
    EXPECT_EQ(box.Flags, c.icon | MB_SETFOREGROUND);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].Text, c.text);
  }
}

TEST_F(MessageBoxes, ConfirmOverwriteIsTrueOnlyForYes) {
  for (int reply : {IDYES, IDNO, IDCANCEL}) {
    boxes.clear();
    answer = reply;
    EXPECT_EQ(ConfirmOverwrite(u"C:\\Отчёт.txt"), reply == IDYES);
    EXPECT_EQ(OnlyBox().Text, u"Файл \"C:\\Отчёт.txt\" существует. Переписать его?");
    EXPECT_EQ(OnlyBox().Caption, u"Tevoran-Клиент: Внимание!");
    EXPECT_EQ(OnlyBox().Flags, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND));
  }
  EXPECT_TRUE(events.empty());
}

TEST_F(MessageBoxes, SystemErrorTexts) {
  const std::u16string text = SysErrorText(ERROR_ACCESS_DENIED);
  ASSERT_FALSE(text.empty());
  EXPECT_NE(text.back(), u'.');
  EXPECT_NE(text.back(), u'\n');
  EXPECT_EQ(FormatErrorCode(ERROR_ACCESS_DENIED), u"Код ошибки: 0x00000005, \"" + text + u"\".");
  // The 8-bit call gives the same message on a Russian system.
  SetPlatformIdForTesting(VER_PLATFORM_WIN32_WINDOWS);
  EXPECT_EQ(SysErrorText(ERROR_ACCESS_DENIED), text);
  SetPlatformIdForTesting(0);
  // A code the system has no text for.
  EXPECT_EQ(FormatErrorCode(0x2000FFFF), u"Код ошибки: 0x2000FFFF, \"\".");
}

TEST_F(MessageBoxes, ShowLastErrorOnlyWhenThereIsOne) {
  SetLastError(0);
  ShowLastError();
  EXPECT_TRUE(boxes.empty());
  SetLastError(ERROR_FILE_NOT_FOUND);
  ShowLastError();
  EXPECT_EQ(OnlyBox().Text, FormatErrorCode(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(OnlyBox().Text.substr(0, 24), u"Код ошибки: 0x00000002, ");
}
