// The menu model built as Win32 menus.
#include "ui/menumodel_win.h"

#include <commctrl.h>

#include <cstring>
#include <string>

#include "foundation/lib_unicode_win.h"

namespace {

// Id of the window subclass that takes a realised menu's messages.
constexpr UINT_PTR kMenuSubclassId = 0x4D4E5531;  // "MNU1"

}  // namespace

HBITMAP GlyphBitmap(const TGlyph& glyph) {
  if (glyph.Empty()) return nullptr;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = glyph.Width;
  info.bmiHeader.biHeight = -glyph.Height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap || !bits) return bitmap;
  auto* out = static_cast<uint32_t*>(bits);
  for (size_t i = 0; i < glyph.Pixels.size(); ++i) {
    const uint32_t c = glyph.Pixels[i];
    // COLORREF 0x00BBGGRR to the DIB's 0x00RRGGBB.
    out[i] = ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
  }
  return bitmap;
}

TRealisedMenu::TRealisedMenu(TMenu& menu) : menu_(menu) { Rebuild(); }

TRealisedMenu::~TRealisedMenu() {
  Detach();
  DestroyHandle();
}

void TRealisedMenu::DestroyHandle() {
  if (handle_) DestroyMenu(handle_);
  handle_ = nullptr;
}

HMENU TRealisedMenu::Build(TMenuItem& parent, bool bar) {
  HMENU menu = bar ? CreateMenu() : CreatePopupMenu();
  if (!menu) return nullptr;
  UINT position = 0;
  for (size_t i = 0; i < parent.Count(); ++i) {
    TMenuItem& item = parent[i];
    if (!item.Visible) continue;
    // A menu command id is 16 bits wide in WM_COMMAND: items past that cannot be told apart.
    if (nextId_ > 0xFFFF) break;
    const bool ownerDraw = menu_.OwnerDraw && item.OnDrawItem;
    std::u16string text = item.Caption;
    if (!item.ShortCut.empty()) text += u"\t" + item.ShortCut;
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_DATA;
    mii.wID = nextId_++;
    mii.dwItemData = reinterpret_cast<ULONG_PTR>(&item);
    if (menu_.RightToLeft) mii.fType |= MFT_RIGHTORDER;
    if (item.RadioItem) mii.fType |= MFT_RADIOCHECK;
    if (!item.Enabled) mii.fState |= MFS_GRAYED;
    if (item.Checked) mii.fState |= MFS_CHECKED;
    if (item.Default) mii.fState |= MFS_DEFAULT;
    if (ownerDraw) {
      // An owner-drawn separator is an item that cannot be chosen.
      mii.fType |= MFT_OWNERDRAW;
      if (item.IsSeparator()) mii.fState |= MFS_DISABLED;
    } else if (item.IsSeparator()) {
      mii.fType |= MFT_SEPARATOR;
    } else {
      mii.fMask |= MIIM_STRING;
      mii.dwTypeData = const_cast<wchar_t*>(WStr(text));
      if (const TGlyph* glyph = item.Glyph()) {
        if (HBITMAP bitmap = GlyphBitmap(*glyph)) {
          bitmaps_.emplace_back(bitmap);
          mii.fMask |= MIIM_BITMAP;
          mii.hbmpItem = bitmap;
        }
      }
    }
    if (item.HasSubItems()) {
      mii.fMask |= MIIM_SUBMENU;
      mii.hSubMenu = Build(item, false);
    }
    if (!InsertMenuItemW(menu, position, TRUE, &mii)) {
      if (mii.hSubMenu) DestroyMenu(mii.hSubMenu);
      continue;
    }
    ids_[mii.wID] = &item;
    places_[&item] = {menu, position};
    ++position;
  }
  return menu;
}

void TRealisedMenu::Rebuild() {
  const HMENU old = handle_;
  ids_.clear();
  places_.clear();
  std::vector<TGdiObject> oldBitmaps = std::move(bitmaps_);
  bitmaps_.clear();
  nextId_ = 1;
  const bool bar = menu_.Kind() == TMenuKind::Main && window_ != nullptr;
  handle_ = Build(menu_.Items(), bar);
  // Only a bar becomes the window's menu: a popup menu set there makes Wine's DestroyMenu of the old
  // handle destroy the window with it.
  if (bar) {
    SetMenu(window_, handle_);
    DrawMenuBar(window_);
  }
  if (old) DestroyMenu(old);
}

bool TRealisedMenu::AttachTo(HWND wnd) {
  Detach();
  if (!wnd || !SetWindowSubclass(wnd, WindowHook, kMenuSubclassId, reinterpret_cast<DWORD_PTR>(this))) return false;
  window_ = wnd;
  if (menu_.Kind() == TMenuKind::Main) Rebuild();  // a bar, not a popup
  return true;
}

void TRealisedMenu::Detach() {
  if (!window_) return;
  RemoveWindowSubclass(window_, WindowHook, kMenuSubclassId);
  if (menu_.Kind() == TMenuKind::Main && GetMenu(window_) == handle_) {
    SetMenu(window_, nullptr);
    window_ = nullptr;
    Rebuild();
    return;
  }
  window_ = nullptr;
}

TMenuItem* TRealisedMenu::Popup(HWND owner, int x, int y) {
  if (!handle_ || !owner) return nullptr;
  HMENU popup = handle_;
  // A main menu shows its first column as the popup.
  if (menu_.Kind() == TMenuKind::Main && window_) popup = GetSubMenu(handle_, 0);
  if (!popup) return nullptr;
  const bool hooked = window_ != owner &&
                      SetWindowSubclass(owner, WindowHook, kMenuSubclassId + 1, reinterpret_cast<DWORD_PTR>(this));
  const UINT flags = TPM_RETURNCMD | TPM_RIGHTBUTTON | (menu_.RightToLeft ? TPM_LAYOUTRTL : 0);
  const UINT id = static_cast<UINT>(TrackPopupMenuEx(popup, flags, x, y, owner, nullptr));
  if (hooked) RemoveWindowSubclass(owner, WindowHook, kMenuSubclassId + 1);
  TMenuItem* item = ItemOfId(id);
  if (item && item->OnClick) item->OnClick(*item);
  return item;
}

TMenuItem* TRealisedMenu::ItemOfId(UINT id) const {
  const auto it = ids_.find(id);
  return it == ids_.end() ? nullptr : it->second;
}

TMenuItem* TRealisedMenu::ItemOfData(ULONG_PTR data) const {
  const auto* item = reinterpret_cast<const TMenuItem*>(data);
  return places_.count(item) ? const_cast<TMenuItem*>(item) : nullptr;
}

bool TRealisedMenu::PlaceOf(const TMenuItem& item, HMENU& menu, UINT& position) const {
  const auto it = places_.find(&item);
  if (it == places_.end()) return false;
  menu = it->second.first;
  position = it->second.second;
  return true;
}

bool TRealisedMenu::Click(UINT id) {
  TMenuItem* item = ItemOfId(id);
  if (!item) return false;
  if (item->OnClick) item->OnClick(*item);
  return true;
}

bool TRealisedMenu::HandleMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg == WM_MEASUREITEM) {
    auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
    if (!mis || mis->CtlType != ODT_MENU) return false;
    TMenuItem* item = ItemOfData(mis->itemData);
    if (!item) return false;
    TMenuMeasureArgs args;
    args.Width = static_cast<int>(mis->itemWidth);
    args.Height = static_cast<int>(mis->itemHeight);
    args.Window = wnd;
    if (item->OnMeasureItem) item->OnMeasureItem(*item, args);
    mis->itemWidth = static_cast<UINT>(args.Width > 0 ? args.Width : 0);
    mis->itemHeight = static_cast<UINT>(args.Height > 0 ? args.Height : 0);
    result = TRUE;
    return true;
  }
  if (msg == WM_DRAWITEM) {
    auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
    if (!dis || dis->CtlType != ODT_MENU) return false;
    TMenuItem* item = ItemOfData(dis->itemData);
    if (!item) return false;
    TMenuDrawArgs args;
    args.Dc = dis->hDC;
    args.Rect = dis->rcItem;
    args.Selected = (dis->itemState & ODS_SELECTED) != 0;
    args.Disabled = (dis->itemState & (ODS_GRAYED | ODS_DISABLED)) != 0 || !item->Enabled;
    args.Window = wnd;
    PlaceOf(*item, args.Menu, args.Position);
    if (item->OnDrawItem) item->OnDrawItem(*item, args);
    result = TRUE;
    return true;
  }
  if (msg == WM_COMMAND && HIWORD(wp) == 0 && lp == 0) {
    if (!Click(LOWORD(wp))) return false;
    result = 0;
    return true;
  }
  return false;
}

LRESULT CALLBACK TRealisedMenu::WindowHook(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
  auto* self = reinterpret_cast<TRealisedMenu*>(data);
  LRESULT result = 0;
  if (self && self->HandleMessage(wnd, msg, wp, lp, result)) return result;
  return DefSubclassProc(wnd, msg, wp, lp);
}
