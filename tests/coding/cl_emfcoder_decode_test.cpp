// The order in which a page is tried against the document types: the print server's pass, "@@" skipped in
// the ordinary pass, the mode carried from coder to coder, blank debugging ending the search, failures
// and exceptions moving on, and the redraw mode of the answer.
#include "coding/cl_emfcoder_decode.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "foundation/cl_tools_config.h"
#include "support/coder_fakes.h"

namespace {
const std::u16string kCfg(kConfigKey);

// How one type behaves when tried.
struct TTypeScript {
  bool Loads = true;
  bool Parses = true;
  bool Recognizes = false;
  uint8_t BlankMode = 0;
  int32_t ReDrawEMF = 0;
  uint8_t ModeAfterParse = 0xFF;  // 0xFF: the parse leaves the mode alone
  std::string ThrowsIn;           // "load", "parse" or "recognize"

  TTypeScript& NoLoad() { return Loads = false, *this; }
  TTypeScript& NoParse() { return Parses = false, *this; }
  TTypeScript& Recognized() { return Recognizes = true, *this; }
  TTypeScript& Blank(uint8_t mode) { return BlankMode = mode, *this; }
  TTypeScript& Redraw() { return ReDrawEMF = 1, *this; }
  TTypeScript& ParseSetsMode(uint8_t mode) { return ModeAfterParse = mode, *this; }
  TTypeScript& Throws(std::string step) { return ThrowsIn = std::move(step), *this; }
};
TTypeScript Script() { return {}; }

class TScriptedSteps : public TDecodeSteps {
 public:
  TScriptedSteps(const TMemoryStore& store, TLogFile* log) : store_(store), log_(log) {}

  std::unique_ptr<TEMFCoder> CreateCoder(const TDocIdClass& docId, uint8_t mode) override {
    Calls.push_back(docId.GetText() + ":create" + std::to_string(mode));
    return TCoder::Create<TEMFCoder>(store_, nullptr, nullptr, mode, log_, docId);
  }
  bool LoadParam(TEMFCoder& coder) override {
    const TTypeScript& s = Step(coder, "load");
    coder.BlankMode = s.BlankMode;
    coder.Settings.ReDrawEMF = s.ReDrawEMF;
    return s.Loads;
  }
  bool ParsePage(TEMFCoder& coder) override {
    const TTypeScript& s = Step(coder, "parse");
    if (s.ModeAfterParse != 0xFF) coder.Mode = s.ModeAfterParse;
    return s.Parses;
  }
  void DebugBlank(TEMFCoder& coder) override { Step(coder, "debug"); }
  bool Recognize(TEMFCoder& coder) override { return Step(coder, "recognize").Recognizes; }
  bool ProcessDocData(TEMFCoder& coder, uint32_t jobRecordNo) override {
    Step(coder, "docdata" + std::to_string(jobRecordNo));
    return true;
  }

  std::map<std::string, TTypeScript> Types;
  std::vector<std::string> Calls;

 private:
  const TTypeScript& Step(TEMFCoder& coder, const std::string& step) {
    const std::string id = coder.DocId.GetText();
    Calls.push_back(id + ":" + step);
    const TTypeScript& s = Types[id];
    if (s.ThrowsIn == step) throw std::runtime_error("scripted");
    return s;
  }
  const TMemoryStore& store_;
  TLogFile* log_;
};

struct TCase {
  const char* why;
  std::u16string order;  // DocOrder; every listed type exists
  int32_t printServer;
  uint8_t mode;
  std::map<std::string, TTypeScript> types;
  std::string answer;  // "" for nil
  std::vector<std::string> calls;
  uint8_t answerMode = 0;
};

void Configure(TMemoryStore& store, const std::u16string& order) {
  store.AddKey(kCfg);
  store.Set(kCfg, u"DocOrder", order);
  std::u16string rest = order;
  while (!rest.empty()) {
    const size_t comma = rest.find(u',');
    store.AddKey(kCfg + u"\\" + rest.substr(0, comma));
    rest = comma == std::u16string::npos ? u"" : rest.substr(comma + 1);
  }
}
}  // namespace

TEST(ProcessDecode, TriesTypesInOrder) {
  const TTypeScript recognizes = Script().Recognized();
  const TTypeScript noLoad = Script().NoLoad();
  const TCase cases[] = {
      {"only the print server's type, monitor off: nothing to try", u"@@", 0, 0, {}, "", {}},
      {"\"@@\" skipped by taking the next type",
       u"AA,@@,BB", 0, 0, {{"BB", recognizes}}, "BB",
       {"AA:create0", "AA:load", "AA:parse", "AA:recognize", "BB:create0", "BB:load", "BB:parse", "BB:recognize"}},
      {"a type that does not load is not parsed", u"AA,BB", 0, 0, {{"AA", noLoad}, {"BB", recognizes}}, "BB",
       {"AA:create0", "AA:load", "BB:create0", "BB:load", "BB:parse", "BB:recognize"}},
      {"a page that does not parse is not recognised", u"AA", 0, 0, {{"AA", Script().NoParse()}}, "",
       {"AA:create0", "AA:load", "AA:parse"}},
      {"the print server's coder answers even when its page does not parse", u"AA,@@", 1, 0,
       {{"@@", Script().NoParse()}}, "@@", {"@@:create0", "@@:load", "@@:parse"}},
      {"the print server's payload from the job record", u"@@,AA", 1, 0, {}, "@@",
       {"@@:create0", "@@:load", "@@:parse", "@@:docdata7"}},
      {"a print server's type that does not load leaves the ordinary pass", u"@@,AA", 1, 0,
       {{"@@", noLoad}, {"AA", recognizes}}, "AA",
       {"@@:create0", "@@:load", "AA:create0", "AA:load", "AA:parse", "AA:recognize"}},
      {"an exception in the print server's pass drops its coder", u"@@,AA", 1, 0,
       {{"@@", Script().Throws("parse")}, {"AA", recognizes}}, "AA",
       {"@@:create0", "@@:load", "@@:parse", "AA:create0", "AA:load", "AA:parse", "AA:recognize"}},
      {"the print server's pass runs only when \"@@\" is listed", u"AA", 1, 0, {{"AA", recognizes}}, "AA",
       {"AA:create0", "AA:load", "AA:parse", "AA:recognize"}},
      {"blank debugging ends the search even when the page does not parse", u"AA,BB", 0, 0,
       {{"AA", Script().NoParse().Blank(2)}, {"BB", recognizes}}, "AA",
       {"AA:create0", "AA:load", "AA:parse"}},
      {"blank debugging by export runs the debugger after a good parse, no recognition", u"AA", 0, 0,
       {{"AA", Script().Blank(3).Redraw()}}, "AA", {"AA:create0", "AA:load", "AA:parse", "AA:debug"}},
      {"an exception counts as a failed type", u"AA,BB", 0, 0,
       {{"AA", Script().Throws("recognize")}, {"BB", recognizes}}, "BB",
       {"AA:create0", "AA:load", "AA:parse", "AA:recognize", "BB:create0", "BB:load", "BB:parse", "BB:recognize"}},
      {"ReDrawEMF gives the answer mode 6", u"AA", 0, 0, {{"AA", Script().Recognized().Redraw()}}, "AA",
       {"AA:create0", "AA:load", "AA:parse", "AA:recognize"}, kRedrawMode},
      {"a mode the first coder clears is 0 for every later coder", u"AA,BB,CC", 0, 5,
       {{"AA", Script().ParseSetsMode(0)}, {"CC", recognizes}}, "CC",
       {"AA:create5", "AA:load", "AA:parse", "AA:recognize", "BB:create0", "BB:load", "BB:parse", "BB:recognize",
        "CC:create0", "CC:load", "CC:parse", "CC:recognize"}},
      {"a mode a coder keeps is carried on", u"AA,BB", 0, 5, {{"BB", recognizes}}, "BB",
       {"AA:create5", "AA:load", "AA:parse", "AA:recognize", "BB:create5", "BB:load", "BB:parse", "BB:recognize"},
       5},
      {"a type that does not load does not change the carried mode", u"AA,BB", 0, 5,
       {{"AA", noLoad}, {"BB", recognizes}}, "BB", {"AA:create5", "AA:load", "BB:create5", "BB:load", "BB:parse",
       "BB:recognize"}, 5},
  };
  for (const TCase& c : cases) {
    TMemoryStore store;
    Configure(store, c.order);
    store.Set(kCfg, u"PrnMonServEnable", c.printServer);
    TMemoryLog log;
    TScriptedSteps steps(store, log);
    steps.Types = c.types;
    auto coder = ProcessDecode(store, log, c.mode, 7, steps);
    EXPECT_EQ(coder ? coder->DocId.GetText() : "", c.answer) << c.why;
    EXPECT_EQ(steps.Calls, c.calls) << c.why;
    if (coder) {
      EXPECT_EQ(coder->Mode, c.answerMode) << c.why;
    }
  }
}

TEST(ProcessDecode, EmptyOrderIsLoggedAndAnswersNil) {
  TMemoryStore store;
  store.AddKey(kCfg);
  TMemoryLog log;
  TScriptedSteps steps(store, log);
  EXPECT_EQ(ProcessDecode(store, log, 0, 0, steps), nullptr);
  EXPECT_TRUE(steps.Calls.empty());
  EXPECT_EQ(log.host.Lines, std::vector<std::u16string>{u"Список типов документов пуст, выход!"});
}

TEST(ProcessDecode, PrintServerPassIsLoggedAndExceptionsReported) {
  TMemoryStore store;
  Configure(store, u"@@,AA");
  store.Set(kCfg, u"PrnMonServEnable", 1);
  TMemoryLog log;
  TScriptedSteps steps(store, log);
  steps.Types["@@"] = Script().NoLoad();
  steps.Types["AA"] = Script().Throws("load");
  EXPECT_EQ(ProcessDecode(store, log, 0, 0, steps), nullptr);
  const auto& lines = log.host.Lines;
  auto has = [&](std::u16string_view text) {
    for (const auto& line : lines)
      if (line.find(text) != std::u16string::npos) return true;
    return false;
  };
  EXPECT_TRUE(has(u"Print Server Monitor Encode Started"));
  EXPECT_TRUE(has(u"Print Server Monitor Encode Failed!"));
  EXPECT_TRUE(has(u"Exception in \"ProcessDecode\""));
}
