// The field macro language: comma-separated steps that cut a field's value out of the text its rule
// collected. Positions are 1-based and never pass the text's length + 1.
#include <algorithm>

#include "coding/cl_macrolib_recog.h"
#include "coding/cl_macrolib_recog_text.h"
#include "foundation/lib_str.h"

namespace {

// "Cutting a label": the text before p stays; of the rest, the first l characters go and a NUL marks
// the cut (a leading space becomes the NUL, before anything else one is inserted).
std::u16string CutLabel(std::u16string_view s, size_t p, size_t l) {
  const size_t at = std::min(p - 1, s.size());
  std::u16string head(s.substr(0, at));
  std::u16string tail(s.substr(std::min(at + l, s.size())));
  if (!tail.empty() && tail[0] == u' ')
    tail[0] = u'\0';
  else
    tail.insert(tail.begin(), u'\0');
  return head + tail;
}

class TMacroRun {
 public:
  TMacroRun(TRecognizer& r, std::u16string_view text) : R(r), Rules(r.Pattern()), Text(text) {}

  std::u16string Run(std::u16string_view macro) {
    for (std::u16string_view steps = macro; !steps.empty();) {
      const std::u16string step = ExtractTokenW(steps, u',');
      Pos = std::min(Pos, Text.size() + 1);
      if (!step.empty() && !Step(step)) break;
    }
    return Work;
  }

 private:
  size_t Len() const { return Text.size(); }
  char16_t At(size_t pos) const { return Text[pos - 1]; }

  void Append(std::u16string_view x) {
    if (x.empty()) return;
    if (!Work.empty()) Work += u' ';
    Work += x;
  }

  // Position and length of a match in s from 1-based position from; 0 when none.
  size_t Match(std::u16string_view pattern, std::u16string_view s, size_t from, size_t& length, bool reverse = false) {
    if (from > s.size()) return 0;
    int32_t l = 0;
    const int32_t p = MatchPattern(Rules, pattern, s.substr(from - 1), l, reverse);
    if (p <= 0) return 0;
    length = static_cast<size_t>(std::max(l, 0));
    return from - 1 + static_cast<size_t>(p);
  }

  bool AnyPatternMatches(const std::u16string& patterns, size_t& position) {
    for (std::u16string_view list = patterns; !list.empty();) {
      const std::u16string pattern = ExtractTokenW(list, u',');
      size_t length = 0;
      if (const size_t p = Match(pattern, Text, 1, length)) {
        position = p;
        return true;
      }
    }
    return false;
  }

  bool InClass(char16_t cls, size_t pos) const {
    if (pos < 1 || pos > Len()) return false;
    switch (cls) {
      case u'N': return IsAsciiDigit(At(pos));
      case u'S': return IsLatinOrDigit(At(pos));
      case u'I': return IsLatinOrDigit(At(pos)) && pos + 1 <= Len() && IsAsciiDigit(At(pos + 1));
      default: return false;
    }
  }

  void SkipWord() {
    while (Pos <= Len() && !R.IsWordDelim(At(Pos))) ++Pos;
    while (Pos <= Len() && R.IsWordDelim(At(Pos))) ++Pos;
  }
  void SkipLine() {
    while (Pos <= Len() && At(Pos) != u'\0') ++Pos;
    SkipWord();
  }

  void MoveToClass(char16_t cls) {
    if (cls == u'I') {
      while (Pos <= Len() && !IsLatinOrDigit(At(Pos))) ++Pos;
      if (!InClass(u'I', Pos)) Pos = Len() + 1;
      return;
    }
    while (Pos <= Len() && !InClass(cls, Pos)) ++Pos;
  }

  // The value of a parameter a step needs; a missing one stops the macro.
  const std::u16string* RequiredParam(const std::u16string& name, bool& stop) {
    const std::u16string* value = R.ParamValue(name);
    if (!value) {
      R.LogText(u"--> Параметр не определен: " + QuotedW(name));
      stop = true;
    }
    return value;
  }

  void CutOutOfWork(size_t p, size_t length) {
    if (p > 0) Work = CutLabel(Work, p, length);
  }

  // False stops the macro.
  bool Step(const std::u16string& step) {
    const char16_t c = UpperAscii(step[0]);
    const std::u16string arg = TrimW(std::u16string_view(step).substr(1));
    size_t length = 0;
    bool stop = false;
    switch (c) {
      case u'=': {
        Work = Text;
        const std::u16string* value = R.ParamValue(arg);
        if (!value || value->empty()) {
          Ok = true;
          return true;
        }
        size_t at = 0;
        Ok = AnyPatternMatches(*value, at);
        if (Ok && R.State == 0) R.State = 1;
        if (!Ok) R.State = 2;
        return true;
      }
      case u'P': {
        const std::u16string* value = RequiredParam(arg, stop);
        if (stop) return false;
        size_t at = 0;
        Ok = AnyPatternMatches(*value, at);
        if (Ok) {
          Pos = at;
          if (R.State == 0) R.State = 1;
        }
        return true;
      }
      case u'@': {
        const std::u16string* value = RequiredParam(arg, stop);
        if (stop) return false;
        Ok = !TrimW(*value).empty();
        if (Ok) Append(*value);
        return true;
      }
      case u'~': {
        const std::u16string* value = R.ParamValue(arg);
        Work = value ? *value : Text;
        return true;
      }
      case u'%': {
        const std::u16string* value = R.ParamValue(arg);
        Ok = value && !TrimW(*value).empty();
        return true;
      }
      case u'T': {
        const size_t p = Match(arg, Text, 1, length);
        Ok = p > 0;
        if (Ok) Pos = p;
        return true;
      }
      case u'D':
        if (!Ok) return true;
        [[fallthrough]];
      case u'<': {
        const size_t p = Match(arg, Text, Pos, length);
        Ok = p > 0;
        if (Ok) Append(TrimW(std::u16string_view(Text).substr(Pos - 1, p - Pos)));
        return true;
      }
      case u'[': Work.clear(); [[fallthrough]];
      case u'>': {
        const size_t p = Match(arg, Text, 1, length);
        Ok = p > 0;
        if (Ok) {
          Text = CutLabel(Text, p, length);
          Append(TrimW(std::u16string_view(Text).substr(p - 1)));
          Pos = p;
        }
        return true;
      }
      case u']': {
        Work.clear();
        const size_t p = Match(arg, Text, Pos, length);
        Ok = p > 0;
        if (Ok) {
          Text.resize(p - 1);
          Append(TrimW(std::u16string_view(Text).substr(Pos - 1)));
        }
        return true;
      }
      case u'S':
        if (SpaceStep(step)) return true;
        break;
      default: break;
    }
    return CountedStep(step);
  }

  // The "S" steps on Work; false when the step is none of them.
  bool SpaceStep(const std::u16string& step) {
    if (step.size() < 2) return false;
    const char16_t k = UpperAscii(step[1]);
    const std::u16string arg = TrimW(std::u16string_view(step).substr(2));
    size_t length = 0;
    switch (k) {
      case u'B': std::erase(Work, u' '); return true;
      case u'D': std::erase_if(Work, [](char16_t ch) { return ch == u' ' || ch == u'\0'; }); return true;
      case u'N':
        for (size_t i = 1; i + 1 < Work.size();) {
          if ((Work[i] == u' ' || Work[i] == u'\0') && IsAsciiDigit(Work[i - 1]) && IsAsciiDigit(Work[i + 1]))
            Work.erase(i, 1);
          else
            ++i;
        }
        return true;
      case u'T':
        while (!Work.empty() && R.IsWordDelim(Work.back())) Work.pop_back();
        return true;
      case u'F':
      case u'L': {
        const size_t p = Match(arg, Work, 1, length, k == u'L');
        CutOutOfWork(p, length);
        return true;
      }
      case u'A':
        // Every cut takes out at least one matched character, so the work shrinks to a bound.
        for (size_t guard = Work.size() + 1; guard > 0; --guard) {
          const size_t p = Match(arg, Work, 1, length);
          if (p == 0) break;
          CutOutOfWork(p, length);
        }
        return true;
      case u'#': {
        const size_t p = Work.find(u'№');
        if (p != std::u16string::npos) CutOutOfWork(p + 1, 1);
        return true;
      }
      case u'(': {
        size_t p = Work.find(u'(');
        if (p != std::u16string::npos) CutOutOfWork(p + 1, 1);
        p = Work.find(u')');
        if (p != std::u16string::npos) CutOutOfWork(p + 1, 1);
        return true;
      }
      default: return false;
    }
  }

  bool CountedStep(const std::u16string& step) {
    if (step.size() >= 3 && ((step[2] == u'-' && Ok) || (step[2] == u'+' && !Ok))) return true;
    int32_t count = step.size() >= 3 ? NumberOrZero(std::u16string_view(step).substr(2)) : 0;
    if (count < 1) count = 1;
    const char16_t a = UpperAscii(step[0]);
    const char16_t b = step.size() > 1 ? UpperAscii(step[1]) : u'\0';
    auto repeat = [&](auto body) {
      // Past the end every repetition is a no-op, so a huge count costs nothing.
      for (int32_t i = 0; i < count && Pos <= Len(); ++i) body(i);
    };
    if (a == u'E' && b == u'X') return false;
    if (a == u'N' && b == u'C') R.State = 2;
    if (a == u'G' && b == u'T') Append(TrimW(std::u16string_view(Text).substr(Pos - 1)));
    if (a == u'G' && b == u'A') Work = Text;
    if (a == u'R' && b == u'E') Pos = 1;
    if (a == u'R' && b == u'F') {
      Text = Work;
      Work.clear();
      Pos = 1;
    }
    if (a == u'?') Ok = InClass(b, Pos);
    if (a == u'F' && (b == u'I' || b == u'N' || b == u'S'))
      repeat([&](int32_t i) {
        if (i > 0) SkipWord();
        MoveToClass(b);
      });
    if (a == u'G' && (b == u'W' || b == u'L'))
      repeat([&](int32_t) {
        const size_t start = Pos;
        b == u'W' ? SkipWord() : SkipLine();
        std::u16string piece = Text.substr(start - 1, Pos - start);
        std::replace(piece.begin(), piece.end(), u'\0', u' ');
        Append(TrimW(piece));
      });
    if (a == u'N' && (b == u'W' || b == u'L')) repeat([&](int32_t) { b == u'W' ? SkipWord() : SkipLine(); });
    return true;
  }

  TRecognizer& R;
  const TPatternRules Rules;
  std::u16string Text;
  std::u16string Work;
  size_t Pos = 1;
  bool Ok = false;
};

}  // namespace

std::u16string TRecognizer::EvalFieldRule(std::u16string_view text, std::u16string_view macro) {
  const std::u16string trimmed = TrimW(macro);
  if (!trimmed.empty() && IsAsciiDigit(trimmed[0])) return std::u16string(text);
  const std::u16string work = trimmed.empty() ? std::u16string(text) : TMacroRun(*this, text).Run(macro);
  std::u16string result;
  size_t start = 0;
  while (start <= work.size()) {
    size_t end = work.find(u'\0', start);
    if (end == std::u16string::npos) end = work.size();
    if (end > start) AppendWithSeparatorW(Delims.LinesDelim, std::u16string_view(work).substr(start, end - start), result);
    start = end + 1;
  }
  return result;
}
