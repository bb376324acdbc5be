// The menu model: items, their glyphs and the handler rules of a styling component.
#include "ui/menumodel.h"

#include <utility>

bool TMenuItem::IsTopLevel() const {
  return menu_ && parent_ == &menu_->Items() && menu_->Kind() == TMenuKind::Main;
}

TMenuItem& TMenuItem::Add(std::u16string caption, TMenuClick onClick) {
  return Insert(items_.size(), std::move(caption), std::move(onClick));
}

TMenuItem& TMenuItem::Insert(size_t index, std::u16string caption, TMenuClick onClick) {
  auto item = std::make_unique<TMenuItem>();
  item->Caption = std::move(caption);
  item->OnClick = std::move(onClick);
  item->parent_ = this;
  item->menu_ = menu_;
  if (index > items_.size()) index = items_.size();
  TMenuItem& added = **items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(index), std::move(item));
  if (menu_ && menu_->OnInsert) menu_->OnInsert(added);
  return added;
}

void TMenuItem::Clear() { items_.clear(); }

const TImageList* TMenuItem::Images() const {
  if (parent_ && parent_->SubMenuImages) return parent_->SubMenuImages.get();
  return menu_ ? menu_->Images.get() : nullptr;
}

const TGlyph* TMenuItem::Glyph() const {
  if (ImageIndex >= 0) {
    if (const TImageList* images = Images()) {
      const TGlyph* image = images->Get(ImageIndex);
      if (image && !image->Empty()) return image;
    }
  }
  return Bitmap && !Bitmap->Empty() ? Bitmap.get() : nullptr;
}

void ApplyItemHandlers(TMenuItem& item, bool enable, bool overrideOwnerDraw, const void* owner, const TMenuDraw& draw,
                       const TMenuMeasure& measure) {
  if (!enable) {
    if (item.DrawOwner == owner && item.OnDrawItem) {
      item.OnDrawItem = nullptr;
      item.DrawOwner = nullptr;
    }
    if (item.MeasureOwner == owner && item.OnMeasureItem) {
      item.OnMeasureItem = nullptr;
      item.MeasureOwner = nullptr;
    }
    return;
  }
  if (item.Tag == kTagNativeLook) return;
  const bool drawsItself = item.OnDrawItem && item.DrawOwner != owner;
  const bool measuresItself = item.OnMeasureItem && item.MeasureOwner != owner;
  if (!overrideOwnerDraw && drawsItself) {
    if (!item.OnMeasureItem) {
      item.OnMeasureItem = measure;
      item.MeasureOwner = owner;
    }
    return;
  }
  item.OnDrawItem = draw;
  item.DrawOwner = owner;
  if (!(measuresItself && !overrideOwnerDraw)) {
    item.OnMeasureItem = measure;
    item.MeasureOwner = owner;
  }
}

void ApplyItemHandlersDeep(TMenuItem& item, bool enable, bool overrideOwnerDraw, const void* owner,
                           const TMenuDraw& draw, const TMenuMeasure& measure) {
  ApplyItemHandlers(item, enable, overrideOwnerDraw, owner, draw, measure);
  for (size_t i = 0; i < item.Count(); ++i) {
    ApplyItemHandlersDeep(item[i], enable, overrideOwnerDraw, owner, draw, measure);
  }
}
