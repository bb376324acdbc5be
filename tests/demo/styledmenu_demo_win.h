// The demo's pictures of the flat look (scripts/demo through ui_demo): an open styled popup menu with
// checked, radio, default and disabled items, a separator, glyphs and a sub-menu, and a form whose
// controls are painted flat (a button under the mouse, a focused edit).
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>

#include "ui/flatctrl_win.h"
#include "ui/menumodel_win.h"
#include "ui/styledmenu_win.h"

namespace styled_demo {

using TCaptureRect = bool (*)(const RECT&, const std::string&);
using TCaptureWindow = bool (*)(HWND, const std::string&);
using TPump = void (*)(DWORD);

inline HWND DemoForm(const wchar_t* caption, int width, int height) {
  static const bool registered = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = L"TStyledDemoForm";
    return RegisterClassW(&wc) != 0;
  }();
  (void)registered;
  return CreateWindowExW(0, L"TStyledDemoForm", caption, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 40, 40,
                         width, height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

// A 16 x 16 picture: a filled shape of one colour with a dark outline, on a magenta background.
inline std::shared_ptr<TGlyph> DemoGlyph(TColor fill, bool round) {
  auto glyph = std::make_shared<TGlyph>();
  glyph->Width = glyph->Height = 16;
  glyph->Pixels.assign(256, Rgb(255, 0, 255));
  for (int y = 2; y < 14; ++y) {
    for (int x = 2; x < 14; ++x) {
      const int dx = 2 * x - 15, dy = 2 * y - 15;
      if (round && dx * dx + dy * dy > 144) continue;
      const bool edge = round ? dx * dx + dy * dy > 100 : (x == 2 || y == 2 || x == 13 || y == 13);
      glyph->At(x, y) = edge ? ShadeColor(fill, 100) : fill;
    }
  }
  return glyph;
}

struct TPopupShot {
  HWND form = nullptr;
  std::string fileName;
  TCaptureRect capture = nullptr;
  int ticks = 0;
  int seen = 0;
  bool captured = false;
};
inline TPopupShot g_popupShot;

// Once the popup has been open for a moment (one item selected by a key), the screen under the form
// and the popup is captured and the menu closed.
inline void CALLBACK PopupShotTimer(HWND, UINT, UINT_PTR id, DWORD) {
  TPopupShot& shot = g_popupShot;
  const HWND popup = FindWindowW(L"#32768", nullptr);
  ++shot.ticks;
  if (popup && IsWindowVisible(popup)) {
    if (++shot.seen == 2) PostMessageW(popup, WM_KEYDOWN, VK_DOWN, 0);
    if (shot.seen == 8) {
      RECT a{}, b{}, both{};
      GetWindowRect(shot.form, &a);
      GetWindowRect(popup, &b);
      UnionRect(&both, &a, &b);
      InflateRect(&both, 4, 4);
      shot.captured = shot.capture(both, shot.fileName);
    }
  }
  if (shot.captured || shot.ticks > 200) {
    KillTimer(nullptr, id);
    EndMenu();
  }
}

inline bool StyledMenuPicture(const std::string& fileName, TCaptureRect capture) {
  const HWND form = DemoForm(L"Tevoran-Клиент", 300, 120);
  if (!form) return false;
  UpdateWindow(form);
  TMenu menu(TMenuKind::Popup);
  TMenuItem& print = menu.Items().Add(u"&Печать");
  print.Default = true;
  print.ShortCut = u"Ctrl+P";
  print.Bitmap = DemoGlyph(Rgb(40, 110, 200), false);
  TMenuItem& copies = menu.Items().Add(u"Спрашивать число копий");
  copies.Checked = true;
  TMenuItem& code = menu.Items().Add(u"Код на первой копии");
  code.Bitmap = DemoGlyph(Rgb(60, 170, 60), true);
  code.Checked = true;
  menu.Items().Add(u"-");
  TMenuItem& win = menu.Items().Add(u"Windows-принтер");
  win.RadioItem = true;
  win.Checked = true;
  TMenuItem& dos = menu.Items().Add(u"DOS-принтер");
  dos.RadioItem = true;
  menu.Items().Add(u"-");
  TMenuItem& to = menu.Items().Add(u"Печатать на");
  to.Add(u"HP LaserJet").Checked = true;
  to.Add(u"Epson FX-890");
  TMenuItem& off = menu.Items().Add(u"Тестовая страница");
  off.Enabled = false;
  off.Bitmap = DemoGlyph(Rgb(200, 60, 40), false);
  TMenuItem& hidden = menu.Items().Add(u"Скрытый пункт");
  hidden.Visible = false;
  menu.Items().Add(u"Выход").ShortCut = u"Alt+F4";

  bool ok = false;
  {
    TStyledMenu styled(form);
    styled.SetActive(true);
    TRealisedMenu realised(menu);
    styled.AddMenu(realised);
    g_popupShot = TPopupShot{form, fileName, capture};
    SetForegroundWindow(form);
    SetTimer(nullptr, 0, 30, PopupShotTimer);
    RECT r{};
    GetWindowRect(form, &r);
    realised.Popup(form, r.left + 60, r.top + 40);
    ok = g_popupShot.captured;
    styled.RemoveMenu(realised);
  }
  DestroyWindow(form);
  return ok;
}

inline HWND DemoControl(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h,
                        DWORD exStyle = 0) {
  HWND control = CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
  return control;
}

inline bool FlatControlsPicture(const std::string& fileName, TCaptureWindow capture, TPump pump) {
  const HWND form = DemoForm(L"Плоские элементы", 360, 250);
  if (!form) return false;
  DemoControl(form, L"Button", L"Параметры печати", BS_GROUPBOX, 8, 6, 336, 112);
  DemoControl(form, L"Static", L"Копий:", SS_LEFT, 18, 30, 60, 16);
  HWND copies = DemoControl(form, L"ComboBox", L"", CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP, 80, 26, 70, 120);
  for (const wchar_t* item : {L"1", L"2", L"3"}) SendMessageW(copies, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  SendMessageW(copies, CB_SETCURSEL, 1, 0);
  HWND edit = DemoControl(form, L"Edit", L"Счёт-фактура", ES_AUTOHSCROLL | WS_TABSTOP, 160, 26, 170, 22, WS_EX_CLIENTEDGE);
  HWND ask = DemoControl(form, L"Button", L"Спрашивать число копий", BS_AUTOCHECKBOX | WS_TABSTOP, 18, 58, 160, 20);
  SendMessageW(ask, BM_SETCHECK, BST_CHECKED, 0);
  HWND locked = DemoControl(form, L"Button", L"Код на всех копиях", BS_AUTOCHECKBOX, 18, 84, 160, 20);
  SendMessageW(locked, BM_SETCHECK, BST_CHECKED, 0);
  EnableWindow(locked, FALSE);
  HWND win = DemoControl(form, L"Button", L"Windows", BS_AUTORADIOBUTTON | WS_GROUP, 190, 58, 120, 20);
  SendMessageW(win, BM_SETCHECK, BST_CHECKED, 0);
  DemoControl(form, L"Button", L"DOS", BS_AUTORADIOBUTTON, 190, 84, 120, 20);
  HWND progress = DemoControl(form, L"msctls_progress32", L"", 0, 8, 128, 336, 14);
  SendMessageW(progress, PBM_SETPOS, 60, 0);
  DemoControl(form, L"Static", L"", SS_SUNKEN, 8, 150, 336, 20);
  HWND ok = DemoControl(form, L"Button", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 180, 180, 78, 26);
  DemoControl(form, L"Button", L"Отмена", BS_PUSHBUTTON | WS_TABSTOP, 266, 180, 78, 26);
  bool captured = false;
  {
    TStyledMenu styled(form);
    styled.SetActive(true);
    SetForegroundWindow(form);
    SetFocus(edit);
    pump(300);
    // The mouse over OK.
    SendMessageW(ok, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    pump(100);
    if (TControlSubClass* sub = TControlSubClass::Of(ok)) sub->Paint();
    captured = capture(form, fileName);
  }
  DestroyWindow(form);
  return captured;
}

}  // namespace styled_demo

using styled_demo::FlatControlsPicture;
using styled_demo::StyledMenuPicture;
