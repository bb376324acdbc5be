// Fuzz target: the configured texts of fields (macros, rules, node values, table macros and table heads)
// over a fixed page with a ruled table. Input: UTF-16LE pieces separated by line feeds: the collected
// text, the macro, the table macro, the rule, a field node value, the table head.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "coding/cl_macrolib_recog.h"

namespace {

void AddText(TObjectList& list, std::u16string text, TRect r) {
  list.push_back(std::make_unique<TTextProTo>(static_cast<int32_t>(list.size()), std::move(text),
                                              TPoint{r.Left, r.Top}, TPoint{r.Right, r.Bottom}));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const TCharMap folding(u"абвгдеёжзийклмнопрстуфхцчшщъыьэюя0", u"АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯO");
  std::vector<std::u16string> pieces(1);
  for (size_t i = 0; i + 1 < size; i += 2) {
    const char16_t c = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (c == u'\n')
      pieces.emplace_back();
    else
      pieces.back().push_back(c);
  }
  pieces.resize(6);
  const std::u16string& text = pieces[0];
  const std::u16string& macro = pieces[1];
  const std::u16string& tableMacro = pieces[2];
  const std::u16string& rule = pieces[3];

  TMemoryRecognitionConfig config;
  TObjectList texts, hLines, vLines, grids;
  AddText(texts, u"ИНН", {50, 100, 120, 120});
  AddText(texts, text, {150, 100, 350, 120});
  const char16_t* cells[] = {u"Код", u"Товар", u"1", u"Болт 5"};
  for (int32_t i = 0; i < 4; ++i) AddText(texts, cells[i], {110 + 100 * (i % 2), 310 + 50 * (i / 2), 190 + 100 * (i % 2), 340 + 50 * (i / 2)});
  for (int32_t y : {300, 350, 400}) hLines.push_back(std::make_unique<TLineProTo>(0, TRect{100, y, 300, y}));
  for (int32_t x : {100, 200, 300}) vLines.push_back(std::make_unique<TLineProTo>(0, TRect{x, 300, x, 400}));

  TWideStringList found, params;
  params.AddObject(u"PLIST", std::make_unique<TRecognitionParam>(u"ABC, 12&3"));
  params.AddObject(u"PEMPTY", std::make_unique<TRecognitionParam>(u""));
  found.AddObject(u"RLINN", texts[0].get());
  found.AddObject(u"RVAL", texts[1].get());
  found.AddObject(u"HTOP", hLines[0].get());
  found.AddObject(u"HBOT", hLines[2].get());
  found.AddObject(u"VLEFT", vLines[0].get());
  found.AddObject(u"VRIGHT", vLines[2].get());
  auto grid = std::make_unique<TGrid>(u"GTAB", u"HTOP,HBOT,VLEFT,VRIGHT,C1," + tableMacro);
  found.AddObject(u"GTAB", grid.get());
  grids.push_back(std::move(grid));
  TWideStringArray errors;
  TRecognitionHost host;
  TCodeDelimiters delims;
  TRecognizer r(config, host, delims);
  r.UseLists(texts, hLines, vLines, grids, found, params, errors);
  r.CharMap = &folding;
  r.SortTolerance = TSmallPoint{3, 3};
  r.PageExtent = TRect{0, 0, 999, 999};
  delims.GridHead = r.Narrow(pieces[5]);

  r.EvalFieldRule(text, macro);
  r.ProcessTables();
  r.TableText(u"GTAB", tableMacro);
  r.RuleApplicable(rule);
  TObjectRefs objects;
  for (const auto& t : texts) objects.push_back(t.get());
  r.SelectObjects(rule, &objects);
  r.CollectFieldText(rule, tableMacro, &objects);
  const TFieldNodeText node = SplitFieldValue(pieces[4]);
  std::u16string out;
  r.FieldValue(node.Option, node.Macro, text, out, &objects, 1, node.Rule);
  return 0;
}
