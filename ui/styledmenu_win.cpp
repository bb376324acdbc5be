// The styled menus on Win32: the component's properties and application, item measuring and painting
// into an off-screen DIB, flat popup frames, and the process-wide manager.
#include "ui/styledmenu_win.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "foundation/lib_unicode_win.h"
#include "ui/flatctrl_win.h"
#include "ui/forms_win.h"

static_assert(kColorBtnFace == COLOR_BTNFACE && kColorBtnShadow == COLOR_BTNSHADOW &&
              kColorHighlight == COLOR_HIGHLIGHT && kColorInactiveCaption == COLOR_INACTIVECAPTION &&
              kColorWindow == COLOR_WINDOW && kColorMenuText == COLOR_MENUTEXT);
static_assert(kStyleMultiline == ES_MULTILINE && kButtonTypeMask == BS_TYPEMASK && kButtonFlat == BS_FLAT &&
              kStyleChild == WS_CHILD);

namespace {

// The one manager; everything that touches it runs on the forms' message-loop thread.
TStyledMenuManager* g_manager = nullptr;

constexpr UINT_PTR kManagerHookId = 0x534D4731;     // "SMG1"
constexpr wchar_t kFlatFrameProp[] = L"ClientFlatMenuProc";

TStyledEnvironment SystemEnvironment() {
  TStyledEnvironment env;
  OSVERSIONINFOW v{};
  v.dwOSVersionInfoSize = sizeof v;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (GetVersionExW(&v)) {
#pragma GCC diagnostic pop
    env.NTFamily = v.dwPlatformId == VER_PLATFORM_WIN32_NT;
    env.Win2000 = env.NTFamily && v.dwMajorVersion == 5 && v.dwMinorVersion == 0;
    env.WinXP = env.NTFamily && v.dwMajorVersion == 5 && v.dwMinorVersion == 1;
  }
  return env;
}

// A GDI text measurer for the caption font.
class TDcMeasurer : public TMenuTextMeasurer {
 public:
  TDcMeasurer(HDC dc, HFONT font) : dc_(dc), old_(SelectObject(dc, font)) {}
  ~TDcMeasurer() override { SelectObject(dc_, old_); }
  int TextWidth(std::u16string_view text) const override { return Extent(text).cx; }
  int TextHeight(std::u16string_view text) const override { return Extent(text.empty() ? u"W" : text).cy; }

 private:
  SIZE Extent(std::u16string_view text) const {
    SIZE size{};
    const std::u16string s(text);
    GetTextExtentPoint32W(dc_, WStr(s), static_cast<int>(s.size()), &size);
    if (s.empty()) size.cx = 0;
    return size;
  }
  HDC dc_;
  HGDIOBJ old_;
};

// An off-screen 32-bit DIB an item is painted into.
class TItemCanvas {
 public:
  TItemCanvas(HDC target, int width, int height) : width_(std::max(width, 1)), height_(std::max(height, 1)) {
    dc_.Reset(CreateCompatibleDC(target));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.Reset(CreateDIBSection(target, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    bits_ = static_cast<uint32_t*>(bits);
    if (dc_ && bitmap_) old_ = SelectObject(dc_.Get(), bitmap_.Get());
  }
  ~TItemCanvas() {
    if (old_) SelectObject(dc_.Get(), old_);
  }
  bool Valid() const { return dc_ && bitmap_ && bits_; }
  HDC Dc() const { return dc_.Get(); }
  // Pixels written directly; GDI's queued drawing lands first.
  void Set(int x, int y, TColor c) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    GdiFlush();
    bits_[static_cast<size_t>(y) * width_ + x] = ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
  }
  TColor Get(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    GdiFlush();
    const uint32_t p = bits_[static_cast<size_t>(y) * width_ + x];
    return ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF);
  }

 private:
  int width_, height_;
  TDeviceContext dc_;
  TGdiObject bitmap_;
  uint32_t* bits_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

RECT Offset(RECT r, int dx, int dy) {
  OffsetRect(&r, dx, dy);
  return r;
}

}  // namespace

void FillColor(HDC dc, const RECT& r, TColor color) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  SetDCBrushColor(dc, color);
  FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void FrameColor(HDC dc, const RECT& r, TColor color) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  SetDCBrushColor(dc, color);
  FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void LineColor(HDC dc, int x1, int y1, int x2, int y2, TColor color) {
  SetDCPenColor(dc, color);
  const HGDIOBJ old = SelectObject(dc, GetStockObject(DC_PEN));
  MoveToEx(dc, x1, y1, nullptr);
  LineTo(dc, x2, y2);
  SelectObject(dc, old);
}

LOGFONTW ScreenMenuFont() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return metrics.lfMenuFont;
  LOGFONTW font{};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
  return font;
}

TSysColors SystemColors() {
  TSysColors sys{};
  for (uint32_t i = 0; i < sys.size(); ++i) sys[i] = GetSysColor(static_cast<int>(i));
  return sys;
}

// ---- TStyledMenu ----

TStyledMenu::TStyledMenu(HWND form) : form_(form), environment_(SystemEnvironment()) { Init(); }

TStyledMenu::TStyledMenu(HWND form, const TStyledEnvironment& environment) : form_(form), environment_(environment) {
  Init();
}

void TStyledMenu::Init() {
  const LOGFONTW font = ScreenMenuFont();
  font_.Reset(CreateFontIndirectW(&font));
  fontColor_ = GetSysColor(COLOR_MENUTEXT);
  colors_.SelectFontColor = fontColor_;
  TStyledMenuManager::Create();
  ComputeEffectiveColors();
}

TStyledMenu::~TStyledMenu() {
  for (TRealisedMenu* menu : menus_) ApplyToMenu(*menu, false);
  ReleaseSubclasses();
  if (TStyledMenuManager* manager = TStyledMenuManager::Instance()) {
    manager->RemoveStyledMenu(this);
  }
  if (form_) RedrawWindow(form_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  TStyledMenuManager::FreeIfEmpty();
}

bool TStyledMenu::HighColor() const {
  int bits = environment_.BitsPerPixel;
  if (bits <= 0) {
    HDC screen = GetDC(form_);
    bits = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
    ReleaseDC(form_, screen);
  }
  return bits >= 16;
}

void TStyledMenu::ComputeEffectiveColors() {
  effective_ = ::ComputeEffectiveColors(colors_, {useSystemColors_, UseDimColor, HighColor(), fontColor_},
                                        SystemColors());
  colorsChanged_ = false;
}

const TEffectiveColors& TStyledMenu::EffectiveColors() {
  if (colorsChanged_) ComputeEffectiveColors();
  return effective_;
}

void TStyledMenu::RedrawMenuBar() {
  if (form_ && GetMenu(form_)) ::DrawMenuBar(form_);
}

void TStyledMenu::SetFont(const LOGFONTW& font, TColor color) {
  font_.Reset(CreateFontIndirectW(&font));
  fontColor_ = color;
  colorsChanged_ = true;
  RedrawMenuBar();
}

void TStyledMenu::SetColor(TColor TStyledColors::*property, TColor value) {
  colors_.*property = value;
  colorsChanged_ = true;
  if (property == &TStyledColors::MenuBarColor) RedrawMenuBar();
}

void TStyledMenu::SetUseSystemColors(bool value) {
  useSystemColors_ = value;
  RedrawMenuBar();
}

void TStyledMenu::SetOverrideOwnerDraw(bool value) {
  overrideOwnerDraw_ = value;
  if (active_) ApplyToOwnedComponents(form_, true, true);
}

void TStyledMenu::SetStyledControls(TStyledControls value) {
  ApplyToOwnedComponents(form_, false, true);
  styledControls_ = value & kAllStyledControls;
  if (active_) ApplyToOwnedComponents(form_, true, true);
}

void TStyledMenu::SetStyledContainers(TStyledContainers value) {
  ApplyToOwnedComponents(form_, false, true);
  styledContainers_ = value & kAllStyledContainers;
  if (active_) ApplyToOwnedComponents(form_, true, true);
}

void TStyledMenu::SetActive(bool value) {
  active_ = value;
  ApplyToOwnedComponents(form_, value, true);
  RedrawMenuBar();
}

void TStyledMenu::SetDisableSubclassing(bool value) {
  if (disableSubclassing_ == value) return;
  disableSubclassing_ = value;
  TStyledMenuManager* manager = TStyledMenuManager::Instance();
  if (!manager) return;
  if (manager->ActiveStyledMenu() == this || (!manager->ActiveStyledMenu() && !value)) {
    manager->ChooseActiveStyledMenu();
  }
}

void TStyledMenu::AddMenu(TRealisedMenu& menu) {
  if (std::find(menus_.begin(), menus_.end(), &menu) != menus_.end()) return;
  menus_.push_back(&menu);
  menu.Model().OnInsert = [this, &menu](TMenuItem& item) {
    if (active_ && AutoDetect) ApplyItemHandlers(item, true, overrideOwnerDraw_, this, DrawHandler(), MeasureHandler());
    (void)menu;
  };
  if (active_) {
    ApplyToMenu(menu, true);
  }
}

void TStyledMenu::RemoveMenu(TRealisedMenu& menu) {
  const auto it = std::find(menus_.begin(), menus_.end(), &menu);
  if (it == menus_.end()) return;
  ApplyToMenu(menu, false);
  menu.Model().OnInsert = nullptr;
  menus_.erase(it);
}

TMenuDraw TStyledMenu::DrawHandler() {
  return [this](TMenuItem& item, TMenuDrawArgs& args) { PaintItem(item, args); };
}

TMenuMeasure TStyledMenu::MeasureHandler() {
  return [this](TMenuItem& item, TMenuMeasureArgs& args) { MeasureItem(item, args); };
}

void TStyledMenu::HookMenuItem(TMenuItem& item, bool subItems) {
  if (subItems) {
    ApplyItemHandlersDeep(item, true, overrideOwnerDraw_, this, DrawHandler(), MeasureHandler());
  } else {
    ApplyItemHandlers(item, true, overrideOwnerDraw_, this, DrawHandler(), MeasureHandler());
  }
}

void TStyledMenu::Loaded() {
  if (TStyledMenuManager* manager = TStyledMenuManager::Instance()) manager->AddStyledMenu(this);
}

void TStyledMenu::ApplyToMenu(TRealisedMenu& realised, bool enable) {
  TMenu& menu = realised.Model();
  const bool selected = menu.Kind() == TMenuKind::Main ? (styledControls_ & SetOf(xcMainMenu)) && menu.Tag != kTagNativeLook
                                                       : (styledControls_ & SetOf(xcPopupMenu)) != 0;
  if (!selected && enable) return;
  menu.OwnerDraw = enable;
  for (size_t i = 0; i < menu.Items().Count(); ++i) {
    ApplyItemHandlersDeep(menu.Items()[i], enable, overrideOwnerDraw_, this, DrawHandler(), MeasureHandler());
  }
  // Building the menu again makes the bar measure and draw its items anew.
  realised.Rebuild();
}

void TStyledMenu::ApplyToOwnedComponents(HWND form, bool enable, bool repaint) {
  if (form == form_) {
    for (TRealisedMenu* menu : menus_) ApplyToMenu(*menu, enable);
  }
  ApplyToControls(form, enable, repaint);
}

namespace {

std::u16string ClassNameOf(HWND wnd) {
  wchar_t name[64] = {};
  const int n = GetClassNameW(wnd, name, 64);
  return FromWStr(name, n > 0 ? static_cast<size_t>(n) : 0);
}

struct TControlWalk {
  TStyledMenu* menu;
  HWND form;
  bool enable;
  bool repaint;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectChild(HWND child, LPARAM lp) {
  reinterpret_cast<TControlWalk*>(lp)->found.push_back(child);
  return TRUE;
}

}  // namespace

void TStyledMenu::ApplyToControls(HWND form, bool enable, bool repaint) {
  if (!form) return;
  TControlWalk walk{this, form, enable, repaint, {}};
  EnumChildWindows(form, CollectChild, reinterpret_cast<LPARAM>(&walk));
  for (const HWND control : walk.found) {
    const auto kind = StyledControlKind(ClassNameOf(control), static_cast<uint32_t>(GetWindowLongPtrW(control, GWL_STYLE)));
    if (!kind || kind == xcMainMenu || kind == xcPopupMenu || !(styledControls_ & SetOf(*kind))) continue;
    const HWND parent = GetParent(control);
    const auto container = StyledContainerKind(ClassNameOf(parent), static_cast<uint32_t>(GetWindowLongPtrW(parent, GWL_STYLE)),
                                               parent == form);
    if (!container || !(styledContainers_ & SetOf(*container))) continue;
    if (ControlTag(control) == kTagNativeLook || ControlTag(parent) == kTagNativeLook) continue;
    if (enable) TControlSubClass::Install(control, *this, *kind);
    if (repaint) RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE);
  }
}

void TStyledMenu::ReleaseSubclasses(HWND form) {
  // Release removes the object from the list, so walk a copy.
  const std::vector<TControlSubClass*> all = subclasses_;
  for (TControlSubClass* sub : all) {
    if (!form || GetAncestor(sub->Control(), GA_ROOT) == form) sub->Release();
  }
}

void TStyledMenu::MeasureItem(TMenuItem& item, TMenuMeasureArgs& args) {
  if (!active_) return;
  HDC screen = GetDC(nullptr);
  {
    const TDcMeasurer measurer(screen, Font());
    ::MeasureMenuItem(MeasureInputOf(item, IconWidth), measurer, args.Width, args.Height);
  }
  ReleaseDC(nullptr, screen);
}

namespace {

bool CursorInItem(HWND form, HMENU menu, UINT position) {
  RECT r{};
  POINT cursor{};
  return form && menu && GetMenuItemRect(form, menu, position, &r) && GetCursorPos(&cursor) && PtInRect(&r, cursor);
}

void DrawGlyph(TItemCanvas& canvas, const TGlyph& glyph, int x, int y) {
  for (int gy = 0; gy < glyph.Height; ++gy) {
    for (int gx = 0; gx < glyph.Width; ++gx) {
      if (InGlyphShape(glyph, gx, gy)) canvas.Set(x + gx, y + gy, glyph.At(gx, gy));
    }
  }
}

void DrawText(HDC dc, const std::u16string& text, RECT& r, UINT format, bool wide) {
  if (wide) {
    DrawTextExW(dc, const_cast<wchar_t*>(WStr(text)), static_cast<int>(text.size()), &r, format, nullptr);
    return;
  }
  // The 9x family draws 8-bit text in the system code page.
  const int n = WideCharToMultiByte(CP_ACP, 0, WStr(text), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(std::max(n, 0)), '\0');
  if (n > 0) WideCharToMultiByte(CP_ACP, 0, WStr(text), static_cast<int>(text.size()), bytes.data(), n, nullptr, nullptr);
  DrawTextExA(dc, bytes.data(), n, &r, format, nullptr);
}

}  // namespace

void TStyledMenu::PaintItem(TMenuItem& item, TMenuDrawArgs& args) {
  if (!active_) return;
  const TEffectiveColors& c = EffectiveColors();
  const bool rtl = item.Menu() && item.Menu()->RightToLeft;
  const bool top = item.IsTopLevel();
  const bool high = HighColor();
  const RECT r = args.Rect;
  // The painted area: a popup item with the menu's 4-pixel margin, a bar item less its bottom row.
  RECT area = r;
  if (top) {
    area.bottom -= 1;
  } else if (rtl) {
    area.right += 4;
  } else {
    area.left -= 4;
  }
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return;
  TItemCanvas canvas(args.Dc, width, height);
  if (!canvas.Valid()) return;
  const HDC dc = canvas.Dc();
  // Item coordinates inside the canvas.
  const int ox = -area.left, oy = -area.top;
  const RECT item_r = Offset(r, ox, oy);
  RECT strip{};
  if (!top) {
    strip = rtl ? RECT{item_r.right - IconWidth, 0, width, height} : RECT{0, 0, item_r.left + IconWidth, height};
  }
  const TGlyph* glyph = item.Glyph();
  const bool enabled = !args.Disabled && item.Enabled;
  const bool hotTop = top && !args.Selected && enabled && environment_.NTFamily &&
                      CursorInItem(form_, args.Menu, args.Position);
  const bool selected = args.Selected || hotTop;

  // Background.
  if (top) {
    TColor bar = c.MenuBar;
    if (DrawMenuBar) {
      effective_.MenuBar = bar = ResolveColor(colors_.MenuBarColor, SystemColors());
      const TMenuItem* parent = item.Parent();
      const bool last = parent && parent->Count() > 0 && &(*parent)[parent->Count() - 1] == &item;
      RECT client{};
      if (last && form_ && GetClientRect(form_, &client)) {
        // The bar's rest, right of its last item (left of it in a right-to-left bar).
        const RECT rest = rtl ? RECT{3, r.top, r.left, r.bottom - 1} : RECT{r.right, r.top, client.right + 5, r.bottom - 1};
        FillColor(args.Dc, rest, bar);
      }
    }
    FillColor(dc, {0, 0, width, height}, bar);
  } else if (high && Gradient) {
    for (int x = 0; x < width; ++x) {
      const int distance = rtl ? item_r.right - 1 - x : x - item_r.left;
      FillColor(dc, {x, 0, x + 1, height}, TintColor(c.IconStrip, GradientLevel(distance, IconWidth)));
    }
  } else {
    FillColor(dc, {0, 0, width, height}, c.Background);
    FillColor(dc, strip, c.IconStrip);
  }

  // Selection.
  if (DrawSelect && top && args.Selected) {
    const TColor bar = effective_.MenuBar;
    const int l = item_r.left, t = item_r.top, rr = item_r.right, b = height;
    if (high && !rtl) {
      FillColor(dc, {l, t, rr - 7, b}, c.SelectFill);
      LineColor(dc, l, b, l, t, c.SelectFrame);
      LineColor(dc, l, t, rr - 8, t, c.SelectFrame);
      LineColor(dc, rr - 8, t, rr - 8, b, c.SelectFrame);
      FillColor(dc, {rr - 7, t, rr, b}, ShadeColor(bar, 10));
      FillColor(dc, {rr - 7, t + 3, rr - 2, b}, ShadeColor(bar, 30));
      FillColor(dc, {rr - 7, t + 5, rr - 3, b}, ShadeColor(bar, 60));
      FillColor(dc, {rr - 7, t + 6, rr - 5, b}, ShadeColor(bar, 100));
      // The shadow's top corner rounded off.
      canvas.Set(rr - 1, t, bar);
      canvas.Set(rr - 2, t, bar);
      canvas.Set(rr - 1, t + 1, bar);
    } else {
      const TColor own = ResolveColor(colors_.MenuBarColor, SystemColors());
      FillColor(dc, {l, t, rr - 2, b}, c.SelectFill);
      LineColor(dc, l, b, l, t, c.SelectFrame);
      LineColor(dc, l, t, rr - 3, t, c.SelectFrame);
      LineColor(dc, rr - 3, t, rr - 3, b, c.SelectFrame);
      FillColor(dc, {rr - 2, t, rr, t + 2}, own);
      FillColor(dc, {rr - 2, t + 2, rr, b}, TintColor(own, 70));
    }
  } else if (DrawSelect && !top && args.Selected && enabled) {
    const RECT box{item_r.left, item_r.top + 1, item_r.right - (FlatMenu ? 1 : 0), item_r.bottom - 1};
    FillColor(dc, box, c.SelectFill);
    FrameColor(dc, box, c.SelectFrame);
  } else if (DrawSelect && hotTop) {
    const RECT box{item_r.left, 0, item_r.right - 7, height};
    FillColor(dc, box, c.SelectFill);
    FrameColor(dc, box, c.SelectFrame);
  }

  const HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(DC_BRUSH));
  const HGDIOBJ oldPen = SelectObject(dc, GetStockObject(DC_PEN));
  // Check box or radio mark in the strip.
  if (item.Checked && !top && !item.IsSeparator()) {
    RECT box{};
    if (glyph) {
      // The item's part of the strip less 1 pixel on the item's outer side, 3 on the text's side (as
      // wide as a glyph wider than the strip).
      const int boxWidth = std::max(IconWidth - 4, glyph->Width);
      box.top = 2;
      box.bottom = height - 2;
      box.left = rtl ? item_r.right - 1 - boxWidth : item_r.left + 1;
      box.right = box.left + boxWidth;
    } else {
      const int sl = rtl ? item_r.right - IconWidth : item_r.left;
      box.left = sl + (IconWidth - 10) / 2;
      box.top = (height - 10) / 2;
      box.right = box.left + 10;
      box.bottom = box.top + 10;
    }
    const TColor outline = !enabled ? c.DisabledCaption : (!item.RadioItem && !glyph) ? c.CheckOutline : c.SelectFrame;
    SetDCPenColor(dc, outline);
    if (enabled) {
      SetDCBrushColor(dc, args.Selected ? c.CheckAreaPressed : c.CheckArea);
    } else {
      SelectObject(dc, GetStockObject(NULL_BRUSH));
    }
    if (!item.RadioItem) {
      Rectangle(dc, box.left, box.top, box.right, box.bottom);
      if (!glyph) {
        const int x = box.left, y = box.top, w = box.right - box.left, h = box.bottom - box.top;
        const TColor mark = enabled ? Rgb(0, 0, 0) : c.DisabledCaption;
        LineColor(dc, x + 1, y + 5, x + 4, y + h - 2, mark);
        LineColor(dc, x + 2, y + 5, x + 4, y + h - 3, mark);
        LineColor(dc, x + 2, y + 4, x + 5, y + h - 3, mark);
        LineColor(dc, x + 4, y + h - 3, x + w + 2, y - 1, mark);
        LineColor(dc, x + 4, y + h - 2, x + w - 2, y + 3, mark);
      }
    } else if (glyph) {
      RoundRect(dc, box.left, box.top, box.right, box.bottom, 6, 6);
    } else {
      Ellipse(dc, box.left, box.top, box.right, box.bottom);
      SelectObject(dc, GetStockObject(DC_BRUSH));
      SetDCBrushColor(dc, outline);
      Ellipse(dc, box.left + 2, box.top + 2, box.right - 2, box.bottom - 2);
    }
    SelectObject(dc, GetStockObject(DC_BRUSH));
  }

  // Glyph.
  if (glyph && !item.IsSeparator()) {
    TGlyph shown = *glyph;
    int x, y = item_r.top + 3;
    if (top) {
      x = rtl ? item_r.right - 5 - shown.Width : item_r.left + 1;
    } else if (shown.Width < IconWidth) {
      const int sl = rtl ? item_r.right - IconWidth : item_r.left;
      x = sl + (IconWidth - shown.Width) / 2 - 1;
    } else {
      x = rtl ? item_r.right - 2 - shown.Width : item_r.left + 2;
    }
    if (!enabled) {
      GrayGlyph(shown, GrayLevel);
      FadeGlyph(shown, 40);
    } else if (!selected && !item.Checked && high) {
      FadeGlyph(shown, DimLevel);
    }
    if (enabled && selected) {
      if (top) {
        x -= 1;
        y -= 2;
      } else if (!item.Checked) {
        x -= 1;
        y -= 1;
      }
      if (!item.Checked) {
        const TColor shadow = ShadeColor(c.SelectFill, 50);
        for (int gy = 0; gy < shown.Height; ++gy) {
          for (int gx = 0; gx < shown.Width; ++gx) {
            if (InGlyphShape(shown, gx, gy)) canvas.Set(x + 2 + gx, y + 2 + gy, shadow);
          }
        }
      }
    }
    DrawGlyph(canvas, shown, x, y);
  }

  if (item.IsSeparator()) {
    const int y = item_r.top + HalfRoundedEven(item_r.bottom - item_r.top);
    if (rtl) {
      LineColor(dc, 0, y, strip.left - 7, y, c.Separator);
    } else {
      LineColor(dc, strip.right + 7, y, width, y, c.Separator);
    }
  } else {
    // Caption.
    TColor color = fontColor_;
    if (selected) color = top && useSystemColors_ ? ContrastTextColor(c.IconStrip, fontColor_) : c.SelectedCaption;
    if (!enabled) color = c.DisabledCaption;
    const HGDIOBJ oldFont = SelectObject(dc, Font());
    SetBkMode(dc, TRANSPARENT);
    RECT text = item_r;
    if (top) {
      text.left += glyph ? glyph->Width + 1 : 0;
    } else if (rtl) {
      text.right = strip.left - 3;
    } else {
      text.left = strip.right + 3;
    }
    SIZE w{};
    GetTextExtentPoint32W(dc, L"W", 1, &w);
    const int shift = ((text.bottom - text.top) - w.cy) / 2;
    text.top += shift;
    text.bottom += shift;
    const std::u16string caption = u" " + item.Caption;
    const UINT format = DT_EXPANDTABS | DT_SINGLELINE | (rtl ? DT_RIGHT | DT_RTLREADING : DT_LEFT);
    if (item.Default && enabled) {
      const struct {
        int dx, dy, v;
      } passes[] = {{1, 0, 30}, {1, 2, 30}, {0, 1, 40}, {1, 1, 60}};
      for (const auto& p : passes) {
        RECT shadowRect = Offset(text, p.dx, p.dy);
        SetTextColor(dc, ShadeColor(canvas.Get(shadowRect.left, shadowRect.top), p.v));
        DrawText(dc, caption, shadowRect, format, environment_.NTFamily);
      }
    }
    SetTextColor(dc, color);
    RECT captionRect = text;
    DrawText(dc, caption, captionRect, format, environment_.NTFamily);
    if (!item.ShortCut.empty()) {
      RECT cut = text;
      if (rtl) {
        cut.left += 10;
      } else {
        cut.right -= 10;
      }
      DrawText(dc, item.ShortCut + u" ", cut, DT_EXPANDTABS | DT_SINGLELINE | (rtl ? DT_LEFT | DT_RTLREADING : DT_RIGHT),
               environment_.NTFamily);
    }
    SelectObject(dc, oldFont);
  }
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  BitBlt(args.Dc, area.left, area.top, width, height, dc, 0, 0, SRCCOPY);
  if (FlatMenu && !top) RequestFlatFrame(item, args);
}

void TStyledMenu::RequestFlatFrame(TMenuItem& item, TMenuDrawArgs& args) {
  TStyledMenuManager* manager = TStyledMenuManager::Instance();
  const HWND app = GetApplicationWindow();
  if (!manager || !app || manager->FramePending) return;
  const HWND popup = WindowFromDC(args.Dc);
  bool posted;
  if (!popup) {
    posted = PostMessageW(app, WM_STYLEDMENU_FRAMEITEM, reinterpret_cast<WPARAM>(args.Menu), args.Position);
  } else if (popup != form_) {
    const bool rtl = item.Menu() && item.Menu()->RightToLeft;
    posted = PostMessageW(app, WM_STYLEDMENU_FRAMEWINDOW, rtl ? 1 : 0, reinterpret_cast<LPARAM>(popup));
  } else {
    return;
  }
  manager->FramePending = posted;
}

namespace {

LRESULT CALLBACK FlatMenuWindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  const auto previous = reinterpret_cast<WNDPROC>(GetPropW(wnd, kFlatFrameProp));
  if (!previous) return DefWindowProcW(wnd, msg, wp, lp);
  if (msg == WM_ERASEBKGND) return 1;
  if ((msg == WM_SHOWWINDOW && !wp) || msg == WM_CLOSE || msg == WM_DESTROY) {
    SetWindowRgn(wnd, nullptr, FALSE);
    SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    RemovePropW(wnd, kFlatFrameProp);
    RECT r{};
    GetWindowRect(wnd, &r);
    const LRESULT result = CallWindowProcW(previous, wnd, msg, wp, lp);
    // The flat popup lying under this one's top-left or bottom-left corner (the menu it opened from)
    // repaints the part this one covered.
    const POINT corners[] = {{r.left + 2, r.top + 2}, {r.left + 2, r.bottom - 3}};
    for (HWND under = GetWindow(wnd, GW_HWNDNEXT); under; under = GetWindow(under, GW_HWNDNEXT)) {
      RECT ur{};
      if (!IsWindowVisible(under) || !GetWindowRect(under, &ur)) continue;
      if (!PtInRect(&ur, corners[0]) && !PtInRect(&ur, corners[1])) continue;
      if (GetPropW(under, kFlatFrameProp)) InvalidateRect(under, nullptr, TRUE);
      break;
    }
    return result;
  }
  return CallWindowProcW(previous, wnd, msg, wp, lp);
}

}  // namespace

void TStyledMenu::PaintFlatMenuFrame(HWND popup) {
  if (framePainting_ || !popup || !IsWindow(popup)) return;
  framePainting_ = true;
  if (!GetPropW(popup, kFlatFrameProp)) {
    const LONG_PTR previous = GetWindowLongPtrW(popup, GWLP_WNDPROC);
    SetPropW(popup, kFlatFrameProp, reinterpret_cast<HANDLE>(previous));
    SetWindowLongPtrW(popup, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FlatMenuWindowProc));
  }
  const TEffectiveColors& c = EffectiveColors();
  RECT wr{};
  GetWindowRect(popup, &wr);
  const int w = wr.right - wr.left, h = wr.bottom - wr.top;
  const bool shadow = !environment_.WinXP;
  if (shadow) {
    // The window less 2 pixels at right and bottom, joined with the same moved 2 pixels right and down.
    TGdiObject region(CreateRectRgn(0, 0, w - 2, h - 2));
    TGdiObject moved(CreateRectRgn(2, 2, w, h));
    CombineRgn(static_cast<HRGN>(region.Get()), static_cast<HRGN>(region.Get()), static_cast<HRGN>(moved.Get()), RGN_OR);
    TGdiObject current(CreateRectRgn(0, 0, 0, 0));
    RECT box{};
    const int kind = GetWindowRgn(popup, static_cast<HRGN>(current.Get()));
    if (kind != ERROR) GetRgnBox(static_cast<HRGN>(current.Get()), &box);
    const bool differs = kind == ERROR || std::abs(box.right - w) > 5 || std::abs(box.bottom - h) > 5 ||
                         std::abs(box.left) > 5 || std::abs(box.top) > 5;
    if (differs && SetWindowRgn(popup, static_cast<HRGN>(region.Get()), TRUE)) region.Release();
  }
  HDC dc = GetWindowDC(popup);
  const int fw = shadow ? w - 2 : w, fh = shadow ? h - 2 : h;
  if (shadow) {
    FillColor(dc, {fw, 2, w, h}, c.PopupShadow);
    FillColor(dc, {2, fh, w, h}, c.PopupShadow);
  }
  // The rows between the frame and the items take the first item row's look.
  RECT client{};
  GetClientRect(popup, &client);
  POINT origin{0, 0};
  ClientToScreen(popup, &origin);
  const int cx = origin.x - wr.left, cy = origin.y - wr.top;
  if (client.right > 0 && cy > 1) StretchBlt(dc, cx, 1, client.right, cy - 1, dc, cx, cy, client.right, 1, SRCCOPY);
  if (client.right > 0 && fh - cy - client.bottom > 1) {
    StretchBlt(dc, cx, cy + client.bottom, client.right, fh - 1 - cy - client.bottom, dc, cx, cy, client.right, 1, SRCCOPY);
  }
  FillColor(dc, {1, 1, cx, fh - 1}, c.IconStrip);
  FillColor(dc, {cx + client.right, 1, fw - 1, fh - 1}, c.Background);
  FrameColor(dc, {0, 0, fw, fh}, c.PopupFrame);
  ReleaseDC(popup, dc);
  framePainting_ = false;
}

// ---- TStyledMenuManager ----

TStyledMenuManager* TStyledMenuManager::Instance() { return g_manager; }

void TStyledMenuManager::Create() {
  if (!g_manager) g_manager = new TStyledMenuManager();
}

void TStyledMenuManager::FreeIfEmpty() {
  if (g_manager && g_manager->menus_.empty()) {
    delete g_manager;
    g_manager = nullptr;
  }
}

TStyledMenuManager::TStyledMenuManager() {
  const HWND app = GetApplicationWindow();
  if (app && SetWindowSubclass(app, ManagerHook, kManagerHookId, reinterpret_cast<DWORD_PTR>(this))) hooked_ = app;
}

TStyledMenuManager::~TStyledMenuManager() {
  if (hooked_ && IsWindow(hooked_)) RemoveWindowSubclass(hooked_, ManagerHook, kManagerHookId);
}

void TStyledMenuManager::AddStyledMenu(TStyledMenu* menu) {
  if (!menu || std::find(menus_.begin(), menus_.end(), menu) != menus_.end()) return;
  menus_.push_back(menu);
  if (menu->Form() && std::find(handled_.begin(), handled_.end(), menu->Form()) == handled_.end()) {
    handled_.push_back(menu->Form());
  }
  if (!active_ && menu->Active() && !menu->DisableSubclassing() && !Disabled) {
    active_ = menu;
    CollectUnstyledForms();
  }
}

void TStyledMenuManager::RemoveStyledMenu(TStyledMenu* menu) {
  const auto it = std::find(menus_.begin(), menus_.end(), menu);
  if (it == menus_.end()) return;
  menus_.erase(it);
  if (active_ == menu) {
    active_ = nullptr;
    ChooseActiveStyledMenu();
  }
}

void TStyledMenuManager::ChooseActiveStyledMenu() {
  TStyledMenu* chosen = nullptr;
  for (TStyledMenu* menu : menus_) {
    if (menu->Active() && !menu->DisableSubclassing()) {
      chosen = menu;
      break;
    }
  }
  if (chosen == active_) return;
  TStyledMenu* old = active_;
  active_ = chosen;
  if (old) {
    // The subclasses of other forms than its own move to the new component, or are given back.
    const std::vector<TControlSubClass*> subs = old->Subclasses();
    for (TControlSubClass* sub : subs) {
      if (GetAncestor(sub->Control(), GA_ROOT) == old->Form()) continue;
      if (chosen) {
        sub->MoveTo(*chosen);
      } else {
        sub->Release();
      }
    }
  }
  if (!chosen) {
    for (TStyledMenu* menu : menus_) {
      for (const HWND form : handled_) {
        if (form != menu->Form()) menu->ReleaseSubclasses(form);
      }
    }
  }
}

bool TStyledMenuManager::HasOwnComponent(HWND form) const {
  return std::any_of(menus_.begin(), menus_.end(), [form](const TStyledMenu* m) { return m->Form() == form; });
}

namespace {

BOOL CALLBACK CollectThreadWindow(HWND wnd, LPARAM lp) {
  reinterpret_cast<std::vector<HWND>*>(lp)->push_back(wnd);
  return TRUE;
}

}  // namespace

void TStyledMenuManager::CollectUnstyledForms() {
  std::vector<HWND> windows;
  EnumThreadWindows(GetCurrentThreadId(), CollectThreadWindow, reinterpret_cast<LPARAM>(&windows));
  for (const HWND wnd : windows) {
    if (wnd == hooked_ || ControlTag(wnd) == kTagNativeLook || HasOwnComponent(wnd)) continue;
    if (std::find(handled_.begin(), handled_.end(), wnd) != handled_.end()) continue;
    if (std::find(queue_.begin(), queue_.end(), wnd) == queue_.end()) queue_.push_back(wnd);
  }
}

void TStyledMenuManager::FormInserted(HWND form) {
  if (!active_ || Disabled || !form) return;
  if (std::find(queue_.begin(), queue_.end(), form) == queue_.end()) queue_.push_back(form);
}

void TStyledMenuManager::FormRemoved(HWND form) {
  if (!active_ || Disabled) return;
  queue_.erase(std::remove(queue_.begin(), queue_.end(), form), queue_.end());
  handled_.erase(std::remove(handled_.begin(), handled_.end(), form), handled_.end());
}

void TStyledMenuManager::ProcessQueue() {
  const std::vector<HWND> queued = std::move(queue_);
  queue_.clear();
  for (const HWND form : queued) {
    if (std::find(handled_.begin(), handled_.end(), form) != handled_.end()) continue;
    handled_.push_back(form);
    if (!Disabled && active_ && IsWindow(form)) active_->ApplyToOwnedComponents(form, true, true);
  }
}

LRESULT CALLBACK TStyledMenuManager::ManagerHook(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
  auto* self = reinterpret_cast<TStyledMenuManager*>(data);
  const LRESULT result = DefSubclassProc(wnd, msg, wp, lp);
  if (self != g_manager) return result;
  if (msg == WM_STYLEDMENU_FRAMEITEM || msg == WM_STYLEDMENU_FRAMEWINDOW) {
    self->FramePending = false;
    HWND popup = nullptr;
    if (msg == WM_STYLEDMENU_FRAMEITEM) {
      RECT r{};
      if (GetMenuItemRect(nullptr, reinterpret_cast<HMENU>(wp), static_cast<UINT>(lp), &r)) {
        popup = WindowFromPoint(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
      }
    } else {
      popup = reinterpret_cast<HWND>(lp);
    }
    if (popup && self->active_) self->active_->PaintFlatMenuFrame(popup);
  }
  if (!self->queue_.empty()) self->ProcessQueue();
  return result;
}
