// The printer monitor's rounds and the rule of which printers this process serves.
#include "monitor/cl_monitor.h"

#include "foundation/lib_unicode.h"

bool TakesPrinter(const TPrinterListItem& item, const TTakingFacts& facts) {
  return item.AllUsers || (!facts.RemoteSession && facts.TServer) || SameTextW(item.UserName, facts.CurrentUser) ||
         facts.AsService;
}

TPrinterMonitor::TPrinterMonitor(TMonitorHost& host, TPrintQuuee& queue, TStopLatch& stop)
    : host_(host), queue_(queue), stop_(stop) {}

void TPrinterMonitor::Start() {
  States.clear();
  for (TPrinterListItem& item : host_.Items()) {
    item.OpenState = kOpenSilent;
    item.QueueState = kQueueFirstPass;
    States[item.Name] = TPrinterStates{};
  }
}

void TPrinterMonitor::StoreStates(const std::u16string& name, const TPrinterStates& states) {
  States[name] = states;
  for (TPrinterListItem& item : host_.Items())
    if (item.Name == name) {
      item.OpenState = states.Open;
      item.QueueState = states.Queue;
    }
}

void TPrinterMonitor::ServePrinter(const std::u16string& name, TPrinterStates& states) {
  if (!queue_.OpenVirtualPrinter(name, states.Open)) return;
  int32_t code = kPauseUnusable;
  queue_.SetPrinterPause(code, states.Queue, states.Open);
  if (code == kPauseServe) queue_.ProcessQuuee(states.Queue);
  queue_.CloseVirtualPrinter();
}

bool TPrinterMonitor::Round() {
  const TTakingFacts facts = host_.TakingFacts();
  // The names at the start of the pass: an update inside it may reload the list under us.
  std::vector<TPrinterListItem> round = host_.Items();
  for (const TPrinterListItem& listed : round) {
    if (stop_.Gate()) return false;
    const TPrinterListItem* item = nullptr;
    for (const TPrinterListItem& now : host_.Items())
      if (now.Name == listed.Name) item = &now;
    if (item != nullptr && TakesPrinter(*item, facts)) {
      auto found = States.find(listed.Name);
      TPrinterStates states = found == States.end() ? TPrinterStates{} : found->second;
      ServePrinter(listed.Name, states);
      StoreStates(listed.Name, states);
    }
    if (stop_.Wait(0)) return false;
  }
  return !stop_.Seen();
}

bool TPrinterMonitor::BetweenRounds() {
  if (stop_.Wait(kRoundWaitMs) || stop_.Gate()) return false;
  // A busy lock defers the reload: the event stays set for the next round.
  if (host_.UpdateEventSet() && host_.EnterSync()) {
    host_.ReloadPrinters();
    host_.PrintersChanged();
    host_.LeaveSync();
    host_.ResetUpdateEvent();
  }
  return true;
}

void TPrinterMonitor::Run() {
  while (Round() && BetweenRounds()) {
  }
}
