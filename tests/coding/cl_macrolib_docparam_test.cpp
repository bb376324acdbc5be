// Document-type settings: named parameters, saving, the type summary, demo pages, DOS printer models,
// side-wide values with their clamps, and the decimal separator.
#include "coding/cl_macrolib_docparam.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "support/coder_fakes.h"

namespace {
const std::u16string kCfg = u"Cfg";
}

TEST(NamedParam, Constructors) {
  EXPECT_EQ(TNamedParam().Data, u"1");
  EXPECT_EQ(TNamedParam().FromContext, 0);
  EXPECT_EQ(TNamedParam(u"x").Data, u"x");
  EXPECT_EQ(TNamedParam::CreateFromContext(u"y")->FromContext, 1);
}

TEST(NamedParam, FromRegistry) {
  struct Case {
    std::optional<std::u16string> data, demo;
    std::u16string expected;
    bool demoRead;
  } cases[] = {
      {u"A*,B*", u"DEMO*", u"A*,B*,DEMO*", true},
      {u" A* ", u"D", u" A* ,D", true},  // the data itself stays untrimmed
      {u"A*", u"", u"A*", true},
      {u"", u"DEMO*", u"", false},
      {u"   ", u"DEMO*", u"   ", false},
      {{}, u"DEMO*", u"", false},
  };
  for (const Case& c : cases) {
    TMemoryStore store;
    store.SetText(u"P", u"Desc", u"Описание");
    if (c.data) store.SetText(u"P", u"Data", *c.data);
    if (c.demo) store.SetText(u"P", u"Demo", *c.demo);
    auto param = TNamedParam::CreateFromRegistry(store, u"P");
    EXPECT_EQ(param->Data, c.expected);
    EXPECT_EQ(param->Desc, u"Описание");
    EXPECT_EQ(param->FromContext, 0);
    EXPECT_EQ(store.Reads.back() == "T P|Demo", c.demoRead) << store.Reads.back();
  }
  TMemoryStore empty;
  auto missing = TNamedParam::CreateFromRegistry(empty, u"P");
  EXPECT_TRUE(missing->Data.empty() && missing->Desc.empty());
}

TEST(DocParam, CopiesAndCutsThePages) {
  TDocIdClass id = TDocIdClass::CreateFromText("AB");
  TDocParam param(1, TSize{2, 3}, 1, std::string(70, 'C'), id, 0, 1, 0, 1);
  id.SetText("ZZ");
  EXPECT_EQ(param.DocId.GetText(), "AB");
  EXPECT_EQ(param.Pages, std::string(64, 'C'));
  EXPECT_EQ(CutPages(std::string(64, 'C')), std::string(64, 'C'));
  EXPECT_EQ(CutPages(std::string(65, 'C')), std::string(64, 'C'));
}

TEST(DocParam, SavedInListOrderUntilAKeyFails) {
  TMemoryStore store;
  store.Unwritable.insert(u"Cfg\\CD");
  TWideStringList list;
  for (const char* id : {"AB", "CD", "EF"})
    list.AddObject(u"t", std::make_unique<TDocParam>(7, TSize{}, 0, "KC", TDocIdClass::CreateFromText(id), 0, 1, 5, 0));
  list.Add(u"no object");
  EXPECT_FALSE(SaveDocParams(store, kCfg, list));
  EXPECT_EQ(store.Get(u"Cfg\\AB", u"Pages")->Str, u"KC");
  EXPECT_EQ(store.Get(u"Cfg\\AB", u"PicPlace")->Int, 7);
  EXPECT_EQ(store.Get(u"Cfg\\AB", u"AckPages")->Int, 0);
  EXPECT_EQ(store.Get(u"Cfg\\AB", u"SavePgDlg")->Int, 1);
  EXPECT_FALSE(store.Get(u"Cfg\\AB", u"PicTop")) << "not written here";
  EXPECT_FALSE(store.Get(u"Cfg\\EF", u"Pages")) << "after the failure";
  store.Unwritable.clear();
  EXPECT_TRUE(SaveDocParams(store, kCfg, list));
}

TEST(DocTypes, Described) {
  TMemoryStore store;
  store.SetText(u"Cfg\\AB", u"DocType", u"Счёт");
  store.SetText(u"Cfg\\AB\\Params\\P1", u"Desc", u"Номер");
  store.SetText(u"Cfg\\AB\\Params\\P1", u"Data", u"  N*  ");
  store.SetText(u"Cfg\\AB\\Params\\P2", u"Data", u"  ");
  store.AddKey(u"Cfg\\CD");
  store.SetText(kCfg, u"DocOrder", u"CD");
  EXPECT_EQ(DescribeDocTypes(store, kCfg, EncodeCodePage(u"Версия", kCodePage1251), true),
            u"Параметры:\r\n- Версия\r\n- Remote Session\r\n- Неизвестный тип документа\r\n- Счёт\r\n"
            u"--- Номер: \"N*\"\r\n");
  store.SetInteger(u"Cfg\\AB", u"Disabled", 1);
  EXPECT_EQ(DescribeDocTypes(store, kCfg, "", false), u"Параметры:\r\n- Неизвестный тип документа\r\n");
  store.SetInteger(u"Cfg\\CD", u"Disabled", 1);
  EXPECT_EQ(DescribeDocTypes(store, kCfg, "x", true), u"") << "an empty order, even with types";
}

TEST(DemoPages, ListedWhenTheFileIsLargeEnough) {
  TMemoryStore store;
  auto type = [&](std::u16string id, std::u16string docType, std::u16string page) {
    store.SetText(u"Cfg\\" + id, u"DocType", docType);
    store.SetText(u"Cfg\\" + id, u"DemoPage", page);
  };
  type(u"AA", u"Одиннадцать", u" p11.emf ");
  type(u"BB", u"Десять", u"p10.emf");
  type(u"CC", u"Нет файла", u"none.emf");
  type(u"DDD", u"Три буквы", u"p11.emf");
  type(u"EE", u"  ", u"p11.emf");
  type(u"FF", u"Выключен", u"p11.emf");
  type(u"GGGG", u"Четыре", u"p12.emf");
  TDemoPageHost host;
  host.ProgramDir = u"C:\\Prog";
  store.SetInteger(u"Cfg\\FF", u"Disabled", 1);
  host.FileSize = [](const std::u16string& name) -> int64_t {
    if (name == u"C:\\Prog\\p11.emf") return 11;
    if (name == u"C:\\Prog\\p10.emf") return 10;
    if (name == u"C:\\Prog\\p12.emf") return 12;
    return -1;
  };
  std::u16string files;
  const TWideStringArray names = GetDemoPages(store, kCfg, host, files);
  EXPECT_EQ(names.Join(u"|"), u"Одиннадцать|Четыре");
  EXPECT_EQ(files, u"C:\\Prog\\p11.emf,C:\\Prog\\p12.emf");
  EXPECT_TRUE(HasDemoPages(store, kCfg, host));
  host.FileSize = [](const std::u16string&) -> int64_t { throw 1; };
  EXPECT_FALSE(HasDemoPages(store, kCfg, host));
}

TEST(PrinterModels, SelectedByTheStoredChoice) {
  TMemoryStore store;
  const std::u16string printers = u"Dos\\Printers";
  int32_t selected = 9;
  EXPECT_EQ(GetPrinterModels(store, u"Dos", selected).Count(), 0);
  EXPECT_EQ(selected, -1);
  store.AddKey(printers + u"\\Epson");
  store.AddKey(printers + u"\\HP");
  store.SetText(printers + u"\\HP\\Modes", u"Draft", u"");
  store.SetText(printers + u"\\HP\\Modes", u"Fine", u"");
  EXPECT_EQ(GetPrinterModels(store, u"Dos", selected).Join(u","), u"Epson,HP");
  EXPECT_EQ(selected, -1) << "no Model value";
  SetPrinterModelMode(store, u"Dos", "hp", "Fine");
  EXPECT_EQ(GetPrinterModels(store, u"Dos", selected).Count(), 2);
  EXPECT_EQ(selected, 1);
  EXPECT_EQ(GetPrinterModes(store, u"Dos", u"HP", selected).Join(u","), u"Draft,Fine");
  EXPECT_EQ(selected, 1);
  store.SetText(printers, u"Model", u"Canon");
  GetPrinterModels(store, u"Dos", selected);
  EXPECT_EQ(selected, -1) << "not listed";
  SetPrinterModelMode(store, u"Dos", "  ", "x");
  EXPECT_FALSE(store.KeyExists(printers + u"\\  ")) << "a blank model gets no mode";
  SetPrinterModelMode(store, u"Dos", "..\\..\\Other", "x");
  EXPECT_FALSE(store.KeyExists(u"Other")) << "a model name is no path";
}

TEST(SideValues, TimeOutsClampedBothWays) {
  struct Case {
    std::optional<int32_t> stored;
    int32_t monitor, dosJob;
  } cases[] = {{{}, 2000, 0},     {50, 100, 50},        {99, 100, 99},     {100, 100, 100},
               {29999, 29999, 29999}, {30000, 29999, 29999}, {40000, 29999, 29999}, {-5, 100, 0}};
  for (const Case& c : cases) {
    TMemoryStore store;
    if (c.stored) store.SetInteger(kCfg, u"TimeOut", *c.stored);
    EXPECT_EQ(GetTimeOut(store, kCfg), c.monitor);
    EXPECT_EQ(GetDosJobTimeOut(store, kCfg), c.dosJob);
  }
  TMemoryStore store;
  SetTimeOut(store, kCfg, 0);
  EXPECT_EQ(store.Get(kCfg, u"TimeOut")->Int, 100);
  SetDosJobTimeOut(store, kCfg, 0);
  EXPECT_EQ(store.Get(kCfg, u"TimeOut")->Int, 0);
  SetDosJobTimeOut(store, kCfg, 40000);
  EXPECT_EQ(store.Get(kCfg, u"TimeOut")->Int, 29999);
}

TEST(SideValues, FlagsAndDefaults) {
  TMemoryStore store;
  EXPECT_EQ(GetAllPages(store, kCfg), 0);
  EXPECT_EQ(GetCreateCopies(store, kCfg), 1);
  EXPECT_EQ(GetCRAfterFF(store, u"Dos"), 1);
  SetAllPages(store, kCfg, true);
  SetCreateCopies(store, kCfg, false);
  EXPECT_EQ(GetAllPages(store, kCfg), 1);
  EXPECT_EQ(GetCreateCopies(store, kCfg), 0);
  store.SetInteger(u"Dos", u"CRAfterFF", 0);
  EXPECT_EQ(GetCRAfterFF(store, u"Dos"), 0);
}

TEST(DecimalSeparator, PointWhateverTheRegionSays) {
  // A region whose separator is a comma, when the system has one.
  for (const char* name : {"ru_RU.UTF-8", "ru_RU.utf8", "Russian_Russia.1251", "Russian"})
    if (std::setlocale(LC_NUMERIC, name)) break;
  UsePointDecimalSeparator();
  char text[16];
  std::snprintf(text, sizeof text, "%.1f", 1.5);
  EXPECT_STREQ(text, "1.5");
  EXPECT_EQ(std::strtod("1.5", nullptr), 1.5);
  std::ostringstream stream;
  stream << 1.5;
  EXPECT_EQ(stream.str(), "1.5");
}
