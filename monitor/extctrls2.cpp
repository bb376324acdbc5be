// Callback decoding, record texts and animation frames of the notification-area icon.
#include "monitor/extctrls2.h"

namespace {

// The mouse and balloon messages the shell reports through the callback.
constexpr uint32_t kMouseMove = 0x200, kLButtonDown = 0x201, kLButtonUp = 0x202, kLButtonDblClk = 0x203;
constexpr uint32_t kRButtonDown = 0x204, kRButtonUp = 0x205, kRButtonDblClk = 0x206;
constexpr uint32_t kMButtonDown = 0x207, kMButtonUp = 0x208, kMButtonDblClk = 0x209;
constexpr uint32_t kBalloonHide = 1027, kBalloonTimeout = 1028;

}  // namespace

TTrayCallback DecodeTrayCallback(uint32_t message) {
  using enum TTrayAction;
  using enum TMouseButton;
  switch (message) {
    case kMouseMove:
      return {MouseMove, mbLeft, 0};
    case kLButtonDown:
      return {MouseDown, mbLeft, ssLeft};
    case kLButtonUp:
      return {MouseUp, mbLeft, ssLeft};
    case kRButtonDown:
      return {MouseDown, mbRight, ssRight};
    case kRButtonUp:
      return {MouseUp, mbRight, ssRight};
    case kMButtonDown:
      return {MouseDown, mbMiddle, ssMiddle};
    case kMButtonUp:
      return {MouseUp, mbMiddle, ssMiddle};
    case kLButtonDblClk:
    case kRButtonDblClk:
    case kMButtonDblClk:
      return {DblClick, mbLeft, 0};
    case kBalloonHide:
    case kBalloonTimeout:
      return {BalloonGone, mbLeft, 0};
    default:
      return {};  // balloon shown (1026), balloon clicked (1029) and the rest
  }
}

std::u16string CutTrayText(std::u16string_view text, size_t maxChars) {
  if (text.size() <= maxChars) return std::u16string(text);
  size_t n = maxChars;
  if (n > 0 && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;  // a high surrogate without its pair
  return std::u16string(text.substr(0, n));
}

int32_t NextAnimationFrame(int32_t index, int32_t count) { return count - 1 > index ? index + 1 : 0; }
