// What the About box shows in its two layouts.
#include "ui/about.h"

#include <gtest/gtest.h>

namespace {
TAboutRequest Request(bool logo, std::u16string extra) {
  TAboutRequest r;
  r.Product = u"Tevoran-Клиент";
  r.Version = u"4.01.23";
  r.EMail = u"support@tevoran.example";
  r.ShowLogo = logo;
  r.ExtraText = std::move(extra);
  r.Copyright = u"© Kavrel";
  r.ServiceName = u"Служба поддержки Tevoran";
  return r;
}
}  // namespace

TEST(AboutView, Layouts) {
  struct Case {
    bool logo;
    std::u16string extra;
    bool gradient, border, memo;
  } cases[] = {
      {true, u"", false, true, false},
      {true, u"Счёт-фактура: DC01", false, true, true},
      {false, u"", true, false, false},
      {false, u"x", true, false, true},
  };
  for (const Case& c : cases) {
    const TAboutView view = BuildAboutView(Request(c.logo, c.extra));
    EXPECT_EQ(view.ShowLogo, c.logo);
    EXPECT_EQ(view.Gradient, c.gradient);
    EXPECT_EQ(view.Border, c.border);
    EXPECT_EQ(view.ShowMemo, c.memo);
    EXPECT_EQ(view.Memo, c.extra);
  }
}

TEST(AboutView, TextsVerbatim) {
  const TAboutView view = BuildAboutView(Request(true, u""));
  EXPECT_EQ(view.Product, u"Tevoran-Клиент");
  EXPECT_EQ(view.Version, u"Версия: 4.01.23");
  EXPECT_EQ(view.Copyright, u"© Kavrel");
  EXPECT_EQ(view.EMail, u"E-mail: support@tevoran.example");
  // The first letter of "cлужбу" is the Latin c (U+0063).
  EXPECT_EQ(view.EMailHint, u"Создание письма в \u0063лужбу поддержки \"Служба поддержки Tevoran\".");
  EXPECT_EQ(view.EMailHint[18], u'c');
  EXPECT_EQ(view.MailtoLink, u"Mailto:support@tevoran.example");
  EXPECT_EQ(kAboutCaption, u"О программе...");
}
