// A coder recognising its page: model and field tree read from the settings store, parameters set by
// the model kept as the coder's own, the log written through the coder's log file.
#include "coding/cl_macrolib_recog_coder.h"

#include <gtest/gtest.h>

#include "support/coder_fakes.h"

namespace {

const std::u16string kCfg = u"Cfg";
const std::u16string kAB = u"Cfg\\AB";

void AddText(TCoder& coder, std::u16string_view text, int32_t l, int32_t t, int32_t r, int32_t b) {
  coder.Texts->push_back(std::make_unique<TTextProTo>(0, std::u16string(text), TPoint{l, t}, TPoint{r, b}));
}

// A form type: the title is required, INN is taken right of its label; node 1 is a key, node 2 a value.
void ConfigureForm(TMemoryStore& store) {
  store.SetText(kAB, u"DocType", u"Счет");
  store.SetText(kAB + u"\\Model", u"1", u"RRTITLE,СЧЕТ");
  store.SetText(kAB + u"\\Model", u"2", u"RRLINN,ИНН");
  store.SetText(kAB + u"\\Model", u"3", u"SPSEEN");
  store.SetInteger(kAB + u"\\Model", u"TimeOut", 0);
  store.SetText(kAB + u"\\Fields\\1", u"Option", u"RINN,ИНН");
  store.SetText(kAB + u"\\Fields\\1", u"Rule", u"=8RLINN");
  store.SetInteger(kAB + u"\\Fields\\1", u"Required", 1);
  store.SetText(kAB + u"\\Fields", u"2", u"PSEEN,Отметка,,,PSEEN");
}

TEST(CoderRecognizeTest, FormFromTheStore) {
  TMemoryStore store;
  ConfigureForm(store);
  TMemoryLog log;
  auto coder = TCoder::Create(store, kCfg, nullptr, 0, log, TDocIdClass::CreateFromText("AB"));
  ASSERT_TRUE(coder->LoadParam());
  AddText(*coder, u"СЧЕТ № 5", 300, 20, 600, 50);
  AddText(*coder, u"ИНН", 50, 100, 120, 120);
  AddText(*coder, u"7701234567", 150, 100, 350, 120);
  AddText(*coder, u"конец", 900, 980, 999, 999);
  ASSERT_TRUE(coder->Recognize());
  EXPECT_EQ(coder->Payload, u"INN:7701234567\tSEEN:1\t");
  EXPECT_EQ(coder->State, 0);
  EXPECT_EQ(coder->PageExtent, (TRect{0, 0, 999, 999}));
  EXPECT_NE(dynamic_cast<TNamedParam*>(coder->NamedParams->Objects(coder->NamedParams->IndexOf(u"PSEEN"))), nullptr)
      << "a parameter the model sets is the coder's own kind";
  auto logged = [&](std::u16string_view line) {
    return std::find(log.Lines.begin(), log.Lines.end(), line) != log.Lines.end();
  };
  EXPECT_TRUE(logged(u"  Чтение модели"));
  EXPECT_TRUE(logged(u"    3, [PSEEN] - Установка параметра"));
  EXPECT_TRUE(logged(u"OK!"));
}

TEST(CoderRecognizeTest, OtherPageOrMissingModel) {
  TMemoryStore store;
  ConfigureForm(store);
  TMemoryLog log;
  auto coder = TCoder::Create(store, kCfg, nullptr, 0, log, TDocIdClass::CreateFromText("AB"));
  coder->LoadParam();
  AddText(*coder, u"НАКЛАДНАЯ", 300, 20, 600, 50);
  EXPECT_FALSE(coder->Recognize());
  EXPECT_TRUE(coder->Payload.empty());

  auto other = TCoder::Create(store, kCfg, nullptr, 0, log, TDocIdClass::CreateFromText("CD"));
  AddText(*other, u"СЧЕТ", 300, 20, 600, 50);
  EXPECT_FALSE(other->Recognize()) << "a type without a Model key";
}

}  // namespace

namespace {

TEST(CoderRecognizeTest, ValuesGoThroughTheCodersCharacterCheck) {
  TMemoryStore store;
  ConfigureForm(store);
  TMemoryLog log;
  auto coder = TCoder::Create(store, kCfg, nullptr, 0, log, TDocIdClass::CreateFromText("AB"));
  coder->LoadParam();
  AddText(*coder, u"СЧЕТ", 300, 20, 600, 50);
  AddText(*coder, u"ИНН", 50, 100, 120, 120);
  AddText(*coder, u"7701#", 150, 100, 350, 120);
  ASSERT_TRUE(coder->Recognize());
  EXPECT_EQ(coder->Payload, u"INN:7701#\tSEEN:1\t") << "the value still enters the payload";
  ASSERT_EQ(coder->Errors->Count(), 1);
  EXPECT_NE(coder->Errors->Get(0).find(u"Недопустимые символы в поле \"ИНН\""), std::u16string::npos);
}

}  // namespace
