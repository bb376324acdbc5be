// Named kernel objects and worker threads: the rules behind them that need no system call.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// From Windows 2000 on, names live in a session namespace: "Global\" reaches every session, "Local\"
// only the caller's. Older systems have one namespace and take the name as it is.
std::string MakeKernelObjectName(std::string_view name, bool global, bool ntFiveUp);

// A single-instance lock is a mutex; a lock for several instances is a counting semaphore, which the
// systems before Windows 2000 do not get (they keep one instance).
bool InstanceLockIsMutex(int32_t count, bool ntFiveUp);

// How often a worker is told to stop before it is given up on.
inline constexpr int kStopThreadRounds = 16;

// The steps of a stop, supplied by the caller (the system's calls, or a test's counters).
struct TStopThreadSteps {
  std::function<void()> SignalStop;
  std::function<bool()> IsRunning;
  std::function<void(uint32_t)> Pause;
};

// Signals the stop event up to 16 times, pausing between signals while the thread runs, then waits one
// more pause; true when the thread has ended. A thread that never ends costs 16 signals and 17 pauses.
bool RunThreadStopRounds(const TStopThreadSteps& steps, bool hasStopEvent, uint32_t pauseMs);
