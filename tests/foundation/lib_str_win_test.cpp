// The portable core's conversions and case folding agree with the system's on a Russian Windows
// (ANSI 1251, OEM 866), and the system-backed conversions by character set behave.
#include "foundation/lib_str_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "foundation/lib_codepage.h"
#include "foundation/lib_str.h"
#include "foundation/lib_unicode_win.h"

namespace {
std::u16string SystemDecode(UINT cp, const std::string& bytes) {
  std::u16string out(bytes.size() * 2 + 2, u'\0');
  const int n = MultiByteToWideChar(cp, 0, bytes.data(), static_cast<int>(bytes.size()),
                                    reinterpret_cast<wchar_t*>(out.data()), static_cast<int>(out.size()));
  out.resize(n > 0 ? n : 0);
  return out;
}
}  // namespace

TEST(SystemCodePages, TestsRunWithRussianPages) {
  ASSERT_EQ(GetACP(), 1251u) << "tests must run with LANG=ru_RU.UTF-8";
  ASSERT_EQ(GetOEMCP(), 866u);
  EXPECT_EQ(GetDefaultCharset(), RUSSIAN_CHARSET);
}

TEST(SystemCodePages, PortableTablesMatchTheSystemForEveryByte) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  for (UINT cp : {1251u, 866u, 1252u}) {
    const std::u16string system = SystemDecode(cp, all);
    const std::u16string portable = DecodeCodePage(all, cp);
    ASSERT_EQ(system.size(), 256u) << cp;
    for (int b = 0; b < 256; ++b)
      EXPECT_EQ(static_cast<int>(portable[b]), static_cast<int>(system[b])) << "code page " << cp << " byte " << b;
  }
}

TEST(SystemCodePages, ConversionsByCharset) {
  const std::u16string text = u"Накладная №7";
  std::string bytes;
  EXPECT_EQ(WideToStrByCharset(text, RUSSIAN_CHARSET, bytes), static_cast<int>(text.size()));
  EXPECT_EQ(bytes, EncodeCodePage(text, 1251));
  EXPECT_EQ(StrToWideByCharset(bytes, RUSSIAN_CHARSET), text);

  WideToStrByCharset(u"Накладная", OEM_CHARSET, bytes);
  EXPECT_EQ(bytes, EncodeCodePage(u"Накладная", 866));
  EXPECT_EQ(StrToWideByCharset(bytes, OEM_CHARSET), u"Накладная");
  // DEFAULT_CHARSET has no code page: the ANSI one is used.
  EXPECT_EQ(StrToWideByCharset("\xC0", DEFAULT_CHARSET), u"А");
  // No best-fit look-alikes: what 1251 lacks is a question mark, as in the portable core.
  WideToStrByCharset(u"é", RUSSIAN_CHARSET, bytes);
  EXPECT_EQ(bytes, "?");
  EXPECT_EQ(bytes, EncodeCodePage(u"é", 1251));
}

TEST(SystemCaseFolding, PortableFoldingMatchesCharLower) {
  const std::pair<char16_t, char16_t> ranges[] = {
      {0x0020, 0x017F}, {0x0391, 0x03C9}, {0x0400, 0x04FF}};
  for (auto [first, last] : ranges) {
    for (uint32_t c = first; c <= last; ++c) {
      wchar_t sys[1] = {static_cast<wchar_t>(c)};
      CharLowerBuffW(sys, 1);
      EXPECT_EQ(static_cast<int>(LowerCharW(static_cast<char16_t>(c))), static_cast<int>(sys[0])) << std::hex << c;
      CharUpperBuffW(sys, 1);
      wchar_t up[1] = {static_cast<wchar_t>(c)};
      CharUpperBuffW(up, 1);
      EXPECT_EQ(static_cast<int>(UpperCharW(static_cast<char16_t>(c))), static_cast<int>(up[0])) << std::hex << c;
    }
  }
}

TEST(ProgramCommandLine, ArgumentsOfThisProcess) {
  const auto args = ProgramArguments();
  ASSERT_FALSE(args.empty());
  EXPECT_NE(args[0].find(u"test_foundation_lib_str_win_test"), std::u16string::npos);
}
