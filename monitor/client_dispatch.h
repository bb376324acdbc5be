// The command table of the program: which role a command letter and the switch words select.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class TClientRole : uint8_t {
  Monitor,              // StartMonitor without the service flag
  StartMonitor,         // StartMonitor with the service flag ("Start")
  QueueMonitor,         // RunQueueMonitor ("M", "Service")
  DosBatchOrConfig,     // batch DOS run, else RunDosConfig ("ConfigDos")
  DosBatchOrDirConfig,  // batch DOS run, else RunDirMonitorConfig ("ConfigDirDos")
  WinConfig,            // RunWinConfig ("ConfigWin")
  PrinterConfig,        // RunPrinterConfig with flag 1 (letter C)
  PrinterConfigIfNeeded,  // RunPrinterConfig with flag 1 when a virtual printer is missing (letter S)
  DeletePrinters,       // the companion library's DeletePrinter
  RegisterService,      // RunMonitService registers the service ("Install")
  Install,              // the installation run
  RegisterWin,
  RegisterDos,
  Support,
  CloseAllWindows,      // "S30"
  UninstallFile,        // "S27"
  ExpandTemplate,       // letter S with a second argument
  StopMonitor,          // StopMonitorService, then CloseAllWindows
  ServerConfig,
  UnregisterService,    // StopMonitorService, then RunMonitService removes the service ("UnInstall")
  Uninstall,
};

// What the letters I and U decide by.
struct TDispatchFacts {
  uint32_t Mask = 0;
  bool AsService = false;
  bool ServiceInstalled = false;
};

// args as the program sees them (element 0 is the program).
TClientRole ChooseClientRole(const std::vector<std::u16string>& args, const TDispatchFacts& facts);

// The steps of the installation run for a component mask.
struct TInstallPlan {
  uint32_t Mask = 0;  // 0 becomes 1
  bool RegisterWin = false;
  bool RegisterDos = false;
  bool RegisterService = false;
};
TInstallPlan PlanInstall(const TDispatchFacts& facts);

// Whether the installation run starts the monitor at its end.
bool StartsMonitorAfterInstall(uint32_t mask, bool winVersionValid, bool dosVersionValid);
