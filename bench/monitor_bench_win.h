// The printer monitor thread of the Windows benchmarks, run under Wine on the stand-in spooler: virtual
// printers sending their Windows jobs to the destination printer of scripts/setup, a log that counts what
// is written to it, and the thread's start and stop.
#pragma once

#include <windows.h>

#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "foundation/cl_tools_store_win.h"
#include "foundation/lib_codepage.h"
#include "foundation/lib_prn.h"
#include "foundation/lib_prn_printers_host_win.h"
#include "foundation/lib_prn_seam_win.h"
#include "foundation/lib_prn_win.h"
#include "foundation/lib_sysinfo_win.h"
#include "foundation/lib_unicode_win.h"
#include "monitor/cl_monitor_win.h"
#include "support/coder_fakes.h"
#include "support/prn_test_support.h"

inline const std::u16string kBenchDestination = u"Client Test PS";

// A log host that the monitor thread writes to while the benchmark reads its size.
class TCountingLogHost : public TMemoryLogHost {
 public:
  bool AppendLine(const std::u16string&, std::u16string_view text) override {
    std::lock_guard<std::mutex> guard(lock_);
    ++lines_;
    chars_ += text.size();
    if (lines_ <= kKeptLines) Lines.emplace_back(text);
    return true;
  }
  size_t LinesWritten() {
    std::lock_guard<std::mutex> guard(lock_);
    return lines_;
  }
  size_t CharsWritten() {
    std::lock_guard<std::mutex> guard(lock_);
    return chars_;
  }
  size_t KeptLinesWith(std::u16string_view text) {
    std::lock_guard<std::mutex> guard(lock_);
    size_t n = 0;
    for (const std::u16string& line : Lines) n += line.find(text) != std::u16string::npos ? 1 : 0;
    return n;
  }
  // The lines from the n-th on (as many as were kept), for a report of what was logged late.
  std::vector<std::u16string> LinesFrom(size_t n) {
    std::lock_guard<std::mutex> guard(lock_);
    return n < Lines.size() ? std::vector<std::u16string>(Lines.begin() + static_cast<ptrdiff_t>(n), Lines.end())
                            : std::vector<std::u16string>{};
  }

 private:
  static constexpr size_t kKeptLines = 300;  // more would be the benchmark's own growth
  std::mutex lock_;
  size_t lines_ = 0;
  size_t chars_ = 0;
};

// A thread's user and kernel time.
class TCpuClock {
 public:
  explicit TCpuClock(HANDLE thread) : thread_(thread) {}
  double Seconds() const {
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(thread_, &created, &exited, &kernel, &user)) return -1;
    return Of(kernel) + Of(user);
  }

 private:
  static double Of(const FILETIME& t) {
    return static_cast<double>((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
  }
  HANDLE thread_;
};

class TMonitorBench {
 public:
  // count virtual printers named <prefix>_<i>_<process id>, Windows side, all users, queues empty.
  TMonitorBench(const std::u16string& prefix, int count)
      : roots_(prefix), spooler(prefix), machine_(roots_.Machine.Get()), user_(roots_.User.Get()),
        log_(host, u"C:\\log\\client.log", false) {
    app.Printers = std::make_unique<TPrinters>(CreateWindowsPrintersHost(), machine_, user_);
    GetCurrentUserName(app.Printers->UserName);
    const std::u16string pid = AnsiToWide(std::to_string(GetCurrentProcessId()));
    for (int i = 0; i < count; ++i) {
      const std::u16string name = prefix + u"_" + AnsiToWide(std::to_string(i)) + u"_" + pid;
      TStandInPrinter p = StandInPrinter(name, u"LPT1:", u"NT EMF 1.008");
      p.Status = PRN_STATUS_PAUSED;
      if (!spooler.StandIn->AddStandInPrinter(p)) continue;
      const int32_t at = app.Printers->Add(name);
      app.Printers->Items[at].AllUsers = true;
      app.Printers->Items[at].WinSide = true;
      Virtual.push_back(name);
    }
    app.Printers->SaveAll();
    for (const std::u16string& name : Virtual) app.Printers->SetPrintToOfUser(name, u"", kPrintToWin, kBenchDestination);
    app.Printers->Refresh();
    TPrnHooks hooks;
    hooks.MessageBox = [this](const std::u16string& text, const std::u16string&, UINT, HWND) {
      Boxes.push_back(text);
      return IDOK;
    };
    SetPrnHooks(hooks);
    ctx.App = &app;
    ctx.Log = &log_;
    ctx.Components = 1;
    ctx.StopEvent.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    ctx.PrinterReadyEvent.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  }
  ~TMonitorBench() {
    Stop();
    SetPrnHooks({});
  }
  TMonitorBench(const TMonitorBench&) = delete;
  TMonitorBench& operator=(const TMonitorBench&) = delete;

  // Starts the thread and waits until its rounds begin.
  bool Start() {
    thread.Reset(CreateThread(nullptr, 0, PrinterMonitorThread, &ctx, 0, nullptr));
    return thread && WaitForSingleObject(ctx.PrinterReadyEvent.Get(), 30000) == WAIT_OBJECT_0;
  }
  // Signals the stop until the thread ends, as the monitor's stopper does.
  bool Stop() {
    if (!thread) return true;
    for (int i = 0; i < 80; ++i) {
      SetEvent(ctx.StopEvent.Get());
      if (WaitForSingleObject(thread.Get(), 250) == WAIT_OBJECT_0) {
        thread.Reset();
        return true;
      }
    }
    return false;
  }
  // The thread's user and kernel time so far, in seconds.
  double ThreadCpuSeconds() const { return TCpuClock(thread.Get()).Seconds(); }

 private:
  TTestRegistryRoots roots_;

 public:
  TStandInScope spooler;
  std::vector<std::u16string> Virtual;
  TClientApplication app;
  TCountingLogHost host;
  TMonitorContext ctx;
  TKernelHandle thread;
  std::vector<std::u16string> Boxes;

 private:
  TRegistryStore machine_, user_;
  TLogFile log_;
};

inline std::string Narrow(const std::u16string& text) { return WideToUtf8(text); }
