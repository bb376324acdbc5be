// Fuzz target: condition texts (model search lines and field rules come from the configuration).
// Input: one byte choosing the candidate, then the conditions as UTF-16LE.
#include <cstddef>
#include <cstdint>
#include <string>

#include "coding/cl_macrotools_cond.h"
#include "foundation/lib_str.h"

namespace {

struct TPage {
  TPage() {
    const struct {
      const char16_t* name;
      const char16_t* text;
      TRect r;
    } texts[] = {{u"R1", u"Итого", {100, 500, 200, 520}}, {u"R2", u"Сумма", {300, 500, 400, 520}},
                 {u"", u"100", {300, 540, 400, 560}},       {u"R4", u"", {0, 0, 0, 0}}};
    for (const auto& t : texts) {
      Texts.push_back(std::make_unique<TTextProTo>(0, t.text, TPoint{t.r.Left, t.r.Top}, TPoint{t.r.Right, t.r.Bottom}));
      if (*t.name) Found.emplace_back(t.name, Texts.back().get());
    }
    Lines.push_back(std::make_unique<TLineProTo>(0, TRect{50, 480, 950, 480}));
    Found.emplace_back(u"H1", Lines.back().get());
    Lines.push_back(std::make_unique<TLineProTo>(0, TRect{250, 400, 250, 700}));
    Found.emplace_back(u"V1", Lines.back().get());
  }
  const TRectProTo* Find(std::u16string_view name) const {
    for (const auto& [n, object] : Found)
      if (UpperCaseW(n) == UpperCaseW(name)) return object;
    return nullptr;
  }
  TCharMap Folding{u"абвгдеёжзийклмнопрстуфхцчшщъыьэюя0", u"АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯO"};
  TObjectList Texts, Lines;
  std::vector<std::pair<std::u16string, const TRectProTo*>> Found;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const TPage page;
  if (size == 0) return 0;
  const TRect candidates[] = {{300, 540, 400, 560}, {250, 400, 250, 700}, {0, 0, 0, 0},
                              {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}};
  const TRect& candidate = candidates[data[0] % 4];
  std::u16string conditions;
  for (size_t i = 1; i + 1 < size; i += 2) conditions.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));

  const TRect extents[] = {{0, 0, 999, 999}, {0, 0, -1, -1}, {0, 0, INT32_MAX, INT32_MAX}};
  for (const TRect& extent : extents) {
    TConditionScope scope{.FindRectObject = [](std::u16string_view name) { return page.Find(name); },
                          .Texts = &page.Texts,
                          .SortTolerance = {3, -3},
                          .PageExtent = extent,
                          .Pattern = {page.Folding, std::string_view(".,:- \0", 6)}};
    EvalConditions(scope, conditions, candidate);
  }
  return 0;
}
