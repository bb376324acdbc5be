// The flat menu look without the window calls: colour arithmetic, the effective colours a styled menu
// paints with, how big an item is, the icon strip's gradient and the glyph treatments (grey, faded,
// shadow). System colours, colour depth and text widths come in as values.
#pragma once

#include <array>
#include <optional>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "ui/menumodel.h"

// A colour as 0x00BBGGRR (the COLORREF order), or a reference to a system colour: kSystemColorFlag plus
// the COLOR_* index.
using TColor = uint32_t;
inline constexpr TColor kSystemColorFlag = 0xFF000000u;
// The COLOR_* indices the styled menus use.
enum TSysColorIndex : uint32_t {
  kColorInactiveCaption = 3,
  kColorWindow = 5,
  kColorMenuText = 7,
  kColorHighlight = 13,
  kColorBtnFace = 15,
  kColorBtnShadow = 16,
  kSysColorCount = 31,
};
constexpr TColor SysColor(uint32_t index) { return kSystemColorFlag | index; }
inline constexpr TColor clBtnFace = SysColor(kColorBtnFace);
inline constexpr TColor clBtnShadow = SysColor(kColorBtnShadow);
inline constexpr TColor clHighlight = SysColor(kColorHighlight);
inline constexpr TColor clInactiveCaption = SysColor(kColorInactiveCaption);
inline constexpr TColor clWindow = SysColor(kColorWindow);
inline constexpr TColor clMenuText = SysColor(kColorMenuText);

constexpr TColor Rgb(uint32_t r, uint32_t g, uint32_t b) { return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16); }
constexpr uint32_t RedOf(TColor c) { return c & 0xFF; }
constexpr uint32_t GreenOf(TColor c) { return (c >> 8) & 0xFF; }
constexpr uint32_t BlueOf(TColor c) { return (c >> 16) & 0xFF; }

// The system's colours by COLOR_* index (GetSysColor at the edge, a fixed palette in tests).
using TSysColors = std::array<TColor, kSysColorCount>;
// The RGB value of a colour; a system colour reference is looked up (black when out of the table).
TColor ResolveColor(TColor c, const TSysColors& sys);

// Each channel moved towards white by p percent (at most 100), rounded half to even.
TColor TintColor(TColor rgb, int percent);
// Each channel darkened by v; green loses 2 less. Clamped to 0..255.
TColor ShadeColor(TColor rgb, int v);
// Grey of the channels' mean (rounded down) plus v, at most 240.
TColor GrayOfColor(TColor rgb, int v);
// Per channel the sum of each colour's channel divided by the count, each quotient rounded down; black
// for an empty list.
TColor AverageColor(std::span<const TColor> colors);
// A light tint of a dark colour, else the font's colour: text that reads on the colour.
TColor ContrastTextColor(TColor rgb, TColor fontColor);

// The colour properties of a styled menu, as set (system colour references allowed).
struct TStyledColors {
  TColor Color = clBtnFace;
  TColor IconBackColor = clBtnFace;
  TColor MenuBarColor = clBtnFace;
  TColor SelectColor = clHighlight;
  TColor SelectBorderColor = clHighlight;
  TColor SelectFontColor = clMenuText;
  TColor DisabledColor = clInactiveCaption;
  TColor SeparatorColor = clBtnFace;
  TColor CheckedColor = clHighlight;
};

// The colours items are painted with, all RGB.
struct TEffectiveColors {
  TColor Background = 0;
  TColor IconStrip = 0;
  TColor SelectFill = 0;
  TColor SelectFrame = 0;
  TColor SelectedCaption = 0;
  TColor CheckArea = 0;
  TColor CheckAreaPressed = 0;
  TColor CheckOutline = 0;
  TColor MenuBar = 0;
  TColor DisabledCaption = 0;
  TColor Separator = 0;
  TColor PopupFrame = 0;
  TColor PopupShadow = 0;
};

// What the effective colours depend on besides the properties.
struct TColorContext {
  bool UseSystemColors = true;
  bool UseDimColor = false;
  bool HighColor = true;  // 16 or more bits per pixel
  TColor FontColor = 0;   // the caption font's colour, RGB
};
TEffectiveColors ComputeEffectiveColors(const TStyledColors& props, const TColorContext& ctx, const TSysColors& sys);

// Text extents in the caption font (GDI at the edge, fixed widths in tests).
class TMenuTextMeasurer {
 public:
  virtual ~TMenuTextMeasurer() = default;
  virtual int TextWidth(std::u16string_view text) const = 0;
  virtual int TextHeight(std::u16string_view text) const = 0;
};

// What measuring an item needs besides its caption.
struct TMeasureItemInput {
  std::u16string Caption;
  std::u16string ShortCut;
  bool HasSubItems = false;
  bool TopLevel = false;  // in a main menu's bar
  int GlyphWidth = 0;     // 0 without a glyph
  int GlyphHeight = 0;
  int IconWidth = 24;
};
// Raises width and height to what the item needs (never lowers them); a separator's height becomes 4.
void MeasureMenuItem(const TMeasureItemInput& item, const TMenuTextMeasurer& font, int& width, int& height);
// The measuring input of a model item, its glyph taken from its images or bitmap.
TMeasureItemInput MeasureInputOf(const TMenuItem& item, int iconWidth);

// The tint level of the icon strip gradient's column at distance from its starting edge: 1, growing by 3
// within iconWidth + 5 pixels and by 1 beyond, at most 96.
int GradientLevel(int distance, int iconWidth);

// n / 2 rounded to the nearest integer, halves to the even neighbour.
int HalfRoundedEven(int n);

// Glyph treatments; the background (bottom-left) pixels stay as they are, so the glyph stays transparent.
// Disabled: the grey of each pixel plus level (GrayOfColor).
void GrayGlyph(TGlyph& glyph, int level);
// Every pixel tinted towards white by percent.
void FadeGlyph(TGlyph& glyph, int percent);
// Whether a pixel belongs to the glyph's shape (differs from the background).
inline bool InGlyphShape(const TGlyph& glyph, int x, int y) { return glyph.At(x, y) != glyph.Background(); }

// The parents whose child controls are styled, and the kinds of objects styled; bit i of a set is
// member i in this order.
enum TStyledContainer : uint32_t {
  xccForm, xccFrame, xccToolbar, xccCoolbar, xccControlbar, xccPanel, xccScrollBox, xccGroupBox, xccTabSheet,
  xccPageScroller, kStyledContainerCount
};
enum TStyledControl : uint32_t {
  xcMainMenu, xcPopupMenu, xcToolbar, xcControlbar, xcCombo, xcListBox, xcEdit, xcMaskEdit, xcMemo, xcRichEdit,
  xcMiscEdit, xcCheckBox, xcRadioButton, xcButton, xcBitBtn, xcSpeedButton, xcUpDown, xcPanel, xcGroupBox,
  xcTreeView, xcListView, xcProgressBar, xcHotKey, kStyledControlCount
};
using TStyledContainers = uint32_t;
using TStyledControls = uint32_t;
constexpr uint32_t SetOf(uint32_t member) { return 1u << member; }
inline constexpr TStyledContainers kAllStyledContainers = (1u << kStyledContainerCount) - 1;
inline constexpr TStyledControls kAllStyledControls = (1u << kStyledControlCount) - 1;
inline constexpr TStyledControls kMenusOnly = SetOf(xcMainMenu) | SetOf(xcPopupMenu);

// The window styles the classification reads (their Win32 values).
inline constexpr uint32_t kStyleMultiline = 0x0004;  // ES_MULTILINE
inline constexpr uint32_t kButtonTypeMask = 0x000F;  // BS_TYPEMASK
inline constexpr uint32_t kButtonFlat = 0x8000;      // BS_FLAT
inline constexpr uint32_t kStyleChild = 0x40000000;  // WS_CHILD

// The kind a window of this class and style is styled as; nothing for the kinds the program's forms do
// not have. "TButton" is a push button, a speed button a flat one.
std::optional<TStyledControl> StyledControlKind(std::u16string_view className, uint32_t style);
// The container kind of a control's parent: the form itself, a group box, a panel (static) or a child
// dialog page (tab sheet); nothing for other parents (a combo box's own edit is not styled).
std::optional<TStyledContainer> StyledContainerKind(std::u16string_view className, uint32_t style, bool isForm);
