// Fuzz target of the watched directory's registry values "MonitDirEx" and "MonitorMask" (anyone with
// the settings' rights writes them). Input: UTF-16LE text, given to both.
#include <cstdint>
#include <cstdlib>

#include "fuzz/fuzz_input.h"
#include "monitor/cl_monitor_files.h"

namespace {
bool Blank(char16_t c) { return c <= 0x20; }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::u16string text = FuzzUtf16(data, size);
  const TWatchedDirMode mode = ParseMonitDirEx(text);
  if (mode.ArchiveDir.size() > text.size()) std::abort();
  if (!mode.ArchiveDir.empty() && (Blank(mode.ArchiveDir.front()) || Blank(mode.ArchiveDir.back()))) std::abort();
  size_t total = 0;
  for (const std::u16string& mask : SplitMonitorMasks(text)) {
    // Never empty, never untrimmed, never a way out of the watched directory.
    if (mask.empty() || Blank(mask.front()) || Blank(mask.back())) std::abort();
    if (mask.find_first_of(u",;\\/:") != std::u16string::npos) std::abort();
    total += mask.size() + 1;
  }
  if (total > text.size() + 1) std::abort();
  return 0;
}
