// Message-box state and texts of the portable core: which boxes reach the event log, the error-code
// text, and a prefix that several threads set at once.
#include "foundation/lib_api.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>
#include <vector>

TEST(MessageEvents, OnlyErrorsAndWarningsAreCopied) {
  struct Case {
    uint32_t flags;
    bool reported;
    uint16_t type, category;
    uint32_t event;
    const char* why;
  };
  const Case cases[] = {
      {0x10, true, kEventTypeError, 4, 264, "error icon"},
      {0x10 | 0x04, true, kEventTypeError, 4, 264, "error icon with Yes/No buttons"},
      {0x30, true, kEventTypeWarning, 5, 272, "warning icon"},
      {0x30 | 0x1000, true, kEventTypeWarning, 5, 272, "warning, system modal"},
      {0x20, false, 0, 0, 0, "question icon is never copied"},
      {0x40, false, 0, 0, 0, "information icon"},
      {0x00, false, 0, 0, 0, "no icon"},
      {0x70, false, 0, 0, 0, "all icon bits are no known icon"},
  };
  for (const Case& c : cases) {
    const auto event = MessageEventOf(u"Текст", c.flags);
    ASSERT_EQ(event.has_value(), c.reported) << c.why;
    if (!event) continue;
    EXPECT_EQ(event->Type, c.type) << c.why;
    EXPECT_EQ(event->Category, c.category) << c.why;
    EXPECT_EQ(event->EventId, c.event) << c.why;
    EXPECT_EQ(event->Text, u"Текст") << c.why;
  }
}

TEST(MessageEvents, SinkReceivesReportsUntilRemoved) {
  std::vector<TMessageEvent> seen;
  SetMessageEventSink([&](const TMessageEvent& e) { seen.push_back(e); });
  ReportMessageEvent(u"сбой", kMbIconError);
  ReportMessageEvent(u"вопрос", kMbIconQuestion);
  ReportMessageEvent(u"внимание", kMbIconWarning);
  SetMessageEventSink(nullptr);
  ReportMessageEvent(u"после", kMbIconError);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], (TMessageEvent{kEventTypeError, 4, 264, u"сбой"}));
  EXPECT_EQ(seen[1], (TMessageEvent{kEventTypeWarning, 5, 272, u"внимание"}));
}

TEST(ErrorTexts, CodeTextAndSystemMessage) {
  EXPECT_EQ(FormatErrorCodeText(5, u"Отказано в доступе"), u"Код ошибки: 0x00000005, \"Отказано в доступе\".");
  EXPECT_EQ(FormatErrorCodeText(0xC000001D, u""), u"Код ошибки: 0xC000001D, \"\".");
  struct Case {
    std::u16string_view in, out;
  } cases[] = {
      {u"Access is denied.\r\n", u"Access is denied"},
      {u"Ends with dots...\r\n\r\n", u"Ends with dots"},
      {u"No ending", u"No ending"},
      {u"Inner. period stays.", u"Inner. period stays"},
      {u".\r\n.", u""},
      {u"", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(TrimSystemMessage(c.in), c.out);
  EXPECT_EQ(QuotedNameText(u"Файл не найден: ", u"C:\\Документ.txt"), u"Файл не найден: \"C:\\Документ.txt\"");
}

TEST(ProcessValues, TitleAndServiceMode) {
  SetProgramTitle(u"Tevoran-Клиент");
  EXPECT_EQ(GetProgramTitle(), u"Tevoran-Клиент");
  SetProgramTitle(u"");
  EXPECT_TRUE(GetProgramTitle().empty());
  EXPECT_FALSE(GetDisableGUI());
  SetDisableGUI(true);
  EXPECT_TRUE(GetDisableGUI());
  SetDisableGUI(false);
}

TEST(ProcessValues, PrefixSetFromManyThreadsIsNeverTorn) {
  // Each writer sets its own long prefix; every read must be exactly one of them (or the empty start).
  const std::vector<std::string> prefixes = {std::string(300, 'a'), std::string(5, 'b'), std::string(1000, 'c')};
  std::set<std::string> allowed(prefixes.begin(), prefixes.end());
  allowed.insert("");
  SetMessagePrefix("");
  std::atomic<bool> torn{false};
  std::vector<std::thread> threads;
  for (const std::string& p : prefixes) {
    threads.emplace_back([&, p] {
      for (int i = 0; i < 2000; ++i) {
        SetMessagePrefix(p);
        if (!allowed.count(GetMessagePrefix())) torn = true;
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_FALSE(torn.load());
  SetMessagePrefix("");
}
