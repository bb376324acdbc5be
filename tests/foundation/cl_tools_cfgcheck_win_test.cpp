// The configuration check against "4.01.23" on Wine's registry, with the restore from an export file
// and its include list answered through the message-box hook.
#include "foundation/cl_tools_cfgcheck_win.h"

#include <gtest/gtest.h>

#include "foundation/cl_tools_cfgcheck.h"
#include "foundation/cl_tools_cfgkey_win.h"
#include "foundation/lib_api_win.h"
#include "foundation/lib_file_win.h"
#include "foundation/lib_reg_win.h"
#include "foundation/lib_unicode.h"
#include "support/regimport_fixtures.h"

namespace {
const std::u16string kImportTestKey = ImportTestKey(u"cfgcheck");
const std::u16string kImportTestSection = ImportTestSection(u"cfgcheck");
const std::u16string kConfig = kImportTestKey + u"\\Config";

struct TBox {
  std::u16string Text;
  UINT Flags;
  std::u16string Caption;
};

// Answers the questions in order (Yes when the list runs out) and keeps every box.
class TBoxScript {
 public:
  explicit TBoxScript(std::vector<int> answers) : answers_(std::move(answers)) {
    SetMessageBoxHook([this](const TMessageBoxRequest& r) {
      boxes.push_back({r.Text, r.Flags, r.Caption});
      if ((r.Flags & MB_TYPEMASK) != MB_YESNO) return IDOK;
      const int answer = next_ < answers_.size() ? answers_[next_] : IDYES;
      ++next_;
      return answer;
    });
  }
  ~TBoxScript() { SetMessageBoxHook(nullptr); }
  std::vector<TBox> boxes;

 private:
  std::vector<int> answers_;
  size_t next_ = 0;
};

class ConfigCheckWin : public ::testing::Test {
 protected:
  void SetUp() override {
    site_.Root = HKEY_CURRENT_USER;
    site_.Key = kConfig;
    site_.ExportFile = dir_.File(u"Config.reg");
  }
  void WriteExportFile(const std::u16string& version) {
    const std::u16string section = kImportTestSection + u"\\Config";
    ASSERT_TRUE(WriteRegFileAnsi(site_.ExportFile, u"REGEDIT4\r\n\r\n[" + section + u"]\r\n\"Version\"=\"" + version +
                                                       u"\"\r\n\"Include\"=\"Types.reg\"\r\n\"LogLevel\"=dword:3\r\n"));
    ASSERT_TRUE(WriteRegFileUtf16(dir_.File(u"Types.reg"), u"Windows Registry Editor Version 5.00\r\n[" + section +
                                                               u"]\r\n\"DocOrder\"=\"СЧ,АКТ\"\r\n"));
  }
  TTestKey key_{kImportTestKey};
  TScratchDir dir_{u"cfgcheck"};
  TConfigSite site_;
};
}  // namespace

TEST_F(ConfigCheckWin, WithoutRestore) {
  struct Case {
    const char16_t* version;  // nullptr: no value
    bool result;
    std::u16string_view box;
  } cases[] = {
      {u"4.01.23", true, u""},
      {u"2.32.09", true, u""},
      {u"2.31.99", false, kMsgConfigVersionMismatch},
      {u"  ", false, kMsgConfigMissing},
      {nullptr, false, kMsgConfigMissing},
  };
  WriteExportFile(u"4.01.23");  // present, but the restore is not offered
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version ? WideToAnsi(c.version) : "none");
    key_.Remove();
    if (c.version) RegWriteString(HKEY_CURRENT_USER, kConfig, u"Version", c.version);
    TBoxScript script({});
    EXPECT_EQ(CheckConfigurationAt(site_, false, true), c.result);
    if (c.box.empty()) {
      EXPECT_TRUE(script.boxes.empty());
    } else {
      ASSERT_EQ(script.boxes.size(), 1u);
      EXPECT_EQ(script.boxes[0].Text, c.box);
      EXPECT_EQ(script.boxes[0].Flags & MB_ICONMASK, UINT(MB_ICONERROR));
    }
    EXPECT_FALSE(ReadRawValue(kConfig, u"LogLevel").Found);  // nothing imported
  }
}

TEST_F(ConfigCheckWin, OldVersionRestoredFromTheExportFile) {
  RegWriteString(HKEY_CURRENT_USER, kConfig, u"Version", u"2.31.99");
  WriteExportFile(u"4.01.23");
  TBoxScript script({IDYES});
  EXPECT_TRUE(CheckConfigurationAt(site_, true, false));
  ASSERT_EQ(script.boxes.size(), 1u);
  EXPECT_EQ(script.boxes[0].Text, kAskRestoreMismatch);
  EXPECT_EQ(script.boxes[0].Flags & 0xFF, 0x24u);  // yes/no with the question icon
  EXPECT_TRUE(script.boxes[0].Caption.ends_with(u"Внимание!"));
  std::u16string text;
  EXPECT_TRUE(RegReadString(HKEY_CURRENT_USER, kConfig, u"Version", text, u""));
  EXPECT_EQ(text, u"4.01.23");
  EXPECT_TRUE(RegReadString(HKEY_CURRENT_USER, kConfig, u"DocOrder", text, u""));
  EXPECT_EQ(text, u"СЧ,АКТ");  // from the included file
  EXPECT_EQ(RegReadIntegerW(HKEY_CURRENT_USER, kConfig, u"LogLevel", 0), 3);
}

TEST_F(ConfigCheckWin, MissingConfigurationRestoredOrDeclined) {
  WriteExportFile(u"4.01.23");
  {
    TBoxScript script({IDNO});
    EXPECT_FALSE(CheckConfigurationAt(site_, true, false));
    ASSERT_EQ(script.boxes.size(), 1u);
    EXPECT_EQ(script.boxes[0].Text, kAskRestoreMissing);
    EXPECT_FALSE(ReadRawValue(kConfig, u"Version").Found);
  }
  TBoxScript script({IDYES});
  EXPECT_TRUE(CheckConfigurationAt(site_, true, false));
  EXPECT_EQ(script.boxes.size(), 1u);
  EXPECT_TRUE(ReadRawValue(kConfig, u"DocOrder").Found);
}

TEST_F(ConfigCheckWin, DeclinedRestoreOfAnOldVersion) {
  RegWriteString(HKEY_CURRENT_USER, kConfig, u"Version", u"1.00.00");
  WriteExportFile(u"4.01.23");
  for (const bool strict : {false, true}) {
    TBoxScript script({IDNO});
    EXPECT_EQ(CheckConfigurationAt(site_, true, strict), !strict);
    EXPECT_EQ(script.boxes.size(), 1u);
    EXPECT_EQ(ReadConfigVersion(kConfig, HKEY_CURRENT_USER), "1.00.00");
  }
}

TEST_F(ConfigCheckWin, ExportFileThatDoesNotHelpIsOfferedThreeTimes) {
  RegWriteString(HKEY_CURRENT_USER, kConfig, u"Version", u"1.00.00");
  WriteExportFile(u"2.00.00");
  TBoxScript script({});
  EXPECT_FALSE(CheckConfigurationAt(site_, true, false));
  EXPECT_EQ(script.boxes.size(), 3u);
}

TEST_F(ConfigCheckWin, RestoreOfferedWithoutTheFileBehavesAsWithoutTheOffer) {
  RegWriteString(HKEY_CURRENT_USER, kConfig, u"Version", u"1.00.00");
  TBoxScript script({});
  EXPECT_FALSE(CheckConfigurationAt(site_, true, false));
  ASSERT_EQ(script.boxes.size(), 1u);
  EXPECT_EQ(script.boxes[0].Text, kMsgConfigVersionMismatch);
}

TEST(ConfigCheckSite, SidesOfTheProduct) {
  const std::u16string dir = IncludeTrailingPathDelimiterW(GetProgramDir());
  const TConfigSite win = ConfigSiteOfProduct(1);
  EXPECT_EQ(win.Root, HKEY_LOCAL_MACHINE);
  EXPECT_EQ(win.Key, u"Software\\Kavrel\\Client\\Config");
  EXPECT_EQ(win.ExportFile, dir + u"Config.reg");
  const TConfigSite dos = ConfigSiteOfProduct(4);
  EXPECT_EQ(dos.Key, u"Software\\Kavrel\\Client\\ConfigDos");
  EXPECT_EQ(dos.ExportFile, dir + u"ConfigDos.reg");
}
