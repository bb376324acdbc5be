// Three Russian documents taken from configuration and page model to the code a scanner reads.
#include "support/e2e_fixtures.h"

#include <fstream>
#include <iterator>
#include <memory>

#include "foundation/cl_tools_config.h"
#include "foundation/cl_tools_regimport.h"

#include "support/code_image.h"
#include "support/coder_fakes.h"
#include "support/datcoder_payloads.h"

namespace {

// The cell of a ruled table whose column edges are xs and row edges ys.
TE2EText Cell(std::u16string text, const std::vector<int32_t>& xs, const std::vector<int32_t>& ys, size_t col,
              size_t row) {
  return {std::move(text), TRect{xs[col] + 10, ys[row] + 15, xs[col + 1] - 10, ys[row] + 55}};
}

// An invoice: labels found below the title, the values right of them, cut by their macros.
TE2EDocument Invoice() {
  TE2EDocument d;
  d.Name = "invoice form";
  d.DocId = "SCHT";
  d.Texts = {
      {u"СЧЁТ НА ОПЛАТУ", TRect{600, 100, 1400, 160}},
      {u"Номер", TRect{100, 300, 300, 340}},
      {u"№ 2024/117", TRect{350, 300, 700, 340}},
      {u"Дата", TRect{100, 400, 300, 440}},
      {u"12.03.2024", TRect{350, 400, 700, 440}},
      {u"Сумма", TRect{100, 500, 300, 540}},
      {u"15 300,00 руб.", TRect{350, 500, 800, 540}},
      {u"Руководитель", TRect{100, 2600, 500, 2640}},
  };
  d.HLines = {TRect{550, 2640, 1000, 2640}};
  d.Payload = u"NUM:2024/117\tDATE:12.03.2024\tSUM:15300,00\tORG:ООО Ромашка\t";
  d.PlainBytes = Cp1251("NUM:2024/117\tDATE:12.03.2024\tSUM:15300,00\tORG:ООО Ромашка\t-");
  d.PictureWidth = d.PictureHeight = 31;  // the fourth full-range size: growth from 2 layers
  return d;
}

// A delivery note: the goods table framed by its outer lines, its header row left out.
TE2EDocument GoodsNote() {
  TE2EDocument d;
  d.Name = "goods table";
  d.DocId = "TORG";
  const std::vector<int32_t> xs = {100, 250, 1000, 1300, 1700};
  const std::vector<int32_t> ys = {400, 470, 540, 610};
  d.Texts = {{u"ТОВАРНАЯ НАКЛАДНАЯ № 58", TRect{500, 100, 1500, 160}}};
  const char16_t* cells[3][4] = {{u"№", u"Наименование", u"Кол-во", u"Сумма"},
                                 {u"1", u"Бумага офисная А4", u"10", u"2 500,00"},
                                 {u"2", u"Картридж", u"2", u"7 800,00"}};
  for (size_t r = 0; r < 3; ++r)
    for (size_t c = 0; c < 4; ++c) d.Texts.push_back(Cell(cells[r][c], xs, ys, c, r));
  d.Texts.push_back({u"Итого: 10 300,00", TRect{100, 650, 800, 690}});
  for (int32_t y : ys) d.HLines.push_back(TRect{xs.front(), y, xs.back(), y});
  for (int32_t x : xs) d.VLines.push_back(TRect{x, ys.front(), x, ys.back()});
  d.Payload =
      u"NUM:58\tTAB:4,2,1\rБумага офисная А4\r10\r2 500,00\n2\rКартридж\r2\r7 800,00\tTOTAL:10300,00\t";
  d.PlainBytes = Cp1251(
      "NUM:58\tTAB:4,2,1\rБумага офисная А4\r10\r2 500,00\n2\rКартридж\r2\r7 800,00\tTOTAL:10300,00\t*КОНЕЦ*");
  d.PictureWidth = d.PictureHeight = 41;
  return d;
}

// An act known by its frame alone: a top line near the page's top, the corners and the middle line's
// T junctions; the fields are taken from the frame's two sections.
TE2EDocument Act() {
  TE2EDocument d;
  d.Name = "ruled act";
  d.DocId = "AKTV";
  d.Texts = {
      {u"АКТ СДАЧИ-ПРИЁМКИ РАБОТ", TRect{600, 250, 1400, 300}},
      {u"Номер акта: 31", TRect{150, 380, 700, 420}},
      {u"Дата: 05.04.2024", TRect{1200, 380, 1850, 420}},
      {u"Работы выполнены в полном объёме", TRect{150, 600, 1200, 640}},
      {u"Стоимость работ: 42 000,00", TRect{150, 700, 1000, 740}},
      {u"Исполнитель", TRect{100, 2600, 700, 2640}},
      {u"стр. 1", TRect{1800, 2700, 1990, 2790}},
  };
  d.HLines = {TRect{100, 200, 1900, 200}, TRect{100, 500, 1900, 500}, TRect{100, 1200, 1900, 1200},
              TRect{1200, 2640, 1700, 2640}};
  d.VLines = {TRect{100, 200, 100, 1200}, TRect{1900, 200, 1900, 1200}};
  d.Payload = u"NUM=31;SUM=42000,00;";
  d.PlainBytes = "NUM=31;SUM=42000,00;-";
  d.PictureWidth = d.PictureHeight = 27;  // compact, 4 layers, turned a quarter
  return d;
}

}  // namespace

const std::vector<TE2EDocument>& E2EDocuments() {
  static const std::vector<TE2EDocument> documents = {Invoice(), GoodsNote(), Act()};
  return documents;
}

std::string E2EConfigPath() { return std::string(CLIENT_DEMO_DIR) + "/DocTypes.reg"; }

bool WriteE2EConfig(TSettingsStore& store, std::u16string_view configKey, const TE2EDocument& doc) {
  static const TRegFile file = [] {
    std::ifstream in(E2EConfigPath(), std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return ParseRegFile(bytes);
  }();
  if (!file.Valid || !file.Problems.empty()) return false;
  const std::u16string section = std::u16string(kConfigKey) + u"\\" + std::u16string(doc.DocId.begin(), doc.DocId.end());
  const std::u16string docKey = SubKeyPathA(store, configKey, doc.DocId);
  std::u16string key;  // where the open section lands; empty for another type's section
  bool found = false;
  for (const TRegFileOp& op : file.Ops) {
    switch (op.Kind) {
      case TRegFileOpKind::OpenKey:
        key.clear();
        if (op.Path == section) {
          key = docKey;
        } else if (op.Path.size() > section.size() && op.Path.compare(0, section.size(), section) == 0 &&
                   op.Path[section.size()] == u'\\') {
          key = SubKeyPath(docKey, std::u16string_view(op.Path).substr(section.size() + 1));
        }
        found = found || !key.empty();
        break;
      case TRegFileOpKind::SetString:
        if (!key.empty()) store.WriteText(key, op.Name, op.Text);
        break;
      case TRegFileOpKind::SetDword:
        if (!key.empty()) store.WriteInteger(key, op.Name, static_cast<int32_t>(op.Dword));
        break;
      default:
        return false;  // the demo configuration only opens keys and sets texts and numbers
    }
  }
  return found;
}

void BuildE2EPage(TCoder& coder, const TE2EDocument& doc) {
  int32_t ident = 0;
  for (const TE2EText& t : doc.Texts)
    coder.Texts->push_back(std::make_unique<TTextProTo>(ident++, t.Text, TPoint{t.Rect.Left, t.Rect.Top},
                                                        TPoint{t.Rect.Right, t.Rect.Bottom}));
  for (const TRect& r : doc.HLines) coder.HLines->push_back(std::make_unique<TLineProTo>(ident++, r));
  for (const TRect& r : doc.VLines) coder.VLines->push_back(std::make_unique<TLineProTo>(ident++, r));
  const TSmallPoint tolerance{3, 3};
  coder.SortTolerance = tolerance;
  coder.MergeLines(tolerance, false);
  coder.MergeLines(tolerance, true);
  coder.RemoveShortLines(TSmallPoint{20, 20});
  coder.ConnectLines(false, tolerance);
}

std::vector<uint8_t> E2ECodeImage(const TCoder& coder) {
  const TPictureSize size{coder.PictureWidth, coder.PictureHeight};
  return SymbolImage(coder.Picture, size, 0, size.Width);
}

std::string RunE2E(TCoder& coder, const TE2EDocument& doc) {
  if (!coder.LoadParam()) return "LoadParam";
  BuildE2EPage(coder, doc);
  if (!coder.Recognize()) return "Recognize";
  // Only the code's seeds are pinned: recognition keeps the real clock, whose time-out a stuck
  // tick source would trip.
  const TFixedSeeds seeds;
  if (!coder.MakeCode(static_cast<uint8_t>(coder.DefaultCharset))) return "MakeCode";
  return {};
}

uint32_t PictureHash(const std::vector<uint8_t>& picture) {
  uint32_t h = 2166136261u;
  for (uint8_t b : picture) h = (h ^ b) * 16777619u;
  return h;
}
