// The virtual printer list on Windows: saved to and loaded back from the registry with the
// destinations of two users, a registered printer that is away left as stored, and the system's
// printers listed through the spooler (the stand-in's printers with Wine's).
#include "foundation/lib_prn_printers_host_win.h"

#include <gtest/gtest.h>

#include "foundation/cl_tools_regimport_win.h"
#include "foundation/cl_tools_store_win.h"
#include "foundation/lib_reg_win.h"
#include "foundation/lib_unicode_win.h"
#include "support/prn_test_support.h"

namespace {

std::u16string Pid() { return AnsiToWide(std::to_string(GetCurrentProcessId())); }

struct PrintersOnWindows : ::testing::Test {
  TTestRegistryRoots roots{u"lib_prn_printers"};
  TStandInScope spooler{u"printers_host"};
  const std::u16string virt = u"Виртуальный_" + Pid();
  const std::u16string dest0 = u"Dest0_" + Pid();
  const std::u16string dest1 = u"Dest1_" + Pid();
  const std::u16string dest2 = u"Dest2_" + Pid();
  std::shared_ptr<TPrintersHost> host = CreateWindowsPrintersHost();
  TRegistryStore machine{roots.Machine.Get()}, user{roots.User.Get()};

  void SetUp() override {
    for (const auto& name : {virt, dest0, dest1, dest2})
      ASSERT_TRUE(spooler.StandIn->AddStandInPrinter(StandInPrinter(name, u"LPT1:", u"NT EMF 1.008")));
  }
  std::u16string ItemText(const std::u16string& printer, const std::u16string& value) {
    std::u16string out;
    RegReadString(roots.Machine.Get(), u"Software\\Kavrel\\Client\\Config\\Printers\\" + printer, value, out,
                  u"<missing>");
    return out;
  }
};

}  // namespace

TEST_F(PrintersOnWindows, SavedAndLoadedBackWithTwoUsersDestinations) {
  {
    TPrinters list(host, machine, user);
    const int32_t i = list.Add(virt);
    list.Items[i].UserName = u"ann";
    list.Items[i].WinSide = list.Items[i].DosSide = true;
    list.SaveAll();
    list.SetPrintToOfUser(virt, u"", kPrintToWin, dest0);
    list.SetPrintToOfUser(virt, u"ann", kPrintToWin, dest1);
    list.SetPrintToOfUser(virt, u"Bob", kPrintToWin, dest2);
    list.SetPrintToOfUser(virt, u"bob", kPrintToDos, dest2);
  }
  EXPECT_EQ(ItemText(virt, u"PrintToWin"), dest0 + u",ann," + dest1 + u",Bob," + dest2);

  TPrinters loaded(host, machine, user);
  loaded.UserName = u"ANN";
  ASSERT_TRUE(loaded.Refresh());
  ASSERT_EQ(loaded.Count(), 1);
  EXPECT_EQ(loaded.Items[0].Name, virt) << "the Cyrillic name survives the registry";
  EXPECT_EQ(loaded.Items[0].UserName, u"ann");
  EXPECT_FALSE(loaded.Items[0].AllUsers);
  EXPECT_TRUE(loaded.Items[0].WinSide && loaded.Items[0].DosSide);
  std::u16string p;
  loaded.GetPrintTo(virt, p, kPrintToWin);
  EXPECT_EQ(p, dest1) << "the first load keeps a usable destination";
  loaded.GetPrintToOfUser(virt, u"BOB", p, kPrintToWin);
  EXPECT_EQ(p, dest2);
  loaded.GetPrintToOfUser(virt, u"eve", p, kPrintToWin);
  EXPECT_EQ(p, dest0);

  int32_t index = -1;
  EXPECT_TRUE(loaded.AllPrinters.Find(virt, index));
  EXPECT_TRUE(loaded.AllPrinters.Find(dest1, index));
  EXPECT_FALSE(loaded.OtherPrinters.Find(virt, index)) << "a virtual printer is no destination";
  EXPECT_TRUE(loaded.OtherPrinters.Find(dest2, index));
}

TEST_F(PrintersOnWindows, AbsentPrinterIsLeftAsStored) {
  const std::u16string gone = u"Gone_" + Pid();
  const std::u16string key = u"Software\\Kavrel\\Client\\Config\\Printers\\" + gone;
  RegWriteString(roots.Machine.Get(), key, u"UserName", u"ann");
  RegWriteIntegerW(roots.Machine.Get(), key, u"PrinterType", 2);
  RegWriteString(roots.Machine.Get(), key, u"PrintToWin", u"P0,ann,P1");
  RegWriteString(roots.Machine.Get(), key, u"PrintToDos", u"D0");

  TPrinters list(host, machine, user);
  list.Load();
  ASSERT_EQ(list.Count(), 1);
  EXPECT_TRUE(list.Items[0].DosSide);
  EXPECT_FALSE(list.Items[0].WinSide);
  EXPECT_EQ(ItemText(gone, u"UserName"), u"ann");
  EXPECT_EQ(ItemText(gone, u"PrintToWin"), u"P0,ann,P1");
  EXPECT_EQ(ItemText(gone, u"PrintToDos"), u"D0");
  EXPECT_EQ(RegReadIntegerW(roots.Machine.Get(), key, u"PrinterType", -1), 2);
  EXPECT_EQ(RegReadIntegerW(roots.Machine.Get(), key, u"AllUsers", -1), -1) << "nothing was written";
  EXPECT_TRUE(list.NeedsInstall(gone));
}

TEST_F(PrintersOnWindows, RemoveDeletesThePrinterAndItsKey) {
  TPrinters list(host, machine, user);
  list.Add(virt);
  list.SaveAll();
  ASSERT_EQ(list.Remove(0), 0);
  EXPECT_FALSE(host->PrinterExists(virt));
  EXPECT_EQ(ItemText(virt, u"UserName"), u"<missing>");
  EXPECT_EQ(list.Count(), 0);
}
