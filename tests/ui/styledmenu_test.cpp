// The styled menus without windows: colour arithmetic, effective colours, measuring, the gradient and
// the glyph treatments.
#include "ui/styledmenu.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A classic Windows palette: the values the tables below expect.
TSysColors ClassicColors() {
  TSysColors sys{};
  sys[kColorBtnFace] = Rgb(212, 208, 200);
  sys[kColorBtnShadow] = Rgb(128, 128, 128);
  sys[kColorHighlight] = Rgb(10, 36, 106);
  sys[kColorInactiveCaption] = Rgb(128, 128, 128);
  sys[kColorWindow] = Rgb(255, 255, 255);
  sys[kColorMenuText] = Rgb(0, 0, 0);
  return sys;
}

// Every character 7 wide, "&" 5 and "W" 11; 13 high.
class TFixedFont : public TMenuTextMeasurer {
 public:
  int TextWidth(std::u16string_view text) const override {
    int w = 0;
    for (const char16_t c : text) w += c == u'&' ? 5 : c == u'W' ? 11 : 7;
    return w;
  }
  int TextHeight(std::u16string_view) const override { return height; }
  int height = 13;
};

}  // namespace

TEST(StyledMenuColors, TintColor) {
  struct Case {
    TColor in;
    int percent;
    TColor out;
    const char* why;
  } cases[] = {
      {Rgb(0, 0, 0), 50, Rgb(128, 128, 128), "127.5 rounds to the even 128"},
      {Rgb(1, 1, 1), 50, Rgb(128, 128, 128), "1 + 127 exactly"},
      {Rgb(3, 3, 3), 50, Rgb(129, 129, 129), "3 + 126"},
      {Rgb(0, 0, 0), 10, Rgb(26, 26, 26), "25.5 rounds to the even 26"},
      {Rgb(5, 0, 0), 10, Rgb(30, 26, 26), "25 exactly"},
      {Rgb(0, 0, 0), 30, Rgb(76, 76, 76), "76.5 rounds to the even 76"},
      {Rgb(10, 36, 106), 68, Rgb(177, 185, 207), "the selection fill of the classic highlight"},
      {Rgb(10, 20, 30), 0, Rgb(10, 20, 30), "0 % keeps the colour"},
      {Rgb(10, 20, 30), 100, Rgb(255, 255, 255), "100 % is white"},
      {Rgb(10, 20, 30), 250, Rgb(255, 255, 255), "more than 100 counts as 100"},
  };
  for (const Case& c : cases) EXPECT_EQ(TintColor(c.in, c.percent), c.out) << c.why;
}

TEST(StyledMenuColors, ShadeGrayAverageContrast) {
  EXPECT_EQ(ShadeColor(Rgb(100, 100, 100), 10), Rgb(90, 92, 90)) << "green loses 2 less";
  EXPECT_EQ(ShadeColor(Rgb(5, 0, 250), 10), Rgb(0, 0, 240)) << "clamped at 0";
  EXPECT_EQ(ShadeColor(Rgb(255, 254, 255), -5), Rgb(255, 255, 255)) << "clamped at 255";
  EXPECT_EQ(ShadeColor(Rgb(212, 208, 200), 90), Rgb(122, 120, 110));

  EXPECT_EQ(GrayOfColor(Rgb(10, 20, 31), 0), Rgb(20, 20, 20)) << "61 / 3 rounds down";
  EXPECT_EQ(GrayOfColor(Rgb(10, 20, 31), 10), Rgb(30, 30, 30));
  EXPECT_EQ(GrayOfColor(Rgb(250, 250, 250), 10), Rgb(240, 240, 240)) << "capped at 240";
  EXPECT_EQ(GrayOfColor(Rgb(230, 230, 231), 10), Rgb(240, 240, 240)) << "230 + 10 is the cap itself";

  const std::vector<TColor> two{Rgb(255, 0, 3), Rgb(0, 255, 3)};
  EXPECT_EQ(AverageColor(two), Rgb(127, 127, 2)) << "each quotient rounded down before the sum";
  const std::vector<TColor> three{Rgb(10, 10, 10), Rgb(11, 11, 11), Rgb(12, 12, 12)};
  EXPECT_EQ(AverageColor(three), Rgb(10, 10, 10)) << "3 + 3 + 4";
  EXPECT_EQ(AverageColor({}), Rgb(0, 0, 0)) << "an empty list is black, no division";

  const TColor font = Rgb(1, 2, 3);
  EXPECT_EQ(ContrastTextColor(Rgb(10, 36, 106), font), TintColor(Rgb(10, 36, 106), 90)) << "dark: tinted";
  EXPECT_EQ(ContrastTextColor(Rgb(150, 200, 151), font), TintColor(Rgb(150, 200, 151), 90)) << "(150 + 151) / 2 is below 151";
  EXPECT_EQ(ContrastTextColor(Rgb(150, 200, 153), font), font) << "(150 + 153) / 2 is not";
  EXPECT_EQ(ContrastTextColor(Rgb(151, 200, 151), font), font) << "151 is not below 151";
  EXPECT_EQ(ContrastTextColor(Rgb(0, 201, 0), font), font) << "green 201 is light";
}

TEST(StyledMenuColors, EffectiveColorsInAllFourColumns) {
  const TSysColors sys = ClassicColors();
  TStyledColors props;
  props.Color = Rgb(1, 1, 1);
  props.IconBackColor = Rgb(2, 2, 2);
  props.MenuBarColor = Rgb(3, 3, 3);
  props.SelectColor = Rgb(0, 0, 0);
  props.SelectBorderColor = Rgb(5, 5, 5);
  props.SelectFontColor = Rgb(6, 6, 6);
  props.DisabledColor = Rgb(7, 7, 7);
  props.SeparatorColor = Rgb(8, 8, 8);
  props.CheckedColor = clHighlight;  // system references are resolved
  const TColor font = Rgb(9, 9, 9);
  const TColor white = Rgb(255, 255, 255);
  const TColor face = sys[kColorBtnFace];
  const TColor shadow = sys[kColorBtnShadow];
  const TColor hl = sys[kColorHighlight];
  struct Case {
    bool system, high, dim;
    TEffectiveColors want;
    const char* why;
  } cases[] = {
      {false, true, false,
       {Rgb(1, 1, 1), Rgb(2, 2, 2), Rgb(0, 0, 0), Rgb(5, 5, 5), Rgb(6, 6, 6), Rgb(0, 0, 0), Rgb(0, 0, 0), hl,
        Rgb(3, 3, 3), Rgb(7, 7, 7), Rgb(8, 8, 8), ShadeColor(face, 90), ShadeColor(face, 76)},
       "own colours, high colour"},
      {false, true, true,
       {Rgb(1, 1, 1), Rgb(2, 2, 2), Rgb(173, 173, 173), Rgb(5, 5, 5), Rgb(6, 6, 6), Rgb(204, 204, 204),
        Rgb(128, 128, 128), hl, Rgb(3, 3, 3), Rgb(7, 7, 7), Rgb(8, 8, 8), ShadeColor(face, 90), ShadeColor(face, 76)},
       "own colours dimmed"},
      {false, false, true,
       {Rgb(1, 1, 1), Rgb(2, 2, 2), Rgb(0, 0, 0), Rgb(5, 5, 5), Rgb(6, 6, 6), white, Rgb(192, 192, 192), hl,
        Rgb(3, 3, 3), Rgb(7, 7, 7), Rgb(8, 8, 8), shadow, shadow},
       "own colours, 256 colours: no dimming, white and silver check areas"},
      {true, true, false,
       {TintColor(face, 86), TintColor(face, 16), TintColor(hl, 68), hl, font, TintColor(hl, 80), TintColor(hl, 50), hl,
        face, TintColor(shadow, 10), TintColor(shadow, 25), ShadeColor(face, 90), ShadeColor(face, 76)},
       "system colours, high colour: the properties do not count"},
      {true, false, false,
       {white, face, white, hl, font, white, white, hl, face, shadow, shadow, shadow, shadow},
       "system colours, 256 colours: white background, clBtnFace strip"},
  };
  for (const Case& c : cases) {
    const TEffectiveColors e = ComputeEffectiveColors(props, {c.system, c.dim, c.high, font}, sys);
    const TColor got[] = {e.Background,   e.IconStrip,       e.SelectFill,   e.SelectFrame, e.SelectedCaption,
                          e.CheckArea,    e.CheckAreaPressed, e.CheckOutline, e.MenuBar,     e.DisabledCaption,
                          e.Separator,    e.PopupFrame,      e.PopupShadow};
    const TColor want[] = {c.want.Background,   c.want.IconStrip,       c.want.SelectFill,   c.want.SelectFrame,
                           c.want.SelectedCaption, c.want.CheckArea,    c.want.CheckAreaPressed, c.want.CheckOutline,
                           c.want.MenuBar,      c.want.DisabledCaption, c.want.Separator,    c.want.PopupFrame,
                           c.want.PopupShadow};
    for (size_t i = 0; i < std::size(got); ++i) EXPECT_EQ(got[i], want[i]) << c.why << ", colour " << i;
  }
  // With system colours, the selection colour property changes nothing.
  TStyledColors other = props;
  other.SelectColor = Rgb(200, 0, 0);
  EXPECT_EQ(ComputeEffectiveColors(other, {true, false, true, font}, sys).SelectFill,
            ComputeEffectiveColors(props, {true, false, true, font}, sys).SelectFill);
  EXPECT_EQ(ResolveColor(SysColor(200), sys), Rgb(0, 0, 0)) << "an index past the table is black";
}

TEST(StyledMenuMeasure, WidthsAndHeights) {
  const TFixedFont font;
  struct Case {
    TMeasureItemInput in;
    int startW, startH;
    int width, height;
    const char* why;
  } cases[] = {
      {{u"-", u"", false, false, 0, 0, 24}, 0, 50, 29, 4, "a separator is 4 high whatever was asked; text empty"},
      {{u"Ab", u"", false, false, 0, 0, 24}, 0, 0, 14 + 5 + 24, 13 + 10, "13 x 0.75 = 9.75 rounds to 10"},
      {{u"Ab", u"F2", false, false, 0, 0, 24}, 0, 0, 14 + 14 + 33 + 5 + 24, 23, "shortcut and WWW after the caption"},
      {{u"&Ab", u"", false, false, 0, 0, 24}, 0, 0, 5 + 14 + 5 - 5 + 24, 23, "the & takes no room"},
      {{u"Ab", u"", true, false, 0, 0, 24}, 0, 0, 14 + 5 + 6 + 24, 23, "a sub-menu arrow takes 6"},
      {{u"Ab", u"", true, true, 0, 0, 24}, 0, 0, 14 + 5, 23, "a bar item: no arrow, no strip"},
      {{u"Ab", u"", false, false, 32, 30, 24}, 0, 0, 14 + 5 + 32, 36, "a wide glyph; height glyph + 6"},
      {{u"Ab", u"", false, false, 16, 16, 24}, 0, 0, 14 + 5 + 24, 23, "a narrow glyph: the strip's width"},
      {{u"Ab", u"", false, false, 0, 0, 24}, 100, 40, 100, 40, "never lowered"},
  };
  for (const Case& c : cases) {
    int w = c.startW, h = c.startH;
    MeasureMenuItem(c.in, font, w, h);
    EXPECT_EQ(w, c.width) << c.why;
    EXPECT_EQ(h, c.height) << c.why;
  }
  TFixedFont even;
  even.height = 14;  // 10.5 rounds to the even 10
  int w = 0, h = 0;
  MeasureMenuItem({u"Ab", u"", false, false, 0, 0, 24}, even, w, h);
  EXPECT_EQ(h, 24);
  even.height = 10;  // 7.5 rounds to the even 8
  h = 0;
  MeasureMenuItem({u"Ab", u"", false, false, 0, 0, 24}, even, w, h);
  EXPECT_EQ(h, 18);
}

TEST(StyledMenuMeasure, InputOfModelItems) {
  TMenu menu(TMenuKind::Main);
  auto images = std::make_shared<TImageList>();
  images->Width = 20;
  images->Height = 18;
  images->Images.push_back(TGlyph{2, 2, {1, 2, 3, 4}});
  menu.Images = images;
  TMenuItem& bar = menu.Items().Add(u"Файл");
  TMenuItem& sub = bar.Add(u"Открыть");
  sub.ImageIndex = 0;
  TMenuItem& own = bar.Add(u"Свой");
  own.Bitmap = std::make_shared<TGlyph>(TGlyph{3, 5, std::vector<uint32_t>(15, 7)});
  TMenuItem& missing = bar.Add(u"Нет");
  missing.ImageIndex = 4;
  EXPECT_TRUE(MeasureInputOf(bar, 24).TopLevel);
  EXPECT_TRUE(MeasureInputOf(bar, 24).HasSubItems);
  EXPECT_FALSE(MeasureInputOf(sub, 24).TopLevel);
  EXPECT_EQ(MeasureInputOf(sub, 24).GlyphWidth, 20) << "the image list's size";
  EXPECT_EQ(MeasureInputOf(sub, 24).GlyphHeight, 18);
  EXPECT_EQ(MeasureInputOf(own, 24).GlyphWidth, 3) << "the bitmap's own size";
  EXPECT_EQ(MeasureInputOf(missing, 24).GlyphWidth, 0) << "an index past the list is no glyph";
}

TEST(StyledMenuPaint, GradientLevels) {
  struct Case {
    int distance, iconWidth, level;
  } cases[] = {{0, 24, 1}, {1, 24, 4}, {28, 24, 85}, {29, 24, 88}, {30, 24, 89}, {37, 24, 96}, {200, 24, 96},
               {0, 0, 1},  {5, 0, 16}, {-3, 24, 1}};
  for (const Case& c : cases) EXPECT_EQ(GradientLevel(c.distance, c.iconWidth), c.level) << c.distance;
  EXPECT_EQ(HalfRoundedEven(21), 10);
  EXPECT_EQ(HalfRoundedEven(23), 12);
  EXPECT_EQ(HalfRoundedEven(4), 2);
}

TEST(StyledMenuPaint, GlyphTreatmentsKeepTheBackground) {
  const TColor back = Rgb(255, 0, 255);
  TGlyph glyph{2, 2, {Rgb(30, 60, 90), Rgb(250, 250, 250), back, back}};
  GrayGlyph(glyph, 10);
  EXPECT_EQ(glyph.At(0, 0), Rgb(70, 70, 70));
  EXPECT_EQ(glyph.At(1, 0), Rgb(240, 240, 240));
  EXPECT_EQ(glyph.At(0, 1), back);
  FadeGlyph(glyph, 40);
  EXPECT_EQ(glyph.At(0, 0), TintColor(Rgb(70, 70, 70), 40));
  EXPECT_EQ(glyph.At(1, 1), back);
  EXPECT_TRUE(InGlyphShape(glyph, 0, 0));
  EXPECT_FALSE(InGlyphShape(glyph, 1, 1));
  TGlyph broken{4, 4, {1, 2}};  // fewer pixels than its size: left alone
  GrayGlyph(broken, 10);
  FadeGlyph(broken, 10);
  EXPECT_EQ(broken.Pixels, (std::vector<uint32_t>{1, 2}));
}

TEST(StyledMenuControls, KindsOfControlsAndParents) {
  struct Case {
    std::u16string cls;
    uint32_t style;
    std::optional<TStyledControl> kind;
  } cases[] = {
      {u"ComboBox", 0x2, xcCombo},       {u"EDIT", 0x80, xcEdit},           {u"Edit", 0x4, xcMemo},
      {u"Button", 0x0, xcButton},        {u"Button", 0x1, xcButton},        {u"Button", 0x8000, xcSpeedButton},
      {u"Button", 0x3, xcCheckBox},      {u"Button", 0x6, xcCheckBox},      {u"Button", 0x9, xcRadioButton},
      {u"Button", 0x7, xcGroupBox},      {u"Button", 0xB, std::nullopt},    {u"msctls_progress32", 0, xcProgressBar},
      {u"Static", 0x1000, xcPanel},      {u"Static", 0x12, xcPanel},        {u"Static", 0x0, std::nullopt},
      {u"SysListView32", 0, std::nullopt}, {u"ComboBoxEx32", 0, std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(StyledControlKind(c.cls, c.style), c.kind) << std::string(c.cls.begin(), c.cls.end());
  EXPECT_EQ(StyledContainerKind(u"TAckDialogForm", 0, true), xccForm);
  EXPECT_EQ(StyledContainerKind(u"#32770", kStyleChild, false), xccTabSheet);
  EXPECT_EQ(StyledContainerKind(u"#32770", 0, false), std::nullopt) << "another top-level dialog";
  EXPECT_EQ(StyledContainerKind(u"Button", 0x7, false), xccGroupBox);
  EXPECT_EQ(StyledContainerKind(u"Static", 0, false), xccPanel);
  EXPECT_EQ(StyledContainerKind(u"ComboBox", 0, false), std::nullopt) << "a combo's own edit is not styled";
  EXPECT_EQ(kAllStyledControls, 0x7FFFFFu);
  EXPECT_EQ(kAllStyledContainers, 0x3FFu);
}
