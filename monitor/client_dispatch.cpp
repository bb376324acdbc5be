// The command table of the program.
#include "monitor/client_dispatch.h"

#include "foundation/cl_tools_config.h"
#include "foundation/lib_str_cmdline.h"

namespace {
constexpr uint32_t kDosSources = kModeMonitorDir | kModeCapture | kModeCommand;  // 28
constexpr uint32_t kDosSides = kModeDos | kModeMonitorDir | kModeCapture;        // 14

bool ServiceCase(const TDispatchFacts& f) {
  return ((f.Mask & kModeWin) != 0 || (f.Mask & kDosSides) != 0) && f.AsService && !f.ServiceInstalled;
}
}  // namespace

TClientRole ChooseClientRole(const std::vector<std::u16string>& args, const TDispatchFacts& facts) {
  const auto has = [&](std::u16string_view word) { return FindCmdLineSwitch(args, word); };
  switch (GetCommandLetter(args)) {
    case u'C':
      if (has(u"ConfigDos")) return TClientRole::DosBatchOrConfig;
      if (has(u"ConfigDirDos")) return TClientRole::DosBatchOrDirConfig;
      if (has(u"ConfigWin")) return TClientRole::WinConfig;
      return TClientRole::PrinterConfig;
    case u'D':
      return TClientRole::DeletePrinters;
    case u'I':
      return has(u"Install") && ServiceCase(facts) ? TClientRole::RegisterService : TClientRole::Install;
    case u'M':
      return TClientRole::QueueMonitor;
    case u'R':
      if (has(u"RegWin")) return TClientRole::RegisterWin;
      if (has(u"RegDos")) return TClientRole::RegisterDos;
      return TClientRole::Support;
    case u'S':
      if (has(u"S30")) return TClientRole::CloseAllWindows;
      if (has(u"S27")) return TClientRole::UninstallFile;
      if (args.size() > 2) return TClientRole::ExpandTemplate;
      if (has(u"Start")) return TClientRole::StartMonitor;
      if (has(u"Stop")) return TClientRole::StopMonitor;
      if (has(u"ServerConfig")) return TClientRole::ServerConfig;
      if (has(u"Service")) return TClientRole::QueueMonitor;
      return TClientRole::PrinterConfigIfNeeded;
    case u'U':
      return has(u"UnInstall") && (facts.AsService || facts.ServiceInstalled) ? TClientRole::UnregisterService
                                                                               : TClientRole::Uninstall;
    default:
      return TClientRole::Monitor;
  }
}

TInstallPlan PlanInstall(const TDispatchFacts& facts) {
  TInstallPlan plan;
  plan.Mask = facts.Mask == 0 ? kModeWin : facts.Mask;
  plan.RegisterWin = (plan.Mask & (kModeWin | kModeDos)) != 0;
  plan.RegisterDos = (plan.Mask & kDosSources) != 0 || (plan.Mask & kDosSides) != 0;
  TDispatchFacts f = facts;
  f.Mask = plan.Mask;
  plan.RegisterService = ServiceCase(f);
  return plan;
}

bool StartsMonitorAfterInstall(uint32_t mask, bool winVersionValid, bool dosVersionValid) {
  return (dosVersionValid && (mask & kDosSides) != 0) || winVersionValid || (mask & kModeWin) != 0;
}
