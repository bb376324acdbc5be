// Line finder under Wine: a page recorded by Wine's GDI on the destination printer's DC, rendered and
// searched with the settings of a registry key; the temporary BMP, the switch and damaged headers.
#include "coding/cl_dib_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <clocale>
#include <string>
#include <vector>

#include "foundation/lib_api_win.h"
#include "foundation/lib_reg_win.h"
#include "foundation/lib_unicode_win.h"
#include "support/coder_fakes.h"
#include "support/dib_images.h"
#include "support/win_fixtures.h"

namespace {

// A configuration key of this test program under HKEY_LOCAL_MACHINE, removed at both ends.
class TMachineKey {
 public:
  TMachineKey()
      : path_(u"Software\\Kavrel\\Test\\LineFinder_" + FromWStr(std::to_wstring(GetCurrentProcessId()).c_str())) {
    Remove();
  }
  ~TMachineKey() { Remove(); }
  TMachineKey(const TMachineKey&) = delete;
  TMachineKey& operator=(const TMachineKey&) = delete;
  const std::u16string& Path() const { return path_; }
  // The "\Graphi" subkey with the given integers and texts.
  void WriteGraphi(std::initializer_list<std::pair<const char16_t*, int32_t>> integers,
                   std::initializer_list<std::pair<const char16_t*, const char16_t*>> texts = {}) const {
    TRegKey key;
    ASSERT_TRUE(RegCreatePath(HKEY_LOCAL_MACHINE, path_ + u"\\Graphi", key));
    for (auto [name, value] : integers) ASSERT_TRUE(RegKeyWriteInteger(key.Get(), name, value));
    for (auto [name, value] : texts) ASSERT_TRUE(RegKeyWriteString(key.Get(), name, value));
  }

 private:
  void Remove() const { RegDeleteTreeW(HKEY_LOCAL_MACHINE, WStr(path_)); }
  std::u16string path_;
};

// TMP points at a scratch directory for the test's lifetime, so the finder's temporary files are seen.
class TTempDirScope {
 public:
  TTempDirScope() : dir_(u"LineFinder") {
    wchar_t buf[32768];
    const DWORD n = GetEnvironmentVariableW(L"TMP", buf, 32768);
    had_ = n > 0;
    old_.assign(buf, n);
    SetEnvironmentVariableW(L"TMP", WStr(dir_.Path()));
  }
  ~TTempDirScope() { SetEnvironmentVariableW(L"TMP", had_ ? old_.c_str() : nullptr); }
  TTempDirScope(const TTempDirScope&) = delete;
  TTempDirScope& operator=(const TTempDirScope&) = delete;
  const std::u16string& Path() const { return dir_.Path(); }
  std::vector<std::u16string> Files() const {
    std::vector<std::u16string> names;
    WIN32_FIND_DATAW found{};
    HANDLE find = FindFirstFileW(WStr(dir_.File(u"*")), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
      const std::u16string name = FromWStr(found.cFileName);
      if (name != u"." && name != u"..") names.push_back(name);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return names;
  }

 private:
  TScratchDir dir_;
  bool had_ = false;
  std::wstring old_;
};

struct TBoxRecorder {
  TBoxRecorder() {
    SetMessageBoxHook([this](const TMessageBoxRequest& r) {
      texts.push_back(r.Text);
      return IDOK;
    });
  }
  ~TBoxRecorder() { SetMessageBoxHook(nullptr); }
  std::vector<std::u16string> texts;
};

class TMetafile {
 public:
  explicit TMetafile(HENHMETAFILE handle = nullptr) : handle_(handle) {}
  ~TMetafile() {
    if (handle_) DeleteEnhMetaFile(handle_);
  }
  TMetafile(const TMetafile&) = delete;
  TMetafile& operator=(const TMetafile&) = delete;
  HENHMETAFILE Get() const { return handle_; }

 private:
  HENHMETAFILE handle_;
};

// A page of the destination printer (A4, 300 dpi): a frame, a ruled table of three rows and two columns,
// and rows of text below it; Rules are where the lines were drawn, in the device's pixels.
struct TRecordedPage {
  HENHMETAFILE Metafile = nullptr;
  SIZE Pixels{};
  std::vector<TDrawnRule> Rules;
};

TRecordedPage RecordPage() {
  TRecordedPage page;
  HDC printer = CreateDCW(nullptr, L"Client Test PS", nullptr, nullptr);
  if (!printer) return page;
  page.Pixels = {GetDeviceCaps(printer, HORZRES), GetDeviceCaps(printer, VERTRES)};
  // The frame is the device's own page, so that playback into the page's pixels maps one to one.
  const RECT frame{0, 0, GetDeviceCaps(printer, HORZSIZE) * 100, GetDeviceCaps(printer, VERTSIZE) * 100};
  HDC dc = CreateEnhMetaFileW(printer, nullptr, &frame, L"Client\0ruled page\0");
  DeleteDC(printer);
  if (!dc) return page;
  const int w = page.Pixels.cx, h = page.Pixels.cy;
  HPEN pen = CreatePen(PS_SOLID, 3, RGB(0, 0, 0));
  HGDIOBJ oldPen = SelectObject(dc, pen);
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, 150, 150, w - 150, h - 150);
  page.Rules.push_back({{150, 149, w - 151, 151}, true});
  page.Rules.push_back({{150, h - 152, w - 151, h - 150}, true});
  page.Rules.push_back({{149, 150, 151, h - 151}, false});
  page.Rules.push_back({{w - 152, 150, w - 150, h - 151}, false});
  for (int y : {600, 800, 1000}) {
    MoveToEx(dc, 300, y, nullptr);
    LineTo(dc, 2000, y);
    page.Rules.push_back({{300, y - 1, 2000, y + 1}, true});
  }
  for (int x : {300, 1100, 2000}) {
    MoveToEx(dc, x, 600, nullptr);
    LineTo(dc, x, 1000);
    page.Rules.push_back({{x - 1, 600, x + 1, 1000}, false});
  }
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(pen);

  HFONT font = CreateFontW(-42, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, RUSSIAN_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Arial");
  HGDIOBJ oldFont = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  const wchar_t* rows[] = {
      L"Счёт-фактура № 1234 от 01.02.2024, поставщик ООО \"Ромашка\", ИНН 7701234567",
      L"Грузополучатель и его адрес: г. Москва, ул. Лесная, д. 5, стр. 2, офис 17",
      L"Наименование товара (описание выполненных работ, оказанных услуг)",
      L"Итого к оплате: сто двадцать три тысячи четыреста пятьдесят шесть рублей",
      L"Руководитель организации ____ Главный бухгалтер ____ М.П.",
  };
  int y = 1300;
  for (const wchar_t* text : rows) {
    TextOutW(dc, 300, y, text, static_cast<int>(wcslen(text)));
    y += 80;
  }
  SelectObject(dc, oldFont);
  DeleteObject(font);
  page.Metafile = CloseEnhMetaFile(dc);
  return page;
}

std::vector<std::u16string> Without(const std::vector<std::u16string>& lines, std::u16string_view prefix) {
  std::vector<std::u16string> out;
  for (const auto& line : lines)
    if (line.rfind(prefix, 0) != 0) out.push_back(line);
  return out;
}

}  // namespace

TEST(LineSeacher, FindsTheRulesOfARecordedPage) {
  TRecordedPage page = RecordPage();
  ASSERT_NE(page.Metafile, nullptr) << "no DC for the destination printer: run scripts/setup";
  TMetafile emf(page.Metafile);
  TMachineKey config;
  config.WriteGraphi({{u"Disabled", 0}});
  TTempDirScope temp;
  TBoxRecorder boxes;
  TMemoryLog log;

  TLineSeacher seacher(emf.Get(), log.file);
  EXPECT_EQ(seacher.ConfigKey, u"Software\\Kavrel\\Client\\Config");
  EXPECT_FALSE(seacher.Result.Found);
  EXPECT_EQ(seacher.Result.CompressionX, 1);
  seacher.ConfigKey = config.Path();
  ASSERT_TRUE(seacher.SearchLines());

  EXPECT_TRUE(seacher.Result.Found);
  EXPECT_EQ(RulesMismatch(seacher.Result, page.Rules), "")
      << "page " << page.Pixels.cx << "x" << page.Pixels.cy << ", cells " << seacher.Result.CompressionX << "x"
      << seacher.Result.CompressionY;
  // The table is in the upper part of the page; the text rows below it gave nothing.
  for (const TRect& line : seacher.Result.HorzLines)
    EXPECT_FALSE(line.Top > 1200 && line.Top < 1800) << "a line in the text at y " << line.Top;

  const std::u16string size = FromWStr(std::to_wstring(page.Pixels.cx).c_str()) + u"x" +
                              FromWStr(std::to_wstring(page.Pixels.cy).c_str());
  const std::u16string time = u"- время выполнения: 0, ms";
  ASSERT_EQ(log.Lines.size(), 14u);
  const std::u16string tempLine = log.Lines[2];
  const std::u16string tempPrefix = u"  Временный файл: \"" + temp.Path() + u"\\";
  EXPECT_EQ(tempLine.rfind(tempPrefix, 0), 0u) << WStr(tempLine);
  const int64_t expectedSize = 62 + (page.Pixels.cx + 31) / 32 * 4 * int64_t{page.Pixels.cy};
  EXPECT_NE(tempLine.find(u".TMP\", размер: " + FromWStr(std::to_wstring(expectedSize).c_str())), std::u16string::npos);
  const std::u16string fx = FromWStr(std::to_wstring(seacher.Result.CompressionX).c_str());
  const std::u16string fy = FromWStr(std::to_wstring(seacher.Result.CompressionY).c_str());
  EXPECT_EQ(Without(log.Lines, u"  Временный файл: "),
            (std::vector<std::u16string>{u"Graphi: чтение параметров", u"  Размер изображения: " + size, time,
                                         u"  Обработка", u"    Сжатие по X x" + fx, time, u"    Сжатие по Y x" + fy,
                                         time, u"    Поиск по X", time, u"    Поиск по Y", time, time}));
  EXPECT_TRUE(temp.Files().empty()) << "the temporary BMP is still there";
  EXPECT_TRUE(boxes.texts.empty());

  // With one cell as the shortest line the text rows do give lines: the text is on the rendered page,
  // and it is the settings that reject it.
  config.WriteGraphi({{u"LLenMinX", 1}});
  TLineSeacher fine(emf.Get(), log.file);
  fine.ConfigKey = config.Path();
  ASSERT_TRUE(fine.SearchLines());
  EXPECT_TRUE(std::any_of(fine.Result.HorzLines.begin(), fine.Result.HorzLines.end(),
                          [](const TRect& line) { return line.Top > 1300 && line.Top < 1700; }));
  EXPECT_TRUE(temp.Files().empty());
}

TEST(LineSeacher, SwitchedOffRendersNothing) {
  TRecordedPage page = RecordPage();
  ASSERT_NE(page.Metafile, nullptr);
  TMetafile emf(page.Metafile);
  struct Case {
    bool subkey;
    int32_t disabled;
    std::vector<std::u16string> log;
    const char* why;
  } cases[] = {
      {false, 0, {}, "no \\Graphi subkey"},
      {true, 1, {u"Graphi: чтение параметров", u"  Не используется"}, "Disabled 1"},
      {true, -1, {u"Graphi: чтение параметров", u"  Не используется"}, "any value but 0 switches it off"},
  };
  for (const Case& c : cases) {
    TMachineKey config;
    if (c.subkey) config.WriteGraphi({{u"Disabled", c.disabled}});
    TTempDirScope temp;
    TMemoryLog log;
    TLineSeacher seacher(emf.Get(), log.file);
    seacher.ConfigKey = config.Path();
    EXPECT_FALSE(seacher.SearchLines()) << c.why;
    EXPECT_EQ(log.Lines, c.log) << c.why;
    EXPECT_TRUE(temp.Files().empty()) << c.why;
  }
  // Without any value the default is off.
  TMachineKey config;
  config.WriteGraphi({});
  TMemoryLog log;
  TLineSeacher seacher(emf.Get(), log.file);
  seacher.ConfigKey = config.Path();
  EXPECT_FALSE(seacher.SearchLines());
  EXPECT_EQ(log.Lines.back(), u"  Не используется");
}

TEST(LineSeacher, DamagedHeadersEndWithoutAFile) {
  TRecordedPage page = RecordPage();
  ASSERT_NE(page.Metafile, nullptr);
  TMetafile recorded(page.Metafile);
  std::vector<uint8_t> bits(GetEnhMetaFileBits(recorded.Get(), 0, nullptr));
  ASSERT_GT(bits.size(), sizeof(ENHMETAHEADER));
  GetEnhMetaFileBits(recorded.Get(), static_cast<UINT>(bits.size()), bits.data());
  struct Case {
    SIZE device, millimetres;
    std::u16string lastLine;
    const char* why;
  } cases[] = {
      {{0, 3508}, {210, 297}, u"  Неверный размер страницы в заголовке метафайла: 210x297 мм", "no width in pixels"},
      {{2480, -5}, {210, 297}, u"  Неверный размер страницы в заголовке метафайла: 210x297 мм", "negative height"},
      {{2480, 3508}, {0, 297}, u"  Неверный размер страницы в заголовке метафайла: 0x297 мм", "no millimetres"},
      {{200000, 200000}, {210, 297}, u"CreateDIBSection", "an image too large for a BMP"},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> damaged = bits;
    auto* header = reinterpret_cast<ENHMETAHEADER*>(damaged.data());
    header->szlDevice = c.device;
    header->szlMillimeters = c.millimetres;
    TMetafile emf(SetEnhMetaFileBits(static_cast<UINT>(damaged.size()), damaged.data()));
    ASSERT_NE(emf.Get(), nullptr) << c.why;
    TMachineKey config;
    config.WriteGraphi({{u"Disabled", 0}});
    TTempDirScope temp;
    TMemoryLog log;
    TLineSeacher seacher(emf.Get(), log.file);
    seacher.ConfigKey = config.Path();
    EXPECT_FALSE(seacher.SearchLines()) << c.why;
    ASSERT_FALSE(log.Lines.empty()) << c.why;
    EXPECT_EQ(log.Lines.back(), c.lastLine) << c.why;
    EXPECT_TRUE(temp.Files().empty()) << c.why;
  }
}

TEST(LineSeacher, TempFileThatCannotBeWrittenIsReported) {
  TRecordedPage page = RecordPage();
  ASSERT_NE(page.Metafile, nullptr);
  TMetafile emf(page.Metafile);
  TMachineKey config;
  config.WriteGraphi({{u"Disabled", 0}});
  TTempDirScope temp;
  SetEnvironmentVariableW(L"TMP", WStr(temp.Path() + u"\\нет\\нет"));
  TBoxRecorder boxes;
  TMemoryLog log;
  TLineSeacher seacher(emf.Get(), log.file);
  seacher.ConfigKey = config.Path();
  EXPECT_FALSE(seacher.SearchLines());
  EXPECT_EQ(log.Lines.back(), u"  Ошибка записи во временный файл: \"\"");
  EXPECT_EQ(boxes.texts, (std::vector<std::u16string>{u"Ошибка записи в файл: \"\""}));
}

TEST(LineSeacher, SettingsFromTheRegistry) {
  TMachineKey config;
  config.WriteGraphi({{u"Disabled", 0}, {u"DIBSizeX", 700}, {u"StepY", 50}, {u"LevelBWY", 1}},
                     {{u"LevelPerX", u"0.5"}, {u"LevelPerY", u"0,5"}, {u"LevelBWX", u"abc"}, {u"DIBSizeY", u"900"}});
  // A Russian C locale writes and reads numbers with a comma; the settings keep the point.
  const std::string oldLocale = setlocale(LC_ALL, nullptr);
  setlocale(LC_ALL, "Russian_Russia.1251");
  TRegKey key;
  ASSERT_TRUE(RegOpenPath(HKEY_LOCAL_MACHINE, config.Path() + u"\\Graphi", key));
  TLineSearchSettings s;
  ReadLineSearchSettings(key.Get(), s);
  setlocale(LC_ALL, oldLocale.c_str());
  EXPECT_EQ(s.DIBSizeX, 700);
  EXPECT_EQ(s.DIBSizeY, 800) << "a text where an integer belongs";
  EXPECT_EQ(s.StepX, 100);
  EXPECT_EQ(s.StepY, 50);
  EXPECT_EQ(s.EELMaxX, 300);
  EXPECT_EQ(s.LLenMinY, 500);
  EXPECT_DOUBLE_EQ(s.LevelPerX, 0.5);
  EXPECT_DOUBLE_EQ(s.LevelPerY, 0.9) << "a comma is not the separator";
  EXPECT_DOUBLE_EQ(s.LevelBWX, 0.95) << "not a number";
  EXPECT_DOUBLE_EQ(s.LevelBWY, 0.9) << "an integer where a text belongs";
}
