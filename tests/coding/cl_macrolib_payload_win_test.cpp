// The payload conversion through the system (a Russian system: ANSI 1251, OEM 866) agrees with the
// core's tables, never substitutes look-alikes and falls back to UTF-8 where the code page lacks a letter.
#include <gtest/gtest.h>

#include <windows.h>

#include "coding/cl_macrolib_payload_win.h"
#include "foundation/lib_codepage.h"

namespace {
const TWinCodePages kSystem;
const TPortableCodePages kCore(1251, 866);
}  // namespace

TEST(WinCodePages, RussianSystem) {
  ASSERT_EQ(kSystem.AnsiCodePage(), 1251u) << "the tests run with LANG=ru_RU.UTF-8";
  EXPECT_EQ(kSystem.OemCodePage(), 866u);
  for (uint8_t charset : {0, 204, 238, 128}) {
    const auto found = kSystem.LookupCharset(charset);
    ASSERT_TRUE(found.has_value()) << int(charset);
    EXPECT_EQ(found->CodePage, kCore.LookupCharset(charset)->CodePage) << int(charset);
    EXPECT_EQ(found->Charset, charset);
  }
  EXPECT_FALSE(kSystem.LookupCharset(1).has_value()) << "DEFAULT_CHARSET has no code page of its own";
}

TEST(WinCodePages, NoBestFitAndTheSameBytesAsTheCore) {
  // Every character of the first 1024 codes: the system and the core agree on bytes and on loss.
  for (uint32_t cp : {1251u, 866u}) {
    for (char16_t c = 1; c < 0x400; ++c) {
      const std::u16string text(1, c);
      bool lossySystem = false, lossyCore = false;
      const auto system = kSystem.Encode(text, cp, lossySystem);
      const auto core = kCore.Encode(text, cp, lossyCore);
      ASSERT_TRUE(system && core);
      EXPECT_EQ(lossySystem, lossyCore) << cp << " U+" << std::hex << int(c);
      if (!lossyCore) {
        EXPECT_EQ(*system, *core) << cp << " U+" << std::hex << int(c);
      }
    }
  }
  bool lossy = false;
  EXPECT_EQ(kSystem.Encode(u"é", 1251, lossy), "?") << "no look-alike e";
  EXPECT_TRUE(lossy);
  EXPECT_EQ(kSystem.Decode("\xD1\xF7\xB8\xF2", 1251), u"Счёт");
  EXPECT_TRUE(kSystem.IsLeadByte(932, 0x82));
  EXPECT_FALSE(kSystem.IsLeadByte(1251, 0x82));
}

TEST(WinCodePages, ConvertPayloadAsOnTheCore) {
  struct {
    std::u16string payload;
    uint8_t charset;
  } cases[] = {{u"Счёт No 5", 204}, {u"Счёт 中", 204}, {u"café", 204}, {u"Счёт", 255},
               {u"Счёт", 1},        {u"café", 0},     {u"INN:77", 0},  {u"Zürich", 238}};
  for (const auto& c : cases) {
    uint8_t sys = c.charset, core = c.charset;
    const TPayloadBytes a = ConvertPayload(c.payload, sys, kSystem);
    const TPayloadBytes b = ConvertPayload(c.payload, core, kCore);
    if (c.charset == 238) {
      // 1250 is beyond the core's tables: the system converts it as a foreign code page.
      EXPECT_EQ(a.Bytes, "Z\xFCrich");
      EXPECT_TRUE(a.ForeignCodePage);
      EXPECT_EQ(sys, 238);
      continue;
    }
    EXPECT_EQ(a.Bytes, b.Bytes) << int(c.charset);
    EXPECT_EQ(a.Utf8, b.Utf8) << int(c.charset);
    EXPECT_EQ(a.ForeignCodePage, b.ForeignCodePage) << int(c.charset);
    EXPECT_EQ(sys, core) << int(c.charset);
  }
}
