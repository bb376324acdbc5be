// Windows edge of the random generator: the seeds follow the system tick count.
#include "coding/lib_datcoder_random_win.h"

#include <windows.h>

#include "coding/lib_datcoder_random.h"

namespace {
uint32_t WindowsTick() { return GetTickCount(); }
}  // namespace

void UseWindowsTickSource() { SetTickSource(&WindowsTick); }
