// The end-to-end documents with their configuration in the real registry and the system's code pages:
// the same message bytes and the same code picture as the native build. Each picture is written to
// e2e_win/<DocId>.bmp in the build directory, where the native step coding/e2e_win_zxing reads it
// with zxing-cpp.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "foundation/lib_unicode_win.h"
#include "support/e2e_win_fixtures.h"
#include "support/code_image.h"
#include "support/golden.h"
#include "support/win_fixtures.h"

namespace {

class EndToEndRegistry : public testing::Test {
 protected:
  std::u16string root_ = u"Software\\ClientTests\\e2e_" + FromWStr(std::to_wstring(GetCurrentProcessId()).c_str());
  std::u16string config_ = root_ + u"\\Config";
  TTestKey key_{root_};
};

TEST_F(EndToEndRegistry, SameMessageAndPictureAsNative) {
  ASSERT_EQ(GetACP(), 1251u) << "the tests run with a Russian system code page";
  TRegistryStore store(HKEY_CURRENT_USER);
  for (const TE2EDocument& doc : E2EDocuments()) ASSERT_TRUE(WriteE2EConfig(store, config_, doc)) << E2EConfigPath();
  const std::filesystem::path pictures = "e2e_win";
  std::error_code ec;
  std::filesystem::remove_all(pictures, ec);
  std::filesystem::create_directories(pictures, ec);
  for (const TE2EDocument& doc : E2EDocuments()) {
    SCOPED_TRACE(doc.Name);
    TE2ERegistryRun run(HKEY_CURRENT_USER, config_, doc);
    ASSERT_EQ(run.FailedStage, "");
    const TCoder& coder = *run.Coder;
    EXPECT_EQ(coder.Payload, doc.Payload);
    EXPECT_EQ(coder.Errors->Count(), 0);
    EXPECT_TRUE(run.Services.Boxes.empty());
    EXPECT_TRUE(MatchesGolden("e2e", doc.DocId + " message", HexOf(coder.AztCoder->Data())))
        << "the message, header included";
    EXPECT_EQ(coder.PictureWidth, doc.PictureWidth);
    EXPECT_EQ(coder.PictureHeight, doc.PictureHeight);
    EXPECT_TRUE(MatchesGolden("e2e", doc.DocId + " picture hash", HexOf(PictureHash(coder.Picture))))
        << "the modules the native build read back";
    EXPECT_TRUE(WriteFileBytes((pictures / (doc.DocId + ".bmp")).string(), E2ECodeImage(coder)));
  }
}

}  // namespace
