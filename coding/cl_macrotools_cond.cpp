// Evaluation of conditions: term reading, relations between rectangles, size and distance limits.
#include "coding/cl_macrotools_cond.h"

#include <algorithm>
#include <cstdlib>

#include "coding/cl_macrotools_lines.h"
#include "foundation/lib_str.h"

bool SpanBefore(int32_t a1, int32_t a2, int32_t b1, int32_t b2) {
  return a2 <= IntMidpoint(b1, b2) && b1 >= IntMidpoint(a1, a2);
}

bool SpanStrictlyBefore(int32_t a1, int32_t a2, int32_t b1, int32_t b2) {
  return a2 < IntMidpoint(b1, b2) && b1 > IntMidpoint(a1, a2);
}

bool SpanOverlap(int32_t a1, int32_t a2, int32_t b1, int32_t b2) { return RangesOverlap(a1, a2, b1, b2); }

namespace {

// The side a qualifier names: 1 below the reference, 2 left of it, 4 above it, 8 right of it.
int SideOf(char16_t q) {
  switch (q) {
    case u'1': return 1;
    case u'2': return 2;
    case u'4': return 4;
    case u'8': return 8;
    default: return 0;
  }
}

bool SidedRelation(char16_t c, int side, const TRect& C, const TRect& O) {
  const bool rowsMeet = SpanOverlap(O.Top, O.Bottom, C.Top, C.Bottom);
  const bool columnsMeet = SpanOverlap(O.Left, O.Right, C.Left, C.Right);
  switch (c) {
    case u'=':
    case u'#': {
      bool before = false, aligned = false;
      switch (side) {
        case 1: before = SpanBefore(O.Top, O.Bottom, C.Top, C.Bottom), aligned = columnsMeet; break;
        case 2: before = SpanBefore(C.Left, C.Right, O.Left, O.Right), aligned = rowsMeet; break;
        case 4: before = SpanBefore(C.Top, C.Bottom, O.Top, O.Bottom), aligned = columnsMeet; break;
        case 8: before = SpanBefore(O.Left, O.Right, C.Left, C.Right), aligned = rowsMeet; break;
        default: return false;
      }
      return before && (c == u'=' ? aligned : !aligned);
    }
    case u'+':
      switch (side) {
        case 1: return SpanStrictlyBefore(O.Top, O.Bottom, C.Top, C.Bottom);
        case 2: return SpanStrictlyBefore(C.Left, C.Right, O.Left, O.Right);
        case 4: return SpanStrictlyBefore(C.Top, C.Bottom, O.Top, O.Bottom);
        case 8: return SpanStrictlyBefore(O.Left, O.Right, C.Left, C.Right);
        default: return false;
      }
    case u')':
      switch (side) {
        case 1: return C.Top > O.Bottom;
        case 2: return C.Right < O.Left;
        case 4: return C.Bottom < O.Top;
        case 8: return C.Left > O.Right;
        default: return false;
      }
    case u'-':
      switch (side) {
        case 1: return C.Top >= O.Top;
        case 2: return C.Right <= O.Right;
        case 4: return C.Bottom <= O.Bottom;
        case 8: return C.Left >= O.Left;
        default: return false;
      }
    case u'~':
      switch (side) {
        case 1: return C.Bottom >= O.Bottom;
        case 2: return C.Left <= O.Left;
        case 4: return C.Top <= O.Top;
        case 8: return C.Right >= O.Right;
        default: return false;
      }
    default: return false;
  }
}

TRect CenterPoint(const TRect& r) {
  const TPoint p = RectCenter(r);
  return TRect{p.X, p.Y, p.X, p.Y};
}

}  // namespace

bool RectRelation(char16_t c, char16_t q, const TRect& candidate, const TRect& reference, TSmallPoint tolerance) {
  TRect C = candidate, O = reference;
  // A line against an area compares with the area's centre.
  if (IsDegenerateRect(C) && !IsDegenerateRect(O)) O = CenterPoint(O);
  if (IsDegenerateRect(O) && !IsDegenerateRect(C)) C = CenterPoint(C);
  const bool rowsMeet = SpanOverlap(O.Top, O.Bottom, C.Top, C.Bottom);
  switch (c) {
    case u'?': return true;
    case u'@': return PointInRect(RectCenter(C), O);
    case u'>': return O.Left <= C.Left && rowsMeet;
    case u'<': return O.Right >= C.Right && rowsMeet;
    case u'[': return (O.Left <= C.Left && rowsMeet) || SpanStrictlyBefore(O.Top, O.Bottom, C.Top, C.Bottom);
    case u']':
      return (SpanBefore(C.Left, C.Right, O.Left, O.Right) && rowsMeet) ||
             SpanStrictlyBefore(C.Top, C.Bottom, O.Top, O.Bottom);
    case u'.': {
      const bool digit = (q >= u'0' && q <= u'9') || (q >= u'a' && q <= u'f') || (q >= u'A' && q <= u'F');
      if (!digit) return false;
      const bool referenceIsVertical = O.Left == O.Right;
      const TRect& p = referenceIsVertical ? O : C;
      const TRect& other = referenceIsVertical ? C : O;
      return JunctionCode(p, other, tolerance.X, tolerance.Y) == HexDigitValue(q);
    }
    default: return SidedRelation(c, SideOf(q), C, O);
  }
}

namespace {

// x * 1000 / extent, rounded half to even; false when it has no 32-bit answer.
bool PerMille(int32_t x, int64_t extent, int32_t& out) {
  if (extent == 0) return false;
  int64_t num = int64_t{x} * 1000, den = extent;
  const bool negative = (num < 0) != (den < 0);
  num = std::llabs(num);
  den = std::llabs(den);
  int64_t q = num / den;
  const int64_t twiceRest = 2 * (num % den);
  if (twiceRest > den || (twiceRest == den && (q & 1) != 0)) ++q;
  if (negative) q = -q;
  if (q < INT32_MIN || q > INT32_MAX) return false;
  out = static_cast<int32_t>(q);
  return true;
}

int32_t NormalizeCoordinate(int32_t x, int64_t extent) {
  int32_t out = 0;
  return PerMille(x, extent, out) ? out : 0;
}

}  // namespace

TRect NormalizeRect(const TRect& rect, const TRect& pageExtent) {
  const int64_t width = int64_t{pageExtent.Right} - pageExtent.Left + 1;
  const int64_t height = int64_t{pageExtent.Bottom} - pageExtent.Top + 1;
  return TRect{NormalizeCoordinate(rect.Left, width), NormalizeCoordinate(rect.Top, height),
               NormalizeCoordinate(rect.Right, width), NormalizeCoordinate(rect.Bottom, height)};
}

namespace {

// Nested conditions of text terms deeper than this do not hold; it bounds the recursion that a
// configured text could otherwise drive to a stack overflow.
constexpr int kMaxNesting = 8;

int32_t NumberOf(std::u16string_view text) { return StrToIntOrZero(EncodeCodePage(text, kCodePage1251)); }

class TEvaluator {
 public:
  explicit TEvaluator(TConditionScope& scope) : S(scope) {}

  bool Conditions(std::u16string_view text, const TRect& rect, int depth) {
    const std::u16string trimmed = TrimW(text);
    for (std::u16string_view groups = trimmed; !groups.empty();) {
      if (!Group(ExtractTokenW(groups, u','), rect, depth)) return false;
    }
    return true;
  }

 private:
  bool Group(const std::u16string& text, const TRect& rect, int depth) {
    for (std::u16string_view group = text; !group.empty();) {
      std::u16string alternative = ExtractTokenW(group, u'|');
      if (alternative.empty()) return false;  // ends the group; no earlier alternative held
      if (Alternative(alternative, rect, depth)) return true;
    }
    return false;
  }

  bool Alternative(const std::u16string& text, const TRect& rect, int depth) {
    for (std::u16string_view alternative = text; !alternative.empty();)
      if (!Term(ExtractTokenW(alternative, u'^'), rect, depth)) return false;
    return true;
  }

  const TRectProTo* Find(std::u16string_view name) const {
    return S.FindRectObject ? S.FindRectObject(name) : nullptr;
  }

  bool Related(char16_t c, char16_t q, const TRect& candidate, std::u16string_view name) const {
    const TRectProTo* reference = Find(name);
    return reference && RectRelation(c, q, candidate, reference->Rect, S.SortTolerance);
  }

  bool Term(std::u16string_view term, const TRect& rect, int depth) {
    const char16_t c = term.empty() ? u'\0' : term[0];
    const char16_t q = term.size() > 1 ? term[1] : u'\0';
    const std::u16string_view afterC = term.empty() ? term : term.substr(1);
    const std::u16string_view afterQ = term.size() > 1 ? term.substr(2) : std::u16string_view();
    switch (c) {
      case u'<':
      case u'>':
      case u'?':
      case u'@':
      case u'[':
      case u']': return Related(c, u'\0', rect, afterC);
      case u'!': return !Related(u'@', u'\0', rect, afterC);
      case u'%': return !Find(afterC);
      case u'*': S.JumpLine = NumberOf(afterC); return true;
      case u')': return BeyondTerm(q, afterQ, rect);
      case u'r': return SizeTerm(q, afterQ, rect);
      default:
        if (term.size() > 2 && term[2] == u'T') return TextTerm(c, q, term.substr(3), rect, depth);
        return Related(c, q, rect, afterQ);
    }
  }

  // ")" q A/B: the candidate lies beyond A, unless A is found and B lies beyond A while the candidate
  // does not.
  bool BeyondTerm(char16_t q, std::u16string_view rest, const TRect& rect) const {
    const size_t slash = rest.find(u'/');
    const std::u16string_view a = rest.substr(0, slash);
    const std::u16string_view b = slash == std::u16string_view::npos ? std::u16string_view() : rest.substr(slash + 1);
    const TRectProTo* objectA = Find(a);
    if (!objectA) return true;
    if (RectRelation(u')', q, rect, objectA->Rect, S.SortTolerance)) return true;
    const TRectProTo* objectB = Find(b);
    return !(objectB && RectRelation(u')', q, objectB->Rect, objectA->Rect, S.SortTolerance));
  }

  // "r" q name ":" min "-" max, distances in per mille of the page.
  bool SizeTerm(char16_t q, std::u16string_view rest, const TRect& rect) const {
    const size_t colon = rest.find(u':');
    const std::u16string_view name = rest.substr(0, colon);
    const std::u16string_view range = colon == std::u16string_view::npos ? std::u16string_view() : rest.substr(colon + 1);
    const size_t minus = range.find(u'-');
    const std::u16string_view low = range.substr(0, minus);
    const std::u16string_view high = minus == std::u16string_view::npos ? std::u16string_view() : range.substr(minus + 1);
    // Bounds are kept as 16-bit values.
    const uint32_t limits = PackPoint(NumberOf(low) & 0xFFFF, NumberOf(high) & 0xFFFF);

    const TRect c = NormalizeRect(rect, S.PageExtent);
    int64_t distance = 0;
    if (name.empty()) {
      const TRect page = NormalizeRect(S.PageExtent, S.PageExtent);
      switch (q) {
        case u'0': distance = std::max(int64_t{c.Right} - c.Left, int64_t{c.Bottom} - c.Top); break;
        case u'1': distance = int64_t{c.Top} - page.Top; break;
        case u'2': distance = int64_t{page.Right} - c.Right; break;
        case u'4': distance = int64_t{page.Bottom} - c.Bottom; break;
        case u'8': distance = int64_t{c.Left} - page.Left; break;
        default: return false;
      }
    } else {
      const TRectProTo* object = Find(name);
      if (!object) return false;
      const TRect o = NormalizeRect(object->Rect, S.PageExtent);
      switch (q) {
        case u'1': distance = int64_t{c.Top} - o.Bottom; break;
        case u'2': distance = int64_t{o.Left} - c.Right; break;
        case u'4': distance = int64_t{o.Top} - c.Bottom; break;
        case u'8': distance = int64_t{c.Left} - o.Right; break;
        default: return false;
      }
    }
    // Per mille values of 32-bit coordinates stay far inside 32 bits unless the page extent is
    // degenerate; clamp so such a page cannot wrap a distance into range.
    distance = std::clamp<int64_t>(distance, INT32_MIN, INT32_MAX);
    return InLimits(limits, static_cast<int32_t>(distance));
  }

  // c q "T" pattern ["/" conditions]: some page text matches the pattern, satisfies the nested
  // conditions as the candidate, and stands in relation c q to the candidate.
  bool TextTerm(char16_t c, char16_t q, std::u16string_view rest, const TRect& rect, int depth) {
    if (!S.Texts) return false;
    const size_t slash = rest.find(u'/');
    const std::u16string_view pattern = rest.substr(0, slash);
    const bool nested = slash != std::u16string_view::npos;
    const std::u16string_view inner = nested ? rest.substr(slash + 1) : std::u16string_view();
    if (nested && depth >= kMaxNesting) return false;
    for (const auto& object : *S.Texts) {
      const auto* text = dynamic_cast<const TTextProTo*>(object.get());
      if (!text) continue;
      int32_t length = 0;
      if (MatchPattern(S.Pattern, pattern, text->Text, length, false) == 0) continue;
      if (nested && !Conditions(inner, text->Rect, depth + 1)) continue;
      if (RectRelation(c, q, rect, text->Rect, S.SortTolerance)) return true;
    }
    return false;
  }

  TConditionScope& S;
};

}  // namespace

bool EvalConditions(TConditionScope& scope, std::u16string_view conditions, const TRect& rect) {
  return TEvaluator(scope).Conditions(conditions, rect, 0);
}
