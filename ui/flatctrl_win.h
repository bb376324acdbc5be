// Flat painting of a form's controls: a TControlSubClass takes over a control's window procedure, lets
// the control handle each message first and then paints its border, button and marks flat in its
// TStyledMenu's colours, following hover, focus and presses.
#pragma once

#include <windows.h>

#include "ui/styledmenu.h"

class TStyledMenu;

class TControlSubClass {
 public:
  // Subclasses the control for the component; the control's existing subclass when it has one.
  static TControlSubClass* Install(HWND control, TStyledMenu& menu, TStyledControl kind);
  // The subclass of a control, nil when it has none.
  static TControlSubClass* Of(HWND control);
  // Gives the control back its window procedure, 3D edge and border, and frees the object.
  void Release();

  HWND Control() const { return control_; }
  TStyledControl Kind() const { return kind_; }
  TStyledMenu* Menu() const { return menu_; }
  // Another component takes the subclass over (the manager's active one).
  void MoveTo(TStyledMenu& menu);

  bool Hot = false;
  bool ButtonDown = false;
  bool SpaceDown = false;
  bool SpaceGuard = false;
  bool Recreating = false;
  bool Focused = false;
  UINT LastMessage = 0;

  // Paints the control's flat parts now.
  void Paint();

 private:
  TControlSubClass(HWND control, TStyledMenu& menu, TStyledControl kind);
  ~TControlSubClass() = default;
  static LRESULT CALLBACK SubclassWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
  // What the subclass does once the control has handled a message.
  void React(UINT msg, WPARAM wp, LPARAM lp);
  void TurnCtl3DOff();
  void PaintCombo(HDC dc, const RECT& client);
  void PaintEdit(HDC dc, const RECT& window);
  void PaintCheck(HDC dc, const RECT& client, bool radio);
  void PaintButton(HDC dc, const RECT& client);
  void PaintGroupBox(HDC dc, const RECT& client);
  void PaintPanel(HDC dc, const RECT& client);
  void PaintProgress(HDC dc, const RECT& window);

  HWND control_;
  TStyledMenu* menu_;
  TStyledControl kind_;
  WNDPROC previous_ = nullptr;
  LONG_PTR savedStyle_ = 0;
  LONG_PTR savedExStyle_ = 0;
  bool painting_ = false;
  bool tracking_ = false;
  bool released_ = false;
  int depth_ = 0;  // the control's messages this object is inside
};

// The mark of a checked box: three stacked two-segment lines from (x, y - 2 - k) through (x + 2, y - k)
// to (x + 7, y - 5 - k), k = 0..2.
void PaintCheckMark(HDC dc, int x, int y, COLORREF color);
