// Flat control painting: the control subclass, its message rules and a painter per kind.
#include "ui/flatctrl_win.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <string>

#include "foundation/lib_unicode_win.h"
#include "ui/forms_win.h"
#include "ui/frmlib_win.h"
#include "ui/styledmenu_win.h"

namespace {

constexpr wchar_t kSubclassProp[] = L"ClientFlatSubclass";

// Top and left in one colour, bottom and right in another, width pixels thick.
void Frame3D(HDC dc, RECT& r, TColor topLeft, TColor bottomRight, int width) {
  for (int i = 0; i < width; ++i) {
    LineColor(dc, r.left, r.bottom - 1, r.left, r.top, topLeft);
    LineColor(dc, r.left, r.top, r.right - 1, r.top, topLeft);
    LineColor(dc, r.right - 1, r.top, r.right - 1, r.bottom - 1, bottomRight);
    LineColor(dc, r.left, r.bottom - 1, r.right, r.bottom - 1, bottomRight);
    InflateRect(&r, -1, -1);
  }
}

TColor BrushColor(HBRUSH brush, TColor fallback) {
  LOGBRUSH lb{};
  if (brush && GetObjectW(brush, sizeof lb, &lb) == sizeof lb && lb.lbStyle == BS_SOLID) return lb.lbColor;
  return fallback;
}

// The colour a window paints its background with, as its parent answers WM_CTLCOLORSTATIC for it.
TColor ParentColorOf(HWND control) {
  const HWND parent = GetParent(control);
  if (!parent) return GetSysColor(COLOR_BTNFACE);
  HDC dc = GetDC(control);
  const auto brush = reinterpret_cast<HBRUSH>(SendMessageW(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                                           reinterpret_cast<LPARAM>(control)));
  ReleaseDC(control, dc);
  return BrushColor(brush, GetSysColor(COLOR_BTNFACE));
}

bool IsRightToLeft(HWND wnd) {
  return (GetWindowLongPtrW(wnd, GWL_EXSTYLE) & (WS_EX_RTLREADING | WS_EX_LAYOUTRTL)) != 0;
}

// The client rectangle in the coordinates of the window's own DC (GetWindowDC).
RECT ClientInWindow(HWND wnd) {
  RECT client{}, window{};
  GetClientRect(wnd, &client);
  GetWindowRect(wnd, &window);
  POINT origin{0, 0};
  ClientToScreen(wnd, &origin);
  OffsetRect(&client, origin.x - window.left, origin.y - window.top);
  return client;
}

}  // namespace

void PaintCheckMark(HDC dc, int x, int y, COLORREF color) {
  for (int k = 0; k < 3; ++k) {
    LineColor(dc, x, y - 2 - k, x + 2, y - k, color);
    LineColor(dc, x + 2, y - k, x + 7, y - 5 - k, color);
  }
}

TControlSubClass::TControlSubClass(HWND control, TStyledMenu& menu, TStyledControl kind)
    : control_(control), menu_(&menu), kind_(kind) {}

TControlSubClass* TControlSubClass::Of(HWND control) {
  return control ? static_cast<TControlSubClass*>(GetPropW(control, kSubclassProp)) : nullptr;
}

TControlSubClass* TControlSubClass::Install(HWND control, TStyledMenu& menu, TStyledControl kind) {
  if (!control) return nullptr;
  if (TControlSubClass* existing = Of(control)) return existing;
  // A control already running this procedure without an object of its own has no procedure to give back.
  if (GetWindowLongPtrW(control, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(SubclassWndProc)) return nullptr;
  auto* sub = new TControlSubClass(control, menu, kind);
  sub->savedStyle_ = GetWindowLongPtrW(control, GWL_STYLE);
  sub->savedExStyle_ = GetWindowLongPtrW(control, GWL_EXSTYLE);
  if (!SetPropW(control, kSubclassProp, sub)) {
    delete sub;
    return nullptr;
  }
  sub->previous_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassWndProc)));
  menu.Subclasses().push_back(sub);
  return sub;
}

void TControlSubClass::MoveTo(TStyledMenu& menu) {
  if (menu_ == &menu) return;
  if (menu_) {
    auto& list = menu_->Subclasses();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
  menu_ = &menu;
  menu.Subclasses().push_back(this);
}

void TControlSubClass::Release() {
  if (released_) return;
  released_ = true;
  if (control_) {
    if (previous_ && GetWindowLongPtrW(control_, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(SubclassWndProc)) {
      SetWindowLongPtrW(control_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
    }
    RemovePropW(control_, kSubclassProp);
    if (kind_ == xcEdit || kind_ == xcMemo) {
      // The 3D edge and border as they were; the frame is recalculated without recreating the window.
      const LONG_PTR style = GetWindowLongPtrW(control_, GWL_STYLE);
      const LONG_PTR ex = GetWindowLongPtrW(control_, GWL_EXSTYLE);
      const LONG_PTR wantStyle = (style & ~WS_BORDER) | (savedStyle_ & WS_BORDER);
      const LONG_PTR wantEx = (ex & ~WS_EX_CLIENTEDGE) | (savedExStyle_ & WS_EX_CLIENTEDGE);
      if (wantStyle != style || wantEx != ex) {
        SetWindowLongPtrW(control_, GWL_STYLE, wantStyle);
        SetWindowLongPtrW(control_, GWL_EXSTYLE, wantEx);
        SetWindowPos(control_, nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      }
    }
  }
  if (menu_) {
    auto& list = menu_->Subclasses();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
  control_ = nullptr;
  menu_ = nullptr;
  // Inside one of the control's messages the object is still on the stack: the outermost one frees it.
  if (depth_ == 0) delete this;
}

void TControlSubClass::TurnCtl3DOff() {
  const LONG_PTR ex = GetWindowLongPtrW(control_, GWL_EXSTYLE);
  if (!(ex & WS_EX_CLIENTEDGE)) return;
  Recreating = true;
  // A single border in place of the 3D edge, as the border style asks.
  SetWindowLongPtrW(control_, GWL_EXSTYLE, ex & ~WS_EX_CLIENTEDGE);
  SetWindowLongPtrW(control_, GWL_STYLE, GetWindowLongPtrW(control_, GWL_STYLE) | WS_BORDER);
  SetWindowPos(control_, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK TControlSubClass::SubclassWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  TControlSubClass* self = Of(wnd);
  if (!self) return DefWindowProcW(wnd, msg, wp, lp);
  return self->Handle(msg, wp, lp);
}

LRESULT TControlSubClass::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  const HWND wnd = control_;
  const WNDPROC previous = previous_;
  ++depth_;
  const LRESULT result = previous ? CallWindowProcW(previous, wnd, msg, wp, lp) : DefWindowProcW(wnd, msg, wp, lp);
  if (!released_) React(msg, wp, lp);
  if (--depth_ == 0 && released_) delete this;
  return result;
}

void TControlSubClass::React(UINT msg, WPARAM wp, LPARAM lp) {
  const HWND wnd = control_;
  if (msg == WM_NCDESTROY) {
    // No window is recreated here: its end is the subclass's end.
    Release();
    return;
  }
  if (!menu_ || !menu_->Active()) {
    // The component went inactive: the control gets its own procedure and look back. The answer stays
    // the control's own, so the message that found it out is not falsified.
    Release();
    return;
  }
  LastMessage = msg;
  const bool enabled = IsWindowEnabled(wnd) != FALSE;
  switch (msg) {
    case WM_PAINT:
      Recreating = false;
      Paint();
      break;
    case WM_NCPAINT:
      if (kind_ == xcEdit || kind_ == xcMemo || kind_ == xcProgressBar) Paint();
      break;
    case EM_GETMODIFY:
    case WM_WINDOWPOSCHANGED:
    case WM_PARENTNOTIFY:
      Recreating = true;
      break;
    case WM_SETFOCUS:
      Hot = true;
      Paint();
      break;
    case WM_KILLFOCUS:
      Hot = false;
      Paint();
      break;
    case WM_COMMAND:
      // A combo box's own edit has the focus and tells its combo box.
      if (kind_ == xcCombo && (HIWORD(wp) == EN_SETFOCUS || HIWORD(wp) == EN_KILLFOCUS)) {
        Hot = HIWORD(wp) == EN_SETFOCUS;
        Paint();
      }
      break;
    case BM_GETCHECK:
    case BM_SETCHECK:
      Hot = false;
      Paint();
      break;
    case BM_SETSTATE:
      Paint();
      break;
    case WM_KEYDOWN:
      if (wp == VK_SPACE) {
        SpaceDown = true;
        if (!SpaceGuard) {
          SpaceGuard = true;
          Paint();
        }
      }
      break;
    case WM_KEYUP:
      if (wp == VK_SPACE) {
        SpaceDown = false;
        SpaceGuard = false;
        Paint();
      }
      break;
    case WM_LBUTTONDOWN:
      ButtonDown = true;
      Paint();
      break;
    case WM_LBUTTONUP:
      ButtonDown = false;
      Paint();
      break;
    case WM_LBUTTONDBLCLK:
      if (kind_ == xcButton || kind_ == xcSpeedButton || kind_ == xcCheckBox) SendMessageW(wnd, WM_LBUTTONDOWN, wp, lp);
      break;
    case WM_MOUSEMOVE:
      // The first move is the mouse entering; the system reports the leaving once asked.
      if (!tracking_ && enabled) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, wnd, 0};
        tracking_ = TrackMouseEvent(&track) != FALSE;
        Hot = true;
        Paint();
      }
      break;
    case WM_MOUSELEAVE:
      tracking_ = false;
      if (enabled) {
        Hot = false;
        Paint();
      }
      break;
    case WM_ENABLE:
      if (!wp) Hot = false;
      Paint();
      break;
    case WM_SETTEXT:
      Paint();
      break;
    default:
      break;
  }
}

void TControlSubClass::Paint() {
  if (painting_ || released_ || !control_ || !menu_ || !IsWindowVisible(control_)) return;
  painting_ = true;
  const HWND focus = GetFocus();
  Focused = focus && (focus == control_ || IsChild(control_, focus));
  if ((kind_ == xcEdit || kind_ == xcMemo)) TurnCtl3DOff();
  HDC dc = GetWindowDC(control_);
  if (dc) {
    const HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(DC_BRUSH));
    const HGDIOBJ oldPen = SelectObject(dc, GetStockObject(DC_PEN));
    RECT window{};
    GetWindowRect(control_, &window);
    OffsetRect(&window, -window.left, -window.top);
    const RECT client = ClientInWindow(control_);
    switch (kind_) {
      case xcCombo: PaintCombo(dc, client); break;
      case xcEdit:
      case xcMemo: PaintEdit(dc, window); break;
      case xcCheckBox: PaintCheck(dc, client, false); break;
      case xcRadioButton: PaintCheck(dc, client, true); break;
      case xcButton:
      case xcSpeedButton: PaintButton(dc, client); break;
      case xcGroupBox: if (LastMessage == WM_PAINT) PaintGroupBox(dc, client); break;
      case xcPanel: if (LastMessage == WM_PAINT) PaintPanel(dc, client); break;
      case xcProgressBar: PaintProgress(dc, window); break;
      default: break;
    }
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    ReleaseDC(control_, dc);
  }
  painting_ = false;
}

void TControlSubClass::PaintCombo(HDC dc, const RECT& client) {
  const TEffectiveColors& c = menu_->EffectiveColors();
  const bool enabled = IsWindowEnabled(control_) != FALSE;
  const TColor parent = ParentColorOf(control_);
  const TColor own = GetSysColor(enabled ? COLOR_WINDOW : COLOR_BTNFACE);
  const bool tag1000 = ControlTag(control_) == kTagParentColor;
  TColor frame = own;
  TColor face = tag1000 ? TintColor(parent, TStyledMenu::kPercentNormal) : GetSysColor(COLOR_BTNFACE);
  TColor arrow = enabled ? Rgb(0, 0, 0) : Rgb(255, 255, 255);
  if (Hot) {
    frame = c.SelectFrame;
    face = c.SelectFill;
  } else if (Focused) {
    frame = TintColor(c.SelectFrame, 60);
    face = c.CheckArea;
  }
  if (SendMessageW(control_, CB_GETDROPPEDSTATE, 0, 0)) {
    frame = c.SelectFrame;
    face = c.CheckAreaPressed;
    arrow = Rgb(255, 255, 255);
  }
  const bool wide = Hot || Focused;
  const int l = client.left, t = client.top, r = client.right, b = client.bottom;
  FrameColor(dc, client, parent);
  LineColor(dc, l + 1, t + 1, r - 1, t + 1, parent);
  FrameColor(dc, {l + 1, t + 2, r - 1, b - 1}, own);
  if (wide) FrameColor(dc, {l + 2, t + 3, r - 2, b - 2}, own);
  FrameColor(dc, {l + 1, t + 1, r - 1, b}, frame);
  if (wide) FrameColor(dc, {l + 2, t + 2, r - 2, b - 1}, frame);
  if ((GetWindowLongPtrW(control_, GWL_STYLE) & 0x3) == CBS_SIMPLE) return;
  const int bw = GetSystemMetrics(SM_CXHTHUMB) + 1 + (wide ? 1 : 0);
  const bool rtl = IsRightToLeft(control_);
  const int inner = wide ? 2 : 1;
  // The button, the 5 pixels between it and the text in the control's colour, and a separator.
  RECT button = rtl ? RECT{l + inner, t + inner + 1, l + inner + bw, b - inner} : RECT{r - inner - bw, t + inner + 1, r - inner, b - inner};
  FillColor(dc, button, face);
  const int sep = rtl ? button.right : button.left - 1;
  LineColor(dc, sep, button.top, sep, button.bottom, frame);
  FillColor(dc, rtl ? RECT{sep + 1, button.top, sep + 6, button.bottom} : RECT{sep - 5, button.top, sep, button.bottom}, own);
  const int ax = rtl ? l + 5 : r - 10;
  LineColor(dc, ax, t + 10, ax + 5, t + 10, arrow);
  LineColor(dc, ax + 1, t + 11, ax + 4, t + 11, arrow);
  LineColor(dc, ax + 2, t + 12, ax + 3, t + 12, arrow);
}

void TControlSubClass::PaintEdit(HDC dc, const RECT& window) {
  const TEffectiveColors& c = menu_->EffectiveColors();
  const TColor parent = ParentColorOf(control_);
  const bool readOnly = (GetWindowLongPtrW(control_, GWL_STYLE) & ES_READONLY) != 0;
  const TColor own = GetSysColor(IsWindowEnabled(control_) && !readOnly ? COLOR_WINDOW : COLOR_BTNFACE);
  const bool bordered = ((savedStyle_ & WS_BORDER) | (savedExStyle_ & WS_EX_CLIENTEDGE)) != 0;
  TColor color;
  if (!bordered) {
    const TColor pair[] = {own, parent};
    color = Hot && !Focused ? TintColor(AverageColor(pair), 40) : own;
  } else {
    color = Hot || Focused ? TintColor(c.SelectFrame, 60) : ShadeColor(parent, 60);
  }
  FrameColor(dc, window, color);
}

void TControlSubClass::PaintCheck(HDC dc, const RECT& client, bool radio) {
  const TEffectiveColors& c = menu_->EffectiveColors();
  const bool enabled = IsWindowEnabled(control_) != FALSE;
  const LONG_PTR style = GetWindowLongPtrW(control_, GWL_STYLE);
  const LRESULT state = SendMessageW(control_, BM_GETSTATE, 0, 0);
  const bool checked = (state & BST_CHECKED) != 0;
  const bool grayed = !radio && (state & BST_INDETERMINATE) != 0;
  const bool pressed = !radio && (ButtonDown || SpaceDown);
  const int size = GetSystemMetrics(SM_CXHTHUMB);
  const int cut = radio ? 4 : 3;
  const int top = client.top + cut + ((client.bottom - client.top - 2 * cut) - size) / 2;
  const bool rtl = IsRightToLeft(control_);
  // The caption left of the box: left text in a left-to-right control, right-aligned in a right-to-left one.
  const bool boxRight = rtl ? (style & BS_RIGHT) == BS_RIGHT || !(style & BS_LEFTTEXT) : (style & BS_LEFTTEXT) != 0;
  const int left = boxRight ? client.right - size : client.left;
  const RECT area{left, top, left + size, top + size};
  FillColor(dc, area, ParentColorOf(control_));
  RECT box = area;
  InflateRect(&box, -2, -2);
  TColor brush = GetSysColor(COLOR_WINDOW), pen = GetSysColor(COLOR_BTNSHADOW);
  if (Hot) {
    brush = c.SelectFill;
    pen = c.SelectFrame;
  } else if (Focused) {
    brush = c.SelectFill;
    if (!radio) pen = c.SelectFrame;
  }
  if (pressed) brush = c.CheckAreaPressed;
  if (grayed) brush = Rgb(192, 192, 192);
  SetDCBrushColor(dc, brush);
  SetDCPenColor(dc, pen);
  if (radio) {
    Ellipse(dc, box.left, box.top, box.right, box.bottom);
    if (checked) {
      const TColor dot = enabled ? GetSysColor(COLOR_HIGHLIGHT) : c.DisabledCaption;
      SetDCBrushColor(dc, dot);
      SetDCPenColor(dc, dot);
      Ellipse(dc, box.left + 2, box.top + 2, box.right - 2, box.bottom - 2);
    }
    return;
  }
  Rectangle(dc, box.left, box.top, box.right, box.bottom);
  if (checked || grayed) {
    TColor mark = GetSysColor(COLOR_HIGHLIGHT);
    if (grayed) mark = Rgb(128, 128, 128);
    if (pressed) mark = GetSysColor(COLOR_WINDOW);
    if (!enabled) mark = c.DisabledCaption;
    PaintCheckMark(dc, box.left + 2, box.bottom - 3, mark);
  }
}

void TControlSubClass::PaintButton(HDC dc, const RECT& client) {
  const TEffectiveColors& c = menu_->EffectiveColors();
  const bool enabled = IsWindowEnabled(control_) != FALSE;
  const TColor parent = ParentColorOf(control_);
  const bool tag1000 = ControlTag(control_) == kTagParentColor;
  const TColor btnFace = GetSysColor(COLOR_BTNFACE);
  const TColor base = GetSysColor(COLOR_BTNSHADOW);
  TColor face = tag1000 ? TintColor(parent, TStyledMenu::kPercentNormal) : c.IconStrip;
  if (Hot) face = tag1000 ? TintColor(parent, TStyledMenu::kPercentHot) : TintColor(btnFace, TStyledMenu::kPercentHot);
  const TColor frame = Hot || Focused ? TintColor(c.SelectFrame, 60) : TintColor(base, 30);
  const bool pressed = SpaceDown || (ButtonDown && Hot);
  const int l = client.left, t = client.top, r = client.right, b = client.bottom;
  FillColor(dc, client, parent);
  SetDCBrushColor(dc, face);
  SetDCPenColor(dc, frame);
  RoundRect(dc, l, t, r, b, 4, 4);
  if (enabled) {
    const TColor shadow = ShadeColor(base, 50);
    if (pressed) {
      LineColor(dc, l + 1, t + 1, r - 1, t + 1, shadow);
      LineColor(dc, l + 1, t + 1, l + 1, b - 1, shadow);
    } else {
      LineColor(dc, l + 1, b - 2, r - 1, b - 2, shadow);
      LineColor(dc, r - 2, t + 1, r - 2, b - 1, shadow);
    }
  }
  if (kind_ == xcSpeedButton) {
    if (const auto bitmap = reinterpret_cast<HBITMAP>(SendMessageW(control_, BM_GETIMAGE, IMAGE_BITMAP, 0))) {
      BITMAP info{};
      if (GetObjectW(bitmap, sizeof info, &info) == sizeof info && info.bmWidth > 0 && info.bmHeight > 0 &&
          info.bmWidth <= 256 && info.bmHeight <= 256) {
        TGlyph glyph{info.bmWidth, info.bmHeight, std::vector<uint32_t>(static_cast<size_t>(info.bmWidth) * info.bmHeight)};
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof bi.bmiHeader, info.bmWidth, -info.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        if (GetDIBits(dc, bitmap, 0, static_cast<UINT>(info.bmHeight), glyph.Pixels.data(), &bi, DIB_RGB_COLORS)) {
          for (uint32_t& p : glyph.Pixels) p = ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF);
          if (!enabled) {
            GrayGlyph(glyph, menu_->GrayLevel);
            FadeGlyph(glyph, 40);
          } else if (!Hot) {
            FadeGlyph(glyph, menu_->DimLevel);
          }
          const int gx = l + (r - l - glyph.Width) / 2, gy = t + (b - t - glyph.Height) / 2;
          for (int y = 0; y < glyph.Height; ++y) {
            for (int x = 0; x < glyph.Width; ++x) {
              if (InGlyphShape(glyph, x, y)) SetPixelV(dc, gx + x, gy + y, glyph.At(x, y));
            }
          }
          return;
        }
      }
    }
  }
  const std::u16string text = WindowTextOf(control_);
  if (text.empty()) return;
  const HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control_, WM_GETFONT, 0, 0)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, enabled ? GetSysColor(COLOR_BTNTEXT) : c.DisabledCaption);
  RECT tr = client;
  DrawTextW(dc, WStr(text), static_cast<int>(text.size()), &tr,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | (IsRightToLeft(control_) ? DT_RTLREADING : 0));
  SelectObject(dc, oldFont);
}

void TControlSubClass::PaintGroupBox(HDC dc, const RECT& client) {
  const TColor own = ParentColorOf(control_);
  const TColor parent = GetParent(control_) ? ParentColorOf(GetParent(control_)) : own;
  const HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control_, WM_GETFONT, 0, 0)));
  std::u16string caption = WindowTextOf(control_);
  SIZE extent{};
  const std::u16string measured = caption.empty() ? u" " : caption;
  GetTextExtentPoint32W(dc, WStr(measured), static_cast<int>(measured.size()), &extent);
  const int half = extent.cy / 2;
  // The native frame painted over in the group box's colour.
  RECT native{client.left, client.top + half, client.right, client.bottom};
  FrameColor(dc, native, own);
  RECT inner = native;
  InflateRect(&inner, -1, -1);
  FrameColor(dc, inner, own);
  FillColor(dc, {client.left, client.top, client.right, client.top + half}, parent);
  RECT line = native;
  Frame3D(dc, line, TintColor(own, 60), ShadeColor(own, 60), 1);
  if (!caption.empty()) {
    const bool rtl = IsRightToLeft(control_);
    RECT text{rtl ? client.right - 9 - extent.cx : client.left + 9, client.top,
              rtl ? client.right - 9 : client.left + 9 + extent.cx, client.top + extent.cy};
    FillColor(dc, text, own);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(IsWindowEnabled(control_) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    DrawTextW(dc, WStr(caption), static_cast<int>(caption.size()), &text, DT_SINGLELINE | DT_LEFT);
    // The frame's top line again on both sides of the caption.
    LineColor(dc, client.left, native.top, text.left, native.top, TintColor(own, 60));
    LineColor(dc, text.right, native.top, client.right - 1, native.top, TintColor(own, 60));
  }
  SelectObject(dc, oldFont);
}

void TControlSubClass::PaintPanel(HDC dc, const RECT& client) {
  const TColor own = ParentColorOf(control_);
  const LONG_PTR style = GetWindowLongPtrW(control_, GWL_STYLE);
  const TColor light = TintColor(own, 60), dark = ShadeColor(own, 60);
  RECT r = client;
  // A sunken static is a lowered outer bevel; an etched frame adds a raised inner one.
  Frame3D(dc, r, dark, light, 1);
  if ((style & SS_TYPEMASK) == SS_ETCHEDFRAME) Frame3D(dc, r, light, dark, 1);
}

void TControlSubClass::PaintProgress(HDC dc, const RECT& window) {
  FrameColor(dc, window, Hot ? menu_->EffectiveColors().SelectFrame : ShadeColor(ParentColorOf(control_), 60));
}
