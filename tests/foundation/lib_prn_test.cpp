// Tests of the portable spooler rules: port names, the default local port, EMF datatypes, the
// spooler environment and driver tables, spool file names and the profile's "Device" entry.
#include <gtest/gtest.h>

#include "foundation/lib_prn.h"

namespace {

TEST(MatchPortName, PrefixDigitsAndColonExactly) {
  const struct {
    std::u16string name, prefix;
    bool colon, expected;
    const char* why;
  } cases[] = {
      {u"LPT1:", u"LPT", true, true, "the usual parallel port"},
      {u"LPT1", u"LPT", true, false, "colon wanted, missing"},
      {u"LPT1:", u"LPT", false, false, "no colon wanted"},
      {u"USB001", u"USB", false, true, "USB ports carry no colon"},
      {u"LPTX:", u"LPT", true, false, "no number"},
      {u"LPT:", u"LPT", true, false, "colon but no number"},
      {u"LPT", u"LPT", false, false, "must be longer than the prefix"},
      {u"lpt1:", u"LPT", true, false, "the prefix is case-sensitive"},
      {u"COM12:", u"COM", true, true, "two digits"},
      {u"COM1:x", u"COM", true, false, "trailing text"},
  };
  for (const auto& c : cases) EXPECT_EQ(MatchPortName(c.name, c.prefix, c.colon), c.expected) << c.why;
}

TEST(DefaultLocalPort, LowestLptThenLowestComAmongHardwarePorts) {
  EXPECT_EQ(ChooseDefaultLocalPort({u"COM2:", u"LPT3:", u"LPT2:"}), u"LPT2:");
  EXPECT_EQ(ChooseDefaultLocalPort({u"COM4:", u"COM1:"}), u"COM1:");
  EXPECT_EQ(ChooseDefaultLocalPort({u"LPT10:", u"LPT9:"}), u"LPT9:") << "by number, not by text";
  EXPECT_EQ(ChooseDefaultLocalPort({u"USB001"}), u"");
  const std::vector<TPortEntry> ports = {
      {u"LPT1:", 4}, {u"LPT2:", 8}, {u"LPT3:", 1}, {u"USB001", 0}, {u"FILE:", 1}, {u"COM1:", 0x3}};
  EXPECT_EQ(SelectHardwarePorts(ports), (std::vector<std::u16string>{u"LPT3:", u"USB001", u"COM1:"}))
      << "network-attached and redirected ports are left out";
}

TEST(EmfDatatype, EmfOrNtEmfCaseSensitive) {
  EXPECT_TRUE(IsEmfDatatype(u"NT EMF 1.008"));
  EXPECT_TRUE(IsEmfDatatype(u"EMF"));
  EXPECT_FALSE(IsEmfDatatype(u"RAW"));
  EXPECT_FALSE(IsEmfDatatype(u"nt emf 1.003"));
  EXPECT_FALSE(IsEmfDatatype(u"EMF2"));
  EXPECT_EQ(WantedEmfDatatype(true), u"NT EMF 1.003");
  EXPECT_EQ(WantedEmfDatatype(false), u"EMF");
}

TEST(PrinterEnvironment, NameByFamilyArchitectureAndVersion) {
  const struct {
    TPrnSystemFacts sys;
    bool x64Key;
    std::string expected;
  } cases[] = {
      {{false, 4, 10, 0, false}, false, "Windows 4.0"},
      {{true, 6, 1, 0, false}, false, "Windows NT x86"},
      {{true, 5, 2, 6, false}, false, "Windows IA64"},
      {{true, 5, 2, 9, false}, false, "Windows AMD64"},
      {{true, 5, 2, 9, false}, true, "Windows x64"},
      {{true, 6, 1, 9, false}, false, "Windows x64"},
      {{true, 6, 1, 5, false}, false, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(PrinterEnvironmentNameFor(c.sys, c.x64Key), c.expected);
}

TEST(EpsonLqDriver, ModelAndFilesByVersion) {
  EXPECT_EQ(EpsonLqModelNameFor({true, 6, 0, 0, false}), "EPSON LQ Series (136) Graphics");
  EXPECT_EQ(EpsonLqModelNameFor({true, 6, 1, 0, false}), "EPSON LQ Series 1 (136) Graphics");
  EXPECT_EQ(EpsonLqModelNameFor({true, 5, 1, 0, false}), "Epson LQ-200");
  EXPECT_EQ(EpsonLqDriverFor({true, 6, 0, 0, false}).Version, 0u) << "nothing to add from Vista on";
  const TEpsonLqDriver xp = EpsonLqDriverFor({true, 5, 1, 0, false});
  EXPECT_EQ(xp.Version, 3u);
  EXPECT_EQ(xp.DriverPath, "UNIDRV.DLL");
  EXPECT_EQ(xp.DependentFiles, std::string("UNIRES.DLL\0EP24RES.DLL\0STDNAMES.GPD\0\0", 37));
  const TEpsonLqDriver nt4 = EpsonLqDriverFor({true, 4, 0, 0, false});
  EXPECT_EQ(nt4.Version, 2u);
  EXPECT_EQ(nt4.ConfigFile, "RASDDUI.DLL");
  const TEpsonLqDriver w9x = EpsonLqDriverFor({false, 4, 10, 0, false});
  EXPECT_EQ(w9x.Version, 1024u);
  EXPECT_EQ(w9x.DataFile, "EPSON24.DRV");
  EXPECT_TRUE(w9x.EmptyMonitorAndEmfDatatype);
  EXPECT_EQ(DriverVersionNumberFor({true, 5, 0, 0, false}), 3);
  EXPECT_EQ(DriverVersionNumberFor({true, 4, 0, 0, false}), 2);
  EXPECT_EQ(DriverVersionNumberFor({true, 3, 51, 0, false}), 1);
  EXPECT_EQ(DriverVersionNumberFor({false, 4, 10, 0, false}), 0);
}

TEST(SpoolFileName, FiveDigitsAtLeast) {
  EXPECT_EQ(FormatSpoolFileName(u"C:\\spool", 17), u"C:\\spool\\00017.spl");
  EXPECT_EQ(FormatSpoolFileName(u"C:\\spool", 123456), u"C:\\spool\\123456.spl");
}

TEST(ProfileDevice, PrinterBeforeTheFirstCommaAndReplacement) {
  EXPECT_EQ(DeviceEntryPrinter(u"HP LaserJet,winspool,LPT1:"), u"HP LaserJet");
  EXPECT_EQ(DeviceEntryPrinter(u"Alone"), u"Alone");
  EXPECT_EQ(ReplaceDeviceEntryPrinter(u"Old,winspool,LPT1:", u"New"), u"New,winspool,LPT1:");
  EXPECT_EQ(ReplaceDeviceEntryPrinter(u"", u"New"), u"New,");
}

}  // namespace
