// The DOS job coding over files in memory: which documents get which copies, where the code goes, the
// separators between copies, the print server's pass, the statuses and the record the caller gets.
#include "monitor/uintraw.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <deque>

#include "foundation/cl_tools_config.h"
#include "foundation/lib_api.h"
#include "foundation/lib_codepage.h"
#include "support/dos_job_fakes.h"

namespace {
const std::u16string kDos(kConfigDosKey);
const std::u16string kPrinters = kDos + u"\\Printers";
constexpr std::u16string_view kOutputName = TMemoryDosSteps::kOutputName;

// A type recognises a document whose texts hold its keyword; the code commands name the document's
// payload, so that the output shows which copy got which code.
class TFakeDosSteps : public TMemoryDosSteps {
 public:
  TFakeDosSteps() {
    SetModel(u"IBM Proprinter", u"120,72,8,\x1B*\x01");
    SetModel(u"HP LaserJet", u"300,300,Rastr");
    ConfigureTypes();
  }
  void ConfigureTypes() {
    store.SetText(kDos, u"DocOrder", u"AB,CD");
    AddType("AB", u"C", 0);
    AddType("CD", u"C", 0);
  }
  void AddType(const std::string& id, std::u16string_view pages, int32_t ack) {
    const std::u16string key = kDos + u"\\" + Utf8ToWide(id);
    store.SetText(key, u"DocType", u"Тип " + Utf8ToWide(id));
    store.SetText(key, u"Pages", pages);
    store.SetInteger(key, u"AckPages", ack);
  }

  std::string AskCopies(TRAWCoder& coder, TContext& context, TLogFile*, const std::string& copies) override {
    dialogs.push_back(copies);
    titleInDialog = GetProgramTitle();
    const std::string answer = answers.empty() ? copies : answers.front();
    if (!answers.empty()) answers.pop_front();
    // As the dialog does: the answer stays in the context for the type's later documents.
    context.WriteValue(u"Option", Utf8ToWide(answer));
    coder.State = dialogState;
    return answer;
  }
  std::unique_ptr<TRAWCoder> CreateCoder(const TDocIdClass& docId, TContext& context, const TDosPrinterState& state,
                                         TLogFile* log, std::u16string_view model) override {
    created.push_back(docId.GetText());
    models.emplace_back(model);
    return TDosJobSteps::CreateCoder(docId, context, state, log, model);
  }
  bool ParsePage(TRAWCoder& coder, TByteReader& reader, bool& pageEnded, int32_t& errors,
                 TDosPrinterState& state) override {
    if (reader.Position() >= stallFrom) return false;
    return TDosJobSteps::ParsePage(coder, reader, pageEnded, errors, state);
  }
  bool Recognize(TRAWCoder& coder) override {
    if (realCode) return TDosJobSteps::Recognize(coder);
    const std::u16string keyword = coder.DocId.SameAsText("AB") ? u"AAA" : u"CCC";
    for (const auto& object : *coder.Texts) {
      const auto* text = dynamic_cast<const TTextProTo*>(object.get());
      if (text && text->Text.find(keyword) != std::u16string::npos) {
        coder.Payload = text->Text;
        coder.State = recognisedState;
        return true;
      }
    }
    return false;
  }
  bool ProcessDocData(TRAWCoder& coder, uint32_t jobRecordNo) override {
    payloads.push_back(jobRecordNo);
    coder.Payload = u"JOB" + Utf8ToWide(std::to_string(jobRecordNo));
    return payloadOk;
  }
  bool MakeCode(TRAWCoder& coder) override { return realCode ? TDosJobSteps::MakeCode(coder) : codeOk; }
  bool MakeCodeCommands(TRAWCoder& coder, std::string& commands) override {
    if (realCode) return TDosJobSteps::MakeCodeCommands(coder, commands);
    commands = "<" + WideToUtf8(coder.Payload) + ">";
    return true;
  }

  bool Logged(std::u16string_view line) const {
    const std::u16string full = u"EncodeDosJob --> " + std::u16string(line);
    return std::find(logHost.Lines.begin(), logHost.Lines.end(), full) != logHost.Lines.end();
  }

  size_t stallFrom = SIZE_MAX;  // a parse from here on reads nothing
  bool codeOk = true;
  bool payloadOk = true;
  bool realCode = false;
  uint8_t recognisedState = 0;
  uint8_t dialogState = 0;
  std::deque<std::string> answers;
  std::vector<std::string> dialogs;
  std::vector<std::string> created;
  std::vector<std::u16string> models;
  std::vector<uint32_t> payloads;
  std::u16string titleInDialog;
};

struct TDosRun {
  uint8_t status = 0xFF;
  TDosCodeResultRec rec{};
};

TDosRun RunJob(TFakeDosSteps& steps, uint32_t jobRecordNo = 7) {
  TDosRun run;
  std::memset(&run.rec, 0xAA, sizeof run.rec);
  std::fill(std::begin(run.rec.OutputFile), std::end(run.rec.OutputFile), u'\0');
  run.status = EncodeDosJob(steps, jobRecordNo, run.rec);
  return run;
}


// A document of one line; the form feed ends its page.
const std::string kDocA = "AAA 1\r\n\f";
const std::string kDocC = "CCC 2\r\n\f";
const std::string kDocX = "XXX 3\r\n\f";
}  // namespace

// Each copy holds the document, the code commands in the "C" copies after the document's last line; the
// separators follow how the document ended.
TEST(DosJob, CopiesAndTheirSeparators) {
  const struct {
    const char* name;
    std::string input;
    bool crAfterFF;
    std::u16string model;
    std::string expected;
  } cases[] = {
      {"ended by FF, CR after FF", kDocA, true, u"HP LaserJet", "AAA 1\r<AAA 1>\n\f\rAAA 1\r\n\f\rAAA 1\r\n\f"},
      {"ended by FF, no CR", kDocA, false, u"HP LaserJet", "AAA 1\r<AAA 1>\n\fAAA 1\r\n\fAAA 1\r\n\f"},
      {"ended by the file", "AAA 1\r\n", true, u"HP LaserJet", "AAA 1\r<AAA 1>\n\f\rAAA 1\r\n\f\rAAA 1\r\n"},
      // A bit-image model keeps the trailing line feeds out of the coded copy only.
      {"trailing line feeds trimmed", "AAA 1\r\n\n\n\f", true, u"IBM Proprinter",
       "AAA 1\r<AAA 1>\f\rAAA 1\r\n\n\n\f\rAAA 1\r\n\n\n\f"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TFakeDosSteps steps;
    steps.store.SetText(kPrinters, u"Model", c.model);
    steps.store.SetText(kDos + u"\\AB", u"Pages", u"CNN");
    steps.store.SetInteger(kDos, u"CRAfterFF", c.crAfterFF ? 1 : 0);
    steps.input = c.input;
    const TDosRun run = RunJob(steps);
    EXPECT_EQ(run.status, kDosJobCoded);
    EXPECT_EQ(steps.output, c.expected);
    EXPECT_TRUE(steps.Logged(u"Формирование страниц: \"CNN\""));
  }
}

// The status-2 record: the output's name at offset 0, "C" at 522, every other byte zero.
TEST(DosJob, CodedRecordLayout) {
  TFakeDosSteps steps;
  steps.input = kDocA;
  const TDosRun run = RunJob(steps);
  ASSERT_EQ(run.status, kDosJobCoded);
  static_assert(sizeof(TDosCodeResultRec) == 588);
  const auto* bytes = reinterpret_cast<const uint8_t*>(&run.rec);
  std::vector<uint8_t> expected(588, 0);
  for (size_t i = 0; i < kOutputName.size(); ++i) {
    expected[2 * i] = static_cast<uint8_t>(kOutputName[i] & 0xFF);
    expected[2 * i + 1] = static_cast<uint8_t>(kOutputName[i] >> 8);
  }
  expected[522] = 'C';
  EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 588), expected);
  EXPECT_TRUE(steps.deleted.empty());
  EXPECT_TRUE(steps.Logged(u"Создан файл: \"C:\\TEMP\\0000BEEF.TMP\""));
  EXPECT_TRUE(steps.Logged(u"Код возврата: \"\"2\" - Обработка задания, формирование копий\""));
}

// Every way the job ends without an output file for the caller: the status, the record all zero, the
// output (when made) deleted, the log's last word and the boxes.
TEST(DosJob, EndsWithoutOutput) {
  const struct {
    const char* name;
    std::string input;
    void (*setup)(TFakeDosSteps&);
    uint8_t status;
    bool outputMade;
    std::u16string logged;
    std::vector<std::u16string> boxes;
  } cases[] = {
      {"configuration refused", kDocA, [](TFakeDosSteps& s) { s.configOk = false; }, kDosJobPrintAsIs, false, u"", {}},
      {"empty order", kDocA, [](TFakeDosSteps& s) { s.store.SetText(kDos, u"DocOrder", u"ZZ"); s.store.DeleteKey(kDos + u"\\AB"); s.store.DeleteKey(kDos + u"\\CD"); },
       kDosJobPrintAsIs, false, u"Список типов документов пуст, выход!", {}},
      {"zero length", "", nullptr, kDosJobCancelled, false, u"Нулевая длина файла: \"C:\\IN\\JOB.PRN\"", {}},
      {"no printer defaults", kDocA, [](TFakeDosSteps& s) {
         s.store = TMemoryStore();
         s.ConfigureTypes();
       }, kDosJobProgramError, false,
       u"Ошибка чтения установок принтера.", {u"registry"}},
      {"input not mapped", kDocA, [](TFakeDosSteps& s) { s.mapOk = false; }, kDosJobProgramError, false,
       u"File Open Error: \"C:\\IN\\JOB.PRN\"", {u"open C:\\IN\\JOB.PRN"}},
      {"no output file", kDocA, [](TFakeDosSteps& s) { s.outputMade = false; }, kDosJobProgramError, false,
       u"File Write Error: \"\"", {u"write "}},
      {"first document unknown", kDocX + kDocA, nullptr, kDosJobPrintAsIs, true, u"Документ не распознан", {}},
      {"a type that does not load", kDocA, [](TFakeDosSteps& s) { s.store.SetText(kDos + u"\\AB", u"Pages", u"C"); s.store.SetText(kPrinters, u"Model", u"NONE"); },
       kDosJobProgramError, true, u"", {}},
      {"no code", kDocA, [](TFakeDosSteps& s) { s.codeOk = false; }, kDosJobProgramError, true, u"", {}},
      {"write fails", kDocA, [](TFakeDosSteps& s) { s.failAfter = 3; }, kDosJobProgramError, true,
       u"Ошибка записи в файл: \"C:\\TEMP\\0000BEEF.TMP\"", {u"write C:\\TEMP\\0000BEEF.TMP"}},
      {"dialog cancelled", kDocA, [](TFakeDosSteps& s) { s.store.SetInteger(kDos + u"\\AB", u"AckPages", 1); s.answers = {""}; },
       kDosJobCancelled, true, u"Нечего печатать, выход", {}},
      {"empty page set", kDocA, [](TFakeDosSteps& s) { s.store.SetInteger(kDos, u"CreateCpy", 0); s.store.SetText(kDos + u"\\AB", u"Pages", u""); },
       kDosJobPrintAsIs, true, u"Нечего печатать, выход", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TFakeDosSteps steps;
    steps.input = c.input;
    if (c.setup) c.setup(steps);
    const std::u16string title = GetProgramTitle();
    const TDosRun run = RunJob(steps);
    EXPECT_EQ(run.status, c.status);
    const TDosCodeResultRec zero{};
    EXPECT_EQ(std::memcmp(&run.rec, &zero, sizeof zero), 0);
    EXPECT_EQ(steps.outputsOpened, c.outputMade ? 1 : 0);
    if (c.outputMade) {
      EXPECT_EQ(steps.deleted, std::vector<std::u16string>{std::u16string(kOutputName)});
    }
    if (!c.logged.empty()) {
      EXPECT_TRUE(steps.Logged(c.logged)) << WideToUtf8(c.logged);
    }
    EXPECT_EQ(steps.boxes, c.boxes);
    EXPECT_EQ(GetProgramTitle(), title) << "the title is restored";
  }
}

// Three documents of one type with the dialog: it is shown once, the later two take its stored answer.
TEST(DosJob, DialogOncePerTypeThenTheStoredAnswer) {
  TFakeDosSteps steps;
  steps.store.SetInteger(kDos + u"\\AB", u"AckPages", 1);
  steps.answers = {"NC"};
  steps.input = kDocA + "AAA 2\r\n\f" + "AAA 3\r\n\f";
  const TDosRun run = RunJob(steps);
  EXPECT_EQ(run.status, kDosJobCoded);
  EXPECT_EQ(steps.dialogs, std::vector<std::string>{"C"});
  EXPECT_EQ(steps.titleInDialog, kProgramTitleDos);
  EXPECT_EQ(steps.output,
            "AAA 1\r\n\f\rAAA 1\r<AAA 1>\n\f"
            "AAA 2\r\n\f\rAAA 2\r<AAA 2>\n\f"
            "AAA 3\r\n\f\rAAA 3\r<AAA 3>\n\f");
  EXPECT_EQ(steps.created, std::vector<std::string>{"AB"}) << "the coder is kept while its type recognises";
}

// Page-set mode: one letter per document from the type's set, cycling only with AllPages.
TEST(DosJob, PageSetLetters) {
  const struct {
    bool allPages;
    std::string expected;
  } cases[] = {
      {false, "AAA 1\r<AAA 1>\n\fAAA 2\r\n\fAAA 3\r\n\fAAA 4\r\n\f"},
      {true, "AAA 1\r<AAA 1>\n\fAAA 2\r\n\fAAA 3\r<AAA 3>\n\fAAA 4\r\n\f"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.allPages);
    TFakeDosSteps steps;
    steps.store.SetInteger(kDos, u"CreateCpy", 0);
    steps.store.SetInteger(kDos, u"AllPages", c.allPages ? 1 : 0);
    steps.store.SetText(kDos + u"\\AB", u"Pages", u"CN");
    steps.store.SetInteger(kDos + u"\\AB", u"AckPages", 1);
    steps.input = kDocA + "AAA 2\r\n\f" + "AAA 3\r\n\f" + "AAA 4\r\n\f";
    const TDosRun run = RunJob(steps);
    EXPECT_EQ(run.status, kDosJobCoded);
    EXPECT_EQ(steps.output, c.expected);
    EXPECT_TRUE(steps.dialogs.empty()) << "page sets never ask";
    EXPECT_TRUE(steps.Logged(u"Экземпляр: \"N\""));
  }
}

// A middle document no type knows goes out as it came; a type that failed on a document is not tried
// again on it, and the next document gets a new coder. With one type only, the failed type's own parse
// is what moves the loop on.
TEST(DosJob, UnknownDocumentsBetweenKnownOnes) {
  const struct {
    const char* name;
    std::u16string disabled;
    std::vector<std::string> created;
  } cases[] = {
      {"two types", u"ZZ", {"AB", "CD", "AB"}},
      {"one type", u"CD", {"AB", "AB"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TFakeDosSteps steps;
    steps.store.SetInteger(kDos + u"\\" + c.disabled, u"Disabled", 1);
    steps.input = kDocA + kDocX + "AAA 4\r\n\f";
    const TDosRun run = RunJob(steps);
    EXPECT_EQ(run.status, kDosJobCoded);
    EXPECT_EQ(steps.output, "AAA 1\r<AAA 1>\n\f" + kDocX + "AAA 4\r<AAA 4>\n\f");
    EXPECT_EQ(steps.created, c.created);
  }
}

// A document that no parse reads: the rest of the file goes out as it came and the loop ends.
TEST(DosJob, DocumentNothingReads) {
  TFakeDosSteps steps;
  steps.input = kDocA + kDocX + kDocA;
  steps.stallFrom = kDocA.size();
  const TDosRun run = RunJob(steps);
  EXPECT_EQ(run.status, kDosJobCoded);
  EXPECT_EQ(steps.output, "AAA 1\r<AAA 1>\n\f" + kDocX + kDocA);
}

// Two types in one file: the second type's document gets its own coder, and both their copies.
TEST(DosJob, DocumentsOfTwoTypes) {
  TFakeDosSteps steps;
  steps.store.SetText(kDos + u"\\CD", u"Pages", u"NC");
  steps.input = kDocA + kDocC;
  const TDosRun run = RunJob(steps);
  EXPECT_EQ(run.status, kDosJobCoded);
  EXPECT_EQ(steps.output, "AAA 1\r<AAA 1>\n\f" "CCC 2\r\n\f\rCCC 2\r<CCC 2>\n\f");
  EXPECT_TRUE(steps.Logged(u"Стр.: 2, копии: \"NC\", диалог: \"N\", формирование: \"Y\", наборы: \"N\""));
}

// The filtered document (state byte 2) has no code in any copy and no code is made for it.
TEST(DosJob, FilteredDocumentHasNoCode) {
  TFakeDosSteps steps;
  steps.recognisedState = 2;
  steps.codeOk = false;  // would end the job if it were asked for
  steps.store.SetText(kDos + u"\\AB", u"Pages", u"CN");
  steps.input = kDocA;
  const TDosRun run = RunJob(steps);
  EXPECT_EQ(run.status, kDosJobCoded);
  EXPECT_EQ(steps.output, "AAA 1\r\n\f\rAAA 1\r\n\f");
  EXPECT_TRUE(steps.Logged(u"Код не наносится, фильтр!"));
}

// The model the caller names goes to every coder; an empty record leaves it to the configuration.
TEST(DosJob, ModelNameFromTheRecord) {
  TFakeDosSteps steps;
  steps.input = kDocA + kDocC;
  TDosCodeResultRec rec{};
  const std::u16string model = u"IBM Proprinter";
  std::copy(model.begin(), model.end(), rec.OutputFile);
  EXPECT_EQ(EncodeDosJob(steps, 1, rec), kDosJobCoded);
  EXPECT_EQ(steps.models, (std::vector<std::u16string>{model, model}));
  EXPECT_EQ(RecordFileName(rec), kOutputName) << "the model name is gone from the record";

  TFakeDosSteps plain;
  plain.input = kDocA;
  RunJob(plain);
  EXPECT_EQ(plain.models, std::vector<std::u16string>{u""});
}

// The print server's pass: with "PrnMonServEnable" and "@@" in the order, every document is coded from
// the job record's payload by the pseudo type, which is kept; without the switch "@@" is no type.
TEST(DosJob, PrintServerPass) {
  TFakeDosSteps steps;
  steps.store.SetText(kDos, u"DocOrder", u"@@,AB");
  steps.store.SetInteger(kConfigKey, u"PrnMonServEnable", 1);
  steps.AddType("@@", u"C", 0);
  steps.input = kDocX + kDocA;
  const TDosRun run = RunJob(steps, 42);
  EXPECT_EQ(run.status, kDosJobCoded);
  EXPECT_EQ(steps.output, "XXX 3\r<JOB42>\n\fAAA 1\r<JOB42>\n\f");
  EXPECT_EQ(steps.created, std::vector<std::string>{"@@"});
  EXPECT_EQ(steps.payloads, (std::vector<uint32_t>{42, 42}));
  EXPECT_TRUE(steps.Logged(u"Print Server Monitor Encode Started"));

  TFakeDosSteps failing;
  failing.store.SetText(kDos, u"DocOrder", u"@@,AB");
  failing.store.SetInteger(kConfigKey, u"PrnMonServEnable", 1);
  failing.AddType("@@", u"C", 0);
  failing.payloadOk = false;
  failing.input = kDocA;
  EXPECT_EQ(RunJob(failing).status, kDosJobPrintAsIs) << "no ordinary types in print-server mode";
  EXPECT_TRUE(failing.Logged(u"Print Server Monitor Encode Failed!"));

  TFakeDosSteps off;
  off.store.SetText(kDos, u"DocOrder", u"@@,AB");
  off.input = kDocA;
  EXPECT_EQ(RunJob(off).status, kDosJobCoded);
  EXPECT_EQ(off.created, std::vector<std::string>{"AB"});
}

// A type that recognises by its model, and the real code commands of the printer model in the "C" copy.
TEST(DosJob, RealRecognitionAndCodeCommands) {
  TFakeDosSteps steps;
  steps.realCode = true;
  steps.AddKeywordType(u"AB", u"AAA", u"C", 0);
  steps.input = kDocA;
  ASSERT_EQ(RunJob(steps).status, kDosJobCoded);
  ASSERT_GT(steps.output.size(), kDocA.size());
  EXPECT_EQ(steps.output.substr(0, 6), "AAA 1\r");
  EXPECT_NE(steps.output.find("\x1B*r"), std::string::npos) << "PCL raster";
  EXPECT_EQ(steps.output.substr(steps.output.size() - 2), "\n\f");
}

// WriteDosCopy alone: a code position outside the document is held to it, BreakBeforeCode puts FF CR
// before the code, and the untrimmed tail is the document's own bytes.
TEST(DosJob, WriteDosCopyBounds) {
  TMemoryStore store;
  TMemoryLog log;
  auto coder = TCoder::Create<TRAWCoder>(store, TDocIdClass::CreateFromText("AB"), nullptr, TDosPrinterState{}, 0,
                                         log, u"");
  const std::string stream = "prev|document|next";
  TByteReader reader(std::span(reinterpret_cast<const uint8_t*>(stream.data()), stream.size()));
  reader.Seek(13);  // the document is [5, 13)
  coder->State = 0;
  coder->TrimTrail = false;
  const struct {
    int32_t position;
    bool breakBefore;
    std::string expected;
  } cases[] = {
      {9, false, "docu[code]ment"},
      {9, true, "docu\f\r[code]ment"},
      {-4, false, "[code]document"},
      {2, false, "[code]document"},
      {400, false, "document[code]"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.position);
    coder->CodePosition = c.position;
    coder->BreakBeforeCode = c.breakBefore;
    std::string out;
    size_t count = 0;
    TStringDosOutput output(out, count, SIZE_MAX, true);
    EXPECT_TRUE(WriteDosCopy(coder.get(), output, reader, "[code]", "C", false, true, 1, 5));
    EXPECT_EQ(out, c.expected);
    EXPECT_EQ(reader.Position(), 13u);
  }
  std::string out;
  size_t count = 0;
  TStringDosOutput output(out, count, SIZE_MAX, true);
  EXPECT_TRUE(WriteDosCopy(nullptr, output, reader, "[code]", "CN", true, true, 1, 5)) << "no coder: plain";
  EXPECT_EQ(out, "document\f\r");
  std::string small;
  size_t smallCount = 0;
  TStringDosOutput failing(small, smallCount, 4, true);
  EXPECT_FALSE(WriteDosCopy(coder.get(), failing, reader, "[code]", "C", false, true, 1, 5));
}

// The export's run over a file: the caller's letters decide the copies, whatever the types' settings.
TEST(DosFile, CopiesByTheCallersLetters) {
  const struct {
    std::string input;
    TDosFileRequest request;
    std::string expected;
    std::string written;
    const char* why;
  } cases[] = {
      {kDocA + kDocA, {"C", false, true}, "AAA 1\r<AAA 1>\n\fAAA 1\r<AAA 1>\n\f", "CC", "cycling: both coded"},
      {kDocA + kDocA, {"C", false, false}, "AAA 1\r<AAA 1>\n\fAAA 1\r\n\f", "CN", "past the letters: plain"},
      {kDocA + kDocX, {"cn", true, false}, "AAA 1\r<AAA 1>\n\f\rAAA 1\r\n\f" + kDocX + "\r" + kDocX, "CNNN",
       "forming: one copy per letter, the unknown document as plain copies"},
      {kDocA, {"", true, false}, "AAA 1\r\n\f", "N", "no letters: one plain copy"},
      {kDocA + "\x1B" "E\r\n", {"CC", true, false}, "AAA 1\r<AAA 1>\n\f\rAAA 1\r<AAA 1>\n\f\x1B" "E\r\n", "CC",
       "a trailing reset is written once"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    TFakeDosSteps steps;
    steps.store.SetText(kDos + u"\\AB", u"Pages", u"NNN");  // the types' own copies play no part
    steps.input = c.input;
    EXPECT_TRUE(ProcessFileDos(steps, c.request, u"HP LaserJet"));
    EXPECT_EQ(steps.output, c.expected);
    EXPECT_TRUE(steps.dialogs.empty());
    EXPECT_TRUE(steps.deleted.empty());
    const std::u16string end = u"ProcessFileDos --> Код возврата: \"Y\", документы: \"" + Utf8ToWide(c.written) + u"\"";
    EXPECT_NE(std::find(steps.logHost.Lines.begin(), steps.logHost.Lines.end(), end), steps.logHost.Lines.end());
  }
}

// A failure after the output was made deletes it and answers false.
TEST(DosFile, FailuresDeleteTheOutput) {
  TFakeDosSteps steps;
  steps.input = kDocA;
  steps.codeOk = false;
  EXPECT_FALSE(ProcessFileDos(steps, {"C", false, false}, u""));
  EXPECT_EQ(steps.deleted, std::vector<std::u16string>{std::u16string(kOutputName)});
  TFakeDosSteps empty;
  EXPECT_FALSE(ProcessFileDos(empty, {"C", false, false}, u"")) << "an empty input";
  TFakeDosSteps unchecked;
  unchecked.input = kDocA;
  unchecked.configOk = false;
  EXPECT_FALSE(ProcessFileDos(unchecked, {"C", false, false}, u""));
  EXPECT_EQ(unchecked.outputsOpened, 0);
}

TEST(DosFile, CopiesOfADocument) {
  const struct {
    TDosFileRequest request;
    bool recognised;
    int32_t document;
    std::string expected;
  } cases[] = {
      {{"cNc", true, false}, true, 1, "CNC"},   {{"cNc", true, false}, false, 1, "NNN"},
      {{"", true, false}, true, 1, "N"},         {{"CN", false, true}, true, 3, "C"},
      {{"CN", false, false}, true, 3, "N"},      {{"CN", false, false}, true, 2, "N"},
      {{"", false, true}, true, 5, "N"},         {{"C", false, true}, false, 1, "N"},
      {{std::string(100, 'c'), true, false}, true, 1, std::string(64, 'C')},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FileDosCopies(c.request, c.recognised, c.document), c.expected)
        << c.request.Copies << " " << c.recognised << " " << c.document;
  }
  EXPECT_TRUE(IsBlankTail("\f\r\n \x1B" "E\x1B@"));
  EXPECT_TRUE(IsBlankTail("\x1B"));
  EXPECT_FALSE(IsBlankTail("\f.\r\n"));
  EXPECT_FALSE(IsBlankTail("\x1B" "EA"));
}
