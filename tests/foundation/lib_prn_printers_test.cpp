// The virtual printer list against a host and settings held in memory: destination texts, loading and saving,
// destinations checked and re-chosen, names for new printers, removal, and the bounded printer listing.
#include "foundation/lib_prn_printers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <set>
#include <thread>

#include "foundation/lib_str.h"
#include "support/memory_store.h"

namespace {

// The system behind the list: printers, the default printer and the session, in memory.
class TFakeHost : public TPrintersHost {
 public:
  std::set<std::u16string> System;      // upper-cased names of the system's printers
  std::vector<std::u16string> SystemOrder;
  std::u16string Default;
  bool Remote = false, Terminal = false, Admin = false;
  int Signals = 0;
  std::atomic<int> ListDelayMs{0};
  std::atomic<bool> ListFails{false};

  void AddPrinter(const std::u16string& name) {
    System.insert(UpperCaseW(name));
    SystemOrder.push_back(name);
  }

  bool PrinterExists(std::u16string_view name) override { return !name.empty() && System.count(UpperCaseW(name)); }
  std::u16string DefaultPrinterName() override { return Default; }
  bool IsDefaultPrinter(std::u16string_view name) override { return !Default.empty() && UpperCaseW(name) == UpperCaseW(Default); }
  void SetDefaultPrinterName(std::u16string_view name) override { Default = std::u16string(name); }
  int32_t RemovePrinter(std::u16string_view name) override {
    System.erase(UpperCaseW(name));
    if (IsDefaultPrinter(name)) Default.clear();
    return 0;
  }
  bool ListPrinterNames(std::vector<std::u16string>& names) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(ListDelayMs.load()));
    if (ListFails) return false;
    names = SystemOrder;
    return true;
  }
  // A worker of its own; a late one is waited for when the host goes, as the Windows host does.
  bool RunWorker(std::function<void()> work, uint32_t waitMs) override {
    auto ended = std::make_shared<std::atomic<bool>>(false);
    Workers.emplace_back([work = std::move(work), ended] {
      work();
      *ended = true;
    });
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    while (!*ended && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return *ended;
  }
  ~TFakeHost() override {
    for (auto& w : Workers) w.join();
  }
  std::vector<std::thread> Workers;
  bool IsRemoteSession() override { return Remote; }
  bool IsTerminalServer() override { return Terminal; }
  bool IsAdministrator() override { return Admin; }
  void SignalUpdateEvent() override { ++Signals; }
};

// A stored text value, "<none>" when it is missing.
std::u16string Text(const TSettingsStore& store, std::u16string_view key, std::u16string_view name) {
  return store.ReadText(key, name, u"<none>");
}

const std::u16string kItemKey = u"Software\\Kavrel\\Client\\Config\\Printers\\Tevoran";
const std::u16string kConfig = u"Software\\Kavrel\\Client\\Config";
const std::u16string kConfigDos = u"Software\\Kavrel\\Client\\ConfigDos";

struct TPrintersFixture : ::testing::Test {
  std::shared_ptr<TFakeHost> host = std::make_shared<TFakeHost>();
  TMemoryStore machine, user;
  TPrinters printers{host, machine, user};
  void Register(const std::u16string& name, const std::u16string& owner, int32_t type, int32_t all) {
    const std::u16string key = u"Software\\Kavrel\\Client\\Config\\Printers\\" + name;
    machine.SetText(key, u"UserName", owner);
    machine.SetInteger(key, u"PrinterType", type);
    machine.SetInteger(key, u"AllUsers", all);
  }
  int Writes() const { return machine.Writes + user.Writes; }
};

}  // namespace

TEST(PrintToText, PickAndUpdate) {
  struct Case {
    std::u16string text, user, expected;
    const char* why;
  };
  const Case picks[] = {
      {u"P0,ann,P1,Bob,P2", u"bob", u"P2", "users compare ignoring case"},
      {u"P0,ann,P1,Bob,P2", u"eve", u"P0", "no entry: the default"},
      {u"P0,ann,P1,Bob,P2", u"", u"P0", "no user: the default"},
      {u"P0", u"ann", u"P0", "no pairs"},
      {u"", u"ann", u"", "empty text"},
      {u"P0,ann", u"ann", u"P0", "a user without a printer is no entry"},
      {u"P0,ann,,bob,P2", u"ann", u"", "an entry may name no printer"},
  };
  for (const auto& c : picks) EXPECT_EQ(PickPrintToOfUser(c.text, c.user), c.expected) << c.why;

  struct Update {
    std::u16string text, user, printer, expected;
    const char* why;
  };
  const Update updates[] = {
      {u"P0,ann,P1,Bob,P2", u"eve", u"P3", u"P0,ann,P1,Bob,P2,eve,P3", "new user appended"},
      {u"P0,ann,P1,Bob,P2", u"", u"P9", u"P9,ann,P1,Bob,P2", "empty user: the default"},
      {u"P0,ann,P1,Bob,P2", u"BOB", u"P7", u"P0,ann,P1,Bob,P7", "existing pair replaced"},
      {u"P0", u"ann", u"P1", u"P0,ann,P1", "no comma"},
      {u"", u"", u"P1", u"P1", "empty text, default"},
      {u"P0,ann", u"ANN", u"P1", u"P0,ann,P1", "dangling user of the same name gets the printer"},
      {u"P0,ann", u"bob", u"P1", u"P0,ann,,bob,P1", "dangling other user keeps its place"},
      {u"P0,ann,P1", u"bob", u"P,2", u"P0,ann,P1", "a comma in the printer would split the list"},
      {u"P0,ann,P1", u"b,ob", u"P2", u"P0,ann,P1", "a comma in the user would split the list"},
  };
  for (const auto& c : updates) EXPECT_EQ(UpdatePrintToOfUser(c.text, c.user, c.printer), c.expected) << c.why;
  EXPECT_EQ(PrintToUsers(u"P0,ann,P1,Bob,P2"), (std::vector<std::u16string>{u"ann", u"Bob"}));
  EXPECT_EQ(PrintToUsers(u"P0,ann"), (std::vector<std::u16string>{u"ann"}));
}

TEST_F(TPrintersFixture, LoadReadsTypesAndOwners) {
  struct Case {
    std::u16string user;
    int32_t type, all;
    bool win, dos, allUsers;
    const char* why;
  };
  const Case cases[] = {
      {u"ann", 0, 0, true, false, false, "type 0 is Windows only"},
      {u"ann", 3, 0, true, true, false, "type 3 is both sides"},
      {u"ann", 2, 1, false, true, true, "DOS only, all users"},
      {u"", 2, 0, false, true, true, "no owner reads as all users"},
  };
  for (const auto& c : cases) {
    auto fresh = std::make_shared<TFakeHost>();
    TMemoryStore freshMachine, freshUser;
    TPrinters list(fresh, freshMachine, freshUser);
    fresh->AddPrinter(u"Tevoran");
    freshMachine.SetText(kItemKey, u"UserName", c.user);
    freshMachine.SetInteger(kItemKey, u"PrinterType", c.type);
    freshMachine.SetInteger(kItemKey, u"AllUsers", c.all);
    list.Load();
    ASSERT_EQ(list.Count(), 1) << c.why;
    EXPECT_EQ(list.Items[0].WinSide, c.win) << c.why;
    EXPECT_EQ(list.Items[0].DosSide, c.dos) << c.why;
    EXPECT_EQ(list.Items[0].AllUsers, c.allUsers) << c.why;
    EXPECT_EQ(list.LoadCount, 1u);
  }
}

TEST_F(TPrintersFixture, AbsentPrinterKeepsItsStoredSettings) {
  Register(u"Tevoran", u"ann", 2, 0);
  machine.SetText(kItemKey, u"printtowin", u"P0,ann,P1");
  machine.SetText(kConfig, u"printto", u"Common");
  host->AddPrinter(u"Common");
  printers.UserName = u"ann";
  const int writesBefore = Writes();
  printers.Load();
  ASSERT_EQ(printers.Count(), 1);
  EXPECT_EQ(Writes(), writesBefore) << "nothing is written for a printer that is away";
  EXPECT_EQ(printers.Items[0].UserName, u"ann");
  EXPECT_TRUE(printers.Items[0].DosSide);
  EXPECT_FALSE(printers.Items[0].AllUsers);
  EXPECT_EQ(Text(machine, kItemKey, u"PrintToWin"), u"P0,ann,P1");
  EXPECT_TRUE(printers.NeedsInstall(u"Tevoran"));
}

TEST_F(TPrintersFixture, FirstLoadChecksDestinationsLaterLoadsDoNot) {
  Register(u"Tevoran", u"ann", 3, 0);
  host->AddPrinter(u"Tevoran");
  host->AddPrinter(u"Laser");
  host->Default = u"Laser";
  printers.UserName = u"ann";
  printers.Load();
  EXPECT_EQ(Text(machine, kItemKey, u"PrintToWin"), u",ann,Laser");
  EXPECT_EQ(Text(machine, kItemKey, u"PrintToDos"), u",ann,Laser");
  EXPECT_EQ(host->Signals, 2) << "one signal for each side's check";
  EXPECT_EQ(machine.ReadInteger(kItemKey, u"PrinterType", -99), 3);

  machine.SetText(kItemKey, u"printtowin", u"Gone");
  printers.Load();
  EXPECT_EQ(Text(machine, kItemKey, u"PrintToWin"), u"Gone") << "only the first load checks";
  EXPECT_EQ(printers.LoadCount, 2u);
}

TEST_F(TPrintersFixture, DestinationsOfTwoUsers) {
  Register(u"Tevoran", u"", 1, 1);
  host->AddPrinter(u"Tevoran");
  printers.LoadCount = 1;  // no check on load
  printers.Load();
  printers.SetPrintToOfUser(u"Tevoran", u"", kPrintToWin, u"P0");
  printers.SetPrintToOfUser(u"tevoran", u"ann", kPrintToWin, u"P1");
  printers.SetPrintToOfUser(u"Tevoran", u"bob", kPrintToWin, u"P2");
  printers.SetPrintToOfUser(u"Tevoran", u"bob", kPrintToDos, u"D2");
  std::u16string p;
  printers.GetPrintToOfUser(u"Tevoran", u"ANN", p, kPrintToWin);
  EXPECT_EQ(p, u"P1");
  printers.GetPrintToOfUser(u"Tevoran", u"bob", p, 3);
  EXPECT_EQ(p, u"P2") << "a kind with bit 1 is the Windows side";
  printers.GetPrintToOfUser(u"Tevoran", u"bob", p, kPrintToDos);
  EXPECT_EQ(p, u"D2");
  printers.GetPrintToOfUser(u"Other", u"bob", p, kPrintToDos);
  EXPECT_EQ(p, u"") << "not a virtual printer";

  TWideStringArray users;
  std::u16string text;
  printers.ListPrintToUsers(u"Tevoran", kPrintToWin, text, &users);
  EXPECT_EQ(text, u"P0,ann,P1,bob,P2");
  ASSERT_EQ(users.Count(), 3);
  EXPECT_EQ(users.Get(0), u"По умолчанию");
  EXPECT_EQ(users.Get(2), u"bob");
}

TEST_F(TPrintersFixture, CommonDestinations) {
  struct Case {
    uint8_t kind;
    std::u16string key, name;
  };
  const Case cases[] = {{1, kConfig, u"PrintTo"}, {2, kConfigDos, u"PrintTo"}, {4, kConfigDos, u"FPrintTo"},
                        {8, kConfigDos, u"FPrintTo"}, {12, kConfigDos, u"FPrintTo"}};
  for (const auto& c : cases) {
    printers.SetCommonPrintTo(u"X" + std::u16string(1, char16_t(u'0' + c.kind)), c.kind);
    EXPECT_EQ(Text(machine, c.key, c.name), u"X" + std::u16string(1, char16_t(u'0' + c.kind)));
  }
  std::u16string p = u"keep";
  printers.GetCommonPrintTo(16, p);
  EXPECT_EQ(p, u"keep") << "kind without a common value";
  // Kind 3 follows the active side: ConfigDos only when Config has no version and ConfigDos has one.
  printers.GetCommonPrintTo(3, p);
  EXPECT_EQ(p, u"X1");
  machine.SetText(kConfigDos, u"version", u"4.01.23");
  printers.GetCommonPrintTo(3, p);
  EXPECT_EQ(p, u"X2");
}

TEST_F(TPrintersFixture, CheckPrintToWithoutAnyPrinterWritesNothing) {
  Register(u"Tevoran", u"ann", 1, 0);
  host->AddPrinter(u"Tevoran");
  printers.LoadCount = 1;
  printers.Load();
  const int writes = Writes();
  EXPECT_FALSE(printers.CheckPrintTo(u"Tevoran", u"ann", 3));
  EXPECT_EQ(Writes(), writes);
  EXPECT_EQ(host->Signals, 0);
}

TEST_F(TPrintersFixture, CheckPrintToKeepsUsableAndReplacesVirtualDestinations) {
  Register(u"Tevoran", u"ann", 1, 0);
  Register(u"Tevoran1", u"ann", 1, 0);
  for (auto n : {u"Tevoran", u"Tevoran1", u"Laser", u"Ink"}) host->AddPrinter(n);
  host->Default = u"Tevoran";  // a virtual printer: the stored DefaultPrn decides
  machine.SetText(kConfig, u"defaultprn", u"Ink");
  machine.SetInteger(kConfig, u"makedefault", 1);
  printers.LoadCount = 1;
  printers.Load();
  printers.SetPrintToOfUser(u"Tevoran", u"ann", kPrintToWin, u"Laser");
  EXPECT_TRUE(printers.CheckPrintTo(u"Tevoran", u"ann", kPrintToWin));
  EXPECT_EQ(host->Signals, 0) << "a usable destination stays";

  printers.SetPrintToOfUser(u"Tevoran", u"ann", kPrintToWin, u"Tevoran1");
  EXPECT_TRUE(printers.CheckPrintTo(u"Tevoran", u"ann", kPrintToWin));
  std::u16string p;
  printers.GetPrintToOfUser(u"Tevoran", u"ann", p, kPrintToWin);
  EXPECT_EQ(p, u"Ink") << "a virtual printer is no destination";
  EXPECT_EQ(host->Signals, 1);
  EXPECT_EQ(host->Default, u"Tevoran") << "MakeDefault makes the virtual printer the default";
}

TEST_F(TPrintersFixture, RemoteSessionReChoosesOncePerObject) {
  Register(u"Tevoran", u"ann", 1, 0);
  for (auto n : {u"Tevoran", u"Laser", u"Ink"}) host->AddPrinter(n);
  host->Remote = true;
  host->Default = u"Ink";
  machine.SetInteger(kConfig, u"useprnauto", 1);
  printers.UserName = u"ann";
  printers.LoadCount = 1;
  printers.Load();  // remote: every load checks; this first check assigns
  printers.SetPrintToOfUser(u"Tevoran", u"ann", kPrintToWin, u"Laser");
  const int signals = host->Signals;
  EXPECT_TRUE(printers.CheckPrintTo(u"Tevoran", u"ann", kPrintToWin));
  std::u16string p;
  printers.GetPrintToOfUser(u"Tevoran", u"ann", p, kPrintToWin);
  EXPECT_EQ(p, u"Laser") << "already re-chosen by this object";
  EXPECT_EQ(host->Signals, signals);

  TPrinters second(host, machine, user);
  second.UserName = u"ann";
  second.LoadCount = 1;
  second.Load();
  second.GetPrintToOfUser(u"Tevoran", u"ann", p, kPrintToWin);
  EXPECT_EQ(p, u"Ink") << "a new object re-chooses a usable destination";
  EXPECT_EQ(Text(user, kConfig, u"DefaultPrn"), u"Ink");
}

TEST_F(TPrintersFixture, NewPrinterNames) {
  std::u16string name;
  printers.GetNewPrinterName(name);
  EXPECT_EQ(name, u"Tevoran") << "empty list";
  Register(u"Tevoran", u"", 1, 1);
  Register(u"Tevoran1", u"", 1, 1);
  host->AddPrinter(u"Tevoran");
  host->AddPrinter(u"Tevoran1");
  printers.LoadCount = 1;
  printers.Load();
  printers.GetNewPrinterName(name);
  EXPECT_EQ(name, u"Tevoran") << "MaxPrinterCount 1";
  machine.SetInteger(kConfig, u"maxprintercount", 255);
  printers.GetNewPrinterName(name);
  EXPECT_EQ(name, u"Tevoran2");
  host->System.erase(u"TEVORAN1");
  printers.GetNewPrinterName(name);
  EXPECT_EQ(name, u"Tevoran1") << "a listed printer that is missing is reinstalled first";
}

TEST_F(TPrintersFixture, NeedsInstall) {
  EXPECT_TRUE(printers.NeedsInstall(u"Tevoran")) << "empty list";
  host->AddPrinter(u"Found");
  machine.SetText(kConfig, u"printto", u"Common");
  EXPECT_FALSE(printers.NeedsInstall(u"Found")) << "an installed printer is registered";
  ASSERT_TRUE(printers.Contains(u"found"));
  EXPECT_EQ(machine.ReadInteger(u"Software\\Kavrel\\Client\\Config\\Printers\\Found", u"AllUsers", -99), 1);
  EXPECT_EQ(Text(machine, u"Software\\Kavrel\\Client\\Config\\Printers\\Found", u"PrintToWin"),
            u"Common");
  EXPECT_FALSE(printers.NeedsInstall(u"Nowhere")) << "neither listed nor installed, with others present";
}

TEST_F(TPrintersFixture, UsersAndPermissions) {
  Register(u"Own", u"ann", 1, 0);
  Register(u"All", u"ann", 1, 1);
  printers.Load();
  printers.UserName = u"bob";
  EXPECT_FALSE(printers.IsAllowed(u"Own"));
  EXPECT_TRUE(printers.IsAllowed(u"All"));
  EXPECT_FALSE(printers.IsAllowed(u"None"));
  host->Admin = true;
  EXPECT_TRUE(printers.IsAllowed(u"Own"));
  EXPECT_TRUE(printers.IsPrinterOfUser(u"own", u"ANN"));
  EXPECT_FALSE(printers.IsPrinterOfUser(u"Own", u"bob"));
  bool all = false;
  std::u16string user = u"unchanged";
  printers.GetPrinterUser(u"None", all, user);
  EXPECT_EQ(user, u"unchanged");
  printers.GetPrinterUser(u"All", all, user);
  EXPECT_TRUE(all);
  EXPECT_EQ(user, u"bob");
}

TEST_F(TPrintersFixture, RemovalRestoresTheDefaultPrinter) {
  Register(u"Tevoran", u"", 1, 1);
  Register(u"Gone", u"", 1, 1);
  host->AddPrinter(u"Tevoran");
  host->AddPrinter(u"Laser");
  host->Default = u"Tevoran";
  machine.SetText(kConfig, u"defaultprn", u"Laser");
  user.SetText(kConfig, u"defaultprn", u"Laser");
  printers.LoadCount = 1;
  printers.Load();
  EXPECT_EQ(printers.RemoveSystemPrinter(5), -1);
  EXPECT_EQ(printers.RemoveSystemPrinter(1), 0) << "a missing printer counts as removed";
  EXPECT_EQ(printers.Remove(0), 0);
  EXPECT_EQ(host->Default, u"Laser");
  EXPECT_EQ(Text(machine, kConfig, u"DefaultPrn"), u"<none>");
  EXPECT_EQ(Text(user, kConfig, u"DefaultPrn"), u"<none>");
  ASSERT_EQ(printers.Count(), 1);
  EXPECT_EQ(printers.Items[0].Name, u"Gone");
}

TEST_F(TPrintersFixture, DosPrinter) {
  Register(u"A", u"", 3, 1);
  Register(u"B", u"", 1, 1);
  printers.Load();
  EXPECT_FALSE(printers.IsDosPrinter(u"A")) << "UseDOS off";
  printers.SetDosPrinter(u"B", true);
  EXPECT_TRUE(printers.IsUseDOSSet());
  EXPECT_FALSE(printers.IsDosPrinter(u"A"));
  EXPECT_TRUE(printers.IsDosPrinter(u"B"));
  EXPECT_TRUE(printers.IsDosPrinter(u"Unlisted"));
  std::u16string name;
  printers.GetDosPrinter(name);
  EXPECT_EQ(name, u"B");
  EXPECT_EQ(machine.ReadInteger(u"Software\\Kavrel\\Client\\Config\\Printers\\A", u"PrinterType", -99), 1);
}

TEST_F(TPrintersFixture, RefreshListsOtherPrinters) {
  Register(u"Tevoran", u"", 1, 1);
  for (auto n : {u"Laser", u"Tevoran", u"Ink"}) host->AddPrinter(n);
  ASSERT_TRUE(printers.Refresh());
  EXPECT_EQ(printers.AllPrinters.CommaText(), u"Laser,Tevoran,Ink");
  EXPECT_EQ(printers.OtherPrinters.CommaText(), u"Laser,Ink");
  host->ListFails = true;
  EXPECT_FALSE(printers.Refresh());
  EXPECT_EQ(printers.AllPrinters.Count(), 0);
}

TEST_F(TPrintersFixture, LateListingIsNotTaken) {
  host->AddPrinter(u"Laser");
  host->ListDelayMs = 300;
  {
    TPrinters shortLived(host, machine, user);
    EXPECT_FALSE(shortLived.Refresh(20));
    EXPECT_EQ(shortLived.AllPrinters.Count(), 0);
  }
  // The late worker ends after the list is gone and writes only into its own record.
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
}
