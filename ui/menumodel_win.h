// The menu model as Win32 menus: HMENUs built from the items (hidden items left out, items with a
// drawing handler owner-drawn), the owner-draw and command messages passed to the items' handlers, the
// menu bar of a window and popup menus.
#pragma once

#include <windows.h>

#include <map>
#include <set>
#include <vector>

#include "foundation/lib_handle_win.h"
#include "ui/menumodel.h"

struct TMenuDrawArgs {
  HDC Dc = nullptr;
  RECT Rect{};
  bool Selected = false;
  bool Disabled = false;
  HWND Window = nullptr;  // the window that got WM_DRAWITEM
  HMENU Menu = nullptr;   // the menu holding the item, and its position there
  UINT Position = 0;
};

struct TMenuMeasureArgs {
  int Width = 0;
  int Height = 0;
  HWND Window = nullptr;
};

class TRealisedMenu {
 public:
  explicit TRealisedMenu(TMenu& menu);
  ~TRealisedMenu();
  TRealisedMenu(const TRealisedMenu&) = delete;
  TRealisedMenu& operator=(const TRealisedMenu&) = delete;

  TMenu& Model() { return menu_; }
  HMENU Handle() const { return handle_; }
  // Builds the HMENUs again from the model; a window's menu bar is replaced and redrawn.
  void Rebuild();
  // Makes the menu the window's menu bar and takes its owner-draw and command messages.
  bool AttachTo(HWND wnd);
  void Detach();
  HWND Window() const { return window_; }
  // Shows the popup menu at the screen point for the owner window and runs the chosen item's click
  // handler; returns that item, nil when none was chosen.
  TMenuItem* Popup(HWND owner, int x, int y);

  // WM_MEASUREITEM, WM_DRAWITEM and menu WM_COMMAND for this menu's items; false for other messages.
  bool HandleMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  // Runs the click handler of the item with this command id; false when the id is not this menu's.
  bool Click(UINT id);
  TMenuItem* ItemOfId(UINT id) const;
  // The item of an owner-draw message's item data, checked against this menu's items.
  TMenuItem* ItemOfData(ULONG_PTR data) const;
  // The HMENU and position where the item was put; false for a hidden or unknown item.
  bool PlaceOf(const TMenuItem& item, HMENU& menu, UINT& position) const;

 private:
  HMENU Build(TMenuItem& parent, bool bar);
  void DestroyHandle();
  static LRESULT CALLBACK WindowHook(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data);

  TMenu& menu_;
  HMENU handle_ = nullptr;
  HWND window_ = nullptr;
  UINT nextId_ = 1;
  std::map<UINT, TMenuItem*> ids_;
  std::map<const TMenuItem*, std::pair<HMENU, UINT>> places_;
  std::vector<TGdiObject> bitmaps_;
};

// A glyph as a 32-bit top-down DIB section; nil for an empty glyph.
HBITMAP GlyphBitmap(const TGlyph& glyph);
