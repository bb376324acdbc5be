// Text patterns: folding of look-alike characters, pieces in order, ignored spaces, word delimiters
// and the reversed search for the last match.
#include "coding/cl_macrotools_pattern.h"

#include <gtest/gtest.h>

namespace {

// The folding the configuration gives by default: Cyrillic letters with a Latin look-alike become the
// Latin capital, other letters their Cyrillic capital; zero and the degree sign become the letter O.
const char16_t kSource[] = u"0°№qwertyuiopasdfghjklzxcvbnmйцукенгшщзхъфывапролджэячсмитьбюёЙЦУКЕНГШЩЗХЪФЫВАПРОЛДЖЭЯЧСМИТЬБЮЁ";
const char16_t kTarget[] = u"OONQWERTYUIOPASDFGHJKLZXCVBNMЙЦYKEHГШШЗXЪФЫBAПPOЛДЖЭЯЧCMИTЬБЮEЙЦYKEHГШШЗXЪФЫBAПPOЛДЖЭЯЧCMИTЬБЮE";
const std::string_view kDelims(".,:- \0", 6);

struct TDefaultRules {
  TCharMap map{kSource, kTarget};
  TPatternRules rules{map, kDelims};
};

const TDefaultRules& Defaults() {
  static const TDefaultRules defaults;
  return defaults;
}

}  // namespace

TEST(CharMap, FoldsLookAlikesAndLeavesTheRest) {
  const TCharMap identity;
  EXPECT_EQ(identity[u'a'], u'a');
  EXPECT_EQ(identity[u'\xFFFF'], u'\xFFFF');

  const TCharMap& map = Defaults().map;
  EXPECT_EQ(map[u'Р'], u'P') << "Cyrillic Er to Latin P";
  EXPECT_EQ(map[u'р'], u'P');
  EXPECT_EQ(map[u'щ'], u'Ш');
  EXPECT_EQ(map[u'ё'], u'E') << "to Latin E";
  EXPECT_EQ(map[u'0'], u'O');
  EXPECT_EQ(map[u'°'], u'O');
  EXPECT_EQ(map[u'№'], u'N');
  EXPECT_EQ(map[u'q'], u'Q');
  EXPECT_EQ(map[u'5'], u'5') << "not in the table";

  const TCharMap shortTarget(u"abc", u"XY");
  EXPECT_EQ(shortTarget[u'b'], u'Y');
  EXPECT_EQ(shortTarget[u'c'], u'c') << "past the end of the target: itself";
  const TCharMap twice(u"aa", u"XY");
  EXPECT_EQ(twice[u'a'], u'X') << "the first occurrence counts";
}

TEST(MatchPattern, PositionAndExtent) {
  using namespace std::string_view_literals;
  struct Case {
    std::u16string_view pattern, text;
    bool reverse;
    int32_t pos, length;
    const char* why;
  } cases[] = {
      {u"ИТОГО", u"Итого: 100", false, 1, 7, "folded match, then the delimiters ': ' after it"},
      {u"итого", u"ИТОГО", false, 1, 5, "lower-case Cyrillic matches capitals"},
      {u"TOP", u"ТОР", false, 1, 3, "Latin pattern, Cyrillic look-alike text"},
      {u"O", u"0", false, 1, 1, "zero folds to the letter O"},
      {u"A&C", u"A B C D", false, 1, 6, "two pieces in order"},
      {u"C&A", u"A B C D", false, 0, 7, "two pieces in the opposite order"},
      {u"B&D", u"A B C D", false, 3, 5, "the first piece gives the position"},
      {u"ИНН", u"И Н Н 123", false, 1, 6, "spaces of the text are skipped inside a match"},
      {u"A B C", u"ABC", false, 1, 3, "spaces of the pattern are removed"},
      {u"AB", u"A\0B"sv, false, 1, 3, "NUL of the text is skipped"},
      {u"AB", u"  AB", false, 3, 2, "leading spaces are not part of the match"},
      {u"", u"ABC", false, 0, 3, "an empty pattern"},
      {u"  ", u"ABC", false, 0, 3, "a blank pattern"},
      {u"&", u"ABC", false, 0, 3, "only a joiner"},
      {u"A&&B", u"AB", false, 0, 2, "an empty piece is never found"},
      {u"XYZ", u"ABC", false, 0, 3, "not found"},
      {u"A", u"", false, 0, 0, "an empty text"},
      {u"Итого", u"Итого: 100 руб. Итого: 200", true, 16, 8,
       "reversed: the last match, the delimiters after it and the space before it"},
      {u"AB", u"AB, CD", true, 1, 4, "reversed: ', ' after the match"},
      {u"A&B", u"A1 B2 A3 B4", true, 6, 5, "reversed pieces; the space before the match is taken in"},
      {u"A", u"", true, 0, 0, "reversed, empty text"},
  };
  for (const Case& c : cases) {
    int32_t length = -1;
    EXPECT_EQ(MatchPattern(Defaults().rules, c.pattern, c.text, length, c.reverse), c.pos) << c.why;
    EXPECT_EQ(length, c.length) << c.why;
  }
}

TEST(MatchPattern, WordDelimitersAreComparedAsCodePageBytes) {
  const TCharMap identity;
  int32_t length = 0;
  // "№" is byte B9 in code page 1251; its UTF-16 code 2116 must not be cut to the byte 16.
  const TPatternRules numero{identity, "\xB9 "};
  EXPECT_EQ(MatchPattern(numero, u"12", u"12№ 5", length, false), 1);
  EXPECT_EQ(length, 4);
  const TPatternRules lowByte{identity, "\x16"};
  EXPECT_EQ(MatchPattern(lowByte, u"12", u"12№ 5", length, false), 1);
  EXPECT_EQ(length, 2);
  // A character the code page lacks arrives as "?", which may itself be a delimiter.
  const TPatternRules question{identity, "?"};
  EXPECT_EQ(MatchPattern(question, u"1", u"1☺2", length, false), 1);
  EXPECT_EQ(length, 2);
}
