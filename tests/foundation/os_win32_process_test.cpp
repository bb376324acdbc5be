// Command lines of the port copy and the INF install, and the directory a watch is put on.
#include "foundation/os_win32_process.h"

#include <gtest/gtest.h>

TEST(PortCopyCommand, PortName) {
  struct Case {
    const char* port;
    const char* expected;
    const char* why;
  } cases[] = {
      {"LPT1:", "LPT1", "the colon of a port name goes"},
      {"LPT1", "LPT1", "nothing to drop"},
      {"COM1::", "COM1:", "only one colon goes"},
      {"C:\\out\\port.prn", "C:\\out\\port.prn", "a file port keeps its drive colon"},
      {":", "", "a colon alone leaves nothing"},
      {"", "", "empty stays empty"},
  };
  for (const Case& c : cases) EXPECT_EQ(PortNameForCopy(c.port), c.expected) << c.why;
}

TEST(PortCopyCommand, QuotesEveryPart) {
  EXPECT_EQ(BuildCopyToPortCmdLine("C:\\WINDOWS\\system32\\cmd.exe", "C:\\DOCUME~1\\A.TMP", "LPT1"),
            "\"C:\\WINDOWS\\system32\\cmd.exe\" /C copy /B \"C:\\DOCUME~1\\A.TMP\" \"LPT1\"");
  // Spaces and the interpreter's operators stay inside one argument.
  EXPECT_EQ(BuildCopyToPortCmdLine("C:\\Win Dir\\cmd.exe", "C:\\A B\\F.PRN", "\\\\srv\\Laser & Co"),
            "\"C:\\Win Dir\\cmd.exe\" /C copy /B \"C:\\A B\\F.PRN\" \"\\\\srv\\Laser & Co\"");
  // 8-bit names pass as they are (Windows-1251 bytes of "Принтер").
  EXPECT_EQ(BuildCopyToPortCmdLine("cmd", "F", "\xCF\xF0\xE8\xED\xF2\xE5\xF0"),
            "\"cmd\" /C copy /B \"F\" \"\xCF\xF0\xE8\xED\xF2\xE5\xF0\"");
}

TEST(PortCopyCommand, RefusesWhatQuotingCannotHold) {
  struct Case {
    const char* comspec;
    const char* file;
    const char* port;
    const char* why;
  } cases[] = {
      {"", "F", "LPT1", "no command interpreter"},
      {"cmd", "", "LPT1", "no file (its short name could not be found)"},
      {"cmd", "F", "", "no port"},
      {"cmd", "F", "LPT1\" & del x & \"", "a quote would end the argument"},
      {"cmd", "F", "%COMSPEC%", "cmd expands variables inside quotes"},
      {"cmd", "F\r\nX", "LPT1", "a line break"},
      {"cm\"d", "F", "LPT1", "a quote in the interpreter's path"},
  };
  for (const Case& c : cases) EXPECT_EQ(BuildCopyToPortCmdLine(c.comspec, c.file, c.port), "") << c.why;
}

TEST(InfInstallCommand, SystemDirectoryWithOneBackslash) {
  const std::u16string expected =
      u"C:\\Windows\\system32\\rundll32.exe syssetup.dll,SetupInfObjectInstallAction DefaultInstall 128 "
      u"C:\\Драйвер\\a.inf";
  EXPECT_EQ(BuildInfInstallCmdLine(u"C:\\Windows\\system32", u"C:\\Драйвер\\a.inf"), expected);
  EXPECT_EQ(BuildInfInstallCmdLine(u"C:\\Windows\\system32\\", u"C:\\Драйвер\\a.inf"), expected);
}

TEST(WatchDirectoryPath, DropsTheBackslashButNotTheRoot) {
  struct Case {
    std::u16string dir;
    std::u16string expected;
    const char* why;
  } cases[] = {
      {u"C:\\Data\\", u"C:\\Data", "trailing backslash goes"},
      {u"C:\\Data", u"C:\\Data", "nothing to drop"},
      {u"C:\\", u"C:\\", "a drive root stays a root, C: would be the current directory"},
      {u"C:", u"C:", "left as given"},
      {u"\\\\srv\\share\\", u"\\\\srv\\share", "a share"},
      {u"\\", u"\\", "the root of the current drive"},
      {u"", u"", "empty"},
      {u"C:\\Каталог\\", u"C:\\Каталог", "Cyrillic name"},
  };
  for (const Case& c : cases) EXPECT_EQ(WatchDirectoryPath(c.dir), c.expected) << c.why;
}
