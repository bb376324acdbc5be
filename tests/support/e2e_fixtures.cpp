// Three Russian documents taken from configuration and page model to the code a scanner reads.
#include "support/e2e_fixtures.h"

#include <memory>

#include "support/coder_fakes.h"
#include "support/datcoder_payloads.h"

namespace {

TE2ESetting Text(std::u16string key, std::u16string name, std::u16string value) {
  return {std::move(key), std::move(name), false, 0, std::move(value)};
}

TE2ESetting Int(std::u16string key, std::u16string name, int32_t value) {
  return {std::move(key), std::move(name), true, value, {}};
}

// Layers, Symbols and SymLines hold two 16-bit halves.
constexpr int32_t Halves(int32_t lo, int32_t hi) { return lo | (hi << 16); }

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
  d.Settings = {
      Text(u"", u"DocType", u"Счёт на оплату"),
      Text(u"Model", u"1", u"RRTITLE,счет на оплату"),
      Text(u"Model", u"2", u"RRLNUM,Номер,+1RTITLE"),
      Text(u"Model", u"3", u"RRLDATE,Дата,+1RLNUM"),
      Text(u"Model", u"4", u"RRLSUM,Сумма,+1RLDATE"),
      Text(u"Fields\\1", u"Option", u"RNUM,Номер"),
      Text(u"Fields\\1", u"Rule", u"=8RLNUM"),
      Text(u"Fields\\1", u"Macro", u"FN,GW"),
      Int(u"Fields\\1", u"Required", 1),
      Text(u"Fields", u"2", u"RDATE,Дата,=8RLDATE,,"),
      Text(u"Fields\\3", u"Option", u"RSUM,Сумма"),
      Text(u"Fields\\3", u"Rule", u"=8RLSUM"),
      Text(u"Fields\\3", u"Macro", u"FN,]руб,SB"),
      Int(u"Fields\\3", u"Required", 1),
      Text(u"Fields", u"4", u"CORG,Поставщик,,,ООО Ромашка"),
      Text(u"Format", u"Version", u"E"),
      Int(u"Code", u"IsCompact", 0),
      Int(u"Code", u"Layers", Halves(2, 4)),
      Int(u"Code", u"ECP", 23),
      Int(u"Code", u"ModuleSize", 50),
  };
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
  // Tag, type, version, letter, TAB; the seed, then the payload with letters and digits substituted.
  d.Message = "AQX" "SCHT" "260" "E" "\t" + HexBytes(
      "B8 94 FC 9F 43 4C 47 5B 38 36 34 32 25 33 31 38"
      "7C 53 56 47 43 23 31 38 2C 36 37 2E 31 36 34 33"
      "1E 4A 4D 4C 29 36 37 33 33 32 2E 34 30 07 56 56"
      "43 2B EB B7 91 20 A3 C0 E8 86 14 93 AE 1B 3C");
  d.PictureWidth = d.PictureHeight = 31;  // the fourth full-range size: growth from 2 layers
  d.PictureHash = 1446722313u;
  return d;
}

// A delivery note: the goods table framed by its outer lines, its header row left out.
TE2EDocument GoodsNote() {
  TE2EDocument d;
  d.Name = "goods table";
  d.DocId = "TORG";
  const std::vector<int32_t> xs = {100, 250, 1000, 1300, 1700};
  const std::vector<int32_t> ys = {400, 470, 540, 610};
  d.Settings = {
      Text(u"", u"DocType", u"Товарная накладная"),
      Text(u"Model", u"1", u"RRTITLE,товарная накладная"),
      Text(u"Model", u"2", u"RHTOP,+1RTITLE"),
      Text(u"Model", u"3", u"RHBOT,I"),
      Text(u"Model", u"4", u"RVLEFT"),
      Text(u"Model", u"5", u"RVRIGHT,I"),
      Text(u"Model", u"6", u"RGGOODS,HTOP,HBOT,VLEFT,VRIGHT"),
      Text(u"Fields", u"1", u"RNUM,Номер,@RTITLE,,[№"),
      Text(u"Fields", u"2", u"RTAB,Товары,@GGOODS,,0,1,0,0"),
      Text(u"Fields", u"3", u"RTOTAL,Итого,+1GGOODS,,[Итого,SB"),
      Text(u"Format", u"Version", u"M"),
      Int(u"Format", u"Unicode", 1),
      Text(u"Format", u"LabelEnd", u"*КОНЕЦ*"),
      Int(u"Code", u"Layers", Halves(3, 3)),
      Int(u"Code", u"Symbols", 1),
      Text(u"Code", u"AppEndHdr", u""),
  };
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
  // Tag, type, version 401, letter, TAB, CRC-32 of the rest (low byte first), length 91 in two bytes,
  // then the LZHUF stream.
  d.Message = "AQX" "TORG" "401" "M" "\t" + HexBytes(
      "5A 8C B6 76 5B 00 ED 78 7B 3C 6E 0F 13 2B E0 E6"
      "F3 B0 B8 1B 8D F5 D6 F7 32 9A FE F0 D8 DF 67 AC"
      "7A 80 74 7D 79 A7 17 62 99 77 6F 71 BC 9F 73 47"
      "06 6E 54 FA 32 65 A6 53 56 AA F8 FD 35 5C E0 E5"
      "04 E8 78 74 B0 26 81 5B FB EE DB 7B DE C3 F7 F0"
      "EF E6 A0 ED B4 DA D2 CA 8D 2A 28");
  d.PictureWidth = d.PictureHeight = 41;
  d.PictureHash = 1380153831u;
  return d;
}

// An act known by its frame alone: a top line near the page's top, the corners and the middle line's
// T junctions; the fields are taken from the frame's two sections.
TE2EDocument Act() {
  TE2EDocument d;
  d.Name = "ruled act";
  d.DocId = "AKTV";
  d.Settings = {
      Text(u"", u"DocType", u"Акт сдачи-приёмки работ"),
      Text(u"", u"VirtualDT", u"AK"),
      Text(u"Model", u"1", u"RHTOP,r1:0-100"),
      Text(u"Model", u"2", u"RVLEFT,.6HTOP"),
      Text(u"Model", u"3", u"RVRIGHT,.CHTOP"),
      Text(u"Model", u"4", u"RHBOT,.3VLEFT^.9VRIGHT"),
      Text(u"Model", u"5", u"RHMID,.7VLEFT^.DVRIGHT"),
      Text(u"Fields\\1", u"Option", u"RNUM,Номер акта"),
      Text(u"Fields\\1", u"Rule", u"-1HTOP^-4HMID^-8VLEFT^-2VRIGHT"),
      Text(u"Fields\\1", u"Macro", u"[акта,RF,FN,GW"),
      Text(u"Fields", u"2", u"RSUM,Стоимость,-1HMID^-4HBOT,,[работ:,SB"),
      Text(u"Format", u"Version", u"C"),
      Text(u"Format", u"LabelDelim", u"="),
      Text(u"Format", u"FieldDelim", u";"),
      Int(u"Code", u"IsCompact", 1),
      Int(u"Code", u"Layers", 4),
      Int(u"Code", u"Rotated", 1),
      Int(u"Code", u"ModuleSize", 60),
  };
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
  // The type's VirtualDT in the header; the seed, then the additively scrambled payload.
  d.Message = "AQX" "AK" "260" "C" "\t" + HexBytes(
      "B8 94 FC 9F E9 47 D4 56 C5 BE 79 C9 42 72 FB 4E"
      "D8 18 13 19 08 91 58 D7 A6");
  d.PictureWidth = d.PictureHeight = 27;  // compact, 4 layers, turned a quarter
  d.PictureHash = 976031895u;
  return d;
}

}  // namespace

const std::vector<TE2EDocument>& E2EDocuments() {
  static const std::vector<TE2EDocument> documents = {Invoice(), GoodsNote(), Act()};
  return documents;
}

void WriteE2EConfig(TSettingsStore& store, std::u16string_view configKey, const TE2EDocument& doc) {
  const std::u16string docKey = SubKeyPathA(store, configKey, doc.DocId);
  for (const TE2ESetting& s : doc.Settings) {
    const std::u16string key = s.Key.empty() ? docKey : SubKeyPath(docKey, s.Key);
    if (s.IsInteger) store.WriteInteger(key, s.Name, s.Integer);
    else store.WriteText(key, s.Name, s.Text);
  }
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

std::string HexBytes(std::string_view hex) {
  std::string out;
  int high = -1;
  for (char c : hex) {
    int v = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (v < 0) continue;
    if (high < 0) {
      high = v;
    } else {
      out.push_back(static_cast<char>(high * 16 + v));
      high = -1;
    }
  }
  return out;
}
