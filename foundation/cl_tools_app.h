// The application object's decisions that need no system call: the flags derived from the component
// mask, whether the print-job journal is on, and whether the process is the monitor service.
#pragma once

#include <cstdint>
#include <string_view>

// The named event through which settings tell the monitor to reload its printer list.
inline constexpr std::string_view kUpdateEventName = "VirtualPrinterMonitorUpdateEvent";

struct TModeFlags {
  bool WinOrDosFlag = false;    // mask has 1 or 2
  bool FileSourceFlag = false;  // mask has 4, 8 or 16
  bool DosFlag = false;         // mask has 2, 4 or 8
  bool WinFlag = false;         // mask has 1
  friend bool operator==(const TModeFlags&, const TModeFlags&) = default;
};
TModeFlags DeriveModeFlags(uint32_t mask);

// On when "PrnMonServEnable" is set and one of the document orders (comma-separated) names the print
// server's document type "@@".
bool IsJournalEnabled(int32_t prnMonServEnable, std::string_view configOrder, std::string_view dosOrder);

// The process is the monitor service when it runs as LocalSystem or was started with "Service", and
// the service is registered and configured.
bool IsServiceModeFrom(bool localSystemUser, bool serviceSwitch, bool serviceInstalled, bool asService);
