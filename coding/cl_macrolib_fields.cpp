// The field tree: every node selects page texts with its rule, collects their text, cuts its value out
// with its macro and adds a labelled entry to the payload; required fields that come out empty leave a
// message for the user.
#include <algorithm>

#include "coding/cl_macrolib_recog.h"
#include "coding/cl_macrolib_recog_text.h"
#include "coding/cl_macrotools_sort.h"
#include "foundation/lib_str.h"

namespace {

// The field tree nests by its key and value names; a deeper tree than this is configured by mistake,
// and its deeper nodes are taken as leaves so a crafted tree cannot exhaust the stack.
constexpr int kMaxFieldDepth = 32;

// "Полe пусто": the fourth letter is a Latin "e", as the copies dialog has always shown it.
constexpr std::u16string_view kEmptyFieldError = u"Полe пусто или не найдено: ";

struct TFieldNode {
  std::u16string Option, Rule, Macro;
  int32_t Required = 0;
  std::u16string ChildPrefix;
};

// Node n of the level whose prefix is given: a key of its own, or a value of the Fields key. Once a
// level has turned to values its prefix keeps full stops for the rest of the level.
bool FindFieldNode(const TRecognitionConfig& config, std::u16string& prefix, int32_t n, TFieldNode& node) {
  const std::u16string keyName = prefix + NumW(n);
  if ((prefix.empty() || prefix.back() != u'.') && config.FieldKeyExists(keyName)) {
    node.Option = config.FieldKeyText(keyName, u"Option");
    node.Rule = config.FieldKeyText(keyName, u"Rule");
    node.Macro = config.FieldKeyText(keyName, u"Macro");
    node.Required = config.FieldKeyInteger(keyName, u"Required", 0);
    node.ChildPrefix = keyName + u"\\";
    return true;
  }
  std::replace(prefix.begin(), prefix.end(), u'\\', u'.');
  const std::u16string valueName = prefix + NumW(n);
  const std::u16string text = config.FieldsValue(valueName);
  if (text.empty()) return false;
  TFieldNodeText parts = SplitFieldValue(text);
  node.Option = std::move(parts.Option);
  node.Rule = std::move(parts.Rule);
  node.Macro = std::move(parts.Macro);
  node.ChildPrefix = valueName + u".";
  return true;
}

// Groups at ",", alternatives at "|", terms at "^": every group needs an alternative whose terms all
// hold; an empty alternative ends its group.
template <class Term>
bool AllGroupsHold(std::u16string_view text, Term term) {
  const std::u16string trimmed = TrimW(text);
  for (std::u16string_view groups = trimmed; !groups.empty();) {
    const std::u16string group = ExtractTokenW(groups, u',');
    bool held = false;
    for (std::u16string_view alternatives = group; !alternatives.empty() && !held;) {
      const std::u16string alternative = ExtractTokenW(alternatives, u'|');
      if (alternative.empty()) break;
      held = true;
      for (std::u16string_view terms = alternative; !terms.empty() && held;) held = term(ExtractTokenW(terms, u'^'));
    }
    if (!held) return false;
  }
  return true;
}

// The rule without a leading sort field, and the mode that field gave (0 without one).
std::u16string WithoutSortField(std::u16string_view rule, int32_t& mode) {
  mode = 0;
  std::u16string rest(rule);
  const int32_t m = SortModeOf(ExtractTokenW(rest, u','));
  if (m < 0) return std::u16string(rule);
  mode = m;
  return rest;
}

// The object a rule names directly with a term "@name"; false when it names none.
bool DirectObjectName(std::u16string_view rule, std::u16string& name) {
  bool found = false;
  AllGroupsHold(rule, [&](const std::u16string& term) {
    if (!found && !term.empty() && term[0] == u'@') {
      name = term.substr(1);
      found = true;
    }
    return true;
  });
  return found;
}

}  // namespace

TFieldNodeText SplitFieldValue(std::u16string_view text) {
  TFieldNodeText node;
  const int optionFields = !text.empty() && text[0] == u'?' ? 3 : 2;
  std::u16string_view rest = text;
  for (int k = 0; k < optionFields; ++k) {
    const size_t end = rest.find_first_of(u",;");
    if (k > 0) node.Option += u',';
    node.Option += TrimW(rest.substr(0, end));
    rest = end == std::u16string_view::npos ? std::u16string_view() : rest.substr(end + 1);
  }
  const size_t split = rest.find(u",,");
  node.Rule = std::u16string(rest.substr(0, split));
  node.Macro = split == std::u16string_view::npos ? std::u16string() : std::u16string(rest.substr(split + 2));
  const bool takesApart = node.Macro.find(u",S") != std::u16string::npos || (!node.Macro.empty() && node.Macro[0] == u'S');
  if (takesApart && node.Macro.find(u"GT") == std::u16string::npos) node.Macro = u"GT," + node.Macro;
  return node;
}

int32_t TRecognizer::WalkTopFields(std::u16string& payload) {
  TObjectRefs top;
  for (const auto& object : *Texts) top.push_back(object.get());
  FTopObjects = &top;
  const int32_t result = WalkFieldsTree(u"", &top, payload);
  FTopObjects = nullptr;
  return result;
}

int32_t TRecognizer::WalkFieldsTree(std::u16string_view prefixIn, const TObjectRefs* objects,
                                    std::u16string& payload) {
  const size_t mark = Host.FieldStatusCount();
  std::u16string prefix(prefixIn);
  const bool top = objects != nullptr && objects == FTopObjects;
  const bool deepest = std::count(prefix.begin(), prefix.end(), u'\\') + std::count(prefix.begin(), prefix.end(), u'.') >=
                       kMaxFieldDepth;
  int32_t result = 0;
  bool anyNode = false;
  TFieldNode node;
  for (int32_t n = 1; FindFieldNode(Config, prefix, n, node); ++n, node = TFieldNode()) {
    anyNode = true;
    const bool applicable = RuleApplicable(node.Rule);
    result = 2;
    std::u16string option = node.Option;
    if (!option.empty() && option[0] == u'?') {
      ExtractTokenW(option, u',');
      if (!applicable) {
        LogText(u"    ?? - Обход узла: " + QuotedW(option) + u", правило: " + QuotedW(node.Rule));
        continue;
      }
    }
    std::u16string rest = option;
    const std::u16string first = ExtractTokenW(rest, u',');
    const std::u16string label = first.empty() ? first : first.substr(1);
    const std::u16string display = TrimW(rest);

    const TObjectRefs selected = SelectObjects(node.Rule, objects);
    std::u16string local;
    const int32_t r = deepest ? 0 : WalkFieldsTree(node.ChildPrefix, &selected, local);
    bool reported = false;
    if (r == 1) {
      result = 1;
    } else if (r == 0) {
      local.clear();
      if (!applicable) {
        const char16_t type = first.empty() ? u'\0' : UpperAscii(first[0]);
        result = top ? (type == u'R' ? 1 : 2) : 0;
        LogText(u"    * " + label + u" - " + (result != 2 ? u"Ошибка! " : u"") + u"Не выделить поле: " +
                QuotedW(display) + u", правило: " + QuotedW(node.Rule));
      } else {
        result = FieldValue(option, node.Macro, payload, local, objects, node.Required, node.Rule) ? 2 : 1;
        // The field already told the user; a second message would only repeat it.
        reported = result == 1;
      }
    }
    if (result == 2) {
      payload += local;
    } else if (node.Required == 1 && !reported) {
      Errors->Add(std::u16string(kEmptyFieldError) + QuotedW(applicable ? option : display));
    }
  }
  if (anyNode && result == 0) Host.TruncateFieldStatus(mark);
  return result;
}

bool TRecognizer::RuleApplicable(std::u16string_view rule) const {
  if (TrimW(rule).empty()) return true;
  auto found = [this](std::u16string_view name) { return FoundIndex(name) >= 0; };
  return AllGroupsHold(rule, [&](const std::u16string& term) {
    if (term.empty()) return false;
    const char16_t c = term[0];
    if (SortModeOf(term) >= 0 || c == u'!' || c == u')' || c == u'@') return true;
    const std::u16string_view afterC = std::u16string_view(term).substr(1);
    switch (c) {
      case u'%': return !found(afterC);
      case u'r': {
        const std::u16string_view rest = term.size() > 1 ? afterC.substr(1) : std::u16string_view();
        const std::u16string_view name = rest.substr(0, rest.find(u':'));
        return name.empty() || found(name);
      }
      case u'<': case u'>': case u'?': case u'[': case u']': return found(afterC);
      default:
        if (term.size() > 2 && term[2] == u'T') return true;
        return term.size() > 1 && found(afterC.substr(1));
    }
  });
}

TObjectRefs TRecognizer::SelectObjects(std::u16string_view rule, const TObjectRefs* objects) {
  TObjectRefs selected;
  std::u16string direct;
  if (!objects || TrimW(rule).empty() || DirectObjectName(rule, direct)) return selected;
  int32_t mode = 0;
  const std::u16string conditions = WithoutSortField(rule, mode);
  for (TRectProTo* object : *objects)
    if (object && Conditions(conditions, object->Rect)) selected.push_back(object);
  return selected;
}

std::u16string TRecognizer::CollectFieldText(std::u16string_view rule, std::u16string_view macro,
                                             const TObjectRefs* objects) {
  if (!objects || TrimW(rule).empty()) return {};
  int32_t mode = 0;
  const std::u16string conditions = WithoutSortField(rule, mode);
  std::u16string direct;
  if (DirectObjectName(conditions, direct)) {
    const auto* text = dynamic_cast<const TTextProTo*>(FindRectObject(direct));
    if (text && !text->Text.empty()) return text->Text;
    return TableText(direct, macro);
  }
  // Texts of one row share the row's top, so the sort reads them left to right even when their tops differ.
  TObjectList copies;
  TRect previous{};
  int32_t rowTop = 0;
  for (TRectProTo* object : *objects) {
    const auto* text = dynamic_cast<const TTextProTo*>(object);
    if (!text || !Conditions(conditions, text->Rect)) continue;
    auto copy = std::make_unique<TTextProTo>(text->Ident, TrimW(text->Text), TPoint{text->Rect.Left, text->Rect.Top},
                                             TPoint{text->Rect.Right, text->Rect.Bottom});
    if (!copies.empty() && SpanOverlap(previous.Top, previous.Bottom, text->Rect.Top, text->Rect.Bottom))
      copy->Rect.Top = rowTop;
    else
      rowTop = text->Rect.Top;
    previous = text->Rect;
    copies.push_back(std::move(copy));
  }
  SortObjects(copies, mode, false, false, SortTolerance);
  std::u16string joined;
  for (const auto& copy : copies) AppendWithSeparatorW(u" ", static_cast<const TTextProTo&>(*copy).Text, joined);
  return joined;
}

bool TRecognizer::FieldValue(std::u16string_view option, std::u16string_view macro, std::u16string_view parentPayload,
                             std::u16string& out, const TObjectRefs* objects, int32_t required,
                             std::u16string_view rule) {
  std::u16string rest(option);
  const std::u16string first = ExtractTokenW(rest, u',');
  const char16_t type = first.empty() ? u'\0' : UpperAscii(first[0]);
  const std::u16string label = first.empty() ? first : first.substr(1);
  const std::u16string display = TrimW(rest);
  const std::u16string head = u"    " + label + u" - ";
  std::u16string value(macro);
  bool answer = true;
  switch (type) {
    case u'R':
    case u'O':
      value = EvalFieldRule(CollectFieldText(rule, macro, objects), macro);
      if (value.empty()) {
        answer = type == u'O';
        LogText(head + (type == u'R' ? u"Ошибка! " : u"") + u"Поле пусто или не найдено: " + QuotedW(display));
        if (required == 1) Errors->Add(std::u16string(kEmptyFieldError) + QuotedW(display));
      }
      break;
    case u'C': break;
    case u'P': {
      const std::u16string name = TrimW(macro);
      value.clear();
      if (name.empty()) {
        LogText(head + u"Параметр не задан");
      } else if (const std::u16string* param = ParamValue(name)) {
        value = TrimW(*param);
        if (value.empty()) LogText(head + u"Параметр пуст (" + display + u"): " + QuotedW(macro));
      } else {
        LogText(head + u"Параметр не найден (" + display + u"): " + QuotedW(macro));
      }
      break;
    }
    case u'L':
      value.clear();
      if (label.empty()) {
        LogText(head + u"Имя контекста не задано");
      } else if (const std::u16string* param = ParamValue(label)) {
        value = *param;
        if (value.empty()) LogText(head + u"Контекст пуст (" + display + u")");
      } else {
        LogText(head + u"Имя контекста не найдено (" + display + u")");
      }
      break;
    case u'E':
      value = EvalFieldRule(CollectFieldText(rule, macro, objects), macro);
      if (!value.empty()) {
        // The context is kept in the system code page; what it cannot hold arrives as "?".
        Host.SetNewContext(label, Wide(Narrow(parentPayload)));
        State = 2;
        LogText(head + u"Сохранение контекста: " + QuotedW(display));
      }
      return true;
    case u'N':
      value = EvalFieldRule(CollectFieldText(rule, macro, objects), macro);
      if (!value.empty()) {
        if (State != 2) Host.SetNewContext(label, u"*");
        LogText(head + u"Установка контекста: " + QuotedW(display) + u" -> [" + (State == 2 ? u"Filtr" : u"Ok") + u"]");
      }
      return true;
    default: return true;
  }
  Host.AddFieldEntry(*this, TFieldValue{type, label, display, value}, out);
  return answer;
}
