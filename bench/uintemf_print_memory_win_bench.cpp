// One long Windows job through the printer monitor thread under Wine: the coded invoice page repeated
// over many pages of one spool file, served by the queue and printed with its codes on the destination
// printer of scripts/setup. The process's private bytes are taken as pages are coded; a job's pages must
// not grow them. Run by scripts/bench; argument: [pages] (1000).
#include <cstdio>
#include <cstdlib>
#include <map>

#include "bench/monitor_bench_win.h"

#include <psapi.h>
#include "coding/enumemf2_records_win.h"
#include "monitor/createcode_win.h"
#include "support/coding_scope_win.h"
#include "support/e2e_page_win.h"

namespace {

const std::u16string kDestinationFile = u"C:\\client-print\\out.ps";

constexpr double kMiB = 1024.0 * 1024.0;

// The process's memory: private bytes, the commit charge (which Windows also reports as the page file
// usage, and which Wine fills where it leaves PrivateUsage at 0) and the working set.
struct TMemorySample {
  double Private = -1, Pagefile = -1, WorkingSet = -1;
};

TMemorySample Sample() {
  TMemorySample sample;
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                           sizeof counters)) {
    sample.Private = static_cast<double>(counters.PrivateUsage) / kMiB;
    sample.Pagefile = static_cast<double>(counters.PagefileUsage) / kMiB;
    sample.WorkingSet = static_cast<double>(counters.WorkingSetSize) / kMiB;
  }
  return sample;
}

void PrintSample(const char* what, const TMemorySample& s) {
  std::printf("  %-18s private %7.2f  pagefile %7.2f  working set %7.2f MiB\n", what, s.Private, s.Pagefile,
              s.WorkingSet);
}

}  // namespace

int main(int argc, char** argv) {
  const int pages = argc > 1 ? std::max(10, std::atoi(argv[1])) : 1000;
  TCodingScope scope{L"uintemf_print_memory_bench"};
  TMachineTypes types(kE2EPageOrder);
  PlaceInvoiceCodeLowerRight(types.Store());
  const TEnhMetaFile page = RecordE2EPage(E2EDocument("SCHT"), &InvoiceTable());
  if (!types.Ok() || !page) {
    std::printf("uintemf_print_memory: no configuration or no destination printer (scripts/setup)\n");
    return 1;
  }
  TMonitorBench bench(u"MonMem", 1);
  if (bench.Virtual.size() != 1) return 1;

  // Taken on the monitor thread as each page is coded; the main thread reads them once the last is.
  std::map<int32_t, TMemorySample> samples;
  std::map<int32_t, ULONGLONG> ticks;
  int coded = 0;
  TKernelHandle lastCoded(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  const std::map<int32_t, bool> sampled{{1, true}, {10, true}, {100, true}, {250, true}, {500, true},
                                        {750, true}, {pages, true}};
  TMonitorThreadSteps steps;
  steps.Queue.CodePage = [&](uint32_t jobRecordNo, HENHMETAFILE& metafile, int32_t pageNo, HDC& dc,
                             const _JOBINFO& job, const std::u16string& printer, std::vector<uint8_t>& devMode,
                             TCodeResultRec& rec) {
    const uint8_t status = CreateCodeFunc(jobRecordNo, metafile, pageNo, dc, &job, WStr(printer),
                                          devMode.empty() ? nullptr : reinterpret_cast<DEVMODEW*>(devMode.data()), rec);
    if (status == kPageCoded) ++coded;
    if (sampled.count(pageNo)) {
      samples[pageNo] = Sample();
      ticks[pageNo] = GetTickCount64();
    }
    if (pageNo == pages) SetEvent(lastCoded.Get());
    return status;
  };
  SetMonitorThreadSteps(steps);

  DeleteFileW(WStr(kDestinationFile));
  const std::vector<std::vector<uint8_t>> spool(static_cast<size_t>(pages), EnhMetaFileBytes(page.Get()));
  const TMemorySample beforeJob = Sample();
  if (bench.spooler.StandIn->SubmitEmfJob(bench.Virtual[0], u"Счёт, много страниц", spool) == 0) {
    std::printf("uintemf_print_memory: the job was not queued\n");
    return 1;
  }
  const ULONGLONG start = GetTickCount64();
  if (!bench.Start() || WaitForSingleObject(lastCoded.Get(), 3600 * 1000) != WAIT_OBJECT_0) {
    std::printf("uintemf_print_memory: the job's last page was not coded\n");
    return 1;
  }
  const bool stopped = bench.Stop();  // the job ends before the thread sees the stop
  const TMemorySample afterJob = Sample();
  SetMonitorThreadSteps({});
  WIN32_FILE_ATTRIBUTE_DATA printed{};
  GetFileAttributesExW(WStr(kDestinationFile), GetFileExInfoStandard, &printed);

  std::printf("pages %d, destination %s (%.1f MiB of PostScript), %.1f s\n", pages, Narrow(kBenchDestination).c_str(),
              static_cast<double>(printed.nFileSizeLow) / (1024.0 * 1024.0),
              static_cast<double>(GetTickCount64() - start) / 1000.0);
  PrintSample("before the job", beforeJob);
  for (const auto& [pageNo, sample] : samples) {
    char what[48];
    std::snprintf(what, sizeof what, "page %d (%.1f s)", pageNo, static_cast<double>(ticks[pageNo] - start) / 1000.0);
    PrintSample(what, sample);
  }
  PrintSample("after the job", afterJob);
  if (samples.count(100))
    std::printf("growth from page 100 to page %d: private %.2f, pagefile %.2f, working set %.2f MiB\n",
                pages, samples[pages].Private - samples[100].Private, samples[pages].Pagefile - samples[100].Pagefile,
                samples[pages].WorkingSet - samples[100].WorkingSet);
  std::printf("pages coded %d, boxes %zu, scope boxes %zu, log lines %zu, thread stopped %s\n", coded, bench.Boxes.size(), scope.Boxes.size(),
              bench.host.LinesWritten(), stopped ? "yes" : "no");
  return stopped ? 0 : 1;
}
