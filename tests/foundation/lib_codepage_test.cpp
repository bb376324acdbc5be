// Code-page conversion of the portable core.
#include "foundation/lib_codepage.h"

#include <gtest/gtest.h>

TEST(CodePage, RussianTextRoundTripsInBothDosAndWindowsPages) {
  const std::u16string text = u"Счёт-фактура №15 от 01.02.2026, ИТОГО: 1 234,56 руб.";
  for (uint32_t cp : {kCodePage1251, kCodePage866}) {
    bool lossy = true;
    const std::string bytes = EncodeCodePage(text, cp, &lossy);
    EXPECT_FALSE(lossy) << cp;
    EXPECT_EQ(bytes.size(), text.size()) << cp;
    EXPECT_EQ(DecodeCodePage(bytes, cp), text) << cp;
  }
  EXPECT_EQ(EncodeCodePage(u"Яя", kCodePage1251), "\xDF\xFF");
  EXPECT_EQ(EncodeCodePage(u"Яя", kCodePage866), "\x9F\xEF");
}

TEST(CodePage, EveryByteDecodesAndEncodesBack) {
  for (uint32_t cp : {kCodePage1251, kCodePage866, kCodePage1252}) {
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    EXPECT_EQ(EncodeCodePage(DecodeCodePage(all, cp), cp), all) << cp;
  }
}

TEST(CodePage, MissingCharactersBecomeOneQuestionMarkEach) {
  bool lossy = false;
  // No look-alikes: e-acute is not "e", and a character outside the BMP is one mark, not two.
  EXPECT_EQ(EncodeCodePage(u"é漢\U0001F600x", kCodePage1251, &lossy), "???x");
  EXPECT_TRUE(lossy);
}

TEST(CodePage, Utf8) {
  const std::u16string text = u"Ёж \U0001F600 z";
  EXPECT_EQ(Utf8ToWide(WideToUtf8(text)), text);
  EXPECT_EQ(WideToUtf8(u"Ё"), "\xD0\x81");
  // Broken sequences become U+FFFD, never a read past the end.
  EXPECT_EQ(Utf8ToWide("\xD0"), u"\uFFFD");
  EXPECT_EQ(Utf8ToWide("\xE2\x82"), u"\uFFFD\uFFFD");
  EXPECT_EQ(Utf8ToWide("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
  EXPECT_EQ(Utf8ToWide("\xC0\xAF"), u"\uFFFD\uFFFD");            // overlong
}

TEST(CodePage, CharsetRule) {
  EXPECT_EQ(CodePageOfCharset(204, 1252, 437), 1251u);
  EXPECT_EQ(CodePageOfCharset(255, 1251, 866), 866u);
  EXPECT_EQ(CodePageOfCharset(1, 1251, 866), 1251u);  // DEFAULT_CHARSET has no page of its own
  EXPECT_EQ(CharsetOfCodePage(1251), 204u);
  EXPECT_EQ(CharsetOfCodePage(65001), 204u);
}
