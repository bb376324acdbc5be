// Recognition with the document type read from the real registry: the model's numbered values, a field
// node kept as a key and one kept as a value, Cyrillic texts through the system code page.
#include <windows.h>

#include <gtest/gtest.h>

#include "coding/cl_macrolib_recog_coder.h"
#include "foundation/cl_tools_store_win.h"
#include "foundation/lib_unicode_win.h"
#include "support/coder_fakes.h"
#include "support/win_fixtures.h"

namespace {

const std::u16string kTestRoot = u"Software\\ClientTests\\cl_macrolib_recog";
const std::u16string kCfg = kTestRoot + u"\\Config";
const std::u16string kAB = kCfg + u"\\AB";

class RecognizeRegistryTest : public testing::Test {
 protected:
  TTestKey testKey_{kTestRoot};
};

TEST_F(RecognizeRegistryTest, FormFromTheRegistry) {
  TRegistryStore store(HKEY_CURRENT_USER);
  store.WriteText(kAB, u"DocType", u"Счет");
  store.WriteText(kAB + u"\\Model", u"1", u"RRTITLE,счет");
  store.WriteText(kAB + u"\\Model", u"2", u"RRLINN,ИНН");
  store.WriteText(kAB + u"\\Fields\\1", u"Option", u"RINN,ИНН");
  store.WriteText(kAB + u"\\Fields\\1", u"Rule", u"=8RLINN");
  store.WriteText(kAB + u"\\Fields", u"2", u"RTTL,Заголовок,@RTITLE,,SF№");

  TMemoryLog log;
  auto coder = TCoder::Create(store, kCfg, nullptr, 0, log, TDocIdClass::CreateFromText("AB"));
  ASSERT_TRUE(coder->LoadParam());
  auto add = [&](std::u16string_view text, int32_t l, int32_t t, int32_t r, int32_t b) {
    coder->Texts->push_back(std::make_unique<TTextProTo>(0, std::u16string(text), TPoint{l, t}, TPoint{r, b}));
  };
  add(u"СЧЁТ № 5", 300, 20, 600, 50);
  add(u"ИНН", 50, 100, 120, 120);
  add(u"7701234567", 150, 100, 350, 120);
  ASSERT_TRUE(coder->Recognize());
  EXPECT_EQ(coder->Payload, u"INN:7701234567\tTTL:СЧЁТ ^5\t") << "Ё folds to E through the default table";
}

TEST_F(RecognizeRegistryTest, MissingTypeKey) {
  TRegistryStore store(HKEY_CURRENT_USER);
  TMemoryLog log;
  auto coder = TCoder::Create(store, kCfg, nullptr, 0, log, TDocIdClass::CreateFromText("ZZ"));
  EXPECT_FALSE(coder->Recognize());
}

}  // namespace
