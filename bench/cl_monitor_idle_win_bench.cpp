// The printer monitor thread with idle virtual printers: its CPU time over a minute as a share of the
// wall time, and what it logs after its first round (nothing is expected). Run by scripts/bench under
// Wine; arguments: [seconds] [printers].
#include <cstdio>
#include <cstdlib>

#include "bench/monitor_bench_win.h"
#include "support/spooler_faults_win.h"

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
  const int printers = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  TMonitorBench bench(u"MonIdle", printers);
  // Counts the spooler calls of the rounds; lets every call through to the stand-in.
  TSpoolerFaults calls;
  const ULONGLONG started = GetTickCount64();
  if (static_cast<int>(bench.Virtual.size()) != printers || !bench.Start()) {
    std::printf("cl_monitor_idle: the virtual printers or the thread did not come up\n");
    return 1;
  }
  // The first round is over once every printer's queue was looked at.
  for (int waited = 0; waited < 30000 && bench.host.KeptLinesWith(u"--> ProcessQuuee: Return") < bench.Virtual.size();
       waited += 50)
    Sleep(50);
  const size_t firstLines = bench.host.LinesWritten();
  const size_t firstChars = bench.host.CharsWritten();
  calls.ResetCalls();
  const double cpu0 = bench.ThreadCpuSeconds();
  const ULONGLONG wall0 = GetTickCount64();
  Sleep(static_cast<DWORD>(seconds) * 1000);
  const double cpu = bench.ThreadCpuSeconds() - cpu0;
  const double wall = static_cast<double>(GetTickCount64() - wall0) / 1000.0;
  const size_t endLines = bench.host.LinesWritten();
  const size_t endChars = bench.host.CharsWritten();
  const std::vector<std::u16string> late = bench.host.LinesFrom(firstLines);
  if (!bench.Stop()) {
    std::printf("cl_monitor_idle: the thread did not stop\n");
    return 1;
  }
  std::printf("printers %d; the first round ended %.1f s after the start, then %.1f s idle\n", printers,
              static_cast<double>(wall0 - started) / 1000.0, wall);
  std::printf("thread CPU %.3f s = %.3f %% of wall time\n", cpu, wall > 0 ? 100.0 * cpu / wall : 0.0);
  std::printf("log after the first round: %zu lines, %zu chars; at the end: %zu lines, %zu chars\n", firstLines,
              firstChars, endLines, endChars);
  for (size_t i = 0; i < late.size() && i < 10; ++i) std::printf("  logged late: %s\n", Narrow(late[i]).c_str());
  const double rounds = wall / (TPrinterMonitor::kRoundWaitMs / 1000.0);
  std::printf("spooler calls per printer and round (about %.0f rounds):", rounds);
  for (const char* call : {"OpenPrinter", "ClosePrinter", "GetPrinter", "SetPrinter", "EnumJobs", "GetPrinterData"}) {
    int n = 0;
    for (const std::u16string& name : bench.Virtual) n += calls.Calls(name, call);
    std::printf(" %s %.1f", call, n / rounds / printers);
  }
  std::printf("\n");
  // What the stand-in spooler (a state file read, and written back, on every call) costs by itself.
  const TCpuClock clock(GetCurrentThread());
  const double own0 = clock.Seconds();
  constexpr int kTimed = 200;
  for (int i = 0; i < kTimed; ++i) {
    TPrinterHandle h = OpenPrinterHandle(bench.Virtual[0]);
    DWORD needed = 0;
    Spooler().GetPrinter(h.Get(), 2, nullptr, 0, &needed);
  }
  std::printf("the stand-in's open, GetPrinter and close: %.2f ms of CPU\n", (clock.Seconds() - own0) * 1000.0 / kTimed);
  std::printf("boxes %zu\n", bench.Boxes.size());
  return endLines == firstLines && bench.Boxes.empty() ? 0 : 2;
}
