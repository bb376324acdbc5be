// The program's start at the Windows edge: RunClient, the configuration roles and the installation run.
#include "monitor/client_dispatch_win.h"

#include <memory>
#include <optional>

#include "foundation/cl_tools_broadcast_win.h"
#include "foundation/cl_tools_cfgcheck_win.h"
#include "foundation/cl_tools_cfgkey_win.h"
#include "foundation/cl_tools_config_win.h"
#include "foundation/cl_tools_regimport_win.h"
#include "foundation/lib_api_win.h"
#include "foundation/lib_file_win.h"
#include "foundation/lib_log_win.h"
#include "foundation/lib_prn_win.h"
#include "foundation/lib_reg_win.h"
#include "foundation/lib_security_win.h"
#include "foundation/lib_sysinfo_win.h"
#include "foundation/lib_unicode_win.h"
#include "foundation/os_win32_process_win.h"
#include "foundation/os_win32_win.h"
#include "monitor/cl_monitor_setup_win.h"
#include "monitor/client_dispatch.h"
#include "ui/instprnthread_win.h"

namespace {

const std::u16string kKavrelKey = u"Software\\Kavrel";

void LogNotAvailable(TClientApplication& app, std::string_view what) {
  if (app.Context.Log) app.Context.Log->Add(std::string(what) + " not available");
}

bool CheckSidesStrict(uint8_t mask) {
  if ((mask & kModeWin) && !CheckConfiguration(kProductWin, false, true)) return false;
  if ((mask & kModeDos) && !CheckConfiguration(kProductDos, false, true)) return false;
  return true;
}

// The steps RunPrinterConfig and RunServerConfig share; run calls the dialog or wizard with the log.
bool RunSettingsRole(TClientApplication& app, std::string_view startLine, const std::function<bool(TLogFile&)>& run) {
  EnsureSpoolerRunning();
  OpenFirstSpoolDirToEveryone(app);
  OpenRegistryTreeToEveryone(HKEY_LOCAL_MACHINE, kKavrelKey);
  OpenRegistryTreeToEveryone(HKEY_CURRENT_USER, kKavrelKey);
  if ((app.ComponentMask & (kModeWin | kModeDos)) == 0 || !CheckSidesStrict(app.ComponentMask)) return false;
  std::unique_ptr<TLogFile> log = CreateApplicationLog(kConfigKey, false);
  log->ReportStarted(false);
  log->ReportDebugInfo();
  WarnIfMachineKeyReadOnly(std::u16string(kConfigKey));
  log->Add(startLine);
  ClearConfigRunOnce();
  const bool result = run(*log);
  log->ReportClosed(false, false);
  log->Close();
  return result;
}

// A settings role already running elsewhere: its window comes forward and this process ends quietly.
// Inside a remote desktop connection the lock is the session's own.
bool TakeSettingsLock(std::optional<TInstanceLock>& lock, const char* lockName, std::u16string_view windowTitle,
                      bool retry) {
  lock.emplace(lockName, !IsRemoteSession(), 1);
  if (lock->Held()) return true;
  ActivateWindowByTitle(WideToAnsi(windowTitle), retry);
  return false;
}

int32_t RunSideConfig(const TClientRoles& roles, bool retry, bool dos) {
  SetProgramTitle(dos ? kProgramTitleDos : kProgramTitle);
  std::optional<TInstanceLock> lock;
  if (!TakeSettingsLock(lock, dos ? "DOS: Mutex for Tevoran configuration" : "Win: Mutex for Tevoran configuration",
                        dos ? u"Настройка Tevoran-Клиент для DOS" : u"Настройка Tevoran-Клиент", retry)) {
    return 0;
  }
  TAppInUse app;
  if (!CheckConfiguration(dos ? kProductDosDirs : kProductWin, true, false)) return 0;
  OpenFirstSpoolDirToEveryone(*app);
  OpenRegistryTreeToEveryone(HKEY_LOCAL_MACHINE, kKavrelKey);
  WarnIfMachineKeyReadOnly(std::u16string(dos ? kConfigDosKey : kConfigKey));
  const auto& dialog = dos ? roles.DosConfigDialog : roles.WinConfigDialog;
  if (dialog) {
    dialog();
  } else {
    LogNotAvailable(*app, dos ? "RunDosConfig: DOS settings dialog" : "RunWinConfig: Windows settings dialog");
  }
  return 1;
}

bool NeedsPrinterInstall(TClientApplication& app) {
  std::u16string name;
  app.Printers->GetNewPrinterName(name);
  return app.Printers->NeedsInstall(name);
}

void StartChild(const std::string& arguments) {
  const TKernelHandle process(RunProcessA(std::string(kChildProgramName) + " " + arguments, false));
}

void RunInstallation(TClientApplication& app, const TClientRoles& roles) {
  const TInstallPlan plan =
      PlanInstall({app.ComponentMask, app.AsService, IsMonitServiceInstalled()});
  if (app.ComponentMask == 0) {
    app.ComponentMask = static_cast<uint8_t>(plan.Mask);
    app.WinOrDosFlag = true;
  }
  if (plan.RegisterWin) RegisterWinConfig();
  if (plan.RegisterDos) {
    RegisterDosConfig();
    OpenFirstSpoolDirToEveryone(app);
  }
  if (plan.RegisterService) {
    StartChild("/Install /Silent");
    for (int poll = 0; poll < 50 && !IsMonitServiceInstalled(); ++poll) Sleep(100);
  }
  if (!RunServerConfig(roles)) return;
  if (NeedsPrinterInstall(app)) RunPrinterConfig(roles, 0);
  if (StartsMonitorAfterInstall(app.ComponentMask, IsWinConfigVersionValid(), IsDosConfigVersionValid())) {
    StartChild("/Start");
  }
}

std::string ArgumentA(const std::vector<std::u16string>& args, size_t index) {
  return index < args.size() ? WideToAnsi(args[index]) : std::string();
}

template <class Fn, class... Args>
void CallInstaller(TClientApplication& app, Fn fn, const char* name, Args... args) {
  if (fn) {
    fn(args...);
  } else {
    LogNotAvailable(app, std::string("RunClient: ") + name);
  }
}

template <class Fn, class... Args>
void CallRole(TClientApplication& app, const std::function<Fn>& fn, const char* name, Args&&... args) {
  if (fn) {
    fn(std::forward<Args>(args)...);
  } else {
    LogNotAvailable(app, std::string("RunClient: ") + name);
  }
}

void Dispatch(TClientApplication& app, const TClientRoles& roles, const TInstallerFunctions& installer,
              const std::vector<std::u16string>& args) {
  const TClientRole role = ChooseClientRole(args, {app.ComponentMask, app.AsService, IsMonitServiceInstalled()});
  switch (role) {
    case TClientRole::Monitor:
      CallRole(app, roles.StartMonitor, "StartMonitor", false);
      break;
    case TClientRole::StartMonitor:
      CallRole(app, roles.StartMonitor, "StartMonitor", true);
      break;
    case TClientRole::QueueMonitor:
      CallRole(app, roles.RunQueueMonitor, "RunQueueMonitor");
      break;
    case TClientRole::DosBatchOrConfig:
    case TClientRole::DosBatchOrDirConfig: {
      bool batch = false;
      if (roles.ProcessDosCommandLine) {
        batch = roles.ProcessDosCommandLine(app);
      } else {
        LogNotAvailable(app, "RunClient: ProcessDosCommandLine");
      }
      if (batch) break;
      if (role == TClientRole::DosBatchOrConfig) {
        RunDosConfig(roles, true);
      } else {
        RunDirMonitorConfig(roles);
      }
      break;
    }
    case TClientRole::WinConfig:
      RunWinConfig(roles, true);
      break;
    case TClientRole::PrinterConfig:
      RunPrinterConfig(roles, 1);
      break;
    case TClientRole::PrinterConfigIfNeeded:
      if (NeedsPrinterInstall(app)) RunPrinterConfig(roles, 1);
      break;
    case TClientRole::DeletePrinters:
      CallInstaller(app, installer.DeletePrinter, "DeletePrinter");
      break;
    case TClientRole::RegisterService:
      CallRole(app, roles.RunMonitService, "RunMonitService", app.Context);
      break;
    case TClientRole::Install:
      RunInstallation(app, roles);
      break;
    case TClientRole::RegisterWin:
      RegisterWinConfig();
      break;
    case TClientRole::RegisterDos:
      RegisterDosConfig();
      break;
    case TClientRole::Support:
      CallRole(app, roles.Support, "Support");
      break;
    case TClientRole::CloseAllWindows:
      CallInstaller(app, installer.CloseAllWindows, "CloseAllWindows");
      break;
    case TClientRole::UninstallFile: {
      const std::string file = ArgumentA(args, 2);
      CallInstaller(app, installer.TryUninstFileA, "TryUninstFileA", file.c_str());
      break;
    }
    case TClientRole::ExpandTemplate:
      ExpandProgramPlaceholders(args[2], ArgumentA(args, 3), ArgumentA(args, 4));
      break;
    case TClientRole::StopMonitor:
      CallRole(app, roles.StopMonitorService, "StopMonitorService");
      CallInstaller(app, installer.CloseAllWindows, "CloseAllWindows");
      break;
    case TClientRole::ServerConfig:
      RunServerConfig(roles);
      break;
    case TClientRole::UnregisterService:
      CallRole(app, roles.StopMonitorService, "StopMonitorService");
      CallRole(app, roles.RunMonitService, "RunMonitService", app.Context);
      break;
    case TClientRole::Uninstall:
      CallRole(app, roles.StopMonitorService, "StopMonitorService");
      CallInstaller(app, installer.Uninstall, "Uninstall");
      if (IsWinNT() && app.AsService && IsMonitServiceInstalled()) StartChild("/UnInstall /Silent");
      break;
  }
}

void RegisterSideConfig(const std::u16string& legacyKey, std::u16string_view key, uint8_t side) {
  CopyRegistryKey(HKEY_LOCAL_MACHINE, legacyKey, std::u16string(key), false);
  ImportConfigFiles(RegExportFilePath(side), std::u16string(key), u"Include", false);
  OpenRegistryTreeToEveryone(HKEY_LOCAL_MACHINE, std::u16string(key));
}

}  // namespace

void OpenFirstSpoolDirToEveryone(TClientApplication& app) {
  std::u16string printer;
  app.Printers->GetFirstPrinter(printer);
  if (printer.empty()) return;
  std::u16string dir;
  GetSpoolDirectory(printer, dir);
  if (!dir.empty()) OpenFileAclToEveryone(dir);
}

int RunClient(const TClientRoles& roles, const TInstallerFunctions& installer, const std::vector<std::u16string>& args) {
  SeedRandomGenerator();
  auto app = std::make_unique<TClientApplication>();
  SetClientApplication(app.get());
  if (!app->Start()) {
    ShowErrorMsgA(WideToAnsi(u"Ошибка при запуске приложения."));
    CloseMonitorWindow();
    SetClientApplication(nullptr);
    return 1;
  }
  Dispatch(*app, roles, installer, args);
  SetClientApplication(nullptr);
  return 0;
}

int32_t RunWinConfig(const TClientRoles& roles, bool retry) { return RunSideConfig(roles, retry, false); }
int32_t RunDosConfig(const TClientRoles& roles, bool retry) { return RunSideConfig(roles, retry, true); }

void RunDirMonitorConfig(const TClientRoles& roles) {
  SetProgramTitle(kProgramTitleDos);
  TAppInUse app;
  if (!CheckConfiguration(kProductDosDirs, true, false)) return;
  WarnIfMachineKeyReadOnly(std::u16string(kConfigDosKey));
  if (roles.DirMonitorDialog) {
    roles.DirMonitorDialog();
  } else {
    LogNotAvailable(*app, "RunDirMonitorConfig: watched-directory dialog");
  }
}

void RunPrinterConfig(const TClientRoles& roles, int32_t flag) {
  TAppInUse app;
  RunSettingsRole(*app, "Starting Printer Configuration", [&](TLogFile& log) {
    if (roles.PrinterSettingsDialog) {
      std::u16string printer;
      app->Printers->GetPrimaryPrinterName(printer);
      roles.PrinterSettingsDialog(*app, flag, printer, log, app->ComponentMask);
    } else {
      LogNotAvailable(*app, "RunPrinterConfig: virtual printer settings dialog");
    }
    return true;
  });
  app->Printers->SaveAll();
}

bool RunServerConfig(const TClientRoles& roles) {
  TAppInUse app;
  return RunSettingsRole(*app, "Starting Server Configuration", [&](TLogFile& log) {
    if (roles.ServerWizard) return roles.ServerWizard(*app, 1, app->ComponentMask, log);
    LogNotAvailable(*app, "RunServerConfig: server wizard");
    return false;
  });
}

void RegisterWinConfig() { RegisterSideConfig(u"Software\\Tevoran\\TevoranConfig", kConfigKey, kProductWin); }
void RegisterDosConfig() { RegisterSideConfig(u"Software\\Tevoran\\TevoranConfigDos", kConfigDosKey, kProductDos); }

bool IsWinConfigVersionValid() { return IsConfigVersionValid(std::u16string(kConfigKey)); }
bool IsDosConfigVersionValid() { return IsConfigVersionValid(std::u16string(kConfigDosKey)); }
