// Fuzz target of text building over runs a hostile metafile could give. Input: UTF-16LE lines, each a
// letter and comma-separated integers: "T number,x,y,height,flags,align,m11,m22,xscale,clip l,t,r,b|text"
// (flags: 1 transparent, 2 underline, 4 OEM, 8 no own position, 16 white), "A advances" for the text
// before, "H left,right,y", "V x,top,bottom", "W number,l,t,r,b" and "S LineChHLen,SplitBL,SplitW,SplitG,ExtractBL".
#include <cstdint>
#include <limits>

#include "coding/cl_emfcoder.h"
#include "coding/enumemf2_measure.h"
#include "coding/enumemf2_runs.h"
#include "foundation/cl_tools_config.h"
#include "fuzz/fuzz_input.h"

namespace {
std::vector<int32_t> Ints(std::u16string_view text) {
  std::vector<int32_t> out;
  for (const std::u16string& piece : FuzzPieces(text, u',')) {
    int64_t v = 0;
    bool negative = false;
    for (char16_t c : piece) {
      if (c == u'-') negative = true;
      if (c >= u'0' && c <= u'9' && v < (int64_t{1} << 40)) v = v * 10 + (c - u'0');
    }
    v = negative ? -v : v;
    if (v > std::numeric_limits<int32_t>::max()) v = std::numeric_limits<int32_t>::max();
    if (v < std::numeric_limits<int32_t>::min()) v = std::numeric_limits<int32_t>::min();
    out.push_back(static_cast<int32_t>(v));
  }
  return out;
}

int32_t Get(const std::vector<int32_t>& v, size_t i, int32_t def = 0) { return i < v.size() ? v[i] : def; }

void AddLine(TEMFCoder& coder, char16_t kind, std::u16string_view rest, TText*& last) {
  const size_t bar = rest.find(u'|');
  const std::vector<int32_t> v = Ints(rest.substr(0, bar));
  switch (kind) {
    case u'T': {
      const std::u16string_view chars = bar == std::u16string_view::npos ? std::u16string_view() : rest.substr(bar + 1);
      auto t = std::make_unique<TText>(Get(v, 0), std::u16string(chars), TPoint{Get(v, 1), Get(v, 2)});
      t->Font.lfHeight = Get(v, 3, -20);
      const int32_t flags = Get(v, 4);
      t->Transparent = flags & 1;
      t->Font.lfUnderline = (flags & 2) ? 1 : 0;
      t->Font.lfCharSet = (flags & 4) ? 255 : 204;
      t->OwnPosition = (flags & 8) ? 0 : 1;
      t->TextColor = (flags & 16) ? 0xFFFFFF : 0;
      t->TextAlign = static_cast<uint32_t>(Get(v, 5));
      t->Transform.M11 = static_cast<float>(Get(v, 6, 100)) / 100;
      t->Transform.M22 = static_cast<float>(Get(v, 7, 100)) / 100;
      t->XScale = Get(v, 8);
      t->YScale = Get(v, 8);
      t->ClipRect = TRect{Get(v, 9), Get(v, 10), Get(v, 11), Get(v, 12)};
      last = t.get();
      coder.Texts->push_back(std::move(t));
      break;
    }
    case u'A':
      if (last) last->Positions = v;
      break;
    case u'H':
      coder.HLines->push_back(std::make_unique<TLine>(54, TPoint{Get(v, 0), Get(v, 2)}, TPoint{Get(v, 1), Get(v, 2)}, 0));
      break;
    case u'V':
      coder.VLines->push_back(std::make_unique<TLine>(54, TRect{Get(v, 0), Get(v, 1), Get(v, 0), Get(v, 2)}, 0));
      break;
    case u'W':
      coder.WhiteRects.push_back(std::make_unique<TRectProTo>(Get(v, 0), TRect{Get(v, 1), Get(v, 2), Get(v, 3), Get(v, 4)}));
      break;
    case u'S':
      coder.Settings.LineChHLen = Get(v, 0, 3);
      coder.Settings.SplitBL = Get(v, 1, 3);
      coder.Settings.SplitW = Get(v, 2, 25);
      coder.Settings.SplitG = Get(v, 3, 200);
      coder.Settings.ExtractBL = Get(v, 4);
      break;
    default:
      break;
  }
}

void CheckTexts(const TObjectList& texts) {
  for (const auto& object : texts) {
    const auto* t = dynamic_cast<const TText*>(object.get());
    if (!t) __builtin_trap();
    if (t->Positions.empty()) continue;
    if (t->Positions.size() != t->Text.size() + 1) __builtin_trap();
    if (t->Positions.front() != t->Rect.Left || t->Positions.back() != t->Rect.Right) __builtin_trap();
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TMemoryStore store;
  store.AddKey(std::u16string(kConfigKey));
  auto coder = TCoder::Create<TEMFCoder>(store, nullptr, nullptr, 0, nullptr, TDocIdClass::CreateFromText("AB"));
  coder->SortTolerance = TSmallPoint{5, 5};
  std::vector<std::u16string> lines = FuzzPieces<char16_t>(FuzzUtf16(data, size), u'\n');
  if (lines.size() > 512) lines.resize(512);
  TText* last = nullptr;
  for (const std::u16string& line : lines)
    if (!line.empty()) AddLine(*coder, line[0], std::u16string_view(line).substr(1), last);
  TFixedMeasurer measurer;
  coder->EraseLinesUnderWhiteRects(TPoint{2, 2});
  coder->BuildPageTexts(measurer);
  CheckTexts(*coder->Texts);
  coder->JoinTexts();
  CheckTexts(*coder->Texts);
  return 0;
}
