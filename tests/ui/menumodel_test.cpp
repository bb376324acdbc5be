// The menu model: items, glyph lookup and which handlers a styling component installs.
#include "ui/menumodel.h"

#include <gtest/gtest.h>

#include <vector>

TEST(MenuModel, ItemsAndInsertNotice) {
  TMenu menu(TMenuKind::Popup);
  std::vector<std::u16string> inserted;
  menu.OnInsert = [&](TMenuItem& item) { inserted.push_back(item.Caption); };
  TMenuItem& a = menu.Items().Add(u"a");
  menu.Items().Add(u"c");
  menu.Items().Insert(1, u"b");
  menu.Items().Insert(99, u"d");  // past the end: appended
  TMenuItem& sub = a.Add(u"a1");
  ASSERT_EQ(menu.Items().Count(), 4u);
  EXPECT_EQ(menu.Items()[1].Caption, u"b");
  EXPECT_EQ(menu.Items()[3].Caption, u"d");
  EXPECT_EQ(inserted, (std::vector<std::u16string>{u"a", u"c", u"b", u"d", u"a1"}));
  EXPECT_EQ(sub.Parent(), &a);
  EXPECT_EQ(sub.Menu(), &menu);
  EXPECT_FALSE(a.IsTopLevel()) << "a popup menu has no bar";
  a.Clear();
  EXPECT_FALSE(a.HasSubItems());
}

TEST(MenuModel, GlyphFromSubMenuImagesThenMenuImagesThenBitmap) {
  TMenu menu(TMenuKind::Main);
  auto menuImages = std::make_shared<TImageList>();
  menuImages->Images.push_back(TGlyph{1, 1, {1}});
  auto subImages = std::make_shared<TImageList>();
  subImages->Images.push_back(TGlyph{1, 1, {2}});
  menu.Images = menuImages;
  TMenuItem& top = menu.Items().Add(u"top");
  top.ImageIndex = 0;
  TMenuItem& child = top.Add(u"child");
  child.ImageIndex = 0;
  EXPECT_EQ(top.Glyph()->Pixels[0], 1u);
  EXPECT_EQ(child.Glyph()->Pixels[0], 1u) << "no sub-menu images: the menu's";
  top.SubMenuImages = subImages;
  EXPECT_EQ(child.Glyph()->Pixels[0], 2u);
  child.ImageIndex = 5;
  EXPECT_EQ(child.Glyph(), nullptr);
  child.Bitmap = std::make_shared<TGlyph>(TGlyph{1, 1, {3}});
  EXPECT_EQ(child.Glyph()->Pixels[0], 3u) << "a missing image falls back to the bitmap";
  child.Bitmap = std::make_shared<TGlyph>(TGlyph{2, 2, {3}});
  EXPECT_EQ(child.Glyph(), nullptr) << "a bitmap short of its pixels is none";
}

TEST(MenuModel, HandlerRules) {
  int owner = 0;
  int ownDraws = 0, styledDraws = 0, ownMeasures = 0, styledMeasures = 0;
  const TMenuDraw styledDraw = [&](TMenuItem&, TMenuDrawArgs&) { ++styledDraws; };
  const TMenuMeasure styledMeasure = [&](TMenuItem&, TMenuMeasureArgs&) { ++styledMeasures; };
  const TMenuDraw ownDraw = [&](TMenuItem&, TMenuDrawArgs&) { ++ownDraws; };
  const TMenuMeasure ownMeasure = [&](TMenuItem&, TMenuMeasureArgs&) { ++ownMeasures; };
  enum Who { None, Own, Styled };
  struct Case {
    int tag;
    bool ownDraw, ownMeasure, override;
    Who draw, measure;
    const char* why;
  } cases[] = {
      {0, false, false, false, Styled, Styled, "a plain item gets both"},
      {999, false, false, false, None, None, "tag 999 keeps the native look"},
      {999, false, false, true, None, None, "tag 999 even with override"},
      {0, true, false, false, Own, Styled, "an item that draws itself gets only the measuring"},
      {0, true, true, false, Own, Own, "and keeps its own measuring"},
      {0, false, true, false, Styled, Own, "own measuring kept without override"},
      {0, true, true, true, Styled, Styled, "override replaces both"},
  };
  for (const Case& c : cases) {
    TMenuItem item;
    item.Tag = c.tag;
    if (c.ownDraw) item.OnDrawItem = ownDraw;
    if (c.ownMeasure) item.OnMeasureItem = ownMeasure;
    ApplyItemHandlers(item, true, c.override, &owner, styledDraw, styledMeasure);
    EXPECT_EQ(item.OnDrawItem ? (item.DrawOwner == &owner ? Styled : Own) : None, c.draw) << c.why;
    EXPECT_EQ(item.OnMeasureItem ? (item.MeasureOwner == &owner ? Styled : Own) : None, c.measure) << c.why;
    ApplyItemHandlers(item, true, c.override, &owner, styledDraw, styledMeasure);  // again: the same
    EXPECT_EQ(item.OnDrawItem ? (item.DrawOwner == &owner ? Styled : Own) : None, c.draw) << c.why << ", twice";
    ApplyItemHandlers(item, false, c.override, &owner, styledDraw, styledMeasure);
    EXPECT_EQ(item.OnDrawItem != nullptr, c.draw == Own) << c.why << ": disabling removes only the component's own";
    EXPECT_EQ(item.OnMeasureItem != nullptr, c.measure == Own) << c.why;
  }
  // Another component's handlers count as the item's own.
  int other = 0;
  TMenuItem item;
  ApplyItemHandlers(item, true, false, &other, styledDraw, styledMeasure);
  ApplyItemHandlers(item, false, false, &owner, styledDraw, styledMeasure);
  EXPECT_EQ(item.DrawOwner, &other);
  TMenu menu(TMenuKind::Popup);
  menu.Items().Add(u"a").Add(u"b").Tag = 999;
  ApplyItemHandlersDeep(menu.Items()[0], true, false, &owner, styledDraw, styledMeasure);
  EXPECT_TRUE(menu.Items()[0].OnDrawItem);
  EXPECT_FALSE(menu.Items()[0][0].OnDrawItem);
}
