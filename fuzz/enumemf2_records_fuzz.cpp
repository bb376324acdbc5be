// Fuzz target of the record walk: any bytes as a page's metafile into the page model. The polygon mode
// and whether the line finder found lines come from the header's reserved word, so that seeds reach
// every branch. A walked page holds only well-formed objects of records it saw.
#include <cstdint>
#include <memory>
#include <span>

#include "coding/enumemf2_records.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // One coder for every input (making one costs more than a walk); its page model starts empty.
  static TMemoryStore store;
  static const std::unique_ptr<TEMFCoder> coder =
      TCoder::Create<TEMFCoder>(store, nullptr, nullptr, 0, nullptr, TDocIdClass::CreateFromText("DC01"));
  ResetObjectList(coder->Texts);
  ResetObjectList(coder->HLines);
  ResetObjectList(coder->VLines);
  coder->WhiteRects.clear();
  coder->LinesFound = size > 59 && (data[59] & 1);
  coder->Settings.Polygones.X = size > 58 ? static_cast<int16_t>(data[58] & 3) : 2;
  const TEmfWalkResult walked = WalkEmfRecords(std::span<const uint8_t>(data, size), *coder);
  if (walked.Ok != walked.Error.empty()) __builtin_trap();
  for (const auto& line : *coder->HLines)
    if (line->Rect.Top != line->Rect.Bottom || line->Rect.Left > line->Rect.Right || line->Ident > walked.Records)
      __builtin_trap();
  for (const auto& line : *coder->VLines)
    if (line->Rect.Left != line->Rect.Right || line->Rect.Top > line->Rect.Bottom || line->Ident > walked.Records)
      __builtin_trap();
  for (const auto& object : *coder->Texts) {
    const auto* text = dynamic_cast<const TText*>(object.get());
    if (!text || text->Ident > walked.Records || (!text->Positions.empty() && text->Positions.size() + 1 != text->Text.size()))
      __builtin_trap();
  }
  for (const auto& white : coder->WhiteRects)
    if (white->Rect.Left > white->Rect.Right || white->Rect.Top > white->Rect.Bottom || white->Ident > walked.Records)
      __builtin_trap();
  return 0;
}
