// Fuzz target of the spool-file reader: any bytes, walked page by page as the job pipeline does, on
// either family.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "foundation/lib_prn_spool.h"

namespace {
void WalkAs(std::span<const uint8_t> file, bool isWinNT) {
  const uint8_t* data = file.data();
  const size_t size = file.size();
  TProcSPLFile reader;
  if (!reader.Open(file, isWinNT)) {
    if (reader.IsOpen() || reader.OnPage()) std::abort();
    return;
  }
  if (reader.Is9xFormat && isWinNT) std::abort();
  if (reader.Damage() != TSpoolDamage::None) std::abort();
  size_t pages = 0;
  do {
    const std::span<const uint8_t> page = reader.PageData();
    // A page is a view into the file, wholly inside it; touch every byte so the sanitizer sees it.
    if (!page.empty() && (page.data() < data || page.data() + page.size() > data + size)) std::abort();
    uint8_t sum = 0;
    for (uint8_t byte : page) sum = uint8_t(sum + byte);
    volatile uint8_t sink = sum;
    (void)sink;
    if (reader.PageFileName().size() > size) std::abort();
    // Each page record takes at least its head, so a walk cannot yield more pages than that allows.
    if (++pages > size / SPOOL_RECORD_HEAD) std::abort();
  } while (reader.NextPage());
  const TSpoolDamage damage = reader.Damage();
  if (reader.NextPage() || !reader.PageData().empty() || reader.Damage() != damage) std::abort();
  if (damage != TSpoolDamage::None && reader.DamageOffset() >= size) std::abort();
  // The file is native to exactly one family: its own.
  if (!IsNativeSpoolFile(file, !reader.Is9xFormat) || IsNativeSpoolFile(file, reader.Is9xFormat)) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> file(data, size);
  WalkAs(file, true);
  WalkAs(file, false);
  return 0;
}
