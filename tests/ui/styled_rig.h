// The styled menus' Wine tests: a plain top-level form window with controls, the message pump, and
// fixed environments (NT family, 32 bits per pixel; Windows XP or 7).
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "ui/styledmenu_win.h"

inline void PumpStyled() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

inline TStyledEnvironment StyledEnvironment(bool winXP = false, int bits = 32) {
  TStyledEnvironment env;
  env.NTFamily = true;
  env.WinXP = winXP;
  env.BitsPerPixel = bits;
  return env;
}

// A shown top-level window standing in for a form (the default procedure answers its controls'
// colour messages with the dialog face).
class TStyledRigForm {
 public:
  explicit TStyledRigForm(int width = 320, int height = 200) {
    static const bool registered = [] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = DefWindowProcW;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
      wc.lpszClassName = L"TStyledRigForm";
      return RegisterClassW(&wc) != 0;
    }();
    (void)registered;
    wnd = CreateWindowExW(0, L"TStyledRigForm", L"rig", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 10, 10, width, height,
                          nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  }
  ~TStyledRigForm() {
    if (IsWindow(wnd)) DestroyWindow(wnd);
  }
  TStyledRigForm(const TStyledRigForm&) = delete;
  TStyledRigForm& operator=(const TStyledRigForm&) = delete;

  HWND Add(const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h, DWORD exStyle = 0,
           HWND parent = nullptr) {
    HWND control = CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent ? parent : wnd,
                                   nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    return control;
  }

  HWND wnd = nullptr;
  HFONT font = nullptr;
};

// A pixel of the window as its own window DC reads it.
inline COLORREF WindowPixel(HWND wnd, int x, int y) {
  HDC dc = GetWindowDC(wnd);
  const COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(wnd, dc);
  return c;
}
