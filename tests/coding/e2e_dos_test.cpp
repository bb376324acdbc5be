// DOS invoices through the raw coder on every command set and output form: the stream is parsed,
// recognised and coded as printer commands; the test-side reader rebuilds the code picture from those
// commands alone, and natively zxing-cpp reads exactly the message of the invoice's fields from it.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "coding/enumraw2.h"
#include "foundation/lib_codepage.h"
#include "support/code_image.h"
#include "support/coder_fakes.h"
#include "support/e2e_dos.h"
#include "support/golden.h"

#ifndef _WIN32
#include "coding/aztec_readers.h"
#endif

namespace {

// One invoice coded on one form, from a store of its own.
struct TDosCoded {
  TDosCoded(const TDosForm& form, const std::string& bytes) : stream(bytes) {
    if (!WriteDosConfig(store, form)) {
      failedStage = "the demo configuration";
      return;
    }
    TDosPrinterState state;
    if (!ReadDosDefaults(store, state)) {
      failedStage = "ReadDosDefaults";
      return;
    }
    coder = TCoder::Create<TRAWCoder>(store, TDocIdClass::CreateFromText(std::string(kDosInvoiceId)), nullptr, state,
                                      0, &log.file, u"");
    coder->CodeServices = &services;
    failedStage = CodeDosPage(*coder, stream, commands);
  }

  TMemoryStore store;
  TMemoryLog log;
  TRecordingServices services;
  std::unique_ptr<TRAWCoder> coder;
  std::string stream;
  std::string commands;
  std::string failedStage;
};

std::string LogText(const TMemoryLog& log) {
  std::string text;
  for (const std::u16string& line : log.Lines) text += WideToUtf8(line) + "\n";
  return text;
}

// Each invoice on each form, every other one ended by a form feed.
template <typename Check>
void ForEachCodedInvoice(Check check) {
  for (const TDosForm& form : DosForms()) {
    for (size_t i = 0; i < DosInvoices().size(); ++i) {
      const bool formFeed = i % 2 == 0;
      SCOPED_TRACE(std::string(form.Name) + ", invoice " + std::to_string(i) + (formFeed ? ", form feed" : ""));
      TDosCoded run(form, DosInvoiceStream(form, DosInvoices()[i], formFeed));
      ASSERT_EQ(run.failedStage, "") << LogText(run.log);
      check(form, i, run);
    }
  }
}

TEST(DosEndToEnd, EveryFormCodesTheFieldsAndPrintsThePicture) {
  ForEachCodedInvoice([](const TDosForm& form, size_t i, TDosCoded& run) {
    const TRAWCoder& coder = *run.coder;
    EXPECT_EQ(WideToUtf8(coder.Payload), WideToUtf8(DosInvoices()[i].Payload()));
    EXPECT_EQ(coder.Errors->Count(), 0);
    // The code goes before the line end of the signature line, the last line that holds text.
    const size_t signature = run.stream.find("____________\r\n");
    ASSERT_NE(signature, std::string::npos);
    EXPECT_EQ(coder.CodePosition, static_cast<int32_t>(signature + 13)) << "the LF after the underscores";
    const std::string key = std::string(kDosInvoiceId) + "-" + std::to_string(i);
    EXPECT_TRUE(MatchesGolden("e2e_dos", key + " message", HexOf(coder.AztCoder->Data())));
    if (i == 0) {
      EXPECT_EQ(GoldenValue("e2e", "SCHT message"), HexOf(coder.AztCoder->Data()))
          << "the same fields as the Windows invoice give the same message";
    }
    const TDosReadBack back = ReadDosCode(coder, run.commands);
    ASSERT_EQ(back.Error, "") << form.Name;
    EXPECT_EQ(back.Picture, coder.Picture) << "the printed modules are the code picture";
  });
}

#ifndef _WIN32
TEST(DosEndToEnd, ZxingReadsTheMessageFromEveryForm) {
  using namespace aztec_readers;
  ASSERT_TRUE(HaveZxing()) << "python3-zxing-cpp for /usr/bin/python3 is needed (scripts/setup installs it)";
  std::vector<std::vector<uint8_t>> images;
  std::vector<std::string> messages, names;
  ForEachCodedInvoice([&](const TDosForm& form, size_t i, TDosCoded& run) {
    const TRAWCoder& coder = *run.coder;
    const TDosReadBack back = ReadDosCode(coder, run.commands);
    images.push_back(SymbolImage(back.Picture, {coder.PictureWidth, coder.PictureHeight}, 0, coder.PictureWidth));
    messages.push_back(coder.AztCoder->Data());
    names.push_back(std::string(form.Name) + " " + std::to_string(i));
  });
  TTempDir dir;
  const std::vector<TDecoded> read = ZxingDecode(dir, images);
  ASSERT_EQ(read.size(), images.size());
  for (size_t i = 0; i < read.size(); ++i) {
    SCOPED_TRACE(names[i]);
    ASSERT_TRUE(read[i].Found) << "zxing-cpp finds no symbol";
    EXPECT_EQ(HexOf(read[i].Bytes), HexOf(messages[i])) << "exactly the message the coder made";
  }
}
#endif

}  // namespace
