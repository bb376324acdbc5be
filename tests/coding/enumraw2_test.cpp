// The DOS stream coder: creation with the printer state, the settings of the document type, the printer
// model and its mode with their log lines and boxes, the printers key's defaults, the object dump and the
// test for data after a document.
#include "coding/enumraw2.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "foundation/cl_tools_config.h"
#include "support/coder_fakes.h"

namespace {
const std::u16string kDos(kConfigDosKey);
const std::u16string kDoc = kDos + u"\\AB";
const std::u16string kPrinters = kDos + u"\\Printers";
const std::u16string kAborted = u"--> Main \"LoadParam\" aborted!";
const std::u16string kNoPrinter = u"Не определен принтер или его конфигурация.";
constexpr const char16_t* kModel = u"EPSON LQ-24";

std::u16string ModelKey(std::u16string_view model) { return kPrinters + u"\\" + std::u16string(model); }
std::u16string ModesKey(std::u16string_view model) { return ModelKey(model) + u"\\Modes"; }

// A document type and a stored 24-pin model in draft mode at 180 dpi.
void Configure(TMemoryStore& store, std::u16string_view model = kModel) {
  store.AddKey(kDoc);
  store.SetText(kPrinters, u"Model", model);
  store.SetText(ModelKey(model), u"Mode", u"Draft");
  store.SetText(ModesKey(model), u"Draft", u"180,180,24,\x1B*'");
}

TDosPrinterState State(double pitch = 10.0) { return {8, 0, 6.0, pitch}; }

struct TLoad {
  TMemoryStore store;
  TMemoryLog log;
  TRecordingServices services;
  std::unique_ptr<TRAWCoder> coder;
  bool ok = false;

  void Run(std::u16string_view model = u"", const TDosPrinterState& state = State()) {
    coder = TCoder::Create<TRAWCoder>(store, TDocIdClass::CreateFromText("AB"), nullptr, state, 0, &log.file, model);
    coder->CodeServices = &services;
    ok = coder->LoadParam();
  }
  bool Logged(std::u16string_view line) const {
    return std::find(log.Lines.begin(), log.Lines.end(), line) != log.Lines.end();
  }
};

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int v : values) bytes.push_back(static_cast<char>(v));
  return bytes;
}
}  // namespace

TEST(RAWCoder, CreationCopiesTheStateAndAddsDOS) {
  TMemoryStore store;
  const TDosPrinterState state{4, 250, 6.0, 12.0};
  auto coder = TCoder::Create<TRAWCoder>(store, TDocIdClass::CreateFromText("AB"), nullptr, state, 0, nullptr,
                                         u"IBM Proprinter");
  EXPECT_EQ(coder->ConfigKey, kDos);
  EXPECT_EQ(coder->Model, u"IBM Proprinter");
  EXPECT_EQ(coder->CurrentPitch, 12.0);
  EXPECT_EQ(coder->BasePitch, 12.0);
  EXPECT_EQ(coder->CurrentSpacing, 6.0);
  EXPECT_EQ(coder->BaseSpacing, 6.0);
  EXPECT_EQ(coder->TabWidth, 4);
  EXPECT_EQ(coder->LeftMargin, 250);
  EXPECT_EQ(coder->PrinterState.Pitch, 12.0);
  EXPECT_EQ(coder->CodePosition, 0);
  EXPECT_TRUE(coder->CodePitchTable.Codes.empty());
  EXPECT_TRUE(coder->CodePitchTable.FirstBytes.none());
  for (int pass = 0; pass < 2; ++pass) {
    ASSERT_EQ(coder->NamedParams->Count(), 1);
    EXPECT_EQ(coder->NamedParams->Items()[0].Text, u"%DOS%");
    EXPECT_EQ(dynamic_cast<const TNamedParam*>(coder->NamedParams->Objects(0))->Data, u"1");
    coder->Reinit();
  }
}

TEST(RAWCoder, DefaultsOfTheDocumentAndModelKeys) {
  TLoad load;
  Configure(load.store);
  load.Run();
  ASSERT_TRUE(load.ok);
  const TRAWCoder& c = *load.coder;
  EXPECT_EQ(c.BlankChr, StrToCharSet("\xFF"));
  // Code page 866: single and double verticals (B3, BA) are vertical only, horizontals (C4, CD) horizontal only.
  EXPECT_EQ(c.LineChrH, StrToCharSet("+-=~" + Bytes({0xB4, 0xB5, 0xB6, 0xB7, 0xB8, 0xB9, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF,
                                                      0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA,
                                                      0xCB, 0xCC, 0xCD, 0xCE, 0xCF, 0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5,
                                                      0xD6, 0xD7, 0xD8, 0xD9, 0xDA})));
  EXPECT_EQ(c.LineChrV, StrToCharSet("!|+" + Bytes({0xB3, 0xB4, 0xB5, 0xB6, 0xB7, 0xB8, 0xB9, 0xBA, 0xBB, 0xBC, 0xBD,
                                                     0xBE, 0xBF, 0xC0, 0xC1, 0xC2, 0xC3, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9,
                                                     0xCA, 0xCB, 0xCC, 0xCE, 0xCF, 0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5,
                                                     0xD6, 0xD7, 0xD8, 0xD9, 0xDA})));
  EXPECT_EQ(c.LineChrVSpec, StrToCharSet("+"));
  EXPECT_EQ(c.LineChHSub, StrToCharSet("_"));
  EXPECT_TRUE(c.TrimTrail);
  EXPECT_FALSE(c.HalfLF);
  const double geometry[] = {c.LineLenX, c.LineLenY, c.SplitX,     c.SplitY,     c.StretchX, c.StretchY,
                             c.RoundX,   c.RoundY,   c.PointSizeX, c.PointSizeY, c.SymHeight};
  const double expected[] = {2.0, 1.3, 0.75, 1.5, 0.75, 0.8, 0.75, 0.75, 0.5, 0.5, 0.75};
  for (size_t i = 0; i < std::size(geometry); ++i) EXPECT_DOUBLE_EQ(geometry[i], expected[i]) << i;
  EXPECT_EQ(c.Strings, 0);
  EXPECT_EQ(c.AutoCRLF, 0);
  EXPECT_EQ(c.MaxErrors, 100);
  EXPECT_EQ(c.FontPitchP, ",4=15.0");
  EXPECT_EQ(c.FontPitchS, ",");
  EXPECT_EQ(c.FontMacro, ",1=10.0,2=12.0,3=15.0");
  EXPECT_EQ(c.FontTypeF, ",3=10.0,4101=20.0");
  EXPECT_EQ(c.HPresDPI, 300);
  EXPECT_EQ(c.BadPitchs, "");
  EXPECT_EQ(c.Marker, "");
  EXPECT_TRUE(c.CodePitchTable.Codes.empty());
  EXPECT_EQ(c.PrinterLang, kLangEscP24);
  EXPECT_EQ(c.OutputMode, 24);
  EXPECT_EQ(c.DpiX, 180);
  EXPECT_EQ(c.DpiY, 180);
  EXPECT_EQ(c.ModeTemplate, u"\x1B*'");
  const double pitches[2][2] = {{10.0, 17.0}, {12.0, 20.0}};
  for (int a = 0; a < 2; ++a)
    for (int b = 0; b < 2; ++b) EXPECT_EQ(c.PitchTable[a][b], pitches[a][b]);
  EXPECT_TRUE(load.Logged(u"  Загрузка: Модель принтера: \"EPSON LQ-24\", режим: \"Draft\""));
  EXPECT_FALSE(load.Logged(kAborted));
  EXPECT_TRUE(load.services.Boxes.empty());
}

TEST(RAWCoder, StoredValuesOverTheDefaults) {
  TLoad load;
  Configure(load.store);
  TMemoryStore& m = load.store;
  m.SetBytes(kDoc, u"BlankChr", Bytes({0xFF, 0xB0}));
  m.SetBytes(kDoc, u"LineChrH", Bytes({0xC4, 0xCD}));
  m.SetBytes(kDoc, u"LineChrV", Bytes({0xB3, 0xBA}));
  m.SetBytes(kDoc, u"LineChrVSpec", Bytes({0xC5}));
  m.SetBytes(kDoc, u"LineChHSub", "_-");
  m.SetInteger(kDoc, u"TrimTrail", 0);
  m.SetInteger(kDoc, u"HalfLF", 1);
  m.SetText(kDoc, u"SplitY", u"2.25");
  m.SetText(kDoc, u"SymHeight", u"0,9");  // a comma is no decimal point here
  m.SetInteger(kDoc, u"Strings", (66 << 16) | 60);
  m.SetInteger(kDoc, u"AutoCRLF", 2);
  m.SetInteger(kPrinters, u"MaxErrors", 7);
  const std::u16string model = ModelKey(kModel);
  m.SetText(model, u"FontPitchP", u" 4 = 15.0 , 5=17.1 ");
  m.SetText(model, u"FontTypeF", u"");
  m.SetInteger(model, u"HPresDPI", 600);
  m.SetText(model, u"BadPitchs", u"  10.0 = 12.0 , 16.7=17.14  ");
  m.SetBytes(model, u"Marker", Bytes({0x1B, 0x00, 0x0C}));
  m.SetText(model, u"Pitches", u"10, 12 ,16.67,20");
  load.Run();
  ASSERT_TRUE(load.ok);
  const TRAWCoder& c = *load.coder;
  EXPECT_EQ(c.BlankChr, StrToCharSet(Bytes({0xFF, 0xB0})));
  EXPECT_EQ(c.LineChrH, StrToCharSet(Bytes({0xC4, 0xCD})));
  EXPECT_EQ(c.LineChrV, StrToCharSet(Bytes({0xB3, 0xBA, 0xC5})));
  EXPECT_EQ(c.LineChrVSpec, StrToCharSet(Bytes({0xC5})));
  EXPECT_EQ(c.LineChHSub, StrToCharSet("_-"));
  EXPECT_FALSE(c.TrimTrail);
  EXPECT_TRUE(c.HalfLF);
  EXPECT_DOUBLE_EQ(c.SplitY, 2.25);
  EXPECT_DOUBLE_EQ(c.SymHeight, 0.75);
  EXPECT_EQ(c.Strings, (66 << 16) | 60);
  EXPECT_EQ(c.AutoCRLF, 2);
  EXPECT_EQ(c.MaxErrors, 7);
  EXPECT_EQ(c.FontPitchP, ",4=15.0,5=17.1");
  EXPECT_EQ(c.FontTypeF, ",");
  EXPECT_EQ(c.HPresDPI, 600);
  EXPECT_EQ(c.BadPitchs, "10.0=12.0,16.7=17.14");
  EXPECT_EQ(c.Marker, Bytes({0x1B, 0x00, 0x0C}));
  EXPECT_EQ(c.PitchTable[0][0], 10.0);
  EXPECT_EQ(c.PitchTable[1][0], 12.0);
  EXPECT_EQ(c.PitchTable[0][1], 16.67);
  EXPECT_EQ(c.PitchTable[1][1], 20.0);
}

// One row per way the load goes: what is stored, the model of the command line, and what comes out.
TEST(RAWCoder, LoadParamCases) {
  struct Case {
    const char* why;
    std::function<void(TMemoryStore&)> set;
    std::u16string cmdModel;
    bool ok;
    std::vector<std::u16string> logged;  // each among the log lines
    std::vector<std::u16string> boxes;   // exactly these
    std::function<void(const TRAWCoder&)> check;
  };
  const auto model = [](std::u16string_view name) {
    return [name = std::u16string(name)](TMemoryStore& m) { Configure(m, name); };
  };
  const auto mode = [](std::u16string_view value) {
    return [value = std::u16string(value)](TMemoryStore& m) {
      Configure(m);
      m.SetText(ModesKey(kModel), u"Draft", value);
    };
  };
  const auto lang = [](uint8_t expected) { return [expected](const TRAWCoder& c) { EXPECT_EQ(c.PrinterLang, expected); }; };
  const auto codePitch = [](std::u16string_view value) {
    return [value = std::u16string(value)](TMemoryStore& m) {
      Configure(m);
      m.SetText(ModelKey(kModel), u"CodePitch", value);
    };
  };
  const std::u16string badLang = u"    Error: PrinterLang!";
  const std::vector<Case> cases = {
      // Languages from the model name.
      {"EPSON 24-PIN is ESC/P 24", model(u"EPSON 24-PIN"), u"", true, {}, {}, lang(kLangEscP24)},
      {"EPSON 9-PIN is ESC/P 9", model(u"EPSON 9-PIN"), u"", true, {}, {}, lang(kLangEscP9)},
      {"EPSON 9/24 is ESC/P 24", model(u"EPSON 9/24"), u"", true, {}, {}, lang(kLangEscP24)},
      {"letters upper-cased and blanks trimmed", model(u"  epson lq 24 "), u"", true, {}, {}, lang(kLangEscP24)},
      {"EPSON with no pin count has no language", model(u"EPSON"), u"", false, {badLang}, {}, nullptr},
      {"HP needs the blank", model(u"HPX5"), u"", false, {badLang}, {}, nullptr},
      {"hp model 5 is PCL", model(u"hp model 5"), u"", true, {}, {}, lang(kLangPCL)},
      {"IBM", model(u"IBM Proprinter X24"), u"", true, {}, {}, lang(kLangIBM)},
      {"Mannesmann Tally", model(u"Mannesmann Tally MT 81"), u"", true, {}, {}, lang(kLangMT)},
      {"an unknown maker", model(u"Oki ML 390"), u"", false, {badLang}, {}, nullptr},
      // Mode values.
      {"300,300,rastr", mode(u"300,300,rastr"), u"", true, {}, {},
       [](const TRAWCoder& c) {
         EXPECT_EQ(c.OutputMode, kModeRastr);
         EXPECT_EQ(c.DpiX, 300);
         EXPECT_EQ(c.DpiY, 300);
         EXPECT_EQ(c.ModeTemplate, u"");
       }},
      {"a 24-pin template keeps its commas", mode(u"180,360,24,\x1B*%c%c,\x1B" u"3,x"), u"", true, {}, {},
       [](const TRAWCoder& c) {
         EXPECT_EQ(c.OutputMode, 24);
         EXPECT_EQ(c.DpiX, 180);
         EXPECT_EQ(c.DpiY, 360);
         EXPECT_EQ(c.ModeTemplate, u"\x1B*%c%c,\x1B" u"3,x");
       }},
      {"names in any case, blanks around fields", mode(u" 150 , 75 , RectMF "), u"", true, {}, {},
       [](const TRAWCoder& c) {
         EXPECT_EQ(c.OutputMode, kModeRectMF);
         EXPECT_EQ(c.DpiX, 150);
       }},
      {"HPGL", mode(u"1016,1016,hpgl"), u"", true, {}, {}, [](const TRAWCoder& c) { EXPECT_EQ(c.OutputMode, kModeHPGL); }},
      {"Rect", mode(u"300,300,RECT"), u"", true, {}, {}, [](const TRAWCoder& c) { EXPECT_EQ(c.OutputMode, kModeRect); }},
      {"MTPlot", mode(u"144,144,MTPlot"), u"", true, {}, {}, [](const TRAWCoder& c) { EXPECT_EQ(c.OutputMode, kModeMTPlot); }},
      {"9 pins", mode(u"72,72,9"), u"", true, {}, {}, [](const TRAWCoder& c) { EXPECT_EQ(c.OutputMode, 9); }},
      {"8 pins", mode(u"60,72,8"), u"", true, {}, {}, [](const TRAWCoder& c) { EXPECT_EQ(c.OutputMode, 8); }},
      {"first field 0", mode(u"0,300,rastr"), u"", false, {}, {kNoPrinter}, nullptr},
      {"second field no number", mode(u"300,x,rastr"), u"", false, {}, {kNoPrinter}, nullptr},
      {"negative resolution", mode(u"-300,300,rastr"), u"", false, {}, {kNoPrinter}, nullptr},
      {"an unknown mode", mode(u"300,300,laser"), u"", false, {}, {kNoPrinter}, nullptr},
      {"a pin count no printer has", mode(u"180,180,48"), u"", false, {}, {kNoPrinter}, nullptr},
      {"two fields only", mode(u"300,300"), u"", false, {}, {kNoPrinter}, nullptr},
      {"the mode value missing",
       [](TMemoryStore& m) {
         Configure(m);
         m.SetText(ModelKey(kModel), u"Mode", u"Fine");
       },
       u"", false, {}, {kNoPrinter}, nullptr},
      // CodePitch entries.
      {"two entries, an empty one and a bad pitch", codePitch(u" 1B,4D=12;0F=17.14;;1B=x "), u"", true,
       {u"    CodePitch: 1B=x!"}, {},
       [](const TRAWCoder& c) {
         const TCodePitch& t = c.CodePitchTable;
         ASSERT_EQ(t.Codes.size(), 2u);
         EXPECT_EQ(t.Codes[0].FirstByte, 0x1B);
         EXPECT_EQ(t.Codes[0].Tail, "\x4D");
         EXPECT_EQ(t.Codes[0].Pitch, 12.0);
         EXPECT_EQ(t.Codes[1].FirstByte, 0x0F);
         EXPECT_EQ(t.Codes[1].Tail, "");
         EXPECT_EQ(t.Codes[1].Pitch, 17.14);
         TCharSet firsts;
         firsts.set(0x1B).set(0x0F);
         EXPECT_EQ(t.FirstBytes, firsts);
       }},
      {"entries without key, bytes, value or a usable pitch",
       codePitch(u"=12;,=10;1B;ZZ=10;1B,123=10;1B=0;1B=0.5;1B=100;1b , 21 = 15"), u"", true,
       {u"    CodePitch: =12!", u"    CodePitch: ,=10!", u"    CodePitch: 1B=!", u"    CodePitch: ZZ=10!",
        u"    CodePitch: 1B,123=10!", u"    CodePitch: 1B=0!", u"    CodePitch: 1B=0.5!", u"    CodePitch: 1B=100!"},
       {},
       [](const TRAWCoder& c) {
         ASSERT_EQ(c.CodePitchTable.Codes.size(), 1u);
         EXPECT_EQ(c.CodePitchTable.Codes[0].FirstByte, 0x1B);
         EXPECT_EQ(c.CodePitchTable.Codes[0].Tail, "\x21");
         EXPECT_EQ(c.CodePitchTable.Codes[0].Pitch, 15.0);
       }},
      {"a command of 32 bytes fits, 33 do not",
       codePitch(u"00,01,02,03,04,05,06,07,08,09,0A,0B,0C,0D,0E,0F,10,11,12,13,14,15,16,17,18,19,1A,1B,1C,1D,1E,1F=10;"
                 u"00,01,02,03,04,05,06,07,08,09,0A,0B,0C,0D,0E,0F,10,11,12,13,14,15,16,17,18,19,1A,1B,1C,1D,1E,1F,20=12"),
       u"", true, {}, {},
       [](const TRAWCoder& c) {
         ASSERT_EQ(c.CodePitchTable.Codes.size(), 1u);
         EXPECT_EQ(c.CodePitchTable.Codes[0].Tail.size(), 31u);
         EXPECT_EQ(c.CodePitchTable.Codes[0].Tail.back(), '\x1F');
       }},
      // Pitches.
      {"a third field that is no number takes the state's pitch",
       [](TMemoryStore& m) {
         Configure(m);
         m.SetText(ModelKey(kModel), u"Pitches", u"10.0,12.0,abc,20.0");
       },
       u"", true, {u"    ! Error ! Интерпретация \"Pitches\": \"abc\""}, {},
       [](const TRAWCoder& c) {
         EXPECT_EQ(c.PitchTable[0][0], 10.0);
         EXPECT_EQ(c.PitchTable[1][0], 12.0);
         EXPECT_EQ(c.PitchTable[0][1], 15.0);
         EXPECT_EQ(c.PitchTable[1][1], 20.0);
       }},
      {"pitches that would divide badly and missing fields",
       [](TMemoryStore& m) {
         Configure(m);
         m.SetText(ModelKey(kModel), u"Pitches", u"0,100");
       },
       u"", true,
       {u"    ! Error ! Интерпретация \"Pitches\": \"0\"", u"    ! Error ! Интерпретация \"Pitches\": \"100\"",
        u"    ! Error ! Интерпретация \"Pitches\": \"\""},
       {},
       [](const TRAWCoder& c) {
         for (int a = 0; a < 2; ++a)
           for (int b = 0; b < 2; ++b) EXPECT_EQ(c.PitchTable[a][b], 15.0);
       }},
      {"HPresDPI not above 0 takes 300",
       [](TMemoryStore& m) {
         Configure(m);
         m.SetInteger(ModelKey(kModel), u"HPresDPI", 0);
       },
       u"", true, {u"    ! Error ! Интерпретация \"HPresDPI\": \"0\""}, {},
       [](const TRAWCoder& c) { EXPECT_EQ(c.HPresDPI, 300); }},
      // The model of the command line.
      {"a command-line model with its mode",
       [](TMemoryStore& m) {
         Configure(m);
         Configure(m, u"IBM Proprinter");
         m.SetText(kPrinters, u"Model", kModel);
       },
       u"IBM Proprinter", true,
       {u"  CmdLine: Модель принтера: \"IBM Proprinter\"",
        u"  Загрузка: Модель принтера: \"IBM Proprinter\", режим: \"Draft\""},
       {}, lang(kLangIBM)},
      {"a command-line model without Mode names it, a stored Model notwithstanding", model(kModel), u"IBM 2390",
       false, {}, {u"Модель принтера не поддерживается: \"IBM 2390\""}, nullptr},
      // What is missing.
      {"no document key",
       [](TMemoryStore& m) {
         Configure(m);
         m.DeleteKey(kDoc);
       },
       u"", false, {u"--> common \"LoadParam\" aborted!"}, {}, nullptr},
      {"no model anywhere", [](TMemoryStore& m) { m.AddKey(kDoc); }, u"", false, {}, {kNoPrinter}, nullptr},
      {"a blank model", model(u"   "), u"", false, {}, {kNoPrinter}, nullptr},
      {"the stored model has no key",
       [](TMemoryStore& m) {
         Configure(m);
         m.SetText(kPrinters, u"Model", u"EPSON FX-9");
       },
       u"", false, {}, {}, nullptr},
      {"the model key has no Mode",
       [](TMemoryStore& m) {
         Configure(m);
         m.DeleteValue(ModelKey(kModel), u"Mode");
       },
       u"", false, {}, {kNoPrinter}, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    TLoad load;
    c.set(load.store);
    load.Run(c.cmdModel, State(15.0));
    EXPECT_EQ(load.ok, c.ok);
    for (const std::u16string& line : c.logged) EXPECT_TRUE(load.Logged(line)) << std::string(line.begin(), line.end());
    EXPECT_EQ(load.services.Boxes, c.boxes);
    ASSERT_FALSE(load.log.Lines.empty());
    EXPECT_EQ(load.log.Lines.back() == kAborted, !c.ok);
    if (c.check) c.check(*load.coder);
  }
}

TEST(RAWCoder, ReadDosDefaults) {
  struct Case {
    const char* why;
    std::function<void(TMemoryStore&)> set;
    bool ok;
    TDosPrinterState expected;
  };
  const std::vector<Case> cases = {
      {"no printers key: all zero", [](TMemoryStore& m) { m.AddKey(kDos); }, false, {0, 0, 0, 0}},
      {"the defaults", [](TMemoryStore& m) { m.AddKey(kPrinters); }, true, {8, 0, 8.0, 10.0}},
      {"stored values",
       [](TMemoryStore& m) {
         m.SetText(kPrinters, u"Pitch", u"12.0");
         m.SetText(kPrinters, u"Spacing", u"6");
         m.SetInteger(kPrinters, u"TabSize", 4);
         m.SetInteger(kPrinters, u"LeftMargin", 500);
       },
       true, {4, 0, 6.0, 12.0}},
      {"values that would divide badly",
       [](TMemoryStore& m) {
         m.SetText(kPrinters, u"Pitch", u"0.5");
         m.SetText(kPrinters, u"Spacing", u"-6");
       },
       true, {8, 0, 8.0, 10.0}},
      {"texts that are no numbers",
       [](TMemoryStore& m) {
         m.SetText(kPrinters, u"Pitch", u"twelve");
         m.SetText(kPrinters, u"Spacing", u"0");
       },
       true, {8, 0, 8.0, 10.0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    TMemoryStore store;
    c.set(store);
    TDosPrinterState state{3, 4, 5.0, 6.0};
    EXPECT_EQ(ReadDosDefaults(store, state), c.ok);
    EXPECT_EQ(state.TabSize, c.expected.TabSize);
    EXPECT_EQ(state.LeftMargin, c.expected.LeftMargin);
    EXPECT_EQ(state.Spacing, c.expected.Spacing);
    EXPECT_EQ(state.Pitch, c.expected.Pitch);
  }
}

TEST(RAWCoder, SettingsTexts) {
  struct Case {
    std::string in;
    std::string fontTable;
    std::string badPitchs;
  };
  const Case cases[] = {
      {"", ",", ""},
      {" 1 = 10.0, 2=12.0 ", ",1=10.0,2=12.0", "1=10.0,2=12.0"},
      {"10=12,,17 =16.5,", ",10=12,,17=16.5,", "10=12,17=16.5"},
      {"\t10=12", ",\t10=12", "10=12"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(FontTableText(c.in), c.fontTable);
    EXPECT_EQ(BadPitchsText(c.in), c.badPitchs);
  }
}

TEST(RAWCoder, DumpObjects) {
  TMemoryStore store;
  TMemoryLog log;
  auto coder = TCoder::Create<TRAWCoder>(store, TDocIdClass::CreateFromText("AB"), nullptr, State(), 0, &log.file, u"");
  coder->VLines->push_back(std::make_unique<enumraw2::TLine>(40, TRect{100, 0, 100, 96}));
  coder->HLines->push_back(std::make_unique<enumraw2::TLine>(41, TRect{0, 8, 2540, 8}));
  coder->HLines->push_back(std::make_unique<enumraw2::TLine>(42, TRect{-5, 16, 200, 16}));
  auto text = [&](int32_t offset, TRect rect, std::u16string s, int32_t width, uint8_t underline, std::string attr) {
    auto t = std::make_unique<enumraw2::TText>(offset, TPoint{rect.Left, rect.Top});
    t->Rect = rect;
    t->Text = std::move(s);
    t->CharWidth = width;
    t->Underline = underline;
    t->AttributeText = std::move(attr);
    coder->Texts->push_back(std::move(t));
  };
  text(7, {0, 0, 2540, 8}, u"Счёт № 5", 254, 0, "");
  text(9, {100, 8, 301, 16}, u"Итого", 212, 1, "p4");
  text(12, {0, 16, 0, 24}, u"", 0, 0, "m3");
  text(15, {0, 24, 181, 32}, u"\"x\"", 181, 1, "");
  coder->Found->AddObject(u"Итого", coder->Texts->at(1).get());
  coder->Found->AddObject(u"Рамка", coder->VLines->at(0).get());
  log.Lines.clear();
  coder->DumpObjects();
  const std::vector<std::u16string> expected = {
      u"P-Objects:",
      u"  [%DOS%]: \"1\"",
      u"V-Objects:",
      u"  40, (100,0,100,96) - [Рамка]",
      u"H-Objects:",
      u"  41, (0,8,2540,8) ",
      u"  42, (-5,16,200,16) ",
      u"T-Objects:",
      u"  7, [10.0], (1270,4), (0,0,2540,8), \"Счёт № 5\" ",
      u"  9, [_12.0,p4], (200,12), (100,8,301,16), \"Итого\" - [Итого]",
      u"  12, [0,m3], (0,20), (0,16,0,24), \"\" ",
      u"  15, [_14.0], (90,28), (0,24,181,32), \"\"x\"\" ",
  };
  EXPECT_EQ(log.Lines, expected);

  TMemoryLog off(false);
  auto quiet = TCoder::Create<TRAWCoder>(store, TDocIdClass::CreateFromText("AB"), nullptr, State(), 0, &off.file, u"");
  quiet->Texts->push_back(std::make_unique<enumraw2::TText>(1, TPoint{0, 0}));
  quiet->DumpObjects();
  EXPECT_TRUE(off.Lines.empty());
}

TEST(RAWCoder, HasMoreData) {
  struct Case {
    std::string bytes;
    size_t cursor;
    bool more;
  };
  const Case cases[] = {
      {"", 0, false},
      {"\r\n \r\n", 0, false},
      {"\r\n \f", 0, true},  // a form feed is data: it makes a page
      {"\x1B", 0, true},
      {"\r\nA", 0, true},
      {"A\r\n", 1, false},
      {"A\r\n", 3, false},
      {"\r\n\xFF", 0, true},
      {std::string(3, '\0'), 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.bytes.size() << " bytes from " << c.cursor);
    TByteReader reader(std::span(reinterpret_cast<const uint8_t*>(c.bytes.data()), c.bytes.size()));
    ASSERT_TRUE(reader.Seek(static_cast<int64_t>(c.cursor)));
    EXPECT_EQ(HasMoreData(reader), c.more);
    EXPECT_EQ(reader.Position(), c.cursor);
  }
}
