// The installation wizard driven by window messages under Wine on the stand-in spooler: the pages and
// the name check, a printer added while the wizard is open, an installation with the finish actions,
// a driver failure leading back with the advanced choice, the abort while a stage runs, the second
// wizard and the held lock, and the system's Add Printer item that Wine lacks.
#include "ui/instprnfrm_win.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <mutex>

#include "foundation/cl_tools_app_win.h"
#include "foundation/cl_tools_cfgkey_win.h"
#include "foundation/lib_api_win.h"
#include "foundation/lib_prn_win.h"
#include "foundation/lib_reg_win.h"
#include "foundation/lib_unicode_win.h"
#include "foundation/os_win32_win.h"
#include "support/coder_fakes.h"
#include "support/prn_test_support.h"
#include "ui/frmlib_win.h"
#include "ui/instprnfrm_res.h"

namespace {

constexpr std::u16string_view kPsDriver = u"Wine PostScript Driver";

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Boxes answered by the test: Yes or No for questions, OK for the rest.
struct TBoxes {
  std::mutex Lock;
  std::vector<std::u16string> Texts;
  int Answer = IDNO;
  TBoxes() {
    SetMessageBoxHook([this](const TMessageBoxRequest& r) {
      std::lock_guard guard(Lock);
      Texts.push_back(r.Text);
      return (r.Flags & MB_YESNO) ? Answer : IDOK;
    });
  }
  ~TBoxes() { SetMessageBoxHook(nullptr); }
  size_t Count() {
    std::lock_guard guard(Lock);
    return Texts.size();
  }
  bool Shown(std::u16string_view text) {
    std::lock_guard guard(Lock);
    for (const auto& t : Texts)
      if (t.find(text) != std::u16string::npos) return true;
    return false;
  }
};

struct TWizardRig {
  TStandInScope spooler{u"instprnfrm"};
  TClientApplication app;
  TMemoryLog log;
  TBoxes boxes;
  std::vector<std::string> children;
  std::unique_ptr<TInstPrnFrm> form = std::make_unique<TInstPrnFrm>();

  explicit TWizardRig(uint8_t components = 3) {
    app.Printers->Refresh();
    SetInstPrnHooks({[this](const std::string& line) { children.push_back(line); }, [](HWND) { return false; }});
    form->App = &app;
    form->Log = log;
    form->Components = components;
    form->GivenPrinterName = u"Tevoran Wizard";
    form->GivenUserName = app.Printers->UserName;
    EXPECT_TRUE(form->ShowModeless());
    Pump();
  }
  ~TWizardRig() {
    form.reset();
    SetInstPrnHooks({});
    SetInstallHooks({});
    for (const std::u16string name : {u"Tevoran Wizard", u"Tevoran Abort"}) {
      const int32_t index = app.Printers->IndexOf(name);
      if (index >= 0) app.Printers->DeleteKey(index);
    }
  }
  HWND Wnd() const { return form->Handle(); }
  HWND Item(int id) const { return GetDlgItem(Wnd(), id); }
  std::u16string Text(int id) const { return WindowTextOf(Item(id)); }
  bool Visible(int id) const { return IsWindowVisible(Item(id)) != FALSE; }
  bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
  void Click(int id) {
    SendMessageW(Wnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Item(id)));
    Pump();
  }
  void Check(int id) {
    SendMessageW(Item(id), BM_SETCHECK, BST_CHECKED, 0);
    Click(id);
  }
  void SelectEntry(int id, std::u16string_view text) {
    const std::u16string copy(text);
    SendMessageW(Item(id), CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(WStr(copy)));
  }
  int ComboCount(int id) const { return int(SendMessageW(Item(id), CB_GETCOUNT, 0, 0)); }
  // Lets the worker end (its label writes are sends to this thread), then the timer's tick.
  void FinishWorker() {
    const DWORD start = GetTickCount();
    while (form->WorkerRunning() && GetTickCount() - start < 30000) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
      Pump();
    }
    KillTimer(Wnd(), TInstPrnFrm::kTimer);
    SendMessageW(Wnd(), WM_TIMER, TInstPrnFrm::kTimer, 0);
    Pump();
  }
  void GoToDestinationPage(std::u16string_view name = u"Tevoran Wizard") {
    Click(IDC_IP_BNEXT);
    SetWindowTextW(Item(IDC_IP_EPRNNAME), WStr(std::u16string(name)));
    Click(IDC_IP_BNEXT);
    if (form->Page() == wpPort) Click(IDC_IP_BNEXT);
  }
};

}  // namespace

TEST(InstPrnFrmWin, PagesNameCheckAndBack) {
  TWizardRig rig;
  EXPECT_EQ(rig.Text(IDC_IP_LTITLE), u"Установка виртуального принтера Tevoran");
  EXPECT_TRUE(rig.Visible(IDC_IP_LABT1));
  EXPECT_FALSE(rig.Visible(IDC_IP_EPRNNAME));
  EXPECT_FALSE(rig.Enabled(IDC_IP_BBACK));
  rig.Click(IDC_IP_BNEXT);
  EXPECT_EQ(rig.form->Page(), wpName);
  EXPECT_EQ(rig.Text(IDC_IP_EPRNNAME), u"Tevoran Wizard");
  SetWindowTextW(rig.Item(IDC_IP_EPRNNAME), L"Client Test PS");
  rig.Click(IDC_IP_BNEXT);
  EXPECT_EQ(rig.form->Page(), wpName);
  EXPECT_TRUE(rig.boxes.Shown(u"Принтер Client Test PS уже существует"));
  SetWindowTextW(rig.Item(IDC_IP_EPRNNAME), L"Tevoran Wizard");
  rig.Click(IDC_IP_BNEXT);
  EXPECT_EQ(rig.form->Page(), wpPort) << "the DOS component wants the port";
  EXPECT_EQ(rig.Text(IDC_IP_LSTEP), u"Компьютер контактирует с принтерами через порты");
  rig.Click(IDC_IP_BNEXT);
  EXPECT_EQ(rig.form->Page(), wpDestination);
  EXPECT_GT(rig.ComboCount(IDC_IP_CPRNTO), 0);
  rig.Click(IDC_IP_BBACK);
  EXPECT_EQ(rig.form->Page(), wpPort);
  rig.Click(IDC_IP_BBACK);
  rig.Click(IDC_IP_BBACK);
  EXPECT_EQ(rig.form->Page(), wpWelcome);
  EXPECT_FALSE(rig.Enabled(IDC_IP_BBACK));
}

TEST(InstPrnFrmWin, WindowsOnlySkipsThePortPageAndSeesAnAddedPrinter) {
  RegWriteIntegerW(HKEY_LOCAL_MACHINE, u"Software\\Kavrel\\Client\\ConfigDos", u"UseDOS", 0);
  TWizardRig rig(1);
  rig.GoToDestinationPage();
  EXPECT_EQ(rig.form->Page(), wpDestination);
  rig.Click(IDC_IP_BBACK);
  EXPECT_EQ(rig.form->Page(), wpName) << "back past the skipped port page";
  rig.Click(IDC_IP_BNEXT);
  const int before = rig.ComboCount(IDC_IP_CPRNTO);
  ASSERT_TRUE(rig.spooler.StandIn->AddStandInPrinter(StandInPrinter(u"Client Test Added")));
  SendMessageW(rig.Wnd(), WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"devices"));
  Pump();
  EXPECT_EQ(rig.ComboCount(IDC_IP_CPRNTO), before + 1);
  EXPECT_GE(SendMessageW(rig.Item(IDC_IP_CPRNTO), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                         reinterpret_cast<LPARAM>(L"Client Test Added")),
            0);
  rig.Click(IDC_IP_BADDPRINTER);
  EXPECT_TRUE(rig.Enabled(IDC_IP_BNEXT));
}

TEST(InstPrnFrmWin, InstallsWithAChosenDriverAndRunsTheFinishActions) {
  TWizardRig rig;
  std::u16string oldDefault;
  GetDefaultPrinterName(oldDefault);
  rig.GoToDestinationPage();
  rig.SelectEntry(IDC_IP_CPRNTO, u"Client Test PS");
  rig.Check(IDC_IP_CADV1);
  rig.Click(IDC_IP_BNEXT);
  ASSERT_EQ(rig.form->Page(), wpDriver);
  EXPECT_EQ(rig.Text(IDC_IP_CDRIVERS), kPsDriver) << "the destination's driver proposed";
  rig.Click(IDC_IP_BNEXT);
  EXPECT_EQ(rig.form->Page(), wpProgress);
  EXPECT_FALSE(rig.Enabled(IDC_IP_BBACK));
  rig.FinishWorker();
  ASSERT_EQ(rig.form->Page(), wpFinished);
  EXPECT_EQ(rig.Text(IDC_IP_BNEXT), u"Готово");
  EXPECT_FALSE(rig.Enabled(IDC_IP_BCANCEL));
  std::string environment;
  GetPrinterEnvironmentName(environment);
  EXPECT_EQ(rig.Text(IDC_IP_LDRVINSTALLED), u"Wine PostScript Driver [" + AnsiToWide(environment) + u"]");
  EXPECT_EQ(rig.Text(IDC_IP_LPRNNAMEINST), u"Tevoran Wizard");
  EXPECT_EQ(rig.Text(IDC_IP_LPRNTO), u"Client Test PS");
  TStandInPrinter made;
  ASSERT_TRUE(rig.spooler.StandIn->ReadStandInPrinter(u"Tevoran Wizard", made));
  EXPECT_TRUE(made.Paused());

  rig.Check(IDC_IP_CMAKEDEF);
  rig.Check(IDC_IP_CCFGWIN);
  rig.Check(IDC_IP_CCFGDOS);
  rig.Click(IDC_IP_BNEXT);
  EXPECT_TRUE(rig.form->Closed());
  EXPECT_TRUE(rig.form->WizardResult);
  EXPECT_TRUE(rig.form->RunConfig);
  EXPECT_EQ(rig.children, (std::vector<std::string>{"Client.exe /ConfigWin", "Client.exe /ConfigDos"}));
  std::u16string saved;
  RegReadString(HKEY_LOCAL_MACHINE, ActiveConfigKey(), u"DefaultPrn", saved, u"?");
  EXPECT_EQ(saved, oldDefault);
  if (!oldDefault.empty()) SetDefaultPrinterName(oldDefault);
  EXPECT_GE(rig.app.Printers->IndexOf(u"Tevoran Wizard"), 0);
}

TEST(InstPrnFrmWin, DriverFailureLeadsBackWithTheAdvancedChoice) {
  TWizardRig rig;
  rig.GoToDestinationPage();
  rig.Click(IDC_IP_BNEXT);  // the program's driver: Wine's driver store is missing
  rig.FinishWorker();
  EXPECT_EQ(rig.form->Page(), wpDestination);
  EXPECT_EQ(SendMessageW(rig.Item(IDC_IP_CADV1), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_TRUE(rig.Enabled(IDC_IP_BNEXT));
  EXPECT_TRUE(rig.Enabled(IDC_IP_BBACK));
  bool logged = false;
  for (const auto& line : rig.log.Lines)
    logged = logged || line.find(u"Произошла ошибка при установке драйвера \"Tevoran Printer Driver\".\r\n") == 0;
  EXPECT_TRUE(logged);
  EXPECT_GT(rig.ComboCount(IDC_IP_CDRIVERS), 0) << "refilled for another choice";
}

namespace {
HANDLE gStageGate = nullptr;
}

TEST(InstPrnFrmWin, AbortDuringAStageClosesAtOnceAndTheStageEndsInTheBackground) {
  TWizardRig rig;
  TKernelHandle gate(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  TKernelHandle entered(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  gStageGate = gate.Get();
  const HANDLE enteredEvent = entered.Get();
  SetInstallHooks({[enteredEvent](const std::u16string&) {
                     SetEvent(enteredEvent);
                     WaitForSingleObject(gStageGate, 30000);
                     return 0u;
                   },
                   nullptr});
  rig.GoToDestinationPage(u"Tevoran Abort");
  rig.Click(IDC_IP_BNEXT);
  // The worker's label writes are sends to this thread: wait pumping.
  const DWORD waitStart = GetTickCount();
  while (WaitForSingleObject(enteredEvent, 0) != WAIT_OBJECT_0 && GetTickCount() - waitStart < 30000) {
    MsgWaitForMultipleObjects(1, &enteredEvent, FALSE, 20, QS_ALLINPUT);
    Pump();
  }
  ASSERT_EQ(WaitForSingleObject(enteredEvent, 0), WAIT_OBJECT_0);
  rig.boxes.Answer = IDNO;
  rig.Click(IDC_IP_BCANCEL);
  EXPECT_FALSE(rig.form->Closed()) << "No goes on";
  EXPECT_TRUE(rig.boxes.Shown(u"Запущен процесс установки принтера.\r\nВы уверены, что хотите прервать процесс установки?"));
  rig.boxes.Answer = IDYES;
  rig.Click(IDC_IP_BCANCEL);
  EXPECT_TRUE(rig.form->Closed()) << "closed while the stage still runs";
  EXPECT_TRUE(rig.form->WorkerRunning());
  EXPECT_EQ(rig.log.Lines.back(), u"Установка прервана по требованию пользователя");
  SetEvent(gate.Get());
  const DWORD start = GetTickCount();
  while (rig.form->WorkerRunning() && GetTickCount() - start < 30000) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    Pump();
  }
  EXPECT_FALSE(rig.form->WorkerRunning());
  EXPECT_FALSE(rig.spooler.StandIn->IsStandInPrinter(u"Tevoran Abort")) << "nothing after the stage";
}

TEST(InstPrnFrmWin, ASecondWizardOrAHeldLockEndsAtOnce) {
  TWizardRig rig;
  std::u16string name = u"Tevoran Second";
  bool runConfig = false;
  EXPECT_FALSE(InstallVirtualPrinter(rig.app, name, true, runConfig, rig.log.file, 3)) << "the first one is shown";
  rig.form.reset();
  Pump();
  TInstanceLock lock("Tevoran Printer Install", true, 1);
  ASSERT_TRUE(lock.Held());
  EXPECT_FALSE(InstallVirtualPrinter(rig.app, name, true, runConfig, rig.log.file, 3));
  EXPECT_EQ(name, u"Tevoran Second");
}

TEST(InstPrnFrmWin, WineHasNoAddPrinterItem) {
  const HWND desktop = GetDesktopWindow();
  EXPECT_FALSE(TAddPrinterDialog(desktop).Execute());
}
