// Form helpers without a window: what a count field keeps.
#include "ui/frmlib.h"

#include <gtest/gtest.h>

TEST(FormHelpers, DigitsOnly) {
  struct Case {
    std::u16string text;
    std::u16string digits;
    const char* why;
  } cases[] = {
      {u"12", u"12", "digits stay"},
      {u"1a2b3", u"123", "letters between digits go"},
      {u" 4 ", u"4", "blanks go"},
      {u"٣5", u"5", "only the ASCII digits count"},
      {u"-7", u"7", "no sign"},
      {u"абв", u"", "nothing left"},
      {u"", u"", "empty"},
  };
  for (const Case& c : cases) EXPECT_EQ(DigitsOnly(c.text), c.digits) << c.why;
}
