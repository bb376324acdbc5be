// The monitor's checks of the system under Wine: the spooler service runs, and the DOS printing check
// of a stand-in virtual printer through the spooler, the printer list, Wine's ports and answered boxes.
#include "monitor/cl_monitor_setup_win.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "foundation/lib_prn_printers_host_win.h"
#include "foundation/lib_prn_win.h"
#include "foundation/lib_unicode_win.h"
#include "support/memory_store.h"
#include "support/prn_test_support.h"

namespace {

const HWND kOwner = reinterpret_cast<HWND>(0x1234);

struct TShownBox {
  std::u16string Text, Caption;
  UINT Flags = 0;
  HWND Owner = nullptr;
};

// Boxes are answered from a script, never shown; the system facts may be the 9x family's with a DOS
// spool mask of the test's.
struct THookedSystem {
  std::vector<TShownBox> Boxes;
  std::deque<int> Answers;
  uint32_t Mask = 0;
  bool MaskWritten = false;
  explicit THookedSystem(bool winNT) {
    TPrnHooks hooks;
    hooks.MessageBox = [this](const std::u16string& text, const std::u16string& caption, UINT flags, HWND owner) {
      Boxes.push_back({text, caption, flags, owner});
      if (Answers.empty()) return IDNO;
      const int answer = Answers.front();
      Answers.pop_front();
      return answer;
    };
    if (!winNT) {
      hooks.System = [] { return TPrnSystemFacts{false, 4, 10, 0, false}; };
      hooks.ReadDword = [this](HKEY, const std::u16string&, const std::u16string& name, uint32_t& value) {
        value = Mask;
        return name == u"DOSSpoolMask";
      };
      hooks.WriteDword = [this](HKEY, const std::u16string&, const std::u16string& name, uint32_t value) {
        if (name == u"DOSSpoolMask") Mask = value, MaskWritten = true;
        return true;
      };
      hooks.ReadBinary = [](HKEY, const std::u16string&, const std::u16string&, std::vector<uint8_t>&) {
        return false;
      };
      hooks.WriteBinary = [](HKEY, const std::u16string&, const std::u16string&, const std::vector<uint8_t>&) {
        return true;
      };
    }
    SetPrnHooks(hooks);
  }
  ~THookedSystem() { SetPrnHooks({}); }
};

// The prefix's default printer is left alone: the check sees the virtual printer as the default one
// unless told otherwise. The system restart is only recorded.
class TSystemUnderTest : public TDosSetupSystemWin {
 public:
  using TDosSetupSystemWin::TDosSetupSystemWin;
  bool IsDefaultPrinter(std::u16string_view) override { return true; }
  int Restarts = 0;
};

class DosSetupOnStandIn : public ::testing::Test {
 protected:
  TStandInScope scope{u"monitor_setup_test"};
  const std::u16string printer = u"DOS принтер " + AnsiToWide(std::to_string(GetCurrentProcessId()));
  TMemoryStore machine, user;
  TPrinters list{CreateWindowsPrintersHost(), machine, user};

  void AddPrinter(const std::u16string& port) {
    ASSERT_TRUE(scope.StandIn->AddStandInPrinter(StandInPrinter(printer, port)));
    list.Items[list.Add(printer)].DosSide = true;
    list.SetUseDOS(true);
  }
  std::unique_ptr<TSystemUnderTest> System() {
    auto system = std::make_unique<TSystemUnderTest>(list, kOwner, machine, user);
    system->Restart = [s = system.get()] { ++s->Restarts; };
    return system;
  }
};

}  // namespace

TEST(SpoolerService, RunsUnderWine) { EXPECT_TRUE(EnsureSpoolerRunning()); }

TEST_F(DosSetupOnStandIn, ReadyOnTheLocalLptPortWithoutABox) {
  AddPrinter(u"LPT1:");
  THookedSystem hooked(true);
  auto system = System();
  EXPECT_TRUE(CheckDosPrintingSetup(*system, printer));
  EXPECT_TRUE(hooked.Boxes.empty());
}

TEST_F(DosSetupOnStandIn, NotTheDefaultPrinterAndTheOwnerDeclines) {
  AddPrinter(u"LPT1:");
  THookedSystem hooked(true);
  EXPECT_FALSE(CheckDosPrintingSetup(list, printer, kOwner)) << "Wine's default printer is another one";
  ASSERT_EQ(hooked.Boxes.size(), 1u);
  EXPECT_EQ(hooked.Boxes[0].Text, u"Для обеспечения печати из приложений DOS, принтер\r\n\"" + printer +
                                      u"\" должен быть принтером по-умолчанию.\r\nСделать его принтером по-умолчанию?");
  EXPECT_EQ(hooked.Boxes[0].Caption, u"Внимание!");
  EXPECT_EQ(hooked.Boxes[0].Flags, UINT(MB_YESNO | MB_ICONQUESTION));
  EXPECT_EQ(hooked.Boxes[0].Owner, kOwner);
}

TEST_F(DosSetupOnStandIn, AFilePortGetsBothErrorBoxes) {
  AddPrinter(u"FILE:");
  THookedSystem hooked(true);
  auto system = System();
  EXPECT_FALSE(CheckDosPrintingSetup(*system, printer));
  ASSERT_EQ(hooked.Boxes.size(), 2u);
  EXPECT_EQ(hooked.Boxes[0].Text, u"Для обеспечения печати из приложений DOS, принтер\r\n\"" + printer +
                                      u"\" должен быть на локальном LPT-порту.");
  EXPECT_EQ(hooked.Boxes[0].Owner, nullptr);
  EXPECT_EQ(hooked.Boxes[1].Text, u"В качестве порта для печати принтера \"" + printer +
                                      u"\" выбран FILE:.\r\nДля обеспечения печати из приложений DOS должен быть "
                                      u"выбран локальный LPT- или COM-порт");
  EXPECT_EQ(hooked.Boxes[1].Caption, u"Ошибка!");
  EXPECT_EQ(hooked.Boxes[1].Owner, kOwner);
}

TEST_F(DosSetupOnStandIn, NineXQueueSwitchedOnAndTheRestartStaysBehindItsSeam) {
  AddPrinter(u"LPT1:");
  THookedSystem hooked(false);
  hooked.Answers = {IDYES, IDYES};
  auto system = System();
  EXPECT_FALSE(CheckDosPrintingSetup(*system, printer)) << "a restart asked for answers false";
  ASSERT_EQ(hooked.Boxes.size(), 2u);
  EXPECT_NE(hooked.Boxes[0].Text.find(u"Очередь для заданий печати DOS"), std::u16string::npos);
  EXPECT_NE(hooked.Boxes[1].Text.find(u"перезагрузить компьютер"), std::u16string::npos);
  EXPECT_TRUE(hooked.MaskWritten);
  EXPECT_EQ(hooked.Mask, 1u) << "LPT1 is bit 0";
  EXPECT_EQ(system->Restarts, 1);
}

TEST_F(DosSetupOnStandIn, APrinterWithoutTheDosSideIsNotReady) {
  AddPrinter(u"LPT1:");
  list.Items[list.IndexOf(printer)].DosSide = false;
  THookedSystem hooked(true);
  auto system = System();
  EXPECT_FALSE(CheckDosPrintingSetup(*system, printer));
  EXPECT_FALSE(CheckDosPrintingSetup(*system, u"No such printer"));
  EXPECT_TRUE(hooked.Boxes.empty());
}
