// The monitor window's decisions: menu visibility, destination submenus, the rebuild's start and retry
// rule, the launchers' command lines and the reload sections.
#include "monitor/monitwin.h"

#include "foundation/cl_tools_cfgkey.h"
#include "foundation/lib_prn_printers.h"

namespace {
constexpr uint32_t kMaskWin = 1, kMaskDos = 2, kMaskDir = 4, kMaskCapture = 8;
}  // namespace

TTrayMenuVisibility TrayMenuVisibility(uint32_t mask, int32_t isMonit) {
  TTrayMenuVisibility v;
  v.ConfigDos = (mask & (kMaskDir | kMaskCapture)) != 0 && isMonit != 0;
  v.Dos = (mask & kMaskDos) != 0;
  v.Config = v.ConfSymb = (mask & (kMaskWin | kMaskDos)) != 0;
  return v;
}

TDestinationMenusPlan PlanDestinationMenus(uint32_t mask, int32_t virtualPrinters) {
  const bool one = virtualPrinters == 1;
  return {{kPrintToWin, one && (mask & kMaskWin) != 0},
          {kPrintToDos, one && (mask & kMaskDos) != 0},
          {kPrintToFiles, one && (mask & (kMaskDir | kMaskCapture)) != 0}};
}

TRebuildStart RebuildStart(bool stopSignalled, bool listed, int32_t others, bool printerReady) {
  if (stopSignalled) return TRebuildStart::Skip;
  if (!listed) return TRebuildStart::RefreshFirst;
  return others > 0 && printerReady ? TRebuildStart::Go : TRebuildStart::Skip;
}

uint32_t RebuildDelayMs(bool win9x) { return kRebuildDelayMs + (win9x ? kRebuildDelay9xExtraMs : 0); }

std::optional<uint32_t> NextRebuildRetry(int failedTries) {
  if (failedTries < 1 || failedTries >= kRebuildLockTries) return std::nullopt;
  return kRebuildRetryMs;
}

std::u16string LauncherCommandLine(TLauncher launcher) {
  const std::u16string exe(kOwnModuleName);
  switch (launcher) {
    case TLauncher::Config:
      return exe + u" /c";
    case TLauncher::ConfigWin:
      return exe + u" /ConfigWin";
    case TLauncher::ConfigDos:
      return exe + u" /ConfigDos";
    case TLauncher::ConfigDirDos:
      return exe + u" /ConfigDirDos";
  }
  return exe;
}

std::u16string AboutProductText(std::u16string_view programTitle) {
  return u"Программа " + std::u16string(programTitle);
}
