// Fuzz target of the code output as printer commands: the mode template and the printer model's
// resolution come from the configuration, the picture's size from the document type. Input: 12 bytes
// of settings (mode, module size, dpi x, dpi y, AutoCRLF, pitch, column, row, PicTop, width, height,
// template length), the template, then the picture (it may fall short of its size).
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "coding/enumraw2.h"
#include "coding/enumraw2_output.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 12) return 0;
  static const int32_t kModes[] = {kModeHPGL, kModeRastr, kModeRect, kModeRectMF, kModeMTPlot, 8, 9, 24, 0, 12};
  TCodeOutputInput in;
  in.OutputMode = kModes[data[0] % 10];
  in.ModuleSize = data[1];
  in.DpiX = static_cast<int8_t>(data[2]) * 8;
  in.DpiY = static_cast<int8_t>(data[3]) * 8;
  in.AutoCRLF = static_cast<int8_t>(data[4]) % 4;
  in.CurrentPitch = data[5] / 8.0;
  in.PicPlace = static_cast<int32_t>(static_cast<uint32_t>(static_cast<int8_t>(data[7]) * 64) << 16 |
                                     static_cast<uint16_t>(static_cast<int8_t>(data[6]) * 64));
  in.PicTop = data[8] & 1;
  in.Width = data[9] % 32;
  in.Height = data[10] % 32;
  const size_t templateLength = std::min<size_t>(data[11], size - 12);
  const std::string modeTemplate(reinterpret_cast<const char*>(data + 12), templateLength);
  in.ModeTemplate = modeTemplate;
  in.Picture = std::span<const uint8_t>(data + 12 + templateLength, size - 12 - templateLength);

  std::string out = "stale";
  if (!MakeCodeCommandsFor(in, out)) {
    if (!out.empty()) std::abort();
    return 0;
  }
  // Accepted: the code fits kMaxCodeDots, so the commands stay within a bound of its dots and template.
  const uint64_t w = static_cast<uint64_t>(in.Width), h = static_cast<uint64_t>(in.Height);
  const uint64_t dotsW = (w * in.ModuleSize * in.DpiX + 2539) / 2540 + 1;
  const uint64_t dotsH = (h * in.ModuleSize * in.DpiY + 2539) / 2540 + 1;
  const uint64_t bound = 1024 + 64 * w * h + (dotsH + 1) * (dotsW + 128) +
                         (dotsH / 8 + 2) * (kMaxCodeDots + 1 + (templateLength + 1) * (3 * dotsW + 16));
  if (out.size() > bound) std::abort();
  return 0;
}
