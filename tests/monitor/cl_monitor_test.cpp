// The monitor's rounds over the queue processor and a printer list in memory: which printers are
// served, states kept by name across a reload in mid-round, the reload deferred while the lock is
// busy, one stop signal ending the rounds, and quiet idle rounds.
#include "monitor/cl_monitor.h"

#include <gtest/gtest.h>

#include "support/coder_fakes.h"
#include "support/queue_fakes.h"

namespace {

TPrinterListItem Item(std::u16string name, std::u16string user = u"other", bool all = false) {
  TPrinterListItem item;
  item.Name = std::move(name);
  item.UserName = std::move(user);
  item.AllUsers = all;
  item.WinSide = true;
  return item;
}

class TFakeMonitorHost : public TMonitorHost {
 public:
  explicit TFakeMonitorHost(TFakeQueueSystem& sys) : sys_(sys) {}
  TTakingFacts TakingFacts() override { return Facts; }
  std::vector<TPrinterListItem>& Items() override { return List; }
  bool UpdateEventSet() override { return sys_.UpdateSet; }
  void ResetUpdateEvent() override { sys_.UpdateSet = false; }
  bool EnterSync() override { return sys_.EnterSync(); }
  void LeaveSync() override {}
  void ReloadPrinters() override { sys_.ReloadPrinters(); }
  void PrintersChanged() override { sys_.PrintersChanged(); }

  TTakingFacts Facts{false, false, false, u"me"};
  std::vector<TPrinterListItem> List;

 private:
  TFakeQueueSystem& sys_;
};

class Monitor : public ::testing::Test {
 protected:
  Monitor() {
    sys.Existing = sys.Listed = {u"A", u"B", u"C"};
    sys.DosSide.clear();
    host.List = {Item(u"A", u"me"), Item(u"B", u"me"), Item(u"C", u"me")};
    monitor.Start();
  }
  // Ends the rounds at the given stop test.
  void StopAtTest(int n) {
    sys.OnStopTest = [this, n](int count) {
      if (count == n) sys.StopSignals = 1;
    };
  }

  TFakeQueueSystem sys;
  TStopLatch stop{[this](uint32_t ms) { return sys.WaitStop(ms); }};
  TMemoryLog log;
  TPrintQuuee queue{sys, stop, log};
  TFakeMonitorHost host{sys};
  TPrinterMonitor monitor{host, queue, stop};
};

TEST(TakingRule, ServesPrintersThisProcessMayTake) {
  struct Case {
    bool all;
    std::u16string owner;
    TTakingFacts facts;
    bool taken;
    const char* why;
  } cases[] = {
      {true, u"x", {true, false, false, u"me"}, true, "for all users"},
      {false, u"ME", {true, false, false, u"me"}, true, "the user's own, letters in any case"},
      {false, u"x", {true, false, false, u"me"}, false, "another user's in a remote session"},
      {false, u"x", {true, true, false, u"me"}, false, "TServer does not take others' printers in a remote session"},
      {false, u"x", {false, true, false, u"me"}, true, "TServer outside a remote session"},
      {false, u"x", {false, false, false, u"me"}, false, "neither TServer nor the owner"},
      {false, u"x", {true, false, true, u"me"}, true, "the service takes every printer"},
  };
  for (const Case& c : cases) {
    TPrinterListItem item = Item(u"P", c.owner, c.all);
    EXPECT_EQ(TakesPrinter(item, c.facts), c.taken) << c.why;
  }
}

TEST_F(Monitor, StartMarksEveryPrinterNeverOpened) {
  for (const auto& item : host.List) {
    EXPECT_EQ(item.OpenState, kOpenSilent);
    EXPECT_EQ(item.QueueState, kQueueFirstPass);
  }
}

TEST_F(Monitor, OnlyTakenPrintersAreOpenedAndTheirStatesKept) {
  host.List[1].UserName = u"other";
  EXPECT_TRUE(monitor.Round());
  EXPECT_EQ(sys.OpenedPrinters, (std::vector<std::u16string>{u"A", u"C"}));
  EXPECT_EQ(host.List[0].OpenState, kOpenKnown);
  EXPECT_EQ(host.List[0].QueueState, kQueueUsable);
  EXPECT_EQ(host.List[1].OpenState, kOpenSilent) << "not taken, untouched";
}

TEST_F(Monitor, AReloadInMidRoundDropsAPrinterWithoutMisplacingStates) {
  sys.Existing.erase(u"C");
  sys.Listed.erase(u"C");
  sys.OnReload = [this] {
    // The reload forgets B and reads the states afresh.
    host.List = {Item(u"A", u"me"), Item(u"C", u"me")};
  };
  monitor.Round();
  EXPECT_EQ(sys.OpenedPrinters, std::vector<std::u16string>{u"A"}) << "B left the list, C cannot be opened";
  ASSERT_EQ(host.List.size(), 2u);
  EXPECT_EQ(host.List[0].OpenState, kOpenKnown);
  EXPECT_EQ(host.List[1].Name, u"C");
  EXPECT_EQ(host.List[1].OpenState, kOpenSilent) << "C's own state, not B's";
  EXPECT_EQ(monitor.States[u"C"].Open, kOpenSilent);
}

TEST_F(Monitor, ABusyLockDefersTheReloadAndTheEventStaysSet) {
  monitor.Round();
  const int reloads = sys.Reloads;
  sys.UpdateSet = true;
  sys.SyncBusy = true;
  EXPECT_TRUE(monitor.BetweenRounds());
  EXPECT_EQ(sys.Reloads, reloads);
  EXPECT_TRUE(sys.UpdateSet);
  sys.SyncBusy = false;
  EXPECT_TRUE(monitor.BetweenRounds());
  EXPECT_EQ(sys.Reloads, reloads + 1);
  EXPECT_EQ(sys.Changed, 4) << "three printers' updates and this reload";
  EXPECT_FALSE(sys.UpdateSet);
}

TEST_F(Monitor, OneStopSignalBetweenPrintersEndsTheRounds) {
  sys.OnStopTest = [this](int) {
    if (sys.OpenedPrinters.size() == 1 && sys.VirtualOpen.empty() && !stop.Seen()) sys.StopSignals = 1;
  };
  monitor.Run();
  EXPECT_EQ(sys.OpenedPrinters, std::vector<std::u16string>{u"A"});
  EXPECT_TRUE(stop.Seen()) << "remembered for the thread's end";
}

// A pause holds the rounds at safe points, before each printer and after the wait between rounds; a
// stop that ends the pause ends the rounds with no further printer served and no reload.
TEST_F(Monitor, APauseHoldsTheRoundsAtSafePointsAndAStopInItEndsThem) {
  std::vector<size_t> servedAtGate;
  size_t stopAtGate = 2;
  TStopLatch gated{[this](uint32_t ms) { return sys.WaitStop(ms); },
                   [&] {
                     servedAtGate.push_back(sys.OpenedPrinters.size());
                     return servedAtGate.size() == stopAtGate;
                   }};
  TPrintQuuee gatedQueue{sys, gated, log};
  TPrinterMonitor gatedMonitor{host, gatedQueue, gated};
  gatedMonitor.Start();
  EXPECT_FALSE(gatedMonitor.Round());
  EXPECT_EQ(servedAtGate, (std::vector<size_t>{0, 1}));
  EXPECT_EQ(sys.OpenedPrinters, std::vector<std::u16string>{u"A"});
  EXPECT_TRUE(gated.Seen()) << "remembered for the thread's end";

  TStopLatch betweenRounds{[this](uint32_t ms) { return sys.WaitStop(ms); }, [] { return true; }};
  TPrintQuuee queue2{sys, betweenRounds, log};
  TPrinterMonitor monitor2{host, queue2, betweenRounds};
  sys.UpdateSet = true;
  const int reloads = sys.Reloads;
  EXPECT_FALSE(monitor2.BetweenRounds());
  EXPECT_EQ(sys.Reloads, reloads) << "no reload once the stop is seen";
}

TEST_F(Monitor, AStopSeenByTheQueueEndsTheRoundsToo) {
  sys.AddJob(kDosDocumentNameNT, "part");
  sys.Mask = kComponentDos;
  sys.DosSide = {u"A"};
  sys.OnSleep = [this](int n) {
    if (n == 1) sys.StopSignals = 1;
  };
  monitor.Run();
  EXPECT_EQ(sys.Printed(), "part") << "the kept part printed at the stop";
  EXPECT_EQ(sys.OpenedPrinters, std::vector<std::u16string>{u"A"});
}

TEST_F(Monitor, IdleRoundsLogNothingAfterTheFirst) {
  monitor.Round();
  monitor.BetweenRounds();
  EXPECT_FALSE(log.Lines.empty());
  log.Lines.clear();
  StopAtTest(sys.StopTests + 40);
  monitor.Run();
  EXPECT_GT(sys.OpenedPrinters.size(), 6u) << "several rounds ran";
  EXPECT_TRUE(log.Lines.empty()) << (log.Lines.empty() ? std::string() : std::string(log.Lines[0].begin(), log.Lines[0].end()));
}

}  // namespace
