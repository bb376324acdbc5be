// Whole documents through the coder: configuration in the settings store, a page model, recognition,
// fields, payload and code; natively the code picture is read back with zxing-cpp.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "coding/lib_graph.h"
#include "foundation/lib_codepage.h"
#include "support/coder_fakes.h"
#include "support/datcoder_decoders.h"
#include "support/e2e_fixtures.h"
#include "support/golden.h"

#ifndef _WIN32
#include "coding/aztec_readers.h"
#endif

namespace {

const std::u16string kCfg = u"Software\\Kavrel\\Client\\Config";

// The body of the message taken apart as a reader would, by the header's format letter.
std::optional<std::string> ReadBody(const std::string& message, const TCoder& coder) {
  const size_t tab = message.find('\t');
  if (tab == std::string::npos) return std::nullopt;
  switch (coder.Format.FormatLetter) {
    case 'C':
      return AdditiveUnscramble(message.substr(tab + 1));
    case 'E':
      return ClassUnscramble(message.substr(tab + 1), coder.SubstTable);
    case 'M': {
      const std::string body = message.substr(tab + 1 + 4);  // after the CRC-32
      if (body.size() < 2) return std::nullopt;
      const size_t length = static_cast<uint8_t>(body[0]) | static_cast<uint8_t>(body[1]) << 8;
      return LzhDecompress(body.substr(2), length);
    }
    default:
      return std::nullopt;
  }
}

// One document coded from a store of its own.
struct TCodedDocument {
  explicit TCodedDocument(const TE2EDocument& doc) {
    if (!WriteE2EConfig(store, kCfg, doc)) {
      failedStage = "the demo configuration";
      return;
    }
    coder = TCoder::Create(store, kCfg, nullptr, 0, log, TDocIdClass::CreateFromText(doc.DocId));
    failedStage = RunE2E(*coder, doc);
  }

  TMemoryStore store;
  TMemoryLog log;
  std::unique_ptr<TCoder> coder;
  std::string failedStage;
};

TEST(EndToEnd, DocumentsFromTheSettingsStoreToTheCode) {
  for (const TE2EDocument& doc : E2EDocuments()) {
    SCOPED_TRACE(doc.Name);
    TCodedDocument run(doc);
    ASSERT_EQ(run.failedStage, "");
    const TCoder& coder = *run.coder;
    EXPECT_EQ(coder.Payload, doc.Payload);
    EXPECT_EQ(coder.Errors->Count(), 0);
    const std::string& message = coder.AztCoder->Data();
    EXPECT_TRUE(MatchesGolden("e2e", doc.DocId + " message", HexOf(message))) << "the message, header included";
    EXPECT_EQ(ReadBody(message, coder), doc.PlainBytes) << "the payload behind the transform";
    EXPECT_EQ(coder.PictureWidth, doc.PictureWidth);
    EXPECT_EQ(coder.PictureHeight, doc.PictureHeight);
    EXPECT_TRUE(MatchesGolden("e2e", doc.DocId + " picture hash", HexOf(PictureHash(coder.Picture))));
  }
}

#ifndef _WIN32
TEST(EndToEnd, ZxingReadsTheMessage) {
  using namespace aztec_readers;
  ASSERT_TRUE(HaveZxing()) << "python3-zxing-cpp for /usr/bin/python3 is needed (scripts/setup installs it)";
  std::vector<std::vector<uint8_t>> images;
  std::vector<std::string> messages;
  for (const TE2EDocument& doc : E2EDocuments()) {
    TCodedDocument run(doc);
    ASSERT_EQ(run.failedStage, "") << doc.Name;
    images.push_back(E2ECodeImage(*run.coder));
    messages.push_back(run.coder->AztCoder->Data());
  }
  TTempDir dir;
  const std::vector<TDecoded> read = ZxingDecode(dir, images);
  for (size_t i = 0; i < read.size(); ++i) {
    SCOPED_TRACE(E2EDocuments()[i].Name);
    ASSERT_TRUE(read[i].Found) << "zxing-cpp finds no symbol";
    EXPECT_EQ(HexOf(read[i].Bytes), HexOf(messages[i])) << "exactly the message the coder made";
  }
}
#endif

}  // namespace
