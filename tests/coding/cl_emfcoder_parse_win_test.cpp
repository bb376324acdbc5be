// A Windows page recorded by Wine's GDI on the destination printer's DC, handed in as a metafile handle:
// parsed on the screen's DC with the system's fonts and glyphs, and recognised through the types kept in
// HKEY_LOCAL_MACHINE, with the document's own message.
#include "coding/cl_emfcoder_parse_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "foundation/lib_codepage.h"
#include "foundation/lib_unicode_win.h"
#include "support/coder_fakes.h"
#include "support/e2e_machine_win.h"

namespace {
const TE2EDocument& Invoice() { return E2EDocumentOf("SCHT"); }
}  // namespace

TEST(ParsePageWin, ARecordedPageIsRecognisedThroughTheRegistry) {
  TE2EMachineTypes types;
  ASSERT_TRUE(types.Ok()) << E2EConfigPath();
  const TEnhMetaFile page = RecordE2EDocument(Invoice());
  ASSERT_TRUE(page) << "the destination printer of scripts/setup";
  TMemoryLog log;
  auto coder = ProcessDecode(0, nullptr, page.Get(), nullptr, log, 0, nullptr);
  if (!coder) {
    for (const auto& line : log.host.Lines) ADD_FAILURE() << WideToUtf8(line);
    FAIL() << "no type recognised the page";
  }
  EXPECT_EQ(coder->DocId.GetText(), "SCHT");
  EXPECT_EQ(WideToUtf8(coder->Payload), WideToUtf8(Invoice().Payload));
  EXPECT_GT(coder->Header.szlDeviceCx, 0);
}

TEST(ParsePageWin, ADamagedHandleDoesNotParse) {
  TMemoryStore store;
  TMemoryLog log;
  auto coder = TCoder::Create<TEMFCoder>(store, nullptr, nullptr, 0, log, TDocIdClass::CreateFromText("AB"));
  EXPECT_FALSE(ParsePage(*coder, nullptr, nullptr));
  bool reported = false;
  for (const auto& line : log.host.Lines) reported = reported || line.find(u"GetEnhMetaFileHeader") != std::u16string::npos;
  EXPECT_TRUE(reported);
}
