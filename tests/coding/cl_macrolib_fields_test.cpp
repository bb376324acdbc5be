// The field tree: node forms, field types, rules, and how node results make the payload and messages.
#include <gtest/gtest.h>

#include "tests/coding/recog_page.h"

using namespace std::literals;

namespace {

// A labelled value, and a footer that sets the page size.
void BuildPage(TTestPage& p) {
  p.Name(u"RLINN", p.Text(u"ИНН", 50, 100, 120, 120));
  p.Text(u" 7701 ", 150, 100, 350, 120);
  p.Text(u"стр. 1", 900, 980, 999, 999);
  p.R.PageExtent = TRect{0, 0, 999, 999};
}

TObjectRefs AllTexts(const TTestPage& p) {
  TObjectRefs refs;
  for (const auto& t : p.Texts) refs.push_back(t.get());
  return refs;
}

TEST(FieldsTest, ValueFormSplits) {
  const struct {
    std::u16string Text, Option, Rule, Macro;
    const char* Why;
  } cases[] = {
      {u"RINN,ИНН,=8RLINN^r1:0-500,=1HTOP,,[ИНН", u"RINN,ИНН", u"=8RLINN^r1:0-500,=1HTOP", u"[ИНН",
       "type and label, display name, a rule with single commas, two commas, the macro"},
      {u"RINN;ИНН;=8RLINN,,T1", u"RINN,ИНН", u"=8RLINN", u"T1", "option fields may end with semicolons"},
      {u"?x,RKPP,КПП,=8RLKPP,,", u"?x,RKPP,КПП", u"=8RLKPP", u"", "a skippable node has three option fields"},
      {u"CX,X", u"CX,X", u"", u"", "nothing after the option"},
      {u"RX,X,@RA", u"RX,X", u"@RA", u"", "no two commas: no macro"},
      {u"RX,X,,,SB", u"RX,X", u"", u"GT,SB", "a macro beginning with S takes the text first"},
      {u"RX,X,,,[A,SB", u"RX,X", u"", u"GT,[A,SB", "so does one holding an S step"},
      {u"RX,X,,,SB,GT", u"RX,X", u"", u"SB,GT", "unless it takes the text itself"},
      {u"RX,X,,,0,1,0,0", u"RX,X", u"", u"0,1,0,0", "a table macro stays"},
  };
  for (const auto& c : cases) {
    const TFieldNodeText n = SplitFieldValue(c.Text);
    EXPECT_EQ(Show(n.Option), Show(c.Option)) << c.Why;
    EXPECT_EQ(Show(n.Rule), Show(c.Rule)) << c.Why;
    EXPECT_EQ(Show(n.Macro), Show(c.Macro)) << c.Why;
  }
}

TEST(FieldsTest, FieldTypes) {
  const struct {
    std::u16string Option, Rule, Macro;
    int32_t Required;
    std::string Payload;
    bool Answer;
    std::u16string Log;  // a line the field must log; empty for none
    int32_t Errors;
    const char* Why;
  } cases[] = {
      {u"RINN,ИНН", u"=8RLINN", u"", 0, "INN:7701\\t", true, u"", 0, "R: the text right of the label, trimmed"},
      {u"rINN,ИНН", u"=8RLINN", u"", 0, "INN:7701\\t", true, u"", 0, "type letters are case-insensitive"},
      {u"RINN,ИНН", u"=8RLNONE", u"", 0, "", false, u"    INN - Ошибка! Поле пусто или не найдено: \"ИНН\"", 0,
       "R: an empty value fails"},
      {u"RINN,ИНН", u"=8RLNONE", u"", 1, "", false, u"", 1, "a required empty field leaves a message"},
      {u"OINN,ИНН", u"=8RLNONE", u"", 1, "", true, u"    INN - Поле пусто или не найдено: \"ИНН\"", 1,
       "O: an empty value is allowed, but a required one is still reported"},
      {u"CVER,Версия", u"", u"1.0", 0, "VER:1.0\\t", true, u"", 0, "C: the macro is the value"},
      {u"CX,X", u"", u"a\tb", 0, "X:a^b\\t", true, u"", 0, "a FieldDelim inside a value becomes LinesDelim"},
      {u"PORG,Организация", u"", u"PORGNAME", 0, "ORG:ООО Ромашка\\t", true, u"", 0, "P: the parameter, trimmed"},
      {u"PORG,Организация", u"", u"PNONE", 0, "", true, u"    ORG - Параметр не найден (Организация): \"PNONE\"", 0,
       "P: a missing parameter gives nothing"},
      {u"PORG,Организация", u"", u"PBLANK", 0, "", true, u"    ORG - Параметр пуст (Организация): \"PBLANK\"", 0,
       "P: a blank parameter gives nothing"},
      {u"PORG,Организация", u"", u"", 0, "", true, u"    ORG - Параметр не задан", 0, "P: no name"},
      {u"LPCTX,Контекст", u"", u"", 0, "INN:1\\tKPP:2\\t", true, u"", 0, "L: the carried value, without label"},
      {u"LPNONE,Контекст", u"", u"", 0, "", true, u"    PNONE - Имя контекста не найдено (Контекст)", 0,
       "L: no such parameter"},
      {u"LPEMPTY,Контекст", u"", u"", 0, "", true, u"    PEMPTY - Контекст пуст (Контекст)", 0, "L: an empty one"},
      {u"LPBLANK,Контекст", u"", u"", 0, " ", true, u"", 0, "L: the carried value is taken as it is"},
      {u"L,Контекст", u"", u"", 0, "", true, u"     - Имя контекста не задано", 0, "L: no label"},
      {u"XFOO,Foo", u"=8RLINN", u"", 1, "", true, u"", 0, "another letter does nothing"},
  };
  for (const auto& c : cases) {
    TTestPage p;
    BuildPage(p);
    p.Param(u"PORGNAME", u" ООО Ромашка ");
    p.Param(u"PBLANK", u" ");
    p.Param(u"PEMPTY", u"");
    p.Param(u"PCTX", u"INN:1\tKPP:2\t");
    const TObjectRefs objects = AllTexts(p);
    std::u16string out;
    EXPECT_EQ(p.R.FieldValue(c.Option, c.Macro, u"", out, &objects, c.Required, c.Rule), c.Answer) << c.Why;
    EXPECT_EQ(Show(out), c.Payload) << c.Why;
    if (!c.Log.empty()) {
      EXPECT_TRUE(p.Host.Logged(c.Log)) << c.Why;
    }
    EXPECT_EQ(p.Errors.Count(), c.Errors) << c.Why;
    if (c.Errors) {
      EXPECT_EQ(p.Errors.Get(0), u"Полe пусто или не найдено: \"ИНН\"") << c.Why;
    }
  }
}

TEST(FieldsTest, ContextFields) {
  TTestPage p;
  BuildPage(p);
  const TObjectRefs objects = AllTexts(p);
  std::u16string out;
  // E stores the level's payload so far, through the system code page, and filters the document.
  EXPECT_TRUE(p.R.FieldValue(u"EPCTX,Сохранить", u"", u"INN:7701\tЖ中\t", out, &objects, 0, u"=8RLINN"));
  EXPECT_EQ(out, u"");
  EXPECT_EQ(p.Host.ContextName, u"PCTX");
  EXPECT_EQ(p.Host.ContextValue, u"INN:7701\tЖ?\t");
  EXPECT_EQ(p.R.State, 2);
  EXPECT_TRUE(p.Host.Logged(u"    PCTX - Сохранение контекста: \"Сохранить\""));

  // N marks the context unless the document is filtered.
  for (uint8_t state : {0, 2}) {
    TTestPage n;
    BuildPage(n);
    n.R.State = state;
    const TObjectRefs all = AllTexts(n);
    EXPECT_TRUE(n.R.FieldValue(u"NPCTX,Дальше", u"", u"", out, &all, 0, u"=8RLINN"));
    EXPECT_EQ(n.Host.ContextValue, state == 2 ? u"" : u"*");
    EXPECT_TRUE(n.Host.Logged(u"    PCTX - Установка контекста: \"Дальше\" -> [" +
                              std::u16string(state == 2 ? u"Filtr" : u"Ok") + u"]"));
  }

  // Without a value neither does anything.
  TTestPage none;
  BuildPage(none);
  const TObjectRefs all = AllTexts(none);
  EXPECT_TRUE(none.R.FieldValue(u"EPCTX,Сохранить", u"", u"x", out, &all, 0, u"=8RLNONE"));
  EXPECT_EQ(none.R.State, 1);
  EXPECT_EQ(none.Host.ContextName, u"");
}

TEST(FieldsTest, RuleApplicable) {
  const struct {
    std::u16string Rule;
    bool Applicable;
    const char* Why;
  } cases[] = {
      {u"", true, "an empty rule"},
      {u"N", true, "a sort field"},
      {u"S,=8RLINN", true, "a sort field, then a found name"},
      {u"=8RLINN", true, "a relation to a found object"},
      {u"=8RLNONE", false, "a relation to an object not found"},
      {u"=8RLINN|=8RLNONE", true, "one alternative suffices"},
      {u"=8RLNONE|=8RLINN", true, "in either order"},
      {u"=8RLINN,=8RLNONE", false, "every group must hold"},
      {u"|=8RLINN", false, "an empty alternative ends its group"},
      {u"=8RLINN^=8RLNONE", false, "every term of an alternative"},
      {u"!RLNONE", true, "! always holds"},
      {u")1RLNONE/X", true, ") always holds"},
      {u"@RLNONE", true, "@ always holds"},
      {u"%RLNONE", true, "% holds when the name is not found"},
      {u"%RLINN", false, "and fails when it is"},
      {u"r1:0-50", true, "a distance to the page names nothing"},
      {u"r1RLINN:0-50", true, "a distance to a found object"},
      {u"r1RLNONE:0-50", false, "a distance to an object not found"},
      {u"<RLINN", true, "< with a found name"},
      {u"?RLNONE", false, "? with a name not found"},
      {u"=1TИНН", true, "a text term names no object"},
      {u"*5", false, "any other term needs its name after the second character"},
  };
  TTestPage p;
  BuildPage(p);
  for (const auto& c : cases) EXPECT_EQ(p.R.RuleApplicable(c.Rule), c.Applicable) << c.Why;
}

TEST(FieldsTest, CollectFieldText) {
  TTestPage p;
  p.Text(u" Петр ", 300, 98, 380, 118);
  p.Text(u"Иванов", 100, 102, 200, 122);
  p.Text(u"ниже", 100, 200, 200, 220);
  p.Text(u"", 400, 98, 420, 118);
  p.R.PageExtent = TRect{0, 0, 999, 999};
  const TObjectRefs objects = AllTexts(p);
  EXPECT_EQ(p.R.CollectFieldText(u"r0:0-0", u"", &objects), u"Иванов Петр ниже") << "one row reads left to right";
  EXPECT_EQ(p.R.CollectFieldText(u"S,r0:0-0", u"", &objects), u"Иванов ниже Петр") << "sort mode 1: by columns";
  EXPECT_EQ(p.R.CollectFieldText(u"", u"", &objects), u"") << "no rule, no text";
  EXPECT_EQ(p.R.CollectFieldText(u"r0:0-0", u"", nullptr), u"") << "no objects, no text";
  EXPECT_TRUE(p.R.SelectObjects(u"@RA", &objects).empty()) << "a rule naming its object selects nothing";
  EXPECT_EQ(p.R.SelectObjects(u"r1:0-150", &objects).size(), 3u);
}

TEST(FieldsTest, TreeResults) {
  const struct {
    std::vector<std::pair<std::u16string, std::u16string>> Values;
    bool Recognized;
    std::string Payload;
    const char* Why;
  } cases[] = {
      {{{u"1", u"RINN,ИНН,=8RLINN,,"}, {u"2", u"CVER,Версия,,,2"}}, true, "INN:7701\\tVER:2\\t", "both nodes give values"},
      {{{u"1", u"RKPP,КПП,=8RLKPP,,"}, {u"2", u"CVER,Версия,,,2"}}, true, "VER:2\\t",
       "an earlier node that fails only adds its messages"},
      {{{u"1", u"CVER,Версия,,,2"}, {u"2", u"RKPP,КПП,=8RLKPP,,"}}, false, "", "the last top-level node decides"},
      {{{u"1", u"CVER,Версия,,,2"}, {u"2", u"OKPP,КПП,=8RLKPP,,"}}, true, "VER:2\\t",
       "an O field whose object is missing does not fail"},
      {{{u"1", u"CVER,Версия,,,2"}, {u"2", u"?x,RKPP,КПП,=8RLKPP,,"}}, true, "VER:2\\t", "a skippable node is skipped"},
      {{}, false, "", "no node: no payload"},
      {{{u"1", u"CVER,Версия,,,2"}, {u"3", u"CNEVER,Н,,,3"}}, true, "VER:2\\t", "a level ends at the first gap"},
  };
  for (const auto& c : cases) {
    TTestPage p;
    BuildPage(p);
    for (const auto& [name, text] : c.Values) p.Config.Values[name] = text;
    EXPECT_EQ(p.R.Recognize(), c.Recognized) << c.Why;
    EXPECT_EQ(Show(p.R.Payload), c.Payload) << c.Why;
  }

  TTestPage skip;
  BuildPage(skip);
  skip.Fields({{u"1", u"CVER,Версия,,,2"}, {u"2", u"?x,RKPP,КПП,=8RLKPP,,"}});
  skip.R.Recognize();
  EXPECT_TRUE(skip.Host.Logged(u"    ?? - Обход узла: \"RKPP,КПП\", правило: \"=8RLKPP\""));
  EXPECT_FALSE(skip.Host.LoggedPart(u"Не выделить")) << "skipped silently";
}

TEST(FieldsTest, RequiredNodesLeaveOneMessage) {
  TTestPage p;
  BuildPage(p);
  p.Config.FieldKeys[u"1"] = {u"RKPP,КПП", u"=8RLKPP", u"", 1};        // rule names an object not found
  p.Config.FieldKeys[u"2"] = {u"RINN,ИНН", u"=8RLINN", u"T999", 1};    // found, but the macro gives nothing
  p.Config.FieldKeys[u"3"] = {u"CVER,Версия", u"", u"2", 1};
  ASSERT_TRUE(p.R.Recognize());
  EXPECT_EQ(Show(p.R.Payload), "VER:2\\t");
  EXPECT_EQ(p.ErrorList(), (std::vector<std::u16string>{u"Полe пусто или не найдено: \"КПП\"",
                                                         u"Полe пусто или не найдено: \"ИНН\""}));
  EXPECT_TRUE(p.Host.Logged(u"    * KPP - Ошибка! Не выделить поле: \"КПП\", правило: \"=8RLKPP\""));
}

TEST(FieldsTest, KeyAndValueNodesNest) {
  TTestPage p;
  BuildPage(p);
  // Node 1 is a key selecting every text for its children: a key child, then value children.
  p.Config.FieldKeys[u"1"] = {u"RGRP,Группа", u"?RLINN", u"", 0};
  p.Config.FieldKeys[u"1\\1"] = {u"RINN,ИНН", u"=8RLINN", u"", 0};
  p.Fields({{u"1.2", u"CVER,Версия,,,2"}, {u"1.2.1", u"CSUB,Под,,,3"}, {u"1\\3", u"CBAD,Нет,,,4"}});
  ASSERT_TRUE(p.R.Recognize());
  EXPECT_EQ(Show(p.R.Payload), "INN:7701\\tSUB:3\\t") << "a node with children gives their entries";
}

TEST(FieldsTest, LevelThatEndsInNothingFallsBackToItsParent) {
  TTestPage p;
  BuildPage(p);
  p.Fields({{u"1", u"OGRP,Группа,?RLINN,,"}, {u"1.1", u"CA,A,,,1"}, {u"1.2", u"RB,B,=8RLNONE,,"}});
  ASSERT_TRUE(p.R.Recognize());
  EXPECT_EQ(Show(p.R.Payload), "GRP:ИНН 7701 стр. 1\\t") << "the parent is taken as a field itself";
  EXPECT_EQ(p.Host.Status, (std::vector<std::u16string>{u"Группа"})) << "the children's statuses are dropped";
}

TEST(FieldsTest, DeepTreesAreCut) {
  TTestPage p;
  BuildPage(p);
  std::u16string name = u"1";
  for (int i = 0; i < 200; ++i) {
    p.Config.Values[name] = u"CX,X,,,1";
    name += u".1";
  }
  EXPECT_TRUE(p.R.Recognize());
  EXPECT_EQ(Show(p.R.Payload), "X:1\\t");
}

}  // namespace
