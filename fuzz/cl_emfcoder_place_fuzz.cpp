// Fuzz target of the Windows-page coder's work after recognition on a page's outside values: the code's
// place from the page header, sheet, placement bytes and output area; the page data and the redraw plan
// of one text and one line. Input: little-endian 32-bit fields in the order read below (missing ones 0),
// then the text as UTF-16LE.
#include <algorithm>
#include <cstdint>
#include <memory>

#include "coding/cl_emfcoder_draw.h"
#include "coding/cl_emfcoder_place.h"
#include "fuzz/fuzz_input.h"

namespace {
class TFields {
 public:
  TFields(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  int32_t Next() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i, ++at_)
      if (at_ < size_) v |= static_cast<uint32_t>(data_[at_]) << (8 * i);
    return static_cast<int32_t>(v);
  }
  TRect Rect() { return TRect{Next(), Next(), Next(), Next()}; }
  size_t Used() const { return at_ < size_ ? at_ : size_; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TFields in(data, size);
  TCodePlaceRequest request;
  request.Page.szlDeviceCx = in.Next();
  request.Page.szlDeviceCy = in.Next();
  request.Page.szlMillimetersCx = in.Next();
  request.Page.szlMillimetersCy = in.Next();
  request.Sheet = TSize{in.Next(), in.Next()};
  request.Code = TSize{in.Next(), in.Next()};
  request.PicTop = static_cast<uint32_t>(in.Next());
  request.PicPlace = static_cast<uint32_t>(in.Next());
  request.OutputArea = in.Rect();
  PlaceCode(request);

  const TRect lineRect = in.Rect();
  const int32_t drawWidth = in.Next();
  const TRedrawScale scale{static_cast<double>(in.Next()) / 65536.0, static_cast<double>(in.Next()) / 65536.0};
  TObjectList lines, texts;
  lines.push_back(std::make_unique<TLine>(0, lineRect, 1));
  auto text = std::make_unique<TText>(1, FuzzUtf16(data + in.Used(), size - in.Used()), TPoint{lineRect.Left, lineRect.Top});
  text->Rect = lineRect;
  for (size_t i = 0; i <= text->Text.size(); ++i)
    text->Positions.push_back(static_cast<int32_t>(std::min<int64_t>(INT32_MAX, int64_t{lineRect.Left} + static_cast<int64_t>(i))));
  texts.push_back(std::move(text));

  PageDataText(texts, lines, lines, request.Page, DefaultCodePages());
  const int32_t pen = RedrawPenWidth(drawWidth, request.Page, scale.Y);
  if (pen < 0 || pen > kMaxRedrawPen) __builtin_trap();
  const TRedrawPlan plan = PlanRedraw(7, lines, lines, texts, pen, scale);
  if (plan.Lines.size() != 2 || plan.Texts.size() != 1) __builtin_trap();
  return 0;
}
