// The monitor run's decisions that need no system call: which role the process takes (watching the
// queues, or only the tray window), which lock it holds, which configuration it checks, which worker
// threads it starts and whether the service or the tray window runs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The locks' names as the program stores them: the hexadecimal text of their bytes.
inline constexpr std::string_view kQueueMonitorLockHex =
    "5465766F72616E207175756565206D6F6E69746F7220616C72656164792073746172746564";
inline constexpr std::string_view kGuiMonitorLockHex = "5669727475616C207072696E746572206D6F6E69746F72204755492073746172746564";

// What the role depends on.
struct TMonitorRunFacts {
  bool QueueMonitor = false;  // the letter M or the switch word "Service": always watches the queues
  bool TServer = false;
  bool RemoteSession = false;
  bool AsService = false;
  bool ServiceMode = false;
  bool ServiceInstalled = false;
};

struct TMonitorRunPlan {
  bool ModeMonitor = false;
  bool Interactive = false;
  bool DisableGUI = false;
  // The service runs the monitor; otherwise the tray window does.
  bool RunService = false;
  friend bool operator==(const TMonitorRunPlan&, const TMonitorRunPlan&) = default;
};
TMonitorRunPlan PlanMonitorRun(const TMonitorRunFacts& facts);

// "Tevoran quuee monitor already started" for a process that watches the queues, else "Virtual printer
// monitor GUI started".
std::string MonitorLockName(bool modeMonitor);

// The sides the run checks (the configuration check's side values), in order.
std::vector<uint8_t> MonitorConfigChecks(uint8_t mask, bool winOrDosFlag, bool fileSourceFlag);

// The worker threads a queue-watching run starts.
struct TMonitorThreadPlan {
  bool Directory = false;
  bool Printer = false;
  bool Capture = false;
  friend bool operator==(const TMonitorThreadPlan&, const TMonitorThreadPlan&) = default;
};
TMonitorThreadPlan PlanMonitorThreads(bool modeMonitor, bool winOrDosFlag, bool fileSourceFlag, int32_t isMonit);

// How long the stop protocol pauses between its signals to each worker.
inline constexpr uint32_t kStopPausePrinterMs = 500;
inline constexpr uint32_t kStopPauseCaptureMs = 500;
inline constexpr uint32_t kStopPauseDirectoryMs = 1000;

// The start of the monitor service from the command line: polls while it does not run yet.
inline constexpr int kServiceRunPolls = 15;
inline constexpr uint32_t kServiceRunPollMs = 100;
