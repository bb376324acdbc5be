// The monitor's hidden main window TFormVirtPrinter: the application's window, and in an interactive
// monitor the tray icon with its menu (settings programs, destination printers of the virtual printer,
// About box, quit). Also the four launchers of the settings programs and the About box with the
// document types' parameters.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "foundation/cl_tools_app_win.h"
#include "monitor/extctrls2_win.h"
#include "monitor/monitwin.h"
#include "ui/menumodel_win.h"
#include "ui/styledmenu_win.h"

// Posted by the printer monitor's update callback: the printer list was reloaded, rebuild the menu.
inline constexpr UINT WM_TRAYMENUREBUILD = WM_APP + 111;

// Runs the monitor window until it closes; result 0, or 1 when the window could not run. The context's
// printer monitor thread (created suspended) is resumed.
void RunMonitorWindow(TMonitorContext& context, int32_t& result);

// The settings programs, each started as a new process of the program, not waited for; a process that
// cannot start is not reported.
void LaunchConfig();
void LaunchConfigWin();
void LaunchConfigDos();
void LaunchConfigDirDos();
// Starts a launcher's command line; empty: the product's RunProcess. Tests see the command line.
using TLaunchProcess = std::function<void(const std::u16string& commandLine)>;
void SetLaunchProcess(TLaunchProcess launch);

// The About box over owner with the document types' parameters of the configuration key.
void ShowAboutWithParams(std::u16string_view configKey, HWND owner);

// What the printer monitor's callback reaches: the window while it lives, nothing after.
struct TTrayMenuTarget {
  std::atomic<HWND> Window{nullptr};
};

class TFormVirtPrinter {
 public:
  // Creates the hidden window and sets it up for the context (none: a bare window).
  explicit TFormVirtPrinter(TMonitorContext* context);
  ~TFormVirtPrinter();
  TFormVirtPrinter(const TFormVirtPrinter&) = delete;
  TFormVirtPrinter& operator=(const TFormVirtPrinter&) = delete;

  HWND Handle() const { return wnd_; }
  // The form of a window of its class, nil for any other window.
  static TFormVirtPrinter* FromHandle(HWND wnd);

  // Asks for the destination submenus to be rebuilt (after the rebuild delay, on this window's thread).
  void RebuildTrayMenu();
  // Brings the application's window to the front and opens the menu at the cursor.
  void TrayIconClick();

  TMenu& Menu() { return pm_; }
  // The menu's HMENUs (nil when the window has no menu).
  TRealisedMenu* Realised() const { return realised_.get(); }
  TTrayIcon* TrayIcon() const { return tray_.get(); }
  const std::u16string& PrinterName() const { return printerName_; }
  // Rebuilds that held the lock and ran to their end (the submenus filled, hidden or left as they were).
  int Rebuilds() const { return rebuilds_.load(); }

 private:
  static bool RegisterWindowClass();
  static LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);
  void InitMonitorWindow();
  void BuildMenu();
  void RealiseMenu();
  void OnRebuildTimer();
  void MakePopup();
  void FillDestinations();
  void FillDestinationMenu(TMenuItem& submenu, uint8_t kind);
  void SelectDestination(uint8_t kind, const std::u16string& printer);
  void ShowAbout();
  void Quit();
  bool SettingChange(LPARAM lp);
  void FormClose();
  void Teardown();
  TClientApplication* App() const;

  TMonitorContext* context_;
  HWND wnd_ = nullptr;
  HICON icon_ = nullptr;
  TMenu pm_{TMenuKind::Popup};
  std::unique_ptr<TRealisedMenu> realised_;
  std::unique_ptr<TStyledMenu> styled_;
  std::unique_ptr<TTrayIcon> tray_;
  std::shared_ptr<TTrayMenuTarget> target_;
  TMenuItem* prnToW_ = nullptr;
  TMenuItem* prnToD_ = nullptr;
  TMenuItem* prnToF_ = nullptr;
  std::u16string printerName_;
  int failedTries_ = 0;
  bool menuOpen_ = false;
  std::atomic<int> rebuilds_{0};
};
