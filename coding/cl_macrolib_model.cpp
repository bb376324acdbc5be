// The document model interpreter: numbered model lines that find page objects with backtracking, jump,
// set parameters or set the code's output area; then the tables and the field tree.
#include <algorithm>

#include "coding/cl_macrolib_recog.h"
#include "coding/cl_macrolib_recog_text.h"
#include "coding/cl_macrotools_sort.h"
#include "foundation/lib_log.h"
#include "foundation/lib_str.h"
#include "foundation/lib_unicode.h"

bool TRecognizer::Recognize() {
  State = 0;
  OutputArea = TRect{};
  Payload.clear();
  PageExtent = ComputePageExtent(*Texts, *HLines, *VLines);
  LogText(u"  Чтение модели");
  uint32_t start = Host.Tick();

  // The model tests parameters as it tests found objects.
  for (const auto& item : NamedParams->Items()) Found->AddObject(item.Text, item.Object);
  SortObjects(*HLines, 0, false, true, SortTolerance);
  SortObjects(*VLines, 0, true, true, SortTolerance);
  SortObjects(*Texts, 0, false, false, SortTolerance);

  if (!Config.ModelExists()) return false;
  const bool ok = RunModel(start);
  LogText(ElapsedText(start, Host.Tick()));

  const bool dump = (LogLevel & 4) != 0;
  auto dumpObjects = [&] {
    if (!dump) return;
    LogText(ElapsedText(start, Host.Tick()));
    LogText(u"  Данные");
    Host.DumpObjects();
  };
  if (!ok || !ProcessTables()) {
    dumpObjects();
    return false;
  }
  LogText(u"  Обработка полей");
  start = Host.Tick();
  const int32_t walked = WalkTopFields(Payload);
  dumpObjects();
  if (walked != 2) Payload.clear();
  if (Payload.empty()) return false;
  LogText(u"OK!");
  return true;
}

bool TRecognizer::ModelTimeOk(uint32_t startTick) const {
  // A limit below 1 would otherwise let a looping model run for ever.
  const int32_t limit = ModelTimeOut < 1 ? kModelTimeOutDefault : ModelTimeOut;
  if (Host.Tick() - startTick <= static_cast<uint32_t>(limit)) return true;
  LogText(u"--> Timeout error!");
  return false;
}

bool TRecognizer::RunModel(uint32_t startTick) {
  int32_t i = 1;
  bool ok = true, retrying = false;
  int32_t steps = 0;
  try {
    while (i > 0) {
      const std::u16string line = Config.ModelLine(i);
      if (line.empty()) {
        ok = true;
        break;
      }
      if (!ModelTimeOk(startTick)) {
        ok = false;
        break;
      }
      if (++steps > MaxModelSteps) {
        LogText(u"--> Timeout error!");
        ok = false;
        break;
      }
      // A line that has no next candidate would send the interpreter forward onto the same failure.
      if (!ok && !retrying && StepBackOverLine(line)) {
        --i;
        continue;
      }
      const int32_t r = ExecModelLine(i, line, !ok);
      if (r == kLineJump) {
        i = JumpLine;
        continue;
      }
      if (r == kLineAbsent && !ok && retrying) {
        retrying = false;
        ++i;
        continue;
      }
      retrying = false;
      ok = true;
      if (r == kLineAbsent || r == kLineDone) {
        ++i;
      } else if (r == kLineStop) {
        ok = false;
        break;
      } else {
        ok = false;
        --i;
        if (JumpLine > 0 && i >= JumpLine) {
          RetryFrom(JumpLine);
          i = JumpLine;
          retrying = true;
        }
      }
    }
  } catch (...) {
    ok = false;
  }
  return ok && i > 0;
}

namespace {

std::u16string CommandField(std::u16string_view line) {
  std::u16string rest(line);
  return ExtractTokenW(rest, u',');
}

}  // namespace

bool TRecognizer::StepBackOverLine(std::u16string_view line) {
  const std::u16string command = CommandField(line);
  const char16_t letter = command.empty() ? u'\0' : UpperAscii(command[0]);
  if (letter == u'J' || letter == u'P' || letter == u'S') return true;
  if (command.size() < 2 || command[1] != u'G') return false;
  // A table is the same table on every try: forget it, so that the line builds it anew next time.
  const int32_t k = FoundIndex(std::u16string_view(command).substr(1));
  if (k >= 0) {
    const TObject* grid = Found->Objects(k);
    Found->Delete(k);
    std::erase_if(*Grids, [grid](const std::unique_ptr<TRectProTo>& g) { return g.get() == grid; });
  }
  return true;
}

void TRecognizer::RetryFrom(int32_t lineNo) {
  const std::u16string command = CommandField(Config.ModelLine(lineNo));
  if (command.empty()) return;
  const int32_t k = FoundIndex(std::u16string_view(command).substr(1));
  if (k < 0) return;
  for (int32_t j = Found->Count() - 1; j > k; --j) {
    if (auto* object = dynamic_cast<TLineProTo*>(Found->Objects(j))) object->Used = 0;
    Found->Delete(j);
  }
}

namespace {

TPoint ReferencePoint(const TRecognizer& r, int32_t lineNo, std::u16string_view reference) {
  if (reference.empty()) return TPoint{0, 0};
  const char16_t marker = reference[0];
  const std::u16string name = TrimW(reference.substr(1));
  if (name.empty()) return TPoint{0, 0};
  const TRectProTo* object = r.FindRectObject(name);
  if (!object) {
    r.ModelLog(lineNo, u"[" + name + u"] - Объект не найден!");
    return TPoint{0, 0};
  }
  const TRect& rc = object->Rect;
  if (marker == u'<') return TPoint{rc.Left, rc.Top};
  if (marker == u'>') return TPoint{rc.Right, rc.Bottom};
  return TPoint{IntMidpoint(rc.Left, rc.Right), IntMidpoint(rc.Top, rc.Bottom)};
}

}  // namespace

int32_t TRecognizer::ExecModelLine(int32_t lineNo, std::u16string_view line, bool afterFailure) {
  JumpLine = 0;
  std::u16string rest(line);
  const std::u16string command = ExtractTokenW(rest, u',');
  int32_t sortMode = 0;
  {
    std::u16string probe = rest;
    const int32_t mode = SortModeOf(ExtractTokenW(probe, u','));
    if (mode >= 0) {
      sortMode = mode;
      rest = probe;
    }
  }
  const char16_t letter = command.empty() ? u'\0' : UpperAscii(command[0]);
  switch (letter) {
    case u'J': {
      if (afterFailure) return kLineAbsent;
      const int32_t target = NumberOrZero(std::u16string_view(command).substr(1));
      if (target < 1) return kLineDone;
      const std::u16string name = ExtractTokenW(rest, u',');
      if (name.empty()) {
        JumpLine = target;
        ModelLog(lineNo, u"- Переход --> " + NumW(target));
        return kLineJump;
      }
      std::u16string value;
      if (const std::u16string* param = ParamValue(name)) {
        value = TrimW(*param);
      } else if (const auto* text = dynamic_cast<const TTextProTo*>(FindRectObject(name))) {
        value = TrimW(text->Text);
      }
      if (value.empty() || !(rest.empty() || value == rest)) return kLineDone;
      JumpLine = target;
      ModelLog(lineNo, u"[" + name + u"] - Переход --> " + NumW(target));
      return kLineJump;
    }
    case u'P': {
      if (afterFailure) return kLineAbsent;
      if (static_cast<uint32_t>(PicTop) >= 2) {
        std::u16string references[4] = {command.substr(1)};
        for (int k = 1; k < 4; ++k) references[k] = ExtractTokenW(rest, u',');
        TPoint points[4];
        for (int k = 0; k < 4; ++k) points[k] = ReferencePoint(*this, lineNo, references[k]);
        OutputArea = TRect{points[0].X, points[1].Y, points[2].X, points[3].Y};
        ModelLog(lineNo, u"Установка области вывода: (" + NumW(OutputArea.Left) + u"," + NumW(OutputArea.Top) + u"," +
                             NumW(OutputArea.Right) + u"," + NumW(OutputArea.Bottom) + u")");
      }
      return kLineDone;
    }
    case u'S': {
      if (afterFailure) return kLineAbsent;
      const std::u16string name = command.substr(1);
      // Parameter names begin with a capital P, as object names begin with their kind's capital.
      if (name.empty() || name[0] != u'P') {
        ModelLog(lineNo, u"Параметр, ошибка наименования: [" + name + u"]");
        return kLineDone;
      }
      const bool known = std::any_of(NamedParams->Items().begin(), NamedParams->Items().end(),
                                     [&](const auto& item) { return SameTextW(item.Text, name); });
      if (!known) {
        std::unique_ptr<TObject> param = Host.NewParam(u"1");
        TObject* raw = param.get();
        NamedParams->AddObject(name, std::move(param));
        Found->AddObject(name, raw);
        ModelLog(lineNo, u"[" + name + u"] - Установка параметра");
      }
      return kLineDone;
    }
    case u'R': {
      const bool required = command.size() > 1 && command[1] == u'R';
      return SearchLine(lineNo, command, sortMode, std::move(rest), required ? kLineStop : kLineNotFound, afterFailure);
    }
    default: return SearchLine(lineNo, command, sortMode, std::move(rest), kLineAbsent, afterFailure);
  }
}

namespace {

int32_t PositionIn(const TObjectList& list, const TObject* object) {
  for (size_t i = 0; i < list.size(); ++i)
    if (list[i].get() == object) return static_cast<int32_t>(i);
  return -1;
}

// One search of a model line: the name it finds, its conditions, the finding of an earlier search
// (released; the scan starts after it) and the line's result so far.
struct TSearch {
  TRecognizer& R;
  std::u16string Name;
  std::u16string Rest;
  int32_t SortMode = 0;
  TObject* Previous = nullptr;
  int32_t PreviousAt = -1;
  int32_t Result = kLineNotFound;

  size_t StartAfterPrevious(const TObjectList& list) {
    PreviousAt = PositionIn(list, Previous);
    if (PreviousAt < 0) return 0;
    if (auto* line = dynamic_cast<TLineProTo*>(Previous)) line->Used = 0;
    return static_cast<size_t>(PreviousAt) + 1;
  }
  void Take(TLineProTo* object) {
    object->Used = 1;
    R.Found->AddObject(Name, object);
    Result = kLineDone;
  }
};

// "R": the first unused text that matches the pattern and the conditions. A required line whose
// pattern exists, though only in used texts, fails by stepping back instead of stopping.
void SearchText(TSearch& s) {
  TRecognizer& r = s.R;
  if (s.SortMode != 0) SortObjects(*r.Texts, s.SortMode, false, false, r.SortTolerance);
  const std::u16string pattern = ExtractTokenW(s.Rest, u',');
  const TPatternRules rules = r.Pattern();
  for (size_t i = s.StartAfterPrevious(*r.Texts); i < r.Texts->size(); ++i) {
    auto* text = dynamic_cast<TTextProTo*>((*r.Texts)[i].get());
    if (!text) continue;
    int32_t length = 0;
    const bool matches = MatchPattern(rules, pattern, text->Text, length, false) > 0;
    if (s.Result == kLineStop) {
      if (!matches) continue;
      s.Result = kLineNotFound;
      if (text->Used) continue;
    } else if (text->Used || !matches) {
      continue;
    }
    if (r.Conditions(s.Rest, text->Rect)) {
      s.Take(text);
      break;
    }
  }
  if (s.SortMode != 0) SortObjects(*r.Texts, 0, false, false, r.SortTolerance);
}

// "H" and "V": the first unused ruling line of that direction that meets the conditions.
void SearchRuledLine(TSearch& s, bool vertical) {
  TRecognizer& r = s.R;
  TObjectList& lines = vertical ? *r.VLines : *r.HLines;
  if (s.SortMode != 0) SortObjects(lines, s.SortMode, vertical, true, r.SortTolerance);
  for (size_t i = s.StartAfterPrevious(lines); i < lines.size(); ++i) {
    auto* object = dynamic_cast<TLineProTo*>(lines[i].get());
    if (!object || object->Used) continue;
    if (r.Conditions(s.Rest, object->Rect)) {
      s.Take(object);
      break;
    }
  }
  if (s.SortMode != 0) SortObjects(lines, 0, vertical, true, r.SortTolerance);
}

// "G": a table over found parts (column hints "C" aside); a new search keeps the grid and takes the
// new parts.
void SearchGrid(TSearch& s) {
  TRecognizer& r = s.R;
  for (std::u16string_view parts = s.Rest; !parts.empty();) {
    const std::u16string part = ExtractTokenW(parts, u',');
    if (part.empty() || part[0] == u'C') continue;
    if (r.FoundIndex(part) < 0) return;
  }
  s.PreviousAt = PositionIn(*r.Grids, s.Previous);
  auto* grid = s.PreviousAt >= 0 ? dynamic_cast<TGrid*>(s.Previous) : nullptr;
  if (grid) {
    grid->Spec = s.Rest;
  } else {
    auto made = std::make_unique<TGrid>(s.Name, s.Rest);
    grid = made.get();
    r.Grids->push_back(std::move(made));
  }
  r.Found->AddObject(s.Name, grid);
  s.Result = kLineDone;
}

void LogSearch(const TRecognizer& r, int32_t lineNo, std::u16string_view command, const TSearch& s, bool research) {
  const std::u16string head = u"[" + std::u16string(command) + u"] - ";
  const std::u16string at = research ? u" [i=" + NumW(s.PreviousAt) + u"]" : std::u16string();
  switch (s.Result) {
    case kLineNotFound: r.ModelLog(lineNo, head + u"Ошибка! Не найден" + at); break;
    case kLineStop: r.ModelLog(lineNo, head + u"Ошибка! Не найден" + at + u". Выход"); break;
    case kLineAbsent: r.ModelLog(lineNo, head + u"Отсутствует" + at); break;
    default:
      if (research) r.ModelLog(lineNo, head + u"Новый поиск" + at);
      break;
  }
}

}  // namespace

int32_t TRecognizer::SearchLine(int32_t lineNo, std::u16string_view command, int32_t sortMode, std::u16string rest,
                                int32_t result, bool afterFailure) {
  TSearch s{*this, std::u16string(command.empty() ? command : command.substr(1)), std::move(rest), sortMode};
  s.Result = result;
  bool research = false;
  if (const int32_t k = FoundIndex(s.Name); k >= 0) {
    if (!afterFailure) {
      ModelLog(lineNo, u"[" + s.Name + u"] - Уже найден");
      return kLineDone;
    }
    s.Previous = Found->Objects(k);
    Found->Delete(k);
    research = true;
  } else if (afterFailure) {
    return kLineNotFound;
  }

  switch (s.Name.empty() ? u'\0' : s.Name[0]) {
    case u'R': SearchText(s); break;
    case u'H': SearchRuledLine(s, false); break;
    case u'V': SearchRuledLine(s, true); break;
    case u'G': SearchGrid(s); break;
    default: s.Result = kLineDone; break;
  }
  LogSearch(*this, lineNo, command, s, research);
  return s.Result;
}
