// The system's printers as a list in memory: names matched without case as the spooler does, the
// default kept as set, work run at once on the calling thread.
#pragma once

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "foundation/lib_prn_printers.h"
#include "foundation/lib_unicode.h"

class TListPrintersHost : public TPrintersHost {
 public:
  std::vector<std::u16string> Names;
  std::u16string Default;

  bool PrinterExists(std::u16string_view name) override {
    return std::any_of(Names.begin(), Names.end(), [&](const std::u16string& p) { return SameTextW(p, name); });
  }
  std::u16string DefaultPrinterName() override { return Default; }
  bool IsDefaultPrinter(std::u16string_view name) override { return !Default.empty() && SameTextW(Default, name); }
  void SetDefaultPrinterName(std::u16string_view name) override { Default = std::u16string(name); }
  int32_t RemovePrinter(std::u16string_view) override { return 0; }
  bool ListPrinterNames(std::vector<std::u16string>& names) override {
    names = Names;
    return true;
  }
  bool RunWorker(std::function<void()> work, uint32_t) override {
    work();
    return true;
  }
  bool IsRemoteSession() override { return false; }
  bool IsTerminalServer() override { return false; }
  bool IsAdministrator() override { return true; }
  void SignalUpdateEvent() override {}
};
