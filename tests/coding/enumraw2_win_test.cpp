// The DOS stream coder's settings from the machine's ConfigDos key: line characters stored as binary
// values in code page 866, texts of the system code page, the model's keys, and the two boxes shown
// through the message-box hook.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "coding/cl_macrolib_code_win.h"
#include "coding/enumraw2.h"
#include "foundation/cl_tools_config.h"
#include "foundation/cl_tools_regimport_win.h"
#include "foundation/cl_tools_store_win.h"
#include "foundation/lib_api_win.h"
#include "foundation/lib_reg_win.h"
#include "support/coder_fakes.h"

namespace {
const std::u16string kDos(kConfigDosKey);
const std::u16string kPrinters = kDos + u"\\Printers";
// A type and a model of their own, so that a configuration already on the machine is left as it is.
const std::u16string kDoc = kDos + u"\\R7";
const std::u16string kModelName = u"EPSON LQ-24 ClientTests";
const std::u16string kModel = kPrinters + u"\\" + kModelName;

bool KeyExists(const std::u16string& path) {
  TRegKey key;
  return RegOpenPath(HKEY_LOCAL_MACHINE, path, key);
}

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int v : values) bytes.push_back(static_cast<char>(v));
  return bytes;
}

class RAWCoderWin : public testing::Test {
 protected:
  void SetUp() override {
    hadDos_ = KeyExists(kDos);
    hadPrinters_ = KeyExists(kPrinters);
    RemoveOwnKeys();
    SetMessageBoxHook([this](const TMessageBoxRequest& r) {
      boxes_.push_back(r.Text);
      return IDOK;
    });
  }
  void TearDown() override {
    SetMessageBoxHook(nullptr);
    RemoveOwnKeys();
    // A parent made here goes again, unless something else was put in it meanwhile.
    if (!hadPrinters_) RegRemoveKey(HKEY_LOCAL_MACHINE, kPrinters);
    if (!hadDos_ && !KeyExists(kPrinters)) RegRemoveKey(HKEY_LOCAL_MACHINE, kDos);
  }
  static void RemoveOwnKeys() {
    RemoveRegistryTree(HKEY_LOCAL_MACHINE, kDoc);
    RemoveRegistryTree(HKEY_LOCAL_MACHINE, kModel);
  }
  static void WriteModel(const std::u16string& modeValue) {
    ASSERT_TRUE(RegWriteString(HKEY_LOCAL_MACHINE, kDoc, u"DocType", u"Накладная"));
    ASSERT_TRUE(RegWriteString(HKEY_LOCAL_MACHINE, kModel, u"Mode", u"Черновик"));
    ASSERT_TRUE(RegWriteString(HKEY_LOCAL_MACHINE, kModel + u"\\Modes", u"Черновик", modeValue));
  }
  bool Load(const std::u16string& model) {
    coder_ = TCoder::Create<TRAWCoder>(store_, TDocIdClass::CreateFromText("R7"), nullptr, TDosPrinterState{8, 0, 6.0, 10.0},
                                       0, &log_.file, model);
    coder_->CodeServices = &services_;
    return coder_->LoadParam();
  }

  TRegistryStore store_{HKEY_LOCAL_MACHINE};
  TWinCodeServices services_;
  TMemoryLog log_;
  std::unique_ptr<TRAWCoder> coder_;
  std::vector<std::u16string> boxes_;
  bool hadDos_ = false;
  bool hadPrinters_ = false;
};
}  // namespace

TEST_F(RAWCoderWin, SettingsFromTheMachineKey) {
  WriteModel(u"180,180,24,\x1B*'%c%c,1");
  // Box frames of code page 866 as binary values: byte for byte, never through a code page.
  ASSERT_TRUE(RegWriteBinaryStr(HKEY_LOCAL_MACHINE, kDoc, u"LineChrH", Bytes({0xC4, 0xCD, '-'})));
  ASSERT_TRUE(RegWriteBinaryStr(HKEY_LOCAL_MACHINE, kDoc, u"LineChrV", Bytes({0xB3, 0xBA})));
  ASSERT_TRUE(RegWriteBinaryStr(HKEY_LOCAL_MACHINE, kDoc, u"LineChrVSpec", Bytes({0xC5, 0xCE})));
  ASSERT_TRUE(RegWriteBinaryStr(HKEY_LOCAL_MACHINE, kDoc, u"BlankChr", Bytes({0xFF, 0xB0})));
  ASSERT_TRUE(RegWriteString(HKEY_LOCAL_MACHINE, kDoc, u"LineChHSub", u"_"));
  ASSERT_TRUE(RegWriteString(HKEY_LOCAL_MACHINE, kDoc, u"SplitX", u"0.5"));
  ASSERT_TRUE(RegWriteIntegerW(HKEY_LOCAL_MACHINE, kDoc, u"HalfLF", 1));
  ASSERT_TRUE(RegWriteString(HKEY_LOCAL_MACHINE, kModel, u"FontMacro", u"1 = 10.0, 2 = 12.0"));
  ASSERT_TRUE(RegWriteString(HKEY_LOCAL_MACHINE, kModel, u"CodePitch", u"1B,4D=12;0F=17.14;1B=x"));
  ASSERT_TRUE(RegWriteString(HKEY_LOCAL_MACHINE, kModel, u"Pitches", u"10,12,x,20"));
  ASSERT_TRUE(RegWriteBinaryStr(HKEY_LOCAL_MACHINE, kModel, u"Marker", Bytes({0x1B, 0x00, 0x0C})));

  ASSERT_TRUE(Load(kModelName));
  const TRAWCoder& c = *coder_;
  EXPECT_EQ(c.LineChrH, StrToCharSet(Bytes({0xC4, 0xCD, '-'})));
  EXPECT_EQ(c.LineChrV, StrToCharSet(Bytes({0xB3, 0xBA, 0xC5, 0xCE})));
  EXPECT_EQ(c.LineChrVSpec, StrToCharSet(Bytes({0xC5, 0xCE})));
  EXPECT_EQ(c.BlankChr, StrToCharSet(Bytes({0xFF, 0xB0})));
  EXPECT_EQ(c.LineChHSub, StrToCharSet("_"));
  EXPECT_DOUBLE_EQ(c.SplitX, 0.5);
  EXPECT_TRUE(c.HalfLF);
  EXPECT_EQ(c.FontMacro, ",1=10.0,2=12.0");
  EXPECT_EQ(c.Marker, Bytes({0x1B, 0x00, 0x0C}));
  ASSERT_EQ(c.CodePitchTable.Codes.size(), 2u);
  EXPECT_EQ(c.CodePitchTable.Codes[0].Tail, "\x4D");
  EXPECT_EQ(c.PitchTable[0][1], 10.0);
  EXPECT_EQ(c.PrinterLang, kLangEscP24);
  EXPECT_EQ(c.OutputMode, 24);
  EXPECT_EQ(c.ModeTemplate, u"\x1B*'%c%c,1");
  EXPECT_TRUE(boxes_.empty());
  const std::vector<std::u16string> expected = {
      u"    CodePitch: 1B=x!",
      u"  CmdLine: Модель принтера: \"EPSON LQ-24 ClientTests\"",
      u"  Загрузка: Модель принтера: \"EPSON LQ-24 ClientTests\", режим: \"Черновик\"",
      u"    ! Error ! Интерпретация \"Pitches\": \"x\"",
  };
  std::vector<std::u16string> own;
  for (const std::u16string& line : log_.Lines)
    if (std::find(expected.begin(), expected.end(), line) != expected.end()) own.push_back(line);
  EXPECT_EQ(own, (std::vector<std::u16string>{expected[1], expected[0], expected[2], expected[3]}));
}

TEST_F(RAWCoderWin, TheTwoBoxes) {
  WriteModel(u"0,180,24");
  EXPECT_FALSE(Load(u"IBM ClientTests"));
  EXPECT_FALSE(Load(kModelName));
  EXPECT_EQ(boxes_, (std::vector<std::u16string>{u"Модель принтера не поддерживается: \"IBM ClientTests\"",
                                                 u"Не определен принтер или его конфигурация."}));
  EXPECT_EQ(log_.Lines.back(), u"--> Main \"LoadParam\" aborted!");
}
