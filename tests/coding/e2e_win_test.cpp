// The end-to-end documents with their configuration in the real registry and the system's code pages:
// the same message bytes and the same code picture as the native build reads back with zxing-cpp.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "coding/cl_macrolib_code.h"
#include "coding/cl_macrolib_payload_win.h"
#include "foundation/cl_tools_store_win.h"
#include "foundation/lib_unicode_win.h"
#include "support/coder_fakes.h"
#include "support/e2e_fixtures.h"
#include "support/win_fixtures.h"

namespace {

// The system's code pages; error boxes are kept, never shown.
class TRecordedCodeServices : public TCodeServices {
 public:
  const TCodePageSystem& CodePages() const override { return pages_; }
  void ShowError(std::u16string_view text) override { Boxes.emplace_back(text); }
  void SaveDebugData(std::string_view) override {}

  std::vector<std::u16string> Boxes;

 private:
  TWinCodePages pages_;
};

class EndToEndRegistry : public testing::Test {
 protected:
  std::u16string root_ = u"Software\\ClientTests\\e2e_" + FromWStr(std::to_wstring(GetCurrentProcessId()).c_str());
  std::u16string config_ = root_ + u"\\Config";
  TTestKey key_{root_};
};

TEST_F(EndToEndRegistry, SameMessageAndPictureAsNative) {
  ASSERT_EQ(GetACP(), 1251u) << "the tests run with a Russian system code page";
  TRegistryStore store(HKEY_CURRENT_USER);
  for (const TE2EDocument& doc : E2EDocuments()) WriteE2EConfig(store, config_, doc);
  for (const TE2EDocument& doc : E2EDocuments()) {
    SCOPED_TRACE(doc.Name);
    TMemoryLog log;
    TRecordedCodeServices services;
    auto coder = TCoder::Create(store, config_, nullptr, 0, log, TDocIdClass::CreateFromText(doc.DocId));
    coder->CodeServices = &services;
    ASSERT_EQ(RunE2E(*coder, doc), "");
    EXPECT_EQ(coder->Payload, doc.Payload);
    EXPECT_EQ(coder->Errors->Count(), 0);
    EXPECT_TRUE(services.Boxes.empty());
    EXPECT_EQ(coder->AztCoder->Data(), doc.Message) << "the message, header included";
    EXPECT_EQ(coder->PictureWidth, doc.PictureWidth);
    EXPECT_EQ(coder->PictureHeight, doc.PictureHeight);
    EXPECT_EQ(PictureHash(coder->Picture), doc.PictureHash) << "the modules the native build read back";
  }
}

}  // namespace
