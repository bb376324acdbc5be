// Styled menu items painted into a memory DC and read back at the pixels the look fixes; the menus
// built as Win32 menus (hidden items absent, tag 999 native), a real popup menu measured and drawn
// through the component, flat popup frames with their region, and the manager.
#include "ui/styledmenu_win.h"

#include <gtest/gtest.h>

#include <memory>

#include "support/code_image.h"
#include "ui/flatctrl_win.h"
#include "ui/forms_win.h"
#include "ui/styled_rig.h"

namespace {

constexpr COLORREF kMagenta = RGB(255, 0, 255);

// A 32-bit memory DC filled with magenta, as the menu's canvas.
class TMemoryCanvas {
 public:
  TMemoryCanvas(int width, int height) {
    HDC screen = GetDC(nullptr);
    dc.Reset(CreateCompatibleDC(screen));
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    bitmap.Reset(CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    ReleaseDC(nullptr, screen);
    old = SelectObject(dc.Get(), bitmap.Get());
    RECT all{0, 0, width, height};
    HBRUSH brush = CreateSolidBrush(kMagenta);
    FillRect(dc.Get(), &all, brush);
    DeleteObject(brush);
  }
  ~TMemoryCanvas() { SelectObject(dc.Get(), old); }
  COLORREF At(int x, int y) const { return GetPixel(dc.Get(), x, y); }
  // How many pixels of the rectangle have the colour.
  int Count(const RECT& r, COLORREF c) const {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y) {
      for (int x = r.left; x < r.right; ++x) n += At(x, y) == c;
    }
    return n;
  }
  TDeviceContext dc;
  TGdiObject bitmap;
  HGDIOBJ old = nullptr;
};

// A 16 x 16 glyph: a red 8 x 8 square on magenta.
std::shared_ptr<TGlyph> RedSquare() {
  auto glyph = std::make_shared<TGlyph>();
  glyph->Width = glyph->Height = 16;
  glyph->Pixels.assign(256, Rgb(255, 0, 255));
  for (int y = 4; y < 12; ++y) {
    for (int x = 4; x < 12; ++x) glyph->At(x, y) = Rgb(255, 0, 0);
  }
  return glyph;
}

class StyledMenuWin : public ::testing::Test {
 protected:
  void SetUp() override {
    styled = std::make_unique<TStyledMenu>(form.wnd, StyledEnvironment());
    LOGFONTW font = ScreenMenuFont();
    font.lfQuality = NONANTIALIASED_QUALITY;  // whole pixels in the caption colour
    styled->SetFont(font, Rgb(0, 0, 0));
    styled->SetActive(true);
  }
  TMenuItem& Item(std::u16string caption) { return menu.Items().Add(std::move(caption)); }
  void Paint(TMenuItem& item, const RECT& r, bool selected, TMemoryCanvas& canvas) {
    TMenuDrawArgs args;
    args.Dc = canvas.dc.Get();
    args.Rect = r;
    args.Selected = selected;
    args.Disabled = !item.Enabled;
    styled->PaintItem(item, args);
  }

  TStyledRigForm form;
  TMenu menu{TMenuKind::Popup};
  std::unique_ptr<TStyledMenu> styled;
};

}  // namespace

TEST_F(StyledMenuWin, StripSelectionAndSeparator) {
  const TEffectiveColors c = styled->EffectiveColors();
  TMemoryCanvas canvas(220, 40);
  TMenuItem& plain = Item(u"Печать");
  Paint(plain, {4, 0, 204, 22}, true, canvas);
  EXPECT_EQ(canvas.At(0, 10), c.IconStrip) << "the strip covers the 4-pixel margin";
  EXPECT_EQ(canvas.At(27, 0), c.IconStrip) << "and runs IconWidth pixels past the item's left edge";
  EXPECT_EQ(canvas.At(28, 0), c.Background);
  EXPECT_EQ(canvas.At(40, 1), c.SelectFrame) << "the selection frame one pixel inside at the top";
  EXPECT_EQ(canvas.At(40, 20), c.SelectFrame) << "and at the bottom";
  EXPECT_EQ(canvas.At(40, 21), c.Background);
  EXPECT_EQ(canvas.At(4, 10), c.SelectFrame) << "from the item's left edge";
  EXPECT_EQ(canvas.At(203, 10), c.SelectFrame) << "to its right edge";
  EXPECT_EQ(canvas.At(204, 10), kMagenta) << "nothing right of the item";
  EXPECT_EQ(canvas.At(100, 5), c.SelectFill);

  TMemoryCanvas sep(220, 20);
  TMenuItem& line = Item(u"-");
  Paint(line, {4, 0, 204, 9}, false, sep);
  EXPECT_EQ(sep.At(35, 4), c.Separator) << "9 / 2 rounds to the even 4; 7 pixels after the strip";
  EXPECT_EQ(sep.At(34, 4), c.Background);
  EXPECT_EQ(sep.At(203, 4), c.Separator);
  EXPECT_EQ(sep.At(100, 3), c.Background);
  EXPECT_EQ(sep.At(100, 5), c.Background);
}

TEST_F(StyledMenuWin, CheckBoxRadioAndDisabledCaption) {
  const TEffectiveColors c = styled->EffectiveColors();
  TMemoryCanvas canvas(220, 22);
  TMenuItem& check = Item(u"Флажок");
  check.Checked = true;
  Paint(check, {4, 0, 204, 22}, false, canvas);
  // The 10 x 10 box centred in the strip: left 4 + (24 - 10) / 2, top (22 - 10) / 2.
  for (const POINT p : {POINT{11, 6}, POINT{20, 6}, POINT{11, 15}, POINT{20, 15}}) {
    EXPECT_EQ(canvas.At(p.x, p.y), c.CheckOutline) << p.x << "," << p.y;
  }
  EXPECT_EQ(canvas.At(10, 10), c.IconStrip);
  EXPECT_EQ(canvas.At(12, 14), c.CheckArea);
  for (const POINT p : {POINT{12, 11}, POINT{13, 11}, POINT{13, 10}, POINT{15, 13}}) {
    EXPECT_EQ(canvas.At(p.x, p.y), RGB(0, 0, 0)) << "a stroke of the mark at " << p.x << "," << p.y;
  }

  TMemoryCanvas pressed(220, 22);
  Paint(check, {4, 0, 204, 22}, true, pressed);
  EXPECT_EQ(pressed.At(12, 14), c.CheckAreaPressed) << "a selected item's box takes the pressed colour";

  TMemoryCanvas radio(220, 22);
  TMenuItem& option = Item(u"Вариант");
  option.Checked = option.RadioItem = true;
  Paint(option, {4, 0, 204, 22}, false, radio);
  EXPECT_EQ(radio.At(16, 11), c.SelectFrame) << "the dot in the outline colour";
  EXPECT_NE(radio.At(11, 6), c.SelectFrame) << "an ellipse leaves the corner";

  TMemoryCanvas grey(220, 22);
  TMenuItem& off = Item(u"Недоступно");
  off.Enabled = false;
  Paint(off, {4, 0, 204, 22}, true, grey);
  const RECT text{28, 0, 204, 22};
  EXPECT_GT(grey.Count(text, c.DisabledCaption), 10) << "the caption in the disabled colour";
  EXPECT_EQ(grey.Count(text, RGB(0, 0, 0)), 0);
  EXPECT_EQ(grey.Count(text, c.SelectFrame), 0) << "a disabled item gets no selection box";
}

TEST_F(StyledMenuWin, GlyphFadedSelectedWithShadowAndGrey) {
  const TEffectiveColors c = styled->EffectiveColors();
  TMenuItem& item = Item(u"Открыть");
  item.Bitmap = RedSquare();
  // Unselected: x = 4 + (24 - 16) / 2 - 1 = 7, y = 3; the square 4 pixels in, faded by DimLevel.
  TMemoryCanvas idle(220, 24);
  Paint(item, {4, 0, 204, 24}, false, idle);
  EXPECT_EQ(idle.At(11, 7), TintColor(Rgb(255, 0, 0), 30));
  EXPECT_EQ(idle.At(10, 7), c.IconStrip) << "the glyph's background stays transparent";
  // Selected: one left and one up, its shadow 2 right and below in Shade(selection fill, 50).
  TMemoryCanvas hot(220, 24);
  Paint(item, {4, 0, 204, 24}, true, hot);
  EXPECT_EQ(hot.At(10, 6), Rgb(255, 0, 0));
  EXPECT_EQ(hot.At(17, 13), Rgb(255, 0, 0));
  EXPECT_EQ(hot.At(19, 15), ShadeColor(c.SelectFill, 50));
  EXPECT_EQ(hot.At(18, 8), ShadeColor(c.SelectFill, 50));
  EXPECT_EQ(hot.At(9, 6), c.SelectFill);
  // Disabled: grey plus GrayLevel, then faded by 40.
  item.Enabled = false;
  TMemoryCanvas grey(220, 24);
  Paint(item, {4, 0, 204, 24}, false, grey);
  EXPECT_EQ(grey.At(11, 7), TintColor(GrayOfColor(Rgb(255, 0, 0), 10), 40));
}

TEST_F(StyledMenuWin, DefaultItemShadowAndInactiveDrawsNothing) {
  TMenuItem& item = Item(u"Главное");
  item.Default = true;
  TMemoryCanvas canvas(220, 22);
  Paint(item, {4, 0, 204, 22}, false, canvas);
  const TEffectiveColors c = styled->EffectiveColors();
  const RECT text{28, 0, 204, 22};
  EXPECT_GT(canvas.Count(text, RGB(0, 0, 0)), 10);
  EXPECT_GT(canvas.Count(text, ShadeColor(c.Background, 60)), 0) << "the soft shadow's last pass";
  styled->SetActive(false);
  TMemoryCanvas none(220, 22);
  Paint(item, {4, 0, 204, 22}, false, none);
  EXPECT_EQ(none.Count({0, 0, 220, 22}, kMagenta), 220 * 22) << "an inactive component paints nothing";
}

TEST_F(StyledMenuWin, BuiltMenusHiddenItemsAndTag999) {
  TMenuItem& a = Item(u"A");
  TMenuItem& hidden = Item(u"Скрытый");
  hidden.Visible = false;
  TMenuItem& native = Item(u"Родной");
  native.Tag = kTagNativeLook;
  TMenuItem& sub = Item(u"Подменю");
  sub.Add(u"B").ShortCut = u"Ctrl+B";
  TRealisedMenu realised(menu);
  styled->AddMenu(realised);
  ASSERT_EQ(GetMenuItemCount(realised.Handle()), 3) << "the hidden item is absent";
  const auto typeOf = [&](HMENU m, UINT pos) {
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_FTYPE;
    GetMenuItemInfoW(m, pos, TRUE, &mii);
    return mii.fType;
  };
  EXPECT_TRUE(typeOf(realised.Handle(), 0) & MFT_OWNERDRAW);
  EXPECT_FALSE(typeOf(realised.Handle(), 1) & MFT_OWNERDRAW) << "tag 999 is drawn by the system";
  EXPECT_TRUE(typeOf(GetSubMenu(realised.Handle(), 2), 0) & MFT_OWNERDRAW) << "sub-items too";
  HMENU where = nullptr;
  UINT position = 99;
  EXPECT_FALSE(realised.PlaceOf(hidden, where, position));
  ASSERT_TRUE(realised.PlaceOf(sub[0], where, position));
  EXPECT_EQ(position, 0u);
  // A measuring message through the menu reaches the component; the separator is 4 high.
  TMenuItem& line = Item(u"-");
  styled->HookMenuItem(line, false);
  realised.Rebuild();
  MEASUREITEMSTRUCT mis{ODT_MENU, 0, 0, 0, 50, reinterpret_cast<ULONG_PTR>(&line)};
  LRESULT result = 0;
  ASSERT_TRUE(realised.HandleMessage(form.wnd, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis), result));
  EXPECT_EQ(mis.itemHeight, 4u);
  MEASUREITEMSTRUCT stray{ODT_MENU, 0, 0, 0, 0, reinterpret_cast<ULONG_PTR>(&hidden)};
  EXPECT_FALSE(realised.HandleMessage(form.wnd, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&stray), result))
      << "an item not in the built menu is not taken";
  // Off: no item is owner-drawn any more.
  styled->SetActive(false);
  EXPECT_FALSE(typeOf(realised.Handle(), 0) & MFT_OWNERDRAW);
  EXPECT_FALSE(a.OnDrawItem);
  styled->RemoveMenu(realised);

  // A main menu tagged 999 keeps the native look.
  TMenu bar(TMenuKind::Main);
  bar.Tag = kTagNativeLook;
  bar.Items().Add(u"Файл").Add(u"Выход");
  TRealisedMenu realisedBar(bar);
  ASSERT_TRUE(realisedBar.AttachTo(form.wnd));
  styled->SetActive(true);
  styled->AddMenu(realisedBar);
  EXPECT_EQ(GetMenu(form.wnd), realisedBar.Handle());
  EXPECT_FALSE(typeOf(realisedBar.Handle(), 0) & MFT_OWNERDRAW);
  EXPECT_FALSE(bar.Items()[0].OnDrawItem);
  styled->RemoveMenu(realisedBar);
}

namespace {

struct TPopupWatch {
  int measured = 0;
  int drawn = 0;
  HWND popup = nullptr;
};
TPopupWatch g_watch;

// Closes the open popup menu once it has been drawn (or after a while).
void CALLBACK ClosePopupTimer(HWND, UINT, UINT_PTR id, DWORD) {
  static int ticks = 0;
  g_watch.popup = FindWindowW(L"#32768", nullptr);
  if ((g_watch.drawn > 0 && g_watch.popup) || ++ticks > 100) {
    KillTimer(nullptr, id);
    ticks = 0;
    EndMenu();
  }
}

}  // namespace

TEST_F(StyledMenuWin, RealPopupIsMeasuredAndDrawnByTheComponent) {
  TMenuItem& a = Item(u"Первый");
  a.ShortCut = u"F2";
  Item(u"-");
  Item(u"Второй").Checked = true;
  int clicks = 0;
  a.OnClick = [&](TMenuItem&) { ++clicks; };
  TRealisedMenu realised(menu);
  styled->AddMenu(realised);
  for (size_t i = 0; i < menu.Items().Count(); ++i) {
    TMenuItem& item = menu.Items()[i];
    const TMenuMeasure measure = item.OnMeasureItem;
    const TMenuDraw draw = item.OnDrawItem;
    item.OnMeasureItem = [measure](TMenuItem& it, TMenuMeasureArgs& args) {
      ++g_watch.measured;
      measure(it, args);
    };
    item.OnDrawItem = [draw](TMenuItem& it, TMenuDrawArgs& args) {
      ++g_watch.drawn;
      draw(it, args);
    };
  }
  realised.Rebuild();
  g_watch = {};
  SetForegroundWindow(form.wnd);
  SetTimer(nullptr, 0, 20, ClosePopupTimer);
  EXPECT_EQ(realised.Popup(form.wnd, 40, 40), nullptr) << "closed without a choice";
  EXPECT_GE(g_watch.measured, 3);
  EXPECT_GE(g_watch.drawn, 3);
  EXPECT_NE(g_watch.popup, nullptr);
  EXPECT_EQ(clicks, 0);
  EXPECT_TRUE(realised.Click(static_cast<UINT>(GetMenuItemID(realised.Handle(), 0))));
  EXPECT_EQ(clicks, 1) << "a chosen item's click handler runs";
  styled->RemoveMenu(realised);
}

TEST(StyledMenuFrameWin, RegionOnWindows7AndNoneOnXP) {
  TStyledRigForm form;
  {
    const TStyledMenu asReported(form.wnd);
    EXPECT_TRUE(asReported.Environment().NTFamily);
    EXPECT_FALSE(asReported.Environment().WinXP) << "Wine reports Windows 7";
  }
  for (const bool xp : {false, true}) {
    TStyledMenu styled(form.wnd, StyledEnvironment(xp));
    styled.SetActive(true);
    HWND popup = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, L"Static", L"", WS_POPUP | WS_VISIBLE | WS_BORDER,
                                 400, 300, 100, 80, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(popup, nullptr);
    UpdateWindow(popup);
    styled.PaintFlatMenuFrame(popup);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    const int kind = GetWindowRgn(popup, region);
    if (xp) {
      EXPECT_EQ(kind, ERROR) << "Windows XP: no region";
    } else {
      ASSERT_NE(kind, ERROR);
      EXPECT_FALSE(PtInRegion(region, 99, 0)) << "the top right corner is cut";
      EXPECT_FALSE(PtInRegion(region, 0, 79)) << "the bottom left corner is cut";
      EXPECT_TRUE(PtInRegion(region, 99, 2));
      EXPECT_TRUE(PtInRegion(region, 0, 0));
      EXPECT_TRUE(PtInRegion(region, 99, 79));
    }
    DeleteObject(region);
    const TEffectiveColors c = styled.EffectiveColors();
    EXPECT_EQ(WindowPixel(popup, 0, 0), c.PopupFrame) << (xp ? "XP" : "7") << ": the one-pixel frame";
    if (!xp) {
      EXPECT_EQ(WindowPixel(popup, 99, 40), c.PopupShadow);
    }
    // Hiding gives the window its procedure back and drops the region.
    ShowWindow(popup, SW_HIDE);
    HRGN after = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(popup, after), ERROR);
    DeleteObject(after);
    DestroyWindow(popup);
  }
}

TEST(StyledMenuManagerWin, RunTimeComponentsStayUnregistered) {
  TStyledRigForm app;
  SetApplicationWindow(app.wnd);
  TStyledRigForm form;
  HWND button = form.Add(L"Button", L"OK", BS_PUSHBUTTON, 10, 10, 80, 24);
  {
    TStyledMenu styled(form.wnd, StyledEnvironment());
    styled.SetActive(true);
    ASSERT_NE(TStyledMenuManager::Instance(), nullptr) << "the first component makes the manager";
    EXPECT_EQ(TStyledMenuManager::Instance()->ActiveStyledMenu(), nullptr) << "nothing registers itself";
    EXPECT_TRUE(TStyledMenuManager::Instance()->Menus().empty());
    // A form created later stays as it is.
    TStyledRigForm later;
    HWND other = later.Add(L"Button", L"Отмена", BS_PUSHBUTTON, 10, 10, 80, 24);
    TStyledMenuManager::Instance()->FormInserted(later.wnd);
    SendMessageW(app.wnd, WM_NULL, 0, 0);
    EXPECT_EQ(TControlSubClass::Of(other), nullptr);
    EXPECT_NE(TControlSubClass::Of(button), nullptr) << "the component's own form is styled";
  }
  EXPECT_EQ(TStyledMenuManager::Instance(), nullptr) << "freed with the last component";
  EXPECT_EQ(TControlSubClass::Of(button), nullptr) << "and the subclasses with their component";
  SetApplicationWindow(nullptr);
}

TEST(StyledMenuManagerWin, RegisteredComponentStylesLaterFormsAndFrames) {
  TStyledRigForm app;
  SetApplicationWindow(app.wnd);
  TStyledRigForm form;
  TStyledRigForm later;
  HWND other = later.Add(L"Button", L"Отмена", BS_PUSHBUTTON, 10, 10, 80, 24);
  SetControlTag(later.wnd, 0);
  {
    TStyledMenu styled(form.wnd, StyledEnvironment());
    styled.SetActive(true);
    styled.Loaded();
    TStyledMenuManager* manager = TStyledMenuManager::Instance();
    ASSERT_NE(manager, nullptr);
    EXPECT_EQ(manager->ActiveStyledMenu(), &styled);
    // The forms already on screen were queued; the next message of the application window styles them.
    SendMessageW(app.wnd, WM_NULL, 0, 0);
    ASSERT_NE(TControlSubClass::Of(other), nullptr);
    EXPECT_EQ(TControlSubClass::Of(other)->Menu(), &styled);
    EXPECT_TRUE(manager->QueuedForms().empty());

    // A frame request for a known popup window is painted by the active component, once queued.
    HWND popup = CreateWindowExW(WS_EX_TOOLWINDOW, L"Static", L"", WS_POPUP | WS_VISIBLE, 500, 300, 60, 40, nullptr,
                                 nullptr, nullptr, nullptr);
    PostMessageW(app.wnd, WM_STYLEDMENU_FRAMEWINDOW, 0, reinterpret_cast<LPARAM>(popup));
    PumpStyled();
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_NE(GetWindowRgn(popup, region), ERROR);
    DeleteObject(region);
    DestroyWindow(popup);

    // No active component left: the other forms' subclasses are given back.
    styled.SetActive(false);
    manager->ChooseActiveStyledMenu();
    EXPECT_EQ(manager->ActiveStyledMenu(), nullptr);
    EXPECT_EQ(TControlSubClass::Of(other), nullptr);
  }
  EXPECT_EQ(TStyledMenuManager::Instance(), nullptr);
  SetApplicationWindow(nullptr);
}

TEST_F(StyledMenuWin, MenuBarItemTabAndDrawMenuBar) {
  TMenu bar(TMenuKind::Main);
  TMenuItem& file = bar.Items().Add(u"Файл");
  const TEffectiveColors c = styled->EffectiveColors();
  const TColor barColor = c.MenuBar;
  TMemoryCanvas canvas(100, 20);
  Paint(file, {0, 0, 60, 20}, true, canvas);
  EXPECT_EQ(canvas.At(0, 10), c.SelectFrame) << "left edge";
  EXPECT_EQ(canvas.At(30, 0), c.SelectFrame) << "top edge";
  EXPECT_EQ(canvas.At(52, 10), c.SelectFrame) << "the right edge 8 pixels inside";
  EXPECT_EQ(canvas.At(10, 18), c.SelectFill) << "open at the bottom";
  EXPECT_EQ(canvas.At(10, 19), kMagenta) << "the bottom row is the bar's own";
  // The drop shadow's four bands.
  EXPECT_EQ(canvas.At(58, 10), ShadeColor(barColor, 10));
  EXPECT_EQ(canvas.At(57, 4), ShadeColor(barColor, 30));
  EXPECT_EQ(canvas.At(56, 10), ShadeColor(barColor, 60));
  EXPECT_EQ(canvas.At(54, 10), ShadeColor(barColor, 100));
  EXPECT_EQ(canvas.At(59, 0), barColor) << "the rounded top corner";

  // The bar's own colour across the form, past the last item.
  styled->SetColor(&TStyledColors::MenuBarColor, Rgb(10, 200, 10));
  styled->DrawMenuBar = true;
  TMemoryCanvas wide(400, 20);
  Paint(file, {0, 0, 60, 20}, false, wide);
  RECT client{};
  GetClientRect(form.wnd, &client);
  EXPECT_EQ(wide.At(5, 2), Rgb(10, 200, 10));
  EXPECT_EQ(wide.At(61, 5), Rgb(10, 200, 10));
  EXPECT_EQ(wide.At(client.right + 4, 5), Rgb(10, 200, 10));
  EXPECT_EQ(wide.At(client.right + 5, 5), kMagenta);
}

TEST_F(StyledMenuWin, GradientStripAndFlatSelection) {
  const TEffectiveColors c = styled->EffectiveColors();
  TMenuItem& item = Item(u"Градиент");
  styled->Gradient = true;
  TMemoryCanvas canvas(220, 22);
  Paint(item, {4, 0, 204, 22}, false, canvas);
  EXPECT_EQ(canvas.At(0, 1), TintColor(c.IconStrip, 1)) << "the margin starts the gradient";
  EXPECT_EQ(canvas.At(4, 1), TintColor(c.IconStrip, 1));
  EXPECT_EQ(canvas.At(5, 1), TintColor(c.IconStrip, 4));
  EXPECT_EQ(canvas.At(4 + 29, 1), TintColor(c.IconStrip, 88)) << "one per column past IconWidth + 5";
  EXPECT_EQ(canvas.At(150, 1), TintColor(c.IconStrip, 96));
  styled->Gradient = false;
  styled->FlatMenu = true;
  TMemoryCanvas flat(220, 22);
  Paint(item, {4, 0, 204, 22}, true, flat);
  EXPECT_EQ(flat.At(202, 10), c.SelectFrame) << "one pixel short of the right edge";
  EXPECT_EQ(flat.At(203, 10), c.Background);
  styled->FlatMenu = false;
}

TEST_F(StyledMenuWin, OverrideOwnerDrawAndAutoDetect) {
  int own = 0;
  TMenuItem& custom = Item(u"Свой");
  custom.OnDrawItem = [&](TMenuItem&, TMenuDrawArgs&) { ++own; };
  TRealisedMenu realised(menu);
  styled->AddMenu(realised);
  EXPECT_EQ(custom.DrawOwner, nullptr) << "an item that draws itself keeps its handler";
  EXPECT_EQ(custom.MeasureOwner, styled.get());
  styled->SetOverrideOwnerDraw(true);
  EXPECT_EQ(custom.DrawOwner, styled.get());
  styled->SetOverrideOwnerDraw(false);
  TMenuItem& plain = Item(u"Позже");
  EXPECT_FALSE(plain.OnDrawItem) << "without AutoDetect a later item stays as it is";
  styled->AutoDetect = true;
  TMenuItem& later = Item(u"Ещё позже");
  EXPECT_EQ(later.DrawOwner, styled.get());
  styled->HookMenuItem(plain, false);
  EXPECT_EQ(plain.DrawOwner, styled.get());
  styled->RemoveMenu(realised);
}
