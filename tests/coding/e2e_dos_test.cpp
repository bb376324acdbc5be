// DOS invoices through the raw coder on every command set and output form: the stream is parsed,
// recognised and coded as printer commands; the test-side reader rebuilds the code picture from those
// commands alone, and natively zxing-cpp reads exactly the message of the invoice's fields from it.
#include "support/e2e_dos.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "coding/enumraw2.h"
#include "foundation/lib_codepage.h"
#include "monitor/uintraw.h"
#include "support/code_image.h"
#include "support/coder_fakes.h"
#include "support/dos_job_fakes.h"
#include "support/golden.h"

#ifndef _WIN32
#include "coding/aztec_readers.h"
#endif

namespace {

std::string LogText(const std::vector<std::u16string>& lines) {
  std::string text;
  for (const std::u16string& line : lines) text += WideToUtf8(line) + "\n";
  return text;
}

// Each invoice on each form, every other one ended by a form feed.
template <typename Check>
void ForEachCodedInvoice(Check check) {
  for (const TDosForm& form : DosForms()) {
    for (size_t i = 0; i < DosInvoices().size(); ++i) {
      const bool formFeed = i % 2 == 0;
      SCOPED_TRACE(std::string(form.Name) + ", invoice " + std::to_string(i) + (formFeed ? ", form feed" : ""));
      TDosPageRun run(form, DosInvoiceStream(form, DosInvoices()[i], formFeed));
      ASSERT_EQ(run.FailedStage, "") << LogText(run.Log.Lines);
      check(form, i, run);
    }
  }
}

TEST(DosEndToEnd, EveryFormCodesTheFieldsAndPrintsThePicture) {
  ForEachCodedInvoice([](const TDosForm& form, size_t i, TDosPageRun& run) {
    const TRAWCoder& coder = *run.Coder;
    EXPECT_EQ(WideToUtf8(coder.Payload), WideToUtf8(DosInvoices()[i].Payload()));
    EXPECT_EQ(coder.Errors->Count(), 0);
    // The code goes before the line end of the signature line, the last line that holds text.
    const size_t signature = run.Stream.find("____________\r\n");
    ASSERT_NE(signature, std::string::npos);
    EXPECT_EQ(coder.CodePosition, static_cast<int32_t>(signature + 13)) << "the LF after the underscores";
    const std::string key = std::string(kDosInvoiceId) + "-" + std::to_string(i);
    EXPECT_TRUE(MatchesGolden("e2e_dos", key + " message", HexOf(coder.AztCoder->Data())));
    if (i == 0) {
      EXPECT_EQ(GoldenValue("e2e", "SCHT message"), HexOf(coder.AztCoder->Data()))
          << "the same fields as the Windows invoice give the same message";
    }
    const TDosReadBack back = ReadDosCode(GeometryOf(coder), run.Commands);
    ASSERT_EQ(back.Error, "") << form.Name;
    EXPECT_EQ(back.Picture, coder.Picture) << "the printed modules are the code picture";
  });
}

// The job's surroundings in memory with the DOS configuration of the form, and a copies dialog that
// answers "CNN" and leaves its answer in the context, as the real one does, for the type's later
// documents.
class TDosJobInMemory : public TMemoryDosSteps {
 public:
  TDosJobInMemory(const TDosForm& form, const TDosPlacement& placement) {
    configOk = WriteDosConfig(store, form, placement);
  }

  std::string AskCopies(TRAWCoder&, TContext& context, TLogFile*, const std::string& copies) override {
    dialogs.push_back(copies);
    context.WriteValue(u"Option", u"CNN");
    return "CNN";
  }
  std::unique_ptr<TRAWCoder> CreateCoder(const TDocIdClass& docId, TContext& context, const TDosPrinterState& state,
                                         TLogFile* log, std::u16string_view model) override {
    std::unique_ptr<TRAWCoder> coder = TDosJobSteps::CreateCoder(docId, context, state, log, model);
    coder->CodeServices = &services;
    return coder;
  }
  // The seeds pinned as in the page runs, so that the messages are the golden ones.
  bool MakeCode(TRAWCoder& coder) override {
    const TFixedSeeds seeds;
    return TDosJobSteps::MakeCode(coder);
  }

  TRecordingServices services;
  std::vector<std::string> dialogs;
};

// The job coded on one form, and the code pictures of its "C" copies read back from the output.
struct TDosJobRun {
  explicit TDosJobRun(const TDosForm& form, const TDosPlacement& placement = {})
      : steps(form, placement), documents(DosJobDocuments(form)) {
    steps.input = DosJobFile(documents);
    status = EncodeDosJob(steps, 0, rec);
    expected = ExpectedDosJob(form, documents, "CNN", placement);
  }
  TDosJobInMemory steps;
  std::vector<TDosJobDocument> documents;
  TDosCodeResultRec rec{};
  uint8_t status = 0xFF;
  TDosExpectedJob expected;
};

// A file of invoices and a letter no type knows, copies "CNN" from the dialog: every copy of every
// invoice as it must be, the letter once, and the code of each "C" copy read back from the output; with
// the code below the text, two lines higher, on top at the third line, and on a page of its own.
TEST(DosEndToEnd, JobOfSeveralDocumentsWithCopies) {
  const struct {
    TDosPlacement placement;
    std::string before, beforePcl;  // what the code follows in every coded copy
  } placements[] = {
      {{}, "__\r", "__\r"},  // the signature line's end
      // The frame's bottom line; the PCL forms keep the code where it was.
      {{"two lines up", 0, -2 * 65536}, "\xBC\r", "__\r"},
      {{"on top, third line", 1, 2 * 65536}, "\r\n\r\n", "\r\n\r\n"},  // the title and the blank line
      {{"after a page break", 0, 0, 5}, "__\r\f\r", "__\r\f\r"},       // more than 5 lines on the page
  };
  for (const TDosForm& form : DosForms()) {
    for (const auto& [placement, beforeOther, beforePcl] : placements) {
      SCOPED_TRACE(std::string(form.Name) + ", code " + placement.Name);
      TDosJobRun run(form, placement);
      ASSERT_EQ(run.expected.Error, "");
      ASSERT_EQ(run.status, kDosJobCoded) << LogText(run.steps.logHost.Lines);
      EXPECT_EQ(FirstDifference(run.steps.output, run.expected.Bytes), "equal");
      EXPECT_EQ(run.steps.dialogs, std::vector<std::string>{"C"}) << "one dialog; the later invoices take its answer";
      EXPECT_TRUE(run.steps.boxes.empty());
      EXPECT_EQ(std::u16string(run.rec.OutputFile), TMemoryDosSteps::kOutputName);
      EXPECT_EQ(std::string(run.rec.Copies), "C");
      ASSERT_EQ(run.expected.Codes.size(), 3u) << "one coded copy of each invoice";
      for (const TDosExpectedCode& code : run.expected.Codes) {
        // The reader gets the commands from the job's output; the code must be where the page put it.
        const TDosReadBack back =
            ReadDosCode(code.Geometry, std::string_view(run.steps.output).substr(code.Offset, code.Commands.size()));
        ASSERT_EQ(back.Error, "");
        EXPECT_EQ(back.Picture, code.Picture);
        const std::string& before =
            code.Geometry.OutputMode < 0 && code.Geometry.OutputMode != kModeMTPlot ? beforePcl : beforeOther;
        ASSERT_GE(code.Offset, before.size());
        EXPECT_EQ(HexOf(run.steps.output.substr(code.Offset - before.size(), before.size())), HexOf(before));
      }
    }
  }
}

#ifndef _WIN32
TEST(DosEndToEnd, ZxingReadsTheMessageFromEveryForm) {
  using namespace aztec_readers;
  ASSERT_TRUE(HaveZxing()) << "python3-zxing-cpp for /usr/bin/python3 is needed (scripts/setup installs it)";
  std::vector<std::vector<uint8_t>> images;
  std::vector<std::string> messages, names;
  ForEachCodedInvoice([&](const TDosForm& form, size_t i, TDosPageRun& run) {
    const TRAWCoder& coder = *run.Coder;
    const TDosReadBack back = ReadDosCode(GeometryOf(coder), run.Commands);
    images.push_back(SymbolImage(back.Picture, {coder.PictureWidth, coder.PictureHeight}, 0, coder.PictureWidth));
    messages.push_back(HexOf(coder.AztCoder->Data()));
    names.push_back(std::string(form.Name) + " " + std::to_string(i));
  });
  // And the "C" copies of the coded jobs, read from the job's output.
  for (const TDosForm& form : DosForms()) {
    TDosJobRun run(form);
    for (size_t i = 0; i < run.expected.Codes.size(); ++i) {
      const TDosExpectedCode& code = run.expected.Codes[i];
      const TDosReadBack back =
          ReadDosCode(code.Geometry, std::string_view(run.steps.output).substr(code.Offset, code.Commands.size()));
      images.push_back(SymbolImage(back.Picture, {code.Geometry.Width, code.Geometry.Height}, 0, code.Geometry.Width));
      messages.push_back(
          GoldenValue("e2e_dos", std::string(kDosInvoiceId) + "-" + std::to_string(i) + " message").value_or("-"));
      names.push_back(std::string(form.Name) + " job copy " + std::to_string(i));
    }
  }
  TTempDir dir;
  const std::vector<TDecoded> read = ZxingDecode(dir, images);
  ASSERT_EQ(read.size(), images.size());
  for (size_t i = 0; i < read.size(); ++i) {
    SCOPED_TRACE(names[i]);
    ASSERT_TRUE(read[i].Found) << "zxing-cpp finds no symbol";
    EXPECT_EQ(HexOf(read[i].Bytes), messages[i]) << "exactly the message of the invoice's fields";
  }
}
#endif

}  // namespace
