// Colour arithmetic, effective colours, item measuring and glyph treatments of the styled menus.
#include "ui/styledmenu.h"

#include <algorithm>

namespace {

// x / 100 rounded to the nearest integer, halves to the even neighbour (x >= 0).
int PercentRoundedEven(int x) {
  int q = x / 100;
  const int r = x % 100;
  if (r > 50 || (r == 50 && (q & 1))) ++q;
  return q;
}

int Clamp255(int v) { return std::clamp(v, 0, 255); }

int TintChannel(int ch, int percent) { return ch + PercentRoundedEven((255 - ch) * percent); }

}  // namespace

TColor ResolveColor(TColor c, const TSysColors& sys) {
  if ((c & kSystemColorFlag) != kSystemColorFlag) return c & 0xFFFFFF;
  const uint32_t index = c & 0xFFFFFF;
  return index < sys.size() ? sys[index] & 0xFFFFFF : 0;
}

TColor TintColor(TColor rgb, int percent) {
  const int p = std::clamp(percent, 0, 100);
  return Rgb(static_cast<uint32_t>(TintChannel(static_cast<int>(RedOf(rgb)), p)),
             static_cast<uint32_t>(TintChannel(static_cast<int>(GreenOf(rgb)), p)),
             static_cast<uint32_t>(TintChannel(static_cast<int>(BlueOf(rgb)), p)));
}

TColor ShadeColor(TColor rgb, int v) {
  return Rgb(static_cast<uint32_t>(Clamp255(static_cast<int>(RedOf(rgb)) - v)),
             static_cast<uint32_t>(Clamp255(static_cast<int>(GreenOf(rgb)) - v + 2)),
             static_cast<uint32_t>(Clamp255(static_cast<int>(BlueOf(rgb)) - v)));
}

TColor GrayOfColor(TColor rgb, int v) {
  const int mean = static_cast<int>((RedOf(rgb) + GreenOf(rgb) + BlueOf(rgb)) / 3);
  const auto g = static_cast<uint32_t>(std::clamp(mean + v, 0, 240));
  return Rgb(g, g, g);
}

TColor AverageColor(std::span<const TColor> colors) {
  if (colors.empty()) return 0;
  const auto n = static_cast<uint32_t>(colors.size());
  uint32_t r = 0, g = 0, b = 0;
  for (const TColor c : colors) {
    r += RedOf(c) / n;
    g += GreenOf(c) / n;
    b += BlueOf(c) / n;
  }
  return Rgb(std::min(r, 255u), std::min(g, 255u), std::min(b, 255u));
}

TColor ContrastTextColor(TColor rgb, TColor fontColor) {
  if ((RedOf(rgb) + BlueOf(rgb)) / 2 < 151 && GreenOf(rgb) < 201) return TintColor(rgb, 90);
  return fontColor;
}

TEffectiveColors ComputeEffectiveColors(const TStyledColors& props, const TColorContext& ctx, const TSysColors& sys) {
  const auto res = [&](TColor c) { return ResolveColor(c, sys); };
  const TColor btnFace = res(clBtnFace);
  const TColor btnShadow = res(clBtnShadow);
  const TColor highlight = res(clHighlight);
  const TColor white = Rgb(255, 255, 255);
  TEffectiveColors e;
  if (ctx.UseSystemColors) {
    e.Background = ctx.HighColor ? TintColor(btnFace, 86) : white;
    e.IconStrip = ctx.HighColor ? TintColor(btnFace, 16) : btnFace;
    e.SelectFill = ctx.HighColor ? TintColor(highlight, 68) : white;
    e.SelectFrame = highlight;
    e.SelectedCaption = ctx.FontColor;
    e.CheckArea = ctx.HighColor ? TintColor(highlight, 80) : white;
    e.CheckAreaPressed = ctx.HighColor ? TintColor(highlight, 50) : white;
    e.CheckOutline = highlight;
    e.MenuBar = btnFace;
    e.DisabledCaption = ctx.HighColor ? TintColor(btnShadow, 10) : btnShadow;
    e.Separator = ctx.HighColor ? TintColor(btnShadow, 25) : btnShadow;
  } else {
    const TColor select = res(props.SelectColor);
    const bool dim = ctx.HighColor && ctx.UseDimColor;
    e.Background = res(props.Color);
    e.IconStrip = res(props.IconBackColor);
    e.SelectFill = dim ? TintColor(select, 68) : select;
    e.SelectFrame = res(props.SelectBorderColor);
    e.SelectedCaption = res(props.SelectFontColor);
    e.CheckArea = ctx.HighColor ? (dim ? TintColor(select, 80) : select) : white;
    e.CheckAreaPressed = ctx.HighColor ? (dim ? TintColor(select, 50) : select) : Rgb(192, 192, 192);
    e.CheckOutline = res(props.CheckedColor);
    e.MenuBar = res(props.MenuBarColor);
    e.DisabledCaption = res(props.DisabledColor);
    e.Separator = res(props.SeparatorColor);
  }
  e.PopupFrame = ctx.HighColor ? ShadeColor(btnFace, 90) : btnShadow;
  e.PopupShadow = ctx.HighColor ? ShadeColor(btnFace, 76) : btnShadow;
  return e;
}

int HalfRoundedEven(int n) { return PercentRoundedEven(n * 50); }

void MeasureMenuItem(const TMeasureItemInput& item, const TMenuTextMeasurer& font, int& width, int& height) {
  const bool separator = item.Caption == u"-";
  std::u16string text = separator ? std::u16string() : item.Caption;
  if (!item.ShortCut.empty()) text += item.ShortCut + u"WWW";
  int w = font.TextWidth(text) + 5;
  if (text.find(u'&') != std::u16string::npos) w -= font.TextWidth(u"&");
  if (item.HasSubItems && !item.TopLevel) w += 6;
  w += item.TopLevel ? item.GlyphWidth : std::max(item.GlyphWidth, item.IconWidth);
  width = std::max(width, w);
  if (separator) {
    height = 4;
    return;
  }
  const int th = font.TextHeight(text);
  // th x 0.75, rounded half to even: (th x 75) / 100.
  int h = th + PercentRoundedEven(th * 75);
  if (item.GlyphHeight > 0) h = std::max(h, item.GlyphHeight + 6);
  height = std::max(height, h);
}

TMeasureItemInput MeasureInputOf(const TMenuItem& item, int iconWidth) {
  TMeasureItemInput in;
  in.Caption = item.Caption;
  in.ShortCut = item.ShortCut;
  in.HasSubItems = item.HasSubItems();
  in.TopLevel = item.IsTopLevel();
  in.IconWidth = iconWidth;
  if (const TGlyph* glyph = item.Glyph()) {
    const TImageList* images = item.ImageIndex >= 0 ? item.Images() : nullptr;
    // An image list's pictures all count as its size.
    in.GlyphWidth = images && images->Get(item.ImageIndex) ? images->Width : glyph->Width;
    in.GlyphHeight = images && images->Get(item.ImageIndex) ? images->Height : glyph->Height;
  }
  return in;
}

int GradientLevel(int distance, int iconWidth) {
  if (distance < 0) distance = 0;
  const int steep = std::max(iconWidth + 5, 0);
  const int level = distance < steep ? 1 + 3 * distance : 1 + 3 * steep + (distance - steep);
  return std::min(level, 96);
}

void GrayGlyph(TGlyph& glyph, int level) {
  if (glyph.Empty()) return;
  const TColor back = glyph.Background();
  for (uint32_t& p : glyph.Pixels) {
    if (p != back) p = GrayOfColor(p, level);
  }
}

void FadeGlyph(TGlyph& glyph, int percent) {
  if (glyph.Empty()) return;
  const TColor back = glyph.Background();
  for (uint32_t& p : glyph.Pixels) {
    if (p != back) p = TintColor(p, percent);
  }
}

namespace {

bool SameClass(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

std::optional<TStyledControl> StyledControlKind(std::u16string_view className, uint32_t style) {
  if (SameClass(className, u"ComboBox")) return xcCombo;
  if (SameClass(className, u"Edit")) return (style & kStyleMultiline) ? xcMemo : xcEdit;
  if (SameClass(className, u"msctls_progress32")) return xcProgressBar;
  if (SameClass(className, u"Static")) {
    // Only statics drawn with a bevel are panels; labels and pictures keep their look.
    constexpr uint32_t kSunken = 0x1000, kTypeMask = 0x1F, kEtchedFrame = 0x12;
    return (style & kSunken) || (style & kTypeMask) == kEtchedFrame ? std::optional(xcPanel) : std::nullopt;
  }
  if (!SameClass(className, u"Button")) return std::nullopt;
  switch (style & kButtonTypeMask) {
    case 0x0:  // BS_PUSHBUTTON
    case 0x1:  // BS_DEFPUSHBUTTON
      return (style & kButtonFlat) ? xcSpeedButton : xcButton;
    case 0x2:  // BS_CHECKBOX
    case 0x3:  // BS_AUTOCHECKBOX
    case 0x5:  // BS_3STATE
    case 0x6:  // BS_AUTO3STATE
      return xcCheckBox;
    case 0x4:  // BS_RADIOBUTTON
    case 0x9:  // BS_AUTORADIOBUTTON
      return xcRadioButton;
    case 0x7:  // BS_GROUPBOX
      return xcGroupBox;
    default:
      return std::nullopt;
  }
}

std::optional<TStyledContainer> StyledContainerKind(std::u16string_view className, uint32_t style, bool isForm) {
  if (isForm) return xccForm;
  if (SameClass(className, u"#32770") && (style & kStyleChild)) return xccTabSheet;
  if (SameClass(className, u"Button") && (style & kButtonTypeMask) == 0x7) return xccGroupBox;
  if (SameClass(className, u"Static")) return xccPanel;
  return std::nullopt;
}
