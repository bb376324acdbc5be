// The Windows coder's dump of a parsed page: the record types that made objects, the ruled lines and the
// texts with their fonts, each with its found-object marker.
#include <map>
#include <set>

#include "coding/cl_emfcoder.h"
#include "coding/cl_macrolib_code.h"
#include "coding/lib_graph.h"

namespace {

std::u16string Num(int64_t v) {
  const std::string digits = IntToText(v);
  return std::u16string(digits.begin(), digits.end());
}

std::u16string RectText(const TRect& r) {
  return Num(r.Left) + u"," + Num(r.Top) + u"," + Num(r.Right) + u"," + Num(r.Bottom);
}

}  // namespace

void TEMFCoder::DumpObjects() {
  TCoder::DumpObjects();
  if (!LogEnabled()) return;
  const TCodePageSystem& pages = CodeServices ? CodeServices->CodePages() : DefaultCodePages();
  auto add8 = [&](std::u16string_view line) { Log->Add(ToAnsiBytes(pages, line)); };

  std::set<int32_t> types;
  for (const TObjectList* list : {HLines.get(), VLines.get()})
    for (const auto& object : *list)
      if (const auto* line = dynamic_cast<const TLine*>(object.get())) types.insert(line->RecordType);
  for (const auto& object : *Texts)
    if (const auto* text = dynamic_cast<const TText*>(object.get())) types.insert(text->RecordType);
  Log->Add("EMR-Types:");
  for (const int32_t type : types)
    if (type >= 0 && type <= 255) Log->Add("  " + IntToText(type) + " = " + EmfRecordName(static_cast<uint32_t>(type)));

  for (const auto& [letter, list] : {std::pair{"V", VLines.get()}, std::pair{"H", HLines.get()}}) {
    Log->Add(std::string(letter) + "-Objects:");
    for (const auto& object : *list)
      if (const auto* line = dynamic_cast<const TLine*>(object.get()))
        add8(u"  " + Num(line->Ident) + u" [" + Num(line->RecordType) + u"], (" + RectText(line->Rect) + u") " +
             FindNameOfObject(line));
  }

  LogLine(u"T-Objects:");
  LogLine(u"  Fonts:");
  // Faces by their upper-case names, numbered in order of first use.
  std::map<std::u16string, int32_t> fonts;
  auto fontIndex = [&](const TText& text) {
    const std::u16string face = text.Font.FaceName();
    const auto [it, added] = fonts.emplace(UpperCaseW(face), static_cast<int32_t>(fonts.size()) + 1);
    if (added) LogLine(u"    --> " + Num(it->second) + u": \"" + face + u"\"");
    return it->second;
  };
  std::vector<int32_t> indexes;
  for (const auto& object : *Texts)
    if (const auto* text = dynamic_cast<const TText*>(object.get())) indexes.push_back(fontIndex(*text));
  size_t i = 0;
  for (const auto& object : *Texts) {
    const auto* text = dynamic_cast<const TText*>(object.get());
    if (!text) continue;
    std::u16string shown = text->Text;
    for (char16_t& c : shown)
      if (c == 0) c = u' ';
    const TPoint centre = text->Center();
    LogLine(u"  " + Num(text->Ident) + u" [" + Num(text->RecordType) + u"," + Num(text->TextAlign) + u"," +
            Num(indexes[i++]) + u"], (" + Num(centre.X) + u"," + Num(centre.Y) + u"), (" + RectText(text->Rect) +
            u"), \"" + shown + u"\" " + FindNameOfObject(text));
  }
}
