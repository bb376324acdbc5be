// The page coding's decisions over a scripted page: which pages are tried, where the copies come from, the
// filter, the failures that cancel the job with a zero record, the console warning and the prefix line.
#include "monitor/createcode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "foundation/cl_tools_config.h"
#include "foundation/lib_api.h"
#include "foundation/lib_codepage.h"
#include "support/coder_fakes.h"
#include "support/memory_store.h"

namespace {
// A page that a type recognises (or not), with what each system step answers.
class TFakeSteps : public TPageCodingSteps {
 public:
  const TSettingsStore& Store() override { return store; }
  bool TerminalServer() override { return false; }
  bool RemoteSession() override { return remote; }
  bool CheckConfiguration() override {
    prefixSeen = GetMessagePrefix();
    return configOk;
  }
  std::unique_ptr<TContext> OpenContext(std::u16string_view printerName) override {
    auto context = std::make_unique<TContext>(contextHost, printerName);
    context->Context = carried;
    return context;
  }
  std::unique_ptr<TLogFile> OpenLog() override {
    logOpened = true;
    return std::make_unique<TLogFile>(logHost, u"C:\\log\\client.log", false);
  }
  std::unique_ptr<TEMFCoder> Decode(TContext& context, TLogFile* log) override {
    ++decodes;
    if (!recognised) return nullptr;
    auto coder = TCoder::Create<TEMFCoder>(store, nullptr, &context, 0, log, TDocIdClass::CreateFromText("SCHT"));
    coder->Pages = pages;
    coder->AckPages = ackPages;
    coder->State = state;
    coder->BlankMode = blankMode;
    coder->Settings.FileType.X = fileType;
    coder->Settings.LogoText = 2;
    coder->Settings.ReDrawEMF = redraw;
    return coder;
  }
  std::string AskCopies(TEMFCoder& coder, TContext&, TLogFile*, const std::string& copies) override {
    ++dialogs;
    dialogGiven = copies;
    coder.State = dialogState;
    return dialogAnswer;
  }
  bool MatchOrientation(TEMFCoder&) override { return turned; }
  TSize PageSizeMm() override { return TSize{210, 297}; }
  void Redraw(TEMFCoder&, TLogFile*) override { ++redraws; }
  std::u16string MakeTempName() override {
    const std::u16string name = tempName.empty() ? u"C:\\TEMP\\1A2B3C4D.emf" : tempName;
    made.push_back(name);
    return name;
  }
  void DeleteTempFile(const std::u16string& name) override { deleted.push_back(name); }
  bool MakeCode(TEMFCoder&) override { return codeOk; }
  bool ExportCode(TEMFCoder&, const std::u16string& name) override {
    exported = name;
    return exportOk;
  }
  std::string ToAnsi(std::u16string_view text) override { return EncodeCodePage(text, kCodePage1251); }
  std::u16string FromAnsi(std::string_view text) override { return DecodeCodePage(text, kCodePage1251); }

  bool HasLine(std::u16string_view text) const {
    return std::any_of(logHost.Lines.begin(), logHost.Lines.end(),
                       [&](const std::u16string& line) { return line.find(text) != std::u16string::npos; });
  }

  TMemoryStore store;
  TMemoryContextHost contextHost;
  TMemoryLogHost logHost;
  bool remote = false;
  bool configOk = true;
  std::u16string carried;
  bool recognised = true;
  std::string pages = "CN";
  uint8_t ackPages = 0;
  uint8_t state = 1;
  uint8_t blankMode = 0;
  int16_t fileType = 1;
  int32_t redraw = 0;
  std::string dialogAnswer = "CC";
  uint8_t dialogState = 1;
  bool turned = false;
  std::u16string tempName;
  bool codeOk = true;
  bool exportOk = true;

  std::string prefixSeen;
  bool logOpened = false;
  int decodes = 0;
  int dialogs = 0;
  int redraws = 0;
  std::string dialogGiven;
  std::vector<std::u16string> made;
  std::vector<std::u16string> deleted;
  std::u16string exported;
};

TCodeResultRec Dirty() {
  TCodeResultRec rec;
  std::memset(&rec, 0xAB, sizeof rec);
  return rec;
}

bool AllZero(const TCodeResultRec& rec) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(&rec);
  return std::all_of(bytes, bytes + sizeof rec, [](uint8_t b) { return b == 0; });
}

// The event sink and the prefix line are the process's: each test leaves them as it found them.
class CreateCode : public ::testing::Test {
 protected:
  void SetUp() override {
    SetMessageEventSink([this](const TMessageEvent& e) { events.push_back(e); });
  }
  void TearDown() override {
    SetMessageEventSink(nullptr);
    SetMessagePrefix({});
  }
  uint8_t Run(TFakeSteps& steps, int32_t page, TCodeResultRec& rec) {
    SetMessagePrefix("left over");
    return CodePage(steps, TPageJob{page, u"Счёт 15", u"Client Printer"}, rec);
  }
  std::vector<TMessageEvent> events;
};
}  // namespace

TEST_F(CreateCode, OutcomesOfARecognisedOrSkippedPage) {
  struct Case {
    const char* why;
    int32_t page;
    std::function<void(TFakeSteps&)> setUp;
    uint8_t status;
    int decodes;
    const char16_t* line;
  };
  const Case cases[] = {
      {"later page without carried context, AllPages off", 3, [](TFakeSteps&) {}, 0, 0, u"Стр.: 3, выход"},
      {"later page with AllPages on", 3, [](TFakeSteps& s) { s.store.WriteInteger(kConfigKey, u"AllPages", 1); }, 3, 1,
       u"Стр.: 3"},
      {"later page with carried context", 2, [](TFakeSteps& s) { s.carried = u"ctx"; }, 3, 1, u"Стр.: 2"},
      {"no type recognised", 1, [](TFakeSteps& s) { s.recognised = false; }, 0, 1, u"Код возврата: \"(0)"},
      {"blank editor debugging", 1, [](TFakeSteps& s) { s.blankMode = 2; }, 2, 1, u"Работа с бланком, выход"},
      {"blank export debugging", 1, [](TFakeSteps& s) { s.blankMode = 3; }, 2, 1, u"Работа с бланком, выход"},
      {"empty configured copies", 1, [](TFakeSteps& s) { s.pages.clear(); }, 2, 1, u"Нечего печатать, выход"},
      {"dialog cancelled", 1,
       [](TFakeSteps& s) {
         s.ackPages = 1;
         s.dialogAnswer.clear();
       },
       2, 1, u"Нечего печатать, выход"},
      {"code not made", 1, [](TFakeSteps& s) { s.codeOk = false; }, 2, 1, u"Код возврата: \"(2)"},
      {"picture not written", 1, [](TFakeSteps& s) { s.exportOk = false; }, 2, 1, u"Код возврата: \"(2)"},
      {"picture path of 261 characters", 1,
       [](TFakeSteps& s) { s.tempName = u"C:\\" + std::u16string(254, u'a') + u".emf"; }, 2, 1, u"Код возврата: \"(2)"},
      {"plain page coded", 1, [](TFakeSteps&) {}, 3, 1, u"Код возврата: \"(3)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    TFakeSteps steps;
    c.setUp(steps);
    TCodeResultRec rec = Dirty();
    EXPECT_EQ(Run(steps, c.page, rec), c.status);
    EXPECT_EQ(steps.decodes, c.decodes);
    EXPECT_TRUE(steps.HasLine(c.line));
    EXPECT_EQ(GetMessagePrefix(), "");
    if (c.status != 3) {
      EXPECT_TRUE(AllZero(rec));
    }
    // A name made for a picture that was never written goes again.
    if (c.status == 2 && !steps.made.empty()) {
      EXPECT_EQ(steps.deleted, steps.made);
    }
    if (c.status == 3) {
      EXPECT_TRUE(steps.deleted.empty());
    }
  }
}

TEST_F(CreateCode, ACodedPageFillsTheRecord) {
  TFakeSteps steps;
  steps.redraw = 1;
  steps.turned = true;
  TCodeResultRec rec = Dirty();
  ASSERT_EQ(Run(steps, 1, rec), 3);
  EXPECT_EQ(rec.FileType, 1);
  EXPECT_EQ(rec.Reserved1, 0);
  EXPECT_EQ(std::u16string(rec.FileName), u"C:\\TEMP\\1A2B3C4D.emf");
  EXPECT_EQ(steps.exported, u"C:\\TEMP\\1A2B3C4D.emf");
  EXPECT_STREQ(rec.Pages, "CN");
  EXPECT_EQ(rec.LogoText, 2);
  EXPECT_EQ(std::count(std::begin(rec.Reserved2), std::end(rec.Reserved2), 0), 3);
  EXPECT_EQ(steps.redraws, 1);
  EXPECT_TRUE(steps.HasLine(u"ReDrawEmf --> Changing orientation"));

  // The low half of the type's file type alone chooses WMF; the high half is the picture's scale.
  TFakeSteps wmf;
  wmf.fileType = 0;
  ASSERT_EQ(Run(wmf, 1, rec), 3);
  EXPECT_EQ(rec.FileType, 0);
  EXPECT_EQ(wmf.redraws, 0);
}

TEST_F(CreateCode, TheFilterLeavesEveryCopyPlain) {
  TFakeSteps steps;
  steps.state = 2;
  TCodeResultRec rec = Dirty();
  ASSERT_EQ(Run(steps, 1, rec), 3);
  EXPECT_STREQ(rec.Pages, "NN");
  EXPECT_TRUE(steps.HasLine(u"Код не наносится, фильтр!"));

  // The dialog may switch the filter on for the document.
  TFakeSteps asked;
  asked.ackPages = 1;
  asked.dialogAnswer = "CCC";
  asked.dialogState = 2;
  ASSERT_EQ(Run(asked, 1, rec), 3);
  EXPECT_EQ(asked.dialogGiven, "CN");
  EXPECT_STREQ(rec.Pages, "NNN");
}

TEST_F(CreateCode, WhereTheCopiesAnswerComesFrom) {
  struct Case {
    const char* why;
    int32_t page;
    bool tserver;
    bool remote;
    int dialogs;
    size_t events;
    const char* pages;
  };
  const Case cases[] = {
      {"first page asks", 1, false, false, 1, 0, "CC"},
      {"terminal server console: configured copies and a warning", 1, true, false, 0, 1, "CN"},
      {"remote session of a terminal server asks", 1, true, true, 1, 0, "CC"},
      {"later page takes the first page's answer", 2, false, false, 0, 0, "NC"},
      {"later page on the console takes it too", 2, true, false, 0, 0, "NC"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    events.clear();
    TFakeSteps steps;
    steps.ackPages = 1;
    steps.remote = c.remote;
    steps.carried = u"ctx";
    steps.store.WriteInteger(kConfigKey, u"TServer", c.tserver ? 1 : 0);
    {
      TContext first(steps.contextHost, u"Client Printer");
      first.WriteValue(u"Option", u"NC");
    }
    TCodeResultRec rec = Dirty();
    ASSERT_EQ(Run(steps, c.page, rec), 3);
    EXPECT_EQ(steps.dialogs, c.dialogs);
    EXPECT_STREQ(rec.Pages, c.pages);
    ASSERT_EQ(events.size(), c.events);
    if (c.events) {
      EXPECT_EQ(events[0].Type, kEventTypeWarning);
      EXPECT_EQ(events[0].Text, u"Задание печати: \"Счёт 15\"." + std::u16string(kConsoleDialogText));
      EXPECT_EQ(steps.prefixSeen, EncodeCodePage(u"Задание печати: \"Счёт 15\".", kCodePage1251));
      EXPECT_TRUE(steps.HasLine(u"Диалог на консоли Терминал-сервера, вывод сообщения в EventLog"));
    }
    EXPECT_EQ(GetMessagePrefix(), "");
  }
}

TEST_F(CreateCode, AFailedConfigurationCheckPrintsAsIsWithoutALog) {
  TFakeSteps steps;
  steps.configOk = false;
  steps.store.WriteInteger(kConfigKey, u"TServer", 1);
  TCodeResultRec rec = Dirty();
  EXPECT_EQ(Run(steps, 1, rec), 0);
  EXPECT_TRUE(AllZero(rec));
  EXPECT_FALSE(steps.logOpened);
  EXPECT_EQ(steps.decodes, 0);
  EXPECT_EQ(GetMessagePrefix(), "");
}

TEST(CodeResultRec, FileNameHoldsAtMost260Characters) {
  TCodeResultRec rec{};
  const std::u16string longest(260, u'x');
  ASSERT_TRUE(SetCodeFileName(rec, longest));
  EXPECT_EQ(std::u16string(rec.FileName, 260), longest);
  EXPECT_EQ(rec.FileName[260], u'\0');
  EXPECT_EQ(rec.Pages[0], 0);

  ASSERT_TRUE(SetCodeFileName(rec, u"C:\\a.emf"));
  EXPECT_EQ(std::u16string(rec.FileName), u"C:\\a.emf");
  EXPECT_EQ(rec.FileName[259], u'\0');  // nothing of the longer name left behind

  EXPECT_FALSE(SetCodeFileName(rec, std::u16string(261, u'y')));
  EXPECT_EQ(std::u16string(rec.FileName), u"C:\\a.emf");
}
