// The notification-area icon's decisions: what each callback message asks, the texts cut to the
// record's fields and the animation's frames.
#include "monitor/extctrls2.h"

#include <gtest/gtest.h>

TEST(TrayCallback, Decoding) {
  using enum TTrayAction;
  using enum TMouseButton;
  struct Case {
    uint32_t message;
    TTrayAction action;
    TMouseButton button;
    TShiftState shift;
  } cases[] = {
      {0x200, MouseMove, mbLeft, 0},
      {0x201, MouseDown, mbLeft, ssLeft},
      {0x202, MouseUp, mbLeft, ssLeft},
      {0x203, DblClick, mbLeft, 0},
      {0x204, MouseDown, mbRight, ssRight},
      {0x205, MouseUp, mbRight, ssRight},
      {0x206, DblClick, mbLeft, 0},
      {0x207, MouseDown, mbMiddle, ssMiddle},
      {0x208, MouseUp, mbMiddle, ssMiddle},
      {0x209, DblClick, mbLeft, 0},
      {1027, BalloonGone, mbLeft, 0},
      {1028, BalloonGone, mbLeft, 0},
      {1026, None, mbLeft, 0},
      {1029, None, mbLeft, 0},
      {0x20A, None, mbLeft, 0},
      {0, None, mbLeft, 0},
  };
  for (const Case& c : cases) {
    const TTrayCallback got = DecodeTrayCallback(c.message);
    EXPECT_EQ(got.Action, c.action) << c.message;
    EXPECT_EQ(got.Button, c.button) << c.message;
    EXPECT_EQ(got.ButtonShift, c.shift) << c.message;
  }
}

TEST(TrayText, CutToTheFields) {
  const std::u16string pair = u"\U0001F5A8";  // a printer sign: two UTF-16 units
  struct Case {
    std::u16string text;
    size_t max;
    size_t length;
    const char* why;
  } cases[] = {
      {std::u16string(127, u'т'), kTrayTipChars, 127, "fits the tip"},
      {std::u16string(128, u'т'), kTrayTipChars, 127, "one more is cut"},
      {std::u16string(300, u'a'), kTrayInfoChars, 255, "balloon text"},
      {std::u16string(64, u'a'), kTrayInfoTitleChars, 63, "balloon title"},
      {std::u16string(126, u'a') + pair, kTrayTipChars, 126, "a pair the cut would split goes whole"},
      {std::u16string(125, u'a') + pair, kTrayTipChars, 127, "a pair that fits stays"},
      {u"", kTrayTipChars, 0, "empty"},
  };
  for (const Case& c : cases) {
    const std::u16string cut = CutTrayText(c.text, c.max);
    EXPECT_EQ(cut.size(), c.length) << c.why;
    EXPECT_EQ(cut, c.text.substr(0, c.length)) << c.why;
  }
}

TEST(TrayAnimation, FramesWrapAround) {
  struct Case {
    int32_t index, count, next;
  } cases[] = {{0, 3, 1}, {1, 3, 2}, {2, 3, 0}, {5, 3, 0}, {0, 1, 0}, {0, 0, 0}, {-1, 3, 0}};
  for (const Case& c : cases) EXPECT_EQ(NextAnimationFrame(c.index, c.count), c.next) << c.index << "/" << c.count;
}
