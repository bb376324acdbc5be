// The application object's decisions that need no system call.
#include "foundation/cl_tools_app.h"

#include <string>

#include "foundation/cl_tools_config.h"
#include "foundation/cl_tools_docid.h"

TModeFlags DeriveModeFlags(uint32_t mask) {
  TModeFlags f;
  f.WinOrDosFlag = (mask & (kModeWin | kModeDos)) != 0;
  f.FileSourceFlag = (mask & (kModeMonitorDir | kModeCapture | kModeCommand)) != 0;
  f.DosFlag = (mask & (kModeDos | kModeMonitorDir | kModeCapture)) != 0;
  f.WinFlag = (mask & kModeWin) != 0;
  return f;
}

bool IsJournalEnabled(int32_t prnMonServEnable, std::string_view configOrder, std::string_view dosOrder) {
  if (prnMonServEnable == 0) return false;
  const std::string joined = std::string(configOrder) + "," + std::string(dosOrder);
  size_t start = 0;
  while (start <= joined.size()) {
    size_t comma = joined.find(',', start);
    if (comma == std::string::npos) comma = joined.size();
    if (TDocIdClass::SameTexts(std::string_view(joined).substr(start, comma - start), "@@")) return true;
    start = comma + 1;
  }
  return false;
}

bool IsServiceModeFrom(bool localSystemUser, bool serviceSwitch, bool serviceInstalled, bool asService) {
  return (localSystemUser || serviceSwitch) && serviceInstalled && asService;
}
