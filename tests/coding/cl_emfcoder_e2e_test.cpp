// Each end-to-end document drawn as a Windows page and coded from its bytes: the page parsed for every
// configured type in order, the right type recognised, and the same message and picture as the document's
// page model gives.
#include <gtest/gtest.h>

#include "coding/cl_emfcoder_decode.h"
#include "foundation/cl_tools_config.h"
#include "foundation/lib_codepage.h"
#include "support/coder_fakes.h"
#include "support/e2e_emf.h"
#include "support/golden.h"

TEST(WindowsPageEndToEnd, EachDocumentIsRecognisedFromItsMetafile) {
  TMemoryStore store;
  std::u16string order;
  for (const TE2EDocument& doc : E2EDocuments()) {
    ASSERT_TRUE(WriteE2EConfig(store, kConfigKey, doc)) << E2EConfigPath();
    order = std::u16string(doc.DocId.begin(), doc.DocId.end()) + (order.empty() ? u"" : u"," + order);
  }
  store.Set(kConfigKey, u"DocOrder", order);
  for (const TE2EDocument& doc : E2EDocuments()) {
    SCOPED_TRACE(doc.Name);
    const std::vector<uint8_t> page = E2EPageBytes(doc);
    TMemoryLog log;
    TRecordingServices services;
    TBytesDecodeSteps steps(store, page, log, &services);
    auto coder = ProcessDecode(store, log, 0, 0, steps);
    if (!coder) {
      for (const auto& line : log.host.Lines) ADD_FAILURE() << WideToUtf8(line);
      continue;
    }
    EXPECT_EQ(coder->DocId.GetText(), doc.DocId);
    EXPECT_EQ(WideToUtf8(coder->Payload), WideToUtf8(doc.Payload));
    const TFixedSeeds seeds;
    ASSERT_TRUE(coder->MakeCode(static_cast<uint8_t>(coder->DefaultCharset)));
    EXPECT_TRUE(MatchesGolden("e2e", doc.DocId + " picture hash", HexOf(PictureHash(coder->Picture))));
    EXPECT_TRUE(services.Boxes.empty());
  }
}
