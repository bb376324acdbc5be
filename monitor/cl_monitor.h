// The printer monitor's rounds: every virtual printer it may take served in list order through the
// queue processor, then a wait for the stop event and the reload of the list when it changed.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "foundation/lib_prn_printers.h"
#include "monitor/uintemf.h"

// What decides whether this process serves a printer.
struct TTakingFacts {
  bool RemoteSession = false;
  bool TServer = false;
  bool AsService = false;
  std::u16string CurrentUser;
};
bool TakesPrinter(const TPrinterListItem& item, const TTakingFacts& facts);

// What the rounds need of the system besides the queue processor.
class TMonitorHost {
 public:
  virtual ~TMonitorHost() = default;
  virtual TTakingFacts TakingFacts() = 0;
  // The application's list; a reload may replace its items.
  virtual std::vector<TPrinterListItem>& Items() = 0;
  virtual bool UpdateEventSet() = 0;
  virtual void ResetUpdateEvent() = 0;
  // The application's lock, up to its attempt count.
  virtual bool EnterSync() = 0;
  virtual void LeaveSync() = 0;
  virtual void ReloadPrinters() = 0;
  // The application's printer-list callback, when one is set.
  virtual void PrintersChanged() = 0;
};

struct TPrinterStates {
  uint8_t Open = kOpenSilent;
  uint8_t Queue = kQueueFirstPass;
};

class TPrinterMonitor {
 public:
  static constexpr uint32_t kRoundWaitMs = 500;

  TPrinterMonitor(TMonitorHost& host, TPrintQuuee& queue, TStopLatch& stop);
  // Every printer's states to "never opened, first pass".
  void Start();
  // One pass over the printers, held between them while paused; false once a stop was seen.
  bool Round();
  // The wait between rounds (and out of a pause) and the reload; false once a stop was seen.
  bool BetweenRounds();
  // Rounds until a stop is seen.
  void Run();

  // Kept by name, so that a reload in mid-round cannot put them on another printer.
  std::map<std::u16string, TPrinterStates> States;

 private:
  void ServePrinter(const std::u16string& name, TPrinterStates& states);
  void StoreStates(const std::u16string& name, const TPrinterStates& states);

  TMonitorHost& host_;
  TPrintQuuee& queue_;
  TStopLatch& stop_;
};
