// Blanks in Wine's registry and in files (Cyrillic texts in code page 1251), the blank switches, the
// two file dialogs driven by window messages, and the error boxes, caught by the hook.
#include "coding/cl_blank_win.h"

#include <gtest/gtest.h>

#include <vector>

#include "foundation/lib_api_win.h"
#include "foundation/lib_reg_win.h"
#include "foundation/lib_unicode_win.h"
#include "support/file_dialog_driver.h"
#include "support/win_fixtures.h"

namespace {
const std::u16string kTestRoot = u"Software\\ClientTests\\blank";
const std::u16string kCfg = kTestRoot + u"\\Config";
constexpr std::u16string_view kTitle = u"Tevoran-Клиент";

class BlankWin : public testing::Test {
 protected:
  void SetUp() override {
    SetProgramTitle(kTitle);
    SetMessageBoxHook([this](const TMessageBoxRequest& r) {
      boxes.push_back(r);
      return IDOK;
    });
  }
  void TearDown() override {
    SetMessageBoxHook(nullptr);
    SetProgramTitle(u"");
  }
  void WriteBlank(std::string_view docType, std::initializer_list<std::pair<std::u16string, std::u16string>> values) {
    for (const auto& [name, value] : values)
      ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, BlankKeyPath(kCfg, docType), name, value));
  }
  std::u16string BlankValue(std::string_view docType, const std::u16string& name) {
    std::u16string value;
    RegReadString(HKEY_CURRENT_USER, BlankKeyPath(kCfg, docType), name, value, u"<missing>");
    return value;
  }
  void ExpectOneErrorBox(std::u16string_view text) {
    ASSERT_EQ(boxes.size(), 1u) << "one box, shown through the hook";
    EXPECT_EQ(boxes[0].Text, text);
    EXPECT_EQ(boxes[0].Caption, std::u16string(kTitle) + u": Ошибка!");
    EXPECT_EQ(boxes[0].Flags & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
    boxes.clear();
  }

  TTestKey key_{kTestRoot};
  TScratchDir dir_{u"blank"};
  std::vector<TMessageBoxRequest> boxes;
};

const std::u16string kExported =
    u";Version=4.01.23\r\n[Main]\r\nHeader=1.00,Blank,Data\r\n[Data]\r\nSizeXY=21000,29700\r\n"
    u"Text1=100,200,9000,700,1,Счёт-фактура №\r\nText2=100,800,9000,1400,1,Итого к оплате\r\n"
    u"LineH1=0,1500,21000,1500,1\r\nLineV1=10500,0,10500,29700,1\r\nLink1=1,2";
}  // namespace

TEST_F(BlankWin, ExportFileImportAndExportAgainInCodePage1251) {
  WriteBlank(WideToAnsi(u"СЧ"), {{u"SizeXY", u"21000,29700"},
                                 {u"Text1", u"100,200,9000,700,1,Счёт-фактура №"},
                                 {u"Text2", u"100,800,9000,1400,1,Итого к оплате"},
                                 {u"LineH1", u"0,1500,21000,1500,1"},
                                 {u"LineV1", u"10500,0,10500,29700,1"},
                                 {u"Link1", u"1,2"}});
  const std::string exported = ExportBlankText(kCfg, WideToAnsi(u"СЧ"), HKEY_CURRENT_USER);
  EXPECT_EQ(exported, WideToAnsi(kExported));
  EXPECT_EQ(exported.find("\xD1\xF7\xB8\xF2"), kExported.find(u"Счёт")) << "one byte a letter, code page 1251";

  const std::u16string file = dir_.File(u"Счёт.bln");
  ASSERT_TRUE(WriteFixture(file, exported));
  EXPECT_EQ(ImportBlankFile(kCfg, "AB", file, HKEY_CURRENT_USER), kBlankImported);
  EXPECT_EQ(BlankValue("AB", u"Text2"), u"100,800,9000,1400,1,Итого к оплате") << "stored as wide text";
  EXPECT_EQ(BlankValue("AB", u"Text3"), u"") << "the list's end is written";
  EXPECT_EQ(ExportBlankText(kCfg, "AB", HKEY_CURRENT_USER), exported);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(BlankWin, ImportOverALargerBlankAndTheRejectedFiles) {
  WriteBlank("AB", {{u"SizeXY", u"1000,1000"}, {u"Text1", u"1"}, {u"Text2", u"2"},
                    {u"Text3", u"3"},          {u"Text4", u"4"}, {u"Text5", u"5"}});
  const std::u16string three = dir_.File(u"three.bln");
  ASSERT_TRUE(WriteFixture(three, "[Main]\r\nHeader=1.00,BLANK,Form\r\n[FORM]\r\nSizeXY=21000,29700\r\n"
                                  "Text1=a\r\nText2=b\r\nText3=c\r\n"));
  EXPECT_EQ(ImportBlankFile(kCfg, "AB", three, HKEY_CURRENT_USER), kBlankImported);
  EXPECT_EQ(BlankValue("AB", u"Text4"), u"");
  EXPECT_EQ(BlankValue("AB", u"Text5"), u"5");
  EXPECT_EQ(ExportBlankText(kCfg, "AB", HKEY_CURRENT_USER),
            ";Version=4.01.23\r\n[Main]\r\nHeader=1.00,Blank,Data\r\n[Data]\r\nSizeXY=21000,29700\r\n"
            "Text1=a\r\nText2=b\r\nText3=c");

  const std::u16string pageData = dir_.File(u"page.tdc");
  ASSERT_TRUE(WriteFixture(pageData, "[Main]\r\nHeader=1.00,Text,Data\r\n[Data]\r\nSizeXY=21000,29700\r\n"));
  EXPECT_EQ(ImportBlankFile(kCfg, "AB", pageData, HKEY_CURRENT_USER), kBlankRejected);
  EXPECT_EQ(BlankValue("AB", u"Text1"), u"a") << "a rejected file changes nothing";
  EXPECT_TRUE(boxes.empty()) << "a rejected file shows no box of its own";

  EXPECT_EQ(ImportBlankFile(kCfg, "AB", u"", HKEY_CURRENT_USER), kBlankImportNothing);
  EXPECT_TRUE(boxes.empty());
  const std::u16string missing = dir_.File(u"нет.bln");
  EXPECT_EQ(ImportBlankFile(kCfg, "AB", missing, HKEY_CURRENT_USER), kBlankImportNothing);
  ExpectOneErrorBox(u"Файл не найден: \"" + missing + u"\"");

  // A key name longer than the registry allows: the blank key cannot be made.
  EXPECT_EQ(ImportBlankFile(kCfg, std::string(300, 'Z'), three, HKEY_CURRENT_USER), kBlankRejected);
  ExpectOneErrorBox(u"Ошибка записи информации в реестр Windows!");
}

TEST_F(BlankWin, Switches) {
  EXPECT_EQ(GetUseBlank(kCfg, "AB", HKEY_CURRENT_USER), 0) << "unset";
  EXPECT_TRUE(SetUseBlank(kCfg, "AB", 3, HKEY_CURRENT_USER));
  EXPECT_EQ(GetUseBlank(kCfg, "AB", HKEY_CURRENT_USER), 3);
  EXPECT_EQ(RegReadIntegerW(HKEY_CURRENT_USER, kCfg + u"\\AB", u"UseBlank", -1), 3) << "in the type's key";

  EXPECT_EQ(GetDebugBlank(kCfg, HKEY_CURRENT_USER), "");
  EXPECT_TRUE(SetDebugBlank(kCfg, WideToAnsi(u"СЧ"), HKEY_CURRENT_USER));
  EXPECT_EQ(GetDebugBlank(kCfg, HKEY_CURRENT_USER), WideToAnsi(u"СЧ"));
  EXPECT_TRUE(SetDebugBlank(kCfg, "", HKEY_CURRENT_USER));
  EXPECT_EQ(GetDebugBlank(kCfg, HKEY_CURRENT_USER), "") << "an empty type ends debugging";
  EXPECT_TRUE(boxes.empty());
}

TEST_F(BlankWin, EditorPathAndErrorBoxes) {
  EXPECT_EQ(GetBlankEditor(kCfg, HKEY_CURRENT_USER), u"") << "unset";
  const std::u16string editor = dir_.File(u"Редактор.exe");
  ASSERT_TRUE(WriteFixture(editor, "MZ"));
  ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, kCfg, u"EditorFn", editor));
  EXPECT_EQ(GetBlankEditor(kCfg, HKEY_CURRENT_USER), editor);
  EXPECT_TRUE(boxes.empty());

  ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, kCfg, u"EditorFn", dir_.File(u"нет.exe")));
  EXPECT_EQ(GetBlankEditor(kCfg, HKEY_CURRENT_USER), u"") << "a missing editor counts as none";
  ExpectOneErrorBox(u"Редактор бланков недоступен или не может быть запущен.");
  ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, kCfg, u"EditorFn", dir_.Path()));
  EXPECT_EQ(GetBlankEditor(kCfg, HKEY_CURRENT_USER), u"") << "a folder is no editor";
  ExpectOneErrorBox(u"Редактор бланков недоступен или не может быть запущен.");

  ShowBlankParamsError();
  ExpectOneErrorBox(u"Параметры бланка отсутствуют или содержат некорректные данные.");
  ShowBlankEditorError();
  ExpectOneErrorBox(u"Редактор бланков недоступен или не может быть запущен.");
}


TEST_F(BlankWin, FileDialogs) {
  const std::u16string existing = dir_.File(u"бланк.bln");
  ASSERT_TRUE(WriteFixture(existing, "x"));
  struct Case {
    bool open;
    std::u16string name;
    bool ok;
    std::u16string result;
    std::u16string_view title;
    const char* why;
  } cases[] = {
      {true, existing, true, existing, u"Импорт бланка из файла", "an existing file typed and OK"},
      {true, existing, false, u"", u"Импорт бланка из файла", "Cancel"},
      {false, dir_.File(u"новый.bln"), true, dir_.File(u"новый.bln"), u"Экспорт бланка в файл", "a new name and OK"},
      {false, u"", false, u"", u"Экспорт бланка в файл", "Cancel"},
  };
  for (const Case& c : cases) {
    TFileDialogDriver driver(c.name, c.ok);
    const std::u16string path = c.open ? SelectBlankImportFile() : SelectBlankExportFile();
    driver.Join();
    ASSERT_TRUE(driver.Found) << c.why << ": no dialog appeared";
    EXPECT_EQ(driver.Caption, std::u16string(kTitle) + u": " + std::u16string(c.title)) << c.why;
    if (c.ok) {
      EXPECT_TRUE(driver.Typed) << c.why;
    }
    EXPECT_EQ(path, c.result) << c.why;
  }
  EXPECT_TRUE(boxes.empty());
}
