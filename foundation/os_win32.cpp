// Named kernel objects and worker threads: the rules behind them that need no system call.
#include "foundation/os_win32.h"

std::string MakeKernelObjectName(std::string_view name, bool global, bool ntFiveUp) {
  if (!ntFiveUp) return std::string(name);
  return std::string(global ? "Global\\" : "Local\\") + std::string(name);
}

bool InstanceLockIsMutex(int32_t count, bool ntFiveUp) { return count <= 1 || !ntFiveUp; }

bool RunThreadStopRounds(const TStopThreadSteps& steps, bool hasStopEvent, uint32_t pauseMs) {
  if (hasStopEvent) {
    for (int round = 0; round < kStopThreadRounds; ++round) {
      steps.SignalStop();
      if (!steps.IsRunning()) break;
      steps.Pause(pauseMs);
    }
  }
  if (steps.IsRunning()) steps.Pause(pauseMs);
  return !steps.IsRunning();
}
