// Side keys, export file names, mode names, template placeholders and the DOS result record.
#include "foundation/cl_tools_cfgkey.h"

#include <gtest/gtest.h>

#include <cstring>

#include "foundation/lib_file.h"

TEST(ConfigKey, ActiveKeyByVersions) {
  struct Case {
    const char* config;
    const char* dos;
    std::u16string_view key;
    const char* why;
  } cases[] = {
      {"4.01.23", "", kConfigKey, "Windows side configured"},
      {"4.01.23", "4.01.23", kConfigKey, "both: Windows wins"},
      {"", "2.32.09", kConfigDosKey, "DOS side only"},
      {"   ", "", kConfigKey, "blanks are no version"},
      {" \t", " 1 ", kConfigDosKey, "blank Windows version, DOS version with blanks"},
      {"", "", kConfigKey, "nothing configured"},
  };
  for (const Case& c : cases) EXPECT_EQ(ChooseActiveConfigKey(c.config, c.dos), c.key) << c.why;
}

TEST(ConfigKey, ProductFlags) {
  struct Case {
    uint8_t flags;
    std::u16string_view key;
    const char* file;
  } cases[] = {
      {0, kConfigKey, ""},          {1, kConfigKey, "Config.reg"},        {2, kConfigDosKey, "ConfigDos.reg"},
      {3, kConfigKey, "Config.reg"}, {4, kConfigDosKey, "ConfigDos.reg"}, {8, kConfigDosKey, "ConfigDos.reg"},
      {12, kConfigDosKey, "ConfigDos.reg"}, {0xE0, kConfigKey, ""},    {0xE1, kConfigKey, "Config.reg"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ConfigKeyOfProduct(c.flags), c.key) << int(c.flags);
    EXPECT_EQ(RegExportFileName(c.flags), c.file) << int(c.flags);
  }
}

TEST(ConfigKey, ModeText) {
  struct Case {
    uint8_t flags;
    const char* text;
  } cases[] = {{0, "unchanged"}, {1, "Win"}, {2, "Dos"}, {3, "Win&Dos"}, {4, "unchanged"}, {7, "Win&Dos"}};
  for (const Case& c : cases) {
    std::string text = "unchanged";
    ProgramModeText(c.flags, text);
    EXPECT_EQ(text, c.text) << int(c.flags);
  }
}

TEST(ConfigKey, SpoolDir) {
  EXPECT_EQ(ProgramSpoolDirOf(u"C:\\WINDOWS\\system32"), u"C:\\WINDOWS\\system32\\Tevoran\\Spool");
  EXPECT_EQ(ProgramSpoolDirOf(u"C:\\WINDOWS\\"), u"C:\\WINDOWS\\Tevoran\\Spool");
}

TEST(ConfigKey, TemplatePlaceholders) {
  const TTemplatePlaceholders table =
      ProgramPlaceholders("C:\\PROGRA~1\\Kavrel\\CLIENT.EXE", "C:\\WINDOWS\\system32\\Tevoran\\Spool", "&port&", "LPT1:");
  std::string text = "run &cmdline& in &progdir& (&version&, &version&) capture &monit& on &port&";
  EXPECT_TRUE(ReplacePlaceholders(text, table.Names, table.Values));
  EXPECT_EQ(text,
            "run C:\\PROGRA~1\\Kavrel\\CLIENT.EXE in C:\\PROGRA~1\\Kavrel (4.01.23, 4.01.23) capture "
            "C:\\WINDOWS\\system32\\Tevoran\\Spool\\PrnCap.spl on LPT1:");
  // The directory of a program at the root of a drive keeps its backslash, as the file layer's does.
  EXPECT_EQ(ProgramPlaceholders("C:\\CLIENT.EXE", "", "", "").Values[1], "C:\\");
  EXPECT_EQ(ProgramPlaceholders("CLIENT.EXE", "", "", "").Values[1], "");
}

TEST(ConfigKey, DosResultRecordCarriesTheModel) {
  struct Case {
    size_t length;
    size_t kept;
  } cases[] = {{0, 0}, {259, 259}, {260, 260}, {261, 260}, {300, 260}};
  for (const Case& c : cases) {
    TDosCodeResultRec record;
    std::memset(&record, 0xAB, sizeof record);
    std::u16string model(c.length, u'Ж');
    PrepareDosResultRecord(record, model);
    const std::u16string got(record.OutputFile);  // up to the first NUL
    EXPECT_EQ(got, model.substr(0, c.kept)) << c.length;
    EXPECT_EQ(record.OutputFile[260], u'\0');
    for (const char b : record.Copies) EXPECT_EQ(b, 0);
  }
}
