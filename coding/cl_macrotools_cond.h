// The condition language of model search lines and field rules: geometric relations between a
// candidate rectangle and objects found before, size and distance limits in per mille of the page,
// and tests against the page's texts.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "coding/cl_macrotools.h"
#include "coding/cl_macrotools_pattern.h"

// Spans along one axis: a before b (a ends by b's middle and b starts after a's middle), strictly so,
// and overlapping (the middle of either lies in the other).
bool SpanBefore(int32_t a1, int32_t a2, int32_t b1, int32_t b2);
bool SpanStrictlyBefore(int32_t a1, int32_t a2, int32_t b1, int32_t b2);
bool SpanOverlap(int32_t a1, int32_t a2, int32_t b1, int32_t b2);

// Relation c with qualifier q between a candidate and a reference rectangle (q is the qualifier's
// character: "1", "2", "4", "8" for the sided relations, a hexadecimal digit for the junction ".").
bool RectRelation(char16_t c, char16_t q, const TRect& candidate, const TRect& reference, TSmallPoint tolerance);

// Each coordinate as per mille of the page extent, rounded half to even; 0 where that cannot be done.
TRect NormalizeRect(const TRect& rect, const TRect& pageExtent);

// What conditions read: the found objects by name, the page texts, the tolerances and page extent, and
// the pattern rules. JumpLine is the one thing evaluation writes (the retry line of a "*" term).
struct TConditionScope {
  // The found page object of that name (names compared without regard to case), or nil.
  std::function<const TRectProTo*(std::u16string_view name)> FindRectObject;
  const TObjectList* Texts = nullptr;
  TSmallPoint SortTolerance;
  TRect PageExtent;
  TPatternRules Pattern;
  int32_t JumpLine = 0;
};

// Groups split at ",", alternatives at "|", terms at "^": true when every group has an alternative whose
// terms all hold. An empty (or blank) text holds.
bool EvalConditions(TConditionScope& scope, std::u16string_view conditions, const TRect& rect);
