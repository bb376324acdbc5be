// The program's start: the command-line dispatcher RunClient and the start routines of the
// configuration roles. Roles built elsewhere plug into TClientRoles; an empty slot is written to the
// log as not available.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/cl_tools_app_win.h"

struct TClientRoles {
  std::function<void(bool serviceFlag)> StartMonitor;
  std::function<void()> RunQueueMonitor;
  std::function<void()> StopMonitorService;
  std::function<void(TMonitorContext& context)> RunMonitService;
  // False when the command line is no batch DOS run.
  std::function<bool(TClientApplication& app)> ProcessDosCommandLine;
  std::function<void()> Support;
  std::function<void()> WinConfigDialog;
  std::function<void()> DosConfigDialog;
  std::function<void()> DirMonitorDialog;
  std::function<void(TClientApplication& app, int32_t flag, const std::u16string& printer, TLogFile& log,
                     uint8_t mask)>
      PrinterSettingsDialog;
  std::function<bool(TClientApplication& app, int32_t value, uint8_t mask, TLogFile& log)> ServerWizard;
};

// The companion library's functions the program calls; nullptr until the library provides them.
struct TInstallerFunctions {
  void(__stdcall* DeletePrinter)() = nullptr;
  void(__stdcall* Uninstall)() = nullptr;
  void(__stdcall* CloseAllWindows)() = nullptr;
  void(__stdcall* TryUninstFileA)(const char* fileName) = nullptr;
};

// The first virtual printer's spool directory opened to everyone.
void OpenFirstSpoolDirToEveryone(TClientApplication& app);

// The program's file name for child processes: found in the program's own directory.
inline constexpr std::string_view kChildProgramName = "Client.exe";

// The process's exit code: 1 when the application could not start, else 0.
int RunClient(const TClientRoles& roles, const TInstallerFunctions& installer, const std::vector<std::u16string>& args);

// Start routines of the configuration roles; each uses the process's application object, or makes and
// starts one of its own for its run.
int32_t RunWinConfig(const TClientRoles& roles, bool retry);
int32_t RunDosConfig(const TClientRoles& roles, bool retry);
void RunDirMonitorConfig(const TClientRoles& roles);
void RunPrinterConfig(const TClientRoles& roles, int32_t flag);
bool RunServerConfig(const TClientRoles& roles);
void RegisterWinConfig();
void RegisterDosConfig();
bool IsWinConfigVersionValid();
bool IsDosConfigVersionValid();
