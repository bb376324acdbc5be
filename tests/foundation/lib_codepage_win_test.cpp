// The core's CP866-to-ANSI table against the system's OemToCharBuffA, on the Russian code pages.
#include <windows.h>

#include <gtest/gtest.h>

#include "foundation/lib_codepage.h"

TEST(OemToAnsiTable, MatchesOemToCharBuffAForEveryByte) {
  ASSERT_EQ(GetOEMCP(), 866u) << "tests must run with LANG=ru_RU.UTF-8";
  ASSERT_EQ(GetACP(), 1251u);
  char oem[256], ansi[256];
  for (int b = 0; b < 256; ++b) oem[b] = static_cast<char>(b);
  ASSERT_TRUE(OemToCharBuffA(oem, ansi, 256));
  for (int b = 0; b < 256; ++b)
    EXPECT_EQ(Oem866ToAnsi1251(static_cast<uint8_t>(b)), static_cast<uint8_t>(ansi[b])) << "byte " << b;
}
