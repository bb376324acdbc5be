// Fuzz target: document models and field trees (both come from the configuration) run over a fixed page
// with a form, a ruled table and a context parameter. Input: UTF-16LE lines; "#name=text" lines are values
// of the Fields key, every other line is the next model line.
#include <cstddef>
#include <cstdint>
#include <string>

#include "coding/cl_macrolib_recog.h"

using namespace std::literals;

namespace {

class TQuietHost : public TRecognitionHost {
 public:
  uint32_t Tick() const override { return 0; }  // the step limit ends every model; time stays still
};

void AddText(TObjectList& list, std::u16string text, TRect r) {
  list.push_back(std::make_unique<TTextProTo>(static_cast<int32_t>(list.size()), std::move(text),
                                              TPoint{r.Left, r.Top}, TPoint{r.Right, r.Bottom}));
}

void AddLine(TObjectList& list, TRect r) { list.push_back(std::make_unique<TLineProTo>(0, r)); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const TCharMap folding(u"абвгдеёжзийклмнопрстуфхцчшщъыьэюя0", u"АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯO");
  TMemoryRecognitionConfig config;
  std::u16string line;
  int32_t lineNo = 1;
  auto flush = [&] {
    if (!line.empty() && line[0] == u'#') {
      const size_t eq = line.find(u'=');
      config.Values[line.substr(1, eq == std::u16string::npos ? 0 : eq - 1)] =
          eq == std::u16string::npos ? std::u16string() : line.substr(eq + 1);
    } else {
      config.Model[lineNo++] = line;
    }
    line.clear();
  };
  for (size_t i = 0; i + 1 < size; i += 2) {
    const char16_t c = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (c == u'\n')
      flush();
    else
      line.push_back(c);
  }
  flush();

  TObjectList texts, hLines, vLines, grids;
  AddText(texts, u"СЧЕТ № 12", {300, 20, 700, 50});
  AddText(texts, u"ИНН", {50, 100, 120, 120});
  AddText(texts, u"7701234567", {150, 100, 350, 120});
  AddText(texts, u"Болт\0 5"s, {110, 310, 190, 340});
  AddText(texts, u"", {210, 360, 290, 390});
  AddText(texts, u"стр. 1", {900, 980, 999, 999});
  for (int32_t y : {300, 350, 400}) AddLine(hLines, {100, y, 300, y});
  for (int32_t x : {100, 200, 300}) AddLine(vLines, {x, 300, x, 400});
  AddLine(hLines, {INT32_MIN, INT32_MAX, INT32_MAX, INT32_MAX});

  TWideStringList found, params;
  params.AddObject(u"PFLAG", std::make_unique<TRecognitionParam>(u"1"));
  params.AddObject(u"PCTX", std::make_unique<TRecognitionParam>(u"INN:1\tKPP:2"));
  TWideStringArray errors;
  TQuietHost host;
  const TCodeDelimiters delims;
  TRecognizer r(config, host, delims);
  r.UseLists(texts, hLines, vLines, grids, found, params, errors);
  r.CharMap = &folding;
  r.SortTolerance = TSmallPoint{3, -2};
  r.PicTop = 2;
  r.MaxModelSteps = 2000;
  r.Recognize();
  return 0;
}
