// The recogniser's lookups, its host defaults, the in-memory configuration and the table head formatter.
#include "coding/cl_macrolib_recog.h"

#include <algorithm>
#include <chrono>

#include "coding/cl_macrolib_payload.h"
#include "coding/cl_macrolib_recog_text.h"
#include "foundation/lib_str.h"
#include "foundation/lib_unicode.h"

std::u16string TMemoryRecognitionConfig::ModelLine(int32_t lineNo) const {
  const auto it = Model.find(lineNo);
  return it == Model.end() ? std::u16string() : it->second;
}

bool TMemoryRecognitionConfig::FieldKeyExists(std::u16string_view path) const {
  return FieldKeys.count(std::u16string(path)) != 0;
}

std::u16string TMemoryRecognitionConfig::FieldKeyText(std::u16string_view path, std::u16string_view name) const {
  const auto it = FieldKeys.find(std::u16string(path));
  if (it == FieldKeys.end()) return {};
  if (SameTextW(name, u"Option")) return it->second.Option;
  if (SameTextW(name, u"Rule")) return it->second.Rule;
  if (SameTextW(name, u"Macro")) return it->second.Macro;
  return {};
}

int32_t TMemoryRecognitionConfig::FieldKeyInteger(std::u16string_view path, std::u16string_view name,
                                                  int32_t def) const {
  const auto it = FieldKeys.find(std::u16string(path));
  if (it == FieldKeys.end() || !SameTextW(name, u"Required")) return def;
  return it->second.Required;
}

std::u16string TMemoryRecognitionConfig::FieldsValue(std::u16string_view name) const {
  const auto it = Values.find(std::u16string(name));
  return it == Values.end() ? std::u16string() : it->second;
}

uint32_t TRecognitionHost::Tick() const {
  using namespace std::chrono;
  return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

const std::u16string* TRecognitionHost::ParamData(const TObject* param) const {
  const auto* p = dynamic_cast<const TRecognitionParam*>(param);
  return p ? &p->Data : nullptr;
}

std::unique_ptr<TObject> TRecognitionHost::NewParam(std::u16string_view value) const {
  return std::make_unique<TRecognitionParam>(value);
}

void TRecognitionHost::AddFieldEntry(const TRecognizer& r, const TFieldValue& field, std::u16string& payload) {
  const TPayloadDelims delims = WidePayloadDelims(r.Delims, [&r](std::string_view text) { return r.Wide(text); });
  payload += MakeFieldEntry(field.Type, field.Label, field.Value, TWideCharSet(), delims).Entry;
}

TRect ComputePageExtent(const TObjectList& texts, const TObjectList& hLines, const TObjectList& vLines) {
  TRect extent{0, 0, 0, 0};
  for (const TObjectList* list : {&texts, &hLines, &vLines})
    for (const auto& object : *list) {
      if (!object) continue;
      extent.Right = std::max(extent.Right, object->Rect.Right);
      extent.Bottom = std::max(extent.Bottom, object->Rect.Bottom);
    }
  return extent;
}

void TRecognizer::UseLists(TObjectList& texts, TObjectList& hLines, TObjectList& vLines, TObjectList& grids,
                           TWideStringList& found, TWideStringList& namedParams, TWideStringArray& errors) {
  Texts = &texts;
  HLines = &hLines;
  VLines = &vLines;
  Grids = &grids;
  Found = &found;
  NamedParams = &namedParams;
  Errors = &errors;
}

int32_t TRecognizer::FoundIndex(std::u16string_view name) const {
  const auto& items = Found->Items();
  for (size_t i = 0; i < items.size(); ++i)
    if (SameTextW(items[i].Text, name)) return static_cast<int32_t>(i);
  return -1;
}

TRectProTo* TRecognizer::FindRectObject(std::u16string_view name) const {
  const int32_t i = FoundIndex(name);
  return i < 0 ? nullptr : dynamic_cast<TRectProTo*>(Found->Objects(i));
}

const std::u16string* TRecognizer::ParamValue(std::u16string_view name) const {
  for (const auto& item : NamedParams->Items())
    if (SameTextW(item.Text, name)) return Host.ParamData(item.Object);
  return nullptr;
}

TPatternRules TRecognizer::Pattern() const {
  static const TCharMap identity;  // immutable once built
  return TPatternRules{CharMap ? *CharMap : identity, WordDelims, CodePage};
}

TConditionScope TRecognizer::Scope() {
  return TConditionScope{.FindRectObject = [this](std::u16string_view name) -> const TRectProTo* {
                           return FindRectObject(name);
                         },
                         .Texts = Texts,
                         .SortTolerance = SortTolerance,
                         .PageExtent = PageExtent,
                         .Pattern = Pattern(),
                         .JumpLine = JumpLine};
}

bool TRecognizer::Conditions(std::u16string_view conditions, const TRect& rect) {
  TConditionScope scope = Scope();
  const bool holds = EvalConditions(scope, conditions, rect);
  JumpLine = scope.JumpLine;  // a retry term ("*") names the line to retry from
  return holds;
}

bool TRecognizer::IsWordDelim(char16_t c) const {
  if (c == u'\0' || c == u' ') return true;
  const std::string byte = Narrow(std::u16string_view(&c, 1));
  return byte.size() == 1 && WordDelims.find(byte[0]) != std::string::npos;
}

void TRecognizer::LogText(std::u16string_view text) const {
  if (Host.LogEnabled()) Host.Log(text);
}

void TRecognizer::ModelLog(int32_t lineNo, std::u16string_view text) const {
  if (Host.LogEnabled()) Host.Log(u"    " + NumW(lineNo) + u", " + std::u16string(text));
}

bool FormatGridHead(std::string_view format, int32_t cols, int32_t rows, std::string& out) {
  out.clear();
  const int32_t numbers[] = {cols, rows};
  int used = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') {
      out += format[i];
      continue;
    }
    if (i + 1 >= format.size()) return false;
    const char conversion = format[++i];
    if (conversion == '%') {
      out += '%';
    } else if ((conversion == 'd' || conversion == 'D') && used < 2) {
      out += std::to_string(numbers[used++]);
    } else {
      return false;
    }
  }
  return true;
}
