// A menu as values: items with caption, shortcut text, tag, state, glyph and sub-items, and the handlers
// that click, measure and draw them. Win32 cannot hide a menu item, so the window edge (menumodel_win)
// builds HMENUs from this model, leaving hidden items out.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// A picture as colours 0x00BBGGRR (the COLORREF order), rows top down. The pixel at the bottom-left corner is its transparent
// background.
struct TGlyph {
  int Width = 0;
  int Height = 0;
  std::vector<uint32_t> Pixels;

  bool Empty() const { return Width <= 0 || Height <= 0 || Pixels.size() != static_cast<size_t>(Width) * Height; }
  uint32_t At(int x, int y) const { return Pixels[static_cast<size_t>(y) * Width + x]; }
  uint32_t& At(int x, int y) { return Pixels[static_cast<size_t>(y) * Width + x]; }
  uint32_t Background() const { return Empty() ? 0 : At(0, Height - 1); }
};

// Pictures of one size, addressed by index.
struct TImageList {
  int Width = 16;
  int Height = 16;
  std::vector<TGlyph> Images;
  const TGlyph* Get(int index) const {
    return index >= 0 && static_cast<size_t>(index) < Images.size() ? &Images[static_cast<size_t>(index)] : nullptr;
  }
};

class TMenuItem;
// What the window edge hands a drawing or measuring handler (device context, rectangle, state); defined
// there.
struct TMenuDrawArgs;
struct TMenuMeasureArgs;
using TMenuClick = std::function<void(TMenuItem&)>;
using TMenuDraw = std::function<void(TMenuItem&, TMenuDrawArgs&)>;
using TMenuMeasure = std::function<void(TMenuItem&, TMenuMeasureArgs&)>;

// Tag of a menu, item or control that keeps the native look.
inline constexpr int kTagNativeLook = 999;

enum class TMenuKind { Main, Popup };

class TMenu;

class TMenuItem {
 public:
  std::u16string Caption;  // "-" is a separator
  std::u16string ShortCut;  // the shortcut's text, such as "Ctrl+P"
  int Tag = 0;
  bool Enabled = true;
  bool Checked = false;
  bool RadioItem = false;
  bool Default = false;
  bool Visible = true;
  int ImageIndex = -1;
  std::shared_ptr<const TGlyph> Bitmap;  // the item's own glyph, used without an image index
  std::shared_ptr<const TImageList> SubMenuImages;  // images of this item's sub-items
  TMenuClick OnClick;
  TMenuDraw OnDrawItem;
  TMenuMeasure OnMeasureItem;
  // Who installed the drawing and measuring handlers (nil: the item's own).
  const void* DrawOwner = nullptr;
  const void* MeasureOwner = nullptr;

  bool IsSeparator() const { return Caption == u"-"; }
  bool HasSubItems() const { return !items_.empty(); }
  size_t Count() const { return items_.size(); }
  TMenuItem& operator[](size_t i) { return *items_[i]; }
  const TMenuItem& operator[](size_t i) const { return *items_[i]; }
  TMenuItem* Parent() const { return parent_; }
  TMenu* Menu() const { return menu_; }
  // Top-level items of a main menu sit in its bar.
  bool IsTopLevel() const;

  // Adds a sub-item at the end (or before position index); the menu is told.
  TMenuItem& Add(std::u16string caption, TMenuClick onClick = {});
  TMenuItem& Insert(size_t index, std::u16string caption, TMenuClick onClick = {});
  void Clear();
  // The image list the item's image index refers to: its parent's sub-menu images, else its menu's.
  const TImageList* Images() const;
  // The glyph to show: the image of its index, else its own bitmap; nil without one.
  const TGlyph* Glyph() const;

 private:
  friend class TMenu;
  TMenuItem* parent_ = nullptr;
  TMenu* menu_ = nullptr;
  std::vector<std::unique_ptr<TMenuItem>> items_;
};

// A main or popup menu: its root item holds the top-level items.
class TMenu {
 public:
  explicit TMenu(TMenuKind kind) : kind_(kind) { items_.menu_ = this; }
  TMenu(const TMenu&) = delete;
  TMenu& operator=(const TMenu&) = delete;

  TMenuKind Kind() const { return kind_; }
  TMenuItem& Items() { return items_; }
  const TMenuItem& Items() const { return items_; }
  int Tag = 0;
  std::shared_ptr<const TImageList> Images;
  // Owner-drawn items: the window edge builds every item with a drawing handler owner-drawn.
  bool OwnerDraw = false;
  // A menu that reads right to left: its strip and texts are mirrored.
  bool RightToLeft = false;
  // Told of every item inserted (automatic styling of later items); empty by default.
  std::function<void(TMenuItem&)> OnInsert;

 private:
  friend class TMenuItem;
  TMenuKind kind_;
  TMenuItem items_;
};

// Which handlers an item gets from a styling component (owner), by the rules of the styled menus:
// enabling skips items tagged 999; without override an item that draws itself keeps its drawing handler
// and gets the measuring handler only when it has none; disabling removes only the owner's own handlers.
void ApplyItemHandlers(TMenuItem& item, bool enable, bool overrideOwnerDraw, const void* owner, const TMenuDraw& draw,
                       const TMenuMeasure& measure);
// The same for the item and, recursively, all its sub-items.
void ApplyItemHandlersDeep(TMenuItem& item, bool enable, bool overrideOwnerDraw, const void* owner,
                           const TMenuDraw& draw, const TMenuMeasure& measure);
