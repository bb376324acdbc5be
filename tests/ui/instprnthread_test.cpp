// The installation's choices without the system: driver pack folders, driver file sets, the INF bytes
// of both families, the program's driver and the worker's message texts.
#include "ui/instprnthread.h"

#include <gtest/gtest.h>

namespace {

TInstallSystem Nt(uint32_t major, uint32_t minor, std::u16string arch) {
  TInstallSystem s;
  s.Major = major;
  s.Minor = minor;
  s.Architecture = std::move(arch);
  return s;
}

TInstallSystem Nine(bool is95, bool is98, bool isMe) {
  TInstallSystem s;
  s.IsWinNT = false;
  s.Major = 4;
  s.Minor = is95 ? 0 : is98 ? 10 : 90;
  s.IsWin95 = is95;
  s.IsWin98 = is98;
  s.IsWinME = isMe;
  return s;
}

const std::string kNtTemplate =
    "[Version]\r\nSignature = \"$Windows NT$\"\r\nLayoutFile = Layout.inf\r\n[DefaultInstall]\r\n"
    "CopyFiles = Tevoran.CopyFiles\r\nMediaType  = Software\r\n[DestinationDirs]\r\nDefaultDestDir=52\r\n"
    "[Tevoran.CopyFiles]\r\n";

}  // namespace

TEST(InstallPrinterChoices, DriverPackFolders) {
  const struct {
    TInstallSystem sys;
    std::u16string folder;
  } cases[] = {
      {Nt(5, 1, u"I386"), u"WinNT51.I386"},     {Nt(5, 2, u"x64"), u"WinNT52.x64"},
      {Nt(6, 1, u"x64"), u"WinNT61.x64"},       {Nt(10, 0, u"x64"), u"WinNT10.0.x64"},
      {Nt(6, 10, u"IA64"), u"WinNT6.10.IA64"},  {Nt(4, 0, u"Unknown"), u"WinNT40.Unknown"},
      {Nine(true, false, false), u"Win95"},     {Nine(false, true, false), u"Win98"},
      {Nine(false, false, true), u"WinME"},     {Nine(false, false, false), u""},
  };
  for (const auto& c : cases) EXPECT_EQ(DriverPackOsFolder(c.sys), c.folder);
  EXPECT_EQ(DriverPackFolder(u"C:\\Program\\", Nt(5, 1, u"I386")), u"C:\\Program\\DriverPack\\WinNT51.I386\\");
  EXPECT_EQ(DriverPackFolder(u"C:\\Program", Nt(5, 1, u"I386")), u"C:\\Program\\DriverPack\\WinNT51.I386\\");
}

TEST(InstallPrinterChoices, DriverFileSets) {
  using V = std::vector<std::string>;
  EXPECT_EQ(DriverFileSet(Nt(5, 1, u"I386")),
            (V{"EP200.GPD", "UNIDRV.DLL", "UNIDRVUI.DLL", "UNIDRV.HLP", "UNIRES.DLL", "EP24RES.DLL", "STDNAMES.GPD"}));
  EXPECT_EQ(DriverFileSet(Nine(false, true, false)),
            (V{"UNIDRV.DLL", "DMCOLOR.DLL", "UNIDRV.HLP", "EPSON24.DRV", "ICONLIB.DLL"}));
  EXPECT_EQ(DriverFileSet(Nt(4, 0, u"I386")), (V{"EPSON24.DLL", "RASDD.DLL", "RASDDUI.DLL", "RASDDUI.HLP"}));
  EXPECT_TRUE(DriverFileSet(Nt(6, 1, u"x64")).empty());
  EXPECT_TRUE(DriverFileSet(Nt(3, 51, u"I386")).empty());
  EXPECT_TRUE(NeedsDriverFiles(Nt(5, 2, u"I386")));
  EXPECT_TRUE(NeedsDriverFiles(Nine(true, false, false)));
  EXPECT_FALSE(NeedsDriverFiles(Nt(6, 0, u"I386")));
}

TEST(InstallPrinterChoices, InfBytes) {
  const std::vector<std::string> files = {"UNIDRV.DLL", "EP200.GPD"};
  const std::string text = kNtTemplate + "UNIDRV.DLL,,\r\nEP200.GPD,,\r\n";
  std::string wide("\xFF\xFE", 2);
  for (const char c : text) wide += std::string{c, '\0'};
  EXPECT_EQ(DriverInfBytes(true, files), wide);

  const std::string nine = DriverInfBytes(false, {"EPSON24.DRV"});
  EXPECT_EQ(nine,
            "[Version]\r\nSignature = \"$CHICAGO$\"\r\nLayoutFile = Layout.inf\r\n[DefaultInstall]\r\n"
            "CopyFiles = Tevoran.CopyFiles\r\n[DestinationDirs]\r\nDefaultDestDir=11\r\n"
            "Tevoran.CopyFiles = 11\r\n[Strings]\r\n[Tevoran.CopyFiles]\r\nEPSON24.DRV,,\r\n");
}

TEST(InstallPrinterChoices, OwnDriverAndTexts) {
  EXPECT_TRUE(IsOwnDriver(u"Tevoran Printer Driver", u"Epson LQ-200"));
  EXPECT_TRUE(IsOwnDriver(u"Epson LQ-200", u"Epson LQ-200"));
  EXPECT_FALSE(IsOwnDriver(u"epson lq-200", u"Epson LQ-200"));
  EXPECT_FALSE(IsOwnDriver(u"", u""));
  EXPECT_EQ(DriverErrorText(0, u"ignored"), u"Произошла ошибка при установке драйвера \"Tevoran Printer Driver\".");
  EXPECT_EQ(DriverErrorText(1, u"Код ошибки: 0x00000001"),
            u"Произошла ошибка при установке драйвера \"Tevoran Printer Driver\".\r\nКод ошибки: 0x00000001");
  EXPECT_EQ(PrinterErrorText(u"A,B", u"E"), u"Ошибка создания виртуального принтера \"A,B\".\r\nE");
  EXPECT_EQ(DriverFilesErrorText(), u"Произошла ошибка при установке файлов драйвера \"Tevoran Printer Driver\".");
}
