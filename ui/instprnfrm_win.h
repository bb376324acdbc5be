// The printer installation wizard's window (seven pages over one another, one shown at a time), its
// entry point InstallVirtualPrinter, and the system's Add Printer wizard.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "foundation/lib_handle_win.h"
#include "foundation/lib_str_lists.h"
#include "ui/forms_win.h"
#include "ui/instprnfrm.h"
#include "ui/instprnthread_win.h"

class TClientApplication;
class TLogFile;

// What the wizard starts outside itself; tests replace them (a member left empty keeps its default).
struct TInstPrnHooks {
  // A child program's command line ("Client.exe /ConfigWin"), started shown and not waited for.
  std::function<void(const std::string& commandLine)> StartChild;
  // The system's Add Printer wizard; true when the shell took the request.
  std::function<bool(HWND owner)> AddPrinterDialog;
};
void SetInstPrnHooks(TInstPrnHooks hooks);

// The wizard. One instance per process, reused by every call of InstallVirtualPrinter.
class TInstPrnFrm : public TForm {
 public:
  static constexpr UINT_PTR kTimer = 1;
  static constexpr UINT kTimerMs = 150;

  TInstPrnFrm();
  ~TInstPrnFrm() override;

  // Given before the form is shown; the preparation reads them.
  TClientApplication* App = nullptr;
  TLogFile* Log = nullptr;
  uint8_t Components = 0;
  std::u16string GivenPrinterName;
  std::u16string GivenUserName;
  bool AllowRunConfig = true;
  bool CallerRunConfig = false;

  bool RunConfig = false;
  int32_t ProgressStep = 1;
  bool WizardResult = false;
  bool FromPrinterEditor = false;
  std::u16string PortName;
  std::u16string DriverName;
  std::u16string DestPrinter;
  int32_t InstallStatus = isRunning;
  TWideStringArray DriverNames{8};
  TWideStringArray PortNames{8};
  std::u16string DriverDir;
  std::u16string ModelDriverName;
  std::u16string PrinterName;
  std::u16string OwnerUserName;
  std::vector<std::string> DriverFiles;
  std::u16string RecommendedPort;
  std::u16string ProgramDir;  // where the driver pack folder lies

  int Page() const { return page_; }
  // Shows the page with its step texts (the demo's pictures show each page so).
  void ShowPage(int page);
  bool WorkerRunning() const { return worker_.Running(); }

 protected:
  void OnCreate() override;
  void OnShown() override;
  void OnClose() override;
  void OnCommand(int id, int code) override;
  void OnTimer(UINT_PTR id) override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override;

 private:
  void Prepare();
  void EnableControl(int id, bool enabled);
  bool Checked(int id) const;
  void SetChecked(int id, bool checked);
  void NextClick();
  void BackClick();
  void FinishClick();
  bool StartInstallThread();
  void FinishInstallStep(int32_t status);
  void FillUserList();
  void FillPortList();
  void FillDestinationList();
  void FillDriverList();
  void RefreshLists();
  void EnableNextByList();
  void ApplyAllUsersRule();
  void AllUsersClick();
  void AddPrinterClick();
  TWizardRoute Route() const;

  TInstallWorker worker_;
  int page_ = wpWelcome;
  bool skipPortPage_ = false;
  bool refreshPending_ = false;
  // The entries beside the combo boxes: a selection is taken from here, never from a joined text.
  std::vector<std::u16string> destinations_;
  std::vector<std::u16string> drivers_;
  std::vector<std::u16string> ports_;
  TGdiObject logo_;
};

// The wizard: runs inside a settings form when the process has one, else as the process's own
// window under the lock "Tevoran Printer Install" (a second wizard brings the first forward and
// ends). True when a printer was installed; printerName becomes the name used and runConfig whether
// the user asked for the printer settings afterwards.
bool InstallVirtualPrinter(TClientApplication& app, std::u16string& printerName, bool allowRunConfig,
                           bool& runConfig, TLogFile& log, uint8_t components);

// The Add Printer item of the system's Printers folder, started through the shell.
class TAddPrinterDialog {
 public:
  explicit TAddPrinterDialog(HWND owner) : owner_(owner) {}
  // True when the shell accepted the request; false when any step fails (no such item, too).
  bool Execute();

 private:
  HWND owner_;
};
