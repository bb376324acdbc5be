// Conditions: relations between rectangles, and every kind of term evaluated on a page built by hand.
#include "coding/cl_macrotools_cond.h"

#include <gtest/gtest.h>

#include "foundation/lib_str.h"

TEST(Spans, BeforeStrictAndOverlap) {
  EXPECT_TRUE(SpanBefore(0, 20, 10, 30)) << "20 <= 20 and 10 >= 10";
  EXPECT_FALSE(SpanStrictlyBefore(0, 20, 10, 30)) << "the same spans are not strictly before";
  EXPECT_TRUE(SpanStrictlyBefore(0, 20, 11, 31));
  EXPECT_FALSE(SpanBefore(0, 21, 10, 30));
  EXPECT_TRUE(SpanOverlap(0, 10, 4, 100));
  EXPECT_FALSE(SpanOverlap(0, 10, 11, 13));
}

namespace {

struct TRelationCase {
  const char16_t* relation;  // c, then q when there is one
  TRect candidate, reference;
  bool holds;
  const char* why;
};

void CheckRelations(std::initializer_list<TRelationCase> cases) {
  for (const TRelationCase& c : cases) {
    const std::u16string_view r = c.relation;
    EXPECT_EQ(RectRelation(r[0], r.size() > 1 ? r[1] : u'\0', c.candidate, c.reference, TSmallPoint{}), c.holds)
        << c.why;
  }
}

}  // namespace

TEST(Relations, SidedRelations) {
  const TRect o{100, 100, 200, 120};
  CheckRelations({
      {u"=1", {100, 130, 200, 150}, o, true, "below, aligned"},
      {u"#1", {100, 130, 200, 150}, o, false, "below, but aligned"},
      {u"=1", {300, 130, 400, 150}, o, false, "below, not aligned"},
      {u"#1", {300, 130, 400, 150}, o, true, "below, not aligned"},
      {u"=4", {100, 130, 200, 150}, o, false, "below is not above"},
      {u"=2", {100, 130, 200, 150}, o, false, "below is not left"},
      {u"=8", {100, 130, 200, 150}, o, false, "below is not right"},
      {u"=1", {100, 110, 200, 130}, o, true, "touching: bottom 120 <= middle 120, top 110 >= middle 110"},
      {u"+1", {100, 110, 200, 130}, o, false, "not clearly below"},
      {u"+1", {100, 111, 200, 131}, o, true, "one further and clearly below"},
      {u")1", {100, 120, 200, 140}, o, false, "top on O's bottom"},
      {u")1", {100, 121, 200, 140}, o, true, "entirely below"},
      {u"=2", {0, 100, 50, 120}, o, true, "left of, aligned"},
      {u")2", {0, 100, 99, 120}, o, true, "entirely left"},
      {u")2", {0, 100, 100, 120}, o, false, "right edge on O's left"},
      {u"=4", {100, 0, 200, 20}, o, true, "above, aligned"},
      {u")4", {100, 0, 200, 99}, o, true, "entirely above"},
      {u"+4", {100, 0, 200, 20}, o, true, "clearly above"},
      {u"=8", {300, 100, 400, 120}, o, true, "right of, aligned"},
      {u")8", {201, 100, 400, 120}, o, true, "entirely right"},
      {u"+2", {0, 100, 50, 120}, o, true, "clearly left"},
      {u"+8", {300, 100, 400, 120}, o, true, "clearly right"},
      {u"=3", {100, 130, 200, 150}, o, false, "3 names no side"},
      {u"=", {100, 130, 200, 150}, o, false, "no qualifier"},
  });
}

TEST(Relations, EdgesInsideAndOutside) {
  const TRect o{0, 0, 100, 100};
  const TRect inside{10, 10, 90, 90}, outside{-10, -10, 110, 110};
  CheckRelations({
      {u"-1", inside, o, true, "top inside"},     {u"-2", inside, o, true, "right inside"},
      {u"-4", inside, o, true, "bottom inside"},  {u"-8", inside, o, true, "left inside"},
      {u"~1", inside, o, false, "bottom inside"}, {u"~2", inside, o, false, "left inside"},
      {u"~4", inside, o, false, "top inside"},    {u"~8", inside, o, false, "right inside"},
      {u"~1", outside, o, true, "bottom outside"}, {u"~2", outside, o, true, "left outside"},
      {u"~4", outside, o, true, "top outside"},    {u"~8", outside, o, true, "right outside"},
      {u"-1", o, o, true, "equal edges count as inside"}, {u"~1", o, o, true, "and as outside"},
  });
}

TEST(Relations, UnqualifiedRelations) {
  const TRect o{100, 0, 200, 20};
  CheckRelations({
      {u"?", {0, 0, 1, 1}, o, true, "exists"},
      {u"@", {90, 0, 110, 20}, {0, 0, 100, 100}, true, "centre on the reference's edge"},
      {u"@", {92, 0, 110, 20}, {0, 0, 100, 100}, false, "centre one past the edge"},
      {u">", {150, 0, 300, 20}, o, true, "on O's row, not left of it"},
      {u">", {50, 0, 300, 20}, o, false, "starts left of O"},
      {u">", {150, 40, 300, 60}, o, false, "another row"},
      {u"<", {0, 0, 150, 20}, o, true, "ends by O's right"},
      {u"<", {0, 0, 250, 20}, o, false, "ends past O's right"},
      {u"[", {250, 0, 300, 20}, o, true, "after O on its row"},
      {u"[", {0, 40, 50, 60}, o, true, "on a later row"},
      {u"[", {0, 0, 50, 20}, o, false, "before O on its row"},
      {u"]", {0, 0, 50, 20}, o, true, "before O on its row"},
      {u"]", {300, -40, 400, -20}, o, true, "on an earlier row"},
      {u"]", {250, 0, 300, 20}, o, false, "after O"},
      {u"x", {0, 0, 50, 20}, o, false, "unknown relation"},
  });
}

TEST(Relations, ALineAgainstAnAreaUsesTheAreaCentre) {
  // A text straddling a horizontal line at y 120: its centre (y 130) lies below the line.
  const TRect line{0, 120, 1000, 120};
  CheckRelations({
      {u"=1", {100, 110, 200, 150}, line, true, "the text shrinks to its centre"},
      {u"=1", {100, 110, 200, 150}, {0, 115, 1000, 125}, false, "a thin area is no line: no shrinking"},
      {u"=4", line, {100, 130, 200, 150}, true, "the line is above the text's centre"},
  });
}

TEST(Relations, Junctions) {
  const TRect v{250, 400, 250, 700}, h{50, 480, 950, 480};
  CheckRelations({
      {u".F", v, h, true, "vertical candidate crossing a horizontal line"},
      {u".f", v, h, true, "lower-case digit"},
      {u".F", h, v, true, "the vertical one takes the first role either way"},
      {u".7", v, h, false, "a cross is not a T"},
      {u".G", v, h, false, "not a hexadecimal digit"},
      {u".6", {250, 480, 250, 700}, {250, 480, 950, 480}, true, "corner down and right"},
  });
}

TEST(NormalizeRect, PerMilleRoundedHalfToEven) {
  const TRect extent{0, 0, 15, 15};  // 16 units: one unit is 62.5 per mille
  EXPECT_EQ(NormalizeRect(TRect{1, 3, 16, -1}, extent), (TRect{62, 188, 1000, -62}));
  EXPECT_EQ(NormalizeRect(TRect{5, 7, 8, 0}, extent), (TRect{312, 438, 500, 0}));
  EXPECT_EQ(NormalizeRect(TRect{1, 1, 1, 1}, TRect{0, 0, -1, -1}), TRect{}) << "an empty extent gives 0";
  EXPECT_EQ(NormalizeRect(TRect{INT32_MAX, 1, 0, 0}, TRect{0, 0, 0, 0}), (TRect{0, 1000, 0, 0}))
      << "a value past 32 bits gives 0";
}

namespace {

// A small page: two rows of texts under a horizontal line crossed by a vertical one, and a signature.
class ConditionPage : public ::testing::Test {
 protected:
  ConditionPage()
      : folding(u"абвгдеёжзийклмнопрстуфхцчшщъыьэюя", u"АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"),
        scope{.FindRectObject = [this](std::u16string_view name) { return Find(name); },
              .Texts = &texts,
              .SortTolerance = {},
              .PageExtent = {0, 0, 999, 999},
              .Pattern = {folding, std::string_view(".,:- \0", 6)}} {
    Text(u"R1", u"Итого", {100, 500, 200, 520});
    Text(u"R2", u"Сумма", {300, 500, 400, 520});
    Text(u"", u"100", {300, 540, 400, 560});
    Text(u"", u"Подпись", {100, 900, 200, 920});
    Line(u"H1", {50, 480, 950, 480});
    Line(u"V1", {250, 400, 250, 700});
  }

  void Text(std::u16string name, std::u16string text, TRect r) {
    texts.push_back(std::make_unique<TTextProTo>(0, std::move(text), TPoint{r.Left, r.Top}, TPoint{r.Right, r.Bottom}));
    if (!name.empty()) found.emplace_back(std::move(name), texts.back().get());
  }
  void Line(std::u16string name, TRect r) {
    lines.push_back(std::make_unique<TLineProTo>(0, r));
    found.emplace_back(std::move(name), lines.back().get());
  }
  const TRectProTo* Find(std::u16string_view name) const {
    for (const auto& [n, object] : found)
      if (UpperCaseW(n) == UpperCaseW(name)) return object;
    return nullptr;
  }

  struct TCase {
    std::u16string conditions;
    bool holds;
    const char* why;
  };
  void Check(const TRect& candidate, std::initializer_list<TCase> cases) {
    for (const TCase& c : cases)
      EXPECT_EQ(EvalConditions(scope, c.conditions, candidate), c.holds) << c.why;
  }

  TCharMap folding;
  TObjectList texts, lines;
  std::vector<std::pair<std::u16string, const TRectProTo*>> found;
  TConditionScope scope;
  const TRect amount{300, 540, 400, 560};  // the text "100"
};

}  // namespace

TEST_F(ConditionPage, FoundObjectsAndNames) {
  Check(amount, {
                    {u"", true, "no conditions"},
                    {u"   ", true, "blank conditions"},
                    {u"?R1", true, "found"},
                    {u"?r1", true, "names ignore case"},
                    {u"?R9", false, "not found"},
                    {u"%R9", true, "not found, as wanted"},
                    {u"%R1", false, "found, but should not be"},
                    {u"=1R2", true, "below R2, aligned"},
                    {u"=1R1", false, "below R1 but not aligned"},
                    {u"#1R1", true, "below R1, not aligned"},
                    {u"=1R9", false, "a relation with an unknown name"},
                    {u">R1", false, "not on R1's row"},
                    {u"[R1", true, "after R1 in reading order"},
                    {u"]R1", false, "not before R1"},
                    {u"@R2", false, "centre outside R2"},
                    {u"!R2", true, "centre outside R2, as wanted"},
                    {u"!R9", true, "an unknown name is not around the candidate"},
                    {u"x1R1", false, "unknown relation"},
                    {u"=3R1", false, "unknown qualifier"},
                });
}

TEST_F(ConditionPage, GroupsAlternativesAndTerms) {
  Check(amount, {
                    {u"?R1,?R2", true, "both groups hold"},
                    {u"?R1,?R9", false, "the second group fails"},
                    {u"?R9|?R1", true, "the second alternative holds"},
                    {u"?R9||?R1", false, "an empty alternative after a failed one ends the group"},
                    {u"?R1||?R9", true, "the first alternative held before the empty one"},
                    {u"|?R1", false, "an empty first alternative"},
                    {u"?R1|", true, "a trailing bar"},
                    {u"?R1,", true, "a trailing comma"},
                    {u"?R1,,?R2", false, "an empty group holds no alternative"},
                    {u"?R1^?R2", true, "all terms hold"},
                    {u"?R1^?R9", false, "one term fails"},
                    {u"?R1^^?R2", false, "an empty term does not hold"},
                    {u" ?R1 ^ =1R2 | ?R9 , %R9 ", true, "pieces are trimmed"},
                });
}

TEST_F(ConditionPage, RetryLine) {
  EXPECT_TRUE(EvalConditions(scope, u"*7", amount));
  EXPECT_EQ(scope.JumpLine, 7);
  EXPECT_TRUE(EvalConditions(scope, u"*x", amount));
  EXPECT_EQ(scope.JumpLine, 0) << "not a number";
  EXPECT_TRUE(EvalConditions(scope, u"?R9|*5", amount));
  EXPECT_EQ(scope.JumpLine, 5) << "set by the alternative that was tried";
}

TEST_F(ConditionPage, EntirelyBeyondWithAnException) {
  Check(amount, {
                    {u")1R2/R1", true, "the candidate is below R2"},
                    {u")1R9/R1", true, "A unknown"},
                    {u")4R2/R1", true, "the candidate is not above R2, neither is R1"},
                    {u")4R2/H1", false, "not above R2, while the line H1 is"},
                    {u")4R2/R9", true, "B unknown"},
                    {u")4R2", true, "no B at all"},
                });
}

TEST_F(ConditionPage, SizeAndDistanceInPerMille) {
  // The page extent is 1000 units, so per mille equals the coordinate here.
  Check(amount, {
                    {u"r1:0-540", true, "top 540 from the page top"},
                    {u"r1:0-539", false, "one less"},
                    {u"r1:541-", false, "minimum 541"},
                    {u"r1:540", true, "minimum only"},
                    {u"r1:", true, "no bounds"},
                    {u"r1:0-0", true, "0 is no bound"},
                    {u"r0:0-100", true, "size: the larger of width 100 and height 20"},
                    {u"r0:0-99", false, "one less"},
                    {u"r2:599-599", true, "to the page's right (999)"},
                    {u"r4:439-439", true, "to the page's bottom"},
                    {u"r8:300-300", true, "from the page's left"},
                    {u"r5:", false, "no such distance to the page"},
                    {u"r1R2:20-20", true, "below R2 by 20"},
                    {u"r4R2:-0", true, "no bounds, but R2 must exist"},
                    {u"r2R1:1-", false, "R1 lies left of the candidate: the distance is negative"},
                    {u"r8R1:100-100", true, "right of R1 by 100"},
                    {u"r0R1:", false, "no size to an object"},
                    {u"r1R9:", false, "unknown object"},
                    {u"r1:0-65556", false, "bounds keep 16 bits: 65556 is 20"},
                    {u"r1:0-x", true, "a bound that is not a number is no bound"},
                });
}

TEST_F(ConditionPage, TopFivePercentOfARealPage) {
  scope.PageExtent = TRect{0, 0, 1999, 2999};
  Check(TRect{100, 150, 300, 180}, {{u"r1:0-50", true, "top 150 of 3000: 50 per mille"}});
  Check(TRect{100, 153, 300, 180}, {{u"r1:0-50", false, "top 153 of 3000: 51 per mille"}});
}

TEST_F(ConditionPage, PageTexts) {
  Check(amount, {
                    {u"=1TСУММА", true, "below the text Сумма"},
                    {u"=1Tсумма", true, "patterns are folded"},
                    {u"=1TИТОГО", false, "below Итого but not aligned"},
                    {u"#1TИТОГО", true, "below Итого, not aligned"},
                    {u"=1TНЕТ", false, "no text matches"},
                    {u"=1TСУММА/?R1", true, "nested conditions hold"},
                    {u"=1TСУММА/%R1", false, "nested conditions fail"},
                    {u"=1TСУММА/>R1", true, "Сумма is on R1's row"},
                    {u"=1TСУММА/", true, "empty nested conditions"},
                    {u"-1T100", true, "the candidate itself is one of the texts"},
                    {u"=1TПОДПИСЬ", false, "the signature is below, not above"},
                    {u"=4TПОДПИСЬ", false, "above but not aligned"},
                    {u"#4TПОДПИСЬ", true, "above, not aligned"},
                    {u".FH1", false, "a text is no junction"},
                });
  scope.Texts = nullptr;
  Check(amount, {{u"=1TСУММА", false, "no texts"}});
}

TEST_F(ConditionPage, LineJunctions) {
  const TRect v1{250, 400, 250, 700};
  Check(v1, {
                {u".FH1", true, "V1 crosses H1"},
                {u".7H1", false, "not a T"},
                {u".FV1", false, "two vertical lines do not meet that way"},
            });
}

TEST_F(ConditionPage, NestingIsBounded) {
  auto nested = [](int levels) {
    std::u16string text;
    for (int i = 0; i < levels; ++i) text += u"-1T100/";
    return text + u"?R1";
  };
  EXPECT_TRUE(EvalConditions(scope, nested(8), amount));
  EXPECT_FALSE(EvalConditions(scope, nested(9), amount)) << "one level deeper is refused";
  EXPECT_FALSE(EvalConditions(scope, nested(20000), amount)) << "and very deep nesting does not overflow";
}
