// Fuzz target of Windows job printing's readers of outside bytes: a code picture file read as a
// placeable WMF, and a job's device settings taken over into a destination's, in both layouts.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "monitor/uintemf_print.h"

namespace {
void Check(bool ok) {
  if (!ok) std::abort();
}

void LoadWmf(std::span<const uint8_t> file) {
  TPlaceableWmf wmf;
  if (!ParsePlaceableWmf(file, wmf)) return;
  // The metafile is a view wholly inside the file, at least its own header long; touch every byte.
  Check(wmf.Bits.size() >= 18 && wmf.Bits.data() == file.data() + 22 && 22 + wmf.Bits.size() <= file.size());
  uint8_t sum = 0;
  for (uint8_t byte : wmf.Bits) sum = static_cast<uint8_t>(sum + byte);
  volatile uint8_t sink = sum;
  (void)sink;
}

// The input is the job's settings; the destination is the same bytes, so both the readable and the
// short cases come from the input.
void CopyPaper(std::span<const uint8_t> job, bool wide) {
  std::vector<uint8_t> dest(job.begin(), job.end());
  const std::vector<uint8_t> before = dest;
  const bool ok = CopyPaperSettings(job, dest, wide);
  TPaperFields fields;
  if (!ok || job.empty()) {
    Check(dest == before);
    return;
  }
  Check(ReadPaperFields(dest, wide, fields));
  const uint32_t copies = JobCopies(job, wide);
  Check(copies >= 1 && copies <= 32767);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> input(data, size);
  LoadWmf(input);
  CopyPaper(input, true);
  CopyPaper(input, false);
  return 0;
}
