// Tests of the copies-string conversions (mask, page list, presets) and the page and job status texts.
#include "foundation/cl_tools_pages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<int> Pages(const TPageSet& set) {
  std::vector<int> pages;
  for (std::size_t i = 0; i < set.size(); ++i) {
    if (set.test(i)) pages.push_back(static_cast<int>(i));
  }
  return pages;
}

}  // namespace

TEST(PageSets, ParsePageList) {
  struct Case {
    std::string list;
    std::vector<int> pages;
    const char* why;
  };
  const Case cases[] = {
      {"1-3;300, 7", {1, 3, 7}, "a hyphen separates; 300 is ignored"},
      {"1, 2", {1, 2}, "the list form"},
      {"255,256", {255}, "255 is the last page a set holds, 256 falls away"},
      {"007 0", {0, 7}, "leading zeros; page 0 is kept in the set"},
      {"2147483647", {}, "the largest number is too big for a page"},
      {"2147483648,5", {0, 5}, "a run too long to be a number counts as 0"},
      {"99999999999999999999999999", {0}, "however long it is"},
      {"a1b2\xC0" "3", {1, 2, 3}, "any other byte separates"},
      {"", {}, "empty"},
      {"-,; ", {}, "separators only"},
  };
  for (const auto& c : cases) EXPECT_EQ(Pages(ParsePageList(c.list)), c.pages) << c.why;
}

TEST(PageSets, PageListToMask) {
  struct Case {
    int32_t count;
    std::string list;
    bool trim;
    std::string mask;
    const char* why;
  };
  const Case cases[] = {
      {5, "1, 3", false, "CNCNN", "one letter per page of the count"},
      {5, "1, 3", true, "CNC", "trimmed after the last C"},
      {5, "70", true, "", "pages beyond 64 fall away"},
      {0, "64", true, std::string(63, 'N') + "C", "page 64 is the last letter"},
      {0, "65", true, "", "page 65 does not fit"},
      {64, "1", false, "C" + std::string(63, 'N'), "a count of 64 fits"},
      {65, "1", false, "C" + std::string(63, 'N'), "a larger count still gives 64 letters"},
      {0, "1", false, "", "count 0 gives an empty mask"},
      {-3, "1", false, "", "so does a negative count"},
      {3, "", false, "NNN", "no page listed"},
      {3, "0", true, "", "page 0 has no letter"},
  };
  for (const auto& c : cases) EXPECT_EQ(PageListToMask(c.count, c.list, c.trim), c.mask) << c.why;
}

TEST(PageSets, MaskToPageList) {
  struct Case {
    std::string mask;
    std::string list;
    const char* why;
  };
  const Case cases[] = {
      {"CNC", "1, 3", "positions of C from 1"},
      {"NNN", "", "no C"},
      {"", "", "empty"},
      {"cXC", "3", "any other letter is a page without code"},
      {std::string(63, 'N') + "C", "64", "the 64th letter counts"},
      {std::string(64, 'N') + "C", "", "a 65th letter does not"},
  };
  for (const auto& c : cases) EXPECT_EQ(MaskToPageList(c.mask), c.list) << c.why;
}

TEST(PageSets, PageSetToTextFollowsThePresetTable) {
  struct Case {
    std::string count;
    std::string custom;
    int32_t preset;
    std::string mask;
    const char* why;
  };
  const Case cases[] = {
      {"4", "", kPagePresetFirst, "CNNN", "the first page"},
      {"4", "", kPagePresetFirstTwo, "CCNN", "the first two pages"},
      {"4", "", kPagePresetLast, "NNNC", "the last page"},
      {"4", "", kPagePresetFirstAndLast, "CNNC", "the first and the last page"},
      {"4", "", kPagePresetAll, "CCCC", "every page"},
      {"4", "", kPagePresetNone, "NNNN", "none"},
      {"4", "2, 4", kPagePresetCustom, "NCNC", "the user's list"},
      {"4", "2, 4", kPagePresetFirst, "CNNN", "the custom list only counts for the custom preset"},
      {"4", "", 9, "NNNN", "an unknown preset codes nothing"},
      {"1", "", kPagePresetFirstTwo, "C", "the mask never outgrows the count"},
      {"x", "", kPagePresetAll, "", "a count that is no number is 0"},
      {"4 ", "", kPagePresetAll, "", "nor is one with a trailing blank"},
      {"2147483647", "", kPagePresetAll, std::string(64, 'C'), "a huge count gives 64 letters"},
      {"2147483648", "", kPagePresetAll, "", "a count past 32 bits is no number"},
      {"70", "", kPagePresetLast, std::string(64, 'N'), "a last page beyond 64 falls away"},
  };
  for (const auto& c : cases) EXPECT_EQ(PageSetToText(c.count, c.custom, c.preset), c.mask) << c.why;
}

TEST(PageSets, TextToPageSet) {
  struct Case {
    std::string mask;
    int32_t preset;
    std::string count;
    std::string custom;
    const char* why;
  };
  const Case cases[] = {
      {"C", kPagePresetFirst, "1", "", "one page: the first, not every page"},
      {"CN", kPagePresetFirst, "2", "", "the first page"},
      {"CC", kPagePresetFirstTwo, "2", "", "two pages: the first two, not every page"},
      {"NC", kPagePresetLast, "2", "", "the last page"},
      {"CNC", kPagePresetFirstAndLast, "3", "", "the first and the last"},
      {"CCC", kPagePresetAll, "3", "", "every page"},
      {"NN", kPagePresetNone, "2", "", "none"},
      {"NCN", kPagePresetCustom, "3", "2", "custom"},
      {"", kPagePresetAll, "0", "", "an empty mask is every page of none"},
      {"N", kPagePresetNone, "1", "", "one page without code"},
      {std::string(64, 'C'), kPagePresetAll, "64", "", "64 letters"},
      {std::string(64, 'C') + "N", kPagePresetAll, "64", "", "a stored mask is read up to 64 letters"},
  };
  for (const auto& c : cases) {
    std::string count = "unset";
    std::string custom = "unset";
    int32_t preset = 99;
    ASSERT_TRUE(TextToPageSet(c.mask, count, preset, custom)) << c.why;
    EXPECT_EQ(preset, c.preset) << c.why;
    EXPECT_EQ(count, c.count) << c.why;
    EXPECT_EQ(custom, c.custom) << c.why;
  }
}

TEST(PageSets, EveryMaskSurvivesTheDialogRoundTrip) {
  // A mask shown as a preset (or a custom list) and turned back must be the same mask.
  for (int length = 0; length <= 10; ++length) {
    for (int bits = 0; bits < (1 << length); ++bits) {
      std::string mask;
      for (int i = 0; i < length; ++i) mask += (bits >> i) & 1 ? 'C' : 'N';
      std::string count;
      std::string custom;
      int32_t preset = 0;
      ASSERT_TRUE(TextToPageSet(mask, count, preset, custom));
      ASSERT_EQ(PageSetToText(count, custom, preset), mask) << "preset " << preset;
      ASSERT_EQ(PageListToMask(length, MaskToPageList(mask), false), mask);
    }
  }
}

TEST(StatusTexts, PageAndJobTables) {
  struct Case {
    std::u16string (*text)(int32_t);
    int32_t code;
    std::u16string expected;
  };
  const Case cases[] = {
      {PageStatusText, 0, u"(0) - Текущая страница печатается без обработки"},
      {PageStatusText, 1, u"(1) - Отмена печати текущей страницы"},
      {PageStatusText, 2, u"(2) - Отмена печати всего задания"},
      {PageStatusText, 3, u"(3) - Обработка текущей страницы, формирование копий"},
      {PageStatusText, 4, u"(4) "},
      {PageStatusText, -1, u"(-1) "},
      {JobStatusText, 0, u"\"0\" - Программная ошибка"},
      {JobStatusText, 1, u"\"1\" - Текущее задание печатается без изменений"},
      {JobStatusText, 2, u"\"2\" - Обработка задания, формирование копий"},
      {JobStatusText, 3, u"\"3\" - Отмена печати задания"},
      {JobStatusText, 4, u"\"4\""},
      {JobStatusText, -7, u"\"-7\""},
  };
  for (const auto& c : cases) EXPECT_EQ(c.text(c.code), c.expected) << c.code;
}
