// Blank debugging's decisions over a host kept in memory: the editor's exit codes and edits, the export
// files with their overwrite questions, the service, and the question that ends or continues debugging.
#include "coding/cl_emfcoder_debug.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "coding/cl_blank.h"
#include "coding/cl_emfcoder.h"
#include "foundation/cl_tools_config.h"
#include "support/coder_fakes.h"
#include "support/emf_header.h"

namespace {
constexpr int kYes = 6;
constexpr int kNo = 7;
constexpr int kCancel = 2;

struct TFile {
  std::u16string Text;
  uint64_t Time = 0;
};

class TMemoryDebugHost : public TBlankDebugHost {
 public:
  bool GUIDisabled() const override { return Disabled; }
  std::u16string BlankEditor() override { return Editor; }
  std::string BlankText() override { return "blank"; }
  std::u16string MakeTempFile() override {
    if (NoTempFiles) return {};
    const std::u16string name = u"C:\\Temp dir\\" + std::u16string(1, static_cast<char16_t>(u'A' + temps_++)) + u".TMP";
    Files[name] = TFile{u"", ++clock_};
    Temps.insert(name);
    return name;
  }
  bool WritePageData(const std::u16string& name, std::u16string_view text) override {
    return Write(name, u"utf8:" + std::u16string(text));
  }
  bool WriteBlank(const std::u16string& name, std::string_view text) override {
    return Write(name, u"ansi:" + std::u16string(text.begin(), text.end()));
  }
  bool FileExists(const std::u16string& name) override { return Files.count(name) != 0; }
  bool RemoveFile(const std::u16string& name) override {
    Events.push_back("delete " + Narrow(name));
    if (Undeletable.count(name)) return false;
    Files.erase(name);
    return true;
  }
  std::optional<uint64_t> WriteTime(const std::u16string& name) override {
    auto it = Files.find(name);
    if (it == Files.end()) return std::nullopt;
    return it->second.Time;
  }
  std::optional<int> RunAndWait(const std::u16string& commandLine) override {
    CommandLines.push_back(commandLine);
    Events.push_back("run");
    if (!EditorRun) return std::nullopt;
    return EditorRun(*this);
  }
  int ImportBlank(const std::u16string& name) override {
    Events.push_back("import " + Narrow(name));
    Imported = Files[name].Text;
    return ImportAnswer;
  }
  void ShowEditorError() override { Events.push_back("editor error"); }
  std::u16string SelectExportFile() override {
    Events.push_back("select");
    return ExportName;
  }
  bool ConfirmOverwrite(const std::u16string& name) override {
    Events.push_back("confirm " + Narrow(name));
    return Overwrite;
  }
  int Ask(std::u16string_view text, bool error) override {
    Questions.emplace_back(text);
    QuestionIsError = error;
    return Disabled ? kCancel : Answer;
  }
  void EndDebugging() override { Ended = true; }

  bool Write(const std::u16string& name, std::u16string text) {
    if (Unwritable.count(name)) return false;
    Files[name] = TFile{std::move(text), ++clock_};
    return true;
  }
  // The blank the editor was handed (the first of the two files on its command line).
  std::u16string EditedBlank() const {
    const std::u16string& line = CommandLines.back();
    const size_t start = line.find(u"\" \"") + 3;
    return line.substr(start, line.find(u'"', start) - start);
  }
  static std::string Narrow(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return out;
  }

  bool Disabled = false;
  bool NoTempFiles = false;
  std::u16string Editor = u"C:\\Program Files\\Blank Editor\\editor.exe";
  std::function<std::optional<int>(TMemoryDebugHost&)> EditorRun;
  int ImportAnswer = kBlankImported;
  std::u16string ExportName;
  bool Overwrite = true;
  int Answer = kYes;
  std::map<std::u16string, TFile> Files;
  std::set<std::u16string> Temps;
  std::set<std::u16string> Unwritable;
  std::set<std::u16string> Undeletable;
  std::vector<std::u16string> CommandLines;
  std::vector<std::string> Events;
  std::vector<std::u16string> Questions;
  bool QuestionIsError = false;
  std::u16string Imported;
  bool Ended = false;

 private:
  int temps_ = 0;
  uint64_t clock_ = 0;
};

using TEditor = std::function<std::optional<int>(TMemoryDebugHost&)>;

TEditor ExitWith(int code) {
  return [code](TMemoryDebugHost&) { return std::optional<int>(code); };
}
TEditor RewriteAndExit(int code) {
  return [code](TMemoryDebugHost& host) {
    host.Write(host.EditedBlank(), u"edited");
    return std::optional<int>(code);
  };
}

std::u16string PageData() { return u"page data"; }
}  // namespace

TEST(BlankDebug, EditorRound) {
  struct Case {
    const char* name;
    TEditor editor;
    int importAnswer;
    int outcome;
    std::vector<std::string> tail;  // events after the run
  };
  const Case cases[] = {
      {"rewritten and imported", RewriteAndExit(0), kBlankImported, kBlankDebugImported, {"import C:\\Temp dir\\B.TMP"}},
      {"rewritten, import rejected", RewriteAndExit(0), kBlankRejected, kBlankDebugFailed, {"import C:\\Temp dir\\B.TMP"}},
      {"exit 0, untouched", ExitWith(0), kBlankImported, kBlankDebugDone, {}},
      {"exit 1 after an edit is not imported", RewriteAndExit(1), kBlankImported, kBlankDebugDone, {}},
      {"exit 7", ExitWith(7), kBlankImported, kBlankDebugFailed, {"editor error"}},
      {"cannot start", nullptr, kBlankImported, kBlankDebugFailed, {"editor error"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TMemoryDebugHost host;
    host.EditorRun = c.editor;
    host.ImportAnswer = c.importAnswer;
    EXPECT_EQ(RunBlankDebug(2, host, PageData), c.outcome);
    ASSERT_EQ(host.CommandLines.size(), 1u);
    EXPECT_EQ(host.CommandLines[0],
              u"\"C:\\Program Files\\Blank Editor\\editor.exe\" \"C:\\Temp dir\\B.TMP\" \"C:\\Temp dir\\A.TMP\"");
    std::vector<std::string> expected = {"run"};
    expected.insert(expected.end(), c.tail.begin(), c.tail.end());
    expected.insert(expected.end(), {"delete C:\\Temp dir\\A.TMP", "delete C:\\Temp dir\\B.TMP"});
    EXPECT_EQ(host.Events, expected);
    EXPECT_TRUE(host.Files.empty()) << "both temporary files are gone";
    if (c.tail.size() == 1 && c.tail[0].starts_with("import")) {
      EXPECT_EQ(host.Imported, u"edited");
    }
  }
}

TEST(BlankDebug, EditorHandedThePageDataAndTheBlank) {
  TMemoryDebugHost host;
  std::map<std::u16string, TFile> seen;
  host.EditorRun = [&seen](TMemoryDebugHost& h) {
    seen = h.Files;
    return std::optional<int>(1);
  };
  RunBlankDebug(2, host, PageData);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[u"C:\\Temp dir\\A.TMP"].Text, u"utf8:page data");
  EXPECT_EQ(seen[u"C:\\Temp dir\\B.TMP"].Text, u"ansi:blank");
}

TEST(BlankDebug, EditorRoundFailsBeforeTheEditorWhenItsFilesAreMissing) {
  for (int failure = 0; failure < 3; ++failure) {
    SCOPED_TRACE(failure);
    TMemoryDebugHost host;
    host.EditorRun = ExitWith(0);
    if (failure == 0) host.NoTempFiles = true;
    if (failure == 1) host.Unwritable.insert(u"C:\\Temp dir\\A.TMP");
    if (failure == 2) host.Unwritable.insert(u"C:\\Temp dir\\B.TMP");
    EXPECT_EQ(RunBlankDebug(2, host, PageData), kBlankDebugFailed);
    EXPECT_TRUE(host.CommandLines.empty());
    EXPECT_TRUE(host.Files.empty());
  }
}

TEST(BlankDebug, EditorCommandLineQuotesEveryPart) {
  EXPECT_EQ(BlankEditorCommandLine(u"C:\\a b\\e.exe", u"C:\\t\\1.TMP", u"C:\\t\\2.TMP"),
            u"\"C:\\a b\\e.exe\" \"C:\\t\\1.TMP\" \"C:\\t\\2.TMP\"");
  EXPECT_EQ(BlankEditorCommandLine(u"C:\\a\"b.exe", u"x", u"y"), u"");
  EXPECT_EQ(BlankEditorCommandLine(u"", u"x", u"y"), u"");
}

TEST(BlankDebug, ExportRound) {
  const std::u16string name = u"D:\\Бланки\\счёт.txt";
  const std::u16string bln = u"D:\\Бланки\\счёт.bln";
  const std::u16string tdc = u"D:\\Бланки\\счёт.tdc";
  struct Case {
    const char* name;
    std::u16string chosen;
    std::vector<std::u16string> existing;
    bool overwrite;
    std::u16string undeletable;
    int outcome;
    std::vector<std::string> events;
    bool written;
  };
  const Case cases[] = {
      {"no name", u"", {}, true, u"", kBlankDebugDone, {"select"}, false},
      {"new files", name, {}, true, u"", kBlankDebugDone, {"select"}, true},
      {"blank there, refused", name, {bln, tdc}, false, u"", kBlankDebugDone, {"select", "confirm D:\\??????\\????.bln"}, false},
      {"blank there, page data replaced unasked", name, {bln, tdc}, true, u"", kBlankDebugDone,
       {"select", "confirm D:\\??????\\????.bln", "delete D:\\??????\\????.bln", "delete D:\\??????\\????.tdc"}, true},
      {"page data there, refused", name, {tdc}, false, u"", kBlankDebugDone, {"select", "confirm D:\\??????\\????.tdc"}, false},
      {"page data there, replaced", name, {tdc}, true, u"", kBlankDebugDone,
       {"select", "confirm D:\\??????\\????.tdc", "delete D:\\??????\\????.tdc"}, true},
      {"blank cannot be deleted", name, {bln}, true, bln, kBlankDebugFailed,
       {"select", "confirm D:\\??????\\????.bln", "delete D:\\??????\\????.bln"}, false},
      {"page data cannot be deleted", name, {tdc}, true, tdc, kBlankDebugFailed,
       {"select", "confirm D:\\??????\\????.tdc", "delete D:\\??????\\????.tdc"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TMemoryDebugHost host;
    host.ExportName = c.chosen;
    host.Overwrite = c.overwrite;
    for (const std::u16string& file : c.existing) host.Files[file] = TFile{u"old", 0};
    if (!c.undeletable.empty()) host.Undeletable.insert(c.undeletable);
    EXPECT_EQ(RunBlankDebug(3, host, PageData), c.outcome);
    EXPECT_EQ(host.Events, c.events);
    if (c.written) {
      EXPECT_EQ(host.Files[tdc].Text, u"utf8:page data");
      EXPECT_EQ(host.Files[bln].Text, u"ansi:blank");
    }
    EXPECT_TRUE(host.CommandLines.empty());
  }
}

TEST(BlankDebug, ExportFailsWhenAFileIsNotWritten) {
  TMemoryDebugHost host;
  host.ExportName = u"D:\\b.bln";
  host.Unwritable.insert(u"D:\\b.tdc");
  EXPECT_EQ(RunBlankDebug(3, host, PageData), kBlankDebugFailed);
}

TEST(BlankDebug, EditorModeWithoutAnEditorExports) {
  TMemoryDebugHost host;
  host.Editor.clear();
  host.ExportName = u"D:\\b.bln";
  EXPECT_EQ(RunBlankDebug(2, host, PageData), kBlankDebugDone);
  EXPECT_EQ(host.Files.size(), 2u);
  EXPECT_TRUE(host.CommandLines.empty());
}

TEST(BlankDebug, ServiceStartsNothing) {
  for (uint8_t mode : {2, 3}) {
    TMemoryDebugHost host;
    host.Disabled = true;
    host.EditorRun = ExitWith(0);
    host.ExportName = u"D:\\b.bln";
    EXPECT_EQ(RunBlankDebug(mode, host, PageData), kBlankDebugFailed);
    EXPECT_TRUE(host.Events.empty());
    EXPECT_TRUE(host.Files.empty());
  }
}

TEST(BlankDebug, QuestionsAndWhichAnswerEndsDebugging) {
  struct Case {
    int outcome;
    int answer;
    std::u16string_view question;
    bool error;
    bool ends;
  };
  const Case cases[] = {
      {kBlankDebugDone, kYes, kBlankDebugEndText, false, true},
      {kBlankDebugDone, kNo, kBlankDebugEndText, false, false},
      {kBlankDebugDone, kCancel, kBlankDebugEndText, false, false},
      {kBlankDebugImported, kYes, kBlankDebugImportedText, false, true},
      {kBlankDebugImported, kNo, kBlankDebugImportedText, false, false},
      {kBlankDebugFailed, kYes, kBlankDebugFailedText, true, false},
      {kBlankDebugFailed, kNo, kBlankDebugFailedText, true, true},
      {kBlankDebugFailed, kCancel, kBlankDebugFailedText, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.outcome << " answered " << c.answer);
    TMemoryDebugHost host;
    host.Answer = c.answer;
    EXPECT_EQ(AskToEndBlankDebug(c.outcome, host), c.ends);
    EXPECT_EQ(host.Questions, (std::vector<std::u16string>{std::u16string(c.question)}));
    EXPECT_EQ(host.QuestionIsError, c.error);
  }
}

TEST(BlankDebug, CoderRoundLogsAndEnds) {
  TMemoryStore store;
  TMemoryLog log;
  auto coder = TCoder::Create<TEMFCoder>(store, nullptr, nullptr, 0, &log.file, TDocIdClass::CreateFromText("AB"));
  coder->Header = A4At600Dpi();
  coder->BlankMode = 2;
  coder->HLines->push_back(std::make_unique<TLineProTo>(1, TRect{0, 100, 4960, 100}));
  log.Lines.clear();
  TMemoryDebugHost host;
  std::u16string handed;
  host.EditorRun = [&handed](TMemoryDebugHost& h) {
    handed = h.Files[u"C:\\Temp dir\\A.TMP"].Text;
    return std::optional<int>(0);
  };
  coder->DebugBlank(host);
  EXPECT_EQ(log.Lines, (std::vector<std::u16string>{u"  Отладка бланка", u"  Экспорт данных"}));
  EXPECT_EQ(handed, u"utf8:" + coder->ExportPageData());
  EXPECT_EQ(host.Questions, (std::vector<std::u16string>{std::u16string(kBlankDebugEndText)}));
  EXPECT_TRUE(host.Ended);

  // The service: the failure's question is answered Cancel, which ends debugging.
  TMemoryDebugHost service;
  service.Disabled = true;
  coder->DebugBlank(service);
  EXPECT_EQ(service.Questions, (std::vector<std::u16string>{std::u16string(kBlankDebugFailedText)}));
  EXPECT_TRUE(service.Ended);
}
