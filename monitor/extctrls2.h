// The notification-area icon's decisions without the shell: what a callback message asks of it, the
// texts as its record's fields hold them and the next animation frame (extctrls2_win is the icon).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

enum class TBalloonFlags : uint8_t { bfNone, bfInfo, bfWarning, bfError };
enum class TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };

// Shift state bits of the mouse events.
using TShiftState = uint8_t;
inline constexpr TShiftState ssShift = 1;
inline constexpr TShiftState ssAlt = 2;
inline constexpr TShiftState ssCtrl = 4;
inline constexpr TShiftState ssLeft = 8;
inline constexpr TShiftState ssRight = 16;
inline constexpr TShiftState ssMiddle = 32;

// The icon's callback message (WM_USER + 1) and the record's flags.
inline constexpr uint32_t kTrayCallbackMessage = 1025;
inline constexpr uint32_t kNifMessage = 1;
inline constexpr uint32_t kNifIcon = 2;
inline constexpr uint32_t kNifTip = 4;
inline constexpr uint32_t kNifInfo = 16;

// Characters the record's texts hold, without their terminating zero.
inline constexpr size_t kTrayTipChars = 127;
inline constexpr size_t kTrayInfoChars = 255;
inline constexpr size_t kTrayInfoTitleChars = 63;

// What the callback's lParam (the mouse or balloon message) asks for.
enum class TTrayAction : uint8_t { None, MouseMove, MouseDown, MouseUp, DblClick, BalloonGone };
struct TTrayCallback {
  TTrayAction Action = TTrayAction::None;
  TMouseButton Button = TMouseButton::mbLeft;
  TShiftState ButtonShift = 0;  // the button's own shift bit, added to the keys' state
};
TTrayCallback DecodeTrayCallback(uint32_t message);

// The text cut to at most maxChars UTF-16 units; a surrogate pair the cut would split goes whole.
std::u16string CutTrayText(std::u16string_view text, size_t maxChars);

// The frame after index among count images: the next one, or 0 after the last.
int32_t NextAnimationFrame(int32_t index, int32_t count);
